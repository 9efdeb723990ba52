#include "server/Database.h"

#include "server/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zumeli {

Database::~Database() { close(); }

bool makePrivateFolder(const std::string& folder)
{
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return true;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), error);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        Log::error("cannot create the data folder %s: %s", folder.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool Database::open(const std::string& path)
{
    close();
    // The file holds password hashes, mail addresses and messages: owner-only, and SQLite gives
    // its journal files the same permissions.
    // Closing any descriptor of a file drops every POSIX lock this process holds on it, SQLite's
    // included: a second connection of the server would leave the first without its locks, and an
    // operator command would then take the shared write-ahead log for its own and delete it. So
    // the file is opened here only to create it, and an existing one is changed by name.
    if (path != ":memory:") {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
        else if (errno == EEXIST)
            ::chmod(path.c_str(), 0600);
    }
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        Log::error("database: cannot open %s: %s", path.c_str(), m_db ? sqlite3_errmsg(m_db) : "out of memory");
        close();
        return false;
    }
    // A writer in another process (an operator command) makes us wait briefly instead of failing.
    sqlite3_busy_timeout(m_db, 2000);
    if (path != ":memory:" && !exec("PRAGMA journal_mode=WAL;")) {
        close();
        return false;
    }
    return exec("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
}

void Database::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool Database::exec(const char* sql)
{
    if (!m_db)
        return false;
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        Log::error("database: %s", message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

int64_t Database::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }
int Database::changes() const { return m_db ? sqlite3_changes(m_db) : 0; }
bool Database::setAutoCheckpoint(bool on) { return exec(on ? "PRAGMA wal_autocheckpoint=1000;" : "PRAGMA wal_autocheckpoint=0;"); }

bool Database::checkpoint()
{
    return m_db && sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr) == SQLITE_OK;
}

void Database::setBusyTimeout(int ms)
{
    if (m_db)
        sqlite3_busy_timeout(m_db, ms);
}

const char* Database::lastError() const { return m_db ? sqlite3_errmsg(m_db) : "not open"; }

Statement::Statement(Database& db, const char* sql)
    : m_db(db)
{
    if (!db.handle() || sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        Log::error("database: cannot prepare statement: %s", db.lastError());
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

Statement& Statement::bind(int index, int64_t value)
{
    if (m_stmt && sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_failed = true;
    return *this;
}

Statement& Statement::bind(int index, std::string_view text)
{
    if (m_stmt && sqlite3_bind_text(m_stmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        m_failed = true;
    return *this;
}

Statement& Statement::bindBlob(int index, const void* data, size_t size)
{
    if (m_stmt && sqlite3_bind_blob64(m_stmt, index, data, size, SQLITE_TRANSIENT) != SQLITE_OK)
        m_failed = true;
    return *this;
}

bool Statement::step()
{
    if (!m_stmt || m_failed)
        return false;
    int result = sqlite3_step(m_stmt);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE) {
        Log::error("database: %s", m_db.lastError());
        m_failed = true;
    }
    return false;
}

bool Statement::run()
{
    if (!m_stmt || m_failed)
        return false;
    int result = sqlite3_step(m_stmt);
    if (result != SQLITE_DONE && result != SQLITE_ROW) {
        Log::error("database: %s", m_db.lastError());
        m_failed = true;
        return false;
    }
    return true;
}

void Statement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    m_failed = false;
}

int64_t Statement::integer(int column) const { return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0; }

std::string Statement::text(int column) const
{
    if (!m_stmt)
        return {};
    auto* bytes = sqlite3_column_text(m_stmt, column);
    int size = sqlite3_column_bytes(m_stmt, column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), size_t(size)) : std::string();
}

std::vector<uint8_t> Statement::blob(int column) const
{
    if (!m_stmt)
        return {};
    auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
    int size = sqlite3_column_bytes(m_stmt, column);
    return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

Transaction::Transaction(Database& db)
    : m_db(db)
{
    m_open = m_db.exec("BEGIN IMMEDIATE;");
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.exec("ROLLBACK;");
}

bool Transaction::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    return m_db.exec("COMMIT;");
}

} // namespace Zumeli

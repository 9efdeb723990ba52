#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace Zumeli {

// Creates the folder owner-only (0700) when it does not exist yet; false with a log line on failure.
bool makePrivateFolder(const std::string& folder);

// One SQLite database file, opened in WAL mode with a busy time-out, so that the server and an
// operator command can use it at the same time. Failures are reported by results, never thrown.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (creating when missing) the file; ":memory:" gives a private in-memory database.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Runs one or more statements without results; false (and a log line) on failure.
    bool exec(const char* sql);
    int64_t lastInsertId() const;
    int changes() const;
    const char* lastError() const;
    void setBusyTimeout(int ms);
    // Whether commits copy the write-ahead log back into the file themselves (with a sync) once
    // it has grown; a connection that leaves it to another one never pays for that.
    bool setAutoCheckpoint(bool on);
    // Copies what it can of the write-ahead log back into the file without waiting for anyone.
    bool checkpoint();
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement with positional parameters (1-based) and columns (0-based).
class Statement {
public:
    Statement(Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, const void* data, size_t size);

    // True while a row is available.
    bool step();
    // Runs a statement without results to its end; true when it succeeded.
    bool run();
    void reset();

    int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<uint8_t> blob(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

// Begins a transaction and rolls it back unless commit() was called. A transaction that could
// not begin (another writer held the lock past the busy time-out) must not be written in: the
// statements would run one by one outside it. Callers check begun() first.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    bool begun() const { return m_open; }
    bool commit();

private:
    Database& m_db;
    bool m_open = false;
};

} // namespace Zumeli

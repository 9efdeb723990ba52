#include "server/Store.h"

#include "server/Log.h"
#include "server/PasswordHash.h"
#include "server/TextRules.h"

#include <algorithm>
#include <ctime>
#include <sqlite3.h>

namespace Zumeli {

namespace {

const char* const Schema = R"(
CREATE TABLE IF NOT EXISTS users (
  id INTEGER PRIMARY KEY,
  name TEXT UNIQUE COLLATE NOCASE,
  password TEXT NOT NULL DEFAULT '',
  mail TEXT NOT NULL DEFAULT '',
  guest INTEGER NOT NULL DEFAULT 0,
  language TEXT NOT NULL DEFAULT '',
  created INTEGER NOT NULL DEFAULT 0,
  details_version INTEGER NOT NULL DEFAULT 1,
  image_version INTEGER NOT NULL DEFAULT 0,
  dnd INTEGER NOT NULL DEFAULT 0,
  staff INTEGER NOT NULL DEFAULT 0,
  tmsmode INTEGER NOT NULL DEFAULT 0,
  gpsmode INTEGER NOT NULL DEFAULT 0,
  imgmode INTEGER NOT NULL DEFAULT 0,
  apnmode INTEGER NOT NULL DEFAULT 0,
  last_channel INTEGER NOT NULL DEFAULT 0,
  groups TEXT NOT NULL DEFAULT '',
  groups_signature INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS users_mail ON users(mail COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS channels (
  number INTEGER PRIMARY KEY,
  version INTEGER NOT NULL,
  codec INTEGER NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  admin_id INTEGER NOT NULL DEFAULT 0,
  phone_plate_version INTEGER NOT NULL DEFAULT 0,
  desktop_plate_version INTEGER NOT NULL DEFAULT 0,
  picture_version INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS channel_admin (
  number INTEGER PRIMARY KEY,
  title TEXT NOT NULL DEFAULT '', description TEXT NOT NULL DEFAULT '',
  description_desktop TEXT NOT NULL DEFAULT '', web TEXT NOT NULL DEFAULT '', details TEXT NOT NULL DEFAULT '',
  with_permission INTEGER NOT NULL DEFAULT 0, with_admin_present INTEGER NOT NULL DEFAULT 0,
  reserved INTEGER NOT NULL DEFAULT 0, access_mode INTEGER NOT NULL DEFAULT 0, credits INTEGER NOT NULL DEFAULT 0,
  bell_coadmins INTEGER NOT NULL DEFAULT 0, bell_all INTEGER NOT NULL DEFAULT 0, bell_break INTEGER NOT NULL DEFAULT 0,
  hide_number INTEGER NOT NULL DEFAULT 0, cy INTEGER NOT NULL DEFAULT 0, lang INTEGER NOT NULL DEFAULT 0,
  type INTEGER NOT NULL DEFAULT 0, user_limit INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS channel_lists (
  number INTEGER NOT NULL, list INTEGER NOT NULL, position INTEGER NOT NULL, user_id INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS channel_lists_number ON channel_lists(number);
CREATE INDEX IF NOT EXISTS channel_lists_user ON channel_lists(user_id);
CREATE TABLE IF NOT EXISTS messages (
  id INTEGER PRIMARY KEY, recipient INTEGER NOT NULL, sender INTEGER NOT NULL, type INTEGER NOT NULL,
  datetime INTEGER NOT NULL, text TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS messages_recipient ON messages(recipient);
CREATE TABLE IF NOT EXISTS service_messages (
  id INTEGER PRIMARY KEY, recipient INTEGER NOT NULL, main_text TEXT NOT NULL, disconnect INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS service_messages_recipient ON service_messages(recipient);
CREATE TABLE IF NOT EXISTS service_buttons (
  message_id INTEGER NOT NULL, slot INTEGER NOT NULL, text TEXT NOT NULL, url TEXT NOT NULL,
  in_browser INTEGER NOT NULL, reconnect INTEGER NOT NULL, quit INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS images (
  type INTEGER NOT NULL, param INTEGER NOT NULL, version INTEGER NOT NULL, data BLOB NOT NULL,
  PRIMARY KEY (type, param));
CREATE TABLE IF NOT EXISTS subscriptions (
  user_id INTEGER NOT NULL, channel INTEGER NOT NULL, PRIMARY KEY (user_id, channel));
CREATE TABLE IF NOT EXISTS id_counters (name TEXT PRIMARY KEY, value INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS reports (
  id INTEGER PRIMARY KEY, kind TEXT NOT NULL, user_id INTEGER NOT NULL, text TEXT NOT NULL, created INTEGER NOT NULL);
)";

const char* const MailboxFullNotice = "Your mailbox was full: your oldest messages were removed.";

// The list numbers of channel_lists.
enum AdminList { Coadmins = 0, Restricted = 1, ListenOnly = 2, Excluded = 3 };

int64_t now() { return int64_t(std::time(nullptr)); }

UserRecord readUser(Statement& row)
{
    UserRecord user;
    user.id = int(row.integer(0));
    user.name = row.text(1);
    user.password = row.text(2);
    user.mail = row.text(3);
    user.guest = row.integer(4) != 0;
    user.detailsVersion = int(row.integer(5));
    user.imageVersion = int(row.integer(6));
    user.dnd = row.integer(7) != 0;
    user.staff = row.integer(8) != 0;
    user.tmsmode = int(row.integer(9));
    user.gpsmode = int(row.integer(10));
    user.imgmode = int(row.integer(11));
    user.apnmode = int(row.integer(12));
    user.lastChannel = int(row.integer(13));
    user.groupsSignature = int(row.integer(14));
    return user;
}

const char* const UserColumns = "SELECT id, coalesce(name, ''), password, mail, guest, details_version, image_version, "
                                "dnd, staff, tmsmode, gpsmode, imgmode, apnmode, last_channel, groups_signature "
                                "FROM users ";

} // namespace

bool Store::open(const std::string& path)
{
    return m_db.open(path) && createSchema();
}

// User ids are never given twice: the highest id ever handed out is kept apart from the users
// table, so a deleted user's id (a guest's above all) is not given to the next account, which
// would inherit what still names that id. The first value covers every id the tables mention.
bool Store::createSchema()
{
    return m_db.exec(Schema)
        && m_db.exec("INSERT OR IGNORE INTO id_counters (name, value) SELECT 'users', max("
                     "(SELECT coalesce(max(id), 0) FROM users), (SELECT coalesce(max(sender), 0) FROM messages), "
                     "(SELECT coalesce(max(user_id), 0) FROM channel_lists), "
                     "(SELECT coalesce(max(user_id), 0) FROM subscriptions), "
                     "(SELECT coalesce(max(admin_id), 0) FROM channels));");
}

int Store::insertUser(const char* columns, const char* values, const std::function<void(Statement&)>& bind)
{
    Transaction transaction(m_db);
    if (!transaction.begun())
        return 0;
    Statement next(m_db, "UPDATE id_counters SET value = value + 1 WHERE name = 'users' RETURNING value");
    if (!next.step())
        return 0;
    int64_t id = next.integer(0);
    next.reset();
    Statement insert(m_db, (std::string("INSERT INTO users (id, ") + columns + ") VALUES (?, " + values + ")").c_str());
    insert.bind(1, id);
    bind(insert);
    if (!insert.run() || !transaction.commit())
        return 0;
    return int(id);
}

// What belongs to a guest goes with it; the messages it sent stay, under its id, which no one
// else will ever have.
const char* const GuestRemoval = "DELETE FROM messages WHERE recipient IN (%1);"
                                 "DELETE FROM service_buttons WHERE message_id IN "
                                 "(SELECT id FROM service_messages WHERE recipient IN (%1));"
                                 "DELETE FROM service_messages WHERE recipient IN (%1);"
                                 "DELETE FROM channel_lists WHERE user_id IN (%1);"
                                 "DELETE FROM subscriptions WHERE user_id IN (%1);"
                                 "DELETE FROM images WHERE type = 2 AND param IN (%1);"
                                 "UPDATE channels SET admin_id = 0 WHERE admin_id IN (%1);"
                                 "DELETE FROM users WHERE id IN (%1);";

bool Store::removeGuestsWhere(const std::string& selection)
{
    std::string sql = GuestRemoval;
    for (size_t at; (at = sql.find("%1")) != std::string::npos;)
        sql.replace(at, 2, selection);
    Transaction transaction(m_db);
    return transaction.begun() && m_db.exec(sql.c_str()) && transaction.commit();
}

bool Store::removeGuests() { return removeGuestsWhere("SELECT id FROM users WHERE guest = 1"); }

bool Store::removeGuests(const std::vector<int>& userIds)
{
    bool done = true;
    // In lists of a few hundred: one transaction each, a statement of bounded size.
    for (size_t first = 0; first < userIds.size(); first += 200) {
        std::string list;
        for (size_t i = first; i < std::min(userIds.size(), first + 200); ++i)
            list += (list.empty() ? "" : ",") + std::to_string(userIds[i]);
        done = removeGuestsWhere("SELECT id FROM users WHERE guest = 1 AND id IN (" + list + ")") && done;
    }
    return done;
}

std::optional<UserRecord> Store::userById(int id)
{
    Statement row(m_db, (std::string(UserColumns) + "WHERE id = ?").c_str());
    row.bind(1, id);
    if (!row.step())
        return std::nullopt;
    return readUser(row);
}

std::optional<UserRecord> Store::userByName(const std::string& name)
{
    Statement row(m_db, (std::string(UserColumns) + "WHERE name = ? AND guest = 0").c_str());
    row.bind(1, name);
    if (!row.step())
        return std::nullopt;
    return readUser(row);
}

bool Store::mailTaken(const std::string& mail)
{
    Statement row(m_db, "SELECT 1 FROM users WHERE mail = ? COLLATE NOCASE AND guest = 0");
    row.bind(1, mail);
    return row.step();
}

int Store::createUser(const std::string& name, const std::string& password, const std::string& mail,
                      const std::string& language)
{
    std::string hash = hashPassword(password);
    if (hash.empty())
        return 0;
    return insertUser("name, password, mail, language, created", "?, ?, ?, ?, ?", [&](Statement& insert) {
        insert.bind(2, name).bind(3, hash).bind(4, mail).bind(5, language).bind(6, now());
    });
}

int Store::createGuest()
{
    return insertUser("guest, created", "1, ?", [&](Statement& insert) { insert.bind(2, now()); });
}

bool Store::setPassword(int userId, const std::string& password)
{
    std::string hash = hashPassword(password);
    if (hash.empty())
        return false;
    Statement update(m_db, "UPDATE users SET password = ? WHERE id = ? AND guest = 0");
    update.bind(1, hash).bind(2, userId);
    return update.run() && m_db.changes() == 1;
}

bool Store::changeDetails(int userId, const DetailsChange& change)
{
    auto user = userById(userId);
    if (!user)
        return false;
    UserRecord next = *user;
    if (change.dnd)
        next.dnd = *change.dnd;
    if (change.mail)
        next.mail = *change.mail;
    if (change.tmsmode)
        next.tmsmode = *change.tmsmode;
    if (change.gpsmode)
        next.gpsmode = *change.gpsmode;
    if (change.imgmode)
        next.imgmode = *change.imgmode;
    if (change.apnmode)
        next.apnmode = *change.apnmode;
    bool changed = next.dnd != user->dnd || next.mail != user->mail || next.tmsmode != user->tmsmode
        || next.gpsmode != user->gpsmode || next.imgmode != user->imgmode || next.apnmode != user->apnmode;
    if (!changed)
        return true;
    Statement update(m_db, "UPDATE users SET dnd = ?, mail = ?, tmsmode = ?, gpsmode = ?, imgmode = ?, apnmode = ?, "
                           "details_version = details_version + 1 WHERE id = ?");
    update.bind(1, next.dnd).bind(2, next.mail).bind(3, next.tmsmode).bind(4, next.gpsmode).bind(5, next.imgmode);
    update.bind(6, next.apnmode).bind(7, userId);
    return update.run();
}

bool Store::setLastChannel(int userId, int channel)
{
    Statement update(m_db, "UPDATE users SET last_channel = ? WHERE id = ?");
    update.bind(1, channel).bind(2, userId);
    return update.run();
}

bool Store::setGroups(int userId, const std::string& document, int signature)
{
    Statement update(m_db, "UPDATE users SET groups = ?, groups_signature = ? WHERE id = ?");
    update.bind(1, document).bind(2, signature).bind(3, userId);
    return update.run();
}

std::optional<ChannelRecord> Store::channel(int number)
{
    if (number < FirstChannel || number > LastChannel)
        return std::nullopt;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Statement row(m_db, "SELECT number, version, codec, name, admin_id, phone_plate_version, "
                            "desktop_plate_version, picture_version FROM channels WHERE number = ?");
        row.bind(1, number);
        if (row.step()) {
            ChannelRecord channel;
            channel.number = int(row.integer(0));
            channel.version = row.integer(1);
            channel.codec = int(row.integer(2));
            channel.name = row.text(3);
            channel.adminId = int(row.integer(4));
            channel.phonePlateVersion = int(row.integer(5));
            channel.desktopPlateVersion = int(row.integer(6));
            channel.pictureVersion = int(row.integer(7));
            return channel;
        }
        Statement insert(m_db, "INSERT OR IGNORE INTO channels (number, version, codec) VALUES (?, ?, ?)");
        insert.bind(1, number).bind(2, now()).bind(3, m_defaultCodec);
        if (!insert.run())
            return std::nullopt;
    }
    return std::nullopt;
}

// The version is a time in seconds that only moves forward, so a client's cached value from an
// older database never matches by accident.
bool Store::bumpChannel(int number)
{
    Statement update(m_db, "UPDATE channels SET version = max(version + 1, ?) WHERE number = ?");
    update.bind(1, now()).bind(2, number);
    return update.run();
}

bool Store::setChannelSettings(int number, std::optional<int> codec, std::optional<std::string> name)
{
    auto record = channel(number);
    if (!record)
        return false;
    Statement update(m_db, "UPDATE channels SET codec = ?, name = ? WHERE number = ?");
    update.bind(1, codec.value_or(record->codec)).bind(2, name.value_or(record->name)).bind(3, number);
    return update.run() && bumpChannel(number);
}

AdministrationDocument Store::adminDocument(int number)
{
    AdministrationDocument document;
    auto record = channel(number);
    if (!record)
        return document;
    document.administrated = record->adminId != 0;
    Statement row(m_db, "SELECT title, description, description_desktop, web, details, with_permission, "
                        "with_admin_present, reserved, access_mode, credits, bell_coadmins, bell_all, bell_break, "
                        "hide_number, cy, lang, type, user_limit FROM channel_admin WHERE number = ?");
    row.bind(1, number);
    if (row.step()) {
        document.title = Text(row.text(0));
        document.description = Text(row.text(1));
        document.descriptionDesktop = Text(row.text(2));
        document.web = Text(row.text(3));
        document.details = Text(row.text(4));
        document.accessWithAdminPermission = row.integer(5) != 0;
        document.accessWithAdminPresent = row.integer(6) != 0;
        document.nameAndAdminReserved = row.integer(7) != 0;
        document.accessMode = int(row.integer(8));
        document.userCredits = int(row.integer(9));
        document.bellEnableCoadmins = row.integer(10) != 0;
        document.bellEnableAll = row.integer(11) != 0;
        document.bellEnableBreak = row.integer(12) != 0;
        document.hideNumberOnPlates = row.integer(13) != 0;
        document.cy = int(row.integer(14));
        document.lang = int(row.integer(15));
        document.type = int(row.integer(16));
        document.limit = int(row.integer(17));
    }
    Statement lists(m_db, "SELECT list, user_id FROM channel_lists WHERE number = ? ORDER BY list, position");
    lists.bind(1, number);
    while (lists.step()) {
        int id = int(lists.integer(1));
        switch (lists.integer(0)) {
        case Coadmins: document.coadmins.push_back(id); break;
        case Restricted: document.restricted.push_back(id); break;
        case ListenOnly: document.listenOnly.push_back(id); break;
        case Excluded: document.excluded.push_back(id); break;
        default: break;
        }
    }
    return document;
}

bool Store::saveAdminDocument(int number, const AdministrationDocument& d)
{
    if (!channel(number))
        return false;
    Transaction transaction(m_db);
    if (!transaction.begun())
        return false;
    Statement save(m_db, "INSERT OR REPLACE INTO channel_admin (number, title, description, description_desktop, web, "
                         "details, with_permission, with_admin_present, reserved, access_mode, credits, bell_coadmins, "
                         "bell_all, bell_break, hide_number, cy, lang, type, user_limit) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    save.bind(1, number).bind(2, cleanText(d.title.str())).bind(3, cleanText(d.description.str()));
    save.bind(4, cleanText(d.descriptionDesktop.str())).bind(5, cleanText(d.web.str())).bind(6, cleanText(d.details.str())).bind(7, d.accessWithAdminPermission);
    save.bind(8, d.accessWithAdminPresent).bind(9, d.nameAndAdminReserved).bind(10, d.accessMode);
    save.bind(11, d.userCredits).bind(12, d.bellEnableCoadmins).bind(13, d.bellEnableAll).bind(14, d.bellEnableBreak);
    save.bind(15, d.hideNumberOnPlates).bind(16, d.cy).bind(17, d.lang).bind(18, d.type).bind(19, d.limit);
    if (!save.run())
        return false;
    Statement clear(m_db, "DELETE FROM channel_lists WHERE number = ?");
    clear.bind(1, number);
    if (!clear.run())
        return false;
    Statement add(m_db, "INSERT INTO channel_lists (number, list, position, user_id) VALUES (?, ?, ?, ?)");
    const std::pair<int, const std::vector<int>*> lists[] = {
        { Coadmins, &d.coadmins }, { Restricted, &d.restricted }, { ListenOnly, &d.listenOnly }, { Excluded, &d.excluded }
    };
    for (const auto& [list, ids] : lists) {
        for (size_t i = 0; i < ids->size(); ++i) {
            add.reset();
            add.bind(1, number).bind(2, list).bind(3, int64_t(i)).bind(4, (*ids)[i]);
            if (!add.run())
                return false;
        }
    }
    return bumpChannel(number) && transaction.commit();
}

bool Store::setAdministrator(int number, int userId)
{
    if (!channel(number))
        return false;
    Statement update(m_db, "UPDATE channels SET admin_id = ? WHERE number = ?");
    update.bind(1, userId).bind(2, number);
    return update.run() && bumpChannel(number);
}

std::vector<int> Store::channelsWithAdmin(int userId)
{
    std::vector<int> numbers;
    Statement rows(m_db, "SELECT number FROM channels WHERE admin_id = ?");
    rows.bind(1, userId);
    while (rows.step())
        numbers.push_back(int(rows.integer(0)));
    return numbers;
}

// A full mailbox loses its oldest messages to the new one; the owner is told once by a service
// message, which waits until fetched.
bool Store::addMessage(int recipient, const StoredMessage& message, size_t mailboxLimit)
{
    Transaction transaction(m_db);
    if (!transaction.begun())
        return false;
    Statement insert(m_db, "INSERT INTO messages (recipient, sender, type, datetime, text) VALUES (?, ?, ?, ?, ?)");
    insert.bind(1, recipient).bind(2, message.sender).bind(3, message.type).bind(4, message.datetime);
    insert.bind(5, cleanText(message.text));
    if (!insert.run())
        return false;
    Statement trim(m_db, "DELETE FROM messages WHERE recipient = ?1 AND id NOT IN "
                         "(SELECT id FROM messages WHERE recipient = ?1 ORDER BY id DESC LIMIT ?2)");
    trim.bind(1, recipient).bind(2, int64_t(mailboxLimit));
    if (!trim.run())
        return false;
    if (m_db.changes() > 0) {
        Statement told(m_db, "SELECT 1 FROM service_messages WHERE recipient = ? AND main_text = ?");
        told.bind(1, recipient).bind(2, MailboxFullNotice);
        if (!told.step()) {
            Statement notice(m_db, "INSERT INTO service_messages (recipient, main_text, disconnect) VALUES (?, ?, 0)");
            notice.bind(1, recipient).bind(2, MailboxFullNotice);
            if (!notice.run())
                return false;
        }
    }
    return transaction.commit();
}

std::vector<StoredMessage> Store::waitingMessages(int recipient, size_t maxCount, size_t maxBytes, bool& more)
{
    std::vector<StoredMessage> messages;
    more = false;
    size_t bytes = 0;
    Statement rows(m_db, "SELECT id, sender, type, datetime, text FROM messages WHERE recipient = ? ORDER BY id LIMIT ?");
    rows.bind(1, recipient).bind(2, int64_t(maxCount) + 1);
    while (rows.step()) {
        std::string text = rows.text(4);
        if (messages.size() == maxCount || (!messages.empty() && bytes + text.size() > maxBytes)) {
            more = true;
            break;
        }
        bytes += text.size();
        messages.push_back({ int(rows.integer(1)), int(rows.integer(2)), rows.integer(3), std::move(text), rows.integer(0) });
    }
    return messages;
}

bool Store::deleteMessages(const std::vector<int64_t>& ids)
{
    return deleteRows("DELETE FROM messages WHERE id = ?", ids);
}

bool Store::deleteRows(const char* sql, const std::vector<int64_t>& ids, const char* secondSql)
{
    if (ids.empty())
        return true;
    Transaction transaction(m_db);
    if (!transaction.begun())
        return false;
    Statement remove(m_db, sql);
    std::optional<Statement> second;
    if (secondSql)
        second.emplace(m_db, secondSql);
    for (int64_t id : ids) {
        remove.reset();
        remove.bind(1, id);
        if (!remove.run())
            return false;
        if (second) {
            second->reset();
            second->bind(1, id);
            if (!second->run())
                return false;
        }
    }
    return transaction.commit();
}

bool Store::queueServiceMessage(int recipient, const ServiceMessageData& message)
{
    Transaction transaction(m_db);
    if (!transaction.begun())
        return false;
    Statement insert(m_db, "INSERT INTO service_messages (recipient, main_text, disconnect) VALUES (?, ?, ?)");
    insert.bind(1, recipient).bind(2, cleanText(message.mainText.str())).bind(3, message.mainDisconnect);
    if (!insert.run())
        return false;
    int64_t id = m_db.lastInsertId();
    Statement button(m_db, "INSERT INTO service_buttons (message_id, slot, text, url, in_browser, reconnect, quit) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int slot = 0; slot < 4; ++slot) {
        const auto& b = message.buttons[slot];
        if (b.text.isEmpty() && b.url.isEmpty())
            continue;
        button.reset();
        button.bind(1, id).bind(2, slot).bind(3, cleanText(b.text.str())).bind(4, cleanText(b.url.str()));
        button.bind(5, b.urlInBrowser).bind(6, b.reconnect).bind(7, b.quit);
        if (!button.run())
            return false;
    }
    return transaction.commit();
}

std::vector<WaitingServiceMessage> Store::waitingServiceMessages(int recipient, size_t maxCount, bool& more)
{
    std::vector<WaitingServiceMessage> messages;
    more = false;
    Statement rows(m_db, "SELECT id, main_text, disconnect FROM service_messages WHERE recipient = ? ORDER BY id LIMIT ?");
    rows.bind(1, recipient).bind(2, int64_t(maxCount) + 1);
    while (rows.step()) {
        if (messages.size() == maxCount) {
            more = true;
            break;
        }
        WaitingServiceMessage message;
        message.id = rows.integer(0);
        message.data.mainText = Text(rows.text(1));
        message.data.mainDisconnect = rows.integer(2) != 0;
        messages.push_back(message);
    }
    Statement buttons(m_db, "SELECT slot, text, url, in_browser, reconnect, quit FROM service_buttons "
                            "WHERE message_id = ?");
    for (auto& message : messages) {
        buttons.reset();
        buttons.bind(1, message.id);
        while (buttons.step()) {
            int slot = int(buttons.integer(0));
            if (slot < 0 || slot > 3)
                continue;
            auto& b = message.data.buttons[slot];
            b.text = Text(buttons.text(1));
            b.url = Text(buttons.text(2));
            b.urlInBrowser = buttons.integer(3) != 0;
            b.reconnect = buttons.integer(4) != 0;
            b.quit = buttons.integer(5) != 0;
        }
    }
    return messages;
}

bool Store::deleteServiceMessages(const std::vector<int64_t>& ids)
{
    return deleteRows("DELETE FROM service_messages WHERE id = ?", ids, "DELETE FROM service_buttons WHERE message_id = ?");
}

bool Store::hasWaitingMessages(int recipient)
{
    Statement row(m_db, "SELECT EXISTS (SELECT 1 FROM messages WHERE recipient = ?1) "
                        "OR EXISTS (SELECT 1 FROM service_messages WHERE recipient = ?1)");
    row.bind(1, recipient);
    return row.step() && row.integer(0) != 0;
}

int Store::saveImage(int type, int paramId, const std::vector<uint8_t>& bytes)
{
    Transaction transaction(m_db);
    if (!transaction.begun())
        return 0;
    int version = 1;
    {
        Statement row(m_db, "SELECT version FROM images WHERE type = ? AND param = ?");
        row.bind(1, type).bind(2, paramId);
        if (row.step())
            version = int(row.integer(0)) + 1;
    }
    Statement save(m_db, "INSERT OR REPLACE INTO images (type, param, version, data) VALUES (?, ?, ?, ?)");
    save.bind(1, type).bind(2, paramId).bind(3, version).bindBlob(4, bytes.data(), bytes.size());
    if (!save.run())
        return 0;
    // The picture's version travels with the user's details or the channel's data.
    if (type == 2) {
        Statement user(m_db, "UPDATE users SET image_version = ?, details_version = details_version + 1 WHERE id = ?");
        user.bind(1, version).bind(2, paramId);
        if (!user.run())
            return 0;
    } else if (type == 0 || type == 1 || type == 3) {
        const char* column = type == 0 ? "phone_plate_version" : type == 1 ? "picture_version" : "desktop_plate_version";
        Statement update(m_db, (std::string("UPDATE channels SET ") + column + " = ? WHERE number = ?").c_str());
        update.bind(1, version).bind(2, paramId);
        if (!update.run() || !bumpChannel(paramId))
            return 0;
    }
    return transaction.commit() ? version : 0;
}

std::optional<std::vector<uint8_t>> Store::loadImage(int type, int paramId)
{
    Statement row(m_db, "SELECT data FROM images WHERE type = ? AND param = ?");
    row.bind(1, type).bind(2, paramId);
    if (!row.step())
        return std::nullopt;
    return row.blob(0);
}

std::optional<Store::ImageRef> Store::findImage(int type, int paramId)
{
    Statement row(m_db, "SELECT rowid, length(data) FROM images WHERE type = ? AND param = ?");
    row.bind(1, type).bind(2, paramId);
    if (!row.step())
        return std::nullopt;
    return ImageRef { row.integer(0), size_t(row.integer(1)) };
}

bool Store::readImage(const ImageRef& image, size_t offset, size_t count, std::string& out)
{
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(m_db.handle(), "main", "images", "data", image.row, 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return false;
    }
    bool ok = size_t(sqlite3_blob_bytes(blob)) == image.size && offset + count <= image.size;
    if (ok) {
        size_t at = out.size();
        out.resize(at + count);
        ok = sqlite3_blob_read(blob, out.data() + at, int(count), int(offset)) == SQLITE_OK;
        if (!ok)
            out.resize(at);
    }
    sqlite3_blob_close(blob);
    return ok;
}

bool Store::setSubscription(int userId, int channel, bool on)
{
    Statement change(m_db, on ? "INSERT OR IGNORE INTO subscriptions (user_id, channel) VALUES (?, ?)"
                              : "DELETE FROM subscriptions WHERE user_id = ? AND channel = ?");
    change.bind(1, userId).bind(2, channel);
    return change.run();
}

bool Store::isSubscribed(int userId, int channel)
{
    Statement row(m_db, "SELECT 1 FROM subscriptions WHERE user_id = ? AND channel = ?");
    row.bind(1, userId).bind(2, channel);
    return row.step();
}

std::vector<int> Store::subscribers(int channel)
{
    std::vector<int> ids;
    Statement rows(m_db, "SELECT user_id FROM subscriptions WHERE channel = ? ORDER BY user_id");
    rows.bind(1, channel);
    while (rows.step())
        ids.push_back(int(rows.integer(0)));
    return ids;
}

bool Store::addReport(const std::string& kind, int userId, const std::string& text)
{
    Statement insert(m_db, "INSERT INTO reports (kind, user_id, text, created) VALUES (?, ?, ?, ?)");
    insert.bind(1, kind).bind(2, userId).bind(3, text).bind(4, now());
    return insert.run();
}

} // namespace Zumeli

#include "data/UserMessagesList.h"

#include "data/People.h"

namespace Zumeli {

void UserMessagesList::trim()
{
    if (count() > Keep)
        removeFirst(count() - Keep);
}

UserMessageData* UserMessagesList::append(std::unique_ptr<UserMessageData> message)
{
    trim();
    UserMessageData* added = add(std::move(message));
    save();
    return added;
}

int UserMessagesList::unreadCount() const
{
    int unread = 0;
    for (const auto& message : *this)
        if (!message->read)
            ++unread;
    return unread;
}

bool UserMessagesList::markRead(int index)
{
    UserMessageData* message = at(index);
    if (!message || message->read)
        return false;
    message->read = true;
    save();
    return true;
}

void UserMessagesList::markAllRead()
{
    for (const auto& message : *this)
        message->read = true;
    save();
}

void UserMessagesList::clearHistory()
{
    clear();
    save();
}

Text UserMessagesList::toHistoryText() const
{
    Text file("version1\r\n");
    for (const auto& m : *this) {
        file.appendFormatted("%d\t%d\t%d\t%d\t%d\t", m->sender, m->recipient, m->groupId, m->read ? 1 : 0, m->datetime);
        Text oneLine = m->text;
        oneLine.removeChar('\t').removeChar('\r').removeChar('\n');
        file.append(oneLine);
        file.appendNewline();
    }
    return file;
}

bool UserMessagesList::fromHistoryText(const Text& text)
{
    clear();
    LineReader lines(text);
    Text line;
    if (!lines.next(line) || !line.equalsIgnoreCase("version1"))
        return false;
    while (lines.next(line)) {
        if (line.isEmpty())
            continue; // a blank line carries no message (every written line holds its numbers)
        auto message = std::make_unique<UserMessageData>();
        message->sender = line.field(0, '\t').toInt();
        message->recipient = line.field(1, '\t').toInt();
        message->groupId = line.field(2, '\t').toInt();
        message->read = line.field(3, '\t').toInt() != 0;
        message->datetime = line.field(4, '\t').toInt();
        message->text = line.field(5, '\t');
        add(std::move(message));
    }
    return true;
}

void UserMessagesList::load(const Text& cacheFolder)
{
    m_path = cacheFolder;
    m_path.append(FileName);
    clear();
    Text text;
    if (text.loadFromFile(m_path))
        fromHistoryText(text);
}

bool UserMessagesList::save() const
{
    if (m_path.isEmpty())
        return false;
    return toHistoryText().saveToFile(m_path);
}

int UserMessagesList::readFromReply(const XmlChunk& reply, someVector<UserMessageData>& out, People& people)
{
    int read = 0;
    XmlChunkEnumerator messages(reply.child("usermessages"), "message");
    XmlChunk m;
    while (messages.next(m)) {
        auto message = std::make_unique<UserMessageData>();
        message->sender = int(m.childLong("sender"));
        message->datetime = int(m.child("datetime").trimmedText().toLong());
        message->text.decodeEntities(m.child("text").rawText());
        people.getOrCreate(message->sender);
        out.add(std::move(message));
        ++read;
    }
    if (read > 0)
        people.sortByName();
    return read;
}

Text UserMessagesList::messageDocument(const UserMessageData& message, const std::vector<int>& recipients)
{
    Text xml("<message>\r\n");
    xml.appendIntElement("type", message.type, true);
    xml.append("<recipient>\r\n");
    for (int id : recipients)
        xml.appendIntElement("id", id, true);
    xml.append("</recipient>\r\n");
    xml.appendEscapedElement("text", message.text, true);
    xml.append("</message>\r\n");
    return xml;
}

} // namespace Zumeli

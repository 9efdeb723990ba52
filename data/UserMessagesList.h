#pragma once

#include "data/SomeVector.h"
#include "data/UserMessageData.h"
#include "data/XmlChunk.h"

#include <vector>

namespace Zumeli {

class People;

// The user's conversation, oldest first, kept in "UserMessagesHistory.txt" and saved after
// every change. Before a message is appended the oldest ones go while more than 100 are held,
// so the list never holds more than 101.
class UserMessagesList : public someVector<UserMessageData> {
public:
    static constexpr const char* FileName = "UserMessagesHistory.txt";
    static constexpr int Keep = 100;

    // Trims, appends and saves.
    UserMessageData* append(std::unique_ptr<UserMessageData> message);
    int unreadCount() const;
    // Marks one unread message read and saves; false when there is nothing to change.
    bool markRead(int index);
    void markAllRead();
    void clearHistory();

    Text toHistoryText() const;
    bool fromHistoryText(const Text& text);
    void load(const Text& cacheFolder);
    bool save() const;
    const Text& path() const { return m_path; }
    void setPath(const Text& path) { m_path = path; }

    // Reads the "usermessages" of a service reply into out; every sender is recorded in people.
    static int readFromReply(const XmlChunk& reply, someVector<UserMessageData>& out, People& people);

    // The document that sends a message to the given recipients.
    static Text messageDocument(const UserMessageData& message, const std::vector<int>& recipients);

private:
    void trim();
    Text m_path;
};

} // namespace Zumeli

#include "cli/CliEvents.h"

#include "engine/Client.h"

#include <cstdarg>
#include <cstdint>

namespace Zumeli {

std::string printableLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t c = uint8_t(text[i]);
        if (c == '\r' || c == '\n')
            continue;
        // C1 controls are two bytes in UTF-8: C2 80 to C2 9F.
        bool c1 = c == 0xC2 && i + 1 < text.size() && uint8_t(text[i + 1]) >= 0x80 && uint8_t(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c1 ? uint8_t(text[++i]) : c);
            line += escaped;
            continue;
        }
        line += char(c);
    }
    return line;
}

void CliEvents::print(const char* format, ...)
{
    if (!m_output)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(m_output, format, arguments);
    va_end(arguments);
    std::fputc('\n', m_output);
    std::fflush(m_output);
}

void CliEvents::onLoggedIn()
{
    loggedIn = true;
    loggedOut = false;
    print("logged-in");
}

void CliEvents::onLoggedOut()
{
    loggedIn = false;
    loggedOut = true;
    voiceUp = false;
    print("logged-out");
}

void CliEvents::onLoginFailed()
{
    loginFailed = true;
    print("login-failed");
}

void CliEvents::onLoginRefused()
{
    loginRefused = true;
    print("login-refused");
}

void CliEvents::onServerFull()
{
    loginRefused = true;
    print("server-full");
}

void CliEvents::onChannelChanged(int number)
{
    channel = number;
    print("channel-changed %d", number);
}

void CliEvents::onTalkGranted()
{
    talkGranted = true;
    print("talk-granted");
}

void CliEvents::onTalkEnded()
{
    talkEnded = true;
    print("talk-ended");
}

void CliEvents::onVoiceConnected(bool connected)
{
    voiceUp = connected;
    voiceEverUp = voiceEverUp || connected;
    print(connected ? "voice-connected" : "voice-disconnected");
}

void CliEvents::onMessagesArrived()
{
    print("messages-arrived");
    ServiceMessageData message;
    while (m_client.takeServiceMessage(message)) {
        print("service-message %s", printableLine(message.mainText.str()).c_str());
    }
}

CliEvents::CliEvents(Client& client, FILE* output)
    : m_client(client)
    , m_output(output)
{
    m_hasLastSeen = m_client.getMessage(m_client.getMessageCount() - 1, m_lastSeen);
}

void CliEvents::onUserMessagesChanged()
{
    int count = m_client.getMessageCount();
    print("messages-changed %d", count);
    // The messages after the last one shown: the list drops its oldest entries once full, so
    // its count alone does not tell what is new.
    int first = 0;
    UserMessageData message;
    for (int i = count - 1; m_hasLastSeen && i >= 0; --i) {
        if (m_client.getMessage(i, message) && message.sender == m_lastSeen.sender
            && message.datetime == m_lastSeen.datetime && message.text == m_lastSeen.text) {
            first = i + 1;
            break;
        }
    }
    int own = m_client.getOwnUserId();
    for (int i = first; i < count; ++i) {
        if (m_client.getMessage(i, message) && message.sender != own) {
            print("message %d %s", message.sender, printableLine(message.text.str()).c_str());
        }
    }
    m_hasLastSeen = m_client.getMessage(count - 1, m_lastSeen);
}

void CliEvents::onPositionRequested(Text& position)
{
    print("position-requested");
    if (position.isEmpty())
        position = "0,0";
}

void CliEvents::onPositionSent(const Text& position) { print("position-sent %s", position.c_str()); }

} // namespace Zumeli

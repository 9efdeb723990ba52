#include "cli/CliEvents.h"

#include "engine/Client.h"

#include <cstdarg>

namespace Zumeli {

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
        Text line = message.mainText;
        line.removeChar('\r').removeChar('\n');
        print("service-message %s", line.c_str());
    }
}

void CliEvents::onUserMessagesChanged()
{
    int count = m_client.getMessageCount();
    print("messages-changed %d", count);
    // The received messages that are new since the last change, oldest first.
    int own = m_client.getOwnUserId();
    for (int i = m_messagesSeen < 0 ? count : m_messagesSeen; i < count; ++i) {
        UserMessageData message;
        if (m_client.getMessage(i, message) && message.sender != own) {
            Text line = message.text;
            line.removeChar('\r').removeChar('\n');
            print("message %d %s", message.sender, line.c_str());
        }
    }
    m_messagesSeen = count;
}

void CliEvents::onPositionRequested(Text& position)
{
    print("position-requested");
    if (position.isEmpty())
        position = "0,0";
}

void CliEvents::onPositionSent(const Text& position) { print("position-sent %s", position.c_str()); }

} // namespace Zumeli

#pragma once

#include <functional>
#include <memory>
#include <string>

class epiWindowManager;

namespace Zumeli {
class IClient;
}

namespace ZumeliApplication {

// Shows a desktop notification; a click on it runs `activated`.
class MessageNotifier
{
public:
    virtual ~MessageNotifier() = default;
    virtual void show(const std::string& title, const std::string& body) = 0;
    std::function<void()> activated;
};

// The notifier of the desktop session (libnotify); null when the session has no message bus.
std::unique_ptr<MessageNotifier> makeDesktopNotifier();

// What the panel does when messages arrive: every service message opens a window of its own, and
// a text message received while the main window is hidden or not focused is announced by a desktop
// notification whose click opens the message box.
class MessageArrivals
{
public:
    void start(Zumeli::IClient* client, epiWindowManager* windows, std::unique_ptr<MessageNotifier> notifier);
    void stop();
    // Opens one 'smsg' window per pending service message (and leaves the service when a message
    // asks for it); returns how many opened.
    int serviceMessagesArrived();
    // The message history changed; `mainShown` is whether the main window is visible and focused.
    void userMessagesChanged(bool mainShown);
    void setNotifier(std::unique_ptr<MessageNotifier> notifier);
    // Translates the marked texts of the notifications.
    void setTranslator(std::function<std::string(const char*)> translate) { m_translate = std::move(translate); }
    MessageNotifier* notifier() const { return m_notifier.get(); }

private:
    Zumeli::IClient* m_client = nullptr;
    epiWindowManager* m_windows = nullptr;
    std::unique_ptr<MessageNotifier> m_notifier;
    std::function<std::string(const char*)> m_translate;
    int m_known = -1; // messages already seen
    int m_opened = 0; // service windows opened, for their cascade
};

} // namespace ZumeliApplication

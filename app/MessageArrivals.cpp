#include "app/MessageArrivals.h"

#include "app/MessageWindow.h"
#include "engine/IClient.h"
#include "ui/epiWindowManager.h"

#include <cstdlib>
#include <sys/stat.h>

#include <libnotify/notify.h>

namespace ZumeliApplication {

namespace {

constexpr int CascadeStep = 24;
constexpr int CascadeSteps = 8;

// A desktop notification through libnotify; the action is delivered by the GLib main context the
// toolkit's loop runs.
class DesktopNotifier : public MessageNotifier
{
public:
    DesktopNotifier() { m_ready = notify_init("Zumeli"); }
    ~DesktopNotifier() override
    {
        drop();
        if (m_ready)
            notify_uninit();
    }

    void show(const std::string& title, const std::string& body) override
    {
        if (!m_ready)
            return;
        drop();
        m_shown = notify_notification_new(title.c_str(), body.c_str(), "zumeli");
        notify_notification_set_category(m_shown, "im.received");
        notify_notification_add_action(m_shown, "default", "Open", &DesktopNotifier::clicked, this, nullptr);
        if (!notify_notification_show(m_shown, nullptr))
            drop();
    }

private:
    static void clicked(NotifyNotification*, char*, gpointer self)
    {
        auto* notifier = static_cast<DesktopNotifier*>(self);
        if (notifier->activated)
            notifier->activated();
    }
    void drop()
    {
        if (m_shown) {
            notify_notification_close(m_shown, nullptr);
            g_object_unref(m_shown);
            m_shown = nullptr;
        }
    }

    bool m_ready = false;
    NotifyNotification* m_shown = nullptr;
};

bool sessionBusExists()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

std::unique_ptr<MessageNotifier> makeDesktopNotifier()
{
    if (!sessionBusExists())
        return nullptr;
    return std::make_unique<DesktopNotifier>();
}

void MessageArrivals::start(Zumeli::IClient* client, epiWindowManager* windows, std::unique_ptr<MessageNotifier> notifier)
{
    m_client = client;
    m_windows = windows;
    m_known = client ? client->getMessageCount() : -1;
    setNotifier(std::move(notifier));
}

void MessageArrivals::stop()
{
    m_notifier.reset();
    m_client = nullptr;
    m_windows = nullptr;
}

void MessageArrivals::setNotifier(std::unique_ptr<MessageNotifier> notifier)
{
    m_notifier = std::move(notifier);
    if (m_notifier)
        m_notifier->activated = [this] {
            if (m_windows)
                m_windows->showOrOpenWindow(epiFourCC("mebx"));
        };
}

int MessageArrivals::serviceMessagesArrived()
{
    if (!m_client || !m_windows)
        return 0;
    int opened = 0;
    Zumeli::ServiceMessageData message;
    while (m_client->takeServiceMessage(message)) {
        auto* window = dynamic_cast<MessageWindow*>(m_windows->openWindow(epiFourCC("smsg")));
        if (!window)
            continue;
        window->showServiceMessage(message);
        // Several at once step down and right, so that each one shows.
        int step = (m_opened++ % CascadeSteps) * CascadeStep;
        epiRect frame = window->frame();
        frame.offset(step, step);
        window->setFrame(frame);
        ++opened;
        // The service asks to be left while its message is read; a button may log in again.
        if (message.mainDisconnect)
            m_client->disconnect();
    }
    return opened;
}

void MessageArrivals::userMessagesChanged(bool mainShown)
{
    if (!m_client)
        return;
    int count = m_client->getMessageCount();
    int first = m_known < 0 ? count : m_known;
    m_known = count;
    if (mainShown || !m_notifier || first >= count)
        return;
    // The newest message received among the new ones.
    int own = m_client->getOwnUserId();
    for (int i = count - 1; i >= first; --i) {
        Zumeli::UserMessageData message;
        if (!m_client->getMessage(i, message) || message.sender == own || message.read)
            continue;
        Zumeli::Text name;
        if (!m_client->getUserName(message.sender, name))
            name = "?";
        const char* invitation = "]Invitation to join my channel[";
        std::string body = message.type != Zumeli::UserMessageData::Invitation ? message.text.c_str()
                           : m_translate                                       ? m_translate(invitation)
                                                                               : "Invitation to join my channel";
        m_notifier->show(name.c_str(), body);
        return;
    }
}

} // namespace ZumeliApplication

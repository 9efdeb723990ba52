#pragma once

#include <functional>
#include <string>

typedef struct _GMainContext GMainContext;
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

namespace ZumeliApplication {

// The talk key through the desktop portal's global shortcuts (org.freedesktop.portal.GlobalShortcuts
// on the session bus), the way a Wayland session lets a program see a key while another window
// has the focus. The portal is asked for a session and for one shortcut, "talk", with the key as
// its preferred trigger; the desktop may let the user confirm or choose another key. The portal
// then reports the shortcut's press (Activated) and its release (Deactivated).
//
// Everything runs on the caller's thread: the connection's replies and signals wait in a main
// context of this object's own until poll() delivers them, so the key works the same under any
// window system (the panel polls on its refresh).
class PortalHotKey {
public:
    enum class State { Off, Binding, Bound, Failed };
    // true: the shortcut was pressed, false: released.
    using Handler = std::function<void(bool pressed)>;

    static constexpr const char* ShortcutId = "talk";

    PortalHotKey() = default;
    ~PortalHotKey() { unbind(); }
    PortalHotKey(const PortalHotKey&) = delete;
    PortalHotKey& operator=(const PortalHotKey&) = delete;

    // A Wayland session: WAYLAND_DISPLAY is set or XDG_SESSION_TYPE says "wayland".
    static bool waylandSession();

    // Starts binding: connects to the session bus, checks that the portal offers global
    // shortcuts (waiting at most a second), and asks for the session; the rest arrives through
    // poll(). False, with state Failed, when there is no bus or no such portal.
    bool bind(const std::string& trigger, const std::string& description, Handler handler);
    // Closes the portal session; nothing is reported afterwards.
    void unbind();
    // Delivers the portal's replies and the shortcut's presses and releases that arrived.
    void poll();

    State state() const { return m_state; }
    // Why binding failed, for the trace line.
    const std::string& failure() const { return m_failure; }

private:
    void fail(const std::string& why);
    // Calls a portal method whose answer comes as the Response signal of a request object.
    void request(const char* method, GVariant* parameters, const std::string& token,
                 void (PortalHotKey::*answered)(unsigned response, GVariant* results));
    void sessionCreated(unsigned response, GVariant* results);
    void shortcutsBound(unsigned response, GVariant* results);
    void shortcutSignal(const char* signal, GVariant* parameters);
    void unsubscribeRequest();

    static void onSignal(GDBusConnection*, const char* sender, const char* path, const char* interface,
                         const char* signal, GVariant* parameters, void* self);
    static void onResponse(GDBusConnection*, const char* sender, const char* path, const char* interface,
                           const char* signal, GVariant* parameters, void* self);

    State m_state = State::Off;
    std::string m_failure;
    Handler m_handler;
    std::string m_trigger;
    std::string m_description;
    GMainContext* m_context = nullptr;
    GDBusConnection* m_bus = nullptr;
    std::string m_session;
    unsigned m_shortcutSignals[2] = { 0, 0 };
    unsigned m_requestSignal = 0;
    void (PortalHotKey::*m_answered)(unsigned, GVariant*) = nullptr;
    int m_tokens = 0;
};

} // namespace ZumeliApplication

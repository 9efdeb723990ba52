#include "app/PortalHotKey.h"

#include <gio/gio.h>

#include <cstdlib>
#include <cstring>

namespace ZumeliApplication {

namespace {

constexpr const char* PortalName = "org.freedesktop.portal.Desktop";
constexpr const char* PortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* ShortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* RequestInterface = "org.freedesktop.portal.Request";
constexpr int CheckTimeoutMs = 1000;

// Runs with the object's main context as the thread's default, so that the replies and signals
// of everything started inside wait there for poll().
class ContextScope {
public:
    explicit ContextScope(GMainContext* context)
        : m_context(context)
    {
        g_main_context_push_thread_default(m_context);
    }
    ~ContextScope() { g_main_context_pop_thread_default(m_context); }

private:
    GMainContext* m_context;
};

} // namespace

bool PortalHotKey::waylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (session && std::strcmp(session, "wayland") == 0);
}

bool PortalHotKey::bind(const std::string& trigger, const std::string& description, Handler handler)
{
    unbind();
    m_handler = std::move(handler);
    m_trigger = trigger;
    m_description = description;
    m_failure.clear();
    m_context = g_main_context_new();
    ContextScope scope(m_context);

    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (address) {
        // A connection of our own: its signals and replies stay out of GTK's shared one.
        m_bus = g_dbus_connection_new_for_address_sync(
            address,
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        g_free(address);
    }
    if (!m_bus) {
        fail(std::string("no session bus: ") + (error ? error->message : "?"));
        g_clear_error(&error);
        return false;
    }

    // The portal answers for its interface's version only when it offers global shortcuts.
    GVariant* version = g_dbus_connection_call_sync(m_bus, PortalName, PortalPath, "org.freedesktop.DBus.Properties",
                                                    "Get", g_variant_new("(ss)", ShortcutsInterface, "version"),
                                                    G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, CheckTimeoutMs,
                                                    nullptr, &error);
    if (!version) {
        fail(std::string("no global shortcuts portal: ") + (error ? error->message : "?"));
        g_clear_error(&error);
        return false;
    }
    g_variant_unref(version);

    const char* signals[2] = { "Activated", "Deactivated" };
    for (int i = 0; i < 2; ++i)
        m_shortcutSignals[i] = g_dbus_connection_signal_subscribe(m_bus, PortalName, ShortcutsInterface, signals[i],
                                                                  PortalPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                                  &PortalHotKey::onSignal, this, nullptr);
    m_state = State::Binding;
    std::string token = "zumeli_" + std::to_string(++m_tokens);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token", g_variant_new_string(token.c_str()));
    request("CreateSession", g_variant_new("(a{sv})", &options), token, &PortalHotKey::sessionCreated);
    return m_state != State::Failed;
}

void PortalHotKey::request(const char* method, GVariant* parameters, const std::string& token,
                           void (PortalHotKey::*answered)(unsigned, GVariant*))
{
    // The request object's path is known before the call ("/.../request/SENDER/TOKEN", the
    // sender's unique name without ':' and with '_' for '.'), so its Response cannot be missed.
    const char* unique = g_dbus_connection_get_unique_name(m_bus);
    std::string sender = unique && *unique == ':' ? unique + 1 : "";
    for (char& c : sender)
        if (c == '.')
            c = '_';
    std::string path = std::string(PortalPath) + "/request/" + sender + "/" + token;
    unsubscribeRequest();
    m_answered = answered;
    m_requestSignal = g_dbus_connection_signal_subscribe(m_bus, PortalName, RequestInterface, "Response", path.c_str(),
                                                         nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &PortalHotKey::onResponse,
                                                         this, nullptr);
    // The call's own reply (the request's path) is not needed; a failed call fails the binding.
    g_dbus_connection_call(
        m_bus, PortalName, PortalPath, ShortcutsInterface, method, parameters, G_VARIANT_TYPE("(o)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
        [](GObject* bus, GAsyncResult* result, gpointer self) {
            GError* error = nullptr;
            GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
            if (reply) {
                g_variant_unref(reply);
                return;
            }
            // After unbind() the object may be gone: a cancelled call has nothing to report.
            if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) && !g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CLOSED))
                static_cast<PortalHotKey*>(self)->fail(std::string("the portal refused: ") + error->message);
            g_clear_error(&error);
        },
        this);
}

void PortalHotKey::onResponse(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* parameters,
                              void* self)
{
    auto* portal = static_cast<PortalHotKey*>(self);
    guint32 response = 2;
    GVariant* results = nullptr;
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})")))
        g_variant_get(parameters, "(u@a{sv})", &response, &results);
    auto answered = portal->m_answered;
    portal->unsubscribeRequest();
    if (answered && results)
        (portal->*answered)(response, results);
    else
        portal->fail("the portal's answer was not understood");
    if (results)
        g_variant_unref(results);
}

void PortalHotKey::sessionCreated(unsigned response, GVariant* results)
{
    // The handle is a string; older portals sent it as an object path.
    GVariant* handle = g_variant_lookup_value(results, "session_handle", nullptr);
    if (handle && (g_variant_is_of_type(handle, G_VARIANT_TYPE_STRING) || g_variant_is_of_type(handle, G_VARIANT_TYPE_OBJECT_PATH)))
        m_session = g_variant_get_string(handle, nullptr);
    if (handle)
        g_variant_unref(handle);
    if (response != 0 || m_session.empty() || !g_variant_is_object_path(m_session.c_str())) {
        m_session.clear();
        fail("the portal gave no session (response " + std::to_string(response) + ")");
        return;
    }

    std::string token = "zumeli_" + std::to_string(++m_tokens);
    GVariantBuilder shortcut;
    g_variant_builder_init(&shortcut, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&shortcut, "{sv}", "description", g_variant_new_string(m_description.c_str()));
    g_variant_builder_add(&shortcut, "{sv}", "preferred_trigger", g_variant_new_string(m_trigger.c_str()));
    GVariantBuilder shortcuts;
    g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
    g_variant_builder_add(&shortcuts, "(sa{sv})", ShortcutId, &shortcut);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    request("BindShortcuts", g_variant_new("(oa(sa{sv})sa{sv})", m_session.c_str(), &shortcuts, "", &options), token,
            &PortalHotKey::shortcutsBound);
}

void PortalHotKey::shortcutsBound(unsigned response, GVariant* results)
{
    // The desktop may have let the user drop the shortcut: bound means "talk" is among the results.
    GVariant* bound = g_variant_lookup_value(results, "shortcuts", G_VARIANT_TYPE("a(sa{sv})"));
    bool found = false;
    if (bound) {
        GVariantIter iter;
        g_variant_iter_init(&iter, bound);
        const char* id = nullptr;
        GVariant* properties = nullptr;
        while (g_variant_iter_loop(&iter, "(&s@a{sv})", &id, &properties))
            found = found || std::strcmp(id, ShortcutId) == 0;
        g_variant_unref(bound);
    }
    if (response != 0 || !found) {
        fail("the talk shortcut was not bound (response " + std::to_string(response) + ")");
        return;
    }
    m_state = State::Bound;
}

void PortalHotKey::onSignal(GDBusConnection*, const char*, const char*, const char*, const char* signal,
                            GVariant* parameters, void* self)
{
    static_cast<PortalHotKey*>(self)->shortcutSignal(signal, parameters);
}

void PortalHotKey::shortcutSignal(const char* signal, GVariant* parameters)
{
    if (m_state != State::Bound || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(osta{sv})")))
        return;
    const char* session = nullptr;
    const char* id = nullptr;
    g_variant_get_child(parameters, 0, "&o", &session);
    g_variant_get_child(parameters, 1, "&s", &id);
    if (m_session != session || std::strcmp(id, ShortcutId) != 0 || !m_handler)
        return;
    m_handler(std::strcmp(signal, "Activated") == 0);
}

void PortalHotKey::poll()
{
    if (!m_context)
        return;
    ContextScope scope(m_context);
    while (g_main_context_iteration(m_context, FALSE)) {
    }
}

void PortalHotKey::fail(const std::string& why)
{
    m_state = State::Failed;
    m_failure = why;
}

void PortalHotKey::unsubscribeRequest()
{
    if (m_bus && m_requestSignal)
        g_dbus_connection_signal_unsubscribe(m_bus, m_requestSignal);
    m_requestSignal = 0;
    m_answered = nullptr;
}

void PortalHotKey::unbind()
{
    if (m_bus) {
        ContextScope scope(m_context);
        unsubscribeRequest();
        for (unsigned& id : m_shortcutSignals) {
            if (id)
                g_dbus_connection_signal_unsubscribe(m_bus, id);
            id = 0;
        }
        if (!m_session.empty()) {
            // The portal forgets the shortcut with its session.
            GVariant* closed = g_dbus_connection_call_sync(m_bus, PortalName, m_session.c_str(),
                                                           "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                                                           G_DBUS_CALL_FLAGS_NONE, CheckTimeoutMs, nullptr, nullptr);
            if (closed)
                g_variant_unref(closed);
        }
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        // Pending calls finish (as closed) in our context before it goes.
        while (g_main_context_iteration(m_context, FALSE)) {
        }
        g_object_unref(m_bus);
        m_bus = nullptr;
    }
    if (m_context) {
        g_main_context_unref(m_context);
        m_context = nullptr;
    }
    m_session.clear();
    m_handler = nullptr;
    if (m_state != State::Failed)
        m_state = State::Off;
}

} // namespace ZumeliApplication

#include "ui/epiWindowApplication.h"

#include "ui/epiClipboard.h"
#include "ui/epiKeyboard.h"
#include "ui/epiMenu.h"
#include "ui/epiResources.h"
#include "ui/epiUiWidgetKinds.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowManager.h"
#include "ui/epiWindowSystem.h"

#include <cstdio>
#include <cstring>

namespace {

epiWindowApplication* g_current = nullptr;

} // namespace

epiWindowApplication::epiWindowApplication()
{
    epiRegisterWidgetKinds(*this);
}

epiWindowApplication::~epiWindowApplication()
{
    if (g_current == this)
        g_current = nullptr;
}

epiWindowApplication* epiWindowApplication::current()
{
    return g_current;
}

epiObject* epiWindowApplication::createObject(epiCode family, epiCode kind, epiCode id)
{
    if (family == kFamilyApplication) {
        switch (kind) {
        case epiFourCC("Clip"): return new epiClipboard;
        case epiFourCC("Keyb"): return new epiKeyboard;
        case epiFourCC("Menu"): return new epiMenu;
        case epiFourCC("Wind"): return new epiWindowManager;
        default: break;
        }
    }
    // A window class registered for 'iWin' replaces the plain window.
    if (family == kFamilyUi && kind == epiWindow::kType && !hasKind(kind))
        return new epiWindow;
    return epiApplication::createObject(family, kind, id);
}

std::vector<std::string> epiWindowApplication::splitCommandLine(const char* commandLine)
{
    std::string line = ". ";
    line += commandLine ? commandLine : "";
    std::vector<std::string> fields;
    size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ' || line[at] == '\t') {
            ++at;
            continue;
        }
        if (line[at] == '"') {
            size_t end = line.find('"', at + 1);
            if (end == std::string::npos)
                end = line.size();
            fields.push_back(line.substr(at + 1, end - at - 1));
            at = end + 1;
            continue;
        }
        size_t end = line.find_first_of(" \t", at);
        if (end == std::string::npos)
            end = line.size();
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

int epiWindowApplication::run(const char* commandLine)
{
    std::vector<std::string> fields = splitCommandLine(commandLine);
    std::vector<std::vector<char>> storage;
    std::vector<char*> argv;
    for (const std::string& field : fields) {
        storage.emplace_back(field.begin(), field.end());
        storage.back().push_back('\0');
    }
    for (std::vector<char>& field : storage)
        argv.push_back(field.data());
    argv.push_back(nullptr);
    return main(static_cast<int>(fields.size()), argv.data());
}

int epiWindowApplication::main(int argc, char** argv)
{
    if (g_current && g_current != this)
        return 1;
    g_current = this;
    m_registered = true;
    setApplicationPath();
    if (!init())
        return -1;
    int result = execute(argc, argv);
    shutdown();
    return result;
}

template<typename Service>
bool epiWindowApplication::makeService(epiCode kind, Service*& slot)
{
    epiObject* made = createObject(kFamilyApplication, kind, 0);
    slot = dynamic_cast<Service*>(made);
    if (!slot) {
        delete made;
        return false;
    }
    slot->setApplication(this);
    if (!slot->init()) {
        delete slot;
        slot = nullptr;
        return false;
    }
    return true;
}

bool epiWindowApplication::init()
{
    setApplication(this);
    // An application started without main (tools, tests) is the process's one while it lives.
    if (!g_current) {
        g_current = this;
        m_registered = true;
    }
    if (!windowSystem()) {
        setWindowSystem(epiMakeWindowSystem());
        if (!windowSystem()) {
            std::printf("no display: set DISPLAY, or ZUMELI_WINDOW_SYSTEM=null to run without one\n");
            return false;
        }
    }
    bool made = (m_resources || makeService(epiFourCC("Rsrc"), m_resources)) &&
                makeService(epiFourCC("Wind"), m_windowManager) && makeService(epiFourCC("Keyb"), m_keyboard) &&
                makeService(epiFourCC("Menu"), m_menu) && makeService(epiFourCC("Clip"), m_clipboard);
    if (!made) {
        shutdown();
        return false;
    }
    return true;
}

int epiWindowApplication::execute(int argc, char** argv)
{
    m_argc = argc;
    m_argv = argv;
    prepare(argc, argv);
    m_argc = 0;
    m_argv = nullptr;
    if (m_windowManager)
        m_windowManager->runLoop();
    afterLoop();
    return 0;
}

namespace {

// Shuts a service down (still reachable: closing windows needs the window manager) and then
// destroys it, clearing the slot before the destructor runs.
template<typename Service>
void destroyService(Service*& slot)
{
    if (!slot)
        return;
    slot->shutdown();
    Service* service = slot;
    slot = nullptr;
    delete service;
}

} // namespace

void epiWindowApplication::shutdown()
{
    destroyService(m_windowManager);
    // The closed windows and their widgets still use the resources (images, fonts): they go
    // before the resources do.
    purgeReleased();
    destroyService(m_keyboard);
    destroyService(m_menu);
    destroyService(m_clipboard);
    destroyService(m_resources);
    purgeReleased();
    if (m_registered && g_current == this)
        g_current = nullptr;
    m_registered = false;
}

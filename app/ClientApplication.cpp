#include "app/ClientApplication.h"

#include "app/AboutWindow.h"
#include "app/AccountWindows.h"
#include "app/AdministrationWindows.h"
#include "app/PeopleSelector.h"
#include "app/ChannelsWindow.h"
#include "app/AudioTestWindow.h"
#include "app/AudioWidgets.h"
#include "app/AutoTalkWindow.h"
#include "app/PlayerWindow.h"
#include "app/RecorderWindow.h"
#include "app/SpectrumWindow.h"
#include "app/TimedPlayerWindow.h"
#include "app/ChannelDetailsWindow.h"
#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "app/DesktopLook.h"
#include "app/CommandLineOptions.h"
#include "app/MessageWindow.h"
#include "app/MessagesBoxWindow.h"
#include "app/NewMessageWindows.h"
#include "app/TalkHistoryWindow.h"
#include "app/PanelWidgets.h"
#include "app/PeopleWindow.h"
#include "app/PhotoWindow.h"
#include "app/SetupWindow.h"
#include "app/SingleInstance.h"
#include "app/UserProfileWindow.h"
#include "app/Version.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "platform/UserFolders.h"
#include "ui/epiResources.h"
#include "ui/epiWindowSystem.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace ZumeliApplication {

namespace {

constexpr double InstanceWatchSeconds = 0.25;
constexpr const char* LocalizationFile = "ZumeliLocalization.xml";

// The window codes of the program and whether this build has a class for them. The others open
// nothing until their windows exist.
constexpr const char* WindowCodes[] = {
    "abou", "mebx", "adfc", "nuab", "admi", "nuin", "admr", "nume", "aupl", "peLi", "aure", "peWi",
    "autk", "peos", "blnd", "phot", "chDe", "plut", "chLi", "pwch", "chmo", "regi", "geow", "setp",
    "gpss", "smsg", "lgin", "spct", "main", "subm", "tahi", "tsta", "usdl", "uspr",
};

std::atomic<bool> g_quitRequested {false};

epiWindow* makeWindow(epiCode id)
{
    switch (id) {
    case epiFourCC("main"): return new ClientWindow;
    case epiFourCC("lgin"): return new LoginWindow;
    case epiFourCC("regi"): return new RegistrationWindow;
    case epiFourCC("pwch"): return new PwChangeWindow;
    case epiFourCC("smsg"): return new MessageWindow;
    case epiFourCC("admr"): return new AdministrationRequestWindow;
    case epiFourCC("admi"): return new AdministrationWindow;
    case epiFourCC("adfc"): return new FamilyAdministrationWindow;
    case epiFourCC("peos"): return new PeopleSelector;
    case epiFourCC("tahi"): return new TalkHistoryWindow;
    case epiFourCC("chLi"): return new ChannelsWindow;
    case epiFourCC("mebx"): return new MessagesBoxWindow;
    case epiFourCC("nume"): return new AskNewUserMessageWindow;
    case epiFourCC("nuin"): return new AskNewUserInvitationWindow;
    case epiFourCC("nuab"): return new AskReportUserAbuse;
    case epiFourCC("spct"): return new SpectrumWindow;
    case epiFourCC("aupl"): return new PlayerWindow;
    case epiFourCC("plut"): return new TimedPlayerWindow;
    case epiFourCC("aure"): return new RecorderWindow;
    case epiFourCC("tsta"): return new AudioTestWindow;
    case epiFourCC("autk"): return new AutoTalkWindow;
    case epiFourCC("setp"): return new SetupWindow;
    case epiFourCC("peLi"): return new PeopleWindow;
    case epiFourCC("chDe"): return new ChannelDetailsWindow;
    case epiFourCC("abou"): return new AboutWindow;
    case epiFourCC("uspr"): return new UserProfileWindow;
    case epiFourCC("phot"): return new PhotoWindow;
    default: return nullptr;
    }
}

bool isPasswordItem(epiCode id)
{
    return id == epiFourCC("pasw") || id == epiFourCC("pas1") || id == epiFourCC("pas2");
}

} // namespace

epiText ClientMenu::localizeLabel(const epiText& text)
{
    auto* app = dynamic_cast<ClientApplication*>(application());
    return app ? epiText(app->localizer().text(text.c_str()).c_str()) : text;
}

ClientApplication::ClientApplication() : m_instanceWatch(*this)
{
    registerPanelWidgetKinds(*this);
    registerAudioWidgetKinds(*this);
    registerKind(ClientPanel::kKind, [](epiCode) { return new ClientPanel; });
    registerKind(ChannelsPane::kKind, [](epiCode) { return new ChannelsPane; });
    registerKind(MessagesBoxPane::kKind, [](epiCode) { return new MessagesBoxPane; });
}

ClientApplication::~ClientApplication() { m_instanceWatch.cancelAllTimers(); }

bool ClientApplication::isWindowCode(epiCode code)
{
    for (const char* text : WindowCodes)
        if (epiCodeFromText(text) == code)
            return true;
    return false;
}

epiObject* ClientApplication::createObject(epiCode family, epiCode kind, epiCode id)
{
    if (isWindowCode(id)) {
        if (epiWindow* window = makeWindow(id))
            return window;
        // A window of this table that this build does not have yet: nothing opens.
        if (kind == epiWindow::kType || family != kFamilyUi)
            return nullptr;
    }
    if (kind == epiFourCC("Wind"))
        return new ClientWindowManager;
    if (kind == epiFourCC("Menu"))
        return new ClientMenu;
    if (family == kFamilyUi && kind == epiUiSystemEditText::kKind && isPasswordItem(id))
        return new UiEditPassword;
    return epiWindowApplication::createObject(family, kind, id);
}

bool ClientApplication::readLocalizationTable(epiResources* resources, std::string& text, std::string* from)
{
    std::string folder = Zumeli::Platform::appDataFolder();
    if (!folder.empty()) {
        folder += "Zumeli/";
        Zumeli::Platform::makeFolders(folder);
        std::ifstream user(folder + LocalizationFile, std::ios::binary);
        if (user) {
            text.assign(std::istreambuf_iterator<char>(user), std::istreambuf_iterator<char>());
            if (!text.empty()) {
                if (from)
                    *from = folder + LocalizationFile;
                return true;
            }
        }
    }
    epiText packed;
    if (resources && resources->readResourceText(epiText(LocalizationFile), epiResources::kAux, packed)) {
        text = packed.c_str();
        if (from)
            *from = "pack";
        return true;
    }
    return false;
}

void ClientApplication::endStart(int exitCode)
{
    m_earlyExit = exitCode;
    windowManager()->quit();
}

void ClientApplication::prepare(int argc, char** argv)
{
    // 1. One copy per user: a second start raises the first one's window and ends.
    if (m_checkSingleInstance) {
        char title[64];
        std::snprintf(title, sizeof title, TitleFormat, VersionText);
        m_instance = std::make_unique<SingleInstance>(title);
        if (m_instance->claim() == SingleInstance::Outcome::OtherRunning) {
            std::printf("Zumeli is already running: its window was raised\n");
            m_instance.reset();
            endStart(0);
            return;
        }
    }
    m_instanceWatch.setApplication(this);
    m_instanceWatch.startTimer(InstanceWatchSeconds);

    // An idle loop waits for the next event or timer instead of waking every 2 ms.
    windowManager()->setBlockingWait(true);

    // 2. The options.
    CommandLineOptions& options = CommandLineOptions::process();
    options.scan(argc, argv, stdout);

    // 3. The resource pack.
    if (!resources()->openPack(epiText("Zumeli"))) {
        std::printf("No resource pack could be opened\n");
        endStart(0);
        return;
    }

    // 4. The engine, on the stored settings and the options.
    Zumeli::Manager& manager = Zumeli::Manager::instance();
    Zumeli::PreferencesStartup startup;
    if (options.prefsPath)
        startup.prefsPath = Zumeli::Text(options.prefsPath->c_str());
    if (options.user)
        startup.user = Zumeli::Text(options.user->c_str());
    if (options.pass)
        startup.pass = Zumeli::Text(options.pass->c_str());
    manager.preferences.load(startup);
    m_engine = std::make_unique<Zumeli::Client>(manager);
    m_sounds = std::make_unique<ResourceSoundProvider>(resources());
    m_engine->setSoundProvider(m_sounds.get());

    // 5. The localisation table.
    std::string table;
    readLocalizationTable(resources(), table);
    m_engine->loadLocalization(Zumeli::Text(table.c_str()));
    m_localizer.setTable(&m_engine->localizer());

    // 6. The menu bar and the main window.
    preferDarkLook();
    menu()->load(epiFourCC("main"));
    if (!windowManager()->openWindow(epiFourCC("main"))) {
        std::printf("The resource pack has no main window\n");
        endStart(0);
    }
}

void ClientApplication::afterLoop()
{
    m_instanceWatch.cancelAllTimers();
    windowManager()->closeWindow(epiFourCC("main"));
    m_localizer.setTable(nullptr);
    m_engine.reset();
    m_instance.reset();
}

void ClientApplication::raiseMainWindow()
{
    epiWindow* main = windowManager() ? windowManager()->findWindow(epiFourCC("main")) : nullptr;
    if (!main || !windowSystem())
        return;
    windowSystem()->showWindow(main->handle(), true);
    windowManager()->bringToFront(main);
}

void ClientApplication::requestQuit() { g_quitRequested.store(true); }

void ClientApplication::InstanceWatch::timerFired()
{
    if (m_app.m_instance && m_app.m_instance->takeRaiseRequest())
        m_app.raiseMainWindow();
    if (g_quitRequested.exchange(false) && m_app.windowManager())
        m_app.windowManager()->dispatchCommand(epiFourCC("quit"));
}

bool ClientApplication::handleCommand(epiCode code)
{
    epiWindow* main = windowManager() ? windowManager()->findWindow(epiFourCC("main")) : nullptr;
    if (main) {
        windowManager()->bringToFront(main);
        if (code != epiFourCC("shma"))
            main->receiveCommand(code, 0, 0);
    }
    return false;
}

} // namespace ZumeliApplication

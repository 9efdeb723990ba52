#pragma once

#include "app/Localizer.h"
#include "app/ResourceSoundProvider.h"
#include "ui/epiMenu.h"
#include "ui/epiWindowApplication.h"
#include "ui/epiWindowManager.h"

#include <memory>
#include <optional>

namespace Zumeli {
class Client;
}

namespace ZumeliApplication {

class SingleInstance;

// Lives as long as the application; a place for objects that share its life.
class ClientPool {
public:
    virtual ~ClientPool() = default;
};

class ClientWindowManager : public epiWindowManager
{
};

// The menu bar; its labels are translated.
class ClientMenu : public epiMenu
{
public:
    epiText localizeLabel(const epiText& text) override;
};

// The desktop client: one copy per user, the resource pack, the engine, the localisation table,
// the menu bar and the main window; the engine is destroyed after the loop.
class ClientApplication : public epiWindowApplication
{
public:
    ClientApplication();
    ~ClientApplication() override;

    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override;
    void prepare(int argc, char** argv) override;
    void afterLoop() override;
    bool handleCommand(epiCode code) override;

    Zumeli::Client* engine() const { return m_engine.get(); }
    Localizer& localizer() { return m_localizer; }
    // Set by prepare when it ended the start: the process's exit code (another copy runs: 0).
    std::optional<int> earlyExit() const { return m_earlyExit; }
    // The single-instance check can be left out (tests that run several applications in turn).
    void setSingleInstanceCheck(bool check) { m_checkSingleInstance = check; }
    // Asks the running application to quit as File > Quit does (from a signal handler).
    static void requestQuit();
    // The window codes this program can create, in the order of the table.
    static bool isWindowCode(epiCode code);

    // The localisation table's text: the user's copy in the data folder, else the packed one.
    static bool readLocalizationTable(epiResources* resources, std::string& text, std::string* from = nullptr);

private:
    class InstanceWatch : public epiUiTimered
    {
    public:
        explicit InstanceWatch(ClientApplication& app) : m_app(app) {}
        void timerFired() override;

    private:
        ClientApplication& m_app;
    };

    void raiseMainWindow();
    void endStart(int exitCode);

    ClientPool m_pool;
    std::unique_ptr<Zumeli::Client> m_engine;
    Localizer m_localizer;
    std::unique_ptr<ResourceSoundProvider> m_sounds;
    std::unique_ptr<SingleInstance> m_instance;
    InstanceWatch m_instanceWatch;
    std::optional<int> m_earlyExit;
    bool m_checkSingleInstance = true;
};

} // namespace ZumeliApplication

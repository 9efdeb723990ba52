#pragma once

#include "ui/epiApplication.h"

#include <string>
#include <vector>

// An application with windows: its life cycle (run -> main -> init, execute, shutdown), the
// services it creates through its factory (resources, window manager, keyboard, menu bar,
// clipboard) and the factory of every widget kind and of windows.
//
// One per process.
class epiWindowApplication : public epiApplication
{
public:
    epiWindowApplication();
    ~epiWindowApplication() override;

    // Factory: ('Appl', 'Clip' 'Keyb' 'Menu' 'Rsrc' 'Wind') the services, ('GrUi', 'iWin') an
    // epiWindow, ('GrUi', widget kind) the widget classes; the rest as epiApplication.
    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override;

    // Splits ". " + `commandLine` into fields at blanks (a field that begins with a double quote
    // runs to the closing quote, without the quotes) and calls main with them.
    int run(const char* commandLine);
    static std::vector<std::string> splitCommandLine(const char* commandLine);
    // Refuses a second application in the process (1); init failure gives -1; otherwise
    // execute's result, after shutdown.
    virtual int main(int argc, char** argv);
    // Chooses the window system (unless one was given), then creates and initialises the
    // services. On failure what exists is shut down.
    bool init() override;
    // prepare, the window manager's loop, afterLoop; returns 0.
    virtual int execute(int argc, char** argv);
    void shutdown() override;

    // Hooks around the loop. The arguments are pending (argumentCount/arguments) only during
    // prepare.
    virtual void prepare(int /*argc*/, char** /*argv*/) {}
    virtual void afterLoop() {}
    int argumentCount() const { return m_argc; }
    char** arguments() const { return m_argv; }

    // Uses this window system instead of the one chosen at init (tests, tools).
    void useWindowSystem(std::unique_ptr<epiWindowSystem> windowSystem) { setWindowSystem(std::move(windowSystem)); }

    // The application of this process while one runs main.
    static epiWindowApplication* current();

private:
    template<typename Service>
    bool makeService(epiCode kind, Service*& slot);

    int m_argc = 0;
    char** m_argv = nullptr;
    bool m_registered = false;
};

#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiPath.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

class epiAppCommandsList;
class epiClipboard;
class epiKeyboard;
class epiMenu;
class epiResources;
class epiWindow;
class epiWindowManager;
class epiWindowSystem;

// The application object: the object factory, the services it owns (resources, and in a window
// application the window manager, keyboard, menu bar and clipboard), the timer scheduler, the
// posted-command queue and the list of released objects waiting for destruction.
//
// Everything here runs on the main thread.
class epiApplication : public epiApplicationObject
{
public:
    static constexpr epiCode kFamilyUi = epiFourCC("GrUi");
    static constexpr epiCode kFamilyApplication = epiFourCC("Appl");

    using Creator = std::function<epiObject*(epiCode id)>;

    epiApplication();
    ~epiApplication() override;

    // Family 'GrUi': the registered class for `kind`, else a plain epiUbo (image kinds 'iBmp' and
    // 'iBmD' give bitmaps). Family 'Appl' with kind 'Rsrc': the resources. Others: null.
    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override;
    void registerKind(epiCode kind, Creator creator);
    bool hasKind(epiCode kind) const { return m_kinds.count(kind) != 0; }

    // With no path, the executable's own file; "/..." is used as it is; "." and other relative
    // paths are taken from the current directory. Kept as the folder (ending in "/").
    void setApplicationPath(const epiText& path = {});
    const epiPath& applicationPath() const { return m_applicationPath; }

    // Asks the factory for family 'GrUi', kind 'iWin' with id `code`; null when that is no window.
    epiWindow* createWindowObject(epiCode code);
    // Builds a window from the layout document of that name in "layouts/" (null when it cannot be
    // read); the window is open and belongs to the window manager.
    epiWindow* openWindowFromLayoutFile(const epiText& fileName);

    // The last stop of a command no window handled.
    virtual bool handleCommand(epiCode) { return false; }

    // Services. The resources are created on first use when init() did not make them.
    epiResources* resources();
    epiWindowManager* windowManager() const { return m_windowManager; }
    epiKeyboard* keyboard() const { return m_keyboard; }
    epiMenu* menu() const { return m_menu; }
    epiClipboard* clipboard() const { return m_clipboard; }
    // The window system the application's windows live on; null in a display-free application.
    epiWindowSystem* windowSystem() const { return m_windowSystem.get(); }

    // Seconds of a monotonic clock, to the microsecond. Held as a double: single-precision
    // seconds since start-up lose the resolution a 2 ms timer needs after a few hours.
    virtual double now() const;
    // Busy-waits until `seconds` have passed.
    void waitSeconds(double seconds) const;

    // ----- timers -----
    // A timer for `target` due in `seconds`; `once` fires a single time. A periodic `fixedRate`
    // timer is next due at due + interval (it catches up after a delay), otherwise at now +
    // interval. A target may hold several timers.
    void scheduleTimer(epiApplicationObject* target, double seconds, bool once, bool fixedRate);
    // Cancels the first live timer of `target` (one per call).
    void cancelTimer(epiApplicationObject* target);
    // Cancels every timer of `target`.
    void cancelTimers(epiApplicationObject* target);
    // Fires what is due; returns at once while nothing can be due. Runs after every loop pass.
    void scanTimers();
    // The earliest due time of the live timers, or a negative value when there is none.
    double nextTimerDue() const;
    bool hasTimers() const { return m_hasTimers; }
    int timerCount(const epiApplicationObject* target) const;

    // ----- posted commands -----
    void postCommand(epiApplicationObject* target, epiCode code, intptr_t value, intptr_t extra);
    epiAppCommandsList& commands() { return *m_commands; }

    // ----- released objects -----
    // Takes an object whose last reference went (once: a second call for the same object does
    // nothing); destroyed by purgeReleased().
    void releaseLater(epiApplicationObject* object);
    // Destroys the released objects, including those released while purging. An object that was
    // retained again after its release is alive and stays.
    void purgeReleased();
    size_t releasedCount() const { return m_released.size(); }

    // An application object is being destroyed: no timer, command or list may still point at it.
    void forgetObject(epiApplicationObject* object);

protected:
    void setWindowSystem(std::unique_ptr<epiWindowSystem> windowSystem);
    // The services, set by the window application's init and shutdown.
    epiResources* m_resources = nullptr;
    epiWindowManager* m_windowManager = nullptr;
    epiKeyboard* m_keyboard = nullptr;
    epiMenu* m_menu = nullptr;
    epiClipboard* m_clipboard = nullptr;

private:
    struct TimerEntry
    {
        epiApplicationObject* target;
        double interval; // 0: one-shot
        double due;
        bool fixedRate;
        bool removed;
        uint64_t firedInScan;
    };

    std::map<epiCode, Creator> m_kinds;
    epiPath m_applicationPath;
    std::list<TimerEntry> m_timers;
    bool m_hasTimers = false;
    double m_earliestDue = 0;
    uint64_t m_scanNumber = 0;
    std::vector<epiApplicationObject*> m_released;
    std::unique_ptr<epiAppCommandsList> m_commands;
    std::unique_ptr<epiWindowSystem> m_windowSystem;
};

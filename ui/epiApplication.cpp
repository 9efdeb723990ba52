#include "ui/epiApplication.h"

#include "ui/epiAppCommandsList.h"
#include "ui/epiBitmap.h"
#include "ui/epiResources.h"
#include "ui/epiUbo.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiBitmapText.h"
#include "ui/epiUiContainer.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowSystem.h"
#include "ui/epiXmlChunk.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <unistd.h>

epiApplication::epiApplication() : m_commands(std::make_unique<epiAppCommandsList>())
{
    m_commands->setApplication(this);
    registerKind(epiUiContainer::kKind, [](epiCode) { return new epiUiContainer; });
    registerKind(epiUiBitmapImage::kKind, [](epiCode) { return new epiUiBitmapImage; });
    registerKind(epiUiBitmapText::kKind, [](epiCode) { return new epiUiBitmapText; });
}

epiApplication::~epiApplication()
{
    purgeReleased();
    if (m_resources) {
        m_resources->shutdown();
        delete m_resources;
        m_resources = nullptr;
    }
    purgeReleased();
    // The queue goes first, while the scheduler it is registered with still exists.
    cancelTimers(m_commands.get());
    m_commands.reset();
    m_timers.clear();
}

epiObject* epiApplication::createObject(epiCode family, epiCode kind, epiCode id)
{
    if (family == kFamilyApplication && kind == epiFourCC("Rsrc"))
        return new epiResources;
    if (family != kFamilyUi)
        return nullptr;
    if (auto found = m_kinds.find(kind); found != m_kinds.end())
        return found->second(id);
    if (kind == epiFourCC("iBmp") || kind == epiFourCC("iBmD"))
        return new epiBitmap;
    return new epiUbo;
}

void epiApplication::registerKind(epiCode kind, Creator creator)
{
    m_kinds[kind] = std::move(creator);
}

void epiApplication::setApplicationPath(const epiText& path)
{
    epiText full;
    if (path.isEmpty()) {
        char executable[PATH_MAX];
        ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
        full.assign(length > 0 ? std::string(executable, static_cast<size_t>(length)).c_str() : "./");
    } else if (path.str()[0] == '/') {
        full = path;
    } else {
        char current[PATH_MAX];
        full.assign(getcwd(current, sizeof(current)) ? current : ".");
        full.append("/");
        full.append(path.str()[0] == '.' && path.length() > 1 && path.str()[1] == '/' ? path.str().substr(2).c_str()
                                                                                       : path.c_str());
    }
    m_applicationPath = epiPath(full).folder();
    epiPath::setApplicationFolder(m_applicationPath);
}

epiWindow* epiApplication::createWindowObject(epiCode code)
{
    epiObject* made = createObject(kFamilyUi, epiWindow::kType, code);
    if (auto* window = dynamic_cast<epiWindow*>(made))
        return window;
    if (made) {
        made->makeCounted();
        made->release();
    }
    return nullptr;
}

epiWindow* epiApplication::openWindowFromLayoutFile(const epiText& fileName)
{
    epiText document;
    if (!resources()->readResourceText(fileName, epiResources::kLayouts, document))
        return nullptr;
    epiXmlChunk root;
    root.parse(document);
    epiCode code = root.child("epi").child("content").child("name").text().toCode();
    epiWindow* window = createWindowObject(code);
    if (!window)
        return nullptr;
    window->makeCounted();
    window->setApplication(this);
    window->init();
    if (!window->loadLayout(fileName)) {
        // Never opened: give it back.
        window->shutdown();
        return nullptr;
    }
    return window;
}

epiResources* epiApplication::resources()
{
    if (!m_resources) {
        // Made through the factory so that an application can give its own resources class.
        m_resources = dynamic_cast<epiResources*>(createObject(kFamilyApplication, epiFourCC("Rsrc"), 0));
        if (!m_resources)
            m_resources = new epiResources;
        m_resources->setApplication(this);
        m_resources->init();
    }
    return m_resources;
}

void epiApplication::setWindowSystem(std::unique_ptr<epiWindowSystem> windowSystem)
{
    m_windowSystem = std::move(windowSystem);
}

double epiApplication::now() const
{
    // The monotonic clock of the tick count, read to the microsecond: with whole milliseconds a
    // timer due at t would fire only once the clock shows t + 1 ms.
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void epiApplication::waitSeconds(double seconds) const
{
    double end = now() + seconds;
    while (now() <= end) {
    }
}

// ----- timers -----

void epiApplication::scheduleTimer(epiApplicationObject* target, double seconds, bool once, bool fixedRate)
{
    if (!target)
        return;
    m_timers.push_back({target, once ? 0.0 : seconds, now() + seconds, fixedRate, false, 0});
    m_hasTimers = true;
    m_earliestDue = 0;
}

void epiApplication::cancelTimer(epiApplicationObject* target)
{
    for (TimerEntry& entry : m_timers) {
        if (entry.target == target && !entry.removed) {
            entry.removed = true;
            return;
        }
    }
}

void epiApplication::cancelTimers(epiApplicationObject* target)
{
    for (TimerEntry& entry : m_timers)
        if (entry.target == target)
            entry.removed = true;
}

int epiApplication::timerCount(const epiApplicationObject* target) const
{
    return static_cast<int>(std::count_if(m_timers.begin(), m_timers.end(), [target](const TimerEntry& entry) {
        return entry.target == target && !entry.removed;
    }));
}

void epiApplication::scanTimers()
{
    double time = now();
    if (!m_hasTimers || time < m_earliestDue)
        return;
    // A periodic timer that fell behind fires once per scan, even when a one-shot timer further
    // down makes the walk start again from the head.
    uint64_t scan = ++m_scanNumber;
    double earliest = 0;
    auto entry = m_timers.begin();
    while (entry != m_timers.end()) {
        if (entry->removed) {
            m_timers.erase(entry);
            entry = m_timers.begin();
            earliest = 0;
            continue;
        }
        if (entry->due < time && entry->firedInScan != scan) {
            entry->firedInScan = scan;
            // The handler may schedule (appended, iterators stay valid) or cancel timers.
            entry->target->timerFired();
            if (!entry->removed) {
                if (entry->interval == 0) {
                    entry->removed = true;
                } else {
                    entry->due = entry->fixedRate ? entry->due + entry->interval : time + entry->interval;
                }
            }
            if (entry->removed) {
                entry = m_timers.begin();
                earliest = 0;
                continue;
            }
        }
        if (earliest == 0 || entry->due < earliest)
            earliest = entry->due;
        ++entry;
    }
    m_hasTimers = !m_timers.empty();
    m_earliestDue = m_hasTimers ? earliest : 0;
}

double epiApplication::nextTimerDue() const
{
    double earliest = -1;
    for (const TimerEntry& entry : m_timers)
        if (!entry.removed && (earliest < 0 || entry.due < earliest))
            earliest = entry.due;
    return earliest;
}

// ----- posted commands -----

void epiApplication::postCommand(epiApplicationObject* target, epiCode code, intptr_t value, intptr_t extra)
{
    m_commands->post(target, code, value, extra);
}

// ----- released objects -----

void epiApplication::releaseLater(epiApplicationObject* object)
{
    if (!object || std::find(m_released.begin(), m_released.end(), object) != m_released.end())
        return;
    // willRelease() already ran in release(), just before the object came here.
    m_released.push_back(object);
}

void epiApplication::purgeReleased()
{
    // Destroying an object may release others; they join the list and go in the same pass.
    while (!m_released.empty()) {
        std::vector<epiApplicationObject*> batch;
        batch.swap(m_released);
        for (epiApplicationObject* object : batch)
            if (object->referenceCount() <= 0)
                delete object;
    }
}

void epiApplication::forgetObject(epiApplicationObject* object)
{
    cancelTimers(object);
    if (m_commands && object != m_commands.get())
        m_commands->forget(object);
    std::erase(m_released, object);
}

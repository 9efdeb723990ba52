// zumeli-gallery: one window per widget family, built from the layouts of a resource set, with a
// menu bar and its accelerators and a modal window, so that a person can see and try every
// widget. Tests and benchmarks drive it too: it reports on standard output what reached its
// windows and can measure its own idle cost and redraw time.
//
//   zumeli-gallery [--set FOLDER] [--fonts FOLDER] [--open bttn,knob,...] [--idle sleep|block]
//                  [--measure-idle SECONDS] [--measure-timers SECONDS] [--measure-redraw COUNT]
//                  [--quit-after SECONDS]
#include "GalleryResources.h"
#include "ProcessFigures.h"

#include "ui/epiMenu.h"
#include "ui/epiModalWindow.h"
#include "ui/epiResources.h"
#include "ui/epiWindowApplication.h"
#include "ui/epiWindowManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kPackIdentifier = 31900;

// Reports every command that reaches the window (from its widgets or from the menu).
class GalleryWindow : public epiWindow
{
public:
    bool handleCommand(epiCode command) override
    {
        std::printf("hit %s %s\n", epiCodeToText(code()).c_str(), epiCodeToText(command).c_str());
        return epiWindow::handleCommand(command);
    }
    bool receiveCommand(epiCode command, intptr_t, intptr_t) override
    {
        // Menu commands are left to the application.
        (void)command;
        return false;
    }
    void activated() override { std::printf("activated %s\n", epiCodeToText(code()).c_str()); }
};

class GalleryModal : public epiModalWindow
{
public:
    bool handleCommand(epiCode command) override
    {
        std::printf("hit %s %s\n", epiCodeToText(code()).c_str(), epiCodeToText(command).c_str());
        if (command == epiFourCC("clos")) {
            close();
            return true;
        }
        return epiModalWindow::handleCommand(command);
    }
};

// Ends the loop after a while (measurements, unattended runs).
class QuitTimer : public epiUiTimered
{
public:
    void timerFired() override
    {
        if (application() && application()->windowManager())
            application()->windowManager()->quit();
    }
};

// How late a fixed-rate timer fires against its nominal due times.
class LatenessProbe : public epiUiTimered
{
public:
    static constexpr double kInterval = 0.05;

    void start()
    {
        m_next = application()->now() + kInterval;
        startTimer(kInterval, false, true);
    }
    void timerFired() override
    {
        m_late.push_back(application()->now() - m_next);
        m_next += kInterval;
    }
    void report(const char* label) const
    {
        if (m_late.empty())
            return;
        std::vector<double> sorted = m_late;
        std::sort(sorted.begin(), sorted.end());
        double sum = 0;
        for (double late : sorted)
            sum += late;
        std::printf("timers %s: late by %.2f ms on average, %.2f ms at the 99th percentile, %.2f ms at most "
                    "(%zu firings)\n",
                    label, sum / sorted.size() * 1000, sorted[sorted.size() * 99 / 100] * 1000, sorted.back() * 1000,
                    sorted.size());
    }

private:
    double m_next = 0;
    std::vector<double> m_late;
};

struct Options
{
    std::string set = ZUMELI_GALLERY_SET;
    std::string fonts = ZUMELI_GALLERY_FONTS;
    std::vector<std::string> open = {"bttn", "knob", "text", "cont", "natv"};
    bool blockingWait = false;
    double measureIdle = 0;
    double measureTimers = 0;
    int measureRedraw = 0;
    double quitAfter = 0;
};

class GalleryApplication : public epiWindowApplication
{
public:
    explicit GalleryApplication(Options options) : m_options(std::move(options))
    {
        registerKind(epiWindow::kType, [](epiCode id) -> epiObject* {
            if (id == epiFourCC("modl"))
                return new GalleryModal;
            return new GalleryWindow;
        });
    }

    void prepare(int, char**) override
    {
        windowManager()->setBlockingWait(m_options.blockingWait);
        if (!registerGalleryPack(m_options.set, m_options.fonts, kPackIdentifier) ||
            !resources()->openNativePack(kPackIdentifier)) {
            std::printf("gallery: no resource set in %s\n", m_options.set.c_str());
            windowManager()->quit();
            return;
        }
        menu()->load(epiFourCC("main"));
        for (const std::string& code : m_options.open)
            if (!windowManager()->openWindow(epiCodeFromText(code)))
                std::printf("gallery: no window %s\n", code.c_str());
        if (m_options.measureRedraw > 0)
            measureRedraw();
        m_quit.setApplication(this);
        if (m_options.measureTimers > 0) {
            m_lateness.setApplication(this);
            m_lateness.start();
        }
        double quitAfter = m_options.measureIdle > 0     ? m_options.measureIdle
                           : m_options.measureTimers > 0 ? m_options.measureTimers
                                                         : m_options.quitAfter;
        if (quitAfter > 0)
            m_quit.startOneShotTimer(quitAfter);
        m_idleStart = ProcessFigures::sample();
        std::printf("ready\n");
    }

    void afterLoop() override
    {
        if (m_options.measureIdle > 0)
            ProcessFigures::report(m_options.blockingWait ? "gallery, blocking wait" : "gallery, 2 ms sleep",
                                   m_idleStart, ProcessFigures::sample());
        if (m_options.measureTimers > 0)
            m_lateness.report(m_options.blockingWait ? "blocking wait" : "2 ms sleep");
        m_quit.cancelAllTimers();
        m_lateness.cancelAllTimers();
    }

    bool handleCommand(epiCode code) override
    {
        std::printf("command %s\n", epiCodeToText(code).c_str());
        switch (code) {
        case epiFourCC("quit"): windowManager()->quit(); return true;
        case epiFourCC("modl"): windowManager()->showOrOpenWindow(code); return true;
        case epiFourCC("oknb"): windowManager()->showOrOpenWindow(epiFourCC("knob")); return true;
        case epiFourCC("otxt"): windowManager()->showOrOpenWindow(epiFourCC("text")); return true;
        case epiFourCC("ocnt"): windowManager()->showOrOpenWindow(epiFourCC("cont")); return true;
        case epiFourCC("onat"): windowManager()->showOrOpenWindow(epiFourCC("natv")); return true;
        default: return code == epiFourCC("abou");
        }
    }

private:
    // The full redraw of the largest open window into its bitmap.
    void measureRedraw()
    {
        epiWindow* largest = nullptr;
        for (int i = 0; i < windowManager()->windowCount(); ++i) {
            epiWindow* window = windowManager()->windowAt(i);
            if (!largest || window->bounds().width() * window->bounds().height() >
                                largest->bounds().width() * largest->bounds().height())
                largest = window;
        }
        if (!largest)
            return;
        largest->drawToBitmap(largest->bounds()); // images and fonts loaded once
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < m_options.measureRedraw; ++i)
            largest->drawToBitmap(largest->bounds());
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("redraw %s %dx%d: %.3f ms per full redraw (%d redraws)\n", epiCodeToText(largest->code()).c_str(),
                    largest->bounds().width(), largest->bounds().height(), seconds * 1000 / m_options.measureRedraw,
                    m_options.measureRedraw);
    }

    Options m_options;
    QuitTimer m_quit;
    LatenessProbe m_lateness;
    ProcessFigures::Sample m_idleStart;
};

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        if (!item.empty())
            items.push_back(item);
    return items;
}

} // namespace

int main(int argc, char** argv)
{
    // Line by line, so that a test reading the pipe sees each report when it happens.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            std::fprintf(stderr, "zumeli-gallery: %s needs a value\n", option.c_str());
            return 2;
        }
        ++i;
        if (option == "--set")
            options.set = value;
        else if (option == "--fonts")
            options.fonts = value;
        else if (option == "--open")
            options.open = splitList(value);
        else if (option == "--idle")
            options.blockingWait = std::strcmp(value, "block") == 0;
        else if (option == "--measure-idle")
            options.measureIdle = std::atof(value);
        else if (option == "--measure-timers")
            options.measureTimers = std::atof(value);
        else if (option == "--measure-redraw")
            options.measureRedraw = std::atoi(value);
        else if (option == "--quit-after")
            options.quitAfter = std::atof(value);
        else {
            std::fprintf(stderr, "zumeli-gallery: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    GalleryApplication application(options);
    return application.main(argc, argv);
}

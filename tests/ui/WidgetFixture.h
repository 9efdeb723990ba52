#pragma once

// A resource set of small widget layouts and plain-colour images (tests/ui/fixtures/widgets),
// an application that knows every widget kind, and a root that records the commands that reach
// it and its containers, so tests can click as a person would and count what arrived.
#include "TestResources.h"

#include "ui/epiUiContainer.h"
#include "ui/epiUiWidgetKinds.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowApplication.h"
#include "ui/epiWindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// A container that writes "<its code>:<command>" for every command it handles ("anon" for an
// anonymous one).
class RecordingContainer : public epiUiContainer
{
public:
    explicit RecordingContainer(std::vector<std::string>* log) : m_log(log) {}
    bool acceptsParent(epiCode) const override { return true; }
    bool handleCommand(epiCode command) override
    {
        if (m_log)
            m_log->push_back((code() ? epiCodeToText(code()) : "anon") + ":" + epiCodeToText(command));
        return true;
    }

private:
    std::vector<std::string>* m_log;
};

inline TestFiles widgetFixtureFiles()
{
    TestFiles files;
    std::filesystem::path root = std::filesystem::path(ZUMELI_SOURCE_DIR) / "tests/ui/fixtures/widgets";
    files.push_back({"/widgets.frs", {}});
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back({"/" + std::filesystem::relative(entry.path(), root).string(),
                             readFileBytes(entry.path().string())});
    std::string fonts = std::string(ZUMELI_GENERATED_RESOURCES) + "/fonts/";
    files.push_back({"/fonts/fontmatrix_AN12.png", readFileBytes(fonts + "fontmatrix_AN12.png")});
    files.push_back({"/fonts/fontmatrix_AN12.xml", readFileBytes(fonts + "fontmatrix_AN12.xml")});
    return files;
}

// A window application on the display-free window system whose clock the test moves: timers and
// animation ticks fire when the test says that time has passed.
// A window that writes "<its code>:<command>" for every command it handles.
class RecordingWindow : public epiWindow
{
public:
    explicit RecordingWindow(std::vector<std::string>* log) : m_log(log) {}
    bool handleCommand(epiCode command) override
    {
        if (m_log)
            m_log->push_back(epiCodeToText(code()) + ":" + epiCodeToText(command));
        return epiWindow::handleCommand(command);
    }

private:
    std::vector<std::string>* m_log;
};

class ClockedApplication : public epiWindowApplication
{
public:
    // Windows record the commands they handle.
    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override
    {
        if (family == kFamilyUi && kind == epiWindow::kType)
            return new RecordingWindow(log);
        return epiWindowApplication::createObject(family, kind, id);
    }
    std::vector<std::string>* log = nullptr;

    double now() const override { return clock + m_scanLead; }
    // Moves the clock on in steps of at most 10 ms, scanning the timers after each, as the loop
    // would. The scans read the clock a hair late, so that a timer due exactly at a step fires
    // in it whatever the rounding of the sums.
    void pass(double seconds)
    {
        double end = clock + seconds;
        while (clock < end - 1e-9) {
            clock = std::min(end, clock + 0.01);
            m_scanLead = 1e-6;
            scanTimers();
            m_scanLead = 0;
        }
    }
    double clock = 100;

private:
    double m_scanLead = 0;
};

class WidgetFixture : public ::testing::Test
{
protected:
    explicit WidgetFixture(std::unique_ptr<epiWindowSystem> windowSystem = epiMakeNullWindowSystem())
        : m_pack(widgetFixtureFiles(), 31500), root(&log)
    {
        application.log = &log;
        application.useWindowSystem(std::move(windowSystem));
        EXPECT_TRUE(application.init());
        epiRegisterWidgetKinds(application);
        // Containers of the layouts record too, so a command's whole way up can be read.
        application.registerKind(epiUiContainer::kKind, [this](epiCode) { return new RecordingContainer(&log); });
        application.resources()->openNativePack(m_pack.identifier());
        root.setApplication(&application);
        root.init();
    }
    ~WidgetFixture() override
    {
        while (root.childCount() > 0)
            root.childAt(root.childCount() - 1)->shutdown();
        root.shutdown();
        // The widgets go before the resources whose bitmaps they give back.
        application.purgeReleased();
        application.shutdown();
    }

    // Builds the layout document `name` (a file of layouts/) into the root.
    bool load(const char* fileName)
    {
        bool loaded = root.loadLayout(fileName);
        root.setVisible(true, false);
        return loaded;
    }

    // The widget with that code anywhere under the root.
    epiUbo* find(const char* code) const { return findIn(&root, epiText(code).toCode()); }
    template<typename Widget>
    Widget* find(const char* code) const
    {
        return dynamic_cast<Widget*>(find(code));
    }

    // A point inside the widget, in the root's coordinates.
    epiPoint centreOf(const char* code) const
    {
        epiUbo* widget = find(code);
        return widget->toAncestor(widget->bounds().referencePoint(8), &root);
    }

    // Input as the window hands it to its root.
    void press(epiPoint at) { root.mouseDown(at); }
    void drag(epiPoint to) { root.mouseDragged(to); }
    void release(epiPoint at) { root.mouseUp(at); }
    void click(epiPoint at)
    {
        press(at);
        release(at);
    }

    // Draws the whole root into a fresh bitmap filled with `background`.
    epiBitmap render(uint32_t background = epiArgb(255, 255, 255, 255))
    {
        epiBitmap canvas(root.frame().width(), root.frame().height());
        canvas.fill(canvas.bounds(), background);
        root.draw(canvas, {0, 0}, root.bounds());
        return canvas;
    }

    std::vector<std::string> takeLog()
    {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }

    std::vector<std::string> log;
    ClockedApplication application;

private:
    static epiUbo* findIn(const epiUbo* parent, epiCode code)
    {
        for (int i = 0; i < parent->childCount(); ++i) {
            epiUbo* child = parent->childAt(i);
            if (child->code() == code)
                return child;
            if (epiUbo* found = findIn(child, code))
                return found;
        }
        return nullptr;
    }

    LinkedTestPack m_pack;

protected:
    RecordingContainer root;
};

// Colours of the fixture's face images.
constexpr uint32_t kReleasedOff = epiArgb(255, 200, 0, 0);
constexpr uint32_t kPressedOff = epiArgb(255, 0, 200, 0);
constexpr uint32_t kReleasedOn = epiArgb(255, 0, 0, 200);
constexpr uint32_t kPressedOn = epiArgb(255, 200, 200, 0);
constexpr uint32_t kDisabledFace = epiArgb(255, 100, 100, 100);
constexpr uint32_t kWhite = epiArgb(255, 255, 255, 255);

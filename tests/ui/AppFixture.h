#pragma once

// An application on the null window system with a clock the test moves by hand, and a resource
// set of layouts and menus linked in for the fixture's lifetime.
#include "TestResources.h"
#include "ui/epiResources.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowApplication.h"
#include "ui/epiWindowManager.h"
#include "ui/null/epiNullWindowSystem.h"

#include <gtest/gtest.h>

class ManualClockApplication : public epiWindowApplication
{
public:
    double now() const override { return clock; }
    bool handleCommand(epiCode code) override
    {
        handled.push_back(code);
        return true;
    }
    double clock = 1000.0;
    std::vector<epiCode> handled;
};

inline std::string layoutItem(const std::string& kind, const std::string& name, const std::string& rest)
{
    return "<item><kind>" + kind + "</kind><name>" + name + "</name>" + rest + "</item>";
}

inline std::string layoutAttribute(const std::string& name, const std::string& value)
{
    return "<attribute><name>" + name + "</name><value>" + value + "</value></attribute>";
}

// A window layout of the given size with these attributes and items.
inline std::string windowLayout(const std::string& name, int width, int height, const std::string& attributes,
                                const std::string& items = "")
{
    return layoutDocument(name, "<text>" + name + " window</text><size>" + std::to_string(width) + "," +
                                    std::to_string(height) + "</size><attributes>" + attributes +
                                    "</attributes><itemslist>" + items + "</itemslist>");
}

class AppFixture : public ::testing::Test
{
protected:
    explicit AppFixture(TestFiles files = {}) : m_pack(withDefaults(std::move(files)), 31050) {}

    void SetUp() override
    {
        auto system = std::make_unique<epiNullWindowSystem>();
        m_system = system.get();
        m_app.useWindowSystem(std::move(system));
        ASSERT_TRUE(m_app.init());
        ASSERT_TRUE(m_app.resources()->openNativePack(m_pack.identifier()));
    }
    void TearDown() override { m_app.shutdown(); }

    epiWindowManager& manager() { return *m_app.windowManager(); }
    epiWindow* open(const char* code) { return manager().openWindow(epiCodeFromText(code)); }
    // Handles every queued input event and paint, then scans the timers once.
    void settle()
    {
        m_system->flush();
        m_app.scanTimers();
    }
    // Moves the clock in steps of `step` seconds, scanning the timers after each.
    void advance(double seconds, double step = 0.001)
    {
        for (double passed = 0; passed < seconds - 1e-9; passed += step) {
            m_app.clock += step;
            m_app.scanTimers();
        }
    }

    static TestFiles withDefaults(TestFiles files)
    {
        files.push_back({"/layouts/plain.xml", bytesOf(windowLayout("plai", 200, 100, ""))});
        return files;
    }

    LinkedTestPack m_pack;
    ManualClockApplication m_app;
    epiNullWindowSystem* m_system = nullptr;
};

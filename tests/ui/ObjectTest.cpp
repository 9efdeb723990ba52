#include "ui/epiApplication.h"
#include "ui/epiUbo.h"
#include "ui/epiUiBehaviour.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Counts its own destruction.
class Tracked : public epiObject
{
public:
    explicit Tracked(int& destroyed) : m_destroyed(destroyed) {}
    ~Tracked() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

// Records what it receives.
class Probe : public epiUbo
{
public:
    explicit Probe(std::vector<std::string>* log = nullptr, bool captures = false)
        : m_log(log), m_captures(captures)
    {
    }
    bool mouseDown(const epiPoint& point) override
    {
        if (m_log)
            m_log->push_back(epiCodeToText(code()) + " down " + std::to_string(point.x) + "," +
                             std::to_string(point.y));
        if (m_captures)
            captureMouse();
        return true;
    }
    bool mouseUp(const epiPoint& point) override
    {
        if (m_log)
            m_log->push_back(epiCodeToText(code()) + " up " + std::to_string(point.x) + "," +
                             std::to_string(point.y));
        releaseMouse();
        return true;
    }

private:
    std::vector<std::string>* m_log;
    bool m_captures;
};

class Observer : public epiApplicationObject
{
public:
    void notified(epiCode code, epiUbo*, intptr_t value) override { seen.push_back({code, value}); }
    std::vector<std::pair<epiCode, intptr_t>> seen;
};

Probe* addProbe(epiUbo& parent, epiCode code, epiRect frame, std::vector<std::string>* log,
                bool captures = false)
{
    auto* child = new Probe(log, captures);
    child->makeCounted();
    child->setCode(code);
    EXPECT_TRUE(parent.addChild(child));
    child->setFrame(frame);
    child->setVisible(true, false);
    return child;
}

} // namespace

TEST(Object, ReferenceCounting)
{
    int destroyed = 0;
    {
        Tracked onStack(destroyed);
        for (int i = 0; i < 5; ++i)
            onStack.release();
        EXPECT_EQ(onStack.referenceCount(), epiObject::kNotCounted);
    }
    EXPECT_EQ(destroyed, 1); // only by leaving the scope

    auto* counted = new Tracked(destroyed);
    counted->makeCounted();
    counted->makeCounted(); // unchanged
    EXPECT_EQ(counted->referenceCount(), 1);
    counted->retain();
    counted->release();
    EXPECT_EQ(destroyed, 1);
    counted->release();
    EXPECT_EQ(destroyed, 2);
}

TEST(Object, ApplicationObjectsAreDestroyedLater)
{
    struct Owned : epiApplicationObject
    {
        explicit Owned(int& destroyed) : destroyed(destroyed) {}
        ~Owned() override { ++destroyed; }
        int& destroyed;
    };
    int destroyed = 0;
    epiApplication application;
    auto* object = new Owned(destroyed);
    object->setApplication(&application);
    object->makeCounted();
    object->release();
    EXPECT_EQ(destroyed, 0); // it may still be inside its own handler
    application.purgeReleased();
    EXPECT_EQ(destroyed, 1);

    auto* orphan = new Owned(destroyed);
    orphan->makeCounted();
    orphan->release();
    EXPECT_EQ(destroyed, 2);
}

TEST(Ubo, TreeLookupAndRemoval)
{
    epiUbo root;
    Probe* first = addProbe(root, epiFourCC("same"), {0, 0, 5, 5}, nullptr);
    Probe* second = addProbe(root, epiFourCC("same"), {5, 0, 10, 5}, nullptr);
    Probe* grandchild = addProbe(*second, epiFourCC("deep"), {0, 0, 1, 1}, nullptr);
    EXPECT_EQ(root.findChild(epiFourCC("same")), first);
    EXPECT_EQ(root.findChild(epiFourCC("deep")), nullptr);
    EXPECT_EQ(second->index(), 1);
    EXPECT_FALSE(root.addChild(second)); // already a child
    EXPECT_EQ(grandchild->findAncestorOfType(epiFourCC("ubob")), second);
    EXPECT_EQ(grandchild->toAncestor(epiPoint(1, 1), &root), epiPoint(6, 1));
    first->shutdown();
    EXPECT_EQ(root.childCount(), 1);
    EXPECT_EQ(second->index(), 0);
}

TEST(Ubo, AttributesFromTexts)
{
    epiUbo object;
    object.setAttributeText(epiFourCC("visi"), "1");
    object.setAttributeText(epiFourCC("fagr"), "3");
    object.setAttributeText(epiFourCC("fain"), "not a number");
    object.setAttributeText(epiFourCC("text"), "hello");
    object.setAttributeText(epiFourCC("titl"), "Title");
    EXPECT_TRUE(object.isVisible());
    EXPECT_EQ(object.group(), 3);
    EXPECT_EQ(object.groupIndex(), 0);
    EXPECT_EQ(object.text(), "hello");
    EXPECT_EQ(object.title(), "Title");
    epiText value;
    EXPECT_TRUE(object.getAttribute(epiFourCC("fagr"), value));
    EXPECT_EQ(value, "3");
    EXPECT_TRUE(object.getAttribute(epiFourCC("visi"), value));
    EXPECT_EQ(value, "1");
    EXPECT_FALSE(object.getAttribute(epiFourCC("zzzz"), value));
}

TEST(Ubo, AnchorsFollowTheParent)
{
    epiUbo parent;
    parent.setFrame({0, 0, 100, 50});
    Probe* corner = addProbe(parent, epiFourCC("corn"), {80, 30, 90, 40}, nullptr);
    Probe* stretch = addProbe(parent, epiFourCC("strt"), {10, 10, 90, 40}, nullptr);
    Probe* fixed = addProbe(parent, epiFourCC("fixd"), {5, 5, 15, 15}, nullptr);
    corner->setAttributeText(epiFourCC("mgTL"), "3"); // to the parent's bottom-right corner
    stretch->setAttributeText(epiFourCC("mgTL"), "1");
    stretch->setAttributeText(epiFourCC("mgBR"), "3");
    fixed->setAttributeText(epiFourCC("mgTL"), ""); // no anchor
    parent.setFrame({0, 0, 110, 60});
    parent.relayout();
    EXPECT_EQ(corner->frame(), epiRect(90, 40, 100, 50));
    EXPECT_EQ(stretch->frame(), epiRect(10, 10, 100, 50));
    EXPECT_EQ(fixed->frame(), epiRect(5, 5, 15, 15));
}

TEST(Ubo, AnchorsMeasureFromTheLayoutSize)
{
    epiUbo parent;
    parent.setFrame({0, 0, 300, 300});
    parent.setLayoutSize({0, 0, 100, 100});
    Probe* child = addProbe(parent, epiFourCC("chld"), {90, 90, 95, 95}, nullptr);
    child->setAttribute(epiFourCC("mgTL"), 3);
    parent.relayout();
    EXPECT_EQ(child->frame(), epiRect(290, 290, 295, 295));
}

TEST(Ubo, MouseDownGoesToTheTopmostChildUnlessSearching)
{
    std::vector<std::string> log;
    epiUbo root;
    addProbe(root, epiFourCC("back"), {0, 0, 20, 20}, &log);
    addProbe(root, epiFourCC("frnt"), {10, 10, 30, 30}, &log);
    root.mouseDown({15, 12});
    EXPECT_EQ(log, (std::vector<std::string>{"frnt down 5,2"}));

    log.clear();
    root.setAttribute(epiFourCC("exhm"), 1);
    root.mouseDown({15, 12});
    EXPECT_EQ(log, (std::vector<std::string>{"frnt down 5,2", "back down 15,12"}));
}

TEST(Ubo, CapturingChildGetsTheRestOfTheGesture)
{
    std::vector<std::string> log;
    epiUbo root;
    addProbe(root, epiFourCC("back"), {0, 0, 20, 20}, &log, true);
    addProbe(root, epiFourCC("frnt"), {10, 10, 30, 30}, &log, true);
    root.setAttribute(epiFourCC("exhm"), 1);
    root.mouseDown({15, 12}); // the front child captures: the search stops there
    root.mouseUp({100, 100}); // far outside, still the capturing child
    EXPECT_EQ(log, (std::vector<std::string>{"frnt down 5,2", "frnt up 90,90"}));
    log.clear();
    root.mouseUp({100, 100}); // released: nobody under the point
    EXPECT_TRUE(log.empty());
}

TEST(Ubo, InvisibleChildrenAreSkipped)
{
    std::vector<std::string> log;
    epiUbo root;
    addProbe(root, epiFourCC("back"), {0, 0, 20, 20}, &log);
    Probe* front = addProbe(root, epiFourCC("frnt"), {0, 0, 20, 20}, &log);
    front->setVisible(false, false);
    root.mouseDown({1, 1});
    EXPECT_EQ(log, (std::vector<std::string>{"back down 1,1"}));
}

TEST(Ubo, NotificationsAndKeyTargets)
{
    epiUbo object, target;
    Observer all, keys;
    object.addObserver(&all);
    object.addObserver(&keys, epiFourCC("kedo"));
    target.addObserver(&keys);
    object.create();
    object.setFrame({0, 0, 5, 5});
    object.keyDown(65);
    object.pushKeyTarget(&target);
    object.keyDown(66);
    object.popKeyTarget(&target);
    object.keyUp(67);
    object.close();
    object.keyDown(68); // links dropped at close

    std::vector<std::pair<epiCode, intptr_t>> expectedAll = {{epiFourCC("uCrt"), 0},
                                                             {epiFourCC("boCh"), 0},
                                                             {epiFourCC("kedo"), 65},
                                                             {epiFourCC("keup"), 67},
                                                             {epiFourCC("uDsr"), 0}};
    EXPECT_EQ(all.seen, expectedAll);
    std::vector<std::pair<epiCode, intptr_t>> expectedKeys = {{epiFourCC("kedo"), 65},
                                                              {epiFourCC("kedo"), 66}};
    EXPECT_EQ(keys.seen, expectedKeys);
}

TEST(Ubo, GenericCommands)
{
    epiUbo object;
    Observer observer;
    object.addObserver(&observer);
    EXPECT_FALSE(object.handleCommand(epiFourCC("talk")));
    EXPECT_FALSE(object.receiveCommand(epiFourCC("talk"), 0, 0));
    EXPECT_TRUE(object.handleCommand(epiFourCC("clos")));
    ASSERT_EQ(observer.seen.size(), 1u);
    EXPECT_EQ(observer.seen[0].first, epiFourCC("uDsr"));
}

TEST(Ubo, VisibilityChangeMarksTheParentDirty)
{
    epiUbo root;
    root.setFrame({0, 0, 100, 100});
    Probe* child = addProbe(root, epiFourCC("chld"), {10, 10, 20, 20}, nullptr);
    root.takeDirty();
    child->setVisible(true); // unchanged: nothing
    EXPECT_TRUE(root.takeDirty().isEmpty());
    child->setVisible(false);
    EXPECT_EQ(root.takeDirty(), epiRect(10, 10, 20, 20));
}

TEST(Ubo, BehaviourTakesAttributesAndEventsFirst)
{
    struct Behaviour : epiUiBehaviour
    {
        bool receiveAttributeText(epiCode code, const epiText& value) override
        {
            texts.push_back(epiCodeToText(code) + "=" + value.str());
            return code == epiFourCC("mine");
        }
        void receiveAttribute(epiCode code, int32_t value) override
        {
            values.push_back(epiCodeToText(code) + "=" + std::to_string(value));
        }
        bool mouseDown(const epiPoint&) override { return true; }
        std::vector<std::string> texts, values;
    };
    struct Widget : epiUbo
    {
        Behaviour* made = nullptr;
        epiUiBehaviour* createBehaviour() override { return made = new Behaviour; }
    };
    std::vector<std::string> log;
    Widget widget;
    widget.init();
    addProbe(widget, epiFourCC("chld"), {0, 0, 10, 10}, &log);
    widget.setAttributeText(epiFourCC("mine"), "x");
    widget.setAttributeText(epiFourCC("visi"), "1");
    EXPECT_EQ(widget.made->texts, (std::vector<std::string>{"mine=x", "visi=1"}));
    EXPECT_EQ(widget.made->values, (std::vector<std::string>{"visi=1"}));
    EXPECT_TRUE(widget.isVisible());
    EXPECT_TRUE(widget.mouseDown({1, 1}));
    EXPECT_TRUE(log.empty()); // consumed by the behaviour
}

TEST(Ubo, ObserversThatGoAwayAreNotCalled)
{
    epiUbo object;
    auto* gone = new Observer;
    Observer stays;
    object.addObserver(gone);
    object.addObserver(&stays);
    delete gone;
    object.notify(epiFourCC("test"), 1);
    ASSERT_EQ(stays.seen.size(), 1u);

    // One observer removing another from inside its handler.
    struct Remover : epiApplicationObject
    {
        epiUbo* object = nullptr;
        epiApplicationObject* victim = nullptr;
        void notified(epiCode, epiUbo*, intptr_t) override { object->removeObserver(victim); }
    };
    epiUbo other;
    Remover remover;
    Observer victim;
    remover.object = &other;
    remover.victim = &victim;
    other.addObserver(&remover);
    other.addObserver(&victim);
    other.notify(epiFourCC("test"));
    EXPECT_TRUE(victim.seen.empty());
}

// An observed object that goes first leaves its observer no stale link. The object lives on a
// page of its own that is made unreadable once it is gone, so an observer still pointing at it
// faults when it is destroyed in turn (in a child process, which then does not exit cleanly).
TEST(Ubo, AnObservedObjectThatGoesFirstLeavesNoStaleLink)
{
    static_assert(sizeof(epiUbo) <= 4096);
    EXPECT_EXIT(
        {
            const size_t pageSize = size_t(sysconf(_SC_PAGESIZE));
            void* page = mmap(nullptr, pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (page == MAP_FAILED)
                std::_Exit(2);
            {
                Observer lasting;
                auto* shortLived = new (page) epiUbo;
                shortLived->addObserver(&lasting);
                shortLived->~epiUbo();
                mprotect(page, pageSize, PROT_NONE);
            }
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

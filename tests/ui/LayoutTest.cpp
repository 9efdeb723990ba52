#include "TestResources.h"

#include "ui/epiApplication.h"
#include "ui/epiUiBitmapText.h"
#include "ui/epiUiContainer.h"

#include <gtest/gtest.h>

namespace {

std::string item(const std::string& kind, const std::string& name, const std::string& rest)
{
    return "<item><kind>" + kind + "</kind><name>" + name + "</name>" + rest + "</item>";
}

std::string attribute(const std::string& name, const std::string& value)
{
    return "<attribute><name>" + name + "</name><value>" + value + "</value></attribute>";
}

const std::string kMain = layoutDocument(
    "main",
    "<text>Main window</text><position>0,0</position><size>400,320</size><attributes>" +
        attribute("Clsa", "1") + "</attributes><itemslist>" +
        item("iBim", "logo",
             "<text></text><position>8,251</position><size>380,60</size><attributes>" +
                 attribute("visi", "1") + attribute("fagr", "2") + attribute("fagr", "7") +
                 attribute("mgTL", "3") + "</attributes>") +
        item("zzzz", "odd_", "<position>1,2</position><size>3,4</size>") +
        item("iBmp", "bmap", "<position>1,2</position><size>3,4</size>") +
        item("iCon", "pane",
             "<text>  Pane\r\n  text </text><position>10,10</position><size>100,50</size><attributes>" +
                 attribute("visi", "1") + attribute("chil", "presetbutton.xml") + "</attributes>") +
        item("iBst", "twin", "<position>0,0</position><size>5,5</size><text>first</text>") +
        item("iBst", "twin", "<position>0,0</position><size>5,5</size><text>second</text>") +
        item("iBst", "rela", "<relativeposition>3,4</relativeposition><size>5,5</size>") +
        item("iCon", "loop", "<attributes>" + attribute("chil", "loop.xml") + "</attributes>") +
        "</itemslist>");

const std::string kPreset = layoutDocument(
    "____", "<text>Zumeli alpha</text><position>50,60</position><size>79,47</size><attributes>" +
                attribute("visi", "0") + attribute("Clsa", "1") + "</attributes><itemslist>" +
                item("iBst", "butt", "<position>0,0</position><size>79,47</size><text>10.00</text>") +
                item("iBst", "name", "<position>0,30</position><size>79,17</size>") + "</itemslist>");

const std::string kLoop = layoutDocument(
    "____", "<size>10,10</size><itemslist>" +
                item("iCon", "self", "<attributes>" + attribute("chil", "loop.xml") + "</attributes>") +
                "</itemslist>");

class Layouts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_application.resources()->openNativePack(m_pack.identifier()));
        m_root.setApplication(&m_application);
        m_root.init();
        ASSERT_TRUE(m_root.loadLayout("mainwindow_any_name.xml"));
    }

    LinkedTestPack m_pack{{{"/layouts/mainwindow_any_name.xml", bytesOf(kMain)},
                           {"/layouts/presetbutton.xml", bytesOf(kPreset)},
                           {"/layouts/loop.xml", bytesOf(kLoop)}}};
    epiApplication m_application;
    epiUiContainer m_root; // not counted: the fixture owns it
};

} // namespace

TEST_F(Layouts, RootTakesTheDocumentsNameTextAndSize)
{
    EXPECT_EQ(m_root.code(), epiFourCC("main"));
    EXPECT_EQ(m_root.text(), "Main window");
    EXPECT_EQ(m_root.frame(), epiRect(0, 0, 400, 320));
    EXPECT_EQ(m_root.layoutRect(), epiRect(0, 0, 400, 320));
}

TEST_F(Layouts, ItemsGetKindCodeGeometryAndAttributes)
{
    epiUbo* logo = m_root.findChild(epiFourCC("logo"));
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->typeCode(), epiFourCC("iBim"));
    EXPECT_EQ(logo->frame(), epiRect(8, 251, 388, 311));
    EXPECT_TRUE(logo->isVisible());
    EXPECT_EQ(logo->group(), 7); // the later value wins
    EXPECT_EQ(logo->parent(), &m_root);
    EXPECT_EQ(logo->application(), &m_application);

    m_root.setFrame({0, 0, 410, 330}); // anchored to the bottom-right corner
    m_root.relayout();
    EXPECT_EQ(logo->frame(), epiRect(18, 261, 398, 321));
}

TEST_F(Layouts, UnknownKindsArePlainObjectsAndImageKindsAreSkipped)
{
    epiUbo* odd = m_root.findChild(epiFourCC("odd_"));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->typeCode(), epiFourCC("ubob"));
    EXPECT_EQ(odd->frame(), epiRect(1, 2, 4, 6));
    EXPECT_EQ(m_root.findChild(epiFourCC("bmap")), nullptr);
}

TEST_F(Layouts, ContainersPullInTheItemsOfTheirChildLayout)
{
    epiUbo* pane = m_root.findChild(epiFourCC("pane"));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), "Pane text");
    EXPECT_EQ(pane->frame(), epiRect(10, 10, 110, 60)); // not the pulled-in root's geometry
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(pane->layoutRect(), epiRect(0, 0, 79, 47));
    ASSERT_EQ(pane->childCount(), 2);
    EXPECT_EQ(pane->childAt(0)->code(), epiFourCC("butt"));
    EXPECT_EQ(pane->childAt(0)->text(), "10.00");
    EXPECT_EQ(pane->childAt(1)->frame(), epiRect(0, 30, 79, 47));
}

TEST_F(Layouts, ChildLayoutSetAfterShowLoadsAtOnce)
{
    auto* late = static_cast<epiUiContainer*>(m_root.createChild(epiFourCC("iCon"), epiFourCC("late")));
    ASSERT_NE(late, nullptr);
    late->makeCounted();
    ASSERT_TRUE(m_root.addChild(late));
    late->show();
    late->setAttributeText(epiFourCC("chil"), "presetbutton.xml");
    EXPECT_EQ(late->childCount(), 2);
    epiText value;
    EXPECT_TRUE(late->getAttribute(epiFourCC("chil"), value));
    EXPECT_EQ(value, "presetbutton.xml");
}

TEST_F(Layouts, TwinsAreBothBuiltAndLookupFindsTheFirst)
{
    int twins = 0;
    for (int i = 0; i < m_root.childCount(); ++i)
        twins += m_root.childAt(i)->code() == epiFourCC("twin");
    EXPECT_EQ(twins, 2);
    EXPECT_EQ(m_root.findChild(epiFourCC("twin"))->text(), "first");
}

TEST_F(Layouts, RelativePositionFollowsThePreviousSibling)
{
    epiUbo* relative = m_root.findChild(epiFourCC("rela"));
    ASSERT_NE(relative, nullptr);
    EXPECT_EQ(relative->frame(), epiRect(3, 4, 8, 9)); // the previous twin sits at (0, 0)
}

TEST_F(Layouts, ADocumentPullingItselfInStopsAtTheRepetition)
{
    epiUbo* loop = m_root.findChild(epiFourCC("loop"));
    ASSERT_NE(loop, nullptr);
    ASSERT_EQ(loop->childCount(), 1); // loop.xml's own item...
    EXPECT_EQ(loop->childAt(0)->code(), epiFourCC("self"));
    EXPECT_EQ(loop->childAt(0)->childCount(), 0); // ...which would pull in loop.xml again
    // Built again later, outside the first build, the document loads normally.
    auto* again = static_cast<epiUiContainer*>(m_root.createChild(epiFourCC("iCon"), epiFourCC("agan")));
    again->makeCounted();
    ASSERT_TRUE(m_root.addChild(again));
    EXPECT_TRUE(again->loadChildLayout("loop.xml"));
    EXPECT_EQ(again->childCount(), 1);
}

TEST_F(Layouts, MissingOrDamagedDocumentsBuildNothing)
{
    epiUiContainer other;
    other.setApplication(&m_application);
    EXPECT_FALSE(other.loadLayout("missing.xml"));
    EXPECT_FALSE(other.loadChildLayout(""));
    EXPECT_EQ(other.childCount(), 0);
}

TEST_F(Layouts, ShutdownReleasesTheTree)
{
    int before = m_root.childCount();
    ASSERT_GT(before, 0);
    m_root.findChild(epiFourCC("pane"))->shutdown();
    EXPECT_EQ(m_root.childCount(), before - 1);
    EXPECT_EQ(m_root.findChild(epiFourCC("pane")), nullptr);
    m_application.purgeReleased();
}

TEST(LayoutNumbers, ExtremeValuesAreKeptInRange)
{
    const std::string document =
        layoutDocument("huge", "<size>10,10</size><itemslist>" +
                                   item("iBst", "big_",
                                        "<position>2147483647,-2147483648</position><size>2147483647,5</size>"
                                        "<attributes>" +
                                            attribute("mgTL", "-2147483648") +
                                            attribute("mgBR", "2147483647") + "</attributes>") +
                                   "</itemslist>");
    LinkedTestPack pack({{"/layouts/huge.xml", bytesOf(document)}}, 31001);
    epiApplication application;
    ASSERT_TRUE(application.resources()->openNativePack(pack.identifier()));
    epiUiContainer root;
    root.setApplication(&application);
    ASSERT_TRUE(root.loadLayout("huge.xml"));
    epiUbo* big = root.findChild(epiFourCC("big_"));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->frame(),
              epiRect(kEpiMaxCoordinate, -kEpiMaxCoordinate, 2 * kEpiMaxCoordinate, -kEpiMaxCoordinate + 5));
    root.setFrame({0, 0, 20, 20});
    root.relayout(); // 'mgBR' 2147483647 is an index past the table: the top-left reference point
    EXPECT_EQ(big->frame().width(), kEpiMaxCoordinate);
}

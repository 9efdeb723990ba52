// Widget family costs: a full redraw of a 560 × 420 window's tree of bitmap widgets into its
// bitmap, and one click (press and release) travelling up through two containers.
#include "ui/epiBitmap.h"
#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapFilmImage.h"
#include "ui/epiUiContainer.h"
#include "ui/epiUiDecorate.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// Six decorated panes of twelve 40 × 24 buttons each (faces with alpha, so they blend) and a
// film strip: about what the client's largest window holds.
class WidgetWindow
{
public:
    WidgetWindow()
    {
        m_root.setFrame({0, 0, 560, 420});
        m_root.setVisible(true, false);
        for (int i = 0; i < 2; ++i) {
            auto& face = m_faces.emplace_back(std::make_unique<epiBitmap>(40, 24));
            face->fill(face->bounds(), epiArgb(200, 40 + 100 * i, 90, 160));
            face->setHasAlpha(true);
        }
        m_film.create(32, 256);
        m_film.fill(m_film.bounds(), epiArgb(255, 10, 10, 10));
        for (int pane = 0; pane < 6; ++pane) {
            auto* decoration = add<epiUiDecorate>(m_root, epiRect::fromSize(10 + (pane % 3) * 182, 10 + (pane / 3) * 200, 172, 190));
            decoration->setAttributeText(epiFourCC("Fiof"), "230,230,235");
            decoration->setAttributeText(epiFourCC("frof"), "90,90,90");
            for (int b = 0; b < 12; ++b) {
                auto* button = add<epiUiBitmapButton>(*decoration, epiRect::fromSize(8 + (b % 3) * 54, 8 + (b / 3) * 44, 40, 24));
                button->setCode(epiFourCC("bt00") + b);
                button->setFace(0, m_faces[0].get());
                button->setFace(1, m_faces[1].get());
            }
            auto* film = add<epiUiBitmapFilmImage>(*decoration, epiRect::fromSize(130, 150, 32, 32));
            film->setAttribute(epiFourCC("frms"), 8);
            film->setFace(0, &m_film);
        }
    }
    ~WidgetWindow()
    {
        // The faces belong to the benchmark, not to a cache: the widgets let go of them first.
        while (m_root.childCount() > 0)
            m_root.childAt(m_root.childCount() - 1)->shutdown();
    }
    epiUiContainer& root() { return m_root; }

private:
    template<typename Widget>
    Widget* add(epiUbo& parent, const epiRect& frame)
    {
        auto* widget = new Widget;
        widget->makeCounted();
        parent.addChild(widget);
        widget->setFrame(frame);
        widget->setVisible(true, false);
        return widget;
    }

    epiUiContainer m_root;
    std::vector<std::unique_ptr<epiBitmap>> m_faces;
    epiBitmap m_film;
};

void FullRedraw560x420(benchmark::State& state)
{
    WidgetWindow window;
    epiBitmap target(560, 420);
    for (auto _ : state) {
        target.fill(target.bounds(), epiArgb(255, 255, 255, 255));
        window.root().draw(target, {0, 0}, window.root().bounds());
        benchmark::DoNotOptimize(target.pixels());
    }
}
BENCHMARK(FullRedraw560x420)->Unit(benchmark::kMicrosecond);

void ClickThroughTwoContainers(benchmark::State& state)
{
    WidgetWindow window;
    epiPoint inButton{10 + 8 + 54 + 20, 10 + 8 + 44 + 12};
    for (auto _ : state) {
        window.root().mouseDown(inButton);
        window.root().mouseUp(inButton);
    }
}
BENCHMARK(ClickThroughTwoContainers);

} // namespace

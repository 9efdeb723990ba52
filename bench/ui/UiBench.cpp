// Toolkit costs: opening a pack of the program's size, finding a layout by its code, drawing
// text with matrix and system fonts, and drawing faces.
#include "ui/epiBitmap.h"
#include "ui/epiFont_FontMatrix.h"
#include "ui/epiFont_FontSystem.h"
#include "ui/epiNativeResources.h"
#include "ui/epiRamFile.h"
#include "ui/epiResourcePack.h"
#include "ui/epiResources.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 273 files, 62 of them layouts, about 3.4 megabytes in all, like the program's pack.
const std::vector<uint8_t>& programSizedPack()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        for (int i = 0; i < 62; ++i) {
            std::string name = "w" + std::to_string(1000 + i).substr(1);
            std::string layout =
                "<epi><version>4</version><signature>layout</signature><content><version>1</version>"
                "<kind>ubob</kind><name>" +
                name + "</name><size>400,300</size><itemslist>";
            for (int item = 0; item < 30; ++item)
                layout += "<item><kind>iBbt</kind><name>b" + std::to_string(100 + item) +
                          "</name><position>0,0</position><size>10,10</size><attributes><attribute><name>irOf"
                          "</name><value>x.png</value></attribute></attributes></item>";
            layout += "</itemslist></content></epi>";
            files.emplace_back("/layouts/" + name + ".xml",
                               std::vector<uint8_t>(layout.begin(), layout.end()));
        }
        for (int i = 0; files.size() < 273; ++i)
            files.emplace_back("/images/image" + std::to_string(i) + ".png", std::vector<uint8_t>(16000, 7));
        epiRamFile out;
        epiResourcePack::write(out, files);
        return out.bytes();
    }();
    return bytes;
}

void PackOpen(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = programSizedPack();
    for (auto _ : state) {
        auto memory = std::make_unique<epiRamFile>();
        memory->adopt(bytes.data(), bytes.size());
        epiResourcePack pack;
        benchmark::DoNotOptimize(pack.open(std::move(memory)));
    }
    state.SetLabel(std::to_string(bytes.size()) + " bytes");
}
BENCHMARK(PackOpen);

void FindLastLayoutByCode(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = programSizedPack();
    epiNativeResources::add(29000, bytes.data(), bytes.size());
    epiResources resources;
    resources.init();
    resources.openNativePack(29000);
    epiText fileName;
    for (auto _ : state)
        benchmark::DoNotOptimize(resources.findDocument(epiResources::kLayouts, epiFourCC("w061"), fileName));
    epiNativeResources::remove(29000);
}
BENCHMARK(FindLastLayoutByCode);

epiFont_FontMatrix& matrixFont()
{
    static epiFont_FontMatrix font = [] {
        epiFont_FontMatrix made;
        std::string xml =
            "<epi><content><gliphsdisplacements><gliphcodestart>32</gliphcodestart><gliphcodeend>127"
            "</gliphcodeend><inpixeloffsets>4</inpixeloffsets><gliphboxheight>15</gliphboxheight><elems>";
        for (int c = 32; c < 128; ++c) {
            int x = (c - 32) * 12;
            xml += "<gliph><code>" + std::to_string(c) + "</code><advance>6.3</advance>";
            for (int v = 0; v < 4; ++v)
                xml += "<offset><index>" + std::to_string(v) + "</index><boxpos>" + std::to_string(x) + "," +
                       std::to_string(v * 15) + "</boxpos><copyarea>" + std::to_string(x + 1) + "," +
                       std::to_string(v * 15 + 2) + "," + std::to_string(x + 6) + "," +
                       std::to_string(v * 15 + 10) + "</copyarea></offset>";
            xml += "</gliph>";
        }
        xml += "</elems></gliphsdisplacements></content></epi>";
        made.readDescription(xml.c_str());
        epiBitmap atlas(96 * 12, 60);
        atlas.fill(atlas.bounds(), epiArgb(255, 180, 180, 180));
        made.setAtlas(atlas);
        return made;
    }();
    return font;
}

void MatrixTextDraw(benchmark::State& state)
{
    epiBitmap canvas(400, 40);
    epiFont_FontMatrix& font = matrixFont();
    for (auto _ : state)
        font.drawToBitmap(canvas, epiFont::kCentred, {0, 0, 400, 40}, canvas.bounds(),
                          "Channel 10.00 - 12 people", epiArgb(255, 20, 20, 20));
}
BENCHMARK(MatrixTextDraw);

void SystemTextDraw(benchmark::State& state)
{
    epiBitmap canvas(400, 40);
    epiFont_FontSystem font;
    font.readDescription(
        "<epi><content><allplatforms><family>Arial</family><size>12</size></allplatforms></content></epi>");
    for (auto _ : state)
        font.drawToBitmap(canvas, 0, {0, 0, 400, 40}, canvas.bounds(), "Channel 10.00 - 12 people",
                          epiArgb(255, 20, 20, 20));
}
BENCHMARK(SystemTextDraw);

void FaceBlend(benchmark::State& state)
{
    epiBitmap canvas(400, 300), face(79, 47);
    face.fill(face.bounds(), epiArgb(128, 200, 100, 50));
    face.setHasAlpha(true);
    for (auto _ : state)
        canvas.drawImage(face, {10, 10, 89, 57}, canvas.bounds());
}
BENCHMARK(FaceBlend);

void FaceScaled(benchmark::State& state)
{
    epiBitmap canvas(400, 300), face(79, 47);
    face.fill(face.bounds(), epiArgb(255, 200, 100, 50));
    for (auto _ : state)
        canvas.drawImage(face, {10, 10, 168, 104}, canvas.bounds());
}
BENCHMARK(FaceScaled);

} // namespace

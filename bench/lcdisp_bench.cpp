// Seven-segment readout painting cost with the largest values its
// properties accept: no value may make one drawing slow. Each case draws a
// readout of the panel's size (403 x 31 pixels) forced (background, border
// and every cell: what a property change or a resize costs) and rebuilt
// (regions, images and layout as well).
#include "panel/LCDisp.h"
#include "panel/LCDispProps.h"
#include "QtBenchMain.h"

#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

namespace {

using Setup = std::function<void(LCDisp &)>;

struct Case {
    const char *name;
    Setup setup;
};

const Case kCases[] = {
    {"defaults", [](LCDisp &) {}},
    {"radii 32767", [](LCDisp &d) {
         d.set_CurveTopLeft(qx::lcd::MaxRadius);
         d.set_CurveTopRight(qx::lcd::MaxRadius);
         d.set_CurveBottomLeft(qx::lcd::MaxRadius);
         d.set_CurveBottomRight(qx::lcd::MaxRadius);
     }},
    {"segments 1000", [](LCDisp &d) {
         d.set_SegmentHeight(qx::lcd::MaxSegmentSize);
         d.set_SegmentWidth(qx::lcd::MaxSegmentSize);
         d.set_SegmentHeightExp(qx::lcd::MaxSegmentSize);
         d.set_SegmentWidthExp(qx::lcd::MaxSegmentSize);
     }},
    {"hexagons 1000, outlined", [](LCDisp &d) {
         d.set_SegmentStyle(0);
         d.set_SegmentFillStyle(0);
         d.set_SegmentHeight(qx::lcd::MaxSegmentSize);
         d.set_SegmentWidth(qx::lcd::MaxSegmentSize);
     }},
    {"shaded 1000", [](LCDisp &d) {
         d.set_SegmentFillStyle(2);
         d.set_SegmentHeight(qx::lcd::MaxSegmentSize);
         d.set_SegmentWidth(qx::lcd::MaxSegmentSize);
     }},
    {"gaps 1000", [](LCDisp &d) {
         d.set_InterDigitGap(qx::lcd::MaxSegmentSize);
         d.set_InterSegmentGap(qx::lcd::MaxSegmentSize);
         d.set_InterSegmentGapExp(qx::lcd::MaxSegmentSize);
     }},
    {"border 1000", [](LCDisp &d) { d.set_BorderWidth(qx::lcd::MaxSegmentSize); }},
    {"offsets -32767", [](LCDisp &d) {
         d.set_XOffset(-qx::lcd::MaxOffset);
         d.set_YOffset(-qx::lcd::MaxOffset);
     }},
    {"50 digits", [](LCDisp &d) { d.set_NumDigits(qx::lcd::MaxDigits); }},
};

std::unique_ptr<LCDisp> readout(const Case &c)
{
    auto d = std::make_unique<LCDisp>();
    d->resize(403, 31);
    d->set_Value(QStringLiteral("12:34E+56"));
    c.setup(*d);
    return d;
}

void BM_ForcedDrawing(benchmark::State &state, const Case &c)
{
    auto d = readout(c);
    uint32_t colour = 0xFF0000;
    for (auto _ : state) {
        colour ^= 0x0000FF;
        d->set_BorderColor(colour);  // background, border and every cell
        benchmark::DoNotOptimize(d->surface().constBits());
    }
}

void BM_Rebuild(benchmark::State &state, const Case &c)
{
    auto d = readout(c);
    uint32_t colour = 0x505000;
    for (auto _ : state) {
        colour ^= 0x000001;
        d->set_BurnInColor(colour);  // regions, images, layout, then every cell
        benchmark::DoNotOptimize(d->surface().constBits());
    }
}

} // namespace

int main(int argc, char **argv)
{
    for (const Case &c : kCases) {
        benchmark::RegisterBenchmark((std::string("ForcedDrawing/") + c.name).c_str(), BM_ForcedDrawing, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Rebuild/") + c.name).c_str(), BM_Rebuild, c)
            ->Unit(benchmark::kMillisecond);
    }
    return qx::bench::runWithQt(argc, argv);
}

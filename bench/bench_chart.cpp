// One frame of a whole chart at 1280 x 1024: title, legend at the right, opaque back wall with a
// gradient, four axes with grids and 10 000 points in two point series (one on the left and
// bottom axes, one on the right and top axes; square markers), on the GDI canvas and on the OpenGL canvas; and the
// frame of the bare panel (background and bevels only) that the chart frame is measured against.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/series/PointSeries.h"
#include "platform/GLContext.h"

namespace {
constexpr int kWidth = 1280, kHeight = 1024;
constexpr int kPoints = 10000;

// The panel alone: what every chart frame costs before any chart content.
class BarePanel : public TCustomNuvPanelExtended {
public:
  BarePanel() : TCustomNuvPanelExtended(nullptr) {}
  void InternalDraw(const TRect& r) override { DrawPanelBackground(r); }
};

struct ChartScene {
  TComponent owner;
  TChart chart{&owner};
  TPointSeries* lower = new TPointSeries(&owner);
  TPointSeries* upper = new TPointSeries(&owner);
  TBitmap target;

  explicit ChartScene(bool gl)
  {
    target.SetSize(kWidth, kHeight);
    if (gl) {
      SetWindowCanvas(target.Canvas(), false);
      chart.SetCanvas(std::make_unique<TGLCanvas>());
    }
    chart.SetBounds(0, 0, kWidth, kHeight);
    chart.SetView3D(false);
    chart.GetTitle()->SetCaption("Resistivity section");
    chart.GetLegend()->SetVisible(true);
    TChartBackWall* back = chart.GetBackWall();
    back->SetTransparent(false);
    back->GetGradient()->SetVisible(true);
    back->GetGradient()->SetStartColor(RGB(230, 240, 255));
    back->GetGradient()->SetEndColor(RGB(120, 150, 210));
    for (TChartAxis* a : {chart.GetLeftAxis(), chart.GetBottomAxis(), chart.GetRightAxis(), chart.GetTopAxis()})
      a->GetGrid()->SetVisible(true);
    lower->SetParentChart(&chart);
    upper->SetParentChart(&chart);
    upper->SetHorizAxis(aTopAxis);
    upper->SetVertAxis(aRightAxis);
    lower->SetTitle("Resistivity");
    upper->SetTitle("Polarizability");
    for (int i = 0; i < kPoints / 2; ++i) {
      lower->AddXY(i * 0.1, 100 + 50 * std::sin(i * 0.01));
      upper->AddXY(i * 0.2, 10 + 5 * std::cos(i * 0.013));
    }
    lower->GetPointer()->SetHorizSize(2);
    lower->GetPointer()->SetVertSize(2);
    upper->GetPointer()->SetHorizSize(2);
    upper->GetPointer()->SetVertSize(2);
  }

  void Frame() { chart.Draw(target.Canvas(), Rect(0, 0, kWidth, kHeight)); }
};

void BM_ChartFrameGdi(benchmark::State& state)
{
  ChartScene scene(false);
  for (auto _ : state) {
    scene.Frame();
    benchmark::DoNotOptimize(scene.target.Canvas()->GetPixel(640, 512));
  }
}

void BM_ChartFrameGl(benchmark::State& state)
{
  ChartScene scene(true);
  scene.Frame();
  auto* gl = dynamic_cast<TGLCanvas*>(scene.chart.Canvas());
  if (!gl || !gl->Active()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  for (auto _ : state) {
    scene.Frame();
    benchmark::DoNotOptimize(scene.target.Canvas()->GetPixel(640, 512));
  }
}

void BM_PanelOnlyFrame(benchmark::State& state)
{
  TBitmap target;
  target.SetSize(kWidth, kHeight);
  BarePanel panel;
  panel.SetBounds(0, 0, kWidth, kHeight);
  for (auto _ : state) {
    panel.Draw(target.Canvas(), Rect(0, 0, kWidth, kHeight));
    benchmark::DoNotOptimize(target.Canvas()->GetPixel(640, 512));
  }
}

}  // namespace

BENCHMARK(BM_PanelOnlyFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartFrameGdi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartFrameGl)->Unit(benchmark::kMillisecond);

// One full frame of typical chart drawing on a 1280 x 1024 bitmap: gradient back wall and side
// walls, framed title with a shadow, grid lines, a few hundred series lines and labels, a
// projected cube legend, all through the GDI chart canvas in a rotated 3-D view.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NvCanvas.h"

namespace {

void DrawFrame(TNuvCanvas3D& c, TView3DOptions& view, TCanvas* screen, TNuvFont& font, TNuvGradient& wall)
{
  const TRect r = c.InitWindow(screen, &view, clWhite, true, {0, 0, 1280, 1024});
  c.ViewPort(200, r, r);
  c.Brush()->SetColor(clWhite);
  c.FillRect(r);
  // Walls as gradients.
  wall.Draw(&c, {100, 100, 1180, 900});
  wall.DrawPolygonWithZ(&c, {TPoint{100, 900}, TPoint{1180, 900}, TPoint{1180, 900}, TPoint{100, 900}}, 0);
  c.GradientFill({60, 100, 100, 900}, clSilver, clWhite, gdLeftRight);
  c.GradientFill({100, 900, 1180, 940}, clGray, clWhite, gdTopBottom);
  // Grid.
  TChartPen grid;
  grid.SetColor(clGray);
  grid.SetStyle(psDot);
  c.AssignVisiblePen(&grid);
  for (int i = 0; i <= 20; ++i) {
    c.HorizLine3D(100, 1180, 100 + i * 40, 200);
    c.VertLine3D(100 + i * 54, 100, 900, 200);
  }
  // Series: 300 line segments and 300 labels.
  TChartPen line;
  line.SetWidth(2);
  c.AssignFont(&font);
  c.SetBackMode(cbmTransparent);
  for (int s = 0; s < 3; ++s) {
    line.SetColor(RGB(200 * (s == 0), 150 * (s == 1), 200 * (s == 2)));
    c.AssignVisiblePen(&line);
    c.MoveTo3D(100, 500, s * 60);
    for (int i = 1; i <= 100; ++i) {
      const int x = 100 + i * 10, y = 500 + static_cast<int>(300 * std::sin(i * 0.1 + s));
      c.LineTo3D(x, y, s * 60);
      c.TextOut3D(x, y - 12, s * 60, std::to_string(i));
    }
  }
  // Title with shadow, cube legend, rotated axis title.
  TNuvShadow shadow;
  shadow.SetSize(4);
  c.FrontPlaneBegin();
  shadow.Draw(&c, {500, 20, 780, 60});
  c.Brush()->SetColor(clInfoBk);
  c.Rectangle(500, 20, 780, 60);
  c.TextOut(520, 30, "Resistivity section");
  c.FrontPlaneEnd();
  for (int i = 0; i < 8; ++i) {
    c.Brush()->SetColor(RGB(30 * i, 100, 255 - 30 * i));
    c.Cube(1200, 1240, 100 + i * 50, 130 + i * 50, 0, 20);
  }
  c.RotateLabel(40, 600, "Depth (m)", 90);
  c.ShowImage(screen, screen, {0, 0, 1280, 1024});
}

void BM_ChartFrame1280x1024(benchmark::State& state)
{
  TBitmap screen;
  screen.SetSize(1280, 1024);
  TNuvCanvas3D canvas;
  TView3DOptions view(nullptr);
  view.SetOrthogonal(false);
  TNuvFont font;
  TNuvGradient wall;
  wall.SetVisible(true);
  wall.SetStartColor(RGB(230, 240, 255));
  wall.SetEndColor(RGB(120, 150, 210));
  wall.SetMidColor(clWhite);
  for (auto _ : state) {
    DrawFrame(canvas, view, screen.Canvas(), font, wall);
    benchmark::DoNotOptimize(screen.Canvas()->GetPixel(640, 512));
  }
}
BENCHMARK(BM_ChartFrame1280x1024)->Unit(benchmark::kMillisecond);

}  // namespace

// Measuring a markup text of 800 000 characters (100 000 tokens): one pass over the text.
void BM_MarkupExtent800k(benchmark::State& state)
{
  TBitmap bitmap;
  bitmap.SetSize(64, 64);
  TNuvCanvas3D canvas;
  canvas.AttachCanvas(bitmap.Canvas());
  std::string text;
  while (text.size() < 800000) text += "ab<B>c</B>";
  for (auto _ : state) benchmark::DoNotOptimize(HtmlTextExtent(&canvas, text));
}
BENCHMARK(BM_MarkupExtent800k)->Unit(benchmark::kMillisecond);

// A 3-D chart turned through many views on both canvases (GDI into a bitmap, OpenGL off-screen
// through EGL): every axis is drawn whole exactly once per paint, behind the series or, seen from
// behind, in front of them; an axis drawn again in front of the series brings no second grid.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineTools.h"

namespace {

constexpr int W = 400, H = 300;

// What one paint drew of each axis: its title (once per draw) and its grid lines, counted apart
// for the part before the series are done (behind) and the part after (in front).
struct AxisCount {
  int TitleBehind = 0, TitleFront = 0, Grid = 0;
};

struct PaintRecord {
  bool Front = false;
  std::map<std::string, AxisCount> Axes;
  std::map<TColor, std::string> GridColors;
  void Title(const std::string& text)
  {
    auto it = Axes.find(text);
    if (it == Axes.end()) return;
    (Front ? it->second.TitleFront : it->second.TitleBehind)++;
  }
  void Grid(TColor color)
  {
    auto it = GridColors.find(color);
    if (it != GridColors.end()) Axes[it->second].Grid++;
  }
};

// Counts text and line bundles the chart sends, whichever canvas is underneath.
template <class Base>
class SpyCanvas : public Base {
public:
  explicit SpyCanvas(PaintRecord* record) : record_(record) {}
  void TextOut(int32_t x, int32_t y, const std::string& text) override
  {
    Text(text);
    Nested n(depth_);
    Base::TextOut(x, y, text);
  }
  void TextOut3D(int32_t x, int32_t y, int32_t z, const std::string& text) override
  {
    Text(text);
    Nested n(depth_);
    Base::TextOut3D(x, y, z, text);
  }
  void RotateLabel(int32_t x, int32_t y, const std::string& text, double angle) override
  {
    Text(text);
    Nested n(depth_);
    Base::RotateLabel(x, y, text, angle);
  }
  void RotateLabel3D(int32_t x, int32_t y, int32_t z, const std::string& text, double angle) override
  {
    Text(text);
    Nested n(depth_);
    Base::RotateLabel3D(x, y, z, text, angle);
  }
  void VertLines3D(std::span<const int32_t> xs, int32_t y0, int32_t y1, int32_t z) override
  {
    record_->Grid(this->Pen()->GetColor());
    Base::VertLines3D(xs, y0, y1, z);
  }
  void HorizLines3D(std::span<const int32_t> ys, int32_t x0, int32_t x1, int32_t z) override
  {
    record_->Grid(this->Pen()->GetColor());
    Base::HorizLines3D(ys, x0, x1, z);
  }

private:
  struct Nested {
    int& d;
    explicit Nested(int& depth) : d(depth) { ++d; }
    ~Nested() { --d; }
  };
  void Text(const std::string& text)
  {
    if (depth_ == 0) record_->Title(text);
  }
  PaintRecord* record_;
  int depth_ = 0;
};

// Marks the end of the series: what comes after is drawn in front of them.
class PhaseTool : public TNuvCustomTool {
public:
  explicit PhaseTool(PaintRecord* record) : record_(record) {}
  void ChartEvent(TChartToolEvent kind) override
  {
    if (kind == cteAfterDrawSeries) record_->Front = true;
  }

private:
  PaintRecord* record_;
};

class Squares : public TChartSeries {
public:
  using TChartSeries::TChartSeries;
  void DrawValue(int32_t i) override
  {
    TCanvas3D* c = GetParentChart()->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ValueColor(i));
    c->Pen()->SetStyle(psClear);
    const int x = CalcXPos(i), y = CalcYPos(i);
    c->RectangleWithZ(Rect(x - 3, y - 3, x + 4, y + 4), StartZ);
  }
};

struct TurnedChart {
  PaintRecord record;
  TComponent owner;
  TChart chart{&owner};
  explicit TurnedChart(bool openGL)
  {
    if (openGL) chart.SetCanvas(std::make_unique<SpyCanvas<TGLCanvas>>(&record));
    else chart.SetCanvas(std::make_unique<SpyCanvas<TNuvCanvas3D>>(&record));
    chart.SetBounds(0, 0, W, H);
    chart.SetView3D(true);
    chart.GetLegend()->SetVisible(false);
    chart.GetTitle()->SetVisible(false);
    // One series on the bottom and left axes, one on the top and right ones: all four show.
    auto* a = new Squares(&owner);
    a->SetParentChart(&chart);
    auto* b = new Squares(&owner);
    b->SetHorizAxis(aTopAxis);
    b->SetVertAxis(aRightAxis);
    b->SetParentChart(&chart);
    for (int i = 0; i < 4; ++i) {
      a->AddXY(i, i * i);
      b->AddXY(i * 2, 10 - i);
    }
    chart.GetDepthAxis()->SetVisible(true);
    chart.GetDepthTopAxis()->SetVisible(true);
    const std::array<std::pair<TChartAxis*, const char*>, 6> axes = {
        {{chart.GetBottomAxis(), "Bottom title"},
         {chart.GetTopAxis(), "Top title"},
         {chart.GetLeftAxis(), "Left title"},
         {chart.GetRightAxis(), "Right title"},
         {chart.GetDepthAxis(), "Depth title"},
         {chart.GetDepthTopAxis(), "Depth top title"}}};
    const TColor gridColors[4] = {0x0000F0, 0x00F000, 0xF00000, 0x00F0F0};
    int i = 0;
    for (const auto& [axis, title] : axes) {
      axis->GetTitle()->SetCaption(title);
      if (i < 4) {
        axis->GetGrid()->SetStyle(psSolid);
        axis->GetGrid()->SetColor(gridColors[i]);
        record.GridColors[gridColors[i]] = title;
      }
      ++i;
    }
    chart.Tools()->Add(new PhaseTool(&record));
  }
  // Paints one view and returns what was drawn of each axis.
  std::map<std::string, AxisCount> Paint(int elevation, int rotation, int perspective)
  {
    TView3DOptions* v = chart.GetView3DOptions();
    v->SetOrthogonal(false);
    v->SetElevation(elevation);
    v->SetRotation(rotation);
    v->SetPerspective(perspective);
    record.Front = false;
    record.Axes.clear();
    for (const auto& [color, title] : record.GridColors) record.Axes[title];
    record.Axes["Depth title"];
    record.Axes["Depth top title"];
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(W, H);
    chart.Draw(bmp.Canvas(), Rect(0, 0, W, H));
    return record.Axes;
  }
};

// Sweeps elevations by rotations, step degrees apart (576 views at 15 degrees), three
// perspectives in turn, and checks each view.
void SweepViews(TurnedChart& t, int step)
{
  int failures = 0, bottomInFront = 0, views = 0;
  const int perspectives[3] = {0, 15, 60};
  for (int e = 0; e < 360; e += step) {
    for (int r = 0; r < 360; r += step) {
      const auto axes = t.Paint(e, r, perspectives[views % 3]);
      ++views;
      bool ok = true;
      for (const auto& [name, n] : axes) {
        // Drawn at least once, and at most once in each pass.
        ok = ok && n.TitleBehind <= 1 && n.TitleFront <= 1 && n.TitleBehind + n.TitleFront >= 1;
        // A side axis' grid once, however often its labels are drawn.
        if (name != "Depth title" && name != "Depth top title") ok = ok && n.Grid == 1;
      }
      // The bottom axis is never redrawn: behind the series, or seen from behind in front of
      // them. The depth axes stay behind the series.
      const AxisCount& bottom = axes.at("Bottom title");
      ok = ok && bottom.TitleBehind + bottom.TitleFront == 1;
      ok = ok && axes.at("Depth title").TitleFront == 0 && axes.at("Depth title").TitleBehind == 1;
      ok = ok && axes.at("Depth top title").TitleFront == 0 && axes.at("Depth top title").TitleBehind == 1;
      bottomInFront += bottom.TitleFront;
      if (!ok && ++failures <= 5) {
        std::string detail;
        for (const auto& [name, n] : axes)
          detail += " " + name + " " + std::to_string(n.TitleBehind) + "/" + std::to_string(n.TitleFront) +
                    " grid " + std::to_string(n.Grid) + ";";
        ADD_FAILURE() << "elevation " << e << " rotation " << r << ":" << detail;
      }
    }
  }
  EXPECT_EQ(views, (360 / step) * (360 / step));
  EXPECT_EQ(failures, 0) << "views with an axis missing or drawn twice";
  // Both kinds of view were met: from the front and from behind.
  EXPECT_GT(bottomInFront, 0);
  EXPECT_LT(bottomInFront, views);
}

TEST(ChartViews, EveryAxisDrawnOnceInEveryViewOnTheGDICanvas)
{
  TurnedChart t(false);
  SweepViews(t, 15);
}

TEST(ChartViews, EveryAxisDrawnOnceInEveryViewOnTheOpenGLCanvas)
{
  TurnedChart t(true);
  t.Paint(345, 345, 15);
  auto* gl = dynamic_cast<TGLCanvas*>(t.chart.Canvas());
  ASSERT_TRUE(gl && gl->Active()) << "no OpenGL context";
  // A frame costs more here: every other view of the sweep above (144 views).
  SweepViews(t, 30);
}

}  // namespace

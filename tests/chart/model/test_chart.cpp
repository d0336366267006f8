// The chart control without series types: its parts and defaults, the paint phases as tools and
// events hear them, walls as planes and slabs, titles taking their bands, saved ranges matched to
// axes by identity, mouse actions reaching listeners and tools, and the stream properties.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartPalettes.h"
#include "chart/model/NvEngineTools.h"

namespace {

using Log = std::vector<std::string>;

// A series that draws one filled square per point (or nothing and no axes, on request).
class BoxSeries : public TChartSeries {
public:
  explicit BoxSeries(TComponent* owner, bool useAxis = true) : TChartSeries(owner), useAxis_(useAxis) {}
  bool UseAxis() override { return useAxis_; }
  void DrawValue(int32_t i) override
  {
    TCanvas3D* c = GetParentChart()->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ValueColor(i));
    c->Pen()->SetStyle(psClear);
    const int x = CalcXPos(i), y = CalcYPos(i);
    c->Rectangle(x - 3, y - 3, x + 4, y + 4);
  }

private:
  bool useAxis_;
};

class LogTool : public TNuvCustomTool {
public:
  LogTool(Log* log, std::string name) : log_(log), name_(std::move(name)) {}
  void ChartEvent(TChartToolEvent kind) override { log_->push_back(name_ + " " + std::to_string(kind)); }
  void ChartMouseEvent(TChartMouseEvent kind, TMouseButton, TShiftState, int32_t, int32_t) override
  {
    log_->push_back(name_ + " mouse " + std::to_string(kind));
    if (cancel) GetParentChart()->CancelMouse = true;
  }
  bool cancel = false;

private:
  Log* log_;
  std::string name_;
};

class LogListener : public INuvEventListener {
public:
  explicit LogListener(Log* log) : log_(log) {}
  void HandleEvent(TNuvEvent* e) override
  {
    if (auto* m = dynamic_cast<TNuvMouseEvent*>(e)) log_->push_back("listener mouse " + std::to_string(m->Event));
  }

private:
  Log* log_;
};

struct Fixture {
  TComponent owner;
  TChart chart{&owner};
  BoxSeries* series = new BoxSeries(&owner);
  TBitmap bmp;
  Fixture()
  {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(300, 200);
    chart.SetBounds(0, 0, 300, 200);
    chart.SetView3D(false);
    chart.GetLegend()->SetVisible(false);
    series->SetParentChart(&chart);
    series->AddXY(0, 0);
    series->AddXY(10, 10);
  }
  void Render() { chart.Draw(bmp.Canvas(), Rect(0, 0, 300, 200)); }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
};

TEST(ChartParts, DefaultsAsCreated)
{
  TChart chart(nullptr);
  EXPECT_EQ(chart.GetScrollMouseButton(), mbRight);
  EXPECT_TRUE(chart.RangesFree());
  EXPECT_TRUE(chart.GetView3DWalls());
  EXPECT_EQ(chart.GetBackWall()->GetColor(), clSilver);
  EXPECT_TRUE(chart.GetBackWall()->GetTransparent());
  EXPECT_FALSE(chart.GetRightWall()->GetVisible());
  EXPECT_EQ(chart.GetRightWall()->GetColor(), clSilver);
  EXPECT_EQ(chart.GetLeftWall()->GetColor(), static_cast<TColor>(0x80FFFF));
  EXPECT_EQ(chart.GetBottomWall()->GetColor(), clWhite);
  EXPECT_TRUE(chart.GetLeftWall()->GetDark3D());
  EXPECT_EQ(chart.GetLeftWall()->GetSize(), 0);
  EXPECT_EQ(chart.GetFrame(), chart.GetBackWall()->GetPen());
  EXPECT_EQ(chart.GetTitle()->GetFont()->GetColor(), clBlue);
  EXPECT_TRUE(chart.GetTitle()->IsTop());
  EXPECT_TRUE(chart.GetTitle()->GetTransparent());
  EXPECT_EQ(chart.GetFoot()->GetFont()->GetColor(), clRed);
  EXPECT_EQ(chart.GetFoot()->GetFont()->GetStyle(), static_cast<TFontStyles>(fsItalic));
  EXPECT_FALSE(chart.GetSubFoot()->IsTop());
  EXPECT_NE(chart.GetLegend(), nullptr);
  // Transparent back wall: the control's colour is the back colour.
  EXPECT_EQ(chart.GetBackColor(), chart.GetColor());
  chart.GetBackWall()->SetTransparent(false);
  EXPECT_EQ(chart.GetBackColor(), clSilver);
}

TEST(ChartParts, SettersCopyIntoTheOwnedObjects)
{
  TChart a(nullptr), b(nullptr);
  a.GetTitle()->SetCaption("One\nTwo");
  a.GetTitle()->SetAlignment(taLeftJustify);
  a.GetLeftWall()->SetSize(7);
  a.GetRightWall()->SetVisible(true);
  a.SetScrollMouseButton(mbMiddle);
  a.ColorPaletteIndex = 4;
  TChartTitle* ownTitle = b.GetTitle();
  b.SetTitle(a.GetTitle());
  EXPECT_EQ(b.GetTitle(), ownTitle);
  EXPECT_EQ(b.GetTitle()->GetText(), (std::vector<std::string>{"One", "Two"}));
  b.Assign(&a);
  EXPECT_EQ(b.GetTitle()->GetAlignment(), taLeftJustify);
  EXPECT_EQ(b.GetLeftWall()->GetSize(), 7);
  EXPECT_TRUE(b.GetRightWall()->GetVisible());
  EXPECT_EQ(b.GetScrollMouseButton(), mbMiddle);
  EXPECT_EQ(b.ColorPaletteIndex, 4);
  b.GetWalls()->SetSize(3);
  EXPECT_EQ(b.GetBackWall()->GetSize(), 3);
  EXPECT_EQ(b.GetBottomWall()->GetSize(), 3);
  b.GetWalls()->SetView3D(false);
  EXPECT_FALSE(b.GetView3DWalls());
}

TEST(ChartQueries, NamesColoursAndWallSizes)
{
  Fixture f;
  TChart& c = f.chart;
  EXPECT_EQ(c.AxisTitleOrName(c.GetLeftAxis()), "Left Axis");
  EXPECT_EQ(c.AxisTitleOrName(c.GetRightAxis()), "Right Axis");
  EXPECT_EQ(c.AxisTitleOrName(c.GetTopAxis()), "Top Axis");
  EXPECT_EQ(c.AxisTitleOrName(c.GetBottomAxis()), "Bottom Axis");
  EXPECT_EQ(c.AxisTitleOrName(c.GetDepthAxis()), "Depth Right");
  EXPECT_EQ(c.AxisTitleOrName(c.GetDepthTopAxis()), "Depth Top");
  c.GetLeftAxis()->GetTitle()->SetCaption("Depth (m)");
  EXPECT_EQ(c.AxisTitleOrName(c.GetLeftAxis()), "Depth (m)");

  f.series->SetSeriesColor(clRed);
  EXPECT_FALSE(c.IsFreeSeriesColor(clRed, false, nullptr));
  EXPECT_TRUE(c.IsFreeSeriesColor(clRed, false, f.series));
  EXPECT_TRUE(c.IsFreeSeriesColor(clSilver, false, nullptr));
  EXPECT_FALSE(c.IsFreeSeriesColor(clSilver, true, nullptr));

  EXPECT_EQ(c.FirstActiveSeries(), f.series);
  f.series->SetActive(false);
  EXPECT_EQ(c.FirstActiveSeries(), nullptr);
  f.series->SetActive(true);

  // Wall sizes count only in 3-D with walls.
  c.GetLeftWall()->SetSize(6);
  c.GetBackWall()->SetSize(4);
  EXPECT_EQ(c.GetWallSize(c.GetLeftAxis()), 0);
  c.SetView3D(true);
  EXPECT_EQ(c.GetWallSize(c.GetLeftAxis()), 6);
  EXPECT_EQ(c.GetWallSize(c.GetTopAxis()), 4);
  EXPECT_EQ(c.GetWallSize(c.GetRightAxis()), 0);  // the right wall is hidden
  c.SetView3DWalls(false);
  EXPECT_EQ(c.GetWallSize(c.GetLeftAxis()), 0);

  EXPECT_EQ(c.ValueLegendText(nullptr, 0), "");
  EXPECT_EQ(c.ValueLegendText(f.series, -1), "");
}

TEST(ChartPaint, PhasesReachToolsAndEventsInOrder)
{
  Fixture f;
  Log log;
  auto* tool = new LogTool(&log, "tool");
  tool->SetParentChart(&f.chart);
  f.chart.OnBeforeDrawChart = [&](TObject*) { log.push_back("before chart"); };
  f.chart.OnBeforeDrawAxes = [&](TObject*) { log.push_back("before axes"); };
  f.chart.OnBeforeDrawSeries = [&](TObject*) { log.push_back("before series"); };
  f.chart.OnAfterDraw = [&](TObject*) { log.push_back("after draw"); };
  f.Render();
  EXPECT_EQ(log, (Log{"tool 2", "before chart", "tool 3", "before axes", "tool 1", "before series", "tool 4",
                      "tool 0", "after draw"}));
  // Axes after the series.
  log.clear();
  f.chart.SetAxisBehind(false);
  f.Render();
  EXPECT_EQ(log, (Log{"tool 2", "before chart", "tool 1", "before series", "tool 4", "tool 3", "before axes",
                      "tool 0", "after draw"}));
  // Tools are stored with the chart, after its series.
  const std::vector<TComponent*> children = f.chart.GetChildren();
  EXPECT_EQ(children, (std::vector<TComponent*>{f.series, tool}));
  // An inactive tool hears nothing.
  log.clear();
  tool->SetActive(false);
  f.Render();
  EXPECT_EQ(log, (Log{"before chart", "before series", "before axes", "after draw"}));
}

TEST(ChartPaint, MouseReachesListenersThenToolsUntilOneCancels)
{
  Fixture f;
  f.Render();
  Log log;
  LogListener listener(&log);
  f.chart.Listeners()->Add(&listener);
  auto* first = new LogTool(&log, "first");
  auto* second = new LogTool(&log, "second");
  first->SetParentChart(&f.chart);
  second->SetParentChart(&f.chart);
  f.chart.MouseDown(mbLeft, ssLeft, 5, 5);
  f.chart.MouseMove(ssLeft, 6, 6);
  EXPECT_EQ(log, (Log{"listener mouse 0", "first mouse 0", "second mouse 0", "first mouse 1", "second mouse 1",
                      "listener mouse 2"}));
  log.clear();
  // The release reaches the tools too: a tool's drag ends with it.
  f.chart.MouseUp(mbLeft, 0, 6, 6);
  EXPECT_EQ(log, (Log{"listener mouse 1", "first mouse 2", "second mouse 2"}));
  log.clear();
  first->cancel = true;
  f.chart.MouseDown(mbLeft, ssLeft, 5, 5);
  EXPECT_EQ(log, (Log{"listener mouse 0", "first mouse 0"}));
  EXPECT_FALSE(f.chart.CancelMouse);
  EXPECT_FALSE(f.chart.IsZooming());
  f.chart.RemoveListener(&listener);
}

TEST(ChartWalls, FlatBackWallFillsTheChartRectangle)
{
  Fixture f;
  f.chart.GetBackWall()->SetTransparent(false);
  f.chart.GetBackWall()->SetColor(clYellow);
  f.chart.GetBackWall()->GetPen()->SetColor(clBlack);
  f.Render();
  const TRect r = f.chart.ChartRect;
  EXPECT_EQ(f.At(r.Left + 20, r.Top + 20), clYellow);
  EXPECT_EQ(f.At(r.Right - 1, r.Top + 20), clYellow);
  // Framed one pixel beyond the right edge (the bottom axis covers the bottom frame).
  EXPECT_EQ(f.At(r.Right, r.Top + 20), clBlack);
  EXPECT_EQ(f.At(r.Left + 20, r.Bottom - 1), clYellow);
  EXPECT_NE(f.At(r.Left + 20, r.Bottom), clYellow);
  EXPECT_NE(f.At(r.Right + 1, r.Top + 20), clYellow);

  // A transparent back wall is only its frame.
  f.chart.GetBackWall()->SetTransparent(true);
  f.Render();
  EXPECT_NE(f.At(r.Left + 20, r.Top + 20), clYellow);
}

TEST(ChartWalls, SlabsLieOutsideTheChartRectangleAndPlanesOnItsEdge)
{
  Fixture f;
  f.chart.SetView3D(true);
  f.chart.GetView3DOptions()->SetOrthogonal(true);
  f.chart.SetChart3DPercent(100);
  f.chart.GetBackWall()->SetTransparent(false);
  f.chart.GetBackWall()->SetColor(clYellow);
  TChartWall* left = f.chart.GetLeftWall();
  left->SetColor(clLime);
  left->SetDark3D(false);
  left->GetPen()->SetVisible(false);
  f.Render();
  const TRect r0 = f.chart.ChartRect;
  // A plane: its front edge is the chart rectangle's left edge, nothing to the left of it.
  const int ymid = (r0.Top + r0.Bottom) / 2;
  EXPECT_NE(f.At(r0.Left - 3, ymid), clLime);

  left->SetSize(5);
  f.Render();
  const TRect r = f.chart.ChartRect;
  // Rows about the middle (a tick of the left axis may cross one of them).
  int slabRows = 0;
  for (int y = (r.Top + r.Bottom) / 2 - 4; y <= (r.Top + r.Bottom) / 2 + 4; ++y) {
    int limeLeft = 0;
    for (int x = r.Left - 5; x < r.Left; ++x) limeLeft += f.At(x, y) == clLime;
    slabRows += limeLeft == 5;
    EXPECT_NE(f.At(r.Left - 7, y), clLime);
  }
  EXPECT_GE(slabRows, 6);
}

TEST(ChartWalls, NoWallsWhenEveryActiveSeriesDrawsWithoutAxes)
{
  TComponent owner;
  TChart chart(&owner);
  chart.SetBounds(0, 0, 300, 200);
  chart.SetView3D(false);
  chart.GetLegend()->SetVisible(false);
  chart.GetBackWall()->SetTransparent(false);
  chart.GetBackWall()->SetColor(clYellow);
  auto* pie = new BoxSeries(&owner, false);
  pie->SetParentChart(&chart);
  pie->AddXY(1, 1);
  EXPECT_FALSE(chart.ActiveSeriesUseAxis());
  TBitmap bmp;
  bmp.SetSize(300, 200);
  chart.Draw(bmp.Canvas(), Rect(0, 0, 300, 200));
  int yellow = 0;
  for (int y = 0; y < 200; y += 4)
    for (int x = 0; x < 300; x += 4) yellow += (bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF) == clYellow;
  EXPECT_EQ(yellow, 0);
  // Nor does a drag start a zoom or a scroll.
  const TRect r = chart.ChartRect;
  chart.MouseDown(mbLeft, ssLeft, r.Left + 10, r.Top + 10);
  EXPECT_FALSE(chart.IsZooming());
  chart.MouseDown(mbRight, ssRight, r.Left + 10, r.Top + 10);
  EXPECT_FALSE(chart.IsScrolling());
}

TEST(ChartWalls, OrthogonalDepthTakesItsRoomAndSidesFaceByAngle)
{
  Fixture f;
  f.chart.SetView3D(true);
  TView3DOptions* view = f.chart.GetView3DOptions();
  view->SetOrthogonal(true);
  view->SetOrthoAngle(45);
  f.Render();
  // Depth going right and up: the right side faces the viewer, the left one does not.
  EXPECT_TRUE(f.chart.IsRightSideFacing());
  EXPECT_FALSE(f.chart.IsLeftSideFacing());
  EXPECT_FALSE(f.chart.IsDepthPlaneFacing());

  f.chart.Width3D = 20;
  f.chart.Height3D = 12;
  f.chart.GetBackWall()->SetSize(3);
  f.chart.ChartRect = Rect(10, 10, 210, 110);
  f.chart.CalcWallsRect();
  EXPECT_EQ(f.chart.ChartRect, Rect(10, 10 + 12 + 3, 210 - 20 - 3, 110));
  EXPECT_EQ(f.chart.ChartWidth, 210 - 23 - 10);
  f.chart.GetRightWall()->SetVisible(true);
  f.chart.GetRightWall()->SetSize(4);
  f.chart.ChartRect = Rect(10, 10, 210, 110);
  f.chart.CalcWallsRect();
  EXPECT_EQ(f.chart.ChartRect.Right, 210 - 23 - 5);

  // Depth going left: the left side faces the viewer and the rectangle gives room on the left.
  view->SetOrthoAngle(135);
  f.Render();
  EXPECT_TRUE(f.chart.IsLeftSideFacing());
  EXPECT_FALSE(f.chart.IsRightSideFacing());
  f.chart.Width3D = 20;
  f.chart.Height3D = 12;
  f.chart.ChartRect = Rect(10, 10, 210, 110);
  f.chart.CalcWallsRect();
  EXPECT_EQ(f.chart.ChartRect, Rect(10 + 23 + 1, 25, 210, 110));
  // A custom chart rectangle stays.
  f.chart.CustomChartRect = true;
  f.chart.ChartRect = Rect(10, 10, 210, 110);
  f.chart.CalcWallsRect();
  EXPECT_EQ(f.chart.ChartRect, Rect(10, 10, 210, 110));
}

TEST(ChartWalls, OrthogonalLayoutTakesThisPaintsDepth)
{
  // The walls rectangle gives room for the depth of the paint being laid out: the first paint
  // after a depth change already has the plot area every later paint has.
  Fixture f;
  f.chart.SetView3D(true);
  f.chart.GetView3DOptions()->SetOrthogonal(true);
  f.chart.GetView3DOptions()->SetOrthoAngle(45);
  f.Render();
  f.Render();
  const TRect before = f.chart.ChartRect;
  f.chart.SetChart3DPercent(40);
  f.Render();
  const TRect first = f.chart.ChartRect;
  f.Render();
  EXPECT_EQ(first, f.chart.ChartRect);
  EXPECT_LT(first.Width(), before.Width());
  f.chart.SetView3D(false);
  f.Render();
  const TRect flat = f.chart.ChartRect;
  f.chart.SetView3D(true);
  f.Render();
  const TRect turnedOn = f.chart.ChartRect;
  f.Render();
  EXPECT_EQ(turnedOn, f.chart.ChartRect);
  EXPECT_LT(turnedOn.Width(), flat.Width());
}

TEST(ChartLimits, HugeWallBevelAndTitleSizesAreHeldToThePixelLimit)
{
  // Sizes may hold any integer; the chart holds them to the pixel limit instead of wrapping its
  // rectangle round, and a paint ends (an overflow the projection meets is raised as such).
  // Edges stay near the limit (a held size plus the chart's own pixels), never wrapped round.
  auto within = [](const TRect& r) {
    for (int64_t v : {r.Left, r.Top, r.Right, r.Bottom})
      if (v < -2LL * PixelLimit || v > 2LL * PixelLimit) return false;
    return true;
  };
  for (int32_t v : {INT_MAX, 1 << 24, INT_MIN}) {
    TChart probe(nullptr);
    probe.GetRightWall()->SetSize(v);
    EXPECT_EQ(probe.GetRightWall()->GetSize(), std::clamp(v, -PixelLimit, PixelLimit));
    for (int part = 0; part < 8; ++part) {
      for (bool view3D : {false, true}) {
        Fixture f;
        f.chart.SetView3D(view3D);
        TChartTitle* title = f.chart.GetTitle();
        title->SetCaption("Title");
        switch (part) {
          case 0: f.chart.GetLeftWall()->SetSize(v); break;
          case 1: f.chart.GetBottomWall()->SetSize(v); break;
          case 2: f.chart.GetBackWall()->SetSize(v); break;
          case 3:
            title->SetBevel(bvRaised);
            title->SetBevelWidth(v);
            break;
          case 4:
            title->GetPen()->SetVisible(true);
            title->GetPen()->SetColor(clBlack);
            title->GetPen()->SetWidth(v);
            break;
          case 5:
            f.chart.GetFoot()->SetCaption("Foot");
            f.chart.GetFoot()->SetBevel(bvLowered);
            f.chart.GetFoot()->SetBevelWidth(v);
            break;
          case 6:
          case 7:
            // A soft shadow, then a hard one.
            title->SetTransparent(false);
            title->GetShadow()->SetSmooth(part == 6);
            title->GetShadow()->SetSize(v);
            break;
        }
        try {
          f.Render();
          EXPECT_TRUE(within(f.chart.ChartRect)) << "part " << part << " size " << v << " 3-D " << view3D << " " << f.chart.ChartRect.Left << " " << f.chart.ChartRect.Top << " " << f.chart.ChartRect.Right << " " << f.chart.ChartRect.Bottom;
          EXPECT_TRUE(within(title->ShapeBounds)) << "part " << part << " size " << v << " " << title->ShapeBounds.Left << " " << title->ShapeBounds.Top << " " << title->ShapeBounds.Right << " " << title->ShapeBounds.Bottom;
        } catch (const EOverflow&) {
        } catch (const ERangeError&) {
        }
      }
    }
  }
  // The layout of a title alone.
  TTitleMetrics m;
  m.frameWidth = INT_MAX;
  m.lineHeight = 16;
  m.charWidth = 10;
  m.widestLine = INT_MAX;
  m.lineCount = 3;
  m.shadowVertSize = INT_MAX;
  const TTitleLayout top = CalcTitleLayout(m, Rect(0, 0, 300, 200), Rect(0, 0, 0, 0), true, false, true, taCenter,
                                           false, false);
  EXPECT_TRUE(within(top.bounds));
  EXPECT_LE(top.newChartTop, PixelLimit);
  m.frameWidth = INT_MIN;
  const TTitleLayout foot = CalcTitleLayout(m, Rect(0, 0, 300, 200), Rect(0, 0, 0, 0), false, false, true,
                                            taRightJustify, false, false);
  EXPECT_TRUE(within(foot.bounds));
  EXPECT_GE(foot.newChartBottom, -PixelLimit);
}

TEST(ChartLimits, AHugePanelBevelPaintsItsFramesOnce)
{
  // Frames beyond the panel's size would lie outside it: a bevel of a billion pixels paints as
  // one as wide as the panel.
  Fixture f;
  f.chart.SetBevelOuter(bvRaised);
  f.chart.SetBevelWidth(1 << 30);
  try {
    f.Render();
  } catch (const EOverflow&) {
  }
  TRect r = Rect(10, 10, 50, 30);
  EXPECT_EQ(Frame3DCount(r, 1 << 30), 42);
  EXPECT_EQ(Frame3DCount(r, 3), 3);
  f.chart.Canvas()->Frame3D(r, clBlack, clBlack, 1 << 30);
  EXPECT_EQ(r.Left, 10 + (1 << 30));
  EXPECT_EQ(r.Right, 50 - (1 << 30));
}

TEST(ChartTitles, BandsOffTheChartRectangleInOrder)
{
  Fixture f;
  f.Render();
  const TRect plain = f.chart.ChartRect;
  f.chart.GetTitle()->SetCaption("Title");
  f.chart.GetSubTitle()->SetCaption("Sub");
  f.chart.GetFoot()->SetCaption("Foot");
  f.Render();
  const TRect r = f.chart.ChartRect;
  const TRect title = f.chart.GetTitle()->ShapeBounds, sub = f.chart.GetSubTitle()->ShapeBounds;
  const TRect foot = f.chart.GetFoot()->ShapeBounds;
  EXPECT_LT(title.Bottom, sub.Top + 1);  // the title is outermost
  EXPECT_GT(r.Top, sub.Bottom);
  EXPECT_LT(r.Bottom, plain.Bottom);
  EXPECT_GT(foot.Top, r.Bottom);
  EXPECT_TRUE(f.chart.GetTitle()->Clicked((title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2));
  f.chart.GetTitle()->SetVisible(false);
  EXPECT_FALSE(f.chart.GetTitle()->Clicked((title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2));
  f.chart.GetTitle()->SetVisible(true);

  // A title with no lines takes no space; a custom-positioned one keeps its place and none either.
  f.chart.GetSubTitle()->Clear();
  f.chart.GetFoot()->Clear();
  f.Render();
  const TRect one = f.chart.ChartRect;
  f.chart.GetTitle()->SetLeft(40);
  EXPECT_TRUE(f.chart.GetTitle()->GetCustomPosition());
  f.chart.GetTitle()->SetTop(150);
  f.Render();
  EXPECT_EQ(f.chart.ChartRect.Top, plain.Top);
  EXPECT_LT(f.chart.ChartRect.Top, one.Top);
  EXPECT_EQ(f.chart.GetTitle()->ShapeBounds.Left, 40);
  EXPECT_EQ(f.chart.GetTitle()->ShapeBounds.Top, 150);
}

TEST(ChartTitles, LayoutByAlignmentAndFrame)
{
  TTitleMetrics m;
  m.lineHeight = 10;
  m.charWidth = 8;
  m.widestLine = 40;
  m.lineCount = 2;
  const TRect chartRect = Rect(10, 20, 210, 220);
  // Centred top title without a frame: 48 wide about the middle, 20 high, gap 5.
  TTitleLayout t = CalcTitleLayout(m, chartRect, TRect{}, true, false, true, taCenter, false, true);
  EXPECT_EQ(t.bounds.Left, 110 - 24);
  EXPECT_EQ(t.bounds.Right, 110 + 24);
  EXPECT_EQ(t.bounds.Top, 20);
  EXPECT_EQ(t.bounds.Bottom, 40);
  EXPECT_TRUE(t.movesChartRect);
  EXPECT_EQ(t.newChartTop, 45);
  // A framed foot at the right: inflated by the frame, the chart bottom above its text.
  m.frameWidth = 2;
  t = CalcTitleLayout(m, chartRect, TRect{}, false, false, true, taRightJustify, false, true);
  EXPECT_EQ(t.bounds.Right, 212);
  EXPECT_EQ(t.bounds.Left, 212 - 50);
  EXPECT_EQ(t.bounds.Top, 200 - 2);
  EXPECT_EQ(t.bounds.Bottom, 222);
  EXPECT_EQ(t.newChartBottom, 222 - 7 - 20);
  // The shadow counts in the gap of an opaque title.
  m.shadowVertSize = 3;
  t = CalcTitleLayout(m, chartRect, TRect{}, true, false, false, taCenter, false, false);
  EXPECT_EQ(t.bounds.Left, 8);
  EXPECT_EQ(t.newChartTop, t.bounds.Bottom + 5 + 2 + 3);
  // A custom chart rectangle or a custom position: no band is taken.
  EXPECT_FALSE(CalcTitleLayout(m, chartRect, TRect{}, true, false, true, taCenter, true, true).movesChartRect);
  t = CalcTitleLayout(m, chartRect, Rect(50, 60, 50, 60), true, true, true, taLeftJustify, false, true);
  EXPECT_FALSE(t.movesChartRect);
  EXPECT_EQ(t.bounds.Left, 50);
  EXPECT_EQ(t.bounds.Top, 60);
  EXPECT_EQ(t.bounds.Bottom, 80);
}

TEST(ChartRanges, SavedRecordsFollowTheirAxesNotListPositions)
{
  Fixture f;
  f.Render();
  TChartAxis* custom = f.chart.GetCustomAxes()->Add(false);
  custom->SetMinMax(5, 6);
  TChartAxis* left = f.chart.GetLeftAxis();
  left->SetMinMax(-1, 1);
  f.chart.SaveAxesRanges();
  // Depth axes are not saved.
  for (const TSavedAxisRange& r : f.chart.SavedRanges()) EXPECT_FALSE(r.Axis->IsDepthAxis);
  EXPECT_EQ(f.chart.SavedRanges().size(), 5u);
  // The custom axis goes; the others move in the list.
  f.chart.GetCustomAxes()->Delete(0);
  left->SetMinMax(100, 200);
  f.chart.RestoreAxesRanges();
  EXPECT_DOUBLE_EQ(left->GetMinimum(), -1);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), 1);
  EXPECT_TRUE(f.chart.SavedRanges().empty());
}

TEST(ChartRanges, TwoZoomsThenOneUndoRestoreTheFirstRanges)
{
  Fixture f;
  f.chart.GetLeftAxis()->SetMinMax(0, 100);
  f.chart.GetBottomAxis()->SetMinMax(0, 50);
  f.Render();
  int zooms = 0, undos = 0;
  f.chart.OnZoom = [&](TObject*) { ++zooms; };
  f.chart.OnUndoZoom = [&](TObject*) { ++undos; };
  f.chart.ZoomToRanges(10, 20, 0, 1, 0, 1, 5, 6);
  f.chart.ZoomToRanges(12, 13, 0, 1, 0, 1, 5.5, 5.6);
  EXPECT_EQ(zooms, 2);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMinimum(), 12);
  f.chart.UndoZoom();
  EXPECT_EQ(undos, 1);
  EXPECT_FALSE(f.chart.Zoomed);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMinimum(), 0);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMaximum(), 100);
  EXPECT_DOUBLE_EQ(f.chart.GetBottomAxis()->GetMaximum(), 50);

  // The before-zoom hook may cancel.
  f.chart.OnBeforeZoom = [&](TObject*) { f.chart.CancelZoom = true; };
  f.chart.ZoomToRanges(1, 2, 0, 1, 0, 1, 1, 2);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMinimum(), 0);
  EXPECT_TRUE(f.chart.RangesFree());

  // Animated: the ranges still end at their targets.
  f.chart.OnBeforeZoom = nullptr;
  f.chart.Zoom()->Animated = true;
  f.chart.ZoomToRanges(40, 60, 0, 1, 0, 1, 10, 20);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMinimum(), 40);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMaximum(), 60);
}

TEST(ChartRanges, AnimatedZoomTakesAtMostAHundredSteps)
{
  // A huge stored step count does not hold the zoom for ever: the steps are held to 100. The
  // control repaints once a step (from its bitmap once the ranges stand still).
  struct CountingCanvas : TNuvCanvas3D {
    int paints = 0;
    bool ReDrawBitmap() override
    {
      ++paints;
      return TNuvCanvas3D::ReDrawBitmap();
    }
  };
  Fixture f;
  f.chart.SetCanvas(std::make_unique<CountingCanvas>());
  auto* canvas = static_cast<CountingCanvas*>(f.chart.Canvas());
  f.Render();
  f.chart.Zoom()->Animated = true;
  f.chart.Zoom()->AnimatedSteps = 20000;
  canvas->paints = 0;
  f.chart.ZoomToRanges(40, 60, 0, 1, 0, 1, 10, 20);
  EXPECT_EQ(canvas->paints, 99);
  EXPECT_DOUBLE_EQ(f.chart.GetLeftAxis()->GetMinimum(), 40);
  EXPECT_DOUBLE_EQ(f.chart.GetBottomAxis()->GetMaximum(), 20);
  // An ordinary step count is kept.
  f.chart.UndoZoom();
  f.chart.Zoom()->AnimatedSteps = 8;
  canvas->paints = 0;
  f.chart.ZoomToRanges(40, 60, 0, 1, 0, 1, 10, 20);
  EXPECT_EQ(canvas->paints, 7);
}

TEST(ChartRanges, WheelKeepsALogarithmicRangePositive)
{
  Fixture f;
  TChartAxis* left = f.chart.GetLeftAxis();
  left->SetLogarithmic(true);
  left->SetMinMax(1, 1000);
  f.Render();
  // Scrolled on the logarithms: 3 % of the decades a notch.
  f.chart.DispatchMouseWheel(0, -120, TPoint{100, 100});
  EXPECT_NEAR(std::log10(left->GetMinimum()), 0.09, 1e-9);
  EXPECT_NEAR(std::log10(left->GetMaximum()), 3.09, 1e-9);
  for (int i = 0; i < 50; ++i) {
    f.chart.DispatchMouseWheel(0, 120, TPoint{100, 100});
    ASSERT_GT(left->GetMinimum(), 0) << "after " << i + 1 << " notches";
  }
  EXPECT_NEAR(std::log10(left->GetMaximum()) - std::log10(left->GetMinimum()), 3, 1e-6);
  // A linear axis still scrolls by 3 % of its range.
  TChartAxis* right = f.chart.GetRightAxis();
  right->SetMinMax(0, 100);
  f.chart.DispatchMouseWheel(0, -120, TPoint{100, 100});
  EXPECT_DOUBLE_EQ(right->GetMinimum(), 3);
}

TEST(ChartStream, BackColorReadAndPaletteIndexStoredAndApplied)
{
  TChart chart(nullptr);
  std::map<std::string, TStreamValue> values;
  values["BackColor"] = TStreamValue(int64_t{0x00FF00});
  values["ColorPaletteIndex"] = TStreamValue(int64_t{3});
  TPropertyReader reader(values);
  chart.DefineProperties(&reader);
  EXPECT_EQ(chart.GetBackWall()->GetColor(), clLime);
  EXPECT_EQ(chart.GetBackWall()->GetBrush()->GetStyle(), bsSolid);
  EXPECT_EQ(chart.ColorPaletteIndex, 3);
  EXPECT_EQ(chart.GetColorPalette(), PaletteColors(3));

  // Written: the palette index when above 0; never BackColor.
  TPropertyWriter writer;
  chart.DefineProperties(&writer);
  EXPECT_EQ(writer.Values().count("BackColor"), 0u);
  ASSERT_EQ(writer.Values().count("ColorPaletteIndex"), 1u);
  EXPECT_EQ(StreamValueToInteger(writer.Values().at("ColorPaletteIndex")), 3);

  TChart plain(nullptr);
  TPropertyWriter none;
  plain.DefineProperties(&none);
  EXPECT_EQ(none.Values().count("ColorPaletteIndex"), 0u);
  std::map<std::string, TStreamValue> zero;
  zero["ColorPaletteIndex"] = TStreamValue(int64_t{0});
  zero["BackColor"] = TStreamValue(std::string("clRed"));
  TPropertyReader zeroReader(zero);
  plain.DefineProperties(&zeroReader);
  EXPECT_TRUE(plain.GetColorPalette().empty());
  EXPECT_EQ(plain.GetBackWall()->GetColor(), clRed);
}

}  // namespace

// When the back plane faces the viewer the depth axis is drawn with the walls and again with the
// axes: both passes put each label at the same place (one label on screen, not two a band apart).
TEST(ChartWalls, DepthAxisDrawnWithTheWallsSitsWhereTheAxesPutIt)
{
  Fixture f;
  f.chart.SetView3D(true);
  f.chart.SetChart3DPercent(100);
  TView3DOptions* view = f.chart.GetView3DOptions();
  view->SetOrthogonal(false);
  view->SetPerspective(50);
  view->SetRotation(190);
  view->SetElevation(350);
  TChartAxis* depth = f.chart.GetDepthAxis();
  depth->SetVisible(true);
  depth->SetMinMax(0, 100);
  depth->SetLabelStyle(talValue);
  std::map<std::string, std::set<std::tuple<int32_t, int32_t, int32_t>>> places;
  int draws = 0;
  depth->OnDrawLabel = [&](TChartAxis*, int32_t& x, int32_t& y, int32_t& z, std::string& text, bool&) {
    places[text].insert({x, y, z});
    ++draws;
  };
  f.Render();
  // Seen from behind: the walls draw the depth axis, and the axes pass leaves it be.
  EXPECT_TRUE(f.chart.IsDepthPlaneFacing());
  ASSERT_FALSE(places.empty());
  EXPECT_EQ(draws, static_cast<int>(places.size())) << "a depth label drawn twice";
  for (const auto& [text, at] : places) EXPECT_EQ(at.size(), 1u) << "label " << text << " drawn at two places";
}

// Axis drawing checked by pixels on a bitmap through the GDI canvas: the axis line, ticks,
// minor ticks, grid, labels and title land where the scaling puts them; the layout size.
#include <gtest/gtest.h>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"

namespace {

// An axis panel with nothing around its axes.
class AxisOnlyPanel : public TCustomAxisPanel {
public:
  using TCustomAxisPanel::TCustomAxisPanel;
  void CalcWallsRect() override {}
  int32_t GetWallSize(TChartAxis*) override { return 0; }
  void DrawTitlesAndLegend(bool) override {}
  void DrawWalls() override {}
  bool IsFreeSeriesColor(TColor, bool, TChartSeries*) override { return true; }
};

constexpr int W = 400, H = 300;

// One axis drawn on a white bitmap in a 2-D chart rectangle of (60, 20)-(380, 260).
struct AxisFrame {
  AxisOnlyPanel panel{nullptr};
  TBitmap bmp;
  AxisFrame()
  {
    panel.SetView3D(false);
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(W, H);
    TCanvas3D* c = panel.Canvas();
    c->SetBufferedDisplay(false);
    c->InitWindow(bmp.Canvas(), panel.GetView3DOptions(), clWhite, false, {0, 0, W, H});
    c->ViewPort(0, {0, 0, W, H}, {0, 0, W, H});
    panel.ChartRect = {60, 20, 380, 260};
  }
  // Hides everything an axis draws.
  static void Bare(TChartAxis* a)
  {
    a->GetAxis()->Hide();
    a->GetTicks()->Hide();
    a->GetGrid()->Hide();
    a->GetMinorTicks()->Hide();
    a->SetLabels(false);
  }
  void Draw(TChartAxis* a, double lo, double hi, double increment)
  {
    a->SetLabelStyle(talValue);
    a->SetMinMax(lo, hi);
    if (increment > 0) a->SetIncrement(increment);
    a->CalcPositions();
    a->AdjustMaxMin();
    a->Draw(true);
  }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  int CountIn(int x0, int y0, int x1, int y1, TColor color)
  {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == color;
    return n;
  }
  // Bounds of the dark pixels in a box (Right / Bottom exclusive); empty when none.
  TRect DarkBounds(int x0, int y0, int x1, int y1)
  {
    TRect b{10000, 10000, -1, -1};
    for (int y = std::max(0, y0); y < std::min(H, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(W, x1); ++x) {
        const TColor c = At(x, y);
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) {
          b.Left = std::min(b.Left, x), b.Top = std::min(b.Top, y);
          b.Right = std::max(b.Right, x + 1), b.Bottom = std::max(b.Bottom, y + 1);
        }
      }
    return b;
  }
  int DarkIn(int x0, int y0, int x1, int y1)
  {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(H, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(W, x1); ++x) {
        const TColor c = At(x, y);
        n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 300;
      }
    return n;
  }
};

TEST(AxisDraw, LeftAxisLineTicksAndGridLandOnTheScale)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->SetLabels(false);
  a->SetTickOnLabelsOnly(false);
  a->GetGrid()->SetStyle(psSolid);
  a->GetMinorTicks()->Hide();
  f.Draw(a, 0, 100, 20);
  ASSERT_EQ(a->PosStart, 20);
  ASSERT_EQ(a->PosEnd, 260);
  EXPECT_EQ(a->PosAxis, 60);
  // The axis line, two pixels wide, along the chart's left edge from PosStart to PosEnd.
  for (int y = 25; y < 255; y += 10) EXPECT_EQ(f.At(60, y), clBlack) << y;
  EXPECT_EQ(f.At(60, 10), clWhite);
  EXPECT_EQ(f.At(60, 270), clWhite);
  // Ticks at 0, 20, ..., 100 point outward by four pixels; grid lines cross the chart.
  const std::vector<int32_t> want = {20, 68, 116, 164, 212, 260};
  std::vector<int32_t> ticks = a->Tick;
  std::sort(ticks.begin(), ticks.end());
  EXPECT_EQ(ticks, want);
  for (int32_t y : want) {
    if (y == 260) continue;  // the last pixel row of the chart rectangle is left to the line ends
    EXPECT_EQ(f.At(56, y), clGray) << y;
    EXPECT_EQ(f.At(54, y), clWhite) << y;
    EXPECT_EQ(f.At(200, y), clGray) << y;
    EXPECT_EQ(f.At(200, y + 3), clWhite) << y;
  }
}

TEST(AxisDraw, BottomAxisMinorTicksAndCentredGrid)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetBottomAxis();
  a->SetLabels(false);
  a->SetTickOnLabelsOnly(false);
  a->GetAxis()->Hide();
  a->GetGrid()->SetStyle(psSolid);
  a->SetGridCentered(true);
  a->SetMinorTickCount(3);
  a->GetMinorTicks()->SetColor(clRed);
  f.Draw(a, 0, 80, 20);
  ASSERT_EQ(a->PosStart, 60);
  ASSERT_EQ(a->PosEnd, 380);
  EXPECT_EQ(a->PosAxis, 260);
  // Ticks every 80 pixels from 380 down to 60; centred grid lines halfway between them.
  for (int x : {100, 180, 260, 340}) {
    EXPECT_EQ(f.At(x, 100), clGray) << x;
    EXPECT_EQ(f.At(x, 262), clWhite) << x;  // no tick under a grid line
  }
  EXPECT_EQ(f.At(140, 100), clWhite);
  for (int x : {140, 220, 300}) EXPECT_EQ(f.At(x, 262), clGray) << x;
  // Minor ticks every 20 pixels between the ticks, two pixels long, downward.
  for (int x : {80, 100, 120, 160, 360}) {
    EXPECT_EQ(f.At(x, 261), clRed) << x;
    EXPECT_EQ(f.At(x, 263), clWhite) << x;
  }
}

TEST(AxisDraw, LabelsSitOutsideTheAxisAtTheirValues)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->GetGrid()->Hide();
  f.Draw(a, 0, 100, 50);
  // Labels 100, 50 and 0 end at PosLabels (line and ticks outward of the axis) and are centred
  // on their pixels.
  const int posLabels = 60 - (2 + 1 + 4);
  EXPECT_EQ(a->PosLabels, posLabels);
  for (int y : {20, 140, 260}) {
    EXPECT_GT(f.DarkIn(posLabels - 30, y - 7, posLabels, y + 7), 5) << y;
    EXPECT_EQ(f.DarkIn(posLabels + 1, y - 7, 55, y + 7), 0) << y;
  }
  EXPECT_EQ(f.DarkIn(0, 40, posLabels, 120), 0);
  // Only drawn labels get ticks.
  EXPECT_EQ(a->Tick.size(), 3u);
}

TEST(AxisDraw, TitleAndLabelsTakeTheirBandsInLayout)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->GetTitle()->SetCaption("Depth");
  a->SetLabelStyle(talValue);
  a->SetMinMax(0, 100);
  a->CalcPositions();
  a->AdjustMaxMin();
  TRect r = f.panel.ChartRect;
  a->CalcRect(r, true);
  // Title band (font height, turned 90 degrees), labels band (widest label), then line and ticks.
  TCanvas3D* c = f.panel.Canvas();
  c->AssignFont(a->GetTitle()->GetFont());
  const int title = c->FontHeight();
  c->AssignFont(a->GetLabelsFont());
  const int labels = c->TextWidth("100");
  EXPECT_EQ(a->PosTitle, 60);
  EXPECT_EQ(a->PosLabels, 60 + title);
  EXPECT_EQ(r.Left, 60 + title + labels + 2 + 1 + 4);
  // A fixed size wins over the measured one; alternate labels take two rows.
  a->SetLabelsSize(25);
  a->SetLabelsAlternate(true);
  r = f.panel.ChartRect;
  a->CalcRect(r, true);
  EXPECT_EQ(r.Left, 60 + title + 50 + 7);
  // Drawn: the title stands left of the labels.
  a->SetLabelsSize(0);
  a->SetLabelsAlternate(false);
  a->Draw(true);
  const int posLabels = 60 - 7;
  EXPECT_GT(f.DarkIn(posLabels - labels - 1 - title, 110, posLabels - labels - 1, 170), 5);
}

TEST(AxisDraw, HiddenPartsDrawNothingAndEmptyRangesNoLabels)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetRightAxis();
  AxisFrame::Bare(a);
  f.Draw(a, 0, 10, 1);
  EXPECT_EQ(f.DarkIn(0, 0, W, H), 0);
  EXPECT_EQ(f.CountIn(0, 0, W, H, clGray), 0);
  // 10000 increments or more: no value labels, no ticks.
  AxisFrame g;
  TChartAxis* b = g.panel.GetLeftAxis();
  b->GetGrid()->Hide();
  b->SetLabelsSeparation(0);
  g.Draw(b, 0, 1e6, 100);
  EXPECT_TRUE(b->Tick.empty());
}

TEST(AxisDraw, CustomItemsReplaceTheAutomaticLabels)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetBottomAxis();
  a->GetGrid()->Hide();
  a->Items()->Add(25, "low");
  a->Items()->Add(75);
  a->Items()->Add(500, "outside");
  f.Draw(a, 0, 100, 0);
  ASSERT_EQ(a->Tick.size(), 2u);
  EXPECT_EQ(a->Tick[0], 140);
  EXPECT_EQ(a->Tick[1], 300);
  // Text below the axis under each item.
  for (int x : {140, 300}) EXPECT_GT(f.DarkIn(x - 12, 268, x + 12, 285), 3) << x;
  EXPECT_EQ(f.DarkIn(170, 268, 270, 285), 0);
  EXPECT_THROW(a->Items()->Item(3), ERangeError);
  a->Items()->Clear();
  EXPECT_EQ(a->Items()->Count(), 0);
}

TEST(AxisDraw, DrawLabelEventMovesOrSuppressesLabels)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->GetGrid()->Hide();
  a->GetTicks()->Hide();
  a->GetAxis()->Hide();
  std::vector<std::string> seen;
  a->OnDrawLabel = [&](TChartAxis*, int32_t&, int32_t& y, int32_t&, std::string& text, bool& draw) {
    seen.push_back(text);
    if (text == "50") draw = false;
    if (text == "0") y -= 100;
  };
  f.Draw(a, 0, 100, 50);
  EXPECT_EQ(seen, (std::vector<std::string>{"100", "50", "0"}));
  EXPECT_EQ(f.DarkIn(0, 133, 60, 147), 0);
  EXPECT_GT(f.DarkIn(0, 153, 60, 167), 5);
  EXPECT_EQ(f.DarkIn(0, 250, 60, 270), 0);
}

TEST(AxisDraw, HitTestCoversTheLabelBand)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  f.Draw(a, 0, 100, 50);
  // With no series the chart reports the axis as in use by default.
  a->InternalVisible = true;
  EXPECT_TRUE(a->HitTest(58, 100));
  EXPECT_TRUE(a->HitTest(62, 100));
  EXPECT_TRUE(a->HitTest(a->PosLabels, 100));
  EXPECT_FALSE(a->HitTest(a->PosLabels - 1, 100));
  EXPECT_FALSE(a->HitTest(58, 270));
  a->InternalVisible = false;
  EXPECT_FALSE(a->HitTest(58, 100));
}

TEST(AxisDraw, ExponentLabelsRaiseASmallerPower)
{
  TRect bounds[2];
  for (int exponent = 0; exponent < 2; ++exponent) {
    AxisFrame f;
    TChartAxis* a = f.panel.GetLeftAxis();
    AxisFrame::Bare(a);
    a->SetLabels(true);
    a->SetLabelsExponent(exponent == 1);
    a->Items()->Add(50, "10E3");
    f.Draw(a, 0, 100, 0);
    bounds[exponent] = f.DarkBounds(0, 100, 60, 180);
    ASSERT_GT(bounds[exponent].Right, 0);
  }
  // The "E" is gone and the "3" is smaller and higher.
  EXPECT_LT(bounds[1].Width(), bounds[0].Width());
  EXPECT_LT(bounds[1].Top, bounds[0].Top);
  EXPECT_EQ(bounds[1].Right, bounds[0].Right);  // still ending at the labels' edge
}

TEST(AxisDraw, MultiLineLabelsTakeTwoRows)
{
  TRect bounds[2];
  for (int multi = 0; multi < 2; ++multi) {
    AxisFrame f;
    TChartAxis* a = f.panel.GetBottomAxis();
    AxisFrame::Bare(a);
    a->SetLabels(true);
    a->SetLabelsMultiLine(multi == 1);
    a->SetAxisValuesFormat("0 \"units\"");
    f.Draw(a, 0, 100, 100);
    bounds[multi] = f.DarkBounds(40, 260, 120, H);
    ASSERT_GT(bounds[multi].Right, 0);
  }
  EXPECT_GT(bounds[1].Height(), bounds[0].Height() * 3 / 2);
  EXPECT_LT(bounds[1].Width(), bounds[0].Width());
}

TEST(AxisDraw, AlternateLabelsUseTwoRows)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetBottomAxis();
  AxisFrame::Bare(a);
  a->SetLabels(true);
  a->SetLabelsAlternate(true);
  a->SetLabelsSeparation(0);
  f.Draw(a, 0, 100, 10);
  // The increment is halved for two rows: 100 on the first row, 95 on the second.
  const TRect first = f.DarkBounds(374, 255, 392, H);
  const TRect second = f.DarkBounds(357, 255, 370, H);
  ASSERT_GT(first.Right, 0);
  ASSERT_GT(second.Right, 0);
  f.panel.Canvas()->AssignFont(a->GetLabelsFont());
  EXPECT_NEAR(second.Top - first.Top, f.panel.Canvas()->FontHeight(), 1);
}

TEST(AxisDraw, RightAxisLabelsAlignLeftOfTheirEdgeAndOppositeAlignmentFlips)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetRightAxis();
  a->GetGrid()->Hide();
  f.Draw(a, 0, 100, 50);
  EXPECT_EQ(a->PosAxis, 380);
  EXPECT_EQ(a->PosLabels, 387);
  const TRect b = f.DarkBounds(383, 130, W, 150);
  EXPECT_GE(b.Left, 387);
  EXPECT_LE(b.Left, 389);

  AxisFrame g;
  TChartAxis* l = g.panel.GetLeftAxis();
  l->GetGrid()->Hide();
  l->SetLabelsAlign(alOpposite);
  g.Draw(l, 0, 100, 50);
  // Opposite: the labels start at the far edge of their band.
  g.panel.Canvas()->AssignFont(l->GetLabelsFont());
  const int band = g.panel.Canvas()->TextWidth("100");
  const TRect o = g.DarkBounds(0, 130, 56, 150);  // the label "50"
  EXPECT_NEAR(o.Left, 53 - band, 2);
}

TEST(AxisDraw, LogarithmicAxisWithoutADecadeInsideFallsBackToValues)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->GetGrid()->Hide();
  a->SetLabelStyle(talValue);
  a->SetMinMax(2, 8);
  a->SetLogarithmic(true);
  a->CalcPositions();
  a->AdjustMaxMin();
  a->Draw(true);
  EXPECT_GE(a->Tick.size(), 2u);
  // A decade axis labels 1, 10, 100, 1000 at equal spacing.
  AxisFrame g;
  TChartAxis* d = g.panel.GetLeftAxis();
  d->GetGrid()->Hide();
  d->SetLabelStyle(talValue);
  d->SetMinMax(1, 1000);
  d->SetLogarithmic(true);
  d->SetMinorTickCount(8);
  d->CalcPositions();
  d->AdjustMaxMin();
  d->Draw(true);
  std::vector<int32_t> ticks = d->Tick;
  std::sort(ticks.begin(), ticks.end());
  EXPECT_EQ(ticks, (std::vector<int32_t>{20, 100, 180, 260}));
  // Minor marks at 2..9, 20..90 and 200..900: each decade in equal value steps.
  const std::vector<int32_t> minor = d->CalcMinorTickPositions();
  ASSERT_EQ(minor.size(), 24u);
  EXPECT_NE(std::find(minor.begin(), minor.end(), d->CalcPosValue(300)), minor.end());
}

TEST(AxisDraw, ThreeDimensionalChartDrawsTheAxisInDepth)
{
  AxisFrame f;
  f.panel.SetView3D(true);
  f.panel.Width3D = 30;
  TCanvas3D* c = f.panel.Canvas();
  c->InitWindow(f.bmp.Canvas(), f.panel.GetView3DOptions(), clWhite, true, {0, 0, W, H});
  c->ViewPort(30, {0, 0, W, H}, f.panel.ChartRect);
  TChartAxis* a = f.panel.GetLeftAxis();
  a->GetTitle()->SetCaption("Depth");
  f.Draw(a, 0, 100, 25);
  EXPECT_EQ(a->ChartDepth, 30);
  EXPECT_GT(f.DarkIn(0, 0, W, H), 50);
  EXPECT_GT(f.CountIn(0, 0, W, H, clGray), 20);
  // The band at the front still answers the mouse.
  const TPoint front = c->Calculate3DPosition(58, 100, 0);
  EXPECT_TRUE(a->HitTest(front.x, front.y));
  EXPECT_FALSE(a->HitTest(front.x + 40, front.y));
}

TEST(AxisDraw, AbsurdSettingsNeitherOverflowNorHang)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetLeftAxis();
  a->SetTickLength(INT32_MAX);
  a->SetTickInnerLength(INT32_MIN + 1);
  a->SetMinorTickLength(INT32_MAX);
  a->SetMinorTickCount(INT32_MAX);
  a->GetMinorGrid()->Show();
  a->SetLabelsSize(INT32_MAX);
  a->SetLabelsAlternate(true);
  a->SetTitleSize(INT32_MAX);
  a->GetTitle()->SetCaption("T");
  a->SetLabelsAngle(INT32_MIN);
  a->GetAxis()->SetWidth(INT32_MAX);
  a->SetAxisValuesFormat(std::string(20000, '0') + "." + std::string(300, '#'));
  TRect r = f.panel.ChartRect;
  a->SetMinMax(-1e300, 1e300);
  a->CalcPositions();
  a->AdjustMaxMin();
  a->CalcRect(r, true);
  EXPECT_GE(r.Left, -3 * PixelLimit);
  f.Draw(a, 0, 100, 0);
  EXPECT_LE(a->CalcMinorTickPositions().size(), 240u * 2);
}

}  // namespace

// Seen from the front in perspective, successive depths land close together on the screen: the
// depth axis widens its label step until no two labels cover each other.
TEST(AxisDraw, DepthLabelsSeenFromTheFrontDoNotOverlap)
{
  AxisFrame f;
  f.panel.SetView3D(true);
  f.panel.Width3D = 200;
  TView3DOptions* view = f.panel.GetView3DOptions();
  view->SetOrthogonal(false);
  view->SetPerspective(50);
  view->SetRotation(350);
  view->SetElevation(355);
  TCanvas3D* c = f.panel.Canvas();
  c->InitWindow(f.bmp.Canvas(), view, clWhite, true, {0, 0, W, H});
  c->ViewPort(200, {0, 0, W, H}, f.panel.ChartRect);
  TChartAxis* a = f.panel.GetDepthAxis();
  a->SetVisible(true);
  TRect r = f.panel.ChartRect;
  a->CalcRect(r, true);
  std::vector<TRect> boxes;
  a->OnDrawLabel = [&](TChartAxis*, int32_t& x, int32_t& y, int32_t& z, std::string& text, bool&) {
    const TPoint p = c->Calculate3DPosition(x, y, z);
    const int32_t w = c->TextWidth(text);
    boxes.push_back({p.x - w, p.y, p.x, p.y + c->FontHeight()});
  };
  f.Draw(a, 5547000, 5549000, 0);
  ASSERT_GE(boxes.size(), 2u);
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = i + 1; j < boxes.size(); ++j) {
      const TRect& p = boxes[i];
      const TRect& q = boxes[j];
      EXPECT_FALSE(p.Left < q.Right && q.Left < p.Right && p.Top < q.Bottom && q.Top < p.Bottom)
          << "labels " << i << " and " << j << " overlap";
    }
}

TEST(AxisLabels, NeighbouringBoxesOverlapOnlyWhenTheyShareArea)
{
  EXPECT_FALSE(AxisLabelBoxesOverlap({}));
  EXPECT_FALSE(AxisLabelBoxesOverlap({{0, 0, 10, 10}, {10, 0, 20, 10}}));  // touching edges
  EXPECT_TRUE(AxisLabelBoxesOverlap({{0, 0, 10, 10}, {30, 0, 40, 10}, {35, 5, 45, 15}}));
}

TEST(AxisDraw, FastCalculationTakesTheUnclampedLinearPair)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetBottomAxis();
  TChartAxis* l = f.panel.GetLeftAxis();
  for (TChartAxis* axis : {a, l}) {
    axis->SetMinMax(0, 100);
    axis->CalcPositions();
    axis->AdjustMaxMin();
  }
  EXPECT_FALSE(f.panel.AxesList()->GetFastCalc());
  // Held within the pixel limit while off.
  EXPECT_EQ(a->CalcPosValue(1e9), PixelLimit);
  EXPECT_EQ(l->CalcPosValue(-1e9), PixelLimit);
  f.panel.AxesList()->SetFastCalc(true);
  // Exact while the result fits; past 32 bits an error, never a wrapped pixel.
  EXPECT_EQ(a->CalcPosValue(50), 220);
  EXPECT_EQ(a->CalcPosValue(1e7), 60 + 32000000);
  EXPECT_EQ(l->CalcPosValue(1e7), 260 - 24000000);
  EXPECT_THROW(a->CalcPosValue(1e9), ERangeError);
  a->SetPositions(2147483000, 2147483640);
  EXPECT_THROW(a->CalcPosValue(200), EOverflow);
  a->SetInverted(true);
  EXPECT_EQ(a->CalcPosValue(100), 2147483000);
  f.panel.AxesList()->SetFastCalc(false);
  a->SetInverted(false);
  EXPECT_EQ(a->CalcPosValue(200), PixelLimit);
}

TEST(AxisDraw, CustomItemsDrawTheirOwnFrameAndBackground)
{
  AxisFrame f;
  TChartAxis* a = f.panel.GetBottomAxis();
  a->GetGrid()->Hide();
  TAxisItem* framed = a->Items()->Add(25, "framed");
  framed->SetTransparent(false);
  framed->SetColor(clRed);
  framed->GetBrush()->SetStyle(bsSolid);
  framed->GetPen()->SetColor(clBlue);
  framed->GetPen()->Show();
  a->Items()->Add(75, "plain");  // transparent, as made: no frame, no background
  f.Draw(a, 0, 100, 0);
  // Below the axis, around the text at x = 140: a red box with a blue outline.
  const int red = f.CountIn(90, 262, 190, 295, clRed), blue = f.CountIn(90, 262, 190, 295, clBlue);
  EXPECT_GT(red, 60);
  EXPECT_GT(blue, 40);
  EXPECT_GT(f.DarkIn(120, 266, 160, 290), 3);  // the text on top of the background
  EXPECT_EQ(f.CountIn(250, 262, 350, 295, clRed) + f.CountIn(250, 262, 350, 295, clBlue), 0);
  // The box surrounds the text: its red is to the left and right of the text's centre.
  EXPECT_GT(f.CountIn(90, 262, 140, 295, clRed), 10);
  EXPECT_GT(f.CountIn(140, 262, 190, 295, clRed), 10);
}

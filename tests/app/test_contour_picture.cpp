// Section picture: band splitting, isoline tracing, colour bar, and the picture of a field section.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

// Records like the picture canvas and keeps the lines and texts drawn.
class CaptureCanvas : public TMetafileCanvas {
public:
  using TMetafileCanvas::TMetafileCanvas;
  struct Text {
    int32_t x, y;
    std::string text;
    int32_t height;
  };
  std::vector<std::vector<TPoint>> lines;
  std::vector<Text> texts;
  void Polyline(const std::vector<TPoint>& points) override
  {
    lines.push_back(points);
    TMetafileCanvas::Polyline(points);
  }
  void TextOut(int32_t x, int32_t y, const std::string& text) override
  {
    texts.push_back({x, y, text, Font()->GetHeight()});
    TMetafileCanvas::TextOut(x, y, text);
  }
};

// Picture pixels are plot units.
void UnitTransform(TPseudoSectionContour& c)
{
  c.PlotXMin = c.PlotYMin = 0;
  c.PlotXMax = c.PictureWidth;
  c.PlotYMax = c.PictureHeight;
  c.PlotXSpan = c.PictureWidth;
  c.PlotYSpan = c.PictureHeight;
  c.XScale = c.YScale = 1;
}

// Nodes 1 to 3 as the one triangle, drawn in plot units.
void SingleTriangle(TPseudoSectionContour& c)
{
  c.TriangleTable[1] = dTriangle{};
  c.TriangleTable[1].vertices[0] = 1, c.TriangleTable[1].vertices[1] = 2, c.TriangleTable[1].vertices[2] = 3;
  c.TriangleCount = 1;
  c.BuildAdjacency(1);
  UnitTransform(c);
}

void SetLevels(TPseudoSectionContour& c, const std::vector<double>& levels)
{
  c.LevelCount = static_cast<int32_t>(levels.size());
  c.LevelValues = levels;
  c.BandColors.clear();
  for (size_t k = 0; k <= levels.size(); ++k)
    c.BandColors.push_back(static_cast<TColor>(0x102030 + 0x25 * k + 0x1300 * (k % 3)));
  c.IsolineColors.assign(levels.size(), clBlack);
}

int BandOf(const TPseudoSectionContour& c, double v)
{
  int band = 0;
  while (band < c.LevelCount && c.LevelValues[band] < v) ++band;
  return band;
}

TColor PixelAt(TBitmap& b, int x, int y)
{
  const uint8_t* p = b.ScanLine(y) + 3 * x;
  return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

std::unique_ptr<TBitmap> Replay(TMetafile* m, int w, int h)
{
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->StretchDraw(TRect{0, 0, w, h}, m);
  return b;
}

// Share of the pixels well inside bands that show the band colour of the value interpolated
// linearly on the mesh; pixels within `margin` of another band are left out.
struct BandCheck {
  int checked = 0, matched = 0;
  double Share() const { return checked ? static_cast<double>(matched) / checked : 0.0; }
};

BandCheck CompareBands(const TPseudoSectionContour& c, TBitmap& bmp, int margin)
{
  const int w = bmp.GetWidth(), h = bmp.GetHeight();
  const double fx = static_cast<double>(c.PictureWidth) / w, fy = static_cast<double>(c.PictureHeight) / h;
  std::vector<int> band(static_cast<size_t>(w) * h, -1);
  // Rasterise every triangle: pixel centres by barycentric coordinates in picture pixels.
  for (int32_t t = 1; t <= c.TriangleCount; ++t) {
    const dTriangle& tr = c.TriangleTable[t];
    double px[3], py[3], pv[3];
    for (int k = 0; k < 3; ++k) {
      const dVertex3d& n = c.NodeTable[tr.vertices[k]];
      px[k] = (n.x - c.PlotXMin) * c.XScale / fx;
      py[k] = (n.y - c.PlotYMin) * c.YScale / fy;
      pv[k] = n.value;
    }
    const double det = (py[1] - py[2]) * (px[0] - px[2]) + (px[2] - px[1]) * (py[0] - py[2]);
    if (std::fabs(det) < 1e-12) continue;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({px[0], px[1], px[2]}))));
    const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max({px[0], px[1], px[2]}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({py[0], py[1], py[2]}))));
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(std::max({py[0], py[1], py[2]}))));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double sx = x + 0.5, sy = y + 0.5;
        const double l0 = ((py[1] - py[2]) * (sx - px[2]) + (px[2] - px[1]) * (sy - py[2])) / det;
        const double l1 = ((py[2] - py[0]) * (sx - px[2]) + (px[0] - px[2]) * (sy - py[2])) / det;
        const double l2 = 1 - l0 - l1;
        if (l0 < 0 || l1 < 0 || l2 < 0) continue;
        band[static_cast<size_t>(y) * w + x] = BandOf(c, l0 * pv[0] + l1 * pv[1] + l2 * pv[2]);
      }
  }
  BandCheck r;
  for (int y = margin; y < h - margin; ++y)
    for (int x = margin; x < w - margin; ++x) {
      const int b = band[static_cast<size_t>(y) * w + x];
      if (b < 0) continue;
      bool uniform = true;
      for (int dy = -margin; dy <= margin && uniform; ++dy)
        for (int dx = -margin; dx <= margin && uniform; ++dx)
          uniform = band[static_cast<size_t>(y + dy) * w + x + dx] == b;
      if (!uniform) continue;
      ++r.checked;
      if (PixelAt(bmp, x, y) == c.BandColors[b]) ++r.matched;
    }
  return r;
}

}  // namespace

TEST(ContourPicture, SmallRoutines)
{
  EXPECT_DOUBLE_EQ(TPseudoSectionContour::InterpolateAt(5, 10, 100, 0, 0), 50);
  EXPECT_DOUBLE_EQ(TPseudoSectionContour::InterpolateAt(5, 3, 7, 3, 2), 2);  // flat edge: no NaN
  EXPECT_TRUE(TPseudoSectionContour::StrictlyBetween(2, 3, 1));
  EXPECT_FALSE(TPseudoSectionContour::StrictlyBetween(3, 3, 1));

  // Middle vertex, top vertex and orientation for each lowest vertex and new uncrossed edge.
  struct Row {
    int m, edge, middle, top, flag;
  };
  const Row rows[] = {{0, 0, 1, 2, 1}, {0, 2, 2, 1, 0}, {1, 0, 0, 2, 0},
                      {1, 1, 2, 0, 1}, {2, 1, 1, 0, 0}, {2, 2, 0, 1, 1}};
  for (const Row& r : rows) {
    int32_t middle, top, flag;
    TPseudoSectionContour::CornerPoints(r.m, r.edge, middle, top, flag);
    EXPECT_EQ(middle, r.middle) << r.m << "," << r.edge;
    EXPECT_EQ(top, r.top) << r.m << "," << r.edge;
    EXPECT_EQ(flag, r.flag) << r.m << "," << r.edge;
  }

  TPseudoSectionContour c(100, 100);
  SetLevels(c, {1, 2, 3, 4});
  int32_t lo, hi;
  c.LevelIndexRange(1.5, 3.5, 2.2, lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 2);
  c.LevelIndexRange(0.2, 0.5, 0.7, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
}

TEST(ContourPicture, BandsOfSingleTriangles)
{
  // Every order of the three values: each lowest vertex and each way of passing the middle one.
  const std::array<double, 3> values{1.0, 5.3, 9.6};
  std::array<int, 3> perm{0, 1, 2};
  do {
    TPseudoSectionContour c(400, 400);
    c.AddNode(0, 20, 20, values[perm[0]]);
    c.AddNode(0, 380, 70, values[perm[1]]);
    c.AddNode(0, 120, 380, values[perm[2]]);
    SingleTriangle(c);
    SetLevels(c, {2, 4, 6, 8});
    TMetafile m;
    m.SetSize(400, 400);
    {
      TMetafileCanvas canvas(&m);
      c.PictureCanvas = &canvas;
      c.FillTriangleBands(1);
    }
    EXPECT_EQ(m.RecordCount(), 5u);  // one polygon per band
    auto bmp = Replay(&m, 400, 400);
    BandCheck r = CompareBands(c, *bmp, 2);
    EXPECT_GT(r.checked, 20000);
    EXPECT_GE(r.Share(), 0.999) << perm[0] << perm[1] << perm[2];
  } while (std::next_permutation(perm.begin(), perm.end()));
}

TEST(ContourPicture, WholeAndSplitTriangles)
{
  TPseudoSectionContour c(100, 100);
  c.AddNode(0, 0, 0, 0.5);
  c.AddNode(0, 100, 0, 0.7);
  c.AddNode(0, 0, 100, 0.6);
  SingleTriangle(c);
  SetLevels(c, {1, 2});
  auto draw = [&]() {
    auto m = std::make_unique<TMetafile>();
    m->SetSize(100, 100);
    TMetafileCanvas canvas(m.get());
    c.PictureCanvas = &canvas;
    c.FillTriangleBands(1);
    EXPECT_EQ(canvas.Pen()->GetStyle(), psSolid);  // pen back to solid afterwards
    canvas.Finish();
    return m;
  };
  auto whole = draw();
  EXPECT_EQ(whole->RecordCount(), 1u);
  auto bmp = Replay(whole.get(), 100, 100);
  EXPECT_EQ(PixelAt(*bmp, 10, 10), c.BandColors[0]);
  EXPECT_EQ(PixelAt(*bmp, 90, 90), clWhite);  // outside: nothing drawn, no outline

  c.NodeTable[2].value = 1.5;  // one level crosses
  auto split = draw();
  EXPECT_EQ(split->RecordCount(), 2u);
  bmp = Replay(split.get(), 100, 100);
  EXPECT_EQ(PixelAt(*bmp, 5, 5), c.BandColors[0]);
  EXPECT_EQ(PixelAt(*bmp, 90, 3), c.BandColors[1]);
}

namespace {

std::unique_ptr<TPseudoSectionContour> GridSection(int n, const std::function<double(int, int)>& value)
{
  auto c = std::make_unique<TPseudoSectionContour>(500, 500);
  std::vector<double> x, d;
  std::vector<std::vector<double>> v(n, std::vector<double>(n));
  for (int i = 0; i < n; ++i) x.push_back(i * 10.0), d.push_back(i * 10.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) v[i][j] = value(i, j);
  c->SetGridData(x, d, {}, v, true);
  return c;
}

// A node's label is its value as added, also after the levels moved the value off a level.
TEST(ContourPicture, NodeLabelKeepsTheValueAsAdded)
{
  auto value = [](int i, int j) { return static_cast<double>(i + j); };
  auto c = GridSection(5, value);
  c->LevelCount = 7;  // levels 1 to 7
  c->UpdateLevels();
  int moved = 0;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      const dVertex3d& n = c->NodeTable[static_cast<size_t>(i * 5 + j + 1)];
      moved += n.value != value(i, j);
      EXPECT_EQ(n.inputValue, value(i, j));
      EXPECT_EQ(n.Label(), FloatToStrDec(0, true, value(i, j)));
    }
  EXPECT_GT(moved, 0);
}

// The lines DrawIsolines draws on the picture.
std::vector<std::vector<TPoint>> IsolinesDrawn(TPseudoSectionContour& c)
{
  TMetafile m;
  CaptureCanvas canvas(&m);
  c.PictureCanvas = &canvas;
  c.DrawIsolines();
  c.PictureCanvas = nullptr;
  return canvas.lines;
}

}  // namespace

TEST(ContourPicture, OpenIsolineDrawnOnce)
{
  auto c = GridSection(5, [](int i, int) { return i; });
  SetLevels(*c, {1.5});
  const auto lines = IsolinesDrawn(*c);
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<TPoint>& line = lines[0];
  // From one border to the other along x = 15.
  EXPECT_EQ(std::min(line.front().y, line.back().y), 0);
  EXPECT_EQ(std::max(line.front().y, line.back().y), 500);
  for (const TPoint& p : line) EXPECT_NEAR(p.x, 188, 1);  // 15 of 40 units over 500 pixels
}

TEST(ContourPicture, ClosedIsolineAroundAPeak)
{
  auto c = GridSection(5, [](int i, int j) { return i == 2 && j == 2 ? 10.0 : 0.0; });
  SetLevels(*c, {5});
  const auto lines = IsolinesDrawn(*c);
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<TPoint>& line = lines[0];
  ASSERT_GT(line.size(), 10u);
  EXPECT_EQ(line.front(), line.back());  // a loop
  for (const TPoint& p : line) {
    const double r = std::hypot(p.x - 250.0, p.y - 250.0);
    EXPECT_GT(r, 20);
    EXPECT_LT(r, 95);  // crossings lie 62.5 pixels away, 88 along the diagonals
  }
  // Points on every side of the peak.
  int quadrants = 0;
  for (int q = 0; q < 4; ++q)
    if (std::any_of(line.begin(), line.end(), [q](const TPoint& p) {
          return ((p.x > 250) == (q & 1)) && ((p.y > 250) == ((q >> 1) & 1));
        }))
      ++quadrants;
  EXPECT_EQ(quadrants, 4);
}

TEST(ContourPicture, TooFewNodesLeaveNoLinesOfThePreviousSection)
{
  // A section with a closed line, then two nodes only: the old triangles stay, but their lines
  // belong to nodes that are gone.
  auto c = GridSection(5, [](int i, int j) { return i == 2 && j == 2 ? 10.0 : 0.0; });
  c->LevelCount = 3;
  c->UpdateLevels();
  c->RenderPicture();
  ASSERT_GT(c->SectionPicture()->RecordCount(), 0u);
  c->GridMode = false;
  c->NextNode = 1;
  c->AddNode(0, 0, 0, 1);
  c->AddNode(0, 40, 40, 2);
  c->BuildSection(true);
  c->UpdateLevels();
  c->RenderPicture();
  EXPECT_EQ(c->SectionPicture()->RecordCount(), 0u);
}

TEST(ContourPicture, BandsJoinAcrossTriangles)
{
  // A smooth field on a fine grid: the smoothed band curves stay on the interpolated bands.
  auto c = GridSection(21, [](int i, int j) { return std::sin(i * 0.3) * 3 + j * 0.4; });
  c->LevelCount = 10;
  c->UpdateLevels();
  c->RenderPicture();
  auto bmp = Replay(c->SectionPicture(), 500, 500);
  BandCheck r = CompareBands(*c, *bmp, 3);
  EXPECT_GT(r.checked, 100000);
  EXPECT_GE(r.Share(), 0.995);
  // No white gaps inside the mesh.
  int white = 0;
  for (int y = 2; y < 498; y += 3)
    for (int x = 2; x < 498; x += 3)
      if (PixelAt(*bmp, x, y) == clWhite) ++white;
  EXPECT_EQ(white, 0);
}

TEST(ContourPicture, ColourBarSkipsOverlappingLabels)
{
  auto c = GridSection(3, [](int i, int j) { return i * 50.0 + j * 0; });
  c->LevelCount = 15;
  c->SetGridData({0, 1, 2}, {0, 1, 2}, {}, {{0, 0, 0}, {50, 50, 50}, {100, 100, 100}}, true);
  c->RangeMin = 0;
  c->RangeMax = 100;
  c->UpdateLevels();
  TMetafile m;
  m.SetSize(200, 250);
  CaptureCanvas canvas(&m);
  c->DrawColorBar(10, 50, 15, 150, 0, 0, "Ohm.m", &canvas);
  EXPECT_EQ(c->LabelFont->GetSize(), 7);  // the title's larger font is a copy
  ASSERT_GE(canvas.texts.size(), 2u);
  const CaptureCanvas::Text title = canvas.texts.back();
  EXPECT_EQ(title.text, "Ohm.m");
  canvas.texts.pop_back();
  canvas.Font()->Assign(c->LabelFont.get());
  const int h = std::abs(canvas.TextHeight("123"));
  // Labels run from the top (highest level) down, never overlapping.
  for (size_t i = 1; i < canvas.texts.size(); ++i) EXPECT_GE(canvas.texts[i].y, canvas.texts[i - 1].y + h - 1);
  ASSERT_GT(h, 0);
  if (h > 9.375) {
    EXPECT_LT(canvas.texts.size(), 15u);  // steps of 9.375 pixels
  }
  EXPECT_EQ(canvas.texts.front().text, "94");
  EXPECT_EQ(canvas.texts.front().x, 10 + 15 + 6);

  // Equal neighbouring levels: that label gets 0 decimals, the others their own.
  c->LevelCount = 3;
  c->LevelValues = {0.25, 0.5, 0.5};
  c->BandColors.resize(4);
  c->IsolineColors.resize(3);
  CaptureCanvas again(&m);
  c->DrawColorBar(10, 50, 15, 300, 0, 0, "", &again);
  ASSERT_EQ(again.texts.size(), 4u);
  EXPECT_EQ(again.texts[0].text.find('.'), std::string::npos) << again.texts[0].text;
  EXPECT_EQ(again.texts[1].text, "0.5");
  EXPECT_EQ(again.texts[2].text.substr(0, 2), "0.");  // the lowest level measures its spacing upwards
  EXPECT_EQ(again.texts[2].text.size(), 3u);

  // Nothing without colours.
  c->BandColors.clear();
  CaptureCanvas none(&m);
  c->DrawColorBar(10, 50, 15, 150, 0, 0, "x", &none);
  EXPECT_TRUE(none.texts.empty());
}

TEST(ContourPicture, FieldSectionMatchesInterpolatedBands)
{
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(testsupport::FieldPath("line1.k2d"), res, pol));
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  c.SetGridInput(res, res);
  c.BuildSection(true);
  ASSERT_EQ(c.NextNode - 1, 118 * 25);
  c.UpdateLevels();
  c.RenderPicture();
  auto bmp = Replay(c.SectionPicture(), 512, 512);
  BandCheck r = CompareBands(c, *bmp, 2);
  EXPECT_GT(r.checked, 512 * 512 / 3);
  EXPECT_GE(r.Share(), 0.995);
  std::printf("field section: %d of %d pixels (%.2f%%) show the interpolated band\n", r.matched, r.checked,
              100.0 * r.Share());

  // Saved as an enhanced metafile and read back, it replays to the same picture.
  TMetafile loaded;
  loaded.LoadFromBytes(c.SectionPicture()->SaveToBytes());
  EXPECT_EQ(loaded.GetWidth(), c.PictureWidth);
  EXPECT_EQ(loaded.GetHeight(), c.PictureHeight);
  EXPECT_EQ(loaded.RecordCount(), c.SectionPicture()->RecordCount());
  auto again = Replay(&loaded, 512, 512);
  int differ = 0;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) differ += PixelAt(*bmp, x, y) != PixelAt(*again, x, y);
  EXPECT_EQ(differ, 0);
}

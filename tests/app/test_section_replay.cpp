// Replay of recorded pictures into bitmaps: the metafile's own polygon fill and one-pixel polylines
// give the pixels the painter gives, on the field sections and on random polygons and polylines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

// Restores the own fill and lines whatever a test does.
struct FillSwitch {
  ~FillSwitch()
  {
    TMetafile::SetOwnPolygonFill(true);
    TMetafile::SetOwnPolylines(true);
  }
};

std::unique_ptr<TBitmap> Replay(TMetafile* m, TPixelFormat format, int w, int h, const TRect& dest, bool own,
                                const TRect* clip = nullptr)
{
  TMetafile::SetOwnPolygonFill(own);
  TMetafile::SetOwnPolylines(own);
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(w, h);
  if (clip) b->Canvas()->SetClipRect(*clip);
  b->Canvas()->StretchDraw(dest, m);
  TMetafile::SetOwnPolygonFill(true);
  TMetafile::SetOwnPolylines(true);
  return b;
}

// Pixels that differ between two bitmaps of the same size and format.
int Differing(TBitmap& a, TBitmap& b)
{
  const int bytes = a.GetPixelFormat() == pf24bit ? 3 : 4;
  int n = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    const uint8_t *p = a.ScanLine(y), *q = b.ScanLine(y);
    for (int x = 0; x < a.GetWidth(); ++x) n += std::memcmp(p + bytes * x, q + bytes * x, 3) != 0;
  }
  return n;
}

// Both replays of m, in both pixel formats, onto dest (optionally clipped): pixels that differ.
int Compare(TMetafile* m, int w, int h, const TRect& dest, const TRect* clip = nullptr)
{
  int n = 0;
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    auto own = Replay(m, f, w, h, dest, true, clip);
    auto ref = Replay(m, f, w, h, dest, false, clip);
    n += Differing(*own, *ref);
  }
  return n;
}

// A picture of the given size holding what record draws on its canvas.
template <class Record>
std::unique_ptr<TMetafile> Recorded(int w, int h, Record record)
{
  auto m = std::make_unique<TMetafile>();
  m->SetSize(w, h);
  TMetafileCanvas mc(m.get());
  record(mc);
  return m;
}

// A bitmap of w x h replayed onto at dest, clipped to clip when there is one.
struct Target {
  int w, h;
  TRect dest;
  std::optional<TRect> clip = std::nullopt;
};

// Both replays give the same pixels on every target.
void ExpectSamePixels(TMetafile* m, std::initializer_list<Target> targets, int round)
{
  for (const Target& t : targets)
    EXPECT_EQ(Compare(m, t.w, t.h, t.dest, t.clip ? &*t.clip : nullptr), 0)
        << "round " << round << ", " << t.w << " x " << t.h << " at " << t.dest.Left << ", " << t.dest.Top;
}

class SectionReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(SectionReplay, OwnFillAndLinesGiveThePaintersPixels)
{
  FillSwitch guard;
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(testsupport::FieldPath(GetParam()), res, pol));
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  c.SetGridInput(res, res);
  c.LevelCount = 15;
  c.BuildSection(true);
  c.UpdateLevels();
  c.RenderPicture();
  TMetafile* m = c.SectionPicture();
  ASSERT_GT(m->RecordCount(), 100u);
  EXPECT_EQ(Compare(m, 512, 512, TRect{0, 0, 512, 512}), 0);
  // Other scales, an offset, a mirrored target and a clip.
  EXPECT_EQ(Compare(m, 301, 217, TRect{0, 0, 301, 217}), 0);
  EXPECT_EQ(Compare(m, 700, 500, TRect{-40, 13, 1111, 533}), 0);
  EXPECT_EQ(Compare(m, 256, 256, TRect{256, 0, 0, 256}), 0);
  const TRect clip{30, 40, 200, 333};
  EXPECT_EQ(Compare(m, 400, 400, TRect{0, 0, 400, 400}, &clip), 0);
}

INSTANTIATE_TEST_SUITE_P(FieldSections, SectionReplay, ::testing::Values("line1.k2d", "line2.m2d", "line3.cht"));

// Sections of scattered nodes with random values, contoured on a few level counts.
TEST(SectionReplay, RandomSectionsGiveThePaintersPixels)
{
  FillSwitch guard;
  std::mt19937 rng(23);
  for (int round = 0; round < 4; ++round) {
    TPseudoSectionContour c(5 * 1024, 5 * 768);
    std::uniform_real_distribution<double> ux(0, 1000), uy(0, 80), uv(1, 5000);
    for (int i = 0; i < 300; ++i) c.AddNode(0, ux(rng), uy(rng), uv(rng));
    c.LevelCount = 5 + 7 * round;
    c.BuildSection(true);
    c.UpdateLevels();
    c.RenderPicture();
    TMetafile* m = c.SectionPicture();
    ASSERT_GT(m->RecordCount(), 300u);
    EXPECT_EQ(Compare(m, 512, 512, TRect{0, 0, 512, 512}), 0) << "round " << round;
    EXPECT_EQ(Compare(m, 1024, 768, TRect{0, 0, 1024, 768}), 0) << "round " << round;
  }
}

TEST(SectionReplay, RandomPolygonsGiveThePaintersPixels)
{
  FillSwitch guard;
  std::mt19937 rng(11);
  for (int round = 0; round < 12; ++round) {
    auto m = Recorded(997, 743, [&](TMetafileCanvas& mc) {
      mc.Pen()->SetStyle(psClear);
      std::uniform_int_distribution<int> count(3, 14), many(17, 60), coord(-150, 1150), color(0, 0xFFFFFF);
      for (int k = 0; k < 60; ++k) {
        // Few edges (the contour bands) and many (stepped another way).
        std::vector<TPoint> pts(static_cast<size_t>(k % 4 == 3 ? many(rng) : count(rng)));
        // Small polygons, large ones reaching out of the picture, and ones with axis-parallel edges.
        const int kind = k % 3;
        const int cx = coord(rng), cy = coord(rng);
        for (size_t i = 0; i < pts.size(); ++i) {
          if (kind == 0) pts[i] = {cx + coord(rng) / 20, cy + coord(rng) / 20};
          else if (kind == 1) pts[i] = {coord(rng), coord(rng)};
          else pts[i] = i % 2 ? TPoint{pts[i - 1].x, coord(rng)} : TPoint{coord(rng), i ? pts[i - 1].y : coord(rng)};
        }
        mc.Brush()->SetColor(static_cast<TColor>(color(rng)));
        mc.Polygon(pts);
      }
    });
    ASSERT_EQ(m->RecordCount(), 60u);
    ExpectSamePixels(m.get(),
                     {{512, 512, {0, 0, 512, 512}},
                      {640, 480, {-17, 9, 777, 501}},
                      {997, 743, {0, 0, 997, 743}},
                      {512, 512, {0, 0, 512, 512}, TRect{100, 50, 411, 300}}},
                     round);
  }
}

// Polylines of every slope and length, short steps that turn back, closed rings, lines leaving
// the picture, and points repeated.
TEST(SectionReplay, RandomPolylinesGiveThePaintersPixels)
{
  FillSwitch guard;
  std::mt19937 rng(5);
  for (int round = 0; round < 12; ++round) {
    auto m = Recorded(997, 743, [&](TMetafileCanvas& mc) {
      std::uniform_int_distribution<int> count(2, 30), coord(-150, 1150), step(-40, 40), color(0, 0xFFFFFF);
      for (int k = 0; k < 80; ++k) {
        std::vector<TPoint> pts(static_cast<size_t>(count(rng)));
        const int kind = k % 4;
        pts[0] = {coord(rng), coord(rng)};
        for (size_t i = 1; i < pts.size(); ++i) {
          if (kind == 0) pts[i] = {coord(rng), coord(rng)};
          else if (kind == 1) pts[i] = {pts[i - 1].x + step(rng), pts[i - 1].y + step(rng)};
          else if (kind == 2) pts[i] = {pts[i - 1].x + step(rng) / 8, pts[i - 1].y + step(rng) / 8};
          else pts[i] = i % 2 ? TPoint{pts[i - 1].x + step(rng), pts[i - 1].y} : TPoint{pts[i - 1].x, pts[i - 1].y + step(rng)};
        }
        if (k % 5 == 0) pts.back() = pts.front();  // closed
        if (k % 7 == 0) pts.insert(pts.begin() + 1, pts[0]);
        mc.Pen()->SetColor(static_cast<TColor>(color(rng)));
        mc.Polyline(pts);
      }
    });
    ASSERT_EQ(m->RecordCount(), 80u);
    ExpectSamePixels(m.get(),
                     {{512, 512, {0, 0, 512, 512}},
                      {640, 480, {-17, 9, 777, 501}},
                      {997, 743, {0, 0, 997, 743}},
                      {333, 900, {333, 900, 0, 0}},
                      {512, 512, {0, 0, 512, 512}, TRect{100, 50, 411, 300}}},
                     round);
  }
}

// Convex and y-monotone polygons (walked along their two chains of edges), wound either way, with
// vertices shared and repeated, cut by the clip and by the bitmap's edges, and stretched up and down.
TEST(SectionReplay, MonotonePolygonsGiveThePaintersPixels)
{
  FillSwitch guard;
  std::mt19937 rng(23);
  for (int round = 0; round < 8; ++round) {
    auto m = Recorded(640, 480, [&](TMetafileCanvas& mc) {
      mc.Pen()->SetStyle(psClear);
      std::uniform_int_distribution<int> sides(3, 16), radius(1, 90), centre(-60, 700), color(0, 0xFFFFFF);
      std::uniform_real_distribution<double> turn(0.0, 6.283185307179586), squash(0.05, 1.0);
      for (int k = 0; k < 200; ++k) {
        const int n = sides(rng), r = radius(rng), cx = centre(rng), cy = centre(rng) * 480 / 640;
        const double start = turn(rng), flat = squash(rng);
        std::vector<TPoint> pts;
        for (int i = 0; i < n; ++i) {
          // Around an ellipse (convex), or with every other vertex pulled in (monotone in y only).
          const double a = start + 6.283185307179586 * i / n, pull = k % 3 == 2 && i % 2 ? 0.4 : 1.0;
          pts.push_back({cx + static_cast<int>(std::lround(r * pull * std::cos(a))), cy + static_cast<int>(std::lround(r * flat * pull * std::sin(a)))});
          if (k % 7 == 0 && i == 1) pts.push_back(pts.back());
        }
        if (k % 2) std::reverse(pts.begin(), pts.end());
        mc.Brush()->SetColor(static_cast<TColor>(color(rng)));
        mc.Polygon(pts);
      }
    });
    ExpectSamePixels(m.get(),
                     {{64, 48, {0, 0, 64, 48}},
                      {640, 480, {0, 0, 640, 480}},
                      {512, 512, {-40, 30, 1100, 700}},
                      {640, 480, {0, 0, 640, 480}, TRect{50, 40, 300, 200}}},
                     round);
  }
}

// A polygon reaching far outside any device is left to the painter; degenerate ones fill nothing.
TEST(SectionReplay, FarAndDegeneratePolygonsMatchToo)
{
  FillSwitch guard;
  TMetafile m;
  m.SetSize(100, 100);
  {
    TMetafileCanvas mc(&m);
    mc.Pen()->SetStyle(psClear);
    mc.Brush()->SetColor(clRed);
    mc.Polygon({{-2000000000, 0}, {2000000000, 50}, {0, 2000000000}});
    mc.Polygon({{10, 10}, {90, 10}});
    mc.Polygon({{10, 10}, {90, 10}, {50, 10}});
    mc.Polygon({{20, 20}, {20, 20}, {20, 20}, {20, 20}});
  }
  EXPECT_EQ(Compare(&m, 100, 100, TRect{0, 0, 100, 100}), 0);
  // An edge crossing a row within 1/64 pixel of height over 600 pixels of width is too steep for
  // the fixed point: its polygon, and those recorded around it, are filled all the same.
  auto steep = Recorded(1000, 6400, [](TMetafileCanvas& mc) {
    mc.Pen()->SetStyle(psClear);
    mc.Brush()->SetColor(clGreen);
    mc.Polygon({{100, 700}, {900, 700}, {900, 6000}});
    mc.Brush()->SetColor(clRed);
    mc.Polygon({{0, 671}, {600, 672}, {600, 1000}, {0, 1000}});
    mc.Brush()->SetColor(clBlue);
    mc.Polygon({{50, 2000}, {950, 3000}, {50, 4000}});
  });
  ExpectSamePixels(steep.get(), {{1000, 100, {0, 0, 1000, 100}}}, 0);
}

// Long runs of short steps: stretched down most fall within a pixel or reach the next one, turn
// back within a pixel, close rings, and run along and across the picture's edges.
TEST(SectionReplay, RunsOfShortStepsGiveThePaintersPixels)
{
  FillSwitch guard;
  std::mt19937 rng(31);
  for (int round = 0; round < 4; ++round) {
    auto m = Recorded(1000, 1000, [&](TMetafileCanvas& mc) {
      std::uniform_int_distribution<int> coord(0, 999), step(-4, 4), count(50, 400), color(0, 0xFFFFFF);
      for (int k = 0; k < 40; ++k) {
        std::vector<TPoint> pts(static_cast<size_t>(count(rng)));
        const int kind = k % 5;
        // Free walks; walks along an edge (wandering across it); rings; walks that keep turning back.
        pts[0] = kind == 1 ? TPoint{coord(rng), k % 2 ? 0 : 999} : kind == 2 ? TPoint{k % 2 ? 0 : 999, coord(rng)} : TPoint{coord(rng), coord(rng)};
        for (size_t i = 1; i < pts.size(); ++i) {
          const TPoint& p = pts[i - 1];
          if (kind == 1) pts[i] = {p.x + std::abs(step(rng)), pts[0].y + step(rng)};
          else if (kind == 2) pts[i] = {pts[0].x + step(rng), p.y + std::abs(step(rng))};
          else if (kind == 4) pts[i] = i % 2 ? TPoint{p.x + step(rng), p.y + step(rng)} : pts[i - 2];
          else pts[i] = {p.x + step(rng), p.y + step(rng)};
        }
        if (kind == 3) pts.back() = pts.front();
        mc.Pen()->SetColor(static_cast<TColor>(color(rng)));
        mc.Polyline(pts);
      }
    });
    ExpectSamePixels(m.get(),
                     {{100, 100, {0, 0, 100, 100}},
                      {256, 256, {0, 0, 256, 256}},
                      {333, 250, {333, 250, 0, 0}},
                      {500, 500, {-3, 2, 497, 502}},
                      {1000, 1000, {0, 0, 1000, 1000}},
                      {1500, 1500, {0, 0, 1500, 1500}},
                      {256, 256, {0, 0, 256, 256}, TRect{20, 35, 180, 230}}},
                     round);
  }
}

// Every turn of a line stepping to neighbouring pixels after a step of up to three pixels either
// way: each polyline in a cell of its own, replayed at its size, mirrored, and stretched.
TEST(SectionReplay, EveryShortTurnGivesThePaintersPixels)
{
  FillSwitch guard;
  auto m = Recorded(640, 640, [&](TMetafileCanvas& mc) {
    int cell = 0;
    for (int ax = -3; ax <= 3; ++ax)
      for (int ay = -3; ay <= 3; ++ay)
        for (int b = 0; b < 9; ++b)
          for (int c = 0; c < 9; ++c, ++cell) {
            const TPoint p0{10 * (cell % 64) + 4, 10 * (cell / 64) + 4};
            const TPoint p1{p0.x + ax, p0.y + ay}, p2{p1.x + b % 3 - 1, p1.y + b / 3 - 1}, p3{p2.x + c % 3 - 1, p2.y + c / 3 - 1};
            mc.Pen()->SetColor(static_cast<TColor>(0x10000 * (cell % 251) + 0x100 * (cell % 241) + 40));
            mc.Polyline({p0, p1, p2, p3});
          }
  });
  ASSERT_EQ(m->RecordCount(), 49u * 81u);
  ExpectSamePixels(m.get(), {{640, 640, {0, 0, 640, 640}}, {640, 640, {640, 640, 0, 0}}, {1280, 1280, {0, 0, 1280, 1280}}}, 0);
}

}  // namespace

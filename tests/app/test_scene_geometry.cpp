#include <gtest/gtest.h>

#include <cmath>

#include "FakeSceneHost.h"
#include "app/Project.h"
#include "app/SceneGeometry.h"
#include "platform/Graphics.h"

namespace {

// A section of X 0..100 (two cells) and Z 0..10, placed along plan x from (0, 0) to (100, 0).
fdata Section(const arofdouble& relief = {})
{
  fdata d;
  d.Present = 1;
  d.Shown = 1;
  d.X = {0, 50, 100};
  d.Z = {0, 4, 10};
  d.XFirst = d.st = 0;
  d.XLast = d.en = 100;
  d.X0 = 0;
  d.X1 = 100;
  if (relief.empty()) {
    d.ReliefAtX = {0, 0, 0};
  } else {
    d.ReliefAtX = relief;
    for (size_t i = 0; i < relief.size(); ++i)
      d.Relief.push_back(MakePair(d.X[i], relief[i]));
  }
  d.MaxRelief = MaxValueMode(d.ReliefAtX, 0);
  d.MinValue = 1;
  d.MaxValue = 5;
  PlaceSection(d);
  return d;
}

}  // namespace

TEST(Placement, StretchMapsOntoTheEnds)
{
  fdata d = Section();
  d.X0 = 10;
  d.Y0 = 20;
  d.X1 = 110;
  d.Y1 = 120;
  PlaceSection(d);
  EXPECT_DOUBLE_EQ(d.PlanX0, 10);
  EXPECT_DOUBLE_EQ(d.PlanY0, 20);
  EXPECT_DOUBLE_EQ(d.PlanX1, 110);
  EXPECT_DOUBLE_EQ(d.PlanY1, 120);
  // st half-way along the model: the first X lies before the start end by half the model length.
  d.X0 = 0;
  d.Y0 = 0;
  d.X1 = 50;
  d.Y1 = 0;
  d.st = 50;
  d.en = 100;
  PlaceSection(d);
  EXPECT_DOUBLE_EQ(d.Span(), 50);
  EXPECT_DOUBLE_EQ(d.PlanX0, -50);
  EXPECT_DOUBLE_EQ(d.PlanX1, 50);
  EXPECT_DOUBLE_EQ(SectionPlanPoint(d, 50).x, 0);
  // A zero span places the model on the ends instead of dividing by zero.
  d.en = d.st;
  PlaceSection(d);
  EXPECT_TRUE(std::isfinite(d.PlanX0) && std::isfinite(d.PlanX1));
  EXPECT_DOUBLE_EQ(d.PlanX0, 0);
  EXPECT_DOUBLE_EQ(d.PlanX1, 50);
}

TEST(DepthBelowRelief, StretchFactor)
{
  fdata d = Section({-10, -30, -20});
  // K = 0: relief + z.
  EXPECT_DOUBLE_EQ(SectionDepthToScene(d, -30, 4), -26);
  // K = 1: the bottom of every column is at MaxRelief + zLast.
  d.K = 1;
  for (double r : d.ReliefAtX)
    EXPECT_NEAR(SectionDepthToScene(d, r, 10), -10 + 10, 1e-12);
  // Limited to at most Rmax + z where K would push a point below it.
  d.K = 3;
  EXPECT_DOUBLE_EQ(SectionDepthToScene(d, -30, 4), -10 + 4);
}

TEST(Outline, WithoutReliefFourCornersSpanningTheTexture)
{
  fdata d = Section();
  BuildSectionOutline(d);
  ASSERT_EQ(d.Outline.size(), 4u);
  EXPECT_EQ(d.Outline[0], MakePoint3D(0, 0, 0));
  EXPECT_EQ(d.Outline[1], MakePoint3D(100, 0, 0));
  EXPECT_EQ(d.Outline[2], MakePoint3D(0, 0, 10));
  EXPECT_EQ(d.Outline[3], MakePoint3D(100, 0, 10));
  EXPECT_EQ(d.TexCoords, (arofcomplex{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  ASSERT_EQ(d.Frame.size(), 4u);
  EXPECT_EQ(d.Frame[2], MakePoint3D(100, 0, 10));
  // A half that is not present keeps what it had.
  fdata e;
  e.Outline = {MakePoint3D(1, 2, 3)};
  BuildSectionOutline(e);
  EXPECT_EQ(e.Outline.size(), 1u);
}

TEST(Outline, WithReliefTopThenBottomEdge)
{
  fdata d = Section({-10, -30, -20});
  BuildSectionOutline(d);
  ASSERT_EQ(d.Outline.size(), 6u);
  EXPECT_EQ(d.Outline[1], MakePoint3D(50, 0, -30));
  EXPECT_EQ(d.Outline[4], MakePoint3D(50, 0, -20));
  // v runs from the highest relief (-30) over zLast + rmax - rmin = 30.
  EXPECT_DOUBLE_EQ(d.TexCoords[1].y, 0.0);
  EXPECT_DOUBLE_EQ(d.TexCoords[0].y, 20.0 / 30.0);
  EXPECT_DOUBLE_EQ(d.TexCoords[3].y, 30.0 / 30.0);
  EXPECT_DOUBLE_EQ(d.TexCoords[2].x, 1.0);
  EXPECT_EQ(d.Frame[0], MakePoint3D(0, 0, -30));
  EXPECT_EQ(d.Frame[1], MakePoint3D(100, 0, -30));
  EXPECT_EQ(d.Frame[2], MakePoint3D(100, 0, 0));
}

TEST(SceneBounds, PresentSectionsAndDisplayMode)
{
  TProjectState s;
  FakeSceneHost host;
  UpdateSceneBounds(s, &host);  // the empty start entry is not present
  EXPECT_EQ(s.XMin, 1e19);
  EXPECT_EQ(s.DepthMax, -1e19);
  EXPECT_EQ(host.ranges, (std::vector<double>{1e19, -1e19, 1e19, -1e19, 1e19, -1e19}));

  s.Profiles[0][0] = Section({-10, -30, -20});
  TProfileEntry second;
  second[0] = Section();
  second[0].Y0 = second[0].Y1 = 40;
  second[0].MinValue = -3;
  second[0].MaxValue = 99;
  PlaceSection(second[0]);
  second[1] = second[0];
  second[1].MinValue = 0.5;
  second[1].MaxValue = 2;
  s.Profiles.push_back(second);
  UpdateSceneBounds(s, &host);
  EXPECT_EQ(host.ranges, (std::vector<double>{0, 100, 0, 40, -30, 10}));
  EXPECT_DOUBLE_EQ(s.ValueMin, -3);
  EXPECT_DOUBLE_EQ(s.ValueMax, 99);
  // Polarizability mode: only the second entry has that half; geometry still from both.
  s.DisplayMode = 1;
  UpdateSceneBounds(s, nullptr);
  EXPECT_DOUBLE_EQ(s.ValueMin, 0.5);
  EXPECT_DOUBLE_EQ(s.ValueMax, 2);
  EXPECT_DOUBLE_EQ(s.DepthMin, -30);
}

TEST(SceneTextures, ReleaseDropsEveryTexture)
{
  TProjectState s;
  FakeSceneHost host;
  s.Profiles[0][0].Texture = std::make_shared<TBitmap>();
  s.Profiles[0][1].Texture = s.Profiles[0][0].Texture;
  s.PlaneTexture = s.Profiles[0][0].Texture;
  EXPECT_FALSE(AnySectionPresent(s));
  ReleaseSceneTextures(s, &host);
  EXPECT_FALSE(s.Profiles[0][0].Texture || s.Profiles[0][1].Texture || s.PlaneTexture);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"clearcache"}));
  s.Profiles[0][0].Present = 1;
  EXPECT_TRUE(AnySectionPresent(s));
}

TEST(Vectors, OrientationAndNormal)
{
  EXPECT_TRUE(PolygonOrientation(arofcomplex{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
  EXPECT_FALSE(PolygonOrientation(arofcomplex{{0, 1}, {1, 1}, {1, 0}, {0, 0}}));
  // The last three points are on one line: the search goes back to an earlier triple.
  EXPECT_TRUE(PolygonOrientation(arofcomplex{{0, 0}, {2, 0}, {2, 2}, {2, 3}, {2, 4}}));
  // Edge-on or too short: false, and no read before the first point.
  EXPECT_FALSE(PolygonOrientation(arofcomplex{{0, 0}, {1, 1}, {2, 2}}));
  EXPECT_FALSE(PolygonOrientation(arofcomplex{{0, 0}, {1, 1}}));
  EXPECT_FALSE(PolygonOrientation(arofcomplex{}));
  EXPECT_TRUE(PolygonOrientation(std::vector<TPoint>{{0, 0}, {10, 0}, {10, 10}}));

  const TScenePoint n = TriangleNormal(MakePoint3D(1, 0, 0), MakePoint3D(0, 0, 0), MakePoint3D(0, 2, 0));
  EXPECT_EQ(n, MakePoint3D(0, 0, 1));
  const TScenePoint m = TriangleNormal(MakePoint3D(3, 0, 0), MakePoint3D(0, 0, 0), MakePoint3D(0, 0, 4));
  EXPECT_NEAR(std::hypot(m.x, m.y, m.z), 1.0, 1e-12);
  EXPECT_EQ(TriangleNormal(MakePoint3D(1, 1, 1), MakePoint3D(2, 2, 2), MakePoint3D(3, 3, 3)), TScenePoint{});
}

// The scene in the real main window: Chart3 drawn through the OpenGL component, headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

#include "GLTextureMakes.h"
#include "TestSupport.h"
#include "app/SceneChart.h"
#include "app/SceneDrawing.h"
#include "app/SceneGeometry.h"
#include "app/Unit1.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvOpenGL.h"
#include "chart/canvas/NuvGLEditor.h"
#include "chart/editor/ChartEditor.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/series/ChartTools.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"
#include "platform/TestInput.h"
#include "platform/TextFile.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

bool Near(TColor a, TColor b, int tolerance = 12)
{
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class MainScene : public ::testing::Test {
protected:
  void SetUp() override
  {
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    for (const char* name : {"demo.prj", "demo-east.k2d", "demo-north.cht", "demo-diagonal.m2d"})
      fs::copy_file(testsupport::ExamplePath(name), dir.file(name), fs::copy_options::overwrite_existing);
    form = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
    form->SetWindowState(wsNormal);
    form->SetBounds(0, 0, 1000, 640);
    testinput::ShowWindow(form.get());
    // Projections of scene points are taken while the frame's matrices are current.
    const TNotifyEvent draw = form->Chart3->OnAfterDraw;
    form->Chart3->OnAfterDraw = [this, draw](TObject* sender) {
      draw(sender);
      if (during) during();
    };
  }
  void TearDown() override
  {
    TForm::ModalAnswer = nullptr;
    TOpenDialog::TestAnswer = nullptr;
  }

  TForm1& Open(const std::string& path)
  {
    form->OpenProject(path);
    EXPECT_TRUE(form->SectionPresent());
    return *form;
  }

  // One frame of Chart3; during runs inside it, after the scene.
  void Frame(const std::function<void()>& inside = {})
  {
    during = inside;
    form->Chart3->PaintBuffer();
    during = nullptr;
    ASSERT_NE(form->NuvOpenGL1->GetGLCanvas(), nullptr);
    ASSERT_TRUE(form->NuvOpenGL1->GetGLCanvas()->Active()) << "no OpenGL context";
    frame.Assign(form->Chart3->BackBuffer());
  }

  TPoint Project(const TScenePoint& p)
  {
    TChartSceneAxes axes(form->Chart3);
    std::vector<TPoint3DFloat> in{{axes.XPos(p.x), -axes.YPos(p.z), -axes.ZPos(p.y)}}, out;
    form->NuvOpenGL1->GetGLCanvas()->ProjectPoints(in, out);
    return {static_cast<int32_t>(std::lround(out[0].x)), static_cast<int32_t>(std::lround(out[0].y))};
  }

  TColor At(const TBitmap& b, TPoint p) { return const_cast<TBitmap&>(b).Canvas()->GetPixel(p.x, p.y) & 0xFFFFFF; }
  TColor At(TPoint p) { return At(frame, p); }

  // A point inside section i: half-way along, half-way down from the relief.
  TScenePoint Inside(size_t i, TComplex* uv = nullptr)
  {
    const fdata& d = form->State.Profiles[i][0];
    const size_t j = d.X.size() / 2;
    const TComplex p = SectionPlanPoint(d, d.X[j]);
    const double top = d.ReliefAtX[j], bottom = SectionDepthToScene(d, top, d.Z.back());
    const double depth = (top + bottom) / 2;
    if (uv) {
      const double rmin = MinValueMode(d.ReliefAtX, 0), rmax = MaxValueMode(d.ReliefAtX, 0);
      *uv = MakePair((d.X[j] - d.X.front()) / (d.X.back() - d.X.front()), (depth - rmin) / (d.Z.back() + rmax - rmin));
    }
    return MakePoint3D(p.x, p.y, depth);
  }

  // Whether colour c is a colour of the section's texture near (u, v) under white light: the
  // same chromaticity, at any brightness.
  static bool InTexture(TBitmap* texture, TComplex uv, TColor c)
  {
    auto chroma = [](TColor k, double& r, double& g) {
      const double sum = GetRValue(k) + GetGValue(k) + GetBValue(k) + 1e-9;
      r = GetRValue(k) / sum;
      g = GetGValue(k) / sum;
    };
    double cr, cg;
    chroma(c, cr, cg);
    const int tx = static_cast<int>(uv.x * 511), ty = static_cast<int>(uv.y * 511);
    // A small panel shows many texels per pixel.
    for (int dy = -24; dy <= 24; ++dy)
      for (int dx = -24; dx <= 24; ++dx) {
        double tr, tg;
        chroma(texture->Canvas()->GetPixel(std::clamp(tx + dx, 0, 511), std::clamp(ty + dy, 0, 511)) & 0xFFFFFF, tr, tg);
        if (std::abs(tr - cr) < 0.06 && std::abs(tg - cg) < 0.06) return true;
      }
    return false;
  }

  void ShowOnly(size_t index)
  {
    for (size_t i = 0; i < form->State.Profiles.size(); ++i)
      form->GridCheckBoxClick(6, static_cast<int32_t>(i + 1), i == index);
  }

  TempDir dir;
  std::unique_ptr<TForm1> form;
  std::function<void()> during;
  TBitmap frame;
};

}  // namespace

TEST_F(MainScene, FieldAndDemoProjectsShowEachPanelWhereItsOutlineProjects)
{
  for (const std::string& path : {testsupport::FieldPath("field.prj"), dir.file("demo.prj")}) {
    TForm1& f = Open(path);
    for (size_t i = 0; i < f.State.Profiles.size(); ++i) {
      ShowOnly(i);
      // A view that shows the panel from the side enough for its middle to lie clear of its
      // outline: two points 40 % of its length apart lie apart on the screen (the scene box is
      // shallow in plan y, so a north-south line stays narrow).
      const fdata& d = f.State.Profiles[i][0];
      const TComplex a = SectionPlanPoint(d, d.X.front() + 0.3 * (d.X.back() - d.X.front()));
      const TComplex b = SectionPlanPoint(d, d.X.front() + 0.7 * (d.X.back() - d.X.front()));
      TPoint at, pa, pb;
      TComplex uv;
      bool broadside = false;
      for (int rotation : {330, 300, 30, 60, 0}) {
        f.SetView3D(60, rotation, 340);
        Frame([&] {
          const TScenePoint inside = Inside(i, &uv);
          at = Project(inside);
          pa = Project(MakePoint3D(a.x, a.y, inside.z));
          pb = Project(MakePoint3D(b.x, b.y, inside.z));
        });
        if (std::hypot(pa.x - pb.x, pa.y - pb.y) > 12) {
          broadside = true;
          break;
        }
      }
      ASSERT_TRUE(broadside) << path << " section " << i;
      ASSERT_TRUE(f.State.Profiles[i][0].Texture) << path << " " << i;
      const TColor shown = At(at);
      EXPECT_TRUE(InTexture(f.State.Profiles[i][0].Texture.get(), uv, shown))
          << path << " section " << i << " at " << at.x << "," << at.y;
      // Without the section the place shows the chart behind it.
      f.GridCheckBoxClick(6, static_cast<int32_t>(i + 1), false);
      Frame();
      EXPECT_NE(At(at), shown) << path << " section " << i;
    }
  }
}

TEST_F(MainScene, TheSelectedRowsOutlineIsRed)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  f.SetView3D(60, 330, 340);
  bool can = true;
  f.GridSelectCell(1, 0, can);
  Frame();
  TBitmap plain;
  plain.Assign(&frame);
  f.GridSelectCell(1, 2, can);  // the second section
  Frame();
  int red = 0, other = 0;
  for (int y = 0; y < frame.GetHeight(); ++y)
    for (int x = 0; x < frame.GetWidth(); ++x) {
      const TColor now = At({x, y}), before = At(plain, {x, y});
      if (now == before) continue;
      (Near(now, clRed, 60) ? red : other)++;
    }
  EXPECT_GT(red, 30);
  EXPECT_LT(other, red / 5 + 5);
}

// Two sections share a vertical edge: whichever of them is selected, and whichever stands nearer,
// its outline along that edge shows red (panels drawn nearest first must not draw over it).
TEST_F(MainScene, TheSelectedOutlineStaysRedWhereAnotherPanelMeetsIt)
{
  const std::string line = " 0.00000000000000E+0000  2.00000000000000E+0002";
  testsupport::WriteAll(dir.file("corner.prj"),
                         " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 0 1 1 1 * *\r\n"
                         " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 0 0 1 1 * *\r\n0\r\n42 360 360\r\n1\r\n"
                         "demo-east.k2d\r\n 0.00000000000000E+0000  1.00000000000000E+0002  2.00000000000000E+0002  "
                         "1.00000000000000E+0002" + line + "\r\n"
                         "demo-east.k2d\r\n 2.00000000000000E+0002  3.00000000000000E+0002  2.00000000000000E+0002  "
                         "1.00000000000000E+0002" + line + "\r\n");
  TForm1& f = Open(dir.file("corner.prj"));
  ASSERT_EQ(f.State.Profiles.size(), 2u);
  const fdata& a = f.State.Profiles[0][0];
  const double top = a.ReliefAtX.back(), bottom = SectionDepthToScene(a, top, a.Z.back());
  for (int rotation : {330, 30, 300, 60}) {
    for (int32_t row : {1, 2}) {
      f.SetView3D(42, rotation, 340);
      bool can = true;
      f.GridSelectCell(1, row, can);
      TPoint p0, p1;
      Frame([&] {
        p0 = Project(MakePoint3D(200, 100, top));
        p1 = Project(MakePoint3D(200, 100, bottom));
      });
      // Along the inner part of the shared edge, a red pixel next to each point (lit by the
      // panel's light: any brightness of pure red).
      auto red = [](TColor c) { return GetRValue(c) > 100 && GetGValue(c) < 40 && GetBValue(c) < 40; };
      int samples = 0, reds = 0;
      for (double t = 0.2; t <= 0.8; t += 0.05) {
        const int x = static_cast<int>(std::lround(p0.x + t * (p1.x - p0.x)));
        const int y = static_cast<int>(std::lround(p0.y + t * (p1.y - p0.y)));
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx) found = red(At({x + dx, y + dy}));
        ++samples;
        reds += found;
      }
      EXPECT_GE(reds, samples - 1) << "rotation " << rotation << " selected row " << row;
    }
  }
}

TEST_F(MainScene, UntickedRowsAndEtaLessSectionsAreNotDrawn)
{
  TForm1& f = Open(dir.file("demo.prj"));
  f.SetView3D(60, 330, 340);
  TPoint at[3];
  Frame([&] {
    for (size_t i = 0; i < 3; ++i) at[i] = Project(Inside(i));
  });
  TBitmap all;
  all.Assign(&frame);
  for (int32_t row = 1; row <= 3; ++row) f.GridCheckBoxClick(6, row, false);
  Frame();
  // Nothing but the chart: the inside points differ from the frame with every section.
  for (size_t i = 0; i < 3; ++i) EXPECT_NE(At(at[i]), At(all, at[i])) << i;
  TBitmap none;
  none.Assign(&frame);

  // Polarizability: only the first demo section has eta values.
  for (int32_t row = 1; row <= 3; ++row) f.GridCheckBoxClick(6, row, true);
  f.PolarizabilityModeClick();
  ASSERT_EQ(f.State.DisplayMode, 1);
  Frame();
  EXPECT_NE(At(at[0]), At(none, at[0]));
  for (size_t i : {1u, 2u}) {
    ASSERT_FALSE(f.State.Profiles[i][1].Present);
    // Where only section i stands, the chart shows through.
    ShowOnly(i);
    Frame();
    EXPECT_EQ(At(at[i]), At(none, at[i])) << i;
  }
}

TEST_F(MainScene, EqualScaleWithRatioTwoGivesTheLeftAxisTwiceTheUnitsPerPixel)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  f.EqualScaleClick();
  ASSERT_EQ(f.State.EqualScale, 1);
  f.Edit2->SetFocus();
  testinput::ProcessEvents();
  f.Edit2->SetText("2:1");
  ASSERT_EQ(f.State.ScaleRatio, 2.0);
  Frame();
  Frame();  // the ranges settle on the first paint and stay
  auto upp = [](TChartAxis* a) { return (a->GetMaximum() - a->GetMinimum()) / a->PosSize; };
  TChart* c = f.Chart3;
  ASSERT_GT(c->GetLeftAxis()->PosSize, 0);
  const double bottom = upp(c->GetBottomAxis()), depth = upp(c->GetDepthAxis()), left = upp(c->GetLeftAxis());
  EXPECT_NEAR(depth / bottom, 1.0, 0.02);
  EXPECT_NEAR(left / bottom, 2.0, 0.04);
  // Centred on the scene.
  EXPECT_NEAR((c->GetLeftAxis()->GetMinimum() + c->GetLeftAxis()->GetMaximum()) / 2,
              (f.State.DepthMin + f.State.DepthMax) / 2, 1e-6 * std::abs(f.State.DepthMax));
}

// The first frame after equal scale is switched on labels its axes with the ranges it draws the
// sections with (not the ranges of the frame before).
TEST_F(MainScene, EqualScaleLabelsTheAxesWithTheRangesOfTheSameFrame)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  Frame();
  TChartAxis* bottom = f.Chart3->GetBottomAxis();
  double labelledMin = 0, labelledMax = 0;
  bottom->OnDrawLabel = [&](TChartAxis* a, int32_t&, int32_t&, int32_t&, std::string&, bool&) {
    labelledMin = a->ScaleMinimum;
    labelledMax = a->ScaleMaximum;
  };
  f.EqualScaleClick();
  Frame();
  bottom->OnDrawLabel = nullptr;
  const double span = bottom->GetMaximum() - bottom->GetMinimum();
  ASSERT_GT(span, f.State.XMax - f.State.XMin) << "equal scale did not widen the plan axis";
  EXPECT_NEAR(labelledMin, bottom->GetMinimum(), 1e-6 * span);
  EXPECT_NEAR(labelledMax, bottom->GetMaximum(), 1e-6 * span);
}

TEST_F(MainScene, OneSectionAndSectionsOnOneLineRenderWithoutNaN)
{
  TForm1& f = Open(dir.file("demo.prj"));
  // Drop to the first (east-west) section only: all sections on one plan line, no y range.
  f.DropRowClick();
  f.DropRowClick();
  ASSERT_EQ(f.State.Profiles.size(), 1u);
  ASSERT_EQ(f.State.YMin, f.State.YMax);
  f.EqualScaleClick();
  f.SetView3D(60, 330, 340);
  TPoint at;
  Frame([&] { at = Project(Inside(0)); });
  for (TChartAxis* a : {f.Chart3->GetBottomAxis(), f.Chart3->GetLeftAxis(),
                        static_cast<TChartAxis*>(f.Chart3->GetDepthAxis())}) {
    EXPECT_TRUE(std::isfinite(a->GetMinimum()));
    EXPECT_TRUE(std::isfinite(a->GetMaximum()));
    EXPECT_LT(a->GetMinimum(), a->GetMaximum());
  }
  ASSERT_TRUE(f.State.Profiles[0][0].Texture);
  EXPECT_NE(At(at), clWhite);
}

TEST_F(MainScene, TheSliceAppearsAtItsDepthInTextureModeAndNotInCellMode)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  f.SetView3D(60, 330, 300);
  f.PlaneClick();
  ASSERT_EQ(f.State.PlaneShown, 1);
  f.State.PlaneDepth = 507;  // a level every field section reaches
  f.BuildPlaneSlice();
  ASSERT_EQ(f.State.PlaneReady, 1);
  for (const TScenePoint& p : f.State.PlanePolygon) EXPECT_EQ(p.z, -507.0);
  for (int32_t row = 1; row <= 3; ++row) f.GridCheckBoxClick(6, row, false);
  TScenePoint centre;
  const size_t n = f.State.PlanePolygon.size() - 1;
  for (size_t k = 0; k < n; ++k) {
    centre.x += f.State.PlanePolygon[k].x / n;
    centre.y += f.State.PlanePolygon[k].y / n;
  }
  centre.z = -507;
  // The chart alone, then with the sheet.
  f.State.PlaneShown = 0;
  TPoint at;
  Frame([&] { at = Project(centre); });
  const TColor behind = At(at);
  f.State.PlaneShown = 1;
  Frame();
  ASSERT_TRUE(f.State.PlaneTexture);
  const TColor sheet = At(at);
  EXPECT_NE(sheet, behind);
  // The sheet shows its own picture.
  double sr = GetRValue(sheet), sg = GetGValue(sheet), sb = GetBValue(sheet);
  const double sum = sr + sg + sb + 1e-9;
  bool found = false;
  TBitmap* t = f.State.PlaneTexture.get();
  for (int y = 0; y < 512 && !found; y += 2)
    for (int x = 0; x < 512 && !found; x += 2) {
      const TColor k = t->Canvas()->GetPixel(x, y) & 0xFFFFFF;
      const double ks = GetRValue(k) + GetGValue(k) + GetBValue(k) + 1e-9;
      found = std::abs(GetRValue(k) / ks - sr / sum) < 0.05 && std::abs(GetGValue(k) / ks - sg / sum) < 0.05;
    }
  EXPECT_TRUE(found);
  // Cell mode: no sheet.
  f.CellModeClick();
  ASSERT_EQ(f.State.CellMode, 1);
  Frame();
  EXPECT_EQ(At(at), behind);
}

namespace {

// A reference cut of the sections at model depth level: per entry, the plan position and value of
// every column that crosses the level.
struct RefCut {
  double x, y, value;
};
std::vector<std::vector<RefCut>> ReferenceCuts(const TProjectState& state, double level)
{
  std::vector<std::vector<RefCut>> cuts(state.Profiles.size());
  for (size_t i = 0; i < state.Profiles.size(); ++i) {
    const fdata& d = state.Profiles[i][0];
    if (!d.Present) continue;
    for (size_t j = 0; j < d.X.size(); ++j)
      for (size_t k = 0; k + 1 < d.Z.size(); ++k) {
        const double top = d.Z[k] + d.ReliefAtX[j], bottom = d.Z[k + 1] + d.ReliefAtX[j];
        if (top <= level && level < bottom) {
          const TComplex p = SectionPlanPoint(d, d.X[j]);
          const double t = (level - top) / (bottom - top);
          cuts[i].push_back({p.x, p.y, d.Values[j][k] + t * (d.Values[j][k + 1] - d.Values[j][k])});
        }
      }
  }
  return cuts;
}

}  // namespace

TEST_F(MainScene, TheSliceOfFiftySectionsSpansThemAllAndShowsTheirColoursAtTheCuts)
{
  TMessageCapture messages;
  TForm1& f = Open(testsupport::FieldPath("../sections50/sections50.prj"));
  ASSERT_EQ(f.State.Profiles.size(), 50u);
  f.PlaneClick();
  f.State.PlaneDepth = 450;
  messages.Clear();
  f.BuildPlaneSlice();
  ASSERT_EQ(f.State.PlaneReady, 1);
  const auto cuts = ReferenceCuts(f.State, -450);
  size_t total = 0;
  for (const auto& c : cuts) total += c.size();
  ASSERT_GT(total, 4000u);
  // The node limit is kept, and said.
  const TPseudoSectionContour& c = f.PseudoSection2d1->Contour();
  EXPECT_EQ(c.NextNode - 1, TPseudoSectionContour::MaxNodes);
  EXPECT_EQ(std::count(messages.Messages().begin(), messages.Messages().end(),
                       "The number of nodes is exceed maximal value"),
            1);
  // Every section cut gives nodes, its two ends among them.
  std::set<std::pair<double, double>> nodes;
  for (int32_t i = 1; i < c.NextNode; ++i) nodes.insert({c.NodeTable[i].inputX, c.NodeTable[i].inputY});
  for (size_t i = 0; i < cuts.size(); ++i) {
    if (cuts[i].empty()) continue;
    EXPECT_TRUE(nodes.count({cuts[i].front().x, cuts[i].front().y})) << "section " << i + 1;
    EXPECT_TRUE(nodes.count({cuts[i].back().x, cuts[i].back().y})) << "section " << i + 1;
  }
  // The sheet's colour at a sample of the cut points is the colour band of the section's own value
  // there (isolines and band edges allowed for: the band's colour within two texels).
  auto texture = MakeSceneTexture(f.State.PlanePicture.get());
  double bx0 = 1e19, bx1 = -1e19, by0 = 1e19, by1 = -1e19;
  for (const TScenePoint& p : f.State.PlanePolygon) {
    bx0 = std::min(bx0, p.x);
    bx1 = std::max(bx1, p.x);
    by0 = std::min(by0, p.y);
    by1 = std::max(by1, p.y);
  }
  auto band = [&](double v) {
    return c.BandColors[static_cast<size_t>(std::count_if(c.LevelValues.begin(), c.LevelValues.end(),
                                                           [v](double level) { return level < v; }))];
  };
  size_t sampled = 0, agree = 0;
  std::vector<size_t> agreeIn(cuts.size()), sampledIn(cuts.size());
  for (size_t i = 0; i < cuts.size(); ++i)
    for (size_t k = 0; k < cuts[i].size(); k += 5) {
      const RefCut& p = cuts[i][k];
      const int tx = static_cast<int>((p.x - bx0) / (bx1 - bx0) * 512), ty = static_cast<int>((p.y - by0) / (by1 - by0) * 512);
      const TColor want = band(p.value) & 0xFFFFFF;
      bool found = false;
      for (int dy = -2; dy <= 2 && !found; ++dy)
        for (int dx = -2; dx <= 2 && !found; ++dx) {
          const int x = tx + dx, y = ty + dy;
          found = x >= 0 && y >= 0 && x < 512 && y < 512 && (texture->Canvas()->GetPixel(x, y) & 0xFFFFFF) == want;
        }
      ++sampled;
      ++sampledIn[i];
      agree += found;
      agreeIn[i] += found;
    }
  EXPECT_GE(agree, sampled * 95 / 100) << agree << " of " << sampled;
  for (size_t i = 0; i < cuts.size(); ++i)
    if (sampledIn[i] >= 10) {
      EXPECT_GE(agreeIn[i], sampledIn[i] * 8 / 10) << "section " << i + 1;
    }
}

TEST_F(MainScene, TheSliceIsColouredWithFiftyAndWithAHundredSectionsShown)
{
  // The hundred: the fifty twice, the second lot 2.5 km further east.
  const std::vector<std::string> fifty = testsupport::ReadLines(testsupport::FieldPath("../sections50/sections50.prj"));
  ASSERT_EQ(fifty.size(), 5u + 2 * 50);
  std::vector<std::string> hundred(fifty.begin(), fifty.begin() + 4);
  hundred.push_back("99");
  for (double east : {0.0, 2500.0})
    for (size_t i = 0; i < 50; ++i) {
      hundred.push_back(testsupport::FieldPath("../sections50/" + ExtractFileName(fifty[5 + 2 * i])));
      std::istringstream in(fifty[6 + 2 * i]);
      double x0, y0, x1, y1, st, en;
      in >> x0 >> y0 >> x1 >> y1 >> st >> en;
      hundred.push_back(FloatToStrSci(x0 + east) + " " + FloatToStrSci(y0) + " " + FloatToStrSci(x1 + east) + " " +
                        FloatToStrSci(y1) + " " + FloatToStrSci(st) + " " + FloatToStrSci(en));
    }
  ASSERT_TRUE(WriteTextLines(dir.file("hundred.prj"), hundred));

  TMessageCapture messages;
  for (const std::string& project : {testsupport::FieldPath("../sections50/sections50.prj"), dir.file("hundred.prj")}) {
    TForm1& f = Open(project);
    f.SetView3D(60, 0, 275);  // from above
    f.State.PlaneDepth = 450;
    f.PlaneClick();
    ASSERT_EQ(f.State.PlaneReady, 1) << project;
    // Points inside the sheet: the centres of its triangles.
    const TPseudoSectionContour& c = f.PseudoSection2d1->Contour();
    std::vector<TScenePoint> inside;
    for (int32_t t = 1; t <= c.TriangleCount; ++t) {
      const dTriangle& tri = c.TriangleTable[t];
      double x = 0, y = 0;
      for (int32_t v : tri.vertices) {
        x += c.NodeTable[v].inputX / 3;
        y += c.NodeTable[v].inputY / 3;
      }
      inside.push_back(MakePoint3D(x, y, -450));
    }
    std::vector<TPoint> at;
    f.State.PlaneShown = 0;
    Frame([&] {
      for (const TScenePoint& p : inside) at.push_back(Project(p));
    });
    TBitmap without;
    without.Assign(&frame);
    f.State.PlaneShown = 1;
    Frame();
    EXPECT_GE(TextureCacheCount(), 50) << project;
    // Where the sheet shows, it shows its colours (a white sheet lit grey has none; edges and
    // dark bands aside).
    int sheet = 0, coloured = 0;
    for (TPoint p : at) {
      if (p.x < 0 || p.y < 0 || p.x >= frame.GetWidth() || p.y >= frame.GetHeight()) continue;
      const TColor k = At(p);
      if (k == At(without, p)) continue;
      ++sheet;
      const int hi = std::max({GetRValue(k), GetGValue(k), GetBValue(k)});
      const int lo = std::min({GetRValue(k), GetGValue(k), GetBValue(k)});
      coloured += hi - lo > 30;
    }
    EXPECT_GT(sheet, 200) << project;
    EXPECT_GE(coloured, sheet / 2) << project << ": " << coloured << " of " << sheet;
  }
}

// Fifty panels and the slice are one texture more than the cache holds: while the view turns
// (panels nearest first, the selected one and the slice last), a frame makes one or two of them
// again, not all.
TEST_F(MainScene, TurningFiftySectionsAndTheSliceRemakesAtMostTwoTexturesAFrame)
{
  TMessageCapture messages;
  TForm1& f = Open(testsupport::FieldPath("../sections50/sections50.prj"));
  bool can = true;
  f.GridSelectCell(1, 7, can);
  f.State.PlaneDepth = 450;
  f.PlaneClick();
  ASSERT_EQ(f.State.PlaneReady, 1);
  Frame();
  ASSERT_GE(f.State.Profiles.size(), static_cast<size_t>(MaxTextureRecords));
  testsupport::TextureMakes makes;
  for (int frame = 1; frame <= 12; ++frame) {
    for (int step = 0; step < 5; ++step) f.Timer2Timer();  // 20 degrees a frame
    Frame();
    EXPECT_LE(makes.Take(), 2) << "frame " << frame;
  }
  EXPECT_EQ(TextureCacheCount(f.NuvOpenGL1->GetGLCanvas()->GetRC()), MaxTextureRecords);
}

TEST_F(MainScene, TheChartHoldsTheSurfaceSeriesAndTheRotateTool)
{
  TForm1& f = *form;
  ASSERT_EQ(f.Chart3->SeriesCount(), 1);
  EXPECT_EQ(f.Chart3->GetSeries(0), f.Series4);
  EXPECT_FALSE(f.Series4->GetPen()->GetVisible());
  EXPECT_FALSE(f.Series4->GetMarks()->GetVisible());
  ASSERT_EQ(f.Chart3->Tools()->Count(), 1);
  EXPECT_EQ(f.Chart3->Tools()->GetTool(0), f.ChartTool5);
  EXPECT_EQ(f.ChartTool5->GetPen()->GetColor(), clWhite);
  EXPECT_EQ(f.ChartTool5->GetPen()->GetMode(), pmXor);
  EXPECT_TRUE(f.NuvOpenGL1->GetActive());
  EXPECT_EQ(f.NuvOpenGL1->GetNuvPanel(), f.Chart3);
  EXPECT_EQ(f.Chart3->GetLeftAxis()->LabelFactor, -1.0);
  EXPECT_TRUE(f.Chart3->GetLeftAxis()->GetInverted());
}

TEST_F(MainScene, TurningTheViewChangesTheFrameAndTheSavedPictureIsNotBlank)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  f.SetView3D(60, 330, 340);
  Frame();
  auto changedSince = [this](const TBitmap& before) {
    int changed = 0;
    for (int y = 0; y < frame.GetHeight(); y += 2)
      for (int x = 0; x < frame.GetWidth(); x += 2) changed += At({x, y}) != At(before, {x, y});
    return changed;
  };
  TBitmap before;
  before.Assign(&frame);
  // A drag with the rotate tool turns the view.
  int zoom, rotation, elevation;
  f.GetView3D(zoom, rotation, elevation);
  testinput::MouseDown(f.Chart3, mbLeft, 200, 200);
  testinput::MouseMove(f.Chart3, 260, 220, ssLeft);
  testinput::MouseUp(f.Chart3, mbLeft, 260, 220);
  int zoom2, rotation2, elevation2;
  f.GetView3D(zoom2, rotation2, elevation2);
  EXPECT_NE(rotation2, rotation);
  Frame();
  EXPECT_GT(changedSince(before), 500);
  // So does the rotation timer.
  before.Assign(&frame);
  f.Timer2Timer();
  Frame();
  EXPECT_GT(changedSince(before), 500);

  TOpenDialog::TestAnswer = [this](TOpenDialog* d) {
    d->FileName = dir.file("scene");
    d->FilterIndex = 2;
    return true;
  };
  f.SaveDataClick();
  ASSERT_TRUE(fs::exists(dir.file("scene.bmp")));
  TBitmap saved;
  saved.LoadFromFile(dir.file("scene.bmp"));
  ASSERT_GT(saved.GetWidth(), 100);
  std::set<TColor> colours;
  for (int y = 0; y < saved.GetHeight(); y += 3)
    for (int x = 0; x < saved.GetWidth(); x += 3) colours.insert(saved.Canvas()->GetPixel(x, y) & 0xFFFFFF);
  EXPECT_GT(colours.size(), 10u);
}

TEST_F(MainScene, AClickIsNotADragAndAMoveWithoutTheButtonEndsOne)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  f.SetView3D(60, 330, 340);
  Frame();
  auto view = [&f] {
    TView3DOptions* o = f.Chart3->GetView3DOptions();
    return std::pair{o->GetRotationFloat(), o->GetElevationFloat()};
  };
  const auto start = view();
  // Press and release with no move, then moves with no button held: the view stays.
  testinput::Click(f.Chart3, 200, 200);
  testinput::MouseMove(f.Chart3, 260, 220);
  testinput::MouseMove(f.Chart3, 330, 260);
  EXPECT_EQ(view(), start);
  Frame();
  testinput::MouseMove(f.Chart3, 150, 120);
  EXPECT_EQ(view(), start);

  // A drag turns the view; its release lost (outside the window), the next move without the
  // button ends it where it was.
  testinput::MouseDown(f.Chart3, mbLeft, 200, 200);
  testinput::MouseMove(f.Chart3, 260, 220, ssLeft);
  const auto dragged = view();
  EXPECT_NE(dragged, start);
  testinput::MouseMove(f.Chart3, 330, 260);
  testinput::MouseMove(f.Chart3, 380, 300);
  EXPECT_EQ(view(), dragged);
  EXPECT_FALSE(f.ChartTool5->Dragging());

  // A whole drag still works afterwards and ends with its release.
  testinput::MouseDown(f.Chart3, mbLeft, 200, 200);
  testinput::MouseMove(f.Chart3, 240, 200, ssLeft);
  testinput::MouseUp(f.Chart3, mbLeft, 240, 200);
  const auto released = view();
  EXPECT_NE(released, dragged);
  EXPECT_FALSE(f.ChartTool5->Dragging());
  testinput::MouseMove(f.Chart3, 300, 260);
  EXPECT_EQ(view(), released);
}

// The box, its axes and labels, and the colour bar keep inside Chart3's pane at every window size,
// before and after a resize, in the stored view and turned; the bar stays clear of the scene.
TEST_F(MainScene, TheSceneAndItsColourBarFitThePaneAtEveryWindowSize)
{
  TForm1& f = Open(testsupport::FieldPath("field.prj"));
  TGLCanvas* gl = f.NuvOpenGL1->GetGLCanvas();
  ASSERT_NE(gl, nullptr);
  struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    void Add(int x, int y)
    {
      left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
    bool Empty() const { return right < 0; }
  };
  const std::pair<int, int> sizes[] = {{1022, 570}, {1200, 700}, {1500, 950}, {1600, 1000}, {1300, 830},
                                       {1022, 570}, {1600, 1000}, {1100, 800}};
  // (rotation, elevation): the stored view and turned ones.
  const std::pair<int, int> views[] = {{360, 360}, {330, 340}, {30, 340}, {45, 320}, {300, 20}};
  for (auto [w, h] : sizes) {
    f.SetBounds(0, 0, w, h);
    testinput::ProcessEvents();
    for (auto [rotation, elevation] : views) {
      f.SetView3D(42, rotation, elevation);
      Frame();
      const int W = frame.GetWidth(), H = frame.GetHeight();
      ASSERT_EQ(W, f.Chart3->GetWidth());
      ASSERT_EQ(H, f.Chart3->GetHeight());
      TBitmap withBar;
      withBar.Assign(&frame);
      const auto frameEnd = gl->OnFrameEnd;
      gl->OnFrameEnd = [](TObject*) {};  // the scene alone
      Frame();
      gl->OnFrameEnd = frameEnd;
      Box scene, bar;
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
          const TColor c = At({x, y});
          if (c != clWhite) scene.Add(x, y);
          if (At(withBar, {x, y}) != c) bar.Add(x, y);
        }
      const std::string where = std::to_string(w) + "x" + std::to_string(h) + " view " + std::to_string(rotation) +
                                "/" + std::to_string(elevation) + " pane " + std::to_string(W) + "x" +
                                std::to_string(H);
      ASSERT_FALSE(scene.Empty()) << where;
      ASSERT_FALSE(bar.Empty()) << where;
      // Nothing of the scene on the pane's outer two rows and columns: the box is not cut off.
      EXPECT_GE(scene.left, 2) << where;
      EXPECT_GE(scene.top, 2) << where;
      EXPECT_LT(scene.right, W - 2) << where;
      EXPECT_LT(scene.bottom, H - 2) << where;
      EXPECT_GE(bar.left, 0) << where;
      EXPECT_LT(bar.bottom, H) << where;
      // The colour bar stands on the pane's background, not on the box or its labels.
      int onBar = 0;
      for (int y = bar.top; y <= bar.bottom; ++y)
        for (int x = bar.left; x <= bar.right; ++x) onBar += At({x, y}) != clWhite;
      EXPECT_EQ(onBar, 0) << where;
    }
  }
}

TEST_F(MainScene, TheChartEditorHasAnOpenGLPageThatEditsTheComponent)
{
  TForm1& f = *form;
  TFormNuvGLEditor* page = nullptr;
  TForm::ModalAnswer = [&](TForm* shown) {
    auto* editor = dynamic_cast<TChartEditForm*>(shown);
    EXPECT_NE(editor, nullptr);
    if (!editor) return mrCancel;
    TTabSheet* sheet = editor->MainPage()->FindPage("OpenGL");
    EXPECT_NE(sheet, nullptr);
    if (!sheet) return mrCancel;
    editor->MainPage()->SetActivePage(sheet);
    EXPECT_EQ(sheet->ControlCount(), 1);
    page = sheet->ControlCount() ? dynamic_cast<TFormNuvGLEditor*>(sheet->Controls(0)) : nullptr;
    EXPECT_NE(page, nullptr);
    if (!page) return mrCancel;
    EXPECT_EQ(page->GetGL(), f.NuvOpenGL1);
    EXPECT_FALSE(page->PanelOK->GetVisible());
    EXPECT_TRUE(page->CBActive->GetChecked());
    EXPECT_EQ(page->TBAmbient->GetPosition(), 35);
    EXPECT_EQ(page->TBShine->GetPosition(), 69);
    EXPECT_TRUE(page->CBFixed->GetChecked());
    page->TBAmbient->SetPosition(50);
    // Selecting the page again does not fill it twice.
    editor->MainPage()->SetActivePageIndex(0);
    editor->MainPage()->SetActivePage(sheet);
    EXPECT_EQ(sheet->ControlCount(), 1);
    return mrOk;
  };
  TChartEditForm editor(nullptr, f.Chart3);
  editor.ShowModal();
  EXPECT_NE(page, nullptr);
  EXPECT_EQ(f.NuvOpenGL1->GetAmbientLight(), 50);

  // A chart without an OpenGL component gets no such page.
  TChart plain(nullptr);
  TForm::ModalAnswer = [&](TForm* shown) {
    auto* editor = dynamic_cast<TChartEditForm*>(shown);
    EXPECT_TRUE(editor && !editor->MainPage()->FindPage("OpenGL"));
    return mrOk;
  };
  TChartEditForm other(nullptr, &plain);
  other.ShowModal();
}

// Damaged and hostile input to every text reader, the contour unit and the markup renderer: a fixed
// set of seeded mutations, plus the inputs that once crashed or misbehaved.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "TestSupport.h"
#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/PseudoSection2dContour.h"
#include "app/SceneGeometry.h"
#include "app/Supermath2d.h"
#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NvCanvas.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"

using testsupport::BytesReadByProcess;
using testsupport::ExamplePath;
using testsupport::FieldPath;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

const char* const kHostile[] = {"1e308", "-1e308", "-0", "nan", "inf", "2147483648", "-1", "0", "4294967296",
                                "1e-320", "1e309", "99999999999999999999", "1,5", "123456789", "", "x", "1e", "."};

std::vector<std::string> Lines(const std::string& s)
{
  std::vector<std::string> out;
  std::stringstream ss(s);
  for (std::string l; std::getline(ss, l);) out.push_back(l);
  return out;
}

// Byte flips, cuts, deleted, doubled and cut-off lines, numbers replaced by hostile ones, junk.
std::string MutateText(std::string s, std::mt19937& rng)
{
  auto r = [&](size_t n) { return n ? rng() % n : 0; };
  for (int k = 1 + static_cast<int>(r(4)); k > 0; --k) {
    std::vector<std::string> lines = Lines(s);
    const size_t op = r(9);
    if (op == 0) {
      if (!s.empty()) s[r(s.size())] ^= static_cast<char>(1 << r(8));
      continue;
    }
    if (op == 1) {
      s.resize(r(s.size() + 1));
      continue;
    }
    if (op == 2) {
      std::string junk;
      for (size_t n = r(48); n > 0; --n) junk += static_cast<char>(r(256));
      s.insert(r(s.size() + 1), junk);
      continue;
    }
    if (lines.empty()) continue;
    const size_t i = r(lines.size());
    if (op == 3) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    else if (op == 4) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), lines[i]);
    else if (op == 5) lines.resize(i);
    else if (op == 6) lines[i] += " " + lines[i];
    else {
      std::string& l = lines[i];
      std::vector<size_t> starts;
      for (size_t j = 0; j < l.size(); ++j)
        if (l[j] != ' ' && (j == 0 || l[j - 1] == ' ')) starts.push_back(j);
      const std::string h = kHostile[r(std::size(kHostile))];
      if (starts.empty()) {
        l = h;
      } else {
        const size_t a = starts[r(starts.size())];
        const size_t b = std::min(l.find(' ', a), l.size());
        l.replace(a, b - a, h);
      }
    }
    s.clear();
    for (const std::string& l : lines) s += l + "\n";
  }
  return s;
}

bool Finite(const arofdouble& v)
{
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

// What the viewer does with a model it has read: scene placement, outline and the point export.
void UseModel(const fdata& res, const fdata& pol, const std::string& exportFile)
{
  EXPECT_TRUE(Finite(res.X) && Finite(res.Z) && Finite(res.ReliefAtX) && std::isfinite(res.Span()));
  for (const arofdouble& row : res.Values) EXPECT_TRUE(Finite(row));
  TProjectState st;
  st.Profiles[0] = TProfileEntry{res, pol};
  st.Loaded[0] = 1;
  UpdateSceneBounds(st, nullptr);
  BuildSectionOutlines(st);
  for (const TScenePoint& p : st.Profiles[0][0].Outline)
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
  EXPECT_TRUE(ExportPointTable(st, exportFile));
}

}  // namespace

TEST(HostileFiles, ModelFilesReadOrRefuse)
{
  testsupport::TempDir dir;
  std::vector<std::pair<std::string, std::string>> seeds;
  for (const char* name : {"demo-diagonal.m2d", "demo-east.k2d", "demo-north.cht"})
    seeds.push_back({std::filesystem::path(name).extension().string(), ReadAll(ExamplePath(name))});
  seeds.push_back({".cht", ReadAll(FieldPath("line3.cht"))});
  std::mt19937 rng(71);
  TMessageCapture capture;
  for (int i = 0; i < 500; ++i) {
    const auto& seed = seeds[rng() % seeds.size()];
    const std::string file = dir.file(std::string("m") + (rng() % 8 == 0 ? ".out" : seed.first));
    WriteAll(file, rng() % 40 == 0 ? std::string() : MutateText(seed.second, rng));
    fdata res, pol;
    bool ok = false;
    EXPECT_NO_THROW(ok = ReadModelFile(file, res, pol)) << ReadAll(file);
    if (ok) UseModel(res, pol, dir.file("export.dat"));
  }
}

TEST(HostileFiles, NumbersThatOverflowRefuseTheModel)
{
  testsupport::TempDir dir;
  const std::string good = ReadAll(ExamplePath("demo-diagonal.m2d"));
  auto read = [&](const std::string& from, const std::string& to, const std::string& ext = ".m2d") {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    WriteAll(dir.file("m" + ext), text);
    fdata res, pol;
    return ReadModelFile(dir.file("m" + ext), res, pol);
  };
  EXPECT_TRUE(read("245 108.66", "245 108.66"));
  // A relief height at the end of the range made the scene depths infinite.
  EXPECT_FALSE(read("245 108.66", "245 1e308"));
  // Boundaries whose span overflows.
  EXPECT_FALSE(read("0 35 70 105 140 175 210 245 280", "-1.7e308 35 70 105 140 175 210 245 1.7e308"));
  EXPECT_FALSE(read("0 5 11 18 26 35 45", "-1.7e308 5 11 18 26 35 1.7e308"));
  // Cells whose arithmetic node mean overflows (".out" models are not logarithmic).
  EXPECT_FALSE(read("356.28 170.3", "1e308 1e308", ".out"));
}

TEST(HostileFiles, ProjectsLoadWithoutNonFiniteScenes)
{
  testsupport::TempDir dir;
  for (const char* name : {"demo-diagonal.m2d", "demo-east.k2d", "demo-north.cht"})
    std::filesystem::copy_file(ExamplePath(name), dir.file(name));
  const std::string seed = ReadAll(ExamplePath("demo.prj"));
  std::mt19937 rng(5);
  TMessageCapture capture;
  for (int i = 0; i < 400; ++i) {
    const std::string file = dir.file("p.prj");
    WriteAll(file, rng() % 40 == 0 ? std::string() : MutateText(seed, rng));
    TProjectState st;
    bool loaded = false;
    EXPECT_NO_THROW(loaded = LoadProject(st, nullptr, file));
    // A file refused as no project says so and leaves the state as it was.
    if (!loaded) {
      ASSERT_EQ(capture.Messages().size(), 1u);
      EXPECT_NE(capture.Messages()[0].find("not a project file: "), std::string::npos) << capture.Messages()[0];
      EXPECT_EQ(st.Profiles.size(), 1u);
    }
    for (const TProfileEntry& e : st.Profiles)
      for (const TScenePoint& p : e[0].Outline)
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << ReadAll(file);
    capture.Clear();
  }
}

// A model or project file larger than the largest model file may be (320 MB) is refused before any
// of it is read, with that bound; one of just that size is read. The files are sparse: no disk.
TEST(HostileFiles, FilesLargerThanAnyModelAreRefusedBeforeReading)
{
  testsupport::TempDir dir;
  const uint64_t bound = uint64_t{320} << 20;
  const std::string tooLarge = "it is larger than a model or project file may be (at most 320 MB)";
  // Text first, so that a reader would go on past its first block.
  const std::string model = dir.file("big.k2d");
  WriteAll(model, "x\r\nmodel\r\n");
  std::filesystem::resize_file(model, bound + 1);
  fdata res, pol;
  std::string error;
  uint64_t before = BytesReadByProcess();
  EXPECT_FALSE(ReadModelFile(model, res, pol, &error));
  EXPECT_LT(BytesReadByProcess() - before, 4096u);
  EXPECT_EQ(error, tooLarge);
  std::filesystem::resize_file(model, bound);
  EXPECT_FALSE(ReadModelFile(model, res, pol, &error));
  EXPECT_EQ(error, "it holds binary data (a zero byte in line 3)");
  std::filesystem::resize_file(model, bound + 1);

  TMessageCapture capture;
  const std::string project = dir.file("p.prj");
  WriteAll(project, "res\r\npol\r\n0\r\n42 360 360\r\n0\r\n" + model + "\r\n0 0 100 0\r\n");
  TProjectState st;
  before = BytesReadByProcess();
  EXPECT_TRUE(LoadProject(st, nullptr, project));
  EXPECT_LT(BytesReadByProcess() - before, 4096u);
  ASSERT_EQ(capture.Messages().size(), 1u);
  EXPECT_NE(capture.Messages()[0].find("big.k2d could not be read: " + tooLarge), std::string::npos)
      << capture.Messages()[0];

  capture.Clear();
  std::filesystem::resize_file(project, bound + 1);
  before = BytesReadByProcess();
  EXPECT_FALSE(LoadProject(st, nullptr, project));
  EXPECT_LT(BytesReadByProcess() - before, 4096u);
  EXPECT_EQ(capture.Messages(), (std::vector<std::string>{"p.prj: not a project file: " + tooLarge}));
}

TEST(HostileFiles, PointTablesConvertOrRefuse)
{
  testsupport::TempDir dir;
  std::vector<std::string> seeds{ReadAll(ExamplePath("demo-points.dat"))};
  {
    TProjectState st;
    TMessageCapture capture;
    ASSERT_TRUE(LoadProject(st, nullptr, ExamplePath("demo.prj")));
    ASSERT_TRUE(ExportPointTable(st, dir.file("export.dat")));
    seeds.push_back(ReadAll(dir.file("export.dat")));
  }
  std::mt19937 rng(9);
  TMessageCapture capture;
  for (int i = 0; i < 400; ++i) {
    const std::string file = dir.file("t.dat");
    WriteAll(file, MutateText(seeds[rng() % seeds.size()], rng));
    bool ok = false;
    EXPECT_NO_THROW(ok = ConvertPointTable(file));
    if (!ok) continue;
    // What was written reads back as a model.
    fdata res, pol;
    EXPECT_NO_THROW(ReadModelFile(dir.file("t.out"), res, pol));
  }
}

TEST(HostileFiles, ContourOnHostileValues)
{
  const double hostile[] = {NAN, INFINITY, -INFINITY, 1e308, -1e308, 0, -0.0, 5e-324, 123456789.0, 2147483648.0};
  std::mt19937 rng(3);
  auto r = [&](size_t n) { return rng() % n; };
  auto pick = [&](double base) { return r(6) == 0 ? hostile[r(std::size(hostile))] : base; };
  for (int i = 0; i < 300; ++i) {
    TPseudoSectionContour c(200, 150);
    c.LogData = r(2);
    c.LevelCount = r(8) == 0 ? static_cast<int>(r(400)) - 5 : 1 + static_cast<int>(r(20));
    if (r(5) == 0) {
      c.UserLimits = true;
      c.UserMin = pick(0);
      c.UserMax = pick(10);
    }
    const bool allEqual = r(4) == 0;
    const double equal = pick(3);
    if (r(2)) {
      const size_t nx = r(7), nz = r(7);
      std::vector<double> x(nx), d(nz), relief(r(2) ? nx : r(3));
      for (size_t k = 0; k < nx; ++k) x[k] = pick(k * 10.0);
      if (nx > 1 && r(5) == 0) x[1] = x[0];
      for (size_t k = 0; k < nz; ++k) d[k] = pick(k * 2.0);
      for (double& v : relief) v = pick(static_cast<double>(r(5)));
      std::vector<std::vector<double>> v(r(6) == 0 ? r(nx + 2) : nx, std::vector<double>(nz));
      for (auto& row : v) {
        if (r(10) == 0) row.resize(r(nz + 1));
        for (double& q : row) q = allEqual ? equal : pick(1.0 + r(1000));
      }
      c.ReliefFactor = r(3) == 0 ? pick(1) : 0;
      c.SetGridData(x, d, relief, v, true);
    } else {
      for (size_t n = r(30); n > 0; --n) {
        double x = pick(static_cast<double>(r(100))), y = pick(static_cast<double>(r(50)));
        if (c.NextNode > 1 && r(6) == 0) {
          x = c.NodeTable[c.NextNode - 1].x;  // a duplicate node
          y = c.NodeTable[c.NextNode - 1].y;
        }
        c.AddNode(r(6) == 0, x, y, allEqual ? equal : pick(static_cast<double>(r(1000))));
      }
      c.BuildSection(true);
    }
    c.UpdateLevels();
    c.RenderPicture();
    TComplex coord;
    c.ValueToStripCoord(pick(5), coord);
    ASSERT_NE(c.ColorStrip(), nullptr);
    TBitmap bar;
    bar.SetSize(60, 120);
    c.DrawColorBar(0, 0, 20, 100, 0, 0, "t", bar.Canvas());
  }
}

TEST(HostileFiles, RandomMarkupDrawsOrRaises)
{
  const char* const tokens[] = {"<B>", "</B>", "<I>", "</I>", "<U>", "</U>", "<S>", "</S>", "<FONT size=20>",
                                "<FONT size=-5>", "<FONT size=99999999999>", "<FONT name=Arial color=clRed>",
                                "<FONT color=#FF00FF>", "<FONT color=#>", "<FONT weight=2147483648>", "</FONT>",
                                "<H1>", "</H1>", "<H6>", "<H9999>", "<SUB>", "</SUB>", "<SUP>", "</SUP>", "<BR>",
                                "<HR>", "<IMG src=a.png>", "<IMG>", "<", "<<", ">", "</", "text", " ", "&amp;", "&#65;",
                                "&#99999999;", "\n", "<FONT size=0>", "<FONT>", "<FONT size=nan>", "<FONT name=\"x y\">",
                                "<IMG src=a.png WIDTH=2147483647 HEIGHT=2147483647>", "<IMG src=a.png WIDTH=-2147483648>",
                                "<FONT name=a=b>", "<FONT name=\"a=b\">", "<BIG>", "</>", "<PRE>", "&lt;&lt;&lt;"};
  TBitmap bmp;
  bmp.SetSize(160, 60);
  TNuvCanvas3D canvas;
  canvas.AttachCanvas(bmp.Canvas());
  canvas.Font()->SetName("Arial");
  canvas.Font()->SetSize(12);
  std::mt19937 rng(11);
  for (int i = 0; i < 1500; ++i) {
    std::string text;
    for (size_t n = rng() % 24; n > 0; --n)
      text += rng() % 10 == 0 ? std::string(1, static_cast<char>(rng() % 256)) : tokens[rng() % std::size(tokens)];
    try {
      HtmlTextOut(&canvas, static_cast<int>(rng() % 100) - 20, static_cast<int>(rng() % 40) - 10, text);
      (void)HtmlTextExtent(&canvas, text);
    } catch (const Exception&) {
      // A markup error; the installed renderer then draws the text plainly.
    }
    EXPECT_EQ(canvas.Font()->GetSize(), 12) << text;
    TagStack.clear();
    FontStack.clear();
  }
}

TEST(HostileFiles, NumberParsersTakeAnyText)
{
  const char* const parts[] = {"1", "0", "9", ".", "e", "E", "+", "-", ",", "nan", "inf", " ", "\t", "x", "308",
                               "999", "0x", "1e308", "-0", "2147483648"};
  std::mt19937 rng(13);
  for (int i = 0; i < 4000; ++i) {
    std::string t;
    for (size_t n = rng() % 12; n > 0; --n)
      t += rng() % 8 == 0 ? std::string(1, static_cast<char>(rng() % 256)) : parts[rng() % std::size(parts)];
    if (i % 500 == 0) t = std::string(3000, '9');
    double v = 0;
    int32_t iv = 0;
    if (TryStrToFloat(t, v)) {
      EXPECT_TRUE(std::isfinite(v)) << t;
    }
    TryStrToInt(t, iv);
    try {
      EXPECT_TRUE(std::isfinite(StrToFloat(t))) << t;
    } catch (const EConvertError&) {
    }
    EXPECT_TRUE(std::isfinite(StrToFloatRange(t, rng() % 2, 0, 0)));
    EXPECT_TRUE(Finite(SplitFloats(t + " " + t, 0)));
    (void)FloatToStrDec(static_cast<int>(rng() % 20) - 2, rng() % 2, StrToFloatRange(t, true, 0, 0));
  }
}

// The recorded section picture, record for record: hashes of the saved bytes of the field sections
// and of random sections under several settings, taken from a known good recording, and the pixel
// rounding of plot coordinates at its edge values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

uint64_t Fnv1a(const std::string& bytes)
{
  uint64_t h = 14695981039346656037ull;
  for (unsigned char ch : bytes) {
    h ^= ch;
    h *= 1099511628211ull;
  }
  return h;
}

struct Recorded {
  uint64_t hash = 0;
  size_t records = 0;
};

Recorded Record(TPseudoSectionContour& c)
{
  c.BuildSection(true);
  c.UpdateLevels();
  c.RenderPicture();
  return {Fnv1a(c.SectionPicture()->SaveToBytes()), c.SectionPicture()->RecordCount()};
}

std::string Hex(uint64_t h)
{
  char s[24];
  std::snprintf(s, sizeof s, "0x%016llxull", static_cast<unsigned long long>(h));
  return s;
}

void ExpectRecorded(const Recorded& got, uint64_t hash, size_t records, const std::string& what)
{
  EXPECT_EQ(got.records, records) << what;
  EXPECT_EQ(got.hash, hash) << what << ": " << Hex(got.hash);
}

struct FieldCase {
  const char* file;
  int levels;
  bool isolines;
  uint64_t hash;
  size_t records;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.file << ", " << c.levels << " levels"; }

class FieldRecords : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldRecords, SameRecordsAsBefore)
{
  const FieldCase& fc = GetParam();
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(testsupport::FieldPath(fc.file), res, pol));
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  c.SetGridInput(res, res);
  c.LevelCount = fc.levels;
  c.ShowIsolines = fc.isolines;
  c.ShowColorBar = true;
  const Recorded got = Record(c);
  ASSERT_GT(got.records, 100u);
  ExpectRecorded(got, fc.hash, fc.records, fc.file);
  // Recorded again into the storage of the first picture: the same.
  c.RenderPicture();
  EXPECT_EQ(Fnv1a(c.SectionPicture()->SaveToBytes()), got.hash);
}

INSTANTIATE_TEST_SUITE_P(Sections, FieldRecords,
                         ::testing::Values(FieldCase{"line1.k2d", 15, true, 0xc69d39d8e9b01658ull, 11025},
                                           FieldCase{"line2.m2d", 15, true, 0x40f944391917fbd5ull, 5500},
                                           FieldCase{"line3.cht", 15, true, 0x365d33481c569e37ull, 2333},
                                           FieldCase{"line1.k2d", 7, true, 0xb2e6bc3b658d5dfeull, 8141},
                                           FieldCase{"line1.k2d", 31, false, 0xae48116617423c02ull, 16042}),
                         [](const ::testing::TestParamInfo<FieldCase>& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.')) + "_" + std::to_string(info.param.levels) +
                                  (info.param.isolines ? "" : "_noIsolines");
                           return name;
                         });

// Scattered nodes from the generator's raw output, values on a coarse grid so that flat triangles
// and values on or near levels occur.
void AddRandomNodes(TPseudoSectionContour& c, uint32_t seed, int count)
{
  std::mt19937 rng(seed);
  for (int i = 0; i < count; ++i) {
    const double x = static_cast<double>(rng() % 100000) / 100.0;
    const double y = static_cast<double>(rng() % 8000) / 100.0;
    const double v = 1.0 + static_cast<double>(rng() % 500) * 2.5;
    c.AddNode(0, x, y, v);
  }
}

struct RandomCase {
  uint32_t seed;
  int nodes;
  int levels;
  bool log;
  bool isolines;
  bool userLimits;
  uint64_t hash;
  size_t records;
};

void PrintTo(const RandomCase& c, std::ostream* os) { *os << "seed " << c.seed; }

class RandomRecords : public ::testing::TestWithParam<RandomCase> {};

TEST_P(RandomRecords, SameRecordsAsBefore)
{
  const RandomCase& rc = GetParam();
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  AddRandomNodes(c, rc.seed, rc.nodes);
  c.LevelCount = rc.levels;
  c.LogData = rc.log;
  c.ShowIsolines = rc.isolines;
  c.ShowColorBar = true;
  if (rc.userLimits) {
    // Levels over part of the values: triangles wholly below and above them too.
    c.UserLimits = true;
    c.UserMin = 200.0;
    c.UserMax = 700.0;
  }
  const Recorded got = Record(c);
  ASSERT_GT(got.records, 10u);
  ExpectRecorded(got, rc.hash, rc.records, "seed " + std::to_string(rc.seed));
}

INSTANTIATE_TEST_SUITE_P(Sections, RandomRecords,
                         ::testing::Values(RandomCase{1, 1500, 15, true, true, false, 0x0955280565058abcull, 13469},
                                           RandomCase{2, 1500, 15, false, true, false, 0xdb30c12c3c8976f6ull, 28748},
                                           RandomCase{3, 800, 5, false, true, true, 0xc0151b1e82c39068ull, 7078},
                                           RandomCase{4, 800, 24, true, false, false, 0x265892f60bb56421ull, 9910},
                                           RandomCase{5, 300, 1, false, true, false, 0x1190f4f27f9a5e42ull, 1024},
                                           RandomCase{6, 2500, 15, true, true, true, 0xd8026ee75986bb74ull, 53196}),
                         [](const ::testing::TestParamInfo<RandomCase>& info) {
                           return "seed" + std::to_string(info.param.seed);
                         });

// A gridded random section: regular rows of nodes, relief and many equal neighbours.
TEST(RandomRecords, GriddedSection)
{
  std::mt19937 rng(11);
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  std::vector<double> x, d, relief;
  for (int i = 0; i < 40; ++i) x.push_back(i * 25.0), relief.push_back(static_cast<double>(rng() % 300) / 10.0);
  for (int j = 0; j < 12; ++j) d.push_back(5.0 + j * j * 2.0);
  std::vector<std::vector<double>> v(x.size(), std::vector<double>(d.size()));
  for (auto& col : v)
    for (double& val : col) val = 10.0 + static_cast<double>(rng() % 40) * 25.0;
  c.SetGridData(x, d, relief, v, true);
  c.LevelCount = 12;
  c.LogData = true;
  ExpectRecorded(Record(c), 0x8d7a61820c7c85acull, 5287, "gridded");
}

// Levels set by hand after UpdateLevels: out of order, and repeated.
TEST(RandomRecords, HandSetLevels)
{
  const std::vector<std::vector<double>> sets = {
      {400.0, 100.0, 900.0, 250.0, 700.0, 50.0, 1200.0},
      {100.0, 300.0, 300.0, 300.0, 650.0, 650.0, 1000.0},
  };
  const uint64_t hashes[] = {0xe154a88b76698869ull, 0x1e330f20f02cff32ull};
  const size_t records[] = {15050, 12386};
  for (size_t i = 0; i < sets.size(); ++i) {
    TPseudoSectionContour c(5 * 1024, 5 * 768);
    AddRandomNodes(c, 21 + static_cast<uint32_t>(i), 1200);
    c.LevelCount = static_cast<int32_t>(sets[i].size());
    c.BuildSection(true);
    c.UpdateLevels();
    c.LevelValues = sets[i];
    c.RenderPicture();
    ExpectRecorded({Fnv1a(c.SectionPicture()->SaveToBytes()), c.SectionPicture()->RecordCount()}, hashes[i],
                   records[i], "set " + std::to_string(i));
  }
}

// Plot mappings that put nodes and crossings on half pixels (ties, both signs) and far beyond the
// held range.
TEST(RandomRecords, HalfPixelsAndHeldCoordinates)
{
  struct Mapping {
    double xmin, xscale, ymin, yscale;
  };
  const Mapping mappings[] = {{0.5, 1.0, 0.5, 1.0}, {10.5, 1.0, 7.5, 2.0}, {5.0, 2e8, 3.0, 1.5e8}};
  const uint64_t hashes[] = {0xbb7cf65a77c47c7aull, 0xca02c95f4905d846ull, 0xc2d951a587aac36cull};
  const size_t records[] = {3222, 3222, 3222};
  for (size_t i = 0; i < std::size(mappings); ++i) {
    TPseudoSectionContour c(5 * 1024, 5 * 768);
    std::vector<double> x, d;
    for (int j = 0; j < 16; ++j) x.push_back(j), d.push_back(j);
    std::vector<std::vector<double>> v(x.size(), std::vector<double>(d.size()));
    for (size_t a = 0; a < x.size(); ++a)
      for (size_t b = 0; b < d.size(); ++b) v[a][b] = static_cast<double>((a * 7 + b * 3) % 11);
    c.SetGridData(x, d, {}, v, true);
    c.LevelCount = 10;
    c.UpdateLevels();
    for (int k = 0; k < 10; ++k) c.LevelValues[k] = k + 0.5;  // crossings halfway along the edges
    c.PlotXMin = mappings[i].xmin;
    c.XScale = mappings[i].xscale;
    c.PlotYMin = mappings[i].ymin;
    c.YScale = mappings[i].yscale;
    c.RenderPicture();
    ExpectRecorded({Fnv1a(c.SectionPicture()->SaveToBytes()), c.SectionPicture()->RecordCount()}, hashes[i],
                   records[i], "mapping " + std::to_string(i));
  }
}

// Pixel rounding as the recording did it first, through the standard library.
int32_t ReferencePixel(double v)
{
  if (!std::isfinite(v)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(v, -1e9, 1e9)));
}

TEST(PixelRounding, MatchesNearestEvenAtEdgeValues)
{
  TPseudoSectionContour c(100, 100);
  c.PlotXMin = 0.0;
  c.XScale = 1.0;  // XToPixel(v) rounds v itself
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                -0.5,
                                1.5,
                                -1.5,
                                2.5,
                                -2.5,
                                0.49999999999999994,
                                -0.49999999999999994,
                                0.5000000000000001,
                                1e9,
                                -1e9,
                                1e9 - 0.5,
                                -1e9 + 0.5,
                                1e9 + 0.5,
                                -1e9 - 0.5,
                                999999999.5,
                                2e9,
                                -2e9,
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::denorm_min(),
                                -std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                4503599627370496.0,
                                4503599627370497.0};
  for (int i = -1000; i <= 1000; ++i) values.push_back(i / 4.0);
  std::mt19937 rng(5);
  for (int i = 0; i < 20000; ++i) {
    // Random magnitudes across the whole range, both signs.
    const double mant = static_cast<double>(rng()) / 4294967296.0;
    const int exp = static_cast<int>(rng() % 80) - 40;
    values.push_back((rng() & 1 ? -1.0 : 1.0) * std::ldexp(mant, exp));
  }
  for (double v : values) EXPECT_EQ(c.XToPixel(v), ReferencePixel(v)) << v;
}

}  // namespace

#include "app/ProfileModel.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/SceneGeometry.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"

namespace {

bool StrictlyIncreasing(const arofdouble& v)
{
  for (size_t i = 1; i < v.size(); ++i)
    if (!(v[i] > v[i - 1]))
      return false;
  return true;
}

std::string ModelLimits()
{
  return "(at most " + std::to_string(MaxModelCells) + " cells and " + std::to_string(MaxModelBoundaries) +
         " boundaries each way)";
}

// The widest number written: the default scientific form of 23 characters and a blank.
constexpr uint64_t WidestNumber = 24;
// A line of boundaries or cells as wide as the limits allow is text to the reader.
static_assert(TTextReader::MaxLineLength >= MaxModelBoundaries * WidestNumber + 2);
// The largest model file: the rows of resistivity, of the block skipped before the eta rows and of
// eta, each row with its line end, the two lines of boundaries and the relief, with room for the
// few other lines.
static_assert(MaxModelFileBytes >= 3 * (MaxModelCells * WidestNumber + (MaxModelBoundaries - 1) * 2) +
                                       2 * (MaxModelBoundaries * WidestNumber + 2) +
                                       MaxReliefPoints * (2 * WidestNumber + 2) + (uint64_t{1} << 20));

// Reads Count cell rows as they stand. The first row sets the width of the cell grid and must
// cover the Z intervals (MinCells) without making a grid beyond the limits; a later row shorter
// than the first fails, a longer one is cut to the first row's width. "" or why the rows are refused.
// The rows are kept as they come, so memory follows the rows the file holds.
std::string ReadCellRows(TTextReader& in, size_t count, size_t minCells, ararofdouble& rows)
{
  const std::string missing = "a row of cells is missing or shorter than the cell boundaries need";
  rows.clear();
  for (size_t i = 0; i < count; ++i) {
    if (in.Eof())
      return missing;
    arofdouble row = SplitFloats(in.ReadLn(), 0);
    const size_t width = rows.empty() ? std::max<size_t>(minCells, 1) : rows.front().size();
    if (row.size() < width)
      return missing;
    if (rows.empty()) {
      if (row.size() > MaxModelBoundaries - 1)
        return "a row of " + std::to_string(row.size()) + " cells is wider than the viewer reads (at most " +
               std::to_string(MaxModelBoundaries - 1) + ")";
      if (count * row.size() > MaxModelCells)
        return std::to_string(count) + " rows of " + std::to_string(row.size()) +
               " cells are more than the viewer reads " + ModelLimits();
    } else {
      row.resize(width);
    }
    // A row cut to the width keeps no more room than it holds.
    row.shrink_to_fit();
    rows.push_back(std::move(row));
  }
  return {};
}

// The fixed-mean node grid of a cell grid: one node more than there are cells each way.
ararofdouble NodeGrid(const ararofdouble& cells, bool geometric)
{
  return CellsToNodes(cells, cells.size() + 1, cells.front().size() + 1, geometric);
}

bool AllFinite(const arofdouble& v)
{
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// Numbers near the end of the double range overflow into infinities in the spans, the node means
// and the depths of the scene; a model giving any is refused like one with bad boundaries.
bool FiniteModel(const fdata& d)
{
  if (!std::isfinite(d.X.back() - d.X.front()) || !std::isfinite(d.Z.back() - d.Z.front()) ||
      !AllFinite(d.ReliefAtX) || !std::isfinite(d.MaxRelief))
    return false;
  for (const arofdouble& row : d.Values)
    if (!AllFinite(row))
      return false;
  for (double r : d.ReliefAtX)
    if (!std::isfinite(SectionDepthToScene(d, r, d.Z.back())) || !std::isfinite(SectionDepthToScene(d, r, d.Z.front())))
      return false;
  return true;
}

// The relief's height at each of the ascending X, as TableInterpolate gives it. Relief points in
// ascending order are walked along with X: the first pair of points around an X never lies before
// that of the X before it.
arofdouble ReliefAtBoundaries(const arofcomplex& relief, const arofdouble& x)
{
  arofdouble heights(x.size());
  const bool ascending = std::is_sorted(relief.begin(), relief.end(),
                                        [](const TComplex& a, const TComplex& b) { return a.x < b.x; }) &&
                         std::none_of(relief.begin(), relief.end(), [](const TComplex& p) { return std::isnan(p.x); });
  size_t k = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    if (!ascending || x[i] <= relief.front().x || x[i] >= relief.back().x) {
      heights[i] = TableInterpolate(relief, x[i]);
      continue;
    }
    while (relief[k + 1].x < x[i])
      ++k;
    heights[i] = LinearInterpolate(x[i], relief[k], relief[k + 1]);
  }
  return heights;
}

void DefaultPlacement(fdata& d)
{
  d.X0 = d.X.front();
  d.Y0 = 0.0;
  d.X1 = d.X.back();
  d.Y1 = 0.0;
  d.st = d.XFirst = d.X.front();
  d.en = d.XLast = d.X.back();
  PlaceSection(d);
}

}  // namespace

std::string ModelSizeFault(size_t nx, size_t nz)
{
  if (nx <= MaxModelBoundaries && nz <= MaxModelBoundaries &&
      (nx < 2 || nz < 2 || (nx - 1) * (nz - 1) <= MaxModelCells))
    return {};
  return "its grid of " + std::to_string(nx) + " x " + std::to_string(nz) +
         " cell boundaries is larger than the viewer reads " + ModelLimits();
}

std::string ModelFileSizeFault(const std::string& fileName)
{
  std::error_code ec;
  if (!std::filesystem::is_regular_file(fileName, ec))
    return {};
  const uintmax_t size = std::filesystem::file_size(fileName, ec);
  if (ec || size <= MaxModelFileBytes)
    return {};
  return "it is larger than a model or project file may be (at most " + std::to_string(MaxModelFileBytes >> 20) +
         " MB)";
}

ararofdouble CellsToNodes(const ararofdouble& cells, size_t nx, size_t nz, bool geometric)
{
  ararofdouble nodes(nx, arofdouble(nz, 0.0));
  if (cells.empty())
    return nodes;
  const long rows = static_cast<long>(cells.size());
  auto cell = [&](long i, long j) {
    i = std::clamp(i, 0L, rows - 1);
    const arofdouble& row = cells[i];
    if (row.empty())
      return 0.0;
    j = std::clamp(j, 0L, static_cast<long>(row.size()) - 1);
    return row[j];
  };
  for (size_t i = 0; i < nx; ++i) {
    for (size_t j = 0; j < nz; ++j) {
      const long li = static_cast<long>(i), lj = static_cast<long>(j);
      const double c[4] = {cell(li - 1, lj - 1), cell(li - 1, lj), cell(li, lj - 1), cell(li, lj)};
      if (geometric) {
        double sumLog = 0.0;
        int positive = 0;
        for (double v : c)
          if (v > 0.0) {
            sumLog += std::log(v);
            ++positive;
          }
        if (positive > 0) {
          nodes[i][j] = std::exp(sumLog / positive);
          continue;
        }
      }
      nodes[i][j] = (c[0] + c[1] + c[2] + c[3]) / 4.0;
    }
  }
  return nodes;
}

bool ReadModelFile(const std::string& fileName, fdata& resOut, fdata& polOut)
{
  return ReadModelFile(fileName, resOut, polOut, nullptr);
}

bool ReadModelFile(const std::string& fileName, fdata& resOut, fdata& polOut, std::string* error,
                   std::string* notice)
{
  TTextReader in;
  // Content that is not text is the reason, whichever step met it.
  auto fail = [&](const std::string& why) {
    if (error)
      *error = in.Failed() ? in.Error() : why;
    return false;
  };
  if (notice)
    notice->clear();
  if (!FileExists(fileName))
    return fail("the file does not exist");
  if (const std::string why = ModelFileSizeFault(fileName); !why.empty())
    return fail(why);
  if (!in.Open(fileName))
    return fail("the file cannot be read");
  fdata res, pol;

  // The first line names "eta" when the file carries polarizability values.
  const bool eta = ContainsText(in.ReadLn(), "eta");

  // Blank lines hold neither keyword nor relief point: they are passed over in bulk.
  std::string line;
  for (;;) {
    in.SkipBlankLines();
    line = in.ReadLn();
    if (in.Eof())
      return fail("no \"topo\" or \"model\" line");
    if (ContainsText(line, "topo") || ContainsText(line, "model"))
      break;
  }
  if (ContainsText(line, "topo")) {
    for (;;) {
      in.SkipBlankLines();
      if (in.Eof())
        return fail("no \"model\" line after the relief");
      line = in.ReadLn();
      if (ContainsText(line, "model"))
        break;
      arofdouble p = SplitFloats(line, 0);
      if (p.size() == 2) {
        if (res.Relief.size() == MaxReliefPoints)
          return fail("the relief holds more than " + std::to_string(MaxReliefPoints) + " points");
        res.Relief.push_back(MakePair(p[0], -p[1]));
      }
    }
    res.Relief.shrink_to_fit();
  }

  res.Shown = pol.Shown = 1;
  res.Present = 1;
  pol.Present = eta ? 1 : 0;

  const std::string ext = LowerCase(ExtractFileExt(fileName));
  auto kFrom = [](const arofdouble& numbers) { return numbers.size() >= 4 ? numbers[3] : 0.0; };
  if (ext == ".k2d" || ext == ".out" || ext == ".m2d") {
    res.K = kFrom(SplitFloats(in.ReadLn(), 0));
    res.X = SplitFloats(in.ReadLn(), 0);
    res.Z = SplitFloats(in.ReadLn(), 0);
    in.ReadLn();
  } else if (ext == ".cht") {
    res.X = SplitFloats(in.ReadLn(), 0);
    res.Z = SplitFloats(in.ReadLn(), 0);
    res.K = kFrom(SplitFloats(in.ReadLn(), 0));
  } else {
    return fail("the extension is none of .k2d, .cht, .m2d and .out");
  }
  if (in.Failed())
    return fail({});
  if (res.X.size() < 2 || res.Z.size() < 2)
    return fail("fewer than two cell boundaries along the profile or in depth");
  // Refused before any grid is made.
  if (const std::string why = ModelSizeFault(res.X.size(), res.Z.size()); !why.empty())
    return fail(why);
  res.X.shrink_to_fit();
  res.Z.shrink_to_fit();
  if (!StrictlyIncreasing(res.X) || !StrictlyIncreasing(res.Z))
    return fail("the cell boundaries do not increase");
  if (res.Z.back() == 0.0 || !std::isfinite(res.K))
    return fail("the depth boundaries or the relief factor are unusable");

  const size_t nx = res.X.size(), nz = res.Z.size();
  ararofdouble resCells;
  if (const std::string why = ReadCellRows(in, nx - 1, nz - 1, resCells); !why.empty())
    return fail(why);
  res.Nodes = NodeGrid(resCells, true);
  DefaultPlacement(res);

  ararofdouble polCells;
  pol.Relief = res.Relief;
  pol.X = res.X;
  pol.Z = res.Z;
  pol.K = res.K;
  if (eta) {
    // A separating line and the rows of another block come before the eta rows.
    std::string why;
    for (size_t i = 0; i < nx && why.empty(); ++i) {
      if (in.Eof())
        why = "it ends before its rows of cells";
      else
        in.ReadLn();
    }
    if (why.empty())
      why = ReadCellRows(in, nx - 1, nz - 1, polCells);
    // Content that is not text refuses the whole file; a block cut short only loses its half.
    if (in.Failed())
      return fail({});
    if (why.empty()) {
      pol.Nodes = NodeGrid(polCells, false);
    } else {
      pol.Present = 0;
      if (notice)
        *notice = "its polarizability block is unusable (" + why + "): only the resistivity is shown";
    }
  }
  DefaultPlacement(pol);

  if (res.Relief.size() < 2)
    res.ReliefAtX.assign(nx, 0.0);
  else
    res.ReliefAtX = ReliefAtBoundaries(res.Relief, res.X);
  res.MaxRelief = MaxValueMode(res.ReliefAtX, 0);
  pol.ReliefAtX = res.ReliefAtX;
  pol.MaxRelief = res.MaxRelief;

  res.LogScale = ext == ".out" ? 0 : 1;
  pol.LogScale = 0;

  res.Values = CellsToNodes(resCells, nx, nz, res.LogScale == 1);
  res.MinValue = MinValue2D(res.Values, 0);
  res.MaxValue = MaxValue2D(res.Values, 0);
  if (pol.Present) {
    pol.Values = CellsToNodes(polCells, nx, nz, false);
    pol.MinValue = MinValue2D(pol.Values, 0);
    pol.MaxValue = MaxValue2D(pol.Values, 0);
  }

  if (!FiniteModel(res) || (pol.Present && !FiniteModel(pol)))
    return fail("numbers too large for the model's extent, means or depths");

  res.FileName = fileName;
  resOut = std::move(res);
  polOut = std::move(pol);
  return true;
}

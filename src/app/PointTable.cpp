#include "app/PointTable.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/SceneGeometry.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"

namespace {

struct TTablePoint {
  double x, depth, value;
};

}  // namespace

bool ConvertPointTable(const std::string& fileName)
{
  // A table named "*.out" would be replaced by its own model.
  const std::string outName = ChangeFileExt(fileName, ".out");
  auto refuse = [&](const std::string& why) {
    ShowMessage("The table " + fileName + " was not converted: " + why);
    return false;
  };
  std::error_code ec;
  if (outName == fileName || std::filesystem::equivalent(outName, fileName, ec))
    return refuse("the model would replace the table itself");
  // Line by line; only the points are kept, and no more than the largest model the viewer reads has
  // nodes: (Length(X) - 1) x (Length(Z) - 1) cells have Length(X) x Length(Z) nodes.
  const size_t maxPoints = MaxModelCells + 2 * MaxModelBoundaries;
  // No table is larger than the model it makes may be; a larger one is refused unread.
  if (const std::string why = ModelFileSizeFault(fileName); !why.empty())
    return refuse(why);
  TTextReader in;
  if (!in.Open(fileName))
    return refuse("the file cannot be read: " + in.Error());
  std::vector<TTablePoint> points;
  while (!in.Eof()) {
    const arofdouble v = SplitFloats(in.ReadLn(), 0);
    if (v.size() < 3)
      continue;
    if (points.size() == maxPoints)
      return refuse("it holds more than " + std::to_string(maxPoints) +
                    " points, more than the largest model the viewer reads has nodes");
    points.push_back({v[0], v[1], v[2]});
  }
  if (in.Failed())
    return refuse(in.Error());
  if (points.empty())
    return refuse("it holds no line of three numbers");
  // Ascending by x, ties by depth; equal points keep their order.
  std::stable_sort(points.begin(), points.end(), [](const TTablePoint& a, const TTablePoint& b) {
    return a.x < b.x || (a.x == b.x && a.depth < b.depth);
  });

  // Columns of equal x; every column must hold as many depths as the first.
  arofdouble xs, tops, depths;
  std::vector<arofdouble> grid;
  for (size_t i = 0; i < points.size(); ++i) {
    const TTablePoint& p = points[i];
    if (i == 0 || p.x != points[i - 1].x) {
      xs.push_back(p.x);
      tops.push_back(p.depth);
      grid.emplace_back();
    }
    if (grid.size() == 1)
      depths.push_back(p.depth);
    grid.back().push_back(p.value);
  }
  const size_t n = depths.size();
  if (xs.size() < 2 || n < 2)
    return refuse("it needs two x or more with two depths or more");
  if (const std::string why = ModelSizeFault(xs.size(), n); !why.empty())
    return refuse(why);
  for (const arofdouble& column : grid)
    if (column.size() != n)
      return refuse("its points form no regular grid (x " + FloatToStrSci(xs[&column - grid.data()]) +
                    " holds another number of depths than the first x)");

  std::vector<std::string> out;
  out.emplace_back();
  out.emplace_back("topo");
  for (size_t c = 0; c < xs.size(); ++c)
    out.push_back(FloatToStrSci(xs[c]) + " " + FloatToStrSci(tops[c]));
  out.emplace_back("model");
  out.emplace_back();
  out.push_back(JoinFloats(xs, "", 2, true));
  arofdouble z(n);
  for (size_t k = 0; k < n; ++k)
    z[k] = depths[k] - depths[0];
  out.push_back(JoinFloats(z, "", 2, true));
  out.emplace_back();
  for (size_t c = 0; c + 1 < xs.size(); ++c) {
    arofdouble cells(n - 1);
    for (size_t k = 0; k + 1 < n; ++k)
      cells[k] = (grid[c][k] + grid[c + 1][k] + grid[c][k + 1] + grid[c + 1][k + 1]) / 4.0;
    out.push_back(JoinFloats(cells, "", 2, true));
  }
  // Written under a name of its own and read back before it replaces the ".out": a model the
  // viewer would refuse (a depth twice, numbers too large for its means) is not written.
  std::string trial = outName + ".XXXXXX.out";
  const int fd = mkstemps(trial.data(), 4);
  if (fd < 0)
    return refuse("cannot write " + outName + ": " + std::strerror(errno));
  close(fd);
  std::string error;
  fdata res, pol;
  if (!WriteTextLines(trial, out, &error) || !ReadModelFile(trial, res, pol, &error)) {
    std::filesystem::remove(trial, ec);
    return refuse(error);
  }
  std::filesystem::rename(trial, outName, ec);
  if (ec) {
    std::filesystem::remove(trial, ec);
    return refuse("cannot write " + outName);
  }
  return true;
}

bool ExportPointTable(const TProjectState& state, const std::string& fileName)
{
  const int mode = state.DisplayMode == 1 ? 1 : 0;
  std::vector<std::string> out;
  for (const TProfileEntry& e : state.Profiles) {
    if (!e[mode].Present)
      continue;
    const fdata& r = e[0];
    const fdata& p = e[1];
    out.push_back(r.FileName);
    const size_t nx = r.X.size(), nz = r.Z.size();
    for (size_t j = 0; j < nx; ++j) {
      const TComplex plan = SectionPlanPoint(r, r.X[j]);
      const double relief = j < r.ReliefAtX.size() ? r.ReliefAtX[j] : 0.0;
      for (size_t k = 0; k < nz; ++k) {
        std::string line = FloatToStrSci(plan.x) + " " + FloatToStrSci(plan.y) + " " +
                           FloatToStrSci(SectionDepthToScene(r, relief, r.Z[k]));
        auto value = [&](const fdata& d) {
          return j < d.Values.size() && k < d.Values[j].size() ? d.Values[j][k] : NoValue;
        };
        line += " " + FloatToStrSci(value(r));
        if (p.Present)
          line += " " + FloatToStrSci(value(p));
        out.push_back(std::move(line));
      }
    }
  }
  std::string error = LineBreakFault(out);
  if (!error.empty() || !WriteTextLines(fileName, out, &error)) {
    ShowMessage("The table was not saved to " + fileName + ": " + error);
    return false;
  }
  return true;
}

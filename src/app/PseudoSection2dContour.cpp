// Nodes, triangulation, gridded input and the level range of a section.
#include "app/PseudoSection2dContour.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Metafile.h"

namespace {

constexpr size_t MinNodeEntries = 8001;      // node numbers 0..8000
constexpr size_t MinTriangleEntries = 8002;  // triangle numbers 0..8001

// The empty-circumcircle test of three points, prepared once so that many points can be tested
// against one triangle with exactly the arithmetic of InCircle.
struct CircleTest {
  enum Kind : uint8_t { Circle, BelowY, LeftOfX } kind = Circle;
  double xc = 0.0, yc = 0.0, r2 = 0.0;  // Circle; BelowY: yc is the bound; LeftOfX: xc is the bound

  static CircleTest Make(double x1, double y1, double x2, double y2, double x3, double y3)
  {
    constexpr double eps = 1e-9;
    CircleTest c;
    double xc, yc;
    if (std::fabs(y1 - y2) <= eps && std::fabs(y2 - y3) <= eps) {
      c.kind = BelowY;
      c.yc = y1;
      return c;
    }
    if (std::fabs(y2 - y1) <= eps) {
      double m2 = -(x3 - x2) / (y3 - y2);
      xc = (x1 + x2) / 2.0;
      yc = m2 * (xc - (x2 + x3) / 2.0) + (y2 + y3) / 2.0;
    } else if (std::fabs(y3 - y2) <= eps) {
      double m1 = -(x2 - x1) / (y2 - y1);
      xc = (x2 + x3) / 2.0;
      yc = m1 * (xc - (x1 + x2) / 2.0) + (y1 + y2) / 2.0;
    } else {
      double m1 = -(x2 - x1) / (y2 - y1);
      double m2 = -(x3 - x2) / (y3 - y2);
      double mx1 = (x1 + x2) / 2.0, mx2 = (x2 + x3) / 2.0;
      double my1 = (y1 + y2) / 2.0, my2 = (y2 + y3) / 2.0;
      if (std::fabs(m1 - m2) <= eps) {
        if ((y1 < y2 && y2 < y3) || (y3 < y2 && y2 < y1)) {
          c.kind = LeftOfX;
          c.xc = x1;
          return c;
        }
        xc = x1;
        yc = (y1 + y3) / 2.0;
      } else {
        xc = (m1 * mx1 - m2 * mx2 + my2 - my1) / (m1 - m2);
        yc = m1 * (xc - mx1) + my1;
      }
    }
    c.xc = xc;
    c.yc = yc;
    c.r2 = (x2 - xc) * (x2 - xc) + (y2 - yc) * (y2 - yc);
    return c;
  }

  bool Inside(double xp, double yp) const
  {
    switch (kind) {
    case BelowY: return yp <= yc;
    case LeftOfX: return xp <= xc;
    default: {
      double dx = xp - xc, dy = yp - yc;
      return dx * dx + dy * dy <= r2;
    }
    }
  }
};

// How far a triangle's circle test may stray from the exact power of a point, |p - C|^2 - R^2,
// with C and R the exact circumcircle of the triangle's stored coordinates. The test's centre c
// is off by e = c - C, where 2 e.(b - a) = |c - a|^2 - |c - b|^2 and 2 e.(c - a) = |c - a|^2 -
// |c - c3|^2 for the corners a, b, c3; those differences, computed with a bound on their rounding,
// bound e. A triangle without such a bound (a half-plane test, a degenerate or ill-conditioned
// triangle) gets a negative centre error.
struct CircleBound {
  double dc = -1.0;  // bound on the distance of the test's centre from the exact one
  double r = 0.0;    // bound on the test's radius

  static CircleBound Make(const CircleTest& c, double ax, double ay, double bx, double by, double cx, double cy)
  {
    constexpr double u = std::numeric_limits<double>::epsilon() / 2;
    CircleBound b;
    if (c.kind != CircleTest::Circle || !std::isfinite(c.xc) || !std::isfinite(c.yc) || !std::isfinite(c.r2))
      return b;
    const double bxr = bx - ax, byr = by - ay, cxr = cx - ax, cyr = cy - ay;
    const double det = bxr * cyr - byr * cxr;
    const double ad = std::fabs(det);
    const double detErr = 8 * u * (std::fabs(bxr * cyr) + std::fabs(byr * cxr));
    if (!(ad > 4 * detErr)) return b;
    auto dist2 = [&](double x, double y) { return (c.xc - x) * (c.xc - x) + (c.yc - y) * (c.yc - y); };
    const double ra = dist2(ax, ay), rb = dist2(bx, by), rc = dist2(cx, cy);
    const double dab = std::fabs(ra - rb) + 6 * u * (ra + rb), dac = std::fabs(ra - rc) + 6 * u * (ra + rc);
    const double e = (dab * (std::fabs(cxr) + std::fabs(cyr)) + dac * (std::fabs(bxr) + std::fabs(byr))) /
                     (2 * (ad - detErr));
    const double dc = 4 * e * (1 + 16 * u);
    if (!std::isfinite(dc) || !(dc * dc <= 1e-4 * c.r2)) return b;
    b.dc = dc;
    // At least the radius (at most 1.42 times it), without a root.
    b.r = (std::fabs(c.xc - bx) + std::fabs(c.yc - by)) * (1 + 1e-14);
    return b;
  }

  // Bound on |test value - exact power| for a point at distance d from the test's centre; the
  // test value is (xp - xc)^2 + (yp - yc)^2 - r2 as computed.
  double ErrorAt(double d) const
  {
    constexpr double u = std::numeric_limits<double>::epsilon() / 2;
    return 2 * (dc * (2 * d + dc) + dc * (2 * r + 3 * dc) + 8 * u * (d * d + (r + dc) * (r + dc)));
  }
};

// A list that only grows its storage, with the few vector operations the triangulation uses, kept
// small enough to inline.
template <class T>
class WorkList {
public:
  [[gnu::always_inline]] void push_back(const T& v)
  {
    if (size_ == items_.size()) [[unlikely]]
      Grow();
    items_[size_++] = v;
  }
  void pop_back() { --size_; }
  void clear() { size_ = 0; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t k) { return items_[k]; }
  T& front() { return items_[0]; }
  T& back() { return items_[size_ - 1]; }
  T* begin() { return items_.data(); }
  T* end() { return items_.data() + size_; }
  // Room for k more items, to be written at end() and counted with Extend.
  [[gnu::always_inline]] void Reserve(size_t k)
  {
    if (size_ + k > items_.size()) [[unlikely]]
      Grow();
  }
  void Extend(size_t k) { size_ += k; }
  // The storage from the start, with room for k items past the present ones.
  T* Room(size_t k)
  {
    if (size_ + k > items_.size()) items_.resize(size_ + k + items_.size());
    return items_.data();
  }
  void Resize(size_t k) { size_ = k; }

private:
  [[gnu::noinline]] void Grow() { items_.resize(2 * items_.size() + 32); }

  std::vector<T> items_;
  size_t size_ = 0;
};

// Triangles indexed by the cells of a grid pyramid that their circles' bounding boxes cover, over
// the square that holds every node (y is mapped onto the x range). A circle goes to the finest
// level where it spans at most two cells each way; a node is looked up in its cell of every level.
// Cells keep their circles inline, so that a search reads short runs of memory. Tests that are
// half-planes or not finite are kept apart and tested for every node.
class CircleGrid {
public:
  CircleGrid(double lo, double hi, int32_t nodes) : lo_(lo), pad_(1e-9 * (std::fabs(lo) + std::fabs(hi)))
  {
    while (depth_ < 8 && (1 << (2 * depth_)) < nodes / 2) ++depth_;
    scale_ = hi > lo ? (1 << depth_) / (hi - lo) : 0.0;
    for (int32_t l = 0; l <= depth_; ++l) levels_.emplace_back(static_cast<size_t>(1) << (2 * l));
    place_.reserve(8 * static_cast<size_t>(nodes) + 16);
    alive_.reserve(8 * static_cast<size_t>(nodes) + 16);
  }

  void Insert(int32_t id, const CircleTest& c)
  {
    if (static_cast<size_t>(id) >= place_.size()) {
      place_.resize(static_cast<size_t>(id) + 1);
      alive_.resize(static_cast<size_t>(id) + 1);
    }
    Place& at = place_[id];
    at = Place{};
    alive_[id] = 1;
    if (c.kind == CircleTest::Circle && std::isnan(c.r2)) return;  // holds no point
    const double r = c.kind == CircleTest::Circle ? std::sqrt(c.r2) : 0.0;
    if (c.kind != CircleTest::Circle || !std::isfinite(r) || !std::isfinite(c.xc) || !std::isfinite(c.yc)) {
      wide_.push_back(id);
      return;
    }
    // A point the circle test passes lies in the box but for rounding; the margin covers that.
    const double reach = r + r * 1e-9 + pad_;
    int32_t x0 = CellOf(c.xc - reach), x1 = CellOf(c.xc + reach);
    int32_t y0 = CellOf(c.yc - reach), y1 = CellOf(c.yc + reach);
    int32_t level = depth_;
    while (level > 0 && (x1 - x0 > 1 || y1 - y0 > 1)) {
      x0 >>= 1, x1 >>= 1, y0 >>= 1, y1 >>= 1;
      --level;
    }
    at = Place{static_cast<int8_t>(level), static_cast<int16_t>(x0), static_cast<int16_t>(x1), static_cast<int16_t>(y0),
               static_cast<int16_t>(y1)};
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t x = x0; x <= x1; ++x) CellAt(level, x, y).entries.push_back({c.xc, c.yc, c.r2, id});
  }

  // Entries of removed triangles stay until their cell holds more of them than of live ones.
  void Remove(int32_t id)
  {
    alive_[id] = 0;
    const Place& at = place_[id];
    if (at.level < 0) {
      if (2 * ++wideDead_ > wide_.size()) {
        std::erase_if(wide_, [&](int32_t w) { return !alive_[w]; });
        wideDead_ = 0;
      }
      return;
    }
    for (int32_t y = at.y0; y <= at.y1; ++y)
      for (int32_t x = at.x0; x <= at.x1; ++x) {
        Cell& cell = CellAt(at.level, x, y);
        if (2 * ++cell.dead > cell.entries.size()) {
          std::erase_if(cell.entries, [&](const Entry& e) { return !alive_[e.id]; });
          cell.dead = 0;
        }
      }
  }

  // Calls found(id) for every live triangle in the pyramid whose circle holds (x, y) by the circle
  // test, and wide(id) for every live triangle kept apart (the caller tests those itself).
  template <class Found, class Wide>
  void Visit(double x, double y, Found&& found, Wide&& wide)
  {
    int32_t cx = CellOf(x), cy = CellOf(y);
    for (int32_t level = depth_; level >= 0; --level, cx >>= 1, cy >>= 1)
      for (const Entry& e : CellAt(level, cx, cy).entries) {
        const double dx = x - e.xc, dy = y - e.yc;
        if (dx * dx + dy * dy <= e.r2 && alive_[e.id]) found(e.id);
      }
    for (int32_t id : wide_)
      if (alive_[id]) wide(id);
  }

private:
  struct Entry {
    double xc, yc, r2;
    int32_t id;
  };
  struct Cell {
    std::vector<Entry> entries;
    size_t dead = 0;
  };
  // Where a triangle is entered; level -1: kept apart, or holds no point (no cells).
  struct Place {
    int8_t level = -1;
    int16_t x0 = 0, x1 = -1, y0 = 0, y1 = -1;
  };
  // Cell index on the finest level.
  int32_t CellOf(double v) const
  {
    const double k = (v - lo_) * scale_;
    if (!(k > 0.0)) return 0;
    const int32_t last = (1 << depth_) - 1;
    return k >= last ? last : static_cast<int32_t>(k);
  }
  Cell& CellAt(int32_t level, int32_t x, int32_t y) { return levels_[level][(static_cast<size_t>(y) << level) + x]; }

  double lo_;
  double pad_;
  int32_t depth_ = 0;
  double scale_ = 0.0;
  std::vector<std::vector<Cell>> levels_;
  std::vector<int32_t> wide_;
  size_t wideDead_ = 0;
  std::vector<Place> place_;
  std::vector<uint8_t> alive_;
};

// A new triangle's circle test as the triangle records keep it (the kind in r2: -1 below a y
// bound, -2 left of an x bound) and the error bound of CircleBound within twice its radius
// (negative: no bound).
struct NewCircle {
  double xc, yc, r2;
  double errNear;

  static NewCircle One(double x1, double y1, double x2, double y2, double x3, double y3)
  {
    const CircleTest c = CircleTest::Make(x1, y1, x2, y2, x3, y3);
    const CircleBound b = CircleBound::Make(c, x1, y1, x2, y2, x3, y3);
    NewCircle nc;
    nc.xc = c.xc, nc.yc = c.yc;
    nc.r2 = c.kind == CircleTest::BelowY ? -1.0 : c.kind == CircleTest::LeftOfX ? -2.0 : c.r2;
    nc.errNear = b.dc < 0.0 ? -1.0 : b.ErrorAt(2 * b.r);
    return nc;
  }
};

using Lanes = double __attribute__((vector_size(32)));
using LaneMask = int64_t __attribute__((vector_size(32)));

inline Lanes Abs(Lanes v)
{
  return reinterpret_cast<Lanes>(reinterpret_cast<LaneMask>(v) & 0x7FFFFFFFFFFFFFFF);
}

// The circles of new triangles in columns (room for the count rounded up to four, the corners
// filled that far): corners (x1, y1), (x2, y2) and the common third one, circles as NewCircle.
struct CircleColumns {
  double *x1, *y1, *x2, *y2;
  double *xc, *yc, *r2, *errNear;
};

// Four circle tests at a time, each lane with the arithmetic of CircleTest::Make and
// CircleBound::Make; a lane outside the general case of both (two corners at nearly one height,
// parallel bisectors, no bound) is made on its own.
[[gnu::always_inline]] inline void MakeCirclesBody(const CircleColumns& cc, double x3s, double y3s, size_t count)
{
  constexpr double eps = 1e-9, u = std::numeric_limits<double>::epsilon() / 2;
  const Lanes x3 = {x3s, x3s, x3s, x3s}, y3 = {y3s, y3s, y3s, y3s};
  for (size_t j0 = 0; j0 < count; j0 += 4) {
    Lanes x1, y1, x2, y2;
    std::memcpy(&x1, cc.x1 + j0, sizeof x1);
    std::memcpy(&y1, cc.y1 + j0, sizeof y1);
    std::memcpy(&x2, cc.x2 + j0, sizeof x2);
    std::memcpy(&y2, cc.y2 + j0, sizeof y2);
    const Lanes m1 = -(x2 - x1) / (y2 - y1), m2 = -(x3 - x2) / (y3 - y2);
    const Lanes mx1 = (x1 + x2) / 2.0, mx2 = (x2 + x3) / 2.0;
    const Lanes my1 = (y1 + y2) / 2.0, my2 = (y2 + y3) / 2.0;
    const Lanes xc = (m1 * mx1 - m2 * mx2 + my2 - my1) / (m1 - m2);
    const Lanes yc = m1 * (xc - mx1) + my1;
    const Lanes r2 = (x2 - xc) * (x2 - xc) + (y2 - yc) * (y2 - yc);
    const Lanes bxr = x2 - x1, byr = y2 - y1, cxr = x3 - x1, cyr = y3 - y1;
    const Lanes ad = Abs(bxr * cyr - byr * cxr);
    const Lanes detErr = 8 * u * (Abs(bxr * cyr) + Abs(byr * cxr));
    auto dist2 = [&](Lanes x, Lanes y) { return (xc - x) * (xc - x) + (yc - y) * (yc - y); };
    const Lanes ra = dist2(x1, y1), rb = r2, rc = dist2(x3, y3);
    const Lanes dab = Abs(ra - rb) + 6 * u * (ra + rb), dac = Abs(ra - rc) + 6 * u * (ra + rc);
    const Lanes e = (dab * (Abs(cxr) + Abs(cyr)) + dac * (Abs(bxr) + Abs(byr))) / (2 * (ad - detErr));
    const Lanes dc = 4 * e * (1 + 16 * u);
    const Lanes zero = xc - xc + (yc - yc) + (r2 - r2) + (dc - dc);  // 0 where all are finite
    const LaneMask general = (Abs(y2 - y1) > eps) & (Abs(y3 - y2) > eps) & (Abs(m1 - m2) > eps) & (zero == 0.0) &
                             (ad > 4 * detErr) & (dc * dc <= 1e-4 * r2);
    const Lanes r = (Abs(xc - x2) + Abs(yc - y2)) * (1 + 1e-14);
    auto errorAt = [&](Lanes d) {
      return 2 * (dc * (2 * d + dc) + dc * (2 * r + 3 * dc) + 8 * u * (d * d + (r + dc) * (r + dc)));
    };
    const Lanes errNear = errorAt(2 * r);
    std::memcpy(cc.xc + j0, &xc, sizeof xc);
    std::memcpy(cc.yc + j0, &yc, sizeof yc);
    std::memcpy(cc.r2 + j0, &r2, sizeof r2);
    std::memcpy(cc.errNear + j0, &errNear, sizeof errNear);
    for (size_t j = 0; j < 4 && j0 + j < count; ++j) {
      if (general[j]) [[likely]]
        continue;
      const size_t k = j0 + j;
      const NewCircle one = NewCircle::One(cc.x1[k], cc.y1[k], cc.x2[k], cc.y2[k], x3s, y3s);
      cc.xc[k] = one.xc, cc.yc[k] = one.yc, cc.r2[k] = one.r2, cc.errNear[k] = one.errNear;
    }
  }
}

#if defined(__GNUC__) && defined(__x86_64__)
// With the wider registers where the processor has them: the same operations lane by lane (no
// fused multiply-add), so the same results.
[[gnu::target("avx")]] void MakeCirclesWide(const CircleColumns& cc, double x3, double y3, size_t count)
{
  MakeCirclesBody(cc, x3, y3, count);
}
void MakeCirclesNarrow(const CircleColumns& cc, double x3, double y3, size_t count)
{
  MakeCirclesBody(cc, x3, y3, count);
}
bool WideLanes = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}();
inline void MakeCircles(const CircleColumns& cc, double x3, double y3, size_t count)
{
  if (WideLanes)
    MakeCirclesWide(cc, x3, y3, count);
  else
    MakeCirclesNarrow(cc, x3, y3, count);
}
#else
inline void MakeCircles(const CircleColumns& cc, double x3, double y3, size_t count)
{
  MakeCirclesBody(cc, x3, y3, count);
}
#endif

uint64_t EdgeKey(int32_t p, int32_t q)
{
  uint32_t lo = static_cast<uint32_t>(std::min(p, q)), hi = static_cast<uint32_t>(std::max(p, q));
  return (static_cast<uint64_t>(hi) << 32) | lo;
}

}  // namespace

bool TPseudoSectionContour::SetWideLanes(bool on)
{
#if defined(__GNUC__) && defined(__x86_64__)
  __builtin_cpu_init();
  WideLanes = on && __builtin_cpu_supports("avx") != 0;
  return WideLanes;
#else
  (void)on;
  return false;
#endif
}

TPseudoSectionContour::TPseudoSectionContour(int32_t pictureWidth, int32_t pictureHeight)
    : PictureWidth(std::max(pictureWidth, 1)), PictureHeight(std::max(pictureHeight, 1)),
      sectionPicture_(std::make_unique<TMetafile>())
{
  NodeTable.resize(MinNodeEntries);
  TriangleTable.resize(MinTriangleEntries);
  LabelFont = std::make_unique<TFont>();
  LabelFont->SetName("Small fonts");
  LabelFont->SetSize(7);
  sectionPicture_->SetSize(PictureWidth, PictureHeight);
}

TPseudoSectionContour::~TPseudoSectionContour() = default;

void TPseudoSectionContour::EnsureNodeCapacity(size_t entries)
{
  if (NodeTable.size() < entries) NodeTable.resize(entries);
}

void TPseudoSectionContour::EnsureTriangleCapacity(size_t entries)
{
  if (TriangleTable.size() < entries) TriangleTable.resize(entries);
}

void TPseudoSectionContour::AddNode(uint8_t flag, double x, double y, double value)
{
  if (NextNode < 1) NextNode = 1;
  if (NextNode == MaxNodes && OnMessage) OnMessage("The number of nodes is exceed maximal value");
  if (NextNode > MaxNodes) return;
  EnsureNodeCapacity(static_cast<size_t>(NextNode) + 4);
  dVertex3d& n = NodeTable[NextNode];
  n.x = x;
  n.y = y;
  n.value = value;
  n.flag = flag;
  n.inputX = x;
  n.inputY = y;
  n.inputValue = value;
  ++NextNode;
}

void TPseudoSectionContour::BuildSection(bool retriangulate)
{
  if (GridMode) {
    SetGridData(GridX, GridDepths, GridRelief, GridValues, retriangulate);
    return;
  }
  if (NextNode - 1 < 3) return;
  int32_t count = Triangulate(NextNode - 1, retriangulate);
  if (retriangulate) {
    TriangleCount = count;
    if (linkedCount_ != count) BuildAdjacency(count);
  }
}

// Level range from the user limits or the data extremes; an empty range is widened around it.
void TPseudoSectionContour::ChooseLevelRange()
{
  if ((UserMin <= 0 && LogData) || UserMax <= UserMin || UserMin == NoValueMark || !UserLimits) {
    RangeMax = DataMax;
    RangeMin = DataMin;
    UserMax = DataMax;
    UserMin = DataMin;
  } else {
    RangeMax = UserMax;
    RangeMin = UserMin;
  }
  if (RangeMin == RangeMax) {
    RangeMin = RangeMin / 100.0;
    RangeMax = RangeMax * 100.0;
    // Negative values would come out inverted.
    if (RangeMin > RangeMax) std::swap(RangeMin, RangeMax);
  }
}

bool TPseudoSectionContour::InCircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3,
                                     double y3)
{
  return CircleTest::Make(x1, y1, x2, y2, x3, y3).Inside(xp, yp);
}

int32_t TPseudoSectionContour::Triangulate(int32_t n, bool retriangulate)
{
  linkedCount_ = -1;
  n = std::min(n, NextNode - 1);
  if (n < 1) return 0;
  DataMax = -std::numeric_limits<double>::max();
  DataMin = std::numeric_limits<double>::max();
  // Node positions (y mapped onto the x range below, where the circle test runs) and flags, read
  // from the node table once.
  struct Pt {
    double x, y;
  };
  std::vector<Pt> pt(static_cast<size_t>(n) + 4);
  std::vector<uint8_t> flags(static_cast<size_t>(n) + 4);
  double xmin = NodeTable[1].x, xmax = xmin, ymin = NodeTable[1].y, ymax = ymin;
  for (int32_t i = 1; i <= n; ++i) {
    const dVertex3d& v = NodeTable[i];
    DataMax = std::max(DataMax, v.value);
    DataMin = std::min(DataMin, v.value);
    xmin = std::min(xmin, v.x);
    xmax = std::max(xmax, v.x);
    ymin = std::min(ymin, v.y);
    ymax = std::max(ymax, v.y);
    pt[i] = {v.x, v.y};
    flags[i] = v.flag;
  }
  ChooseLevelRange();
  if (!retriangulate) return TriangleCount;

  SetPlotRange(xmin, xmax, ymin, ymax);
  // Nodes on one line in x or y span nothing.
  if (!(PlotXSpan > 0.0) || !(PlotYSpan > 0.0) || !std::isfinite(XScale) || !std::isfinite(YScale)) return 0;

  EnsureNodeCapacity(static_cast<size_t>(n) + 4);
  double xmid = (xmax + xmin) / 2.0, ymid = (ymax + ymin) / 2.0, dx = PlotXSpan, dy = PlotYSpan;
  auto setSuper = [&](int32_t k, double x, double y) {
    dVertex3d& v = NodeTable[k];
    v.x = x;
    v.y = y;
    v.value = 0.0;
    v.flag = 0;
    pt[k] = {x, y};
  };
  setSuper(n + 1, xmid - 2 * dx, ymid - 2 * dy);
  setSuper(n + 2, xmid, ymid + 2 * dy);
  setSuper(n + 3, xmid + 2 * dx, ymid - 2 * dy);

  for (int32_t k = 1; k <= n + 3; ++k) pt[k].y = (xmax - xmin) * (pt[k].y - ymin) / (ymax - ymin) + xmin;

  // Working triangles by slot (slot 0 unused), as the plain algorithm keeps them: a removed
  // triangle's slot takes the last one. Each triangle also has an id under which its vertices,
  // neighbours and circle test are kept.
  //
  // The triangles whose circle holds a new node are found by a walk to the triangle holding the
  // node and a flood over neighbours. While every circle test so far has agreed with the exact
  // one, the triangles form the exact Delaunay triangulation of the nodes inserted (with the
  // super-triangle); in it the triangles whose exact power at the node is below any bound are
  // connected, so a flood over all whose power may be below the largest error of a circle test
  // finds every triangle the test passes. Once that cannot be shown (a test too close to call, a
  // circle without an error bound, a triangle left out between flagged nodes), the triangles go
  // into a grid of circle boxes that finds them by position from then on.
  // One cache line per triangle. The circle test's kind goes into r2: -1 below a y bound (yc),
  // -2 left of an x bound (xc).
  struct alignas(64) Rec {
    double xc, yc, r2;
    double errNear;  // bound on the error of the test value within twice the radius
    int32_t v[3];
    int32_t nb[3];  // across edge k (v[k], v[k+1]): 4 id + the edge there; -1: none
    int32_t slot;   // -1 once removed
    uint32_t tag;   // 2i: the flood for node i reached it; 2i + 1: its circle holds node i
    CircleTest Circle() const
    {
      CircleTest c;
      c.kind = r2 == -1.0 ? CircleTest::BelowY : r2 == -2.0 ? CircleTest::LeftOfX : CircleTest::Circle;
      c.xc = xc, c.yc = yc, c.r2 = r2;
      return c;
    }
  };

  const Rec unused{0.0, 0.0, 0.0, 0.0, {0, 0, 0}, {-1, -1, -1}, -1, 0};  // a record not in use
  std::vector<int32_t> slotId;  // id of the triangle in each slot
  std::vector<Rec> recs;
  WorkList<int32_t> freeIds;  // ids of removed triangles, taken again while there is no grid
  const size_t reserve = 2 * static_cast<size_t>(n) + 8;
  slotId.reserve(reserve);
  recs.reserve(reserve + 16);
  slotId.push_back(-1);

  const double orientSign = (pt[n + 2].x - pt[n + 1].x) * (pt[n + 3].y - pt[n + 1].y) -
                                        (pt[n + 2].y - pt[n + 1].y) * (pt[n + 3].x - pt[n + 1].x) >
                                    0.0
                                ? 1.0
                                : -1.0;

  bool exact = true;        // the flood may be used
  bool leaveExact = false;  // the flood ends after this insertion
  double powerBound = 0.0;  // largest error bound of a circle test passing a point (within twice its radius)
  std::unique_ptr<CircleGrid> grid;
  auto addTri = [&](int32_t a, int32_t b, int32_t c, const NewCircle& nc) {
    int32_t id;
    if (!grid) {
      // Fresh ids come eight at a time, so that taking one seldom branches.
      if (freeIds.empty()) [[unlikely]]
        for (int32_t k = 0; k < 8; ++k) {
          freeIds.push_back(static_cast<int32_t>(recs.size()));
          recs.push_back(unused);
        }
      id = freeIds.back();
      freeIds.pop_back();
    } else {
      id = static_cast<int32_t>(recs.size());
      recs.push_back(unused);
    }
    Rec& r = recs[id];
    r.xc = nc.xc, r.yc = nc.yc, r.r2 = nc.r2;
    r.errNear = nc.errNear;
    r.v[0] = a, r.v[1] = b, r.v[2] = c;
    r.nb[0] = r.nb[1] = r.nb[2] = -1;
    r.slot = static_cast<int32_t>(slotId.size());
    r.tag = 0;
    slotId.push_back(id);
    if (grid) {
      grid->Insert(id, r.Circle());
      return id;
    }
    if (nc.errNear < 0.0)
      leaveExact = true;
    else
      powerBound = std::max(powerBound, nc.errNear);
    return id;
  };
  int32_t lastNew = addTri(n + 1, n + 2, n + 3,
                           NewCircle::One(pt[n + 1].x, pt[n + 1].y, pt[n + 2].x, pt[n + 2].y, pt[n + 3].x, pt[n + 3].y));

  // Where to start the walk: a triangle at a node inserted earlier in the node's cell, on the
  // finest level of a pyramid of cells that has one. Every node keeps a triangle it is a corner of.
  int32_t hintDepth = 0;
  while (hintDepth < 10 && (1 << (2 * hintDepth)) < n / 2) ++hintDepth;
  const double hintScale = (1 << hintDepth) / (xmax - xmin);
  std::vector<int32_t> hints((static_cast<size_t>(4) << (2 * hintDepth)) / 3 + 1, 0);  // node, 0 = none
  std::vector<size_t> hintBase(static_cast<size_t>(hintDepth) + 1);
  for (int32_t l = 1; l <= hintDepth; ++l) hintBase[l] = hintBase[l - 1] + (static_cast<size_t>(1) << (2 * (l - 1)));
  auto hintCell = [&](double v) {
    const double k = (v - xmin) * hintScale;
    return k > 0.0 ? std::min(static_cast<uint32_t>(k), (1u << hintDepth) - 1) : 0u;
  };
  std::vector<int32_t> cornerOf(static_cast<size_t>(n) + 4, -1);
  // Of the node's rim edges, the one that starts and the one that ends at a node.
  std::vector<int32_t> startsAt(static_cast<size_t>(n) + 4, -1), endsAt(static_cast<size_t>(n) + 4, -1);

  struct Edge {
    int32_t p, q;
    bool present;
  };
  // An edge of the hole a node leaves: the new triangle (p, q, node) goes over it. While the flood
  // is used, outer is the triangle across it times 4 plus its edge, and from the removed triangle
  // times 4 plus its edge.
  struct RimEdge {
    int32_t p, q, outer, from;
  };
  WorkList<Edge> edges;
  WorkList<RimEdge> rim;
  WorkList<double> columns;  // CircleColumns
  WorkList<int32_t> removed;
  WorkList<uint64_t> pending;  // slot << 32 | id of the triangles whose circle holds the node, ascending
  WorkList<int32_t> queue;  // the flood's queue
  std::unordered_map<uint64_t, std::vector<size_t>> byKey;

  // Puts the triangles whose circle holds node i into pending, tagged; false (before any) when the
  // walk or its end cannot be trusted.
  auto flood = [&](int32_t i, uint32_t hx, uint32_t hy) {
    const double xp = pt[i].x, yp = pt[i].y;
    const uint32_t stamp = static_cast<uint32_t>(i);
    int32_t t = lastNew;
    for (int32_t l = hintDepth; l >= 0; --l) {
      const int32_t node = hints[hintBase[l] + ((static_cast<size_t>(hy >> (hintDepth - l)) << l) | (hx >> (hintDepth - l)))];
      if (node != 0) {
        const int32_t h = cornerOf[node];
        if (h >= 0 && recs[h].slot >= 0) t = h;
        break;
      }
    }
    // The walk stops at the first triangle whose circle clearly holds the node: it lies in the
    // exact triangulation's hole, which is connected and holds the triangle under the node. The
    // test is the one of CircleTest::Inside (inside); the flood goes on where the exact power may
    // lie below the bound (pass). With the centre's error within a hundredth of the radius
    // (CircleBound), the error is below a twentieth of the test value beyond twice the radius.
    const Pt* P = pt.data();
    Rec* R = recs.data();
    const size_t maxSteps = 4 * slotId.size() + 16;
    auto clearlyIn = [&](const Rec& r) {
      const double ddx = xp - r.xc, ddy = yp - r.yc;
      const double d2 = ddx * ddx + ddy * ddy, q = d2 - r.r2;
      return (d2 <= r.r2) & (q <= powerBound + r.errNear) & (std::fabs(q) > r.errNear);
    };
    // The neighbours of each triangle passed are tested together (their records are read at once):
    // the walk ends at the first of them whose circle clearly holds the node. The triangle stepped
    // into was one of them.
    for (size_t step = 0, k0 = 0, done = clearlyIn(R[t]); !done; ++step, k0 = k0 == 2 ? 0 : k0 + 1) {
      if (step > maxSteps) return false;
      const Rec& r = R[t];
      const int32_t n0 = r.nb[0] >> 2, n1 = r.nb[1] >> 2, n2 = r.nb[2] >> 2;
      const bool in0 = (n0 >= 0) & clearlyIn(R[n0 < 0 ? 0 : n0]);
      const bool in1 = (n1 >= 0) & clearlyIn(R[n1 < 0 ? 0 : n1]);
      const bool in2 = (n2 >= 0) & clearlyIn(R[n2 < 0 ? 0 : n2]);
      if (in0 | in1 | in2) {
        t = in0 ? n0 : in1 ? n1 : n2;
        break;
      }
      // The edges the node lies beyond; the first of them from edge k0 on is crossed. Under the
      // node the circle test must have held.
      static constexpr int8_t firstBeyond[3][8] = {
          {-1, 0, 1, 0, 2, 0, 1, 0}, {-1, 0, 1, 1, 2, 2, 1, 1}, {-1, 0, 1, 0, 2, 2, 2, 2}};
      const Pt a = P[r.v[0]], b = P[r.v[1]], c = P[r.v[2]];
      const double o0 = (b.x - a.x) * (yp - a.y) - (b.y - a.y) * (xp - a.x);
      const double o1 = (c.x - b.x) * (yp - b.y) - (c.y - b.y) * (xp - b.x);
      const double o2 = (a.x - c.x) * (yp - c.y) - (a.y - c.y) * (xp - c.x);
      const uint32_t beyond = static_cast<uint32_t>(o0 * orientSign < 0.0) |
                              static_cast<uint32_t>(o1 * orientSign < 0.0) << 1 |
                              static_cast<uint32_t>(o2 * orientSign < 0.0) << 2;
      if (beyond == 0) return false;
      const int32_t next = r.nb[firstBeyond[k0][beyond]] >> 2;
      if (next < 0) return false;
      t = next;
    }
    // The flood tests the neighbours of each triangle it passes, but the one it came from, without
    // branches on the outcomes (a missing neighbour reads triangle 0 and counts for nothing); the
    // order found is of no account, as pending is sorted. The queue keeps 4 id + the edge back; taken
    // in the order put, a triangle is read while the tests of later ones still run.
    const uint32_t visit = 2 * stamp;
    const size_t live = slotId.size();
    int32_t* S = queue.Room(live + 4);
    uint64_t* found = pending.Room(live + 4);
    size_t sp = 0, np = 1;
    found[0] = static_cast<uint64_t>(R[t].slot) << 32 | static_cast<uint32_t>(t);
    R[t].tag = visit + 1;
    bool anyClose = false;
    auto reach = [&](int32_t link) {
      const int32_t nb = link >> 2;
      Rec& o = R[nb < 0 ? 0 : nb];
      const bool fresh = (nb >= 0) & (o.tag < visit);
      const double ddx = xp - o.xc, ddy = yp - o.yc;
      const double d2 = ddx * ddx + ddy * ddy, q = d2 - o.r2;
      const bool far = d2 > 4 * o.r2;
      const bool pass = fresh & ((far & (0.5 * q <= powerBound)) | (!far & (q <= powerBound + o.errNear)));
      anyClose |= pass & !far & (std::fabs(q) <= o.errNear);
      const bool in = pass & (d2 <= o.r2);
      found[np] = static_cast<uint64_t>(o.slot) << 32 | static_cast<uint32_t>(nb);
      np += in;
      S[sp] = link;
      sp += pass;
      o.tag = fresh ? visit + in : o.tag;
    };
    {
      const int32_t nbs[3] = {R[t].nb[0], R[t].nb[1], R[t].nb[2]};
      for (int32_t link : nbs) reach(link);
    }
    for (size_t head = 0; head < sp;) {
      const int32_t top = S[head++], id = top >> 2, back = top & 3;
      const int32_t e1 = back == 2 ? 0 : back + 1, e2 = e1 == 2 ? 0 : e1 + 1;
      const int32_t nb1 = R[id].nb[e1], nb2 = R[id].nb[e2];
      reach(nb1);
      reach(nb2);
    }
    pending.Resize(np);
    if (anyClose) leaveExact = true;
    return true;
  };

  for (int32_t i = 1; i <= n; ++i) {
    const double xp = pt[i].x, yp = pt[i].y;
    const uint32_t stamp = static_cast<uint32_t>(i);
    const uint32_t holds = 2 * stamp + 1;
    pending.clear();
    auto found = [&](int32_t id) {
      recs[id].tag = holds;
      pending.push_back(static_cast<uint64_t>(recs[id].slot) << 32 | static_cast<uint32_t>(id));
    };
    const uint32_t hx = hintCell(xp), hy = hintCell(yp);
    if (exact && (leaveExact || !flood(i, hx, hy))) {
      // From here on by the grid.
      exact = false;
      pending.clear();
      grid = std::make_unique<CircleGrid>(xmin, xmax, n);
      for (size_t id = 0; id < recs.size(); ++id)
        if (recs[id].slot >= 0) grid->Insert(static_cast<int32_t>(id), recs[id].Circle());
    }
    if (!exact)
      grid->Visit(xp, yp, found, [&](int32_t id) {
        if (recs[id].Circle().Inside(xp, yp)) found(id);
      });
    if (pending.size() <= 4) {
      // Sorting networks, free of branches.
      uint64_t v[4];
      for (size_t k = 0; k < 4; ++k) v[k] = k < pending.size() ? pending[k] : ~uint64_t{0};
      static constexpr uint8_t pairs[5][2] = {{0, 1}, {2, 3}, {0, 2}, {1, 3}, {1, 2}};
      for (const auto& pr : pairs) {
        const uint64_t lo = std::min(v[pr[0]], v[pr[1]]), hi = std::max(v[pr[0]], v[pr[1]]);
        v[pr[0]] = lo, v[pr[1]] = hi;
      }
      for (size_t k = 0; k < pending.size(); ++k) pending[k] = v[k];
    } else if (pending.size() <= 8) {
      uint64_t v[8];
      for (size_t k = 0; k < 8; ++k) v[k] = k < pending.size() ? pending[k] : ~uint64_t{0};
      static constexpr uint8_t pairs[19][2] = {{0, 2}, {1, 3}, {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6},
                                               {3, 7}, {0, 1}, {2, 3}, {4, 5}, {6, 7}, {2, 4}, {3, 5},
                                               {1, 4}, {3, 6}, {1, 2}, {3, 4}, {5, 6}};
      for (const auto& pr : pairs) {
        const uint64_t lo = std::min(v[pr[0]], v[pr[1]]), hi = std::max(v[pr[0]], v[pr[1]]);
        v[pr[0]] = lo, v[pr[1]] = hi;
      }
      for (size_t k = 0; k < pending.size(); ++k) pending[k] = v[k];
    } else {
      std::sort(pending.begin(), pending.end());
    }
    // The removals in the order of the plain scan over the slots: at a removed slot the last
    // triangle moves in and is tested next. Each removed triangle gives its three edges in turn.
    // In the exact triangulation every edge lies once in each direction: an edge drops when the
    // triangle across it goes too; by the grid, each edge drops together with the first later
    // reversed copy still present.
    rim.clear();
    edges.clear();
    removed.clear();
    size_t count = slotId.size() - 1;
    size_t front = 0;
    while (front < pending.size()) {
      const size_t j = static_cast<size_t>(pending[front] >> 32);
      int32_t gone = static_cast<int32_t>(pending[front++] & 0xFFFFFFFFu);
      for (;;) {
        Rec& g = recs[gone];
        if (exact) {
          rim.Reserve(3);
          for (int32_t k = 0; k < 3; ++k) {
            const int32_t outer = g.nb[k];
            *rim.end() = {g.v[k], g.v[k == 2 ? 0 : k + 1], outer, 4 * gone + k};
            rim.Extend(outer < 0 || recs[outer < 0 ? 0 : outer >> 2].tag != holds);
          }
          removed.push_back(gone);
        } else {
          edges.push_back({g.v[0], g.v[1], true});
          edges.push_back({g.v[1], g.v[2], true});
          edges.push_back({g.v[2], g.v[0], true});
          grid->Remove(gone);
        }
        g.slot = -1;
        const int32_t moved = slotId[count];
        slotId[j] = moved;
        slotId.pop_back();
        if (count == j) {
          --count;
          break;
        }
        recs[moved].slot = static_cast<int32_t>(j);
        --count;
        // The last slot is the largest one pending when its triangle was found too (the pending
        // ones are the triangles found and not yet removed).
        if (front == pending.size() || static_cast<int32_t>(pending.back() & 0xFFFFFFFFu) != moved) break;
        pending.pop_back();
        gone = moved;
      }
    }
    if (!exact) {
      if (edges.size() <= 48) {
        for (size_t a = 0; a < edges.size(); ++a) {
          if (!edges[a].present) continue;
          for (size_t b = a + 1; b < edges.size(); ++b) {
            if (edges[b].present && edges[a].p == edges[b].q && edges[a].q == edges[b].p) {
              edges[a].present = edges[b].present = false;
              break;
            }
          }
        }
      } else {
        byKey.clear();
        for (size_t a = 0; a < edges.size(); ++a)
          byKey[(static_cast<uint64_t>(static_cast<uint32_t>(edges[a].p)) << 32) | static_cast<uint32_t>(edges[a].q)]
              .push_back(a);
        std::unordered_map<uint64_t, size_t> cursor;
        for (size_t a = 0; a < edges.size(); ++a) {
          if (!edges[a].present) continue;
          uint64_t rev = (static_cast<uint64_t>(static_cast<uint32_t>(edges[a].q)) << 32) |
                         static_cast<uint32_t>(edges[a].p);
          auto it = byKey.find(rev);
          if (it == byKey.end()) continue;
          size_t& c = cursor[rev];
          const std::vector<size_t>& list = it->second;
          while (c < list.size() && (list[c] <= a || !edges[list[c]].present)) ++c;
          if (c < list.size()) {
            edges[a].present = edges[list[c]].present = false;
            ++c;
          }
        }
      }
      for (const Edge& e : edges)
        if (e.present) rim.push_back({e.p, e.q, -1, 0});
    }

    // The circles of the new triangles (p, q, i), four at a time.
    const size_t m = rim.size();
    const size_t mp = (m + 3) & ~static_cast<size_t>(3);
    double* cb = columns.Room(8 * mp);
    const CircleColumns cc{cb, cb + mp, cb + 2 * mp, cb + 3 * mp, cb + 4 * mp, cb + 5 * mp, cb + 6 * mp, cb + 7 * mp};
    for (size_t r = 0; r < mp; ++r) {
      const size_t at = std::min(r, m - 1);
      const RimEdge& e = rim[at];
      cc.x1[r] = pt[e.p].x, cc.y1[r] = pt[e.p].y;
      cc.x2[r] = pt[e.q].x, cc.y2[r] = pt[e.q].y;
      startsAt[e.p] = static_cast<int32_t>(at);
      endsAt[e.q] = static_cast<int32_t>(at);
    }
    MakeCircles(cc, xp, yp, m);
    const bool flaggedI = flags[i] != 0;
    if (!exact) {
      for (size_t r = 0; r < m; ++r) {
        const RimEdge& e = rim[r];
        if (flaggedI && flags[e.p] != 0 && flags[e.q] != 0) continue;  // a hole
        addTri(e.p, e.q, i, {cc.xc[r], cc.yc[r], cc.r2[r], cc.errNear[r]});
      }
      continue;
    }
    // Fresh ids first, so that the records stay in place below.
    if (freeIds.size() < m)
      for (size_t k = 0; k < m + 8; ++k) {
        freeIds.push_back(static_cast<int32_t>(recs.size()));
        recs.push_back(unused);
      }
    Rec* R = recs.data();
    // The ids of the new triangles, by rim edge (that of an edge left out for a hole stays unused).
    freeIds.Resize(freeIds.size() - m);
    const int32_t* made = freeIds.end();
    // The new triangles (p, q, i) border each other along (q, i) and (i, p): each node of the rim
    // starts one edge and ends one.
    bool bad = m < 3;  // two would border each other twice
    for (size_t r = 0; r < m; ++r) {
      const RimEdge& e = rim[r];
      if (flaggedI && flags[e.p] != 0 && flags[e.q] != 0) {
        bad = true;  // a hole
        continue;
      }
      const int32_t id = made[r];
      Rec& t = R[id];
      t.xc = cc.xc[r], t.yc = cc.yc[r], t.r2 = cc.r2[r], t.errNear = cc.errNear[r];
      t.v[0] = e.p, t.v[1] = e.q, t.v[2] = i;
      // The neighbour outside the removed triangles now borders the new one; entries left by
      // earlier nodes, or overwritten by a second edge from one node, fail the checks.
      const size_t next = static_cast<size_t>(startsAt[e.q]), prev = static_cast<size_t>(endsAt[e.p]);
      bad |= (static_cast<size_t>(startsAt[e.p]) != r) | (static_cast<size_t>(endsAt[e.q]) != r) | (next >= m) |
             (prev >= m);
      const size_t nx = next < m ? next : 0, pv = prev < m ? prev : 0;
      bad |= (rim[nx].p != e.q) | (rim[pv].q != e.p);
      t.nb[0] = e.outer, t.nb[1] = 4 * made[nx] + 2, t.nb[2] = 4 * made[pv] + 1;
      t.slot = static_cast<int32_t>(slotId.size());
      t.tag = 0;
      slotId.push_back(id);
      bad |= cc.errNear[r] < 0.0;
      powerBound = std::max(powerBound, cc.errNear[r]);
      if (e.outer >= 0) {
        int32_t& back = R[e.outer >> 2].nb[e.outer & 3];
        bad |= back != e.from;
        back = 4 * id;
      }
      cornerOf[e.p] = id;
    }
    const int32_t first = made[0];
    // The removed ids are taken again only from the next node on, after their links are read.
    for (int32_t id : removed) freeIds.push_back(id);
    if (bad) {
      leaveExact = true;
      continue;
    }
    lastNew = first;
    cornerOf[i] = lastNew;
    for (int32_t l = hintDepth; l >= 0; --l) {
      int32_t& h = hints[hintBase[l] + ((static_cast<size_t>(hy >> (hintDepth - l)) << l) | (hx >> (hintDepth - l)))];
      if (h != 0) break;  // so are the coarser cells
      h = i;
    }
  }
  // Drop the triangles of the super-triangle nodes, in the order of the slots; which slots hold
  // one is read from the records in order.
  std::vector<uint8_t> withSuper(slotId.size());
  for (const Rec& r : recs)
    if (r.slot > 0) withSuper[r.slot] = (r.v[0] > n) | (r.v[1] > n) | (r.v[2] > n);
  size_t count = slotId.size() - 1;
  for (size_t j = 1; j <= count;) {
    if (withSuper[j]) {
      withSuper[j] = withSuper[count];
      slotId[j] = slotId[count];
      slotId.pop_back();
      --count;
    } else {
      ++j;
    }
  }
  // The final number of each record (0: none), and the table filled from the records in order.
  std::vector<int32_t> finalSlot(recs.size(), 0);
  for (size_t j = 1; j <= count; ++j) finalSlot[slotId[j]] = static_cast<int32_t>(j);
  EnsureTriangleCapacity(count + 1);
  // The exact triangulation knows its neighbours: each edge lies in at most two triangles, which
  // is where the edge map would link them.
  const bool linked = exact && !leaveExact;
  for (size_t id = 0; id < recs.size(); ++id) {
    const int32_t j = finalSlot[id];
    if (j == 0) continue;
    const Rec& r = recs[id];
    dTriangle& t = TriangleTable[j];
    // Every field written once (unlinked: as a fresh triangle, for the edge map to fill in).
    for (int e = 0; e < 3; ++e) {
      const int32_t nb = r.nb[e];
      const int32_t k = linked && nb >= 0 ? finalSlot[nb >> 2] : 0;
      t.vertices[e] = r.v[e];
      t.neighbours[e] = k;
      t.shared[e] = k > 0 ? static_cast<uint8_t>(nb & 3) : uint8_t{255};
      t.border[e] = linked && k == 0 ? 1 : 0;
      t.visited[e] = 0;
    }
  }
  if (linked) linkedCount_ = static_cast<int32_t>(count);
  return static_cast<int32_t>(count);
}

void TPseudoSectionContour::SetBorderFlags(int32_t count)
{
  for (int32_t i = 1; i <= count; ++i)
    for (int e = 0; e < 3; ++e) TriangleTable[i].border[e] = TriangleTable[i].neighbours[e] == 0 ? 1 : 0;
}

namespace {

// Sorts edge occurrences by key, keeping the order of equal keys: by radix when both node numbers
// of every key fit in 15 bits, else by comparison.
template <class Occ>
void SortByKeyStable(std::vector<Occ>& occ)
{
  uint64_t most = 0;
  for (const Occ& o : occ) most |= o.key;
  if ((most >> 47) != 0 || (most & 0xFFFF8000u) != 0 || occ.size() < 64) {
    std::stable_sort(occ.begin(), occ.end(), [](const Occ& a, const Occ& b) { return a.key < b.key; });
    return;
  }
  // The 30-bit key (high node << 15 | low node), three passes of ten bits.
  auto packed = [](const Occ& o) { return static_cast<uint32_t>(((o.key >> 32) << 15) | (o.key & 0x7FFF)); };
  std::vector<Occ> buffer(occ.size());
  std::vector<uint32_t> counts(1024);
  for (int shift = 0; shift < 30; shift += 10) {
    std::fill(counts.begin(), counts.end(), 0u);
    for (const Occ& o : occ) ++counts[(packed(o) >> shift) & 1023];
    uint32_t sum = 0;
    for (uint32_t& c : counts) {
      const uint32_t n = c;
      c = sum;
      sum += n;
    }
    for (const Occ& o : occ) buffer[counts[(packed(o) >> shift) & 1023]++] = o;
    occ.swap(buffer);
  }
}

}  // namespace

// Neighbours through a map of edges. Where more than two triangles share an edge the result is the
// one of linking every pair in order (i < j), later pairs overwriting: every triangle but the last
// links to the last, the last to the one before it.
void TPseudoSectionContour::BuildAdjacency(int32_t count)
{
  count = std::min<int32_t>(count, static_cast<int32_t>(TriangleTable.size()) - 1);
  if (count < 1) return;
  struct Occ {
    uint64_t key;
    int32_t tri;
    int32_t edge;
  };
  std::vector<Occ> occ;
  occ.reserve(3 * static_cast<size_t>(count));
  for (int32_t i = 1; i <= count; ++i) {
    dTriangle& t = TriangleTable[i];
    for (int e = 0; e < 3; ++e) {
      t.neighbours[e] = 0;
      t.shared[e] = 255;
      occ.push_back({EdgeKey(t.vertices[e], t.vertices[(e + 1) % 3]), i, e});
    }
  }
  SortByKeyStable(occ);
  std::vector<size_t> idx;
  size_t s = 0;
  while (s < occ.size()) {
    size_t e = s + 1;
    while (e < occ.size() && occ[e].key == occ[s].key) ++e;
    // Occurrences s..e-1 are in triangle order (edges of one triangle never share a key unless
    // the triangle repeats a node; such a triangle links no edge to itself).
    if (e - s >= 2) {
      // Collapse same-triangle duplicates: the brute-force rule pairs only different triangles,
      // and of one triangle the first matching edge in the rule's order.
      idx.clear();
      for (size_t k = s; k < e; ++k)
        if (idx.empty() || occ[idx.back()].tri != occ[k].tri) idx.push_back(k);
      if (idx.size() >= 2) {
        const Occ& last = occ[idx.back()];
        const Occ& prev = occ[idx[idx.size() - 2]];
        for (size_t m = 0; m + 1 < idx.size(); ++m) {
          const Occ& o = occ[idx[m]];
          TriangleTable[o.tri].neighbours[o.edge] = last.tri;
          TriangleTable[o.tri].shared[o.edge] = static_cast<uint8_t>(last.edge);
        }
        TriangleTable[last.tri].neighbours[last.edge] = prev.tri;
        TriangleTable[last.tri].shared[last.edge] = static_cast<uint8_t>(prev.edge);
      }
    }
    s = e;
  }
  SetBorderFlags(count);
}

void TPseudoSectionContour::SetPlotRange(double xmin, double xmax, double ymin, double ymax)
{
  PlotXMax = xmax;
  PlotXMin = xmin;
  PlotXSpan = xmax - xmin;
  PlotYMin = ymin;
  PlotYMax = ymax;
  PlotYSpan = ymax - ymin;
  YScale = PlotYSpan != 0.0 ? PictureHeight / PlotYSpan : 0.0;
  XScale = PlotXSpan != 0.0 ? PictureWidth / PlotXSpan : 0.0;
}

void TPseudoSectionContour::ExtendPlotBottom(double y)
{
  if (std::isfinite(y) && y > PlotYMax) SetPlotRange(PlotXMin, PlotXMax, PlotYMin, y);
}

void TPseudoSectionContour::UpdatePlotTransform()
{
  if (NextNode - 1 < 2) return;
  double xmin = NodeTable[1].x, xmax = xmin, ymin = NodeTable[1].y, ymax = ymin;
  for (int32_t i = 2; i < NextNode; ++i) {
    xmin = std::min(xmin, NodeTable[i].x);
    xmax = std::max(xmax, NodeTable[i].x);
    ymin = std::min(ymin, NodeTable[i].y);
    ymax = std::max(ymax, NodeTable[i].y);
  }
  SetPlotRange(xmin, xmax, ymin, ymax);
}

void TPseudoSectionContour::SetGridInput(const fdata& geometry, const fdata& values)
{
  GridMode = true;
  LogData = values.LogScale != 0;
  GridX = geometry.X;
  GridDepths = geometry.Z;
  GridRelief = geometry.ReliefAtX;
  GridValues = values.Values;
  ReliefFactor = geometry.K;
}

void TPseudoSectionContour::SetGridData(const std::vector<double>& xIn, const std::vector<double>& depthsIn,
                                        const std::vector<double>& reliefIn,
                                        const std::vector<std::vector<double>>& values, bool retriangulate)
{
  std::vector<double> x = xIn, depths = depthsIn, relief = reliefIn;
  if (relief.size() != x.size()) relief.assign(x.size(), 0.0);
  const size_t limit = static_cast<size_t>(MaxGridNodes);
  const size_t total0 = x.size() * depths.size();
  // The frame is the whole line's, however the grid is thinned.
  const double relMax = MaxValueMode(relief, 0), relMin = MinValueMode(relief, 0);
  while (x.size() * depths.size() > limit && depths.size() > 2) depths.pop_back();
  // Column of the values for each position kept.
  std::vector<size_t> column(x.size());
  for (size_t i = 0; i < column.size(); ++i) column[i] = i;
  if (x.size() * depths.size() > limit && depths.size() == 2) {
    // Two depths over the line's whole length: the first and last positions and evenly spaced
    // ones between them.
    const size_t n = x.size(), m = limit / 2;
    column.resize(m);
    std::vector<double> keptX(m), keptRelief(m);
    for (size_t i = 0; i < m; ++i) {
      column[i] = (i * (n - 1) + (m - 1) / 2) / (m - 1);
      keptX[i] = x[column[i]];
      keptRelief[i] = relief[column[i]];
    }
    x = std::move(keptX);
    relief = std::move(keptRelief);
  }
  if (total0 > limit && OnMessage) OnMessage("Very large nodes number!");

  const size_t nx = x.size(), nd = depths.size();
  const size_t nodes = nx * nd;
  EnsureNodeCapacity(std::max(nodes + 1, MinNodeEntries));
  EnsureTriangleCapacity(std::max(2 * nodes + 1, MinTriangleEntries));

  const double k = ReliefFactor;
  // A thinned grid keeps the whole section's frame: the relief stretch and the picture's depth
  // extent come from the deepest depth given, so the contoured top lies at its own depths on the
  // section's panel.
  const double lastDepth = nd > 0 ? depthsIn.back() : 0.0;
  ThinnedGridBottom = nd < depthsIn.size() ? lastDepth + relMax : std::numeric_limits<double>::quiet_NaN();
  DataMax = -std::numeric_limits<double>::max();
  DataMin = std::numeric_limits<double>::max();
  for (size_t i = 0; i < nx; ++i) {
    // Without a last depth there is nothing to stretch.
    const double stretch = lastDepth != 0.0 ? 1.0 + k * (relMax - relief[i]) / lastDepth : 1.0;
    for (size_t j = 0; j < nd; ++j) {
      dVertex3d& v = NodeTable[i * nd + j + 1];
      v.x = v.inputX = x[i];
      v.y = v.inputY = std::min(relief[i] + depths[j] * stretch, relMax + depths[j]);
      const size_t c = column[i];
      v.value = (c < values.size() && j < values[c].size()) ? values[c][j] : 0.0;
      v.flag = 0;
      v.inputValue = v.value;
      DataMax = std::max(DataMax, v.value);
      DataMin = std::min(DataMin, v.value);
    }
  }
  NextNode = static_cast<int32_t>(nodes) + 1;
  if (nodes == 0) DataMax = DataMin = 0.0;
  ChooseLevelRange();
  if (!retriangulate) return;

  // Too few positions or depths, or no last depth to stretch by: nothing to triangulate.
  if (nx < 2 || nd < 2 || lastDepth == 0.0) {
    PlotXMin = PlotXMax = PlotYMin = PlotYMax = PlotXSpan = PlotYSpan = XScale = YScale = 0.0;
    if (nx > 0) PlotXMin = x[0], PlotXMax = x[nx - 1];
    TriangleCount = 0;
    return;
  }
  PlotXMin = x[0];
  PlotXMax = x[nx - 1];
  PlotYMin = depths[0] + relMin;
  PlotYMax = lastDepth + relMax;
  PlotXSpan = PlotXMax - PlotXMin;
  PlotYSpan = PlotYMax - PlotYMin;
  YScale = PlotYSpan != 0.0 ? PictureHeight / PlotYSpan : 0.0;
  XScale = PlotXSpan != 0.0 ? PictureWidth / PlotXSpan : 0.0;
  if (!(PlotXSpan > 0.0) || !(PlotYSpan > 0.0) || !std::isfinite(XScale) || !std::isfinite(YScale)) {
    TriangleCount = 0;
    return;
  }

  const int32_t ndi = static_cast<int32_t>(nd), nxi = static_cast<int32_t>(nx);
  auto N = [ndi](int32_t i, int32_t j) { return i * ndi + j + 1; };
  int32_t t = 1;
  for (int32_t i = 0; i + 1 < nxi; ++i) {
    for (int32_t j = 0; j + 1 < ndi; ++j, t += 2) {
      const int32_t a = N(i, j), b = N(i, j + 1), c = N(i + 1, j), d = N(i + 1, j + 1);
      dTriangle& t1 = TriangleTable[t];
      dTriangle& t2 = TriangleTable[t + 1];
      t1 = dTriangle{};
      t2 = dTriangle{};
      t1.vertices[0] = a, t1.vertices[1] = b, t1.vertices[2] = d;
      t1.neighbours[0] = i > 0 ? t - 2 * (ndi - 1) + 1 : 0;
      t1.neighbours[1] = j + 1 < ndi - 1 ? t + 3 : 0;
      t1.neighbours[2] = t + 1;
      const uint8_t s1[3] = {1, 2, 0};
      t2.vertices[0] = a, t2.vertices[1] = d, t2.vertices[2] = c;
      t2.neighbours[0] = t;
      t2.neighbours[1] = i + 1 < nxi - 1 ? t + 2 * (ndi - 1) : 0;
      t2.neighbours[2] = j > 0 ? t - 2 : 0;
      const uint8_t s2[3] = {2, 0, 1};
      for (int e = 0; e < 3; ++e) {
        t1.shared[e] = t1.neighbours[e] != 0 ? s1[e] : 255;
        t2.shared[e] = t2.neighbours[e] != 0 ? s2[e] : 255;
      }
    }
  }
  TriangleCount = 2 * (nxi - 1) * (ndi - 1);
  SetBorderFlags(TriangleCount);
}

// Section nodes, triangulation, adjacency, gridded input, level range and levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "app/PseudoSection2dContour.h"
#include "platform/Metafile.h"

namespace {

using Tri = std::array<int32_t, 3>;

struct RefNode {
  double x, y;
  uint8_t flag;
};

// The triangulation written the plain way: every triangle re-tested with InCircle for every node,
// doubled edges removed pair by pair.
std::vector<Tri> ReferenceTriangulate(std::vector<RefNode> nodes)
{
  const int n = static_cast<int>(nodes.size()) - 1;  // entry 0 unused
  double xmin = nodes[1].x, xmax = xmin, ymin = nodes[1].y, ymax = ymin;
  for (int i = 1; i <= n; ++i) {
    xmin = std::min(xmin, nodes[i].x), xmax = std::max(xmax, nodes[i].x);
    ymin = std::min(ymin, nodes[i].y), ymax = std::max(ymax, nodes[i].y);
  }
  const double xmid = (xmax + xmin) / 2, ymid = (ymax + ymin) / 2, dx = xmax - xmin, dy = ymax - ymin;
  nodes.push_back({xmid - 2 * dx, ymid - 2 * dy, 0});
  nodes.push_back({xmid, ymid + 2 * dy, 0});
  nodes.push_back({xmid + 2 * dx, ymid - 2 * dy, 0});
  auto my = [&](int k) { return (xmax - xmin) * (nodes[k].y - ymin) / (ymax - ymin) + xmin; };
  std::vector<Tri> t{{0, 0, 0}, {n + 1, n + 2, n + 3}};
  int count = 1;
  for (int i = 1; i <= n; ++i) {
    std::vector<std::array<int, 3>> edges;  // p, q, present
    for (int j = 1; j <= count;) {
      const Tri& tr = t[j];
      if (TPseudoSectionContour::InCircle(nodes[i].x, my(i), nodes[tr[0]].x, my(tr[0]), nodes[tr[1]].x, my(tr[1]),
                                          nodes[tr[2]].x, my(tr[2]))) {
        edges.push_back({tr[0], tr[1], 1});
        edges.push_back({tr[1], tr[2], 1});
        edges.push_back({tr[2], tr[0], 1});
        t[j] = t[count];
        --count;
        t.resize(count + 1);
      } else {
        ++j;
      }
    }
    for (size_t a = 0; a < edges.size(); ++a)
      for (size_t b = a + 1; b < edges.size(); ++b)
        if (edges[a][2] && edges[b][2] && edges[a][0] == edges[b][1] && edges[a][1] == edges[b][0])
          edges[a][2] = edges[b][2] = 0;
    for (const auto& e : edges) {
      if (!e[2]) continue;
      if (nodes[e[0]].flag && nodes[e[1]].flag && nodes[i].flag) continue;
      t.push_back({e[0], e[1], i});
      ++count;
    }
  }
  for (int j = 1; j <= count;) {
    if (t[j][0] > n || t[j][1] > n || t[j][2] > n) {
      t[j] = t[count];
      --count;
      t.resize(count + 1);
    } else {
      ++j;
    }
  }
  t.erase(t.begin());
  return t;
}

std::vector<Tri> Triangles(const TPseudoSectionContour& c)
{
  std::vector<Tri> out;
  for (int32_t i = 1; i <= c.TriangleCount; ++i) {
    const dTriangle& t = c.TriangleTable[i];
    out.push_back({t.vertices[0], t.vertices[1], t.vertices[2]});
  }
  return out;
}

// The neighbour rule written the plain way: every pair of triangles, edges in the stated order.
void ReferenceAdjacency(std::vector<dTriangle>& t, int count)
{
  for (int i = 1; i <= count; ++i)
    for (int e = 0; e < 3; ++e) t[i].neighbours[e] = 0, t[i].shared[e] = 255;
  static const int order[3][3] = {{1, 0, 2}, {0, 2, 1}, {1, 0, 2}};
  auto same = [&](int i, int ei, int j, int ej) {
    int p = t[i].vertices[ei], q = t[i].vertices[(ei + 1) % 3];
    int r = t[j].vertices[ej], s = t[j].vertices[(ej + 1) % 3];
    return (p == r && q == s) || (p == s && q == r);
  };
  for (int i = 1; i <= count; ++i)
    for (int j = i + 1; j <= count; ++j)
      for (int ei = 0; ei < 3; ++ei)
        for (int ej : order[ei])
          if (same(i, ei, j, ej)) {
            t[i].neighbours[ei] = j, t[i].shared[ei] = static_cast<uint8_t>(ej);
            t[j].neighbours[ej] = i, t[j].shared[ej] = static_cast<uint8_t>(ei);
            break;
          }
}

void ExpectSameAdjacency(const std::vector<dTriangle>& a, const std::vector<dTriangle>& b, int count)
{
  for (int i = 1; i <= count; ++i)
    for (int e = 0; e < 3; ++e) {
      ASSERT_EQ(a[i].neighbours[e], b[i].neighbours[e]) << "triangle " << i << " edge " << e;
      ASSERT_EQ(a[i].shared[e], b[i].shared[e]) << "triangle " << i << " edge " << e;
      ASSERT_EQ(a[i].border[e], a[i].neighbours[e] == 0 ? 1 : 0);
    }
}

void ExpectSymmetric(const TPseudoSectionContour& c)
{
  for (int32_t i = 1; i <= c.TriangleCount; ++i)
    for (int e = 0; e < 3; ++e) {
      const dTriangle& t = c.TriangleTable[i];
      if (t.neighbours[e] == 0) {
        EXPECT_EQ(t.shared[e], 255);
        EXPECT_EQ(t.border[e], 1);
        continue;
      }
      const dTriangle& n = c.TriangleTable[t.neighbours[e]];
      ASSERT_LT(t.shared[e], 3);
      EXPECT_EQ(n.neighbours[t.shared[e]], i) << "triangle " << i << " edge " << e;
      EXPECT_EQ(n.shared[t.shared[e]], e);
      EXPECT_EQ(t.border[e], 0);
      // The shared edge joins the same two nodes.
      int p = t.vertices[e], q = t.vertices[(e + 1) % 3];
      int r = n.vertices[t.shared[e]], s = n.vertices[(t.shared[e] + 1) % 3];
      EXPECT_TRUE((p == s && q == r) || (p == r && q == s));
    }
}

std::vector<RefNode> AddAll(TPseudoSectionContour& c, const std::vector<RefNode>& nodes)
{
  std::vector<RefNode> ref{{0, 0, 0}};
  for (const RefNode& n : nodes) {
    c.AddNode(n.flag, n.x, n.y, n.x + n.y);
    ref.push_back(n);
  }
  return ref;
}

}  // namespace

TEST(ContourTriangulation, SmallSets)
{
  TPseudoSectionContour c(500, 500);
  c.AddNode(0, 0, 0, 1);
  c.AddNode(0, 10, 0, 2);
  c.AddNode(0, 5, 8, 3);
  c.BuildSection(true);
  ASSERT_EQ(c.TriangleCount, 1);
  for (int e = 0; e < 3; ++e) {
    EXPECT_EQ(c.TriangleTable[1].neighbours[e], 0);
    EXPECT_EQ(c.TriangleTable[1].shared[e], 255);
    EXPECT_EQ(c.TriangleTable[1].border[e], 1);
  }

  // The corners of a square: two triangles sharing one edge.
  TPseudoSectionContour s(500, 500);
  s.AddNode(0, 0, 0, 1);
  s.AddNode(0, 10, 0, 2);
  s.AddNode(0, 10, 10, 3);
  s.AddNode(0, 0, 10, 4);
  s.BuildSection(true);
  ASSERT_EQ(s.TriangleCount, 2);
  int links = 0;
  for (int e = 0; e < 3; ++e)
    if (s.TriangleTable[1].neighbours[e] == 2) ++links;
  EXPECT_EQ(links, 1);
  ExpectSymmetric(s);
  EXPECT_EQ(Triangles(s), ReferenceTriangulate({{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}));

  // Fewer than three nodes: nothing is triangulated.
  TPseudoSectionContour two(500, 500);
  two.AddNode(0, 0, 0, 1);
  two.AddNode(0, 1, 1, 1);
  two.BuildSection(true);
  EXPECT_EQ(two.TriangleCount, 0);
}

TEST(ContourTriangulation, SameTrianglesAndNumberingAsThePlainAlgorithm)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> ux(0, 1000), uy(0, 60);
  std::vector<std::vector<RefNode>> sets;
  // Scattered nodes with a few flagged ones.
  std::vector<RefNode> scattered;
  for (int i = 0; i < 300; ++i) scattered.push_back({ux(rng), uy(rng), static_cast<uint8_t>(i % 7 == 0)});
  sets.push_back(scattered);
  // A regular grid: many nodes on common circles.
  std::vector<RefNode> grid;
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 9; ++j) grid.push_back({i * 10.0, j * 5.0, 0});
  sets.push_back(grid);
  // Coincident nodes and nodes on one line inside a cloud.
  std::vector<RefNode> coincident = {{0, 0, 0}, {50, 0, 0}, {50, 40, 0}, {0, 40, 0}, {25, 20, 0}, {25, 20, 0},
                                     {10, 10, 0}, {20, 10, 0}, {30, 10, 0}, {25, 20, 0}};
  sets.push_back(coincident);
  // Many nodes on one circle and then its centre: one insertion removes dozens of triangles.
  std::vector<RefNode> ring;
  for (int i = 0; i < 60; ++i)
    ring.push_back({100 + 50 * std::cos(i * 2 * M_PI / 60), 100 + 50 * std::sin(i * 2 * M_PI / 60), 0});
  ring.push_back({100, 100, 0});
  sets.push_back(ring);

  // Many scattered nodes, and nodes crowded into a few clusters with an offset far from zero.
  std::vector<RefNode> many;
  for (int i = 0; i < 2000; ++i) many.push_back({ux(rng), uy(rng), 0});
  sets.push_back(many);
  std::vector<RefNode> clusters;
  std::normal_distribution<double> spread(0, 3);
  for (int i = 0; i < 600; ++i)
    clusters.push_back({653000 + 200.0 * (i % 5) + spread(rng), 5547000 + 40.0 * (i % 3) + spread(rng), 0});
  sets.push_back(clusters);
  // All nodes on one slanted line, and a few positions repeated many times.
  std::vector<RefNode> line;
  for (int i = 0; i < 40; ++i) line.push_back({i * 2.5, i * 1.0, 0});
  sets.push_back(line);
  std::vector<RefNode> repeatedNodes;
  for (int i = 0; i < 120; ++i) repeatedNodes.push_back({10.0 * (i % 4), 7.0 * (i % 3), static_cast<uint8_t>(i % 11 == 0)});
  sets.push_back(repeatedNodes);
  const size_t repeated = sets.size() - 1;
  // A denser regular grid, a very flat one and one of tiny extent.
  std::vector<RefNode> dense, flat, tiny;
  for (int i = 0; i < 30; ++i)
    for (int j = 0; j < 20; ++j) {
      dense.push_back({i * 3.0, j * 2.0, 0});
      flat.push_back({i * 100.0, j * 0.01, 0});
      tiny.push_back({i * 1e-7, j * 1e-7, 0});
    }
  sets.push_back(dense);
  sets.push_back(flat);
  sets.push_back(tiny);

  for (size_t s = 0; s < sets.size(); ++s) {
    TPseudoSectionContour c(800, 600);
    std::vector<RefNode> ref = AddAll(c, sets[s]);
    c.BuildSection(true);
    EXPECT_EQ(Triangles(c), ReferenceTriangulate(ref)) << "set " << s;
    SCOPED_TRACE("set " + std::to_string(s));
    std::vector<dTriangle> refAdjacency(c.TriangleTable.begin(), c.TriangleTable.begin() + c.TriangleCount + 1);
    if (c.TriangleCount < 1500) {
      ReferenceAdjacency(refAdjacency, c.TriangleCount);
      ExpectSameAdjacency(c.TriangleTable, refAdjacency, c.TriangleCount);
    }
    // Where positions repeat, more than two triangles share an edge and links are one-sided.
    if (s != repeated) ExpectSymmetric(c);
  }
}

// Random sets of many kinds, small enough for the plain algorithm: spread, crowded, on a lattice
// (many nodes on common circles), with repeated positions, thin, far from zero, on a circle.
TEST(ContourTriangulation, RandomSetsAsThePlainAlgorithm)
{
  std::mt19937 rng(11);
  for (int s = 0; s < 70; ++s) {
    const int kind = s % 7;
    const int count = 3 + static_cast<int>(rng() % 260);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    std::vector<RefNode> nodes;
    for (int i = 0; i < count; ++i) {
      double x = u(rng) * 500, y = u(rng) * 300;
      switch (kind) {
      case 1: x = 250 + 5 * g(rng), y = 150 + 2 * g(rng); break;
      case 2: x = static_cast<double>(rng() % 12), y = static_cast<double>(rng() % 9); break;
      case 3:
        if (i > 0 && rng() % 3 == 0) x = nodes[rng() % nodes.size()].x, y = nodes[rng() % nodes.size()].y;
        break;
      case 4: y *= 1e-4; break;
      case 5: x += 4.5e6, y += 6.1e5; break;
      case 6: {
        const double a = u(rng) * 2 * M_PI;
        x = 100 * std::cos(a), y = 100 * std::sin(a);
        break;
      }
      default: break;
      }
      nodes.push_back({x, y, 0});
    }
    TPseudoSectionContour c(800, 600);
    std::vector<RefNode> ref = AddAll(c, nodes);
    c.BuildSection(true);
    EXPECT_EQ(Triangles(c), ReferenceTriangulate(ref)) << "set " << s << " kind " << kind << " nodes " << count;
    SCOPED_TRACE("set " + std::to_string(s));
    std::vector<dTriangle> refAdjacency(c.TriangleTable.begin(), c.TriangleTable.begin() + c.TriangleCount + 1);
    ReferenceAdjacency(refAdjacency, c.TriangleCount);
    ExpectSameAdjacency(c.TriangleTable, refAdjacency, c.TriangleCount);
  }
}

// Sets that stress the search for the circles holding a node: the benchmark's 4000 scattered nodes
// (the most a section takes), all nodes crowded into one small cell of a wide frame, nodes on a
// few level lines (circles of triangles with level edges are made one at a time), huge offsets,
// a spread near the tolerance of the circle test, and three nodes on a line. The circles of new
// triangles are made both four at a time in the wider registers and not.
TEST(ContourTriangulation, SearchEdgeCasesAsThePlainAlgorithm)
{
  std::vector<std::vector<RefNode>> sets;
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> ux(0, 1000), uy(0, 80), uv(1, 5000), u(0, 1);
  std::vector<RefNode> bench;
  for (int i = 0; i < 4000; ++i) {
    const double x = ux(rng), y = uy(rng);
    uv(rng);
    bench.push_back({x, y, 0});
  }
  sets.push_back(bench);
  std::vector<RefNode> crowded{{0, 0, 0}, {1000, 0, 0}, {1000, 1000, 0}, {0, 1000, 0}};
  for (int i = 0; i < 400; ++i) crowded.push_back({500 + 0.01 * u(rng), 500 + 0.01 * u(rng), 0});
  sets.push_back(crowded);
  std::vector<RefNode> levels;
  for (int i = 0; i < 300; ++i) levels.push_back({ux(rng), 10.0 * (rng() % 5), static_cast<uint8_t>(i % 13 == 0)});
  sets.push_back(levels);
  std::vector<RefNode> huge, nearTolerance;
  for (int i = 0; i < 300; ++i) huge.push_back({1e12 + 1e3 * u(rng), -3e11 + 1e3 * u(rng), 0});
  for (int i = 0; i < 80; ++i) nearTolerance.push_back({1e-8 * u(rng), 1e-8 * u(rng), 0});
  sets.push_back(huge);
  sets.push_back({{0, 0, 0}, {1, 2, 0}, {2, 4, 0}});
  // Here the circle tests overlap triangles; more than two may share an edge.
  sets.push_back(nearTolerance);
  const size_t overlapping = sets.size() - 1;

  for (size_t s = 0; s < sets.size(); ++s) {
    SCOPED_TRACE("set " + std::to_string(s));
    std::vector<RefNode> ref{{0, 0, 0}};
    ref.insert(ref.end(), sets[s].begin(), sets[s].end());
    const std::vector<Tri> expected = ReferenceTriangulate(ref);
    std::vector<dTriangle> first;
    for (bool wide : {true, false}) {
      SCOPED_TRACE(wide ? "wide" : "narrow");
      TPseudoSectionContour::SetWideLanes(wide);
      TPseudoSectionContour c(800, 600);
      AddAll(c, sets[s]);
      c.BuildSection(true);
      EXPECT_EQ(Triangles(c), expected);
      if (s != overlapping) ExpectSymmetric(c);
      if (c.TriangleCount < 1500) {
        std::vector<dTriangle> adjacency(c.TriangleTable.begin(), c.TriangleTable.begin() + c.TriangleCount + 1);
        ReferenceAdjacency(adjacency, c.TriangleCount);
        ExpectSameAdjacency(c.TriangleTable, adjacency, c.TriangleCount);
      }
      std::vector<dTriangle> table(c.TriangleTable.begin(), c.TriangleTable.begin() + c.TriangleCount + 1);
      if (first.empty()) {
        first = table;
      } else {
        ASSERT_EQ(table.size(), first.size());
        ExpectSameAdjacency(table, first, c.TriangleCount);
      }
    }
  }
  TPseudoSectionContour::SetWideLanes(true);

  // A single node gives no triangles.
  TPseudoSectionContour one(500, 500);
  one.AddNode(0, 3, 4, 1);
  one.BuildSection(true);
  EXPECT_EQ(one.TriangleCount, 0);
}

TEST(ContourTriangulation, FlaggedNodesLeaveAHole)
{
  // A ring of flagged nodes around the middle of an ordinary frame.
  std::vector<RefNode> nodes{{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}};
  for (int i = 0; i < 8; ++i)
    nodes.push_back({50 + 20 * std::cos(i * M_PI / 4), 50 + 20 * std::sin(i * M_PI / 4), 1});
  TPseudoSectionContour c(500, 500);
  std::vector<RefNode> ref = AddAll(c, nodes);
  c.BuildSection(true);
  ASSERT_GT(c.TriangleCount, 0);
  for (int32_t i = 1; i <= c.TriangleCount; ++i) {
    const dTriangle& t = c.TriangleTable[i];
    EXPECT_FALSE(c.NodeTable[t.vertices[0]].flag && c.NodeTable[t.vertices[1]].flag &&
                 c.NodeTable[t.vertices[2]].flag);
  }
  // The hole's rim is border: some edge between two flagged nodes has no neighbour.
  bool rim = false;
  for (int32_t i = 1; i <= c.TriangleCount; ++i)
    for (int e = 0; e < 3; ++e) {
      const dTriangle& t = c.TriangleTable[i];
      if (t.neighbours[e] == 0 && c.NodeTable[t.vertices[e]].flag && c.NodeTable[t.vertices[(e + 1) % 3]].flag)
        rim = true;
    }
  EXPECT_TRUE(rim);
  EXPECT_EQ(Triangles(c), ReferenceTriangulate(ref));
}

TEST(ContourAdjacency, EdgeMapMatchesEveryPairRule)
{
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    // Random triangles over few nodes: edges shared by one, two or many triangles.
    const int nodes = 4 + round % 6, count = 5 + round * 7;
    std::uniform_int_distribution<int> pick(1, nodes);
    TPseudoSectionContour c(100, 100);
    c.TriangleTable.assign(count + 1, dTriangle{});
    for (int i = 1; i <= count; ++i) {
      int a = pick(rng), b, d;
      do b = pick(rng);
      while (b == a);
      do d = pick(rng);
      while (d == a || d == b);
      c.TriangleTable[i].vertices[0] = a, c.TriangleTable[i].vertices[1] = b, c.TriangleTable[i].vertices[2] = d;
    }
    std::vector<dTriangle> ref = c.TriangleTable;
    ReferenceAdjacency(ref, count);
    c.BuildAdjacency(count);
    ExpectSameAdjacency(c.TriangleTable, ref, count);
  }
  // A triangulation with coincident nodes.
  TPseudoSectionContour c(500, 500);
  for (int i = 0; i < 40; ++i) c.AddNode(0, (i * 3) % 5, (i * 2) % 3 + (i % 4 == 0 ? 0.5 : 0), i);
  c.BuildSection(true);
  std::vector<dTriangle> ref = c.TriangleTable;
  ReferenceAdjacency(ref, c.TriangleCount);
  ExpectSameAdjacency(c.TriangleTable, ref, c.TriangleCount);
}

TEST(ContourNodes, NodeLimitReportedOnce)
{
  TPseudoSectionContour c(100, 100);
  std::vector<std::string> messages;
  c.OnMessage = [&](const std::string& m) { messages.push_back(m); };
  for (int i = 1; i <= 4001; ++i) c.AddNode(0, i, i % 13, i);
  EXPECT_EQ(c.NextNode, 4001);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "The number of nodes is exceed maximal value");
  EXPECT_EQ(c.NodeTable[4000].value, 4000);
  EXPECT_EQ(c.NodeTable[7].Label(), "7.0");
}

TEST(ContourRange, UserLimitsAndEmptyRanges)
{
  auto make = [](double v1, double v2, double v3) {
    auto c = std::make_unique<TPseudoSectionContour>(100, 100);
    c->AddNode(0, 0, 0, v1);
    c->AddNode(0, 10, 0, v2);
    c->AddNode(0, 5, 5, v3);
    return c;
  };
  auto c = make(1, 2, 3);
  c->UserLimits = true;  // but UserMin not set
  c->BuildSection(true);
  EXPECT_EQ(c->RangeMin, 1);
  EXPECT_EQ(c->RangeMax, 3);
  EXPECT_EQ(c->UserMin, 1);
  EXPECT_EQ(c->UserMax, 3);
  c->UserMin = 0.5;
  c->UserMax = 10;
  c->BuildSection(false);
  EXPECT_EQ(c->RangeMin, 0.5);
  EXPECT_EQ(c->RangeMax, 10);

  auto five = make(5, 5, 5);
  five->BuildSection(true);
  EXPECT_DOUBLE_EQ(five->RangeMin, 0.05);
  EXPECT_DOUBLE_EQ(five->RangeMax, 500);
  // Equal negative values keep the range the right way round.
  auto neg = make(-5, -5, -5);
  neg->BuildSection(true);
  EXPECT_LT(neg->RangeMin, neg->RangeMax);
  EXPECT_DOUBLE_EQ(neg->RangeMin, -500);
  EXPECT_DOUBLE_EQ(neg->RangeMax, -0.05);
}

TEST(ContourGrid, TrianglesNeighboursAndNumbering)
{
  TPseudoSectionContour c(500, 500);
  c.SetGridData({0, 10}, {0, 5}, {}, {{1, 2}, {3, 4}}, true);
  EXPECT_EQ(c.NextNode, 5);
  ASSERT_EQ(c.TriangleCount, 2);
  // Triangle 1 = (a, b, d), triangle 2 = (a, d, c); they share the diagonal only.
  EXPECT_EQ(c.TriangleTable[1].vertices[0], 1);
  EXPECT_EQ(c.TriangleTable[1].vertices[1], 2);
  EXPECT_EQ(c.TriangleTable[1].vertices[2], 4);
  EXPECT_EQ(c.TriangleTable[1].neighbours[2], 2);
  EXPECT_EQ(c.TriangleTable[2].neighbours[0], 1);
  EXPECT_EQ(c.TriangleTable[1].neighbours[0] + c.TriangleTable[1].neighbours[1], 0);
  EXPECT_EQ(c.TriangleTable[2].neighbours[1] + c.TriangleTable[2].neighbours[2], 0);
  ExpectSymmetric(c);

  // A larger grid: the given neighbours are those of the general rule; the cell below the first
  // holds triangles 3 and 4.
  std::vector<double> x{0, 1, 2.5, 4, 7}, d{0, 1, 3, 6};
  std::vector<std::vector<double>> v(x.size(), std::vector<double>(d.size()));
  for (size_t i = 0; i < x.size(); ++i)
    for (size_t j = 0; j < d.size(); ++j) v[i][j] = i * 10 + j;
  TPseudoSectionContour g(500, 500);
  g.SetGridData(x, d, {}, v, true);
  ASSERT_EQ(g.TriangleCount, 2 * 4 * 3);
  EXPECT_EQ(g.TriangleTable[3].vertices[0], 2);  // N(0, 1)
  ExpectSymmetric(g);
  std::vector<dTriangle> ref = g.TriangleTable;
  ReferenceAdjacency(ref, g.TriangleCount);
  ExpectSameAdjacency(g.TriangleTable, ref, g.TriangleCount);
  EXPECT_EQ(g.DataMax, 43);
  EXPECT_EQ(g.DataMin, 0);
}

TEST(ContourGrid, ReliefStretchAndThinning)
{
  TPseudoSectionContour c(500, 500);
  std::vector<std::vector<double>> v(3, std::vector<double>(3, 1.0));
  c.SetGridData({0, 1, 2}, {0, 2, 4}, {0, 0, 0}, v, true);
  EXPECT_EQ(c.NodeTable[2].y, 2);  // no relief, k = 0: y is the depth
  c.ReliefFactor = 1;
  c.SetGridData({0, 1, 2}, {0, 2, 4}, {1, 3, 2}, v, true);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(c.NodeTable[i * 3 + 3].y, 3 + 4);  // flat bottom at relMax + 4
  EXPECT_DOUBLE_EQ(c.NodeTable[1].y, 1);

  std::vector<std::string> messages;
  TPseudoSectionContour big(500, 500);
  big.OnMessage = [&](const std::string& m) { messages.push_back(m); };
  std::vector<double> x(200), d(101);
  for (int i = 0; i < 200; ++i) x[i] = i;
  for (int j = 0; j < 101; ++j) d[j] = j;
  std::vector<std::vector<double>> bv(200, std::vector<double>(101, 2.0));
  big.SetGridData(x, d, {}, bv, true);
  EXPECT_EQ(big.NextNode - 1, 20000);
  EXPECT_EQ(big.TriangleCount, 2 * 199 * 99);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Very large nodes number!");
}

// A grid thinned from the bottom keeps the whole section's frame: its nodes lie where the whole
// grid puts them (the relief stretch by the deepest depth) and the picture spans the whole depth, so
// the contoured top stays at its depths on the section's panel instead of being stretched over it.
TEST(ContourGrid, AThinnedGridKeepsTheWholeSectionsFrame)
{
  TPseudoSectionContour c(500, 500);
  c.ReliefFactor = 1;
  std::vector<double> x(400), d(60), relief(400);
  for (int i = 0; i < 400; ++i) {
    x[i] = 2.0 * i;
    relief[i] = 10.0 + 5.0 * std::sin(i / 40.0);
  }
  for (int j = 0; j < 60; ++j) d[j] = 1.5 * j;
  const std::vector<std::vector<double>> v(400, std::vector<double>(60, 3.0));
  c.SetGridData(x, d, relief, v, true);
  ASSERT_EQ(c.NextNode - 1, 400 * 50);
  const double relMax = *std::max_element(relief.begin(), relief.end());
  const double relMin = *std::min_element(relief.begin(), relief.end());
  for (int i = 0; i < 400; i += 57)
    for (int j = 0; j < 50; j += 7)
      EXPECT_DOUBLE_EQ(c.NodeTable[i * 50 + j + 1].y,
                       std::min(relief[i] + d[j] * (1.0 + (relMax - relief[i]) / d.back()), relMax + d[j]))
          << i << " " << j;
  EXPECT_DOUBLE_EQ(c.PlotYMin, relMin);
  EXPECT_DOUBLE_EQ(c.PlotYMax, d.back() + relMax);
  EXPECT_EQ(c.TriangleCount, 2 * 399 * 49);
}

// A line too long for two depths keeps two, and positions evenly along it with both ends, each with
// its own relief and values.
TEST(ContourGrid, ALongLineKeepsTwoDepthsAndThinsAlongTheLine)
{
  std::vector<std::string> messages;
  TPseudoSectionContour c(500, 500);
  c.OnMessage = [&](const std::string& m) { messages.push_back(m); };
  std::vector<double> x(12000), d{0, 1, 2, 3, 4, 5, 6, 7}, relief(12000);
  std::vector<std::vector<double>> v(12000, std::vector<double>(8));
  for (int i = 0; i < 12000; ++i) {
    x[i] = 2.0 * i;
    relief[i] = i % 5;
    for (int j = 0; j < 8; ++j) v[i][j] = i + 0.5 * j;
  }
  c.SetGridData(x, d, relief, v, true);
  ASSERT_EQ(c.NextNode - 1, 2 * 10000);
  EXPECT_EQ(c.TriangleCount, 2 * 9999);
  EXPECT_EQ(c.NodeTable[1].x, 0);
  EXPECT_EQ(c.NodeTable[2 * 10000].x, 2.0 * 11999);
  for (int i = 0; i < 10000; ++i) {
    const dVertex3d& top = c.NodeTable[2 * i + 1];
    const int column = static_cast<int>(top.x / 2);
    ASSERT_EQ(top.value, column);
    ASSERT_EQ(top.y, column % 5);
    ASSERT_EQ(c.NodeTable[2 * i + 2].value, column + 0.5);
    const double step = i > 0 ? top.x - c.NodeTable[2 * i - 1].x : 2;
    ASSERT_TRUE(step == 2 || step == 4) << i;
  }
  EXPECT_EQ(messages, std::vector<std::string>{"Very large nodes number!"});
}

TEST(ContourGrid, DegenerateInputGivesNoTrianglesAndAnEmptyPicture)
{
  TPseudoSectionContour c(500, 500);
  std::vector<std::vector<double>> v(3, std::vector<double>(3));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) v[i][j] = i + j * 3;
  c.SetGridData({0, 1, 2}, {0, 1, 2}, {}, v, true);
  c.UpdateLevels();
  c.RenderPicture();
  EXPECT_GT(c.SectionPicture()->RecordCount(), 0u);

  struct Case {
    std::vector<double> x, d;
  };
  for (const Case& k : {Case{{3, 3, 3}, {0, 1, 2}}, Case{{0, 1, 2}, {0, 0, 0}}, Case{{0}, {0, 1, 2}},
                        Case{{0, 1, 2}, {5}}, Case{{}, {}}}) {
    c.SetGridData(k.x, k.d, {}, v, true);
    EXPECT_EQ(c.TriangleCount, 0);
    EXPECT_TRUE(std::isfinite(c.XScale) && std::isfinite(c.YScale));
    for (int32_t i = 1; i < c.NextNode; ++i) EXPECT_TRUE(std::isfinite(c.NodeTable[i].y));
    c.UpdateLevels();
    c.RenderPicture();
    EXPECT_EQ(c.SectionPicture()->RecordCount(), 0u);
  }
  // A zero last depth with relief: no division by zero, no triangles.
  c.ReliefFactor = 1;
  c.SetGridData({0, 1, 2}, {-2, -1, 0}, {1, 2, 3}, v, true);
  for (int32_t i = 1; i < c.NextNode; ++i) EXPECT_TRUE(std::isfinite(c.NodeTable[i].y));
  EXPECT_EQ(c.TriangleCount, 0);

  // Scattered nodes on one line.
  TPseudoSectionContour s(500, 500);
  for (int i = 0; i < 5; ++i) s.AddNode(0, i, 7, i);
  s.BuildSection(true);
  EXPECT_EQ(s.TriangleCount, 0);
  EXPECT_TRUE(std::isfinite(s.XScale) && std::isfinite(s.YScale));
}

namespace {

// A 3 x 3 grid with the given range, ready for levels.
std::unique_ptr<TPseudoSectionContour> LevelSection(double lo, double hi, int levels, bool log = false)
{
  auto c = std::make_unique<TPseudoSectionContour>(300, 300);
  std::vector<std::vector<double>> v(3, std::vector<double>(3, lo));
  v[2][2] = hi;
  c->LogData = log;
  c->LevelCount = levels;
  c->SetGridData({0, 1, 2}, {0, 1, 2}, {}, v, true);
  c->RangeMin = lo;
  c->RangeMax = hi;
  return c;
}

}  // namespace

TEST(ContourLevels, RoundingAndSignChange)
{
  auto c = LevelSection(0, 100, 15);
  c->UpdateLevels();
  ASSERT_EQ(c->LevelValues.size(), 15u);
  EXPECT_EQ(c->LevelValues[0], 6);     // 6.25 with unit 1
  EXPECT_EQ(c->LevelValues[1], 12);    // 12.5 rounds half to even
  EXPECT_EQ(c->LevelValues[14], 94);   // 93.75
  EXPECT_EQ(c->LevelValues[13], 88);   // 87.5 rounds half to even
  for (size_t i = 1; i < c->LevelValues.size(); ++i) EXPECT_LT(c->LevelValues[i - 1], c->LevelValues[i]);

  // Levels -1.2, 0.3, 1.8 round to -1, 0.3, 2; the middle one then becomes 0.
  auto s = LevelSection(-2.7, 3.3, 3);
  s->UpdateLevels();
  EXPECT_EQ(s->LevelValues[0], -1.0);
  EXPECT_EQ(s->LevelValues[1], 0.0);
  EXPECT_EQ(s->LevelValues[2], 2.0);

  // Equal ends 0 and 0: the range becomes 0..1; 0.25 and 0.75 round half to even.
  auto zero = LevelSection(0, 0, 3);
  zero->UpdateLevels();
  EXPECT_NEAR(zero->LevelValues[0], 0.2, 1e-12);
  EXPECT_NEAR(zero->LevelValues[1], 0.5, 1e-12);
  EXPECT_NEAR(zero->LevelValues[2], 0.8, 1e-12);

  auto lg = LevelSection(1, 1000, 2, true);
  lg->UpdateLevels();
  EXPECT_NEAR(lg->LevelValues[0], 10, 1e-9);
  EXPECT_NEAR(lg->LevelValues[1], 100, 1e-9);

  // Equal negative ends stay ascending.
  auto neg = LevelSection(-4, -4, 3);
  neg->UpdateLevels();
  EXPECT_LT(neg->LevelValues[0], neg->LevelValues[2]);
}

TEST(ContourLevels, NodesOnALevelAreNudged)
{
  auto c = std::make_unique<TPseudoSectionContour>(300, 300);
  std::vector<std::vector<double>> v{{0, 5, 10}, {10, 20, 30}, {40, 50, 60}};
  c->LevelCount = 5;
  c->SetGridData({0, 1, 2}, {0, 1, 2}, {}, v, true);
  c->RangeMin = 0;
  c->RangeMax = 60;
  c->UpdateLevels();
  ASSERT_EQ(c->LevelValues[0], 10);
  EXPECT_DOUBLE_EQ(c->NodeTable[3].value, 10.0001 + 1e-20);
  EXPECT_DOUBLE_EQ(c->NodeTable[4].value, 10.0001);
  for (int32_t i = 1; i < c->NextNode; ++i)
    for (double level : c->LevelValues) EXPECT_NE(c->NodeTable[i].value, level);
}

TEST(ContourLevels, ColourRampsAndStrip)
{
  auto c = LevelSection(0, 100, 15);
  c->UpdateLevels();
  ASSERT_EQ(c->BandColors.size(), 16u);
  ASSERT_EQ(c->IsolineColors.size(), 15u);
  EXPECT_EQ(c->BandColors[0], clRed);
  EXPECT_EQ(c->BandColors[15], clBlue);
  EXPECT_EQ(c->BandColors[5], c->BandGradient[67]);   // round(66.67)
  EXPECT_EQ(c->IsolineColors[0], clBlue);
  EXPECT_EQ(c->IsolineColors[2], c->IsolineGradient[25]);  // 400 / 16 = 25
  ASSERT_EQ(c->StripColors.size(), 514u);
  TBitmap* strip = c->ColorStrip();
  ASSERT_EQ(strip->GetWidth(), 512);
  ASSERT_EQ(strip->GetHeight(), 1);
  const uint8_t* row = strip->ScanLine(0);
  EXPECT_EQ(row[0], 0);  // B
  EXPECT_EQ(row[2], 255);  // R
  EXPECT_EQ(row[3 * 171 + 2], 255);  // yellow at one third
  EXPECT_EQ(row[3 * 171 + 1], 255);
  EXPECT_GT(row[3 * 511], 250);  // nearly blue at the end
}

TEST(ContourLevels, StripCoordinate)
{
  auto c = LevelSection(0, 100, 15);
  c->UpdateLevels();
  TComplex t;
  c->ValueToStripCoord(-5, t);
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 1.0);
  c->ValueToStripCoord(1e6, t);
  EXPECT_DOUBLE_EQ(t.x, 511.0 / 520.0);
  c->ValueToStripCoord(50, t);  // (50 - 6) / 88 * 512 = 256
  EXPECT_DOUBLE_EQ(t.x, 256.0 / 520.0);

  // Logarithms only when the levels are logarithmic: LogData with a range through 0 is linear.
  auto lin = LevelSection(0, 100, 15, true);
  lin->UpdateLevels();
  lin->ValueToStripCoord(50, t);
  EXPECT_DOUBLE_EQ(t.x, 256.0 / 520.0);
  auto lg = LevelSection(1, 1000, 2, true);
  lg->UpdateLevels();
  lg->ValueToStripCoord(std::sqrt(1000.0), t);  // halfway between 10 and 100 on the log scale
  EXPECT_DOUBLE_EQ(t.x, 256.0 / 520.0);

  // Equal first and last levels give no NaN.
  lg->LevelValues = {5, 5};
  lg->ValueToStripCoord(7, t);
  EXPECT_TRUE(std::isfinite(t.x));
  lg->ValueToStripCoord(-1, t);
  EXPECT_TRUE(std::isfinite(t.x));
}

#pragma once
// Contouring of one section: node and triangle tables, Delaunay triangulation of scattered nodes,
// gridded input, contour levels and colours, and the contour picture (bands, isolines) with its
// colour bar. The section chart owns one of these and forwards to it.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/ProfileModel.h"
#include "app/Supermath2d.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

class TMetafile;
class TMetafileCanvas;

// One node: plot position, value, flag and the position and value as added.
struct dVertex3d {
  double x = 0.0;
  double y = 0.0;
  double value = 0.0;
  uint8_t flag = 0;  // non-zero: no triangle may join three flagged nodes
  double inputX = 0.0;
  double inputY = 0.0;
  double inputValue = 0.0;
  // The value as added, as text; formatted when asked for (few nodes are ever labelled).
  std::string Label() const { return FloatToStrDec(0, true, inputValue); }
};

// One triangle of nodes (a, b, c); edge e is 0: a-b, 1: b-c, 2: c-a.
struct dTriangle {
  int32_t vertices[3] = {0, 0, 0};
  int32_t neighbours[3] = {0, 0, 0};    // triangle across edge e, 0 = none
  uint8_t shared[3] = {255, 255, 255};  // index of the same edge in that neighbour, 255 = none
  int32_t border[3] = {0, 0, 0};        // 1 when edge e has no neighbour
  uint8_t visited[3] = {0, 0, 0};       // an isoline of the current level passed edge e
};

class TPseudoSectionContour {
public:
  static constexpr double NoValueMark = 123456789.0;
  static constexpr int32_t MaxNodes = 4000;
  static constexpr int32_t MaxGridNodes = 20000;

  // The picture is recorded at this size (five times the screen size in the viewer).
  TPseudoSectionContour(int32_t pictureWidth, int32_t pictureHeight);
  ~TPseudoSectionContour();
  TPseudoSectionContour(const TPseudoSectionContour&) = delete;
  TPseudoSectionContour& operator=(const TPseudoSectionContour&) = delete;

  // Messages for the user ("The number of nodes is exceed maximal value", "Very large nodes
  // number!"); the owner shows them. Nothing is shown when unset.
  std::function<void(const std::string&)> OnMessage;

  // --- nodes and triangulation ---
  void AddNode(uint8_t flag, double x, double y, double value);
  void BuildSection(bool retriangulate);
  int32_t Triangulate(int32_t count, bool retriangulate);
  void BuildAdjacency(int32_t count);
  static bool InCircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3, double y3);
  // Whether the circles of new triangles are made in the wider registers where the processor has
  // them (the default); the triangles are the same either way. Returns whether they now are.
  static bool SetWideLanes(bool on);
  void UpdatePlotTransform();
  // Gridded input from a section model: positions, depths, relief and relief factor of `geometry`,
  // the values and their scale of `values` (the resistivity or polarizability half of that section).
  void SetGridInput(const fdata& geometry, const fdata& values);
  // Nodes and triangles of a grid; above MaxGridNodes depths are dropped from the bottom, and the
  // picture still spans the whole depth given. Where that would leave fewer than two depths, two
  // are kept and positions are dropped instead, evenly along the line, its ends kept.
  void SetGridData(const std::vector<double>& x, const std::vector<double>& depths, const std::vector<double>& relief,
                   const std::vector<std::vector<double>>& values, bool retriangulate);

  // --- levels and colours ---
  void UpdateLevels();
  // Texture coordinate (u, 1.0) of a value in the colour strip.
  void ValueToStripCoord(double value, TComplex& coord) const;
  // The 512 x 1 strip of band colours; made on first use.
  TBitmap* ColorStrip();

  // --- picture ---
  void RenderPicture();
  void DrawColorBar(int32_t left, int32_t top, int32_t width, int32_t height, int32_t unused1, int32_t unused2,
                    const std::string& title, TCanvas* canvas);
  TMetafile* SectionPicture() const { return sectionPicture_.get(); }

  int32_t XToPixel(double x) const;
  int32_t YToPixel(double y) const;

  // --- state (the section chart's fields) ---
  std::vector<dVertex3d> NodeTable;     // numbered from 1
  std::vector<dTriangle> TriangleTable;  // numbered from 1
  int32_t NextNode = 1;
  int32_t TriangleCount = 0;

  int32_t PictureWidth;
  int32_t PictureHeight;
  TMetafileCanvas* PictureCanvas = nullptr;  // alive only inside RenderPicture

  double DataMax = 0.0, DataMin = 0.0;
  double RangeMax = 0.0, RangeMin = 0.0;
  double UserMax = NoValueMark, UserMin = NoValueMark;
  bool UserLimits = false;
  bool LogData = false;
  bool ShowIsolines = true;
  bool ShowColorBar = true;

  double PlotXMin = 0.0, PlotXMax = 0.0, PlotXSpan = 0.0;
  double PlotYMin = 0.0, PlotYMax = 0.0, PlotYSpan = 0.0;
  double XScale = 0.0, YScale = 0.0;

  TColor ContourMinColor = clRed;
  TColor ContourMaxColor = clBlue;
  std::vector<TColor> MidColors{clYellow, clGreen};
  TColor IsolineMinColor = clBlue;
  TColor IsolineMaxColor = clRed;
  int32_t LevelCount = 15;
  std::vector<double> LevelValues;
  std::vector<TColor> BandColors;
  std::vector<TColor> IsolineColors;
  std::vector<TColor> BandGradient;
  std::vector<TColor> IsolineGradient;
  std::vector<TColor> StripColors;

  bool GridMode = false;
  std::vector<double> GridX, GridDepths, GridRelief;
  std::vector<std::vector<double>> GridValues;
  double ReliefFactor = 0.0;
  // The input y of the whole grid's bottom when SetGridData thinned it, else NaN: the picture
  // spans it, so the rows kept lie at their own depths.
  double ThinnedGridBottom = std::numeric_limits<double>::quiet_NaN();
  // Widens the plot transform down to Y (a plot y), when Y lies below it.
  void ExtendPlotBottom(double y);

  std::unique_ptr<TFont> LabelFont;  // "Small fonts", size 7
  std::string ColorBarTitle;

  // --- picture internals (public for tests) ---
  void FillAllTriangles();
  void FillTriangleBands(int32_t triangle);
  void LevelIndexRange(double va, double vb, double vc, int32_t& lo, int32_t& hi) const;
  void SmoothedCrossingCurve(int32_t triangle, int32_t firstEdge, int32_t secondEdge, double level,
                             std::vector<TPoint>& out) const;
  bool NeighbourCrossing(int32_t triangle, int32_t edge, double level, TComplex& point) const;
  static void CornerPoints(int32_t m, int32_t newUncrossedEdge, int32_t& middle, int32_t& top, int32_t& flag);
  static double InterpolateAt(double level, double value2, double coord2, double value1, double coord1);
  static bool StrictlyBetween(double v, double a, double b);
  void DrawIsolines();
  bool TraceIsoline(int32_t& triangle, int32_t& entryEdge, double level, TComplex& point);
  void SmoothPolyline(const std::vector<TComplex>& points, bool closed);

private:
  void ChooseLevelRange();
  // Plot extent and the scales that map it onto the picture.
  void SetPlotRange(double xmin, double xmax, double ymin, double ymax);
  void EnsureNodeCapacity(size_t entries);
  void EnsureTriangleCapacity(size_t entries);
  void SetBorderFlags(int32_t count);
  TComplex EdgeCrossing(const dTriangle& t, int32_t edge, double level) const;
  bool EdgeCrossed(const dTriangle& t, int32_t edge, double level) const;
  bool PictureUsable() const;
  bool TrianglesUseCurrentNodes() const;

  std::unique_ptr<TMetafile> sectionPicture_;
  std::unique_ptr<TBitmap> colorStrip_;
  int32_t linkedCount_ = -1;  // triangles whose neighbours the last Triangulate filled in
};

#pragma once
// The surface series: Y values over a grid of X and Z values, drawn as a mesh of coloured cells in
// the chart's 3-D box (X on the horizontal axis, Y on the vertical axis, Z on the depth axis).
// Points are added with AddXYZ; cells are the grid squares whose four corners are points. Cell
// colours come from the points' colours, or, with UseColorRange, run from StartColor at the lowest
// Y to EndColor at the highest. The cell edges are drawn with the series pen.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/model/NvEngineSeries.h"

class TSurfaceSeries : public TChartSeries {
public:
  explicit TSurfaceSeries(TComponent* owner);
  ~TSurfaceSeries() override;

  void Assign(const TPersistent* source) override;

  // The Z list (the series' third value list).
  TChartValueList* ZValues() const { return zValues_; }
  int32_t AddXYZ(double x, double y, double z, const std::string& label = std::string(), TColor color = clDefault);

  bool GetUseColorRange() const { return useColorRange_; }
  void SetUseColorRange(bool v) { SetBooleanProperty(useColorRange_, v); }
  TColor GetStartColor() const { return startColor_; }
  void SetStartColor(TColor v) { SetColorProperty(startColor_, v); }
  TColor GetEndColor() const { return endColor_; }
  void SetEndColor(TColor v) { SetColorProperty(endColor_, v); }
  // Only the cell edges (no fill).
  bool GetWireFrame() const { return wireFrame_; }
  void SetWireFrame(bool v) { SetBooleanProperty(wireFrame_, v); }

  // The colour of a point: its own, else the colour range or the series colour.
  TColor CellColor(int32_t valueIndex);

  // The grid of the points: the distinct X and Z values in ascending order and, for every grid
  // node, the index of the point there (-1 when none). Exact value matches.
  struct TGrid {
    std::vector<double> X, Z;
    std::vector<int32_t> Index;  // Index[ix + iz * X.size()]
    int32_t At(size_t ix, size_t iz) const { return Index[ix + iz * X.size()]; }
  };
  TGrid BuildGrid() const;

  // ---- Overrides of the series base ----
  void DrawAllValues() override;
  // The cells whose lowest-X, lowest-Z corner is the point.
  void DrawValue(int32_t valueIndex) override;
  // The point whose projected position lies within 3 pixels of (x, y); -1.
  int32_t Clicked(int32_t x, int32_t y) override;
  void CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin) override;
  void CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin) override;
  void DrawLegendShape(int32_t valueIndex, const TRect& rect) override;
  std::string GetEditorClass() const override { return "TSurfaceSeriesEditor"; }
  // The depth extent is the Z range.
  double MaxZValue() const override;
  double MinZValue() const override;

private:
  TPoint3D Project(int32_t valueIndex) const;
  void DrawCell(const TGrid& grid, size_t ix, size_t iz);

  TChartValueList* zValues_ = nullptr;
  bool useColorRange_ = false;
  TColor startColor_ = clNavy;
  TColor endColor_ = clWhite;
  bool wireFrame_ = false;
  TGrid grid_;
  bool drawingAll_ = false;
};

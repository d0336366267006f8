#pragma once
// The axis panel: the chart panel that knows series, axes and tools. It owns the axis list (the
// six standard axes and the custom axes), the series list (not the series), the tool list and the
// series groups; it gives every axis its range from the series, lays the axes out inside the chart
// rectangle, assigns depth orders and draws the chart in fixed phases that tools hear of (tool
// events 0 to 5). It validates data sources, refills series from them and broadcasts series
// events to the panel's listeners.
//
// TCustomChart (Chart.h) derives from it and supplies walls, titles, legend and free colours
// through the abstract operations below.
//
// Ownership: the panel owns its axes (the six standard ones live as long as the panel), the custom
// axes, the tools and the series groups. It lists series without owning them, but when it is
// destroyed it detaches and frees the series it still holds (series are made with new; a series
// freed first leaves the chart by itself). A freed custom axis is dropped by the series and axis
// tools that used it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/canvas/NuvProcs.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTypes.h"

// The chart's series, in drawing and legend order (not owned), with the series groups (owned).
class TChartSeriesList : public TCustomSeriesList {
public:
  explicit TChartSeriesList(TCustomAxisPanel* owner);
  ~TChartSeriesList() override;
  TCustomAxisPanel* Owner() const { return owner_; }
  // True when every series is Active (also for an empty list).
  bool AllActive() const;
  void SetAllActive(bool value);
  TSeriesGroups* Groups() const { return groups_.get(); }
  TSeriesGroup* AddGroup(const std::string& name) { return groups_->AddGroup(name); }

private:
  TCustomAxisPanel* owner_;
  std::unique_ptr<TSeriesGroups> groups_;
};

// Every axis of the chart in creation order (bottom, top, left, right, depth, depth-top, custom
// axes). Owns them.
class TChartAxes {
public:
  explicit TChartAxes(TCustomAxisPanel* owner) : owner_(owner) {}
  ~TChartAxes();
  TChartAxes(const TChartAxes&) = delete;
  TChartAxes& operator=(const TChartAxes&) = delete;
  TCustomAxisPanel* Owner() const { return owner_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TChartAxis* GetAxis(int32_t index) const;
  TChartAxis* operator[](int32_t index) const { return GetAxis(index); }
  int32_t IndexOf(const TChartAxis* axis) const;
  // Called in the layout with the labels size of an axis whose labels are shown; may change it
  // (a negative size counts as 0).
  std::function<void(TChartAxis* axis, int32_t& size)> OnLabelsSize;
  // Takes ownership.
  void Add(TChartAxis* axis);
  // Frees axis (when listed and not one of the six standard axes) after removing it.
  void Remove(TChartAxis* axis);
  // Frees every axis.
  void Clear();
  // Called during layout for a hidden axis when assigned.
  std::function<void(TChartAxis* axis)> OnHiddenAxis;
  // Fast calculation: linear axes convert values to pixels without holding them within the
  // pixel limit (a result past 32 bits raises). Off by default; setting it reinstalls every
  // axis' position functions.
  bool GetFastCalc() const { return fastCalc_; }
  void SetFastCalc(bool v);

private:
  TCustomAxisPanel* owner_;
  std::vector<std::unique_ptr<TChartAxis>> items_;
  bool fastCalc_ = false;
};

// The custom axes (also listed, and owned, by the axis list).
class TChartCustomAxes {
public:
  explicit TChartCustomAxes(TCustomAxisPanel* owner) : owner_(owner) {}
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TChartAxis* GetAxis(int32_t index) const;
  TChartAxis* operator[](int32_t index) const { return GetAxis(index); }
  int32_t IndexOf(const TChartAxis* axis) const;
  // A new custom axis (vertical unless horizontal), listed by the chart.
  TChartAxis* Add(bool horizontal = false);
  // Frees the custom axis at index; series that use it fall back to the standard axes.
  void Delete(int32_t index);
  // Frees every custom axis.
  void Clear();
  // Copies the custom axes of source (count and settings).
  void Assign(const TChartCustomAxes& source);

private:
  TCustomAxisPanel* owner_;
  std::vector<TChartAxis*> items_;
};

// The chart's tools; Clear frees every tool.
class TChartTools {
public:
  explicit TChartTools(TCustomAxisPanel* owner) : owner_(owner) {}
  ~TChartTools();
  TChartTools(const TChartTools&) = delete;
  TChartTools& operator=(const TChartTools&) = delete;
  TCustomAxisPanel* Owner() const { return owner_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TNuvCustomTool* GetTool(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
  TNuvCustomTool* operator[](int32_t index) const { return GetTool(index); }
  int32_t IndexOf(const TNuvCustomTool* tool) const;
  // Sets the tool's parent chart to the list's chart; returns tool.
  TNuvCustomTool* Add(TNuvCustomTool* tool);
  // List operations used by the tools' SetParentChart.
  void InternalAdd(TNuvCustomTool* tool);
  void InternalRemove(TNuvCustomTool* tool);
  // Frees every tool.
  void Clear();

private:
  TCustomAxisPanel* owner_;
  std::vector<TNuvCustomTool*> items_;
};

// A series class for AddNewSeries: makes a series owned by the given component.
using TChartSeriesClass = std::function<TChartSeries*(TComponent* owner)>;

using TAxisSavedPosition = std::function<void(TChartAxis* axis)>;
using TNuvAxisLabelEvent = std::function<void(TChartAxis* sender, TChartSeries* series, int32_t valueIndex,
                                              std::string& labelText)>;
using TNuvNextAxisLabelEvent =
    std::function<void(TChartAxis* sender, int32_t labelIndex, double& labelValue, bool& stop)>;

class TCustomAxisPanel : public TCustomNuvPanelExtended {
public:
  explicit TCustomAxisPanel(TComponent* owner);
  // Frees every series of the chart (detaching each first), the axes, the custom axes, the
  // series list, the tools.
  ~TCustomAxisPanel() override;

  // ---- Abstract and virtual operations ----
  virtual void CalcWallsRect() = 0;
  virtual int32_t GetWallSize(TChartAxis* axis) = 0;
  virtual void DoOnAfterDraw();
  virtual void DoOnBeforeDrawAxes();
  virtual void DoOnBeforeDrawChart();
  virtual void DoOnBeforeDrawSeries();
  virtual void DrawTitlesAndLegend(bool beforeSeries) = 0;
  // Whether the depth plane (the chart rectangle at depth Width3D) faces the viewer, that is, the
  // chart is seen from behind: the canvas' projection decides; false in 2D. The one test of the
  // axis pass, the series order and the chart's walls and front planes.
  virtual bool IsDepthPlaneFacing();
  // Draws an axis in the current paint: the first time whole, with its grid; again (the chart's
  // redraw of an axis in front of the series) flagged as drawn in front, without the grid.
  virtual void DrawAxis(TChartAxis* axis, bool calcPosAxis);
  // Draws a legend symbol rectangle with the canvas pen and brush (see the chart for series).
  virtual void DrawLegendSymbolRect(TChartSeries* series, const TRect& rect);
  virtual void DrawWalls() = 0;
  virtual void RefreshSeriesData(TChartSeries* series);
  virtual std::string ValueLegendText(TChartSeries* /*series*/, int32_t /*valueIndex*/) { return std::string(); }
  virtual bool IsFreeSeriesColor(TColor color, bool checkBackground, TChartSeries* series) = 0;
  virtual int32_t NumPages();
  virtual bool IsValidDataSource(TChartSeries* series, TComponent* component);
  virtual void RemovedDataSource(TChartSeries* series, TComponent* component);

  void Assign(const TPersistent* source) override;
  void InternalDraw(const TRect& userRect) override;
  void MouseLeave() override;

  // ---- Series ----
  int32_t SeriesCount() const { return seriesList_->Count(); }
  TChartSeries* GetSeries(int32_t index) const { return seriesList_->GetSeries(index); }
  TChartSeries* Series(int32_t index) const { return GetSeries(index); }
  TChartSeriesList* SeriesList() const { return seriesList_.get(); }
  TChartSeries* AddSeries(TChartSeries* series);
  TChartSeries* AddNewSeries(const TChartSeriesClass& seriesClass);
  void InternalAddSeries(TChartSeries* series);
  void RemoveSeries(TChartSeries* series);
  void RemoveSeries(int32_t index);
  // Detaches and frees every series (or those for which match answers true).
  void FreeAllSeries(const std::function<bool(TChartSeries*)>& match = {});
  void ExchangeSeries(int32_t index1, int32_t index2);
  void ExchangeSeriesObjects(TChartSeries* series1, TChartSeries* series2);
  int32_t CountActiveSeries() const;
  int32_t GetMaxValuesCount() const;
  TChartSeries* SeriesLegend(int32_t index, bool onlyActive);
  TChartSeries* ActiveSeriesLegend(int32_t index) { return SeriesLegend(index, true); }
  std::string SeriesTitleLegend(int32_t index, bool onlyActive);
  void BroadcastSeriesEvent(TChartSeries* series, TChartSeriesEvent kind);
  bool CheckMouseSeries(int32_t x, int32_t y);
  // The components stored as children: the series without InternalUse.
  std::vector<TComponent*> GetChildren() const;
  // The legend's check mode (0 active, 1 X excluded, 2 Y excluded); the chart answers.
  virtual int32_t GetLegendCheckMode() const { return 0; }

  // ---- Axes ----
  TChartAxes* AxesList() const { return axes_.get(); }
  TChartAxis* GetBottomAxis() const { return bottomAxis_; }
  TChartAxis* GetTopAxis() const { return topAxis_; }
  TChartAxis* GetLeftAxis() const { return leftAxis_; }
  TChartAxis* GetRightAxis() const { return rightAxis_; }
  TChartDepthAxis* GetDepthAxis() const { return depthAxis_; }
  TChartDepthAxis* GetDepthTopAxis() const { return depthTopAxis_; }
  void SetBottomAxis(const TChartAxis* value);
  void SetTopAxis(const TChartAxis* value);
  void SetLeftAxis(const TChartAxis* value);
  void SetRightAxis(const TChartAxis* value);
  void SetDepthAxis(const TChartAxis* value);
  void SetDepthTopAxis(const TChartAxis* value);
  TChartCustomAxes* GetCustomAxes() const { return customAxes_.get(); }
  bool IsCustomAxesStored() const { return customAxes_->Count() > 0; }
  // An axis is being freed: series and tools drop their links to it.
  void AxisFreed(TChartAxis* axis);
  // Custom axes that follow another axis of the chart: a range set by hand on it (SetMinMax) is
  // copied to every custom axis linked to it, and on from those. A custom axis follows one axis;
  // linking again moves it. Refused (false): an axis that is not a custom axis of this chart, a
  // master of another chart, the axis itself, or a link that closes a loop. A freed axis leaves
  // every link.
  bool LinkCustomAxis(TChartAxis* custom, TChartAxis* master);
  void UnlinkCustomAxis(TChartAxis* custom);
  // The axis custom follows (nullptr when none) and the custom axes that follow master.
  TChartAxis* LinkedMaster(const TChartAxis* custom) const;
  std::vector<TChartAxis*> LinkedCustomAxes(const TChartAxis* master) const;

  double MinXValue(TChartAxis* axis) { return InternalMinMax(axis, true, true); }
  double MaxXValue(TChartAxis* axis) { return InternalMinMax(axis, false, true); }
  double MinYValue(TChartAxis* axis) { return InternalMinMax(axis, true, false); }
  double MaxYValue(TChartAxis* axis) { return InternalMinMax(axis, false, false); }
  TChartSeries* GetAxisSeries(TChartAxis* axis);
  TChartSeries* GetAxisSeriesMaxPoints(TChartAxis* axis);
  bool NoActiveSeries(TChartAxis* axis);
  bool AxisHasSeries(TChartAxis* axis, bool defaultValue);
  bool IsAxisVisible(TChartAxis* axis);
  // Width of the widest line of text (split at character 13) on the chart canvas, and the line
  // count (0 for an empty text).
  int32_t MultiLineTextWidth(const std::string& text, int32_t& numLines);
  int32_t MaxTextWidth();
  int32_t MaxMarkWidth();

  // ---- Paging ----
  int32_t GetPage() const { return page_; }
  void SetPage(int32_t value);
  int32_t GetMaxPointsPerPage() const { return maxPointsPerPage_; }
  void SetMaxPointsPerPage(int32_t value);
  bool GetScaleLastPage() const { return scaleLastPage_; }
  void SetScaleLastPage(bool value) { SetBooleanProperty(scaleLastPage_, value); }
  void PrintPages(int32_t fromPage = 0, int32_t toPage = 0);

  // ---- Data sources and colours ----
  void CheckCircularDependence(TChartSeries* series, TComponent* source);
  TColor GetDefaultColor(int32_t index) const;
  TColor GetFreeSeriesColor(bool checkBackground, TChartSeries* series);
  void AssignSeriesColors();
  const std::vector<TColor>& GetColorPalette() const { return colorPalette_; }
  void SetColorPalette(const std::vector<TColor>& value) { colorPalette_ = value; }

  // ---- Properties ----
  int32_t GetChart3DPercent() const { return chart3DPercent_; }
  void SetChart3DPercent(int32_t value);
  bool GetAxisBehind() const { return axisBehind_; }
  void SetAxisBehind(bool value) { SetBooleanProperty(axisBehind_, value); }
  bool GetAxisVisible() const { return axisVisible_; }
  void SetAxisVisible(bool value) { SetBooleanProperty(axisVisible_, value); }
  bool GetClipPoints() const { return clipPoints_; }
  void SetClipPoints(bool value) { SetBooleanProperty(clipPoints_, value); }
  bool GetView3DWalls() const { return view3DWalls_; }
  void SetView3DWalls(bool value) { SetBooleanProperty(view3DWalls_, value); }
  TChartTools* Tools() const { return tools_.get(); }
  bool ViewTurned() const { return viewTurned_; }
  // Recomputes and returns ViewTurned.
  bool CalcIsViewTurned();

  TNuvAxisLabelEvent OnGetAxisLabel;
  TNuvNextAxisLabelEvent OnGetNextAxisLabel;
  TNotifyEvent OnPageChange;
  TNotifyEvent OnBeforeDrawChart;
  TNotifyEvent OnBeforeDrawAxes;
  TNotifyEvent OnBeforeDrawSeries;
  // Called after OnAfterDraw when assigned (internal after-draw notification).
  TNotifyEvent InternalOnAfterDraw;

  int32_t MaxZOrder = 0;
  int32_t SeriesWidth3D = 0;
  int32_t SeriesHeight3D = 0;
  // Total depth of the 3-D box (Width3D of the panel is its companion).
  int32_t Height3D = 0;
  bool SeriesEventsOff = false;
  TColor LegendSymbolBackColor = clDefault;
  TChartPen* LegendSymbolPen = nullptr;
  // Refreshed when a series' Active or Title changes (set by the chart control).
  std::function<void(TChartSeries* series)> SeriesChangeRefresh;

  // ---- Tools ----
  // Tells every active tool of a paint phase (events 0..5).
  void BroadcastToolEvent(TChartToolEvent kind);
  // Forwards a mouse action to every active tool.
  void BroadcastToolMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y);

  // ---- Layout and drawing steps ----
  void CalcSize3D();
  void CalcSeriesZOrders();
  void CalcAxisRect();
  void CalcSeriesMargins(TChartAxis* axis);
  void DrawAxes();
  void DrawAllSeries();
  // The range of an axis over the series (one routine for the four).
  double InternalMinMax(TChartAxis* axis, bool isMin, bool isX);

  // Stored properties of the series list and axes kept by the panel.
  bool IsLoading() const { return Loading; }
  void SetLoading(bool value) { Loading = value; }

protected:
  void DrawSeries(TChartSeries* series);
  void DrawSeriesGroup(TChartSeries* first);

private:
  int32_t chart3DPercent_ = 15;
  std::unique_ptr<TChartAxes> axes_;
  bool axisBehind_ = true;
  bool axisVisible_ = true;
  bool clipPoints_ = true;
  std::unique_ptr<TChartCustomAxes> customAxes_;
  std::unique_ptr<TChartSeriesList> seriesList_;
  TChartDepthAxis* depthAxis_ = nullptr;
  TChartDepthAxis* depthTopAxis_ = nullptr;
  TChartAxis* topAxis_ = nullptr;
  TChartAxis* bottomAxis_ = nullptr;
  TChartAxis* leftAxis_ = nullptr;
  TChartAxis* rightAxis_ = nullptr;
  bool view3DWalls_ = true;
  int32_t page_ = 1;
  int32_t maxPointsPerPage_ = 0;
  bool scaleLastPage_ = true;
  std::unique_ptr<TChartTools> tools_;
  bool viewTurned_ = false;
  std::vector<TColor> colorPalette_;
  // (custom axis, the axis it follows)
  std::vector<std::pair<TChartAxis*, TChartAxis*>> axisLinks_;
  // The axes drawn so far in the current paint.
  std::vector<TChartAxis*> drawnAxes_;
};

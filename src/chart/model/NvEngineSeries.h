#pragma once
// The chart element and the series base.
//
// TCustomChartElement is the base of series, tools and functions' hosts: a component with
// Active, Brush, Pen, a parent chart and the set-and-repaint setters every chart-model setter uses.
// TCustomChartSeries adds the legend flag, the title and the margin hooks. TChartSeries is the base
// of every series type: its points as parallel value lists with per-point colours and labels,
// marks, data sources and the series that depend on it, the axes it is drawn against, an optional
// function, the visible range of points and its depth in the chart.
//
// Ownership: an element owns its brush and pen; a series owns its value lists, colour list,
// labels, marks, data-source list, linked-series list and function object, and a data source only
// when it is the source's owner. A chart holds its series without owning them. Destructors of
// derived elements that override SetParentChart detach from their chart themselves (the base
// destructor can only run the base version).
//
// Errors: ChartException with the message-table texts (index checks, data sources); the series
// is unchanged on every failure.
//
// Texts of marks and legend items and the sample values (GetMarkText ... PrepareForGallery) are
// defined in NvEngineTexts.cpp.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/canvas/NvCanvasAttributes.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineTypes.h"
#include "chart/model/NvEngineValues.h"
#include "platform/Controls.h"

// ---- Chart element ----
class TCustomChartElement : public TComponent {
public:
  explicit TCustomChartElement(TComponent* owner);
  // Frees brush and pen, then SetParentChart(nullptr) (the base version).
  ~TCustomChartElement() override;

  // ---- Virtual operations ----
  // A brush or pen changed: Repaint.
  virtual void CanvasChanged(TObject* sender);
  // Name of the editor form class (empty in the base).
  virtual std::string GetEditorClass() const { return std::string(); }
  virtual void SetActive(bool value);
  // Stores the field only (series and tools join and leave their chart's lists).
  virtual void SetParentChart(TCustomAxisPanel* value);
  virtual void SetPen(const TChartPen* value);
  // Copies Active, Brush, Pen and Tag from another chart element.
  void Assign(const TPersistent* source) override;

  bool GetActive() const { return active_; }
  TChartBrush* GetBrush() const { return brush_.get(); }
  void SetBrush(const TChartBrush* value);
  TCustomAxisPanel* GetParentChart() const { return parentChart_; }
  TChartPen* GetPen() const { return pen_.get(); }
  std::string EditorClassName() const { return GetEditorClass(); }
  // A new pen whose change handler is CanvasChanged.
  std::unique_ptr<TChartPen> CreateChartPen();

  bool ShowInEditor = true;
  bool InternalUse = false;

  // As a component: the chart is the parent component; only an axis panel is accepted.
  TComponent* GetParentComponent() const;
  bool HasParent() const { return true; }
  void SetParentComponent(TComponent* value);

  // ---- Set and repaint ----
  // Invalidates the parent chart (nothing without one).
  void Repaint();
  void SetBooleanProperty(bool& field, bool value);
  void SetColorProperty(TColor& field, TColor value);
  void SetDoubleProperty(double& field, double value);
  void SetIntegerProperty(int32_t& field, int32_t value);
  void SetStringProperty(std::string& field, const std::string& value);

protected:
  bool active_ = true;
  std::unique_ptr<TChartBrush> brush_;
  TCustomAxisPanel* parentChart_ = nullptr;
  std::unique_ptr<TChartPen> pen_;
};

// The six flags of old streams' "Style".
using TChartSeriesStyle = uint8_t;

class TCustomChartSeries : public TCustomChartElement {
public:
  explicit TCustomChartSeries(TComponent* owner);

  // Extra pixels the series needs beside the chart area (0 and 0 in the base).
  virtual void CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin);
  virtual void CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin);
  // Called for each active series before the chart is drawn.
  virtual void DoBeforeDrawChart() {}
  // Copies ShowInLegend, Title, Style, Identifier, then the element's fields.
  void Assign(const TPersistent* source) override;
  // Stores Active; with a chart: series event 5 and the chart's series-change refresh.
  void SetActive(bool value) override;
  // Old streams: "Identifier" (string) and "Style" (integer, bits 0..5), read only.
  virtual void DefineProperties(TFiler* filer);

  bool GetShowInLegend() const { return showInLegend_; }
  void SetShowInLegend(bool value) { SetBooleanProperty(showInLegend_, value); }
  const std::string& GetTitle() const { return title_; }
  // Stores the title; with a chart: series event 2 and the series-change refresh.
  void SetTitle(const std::string& value);
  const std::string& GetIdentifier() const { return identifier_; }
  void SetIdentifier(const std::string& value) { identifier_ = value; }
  TChartSeriesStyle GetStyle() const { return style_; }
  void SetStyle(TChartSeriesStyle value) { style_ = value; }

protected:
  // Tells the chart (event kind) and refreshes its series-change listener.
  void NotifyChartChange(TChartSeriesEvent kind);

  bool showInLegend_ = true;
  std::string title_;
  std::string identifier_;
  TChartSeriesStyle style_ = 0;
};

// ---- Series companions ----
// The labels list, the data-sources list, the series source and the series groups are in
// NvEngineSources.h.

// A list of series (not owned).
class TCustomSeriesList {
public:
  virtual ~TCustomSeriesList() = default;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TChartSeries* GetSeries(int32_t index) const;
  void SetSeries(int32_t index, TChartSeries* series);
  TChartSeries* operator[](int32_t index) const { return GetSeries(index); }
  int32_t IndexOf(const TChartSeries* series) const;
  int32_t Add(TChartSeries* series);
  // Removes series; returns the index it had, -1 when absent.
  int32_t Remove(TChartSeries* series);
  void Delete(int32_t index);
  void Insert(int32_t index, TChartSeries* series);
  void Exchange(int32_t index1, int32_t index2);
  void Clear() { items_.clear(); }
  // Clear on every series.
  void ClearValues();
  const std::vector<TChartSeries*>& Items() const { return items_; }

protected:
  std::vector<TChartSeries*> items_;
};

// Hook of the series settings writer (set by the series types' library): the settings text of a
// series, which SaveDefaults keeps.
extern std::function<std::string(TChartSeries* series)> SeriesSettingsTextWriter;

// Whether series fill themselves with sample values outside design mode (off in this program).
extern bool NuvChartSampleValues;

// ---- Series base ----
class TChartSeries : public TCustomChartSeries {
  friend class TCustomAxisPanel;
  friend class TChartValueList;

public:
  explicit TChartSeries(TComponent* owner);
  ~TChartSeries() override;

  // ---- Virtual operations ----
  // Copies the values of one point of source; returns the new index (no colour, label, notice).
  virtual int32_t AddChartValue(TChartSeries* source, int32_t valueIndex);
  // AddChartValue, then the point's colour and label, then NotifyNewValue.
  virtual int32_t AddValue(TChartSeries* source, int32_t valueIndex);
  // Replaces all points by those of source (through the function object when there is one).
  virtual void AssignValues(TChartSeries* source);
  virtual void CalcFirstLastVisibleIndex();
  virtual void CalcZOrder();
  virtual void CalcDepthPositions();
  // Empties the value lists, the colour list, the labels and the marks' per-point data.
  virtual void ClearLists();
  // Offers the sub-styles of the series type (the base: "Normal").
  virtual void CreateSubGallery(const TChartSubGalleryProc& addSubChart);
  // A linked series' source deleted a point (the base deletes valueIndex).
  virtual void DeletedValue(TChartSeries* source, int32_t valueIndex);
  virtual void DoAfterDrawValues();
  virtual void DoBeforeDrawValues();
  // DrawValue over FirstValueIndex..LastValueIndex in the drawing direction.
  virtual void DrawAllValues();
  // The legend symbol (base: the chart's DrawLegendSymbolRect).
  virtual void DrawLegendShape(int32_t valueIndex, const TRect& rect);
  // Hands the point's colour and position to the marks (DrawItem).
  virtual void DrawMark(int32_t valueIndex, const std::string& text, TSeriesMarkPosition* position);
  virtual void DrawValue(int32_t /*valueIndex*/) {}
  virtual TColor ValueColor(int32_t valueIndex);
  virtual double GetXValue(int32_t valueIndex) const;
  virtual double GetYValue(int32_t valueIndex) const;
  // OnAfterAdd, NotifyValue(veAdd), Repaint when Active.
  virtual void NotifyNewValue(TChartSeries* sender, int32_t valueIndex);
  // Tells the linked series (nothing while updating).
  virtual void NotifyValue(TValueEvent valueEvent, int32_t valueIndex);
  virtual bool SharesZOrder();
  virtual void PrepareLegendCanvas(int32_t /*valueIndex*/, TColor& /*backColor*/, TBrushStyle& /*brushStyle*/) {}
  virtual void SetColorEachPoint(bool value);
  virtual void SetSeriesColor(TColor value);
  virtual void SetSubGallery(int32_t /*index*/) {}
  // XValues / YValues when associated to axis, else nullptr.
  virtual TChartValueList* ValueListOfAxis(TChartAxis* axis);
  virtual int32_t Add(double value, const std::string& label = std::string(), TColor color = clDefault);
  virtual int32_t AddNull(const std::string& label = std::string());
  virtual int32_t AddNullXY(double x, double y, const std::string& label = std::string());
  virtual int32_t AddXY(double x, double y, const std::string& label = std::string(), TColor color = clDefault);
  virtual bool AssociatedToAxis(TChartAxis* axis);
  virtual void Clear();
  virtual int32_t CountLegendItems() { return Count(); }
  // Removes one point; ChartException "Series Delete: ValueIndex %d out of bounds (0 to %d)."
  // for an index outside 0..Count-1.
  virtual void Delete(int32_t valueIndex);
  // Removes quantity points from start; ChartException for a quantity below 1 or a range past
  // the last point (nothing changes). RemoveGap renumbers the non-mandatory values 0..Count-1.
  virtual void DeleteRange(int32_t start, int32_t quantity, bool removeGap = false);
  virtual int32_t LegendToValueIndex(int32_t legendIndex) { return legendIndex; }
  virtual TColor LegendItemColor(int32_t legendIndex) { return ValueColor(legendIndex); }
  // Legend text of a point (defined with the series texts).
  virtual std::string LegendString(int32_t legendIndex, TLegendTextStyle style);
  virtual double MaxXValue() const;
  virtual double MaxYValue() const;
  virtual double MaxZValue() const;
  virtual double MinXValue() const;
  virtual double MinYValue() const;
  virtual double MinZValue() const;
  virtual int32_t CalcXPos(int32_t valueIndex);
  virtual int32_t CalcYPos(int32_t valueIndex);
  // The extra list (index 2 on) named name, ignoring case; otherwise YValues.
  virtual TChartValueList* ValueListByName(const std::string& name);
  // Index of the point at (x, y); -1 in the base.
  virtual int32_t Clicked(int32_t /*x*/, int32_t /*y*/) { return -1; }
  virtual double StackValue(int32_t valueIndex) { return GetMarkValue(valueIndex); }
  // Value of MandatoryValueList at the index.
  virtual double GetMarkValue(int32_t valueIndex);
  virtual bool DrawValuesForward();
  virtual bool DrawSeriesForward(int32_t valueIndex);
  // Draws the legend symbol of a point (-1: of the whole series) in rect.
  virtual void DrawLegend(int32_t valueIndex, const TRect& rect);
  virtual bool UseAxis() { return true; }
  virtual void SetFunction(TNuvFunction* value);

  // ---- Overrides ----
  // "DataSources", "CustomHorizAxis", "CustomVertAxis", the binary "Data" (written and read by
  // NvEngineStream) and the old names of the base.
  void DefineProperties(TFiler* filer) override;
  void Assign(const TPersistent* source) override;
  // Resolves the data-source names read from the stream.
  virtual void Loaded();
  void SetParentChart(TCustomAxisPanel* value) override;

  // ---- Points ----
  int32_t Count() const;
  bool IsNull(int32_t valueIndex) { return ValueColor(valueIndex) == clNone; }
  void ExchangeValues(int32_t index1, int32_t index2);
  void SetXValue(int32_t valueIndex, double value);
  void SetYValue(int32_t valueIndex, double value);
  // The stored colour, or clDefault when there is none for the point.
  TColor GetStoredColor(int32_t valueIndex) const;
  void SetValueColor(int32_t valueIndex, TColor color);
  bool HasColors() const { return colors_ != nullptr; }
  // The per-point colours (nullptr until a non-default colour is stored).
  std::vector<TColor>* Colors() const { return colors_.get(); }
  TLabelsList* Labels() const { return labels_.get(); }
  std::string GetXLabel(int32_t valueIndex) const { return labels_->GetLabel(valueIndex); }
  void SetXLabel(int32_t valueIndex, const std::string& text) { labels_->SetLabel(valueIndex, text); }
  // Copies the colours, labels and points of source.
  void CopyValuesFrom(TChartSeries* source);

  TChartValueList* XValues() const { return xValues_; }
  TChartValueList* YValues() const { return yValues_; }
  void SetXValues(const TChartValueList* value);
  void SetYValues(const TChartValueList* value);
  TChartValueLists* ValuesList() { return &valuesList_; }
  TChartValueList* MandatoryValueList() const { return mandatoryValueList_; }
  TChartValueList* NotMandatoryValueList() const { return notMandatoryValueList_; }
  bool YMandatory() const { return yMandatory_; }
  // Makes the series horizontal: X becomes the mandatory list.
  void SetHorizontal();

  // ---- Updates ----
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int32_t UpdateCount() const { return updateCount_; }
  // Refills the linked series, then series event 6.
  void RefreshSeries();
  // Asks the chart to refill the series from its sources (not while updating).
  void CheckDataSource();
  // Keeps the series settings text as DefaultSettingsText.
  void SaveDefaults();

  // ---- Data sources ----
  TDataSourcesList* DataSources() const { return dataSources_.get(); }
  TComponent* GetDataSource() const;
  // Validates and sets the only data source; nullptr runs InternalRemoveDataSource(nullptr).
  void SetDataSource(TComponent* value);
  int32_t AddDataSource(TComponent* source);
  void InternalRemoveDataSource(TComponent* source);
  // Leaves the linked lists of every source series.
  void RemoveDataSource();
  // Whether component may feed this series (without a chart: a series other than this one
  // that accepts this series).
  virtual bool IsValidSourceOf(TChartSeries* value) { return value != this; }
  virtual bool IsValidSeriesSource(TChartSeries* /*value*/) { return true; }
  TCustomSeriesList* LinkedSeries() const { return linkedSeries_.get(); }
  // Data-source names read from a stream, resolved by Loaded.
  void ReadDataSources(const std::vector<std::string>& names);
  std::vector<std::string> DataSourceNames() const;

  // ---- Axes ----
  void RecalcAxes();
  TChartAxis* GetHorizAxis() const { return horizAxisObj_; }
  TChartAxis* GetVertAxis() const { return vertAxisObj_; }
  THorizAxis GetHorizAxisKind() const { return horizAxis_; }
  void SetHorizAxis(THorizAxis value);
  TVertAxis GetVertAxisKind() const { return vertAxis_; }
  void SetVertAxis(TVertAxis value);
  TChartAxis* GetCustomHorizAxis() const { return customHorizAxis_; }
  void SetCustomHorizAxis(TChartAxis* value);
  TChartAxis* GetCustomVertAxis() const { return customVertAxis_; }
  void SetCustomVertAxis(TChartAxis* value);
  // Clears links to an axis being freed (custom axes), falling back to the standard axes.
  void AxisRemoved(TChartAxis* axis);
  TChartAxis* MandatoryAxis() const { return yMandatory_ ? vertAxisObj_ : horizAxisObj_; }
  int32_t CalcXPosValue(double value) const;
  int32_t CalcYPosValue(double value) const;
  int32_t CalcPosValue(double value) const { return yMandatory_ ? CalcYPosValue(value) : CalcXPosValue(value); }
  double XScreenToValue(int32_t screenPos) const;
  double YScreenToValue(int32_t screenPos) const;

  // ---- Visible range, paging, depth ----
  void CalcFirstLastPage(int32_t& first, int32_t& last);
  int32_t FirstDrawIndex() const { return firstDrawIndex_; }
  int32_t GetZOrder() const { return zOrder_ != -1 ? zOrder_ : iZOrder_; }
  int32_t GetZOrderField() const { return zOrder_; }
  void SetZOrder(int32_t value);
  int32_t CalculatedZOrder() const { return iZOrder_; }
  void SetCalculatedZOrder(int32_t value) { iZOrder_ = value; }
  bool FirstInZOrder();
  // Mouse moves: cursor and enter / leave events; true over a point.
  bool CheckMouse(int32_t x, int32_t y);

  // ---- Chart membership (called by the axis panel) ----
  // The chart added the series: free colour, axes, data source.
  void AddedToChart();
  // The chart removed the series.
  void RemovedFromChart();

  // ---- Properties ----
  // The stored colour, or the palette colour when the default marker is stored.
  TColor GetSeriesColor() const { return seriesColor_ == clDefault ? paletteColor_ : seriesColor_; }
  TColor GetStoredSeriesColor() const { return seriesColor_; }
  TColor GetPaletteColor() const { return paletteColor_; }
  void SetPaletteColor(TColor value) { paletteColor_ = value; }
  bool GetColorEachPoint() const { return colorEachPoint_; }
  const std::string& GetColorSource() const { return colorSource_; }
  void SetColorSource(const std::string& value);
  const std::string& GetXLabelsSource() const { return xLabelsSource_; }
  void SetXLabelsSource(const std::string& value);
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  int32_t GetDepth() const { return depth_; }
  void SetDepth(int32_t value) { SetIntegerProperty(depth_, value); }
  TSeriesMarks* GetMarks() const { return marks_.get(); }
  void SetMarks(const TSeriesMarks* value);
  const std::string& GetPercentFormat() const { return percentFormat_; }
  void SetPercentFormat(const std::string& value) { SetStringProperty(percentFormat_, value); }
  bool IsPercentFormatStored() const;
  const std::string& GetValueFormat() const { return valueFormat_; }
  void SetValueFormat(const std::string& value) { SetStringProperty(valueFormat_, value); }
  bool IsValueFormatStored() const;
  TLinkedRefresh LinkedRefresh = lrAll;
  TNuvFunction* GetFunction() const { return function_; }
  // Gives up the function object without freeing it (it moves to another series).
  TNuvFunction* ReleaseFunction();

  // ---- Events ----
  TNotifyEvent AfterDrawValues;
  TNotifyEvent BeforeDrawValues;
  TSeriesOnAfterAdd OnAfterAdd;
  TSeriesOnBeforeAdd OnBeforeAdd;
  TNotifyEvent OnClearValues;
  TSeriesClick OnClick;
  TSeriesClick OnDblClick;
  TSeriesOnGetMarkText OnGetMarkText;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // ---- Public state ----
  bool DontSaveData = false;
  bool ForceSaveData = false;
  bool ManualData = false;
  bool UseXValuesInStream = true;
  int32_t FirstValueIndex = -1;
  int32_t LastValueIndex = -1;
  bool KeepFirstLast = false;
  bool YAutoExcluded = false;
  bool XAutoExcluded = false;
  std::string DefaultSettingsText;
  bool CalcVisiblePoints = true;
  bool DrawPastLastVisible = false;
  bool CenterFunctionPoint = true;
  bool HasZValues = false;
  int32_t StartZ = 0, MiddleZ = 0, EndZ = 0;
  // True while the series reads its stream (set by the reader until Loaded).
  bool Loading = false;

  // Whether the "Data" block is stored.
  bool IsDataStored() const { return ForceSaveData || (ManualData && !DontSaveData); }

  // ---- Series texts and sample values (NvEngineTexts.cpp) ----
  std::string GetMarkText(int32_t valueIndex);
  std::string GetMarkValueText(int32_t valueIndex);
  std::string GetPercentText(int32_t valueIndex, bool addTotal);
  std::string GetXValueText(int32_t valueIndex);
  void DrawMarks();
  int32_t NumSampleValues();
  static int32_t RandomValue(int32_t limit);
  struct TSeriesRandomBounds {
    double StartX = 0, StepX = 0, tmpY = 0, MinY = 0, DifY = 0;
  };
  void RandomBounds(int32_t numValues, TSeriesRandomBounds& bounds);
  void AddSampleValues(int32_t numValues, bool onlyMandatory = false);
  void FillSampleValues(int32_t numValues = 0);
  void PrepareForGallery(bool isEnabled);
  void GalleryChanged3D(bool is3D);

protected:
  void Notification(TComponent* component, TOperation operation) override;
  // Dest assigns source, then Repaint.
  void AssignProperty(TPersistent* dest, const TPersistent* source);
  // Stored colours list with one entry per point, made on the first non-default colour.
  void EnsureColors();
  // Creates the marks (the series types' constructors may replace them).
  void SetMarksObject(std::unique_ptr<TSeriesMarks> marks);

  TColor seriesColor_ = clDefault;
  bool colorEachPoint_ = false;
  std::unique_ptr<std::vector<TColor>> colors_;
  std::string colorSource_;
  TCursor cursor_ = crDefault;
  std::unique_ptr<TDataSourcesList> dataSources_;
  int32_t depth_ = -1;
  TChartAxis* horizAxisObj_ = nullptr;
  TChartAxis* vertAxisObj_ = nullptr;
  std::string xLabelsSource_;
  std::unique_ptr<TCustomSeriesList> linkedSeries_;
  std::unique_ptr<TSeriesMarks> marks_;
  std::string percentFormat_;
  std::unique_ptr<std::vector<std::string>> dataSourceNames_;
  std::string valueFormat_;
  TChartValueLists valuesList_;
  std::unique_ptr<TLabelsList> labels_;
  THorizAxis horizAxis_ = aBottomAxis;
  TChartAxis* customHorizAxis_ = nullptr;
  TChartAxis* customVertAxis_ = nullptr;
  int32_t zOrder_ = -1;
  TVertAxis vertAxis_ = aLeftAxis;
  TNuvFunction* function_ = nullptr;
  bool mouseInside_ = false;
  TColor paletteColor_ = clDefault;
  int32_t updateCount_ = 0;
  int32_t iZOrder_ = 0;
  int32_t firstDrawIndex_ = -1;
  TChartValueList* mandatoryValueList_ = nullptr;
  TChartValueList* notMandatoryValueList_ = nullptr;
  bool yMandatory_ = true;
  TChartValueList* xValues_ = nullptr;
  TChartValueList* yValues_ = nullptr;
  bool destroyingSeries_ = false;

private:
  int32_t InsertPoint(int32_t index, TColor color, const std::string& label);
  // An axis that is not one of the chart's (false without a chart or an axis).
  bool IsForeignAxis(const TChartAxis* axis) const;
  void DeleteCheck(int32_t valueIndex) const;
  void DrawLegendInner(int32_t valueIndex, const TRect& rect);
};

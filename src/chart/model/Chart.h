#pragma once
// The chart control: the axis panel with four titles, a legend and four walls; the order in which
// they are drawn around the axes and series; the dispatch of mouse clicks to the chart's parts;
// zoom by rubber band, scroll by drag and mouse wheel, with the axis ranges saved before the first
// zoom or scroll and restored by UndoZoom. The chart owns its titles, walls and legend; it holds
// its series without owning them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/model/ChartLegend.h"
#include "chart/model/ChartTitles.h"
#include "chart/model/ChartWalls.h"
#include "chart/model/NvEngineAxisPanel.h"

class TChartAxis;
class TChartSeries;

// The part of a chart under a point, in the numbering the chart's events use.
enum TChartClickedPartStyle {
  cpNone,
  cpLegend,
  cpAxis,
  cpSeries,
  cpTitle,
  cpFoot,
  cpChartRect,
  cpSeriesMarks,
  cpSubTitle,
  cpSubFoot
};

struct TChartClickedPart {
  TChartClickedPartStyle Part = cpNone;
  int32_t PointIndex = -1;
  TChartSeries* ASeries = nullptr;
  TChartAxis* AAxis = nullptr;
};

// One axis' saved range, kept with the axis it belongs to.
struct TSavedAxisRange {
  TChartAxis* Axis = nullptr;
  bool Automatic = false;
  bool AutomaticMinimum = false;
  bool AutomaticMaximum = false;
  double Maximum = 0.0;
  double Minimum = 0.0;
};

class TCustomChart;

using TChartAllowScrollEvent =
    std::function<void(TChartAxis* sender, double& aMin, double& aMax, bool& allowScroll)>;
using TChartClickAxisEvent = std::function<void(TCustomChart* sender, TChartAxis* axis, TMouseButton button,
                                                TShiftState shift, int32_t x, int32_t y)>;
using TChartClickEvent =
    std::function<void(TCustomChart* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TChartClickSeriesEvent = std::function<void(TCustomChart* sender, TChartSeries* series, int32_t valueIndex,
                                                  TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TChartClickTitleEvent = std::function<void(TCustomChart* sender, TChartTitle* title, TMouseButton button,
                                                 TShiftState shift, int32_t x, int32_t y)>;
using TChartGetLegendPosEvent =
    std::function<void(TCustomChart* sender, int32_t index, int32_t& x, int32_t& y, int32_t& xColor)>;
using TChartGetLegendRectEvent = std::function<void(TCustomChart* sender, TRect& rect)>;
using TChartGetLegendTextEvent =
    std::function<void(TCustomChart* sender, TLegendStyle legendStyle, int32_t index, std::string& text)>;

// Whether the mouse wheel scrolls the vertical axes of every chart (on by default).
extern bool NuvChartUseMouseWheel;

class TCustomChart : public TCustomAxisPanel {
public:
  explicit TCustomChart(TComponent* owner);
  ~TCustomChart() override;

  void Assign(const TPersistent* source) override;

  // ---- Owned parts (setters copy into the owned object) ----
  TChartTitle* GetTitle() const { return title_.get(); }
  void SetTitle(const TChartTitle* v) { title_->Assign(v); }
  TChartTitle* GetSubTitle() const { return subTitle_.get(); }
  void SetSubTitle(const TChartTitle* v) { subTitle_->Assign(v); }
  TChartFootTitle* GetFoot() const { return foot_.get(); }
  void SetFoot(const TChartTitle* v) { foot_->Assign(v); }
  TChartFootTitle* GetSubFoot() const { return subFoot_.get(); }
  void SetSubFoot(const TChartTitle* v) { subFoot_->Assign(v); }
  TChartLegend* GetLegend() const { return legend_.get(); }
  void SetLegend(const TChartLegend* v);
  TChartWalls* GetWalls() const { return walls_.get(); }
  TChartBackWall* GetBackWall() const { return walls_->GetBack(); }
  void SetBackWall(const TChartBackWall* v) { walls_->SetBack(v); }
  TChartWall* GetBottomWall() const { return walls_->GetBottom(); }
  void SetBottomWall(const TChartWall* v) { walls_->SetBottom(v); }
  TChartWall* GetLeftWall() const { return walls_->GetLeft(); }
  void SetLeftWall(const TChartWall* v) { walls_->SetLeft(v); }
  TChartRightWall* GetRightWall() const { return walls_->GetRight(); }
  void SetRightWall(const TChartRightWall* v) { walls_->SetRight(v); }
  // The back wall's pen.
  TChartPen* GetFrame() const { return walls_->GetBack()->GetPen(); }
  void SetFrame(const TChartPen* v) { walls_->GetBack()->SetPen(v); }
  TMouseButton GetScrollMouseButton() const { return scrollMouseButton_; }
  void SetScrollMouseButton(TMouseButton v) { scrollMouseButton_ = v; }

  // ---- Events ----
  TChartAllowScrollEvent OnAllowScroll;
  TChartClickAxisEvent OnClickAxis;
  TChartClickEvent OnClickBackground;
  TChartClickEvent OnClickLegend;
  TChartClickSeriesEvent OnClickSeries;
  TChartClickTitleEvent OnClickTitle;
  TChartGetLegendPosEvent OnGetLegendPos;
  TChartGetLegendRectEvent OnGetLegendRect;
  TChartGetLegendTextEvent OnGetLegendText;
  TNotifyEvent OnAxisMenu;
  TNotifyEvent OnSeriesMenu;

  // ---- State ----
  int32_t ColorPaletteIndex = 0;
  const std::vector<TSavedAxisRange>& SavedRanges() const { return savedRanges_; }
  bool RangesFree() const { return rangesFree_; }
  int32_t LegendCheckMode = 0;
  bool MenuMode = false;
  TChartSeries* ClickedSeries = nullptr;
  TChartAxis* ClickedAxis = nullptr;
  // Keys that must be held for scrolling with the scroll button (none by default).
  TShiftState PanningKeyShift = 0;
  int32_t GetLegendCheckMode() const override { return LegendCheckMode; }

  // The components stored with the chart: the panel's children (its series), then every tool.
  std::vector<TComponent*> GetChildren() const;

  // ---- Right-click menus and stored appearance (defined with the menus, ChartMenus.cpp) ----
  void SaveAxesDefaults();
  void LoadSeriesSettings(const std::string& name, TChartSeries* series);
  void LegendMenuClick(int itemIndex);
  void SeriesMenuClick(int itemIndex);
  void AxisMenuClick(int itemIndex);

  // ---- Queries ----
  TChartSeries* FirstActiveSeries() const;
  void AxisTitleOrName(TChartAxis* axis, std::string& text) const;
  std::string AxisTitleOrName(TChartAxis* axis) const;
  bool ActiveSeriesUseAxis() const;
  bool IsSideFacing(int32_t x);
  bool IsLeftSideFacing();
  bool IsRightSideFacing();
  void CalcClickedPart(TPoint point, TChartClickedPart& part);

  // ---- Saved ranges, zoom and scroll ----
  void SaveAxesRanges();
  // Writes every saved record back to its own axis, both ends at once; then forgets them.
  void RestoreAxesRanges();
  void UndoZoom() override;
  // Zooms the four side axes to the given ranges (left, right, top, bottom).
  void ZoomToRanges(double leftMin, double leftMax, double rightMin, double rightMax, double topMin, double topMax,
                    double bottomMin, double bottomMax);
  // Zooms to a rectangle in pixels (its corners become values on the side axes).
  void ZoomRect(const TRect& rect);
  // Scrolls every horizontal (or vertical) non-depth axis by the value between two pixel positions.
  void ScrollAxes(bool horizontal, int32_t oldPos, int32_t newPos);
  bool IsZooming() const;
  bool IsScrolling() const { return scrolling_; }

  // ---- Input ----
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  // Wheel down (delta < 0) scrolls every vertical axis by 3 % of its range, wheel up by -3 %.
  bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) override;

  // ---- Overrides of the axis panel ----
  TColor GetBackColor() override;
  void CalcWallsRect() override;
  int32_t GetWallSize(TChartAxis* axis) override;
  void DrawTitlesAndLegend(bool beforeSeries) override;
  void DrawLegendSymbolRect(TChartSeries* series, const TRect& rect) override;
  void DrawWalls() override;
  // Every active series finds its visible points first, so that axes labelled from the points
  // have them when axes are drawn before the series.
  void DoOnBeforeDrawAxes() override;
  std::string ValueLegendText(TChartSeries* series, int32_t valueIndex) override;
  bool IsFreeSeriesColor(TColor color, bool checkBackground, TChartSeries* series) override;

  // Stream properties: "BackColor" (read, never written) and "ColorPaletteIndex".
  void DefineProperties(TFiler* filer, const TCustomChart* ancestor = nullptr);
  void ReadBackColor(TColor color);
  void ReadColorPaletteIndex(int32_t index);
  bool IsColorPaletteIndexStored(const TCustomChart* ancestor) const;

private:
  bool StartZoomOrScroll(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  bool RunClickEvent(const std::function<void()>& event);
  void DrawTitles(bool customPosition);
  void DrawFrontPlanes();
  void ScrollAxis(TChartAxis* axis, double oldValue, double newValue);
  void SetChartRectAndRecalc(const TRect& r);
  void ToolsMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y);

  std::unique_ptr<TChartFootTitle> foot_;
  std::unique_ptr<TChartLegend> legend_;
  TMouseButton scrollMouseButton_ = mbRight;
  std::unique_ptr<TChartFootTitle> subFoot_;
  std::unique_ptr<TChartTitle> subTitle_;
  std::unique_ptr<TChartTitle> title_;
  std::unique_ptr<TChartWalls> walls_;
  std::vector<TSavedAxisRange> savedRanges_;
  bool rangesFree_ = true;
  bool scrolling_ = false;
};

// The chart control as placed on forms.
class TChart : public TCustomChart {
public:
  using TCustomChart::TCustomChart;
};

#pragma once
// Base of the chart tools: chart elements kept in the chart's tool list that hear the chart's paint
// phases (ChartEvent) and mouse actions (ChartMouseEvent). TNuvCustomToolSeries binds a tool to one
// series, TNuvCustomToolAxis to one axis. A tool leaves its chart's list when it is destroyed or
// moved to another chart; the series and axis links are cleared when their target goes.
#include <cstdint>
#include <string>

#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTypes.h"

class TNuvCustomTool : public TCustomChartElement {
public:
  explicit TNuvCustomTool(TComponent* owner = nullptr);
  ~TNuvCustomTool() override;

  // Paint phases 0..5 (TChartToolEvent); empty in the base.
  virtual void ChartEvent(TChartToolEvent kind) { (void)kind; }
  // Mouse down, move and up over the chart; empty in the base.
  virtual void ChartMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
  {
    (void)kind, (void)button, (void)shift, (void)x, (void)y;
  }
  // Text for tool galleries and editors; empty in the base.
  virtual std::string GetDescription() const { return std::string(); }
  // Leaves the old chart's tool list (invalidating the old chart when Value is nullptr), stores
  // Value and joins the new chart's list.
  void SetParentChart(TCustomAxisPanel* value) override;
};

class TNuvCustomToolSeries : public TNuvCustomTool {
public:
  explicit TNuvCustomToolSeries(TComponent* owner = nullptr);
  ~TNuvCustomToolSeries() override;
  std::string GetEditorClass() const override { return "TSeriesToolEditor"; }

  TChartSeries* GetSeries() const { return series_; }
  // Stores the series and moves the free-notification link.
  virtual void SetSeries(TChartSeries* value);
  // The series' horizontal axis; without a series the bottom axis, or the top axis when no active
  // series uses the bottom axis and one uses the top axis.
  TChartAxis* GetHorizAxis() const;
  // Likewise with the left and right axes.
  TChartAxis* GetVertAxis() const;

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  TChartSeries* series_ = nullptr;
};

class TNuvCustomToolAxis : public TNuvCustomTool {
public:
  explicit TNuvCustomToolAxis(TComponent* owner = nullptr);
  std::string GetEditorClass() const override { return "TAxisToolEditor"; }

  TChartAxis* GetAxis() const { return axis_; }
  // Stores the axis, takes its chart as parent chart (nullptr for nullptr) and repaints.
  virtual void SetAxis(TChartAxis* value);
  // Stream property "AxisID": the index of the axis in its chart's axis list, written when set.
  void DefineProperties(TFiler* filer);
  // The chart lost the axis (or is being destroyed): forget it.
  void AxisRemoved(TChartAxis* axis)
  {
    if (axis == axis_) axis_ = nullptr;
  }

private:
  TChartAxis* axis_ = nullptr;
};

#pragma once
// The point series: a marker (the series pointer) at every point, no connecting line, marks with
// a callout of length 0. The series owns its pointer.
#include <cstdint>
#include <memory>

#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/model/NvEngineSeries.h"

class TPointSeries : public TChartSeries {
public:
  explicit TPointSeries(TComponent* owner);
  ~TPointSeries() override;

  void Assign(const TPersistent* source) override;
  void SetParentChart(TCustomAxisPanel* value) override;

  TSeriesPointer* GetPointer() const { return pointer_.get(); }
  void SetPointer(const TSeriesPointer* v) { pointer_->Assign(v); }

  // ---- Overrides of the series base ----
  void DrawValue(int32_t valueIndex) override;
  // Draws the points with the canvas prepared once per run of equal colours.
  void DrawAllValues() override;
  // The point whose marker box holds (x, y), searching from the last drawn point; -1.
  int32_t Clicked(int32_t x, int32_t y) override;
  void CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin) override;
  void CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin) override;
  void DrawLegendShape(int32_t valueIndex, const TRect& rect) override;
  void DrawMark(int32_t valueIndex, const std::string& text, TSeriesMarkPosition* position) override;
  std::string GetEditorClass() const override { return "TSeriesPointerEditor"; }

private:
  // All points in one colour with a stamped marker: the markers' places worked out in one loop and
  // handed to the canvas together. False (nothing drawn) when the points are not of that kind.
  bool DrawAllStamped();

  std::unique_ptr<TSeriesPointer> pointer_;
  // While DrawAllValues runs: the colour the canvas is prepared for, when it is.
  bool inRun_ = false;
  bool prepared_ = false;
  TColor preparedColor_ = clDefault;
};

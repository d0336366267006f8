#pragma once
// Base of the series functions: a component attached to one series (its parent series) that fills
// that series with points computed from the series' data sources, either once over all source
// points or period by period. Concrete functions override Calculate and CalculateMany.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"

class TChartSeries;
class TChartValueList;
class TCustomAxisPanel;

enum TFunctionPeriodStyle : uint8_t { psNumPoints, psRange };
enum TFunctionPeriodAlign : uint8_t { paFirst, paCenter, paLast };

class TNuvFunction : public TComponent {
public:
  explicit TNuvFunction(TComponent* owner = nullptr);
  ~TNuvFunction() override;

  void Assign(const TPersistent* source) override;

  double GetPeriod() const { return period_; }
  // A negative period raises ChartException "Function Period should be >= 0"; a different value
  // is stored and the parent series recalculated.
  void SetPeriod(double value);
  // Stores the period without recalculating.
  void InternalSetPeriod(double value) { period_ = value; }
  TFunctionPeriodStyle GetPeriodStyle() const { return periodStyle_; }
  void SetPeriodStyle(TFunctionPeriodStyle value);
  TFunctionPeriodAlign GetPeriodAlign() const { return periodAlign_; }
  void SetPeriodAlign(TFunctionPeriodAlign value);
  bool GetRefillOnRefresh() const { return refillOnRefresh_; }
  void SetRefillOnRefresh(bool value) { refillOnRefresh_ = value; }

  TChartSeries* GetParentSeries() const { return parentSeries_; }
  // The old parent loses its function; Value's SetFunction(this) attaches it.
  void SetParentSeries(TChartSeries* value);
  // Called by the series when it takes or drops this function (no further calls).
  void InternalSetParentSeries(TChartSeries* value) { parentSeries_ = value; }

  void BeginUpdate() { updating_ = true; }
  void EndUpdate();
  bool Updating() const { return updating_; }
  // When not updating and attached: the parent series' CheckDataSource.
  void Recalculate();

  // The source list the function reads.
  TChartValueList* ValueList(TChartSeries* source) const;

  // Fills the parent series from Source (the series' AssignValues calls it).
  virtual void AddPoints(TChartSeries* source);
  // The parent series was cleared.
  virtual void Clear() {}

  // The value over points FirstIndex..LastIndex of Source (-1, -1: all points); 0 in the base.
  virtual double Calculate(TChartSeries* source, int32_t firstIndex, int32_t lastIndex);
  // The value at ValueIndex over several sources; 0 in the base.
  virtual double CalculateMany(const std::vector<TComponent*>& sourceList, int32_t valueIndex);
  virtual std::string GetEditorClass() const { return "TNuvFunctionEditor"; }
  virtual void PrepareForGallery(TCustomAxisPanel* chart);

  // Upper bound on the number of points one calculation adds (a period too small to advance
  // ends the calculation here instead of looping).
  static constexpr int32_t MaxPeriodPoints = 1000000;

protected:
  // Adds (X, Calculate(Source, First, Last)), X and Y exchanged for a horizontal source.
  virtual void CalculatePeriod(TChartSeries* source, double x, int32_t firstIndex, int32_t lastIndex);
  virtual void CalculateAllPoints(TChartSeries* source, TChartValueList* notMandatorySource);
  virtual void CalculateByPeriod(TChartSeries* source, TChartValueList* notMandatorySource);
  virtual void DoCalculation(TChartSeries* source, TChartValueList* notMandatorySource);
  void Notification(TComponent* component, TOperation operation) override;

private:
  double period_ = 0;
  TFunctionPeriodStyle periodStyle_ = psNumPoints;
  TFunctionPeriodAlign periodAlign_ = paCenter;
  TChartSeries* parentSeries_ = nullptr;
  bool updating_ = false;
  bool refillOnRefresh_ = false;
};

// The periods of a calculation over ordered X values, as index ranges and the X of each result:
// plain arithmetic that CalculateByPeriod walks. A psNumPoints period that rounds below one point
// takes one point; a last period shorter than the others gives nothing. psRange windows run from
// the first X, each ending where Advance moves its start (nullptr: start + Period); a window that
// does not advance ends the walk, and so does reaching MaxPeriodPoints results. A period that is
// not above 0 or not finite gives nothing.
struct TFunctionPeriod {
  int32_t First = 0, Last = -1;  // Last < First: an empty window (value 0)
  double X = 0;
};
std::vector<TFunctionPeriod> CalculateFunctionPeriods(const std::vector<double>& x, double period,
                                                      TFunctionPeriodStyle style, TFunctionPeriodAlign align,
                                                      const std::function<double(double start)>& advance = {});

#pragma once
// The chart template writer: stores a chart's series (their stored properties, and their points
// when asked to) as a text file. While it writes, every series of the chart carries ForceSaveData
// (points stored) or DontSaveData (points not stored); both flags are cleared afterwards, also
// when writing fails.
#include <ostream>
#include <string>

class TCustomAxisPanel;

// Sets the flags on construction and clears them on destruction.
class TSeriesSaveDataScope {
public:
  TSeriesSaveDataScope(TCustomAxisPanel* chart, bool includeData);
  ~TSeriesSaveDataScope();
  TSeriesSaveDataScope(const TSeriesSaveDataScope&) = delete;
  TSeriesSaveDataScope& operator=(const TSeriesSaveDataScope&) = delete;

private:
  TCustomAxisPanel* chart_;
};

// One block per series: "[Series]", then "Name=", "Type=" (gallery description), "Settings="
// (the series settings text) and each stored property as "Property.<name>=" (binary values in
// hexadecimal). EInOutError when the file cannot be written.
void SaveChartTemplate(TCustomAxisPanel* chart, std::ostream& out, bool includeData);
void SaveChartTemplateToFile(TCustomAxisPanel* chart, const std::string& fileName, bool includeData);

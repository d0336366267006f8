#pragma once
// Shared small types of the chart model: the model's exception, the kinds of series events, tool
// events and series value events, the axis choices of a series, the legend text styles, message
// formatting, and the stored-property filer through which elements keep extra data in their
// stream ("DataSources", "CustomHorizAxis", "Data", "Multiplier"...).
//
// Where the classes live: value lists in NvEngineValues.h; the chart element, the series base and
// the series lists in NvEngineSeries.h (labels, data sources, series sources and groups in
// NvEngineSources.h); the axis panel, its axis list, custom axes and tool list in
// NvEngineAxisPanel.h.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "chart/canvas/NuvProcs.h"
#include "platform/Types.h"

class TChartValueList;
class TCustomChartElement;
class TCustomChartSeries;
class TChartSeries;
class TCustomAxisPanel;
class TChartAxis;
class TChartDepthAxis;
class TSeriesMarks;
class TSeriesMarkPosition;
class TSeriesPointer;
class TNuvFunction;
class TNuvCustomTool;
class TNuvSeriesSource;
class TSeriesGroup;
class TSeriesGroups;
class TCustomChart;

// Errors of the chart model (texts from the message table).
class ChartException : public Exception {
public:
  using Exception::Exception;
};

// Internal consistency check naming the unit: raises EAssertionFailed "<message> (NvEngine)".
void NvEngineAssert(bool condition, const std::string& message);

// Fills the "%d" and "%s" (and "%%") of a message-table format in order with the given texts.
// Extra conversions without an argument are left as they stand; the format is never trusted.
std::string FormatMessage(const std::string& format, std::initializer_list<std::string> args);

// ---- Value lists ----
enum TChartListOrder { loNone, loAscending, loDescending };

// ---- Axes of a series ----
enum THorizAxis { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum TVertAxis { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };

// ---- Series value events, told to linked series (NotifyValue) ----
enum TValueEvent { veClear = 0, veAdd = 1, veDelete = 2, veRefresh = 3, veModify = 4 };

// LinkedRefresh: which changes of a source series a linked series follows.
using TLinkedRefresh = uint8_t;
constexpr TLinkedRefresh lrOnDelete = 1, lrOnModify = 2, lrOnAdd = 4, lrOnClear = 8;
constexpr TLinkedRefresh lrAll = lrOnDelete | lrOnModify | lrOnAdd | lrOnClear;

// ---- Series events broadcast to the panel's listeners ----
enum TChartSeriesEvent {
  seAdd = 0,            // series added
  seRemove = 1,         // series removed
  seChangeTitle = 2,    // title changed
  seChangeColor = 3,    // colour changed
  seSwap = 4,           // two series swapped (no series)
  seChangeActive = 5,   // Active changed
  seDataChanged = 6     // data refreshed
};

class TNuvSeriesEvent : public TNuvEvent {
public:
  TChartSeriesEvent Event = seAdd;
  TChartSeries* Series = nullptr;
};

// Broadcast after the current page or the page size changed.
class TChartChangePage : public TNuvEvent {};

// ---- Tool events (paint phases and mouse) ----
enum TChartToolEvent {
  cteAfterDraw = 0,          // after the whole chart was drawn
  cteBeforeDrawSeries = 1,   // before the series
  cteBeforeDraw = 2,         // before the chart
  cteBeforeDrawAxes = 3,     // before the axes
  cteAfterDrawSeries = 4,    // after the series
  cteMouseLeave = 5          // the mouse left the chart
};

enum TChartMouseEvent { cmeDown = 0, cmeMove = 1, cmeUp = 2 };

// ---- Legend texts ----
enum TLegendTextStyle {
  ltsPlain,
  ltsLeftValue,
  ltsRightValue,
  ltsLeftPercent,
  ltsRightPercent,
  ltsXValue,
  ltsValue,
  ltsPercent,
  ltsXAndValue,
  ltsXAndPercent
};

// (The legend's column separator, character 6, is LegendColumnSeparator in ChartLegend.h.)

// ---- Series event types ----
using TSeriesClick = std::function<void(TChartSeries* sender, int32_t valueIndex, TMouseButton button,
                                        TShiftState shift, int32_t x, int32_t y)>;
using TSeriesOnAfterAdd = std::function<void(TChartSeries* sender, int32_t valueIndex)>;
using TSeriesOnBeforeAdd = std::function<bool(TChartSeries* sender)>;
using TSeriesOnGetMarkText = std::function<void(TChartSeries* sender, int32_t valueIndex, std::string& text)>;
// The gallery's sub-style callback: one call per offered sub-style.
using TChartSubGalleryProc = std::function<void(const std::string& name)>;

// ---- Stored properties ----
// A value kept in a component stream under a property name.
using TStreamValue = std::variant<bool, int64_t, double, std::string, std::vector<std::string>, std::vector<uint8_t>>;

// What a component's DefineProperties talks to: the reader calls readFn for every defined
// property present in the stream; the writer calls writeFn for every property whose hasData is
// true and stores the value under its name.
class TFiler {
public:
  virtual ~TFiler() = default;
  virtual void DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>& readFn,
                              const std::function<TStreamValue()>& writeFn, bool hasData) = 0;
};

// Reads named values into the components that define them.
class TPropertyReader : public TFiler {
public:
  explicit TPropertyReader(std::map<std::string, TStreamValue> values) : values_(std::move(values)) {}
  void DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>& readFn,
                      const std::function<TStreamValue()>& writeFn, bool hasData) override;

private:
  std::map<std::string, TStreamValue> values_;
};

// Collects the values components write.
class TPropertyWriter : public TFiler {
public:
  void DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>& readFn,
                      const std::function<TStreamValue()>& writeFn, bool hasData) override;
  const std::map<std::string, TStreamValue>& Values() const { return values_; }

private:
  std::map<std::string, TStreamValue> values_;
};

// Reads a stored number as a double (integers convert); EConvertError for any other kind.
double StreamValueToDouble(const TStreamValue& value);
// Reads a stored integer (a double with an integral value converts); EConvertError otherwise.
int64_t StreamValueToInteger(const TStreamValue& value);

#pragma once
// Shared chart routines: default palette, date-time steps, hit tests, callback sort, multi-line
// texts, number formats, the editor's stored options, form translation, resource bitmaps,
// unique component names, the hand cursor and the base of the series data exporters.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Types.h"

class TBitmap;
class TCanvas;
class TNuvCanvas;
class TControl;

using TDateTime = double;

// ---- Palette ----
// The colours new series take in turn.
extern std::vector<TColor> DefaultPalette;
// Entry Index mod n of the palette; a negative index is a range error.
TColor GetDefaultColor(int32_t index);
// With high > 0 the palette becomes palette[0..high]; with high = 0 the built-in palette returns.
void SetDefaultColorPalette(const std::vector<TColor>& palette, int32_t high);

// ---- Date and time ----
constexpr int NumDateTimeSteps = 27;
// Axis steps in days, from one microsecond to one year.
extern const double DateTimeSteps[NumDateTimeSteps];
// 1 January 1900.
extern TDateTime DateTimeOrigin;
// Default display format for a step: the short date format above one day, else the long time format.
std::string DateTimeDefaultFormat(double step);
double FindDateTimeStep(double value);
// Index of the step equal to value, NumDateTimeSteps when none.
int32_t DateTimeStepIndex(double value);
TDateTime RoundDateToStep(int32_t stepIndex, TDateTime value);
void IncrementDateTime(bool isDateTime, bool increase, double& value, double step, int32_t stepIndex);
// Calendar helpers (days since 30 December 1899).
TDateTime EncodeDate(int32_t year, int32_t month, int32_t day);
void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day);

// ---- Geometry ----
// Set by PointInLineTolerance on success: whether the point is nearer the first end.
extern bool NearFirstPoint;
bool PointInLineTolerance(TPoint p, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t tolerance);
bool PointInLine(TPoint p, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
bool PointInLinePoints(TPoint p, TPoint p0, TPoint p1, int32_t tolerance);
bool PointInPolygon(TPoint p, const std::vector<TPoint>& points, int32_t high);
bool PointInTriangle(TPoint p, int32_t x0, int32_t x1, int32_t y0, int32_t y1);
bool PointInHorizTriangle(TPoint p, int32_t y0, int32_t y1, int32_t x0, int32_t x1);
bool PointInEllipse(TPoint p, int32_t left, int32_t top, int32_t right, int32_t bottom);

// ---- Sorting ----
using TNuvCompareProc = std::function<int(int32_t a, int32_t b)>;
using TNuvSwapProc = std::function<void(int32_t a, int32_t b)>;
void QuickSort(int32_t lo, int32_t hi, const TNuvCompareProc& compare, const TNuvSwapProc& swap);

// ---- Texts ----
// Separator of multi-line chart texts, ";" by default.
extern std::string LineSeparator;
int32_t CountTextLines(const std::string& text);
int32_t CountTextLines(const std::string& text, const std::string& separator);
std::string ExtractTextLine(const std::string& text, int32_t index);
std::string ExtractTextLine(const std::string& text, int32_t index, const std::string& separator);
// Every oldChar replaced by newChar, or removed when newChar is '\0'.
std::string ReplaceChar(const std::string& s, char oldChar, char newChar);
std::string NumberFormatToLocal(const std::string& format);
std::string NumberFormatFromLocal(const std::string& format);
std::string IntegerToString(int64_t value);
std::string GetUniqueComponentName(const TComponent* owner, const std::string& prefix);

// ---- Editor options ----
bool ReadEditorBool(const std::string& name, bool defaultValue);
void WriteEditorBool(const std::string& name, bool value);
int32_t ReadEditorInteger(const std::string& name, int32_t defaultValue);

// ---- Forms and resources ----
using TTranslateHook = std::function<void(TControl* control, const std::vector<TControl*>& excluded)>;
extern TTranslateHook TranslateHook;
void TranslateControl(TControl* control);
void TranslateControlExcept(TControl* control, const std::vector<TControl*>& excluded);
void EnableControls(bool enable, const std::vector<TControl*>& controls);
// Loads bitmap resource name, else altName, from the first resource module that has either.
// Returns whether one was found.
bool LoadBitmapResource(TBitmap* bitmap, const std::string& name, const std::string& altName);
// Class name of instance and of its parent class.
bool LoadClassBitmap(const std::string& className, const std::string& parentClassName, TBitmap* bitmap);
// A 13 x 13 check box or radio button at (x, y). The last flag is accepted and ignored.
void DrawCheckBox(int32_t x, int32_t y, TCanvas* canvas, bool checked, TColor backColor, bool isRadio = false,
                  bool unused = false);
// The same through a chart canvas: drawn into its frame (an OpenGL frame too).
void DrawCheckBox(int32_t x, int32_t y, TNuvCanvas* canvas, bool checked, TColor backColor, bool isRadio = false);

// ---- Hand cursor ----
constexpr int16_t crNuvHand = 2020;

// ---- Global panel options ----
extern bool ClipWhenPrinting;
extern bool ClipWhenMetafiling;
extern bool EraseBackground;
extern bool PrintPanelBackground;

// Base of the series data exporters.
class TNuvExportData {
public:
  virtual ~TNuvExportData() = default;
  virtual std::string AsString() { return std::string(); }
  virtual void CopyToClipboard();
  virtual void SaveToFile(const std::string& fileName);
  virtual void SaveToStream(std::ostream& stream);
};

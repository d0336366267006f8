#include "chart/canvas/NuvProcsRoutines.h"

#include "chart/canvas/NvCanvas.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Controls.h"
#include "platform/Cursors.h"
#include "platform/Graphics.h"
#include "platform/Registry.h"
#include "platform/ClipboardText.h"
#include "platform/ResourceModules.h"

namespace {

const TColor kBuiltInPalette[20] = {
    clRed,  clGreen, clYellow, clBlue,   clWhite, clGray,   clFuchsia,    clTeal,     clNavy,  clMaroon,
    clLime, clOlive, clPurple, clSilver, clAqua,  clBlack, clMoneyGreen, clSkyBlue, clCream, clMedGray};

std::vector<TColor> BuiltInPalette() { return std::vector<TColor>(std::begin(kBuiltInPalette), std::end(kBuiltInPalette)); }

const char* const kEditorKey = "SOFTWARE\\Brenik Software\\NuvChart Pro\\Editor";

}  // namespace

// ---- Unit state ----
std::vector<TColor> DefaultPalette = BuiltInPalette();
std::string LineSeparator = ";";
TTranslateHook TranslateHook;
bool NearFirstPoint = false;
TDateTime DateTimeOrigin = 2.0;  // 1 January 1900
bool ClipWhenPrinting = true;
bool ClipWhenMetafiling = true;
bool EraseBackground = false;
bool PrintPanelBackground = false;

namespace {
// Start-up registers the hand cursor; shut-down removes it and clears the texts and palette.
struct UnitLifetime {
  UnitLifetime()
  {
    TCursorImage image;
    if (LoadCursorResource("NUV_CURSOR_HAND", image)) ScreenCursors().SetCursor(crNuvHand, image);
  }
  ~UnitLifetime()
  {
    ScreenCursors().RemoveCursor(crNuvHand);
    DefaultPalette.clear();
    LineSeparator.clear();
  }
} unitLifetime;
}  // namespace

// ---- Palette ----
TColor GetDefaultColor(int32_t index)
{
  if (index < 0) throw ERangeError("Palette index out of range");
  if (DefaultPalette.empty()) throw ERangeError("Palette index out of range");
  return DefaultPalette[static_cast<size_t>(index) % DefaultPalette.size()];
}

void SetDefaultColorPalette(const std::vector<TColor>& palette, int32_t high)
{
  if (high < 0) throw ERangeError("Palette index out of range");
  if (high == 0) {
    DefaultPalette = BuiltInPalette();
    return;
  }
  if (static_cast<size_t>(high) >= palette.size()) throw ERangeError("Palette index out of range");
  DefaultPalette.assign(palette.begin(), palette.begin() + high + 1);
}

// ---- Date and time ----
namespace {
constexpr double kSecond = 1.0 / 86400.0;
constexpr double kMinute = 60.0 * kSecond;
constexpr double kHour = 60.0 * kMinute;
}  // namespace

const double DateTimeSteps[NumDateTimeSteps] = {
    kSecond / 1e6, kSecond / 1000.0, kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
    kMinute,       5 * kMinute,      10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,   2 * kHour,
    6 * kHour,     12 * kHour,       1,       2,           3,            7,            15,
    30,            60,               90,      120,         182,          365};

std::string DateTimeDefaultFormat(double step)
{
  // The short date and long time formats of the system's default settings.
  return step > 1.0 ? "dd/mm/yyyy" : "hh:nn:ss";
}

double FindDateTimeStep(double value)
{
  for (int i = NumDateTimeSteps - 2; i >= 0; --i)
    if (value >= DateTimeSteps[i]) return DateTimeSteps[i + 1];
  return DateTimeSteps[NumDateTimeSteps - 1];
}

int32_t DateTimeStepIndex(double value)
{
  for (int i = NumDateTimeSteps - 1; i >= 0; --i)
    if (std::fabs(DateTimeSteps[i] - value) < DateTimeSteps[0]) return i;
  return NumDateTimeSteps;
}

namespace {
// Days from 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& y, int32_t& m, int32_t& d)
{
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int32_t>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kDay0 = -25569;  // 30 December 1899 in days from 1970-01-01

bool IsLeap(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int32_t DaysInMonth(int32_t y, int32_t m)
{
  static const int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}
}  // namespace

TDateTime EncodeDate(int32_t year, int32_t month, int32_t day)
{
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<double>(DaysFromCivil(year, month, day) - kDay0);
}

void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day)
{
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6) throw EConvertError("Invalid date");
  // The date part of a TDateTime is its integer part (towards zero).
  int64_t days = static_cast<int64_t>(std::trunc(value));
  CivilFromDays(days + kDay0, year, month, day);
}

TDateTime RoundDateToStep(int32_t stepIndex, TDateTime value)
{
  if (value <= DateTimeOrigin) return value;
  int32_t y, m, d;
  DecodeDate(value, y, m, d);
  switch (stepIndex) {
  case 20: d = d >= 15 ? 15 : 1; break;
  case 21: case 22: case 23: case 24: case 25: d = 1; break;
  case 26: d = 1; m = 1; break;
  default: break;
  }
  return EncodeDate(y, m, d);
}

void IncrementDateTime(bool isDateTime, bool increase, double& value, double step, int32_t stepIndex)
{
  if (!isDateTime || stepIndex < 20 || stepIndex > 26) {
    value = increase ? value + step : value - step;
    return;
  }
  int32_t y, m, d;
  DecodeDate(value, y, m, d);
  auto shiftMonths = [&](int32_t shift) {
    d = 1;
    if (increase) {
      m += shift;
      if (m > 12) {
        m -= 12;
        ++y;
      }
    } else if (shift >= m) {
      m = 12 - (shift - m);
      --y;
    } else {
      m -= shift;
    }
  };
  switch (stepIndex) {
  case 20:
    if (increase) {
      if (d < 15) {
        d = 15;
      } else {
        shiftMonths(1);
      }
    } else {
      if (d > 15) {
        d = 15;
      } else if (d >= 2) {
        d = 1;
      } else {
        shiftMonths(1);
        d = 15;
      }
    }
    break;
  case 21: shiftMonths(1); break;
  case 22: shiftMonths(2); break;
  case 23: shiftMonths(3); break;
  case 24: shiftMonths(4); break;
  case 25: shiftMonths(6); break;
  case 26:
    y += increase ? 1 : -1;
    // 29 February of a leap year has no twin a year away: the last day of February stands in.
    d = std::min(d, DaysInMonth(y, m));
    break;
  }
  value = EncodeDate(y, m, d);
}

// ---- Geometry ----
namespace {
double Distance(double x0, double y0, double x1, double y1) { return std::hypot(x1 - x0, y1 - y0); }

int32_t HalfSum(int32_t a, int32_t b)
{
  // (a + b) div 2 with the overflow the rectangle arithmetic checks for.
  int32_t s = AddChecked(a, b);
  return s / 2;
}
}  // namespace

bool PointInLineTolerance(TPoint p, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t tolerance)
{
  bool hit = false;
  if ((p.x == x0 && p.y == y0) || (p.x == x1 && p.y == y1)) {
    hit = true;
  } else {
    const double ax = x0, ay = y0, bx = x1, by = y1, px = p.x, py = p.y;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double dist;
    if (len2 == 0) {
      dist = Distance(px, py, ax, ay);
    } else {
      const double t = ((px - ax) * dx + (py - ay) * dy) / len2;
      if (t < 0) dist = Distance(px, py, ax, ay);
      else if (t > 1) dist = Distance(px, py, bx, by);
      else dist = Distance(px, py, ax + t * dx, ay + t * dy);
    }
    hit = dist <= static_cast<double>(tolerance) + 1.0;
  }
  if (hit) NearFirstPoint = Distance(p.x, p.y, x0, y0) < Distance(p.x, p.y, x1, y1);
  return hit;
}

bool PointInLine(TPoint p, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
  return PointInLineTolerance(p, x0, y0, x1, y1, 0);
}

bool PointInLinePoints(TPoint p, TPoint p0, TPoint p1, int32_t tolerance)
{
  return PointInLineTolerance(p, p0.x, p0.y, p1.x, p1.y, tolerance);
}

bool PointInPolygon(TPoint p, const std::vector<TPoint>& points, int32_t high)
{
  if (high < 0) return false;
  if (static_cast<size_t>(high) >= points.size()) throw ERangeError("Polygon index out of range");
  bool result = false;
  int32_t j = high;
  for (int32_t i = 0; i <= high; ++i) {
    const TPoint& pi = points[i];
    const TPoint& pj = points[j];
    if (((pi.y <= p.y && p.y < pj.y) || (pj.y <= p.y && p.y < pi.y)) &&
        p.x < (static_cast<double>(pj.x) - pi.x) * (static_cast<double>(p.y) - pi.y) /
                      (static_cast<double>(pj.y) - pi.y) + pi.x)
      result = !result;
    j = i;
  }
  return result;
}

bool PointInTriangle(TPoint p, int32_t x0, int32_t x1, int32_t y0, int32_t y1)
{
  std::vector<TPoint> pts = {Point(x0, y1), Point(HalfSum(x0, x1), y0), Point(x1, y1)};
  return PointInPolygon(p, pts, 2);
}

bool PointInHorizTriangle(TPoint p, int32_t y0, int32_t y1, int32_t x0, int32_t x1)
{
  std::vector<TPoint> pts = {Point(x1, y0), Point(x0, HalfSum(y0, y1)), Point(x1, y1)};
  return PointInPolygon(p, pts, 2);
}

bool PointInEllipse(TPoint p, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  const int32_t cx = HalfSum(left, right), cy = HalfSum(top, bottom);
  const double a = static_cast<double>(cx) - left, b = static_cast<double>(cy) - top;
  const double a2 = a * a, b2 = b * b;
  if (a2 == 0 || b2 == 0) return false;
  const double dx = static_cast<double>(p.x) - cx, dy = static_cast<double>(p.y) - cy;
  return dx * dx / a2 + dy * dy / b2 <= 1.0;
}

// ---- Sorting ----
void QuickSort(int32_t lo, int32_t hi, const TNuvCompareProc& compare, const TNuvSwapProc& swap)
{
  // Lo..J is sorted before I..Hi (the two may share an element, so the order shows in the
  // result); the parts still to sort wait on the heap, not on the call stack.
  std::vector<std::pair<int32_t, int32_t>> pending;
  while (true) {
    if (lo < hi) {
      int32_t i = lo, j = hi;
      int32_t x = lo + (hi - lo) / 2;
      while (i < j) {
        while (compare(i, x) < 0) ++i;
        while (compare(x, j) < 0) --j;
        if (i < j) {
          swap(i, j);
          if (i == x) x = j;
          else if (j == x) x = i;
        }
        if (i <= j) {
          ++i;
          --j;
        }
      }
      if (i < hi) pending.emplace_back(i, hi);
      hi = j;
      continue;
    }
    if (pending.empty()) break;
    std::tie(lo, hi) = pending.back();
    pending.pop_back();
  }
}

// ---- Texts ----
int32_t CountTextLines(const std::string& text)
{
  if (text.empty()) return 0;
  if (LineSeparator.empty()) return 1;
  int32_t n = 1;
  for (size_t pos = text.find(LineSeparator); pos != std::string::npos;
       pos = text.find(LineSeparator, pos + LineSeparator.size()))
    ++n;
  return n;
}

namespace {
// Sets the separator for one call and puts the old one back on every exit.
struct SeparatorScope {
  std::string saved;
  explicit SeparatorScope(const std::string& sep) : saved(LineSeparator) { LineSeparator = sep; }
  ~SeparatorScope() { LineSeparator = saved; }
};
}  // namespace

int32_t CountTextLines(const std::string& text, const std::string& separator)
{
  SeparatorScope scope(separator);
  return CountTextLines(text);
}

std::string ExtractTextLine(const std::string& text, int32_t index)
{
  if (index < 1) return std::string();
  if (LineSeparator.empty()) return index == 1 ? text : std::string();
  size_t start = 0;
  for (int32_t line = 1;; ++line) {
    size_t pos = text.find(LineSeparator, start);
    if (line == index) return text.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (pos == std::string::npos) return std::string();
    start = pos + LineSeparator.size();
  }
}

std::string ExtractTextLine(const std::string& text, int32_t index, const std::string& separator)
{
  SeparatorScope scope(separator);
  return ExtractTextLine(text, index);
}

std::string ReplaceChar(const std::string& s, char oldChar, char newChar)
{
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != oldChar) out += c;
    else if (newChar != '\0') out += newChar;
  }
  return out;
}

namespace {
// The separators of this program's number texts, which are the same in every locale.
void LocaleSeparators(char& thousand, char& decimal)
{
  thousand = ',';
  decimal = '.';
}

std::string SwapSeparators(const std::string& format, char fromThousand, char fromDecimal, char toThousand,
                           char toDecimal)
{
  std::string out = format;
  for (char& c : out) {
    if (c == fromThousand) c = toThousand;
    else if (c == fromDecimal) c = toDecimal;
  }
  return out;
}
}  // namespace

std::string NumberFormatToLocal(const std::string& format)
{
  char th, dec;
  LocaleSeparators(th, dec);
  if (th == dec) return format;
  return SwapSeparators(format, ',', '.', th, dec);
}

std::string NumberFormatFromLocal(const std::string& format)
{
  char th, dec;
  LocaleSeparators(th, dec);
  if (th == dec) return format;
  return SwapSeparators(format, th, dec, ',', '.');
}

std::string IntegerToString(int64_t value) { return std::to_string(value); }

std::string GetUniqueComponentName(const TComponent* owner, const std::string& prefix)
{
  if (!owner) return prefix + "1";
  for (int64_t n = 1;; ++n) {
    std::string name = prefix + std::to_string(n);
    if (!owner->FindComponent(name)) return name;
  }
}

// ---- Editor options ----
bool ReadEditorBool(const std::string& name, bool defaultValue)
{
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly(kEditorKey) && reg.ValueExists(name)) return reg.ReadBool(name);
  } catch (const Exception&) {
  }
  return defaultValue;
}

void WriteEditorBool(const std::string& name, bool value)
{
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(kEditorKey, true)) reg.WriteBool(name, value);
  } catch (const Exception&) {
  }
}

int32_t ReadEditorInteger(const std::string& name, int32_t defaultValue)
{
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly(kEditorKey) && reg.ValueExists(name)) return reg.ReadInteger(name);
  } catch (const Exception&) {
  }
  return defaultValue;
}

// ---- Forms and resources ----
void TranslateControl(TControl* control) { TranslateControlExcept(control, {}); }

void TranslateControlExcept(TControl* control, const std::vector<TControl*>& excluded)
{
  if (TranslateHook) TranslateHook(control, excluded);
}

void EnableControls(bool enable, const std::vector<TControl*>& controls)
{
  for (TControl* c : controls)
    if (c) c->SetEnabled(enable);
}

bool LoadBitmapResource(TBitmap* bitmap, const std::string& name, const std::string& altName)
{
  for (int module = 0; module < ResourceModuleCount(); ++module) {
    if (LoadBitmapFromModule(module, name, bitmap)) return true;
    if (LoadBitmapFromModule(module, altName, bitmap)) return true;
  }
  return false;
}

bool LoadClassBitmap(const std::string& className, const std::string& parentClassName, TBitmap* bitmap)
{
  return LoadBitmapResource(bitmap, className, parentClassName);
}

namespace {

// The check box on a platform canvas or a chart canvas (which draws it into its own frame).
template <class Canvas>
void DrawCheckBoxOn(int32_t x, int32_t y, Canvas* canvas, bool checked, bool isRadio)
{
  TPen* pen = canvas->Pen();
  TBrush* brush = canvas->Brush();
  const TColor oldPen = pen->GetColor();
  const TPenStyle oldPenStyle = pen->GetStyle();
  const int32_t oldPenWidth = pen->GetWidth();
  const TColor oldBrush = brush->GetColor();
  const TBrushStyle oldStyle = brush->GetStyle();
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  brush->SetStyle(bsSolid);
  brush->SetColor(clWindow);
  if (isRadio) {
    pen->SetColor(clBtnShadow);
    canvas->Ellipse(x, y, x + 13, y + 13);
    if (checked) {
      pen->SetColor(clWindowText);
      brush->SetColor(clWindowText);
      canvas->Ellipse(x + 4, y + 4, x + 9, y + 9);
    }
  } else {
    // Sunken frame: shadow on the top and left, highlight on the bottom and right.
    pen->SetColor(clBtnShadow);
    canvas->Rectangle(x, y, x + 13, y + 13);
    pen->SetColor(clBtnHighlight);
    canvas->MoveTo(x + 12, y);
    canvas->LineTo(x + 12, y + 12);
    canvas->LineTo(x - 1, y + 12);
    if (checked) {
      pen->SetColor(clWindowText);
      for (int i = 0; i < 3; ++i) {
        canvas->MoveTo(x + 3, y + 5 + i);
        canvas->LineTo(x + 5, y + 7 + i);
        canvas->LineTo(x + 10, y + 2 + i);
      }
    }
  }
  pen->SetColor(oldPen);
  pen->SetStyle(oldPenStyle);
  pen->SetWidth(oldPenWidth);
  brush->SetColor(oldBrush);
  brush->SetStyle(oldStyle);
}

}  // namespace

void DrawCheckBox(int32_t x, int32_t y, TCanvas* canvas, bool checked, TColor backColor, bool isRadio, bool unused)
{
  (void)unused;
  (void)backColor;
  DrawCheckBoxOn(x, y, canvas, checked, isRadio);
}

void DrawCheckBox(int32_t x, int32_t y, TNuvCanvas* canvas, bool checked, TColor backColor, bool isRadio)
{
  (void)backColor;
  DrawCheckBoxOn(x, y, canvas, checked, isRadio);
}

// ---- Export data ----
void TNuvExportData::CopyToClipboard() { ClipboardSetText(AsString()); }

void TNuvExportData::SaveToStream(std::ostream& stream)
{
  const std::string text = AsString();
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void TNuvExportData::SaveToFile(const std::string& fileName)
{
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) throw EInOutError("Cannot create file \"" + fileName + "\"");
  SaveToStream(out);
  out.close();
  if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"");
}

// Number and date texts of axis labels: the platform's float and date-time formatting.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "chart/model/NvEngineAxis.h"
#include "platform/SysUtils.h"

namespace {

// The decimal digits of |value| rounded half away from zero: digits "d0 d1 ..." with d0 of
// weight 10^exp10. An empty digit string means zero.
struct TDecimal {
  std::string Digits;
  int32_t Exp10 = 0;
};

TDecimal ToDecimal(double value)
{
  TDecimal d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
  const char* p = buf;
  for (; *p != 'e' && *p != '\0'; ++p)
    if (*p >= '0' && *p <= '9') d.Digits.push_back(*p);
  if (*p == 'e') d.Exp10 = std::atoi(p + 1);
  // Trim trailing zeros; all zeros means zero.
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// Keeps the digits down to weight 10^lastWeight, rounding half away from zero.
void RoundAt(TDecimal& d, int32_t lastWeight)
{
  if (d.Digits.empty()) return;
  const int64_t keep = static_cast<int64_t>(d.Exp10) - lastWeight + 1;  // digits to keep
  if (keep >= static_cast<int64_t>(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    return;
  }
  const bool up = d.Digits[static_cast<size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(keep));
  if (up) {
    int64_t i = keep - 1;
    for (; i >= 0; --i) {
      if (d.Digits[static_cast<size_t>(i)] == '9') {
        d.Digits[static_cast<size_t>(i)] = '0';
      } else {
        ++d.Digits[static_cast<size_t>(i)];
        break;
      }
    }
    if (i < 0) {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exp10;
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
}

// Digit at weight 10^w.
char DigitAt(const TDecimal& d, int32_t w)
{
  const int64_t i = static_cast<int64_t>(d.Exp10) - w;
  if (i < 0 || i >= static_cast<int64_t>(d.Digits.size())) return '0';
  return d.Digits[static_cast<size_t>(i)];
}

// One section of a number format, parsed.
struct TFormatToken {
  enum Kind { Literal, IntDigit, Point, FracDigit, Exponent } kind;
  std::string text;  // literal text, or the exponent letter
};

struct TNumberSection {
  std::vector<TFormatToken> tokens;
  int32_t intZeros = 0, intPlaces = 0;  // '0' and all placeholders before the point
  int32_t fracZeros = 0, fracPlaces = 0;  // last '0' position and all placeholders after it
  bool thousands = false;
  bool scientific = false;
  bool expPlus = false;
  int32_t expDigits = 1;
};

TNumberSection ParseSection(const std::string& f)
{
  TNumberSection s;
  bool afterPoint = false;
  bool intZeroSeen = false;
  size_t i = 0;
  auto literal = [&](const std::string& t) {
    if (!s.tokens.empty() && s.tokens.back().kind == TFormatToken::Literal) {
      s.tokens.back().text += t;
    } else {
      s.tokens.push_back({TFormatToken::Literal, t});
    }
  };
  while (i < f.size()) {
    const char c = f[i];
    if (c == '"' || c == '\'') {
      const size_t end = f.find(c, i + 1);
      const size_t stop = end == std::string::npos ? f.size() : end;
      literal(f.substr(i + 1, stop - i - 1));
      i = stop == f.size() ? stop : stop + 1;
    } else if ((c == '0' || c == '#') && !s.scientific) {
      if (afterPoint) {
        ++s.fracPlaces;
        if (c == '0') s.fracZeros = s.fracPlaces;
        s.tokens.push_back({TFormatToken::FracDigit, ""});
      } else {
        ++s.intPlaces;
        if (c == '0') intZeroSeen = true;
        // Zeros count from the first '0' on ("#0#0" needs three digits).
        if (intZeroSeen) ++s.intZeros;
        s.tokens.push_back({TFormatToken::IntDigit, ""});
      }
      ++i;
    } else if (c == '.' && !afterPoint && !s.scientific) {
      afterPoint = true;
      s.tokens.push_back({TFormatToken::Point, ""});
      ++i;
    } else if (c == ',' && !s.scientific) {
      s.thousands = true;
      ++i;
    } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-') && !s.scientific) {
      s.scientific = true;
      s.expPlus = f[i + 1] == '+';
      size_t j = i + 2;
      int32_t n = 0;
      while (j < f.size() && f[j] == '0') {
        ++n;
        ++j;
      }
      s.expDigits = std::min(std::max(n, 1), 4);
      s.tokens.push_back({TFormatToken::Exponent, std::string(1, c)});
      i = j;
    } else {
      literal(std::string(1, c));
      ++i;
    }
  }
  return s;
}

// Splits at ';' outside quotes.
std::vector<std::string> SplitSections(const std::string& format)
{
  std::vector<std::string> out(1);
  char quote = 0;
  for (char c : format) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.emplace_back();
      continue;
    }
    out.back().push_back(c);
  }
  return out;
}

std::string GroupThousands(const std::string& digits)
{
  std::string out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

// Formats |value| with one section; isZero tells whether the rounded result is zero.
std::string FormatSection(const TNumberSection& s, double value, bool& isZero)
{
  TDecimal d = ToDecimal(value);
  std::string intText, fracText, expText;
  if (s.scientific) {
    const int32_t places = std::max(1, s.intPlaces + s.fracPlaces);
    if (!d.Digits.empty()) RoundAt(d, d.Exp10 - places + 1);
    int32_t exponent = 0;
    if (!d.Digits.empty()) {
      // With no integer placeholder the mantissa is 0.ddd.
      exponent = d.Exp10 + 1 - s.intPlaces;
      d.Exp10 = s.intPlaces - 1;
    }
    for (int32_t w = s.intPlaces - 1; w >= 0; --w) intText.push_back(DigitAt(d, w));
    // Leading zeros beyond the '0' placeholders go.
    while (static_cast<int32_t>(intText.size()) > s.intZeros && !intText.empty() && intText[0] == '0') intText.erase(0, 1);
    for (int32_t w = -1; w >= -s.fracPlaces; --w) fracText.push_back(DigitAt(d, w));
    while (static_cast<int32_t>(fracText.size()) > s.fracZeros && !fracText.empty() && fracText.back() == '0')
      fracText.pop_back();
    std::string e = std::to_string(std::abs(exponent));
    while (static_cast<int32_t>(e.size()) < s.expDigits) e.insert(0, "0");
    expText = (exponent < 0 ? "-" : (s.expPlus ? "+" : "")) + e;
  } else {
    RoundAt(d, -s.fracPlaces);
    for (int32_t w = std::max(d.Exp10, 0); w >= 0; --w) intText.push_back(DigitAt(d, w));
    while (!intText.empty() && intText[0] == '0') intText.erase(0, 1);
    if (static_cast<int32_t>(intText.size()) < s.intZeros)
      intText.insert(0, static_cast<size_t>(s.intZeros) - intText.size(), '0');
    for (int32_t w = -1; w >= -s.fracPlaces; --w) fracText.push_back(DigitAt(d, w));
    while (static_cast<int32_t>(fracText.size()) > s.fracZeros && !fracText.empty() && fracText.back() == '0')
      fracText.pop_back();
    if (s.thousands) intText = GroupThousands(intText);
  }
  isZero = d.Digits.empty();
  std::string out;
  bool intDone = false;
  for (const auto& t : s.tokens) {
    switch (t.kind) {
    case TFormatToken::Literal: out += t.text; break;
    case TFormatToken::IntDigit:
      if (!intDone) out += intText;
      intDone = true;
      break;
    case TFormatToken::Point:
      if (!intDone) {
        out += intText;
        intDone = true;
      }
      if (!fracText.empty()) out += "." + fracText;
      break;
    case TFormatToken::FracDigit: break;
    case TFormatToken::Exponent:
      if (!intDone) {
        out += intText;
        intDone = true;
      }
      out += t.text + expText;
      break;
    }
  }
  if (!intDone) out += intText;
  return out;
}

const char* const kShortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

std::string Pad(int64_t v, size_t width)
{
  std::string s = std::to_string(v);
  while (s.size() < width) s.insert(0, "0");
  return s;
}

bool StartsWithNoCase(const std::string& s, size_t i, const char* word)
{
  for (size_t k = 0; word[k] != '\0'; ++k) {
    if (i + k >= s.size()) return false;
    char a = s[i + k];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != word[k]) return false;
  }
  return true;
}

}  // namespace

namespace {
std::string FormatFloatText(const std::string& format, double value);
}  // namespace

std::string FormatFloat(const std::string& format, double value)
{
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // Axis labels format the same values every frame: keep the texts by format and value (the
  // texts of the format asked for last at hand).
  using TTexts = std::unordered_map<uint64_t, std::string>;
  thread_local std::unordered_map<std::string, TTexts> byFormat;
  thread_local std::string lastFormat;
  thread_local TTexts* last = nullptr;
  thread_local size_t kept = 0;
  if (kept > 8192) {
    byFormat.clear();
    kept = 0;
    last = nullptr;
  }
  if (!last || format != lastFormat) {
    last = &byFormat[format];
    lastFormat = format;
  }
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  auto it = last->find(bits);
  if (it != last->end()) return it->second;
  ++kept;
  return last->emplace(bits, FormatFloatText(format, value)).first->second;
}

namespace {
std::string FormatFloatText(const std::string& format, double value)
{
  if (format.empty()) return FloatToStrGeneral(value);
  const std::vector<std::string> sections = SplitSections(format);
  const TNumberSection first = ParseSection(sections[0]);
  bool isZero = false;
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    const std::string text = FormatSection(ParseSection(sections[1]), -value, isZero);
    if (!isZero || sections.size() < 3 || sections[2].empty()) return text;
    return FormatSection(ParseSection(sections[2]), 0.0, isZero);
  }
  std::string text = FormatSection(first, std::fabs(value), isZero);
  if (isZero && sections.size() >= 3 && !sections[2].empty()) return FormatSection(ParseSection(sections[2]), 0.0, isZero);
  if (value < 0) text.insert(0, "-");
  return text;
}
}  // namespace

namespace {
std::string FloatToStrGeneralText(double value);
}  // namespace

std::string FloatToStrGeneral(double value)
{
  // The label engine compares the texts of the same few values every frame: the last ones are kept.
  struct Slot {
    uint64_t bits = 0;
    bool used = false;
    std::string text;
  };
  thread_local std::array<Slot, 64> slots;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Slot& slot = slots[(bits ^ (bits >> 29) ^ (bits >> 47)) % slots.size()];
  if (slot.used && slot.bits == bits) return slot.text;
  slot.text = FloatToStrGeneralText(value);
  slot.bits = bits;
  slot.used = true;
  return slot.text;
}

namespace {
std::string FloatToStrGeneralText(double value)
{
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s = buf;
  const size_t e = s.find('e');
  if (e == std::string::npos) return s;
  // "1.5e-07" -> "1.5E-7", "1e+20" -> "1E20".
  std::string mantissa = s.substr(0, e);
  const int exponent = std::atoi(s.c_str() + e + 1);
  return mantissa + "E" + std::to_string(exponent);
}
}  // namespace

bool AxisTextToFloat(const std::string& text, double& value)
{
  std::string t = text;
  const size_t comma = t.find(',');
  if (comma != std::string::npos) t[comma] = '.';
  return TryStrToFloat(t, value);
}

std::string FormatDateTime(const std::string& format, double value)
{
  if (!std::isfinite(value)) return std::string();
  int32_t year = 0, month = 0, day = 0;
  double whole = std::trunc(value);
  int64_t ms = RoundHalfAway(std::fabs(value - whole) * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    whole += value >= 0 ? 1 : -1;
  }
  try {
    DecodeDate(whole, year, month, day);
  } catch (const EConvertError&) {
    return std::string();
  }
  const int64_t hour = ms / 3600000, minute = ms / 60000 % 60, second = ms / 1000 % 60, milli = ms % 1000;
  // Day of week: 30 December 1899 (day 0) was a Saturday.
  const int64_t dow = ((static_cast<int64_t>(whole) % 7) + 7 + 6) % 7;
  std::string out;
  bool lastWasHour = false;
  const bool hasAmPm = [&] {
    for (size_t k = 0; k < format.size(); ++k)
      if (StartsWithNoCase(format, k, "am/pm") || StartsWithNoCase(format, k, "a/p")) return true;
    return false;
  }();
  const int64_t hour12 = hour % 12 == 0 ? 12 : hour % 12;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    size_t run = 1;
    while (i + run < format.size()) {
      char n = format[i + run];
      if (n >= 'A' && n <= 'Z') n = static_cast<char>(n - 'A' + 'a');
      if (n != lc) break;
      ++run;
    }
    if (c == '"' || c == '\'') {
      const size_t end = format.find(c, i + 1);
      const size_t stop = end == std::string::npos ? format.size() : end;
      out += format.substr(i + 1, stop - i - 1);
      i = stop == format.size() ? stop : stop + 1;
      continue;
    }
    if (StartsWithNoCase(format, i, "am/pm")) {
      out += hour < 12 ? "am" : "pm";
      i += 5;
      continue;
    }
    if (StartsWithNoCase(format, i, "a/p")) {
      out += hour < 12 ? "a" : "p";
      i += 3;
      continue;
    }
    switch (lc) {
    case 'd':
      if (run == 1) out += std::to_string(day);
      else if (run == 2) out += Pad(day, 2);
      else if (run == 3) out += kShortDays[dow];
      else out += kLongDays[dow];
      lastWasHour = false;
      break;
    case 'm':
      if (lastWasHour && run <= 2) {
        out += run == 1 ? std::to_string(minute) : Pad(minute, 2);
      } else if (run == 1) {
        out += std::to_string(month);
      } else if (run == 2) {
        out += Pad(month, 2);
      } else if (run == 3) {
        out += kShortMonths[month - 1];
      } else {
        out += kLongMonths[month - 1];
      }
      lastWasHour = false;
      break;
    case 'y':
      out += run <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
      lastWasHour = false;
      break;
    case 'h': {
      const int64_t h = hasAmPm ? hour12 : hour;
      out += run == 1 ? std::to_string(h) : Pad(h, 2);
      lastWasHour = true;
      break;
    }
    case 'n':
      out += run == 1 ? std::to_string(minute) : Pad(minute, 2);
      lastWasHour = false;
      break;
    case 's':
      out += run == 1 ? std::to_string(second) : Pad(second, 2);
      lastWasHour = false;
      break;
    case 'z':
      out += run < 3 ? std::to_string(milli) : Pad(milli, 3);
      lastWasHour = false;
      break;
    default:
      out.append(run, c);
      break;
    }
    i += run;
  }
  return out;
}

#include "app/PseudoSection2dSettings.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/Supermath2d.h"
#include "platform/SysUtils.h"

namespace {

constexpr size_t kFieldCount = 18;

// The word as a whole number, or false when it is none or lies beyond the 32-bit range.
bool WordToInt(const std::string& word, int64_t& out)
{
  const double v = StrToFloatRange(word, true, 0, 0);
  if (v == NoValue || !std::isfinite(v)) return false;
  if (v < -2147483648.5 || v > 2147483647.5) return false;
  const int64_t r = RoundHalfEven(v);
  if (r < INT32_MIN || r > INT32_MAX) return false;
  out = r;
  return true;
}

void ReadColor(const std::string& word, TColor& field)
{
  int64_t v;
  if (WordToInt(word, v) && v >= 0 && v <= 0xFFFFFF) field = static_cast<TColor>(v);
}

void ReadClamped(const std::string& word, int32_t& field, int32_t lo, int32_t hi)
{
  int64_t v;
  if (WordToInt(word, v)) field = static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi));
}

void ReadSwitch(const std::string& word, bool& field)
{
  int64_t v;
  if (WordToInt(word, v) && (v == 0 || v == 1)) field = v == 1;
}

std::string Flag(bool b) { return b ? "1" : "0"; }

}  // namespace

std::string FormatSectionSettings(const TSectionSettings& s)
{
  std::string line;
  auto put = [&line](const std::string& field) { line += " " + field; };
  put(IntToStr(s.ContourMinColor));
  put(IntToStr(s.ContourMaxColor));
  put(IntToStr(s.IsolineMinColor));
  put(IntToStr(s.IsolineMaxColor));
  put(IntToStr(s.MidColor1));
  put(IntToStr(s.MidColor2));
  put(IntToStr(s.LevelCount));
  put(IntToStr(s.MarginLeft));
  put(IntToStr(s.MarginRight));
  put(IntToStr(s.MarginTop));
  put(IntToStr(s.MarginBottom));
  put(Flag(s.UserLimits));
  put(Flag(s.ShowIsolines));
  put(Flag(s.LogData));
  put(Flag(s.ShowColorBar));
  put(Flag(s.GridPointsActive));
  put(FloatToStrDec(5, true, s.UserMax));
  put(FloatToStrDec(5, true, s.UserMin));
  return line;
}

bool ParseSectionSettings(const std::string& line, TSectionSettings& s)
{
  const std::vector<std::string> w = SplitWords(line, 0);
  if (w.size() < kFieldCount) return false;
  TSectionSettings r = s;
  ReadColor(w[0], r.ContourMinColor);
  ReadColor(w[1], r.ContourMaxColor);
  ReadColor(w[2], r.IsolineMinColor);
  ReadColor(w[3], r.IsolineMaxColor);
  ReadColor(w[4], r.MidColor1);
  ReadColor(w[5], r.MidColor2);
  ReadClamped(w[6], r.LevelCount, SectionMinLevels, SectionMaxLevels);
  ReadClamped(w[7], r.MarginLeft, 0, SectionMaxMargin);
  ReadClamped(w[8], r.MarginRight, 0, SectionMaxMargin);
  ReadClamped(w[9], r.MarginTop, 0, SectionMaxMargin);
  ReadClamped(w[10], r.MarginBottom, 0, SectionMaxMargin);
  ReadSwitch(w[11], r.UserLimits);
  ReadSwitch(w[12], r.ShowIsolines);
  ReadSwitch(w[13], r.LogData);
  ReadSwitch(w[14], r.ShowColorBar);
  ReadSwitch(w[15], r.GridPointsActive);
  // No bounds: "*" or any word that is no number leaves the limit unset.
  auto limit = [](const std::string& word) {
    const double v = StrToFloatRange(word, true, 0, 0);
    return std::isfinite(v) ? v : NoValue;
  };
  r.UserMax = limit(w[16]);
  r.UserMin = limit(w[17]);
  s = r;
  return true;
}

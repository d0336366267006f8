#include "app/Supermath2d.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/SysUtils.h"

namespace {

// Reads a token or text after turning its first ',' into '.'.
bool ParseWithComma(std::string text, double& value)
{
  size_t comma = text.find(',');
  if (comma != std::string::npos)
    text[comma] = '.';
  return TryStrToFloat(text, value);
}

template <typename F>
void ForEachToken(const std::string& line, F f)
{
  size_t i = 0;
  int index = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    if (i >= line.size())
      break;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t')
      ++i;
    f(index++, line.substr(start, i - start));
  }
}

bool Admissible(double v, int mode)
{
  if (v == NoValue || std::isnan(v))
    return false;
  switch (mode) {
  case 1: return v > 0.0;
  case 2: return v < 0.0;
  default: return true;
  }
}

}  // namespace

double StrToFloatRange(const std::string& text, bool inclusive, double lo, double hi)
{
  double v = 0.0;
  if (!ParseWithComma(text, v))
    return NoValue;
  if (lo == hi)
    return v;
  if (lo != 0.0 && !(inclusive ? v >= lo : v > lo))
    return NoValue;
  if (hi != 0.0 && !(inclusive ? v <= hi : v < hi))
    return NoValue;
  return v;
}

std::string FloatToStrDec(int decimals, bool adaptive, double value)
{
  if (value == NoValue)
    return "*";
  int digits = decimals;
  if (adaptive) {
    double l = value == 0.0 ? -1.0 : std::log10(std::fabs(value));
    if (l < 0.0)
      digits += static_cast<int>(std::ceil(-l));
    else
      digits += 1;
  }
  return FloatToStrFixed(value, digits);
}

std::string JoinFloats(const arofdouble& values, const std::string& prefix, int decimals, bool adaptive)
{
  std::string s = prefix;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0)
      s += ' ';
    s += FloatToStrDec(decimals, adaptive, values[i]);
  }
  return s;
}

arofdouble SplitFloats(const std::string& line, int skip)
{
  arofdouble r;
  ForEachToken(line, [&](int index, const std::string& token) {
    double v = 0.0;
    if (ParseWithComma(token, v) && index >= skip)
      r.push_back(v);
  });
  return r;
}

arofdouble SplitFloatsInPlace(const std::string& line)
{
  arofdouble r;
  ForEachToken(line, [&](int, const std::string& token) {
    double v = 0.0;
    r.push_back(ParseWithComma(token, v) ? v : std::numeric_limits<double>::quiet_NaN());
  });
  return r;
}

std::vector<std::string> SplitWords(const std::string& line, int skip)
{
  std::vector<std::string> r;
  ForEachToken(line, [&](int index, const std::string& token) {
    if (index >= skip)
      r.push_back(token);
  });
  return r;
}

double LinearInterpolate(double x, TComplex a, TComplex b)
{
  if (a.x == b.x)
    return a.y;
  return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
}

double TableInterpolate(const arofcomplex& table, double x)
{
  if (table.empty())
    return 0.0;
  if (x <= table.front().x)
    return table.front().y;
  if (x >= table.back().x)
    return table.back().y;
  for (size_t i = 0; i + 1 < table.size(); ++i)
    if (x >= table[i].x && x <= table[i + 1].x)
      return LinearInterpolate(x, table[i], table[i + 1]);
  // Only a table that is not ascending gets here.
  return table.back().y;
}

std::vector<TColor> MakeColorGradient(int n, const std::vector<TColor>& keys, int m)
{
  std::vector<TColor> r;
  if (n < 0)
    return r;
  r.assign(static_cast<size_t>(n) + 1, clBlack);
  auto key = [&](int i) { return i >= 0 && static_cast<size_t>(i) < keys.size() ? keys[i] : clBlack; };
  if (n <= m) {
    for (int i = 0; i <= n; ++i)
      r[i] = key(i);
    return r;
  }
  if (m <= 0) {
    std::fill(r.begin(), r.end(), key(0));
    return r;
  }
  for (int k = 0; k < m; ++k) {
    const int a = static_cast<int>(static_cast<int64_t>(k) * n / m);
    const int b = static_cast<int>(static_cast<int64_t>(k + 1) * n / m);
    const TColor c0 = ColorToRGB(key(k)), c1 = ColorToRGB(key(k + 1));
    for (int i = a; i <= b; ++i) {
      const double t = b == a ? 0.0 : static_cast<double>(i - a) / (b - a);
      auto blend = [t](uint8_t u, uint8_t v) {
        return static_cast<uint8_t>(RoundHalfEven(u + (static_cast<double>(v) - u) * t));
      };
      r[i] = RGB(blend(GetRValue(c0), GetRValue(c1)), blend(GetGValue(c0), GetGValue(c1)),
                 blend(GetBValue(c0), GetBValue(c1)));
    }
  }
  return r;
}

arofdouble ExpArray(const arofdouble& values)
{
  arofdouble r(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    r[i] = std::exp(values[i]);
  return r;
}

void FillDoubles(arofdouble& values, double value) { std::fill(values.begin(), values.end(), value); }
void FillPairs(arofcomplex& values, TComplex value) { std::fill(values.begin(), values.end(), value); }
arofdouble CopyDoubles(const arofdouble& values) { return values; }
arofcomplex CopyPairs(const arofcomplex& values) { return values; }
ararofdouble CopyDoubles2D(const ararofdouble& values) { return values; }
TComplex MakePair(double x, double y) { return TComplex{x, y}; }

double MaxValueMode(const arofdouble& values, int mode)
{
  double r = -1e20;
  for (double v : values)
    if (Admissible(v, mode) && v > r)
      r = v;
  return r;
}

double MinValueMode(const arofdouble& values, int mode)
{
  double r = 1e20;
  for (double v : values)
    if (Admissible(v, mode) && v < r)
      r = v;
  return r;
}

double MaxValue2D(const ararofdouble& values, int mode)
{
  double r = -1e20;
  for (const arofdouble& row : values)
    r = std::max(r, MaxValueMode(row, mode));
  return r;
}

double MinValue2D(const ararofdouble& values, int mode)
{
  double r = 1e20;
  for (const arofdouble& row : values)
    r = std::min(r, MinValueMode(row, mode));
  return r;
}

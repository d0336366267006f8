#include "platform/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Types.h"

namespace {


// Rough decimal magnitude of a well-formed unsigned number text: > 0 means it is at least 1.
long Magnitude(const std::string& t)
{
  size_t e = t.find_first_of("eE");
  std::string mant = t.substr(0, e);
  long exp = 0;
  if (e != std::string::npos) {
    std::string x = t.substr(e + 1);
    bool neg = !x.empty() && x[0] == '-';
    if (!x.empty() && (x[0] == '-' || x[0] == '+'))
      x.erase(0, 1);
    for (char c : x) {
      exp = exp * 10 + (c - '0');
      if (exp > 100000)
        break;
    }
    if (neg)
      exp = -exp;
  }
  size_t dot = mant.find('.');
  std::string intPart = mant.substr(0, dot);
  std::string frac = dot == std::string::npos ? "" : mant.substr(dot + 1);
  size_t firstInt = intPart.find_first_not_of('0');
  if (firstInt != std::string::npos)
    return static_cast<long>(intPart.size() - firstInt) + exp;
  size_t firstFrac = frac.find_first_not_of('0');
  if (firstFrac == std::string::npos)
    return -1000000;  // zero
  return -static_cast<long>(firstFrac) + exp;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool TryStrToFloat(const std::string& text, double& value)
{
  std::string s = Trim(text);
  if (s.empty())
    return false;
  size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  // Check the shape first: from_chars alone would also take "inf", "nan" and hexadecimal forms.
  size_t j = i;
  size_t digits = 0;
  while (j < s.size() && IsDigit(s[j])) {
    ++j;
    ++digits;
  }
  if (j < s.size() && s[j] == '.') {
    ++j;
    while (j < s.size() && IsDigit(s[j])) {
      ++j;
      ++digits;
    }
  }
  if (digits == 0)
    return false;
  if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
    ++j;
    if (j < s.size() && (s[j] == '+' || s[j] == '-'))
      ++j;
    size_t expDigits = 0;
    while (j < s.size() && IsDigit(s[j])) {
      ++j;
      ++expDigits;
    }
    if (expDigits == 0)
      return false;
  }
  if (j != s.size())
    return false;
  // from_chars takes no leading '+', and an exponent sign '+' is fine.
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
  if (ptr != s.data() + s.size()) {
    // "1." is valid here but from_chars may stop before an exponent-less trailing point; retry with a 0.
    std::string t = s.substr(i);
    size_t dot = t.find('.');
    if (dot != std::string::npos && (dot + 1 == t.size() || !IsDigit(t[dot + 1])))
      t.insert(dot + 1, "0");
    auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ptr != t.data() + t.size())
      return false;
    ec = r.ec;
  }
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is no number.
    if (Magnitude(s.substr(i)) > 0)
      return false;
    v = 0.0;
  } else if (ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(v))
    return false;
  value = negative ? -v : v;
  return true;
}

double StrToFloat(const std::string& text)
{
  double v = 0.0;
  if (!TryStrToFloat(text, v))
    throw EConvertError("'" + text + "' is not a valid floating point value");
  return v;
}

bool TryStrToInt(const std::string& text, int32_t& value)
{
  std::string s = Trim(text);
  if (s.empty())
    return false;
  size_t i = (s[0] == '+') ? 1 : 0;
  if (i == 1 && (s.size() == 1 || s[1] == '-'))
    return false;
  int32_t v = 0;
  auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size())
    return false;
  value = v;
  return true;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string FloatToStrSci(double value)
{
  if (std::isnan(value))
    return std::string(23 - 3, ' ') + "Nan";
  if (std::isinf(value))
    return std::string(23 - 4, ' ') + (value > 0 ? "+Inf" : "-Inf");
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  if (ec != std::errc())
    return std::string(23, ' ');
  // Rounded up past the largest double, the text would read as no number at all.
  double back = 0.0;
  if (std::fabs(value) > 1.7976931348623e308 && std::from_chars(buf, ptr, back).ec != std::errc()) {
    const std::to_chars_result wider = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 16);
    if (wider.ec != std::errc())
      return std::string(23, ' ');
    ptr = wider.ptr;
  }
  std::string s(buf, ptr);  // d.ddddddddddddddde[+-]xx
  size_t e = s.find('e');
  std::string mantissa = s.substr(0, e);
  int exponent = std::stoi(s.substr(e + 1));
  char expText[16];
  std::snprintf(expText, sizeof expText, "%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return std::string(std::signbit(value) && value != 0.0 ? "-" : " ") + mantissa + "E" + expText;
}

std::string FloatToStrFixed(double value, int decimals)
{
  if (!std::isfinite(value))
    return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
  decimals = std::clamp(decimals, 0, 400);
  // Fifteen significant digits, then rounded half away from zero at the wanted decimal.
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  if (ec != std::errc())
    return "";
  std::string sci(buf, ptr);
  const size_t e = sci.find('e');
  std::string digits = sci.substr(0, 1) + sci.substr(2, e - 2);  // 15 digits d.ddd -> dddd
  int exponent = std::stoi(sci.substr(e + 1));
  // The value is 0.<digits> * 10^(exponent + 1).
  long keep = static_cast<long>(exponent) + 1 + decimals;  // digits kept after rounding
  if (keep < 0) {
    digits = "0";
    exponent = 0;
  } else if (keep < static_cast<long>(digits.size())) {
    bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (up) {
      long i = keep - 1;
      while (i >= 0 && digits[static_cast<size_t>(i)] == '9') {
        digits[static_cast<size_t>(i)] = '0';
        --i;
      }
      if (i >= 0) {
        ++digits[static_cast<size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        ++exponent;
      }
    }
  }
  // Integer part: digits before the point; the rest are decimals (padded with zeros).
  const long intCount = static_cast<long>(exponent) + 1;
  std::string intPart, fracPart;
  if (intCount <= 0) {
    intPart = "0";
    fracPart = std::string(static_cast<size_t>(-intCount), '0') + digits;
  } else if (intCount >= static_cast<long>(digits.size())) {
    intPart = digits + std::string(static_cast<size_t>(intCount) - digits.size(), '0');
  } else {
    intPart = digits.substr(0, static_cast<size_t>(intCount));
    fracPart = digits.substr(static_cast<size_t>(intCount));
  }
  if (fracPart.size() < static_cast<size_t>(decimals))
    fracPart += std::string(static_cast<size_t>(decimals) - fracPart.size(), '0');
  fracPart.resize(static_cast<size_t>(decimals));
  size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
  std::string r = intPart;
  if (decimals > 0)
    r += "." + fracPart;
  // No negative zero in print.
  if (std::signbit(value) && r.find_first_not_of("0.") != std::string::npos)
    r.insert(r.begin(), '-');
  return r;
}

std::string Trim(const std::string& s)
{
  size_t b = 0, e = s.size();
  while (b < e && (static_cast<unsigned char>(s[b]) <= ' '))
    ++b;
  while (e > b && (static_cast<unsigned char>(s[e - 1]) <= ' '))
    --e;
  return s.substr(b, e - b);
}

std::string LowerCase(const std::string& s)
{
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool ContainsText(const std::string& text, const std::string& sub)
{
  return LowerCase(text).find(LowerCase(sub)) != std::string::npos;
}

std::string ExtractFileExt(const std::string& fileName)
{
  size_t slash = fileName.rfind('/');
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& ext)
{
  size_t slash = fileName.rfind('/');
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return fileName + ext;
  return fileName.substr(0, dot) + ext;
}

std::string ExtractFilePath(const std::string& fileName)
{
  size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
}

std::string ExtractFileName(const std::string& fileName)
{
  size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

bool FileExists(const std::string& fileName)
{
  if (fileName.empty())
    return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(fileName, ec);
}

std::vector<std::string> SplitTextLines(const std::string& text)
{
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::string JoinTextLines(const std::vector<std::string>& lines)
{
  std::string s;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) s += "\r\n";
    s += lines[i];
  }
  return s;
}

#include "platform/SysUtils.h"

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
  if (decimals < 0)
    decimals = 0;
  if (decimals > 400)
    decimals = 400;
  std::string buf(400 + decimals, '\0');
  auto [ptr, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  if (ec != std::errc())
    return "";
  std::string s(buf.data(), ptr);
  // No negative zero in print.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
    s.erase(0, 1);
  return s;
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

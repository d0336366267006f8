#pragma once
// Number text and array routines shared by the main window and the section chart.
// Every parse and print is locale-independent ('.' decimal point); nothing here raises on bad data.
#include <string>
#include <vector>

#include "platform/Types.h"

using arofdouble = std::vector<double>;
using ararofdouble = std::vector<arofdouble>;

// A pair of Doubles: an (x, y) table entry or a texture coordinate (u, v).
struct TComplex {
  double x = 0.0, y = 0.0;
  friend bool operator==(const TComplex&, const TComplex&) = default;
};
using arofcomplex = std::vector<TComplex>;

// A point of the scene: plan x, plan y, depth.
struct TScenePoint {
  double x = 0.0, y = 0.0, z = 0.0;
  friend bool operator==(const TScenePoint&, const TScenePoint&) = default;
};
using arp3d = std::vector<TScenePoint>;

// The no-value marker: a failed parse, an unset limit; printed as "*", skipped by the extreme searches.
constexpr double NoValue = 123456789.0;

// Parses Text (its first ',' read as '.'); NoValue when it is no number or lies outside the bounds.
// Lo = Hi: no bounds. A bound of exactly 0.0 means no bound on that side.
double StrToFloatRange(const std::string& text, bool inclusive, double lo, double hi);
// Fixed-point text with Decimals decimals, more for small magnitudes when Adaptive; NoValue prints "*".
std::string FloatToStrDec(int decimals, bool adaptive, double value);
// Prefix followed by the numbers printed by FloatToStrDec, separated by one blank.
std::string JoinFloats(const arofdouble& values, const std::string& prefix, int decimals, bool adaptive);
// The numbers of a line (tokens split at blanks and tabs), from token number Skip on; other tokens dropped.
arofdouble SplitFloats(const std::string& line, int skip);
// Every token of a line in its place: the number it reads as, or NaN for a token that is none.
arofdouble SplitFloatsInPlace(const std::string& line);
// The tokens of a line from token number Skip on.
std::vector<std::string> SplitWords(const std::string& line, int skip);

double LinearInterpolate(double x, TComplex a, TComplex b);
// Piecewise-linear value of a table ascending in x; held constant beyond both ends. 0 for an empty table.
double TableInterpolate(const arofcomplex& table, double x);
// n + 1 colours spread over the m + 1 key colours (keys must hold at least min(n, m) + 1 colours).
std::vector<TColor> MakeColorGradient(int n, const std::vector<TColor>& keys, int m);

arofdouble ExpArray(const arofdouble& values);
void FillDoubles(arofdouble& values, double value);
void FillPairs(arofcomplex& values, TComplex value);
arofdouble CopyDoubles(const arofdouble& values);
arofcomplex CopyPairs(const arofcomplex& values);
ararofdouble CopyDoubles2D(const ararofdouble& values);
TComplex MakePair(double x, double y);

// Extremes skipping NoValue. Mode 0: every value; 1: values above 0; 2: values below 0.
// With no admissible value: -1e20 (maximum) or +1e20 (minimum).
double MaxValueMode(const arofdouble& values, int mode);
double MinValueMode(const arofdouble& values, int mode);
double MaxValue2D(const ararofdouble& values, int mode);
double MinValue2D(const ararofdouble& values, int mode);

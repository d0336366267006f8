#include "chart/model/SettingsText.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "chart/canvas/NuvResources.h"
#include "platform/SysUtils.h"

namespace {

constexpr int32_t kMaxSize = SettingsTextMaxInt;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsEscape(unsigned char c)
{
  return c < 0x20 || c == 0x7F || c == '*' || c == '%' || c == BrushTextSeparator || c == GradientTextSeparator ||
         c == FontTextSeparator || c == PenTextSeparator || c == ShadowTextSeparator || c == AxisTextSeparator;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Join(const std::vector<std::string>& fields, char sep)
{
  std::string s;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) s += sep;
    s += fields[i];
  }
  return s;
}

std::string Int(int64_t v) { return std::to_string(v); }
std::string Color(TColor c) { return std::to_string(static_cast<int32_t>(c)); }
std::string Flag(bool b) { return b ? "1" : "0"; }

// Words of a text of one kind.
std::vector<std::string> Fields(const std::string& text, char sep)
{
  std::string t;
  ReplaceCharWithBlank(text, sep, t);
  std::vector<std::string> words;
  SplitAtBlanks(t, 0, words);
  return words;
}

bool ReadInt(const std::string& w, int32_t lo, int32_t hi, int32_t& v)
{
  return TryReadSettingsInt(w, v) && v >= lo && v <= hi;
}

bool ReadBool(const std::string& w, bool& b)
{
  int32_t v;
  if (!ReadInt(w, 0, 1, v)) return false;
  b = v == 1;
  return true;
}

bool ReadFloat(const std::string& w, double& d) { return TryReadSettingsFloat(w, d); }

// The size in points that a height in pixels gives at a number of pixels per inch.
int32_t FontSizeOfHeight(int32_t height, int32_t pixelsPerInch)
{
  TFont f;
  f.SetHeight(height);
  f.SetPixelsPerInch(pixelsPerInch);
  return f.GetSize();
}

// A number of a settings text rounded half away from zero; one past the 32-bit range keeps its
// place as a value that no field takes.
int64_t RoundedNumber(double d)
{
  constexpr double big = 4611686018427387904.0;  // 2^62
  if (d >= big) return std::numeric_limits<int64_t>::max();
  if (d <= -big) return std::numeric_limits<int64_t>::min();
  return RoundHalfAway(d);
}

// The numbers among words, rounded, in order; words that are not numbers take no place.
std::vector<int64_t> NumbersOf(const std::vector<std::string>& words)
{
  std::vector<int64_t> values;
  for (const std::string& w : words) {
    double d;
    if (TryReadSettingsFloat(w, d)) values.push_back(RoundedNumber(d));
  }
  return values;
}

// A field takes its number only when the number lies in the field's range; otherwise the
// field keeps its value.
template <class T>
void Take(int64_t v, int64_t lo, int64_t hi, T& field)
{
  if (v >= lo && v <= hi) field = static_cast<T>(v);
}

void TakeColor(int64_t v, TColor& c)
{
  if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
    c = static_cast<TColor>(static_cast<int32_t>(v));
}

void TakeBool(int64_t v, bool& b)
{
  if (v == 0 || v == 1) b = v == 1;
}

// Pen and gradient settings from the numbers of their texts (at least as many as the kind has
// fields; surplus numbers are ignored).
bool PenFromNumbers(const std::vector<int64_t>& v, TPenSettings& s)
{
  if (v.size() < 7) return false;
  TakeColor(v[0], s.Color);
  TakeBool(v[1], s.SmallDots);
  Take(v[2], 0, esFlat, s.EndStyle);
  TakeBool(v[3], s.Visible);
  Take(v[4], 0, psAlternate, s.Style);
  Take(v[5], 0, pmNotXor, s.Mode);
  Take(v[6], 0, kMaxSize, s.Width);
  return true;
}

bool GradientFromNumbers(const std::vector<int64_t>& v, TGradientSettings& s)
{
  if (v.size() < 8) return false;
  Take(v[0], 0, 100, s.Balance);
  Take(v[1], 0, gdDiagonalDown, s.Direction);
  Take(v[2], -kMaxSize, kMaxSize, s.RadialX);
  TakeColor(v[3], s.MidColor);
  TakeColor(v[4], s.EndColor);
  Take(v[5], -kMaxSize, kMaxSize, s.RadialY);
  TakeColor(v[6], s.StartColor);
  TakeBool(v[7], s.Visible);
  return true;
}

}  // namespace

// ---- Splitting ----

void ReplaceCharWithBlank(const std::string& text, char c, std::string& result)
{
  result = text;
  for (char& ch : result)
    if (ch == c) ch = ' ';
}

void SplitAtBlanks(const std::string& text, int32_t skip, std::vector<std::string>& words)
{
  words.clear();
  int32_t number = 0;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) {
      if (number >= skip) words.push_back(text.substr(start, i - start));
      ++number;
    }
  }
}

void SplitToIntegers(const std::string& text, int32_t skip, std::vector<int32_t>& values)
{
  values.clear();
  std::vector<std::string> words;
  SplitAtBlanks(text, 0, words);
  for (size_t n = 0; n < words.size(); ++n) {
    double d;
    if (!TryReadSettingsFloat(words[n], d)) continue;
    if (static_cast<int64_t>(n) < skip) continue;
    const int64_t r = RoundedNumber(d);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) continue;
    values.push_back(static_cast<int32_t>(r));
  }
}

// ---- Fields ----

std::string EncodeSettingsName(const std::string& name)
{
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (unsigned char c : name) {
    if (c == ' ') {
      out += '*';
    } else if (NeedsEscape(c)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DecodeSettingsName(const std::string& word)
{
  std::string out;
  out.reserve(word.size());
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if (c == '*') {
      out += ' ';
    } else if (c == '%' && i + 2 < word.size() && HexValue(word[i + 1]) >= 0 && HexValue(word[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(word[i + 1]) * 16 + HexValue(word[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

bool TryReadSettingsFloat(const std::string& word, double& value)
{
  std::string w = word;
  const size_t comma = w.find(',');
  if (comma != std::string::npos) w[comma] = '.';
  if (w.empty() || IsBlank(w.front()) || IsBlank(w.back())) return false;
  double d;
  if (!TryStrToFloat(w, d) || !std::isfinite(d)) return false;
  value = d;
  return true;
}

bool TryReadSettingsInt(const std::string& word, int32_t& value)
{
  double d;
  if (!TryReadSettingsFloat(word, d)) return false;
  if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0) return false;
  value = static_cast<int32_t>(d);
  return true;
}

std::string SettingsFloatToText(double value)
{
  if (value == 0 || !std::isfinite(value)) return "0";  // also -0; no number is written as 0
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

// ---- Parsing ----

bool ParseBrushText(const std::string& text, TBrushSettings& out)
{
  const auto v = NumbersOf(Fields(text, BrushTextSeparator));
  if (v.size() < 2) return false;
  TBrushSettings s = out;
  TakeColor(v[0], s.Color);
  Take(v[1], 0, FirstPatternStyle + NuvPatternCount - 1, s.Style);
  out = s;
  return true;
}

bool ParseGradientText(const std::string& text, TGradientSettings& out)
{
  TGradientSettings s = out;
  if (!GradientFromNumbers(NumbersOf(Fields(text, GradientTextSeparator)), s)) return false;
  out = s;
  return true;
}

bool ParsePenText(const std::string& text, TPenSettings& out)
{
  TPenSettings s = out;
  if (!PenFromNumbers(NumbersOf(Fields(text, PenTextSeparator)), s)) return false;
  out = s;
  return true;
}

bool ParseShadowText(const std::string& text, TShadowSettings& out)
{
  const auto v = NumbersOf(Fields(text, ShadowTextSeparator));
  if (v.size() < 5) return false;
  TShadowSettings s = out;
  Take(v[0], -kMaxSize, kMaxSize, s.Size);
  TakeColor(v[1], s.Color);
  Take(v[2], -kMaxSize, kMaxSize, s.HorizSize);
  Take(v[3], 0, 100, s.Transparency);
  Take(v[4], -kMaxSize, kMaxSize, s.VertSize);
  out = s;
  return true;
}

bool ParseFontText(const std::string& text, TFontSettings& out)
{
  // Numbers 1 to 8 by their order among the numbers; the gradient, the style flags and the name
  // by their place among the words (an empty name leaves ten words).
  const auto f = Fields(text, FontTextSeparator);
  const auto v = NumbersOf(f);
  if (f.size() < 10 || v.size() < 8) return false;
  TFontSettings s = out;
  if (!ParseGradientText(f[8], s.Gradient)) return false;
  Take(v[0], 0, 255, s.Charset);
  TakeColor(v[1], s.Color);
  const bool height = v[2] >= -kMaxSize && v[2] <= kMaxSize;
  Take(v[2], -kMaxSize, kMaxSize, s.Height);
  Take(v[3], -kMaxSize, kMaxSize, s.InterCharSize);
  const bool size = v[4] >= -49151 && v[4] <= 49151;
  Take(v[4], -49151, 49151, s.Size);
  Take(v[5], 1, 10000, s.PixelsPerInch);
  Take(v[7], 0, fpFixed, s.Pitch);
  // A size out of range leaves the size that the height read gives.
  if (height && !size) s.Size = FontSizeOfHeight(s.Height, s.PixelsPerInch);
  s.Style = 0;
  static const TFontStyle bits[4] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  const std::string& flags = f[9];
  for (size_t i = 0; i < 4 && i < flags.size(); ++i)
    if (flags[i] == '1') s.Style |= bits[i];
  s.Name = f.size() >= 11 ? DecodeSettingsName(f[10]) : std::string();
  out = s;
  return true;
}

// ---- Applying ----

void ApplyBrushSettings(const TBrushSettings& s, TChartBrush& brush)
{
  brush.SetColor(s.Color);
  brush.SetStyleValue(s.Style);
}

void ApplyGradientSettings(const TGradientSettings& s, TCustomNuvGradient& g)
{
  g.SetBalance(s.Balance);
  g.SetDirection(s.Direction);
  g.SetRadialX(s.RadialX);
  g.SetMidColor(s.MidColor);
  g.SetEndColor(s.EndColor);
  g.SetRadialY(s.RadialY);
  g.SetStartColor(s.StartColor);
  g.SetVisible(s.Visible);
}

void ApplyPenSettings(const TPenSettings& s, TChartPen& pen)
{
  pen.SetColor(s.Color);
  pen.SetSmallDots(s.SmallDots);
  pen.SetEndStyle(s.EndStyle);
  pen.SetVisible(s.Visible);
  pen.SetStyle(s.Style);
  pen.SetMode(s.Mode);
  pen.SetWidth(s.Width);
}

void ApplyShadowSettings(const TShadowSettings& s, TNuvShadow& shadow)
{
  shadow.SetSize(s.Size);
  shadow.SetColor(s.Color);
  shadow.SetHorizSize(s.HorizSize);
  shadow.SetTransparency(s.Transparency);
  shadow.SetVertSize(s.VertSize);
}

void ApplyFontSettings(const TFontSettings& s, TNuvFont& font)
{
  font.SetCharset(s.Charset);
  font.SetColor(s.Color);
  font.SetHeight(s.Height);
  font.SetInterCharSize(s.InterCharSize);
  // Pixels per inch before the size, so that the size is taken at the text's own pixels per
  // inch; a size the height already gives keeps the height as it is.
  font.SetPixelsPerInch(s.PixelsPerInch);
  if (font.GetSize() != s.Size) font.SetSize(s.Size);
  font.SetPitch(s.Pitch);
  if (font.HasGradient() || !(s.Gradient == GradientSettingsOf(TNuvFontGradient())))
    ApplyGradientSettings(s.Gradient, *font.GetGradient());
  font.SetStyle(s.Style);
  font.SetName(s.Name);
}

// ---- Reading objects' settings ----

TBrushSettings BrushSettingsOf(const TChartBrush& b) { return {b.GetColor(), b.GetStyleValue()}; }

TGradientSettings GradientSettingsOf(const TCustomNuvGradient& g)
{
  TGradientSettings s;
  s.Balance = g.GetBalance();
  s.Direction = g.GetDirection();
  s.RadialX = g.GetRadialX();
  s.MidColor = g.GetMidColor();
  s.EndColor = g.GetEndColor();
  s.RadialY = g.GetRadialY();
  s.StartColor = g.GetStartColor();
  s.Visible = g.GetVisible();
  return s;
}

TPenSettings PenSettingsOf(const TChartPen& p)
{
  TPenSettings s;
  s.Color = p.GetColor();
  s.SmallDots = p.GetSmallDots();
  s.EndStyle = p.GetEndStyle();
  s.Visible = p.GetVisible();
  s.Style = p.GetStyle();
  s.Mode = p.GetMode();
  s.Width = p.GetWidth();
  return s;
}

TShadowSettings ShadowSettingsOf(const TNuvShadow& sh)
{
  TShadowSettings s;
  s.Size = sh.GetSize();
  s.Color = sh.GetColor();
  s.HorizSize = sh.GetHorizSize();
  s.Transparency = sh.GetTransparency();
  s.VertSize = sh.GetVertSize();
  return s;
}

TFontSettings FontSettingsOf(const TNuvFont& f)
{
  TFontSettings s;
  s.Charset = f.GetCharset();
  s.Color = f.GetColor();
  s.Height = f.GetHeight();
  s.InterCharSize = f.GetInterCharSize();
  s.Size = f.GetSize();
  s.PixelsPerInch = f.GetPixelsPerInch();
  s.Pitch = f.GetPitch();
  s.Gradient = f.GradientOrNull() ? GradientSettingsOf(*f.GradientOrNull()) : GradientSettingsOf(TNuvFontGradient());
  s.Style = f.GetStyle();
  s.Name = f.GetName();
  return s;
}

// ---- Writing ----

std::string BrushSettingsToText(const TBrushSettings& s) { return Join({Color(s.Color), Int(s.Style)}, BrushTextSeparator); }

std::string GradientSettingsToText(const TGradientSettings& s)
{
  return Join({Int(s.Balance), Int(s.Direction), Int(s.RadialX), Color(s.MidColor), Color(s.EndColor), Int(s.RadialY),
               Color(s.StartColor), Flag(s.Visible)},
              GradientTextSeparator);
}

std::string PenSettingsToText(const TPenSettings& s)
{
  return Join({Color(s.Color), Flag(s.SmallDots), Int(s.EndStyle), Flag(s.Visible), Int(s.Style), Int(s.Mode),
               Int(s.Width)},
              PenTextSeparator);
}

std::string ShadowSettingsToText(const TShadowSettings& s)
{
  return Join({Int(s.Size), Color(s.Color), Int(s.HorizSize), Int(s.Transparency), Int(s.VertSize)},
              ShadowTextSeparator);
}

std::string FontSettingsToText(const TFontSettings& s)
{
  std::string flags;
  for (TFontStyle b : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) flags += (s.Style & b) ? '1' : '0';
  return Join({Int(s.Charset), Color(s.Color), Int(s.Height), Int(s.InterCharSize), Int(s.Size), Int(s.PixelsPerInch),
               "0", Int(s.Pitch), GradientSettingsToText(s.Gradient), flags, EncodeSettingsName(s.Name)},
              FontTextSeparator);
}

void BrushToText(const TChartBrush& brush, std::string& text) { text = BrushSettingsToText(BrushSettingsOf(brush)); }
void GradientToText(const TCustomNuvGradient& g, std::string& text) { text = GradientSettingsToText(GradientSettingsOf(g)); }
void FontToText(const TNuvFont& font, std::string& text) { text = FontSettingsToText(FontSettingsOf(font)); }
void PenToText(const TChartPen& pen, std::string& text) { text = PenSettingsToText(PenSettingsOf(pen)); }
void ShadowToText(const TNuvShadow& shadow, std::string& text) { text = ShadowSettingsToText(ShadowSettingsOf(shadow)); }

namespace {
[[noreturn]] void Refuse(const char* kind, const std::string& text)
{
  throw EConvertError(std::string("'") + text.substr(0, 200) + "' is not a valid " + kind + " settings text");
}
}  // namespace

std::unique_ptr<TChartBrush> TextToBrush(const std::string& text)
{
  auto b = std::make_unique<TChartBrush>();
  TBrushSettings s = BrushSettingsOf(*b);
  if (!ParseBrushText(text, s)) Refuse("brush", text);
  ApplyBrushSettings(s, *b);
  return b;
}

std::unique_ptr<TNuvGradient> TextToGradient(const std::string& text)
{
  auto g = std::make_unique<TNuvGradient>();
  TGradientSettings s = GradientSettingsOf(*g);
  if (!ParseGradientText(text, s)) Refuse("gradient", text);
  ApplyGradientSettings(s, *g);
  return g;
}

std::unique_ptr<TNuvFont> TextToFont(const std::string& text)
{
  auto f = std::make_unique<TNuvFont>();
  TFontSettings s = FontSettingsOf(*f);
  if (!ParseFontText(text, s)) Refuse("font", text);
  ApplyFontSettings(s, *f);
  return f;
}

std::unique_ptr<TChartPen> TextToPen(const std::string& text)
{
  auto p = std::make_unique<TChartPen>();
  TPenSettings s = PenSettingsOf(*p);
  if (!ParsePenText(text, s)) Refuse("pen", text);
  ApplyPenSettings(s, *p);
  return p;
}

std::unique_ptr<TNuvShadow> TextToShadow(const std::string& text)
{
  auto sh = std::make_unique<TNuvShadow>();
  TShadowSettings s = ShadowSettingsOf(*sh);
  if (!ParseShadowText(text, s)) Refuse("shadow", text);
  ApplyShadowSettings(s, *sh);
  return sh;
}

// ---- Axis texts ----

std::string AxisSettingsToText(const TAxisSettings& s)
{
  std::vector<std::string> f = {
      Flag(s.Automatic), PenSettingsToText(s.Axis), PenSettingsToText(s.Grid), Flag(s.GridCentered), Flag(s.Inverted),
      Flag(s.Horizontal), Flag(s.OtherSide), Flag(s.Labels), Int(s.LabelsAlign), Int(s.LabelsAngle),
      Flag(s.LabelsExponent), FontSettingsToText(s.LabelsFont), Flag(s.LabelsMultiLine), Flag(s.LabelsOnAxis),
      Int(s.LabelsSeparation), Int(s.LabelsSize), Int(s.LabelStyle), Flag(s.Logarithmic), Int(s.MaximumOffset),
      Int(s.MinimumOffset), PenSettingsToText(s.MinorGrid), Int(s.MinorTickCount), Int(s.MinorTickLength),
      PenSettingsToText(s.MinorTicks), Int(s.StartPosition), Int(s.EndPosition), Int(s.PositionPercent),
      Int(s.PositionUnits), Flag(s.RoundFirstLabel), Int(s.TickInnerLength), Int(s.TickLength),
      PenSettingsToText(s.Ticks), PenSettingsToText(s.TicksInner), Flag(s.TickOnLabelsOnly), Int(s.TitleAngle),
      FontSettingsToText(s.TitleFont), Flag(s.TitleVisible), Int(s.TitleSize), Flag(s.Visible),
      Int(s.SymmetricDecades), Flag(s.RoundMinMax), Int(s.SymmetricMinStepMode),
      SettingsFloatToText(s.SymmetricMinStep), Flag(s.AutomaticMinimum), Flag(s.AutomaticMaximum),
      SettingsFloatToText(s.LogarithmicBase), SettingsFloatToText(s.Increment), SettingsFloatToText(s.ForcedMinimum),
      SettingsFloatToText(s.ForcedMaximum), SettingsFloatToText(s.Minimum), SettingsFloatToText(s.Maximum),
      Flag(s.AutoLogFormat), Flag(s.UseForcedLimits), EncodeSettingsName(s.TitleCaption)};
  return Join(f, AxisTextSeparator);
}

bool ParseAxisText(const std::string& text, TAxisSettings& out)
{
  const auto f = Fields(text, AxisTextSeparator);
  if (f.size() != 53 && f.size() != 54) return false;
  TAxisSettings s = out;
  auto pen = [&](int n, TPenSettings& p) { return ParsePenText(f[n - 1], p); };
  auto font = [&](int n, TFontSettings& ft) { return ParseFontText(f[n - 1], ft); };
  auto b = [&](int n, bool& v) { return ReadBool(f[n - 1], v); };
  auto i = [&](int n, int32_t lo, int32_t hi, int32_t& v) { return ReadInt(f[n - 1], lo, hi, v); };
  auto d = [&](int n, double& v) { return ReadFloat(f[n - 1], v); };
  constexpr int32_t M = kMaxSize;
  const bool ok =
      b(1, s.Automatic) && pen(2, s.Axis) && pen(3, s.Grid) && b(4, s.GridCentered) && b(5, s.Inverted) &&
      b(6, s.Horizontal) && b(7, s.OtherSide) && b(8, s.Labels) && i(9, 0, 1, s.LabelsAlign) &&
      i(10, -360, 360, s.LabelsAngle) && b(11, s.LabelsExponent) && font(12, s.LabelsFont) &&
      b(13, s.LabelsMultiLine) && b(14, s.LabelsOnAxis) && i(15, 0, M, s.LabelsSeparation) &&
      i(16, -M, M, s.LabelsSize) && i(17, 0, 4, s.LabelStyle) && b(18, s.Logarithmic) &&
      i(19, -M, M, s.MaximumOffset) && i(20, -M, M, s.MinimumOffset) && pen(21, s.MinorGrid) &&
      i(22, 0, 1000, s.MinorTickCount) && i(23, -M, M, s.MinorTickLength) && pen(24, s.MinorTicks) &&
      i(25, -M, M, s.StartPosition) && i(26, -M, M, s.EndPosition) && i(27, -M, M, s.PositionPercent) &&
      i(28, 0, 1, s.PositionUnits) && b(29, s.RoundFirstLabel) && i(30, -M, M, s.TickInnerLength) &&
      i(31, -M, M, s.TickLength) && pen(32, s.Ticks) && pen(33, s.TicksInner) && b(34, s.TickOnLabelsOnly) &&
      i(35, -360, 360, s.TitleAngle) && font(36, s.TitleFont) && b(37, s.TitleVisible) && i(38, -M, M, s.TitleSize) &&
      b(39, s.Visible) && i(40, 0, 1000, s.SymmetricDecades) && b(41, s.RoundMinMax) && i(42, 0, 1, s.SymmetricMinStepMode) &&
      d(43, s.SymmetricMinStep) && b(44, s.AutomaticMinimum) && b(45, s.AutomaticMaximum) &&
      d(46, s.LogarithmicBase) && d(47, s.Increment) && d(48, s.ForcedMinimum) && d(49, s.ForcedMaximum) &&
      d(50, s.Minimum) && d(51, s.Maximum) && b(52, s.AutoLogFormat) && b(53, s.UseForcedLimits);
  if (!ok) return false;
  // What the axis setters refuse.
  if (s.LogarithmicBase <= 0 || s.LogarithmicBase == 1 || s.Increment < 0) return false;
  // Without a 54th word the caption keeps its value.
  if (f.size() == 54) s.TitleCaption = DecodeSettingsName(f[53]);
  out = s;
  return true;
}

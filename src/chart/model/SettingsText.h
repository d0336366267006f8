#pragma once
// Settings texts: the appearance of a brush, gradient, font, pen, shadow or axis as one line of
// text, and back. Each kind joins its fields with its own separator, so a text of one kind stands
// as a single field inside a text of another kind (a pen inside an axis, a gradient inside a font).
//
// Writing: integers and colours as signed decimal text, Booleans "1"/"0", floating-point numbers in
// their shortest exact form with "." as decimal point. Names and captions are written with every
// blank as "*"; "*", "%", tabs, control characters and the six separators are written as "%" and two
// hexadecimal digits, so any name survives the round trip ("%" not followed by two hexadecimal
// digits reads as itself, so older texts read as before).
//
// Reading a brush, gradient, pen, shadow or font text: its numbers (words that read as decimal
// numbers, "." or "," as decimal point, rounded half away from zero) are taken in order; a word that
// is not a number takes no place, and numbers past the ones the kind uses are ignored. A number
// outside its field's range is skipped: the field keeps the value it had. A text with fewer
// numbers than its kind needs is refused: the Parse* routines answer false, the TextTo* routines
// raise EConvertError, and nothing is changed. Nothing past the end of the text is read.
// Axis texts are checked whole before anything changes (see ParseAxisText).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NvCanvasAttributes.h"
#include "chart/canvas/NvCanvasEffects.h"

class TChartAxis;

constexpr char BrushTextSeparator = '#';
constexpr char GradientTextSeparator = '$';
constexpr char FontTextSeparator = '^';
constexpr char PenTextSeparator = '&';
constexpr char ShadowTextSeparator = '@';
constexpr char AxisTextSeparator = '~';
// The largest pixel size, offset or percent a text carries (writers hold values there).
constexpr int32_t SettingsTextMaxInt = 65535;

// ---- Splitting ----
// A copy of Text with every C replaced by a blank.
void ReplaceCharWithBlank(const std::string& text, char c, std::string& result);
// The words of Text (runs of characters other than blank and tab), dropping the first Skip words.
void SplitAtBlanks(const std::string& text, int32_t skip, std::vector<std::string>& words);
// The numbers among the words of Text, rounded half away from zero; every word counts towards
// Skip, numbers or not. The first "," of a word is its decimal point. Numbers whose rounded value
// lies outside the 32-bit range are left out like words that do not convert.
void SplitToIntegers(const std::string& text, int32_t skip, std::vector<int32_t>& values);

// ---- Fields ----
std::string EncodeSettingsName(const std::string& name);
std::string DecodeSettingsName(const std::string& word);
// A finite decimal number with "." or "," as decimal point.
bool TryReadSettingsFloat(const std::string& word, double& value);
// A whole number of the 32-bit range written as an integer (a fraction is refused).
bool TryReadSettingsInt(const std::string& word, int32_t& value);
// The shortest text that reads back as the same double, "." as decimal point (0 for a value
// that is not a finite number).
std::string SettingsFloatToText(double value);

// ---- Parsed settings: what a text holds, checked, before it is applied ----
struct TBrushSettings {
  TColor Color = clDefault;
  int32_t Style = bsSolid;  // 0..7 platform styles, 8 and up pattern bitmaps
};

struct TGradientSettings {
  int32_t Balance = 50;
  TGradientDirection Direction = gdTopBottom;
  int32_t RadialX = 0;
  TColor MidColor = clNone;
  TColor EndColor = clYellow;
  int32_t RadialY = 0;
  TColor StartColor = clWhite;
  bool Visible = false;
  friend bool operator==(const TGradientSettings&, const TGradientSettings&) = default;
};

struct TPenSettings {
  TColor Color = clBlack;
  bool SmallDots = false;
  TPenEndStyle EndStyle = esRound;
  bool Visible = true;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
  int32_t Width = 1;
};

struct TShadowSettings {
  int32_t Size = 0;
  TColor Color = clSilver;
  int32_t HorizSize = 0;
  int32_t Transparency = 0;
  int32_t VertSize = 0;
};

struct TFontSettings {
  uint8_t Charset = DEFAULT_CHARSET;
  TColor Color = clBlack;
  int32_t Height = -11;
  int32_t InterCharSize = 0;
  int32_t Size = 8;
  int32_t PixelsPerInch = TFont::PixelsPerInch;
  TFontPitch Pitch = fpDefault;
  TGradientSettings Gradient;
  TFontStyles Style = 0;
  std::string Name;
};

// Out holds the values that skipped fields keep; it changes only when the text is read.
bool ParseBrushText(const std::string& text, TBrushSettings& out);
bool ParseGradientText(const std::string& text, TGradientSettings& out);
bool ParsePenText(const std::string& text, TPenSettings& out);
bool ParseShadowText(const std::string& text, TShadowSettings& out);
bool ParseFontText(const std::string& text, TFontSettings& out);

// Through the objects' setters, in the order the fields are listed above.
void ApplyBrushSettings(const TBrushSettings& s, TChartBrush& brush);
void ApplyGradientSettings(const TGradientSettings& s, TCustomNuvGradient& gradient);
void ApplyPenSettings(const TPenSettings& s, TChartPen& pen);
void ApplyShadowSettings(const TShadowSettings& s, TNuvShadow& shadow);
// The font's gradient is made only when the text's gradient differs from a new one. Pixels per
// inch is set before the size; a size that the height already gives leaves the height as it is.
void ApplyFontSettings(const TFontSettings& s, TNuvFont& font);

TBrushSettings BrushSettingsOf(const TChartBrush& brush);
TGradientSettings GradientSettingsOf(const TCustomNuvGradient& gradient);
TPenSettings PenSettingsOf(const TChartPen& pen);
TShadowSettings ShadowSettingsOf(const TNuvShadow& shadow);
TFontSettings FontSettingsOf(const TNuvFont& font);

std::string BrushSettingsToText(const TBrushSettings& s);
std::string GradientSettingsToText(const TGradientSettings& s);
std::string PenSettingsToText(const TPenSettings& s);
std::string ShadowSettingsToText(const TShadowSettings& s);
std::string FontSettingsToText(const TFontSettings& s);

// ---- Writers and readers of the objects ----
void BrushToText(const TChartBrush& brush, std::string& text);
void GradientToText(const TCustomNuvGradient& gradient, std::string& text);
void FontToText(const TNuvFont& font, std::string& text);
void PenToText(const TChartPen& pen, std::string& text);
void ShadowToText(const TNuvShadow& shadow, std::string& text);

// New objects without owner, set from the text (a skipped field keeps the new object's value);
// EConvertError for a text with too few numbers (or words, for a font).
std::unique_ptr<TChartBrush> TextToBrush(const std::string& text);
std::unique_ptr<TNuvGradient> TextToGradient(const std::string& text);
std::unique_ptr<TNuvFont> TextToFont(const std::string& text);
std::unique_ptr<TChartPen> TextToPen(const std::string& text);
std::unique_ptr<TNuvShadow> TextToShadow(const std::string& text);

// ---- Axis texts (54 fields) ----
struct TAxisSettings {
  bool Automatic = true;                 // 1
  TPenSettings Axis;                     // 2
  TPenSettings Grid;                     // 3
  bool GridCentered = false;             // 4
  bool Inverted = false;                 // 5
  bool Horizontal = false;               // 6
  bool OtherSide = false;                // 7
  bool Labels = true;                    // 8
  int32_t LabelsAlign = 0;               // 9
  int32_t LabelsAngle = 0;               // 10
  bool LabelsExponent = false;           // 11
  TFontSettings LabelsFont;              // 12
  bool LabelsMultiLine = false;          // 13
  bool LabelsOnAxis = true;              // 14
  int32_t LabelsSeparation = 10;         // 15
  int32_t LabelsSize = 0;                // 16
  int32_t LabelStyle = 0;                // 17
  bool Logarithmic = false;              // 18
  int32_t MaximumOffset = 0;             // 19
  int32_t MinimumOffset = 0;             // 20
  TPenSettings MinorGrid;                // 21
  int32_t MinorTickCount = 3;            // 22
  int32_t MinorTickLength = 2;           // 23
  TPenSettings MinorTicks;               // 24
  int32_t StartPosition = 0;             // 25
  int32_t EndPosition = 100;             // 26
  int32_t PositionPercent = 0;           // 27
  int32_t PositionUnits = 0;             // 28
  bool RoundFirstLabel = true;           // 29
  int32_t TickInnerLength = 0;           // 30
  int32_t TickLength = 4;                // 31
  TPenSettings Ticks;                    // 32
  TPenSettings TicksInner;               // 33
  bool TickOnLabelsOnly = true;          // 34
  int32_t TitleAngle = 0;                // 35
  TFontSettings TitleFont;               // 36
  bool TitleVisible = true;              // 37
  int32_t TitleSize = 0;                 // 38
  bool Visible = true;                   // 39
  int32_t SymmetricDecades = 3;          // 40
  bool RoundMinMax = false;              // 41
  int32_t SymmetricMinStepMode = 0;      // 42
  double SymmetricMinStep = 0.01;        // 43
  bool AutomaticMinimum = true;          // 44
  bool AutomaticMaximum = true;          // 45
  double LogarithmicBase = 10;           // 46
  double Increment = 0;                  // 47
  double ForcedMinimum = 0;              // 48
  double ForcedMaximum = 0;              // 49
  double Minimum = 0;                    // 50
  double Maximum = 0;                    // 51
  bool AutoLogFormat = false;            // 52
  bool UseForcedLimits = false;          // 53
  std::string TitleCaption;              // 54, empty: the text ends with a separator after field 53
};

// 53 or 54 fields; out holds what a text leaves out (the caption without a 54th word, values its
// pens and fonts skip) and changes only when the text is read. Besides the field checks, refuses what the axis setters would refuse: a
// logarithmic base of 1 or not above 0, a negative increment or labels separation. Integer fields
// hold at most +-65535 (pixels, percent), angles +-360.
bool ParseAxisText(const std::string& text, TAxisSettings& out);
std::string AxisSettingsToText(const TAxisSettings& s);

// The axis' settings through its getters / setters (SettingsTextAxis.cpp).
TAxisSettings AxisSettingsOf(const TChartAxis& axis);
void AxisToText(const TChartAxis& axis, std::string& text);
// Applies an axis text; fields 6 and 7 only with ApplyOrientation. An empty text (no words) changes
// nothing; a text without a caption word leaves the title's caption. A text that does not parse
// raises EConvertError with the axis unchanged; when a setter refuses a value, the axis' previous
// settings are put back exactly before the exception leaves.
void TextToAxis(TChartAxis& axis, const std::string& text, bool applyOrientation);

// Settings texts of brush, gradient, pen, shadow, font and axis: the written forms, round trips,
// names that need the escape, and refusal of damaged texts with nothing applied.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "chart/model/SettingsText.h"
#include "platform/Types.h"

namespace {

std::string Text(const TChartPen& p) { std::string t; PenToText(p, t); return t; }
std::string Text(const TChartBrush& b) { std::string t; BrushToText(b, t); return t; }
std::string Text(const TNuvFont& f) { std::string t; FontToText(f, t); return t; }
std::string Text(const TNuvShadow& s) { std::string t; ShadowToText(s, t); return t; }
std::string Text(const TCustomNuvGradient& g) { std::string t; GradientToText(g, t); return t; }

int Count(const std::string& s, char c) { return static_cast<int>(std::count(s.begin(), s.end(), c)); }

}  // namespace

TEST(SettingsTextSplit, WordsAndNumbers)
{
  std::vector<std::string> w;
  SplitAtBlanks("  a \t b   c  ", 1, w);
  EXPECT_EQ(w, (std::vector<std::string>{"b", "c"}));
  std::string r;
  ReplaceCharWithBlank("1~~3", '~', r);
  SplitAtBlanks(r, 0, w);
  EXPECT_EQ(w, (std::vector<std::string>{"1", "3"}));

  std::vector<int32_t> v;
  SplitToIntegers("12 x 3,6", 0, v);
  EXPECT_EQ(v, (std::vector<int32_t>{12, 4}));
  // Every word counts towards Skip; numbers outside the 32-bit range are left out.
  SplitToIntegers("x 1 2 99999999999 -2,5 2.5", 2, v);
  EXPECT_EQ(v, (std::vector<int32_t>{2, -3, 3}));  // halves away from zero
  // The ends of the 32-bit range are kept; what rounds past them is not.
  SplitToIntegers("-2147483648 2147483647 2147483647,5 -2147483648,5 -2147483648,4", 0, v);
  EXPECT_EQ(v, (std::vector<int32_t>{INT32_MIN, INT32_MAX, INT32_MIN}));
}

TEST(SettingsTextFields, NumbersAndNames)
{
  double d;
  EXPECT_TRUE(TryReadSettingsFloat("0,5", d));
  EXPECT_EQ(d, 0.5);
  EXPECT_TRUE(TryReadSettingsFloat("-1.25e3", d));
  EXPECT_EQ(d, -1250);
  for (const char* bad : {"", "x", "1e", ".", "nan", "inf", "1e309", "1,5,5", "1.5.5", "0x10"})
    EXPECT_FALSE(TryReadSettingsFloat(bad, d)) << bad;
  int32_t i;
  EXPECT_TRUE(TryReadSettingsInt("-2147483648", i));
  EXPECT_EQ(i, INT32_MIN);
  EXPECT_FALSE(TryReadSettingsInt("2147483648", i));
  EXPECT_FALSE(TryReadSettingsInt("1.5", i));

  // Shortest exact text, "." whatever the locale.
  for (double x : {0.1, 1.0 / 3, -1e-300, 123456789.0, 6.02214076e23, 0.5}) {
    EXPECT_EQ(SettingsFloatToText(x).find(','), std::string::npos);
    ASSERT_TRUE(TryReadSettingsFloat(SettingsFloatToText(x), d));
    EXPECT_EQ(d, x);
  }

  EXPECT_EQ(EncodeSettingsName("Courier New"), "Courier*New");
  for (std::string name : {"a*b", "50% grey", "tab\there", "x~y#z$w^v&u@t", "line\r\nbreak", "%41", "%", "", "\x7f"}) {
    const std::string e = EncodeSettingsName(name);
    for (char c : std::string(" \t~#$^&@\r\n")) EXPECT_EQ(e.find(c), std::string::npos) << name;
    EXPECT_EQ(DecodeSettingsName(e), name);
  }
  // Older texts: "%" that starts no escape reads as itself.
  EXPECT_EQ(DecodeSettingsName("100%*sure%4"), "100% sure%4");
}

TEST(SettingsTextAttributes, WrittenForms)
{
  TChartPen pen;
  pen.SetColor(0);
  pen.SetEndStyle(esRound);
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  pen.SetWidth(1);
  EXPECT_EQ(Text(pen), "0&0&0&1&0&4&1");

  TChartBrush brush;
  brush.SetColor(clDefault);
  brush.SetStyle(bsClear);
  EXPECT_EQ(Text(brush), "536870912#1");

  TNuvShadow shadow;
  shadow.SetHorizSize(3);
  shadow.SetVertSize(5);
  const std::string st = Text(shadow);
  EXPECT_EQ(st.substr(0, 2), "5@");
  auto back = TextToShadow(st);
  EXPECT_EQ(back->GetHorizSize(), 3);
  EXPECT_EQ(back->GetVertSize(), 5);

  TNuvFont font;
  font.SetStyle(fsBold | fsUnderline);
  font.SetName("Courier New");
  const std::string ft = Text(font);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(ft, '^', r);
  SplitAtBlanks(r, 0, w);
  ASSERT_EQ(w.size(), 11u);
  EXPECT_EQ(w[9], "1010");
  EXPECT_EQ(w[10], "Courier*New");
  EXPECT_EQ(w[6], "0");
  EXPECT_EQ(TextToFont(ft)->GetName(), "Courier New");

  // A system colour is a negative number.
  pen.SetColor(clBtnFace);
  EXPECT_EQ(Text(pen).substr(0, 12), "-16777201&0&");
}

TEST(SettingsTextAttributes, RoundTrips)
{
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
  for (int k = 0; k < 200; ++k) {
    TChartPen pen;
    pen.SetColor(static_cast<TColor>(rng()));
    pen.SetSmallDots(pick(0, 1));
    pen.SetEndStyle(static_cast<TPenEndStyle>(pick(0, 2)));
    pen.SetVisible(pick(0, 1));
    pen.SetStyle(static_cast<TPenStyle>(pick(0, 8)));
    pen.SetMode(static_cast<TPenMode>(pick(0, 15)));
    pen.SetWidth(pick(0, 40));
    EXPECT_EQ(Text(*TextToPen(Text(pen))), Text(pen));

    TChartBrush brush;
    brush.SetColor(static_cast<TColor>(rng()));
    brush.SetStyleValue(pick(0, 19));
    EXPECT_EQ(Text(*TextToBrush(Text(brush))), Text(brush));

    TNuvGradient g;
    g.SetBalance(pick(0, 100));
    g.SetDirection(static_cast<TGradientDirection>(pick(0, 9)));
    g.SetRadialX(pick(-500, 500));
    g.SetRadialY(pick(-500, 500));
    if (pick(0, 1)) g.SetMidColor(static_cast<TColor>(pick(0, 0xFFFFFF)));
    g.SetEndColor(static_cast<TColor>(rng()));
    g.SetStartColor(static_cast<TColor>(rng()));
    g.SetVisible(pick(0, 1));
    EXPECT_EQ(Text(*TextToGradient(Text(g))), Text(g));

    TNuvShadow sh;
    sh.SetColor(static_cast<TColor>(rng()));
    sh.SetHorizSize(pick(-20, 20));
    sh.SetVertSize(pick(-20, 20));
    sh.SetTransparency(pick(0, 100));
    EXPECT_EQ(Text(*TextToShadow(Text(sh))), Text(sh));

    TNuvFont f;
    f.SetCharset(static_cast<uint8_t>(pick(0, 255)));
    f.SetColor(static_cast<TColor>(rng()));
    f.SetSize(pick(1, 72));
    f.SetInterCharSize(pick(-5, 5));
    f.SetPitch(static_cast<TFontPitch>(pick(0, 2)));
    f.SetStyle(static_cast<TFontStyles>(pick(0, 15)));
    const char* names[] = {"Arial", "Times New Roman", "a*b", "x~y^z", "", "  lead", "50%"};
    f.SetName(names[pick(0, 6)]);
    if (pick(0, 1)) f.GetGradient()->SetVisible(true);
    const std::string t = Text(f);
    auto f2 = TextToFont(t);
    EXPECT_EQ(f2->GetName(), f.GetName());
    EXPECT_EQ(f2->GetStyle(), f.GetStyle());
    EXPECT_EQ(Text(*f2), t);
  }
}

TEST(SettingsTextAttributes, FontWithoutGradientStaysWithout)
{
  TNuvFont f;
  auto f2 = TextToFont(Text(f));
  EXPECT_FALSE(f2->HasGradient());
  TNuvFont g;
  g.GetGradient()->SetStartColor(clRed);
  EXPECT_TRUE(TextToFont(Text(g))->HasGradient());
}

TEST(SettingsTextAttributes, ReadAsTheNumbersOfTheText)
{
  // The first "," of a word is its decimal point; numbers are rounded.
  auto brush = TextToBrush("255.4#2,6");
  EXPECT_EQ(brush->GetColor(), 255u);
  EXPECT_EQ(brush->GetStyleValue(), 3);
  EXPECT_EQ(Text(*TextToBrush("254,5#0.5")), "255#1");  // halves away from zero

  // A word that is not a number is skipped and the following numbers move up one place;
  // numbers past the ones the kind uses are ignored.
  for (const char* t : {"0&x&0&0&1&0&4&1", "0&0&0&1&0&4&1&9&9", "0&0&0&1&0&4&1&x", "0.2&0&-0.4&1&0&4&0,5"})
    EXPECT_EQ(Text(*TextToPen(t)), "0&0&0&1&0&4&1") << t;
  EXPECT_EQ(Text(*TextToGradient("20$1$junk$3$4$5$6$7$1$99")), "20$1$3$4$5$6$7$1");
  EXPECT_EQ(Text(*TextToShadow("5@grey@0@5@10@5@7")), "5@0@5@10@5");

  // A font takes its numbers in order and its gradient, style flags and name by their place.
  TNuvFont font;
  font.SetName("Courier New");
  font.SetColor(7);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(Text(font), '^', r);
  SplitAtBlanks(r, 0, w);
  ASSERT_EQ(w.size(), 11u);
  auto join = [](const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? "^" : "") + v[i];
    return s;
  };
  auto v = w;
  v[9] = "1x";  // bold only: characters that are not "1" set nothing
  EXPECT_EQ(TextToFont(join(v))->GetStyle(), fsBold);
  v[9] = "0";  // a short flags word reads no further than its end
  EXPECT_EQ(TextToFont(join(v))->GetStyle(), 0);
  v[9] = "01011";
  EXPECT_EQ(TextToFont(join(v))->GetStyle(), fsItalic | fsStrikeOut);
  v = w;
  v[4] = "12,4";  // the size, rounded
  v.push_back("surplus");
  EXPECT_EQ(TextToFont(join(v))->GetSize(), 12);
  v = w;
  v[0] = "x";  // the charset is no number: the colour takes value 1, and so on
  v[7] = "1";  // the reserved place is taken by the pitch field's 1
  auto shifted = TextToFont(join(v));
  EXPECT_EQ(shifted->GetCharset(), 7);
  EXPECT_EQ(shifted->GetName(), "Courier New");
}

TEST(SettingsTextAttributes, ValuesOutOfRangeAreSkipped)
{
  // The field keeps its value; the other fields are read.
  TPenSettings p;
  p.Width = 77;
  p.Visible = false;
  ASSERT_TRUE(ParsePenText("255&1&2&2&3&4&-1", p));
  EXPECT_EQ(p.Color, 255u);
  EXPECT_TRUE(p.SmallDots);
  EXPECT_EQ(p.EndStyle, esFlat);
  EXPECT_FALSE(p.Visible);
  EXPECT_EQ(p.Style, psDashDot);
  EXPECT_EQ(p.Mode, pmCopy);
  EXPECT_EQ(p.Width, 77);
  for (const char* t : {"4294967296&0&3&1&9&16&99999999999", "1e300&0&0&5&0&4&1e19"}) {
    TPenSettings q;
    q.Color = 9;
    q.Width = 3;
    ASSERT_TRUE(ParsePenText(t, q)) << t;
    EXPECT_EQ(q.Color, 9u) << t;
    EXPECT_EQ(q.Width, 3) << t;
  }
  // A new object keeps its own value.
  auto pen = TextToPen("0&0&0&2&0&4&-1");
  EXPECT_TRUE(pen->GetVisible());
  EXPECT_EQ(pen->GetWidth(), TChartPen().GetWidth());
  EXPECT_EQ(TextToBrush("5#20")->GetStyleValue(), TChartBrush().GetStyleValue());
  EXPECT_EQ(TextToShadow("5@0@5@101@5")->GetTransparency(), 0);
  auto g = TextToGradient("101$10$0$0$0$0$0$2");
  EXPECT_EQ(g->GetBalance(), 50);
  EXPECT_EQ(g->GetDirection(), TNuvGradient().GetDirection());
  EXPECT_FALSE(g->GetVisible());

  // A font whose size is out of range keeps the size its height gives.
  TNuvFont f;
  f.SetHeight(-20);
  std::string t = Text(f);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(t, '^', r);
  SplitAtBlanks(r, 0, w);
  w[4] = "999999";
  std::string joined;
  for (size_t i = 0; i < w.size(); ++i) joined += (i ? "^" : "") + w[i];
  EXPECT_EQ(TextToFont(joined)->GetHeight(), -20);
}

TEST(SettingsTextAttributes, TooFewNumbersAreRefusedWithNothingApplied)
{
  for (const char* t : {"", "0&0&0&1&0&4", "0&x&0&1&0&4&1", "0&0&0&1&0&4&1e309", "0&0&0&1&0&nan&1", "&&&&&&"}) {
    TPenSettings s;
    s.Width = 77;
    EXPECT_FALSE(ParsePenText(t, s)) << t;
    EXPECT_EQ(s.Width, 77);
    EXPECT_THROW(TextToPen(t), EConvertError) << t;
  }
  for (const char* t : {"5", "5#", "x#1", "5#inf"}) EXPECT_THROW(TextToBrush(t), EConvertError) << t;
  for (const char* t : {"5@0@5@0", "5@0@x@0@5"}) EXPECT_THROW(TextToShadow(t), EConvertError) << t;
  for (const char* t : {"50$0$0$0$0$0$0", "50$0$0$0$0$0$0$x"}) EXPECT_THROW(TextToGradient(t), EConvertError) << t;

  TNuvFont f;
  f.SetName("Courier New");
  const std::string good = Text(f);
  // An empty name leaves ten words: read with an empty name.
  TFontSettings e;
  EXPECT_TRUE(ParseFontText(good.substr(0, good.rfind('^')) + "^", e));
  EXPECT_EQ(e.Name, "");
  const std::string noFlags = good.substr(0, good.find("^0000"));
  std::string badGradient = good;
  badGradient.replace(badGradient.find('$'), badGradient.find('^', badGradient.find('$')) - badGradient.find('$'), "");
  const std::string noCharsetNoColour = good.substr(good.find('^', good.find('^') + 1) + 1);
  for (std::string t : {noFlags, noCharsetNoColour, badGradient}) {
    TFontSettings s;
    s.Name = "keep";
    EXPECT_FALSE(ParseFontText(t, s)) << t;
    EXPECT_EQ(s.Name, "keep");
    EXPECT_THROW(TextToFont(t), EConvertError) << t;
  }
}

TEST(SettingsTextAttributes, FontPixelsPerInchIsStored)
{
  // Field 6 is the font's own pixels per inch; the size is taken at it.
  TNuvFont f;
  f.SetPixelsPerInch(120);
  f.SetSize(10);
  EXPECT_EQ(f.GetHeight(), -17);
  const std::string t = Text(f);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(t, '^', r);
  SplitAtBlanks(r, 0, w);
  EXPECT_EQ(w[5], "120");
  auto back = TextToFont(t);
  EXPECT_EQ(back->GetPixelsPerInch(), 120);
  EXPECT_EQ(back->GetSize(), 10);
  EXPECT_EQ(back->GetHeight(), -17);
  EXPECT_EQ(Text(*back), t);
  // Setting it keeps the height; assigning copies it.
  TNuvFont g;
  g.SetHeight(-16);
  g.SetPixelsPerInch(72);
  EXPECT_EQ(g.GetHeight(), -16);
  EXPECT_EQ(g.GetSize(), 16);
  TNuvFont h;
  h.Assign(&g);
  EXPECT_EQ(h.GetPixelsPerInch(), 72);
  EXPECT_THROW(g.SetPixelsPerInch(0), ERangeError);
  // A height that a size would not give exactly survives the round trip.
  TNuvFont k;
  k.SetHeight(-14);
  EXPECT_EQ(TextToFont(Text(k))->GetHeight(), -14);
}

TEST(SettingsTextAxis, FieldsRoundTrip)
{
  TAxisSettings a;
  a.Axis.Width = 2;
  a.Grid.Style = psDot;
  a.Horizontal = true;
  a.LabelsFont.Name = "Times New Roman";
  a.TitleFont.Style = fsItalic;
  a.Increment = 0.25;
  a.Minimum = -1.0 / 3;
  a.Maximum = 1e12;
  a.LogarithmicBase = 2.718281828459045;
  a.SymmetricMinStep = 1e-7;
  a.ForcedMinimum = -5;
  a.TitleCaption = "Depth (m) ~ 50%";
  const std::string t = AxisSettingsToText(a);
  EXPECT_EQ(Count(t, '~'), 53);
  EXPECT_EQ(t.find(','), std::string::npos);
  TAxisSettings b;
  ASSERT_TRUE(ParseAxisText(t, b));
  EXPECT_EQ(b.Minimum, a.Minimum);
  EXPECT_EQ(b.Maximum, a.Maximum);
  EXPECT_EQ(b.TitleCaption, a.TitleCaption);
  EXPECT_EQ(b.LabelsFont.Name, "Times New Roman");
  EXPECT_EQ(AxisSettingsToText(b), t);

  // Empty caption: the text ends in the separator and reads back with 53 words.
  a.TitleCaption.clear();
  const std::string e = AxisSettingsToText(a);
  EXPECT_EQ(e.back(), '~');
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(e, '~', r);
  SplitAtBlanks(r, 0, w);
  EXPECT_EQ(w.size(), 53u);
  TAxisSettings fresh;
  ASSERT_TRUE(ParseAxisText(e, fresh));
  EXPECT_EQ(fresh.TitleCaption, "");
  // Without a caption word the caption keeps its value.
  ASSERT_TRUE(ParseAxisText(e, b));
  EXPECT_EQ(b.TitleCaption, "Depth (m) ~ 50%");

  // Comma decimal points are read.
  std::string c = AxisSettingsToText(a);
  c.replace(c.find("0.25"), 4, "0,25");
  ASSERT_TRUE(ParseAxisText(c, b));
  EXPECT_EQ(b.Increment, 0.25);
}

TEST(SettingsTextAxis, DamagedTextsAreRefused)
{
  TAxisSettings a;
  const std::string t = AxisSettingsToText(a);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(t, '~', r);
  SplitAtBlanks(r, 0, w);
  auto join = [](const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? "~" : "") + v[i];
    return s;
  };
  TAxisSettings out;
  EXPECT_FALSE(ParseAxisText("", out));
  // Every field replaced by junk refuses the text (the caption takes any word).
  for (size_t i = 0; i < w.size(); ++i) {
    auto v = w;
    v[i] = "x";
    if (i == 53) continue;
    EXPECT_FALSE(ParseAxisText(join(v), out)) << i + 1;
  }
  for (size_t n = 1; n < 53; ++n) {
    auto v = w;
    v.resize(n);
    EXPECT_FALSE(ParseAxisText(join(v), out)) << n;
  }
  // Values the axis refuses: logarithmic base 1 and negative, negative increment.
  for (auto [field, value] : std::vector<std::pair<int, const char*>>{{46, "1"}, {46, "-2"}, {47, "-1"}, {50, "nan"}}) {
    auto v = w;
    v[field - 1] = value;
    EXPECT_FALSE(ParseAxisText(join(v), out)) << field;
  }
}

// ---- Axis objects ----
#include "chart/model/NvEngineAxis.h"

namespace {
std::string Text(const TChartAxis& a) { std::string t; AxisToText(a, t); return t; }
}  // namespace

TEST(SettingsTextAxisObject, RoundTripThroughAnAxis)
{
  TChartAxis a(nullptr);
  a.SetMinMax(-3.5, 12.25);
  a.SetIncrement(0.5);
  a.SetInverted(true);
  a.SetHorizontal(true);
  a.SetLabelsAngle(90);
  a.SetTickLength(7);
  a.GetGrid()->SetStyle(psDash);
  a.GetLabelsFont()->SetName("Courier New");
  a.GetTitle()->SetCaption("Depth (m)");
  a.GetTitle()->SetAngle(90);
  a.RoundMinMax = true;
  const std::string t = Text(a);

  TChartAxis b(nullptr);
  TextToAxis(b, t, true);
  EXPECT_EQ(Text(b), t);
  EXPECT_EQ(b.GetMinimum(), -3.5);
  EXPECT_EQ(b.GetMaximum(), 12.25);
  EXPECT_FALSE(b.GetAutomatic());
  EXPECT_TRUE(b.GetHorizontal());
  EXPECT_EQ(b.GetTitle()->GetCaption(), "Depth (m)");
  EXPECT_EQ(b.GetLabelsFont()->GetName(), "Courier New");

  // Without orientation Horizontal and OtherSide stay; Visible and the forced limits are never read.
  TChartAxis c(nullptr);
  c.SetOtherSide(true);
  c.SetVisible(false);
  c.ForcedMinimum = 7;
  c.ForcedMaximum = 8;
  TextToAxis(c, t, false);
  EXPECT_FALSE(c.GetHorizontal());
  EXPECT_TRUE(c.GetOtherSide());
  EXPECT_FALSE(c.GetVisible());
  EXPECT_EQ(c.ForcedMinimum, 7);
  EXPECT_EQ(c.ForcedMaximum, 8);
  EXPECT_TRUE(c.GetInverted());

  // An empty text changes nothing; a damaged one raises and changes nothing either.
  const std::string before = Text(c);
  TextToAxis(c, "  ~~ ", true);
  EXPECT_EQ(Text(c), before);
  for (std::string bad : {t.substr(0, t.size() / 2), t + "~x", std::string("x") + t.substr(1)}) {
    EXPECT_THROW(TextToAxis(c, bad, true), EConvertError);
    EXPECT_EQ(Text(c), before);
  }
}

TEST(SettingsTextAxisObject, EverySnapshotReadsBack)
{
  // Whatever an axis holds, its own text is accepted by the reader ("Default" must restore it).
  TChartAxis a(nullptr);
  a.SetMinMax(-1e305, 1e305);
  a.SymmetricMinStep = std::numeric_limits<double>::quiet_NaN();
  a.ForcedMaximum = std::numeric_limits<double>::infinity();
  a.SetStartPosition(12.5);
  a.SetTickLength(1000000);
  const std::string t = Text(a);
  TAxisSettings s;
  ASSERT_TRUE(ParseAxisText(t, s)) << t;
  TChartAxis b(nullptr);
  TextToAxis(b, t, true);
  EXPECT_EQ(b.GetMinimum(), -1e305);
  EXPECT_EQ(b.GetMaximum(), 1e305);
  EXPECT_EQ(b.GetTickLength(), SettingsTextMaxInt);
  EXPECT_EQ(b.GetStartPosition(), 13);  // halves round away from zero
  a.SetStartPosition(-12.5);
  a.SetEndPosition(2.5);
  TextToAxis(b, Text(a), true);
  EXPECT_EQ(b.GetStartPosition(), -13);
  EXPECT_EQ(b.GetEndPosition(), 3);
}

TEST(SettingsTextAxisObject, ATextWithoutCaptionLeavesTheCaption)
{
  TChartAxis a(nullptr);
  const std::string t = Text(a);  // no caption: ends in the separator
  ASSERT_EQ(t.back(), '~');
  TChartAxis b(nullptr);
  b.GetTitle()->SetCaption("Depth (m)");
  TextToAxis(b, t, true);
  EXPECT_EQ(b.GetTitle()->GetCaption(), "Depth (m)");
}

#include "chart/model/Chart.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineValues.h"

TEST(SettingsTextAxisObject, ARefusedTextPutsTheAxisBackExactly)
{
  // A date-time axis refuses Logarithmic, the last setter the text reaches.
  TChart chart(nullptr);
  auto* series = new TChartSeries(nullptr);
  chart.AddSeries(series);
  series->AddXY(1, 1, "");
  series->XValues()->SetDateTime(true);
  TChartAxis* a = chart.GetBottomAxis();
  ASSERT_TRUE(a->IsDateTime());
  std::string t = Text(*a);
  std::vector<std::string> w;
  std::string r;
  ReplaceCharWithBlank(t, '~', r);
  SplitAtBlanks(r, 0, w);
  w[17] = "1";
  t.clear();
  for (size_t i = 0; i < w.size(); ++i) t += (i ? "~" : "") + w[i];

  a->SetStartPosition(12.5);
  a->SetEndPosition(87.25);
  a->SetPositionPercent(-0.75);
  a->SetTickLength(70000);
  a->SetLabelsSize(-80000);
  a->SetLabelsAngle(450);
  a->GetTitle()->SetCaption("");
  const std::string before = Text(*a);
  EXPECT_THROW(TextToAxis(*a, t, true), AxisException);
  EXPECT_EQ(a->GetStartPosition(), 12.5);
  EXPECT_EQ(a->GetEndPosition(), 87.25);
  EXPECT_EQ(a->GetPositionPercent(), -0.75);
  EXPECT_EQ(a->GetTickLength(), 70000);
  EXPECT_EQ(a->GetLabelsSize(), -80000);
  EXPECT_EQ(a->GetLabelsAngle(), 450);
  EXPECT_FALSE(a->GetLogarithmic());
  EXPECT_EQ(Text(*a), before);
}

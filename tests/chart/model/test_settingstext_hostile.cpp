// Seeded mutations of settings texts the writers produced, replayed through every reader: a text is
// either refused with nothing applied or read into settings that write and read back unchanged.
#include <gtest/gtest.h>

#include <random>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/SettingsText.h"

namespace {

const char* const kHostile[] = {"1e308", "-1e308", "-0", "nan", "inf", "2147483648", "-2147483649", "-1", "0",
                                "4294967296", "1e-320", "1e309", "99999999999999999999", "1,5", "0,5", "",
                                "x", "1e", ".", ",", "%", "%zz", "*", "~", "#", "0x10", "65536", "-65536", "361"};
const char kSeparators[] = {'#', '$', '^', '&', '@', '~', ' ', '\t', '*', '%'};

// Flips, cuts, junk, separators doubled or dropped, fields replaced by hostile words.
std::string Mutate(std::string s, std::mt19937& rng)
{
  auto r = [&](size_t n) { return n ? rng() % n : 0; };
  for (int k = 1 + static_cast<int>(r(3)); k > 0; --k) {
    switch (r(6)) {
      case 0:
        if (!s.empty()) s[r(s.size())] ^= static_cast<char>(1 << r(8));
        break;
      case 1: s.resize(r(s.size() + 1)); break;
      case 2: {
        std::string junk;
        for (size_t n = r(12); n > 0; --n) junk += static_cast<char>(r(256));
        s.insert(r(s.size() + 1), junk);
        break;
      }
      case 3: s.insert(r(s.size() + 1), 1, kSeparators[r(std::size(kSeparators))]); break;
      case 4: {
        const size_t at = s.find_first_of("#$^&@~", r(s.size() + 1));
        if (at != std::string::npos) s.erase(at, 1);
        break;
      }
      default: {
        // Replace the digits-and-signs run at a random place by a hostile word.
        if (s.empty()) break;
        size_t a = r(s.size());
        while (a > 0 && std::string("#$^&@~").find(s[a - 1]) == std::string::npos) --a;
        size_t b = s.find_first_of("#$^&@~", a);
        if (b == std::string::npos) b = s.size();
        s.replace(a, b - a, kHostile[r(std::size(kHostile))]);
      }
    }
  }
  return s;
}

template <class Settings, class Parse, class Write>
void Replay(const std::vector<std::string>& seeds, Parse parse, Write write, unsigned seed, int rounds)
{
  std::mt19937 rng(seed);
  for (int i = 0; i < rounds; ++i) {
    const std::string text = Mutate(seeds[rng() % seeds.size()], rng);
    Settings s;
    bool ok = false;
    ASSERT_NO_THROW(ok = parse(text, s)) << text;
    if (!ok) continue;
    const std::string again = write(s);
    Settings t;
    ASSERT_TRUE(parse(again, t)) << text << "\n" << again;
    ASSERT_EQ(write(t), again) << text;
  }
}

}  // namespace

TEST(HostileSettingsText, AttributeTexts)
{
  std::mt19937 rng(3);
  std::vector<std::string> pens, brushes, gradients, shadows, fonts;
  for (int i = 0; i < 8; ++i) {
    TChartPen p;
    p.SetColor(static_cast<TColor>(rng()));
    p.SetWidth(static_cast<int32_t>(rng() % 9));
    p.SetStyle(static_cast<TPenStyle>(rng() % 9));
    pens.push_back(PenSettingsToText(PenSettingsOf(p)));
    TChartBrush b;
    b.SetStyleValue(static_cast<int32_t>(rng() % 20));
    brushes.push_back(BrushSettingsToText(BrushSettingsOf(b)));
    TNuvGradient g;
    g.SetMidColor(static_cast<TColor>(rng() & 0xFFFFFF));
    gradients.push_back(GradientSettingsToText(GradientSettingsOf(g)));
    TNuvShadow sh;
    sh.SetHorizSize(static_cast<int32_t>(rng() % 7) - 3);
    shadows.push_back(ShadowSettingsToText(ShadowSettingsOf(sh)));
    TNuvFont f;
    f.SetName(i % 2 ? "Times New Roman" : "a*b%c~d");
    f.SetStyle(static_cast<TFontStyles>(rng() % 16));
    fonts.push_back(FontSettingsToText(FontSettingsOf(f)));
  }
  Replay<TPenSettings>(pens, ParsePenText, PenSettingsToText, 11, 1500);
  Replay<TBrushSettings>(brushes, ParseBrushText, BrushSettingsToText, 12, 1000);
  Replay<TGradientSettings>(gradients, ParseGradientText, GradientSettingsToText, 13, 1500);
  Replay<TShadowSettings>(shadows, ParseShadowText, ShadowSettingsToText, 14, 1000);
  Replay<TFontSettings>(fonts, ParseFontText, FontSettingsToText, 15, 2000);

  // The object readers raise only their conversion error.
  std::mt19937 r2(16);
  for (int i = 0; i < 500; ++i) {
    const std::string t = Mutate(fonts[r2() % fonts.size()], r2);
    try {
      auto f = TextToFont(t);
      std::string again;
      FontToText(*f, again);
      EXPECT_EQ(TextToFont(again)->GetName(), f->GetName());
    } catch (const EConvertError&) {
    }
  }
}

TEST(HostileSettingsText, AxisTextsAppliedOrRefusedWhole)
{
  TChartAxis source(nullptr);
  std::vector<std::string> seeds;
  for (int i = 0; i < 4; ++i) {
    source.SetMinMax(-i * 3.5, 10 + i);
    source.SetInverted(i % 2);
    source.GetTitle()->SetCaption(i % 2 ? "Depth (m)" : "");
    source.GetLabelsFont()->SetName("Courier New");
    std::string t;
    AxisToText(source, t);
    seeds.push_back(t);
  }
  Replay<TAxisSettings>(seeds, ParseAxisText, AxisSettingsToText, 21, 1500);

  // Through an axis: a refused text leaves the axis' text as it was.
  std::mt19937 rng(22);
  for (int i = 0; i < 400; ++i) {
    TChartAxis axis(nullptr);
    axis.SetMinMax(1, 2);
    std::string before, after;
    AxisToText(axis, before);
    const std::string t = Mutate(seeds[rng() % seeds.size()], rng);
    try {
      TextToAxis(axis, t, true);
      AxisToText(axis, after);
      TChartAxis again(nullptr);
      TextToAxis(again, after, true);
      std::string third;
      AxisToText(again, third);
      EXPECT_EQ(third, after) << t;
    } catch (const Exception& e) {
      AxisToText(axis, after);
      EXPECT_EQ(after, before) << t << "\n" << e.what();
    }
  }
}

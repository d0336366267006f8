#include "chart/series/SeriesFormat.h"

#include <algorithm>

#include "chart/canvas/NuvConst.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/SettingsText.h"
#include "chart/series/ChartTools.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/SysUtils.h"

namespace {

constexpr size_t kFieldCount = 42;
constexpr const char* kVersion = "1";

struct TPointerSettings {
  bool Visible = true;
  int32_t HorizSize = 4, VertSize = 4;
  int32_t Style = psRectangle;
  TBrushSettings Brush;
  TPenSettings Pen;
  bool Draw3D = true, Dark3D = true, InflateMargins = true;
  int32_t Transparency = 0;
  TGradientSettings Gradient;
};

struct TSeriesFormat {
  TColor SeriesColor = clDefault;
  bool ColorEachPoint = false, ShowInLegend = true, Active = true;
  TBrushSettings Brush;
  TPenSettings Pen;
  int32_t Depth = -1;
  bool MarksVisible = false;
  int32_t MarksStyle = smsLabel;
  bool MarksTransparent = false;
  TFontSettings MarksFont;
  TPenSettings MarksFrame;
  int32_t MarksArrowLength = 8;
  TBrushSettings MarksBrush;
  TGradientSettings MarksGradient;
  TShadowSettings MarksShadow;
  TPenSettings MarksArrow;
  int32_t MarksAngle = 0;
  bool MarksClip = false;
  TColor MarksBackColor = clWhite;
  bool MarksMultiLine = false;
  int32_t MarksDrawEvery = 1;
  bool HasPointer = false;
  TPointerSettings Pointer;
  int32_t Type[6] = {0, 0, 0, 0, 0, 0};
};

std::string Flag(bool b) { return b ? "1" : "0"; }
std::string Int(int64_t v) { return std::to_string(v); }
std::string Color(TColor c) { return std::to_string(static_cast<int32_t>(c)); }

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
bool ReadColor(const std::string& w, TColor& c)
{
  int32_t v;
  if (!TryReadSettingsInt(w, v)) return false;
  c = static_cast<TColor>(v);
  return true;
}

TSeriesPointer* PointerOf(TChartSeries* s)
{
  if (auto* p = dynamic_cast<TPointSeries*>(s)) return p->GetPointer();
  return nullptr;
}

TPointerSettings PointerSettingsOf(TSeriesPointer& p)
{
  TPointerSettings s;
  s.Visible = p.GetVisible();
  s.HorizSize = p.GetHorizSize();
  s.VertSize = p.GetVertSize();
  s.Style = p.GetStyle();
  s.Brush = BrushSettingsOf(*p.GetBrush());
  s.Pen = PenSettingsOf(*p.GetPen());
  s.Draw3D = p.GetDraw3D();
  s.Dark3D = p.GetDark3D();
  s.InflateMargins = p.GetInflateMargins();
  s.Transparency = p.GetTransparency();
  s.Gradient = GradientSettingsOf(*p.GetGradient());
  return s;
}

TSeriesFormat FormatOf(TChartSeries* s)
{
  TSeriesFormat f;
  f.SeriesColor = s->GetStoredSeriesColor();
  f.ColorEachPoint = s->GetColorEachPoint();
  f.ShowInLegend = s->GetShowInLegend();
  f.Active = s->GetActive();
  f.Brush = BrushSettingsOf(*s->GetBrush());
  f.Pen = PenSettingsOf(*s->GetPen());
  f.Depth = std::clamp(s->GetDepth(), -1, SettingsTextMaxInt);
  TSeriesMarks* m = s->GetMarks();
  f.MarksVisible = m->GetVisible();
  f.MarksStyle = m->GetStyle();
  f.MarksTransparent = m->GetTransparent();
  f.MarksFont = FontSettingsOf(*m->GetFont());
  f.MarksFrame = PenSettingsOf(*m->GetPen());
  f.MarksArrowLength = std::clamp(m->GetArrowLength(), -SettingsTextMaxInt, SettingsTextMaxInt);
  f.MarksBrush = BrushSettingsOf(*m->GetBrush());
  f.MarksGradient = GradientSettingsOf(*m->GetGradient());
  f.MarksShadow = ShadowSettingsOf(*m->GetShadow());
  f.MarksArrow = PenSettingsOf(*m->GetArrow());
  f.MarksAngle = std::clamp(m->GetAngle(), -360, 360);
  f.MarksClip = m->GetClip();
  f.MarksBackColor = m->GetBackColor();
  f.MarksMultiLine = m->GetMultiLine();
  f.MarksDrawEvery = std::clamp(m->GetDrawEvery(), 1, SettingsTextMaxInt);
  if (TSeriesPointer* p = PointerOf(s)) {
    f.HasPointer = true;
    f.Pointer = PointerSettingsOf(*p);
  } else {
    TSeriesPointer fresh(nullptr);
    f.Pointer = PointerSettingsOf(fresh);
  }
  if (auto* surface = dynamic_cast<TSurfaceSeries*>(s)) {
    f.Type[0] = surface->GetUseColorRange();
    f.Type[1] = static_cast<int32_t>(surface->GetStartColor());
    f.Type[2] = static_cast<int32_t>(surface->GetEndColor());
    f.Type[3] = surface->GetWireFrame();
  }
  return f;
}

std::vector<std::string> Fields(const TSeriesFormat& f, const std::string& galleryName)
{
  std::vector<std::string> v = {
      Color(f.SeriesColor), Flag(f.ColorEachPoint), Flag(f.ShowInLegend), Flag(f.Active),
      BrushSettingsToText(f.Brush), PenSettingsToText(f.Pen), Int(f.Depth), Flag(f.MarksVisible), Int(f.MarksStyle),
      Flag(f.MarksTransparent), FontSettingsToText(f.MarksFont), PenSettingsToText(f.MarksFrame),
      Int(f.MarksArrowLength), BrushSettingsToText(f.MarksBrush), GradientSettingsToText(f.MarksGradient),
      ShadowSettingsToText(f.MarksShadow), PenSettingsToText(f.MarksArrow), Int(f.MarksAngle), Flag(f.MarksClip),
      Color(f.MarksBackColor), Flag(f.MarksMultiLine), Int(f.MarksDrawEvery), Flag(f.HasPointer),
      Flag(f.Pointer.Visible), Int(f.Pointer.HorizSize), Int(f.Pointer.VertSize), Int(f.Pointer.Style),
      BrushSettingsToText(f.Pointer.Brush), PenSettingsToText(f.Pointer.Pen), Flag(f.Pointer.Draw3D),
      Flag(f.Pointer.Dark3D), Flag(f.Pointer.InflateMargins), Int(f.Pointer.Transparency),
      GradientSettingsToText(f.Pointer.Gradient)};
  for (int32_t t : f.Type) v.push_back(Int(t));
  v.push_back(EncodeSettingsName(galleryName));
  v.push_back(kVersion);
  return v;
}

// Every field is held to what its setter takes, so that a text read whole applies whole.
bool Parse(const std::vector<std::string>& w, TSeriesFormat& f)
{
  if (w.size() != kFieldCount) return false;
  constexpr int32_t M = SettingsTextMaxInt;
  auto at = [&](int n) -> const std::string& { return w[static_cast<size_t>(n - 1)]; };
  TPointerSettings& p = f.Pointer;
  bool ok = ReadColor(at(1), f.SeriesColor) && ReadBool(at(2), f.ColorEachPoint) && ReadBool(at(3), f.ShowInLegend) &&
            ReadBool(at(4), f.Active) && ParseBrushText(at(5), f.Brush) && ParsePenText(at(6), f.Pen) &&
            ReadInt(at(7), -1, M, f.Depth) && ReadBool(at(8), f.MarksVisible) &&
            ReadInt(at(9), smsValue, smsXY, f.MarksStyle) && ReadBool(at(10), f.MarksTransparent) &&
            ParseFontText(at(11), f.MarksFont) && ParsePenText(at(12), f.MarksFrame) &&
            ReadInt(at(13), -M, M, f.MarksArrowLength) && ParseBrushText(at(14), f.MarksBrush) &&
            ParseGradientText(at(15), f.MarksGradient) && ParseShadowText(at(16), f.MarksShadow) &&
            ParsePenText(at(17), f.MarksArrow) && ReadInt(at(18), -360, 360, f.MarksAngle) &&
            ReadBool(at(19), f.MarksClip) && ReadColor(at(20), f.MarksBackColor) &&
            ReadBool(at(21), f.MarksMultiLine) && ReadInt(at(22), 1, M, f.MarksDrawEvery) &&
            ReadBool(at(23), f.HasPointer) && ReadBool(at(24), p.Visible) && ReadInt(at(25), 1, M, p.HorizSize) &&
            ReadInt(at(26), 1, M, p.VertSize) && ReadInt(at(27), psRectangle, psRightTriangle, p.Style) &&
            ParseBrushText(at(28), p.Brush) && ParsePenText(at(29), p.Pen) && ReadBool(at(30), p.Draw3D) &&
            ReadBool(at(31), p.Dark3D) && ReadBool(at(32), p.InflateMargins) &&
            ReadInt(at(33), 0, 100, p.Transparency) && ParseGradientText(at(34), p.Gradient);
  for (int i = 0; ok && i < 6; ++i) ok = TryReadSettingsInt(at(35 + i), f.Type[i]);
  return ok && at(42) == kVersion;
}

void Apply(TChartSeries* s, const TSeriesFormat& f)
{
  const bool backToDefault = f.SeriesColor == clDefault && s->GetStoredSeriesColor() != clDefault;
  s->SetSeriesColor(f.SeriesColor);
  // Back on the default colour: the series takes a free palette colour again.
  if (backToDefault && s->GetParentChart()) s->SetPaletteColor(s->GetParentChart()->GetFreeSeriesColor(true, s));
  s->SetColorEachPoint(f.ColorEachPoint);
  s->SetShowInLegend(f.ShowInLegend);
  s->SetActive(f.Active);
  ApplyBrushSettings(f.Brush, *s->GetBrush());
  ApplyPenSettings(f.Pen, *s->GetPen());
  s->SetDepth(f.Depth);
  TSeriesMarks* m = s->GetMarks();
  m->SetVisible(f.MarksVisible);
  m->SetStyle(static_cast<TSeriesMarksStyle>(f.MarksStyle));
  m->SetTransparent(f.MarksTransparent);
  ApplyFontSettings(f.MarksFont, *m->GetFont());
  ApplyPenSettings(f.MarksFrame, *m->GetPen());
  m->SetArrowLength(f.MarksArrowLength);
  ApplyBrushSettings(f.MarksBrush, *m->GetBrush());
  ApplyGradientSettings(f.MarksGradient, *m->GetGradient());
  ApplyShadowSettings(f.MarksShadow, *m->GetShadow());
  ApplyPenSettings(f.MarksArrow, *m->GetArrow());
  m->SetAngle(f.MarksAngle);
  m->SetClip(f.MarksClip);
  m->SetBackColor(f.MarksBackColor);
  m->SetMultiLine(f.MarksMultiLine);
  m->SetDrawEvery(f.MarksDrawEvery);
  if (TSeriesPointer* p = PointerOf(s); p && f.HasPointer) {
    const TPointerSettings& ps = f.Pointer;
    p->SetVisible(ps.Visible);
    p->SetHorizSize(ps.HorizSize);
    p->SetVertSize(ps.VertSize);
    p->SetStyle(static_cast<TSeriesPointerStyle>(ps.Style));
    ApplyBrushSettings(ps.Brush, *p->GetBrush());
    ApplyPenSettings(ps.Pen, *p->GetPen());
    p->SetDraw3D(ps.Draw3D);
    p->SetDark3D(ps.Dark3D);
    p->SetInflateMargins(ps.InflateMargins);
    p->SetTransparency(ps.Transparency);
    ApplyGradientSettings(ps.Gradient, *p->GetGradient());
  }
  if (auto* surface = dynamic_cast<TSurfaceSeries*>(s)) {
    surface->SetUseColorRange(f.Type[0] != 0);
    surface->SetStartColor(static_cast<TColor>(f.Type[1]));
    surface->SetEndColor(static_cast<TColor>(f.Type[2]));
    surface->SetWireFrame(f.Type[3] != 0);
  }
}

}  // namespace

void SeriesFormatToText(TChartSeries* series, std::string& text)
{
  text.clear();
  if (!series) return;
  const std::vector<std::string> fields = Fields(FormatOf(series), GetGallerySeriesName(series));
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) text += AxisTextSeparator;
    text += fields[i];
  }
}

std::string SeriesFormatToText(TChartSeries* series)
{
  std::string t;
  SeriesFormatToText(series, t);
  return t;
}

bool SeriesFormatFromText(TChartSeries* series, const std::string& text)
{
  if (!series || text.empty()) return false;
  std::string blanks;
  ReplaceCharWithBlank(text, AxisTextSeparator, blanks);
  std::vector<std::string> words;
  SplitAtBlanks(blanks, 0, words);
  if (words.size() < kFieldCount) return false;
  const std::string name = DecodeSettingsName(words[40]);
  if (name != GetGallerySeriesName(series) || ContainsText(name, "error")) return false;
  TSeriesFormat f;
  if (!Parse(words, f)) return false;
  Apply(series, f);
  return true;
}

// ---- Start-up ----

// Texts of the series types and tools of this library.
std::string NuvMsg_GallerySurface = "Surface";
std::string NuvMsg_Gallery3D = "3D";

void NuvSeriesStartup()
{
  static bool done = false;
  if (done) return;
  done = true;
  RegisterNuvBasicSeries(NuvClassOf<TPointSeries, TChartSeries>(), &NuvMsg_GalleryPoint);
  RegisterNuvSeries(NuvClassOf<TSurfaceSeries, TChartSeries>(), &NuvMsg_GallerySurface, &NuvMsg_Gallery3D, 1);
  RegisterChartTools();
  SeriesSettingsTextWriter = [](TChartSeries* s) { return SeriesFormatToText(s); };
  ChartEditorServices().SeriesFormatFromText = [](TChartSeries* s, const std::string& t) {
    return SeriesFormatFromText(s, t);
  };
}

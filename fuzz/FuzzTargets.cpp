#include "FuzzTargets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/PseudoSection2d.h"
#include "app/PseudoSection2dSettings.h"
#include "app/SceneGeometry.h"
#include "app/Supermath2d.h"
#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NvCanvas.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineStream.h"
#include "chart/model/SettingsText.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/IniFiles.h"
#include "platform/Application.h"
#include "platform/Graphics.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"
#include "platform/SysUtils.h"

namespace {

// A reader broke a promise it makes (a non-finite number where it promises finite ones).
void Check(bool condition, const char* what)
{
  if (condition) return;
  std::fprintf(stderr, "fuzz target: %s\n", what);
  std::abort();
}

// A folder of the process's own for the readers that take file names, removed at exit.
class TWorkFolder {
public:
  TWorkFolder()
  {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orbisk-fuzz-XXXXXX").string();
    const char* made = mkdtemp(tmpl.data());
    Check(made != nullptr, "no temporary folder");
    path_ = made;
  }
  ~TWorkFolder()
  {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TWorkFolder(const TWorkFolder&) = delete;
  TWorkFolder& operator=(const TWorkFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

const std::filesystem::path& WorkFolder()
{
  static const TWorkFolder folder;
  return folder.Path();
}

std::string WriteWorkFile(const std::string& name, const uint8_t* data, size_t size)
{
  const std::string path = (WorkFolder() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

bool Finite(const arofdouble& v)
{
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

void CheckModel(const fdata& d)
{
  Check(Finite(d.X) && Finite(d.Z) && Finite(d.ReliefAtX) && std::isfinite(d.Span()), "model numbers");
  for (const arofdouble& row : d.Values) Check(Finite(row), "model values");
}

// Model files: the first byte picks the extension, the rest is the file.
int FuzzModel(const uint8_t* data, size_t size)
{
  static const char* const extensions[] = {".k2d", ".cht", ".m2d", ".out"};
  if (size == 0) return 0;
  const std::string file = WriteWorkFile(std::string("model") + extensions[data[0] % 4], data + 1, size - 1);
  fdata res, pol;
  std::string error;
  if (!ReadModelFile(file, res, pol, &error)) {
    Check(!error.empty(), "a refused model without a reason");
    return 0;
  }
  CheckModel(res);
  if (pol.Present) CheckModel(pol);
  Check(ModelSizeFault(res.X.size(), res.Z.size()).empty(), "a model larger than the viewer reads");
  Check(res.Nodes.size() <= MaxModelBoundaries && res.Nodes.front().size() <= MaxModelBoundaries &&
            (res.Nodes.size() - 1) * (res.Nodes.front().size() - 1) <= MaxModelCells,
        "a cell grid larger than the viewer reads");
  TProjectState state;
  state.Profiles[0] = TProfileEntry{res, pol};
  state.Loaded[0] = 1;
  UpdateSceneBounds(state, nullptr);
  BuildSectionOutlines(state);
  for (const TScenePoint& p : state.Profiles[0][0].Outline)
    Check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z), "outline");
  return 0;
}

// A small model beside the projects, which they may name ("section.cht").
void WriteSectionModel()
{
  static const bool written = [] {
    const std::string model = "Fuzz section\ntopo\n0 100\n20 101\nmodel\n0 10 20\n0 5 12\n2 2 1 0\n100 200\n300 400\n";
    const std::string file = WriteWorkFile("section.cht", reinterpret_cast<const uint8_t*>(model.data()), model.size());
    fdata res, pol;
    return ReadModelFile(file, res, pol);
  }();
  Check(written, "the section model beside the projects does not read");
}

std::string FileBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A refused project leaves the state as it was; an accepted one, saved and read again, saves the
// same file again.
int FuzzProject(const uint8_t* data, size_t size)
{
  WriteSectionModel();
  const std::string file = WriteWorkFile("project.prj", data, size);
  TMessageCapture messages;
  TProjectState state;
  if (!LoadProject(state, nullptr, file)) {
    Check(state.Profiles.size() == 1 && state.Loaded.size() == 1 && state.Profiles[0][0].FileName.empty() &&
              !messages.Messages().empty(),
          "a refused project changed the state");
    return 0;
  }
  Check(state.Profiles.size() == state.Loaded.size(), "entries and loaded flags out of step");
  Check(messages.Messages().size() <= 1, "more than one message for one project");
  const std::string saved = (WorkFolder() / "saved.prj").string();
  if (!SaveProject(state, nullptr, saved)) return 0;  // a name that cannot be a line of the file
  const std::string first = FileBytes(saved);
  TProjectState again;
  Check(LoadProject(again, nullptr, saved), "a saved project is refused");
  Check(again.Profiles.size() == state.Profiles.size() && again.DisplayMode == state.DisplayMode &&
            again.SettingsLines == state.SettingsLines,
        "a saved project reads back with other entries");
  for (size_t i = 0; i < state.Profiles.size(); ++i)
    Check(again.Profiles[i][0].FileName == state.Profiles[i][0].FileName, "a saved project reads back other files");
  Check(SaveProject(again, nullptr, saved) && FileBytes(saved) == first, "a saved project reads back changed");
  return 0;
}

int FuzzPointTable(const uint8_t* data, size_t size)
{
  const std::string file = WriteWorkFile("table.dat", data, size);
  std::filesystem::remove(WorkFolder() / "table.out");
  TMessageCapture messages;
  if (!ConvertPointTable(file)) return 0;
  // What was written reads back as a model.
  fdata res, pol;
  std::string error;
  if (!ReadModelFile((WorkFolder() / "table.out").string(), res, pol, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    Check(false, "the model written from a point table is refused");
  }
  CheckModel(res);
  return 0;
}

void DrawPicture(TGraphic& picture)
{
  TBitmap target;
  target.SetSize(48, 40);
  target.Canvas()->StretchDraw(Rect(0, 0, 48, 40), &picture);
  target.Canvas()->StretchDraw(Rect(-5, 3, 300, 200), &picture);
}

// The picture drawn into a small bitmap, its pixels row by row.
std::vector<TColor> Pixels(TGraphic& picture)
{
  TBitmap target;
  target.SetSize(48, 40);
  target.Canvas()->StretchDraw(Rect(0, 0, 48, 40), &picture);
  std::vector<TColor> pixels;
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 48; ++x) pixels.push_back(target.Canvas()->GetPixel(x, y) & 0xFFFFFF);
  return pixels;
}

// A metafile holding one line, for the readers to load over.
template <class Metafile>
void RecordLine(Metafile& picture)
{
  picture.SetSize(30, 20);
  TMetafileCanvas c(&picture);
  c.Pen()->SetColor(clRed);
  c.MoveTo(1, 2);
  c.LineTo(25, 17);
}

// A refused metafile leaves the picture as it was; an accepted one, saved and read again, gives the
// same records and pixels; and its placeable form reads back.
int FuzzEmf(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMetafile picture;
  RecordLine(picture);
  const std::string before = picture.SaveToBytes();
  try {
    picture.LoadFromBytes(bytes);
  } catch (const EInvalidGraphic&) {
    Check(picture.SaveToBytes() == before && picture.GetWidth() == 30, "a refused metafile changed the picture");
    return 0;
  }
  DrawPicture(picture);
  // The font metrics give some characters (from a font other than the named one) another
  // advance the first time they are measured than ever after: saved once before the one compared.
  (void)picture.SaveToBytes();
  const std::string saved = picture.SaveToBytes();
  TMetafile again;
  try {
    again.LoadFromBytes(saved);
  } catch (const EInvalidGraphic&) {
    Check(false, "a saved metafile is refused");
  }
  Check(again.SaveToBytes() == saved && again.RecordCount() == picture.RecordCount(),
        "a saved metafile reads back with other records");
  Check(Pixels(again) == Pixels(picture), "a saved metafile reads back with other pixels");
  TFormatMetafile placeable;
  try {
    placeable.LoadFromFormatBytes(EnhancedToPlaceableMetafile(saved, 48, 40));
  } catch (const EInvalidGraphic&) {
    Check(false, "a placeable metafile written from a read one is refused");
  }
  Check(!placeable.GetEnhanced(), "a placeable metafile read as an enhanced one");
  return 0;
}

// The same for either format through the metafile that knows its format.
int FuzzWmf(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TFormatMetafile picture;
  RecordLine(picture);
  picture.SetEnhanced(false);
  const std::string before = picture.SaveToFormatBytes();
  try {
    picture.LoadFromFormatBytes(bytes);
  } catch (const EInvalidGraphic&) {
    Check(!picture.GetEnhanced() && picture.SaveToFormatBytes() == before, "a refused metafile changed the picture");
    return 0;
  }
  DrawPicture(picture);
  const std::string saved = picture.SaveToFormatBytes();
  TFormatMetafile again;
  try {
    again.LoadFromFormatBytes(saved);
  } catch (const EInvalidGraphic&) {
    Check(false, "a saved metafile is refused");
  }
  Check(again.GetEnhanced() == picture.GetEnhanced() && again.SaveToFormatBytes() == saved,
        "a saved metafile reads back with other records");
  Check(Pixels(again) == Pixels(picture), "a saved metafile reads back with other pixels");
  return 0;
}

// Colours of a bitmap's own pixels: all of a small one, an even spread over a large one.
std::vector<TColor> BitmapPixels(TBitmap& b)
{
  std::vector<TColor> pixels;
  const int32_t w = b.GetWidth(), h = b.GetHeight();
  const int32_t sx = std::max(1, w / 64), sy = std::max(1, h / 64);
  for (int32_t y = 0; y < h; y += sy)
    for (int32_t x = 0; x < w; x += sx) pixels.push_back(b.Canvas()->GetPixel(x, y) & 0xFFFFFF);
  return pixels;
}

// The pixel data of a bitmap file fills a width x height image: uncompressed rows of the header's
// bit count (all but the last of two or more; a single row whole), or run-length codes of at most
// 255 pixels per two bytes (the end-of-picture escape may leave up to 65536 pixels). The 12-byte
// core header holds its bit count at offset 24 and no compression; later headers hold them at 28
// and 30.
bool BitmapDataFills(const uint8_t* data, size_t size, uint64_t width, uint64_t height)
{
  auto le = [&](size_t at, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | data[at + static_cast<size_t>(i)];
    return v;
  };
  if (size < 18) return false;
  const uint64_t headerSize = le(14, 4);
  if (size < 14 + headerSize) return false;
  const bool core = headerSize == 12;
  if (!core && headerSize < 40) return false;
  const uint64_t offset = le(10, 4);
  if (offset > size) return false;
  const uint64_t available = size - offset;
  const uint64_t bits = std::max<uint64_t>(le(core ? 24 : 28, 2), 1);
  const uint64_t compression = core ? 0 : le(30, 4);
  if (compression != 0 && compression != 3) return width * height <= 128 * (available + 2) + 65536;
  const uint64_t stride = (width * bits + 31) / 32 * 4;
  const uint64_t rows = height > 1 ? height - 1 : height;
  return rows == 0 || stride <= available / rows;
}

// A refused bitmap leaves the bitmap as it was; an accepted one's data fills its size, and saved
// and read again it gives the same size and pixels.
int FuzzBmp(const uint8_t* data, size_t size)
{
  TBitmap picture;
  picture.SetSize(3, 2);
  picture.Canvas()->SetPixel(1, 1, clRed);
  const std::vector<TColor> before = BitmapPixels(picture);
  try {
    picture.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const EInvalidGraphic&) {
    Check(picture.GetWidth() == 3 && picture.GetHeight() == 2 && BitmapPixels(picture) == before,
          "a refused bitmap changed the bitmap");
    return 0;
  }
  if (size >= 2 && data[0] == 'B' && data[1] == 'M')
    Check(BitmapDataFills(data, size, static_cast<uint64_t>(picture.GetWidth()), static_cast<uint64_t>(picture.GetHeight())),
          "an accepted bitmap's pixel data cannot fill its size");
  DrawPicture(picture);
  const std::string file = (WorkFolder() / "saved.bmp").string();
  picture.SaveToFile(file);
  TBitmap again;
  try {
    again.LoadFromBytes(FileBytes(file));
  } catch (const EInvalidGraphic&) {
    Check(false, "a saved bitmap is refused");
  }
  Check(again.GetWidth() == picture.GetWidth() && again.GetHeight() == picture.GetHeight(),
        "a saved bitmap reads back with another size");
  Check(BitmapPixels(again) == BitmapPixels(picture), "a saved bitmap reads back with other pixels");
  return 0;
}

int FuzzMarkup(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  TBitmap bitmap;
  bitmap.SetSize(64, 32);
  TNuvCanvas3D canvas;
  canvas.AttachCanvas(bitmap.Canvas());
  canvas.Font()->SetSize(10);
  try {
    (void)HtmlTextExtent(&canvas, text);
    HtmlTextOut(&canvas, 2, 2, text);
  } catch (const Exception&) {
  }
  Check(canvas.Font()->GetSize() == 10, "markup left the font changed");
  TFont font;
  try {
    ApplyFontTag(font, text);
  } catch (const Exception&) {
  }
  TFont back;
  ApplyFontTag(back, FontToTag(font));
  Check(back.GetName() == font.GetName() && back.GetSize() == font.GetSize(), "a saved font tag does not read back");
  return 0;
}

int FuzzNumbers(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  double v = 0;
  int32_t i = 0;
  if (TryStrToFloat(text, v)) Check(std::isfinite(v), "TryStrToFloat");
  (void)TryStrToInt(text, i);
  try {
    Check(std::isfinite(StrToFloat(text)), "StrToFloat");
  } catch (const EConvertError&) {
  }
  const double ranged = StrToFloatRange(text, size % 2 == 0, 0, 0);
  Check(std::isfinite(ranged), "StrToFloatRange");
  Check(Finite(SplitFloats(text, 0)), "SplitFloats");
  (void)SplitWords(text, 1);
  (void)FloatToStrDec(static_cast<int>(size % 20) - 2, size % 3 == 0, ranged);
  return 0;
}

// ---- Settings texts ----

// A refused text leaves the settings as they were; an accepted one writes a text that reads back
// to itself.
template <class Settings>
void CheckSettingsText(const std::string& text, const Settings& start, bool (*parse)(const std::string&, Settings&),
                       std::string (*write)(const Settings&), bool& accepted)
{
  Settings s = start;
  accepted = parse(text, s);
  if (!accepted) {
    Check(write(s) == write(start), "a refused settings text changed the settings");
    return;
  }
  const std::string again = write(s);
  Settings t;
  Check(parse(again, t), "a written settings text is refused");
  Check(write(t) == again, "a written settings text reads back changed");
}

// The object reader: raises its conversion error exactly for the texts the parser refuses, and
// what it makes writes a text that makes the same object again.
template <class Read, class Write>
void CheckObjectText(const std::string& text, bool accepted, Read read, Write write)
{
  std::string first, second;
  try {
    write(*read(text), first);
  } catch (const EConvertError&) {
    Check(!accepted, "an accepted settings text raised a conversion error");
    return;
  }
  Check(accepted, "a refused settings text made an object");
  write(*read(first), second);
  Check(second == first, "an object's settings text reads back changed");
}

// A settings text through its reader and writer, and through the object reader and writer.
template <class Settings, class Parse, class Write, class ToObject, class FromObject>
void CheckCodec(const std::string& text, const Settings& start, Parse parse, Write write, ToObject toObject,
                FromObject fromObject)
{
  bool accepted = false;
  CheckSettingsText(text, start, parse, write, accepted);
  CheckObjectText(text, accepted, toObject, fromObject);
}

std::string TextOf(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

int FuzzBrushText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TBrushSettings start;
  start.Color = 0x123456;
  start.Style = 5;
  CheckCodec(text, start, ParseBrushText, BrushSettingsToText, TextToBrush, BrushToText);
  return 0;
}

int FuzzGradientText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TGradientSettings start;
  start.Balance = 17;
  start.RadialX = -3;
  start.Visible = true;
  CheckCodec(text, start, ParseGradientText, GradientSettingsToText, TextToGradient, GradientToText);
  return 0;
}

int FuzzFontText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TFontSettings start;
  start.Name = "Start font";
  start.Size = 13;
  start.Gradient.Visible = true;
  CheckCodec(text, start, ParseFontText, FontSettingsToText, TextToFont, FontToText);
  return 0;
}

int FuzzPenText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TPenSettings start;
  start.Width = 3;
  start.Style = psDash;
  CheckCodec(text, start, ParsePenText, PenSettingsToText, TextToPen, PenToText);
  return 0;
}

int FuzzShadowText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TShadowSettings start;
  start.Size = 4;
  start.Transparency = 30;
  CheckCodec(text, start, ParseShadowText, ShadowSettingsToText, TextToShadow, ShadowToText);
  return 0;
}

int FuzzAxisText(const uint8_t* data, size_t size)
{
  const std::string text = TextOf(data, size);
  TAxisSettings start;
  start.Inverted = true;
  start.TitleCaption = "Start axis";
  bool accepted = false;
  CheckSettingsText(text, start, ParseAxisText, AxisSettingsToText, accepted);
  // Through an axis: applied whole or not at all.
  TChartAxis axis(nullptr);
  axis.SetMinMax(1, 2);
  std::string before, after;
  AxisToText(axis, before);
  try {
    TextToAxis(axis, text, true);
  } catch (const Exception&) {
    AxisToText(axis, after);
    Check(after == before, "a refused axis text changed the axis");
    return 0;
  }
  AxisToText(axis, after);
  if (!accepted) {
    Check(after == before, "a refused axis text changed the axis");
    return 0;
  }
  TChartAxis again(nullptr);
  TextToAxis(again, after, true);
  std::string third;
  AxisToText(again, third);
  Check(third == after, "an axis text reads back changed");
  return 0;
}

// ---- Series ----

std::unique_ptr<TChartSeries> MakeSeries(unsigned kind)
{
  switch (kind % 3) {
    case 0: return std::make_unique<TPointSeries>(nullptr);
    case 1: return std::make_unique<TSurfaceSeries>(nullptr);
    default: return std::make_unique<TChartSeries>(nullptr);
  }
}

// The series settings text: the first byte picks the series type, the rest is the text.
int FuzzSeriesFormat(const uint8_t* data, size_t size)
{
  if (size == 0) return 0;
  NuvSeriesStartup();
  const std::string text = TextOf(data + 1, size - 1);
  auto series = MakeSeries(data[0]);
  const std::string before = SeriesFormatToText(series.get());
  if (!SeriesFormatFromText(series.get(), text)) {
    Check(SeriesFormatToText(series.get()) == before, "a refused series text changed the series");
    return 0;
  }
  const std::string after = SeriesFormatToText(series.get());
  auto again = MakeSeries(data[0]);
  Check(SeriesFormatFromText(again.get(), after), "a written series text is refused");
  Check(SeriesFormatToText(again.get()) == after, "a series text reads back changed");
  return 0;
}

std::vector<uint8_t> SeriesBlock(const TChartSeries& series)
{
  std::vector<uint8_t> block;
  WriteSeriesData(&series, block);
  return block;
}

// The "Data" block: the first byte picks the order of the X values (bit 0) and the series type
// (the rest: plain, point or surface, whose third value list adds a value per point); the rest is
// the block.
int FuzzSeriesData(const uint8_t* data, size_t size)
{
  if (size == 0) return 0;
  const TChartListOrder order = data[0] % 2 ? loAscending : loNone;
  const unsigned kind = (data[0] >> 1) % 3 == 0 ? 2 : (data[0] >> 1) % 3 - 1;
  auto series = MakeSeries(kind);
  series->XValues()->SetOrder(order);
  series->AddXY(7, 8, "kept");
  try {
    ReadSeriesData(series.get(), data + 1, size - 1);
  } catch (const EReadError&) {
    Check(series->Count() == 1 && series->Labels()->GetLabel(0) == "kept" && series->UpdateCount() == 0,
          "a refused data block changed the series");
    return 0;
  }
  Check(series->ManualData, "read data not marked as the series' own");
  const std::vector<uint8_t> written = SeriesBlock(*series);
  auto again = MakeSeries(kind);
  again->XValues()->SetOrder(order);
  ReadSeriesData(again.get(), written);
  Check(SeriesBlock(*again) == written, "a data block reads back changed");
  return 0;
}

// The ".in" appearance file: each section and series type reads what the text reader makes of the
// file's value, and nothing else.
int FuzzAppearance(const uint8_t* data, size_t size)
{
  NuvSeriesStartup();
  const std::string file = WriteWorkFile("appearance.in", data, size);
  SetSeriesSettingsFileName(file);
  for (const char* name : {"vamir_ps_grid", "vamir_ps_st"}) {
    for (unsigned kind = 0; kind < 3; ++kind) {
      auto series = MakeSeries(kind);
      auto expected = MakeSeries(kind);
      TIniFile ini(file);
      const std::string value =
          ini.ReadString(std::string("serie_") + name, "ser_" + GetGallerySeriesName(series.get()), std::string());
      if (!value.empty()) (void)SeriesFormatFromText(expected.get(), value);
      LoadSeriesSettings(nullptr, name, series.get());
      const std::string after = SeriesFormatToText(series.get());
      Check(after == SeriesFormatToText(expected.get()), "the appearance file applied other than its text");
    }
  }
  SetSeriesSettingsFileName(std::string());
  return 0;
}

// ---- Section chart settings line ----

int FuzzSectionSettings(const uint8_t* data, size_t size)
{
  const std::string line = TextOf(data, size);
  TSectionSettings start;
  start.LevelCount = 9;
  start.MarginTop = 44;
  start.UserMax = 12.5;
  TSectionSettings s = start;
  if (!ParseSectionSettings(line, s)) {
    Check(s == start, "a refused settings line changed the settings");
  } else {
    const std::string written = FormatSectionSettings(s);
    TSectionSettings t;
    Check(ParseSectionSettings(written, t), "a written settings line is refused");
    Check(FormatSectionSettings(t) == written, "a settings line reads back changed");
  }

  // Through a chart of its own with a small hill of nodes, set to the start line.
  const auto chart = std::make_unique<TPseudoSection2d>(nullptr);
  chart->SetBounds(0, 0, 400, 300);
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 4; ++j) {
      const double x = i * 10.0, y = j * 5.0;
      chart->AddNode(0, x, y, 10.0 + 100.0 / (1.0 + (x - 25) * (x - 25) / 100.0 + (y - 8) * (y - 8) / 50.0));
    }
  chart->BuildSection(true);
  chart->UpdateLevels();
  chart->UpdateLayout();
  chart->SetSettings(FormatSectionSettings(start));
  const std::string before = chart->GetSettings();
  TSectionSettings expected = chart->CurrentSettings();
  const bool accepted = ParseSectionSettings(line, expected);
  chart->SetSettings(line);
  const std::string after = chart->GetSettings();
  if (!accepted) {
    Check(after == before, "a refused settings line changed the chart");
    return 0;
  }
  Check(chart->CurrentSettings() == expected, "the chart holds other settings than the line");
  chart->SetSettings(after);
  Check(chart->GetSettings() == after, "the chart's settings line reads back changed");
  // The section drawn with the line's limits, level count, colours and switches.
  chart->BuildSection(true);
  chart->UpdateLevels();
  chart->RenderPicture();
  TBitmap bar;
  bar.SetSize(60, 200);
  chart->DrawColorBar(0, 0, 20, 180, 0, 0, "Ohm.m", bar.Canvas());
  return 0;
}

}  // namespace

const std::vector<TFuzzTarget>& FuzzTargets()
{
  static const std::vector<TFuzzTarget> targets = {
      {"model", FuzzModel}, {"project", FuzzProject}, {"pointtable", FuzzPointTable}, {"emf", FuzzEmf},
      {"wmf", FuzzWmf},     {"bmp", FuzzBmp},         {"markup", FuzzMarkup},         {"numbers", FuzzNumbers},
      {"brushtext", FuzzBrushText},         {"gradienttext", FuzzGradientText}, {"fonttext", FuzzFontText},
      {"pentext", FuzzPenText},             {"shadowtext", FuzzShadowText},     {"axistext", FuzzAxisText},
      {"seriesformat", FuzzSeriesFormat},   {"seriesdata", FuzzSeriesData},     {"appearance", FuzzAppearance},
      {"sectionsettings", FuzzSectionSettings},
  };
  return targets;
}

int RunFuzzTarget(const std::string& name, const uint8_t* data, size_t size)
{
  for (const TFuzzTarget& t : FuzzTargets())
    if (name == t.Name) return t.Run(data, size);
  return -1;
}

void FuzzInitialize(int* argc, char*** argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application_Initialize(*argc, *argv);
}

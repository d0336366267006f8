#include "FuzzTargets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/SceneGeometry.h"
#include "app/Supermath2d.h"
#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NvCanvas.h"
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
  TProjectState state;
  state.Profiles[0] = TProfileEntry{res, pol};
  state.Loaded[0] = 1;
  UpdateSceneBounds(state, nullptr);
  BuildSectionOutlines(state);
  for (const TScenePoint& p : state.Profiles[0][0].Outline)
    Check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z), "outline");
  return 0;
}

int FuzzProject(const uint8_t* data, size_t size)
{
  const std::string file = WriteWorkFile("project.prj", data, size);
  TMessageCapture messages;
  TProjectState state;
  if (!LoadProject(state, nullptr, file)) {
    Check(state.Profiles.size() == 1 && !messages.Messages().empty(), "a refused project changed the state");
    return 0;
  }
  Check(state.Profiles.size() == state.Loaded.size(), "entries and loaded flags out of step");
  const std::string saved = (WorkFolder() / "saved.prj").string();
  SaveProject(state, nullptr, saved);
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
  if (ReadModelFile((WorkFolder() / "table.out").string(), res, pol, &error)) CheckModel(res);
  return 0;
}

void DrawPicture(TGraphic& picture)
{
  TBitmap target;
  target.SetSize(48, 40);
  target.Canvas()->StretchDraw(Rect(0, 0, 48, 40), &picture);
  target.Canvas()->StretchDraw(Rect(-5, 3, 300, 200), &picture);
}

int FuzzEmf(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMetafile picture;
  try {
    picture.LoadFromBytes(bytes);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  DrawPicture(picture);
  TMetafile again;
  again.LoadFromBytes(picture.SaveToBytes());
  try {
    (void)EnhancedToPlaceableMetafile(picture.SaveToBytes(), 48, 40);
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}

int FuzzWmf(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TFormatMetafile picture;
  try {
    picture.LoadFromFormatBytes(bytes);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  DrawPicture(picture);
  (void)picture.SaveToFormatBytes();
  return 0;
}

int FuzzBmp(const uint8_t* data, size_t size)
{
  TBitmap picture;
  try {
    picture.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  DrawPicture(picture);
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

}  // namespace

const std::vector<TFuzzTarget>& FuzzTargets()
{
  static const std::vector<TFuzzTarget> targets = {
      {"model", FuzzModel}, {"project", FuzzProject}, {"pointtable", FuzzPointTable}, {"emf", FuzzEmf},
      {"wmf", FuzzWmf},     {"bmp", FuzzBmp},         {"markup", FuzzMarkup},         {"numbers", FuzzNumbers},
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

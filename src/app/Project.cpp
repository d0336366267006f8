#include "app/Project.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/SceneGeometry.h"
#include "app/SceneHost.h"
#include "platform/FileAssociation.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"

namespace {

const std::array<const char*, 9> kHeaders = {"N", "File Name", "X0", "Y0", "X1", "Y1", "v", "st", "en"};

// The file name of a stored path, whichever machine's separator it uses.
std::string StoredFileName(const std::string& path)
{
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string AbsolutePath(const std::string& path)
{
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

// The view numbers, each rounded to the nearest integer; one that does not fit keeps the old value.
void ReadView(const std::string& line, int32_t& zoom, int32_t& rotation, int32_t& elevation)
{
  arofdouble v = SplitFloats(line, 0);
  int32_t* target[3] = {&zoom, &rotation, &elevation};
  for (size_t i = 0; i < 3 && i < v.size(); ++i) {
    try {
      *target[i] = Round32(v[i]);
    } catch (const Exception&) {
    }
  }
}

// The chart's current view into the state; a number the host leaves alone keeps its value.
void TakeView(TProjectState& state, ISceneHost* host)
{
  if (!host) return;
  int zoom = state.Zoom, rotation = state.Rotation, elevation = state.Elevation;
  host->GetView3D(zoom, rotation, elevation);
  state.Zoom = zoom;
  state.Rotation = rotation;
  state.Elevation = elevation;
}

// Reads a project's five header lines and, two lines per entry, as many entries as line 5 counts
// and the file holds, keeping only the header; lines after the last entry are not read. "" when it
// is a project (Count then holds its number of entries), else why not: not text, fewer than the five
// header lines, no integer display mode, no view numbers, no entry count, a count above
// MaxProjectSections (TooMany; said before any entry is read), or a count the file cannot hold.
std::string CheckProjectLines(TTextReader& in, std::array<std::string, 5>& header, int64_t& count, bool& tooMany)
{
  tooMany = false;
  auto next = [&in](std::string& line) {
    line = in.ReadLn();
    if (in.Failed())
      return false;
    for (unsigned char c : line)
      if (c < 0x20 && c != '\t')
        return false;
    return true;
  };
  auto binary = [&in]() { return in.Failed() ? in.Error() : std::string("it holds binary data"); };
  for (std::string& line : header) {
    if (in.Eof())
      return in.Failed() ? in.Error() : "it ends before the list of sections";
    if (!next(line))
      return binary();
  }
  int32_t number = 0;
  if (!TryStrToInt(Trim(header[2]), number))
    return "line 3 holds no display mode";
  if (SplitFloats(header[3], 0).empty())
    return "line 4 holds no view";
  if (!TryStrToInt(Trim(header[4]), number))
    return "line 5 holds no number of sections";
  if (number < -1)
    return "line 5 holds a negative number of sections";
  count = static_cast<int64_t>(number) + 1;
  if (count > MaxProjectSections) {
    tooMany = true;
    return "it lists " + IntToStr(count) + " sections, and the viewer opens at most " + IntToStr(MaxProjectSections);
  }
  // Two lines per entry; the last position line may be missing.
  int64_t held = 0;
  std::string path, position;
  for (; held < count && !in.Eof(); ++held)
    if (!next(path) || (!in.Eof() && !next(position)))
      return binary();
  if (in.Failed())
    return in.Error();
  if (held < count)
    return "it lists " + IntToStr(count) + " sections but holds " + IntToStr(held);
  return {};
}

// What one message says of the files of a project that were not taken whole: how many, and the
// first few by name, with the reason where there is one.
class TFileReport {
public:
  static constexpr size_t Named = 5;
  void Add(const std::string& name, const std::string& reason = {})
  {
    if (items_.size() < Named)
      items_.emplace_back(name, reason);
    ++count_;
  }
  // One file: Prefix, its name, Middle and the reason. Several: the count, Several and the first few.
  std::string Text(const std::string& prefix, const std::string& middle, const std::string& several) const
  {
    if (count_ == 0)
      return {};
    if (count_ == 1)
      return prefix + items_[0].first + (items_[0].second.empty() ? "" : middle + items_[0].second);
    std::string text = IntToStr(static_cast<int64_t>(count_)) + several;
    for (size_t i = 0; i < items_.size(); ++i) {
      text += (i ? ", " : " ") + items_[i].first;
      if (!items_[i].second.empty())
        text += " (" + items_[i].second + ")";
    }
    if (count_ > items_.size())
      text += " and " + IntToStr(static_cast<int64_t>(count_ - items_.size())) + " more";
    return text;
  }
  size_t Count() const { return count_; }

private:
  std::vector<std::pair<std::string, std::string>> items_;
  size_t count_ = 0;
};

// The first line of Lines that holds a line break (which would split it in the file), or null.
const std::string* LineWithBreak(const std::vector<std::string>& lines)
{
  for (const std::string& line : lines)
    if (line.find_first_of("\r\n") != std::string::npos)
      return &line;
  return nullptr;
}

}  // namespace

std::string LineBreakFault(const std::vector<std::string>& lines)
{
  const std::string* line = LineWithBreak(lines);
  if (!line)
    return {};
  std::string shown = *line;
  std::replace(shown.begin(), shown.end(), '\n', ' ');
  std::replace(shown.begin(), shown.end(), '\r', ' ');
  return "the name \"" + shown + "\" holds a line break";
}

TGridTable::TGridTable()
{
  rows_.resize(2);
  for (int c = 0; c < ColCount; ++c)
    rows_[0].Cells[c] = kHeaders[c];
}

void TGridTable::SetRowCount(int count) { rows_.resize(static_cast<size_t>(std::max(count, 1))); }

const std::string& TGridTable::Cell(int col, int row) const
{
  static const std::string empty;
  const TGridRow* r = Row(row);
  return (r && col >= 0 && col < ColCount) ? r->Cells[col] : empty;
}

void TGridTable::SetCell(int col, int row, const std::string& text)
{
  TGridRow* r = Row(row);
  if (r && col >= 0 && col < ColCount)
    r->Cells[col] = text;
}

TGridRow* TGridTable::Row(int row)
{
  return row >= 0 && row < RowCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

const TGridRow* TGridTable::Row(int row) const
{
  return row >= 0 && row < RowCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

void TGridTable::ClearRow(int row)
{
  if (TGridRow* r = Row(row))
    *r = TGridRow{};
}

TProjectState::TProjectState()
{
  Profiles.resize(1);
  Loaded.assign(1, 0);
  Grid.SetCell(0, 1, "1");
  Profiles[0][0].Shown = 1;
}

std::pair<bool, bool> ApplyPositionLine(fdata& d, const std::string& line)
{
  // Each number in its place: a word that is no number leaves its field unread, never shifts
  // the words after it.
  const arofdouble v = SplitFloatsInPlace(line);
  // Ends too far apart for their distance to be a number are ignored with the rest of the line.
  const bool ends = v.size() >= 4 && std::isfinite(v[2] - v[0]) && std::isfinite(v[3] - v[1]);
  const bool stretch = ends && v.size() >= 6 && std::isfinite(v[4]) && std::isfinite(v[5]);
  if (ends) {
    d.X0 = v[0];
    d.Y0 = v[1];
    d.X1 = v[2];
    d.Y1 = v[3];
    if (stretch) {
      d.st = v[4];
      d.en = v[5];
    }
  }
  return {ends, stretch};
}

bool KeptForLostFile(const fdata& d)
{
  return d.ProjectLines.size() == 2 && !Trim(StoredFileName(d.ProjectLines[0])).empty();
}

bool LoadProject(TProjectState& state, ISceneHost* host, const std::string& fileName)
{
  // The whole project is checked before anything of the open project changes; then it is read
  // again entry by entry, so that only what is taken from it is kept.
  std::array<std::string, 5> header;
  int64_t count = 0;
  TTextReader in;
  // No project is larger than a model file may be; a larger file is refused unread.
  if (const std::string fault = ModelFileSizeFault(fileName); !fault.empty()) {
    ShowMessage(ExtractFileName(fileName) + ": not a project file: " + fault);
    return false;
  }
  if (!in.Open(fileName)) {
    ShowMessage("File not found " + ExtractFileName(fileName));
    return false;
  }
  bool tooMany = false;
  if (const std::string fault = CheckProjectLines(in, header, count, tooMany); !fault.empty()) {
    ShowMessage(ExtractFileName(fileName) + (tooMany ? " was not opened: " : ": not a project file: ") + fault);
    return false;
  }
  // A file changed since it was checked ends its entries where it changed.
  if (in.Open(fileName))
    for (size_t i = 0; i < header.size(); ++i)
      in.ReadLn();
  // Files not taken whole are reported in one message once the grid shows the new project.
  TFileReport missing, unreadable, partial;

  state.SettingsLines[0] = header[0];
  state.SettingsLines[1] = header[1];
  int32_t mode = 0;
  if (!TryStrToInt(header[2], mode) || (mode != 0 && mode != 1))
    mode = 0;
  // A number missing from the view line leaves the chart's current value, not a stale copy.
  TakeView(state, host);
  ReadView(header[3], state.Zoom, state.Rotation, state.Elevation);
  if (host)
    host->SetView3D(state.Zoom, state.Rotation, state.Elevation);

  state.Profiles.clear();
  state.Loaded.clear();
  state.Grid.SetRowCount(2);
  state.Grid.ClearRow(1);

  const std::string folder = ExtractFilePath(fileName);
  for (int64_t entry = 0; entry < count && !in.Eof(); ++entry) {
    const std::string path = in.ReadLn();
    const std::string position = in.ReadLn();
    if (in.Failed())
      break;
    // Every entry keeps its row, in the order of the file.
    const int row = static_cast<int>(state.Profiles.size()) + 1;
    const std::string name = StoredFileName(path);
    const bool named = !Trim(name).empty();
    std::string found = path;
    if (!FileExists(found))
      found = folder + name;
    fdata res, pol;
    std::string error, notice;
    bool read = false;
    if (!FileExists(found))
      missing.Add(named ? name : "(no file named, row " + IntToStr(row) + ")");
    else if (!ReadModelFile(found, res, pol, &error, &notice))
      unreadable.Add(ExtractFileName(found), error);
    else
      read = true;
    if (read) {
      if (!notice.empty())
        partial.Add(ExtractFileName(found), notice);
      res.FileName = AbsolutePath(found);
    } else {
      // Not present: nothing drawn, and a save writes the entry back as it was read.
      res = fdata{};
      pol = fdata{};
      res.ProjectLines = {path, position};
    }
    state.Profiles.push_back(TProfileEntry{std::move(res), std::move(pol)});
    state.Loaded.push_back(read ? 1 : 0);
    if (row > 1)
      state.Grid.SetRowCount(row + 1);
    state.Grid.ClearRow(row);
    TGridRow& cells = *state.Grid.Row(row);
    fdata& d = state.Profiles.back()[0];
    cells.Cells[0] = IntToStr(row);
    // A row without a file named stays empty, as an appended one.
    if (!read && !named)
      continue;
    cells.Cells[1] = read ? ExtractFileName(d.FileName) : name;
    cells.HasCheckBox = true;
    cells.Checked = read;

    const auto [ends, stretch] = ApplyPositionLine(d, position);
    // A row without a model shows what its line holds; one with a model, its placement.
    if (read || ends) {
      cells.Cells[2] = FloatToStrDec(0, true, d.X0);
      cells.Cells[3] = FloatToStrDec(0, true, d.Y0);
      cells.Cells[4] = FloatToStrDec(0, true, d.X1);
      cells.Cells[5] = FloatToStrDec(0, true, d.Y1);
    }
    if (read || stretch) {
      cells.Cells[7] = FloatToStrDec(0, true, d.st);
      cells.Cells[8] = FloatToStrDec(0, true, d.en);
    }
    if (read)
      PlaceSection(d);
  }

  if (state.Profiles.empty())
    // The one empty data row keeps its number.
    state.Grid.SetCell(0, 1, "1");
  // The project's mode and its settings take effect also when no section could be read, so that
  // a section loaded into a kept row later is drawn, and saved, as the project says.
  state.DisplayMode = mode;
  if (host)
    host->SetSectionSettings(state.SettingsLines[mode]);
  if (host) {
    host->GridChanged();
    host->DisplayModeChanged();
  }
  // One message for all of them, however many.
  std::string report;
  const size_t kept = missing.Count() + unreadable.Count();
  for (const std::string& part :
       {missing.Text("File not found ", "", " files not found:"),
        unreadable.Text("The file ", " could not be read: ", " files could not be read:"),
        std::string(kept == 0   ? ""
                    : kept == 1 ? "Its row is kept and saved as it was read."
                                : "Their rows are kept and saved as they were read."),
        partial.Text("The file ", " was read in part: ", " files were read in part:")})
    if (!part.empty())
      report += (report.empty() ? "" : "\n") + part;
  if (!report.empty())
    ShowMessage(report);
  ReleaseSceneTextures(state, host);
  UpdateSceneBounds(state, host);
  BuildSectionOutlines(state);
  if (host) {
    host->BuildSectionPictures();
    host->Repaint();
  }
  return true;
}

bool SaveProject(TProjectState& state, ISceneHost* host, const std::string& fileName)
{
  const int mode = state.DisplayMode == 1 ? 1 : 0;
  if (host) {
    state.SettingsLines[mode] = host->GetSectionSettings();
    TakeView(state, host);
  }
  std::vector<std::string> lines;
  lines.push_back(state.SettingsLines[0]);
  lines.push_back(state.SettingsLines[1]);
  lines.push_back(IntToStr(state.DisplayMode));
  lines.push_back(IntToStr(state.Zoom) + " " + IntToStr(state.Rotation) + " " + IntToStr(state.Elevation));
  lines.push_back(IntToStr(static_cast<int64_t>(state.Profiles.size()) - 1));
  for (const TProfileEntry& e : state.Profiles) {
    const fdata& d = e[0];
    // An entry whose model could not be read goes back as it was read.
    if (d.ProjectLines.size() == 2) {
      lines.insert(lines.end(), d.ProjectLines.begin(), d.ProjectLines.end());
      continue;
    }
    lines.push_back(d.FileName.empty() ? std::string() : AbsolutePath(d.FileName));
    lines.push_back(FloatToStrSci(d.X0) + " " + FloatToStrSci(d.Y0) + " " + FloatToStrSci(d.X1) + " " +
                    FloatToStrSci(d.Y1) + " " + FloatToStrSci(d.st) + " " + FloatToStrSci(d.en));
  }
  std::string error = LineBreakFault(lines);
  if (!error.empty() || !WriteTextLines(fileName, lines, &error)) {
    ShowMessage("The project was not saved to " + fileName + ": " + error);
    return false;
  }
  return true;
}

void RegisterFileAssociation(const std::string& ext, const std::string& description, const std::string& iconValue,
                             const std::string& exePath)
{
  // The icon value names an icon inside a Windows program; a desktop entry has no use for it.
  (void)iconValue;
  WriteFileAssociation(ext, ext + "KelFile", description, exePath);
}

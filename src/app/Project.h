#pragma once
// Project state of the viewer, project files (".prj") and the file association.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ProfileModel.h"
#include "app/Supermath2d.h"

class ISceneHost;
class TMetafile;
class TBitmap;

// The section list's cells: a header row and one row per section, 9 columns
// ("N", "File Name", "X0", "Y0", "X1", "Y1", "v", "st", "en"); column 6 may hold a check box.
struct TGridRow {
  std::array<std::string, 9> Cells;
  bool HasCheckBox = false;
  bool Checked = false;
};

class TGridTable {
public:
  static constexpr int ColCount = 9;
  TGridTable();  // header row and one empty data row
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Adds or drops rows at the end; at least the header row stays.
  void SetRowCount(int count);
  // Cells(col, row); an index outside the table reads "" and writes nothing.
  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);
  TGridRow* Row(int row);
  const TGridRow* Row(int row) const;
  // Empties every cell and check box of a data row.
  void ClearRow(int row);

private:
  std::vector<TGridRow> rows_;
};

// Everything the main window keeps about the open project, usable without a window.
struct TProjectState {
  TProjectState();  // as at start: one empty entry, Loaded 0, grid cell (0, 1) "1"

  uint8_t CellMode = 0;
  std::vector<TProfileEntry> Profiles;
  // Horizontal slice.
  uint8_t PlaneReady = 0;
  std::shared_ptr<TMetafile> PlanePicture;
  arp3d PlanePolygon;
  arofcomplex PlaneTexCoords;
  std::shared_ptr<TBitmap> PlaneTexture;

  std::vector<uint8_t> Loaded;
  int32_t DisplayMode = 0;  // 0 resistivity, 1 polarizability
  double XMin = 0, XMax = 0, YMin = 0, YMax = 0, DepthMin = 0, DepthMax = 0, ValueMin = 0, ValueMax = 0;
  std::array<std::string, 2> SettingsLines;
  uint8_t EqualScale = 0;
  double PlaneDepth = 0.0;
  uint8_t PlaneShown = 0;
  double ScaleRatio = 1.0;
  int32_t SelectedRow = 0;

  // 3-D view as last loaded or saved.
  int32_t Zoom = 42, Rotation = 360, Elevation = 360;

  TGridTable Grid;
};

// The most sections a project may list. Every entry keeps a grid row, also one whose file cannot
// be read, so a longer list is refused rather than grown from a few bytes per entry.
constexpr int64_t MaxProjectSections = 10000;

// Reads a project and rebuilds the scene. An entry whose model file is missing or cannot be read
// keeps its row, not present, with its two lines as read (fdata::ProjectLines). Such files, and
// those whose polarizability block was cut short, are reported in one message after the grid shows
// the project: for one file "File not found " + name, or why it could not be read; for several, how
// many and the first few by name; then that their rows are kept. The display mode read and its
// settings line take effect, also when no section could be read. False when the project file cannot
// be read, is not a project (not text, too short, no number where one belongs, more entries than
// lines) or lists more than MaxProjectSections: reported, and the state is then unchanged. The
// file is read line by line, no further than its last entry. Host may be null.
bool LoadProject(TProjectState& state, ISceneHost* host, const std::string& fileName);
// Takes the plan ends X0, Y0, X1, Y1 of an entry's position line into D when its first four words
// are numbers (finite apart), and st, en when its fifth and sixth are too; PlaceSection is left to
// the caller. Whether the ends, and the stretch, were taken.
std::pair<bool, bool> ApplyPositionLine(fdata& d, const std::string& line);
// Whether D was kept from a project for a file the project names but could not read.
bool KeptForLostFile(const fdata& d);
// Stores the section chart's settings line of the current mode and the 3-D view, then writes the
// project through a temporary file renamed over the old one; an entry kept from a load without its
// model is written as it was read. A failure (also a model path holding
// a line break) is reported and gives False; the previous file is then untouched. Host may be null.
bool SaveProject(TProjectState& state, ISceneHost* host, const std::string& fileName);

// Why lines cannot be written as lines of a text file ("the name \"...\" holds a line break"), or ""
// when none of them holds a line break.
std::string LineBreakFault(const std::vector<std::string>& lines);

// Associates files "*.<Ext>" with the program: a desktop entry and a shared MIME type named
// Ext + "KelFile" in the user's data folder. Idempotent; fails silently.
void RegisterFileAssociation(const std::string& ext, const std::string& description, const std::string& iconValue,
                             const std::string& exePath);

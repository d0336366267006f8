#pragma once
// Section models (one grid of cell boundaries with node values, relief and placement) and the
// reader of the model text files ".k2d", ".cht", ".m2d" and ".out".
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Supermath2d.h"

class TMetafile;
class TBitmap;

// One section model. Copying copies the arrays; Picture and Texture are shared handles.
struct fdata {
  uint8_t Shown = 0;            // drawn (grid column "v")
  std::string FileName;         // model file path (resistivity half only)
  ararofdouble Values;          // Length(X) rows of Length(Z) node values (mean by LogScale)
  ararofdouble Nodes;           // node grid of the cells by the fixed mean of the half: one node more
                                // than cells each way, so at least Length(X) x Length(Z)
  arofdouble X;                 // cell boundaries along the profile, ascending
  arofdouble Z;                 // cell boundaries in depth below the relief, ascending
  arofdouble ReliefAtX;         // relief height at each X (zeros without relief)
  arofcomplex Relief;           // relief points (x, -z) as read
  double PlanX0 = 0, PlanY0 = 0, PlanX1 = 0, PlanY1 = 0;  // plan position of the first and last X
  double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;                  // plan ends of the profile
  double st = 0, en = 0;        // stretch of the profile mapped onto the ends
  double XFirst = 0, XLast = 0; // first and last X
  uint8_t Present = 0;          // a model is loaded into this half
  std::shared_ptr<TMetafile> Picture;  // contoured picture of the section
  double MinValue = 0, MaxValue = 0;   // extremes of Values
  arp3d Outline;                // outline in scene coordinates
  arp3d Frame;                  // four-corner frame in scene coordinates
  arofcomplex TexCoords;        // texture coordinates of Outline
  std::shared_ptr<TBitmap> Texture;    // texture made from Picture, empty until first drawn
  double K = 0;                 // relief-stretch factor
  double MaxRelief = 0;         // largest ReliefAtX
  uint8_t LogScale = 0;         // contoured on a logarithmic scale
  // A project entry whose model could not be read (resistivity half only): its path line and
  // position line as read, which a save writes back unchanged. Empty for every other entry.
  std::vector<std::string> ProjectLines;

  // en - st; always derived, so it follows every change of st or en.
  double Span() const { return en - st; }
};

// [0] resistivity model, [1] polarizability model of the same file.
using TProfileEntry = std::array<fdata, 2>;

// The largest model read: at most MaxModelCells cells, (Length(X) - 1) x (Length(Z) - 1), and at most
// MaxModelBoundaries cell boundaries along either axis, and this many relief points. Larger models
// are refused when read, before any grid is made. (The section chart thins what it contours of a
// large grid by itself.)
constexpr size_t MaxModelCells = size_t{1} << 22;
constexpr size_t MaxModelBoundaries = 65536;
constexpr size_t MaxReliefPoints = 65536;
// The largest model or project file read: the largest model with its polarizability block, every
// number in the widest form written, fits. A larger file is refused before any of it is read.
constexpr uint64_t MaxModelFileBytes = uint64_t{320} << 20;

// "" when a model of nx x nz cell boundaries is within the limits above; else why it is refused.
std::string ModelSizeFault(size_t nx, size_t nz);
// "" when the file is not larger than MaxModelFileBytes, or has no size to go by (a device, a pipe,
// a file that is not there); else why it is refused.
std::string ModelFileSizeFault(const std::string& fileName);

// Reads a model file into the two halves, line by line. False (halves untouched) for a missing file,
// a file larger than MaxModelFileBytes (refused unread), content that is not text (a zero byte, an
// overlong line), a missing keyword, an unknown extension, bad boundaries, a grid beyond the limits
// above (refused before any grid is made) or a relief of more than MaxReliefPoints points, missing
// cell rows, a first row with fewer cells than Z intervals or one that makes a cell grid beyond the
// limits, a later row shorter than the first, or numbers so large that spans, node means or scene
// depths overflow. An eta block that is incomplete leaves the polarizability half not Present while
// the resistivity half loads.
bool ReadModelFile(const std::string& fileName, fdata& res, fdata& pol);
// The same; on failure Error (when given) says why the file was refused. On success Notice (when
// given) says what of the file was not taken (an eta block cut short), or is empty.
bool ReadModelFile(const std::string& fileName, fdata& res, fdata& pol, std::string* error,
                   std::string* notice = nullptr);

// Node grid of nx x nz values from a cell grid: each node the mean of its four surrounding cells,
// indices clamped into the grid (so edge nodes repeat their nearest cells).
// Geometric: mean of the positive cells' logarithms; a node whose four cells are all 0 or below
// takes their arithmetic mean instead, so no NaN or infinity comes out.
ararofdouble CellsToNodes(const ararofdouble& cells, size_t nx, size_t nz, bool geometric);

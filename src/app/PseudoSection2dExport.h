#pragma once
// The section chart's exports: the XYZ table of its nodes and the choice of picture format.
#include <cstdint>
#include <string>
#include <vector>

struct dVertex3d;

// Writes "X -Y  Z" and one line per node 1..nextNode-1 (plot x, negated plot y, value, each in the
// scientific form of width 23), CR LF line ends, through a temporary file renamed over fileName.
// False with the reason in error when the file cannot be written; an old file then stays as it was.
bool WriteSectionXYZ(const std::string& fileName, const std::vector<dVertex3d>& nodes, int32_t nextNode,
                     std::string* error = nullptr);

enum class TSectionPictureFormat { Enhanced, Placeable, Bitmap };

// The format a picture file name asks for by its extension (".emf", ".wmf", ".bmp", any case);
// another extension or none is replaced by ".emf".
TSectionPictureFormat SectionPictureFormat(std::string& fileName);

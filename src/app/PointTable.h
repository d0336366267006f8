#pragma once
// Point tables: a regular (x, depth, value) table converted to an ".out" model, and the export of
// every present section as plan points with depth and value.
#include <string>

struct TProjectState;

// Writes the ".out" model beside the table. False (nothing written, the reason reported) when the
// table is larger than MaxModelFileBytes (refused unread), cannot be read or is not text, has no line
// of three numbers, is irregular, has a single x or a single depth, is larger than the model the
// viewer draws, is itself the ".out" file, or the model cannot be written (the previous ".out" file is then untouched). The table is read line by line and
// only its points are kept.
bool ConvertPointTable(const std::string& fileName);
// Writes the sections of the current display mode; with no entries the file is created empty.
// A write failure (also a model path holding a line break) is reported and gives False; the previous
// file is then untouched.
bool ExportPointTable(const TProjectState& state, const std::string& fileName);

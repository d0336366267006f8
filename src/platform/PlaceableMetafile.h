#pragma once
// Metafiles of both kinds: a recorded picture saved either as an enhanced metafile or as a
// placeable Windows metafile (the 16-bit format with its 22-byte placement header).
#include <cstdint>
#include <string>

#include "platform/Metafile.h"

// Converts the bytes of an enhanced metafile, as TMetafile writes them, into a placeable Windows
// metafile of width x height logical units at 96 units per inch. Coordinates beyond the 16-bit
// range are clamped; Bezier curves become polylines. Raises EInvalidGraphic on a malformed input.
std::string EnhancedToPlaceableMetafile(const std::string& emf, int32_t width, int32_t height);

// Converts a placeable Windows metafile, as EnhancedToPlaceableMetafile writes it, back into the
// bytes of an enhanced metafile of the placement's size; records of other kinds are skipped.
// Raises EInvalidGraphic on a malformed input.
std::string PlaceableToEnhancedMetafile(const std::string& wmf);
// True when bytes start with the placement key of a placeable Windows metafile.
bool IsPlaceableMetafile(const std::string& bytes);

// A metafile that knows its format: SaveToFile writes an enhanced metafile when Enhanced is on,
// else a placeable Windows metafile.
class TFormatMetafile : public TMetafile {
public:
  bool GetEnhanced() const { return enhanced_; }
  void SetEnhanced(bool v) { enhanced_ = v; }
  // The bytes SaveToFile writes.
  std::string SaveToFormatBytes() const;
  void SaveToFile(const std::string& fileName) override;
  // Reads either format; Enhanced tells which one was read.
  void LoadFromFormatBytes(const std::string& bytes);
  void LoadFromFile(const std::string& fileName) override;

private:
  bool enhanced_ = true;
};

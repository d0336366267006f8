#pragma once
// Glyph shapes of the platform's fonts, for building text out of polygons or bitmaps.
#include <cstdint>
#include <string>
#include <vector>

struct TOutlinePoint {
  double x = 0, y = 0;
};

// A glyph's outline in em units (1.0 = the em height), Y up, origin on the baseline at the left.
struct TGlyphOutline {
  // Closed contours, curves flattened; holes wind opposite to their outer contours.
  std::vector<std::vector<TOutlinePoint>> contours;
  double advance = 0;  // horizontal advance in em units
};

// A glyph as a one-bit bitmap: rows bottom-up, each row padded to whole bytes, most
// significant bit leftmost. Origin and advance in pixels.
struct TGlyphBitmap {
  int32_t width = 0, height = 0;
  double xOrigin = 0, yOrigin = 0;  // the pen position seen from the bitmap's lower-left corner
  double advance = 0;
  std::vector<uint8_t> bits;
};

// Weight as in the font (400 normal, 700 bold). Character ch is a Unicode code point.
// False when the face cannot be had at all; a character without a glyph gives an empty outline.
bool GetGlyphOutline(const std::string& face, int32_t weight, bool italic, uint32_t ch, TGlyphOutline& out);
// The glyph rendered at a character height of pixelHeight pixels.
bool GetGlyphBitmap(const std::string& face, int32_t weight, bool italic, int32_t pixelHeight, uint32_t ch,
                    TGlyphBitmap& out);

// A text in the single-byte code page of the font lists (code page 1252); characters outside it
// become '?'.
std::string TextToCodePage1252(const std::string& utf8);
// Unicode code point of a byte of that code page.
uint32_t CodePage1252ToUnicode(uint8_t byte);

#include "chart/canvas/NuvResources.h"

#include <string>

#include "platform/ResourceModules.h"

namespace {

// 8 x 8 two-colour patterns, one byte per row, most significant bit leftmost; a set bit is ink
// (black), a clear bit background (white).
constexpr uint8_t Patterns[NuvPatternCount][8] = {
  {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},  // sparse dots
  {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // checker (50 %)
  {0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB},  // dense dots
  {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // thin horizontal lines
  {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},  // thin vertical lines
  {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // thin diagonal down
  {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // thin diagonal up
  {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // small grid
  {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // wide horizontal bands
  {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},  // wide vertical bands
  {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // bricks, coarse grid
  {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

std::string PatternName(int32_t index) { return "BBitmap" + std::to_string(index + 1); }

bool DrawPattern(int32_t index, TBitmap* bitmap)
{
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(8, 8);
  for (int y = 0; y < 8; ++y) {
    uint8_t* row = bitmap->ScanLine(y);
    for (int x = 0; x < 8; ++x) {
      const uint8_t v = (Patterns[index][y] & (0x80 >> x)) ? 0 : 255;
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
    }
  }
  return true;
}

}  // namespace

void RegisterNuvResources()
{
  static bool done = false;
  if (done) return;
  done = true;
  for (int32_t i = 0; i < NuvPatternCount; ++i)
    RegisterBitmapResource(0, PatternName(i), [i](TBitmap* b) { return DrawPattern(i, b); });
}

void LoadPatternBitmap(int32_t index, TBitmap& bitmap)
{
  RegisterNuvResources();
  bool found = false;
  for (int m = 0; m < ResourceModuleCount() && !found; ++m) found = LoadBitmapFromModule(m, PatternName(index), &bitmap);
  if (!found) throw EResNotFound("Resource " + PatternName(index) + " not found");
  bitmap.SetTransparentMode(tmFixed);
  bitmap.SetTransparentColor(clWhite);
}

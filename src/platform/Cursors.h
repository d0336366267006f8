#pragma once
// The screen's cursor table: standard cursors (negative numbers) and cursors the program
// registers under numbers of its own, such as the hand cursor drawn by this code.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Controls.h"

class QCursor;

// A cursor picture: ARGB pixels (0xAARRGGBB), rows top-down, with its hot spot.
struct TCursorImage {
  int32_t Width = 0, Height = 0;
  int32_t HotX = 0, HotY = 0;
  std::vector<uint32_t> Pixels;
};

class TScreenCursors {
public:
  void SetCursor(TCursor id, const TCursorImage& image);
  void RemoveCursor(TCursor id);
  bool HasCursor(TCursor id) const;
  // The registered picture, or nullptr.
  const TCursorImage* Image(TCursor id) const;

private:
  std::vector<std::pair<TCursor, TCursorImage>> cursors_;
};

// The process-wide cursor table.
TScreenCursors& ScreenCursors();

// Loads a cursor resource of the program by name ("NUV_CURSOR_HAND": a pointing hand with its
// hot spot at the tip of the index finger). False when there is no such resource.
bool LoadCursorResource(const std::string& name, TCursorImage& image);

// The window system's cursor for a cursor number (platform layer only).
QCursor CursorToQCursor(TCursor id);

#pragma once
// The section chart's settings line: 18 blank-separated fields (colours, level count, margins,
// switches and the user limits), kept per display mode by the main window and in project files.
#include <cstdint>
#include <string>

#include "platform/Types.h"

struct TSectionSettings {
  TColor ContourMinColor = 0x0000FF;
  TColor ContourMaxColor = 0xFF0000;
  TColor IsolineMinColor = 0xFF0000;
  TColor IsolineMaxColor = 0x0000FF;
  TColor MidColor1 = 0x00FFFF;  // one third of the scale
  TColor MidColor2 = 0x008000;  // two thirds
  int32_t LevelCount = 15;
  int32_t MarginLeft = 25;
  int32_t MarginRight = 70;
  int32_t MarginTop = 1;
  int32_t MarginBottom = 20;
  bool UserLimits = false;
  bool ShowIsolines = true;
  bool LogData = false;
  bool ShowColorBar = true;
  bool GridPointsActive = true;
  double UserMax = 123456789.0;  // not set
  double UserMin = 123456789.0;

  friend bool operator==(const TSectionSettings&, const TSectionSettings&) = default;
};

constexpr int32_t SectionMinLevels = 2;
constexpr int32_t SectionMaxLevels = 30;
constexpr int32_t SectionMaxMargin = 100;

// The line: every field preceded by one blank; the limits with 5 decimals, adaptive, "*" when unset.
std::string FormatSectionSettings(const TSectionSettings& s);

// Reads a settings line into s. A line of fewer than 18 words changes nothing and gives false.
// Otherwise each of the 18 fields is read from its own word: a word that is no number, an integer
// field beyond the 32-bit range, a colour outside 0..0xFFFFFF or a switch other than 0 or 1 keeps
// that field as it was; the level count is held within 2..30 and the margins within 0..100; a limit
// that is no number ("*") becomes unset. Words after the 18th are ignored.
bool ParseSectionSettings(const std::string& line, TSectionSettings& s);

#pragma once
// What chart panels need from the window system beyond the control base: rounded window
// regions, the mouse position, device capabilities of a canvas and the anisotropic mapping
// used to print a panel into a page rectangle.
#include <cstdint>

#include "platform/Controls.h"
#include "platform/Graphics.h"

// Gives the control's window the round-rectangle region (0, 0, width, height) with both corner
// radii; radius < 1 removes the region.
void SetControlRoundRegion(TControl* control, int32_t width, int32_t height, int32_t radius);
// Whether the control's window has a region; its bounds when it has.
bool ControlRegionBounds(TControl* control, TRect& bounds);
// The mouse position in the control's client coordinates.
TPoint ControlCursorPos(TControl* control);

// Device capabilities of the device a canvas draws on.
struct TDeviceCaps {
  int32_t LogPixelsX = 96, LogPixelsY = 96;
  int32_t HorzSizeMM = 0, VertSizeMM = 0;
};
TDeviceCaps CanvasDeviceCaps(TCanvas* canvas);

// Anisotropic mapping: logical (window) extent mapped onto a viewport extent, both origins 0.
struct TCanvasMapping {
  bool Anisotropic = false;
  int32_t WindowExtX = 1, WindowExtY = 1, ViewportExtX = 1, ViewportExtY = 1;
};
TCanvasMapping GetCanvasMapping(TCanvas* canvas);
void SetCanvasMapping(TCanvas* canvas, const TCanvasMapping& mapping);

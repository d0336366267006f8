#pragma once
// What chart panels need from the window system beyond the control base: rounded window
// regions and the mouse position.
#include <cstdint>
#include <functional>

#include "platform/Controls.h"
#include "platform/Graphics.h"

// Gives the control's window the round-rectangle region (0, 0, width, height) with both corner
// radii; radius < 1 removes the region.
void SetControlRoundRegion(TControl* control, int32_t width, int32_t height, int32_t radius);
// Whether the control's window has a region; its bounds when it has.
bool ControlRegionBounds(TControl* control, TRect& bounds);
// The mouse position in the control's client coordinates.
TPoint ControlCursorPos(TControl* control);

// Calls onChange whenever the system colours (the application palette) change, for as long as
// the control's window exists.
void WatchSystemColours(TControl* control, std::function<void()> onChange);
// Paints onto canvas, in the control's client coordinates, what lies beneath the control: the
// parent's last painted picture, or the parent's colour when it has none. A window that lets
// what is beneath show through starts its painting with this.
void PaintBackgroundBeneath(TControl* control, TCanvas* canvas);

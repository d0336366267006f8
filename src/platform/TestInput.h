#pragma once
// Synthetic input for tests: mouse and key events sent through the window system's event path to
// a control's widget, as a user's would arrive.
#include <cstdint>
#include <string>

#include "platform/Controls.h"

namespace testinput {

void MouseDown(TControl* control, TMouseButton button, int32_t x, int32_t y, TShiftState shift = 0);
void MouseUp(TControl* control, TMouseButton button, int32_t x, int32_t y, TShiftState shift = 0);
void MouseMove(TControl* control, int32_t x, int32_t y, TShiftState shift = 0);
// Press and release at one point.
void Click(TControl* control, int32_t x, int32_t y, TMouseButton button = mbLeft, TShiftState shift = 0);
// Click in the middle of the control.
void ClickCenter(TControl* control, TMouseButton button = mbLeft);
void DoubleClick(TControl* control, int32_t x, int32_t y);
// One wheel notch is delta 120; negative turns towards the user (down).
void Wheel(TControl* control, int32_t delta, int32_t x, int32_t y);
// A key press and release on the control's focused part (its in-place editor when one is open).
void Key(TControl* control, uint16_t virtualKey, TShiftState shift = 0);
// Types the text character by character.
void Type(TControl* control, const std::string& text);
// Gives the control's window the activation and the control the focus.
void Focus(TWinControl* control);
// Shows the form's window and handles pending events.
void ShowWindow(TControl* form);
// Handles pending events (timers that are due, paints).
void ProcessEvents();
// Handles events for the given time.
void Wait(int milliseconds);
// Closes, as the window's close box would, the modal window up when the time has passed (a
// real dialog shown meanwhile).
void CloseModalAfter(int milliseconds);
// Grabs what the control shows now into a PNG file.
bool SaveScreenshot(TControl* control, const std::string& fileName);

}  // namespace testinput

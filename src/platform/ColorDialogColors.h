#pragma once
// The custom colours of the colour dialog: a row of slots shared by every colour dialog of the
// process.
#include "platform/Types.h"

// Number of custom colour slots.
int ColorDialogCustomCount();
// Slot Index (0-based); white for an index outside the slots.
TColor GetColorDialogCustomColor(int index);
// Ignored for an index outside the slots.
void SetColorDialogCustomColor(int index, TColor color);

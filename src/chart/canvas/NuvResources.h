#pragma once
// Bitmap resources of the chart library: the pattern bitmaps "BBitmap1", "BBitmap2"... of the
// pattern brush styles, drawn by this unit and registered with the platform's resources.
#include <cstdint>

#include "platform/Graphics.h"

// Number of pattern bitmaps.
constexpr int32_t NuvPatternCount = 12;

// Loads the pattern bitmap resource "BBitmap" + (Index + 1) into Bitmap, with white as its fixed
// transparent colour. A missing resource raises EResNotFound.
void LoadPatternBitmap(int32_t index, TBitmap& bitmap);

// Registers the pattern bitmaps (done once at start-up).
void RegisterNuvResources();

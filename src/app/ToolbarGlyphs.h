#pragma once
// The toolbar's pictures, drawn in code. Each glyph is a transparent bitmap (the key colour is
// the bottom-left pixel); two-glyph bitmaps hold the normal picture and its disabled look side by side.
#include <memory>

#include "platform/Graphics.h"

enum class TGlyphKind {
  OpenProject, SaveProject, AppendRow, DropRow, Resistivity, Polarizability, Options, TextureMode, CellMode,
  Rotation, Plane, EqualScale
};

// One picture of Size x Size pixels.
std::unique_ptr<TBitmap> MakeGlyph(TGlyphKind kind, int size = 16);
// The picture and its greyed copy side by side (2 Size x Size).
std::unique_ptr<TBitmap> MakeTwoGlyphs(TGlyphKind kind, int size = 16);

#include "app/ToolbarGlyphs.h"

#include <vector>

namespace {
constexpr TColor kKey = clFuchsia;

void Line(TCanvas* c, int x1, int y1, int x2, int y2)
{
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

void Draw(TCanvas* c, TGlyphKind kind, int s)
{
  auto px = [s](int v) { return v * s / 16; };  // drawn on a 16-pixel grid, scaled
  TPen* pen = c->Pen();
  TBrush* br = c->Brush();
  pen->SetWidth(1);
  pen->SetColor(clBlack);
  br->SetStyle(bsSolid);
  switch (kind) {
    case TGlyphKind::OpenProject:  // an opened folder
      br->SetColor(0x40C0F0);
      c->Polygon({{px(1), px(4)}, {px(5), px(4)}, {px(6), px(5)}, {px(12), px(5)}, {px(12), px(13)}, {px(1), px(13)}});
      br->SetColor(0x80E0FF);
      c->Polygon({{px(3), px(8)}, {px(15), px(8)}, {px(12), px(13)}, {px(1), px(13)}});
      break;
    case TGlyphKind::SaveProject:  // a disk
      br->SetColor(0x804000);
      c->Rectangle(px(2), px(2), px(15), px(15));
      br->SetColor(clWhite);
      c->Rectangle(px(4), px(2), px(13), px(8));
      br->SetColor(clSilver);
      c->Rectangle(px(5), px(10), px(12), px(15));
      break;
    case TGlyphKind::AppendRow:  // a table row with a plus
      br->SetColor(clWhite);
      c->Rectangle(px(1), px(2), px(11), px(12));
      Line(c, px(1), px(7), px(11), px(7));
      pen->SetColor(0x008000);
      pen->SetWidth(2);
      Line(c, px(12), px(9), px(12), px(16));
      Line(c, px(9), px(12), px(16), px(12));
      break;
    case TGlyphKind::DropRow:  // a table row with a minus
      br->SetColor(clWhite);
      c->Rectangle(px(1), px(2), px(11), px(12));
      Line(c, px(1), px(7), px(11), px(7));
      pen->SetColor(clRed);
      pen->SetWidth(2);
      Line(c, px(9), px(12), px(16), px(12));
      break;
    case TGlyphKind::Resistivity:  // a colour section with a big R
    case TGlyphKind::Polarizability: {
      const bool res = kind == TGlyphKind::Resistivity;
      br->SetColor(res ? 0xF0B060 : 0x60D0F0);
      c->Rectangle(px(1), px(1), px(15), px(15));
      pen->SetWidth(2);
      pen->SetColor(res ? 0x800000 : 0x004080);
      if (res) {  // R
        Line(c, px(5), px(12), px(5), px(4));
        Line(c, px(5), px(4), px(9), px(4));
        Line(c, px(10), px(5), px(10), px(7));
        Line(c, px(9), px(8), px(5), px(8));
        Line(c, px(7), px(8), px(11), px(12));
      } else {  // eta-like: an n with a long right leg
        Line(c, px(5), px(5), px(5), px(11));
        Line(c, px(5), px(6), px(8), px(4));
        Line(c, px(8), px(4), px(10), px(5));
        Line(c, px(10), px(5), px(10), px(14));
      }
      break;
    }
    case TGlyphKind::Options:  // three sliders
      for (int i = 0; i < 3; ++i) {
        const int y = px(3 + 5 * i);
        Line(c, px(2), y, px(14), y);
        br->SetColor(i == 1 ? clRed : clBlue);
        const int x = px(i == 1 ? 10 : (i == 0 ? 5 : 7));
        c->Rectangle(x - px(2), y - px(2), x + px(2) + 1, y + px(2) + 1);
      }
      break;
    case TGlyphKind::TextureMode: {  // a smoothly coloured panel
      const TColor cols[4] = {0xFF8000, 0x00C0FF, 0x00FF80, 0x0040FF};
      for (int i = 0; i < 4; ++i) {
        br->SetColor(cols[i]);
        pen->SetColor(cols[i]);
        c->Rectangle(px(2), px(2 + 3 * i), px(15), px(5 + 3 * i));
      }
      pen->SetColor(clBlack);
      br->SetStyle(bsClear);
      c->Rectangle(px(2), px(2), px(15), px(15));
      break;
    }
    case TGlyphKind::CellMode: {  // a panel of coloured cells
      const TColor cols[3] = {0xFF8000, 0x00FF80, 0x0040FF};
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
          br->SetColor(cols[(i + j) % 3]);
          c->Rectangle(px(2 + 4 * j), px(2 + 4 * i), px(6 + 4 * j) + 1, px(6 + 4 * i) + 1);
        }
      break;
    }
    case TGlyphKind::Rotation:  // a circular arrow
      pen->SetWidth(2);
      pen->SetColor(0x804000);
      c->Arc(px(2), px(2), px(14), px(14), px(14), px(8), px(8), px(14));
      br->SetColor(0x804000);
      c->Polygon({{px(11), px(8)}, {px(16), px(8)}, {px(14), px(11)}});
      break;
    case TGlyphKind::Plane:  // a horizontal sheet in perspective
      br->SetColor(0x30C030);
      c->Polygon({{px(4), px(6)}, {px(15), px(6)}, {px(12), px(11)}, {px(1), px(11)}});
      pen->SetColor(clGray);
      Line(c, px(8), px(1), px(8), px(6));
      Line(c, px(8), px(11), px(8), px(15));
      break;
    case TGlyphKind::EqualScale:  // two equal rulers at a right angle
      pen->SetWidth(2);
      pen->SetColor(clNavy);
      Line(c, px(2), px(14), px(14), px(14));
      Line(c, px(2), px(14), px(2), px(2));
      pen->SetWidth(1);
      for (int i = 1; i < 4; ++i) {
        Line(c, px(2 + 3 * i), px(12), px(2 + 3 * i), px(14));
        Line(c, px(2), px(14 - 3 * i), px(4), px(14 - 3 * i));
      }
      break;
  }
}
}  // namespace

std::unique_ptr<TBitmap> MakeGlyph(TGlyphKind kind, int size)
{
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(size, size);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(kKey);
  c->FillRect(Rect(0, 0, size, size));
  Draw(c, kind, size);
  // Keep the bottom-left pixel as the key colour.
  c->SetPixel(0, size - 1, kKey);
  c->Release();
  bmp->SetTransparentColor(kKey);
  bmp->SetTransparentMode(tmFixed);
  bmp->SetTransparent(true);
  return bmp;
}

std::unique_ptr<TBitmap> MakeTwoGlyphs(TGlyphKind kind, int size)
{
  auto one = MakeGlyph(kind, size);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(2 * size, size);
  TCanvas* c = bmp->Canvas();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const TColor p = one->Canvas()->GetPixel(x, y);
      c->SetPixel(x, y, p);
      TColor g = p;
      if (p != kKey) {
        const int lum = (GetRValue(p) * 3 + GetGValue(p) * 6 + GetBValue(p)) / 10;
        const uint8_t v = static_cast<uint8_t>(128 + lum / 2);
        g = RGB(v, v, v);
      }
      c->SetPixel(size + x, y, g);
    }
  one->Canvas()->Release();
  c->Release();
  bmp->SetTransparentColor(kKey);
  bmp->SetTransparentMode(tmFixed);
  bmp->SetTransparent(true);
  return bmp;
}

#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "platform/Graphics.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"

namespace {
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  bool empty() const { return right < 0; }
};

// Bounding box of the pixels that are not the given background colour.
Box InkBox(TBitmap& b, TColor background = clWhite)
{
  Box box;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      if (b.Canvas()->GetPixel(x, y) != background) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

std::string Row(TBitmap& b, int y, int x0, int x1)
{
  std::string s;
  for (int x = x0; x <= x1; ++x) s += b.Canvas()->GetPixel(x, y) == clWhite ? '.' : '#';
  return s;
}

std::unique_ptr<TBitmap> MakeBitmap(int w, int h, TPixelFormat f = pf24bit)
{
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(f);
  b->SetSize(w, h);
  return b;
}
}  // namespace

TEST(Bitmap, NewPixelsAreWhiteAndScanLinesAreBGR)
{
  auto b = MakeBitmap(4, 3);
  EXPECT_EQ(b->Canvas()->GetPixel(3, 2), clWhite);
  b->Canvas()->SetPixel(1, 2, RGB(10, 20, 30));
  const uint8_t* row = b->ScanLine(2);
  EXPECT_EQ(row[3], 30);  // blue first
  EXPECT_EQ(row[4], 20);
  EXPECT_EQ(row[5], 10);
  // Writing through the scan line shows on the canvas.
  b->ScanLine(0)[0] = 0;
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), RGB(255, 255, 0));

  auto q = MakeBitmap(2, 2, pf32bit);
  q->Canvas()->SetPixel(1, 0, RGB(1, 2, 3));
  const uint8_t* qrow = q->ScanLine(0);
  EXPECT_EQ(qrow[4], 3);
  EXPECT_EQ(qrow[5], 2);
  EXPECT_EQ(qrow[6], 1);
  EXPECT_THROW(q->ScanLine(2), Exception);
}

TEST(Bitmap, GrowingKeepsPixelsAndPaintsNewAreaWhite)
{
  auto b = MakeBitmap(2, 2);
  b->Canvas()->Brush()->SetColor(clBlack);
  b->Canvas()->FillRect(Rect(0, 0, 2, 2));
  b->SetSize(4, 3);
  EXPECT_EQ(b->Canvas()->GetPixel(1, 1), clBlack);
  EXPECT_EQ(b->Canvas()->GetPixel(3, 1), clWhite);
  EXPECT_EQ(b->Canvas()->GetPixel(0, 2), clWhite);
  // Drawing after the resize works on the new image.
  b->Canvas()->FillRect(Rect(3, 2, 4, 3));
  EXPECT_EQ(b->Canvas()->GetPixel(3, 2), clBlack);
}

TEST(Bitmap, IdsAreUniqueAndNeverReused)
{
  std::set<uint64_t> ids;
  for (int i = 0; i < 50; ++i) {
    TBitmap b;
    EXPECT_TRUE(ids.insert(b.Id()).second);
  }
}

TEST(Bitmap, BmpFilesAreBottomUpWindowsBitmaps)
{
  testsupport::TempDir dir;
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    auto b = MakeBitmap(3, 2, f);
    b->Canvas()->SetPixel(0, 0, clRed);    // top-left
    b->Canvas()->SetPixel(2, 1, clBlue);   // bottom-right
    std::string file = dir.file(f == pf24bit ? "a24.bmp" : "a32.bmp");
    b->SaveToFile(file);
    std::string d = testsupport::ReadAll(file);
    int bits = f == pf24bit ? 24 : 32;
    int stride = ((3 * bits + 31) / 32) * 4;
    ASSERT_EQ(d.size(), 54u + 2 * stride);
    EXPECT_EQ(d.substr(0, 2), "BM");
    auto u32 = [&](size_t at) {
      return uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 | uint32_t(uint8_t(d[at + 2])) << 16 |
             uint32_t(uint8_t(d[at + 3])) << 24;
    };
    EXPECT_EQ(u32(2), d.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);  // positive: bottom-up
    EXPECT_EQ(uint8_t(d[28]), bits);
    // The first stored row is the bottom one: its last pixel is blue (B, G, R = FF, 0, 0).
    size_t last = 54 + 2 * (bits / 8);
    EXPECT_EQ(uint8_t(d[last]), 0xFF);
    EXPECT_EQ(uint8_t(d[last + 2]), 0x00);
    // The second stored row is the top one: its first pixel is red.
    EXPECT_EQ(uint8_t(d[54 + stride + 2]), 0xFF);
    EXPECT_EQ(uint8_t(d[54 + stride]), 0x00);

    TBitmap back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.GetWidth(), 3);
    EXPECT_EQ(back.GetHeight(), 2);
    EXPECT_EQ(back.GetPixelFormat(), f);
    EXPECT_EQ(back.Canvas()->GetPixel(0, 0), clRed);
    EXPECT_EQ(back.Canvas()->GetPixel(2, 1), clBlue);
    EXPECT_EQ(back.Canvas()->GetPixel(1, 1), clWhite);
  }
  TBitmap bad;
  testsupport::WriteAll(dir.file("bad.bmp"), "BMnonsense");
  EXPECT_THROW(bad.LoadFromFile(dir.file("bad.bmp")), EInvalidGraphic);
  EXPECT_THROW(bad.LoadFromFile(dir.file("missing.bmp")), EInOutError);
  // A header that claims a huge picture over a few bytes of data is refused, not allocated.
  std::string huge = testsupport::ReadAll(dir.file("a24.bmp"));
  huge[18] = huge[19] = huge[20] = 0;
  huge[21] = 0x7F;
  testsupport::WriteAll(dir.file("huge.bmp"), huge);
  EXPECT_THROW(bad.LoadFromFile(dir.file("huge.bmp")), EInvalidGraphic);
  EXPECT_EQ(bad.GetWidth(), 0);
}

// A one-bit file is a monochrome bitmap when its two colours are black and white; other colours
// are kept, and saved and read back as they were.
TEST(Bitmap, TwoColourFilesKeepTheirColoursWhenSavedAgain)
{
  testsupport::TempDir dir;
  auto oneBit = [](uint32_t colour0, uint32_t colour1) {
    std::string d = "BM";
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) d.push_back(char(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { d.push_back(char(v)); d.push_back(char(v >> 8)); };
    put32(14 + 40 + 8 + 8);
    put32(0);
    put32(14 + 40 + 8);
    put32(40);
    put32(2);  // 2 x 2, bottom-up
    put32(2);
    put16(1);
    put16(1);
    for (uint32_t v : {0u, 8u, 3780u, 3780u, 2u, 0u}) put32(v);
    put32(colour0);
    put32(colour1);
    put32(0x40);  // bottom row: colour 0, colour 1
    put32(0x80);  // top row: colour 1, colour 0
    return d;
  };
  TBitmap two;
  two.LoadFromBytes(oneBit(0x0000FF, 0xFF0000));  // blue, red
  EXPECT_EQ(two.Canvas()->GetPixel(0, 0) & 0xFFFFFF, clRed);
  EXPECT_EQ(two.Canvas()->GetPixel(1, 0) & 0xFFFFFF, clBlue);
  two.SaveToFile(dir.file("two.bmp"));
  TBitmap back;
  back.LoadFromFile(dir.file("two.bmp"));
  EXPECT_EQ(back.Canvas()->GetPixel(0, 0) & 0xFFFFFF, clRed);
  EXPECT_EQ(back.Canvas()->GetPixel(1, 0) & 0xFFFFFF, clBlue);
  EXPECT_EQ(back.Canvas()->GetPixel(0, 1) & 0xFFFFFF, clBlue);
  // Black and white: a monochrome bitmap still.
  TBitmap mono;
  mono.LoadFromBytes(oneBit(0x000000, 0xFFFFFF));
  EXPECT_EQ(mono.GetPixelFormat(), pf1bit);
  EXPECT_EQ(mono.Canvas()->GetPixel(0, 0) & 0xFFFFFF, clWhite);
  EXPECT_EQ(mono.Canvas()->GetPixel(1, 0) & 0xFFFFFF, clBlack);
}

TEST(Shapes, RectangleExcludesRightAndBottomEdge)
{
  auto b = MakeBitmap(20, 20);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clRed);
  c->Rectangle(2, 3, 12, 10);
  Box ink = InkBox(*b);
  EXPECT_EQ(ink.left, 2);
  EXPECT_EQ(ink.top, 3);
  EXPECT_EQ(ink.right, 11);
  EXPECT_EQ(ink.bottom, 9);
  EXPECT_EQ(c->GetPixel(2, 5), clBlack);
  EXPECT_EQ(c->GetPixel(11, 5), clBlack);
  EXPECT_EQ(c->GetPixel(5, 9), clBlack);
  EXPECT_EQ(c->GetPixel(5, 5), clRed);

  // An inside-frame pen of width 3 covers three pixels inwards from the box.
  auto i = MakeBitmap(20, 20);
  i->Canvas()->Pen()->SetWidth(3);
  i->Canvas()->Pen()->SetStyle(psInsideFrame);
  i->Canvas()->Brush()->SetColor(clRed);
  i->Canvas()->Rectangle(2, 3, 12, 13);
  ink = InkBox(*i);
  EXPECT_EQ(ink.left, 2);
  EXPECT_EQ(ink.right, 11);
  EXPECT_EQ(i->Canvas()->GetPixel(4, 7), clBlack);
  EXPECT_EQ(i->Canvas()->GetPixel(5, 7), clRed);
  // A wide plain pen is centred on the outline.
  auto c3 = MakeBitmap(20, 20);
  c3->Canvas()->Pen()->SetWidth(3);
  c3->Canvas()->Rectangle(2, 3, 12, 13);
  ink = InkBox(*c3);
  EXPECT_EQ(ink.left, 1);
  EXPECT_EQ(ink.right, 12);
  EXPECT_EQ(ink.top, 2);
  EXPECT_EQ(ink.bottom, 13);
  // Without an outline the filled area ends one pixel short.
  auto n = MakeBitmap(20, 20);
  n->Canvas()->Brush()->SetColor(clRed);
  n->Canvas()->Pen()->SetStyle(psClear);
  n->Canvas()->Rectangle(2, 3, 12, 10);
  ink = InkBox(*n);
  EXPECT_EQ(ink.right, 10);
  EXPECT_EQ(ink.bottom, 8);

  // FillRect covers Left..Right-1 and ignores the pen.
  auto f = MakeBitmap(20, 20);
  f->Canvas()->Brush()->SetColor(clBlue);
  f->Canvas()->FillRect(Rect(12, 10, 2, 3));  // reversed corners are ordered
  ink = InkBox(*f);
  EXPECT_EQ(ink.left, 2);
  EXPECT_EQ(ink.right, 11);
  EXPECT_EQ(ink.top, 3);
  EXPECT_EQ(ink.bottom, 9);
}

TEST(Shapes, EllipsesAndRoundRectsStayInsideTheirBox)
{
  for (int size : {5, 6, 10, 31}) {
    auto b = MakeBitmap(40, 40);
    b->Canvas()->Ellipse(3, 4, 3 + size, 4 + size);
    Box ink = InkBox(*b);
    EXPECT_EQ(ink.left, 3) << size;
    EXPECT_EQ(ink.top, 4) << size;
    EXPECT_EQ(ink.right, 3 + size - 1) << size;
    EXPECT_EQ(ink.bottom, 4 + size - 1) << size;

    auto r = MakeBitmap(40, 40);
    r->Canvas()->RoundRect(3, 4, 3 + size, 4 + size, 4, 4);
    ink = InkBox(*r);
    EXPECT_EQ(ink.left, 3) << size;
    EXPECT_EQ(ink.right, 3 + size - 1) << size;
    EXPECT_EQ(ink.bottom, 4 + size - 1) << size;
  }
  // A wide inside-frame pen keeps to the box; a wide plain pen is centred on its edge.
  for (TPenStyle style : {psInsideFrame, psSolid}) {
    auto f = MakeBitmap(40, 40);
    f->Canvas()->Pen()->SetWidth(5);
    f->Canvas()->Pen()->SetStyle(style);
    f->Canvas()->Ellipse(10, 10, 30, 30);
    Box ink = InkBox(*f);
    int out = style == psInsideFrame ? 0 : 2;
    EXPECT_EQ(ink.left, 10 - out);
    EXPECT_EQ(ink.right, 29 + out);
    f->Canvas()->Brush()->SetColor(clRed);
    f->Canvas()->Rectangle(5, 5, 8, 8);
  }
  // The brush fills the inside.
  auto b = MakeBitmap(40, 40);
  b->Canvas()->Brush()->SetColor(clLime);
  b->Canvas()->Ellipse(0, 0, 20, 20);
  EXPECT_EQ(b->Canvas()->GetPixel(10, 10), clLime);
  EXPECT_EQ(b->Canvas()->GetPixel(1, 1), clWhite);
}

TEST(Shapes, PieRunsCounterClockwiseBetweenRadials)
{
  auto b = MakeBitmap(41, 41);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clRed);
  c->Pen()->SetStyle(psClear);
  // From the radial to the right (east) to the one upwards (north): the upper right quarter.
  c->Pie(0, 0, 41, 41, 40, 20, 20, 0);
  EXPECT_EQ(c->GetPixel(30, 10), clRed);
  EXPECT_EQ(c->GetPixel(10, 10), clWhite);
  EXPECT_EQ(c->GetPixel(30, 30), clWhite);
  EXPECT_EQ(c->GetPixel(10, 30), clWhite);
}

TEST(Lines, LineToLeavesOutTheLastPixel)
{
  auto b = MakeBitmap(20, 10);
  TCanvas* c = b->Canvas();
  c->MoveTo(0, 1);
  c->LineTo(10, 1);
  EXPECT_EQ(Row(*b, 1, 0, 11), "##########..");
  EXPECT_EQ(c->GetPenPos(), Point(10, 1));
  // A wide pen is centred on the line.
  auto w = MakeBitmap(20, 10);
  w->Canvas()->Pen()->SetWidth(3);
  w->Canvas()->MoveTo(5, 5);
  w->Canvas()->LineTo(15, 5);
  Box ink = InkBox(*w);
  EXPECT_EQ(ink.top, 4);
  EXPECT_EQ(ink.bottom, 6);
  // A wide line of no length is a dot of the pen's width.
  auto d = MakeBitmap(20, 20);
  d->Canvas()->Pen()->SetWidth(5);
  d->Canvas()->MoveTo(10, 10);
  d->Canvas()->LineTo(10, 10);
  ink = InkBox(*d);
  EXPECT_EQ(ink.left, 8);
  EXPECT_EQ(ink.right, 12);
  EXPECT_EQ(ink.top, 8);
  EXPECT_EQ(ink.bottom, 12);
}

TEST(Lines, DashPatternsAndBackgroundMode)
{
  auto b = MakeBitmap(30, 6);
  TCanvas* c = b->Canvas();
  c->Pen()->SetStyle(psDot);
  c->SetBkMode(TRANSPARENT);
  c->MoveTo(0, 0);
  c->LineTo(24, 0);
  EXPECT_EQ(Row(*b, 0, 0, 23), "###...###...###...###...");
  // Opaque background fills the gaps with the background colour.
  c->SetBkMode(OPAQUE);
  c->SetBkColor(clRed);
  c->MoveTo(0, 2);
  c->LineTo(12, 2);
  EXPECT_EQ(c->GetPixel(0, 2), clBlack);
  EXPECT_EQ(c->GetPixel(4, 2), clRed);
  // Alternate pens set every other pixel.
  c->Pen()->SetStyle(psAlternate);
  c->SetBkMode(TRANSPARENT);
  c->MoveTo(0, 4);
  c->LineTo(10, 4);
  EXPECT_EQ(Row(*b, 4, 0, 9), "#.#.#.#.#.");
  // User styles give dash and gap lengths in pixels.
  auto u = MakeBitmap(30, 2);
  u->Canvas()->Pen()->SetUserStyle({2, 4});
  u->Canvas()->Pen()->SetStyle(psUserStyle);
  u->Canvas()->SetBkMode(TRANSPARENT);
  u->Canvas()->MoveTo(0, 0);
  u->Canvas()->LineTo(14, 0);
  EXPECT_EQ(Row(*u, 0, 0, 13), "##....##....##");
}

TEST(Brushes, HatchesFollowTheDeviceGridAndBackground)
{
  auto b = MakeBitmap(16, 16);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clBlack);
  c->Brush()->SetStyle(bsFDiagonal);
  c->FillRect(Rect(0, 0, 16, 16));
  // "\": a set pixel has its lower-right neighbour set too, every 8 pixels.
  int set = 0;
  for (int x = 0; x < 8; ++x)
    if (c->GetPixel(x, 0) == clBlack) {
      ++set;
      EXPECT_EQ(c->GetPixel(x + 1, 1), clBlack);
      EXPECT_EQ(c->GetPixel(x + 8, 0), clBlack);
    }
  EXPECT_EQ(set, 1);
  // A hatch brush selects a transparent background; asking for opaque afterwards paints it.
  auto h = MakeBitmap(16, 16);
  TCanvas* hc = h->Canvas();
  hc->Brush()->SetColor(clBlue);
  hc->Brush()->SetStyle(bsHorizontal);
  EXPECT_EQ(hc->GetBkMode(), TRANSPARENT);
  hc->FillRect(Rect(0, 0, 16, 16));
  int blueRows = 0;
  for (int y = 0; y < 16; ++y) blueRows += hc->GetPixel(3, y) == clBlue;
  EXPECT_EQ(blueRows, 2);
  EXPECT_EQ(hc->GetPixel(3, 1) == clWhite || hc->GetPixel(3, 2) == clWhite, true);
  hc->SetBkMode(OPAQUE);
  hc->SetBkColor(clYellow);
  hc->FillRect(Rect(0, 0, 16, 16));
  for (int y = 0; y < 16; ++y) EXPECT_TRUE(hc->GetPixel(3, y) == clBlue || hc->GetPixel(3, y) == clYellow);
  // Changing the brush again selects its background anew.
  hc->Brush()->SetStyle(bsSolid);
  EXPECT_EQ(hc->GetBkMode(), OPAQUE);
  EXPECT_EQ(hc->GetBkColor(), clBlue);
}

TEST(Brushes, TwoColourPatternsUseTextAndBackgroundColours)
{
  TBitmap pattern;
  pattern.SetSize(8, 8);
  pattern.Canvas()->Brush()->SetColor(clBlack);
  pattern.Canvas()->FillRect(Rect(0, 0, 4, 8));  // left half black
  pattern.SetMonochrome(true);
  auto b = MakeBitmap(16, 8);
  TCanvas* c = b->Canvas();
  c->Brush()->SetBitmap(&pattern);
  c->SetTextColor(clRed);
  c->SetBkColor(clLime);
  c->FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(c->GetPixel(1, 1), clRed);
  EXPECT_EQ(c->GetPixel(5, 1), clLime);
  EXPECT_EQ(c->GetPixel(9, 3), clRed);
  EXPECT_EQ(c->GetPixel(14, 3), clLime);
  // The brush keeps its own copy: the bitmap may change or be freed after it was set.
  {
    auto gone = std::make_unique<TBitmap>();
    gone->SetSize(8, 8);
    gone->SetMonochrome(true);  // all white: background colour
    c->Brush()->SetBitmap(gone.get());
    gone->Canvas()->Brush()->SetColor(clBlack);
    gone->Canvas()->FillRect(Rect(0, 0, 8, 8));
  }
  c->FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(c->GetPixel(1, 1), clLime);
  // Setting the same bitmap again takes its new pixels.
  pattern.Canvas()->Brush()->SetColor(clBlack);
  pattern.Canvas()->FillRect(Rect(0, 0, 8, 8));
  c->Brush()->SetBitmap(&pattern);
  c->Brush()->SetBitmap(&pattern);
  c->FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(c->GetPixel(5, 1), clRed);
}

TEST(Brushes, DrawingOnAMonochromeBitmapLeavesOnlyWhiteWhite)
{
  TBitmap mono;
  mono.SetSize(16, 8);
  mono.SetMonochrome(true);
  TCanvas* c = mono.Canvas();
  c->Brush()->SetColor(clSilver);  // light, yet not white
  c->FillRect(Rect(0, 0, 4, 8));
  c->Pen()->SetColor(clYellow);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(4, 0, 8, 8);  // yellow outline, white inside
  c->SetPixel(9, 1, clRed);
  c->SetPixel(10, 1, clWhite);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clBlue);
  c->MoveTo(12, 0);
  c->LineTo(12, 8);  // white xor blue is yellow
  auto colour = MakeBitmap(2, 2);
  colour->Canvas()->SetPixel(0, 0, clAqua);
  c->Draw(14, 0, colour.get());
  EXPECT_EQ(c->GetPixel(1, 1), clBlack);
  EXPECT_EQ(c->GetPixel(4, 4), clBlack);
  EXPECT_EQ(c->GetPixel(5, 4), clWhite);
  EXPECT_EQ(c->GetPixel(9, 1), clBlack);
  EXPECT_EQ(c->GetPixel(10, 1), clWhite);
  EXPECT_EQ(c->GetPixel(12, 3), clBlack);
  EXPECT_EQ(c->GetPixel(14, 0), clBlack);
  EXPECT_EQ(c->GetPixel(15, 0), clWhite);
  // As a pattern the drawn bits take the text colour.
  auto b = MakeBitmap(16, 8);
  b->Canvas()->Brush()->SetBitmap(&mono);
  b->Canvas()->SetTextColor(clRed);
  b->Canvas()->SetBkColor(clLime);
  b->Canvas()->FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(b->Canvas()->GetPixel(1, 1), clRed);
  EXPECT_EQ(b->Canvas()->GetPixel(5, 4), clLime);
  // A colour bitmap keeps its colours.
  auto full = MakeBitmap(4, 4);
  full->Canvas()->Brush()->SetColor(clSilver);
  full->Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(full->Canvas()->GetPixel(1, 1), clSilver);
}

TEST(PenModes, AllSixteenCombinePenAndDestination)
{
  const TColor pen = RGB(0xF0, 0x0F, 0x55), dest = RGB(0xCC, 0x33, 0xAA);
  auto expect = [&](TPenMode m) -> TColor {
    uint32_t p = pen, d = dest, r = 0;
    switch (m) {
      case pmBlack: r = 0; break;
      case pmWhite: r = 0xFFFFFF; break;
      case pmNop: r = d; break;
      case pmNot: r = ~d; break;
      case pmCopy: r = p; break;
      case pmNotCopy: r = ~p; break;
      case pmMergePenNot: r = p | ~d; break;
      case pmMaskPenNot: r = p & ~d; break;
      case pmMergeNotPen: r = ~p | d; break;
      case pmMaskNotPen: r = ~p & d; break;
      case pmMerge: r = p | d; break;
      case pmNotMerge: r = ~(p | d); break;
      case pmMask: r = p & d; break;
      case pmNotMask: r = ~(p & d); break;
      case pmXor: r = p ^ d; break;
      case pmNotXor: r = ~(p ^ d); break;
    }
    return r & 0xFFFFFF;
  };
  for (int m = pmBlack; m <= pmNotXor; ++m) {
    auto b = MakeBitmap(6, 3);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(dest);
    c->FillRect(Rect(0, 0, 6, 3));
    c->Pen()->SetColor(pen);
    c->Pen()->SetMode(static_cast<TPenMode>(m));
    c->MoveTo(0, 1);
    c->LineTo(5, 1);
    EXPECT_EQ(c->GetPixel(2, 1), expect(static_cast<TPenMode>(m))) << "mode " << m;
    EXPECT_EQ(c->GetPixel(5, 1), dest) << "mode " << m;  // last pixel left out
    EXPECT_EQ(c->GetPixel(2, 0), dest) << "mode " << m;
  }
}

TEST(PenModes, XorTwiceRestoresThePicture)
{
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    auto b = MakeBitmap(30, 30, f);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clTeal);
    c->Ellipse(0, 0, 25, 25);
    c->TextOut(2, 2, "Ab");
    auto before = std::make_unique<TBitmap>();
    before->Assign(b.get());
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clYellow);
    c->Brush()->SetColor(clFuchsia);
    c->Rectangle(5, 5, 28, 20);
    EXPECT_NE(c->GetPixel(10, 10), before->Canvas()->GetPixel(10, 10));
    c->Rectangle(5, 5, 28, 20);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(c->GetPixel(x, y), before->Canvas()->GetPixel(x, y)) << x << "," << y;
  }
}

TEST(Clipping, ClipRectLimitsDrawing)
{
  auto b = MakeBitmap(20, 20);
  TCanvas* c = b->Canvas();
  c->SetClipRect(Rect(5, 5, 10, 10));
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(c->GetClipRect(), Rect(5, 5, 10, 10));
  c->ClearClip();
  Box ink = InkBox(*b);
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.right, 9);
  c->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(c->GetPixel(0, 0), clRed);
  EXPECT_EQ(c->GetClipRect(), Rect(0, 0, 20, 20));
}

TEST(Fonts, HeightAndSizeAt96PixelsPerInch)
{
  TFont f;
  f.SetSize(8);
  EXPECT_EQ(f.GetHeight(), -11);
  f.SetHeight(-13);
  EXPECT_EQ(f.GetSize(), 10);
  f.SetHeight(-16);
  EXPECT_EQ(f.GetSize(), 12);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetSize(12);  // same height
  f.SetName("Arial");
  EXPECT_EQ(changes, 1);
}

TEST(Text, CellTopLeftAndAlignmentFlags)
{
  auto b = MakeBitmap(200, 100);
  TCanvas* c = b->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-20);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  TSize ext = c->TextExtent("H");
  c->TextOut(50, 30, "H");
  Box top = InkBox(*b);
  ASSERT_FALSE(top.empty());
  EXPECT_GE(top.left, 50);
  EXPECT_GT(top.top, 30);         // internal leading above the capital
  EXPECT_LT(top.bottom, 30 + ext.cy);
  int capBottom = top.bottom, capTop = top.top;

  // Baseline alignment: the capital stands on y.
  auto bb = MakeBitmap(200, 100);
  bb->Canvas()->Font()->Assign(c->Font());
  bb->Canvas()->Brush()->SetStyle(bsClear);
  bb->Canvas()->SetTextAlign(TA_BASELINE);
  bb->Canvas()->TextOut(50, 60, "H");
  Box base = InkBox(*bb);
  EXPECT_EQ(base.bottom, 59);
  EXPECT_EQ(base.bottom - base.top, capBottom - capTop);

  // Right and centre alignment.
  auto rb = MakeBitmap(200, 100);
  rb->Canvas()->Font()->Assign(c->Font());
  rb->Canvas()->Brush()->SetStyle(bsClear);
  rb->Canvas()->SetTextAlign(TA_RIGHT | TA_BOTTOM);
  rb->Canvas()->TextOut(100, 60, "HH");
  Box right = InkBox(*rb);
  EXPECT_LE(right.right, 99);
  EXPECT_GE(right.right, 95);
  EXPECT_LT(right.bottom, 60);

  auto cb = MakeBitmap(200, 100);
  cb->Canvas()->Font()->Assign(c->Font());
  cb->Canvas()->Brush()->SetStyle(bsClear);
  cb->Canvas()->SetTextAlign(TA_CENTER);
  cb->Canvas()->TextOut(100, 10, "HHHH");
  Box centre = InkBox(*cb);
  EXPECT_NEAR((centre.left + centre.right) / 2.0, 100, 2.0);

  // Opaque text fills its whole cell with the background colour.
  auto ob = MakeBitmap(200, 100);
  TCanvas* oc = ob->Canvas();
  oc->Font()->Assign(c->Font());
  oc->Brush()->SetColor(clYellow);
  oc->TextOut(10, 10, "H");
  EXPECT_EQ(oc->GetPixel(10, 10), clYellow);
  EXPECT_EQ(oc->GetPixel(10 + ext.cx - 1, 10 + ext.cy - 1), clYellow);
  EXPECT_EQ(oc->GetPixel(10 + ext.cx, 10), clWhite);
  EXPECT_EQ(oc->GetPixel(10, 10 + ext.cy), clWhite);
}

TEST(Text, UpdateCurrentPositionAndCharacterExtra)
{
  auto b = MakeBitmap(300, 50);
  TCanvas* c = b->Canvas();
  c->Font()->SetName("Liberation Mono");
  c->Font()->SetHeight(-12);
  int w = c->TextWidth("abc");
  c->SetTextCharacterExtra(3);
  EXPECT_EQ(c->TextWidth("abc"), w + 9);
  c->SetTextAlign(TA_UPDATECP);
  c->MoveTo(10, 5);
  c->TextOut(0, 0, "abc");
  EXPECT_EQ(c->GetPenPos(), Point(10 + w + 9, 5));
}

TEST(Text, RotatedTextRunsUpwards)
{
  auto b = MakeBitmap(100, 200);
  TCanvas* c = b->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-16);
  c->Font()->SetOrientation(900);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(40, 150, "HHHHHH");
  TSize ext = c->TextExtent("HHHHHH");
  Box ink = InkBox(*b);
  ASSERT_FALSE(ink.empty());
  // Turned a quarter counter-clockwise about (40, 150): the cell lies right of x and above y.
  EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
  EXPECT_GE(ink.left, 40);
  EXPECT_LE(ink.right, 40 + ext.cy);
  EXPECT_LE(ink.bottom, 150);
  EXPECT_GE(ink.top, 150 - ext.cx - 1);
}

TEST(Images, DrawCopyRectAndTransparency)
{
  auto src = MakeBitmap(4, 4);
  src->Canvas()->Brush()->SetColor(clRed);
  src->Canvas()->FillRect(Rect(1, 1, 3, 3));
  auto dst = MakeBitmap(10, 10);
  dst->Canvas()->Brush()->SetColor(clBlue);
  dst->Canvas()->FillRect(Rect(0, 0, 10, 10));
  dst->Canvas()->Draw(2, 2, src.get());
  EXPECT_EQ(dst->Canvas()->GetPixel(2, 2), clWhite);
  EXPECT_EQ(dst->Canvas()->GetPixel(3, 3), clRed);
  EXPECT_EQ(dst->Canvas()->GetPixel(6, 6), clBlue);
  // Transparent: the bottom-left colour (white) lets the destination show.
  src->SetTransparent(true);
  dst->Canvas()->Draw(6, 6, src.get());
  EXPECT_EQ(dst->Canvas()->GetPixel(6, 6), clBlue);
  EXPECT_EQ(dst->Canvas()->GetPixel(7, 7), clRed);
  // Stretched copy with a raster operation: xor twice restores.
  src->SetTransparent(false);
  dst->Canvas()->SetCopyMode(cmSrcInvert);
  dst->Canvas()->CopyRect(Rect(0, 0, 8, 8), src->Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dst->Canvas()->GetPixel(2, 2), clWhite ^ clRed);  // source pixel (1, 1) stretched
  EXPECT_EQ(dst->Canvas()->GetPixel(0, 0), clBlue ^ clWhite);
  dst->Canvas()->CopyRect(Rect(0, 0, 8, 8), src->Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dst->Canvas()->GetPixel(0, 0), clBlue);
  EXPECT_EQ(dst->Canvas()->GetPixel(7, 7), clRed);
}

TEST(Pictures, LoadByExtensionAndCopyOnAssign)
{
  testsupport::TempDir dir;
  auto b = MakeBitmap(3, 3);
  b->Canvas()->SetPixel(1, 1, clRed);
  b->SaveToFile(dir.file("p.bmp"));
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile(dir.file("p.bmp"));
  EXPECT_GE(changes, 1);
  ASSERT_NE(dynamic_cast<TBitmap*>(pic.GetGraphic()), nullptr);
  TPicture copy;
  copy.Assign(&pic);
  copy.Bitmap()->Canvas()->SetPixel(1, 1, clBlue);
  EXPECT_EQ(pic.Bitmap()->Canvas()->GetPixel(1, 1), clRed);  // a deep copy
  // Changing the held graphic tells the picture.
  int before = changes;
  pic.Bitmap()->SetSize(5, 5);
  EXPECT_GT(changes, before);

  TMetafile meta;
  meta.SetSize(10, 10);
  {
    TMetafileCanvas mc(&meta);
    mc.Rectangle(0, 0, 5, 5);
  }
  meta.SaveToFile(dir.file("m.EMF"));
  TPicture mp;
  mp.LoadFromFile(dir.file("m.EMF"));
  EXPECT_NE(dynamic_cast<TMetafile*>(mp.GetGraphic()), nullptr);
  TPicture mcopy;
  mcopy.Assign(&mp);
  EXPECT_NE(dynamic_cast<TMetafile*>(mcopy.GetGraphic()), nullptr);
  EXPECT_EQ(mcopy.GetWidth(), mp.GetWidth());
  // Asking for the bitmap of a metafile picture replaces it by an empty bitmap.
  EXPECT_EQ(mcopy.Bitmap()->GetWidth(), 0);
}

namespace {
std::string Pixels(TGraphic& g)
{
  auto b = MakeBitmap(g.GetWidth(), g.GetHeight());
  b->Canvas()->StretchDraw(Rect(0, 0, g.GetWidth(), g.GetHeight()), &g);
  std::string s;
  for (int y = 0; y < b->GetHeight(); ++y)
    for (int x = 0; x < b->GetWidth(); ++x) s += std::to_string(b->Canvas()->GetPixel(x, y)) + ',';
  return s;
}
}  // namespace

TEST(Pictures, PlaceableMetafileSavedAndLoadedBack)
{
  testsupport::TempDir dir;
  TFormatMetafile meta;
  meta.SetSize(120, 80);
  auto image = MakeBitmap(4, 3);
  image->Canvas()->SetPixel(1, 1, clRed);
  {
    TMetafileCanvas mc(&meta);
    mc.Brush()->SetColor(clYellow);
    mc.Rectangle(10, 10, 50, 40);
    mc.Pen()->SetColor(clBlue);
    mc.Pen()->SetWidth(2);
    mc.MoveTo(5, 70);
    mc.LineTo(100, 45);
    mc.Brush()->SetStyle(bsDiagCross);
    mc.Ellipse(60, 5, 110, 40);
    mc.Pie(70, 40, 110, 78, 110, 60, 90, 40);
    mc.Pen()->SetStyle(psClear);
    mc.Brush()->SetColor(clLime);
    mc.Polygon({{2, 50}, {30, 45}, {20, 75}});
    mc.SetPixel(118, 1, clFuchsia);
    mc.StretchDraw(Rect(100, 60, 116, 72), image.get());
    mc.SetClipRect(Rect(0, 0, 60, 80));
    mc.Pen()->SetStyle(psSolid);
    mc.RoundRect(40, 50, 80, 78, 10, 10);
    mc.ClearClip();
    mc.Font()->SetColor(clMaroon);
    mc.Font()->SetStyle(fsBold);
    mc.TextOut(62, 2, "Wm");
  }
  meta.SetEnhanced(false);
  meta.SaveToFile(dir.file("m.wmf"));
  const std::string bytes = testsupport::ReadAll(dir.file("m.wmf"));
  ASSERT_TRUE(IsPlaceableMetafile(bytes));

  TPicture pic;
  pic.LoadFromFile(dir.file("m.wmf"));
  auto* loaded = dynamic_cast<TFormatMetafile*>(pic.GetGraphic());
  ASSERT_NE(loaded, nullptr);
  EXPECT_FALSE(loaded->GetEnhanced());
  EXPECT_EQ(pic.GetWidth(), 120);
  EXPECT_EQ(pic.GetHeight(), 80);
  const std::string drawn = Pixels(*loaded);
  EXPECT_EQ(drawn, Pixels(meta));
  EXPECT_NE(drawn.find(",128,"), std::string::npos);  // the maroon text came through
  EXPECT_NE(drawn.find(",255,"), std::string::npos);  // and the red pixel of the image
  // Saved again it stays a placeable metafile, and a copy keeps the format.
  pic.SaveToFile(dir.file("again.wmf"));
  EXPECT_TRUE(IsPlaceableMetafile(testsupport::ReadAll(dir.file("again.wmf"))));
  TPicture copy;
  copy.Assign(&pic);
  auto* copied = dynamic_cast<TFormatMetafile*>(copy.GetGraphic());
  ASSERT_NE(copied, nullptr);
  EXPECT_FALSE(copied->GetEnhanced());

  // An enhanced metafile named .wmf still loads; damaged placeable ones are refused.
  meta.SetEnhanced(true);
  meta.SaveToFile(dir.file("e.wmf"));
  TPicture enhanced;
  enhanced.LoadFromFile(dir.file("e.wmf"));
  EXPECT_EQ(Pixels(*enhanced.GetGraphic()), Pixels(meta));
  for (size_t cut : {size_t{10}, size_t{30}, bytes.size() / 2}) {
    testsupport::WriteAll(dir.file("cut.wmf"), bytes.substr(0, cut));
    TPicture bad;
    EXPECT_THROW(bad.LoadFromFile(dir.file("cut.wmf")), EInvalidGraphic) << cut;
  }
  std::string huge = bytes;
  huge[22 + 18] = '\xFF';  // first record claims more words than the file has
  huge[22 + 19] = '\xFF';
  testsupport::WriteAll(dir.file("huge.wmf"), huge);
  TPicture bad;
  EXPECT_THROW(bad.LoadFromFile(dir.file("huge.wmf")), EInvalidGraphic);
}

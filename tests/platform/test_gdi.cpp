#include <gtest/gtest.h>

#include "platform/Gdi.h"

namespace {
std::unique_ptr<TBitmap> MakeBitmap(int w, int h, TColor fill = clWhite)
{
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  if (fill != clWhite) {
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
  }
  return b;
}

int Count(TBitmap& b, TColor c)
{
  int n = 0;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) n += b.Canvas()->GetPixel(x, y) == c;
  return n;
}

std::string Row(TBitmap& b, int y, int x0, int x1)
{
  std::string s;
  for (int x = x0; x <= x1; ++x) s += b.Canvas()->GetPixel(x, y) == clWhite ? '.' : '#';
  return s;
}
}  // namespace

TEST(Regions, ShapesAndCombinations)
{
  TRegion r = CreateRectRgn(0, 0, 10, 10);
  EXPECT_TRUE(PtInRegion(r, 9, 9));
  EXPECT_FALSE(PtInRegion(r, 10, 9));
  EXPECT_EQ(r.Kind(), SIMPLEREGION);
  TRegion e = CreateEllipticRgn(0, 0, 20, 20);
  EXPECT_TRUE(e.Contains(10, 10));
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_EQ(e.Bounds(), Rect(0, 0, 20, 20));
  TRegion out;
  EXPECT_EQ(CombineRgn(out, r, CreateRectRgn(5, 5, 15, 15), RGN_AND), SIMPLEREGION);
  EXPECT_EQ(out.Bounds(), Rect(5, 5, 10, 10));
  EXPECT_EQ(CombineRgn(out, r, CreateRectRgn(5, 5, 15, 15), RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(out.Contains(7, 7));
  EXPECT_TRUE(out.Contains(12, 12));
  EXPECT_EQ(CombineRgn(out, r, r, RGN_DIFF), NULLREGION);
  TPoint tri[] = {{0, 0}, {20, 0}, {0, 20}};
  TRegion t = CreatePolygonRgn(tri, 3, ALTERNATE);
  EXPECT_TRUE(t.Contains(2, 2));
  EXPECT_FALSE(t.Contains(18, 18));
  TRegion rr = CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  EXPECT_FALSE(rr.Contains(0, 0));
  EXPECT_TRUE(rr.Contains(10, 0));
  // Shapes far larger than any surface still make regions.
  TPoint big[] = {{-2000000, -2000000}, {3000000, -2000000}, {0, 3000000}};
  TRegion huge = CreatePolygonRgn(big, 3, ALTERNATE);
  EXPECT_TRUE(huge.Contains(0, 0));
  EXPECT_FALSE(huge.Contains(2900000, 2900000));
  EXPECT_TRUE(CreateEllipticRgn(-100000, -100000, 100000, 100000).Contains(0, 0));
  // Copies are independent.
  TRegion copy = r;
  OffsetRgn(copy, 100, 0);
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_TRUE(copy.Contains(100, 0));
}

TEST(Regions, ClipRegionsSelectCombineAndRestore)
{
  auto b = MakeBitmap(30, 30);
  HDC dc = b->Canvas();
  TRegion saved;
  EXPECT_EQ(GetClipRgn(dc, saved), 0);
  TRegion first = CreateRectRgn(0, 0, 20, 20);
  ExtSelectClipRgn(dc, &first, RGN_AND);
  EXPECT_EQ(GetClipRgn(dc, saved), 1);
  TRegion second = CreateEllipticRgn(0, 0, 30, 30);
  ExtSelectClipRgn(dc, &second, RGN_AND);
  dc->Brush()->SetColor(clRed);
  dc->FillRect(Rect(0, 0, 30, 30));
  SelectClipRgn(dc, &saved);  // back to the first clip
  EXPECT_EQ(GetPixel(dc, 0, 0), clWhite);
  EXPECT_EQ(GetPixel(dc, 10, 10), clRed);
  EXPECT_EQ(GetPixel(dc, 25, 25), CLR_INVALID);  // outside the clip
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 25, 25), clWhite);
  // An inverted ellipse: xor with the whole surface clips it out.
  TRegion hole = CreateEllipticRgn(5, 5, 25, 25);
  ExtSelectClipRgn(dc, &hole, RGN_XOR);
  dc->Brush()->SetColor(clBlue);
  dc->FillRect(Rect(0, 0, 30, 30));
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 15, 15), clRed);
  EXPECT_EQ(GetPixel(dc, 29, 29), clBlue);
  TRect box;
  IntersectClipRect(dc, 2, 3, 8, 9);
  EXPECT_EQ(GetClipBox(dc, box), SIMPLEREGION);
  EXPECT_EQ(box, Rect(2, 3, 8, 9));
}

TEST(Paths, RecordedFiguresDrawOnlyWhenAsked)
{
  auto b = MakeBitmap(40, 40);
  HDC dc = b->Canvas();
  dc->Brush()->SetColor(clRed);
  EXPECT_TRUE(BeginPath(dc));
  dc->Rectangle(5, 5, 25, 25);
  EXPECT_TRUE(EndPath(dc));
  EXPECT_EQ(Count(*b, clWhite), 40 * 40);  // nothing drawn yet
  EXPECT_TRUE(FillPath(dc));
  EXPECT_EQ(GetPixel(dc, 15, 15), clRed);
  EXPECT_EQ(GetPixel(dc, 30, 30), clWhite);
  EXPECT_FALSE(FillPath(dc));  // used up

  // Text outlines as a clip path.
  auto t = MakeBitmap(120, 40);
  HDC tc = t->Canvas();
  tc->Font()->SetName("Arial");
  tc->Font()->SetHeight(-30);
  SetBkMode(tc, TRANSPARENT);
  BeginPath(tc);
  TextOut(tc, 5, 2, "HI");
  EndPath(tc);
  EXPECT_EQ(Count(*t, clWhite), 120 * 40);
  EXPECT_TRUE(SelectClipPath(tc, RGN_AND));
  tc->Brush()->SetColor(clBlue);
  tc->FillRect(Rect(0, 0, 120, 40));
  SelectClipRgn(tc, nullptr);
  int blue = Count(*t, clBlue);
  EXPECT_GT(blue, 100);
  EXPECT_LT(blue, 120 * 40 / 3);

  // Widening keeps only the band along the outline.
  auto w = MakeBitmap(40, 40);
  HDC wc = w->Canvas();
  wc->Pen()->SetWidth(4);
  BeginPath(wc);
  wc->Rectangle(5, 5, 35, 35);
  EndPath(wc);
  EXPECT_TRUE(WidenPath(wc));
  wc->Brush()->SetColor(clLime);
  FillPath(wc);
  EXPECT_EQ(GetPixel(wc, 5, 20), clLime);
  EXPECT_EQ(GetPixel(wc, 20, 20), clWhite);
}

TEST(Paths, DonutFigureWithArcDirections)
{
  auto b = MakeBitmap(60, 60);
  HDC dc = b->Canvas();
  dc->Brush()->SetColor(clRed);
  dc->Pen()->SetStyle(psClear);
  // Upper half ring: outer arc counter-clockwise from east to west, inner one back clockwise.
  BeginPath(dc);
  MoveToEx(dc, 50, 30, nullptr);
  ArcTo(dc, 10, 10, 51, 51, 50, 30, 10, 30);
  LineTo(dc, 20, 30);
  SetArcDirection(dc, AD_CLOCKWISE);
  ArcTo(dc, 20, 20, 41, 41, 20, 30, 40, 30);
  SetArcDirection(dc, AD_COUNTERCLOCKWISE);
  LineTo(dc, 50, 30);
  EndPath(dc);
  StrokeAndFillPath(dc);
  EXPECT_EQ(GetPixel(dc, 30, 15), clRed);    // in the ring, above
  EXPECT_EQ(GetPixel(dc, 30, 27), clWhite);  // the hole
  EXPECT_EQ(GetPixel(dc, 30, 45), clWhite);  // lower half untouched
}

// Pixels of b that are not white, row by row.
std::string Marked(TBitmap& b)
{
  std::string s;
  for (int y = 0; y < b.GetHeight(); ++y) s += Row(b, y, 0, b.GetWidth() - 1);
  return s;
}

TEST(Paths, ArcsInPathsTraceTheCurveOfDirectArcs)
{
  for (int width : {1, 3}) {
    SCOPED_TRACE(width);
    // Arc and ArcTo on one box and radials; the pen starts where the arc does (the box's right
    // edge at its middle row), so the line to the arc's start adds nothing.
    for (bool whole : {false, true}) {
      SCOPED_TRACE(whole);
      const int32_t endX = whole ? 171 : 100, endY = whole ? 100 : 50;
      auto direct = MakeBitmap(200, 200);
      direct->Canvas()->Pen()->SetWidth(width);
      direct->Canvas()->Arc(30, 50, 171, 151, 171, 100, endX, endY);
      auto viaPath = MakeBitmap(200, 200);
      HDC dc = viaPath->Canvas();
      dc->Pen()->SetWidth(width);
      MoveToEx(dc, 170, 100, nullptr);
      BeginPath(dc);
      ArcTo(dc, 30, 50, 171, 151, 171, 100, endX, endY);
      EndPath(dc);
      ASSERT_TRUE(StrokePath(dc));
      EXPECT_EQ(Marked(*viaPath), Marked(*direct));
      EXPECT_EQ(dc->GetPenPos(), whole ? (TPoint{170, 100}) : (TPoint{100, 50}));
      // Drawn straight away, outside a path.
      auto drawn = MakeBitmap(200, 200);
      drawn->Canvas()->Pen()->SetWidth(width);
      MoveToEx(drawn->Canvas(), 170, 100, nullptr);
      ArcTo(drawn->Canvas(), 30, 50, 171, 151, 171, 100, endX, endY);
      EXPECT_EQ(Marked(*drawn), Marked(*direct));
    }

    // An ellipse recorded in a path and stroked is the ellipse Ellipse draws.
    auto ellipse = MakeBitmap(200, 200);
    ellipse->Canvas()->Pen()->SetWidth(width);
    ellipse->Canvas()->Brush()->SetStyle(bsClear);
    ellipse->Canvas()->Ellipse(30, 50, 170, 150);
    auto recorded = MakeBitmap(200, 200);
    HDC rc = recorded->Canvas();
    rc->Pen()->SetWidth(width);
    BeginPath(rc);
    rc->Ellipse(30, 50, 170, 150);
    EndPath(rc);
    StrokePath(rc);
    EXPECT_EQ(Marked(*recorded), Marked(*ellipse));
  }
  // The box of the report: ArcTo reaches the bottom row 149 and the right column 169, as Arc does.
  auto b = MakeBitmap(200, 200);
  HDC dc = b->Canvas();
  MoveToEx(dc, 169, 100, nullptr);
  BeginPath(dc);
  ArcTo(dc, 30, 50, 170, 150, 170, 100, 170, 100);
  EndPath(dc);
  StrokePath(dc);
  EXPECT_EQ(Row(*b, 149, 95, 105), "###########");
  EXPECT_EQ(Row(*b, 150, 30, 170).find('#'), std::string::npos);
  EXPECT_EQ(GetPixel(dc, 169, 100), clBlack);
  EXPECT_EQ(GetPixel(dc, 170, 100), clWhite);
}

TEST(Pens, ExtendedPensValidateAndDash)
{
  TPen pen;
  TLogBrush lb{BS_SOLID, clRed, 0};
  EXPECT_FALSE(ExtCreatePen(&pen, PS_COSMETIC | PS_SOLID, 2, lb));
  EXPECT_FALSE(ExtCreatePen(&pen, PS_GEOMETRIC | PS_ALTERNATE, 1, lb));
  EXPECT_FALSE(ExtCreatePen(&pen, PS_GEOMETRIC | PS_USERSTYLE, 1, lb));
  EXPECT_EQ(pen.GetColor(), clBlack);  // unchanged by refusals

  // Small dots: one pixel on, Space + 1 off.
  auto b = MakeBitmap(30, 4);
  HDC dc = b->Canvas();
  uint32_t dashes[] = {1, 3};
  ASSERT_TRUE(ExtCreatePen(dc->Pen(), PS_GEOMETRIC | PS_USERSTYLE, 1, lb, 2, dashes));
  SetBkMode(dc, TRANSPARENT);
  dc->MoveTo(0, 1);
  dc->LineTo(12, 1);
  EXPECT_EQ(Row(*b, 1, 0, 11), "#...#...#...");
  EXPECT_EQ(GetPixel(dc, 0, 1), clRed);
  ASSERT_TRUE(ExtCreatePen(dc->Pen(), PS_COSMETIC | PS_ALTERNATE, 1, lb));
  dc->MoveTo(0, 3);
  dc->LineTo(8, 3);
  EXPECT_EQ(Row(*b, 3, 0, 7), "#.#.#.#.");

  // Geometric caps: a flat cap stops at the end points, a square cap passes them by half the width.
  auto g = MakeBitmap(40, 20);
  HDC gc = g->Canvas();
  ASSERT_TRUE(ExtCreatePen(gc->Pen(), PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 6, lb));
  gc->MoveTo(10, 5);
  gc->LineTo(30, 5);
  EXPECT_EQ(GetPixel(gc, 8, 5), clWhite);
  EXPECT_EQ(GetPixel(gc, 12, 5), clRed);
  ASSERT_TRUE(ExtCreatePen(gc->Pen(), PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_BEVEL, 6, lb));
  gc->MoveTo(10, 14);
  gc->LineTo(30, 14);
  EXPECT_EQ(GetPixel(gc, 8, 14), clRed);
}

TEST(DeviceContext, ExplicitSettingsWinUntilTheNextChange)
{
  auto b = MakeBitmap(8, 8);
  HDC dc = b->Canvas();
  dc->Brush()->SetStyle(bsCross);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  SetBkColor(dc, clRed);
  dc->FillRect(Rect(0, 0, 8, 8));  // drawing does not undo the explicit setting
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetBkColor(dc), clRed);
  dc->Font()->SetColor(clBlue);
  EXPECT_EQ(GetTextColor(dc), clBlue);
  SetTextColor(dc, clLime);
  EXPECT_EQ(GetTextColor(dc), clLime);
  dc->Pen()->SetMode(pmXor);
  EXPECT_EQ(GetROP2(dc), R2_XORPEN);
  EXPECT_EQ(SetROP2(dc, R2_MASKPEN), R2_XORPEN);
  EXPECT_EQ(dc->Pen()->GetMode(), pmXor);
  // The DC brush colour changes the fill, not the background.
  SetDCBrushColor(dc, clYellow);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetBkColor(dc), clRed);
  EXPECT_EQ(dc->Brush()->GetStyle(), bsSolid);
  EXPECT_EQ(SetTextAlign(dc, TA_RIGHT | TA_BASELINE), TA_LEFT | TA_TOP);
  EXPECT_EQ(GetTextAlign(dc), TA_RIGHT | TA_BASELINE);
}

TEST(DeviceContext, RasterOperationHoldsUntilThePenIsSelectedAgain)
{
  auto b = MakeBitmap(10, 10, clYellow);
  HDC dc = b->Canvas();
  dc->Pen()->SetColor(clBlue);
  auto line = [&](int y) {
    dc->MoveTo(0, y);
    dc->LineTo(10, y);
    return GetPixel(dc, 5, y);
  };
  // Mask with the pen: yellow and blue leave black.
  SetROP2(dc, R2_MASKPEN);
  EXPECT_EQ(line(0), clBlack);
  EXPECT_EQ(line(1), clBlack);  // drawing does not end it
  // The DC pen colour is no new pen.
  SetDCPenColor(dc, clLime);
  EXPECT_EQ(GetROP2(dc), R2_MASKPEN);
  EXPECT_EQ(line(2), clLime);  // yellow masked with lime
  // Any change of the pen selects it anew with its own mode.
  dc->Pen()->SetColor(clRed);
  EXPECT_EQ(line(3), clRed);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  SetROP2(dc, R2_MASKPEN);
  TPen same;
  same.Assign(dc->Pen());
  dc->Pen()->Assign(&same);  // assigning the very same pen is a selection too
  EXPECT_EQ(line(4), clRed);
  SetROP2(dc, R2_WHITE);
  dc->Pen()->SetMode(pmXor);
  EXPECT_EQ(line(5), clLime);  // red xor yellow
  // The raster operation set after the change wins until the next one.
  dc->Pen()->SetColor(clNavy);
  SetROP2(dc, R2_BLACK);
  EXPECT_EQ(line(6), clBlack);
  EXPECT_EQ(dc->Pen()->GetMode(), pmXor);
}

TEST(Blocks, PatternSourceAndDestinationOperations)
{
  auto b = MakeBitmap(10, 10, clNavy);
  HDC dc = b->Canvas();
  SetDCBrushColor(dc, clYellow);
  EXPECT_TRUE(PatBlt(dc, 2, 2, 4, 4, PATCOPY));
  EXPECT_EQ(GetPixel(dc, 2, 2), clYellow);
  EXPECT_EQ(GetPixel(dc, 5, 5), clYellow);
  EXPECT_EQ(GetPixel(dc, 6, 6), clNavy);
  PatBlt(dc, 0, 0, 10, 10, PATINVERT);
  PatBlt(dc, 0, 0, 10, 10, PATINVERT);
  EXPECT_EQ(GetPixel(dc, 2, 2), clYellow);
  EXPECT_EQ(GetPixel(dc, 8, 8), clNavy);
  PatBlt(dc, 0, 0, 1, 1, DSTINVERT);
  EXPECT_EQ(GetPixel(dc, 0, 0), clNavy ^ 0xFFFFFF);
  PatBlt(dc, 0, 0, 1, 1, BLACKNESS);
  EXPECT_EQ(GetPixel(dc, 0, 0), clBlack);

  auto src = MakeBitmap(4, 2);
  src->Canvas()->SetPixel(0, 0, clRed);
  src->Canvas()->SetPixel(3, 1, clBlue);
  auto d = MakeBitmap(10, 10, clGray);
  EXPECT_TRUE(BitBlt(d->Canvas(), 1, 1, 4, 2, src->Canvas(), 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(d->Canvas(), 1, 1), clRed);
  EXPECT_EQ(GetPixel(d->Canvas(), 4, 2), clBlue);
  EXPECT_EQ(GetPixel(d->Canvas(), 0, 0), clGray);
  BitBlt(d->Canvas(), 1, 1, 4, 2, src->Canvas(), 0, 0, SRCAND);
  EXPECT_EQ(GetPixel(d->Canvas(), 1, 1), clRed);
  EXPECT_EQ(GetPixel(d->Canvas(), 2, 1), clWhite);  // white & white
  // Mirrored stretch: negative destination width flips left and right.
  auto m = MakeBitmap(8, 4);
  EXPECT_TRUE(StretchBlt(m->Canvas(), 8, 0, -8, 4, src->Canvas(), 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(GetPixel(m->Canvas(), 7, 0), clRed);
  EXPECT_EQ(GetPixel(m->Canvas(), 6, 1), clRed);
  EXPECT_EQ(GetPixel(m->Canvas(), 0, 3), clBlue);
  // Copies keep to the clip region.
  auto k = MakeBitmap(10, 10, clGray);
  IntersectClipRect(k->Canvas(), 0, 0, 2, 10);
  BitBlt(k->Canvas(), 0, 0, 4, 2, src->Canvas(), 0, 0, SRCCOPY);
  SetDCBrushColor(k->Canvas(), clRed);
  PatBlt(k->Canvas(), 0, 5, 10, 2, PATCOPY);
  SelectClipRgn(k->Canvas(), nullptr);
  EXPECT_EQ(GetPixel(k->Canvas(), 0, 0), clRed);
  EXPECT_EQ(GetPixel(k->Canvas(), 1, 0), clWhite);
  EXPECT_EQ(GetPixel(k->Canvas(), 2, 0), clGray);
  EXPECT_EQ(GetPixel(k->Canvas(), 1, 5), clRed);
  EXPECT_EQ(GetPixel(k->Canvas(), 2, 5), clGray);
  // A block moved within one surface reads the pixels as they were.
  auto s = MakeBitmap(6, 1);
  s->Canvas()->SetPixel(0, 0, clRed);
  BitBlt(s->Canvas(), 1, 0, 5, 1, s->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(s->Canvas(), 1, 0), clRed);
  EXPECT_EQ(GetPixel(s->Canvas(), 2, 0), clWhite);
}

TEST(Blocks, ConstantAlphaBlend)
{
  auto src = MakeBitmap(4, 4, clBlack);
  auto d = MakeBitmap(4, 4, RGB(200, 100, 0));
  TBlendFunction f;
  f.SourceConstantAlpha = 0;
  EXPECT_TRUE(AlphaBlend(d->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, 4, 4, f));
  EXPECT_EQ(GetPixel(d->Canvas(), 1, 1), RGB(200, 100, 0));
  f.SourceConstantAlpha = 128;
  AlphaBlend(d->Canvas(), 0, 0, 2, 2, src->Canvas(), 0, 0, 2, 2, f);
  EXPECT_EQ(GetPixel(d->Canvas(), 1, 1), RGB(100, 50, 0));
  EXPECT_EQ(GetPixel(d->Canvas(), 3, 3), RGB(200, 100, 0));
  f.SourceConstantAlpha = 255;
  AlphaBlend(d->Canvas(), 0, 0, 4, 4, src->Canvas(), 0, 0, 4, 4, f);
  EXPECT_EQ(GetPixel(d->Canvas(), 3, 3), clBlack);
  EXPECT_FALSE(AlphaBlend(d->Canvas(), 0, 0, 4, 4, src->Canvas(), 2, 2, 4, 4, f));  // source out of range
}

TEST(Text, MetricsMatchTheFontHeightRules)
{
  auto b = MakeBitmap(10, 10);
  HDC dc = b->Canvas();
  dc->Font()->SetName("Arial");
  dc->Font()->SetHeight(-20);
  TTextMetric tm;
  ASSERT_TRUE(GetTextMetrics(dc, tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);  // negative height: character height
  EXPECT_GT(tm.tmAveCharWidth, 5);
  EXPECT_LT(tm.tmAveCharWidth, 15);
  dc->Font()->SetHeight(24);  // positive height: cell height
  GetTextMetrics(dc, tm);
  EXPECT_LE(tm.tmHeight, 24);
  EXPECT_GE(tm.tmHeight, 22);
  TSize s;
  GetTextExtentPoint32(dc, "Hello", s);
  EXPECT_EQ(s.cy, tm.tmHeight);
  SetTextCharacterExtra(dc, 2);
  TSize s2;
  GetTextExtentPoint32(dc, "Hello", s2);
  EXPECT_EQ(s2.cx, s.cx + 10);
}

TEST(Text, DrawTextMeasuresWrapsAndAligns)
{
  auto b = MakeBitmap(300, 100);
  HDC dc = b->Canvas();
  dc->Font()->SetName("Arial");
  dc->Font()->SetHeight(-12);
  TTextMetric tm;
  GetTextMetrics(dc, tm);
  TRect r = Rect(10, 10, 10, 10);
  int h = DrawText(dc, "Save &As", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h, tm.tmHeight);
  EXPECT_EQ(r.Right - r.Left, dc->TextWidth("Save As"));
  r = Rect(0, 0, 0, 0);
  DrawText(dc, "one\ntwo", r, DT_CALCRECT);
  EXPECT_EQ(r.Bottom, 2 * tm.tmHeight);
  r = Rect(0, 0, dc->TextWidth("alpha beta") + 2, 0);
  DrawText(dc, "alpha beta gamma", r, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(r.Bottom, 2 * tm.tmHeight);
  r = Rect(0, 0, 0, 0);
  DrawText(dc, "a&&b", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Right, dc->TextWidth("a&b"));

  // Centred in both directions, and clipped to the rectangle.
  SetBkMode(dc, TRANSPARENT);
  TRect box = Rect(100, 20, 200, 80);
  DrawText(dc, "MMM", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  int minx = 1000, maxx = -1, miny = 1000, maxy = -1;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x)
      if (GetPixel(dc, x, y) != clWhite) {
        minx = std::min(minx, x);
        maxx = std::max(maxx, x);
        miny = std::min(miny, y);
        maxy = std::max(maxy, y);
      }
  EXPECT_NEAR((minx + maxx) / 2.0, 150, 2);
  EXPECT_NEAR((miny + maxy) / 2.0, 50, 4);
  TRegion clip;
  EXPECT_EQ(GetClipRgn(dc, clip), 0);  // clip put back
  // The character after '&' is underlined just below the baseline; "&&" shows one '&'.
  auto u = MakeBitmap(100, 40);
  HDC uc = u->Canvas();
  uc->Font()->Assign(dc->Font());
  TRect ur = Rect(0, 0, 100, 40);
  DrawText(uc, "&Wx", ur, DT_SINGLELINE | DT_NOCLIP);
  int wWidth = uc->TextWidth("W");
  int underlined = 0;
  for (int x = 0; x < 100; ++x) underlined += GetPixel(uc, x, tm.tmAscent + 1) != clWhite;
  EXPECT_GE(underlined, wWidth - 1);
  EXPECT_EQ(GetPixel(uc, wWidth + 2, tm.tmAscent + 1), clWhite);
  auto nu = MakeBitmap(100, 40);
  nu->Canvas()->Font()->Assign(dc->Font());
  DrawText(nu->Canvas(), "&Wx", ur, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(nu->Canvas()->TextWidth("&Wx"), wWidth);
  auto c = MakeBitmap(100, 40);
  c->Canvas()->Font()->Assign(dc->Font());
  TRect narrow = Rect(0, 0, 10, 40);
  DrawText(c->Canvas(), "MMMMMMMM", narrow, DT_LEFT);
  for (int y = 0; y < 40; ++y) EXPECT_EQ(GetPixel(c->Canvas(), 10, y), clWhite);
}

TEST(Mapping, AnisotropicScalesDrawingAndPoints)
{
  auto b = MakeBitmap(40, 40);
  HDC dc = b->Canvas();
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 10, 10, nullptr);
  SetViewportExtEx(dc, 20, 20, nullptr);
  SetViewportOrgEx(dc, 5, 5, nullptr);
  TPoint p[] = {{10, 10}};
  LPtoDP(dc, p, 1);
  EXPECT_EQ(p[0], Point(25, 25));
  DPtoLP(dc, p, 1);
  EXPECT_EQ(p[0], Point(10, 10));
  dc->Brush()->SetColor(clRed);
  dc->FillRect(Rect(0, 0, 5, 5));
  auto device = [&](int x, int y) {  // device pixel as TColor
    const uint8_t* row = b->ScanLine(y);
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  };
  EXPECT_EQ(device(5, 5), clRed);
  EXPECT_EQ(device(14, 14), clRed);
  EXPECT_EQ(device(15, 15), clWhite);
  EXPECT_EQ(device(4, 4), clWhite);
  EXPECT_EQ(GetPixel(dc, 4, 4), clRed);                     // logical coordinates
  SetMapMode(dc, MM_TEXT);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  EXPECT_EQ(GetPixel(dc, 4, 4), clWhite);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 40);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
}

TEST(Hostile, HugeNegativeAndEmptySizesNeitherCrashNorAllocate)
{
  constexpr int32_t kMax = 0x7FFFFFFF, kMin = -0x7FFFFFFF - 1;
  auto b = MakeBitmap(20, 20);
  HDC dc = b->Canvas();
  dc->Brush()->SetColor(clRed);
  dc->Rectangle(kMin, kMin, kMax, kMax);
  dc->Ellipse(-100000000, -100000000, 100000000, 100000000);
  dc->RoundRect(kMin, 0, kMax, 10, kMax, kMin);
  dc->Arc(5, 5, 5, 5, 0, 0, 0, 0);
  dc->Pie(kMin, kMin, kMax, kMax, 0, 0, 1, 1);
  dc->MoveTo(kMin, kMin);
  dc->LineTo(kMax, kMax);
  dc->Polygon({});
  dc->Polygon({{1, 1}});
  dc->Polyline({});
  dc->PolyBezier({{1, 1}, {2, 2}});
  dc->FillRect(Rect(kMin, kMin, kMax, kMax));
  EXPECT_EQ(Count(*b, clRed), 20 * 20);  // a huge block still covers the whole surface
  dc->Brush()->SetColor(clBlue);
  dc->Pen()->SetStyle(psClear);
  dc->Rectangle(kMin, kMin, kMax, kMax);
  EXPECT_EQ(Count(*b, clBlue), 20 * 20);
  dc->Pen()->SetStyle(psSolid);
  dc->FrameRect(Rect(kMax, kMax, kMin, kMin));
  dc->TextRect(Rect(kMin, kMin, kMax, kMax), 0, 0, "x");
  dc->SetClipRect(Rect(kMin, kMin, kMax, kMax));
  dc->ClearClip();
  dc->Brush()->SetColor(clWhite);
  EXPECT_TRUE(PatBlt(dc, 0, 0, kMax, kMax, DSTINVERT));
  EXPECT_EQ(GetPixel(dc, 19, 19), clYellow);  // blue inverted (the text's cell aside)
  EXPECT_EQ(GetPixel(dc, 0, 19), clYellow);
  EXPECT_TRUE(PatBlt(dc, 0, 0, kMax, kMax, PATINVERT));
  EXPECT_TRUE(PatBlt(dc, kMax, kMax, kMin, kMin, DSTINVERT));
  PatBlt(dc, -1000000, -1000000, 2000000, 2000000, PATCOPY);
  auto src = MakeBitmap(4, 4);
  BitBlt(dc, 0, 0, kMax, kMax, src->Canvas(), 0, 0, SRCINVERT);
  StretchBlt(dc, 0, 0, 100000, 100000, src->Canvas(), 0, 0, 4, 4, SRCINVERT);
  StretchBlt(dc, 0, 0, 10, 10, src->Canvas(), kMin, kMin, kMax, kMax, SRCCOPY);
  StretchBlt(dc, 0, 0, -100000, -100000, src->Canvas(), 0, 0, 4, 4, SRCCOPY);
  StretchBlt(dc, 0, 0, 10, 10, src->Canvas(), 0, 0, 0, 0, SRCCOPY);
  TBlendFunction half;
  half.SourceConstantAlpha = 128;
  AlphaBlend(dc, 0, 0, 100000, 100000, src->Canvas(), 0, 0, 4, 4, half);
  EXPECT_FALSE(AlphaBlend(dc, 0, 0, 4, 4, src->Canvas(), 1, 1, kMax, kMax, half));
  dc->CopyRect(Rect(kMin, kMin, kMax, kMax), src->Canvas(), Rect(0, 0, 4, 4));
  dc->StretchDraw(Rect(0, 0, -100000, 100000), src.get());
  TRegion r = CreateEllipticRgn(kMin, kMin, kMax, kMax);
  SelectClipRgn(dc, &r);
  SelectClipRgn(dc, nullptr);
  TRect tr = Rect(kMax, 0, kMin, 10);
  DrawText(dc, "a b c", tr, DT_WORDBREAK | DT_CENTER);
  MoveToEx(dc, kMin, kMax, nullptr);
  ArcTo(dc, kMin, kMin, kMax, kMax, kMax, 0, 0, kMin);
  // Regions refuse to move beyond the coordinate limits; far points do not map.
  TRegion moved = CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(OffsetRgn(moved, kMax, 0), RGN_ERROR);
  EXPECT_TRUE(PtInRegion(moved, 5, 5));
  EXPECT_EQ(OffsetRgn(moved, 10, 0), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(moved, 15, 5));
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 1000, 1000, nullptr);
  TPoint far{kMax / 10, 5};
  EXPECT_FALSE(LPtoDP(dc, &far, 1));
  EXPECT_EQ(far.x, kMax / 10);  // unchanged
  EXPECT_EQ(SetPixel(dc, kMax / 10, 0, clRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, kMax / 10, 0), CLR_INVALID);
  dc->Rectangle(0, 0, kMax, kMax);
  SetMapMode(dc, MM_TEXT);
  // Empty bitmaps take drawing and reading quietly.
  TBitmap empty;
  empty.SetSize(-5, 100);
  EXPECT_EQ(empty.GetWidth(), 0);
  empty.Canvas()->Rectangle(0, 0, 10, 10);
  empty.Canvas()->TextOut(0, 0, "x");
  EXPECT_EQ(empty.Canvas()->GetPixel(0, 0), CLR_INVALID);
  PatBlt(empty.Canvas(), 0, 0, 5, 5, BLACKNESS);
  EXPECT_THROW(empty.SetSize(kMax, kMax), Exception);
  EXPECT_EQ(empty.GetWidth(), 0);
  BitBlt(dc, 0, 0, 5, 5, empty.Canvas(), 0, 0, SRCCOPY);
  EXPECT_THROW(empty.ScanLine(0), EInvalidGraphic);
  dc->Draw(0, 0, &empty);
}

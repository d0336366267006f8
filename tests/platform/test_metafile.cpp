// Recorded pictures: replay at the recorded size and stretched, enhanced metafile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "platform/Metafile.h"

namespace {

std::unique_ptr<TBitmap> White(int w, int h)
{
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  return b;
}

TColor PixelAt(TBitmap& b, int x, int y)
{
  const uint8_t* p = b.ScanLine(y) + 3 * x;
  return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

// Share of pixels that differ between two bitmaps of one size.
double Difference(TBitmap& a, TBitmap& b)
{
  int diff = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), 3 * a.GetWidth()) != 0)
      for (int x = 0; x < a.GetWidth(); ++x) diff += PixelAt(a, x, y) != PixelAt(b, x, y);
  return static_cast<double>(diff) / (a.GetWidth() * a.GetHeight());
}

// A bit of everything the section picture and the colour bar draw.
void DrawScene(TCanvas* c)
{
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetColor(0x3366CC);
  c->Polygon({{10, 10}, {120, 20}, {60, 110}});
  c->Brush()->SetColor(0x22AA44);
  c->Polygon({{120, 20}, {190, 90}, {60, 110}});
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clRed);
  c->Pen()->SetWidth(1);
  c->Polyline({{5, 150}, {80, 130}, {150, 190}});
  c->Pen()->SetWidth(3);
  c->Pen()->SetColor(clBlue);
  c->MoveTo(20, 180);
  c->LineTo(180, 120);
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clYellow);
  c->FillRect(TRect{150, 10, 190, 40});
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(140, 5, 195, 45);
  c->Font()->SetName("Small fonts");
  c->Font()->SetSize(7);
  c->Font()->SetColor(clBlack);
  c->TextOut(100, 150, "12.5");
}

}  // namespace

TEST(Metafile, ReplaysLikeDirectDrawing)
{
  auto direct = White(200, 200);
  DrawScene(direct->Canvas());
  TMetafile m;
  m.SetSize(200, 200);
  {
    TMetafileCanvas canvas(&m);
    EXPECT_EQ(canvas.DeviceSize(), (TSize{200, 200}));
    DrawScene(&canvas);
  }
  EXPECT_EQ(m.RecordCount(), 7u);
  auto replayed = White(200, 200);
  replayed->Canvas()->Draw(0, 0, &m);
  EXPECT_EQ(Difference(*direct, *replayed), 0.0);
  EXPECT_EQ(PixelAt(*replayed, 60, 40), 0x3366CCu);
  EXPECT_EQ(PixelAt(*replayed, 150, 60), 0x22AA44u);
  EXPECT_EQ(PixelAt(*replayed, 170, 25), clYellow);
  EXPECT_EQ(PixelAt(*replayed, 5, 5), clWhite);
}

TEST(Metafile, StretchedReplayLeavesNoGaps)
{
  // A 5120-pixel checkerboard of triangles, replayed into 512 x 512.
  TMetafile m;
  m.SetSize(5120, 5120);
  const TColor colors[4] = {0x0000C0, 0x00C000, 0xC00000, 0x00C0C0};
  {
    TMetafileCanvas canvas(&m);
    canvas.Pen()->SetStyle(psClear);
    for (int i = 0; i < 16; ++i)
      for (int j = 0; j < 16; ++j) {
        const int x = i * 320, y = j * 320;
        canvas.Brush()->SetColor(colors[(i + j) % 4]);
        canvas.Polygon({{x, y}, {x + 320, y}, {x + 320, y + 320}});
        canvas.Brush()->SetColor(colors[(i + j + 1) % 4]);
        canvas.Polygon({{x, y}, {x + 320, y + 320}, {x, y + 320}});
      }
  }
  auto bmp = White(512, 512);
  bmp->Canvas()->StretchDraw(TRect{0, 0, 512, 512}, &m);
  int white = 0;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) white += PixelAt(*bmp, x, y) == clWhite;
  EXPECT_EQ(white, 0);
  EXPECT_EQ(PixelAt(*bmp, 24, 8), colors[0]);   // upper triangle of the first cell
  EXPECT_EQ(PixelAt(*bmp, 8, 24), colors[1]);   // its lower triangle
  EXPECT_EQ(PixelAt(*bmp, 32 + 24, 8), colors[1]);

  // Into a part of a larger bitmap: nothing outside the target rectangle.
  auto part = White(300, 300);
  part->Canvas()->StretchDraw(TRect{100, 50, 200, 250}, &m);
  EXPECT_EQ(PixelAt(*part, 99, 100), clWhite);
  EXPECT_EQ(PixelAt(*part, 200, 100), clWhite);
  EXPECT_EQ(PixelAt(*part, 150, 49), clWhite);
  EXPECT_NE(PixelAt(*part, 100, 50), clWhite);
  EXPECT_NE(PixelAt(*part, 199, 249), clWhite);
}

TEST(Metafile, ContentChangesWhenTheCanvasCloses)
{
  TMetafile m;
  m.SetSize(50, 50);
  {
    TMetafileCanvas canvas(&m);
    canvas.FillRect(TRect{0, 0, 10, 10});
  }
  ASSERT_EQ(m.RecordCount(), 1u);
  TMetafile copy;
  copy.Assign(&m);
  {
    TMetafileCanvas canvas(&m);
    canvas.FillRect(TRect{0, 0, 10, 10});
    canvas.FillRect(TRect{10, 10, 20, 20});
    EXPECT_EQ(m.RecordCount(), 1u);  // the old picture until the canvas is done
  }
  EXPECT_EQ(m.RecordCount(), 2u);
  EXPECT_EQ(copy.RecordCount(), 1u);
  m.Clear();
  EXPECT_EQ(m.RecordCount(), 0u);
  EXPECT_EQ(m.GetWidth(), 50);
}

// A picture cleared and drawn again reuses its storage, but never that of records a copy still
// shows; both show what was drawn into them.
TEST(Metafile, RecordingAgainAfterClearKeepsCopiesIntact)
{
  auto draw = [](TMetafile& m, int shift) {
    m.Clear();
    TMetafileCanvas canvas(&m);
    canvas.Pen()->SetStyle(psClear);
    canvas.Brush()->SetColor(shift ? clRed : clBlue);
    for (int i = 0; i < 50; ++i) canvas.Polygon({{i * 4 + shift, 0}, {i * 4 + 4 + shift, 0}, {i * 4 + 2 + shift, 200}});
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetColor(clBlack);
    canvas.Polyline({{0, 100 + shift}, {199, 100 + shift}});
  };
  auto picture = [](TMetafile& m) {
    auto b = White(200, 200);
    b->Canvas()->StretchDraw(TRect{0, 0, 200, 200}, &m);
    return b;
  };
  TMetafile m;
  m.SetSize(200, 200);
  draw(m, 0);
  const auto first = picture(m);
  TMetafile copy;
  copy.Assign(&m);
  draw(m, 7);  // the copy holds the first records: they are not reused
  const auto second = picture(m);
  EXPECT_EQ(Difference(*picture(copy), *first), 0.0);
  EXPECT_GT(Difference(*second, *first), 0.1);
  EXPECT_EQ(PixelAt(*second, 50, 107), clBlack);
  draw(m, 7);  // now they are
  draw(m, 7);
  EXPECT_EQ(m.RecordCount(), 51u);
  EXPECT_EQ(Difference(*picture(m), *second), 0.0);
  EXPECT_EQ(Difference(*picture(copy), *first), 0.0);
  // Saved and read back, the records keep their points.
  TMetafile back;
  back.LoadFromBytes(m.SaveToBytes());
  EXPECT_EQ(Difference(*picture(back), *second), 0.0);
}

TEST(Metafile, ClipRectanglesReplay)
{
  TMetafile m;
  m.SetSize(100, 100);
  {
    TMetafileCanvas canvas(&m);
    canvas.SetClipRect(TRect{0, 0, 50, 100});
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(TRect{0, 0, 100, 100});
    canvas.ClearClip();
    canvas.Brush()->SetColor(clBlue);
    canvas.FillRect(TRect{0, 90, 100, 100});
  }
  auto bmp = White(200, 200);
  bmp->Canvas()->StretchDraw(TRect{0, 0, 200, 200}, &m);
  EXPECT_EQ(PixelAt(*bmp, 50, 50), clRed);
  EXPECT_EQ(PixelAt(*bmp, 150, 50), clWhite);
  EXPECT_EQ(PixelAt(*bmp, 150, 190), clBlue);
  EXPECT_FALSE(bmp->Canvas()->HasClip());
}

namespace {

uint32_t U32(const std::string& b, size_t at)
{
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// Walks the records; returns their types, or fails.
std::vector<uint32_t> CheckEmf(const std::string& b)
{
  std::vector<uint32_t> types;
  EXPECT_GE(b.size(), 108u);
  EXPECT_EQ(U32(b, 0), 1u);            // EMR_HEADER
  EXPECT_EQ(U32(b, 40), 0x464D4520u);  // " EMF"
  EXPECT_EQ(U32(b, 44), 0x10000u);
  EXPECT_EQ(U32(b, 48), b.size());     // bytes
  size_t pos = 0;
  while (pos < b.size()) {
    const uint32_t type = U32(b, pos), size = U32(b, pos + 4);
    EXPECT_EQ(size % 4, 0u);
    EXPECT_GE(size, 8u);
    if (size < 8 || pos + size > b.size()) {
      ADD_FAILURE() << "record at " << pos << " runs past the end";
      return types;
    }
    types.push_back(type);
    pos += size;
  }
  EXPECT_EQ(pos, b.size());
  EXPECT_EQ(U32(b, 52), types.size());  // record count
  EXPECT_EQ(types.back(), 14u);         // EMR_EOF
  EXPECT_EQ(U32(b, b.size() - 4), 20u);
  return types;
}

}  // namespace

TEST(Metafile, EnhancedMetafileFileRoundTrip)
{
  TMetafile m;
  m.SetSize(200, 200);
  {
    TMetafileCanvas canvas(&m);
    DrawScene(&canvas);
    auto small = White(4, 2);
    small->Canvas()->SetPixel(0, 0, clRed);
    small->Canvas()->SetPixel(3, 1, clBlue);
    canvas.StretchDraw(TRect{10, 160, 50, 180}, small.get());
  }
  testsupport::TempDir dir;
  const std::string file = dir.file("picture.emf");
  m.SaveToFile(file);
  const std::string bytes = testsupport::ReadAll(file);
  std::vector<uint32_t> types = CheckEmf(bytes);
  EXPECT_EQ(std::count(types.begin(), types.end(), 86u), 2);  // two 16-bit polygons
  EXPECT_EQ(std::count(types.begin(), types.end(), 84u), 1);  // one text
  EXPECT_EQ(std::count(types.begin(), types.end(), 81u), 1);  // one bitmap
  // The single segment goes as move-to and line-to, the three-point line as a polyline.
  EXPECT_EQ(std::count(types.begin(), types.end(), 27u), 1);
  EXPECT_EQ(std::count(types.begin(), types.end(), 54u), 1);
  EXPECT_EQ(std::count(types.begin(), types.end(), 87u), 1);
  // Pens of one pixel are cosmetic (width 0); the wide pen keeps its width.
  std::vector<int32_t> penWidths;
  for (size_t pos = 0; pos < bytes.size(); pos += U32(bytes, pos + 4))
    if (U32(bytes, pos) == 38) penWidths.push_back(static_cast<int32_t>(U32(bytes, pos + 16)));
  std::sort(penWidths.begin(), penWidths.end());
  penWidths.erase(std::unique(penWidths.begin(), penWidths.end()), penWidths.end());
  EXPECT_EQ(penWidths, (std::vector<int32_t>{0, 3}));
  // Every object selected is created first and within the handle count.
  const uint32_t handles = U32(bytes, 56) & 0xFFFF;
  for (size_t pos = 0; pos < bytes.size(); pos += U32(bytes, pos + 4)) {
    const uint32_t type = U32(bytes, pos);
    if (type == 37 || type == 38 || type == 39 || type == 40 || type == 82) {
      const uint32_t h = U32(bytes, pos + 8);
      if (!(h & 0x80000000u)) {
        EXPECT_LT(h, handles);
      }
    }
  }

  TMetafile loaded;
  loaded.LoadFromFile(file);
  EXPECT_EQ(loaded.GetWidth(), 200);
  EXPECT_EQ(loaded.GetHeight(), 200);
  auto a = White(200, 200), b = White(200, 200);
  a->Canvas()->Draw(0, 0, &m);
  b->Canvas()->Draw(0, 0, &loaded);
  EXPECT_EQ(Difference(*a, *b), 0.0);
  EXPECT_EQ(PixelAt(*b, 10, 160), clRed);
  EXPECT_EQ(PixelAt(*b, 49, 179), clBlue);
}

TEST(Metafile, LargeCoordinatesUseWideRecords)
{
  TMetafile m;
  m.SetSize(40000, 40000);
  {
    TMetafileCanvas canvas(&m);
    canvas.Pen()->SetStyle(psClear);
    canvas.Brush()->SetColor(clGreen);
    canvas.Polygon({{0, 0}, {40000, 0}, {40000, 40000}});
  }
  const std::string bytes = m.SaveToBytes();
  std::vector<uint32_t> types = CheckEmf(bytes);
  EXPECT_EQ(std::count(types.begin(), types.end(), 3u), 1);  // EMR_POLYGON
  TMetafile loaded;
  loaded.LoadFromBytes(bytes);
  auto bmp = White(100, 100);
  bmp->Canvas()->StretchDraw(TRect{0, 0, 100, 100}, &loaded);
  EXPECT_EQ(PixelAt(*bmp, 90, 10), clGreen);
  EXPECT_EQ(PixelAt(*bmp, 10, 90), clWhite);
}

TEST(Metafile, DamagedFilesAreRefused)
{
  TMetafile m;
  EXPECT_THROW(m.LoadFromBytes("not a metafile at all"), EInvalidGraphic);
  TMetafile good;
  good.SetSize(10, 10);
  {
    TMetafileCanvas canvas(&good);
    canvas.FillRect(TRect{0, 0, 5, 5});
  }
  std::string bytes = good.SaveToBytes();
  std::string wrongSignature = bytes;
  wrongSignature[40] = 'X';
  EXPECT_THROW(m.LoadFromBytes(wrongSignature), EInvalidGraphic);
  std::string badSize = bytes;
  const uint32_t huge = 0x7FFFFFF0;
  std::memcpy(&badSize[108 + 4], &huge, 4);  // first record after the header
  EXPECT_THROW(m.LoadFromBytes(badSize), EInvalidGraphic);
  EXPECT_THROW(m.LoadFromFile("/nonexistent/picture.emf"), EInOutError);
  // A disk that fills up is a failure, not a silently truncated file.
  EXPECT_THROW(good.SaveToFile("/dev/full"), EInOutError);
}

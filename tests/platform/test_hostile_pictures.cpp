// Damaged and hostile picture files: the readers raise EInvalidGraphic or load, and what they load
// draws and saves again, with no sanitizer report.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "TestSupport.h"
#include "platform/EmfRecords.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"

using namespace emf;

namespace {

// A picture with one record of every kind the metafile writes.
std::string SeedMetafile()
{
  TMetafile mf;
  mf.SetSize(200, 150);
  {
    TMetafileCanvas c(&mf);
    c.Pen()->SetColor(clRed);
    c.Pen()->SetWidth(3);
    c.Brush()->SetColor(clBlue);
    c.MoveTo(1, 2);
    c.LineTo(100, 120);
    c.Rectangle(5, 5, 50, 40);
    c.Ellipse(10, 10, 90, 60);
    c.RoundRect(1, 1, 40, 40, 5, 5);
    c.Arc(0, 0, 50, 50, 0, 25, 50, 25);
    c.Pie(0, 0, 50, 50, 0, 25, 50, 25);
    c.Chord(0, 0, 50, 50, 0, 25, 50, 25);
    c.Polygon({{1, 1}, {40, 3}, {20, 30}});
    c.Polyline({{1, 1}, {40000, 3}, {20, 30}});
    c.PolyBezier({{0, 0}, {10, 20}, {30, 40}, {50, 0}});
    c.Font()->SetName("Arial");
    c.Font()->SetSize(12);
    c.TextOut(10, 10, "Hello");
    c.TextRect(TRect{0, 0, 50, 20}, 3, 3, "clip me");
    c.SetPixel(3, 3, clGreen);
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(7, 5);
    c.StretchDraw(TRect{0, 0, 30, 20}, &b);
    c.Pen()->SetStyle(psClear);
    c.Rectangle(1, 1, 9, 9);
  }
  return mf.SaveToBytes();
}

// Offset of the last record of the given type, or npos.
size_t FindRecord(const std::string& emf, uint32_t type)
{
  size_t found = std::string::npos;
  uint32_t size = 0;
  std::memcpy(&size, emf.data() + 4, 4);
  for (size_t at = size; at + 8 <= emf.size(); at += size) {
    uint32_t t;
    std::memcpy(&t, emf.data() + at, 4);
    std::memcpy(&size, emf.data() + at + 4, 4);
    if (t == type) found = at;
    if (size == 0) break;
  }
  return found;
}

void Set32(std::string& bytes, size_t at, int32_t v) { std::memcpy(bytes.data() + at, &v, 4); }

// Loads, draws stretched both ways and saves; EInvalidGraphic from the load is the only way out.
void LoadDrawSave(const std::string& bytes, bool format)
{
  TBitmap target;
  target.SetSize(40, 30);
  TFormatMetafile m;
  try {
    if (format) m.LoadFromFormatBytes(bytes);
    else m.LoadFromBytes(bytes);
  } catch (const EInvalidGraphic&) {
    return;
  }
  m.Draw(target.Canvas(), TRect{0, 0, 40, 30});
  m.Draw(target.Canvas(), TRect{-5, -5, 900, 700});
  (void)m.SaveToFormatBytes();
  m.SetEnhanced(!m.GetEnhanced());
  (void)m.SaveToFormatBytes();
}

// Byte flips, random bytes, 16- and 32-bit edge values, cuts, copies and deletions.
std::string Mutate(std::string s, std::mt19937& rng)
{
  auto r = [&](size_t n) { return n ? rng() % n : 0; };
  static const uint32_t edge[] = {0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFF, 0x8000, 0x10000, 40, 8};
  for (int k = 1 + static_cast<int>(r(5)); k > 0; --k) {
    switch (r(7)) {
    case 0: if (!s.empty()) s[r(s.size())] ^= static_cast<char>(1 << r(8)); break;
    case 1: if (!s.empty()) s[r(s.size())] = static_cast<char>(r(256)); break;
    case 2: s.resize(r(s.size() + 1)); break;
    case 3:
    case 4:
      if (s.size() >= 4) {
        const uint32_t v = edge[r(10)];
        std::memcpy(s.data() + (r(s.size() - 3) & ~size_t{1}), &v, r(2) ? 4 : 2);
      }
      break;
    case 5:
      if (s.size() > 8) {
        const size_t a = r(s.size());
        s.insert(r(s.size()), s.substr(a, r(std::min<size_t>(64, s.size() - a))));
      }
      break;
    default:
      if (s.size() > 8) {
        const size_t a = r(s.size());
        s.erase(a, r(std::min<size_t>(64, s.size() - a)));
      }
      break;
    }
  }
  return s;
}

}  // namespace

TEST(HostilePictures, CoordinatesAtTheEdgesOfTheRange)
{
  const std::string seed = SeedMetafile();
  auto patched = [&](uint32_t type, size_t field, int32_t v) {
    std::string b = seed;
    const size_t at = FindRecord(b, type);
    EXPECT_NE(at, std::string::npos) << type;
    if (at != std::string::npos) Set32(b, at + field, v);
    return b;
  };
  // An outline-free rectangle reaching the lowest coordinate.
  LoadDrawSave(patched(EMR_RECTANGLE, 16, INT32_MIN), false);
  LoadDrawSave(patched(EMR_RECTANGLE, 20, INT32_MIN), false);
  // Stretched pixels and text at the highest coordinate.
  LoadDrawSave(patched(EMR_SETPIXELV, 8, INT32_MAX), false);
  LoadDrawSave(patched(EMR_SETPIXELV, 12, INT32_MAX), false);
  LoadDrawSave(patched(EMR_EXTTEXTOUTW, 36, INT32_MAX), false);
  LoadDrawSave(patched(EMR_EXTTEXTOUTW, 40, INT32_MAX), false);
  // An image whose destination ends beyond the range.
  std::string image = patched(EMR_STRETCHDIBITS, 24, INT32_MAX);
  Set32(image, FindRecord(image, EMR_STRETCHDIBITS) + 72, 20);
  LoadDrawSave(image, false);
  // The lowest font height.
  LoadDrawSave(patched(EMR_EXTCREATEFONTINDIRECTW, 12, INT32_MIN), false);
}

TEST(HostilePictures, AbsurdPictureSizeIsRefused)
{
  std::string b = SeedMetafile();
  Set32(b, 8, INT32_MIN);   // bounds left
  Set32(b, 16, INT32_MAX);  // bounds right
  TMetafile m;
  EXPECT_THROW(m.LoadFromBytes(b), EInvalidGraphic);
  Set32(b, 8, 0);
  Set32(b, 16, 1 << 23);
  EXPECT_THROW(m.LoadFromBytes(b), EInvalidGraphic);
  Set32(b, 16, 199);
  m.LoadFromBytes(b);
  EXPECT_EQ(m.GetWidth(), 200);
}

TEST(HostilePictures, MutatedFilesLoadOrRaiseInvalidGraphic)
{
  std::mt19937 rng(20261207);
  const std::string emf = SeedMetafile();
  TFormatMetafile placeable;
  placeable.LoadFromBytes(emf);
  placeable.SetEnhanced(false);
  const std::string wmf = placeable.SaveToFormatBytes();
  for (int i = 0; i < 1200; ++i) {
    LoadDrawSave(Mutate(emf, rng), false);
    LoadDrawSave(Mutate(wmf, rng), true);
  }
  // Bitmaps of three depths through the picture reader, which picks the reader by extension.
  testsupport::TempDir dir;
  std::vector<std::string> bitmaps;
  for (TPixelFormat pf : {pf1bit, pf24bit, pf32bit}) {
    TBitmap b;
    b.SetPixelFormat(pf);
    b.SetSize(13, 7);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect{2, 2, 9, 5});
    b.SaveToFile(dir.file("seed.bmp"));
    bitmaps.push_back(testsupport::ReadAll(dir.file("seed.bmp")));
  }
  TBitmap target;
  target.SetSize(20, 20);
  const char* names[] = {"a.bmp", "a.emf", "a.wmf", "a.png"};
  for (int i = 0; i < 600; ++i) {
    const std::string name = dir.file(names[i % 4]);
    const std::string& seed = i % 4 == 0 ? bitmaps[rng() % 3] : i % 4 == 3 ? bitmaps[1] : i % 4 == 1 ? emf : wmf;
    testsupport::WriteAll(name, rng() % 50 == 0 ? std::string() : Mutate(seed, rng));
    TPicture p;
    try {
      p.LoadFromFile(name);
    } catch (const EInvalidGraphic&) {
      continue;
    }
    ASSERT_NE(p.GetGraphic(), nullptr);
    target.Canvas()->StretchDraw(TRect{0, 0, 20, 20}, p.GetGraphic());
  }
}

TEST(HostilePictures, BitmapSizeBeyondItsDataIsRefused)
{
  testsupport::TempDir dir;
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(40, 30);
  b.SaveToFile(dir.file("a.bmp"));
  const std::string good = testsupport::ReadAll(dir.file("a.bmp"));
  // Short of its last row's padding and then of the whole last row: still read.
  for (size_t cut : {2u, 120u}) {
    testsupport::WriteAll(dir.file("b.bmp"), good.substr(0, good.size() - cut));
    TBitmap r;
    r.LoadFromFile(dir.file("b.bmp"));
    EXPECT_EQ(r.GetWidth(), 40);
  }
  // A 5000 x 5000 header over 3600 bytes of pixels: refused before the image is made.
  std::string big = good;
  Set32(big, 18, 5000);
  Set32(big, 22, -5000);
  testsupport::WriteAll(dir.file("c.bmp"), big);
  TBitmap r;
  EXPECT_THROW(r.LoadFromFile(dir.file("c.bmp")), EInvalidGraphic);
  // Run-length coded: two bytes cannot stand for a 20000 x 20000 picture.
  Set32(big, 18, 20000);
  Set32(big, 22, 20000);
  Set32(big, 30, 1);
  testsupport::WriteAll(dir.file("c.bmp"), big);
  EXPECT_THROW(r.LoadFromFile(dir.file("c.bmp")), EInvalidGraphic);
}

// A bitmap file with the 12-byte core header: 16-bit width and height, bit count at offset 24,
// pixel rows of `bits` per pixel (no palette) filled with `fill`, of which `cut` bytes are left off.
std::string CoreBitmap(int16_t w, int16_t h, uint16_t bits, char fill, size_t cut = 0)
{
  const size_t stride = (static_cast<size_t>(std::abs(w)) * bits + 31) / 32 * 4;
  std::string b(26, '\0');
  b[0] = 'B';
  b[1] = 'M';
  b += std::string(stride * static_cast<size_t>(std::abs(h)), fill);
  b.resize(b.size() - cut);
  Set32(b, 2, static_cast<int32_t>(b.size()));
  Set32(b, 10, 26);
  Set32(b, 14, 12);
  std::memcpy(b.data() + 18, &w, 2);
  std::memcpy(b.data() + 20, &h, 2);
  const uint16_t planes = 1;
  std::memcpy(b.data() + 22, &planes, 2);
  std::memcpy(b.data() + 24, &bits, 2);
  return b;
}

TEST(HostilePictures, BitmapOfEveryHeaderSizeIsRefusedWhenItsDataCannotFillIt)
{
  // Core headers claiming 5000 x 5000 and 5792 x 5792 pixels of 24 bits over a handful of
  // bytes, one of them 27 bytes long: refused at once, no image made.
  const std::string core5000 = std::string("BM\x1a\0\0\0\0\0\0\0\x1a\0\0\0\x0c\0\0\0\x88\x13\x88\x13\x01\0\x18\0", 26);
  const std::string core5792 = std::string("BM\x1a\0\0\0\0\0\0\0\x1a\0\0\0\x0c\0\0\0\xa0\x16\xa0\x16\x01\0\x18\0", 26);
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& bytes : {core5000 + std::string(14, '\0'), core5000 + std::string(1, '\0'),
                                   core5792 + std::string(14, '\0')}) {
    TBitmap b;
    b.SetSize(3, 2);
    EXPECT_THROW(b.LoadFromBytes(bytes), EInvalidGraphic) << bytes.size() << " bytes";
    EXPECT_EQ(b.GetWidth(), 3);
  }
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);

  // A whole core-header bitmap reads with its pixels; one row short it still reads; more is
  // refused. The bit count is the core header's own: 24 bits need three bytes a pixel.
  TBitmap r;
  r.LoadFromBytes(CoreBitmap(40, 30, 24, '\x40'));
  EXPECT_EQ(r.GetWidth(), 40);
  EXPECT_EQ(r.GetHeight(), 30);
  EXPECT_EQ(r.GetPixelFormat(), pf24bit);
  EXPECT_EQ(r.Canvas()->GetPixel(39, 29) & 0xFFFFFF, TColor(0x404040));
  r.LoadFromBytes(CoreBitmap(40, 30, 24, '\x40', 120));
  EXPECT_EQ(r.GetHeight(), 30);
  EXPECT_THROW(r.LoadFromBytes(CoreBitmap(40, 30, 24, '\x40', 121)), EInvalidGraphic);
  // Rows enough for one bit a pixel, not for 24 (the first pixel bytes, at offset 28, read 1).
  std::string thin = CoreBitmap(400, 30, 24, '\0', 29 * 1200 - 29 * 52);
  thin[28] = '\x01';
  EXPECT_THROW(r.LoadFromBytes(thin), EInvalidGraphic);
  // Rows stored from the top.
  r.LoadFromBytes(CoreBitmap(40, -30, 24, '\x40'));
  EXPECT_EQ(r.GetHeight(), 30);
  EXPECT_THROW(r.LoadFromBytes(CoreBitmap(40, -30, 24, '\x40', 121)), EInvalidGraphic);
  EXPECT_EQ(r.GetWidth(), 40);

  // Files too short for their headers, and headers of a size no bitmap has, are refused.
  const std::string whole = CoreBitmap(4, 2, 24, '\x40');
  for (size_t n : {2u, 17u, 25u}) EXPECT_THROW(r.LoadFromBytes(whole.substr(0, n)), EInvalidGraphic) << n;
  for (int32_t size : {0, 11, 16, 52, 1322}) {
    std::string odd = whole;
    Set32(odd, 14, size);
    EXPECT_THROW(r.LoadFromBytes(odd), EInvalidGraphic) << size;
  }
  TBitmap saved;
  saved.SetPixelFormat(pf24bit);
  saved.SetSize(9, 3);
  testsupport::TempDir dir;
  saved.SaveToFile(dir.file("a.bmp"));
  const std::string info = testsupport::ReadAll(dir.file("a.bmp"));
  EXPECT_THROW(r.LoadFromBytes(info.substr(0, 14 + 39)), EInvalidGraphic);
  r.LoadFromBytes(info);
  EXPECT_EQ(r.GetWidth(), 9);
}

// A one-row bitmap has no row to spare: its only row must be there, whatever its width.
TEST(HostilePictures, OneRowBitmapMustHoldItsRow)
{
  TBitmap r;
  r.LoadFromBytes(CoreBitmap(40, 1, 24, '\x40'));
  EXPECT_EQ(r.GetWidth(), 40);
  EXPECT_THROW(r.LoadFromBytes(CoreBitmap(40, 1, 24, '\x40', 1)), EInvalidGraphic);
  // 16 000 000 pixels of one bit in a row (two colours), over 12 bytes.
  std::string wide(62, '\0');
  wide += std::string(12, '\x75');
  wide[0] = 'B';
  wide[1] = 'M';
  Set32(wide, 2, 74);
  Set32(wide, 10, 62);
  Set32(wide, 14, 40);
  Set32(wide, 18, 16000000);
  Set32(wide, 22, 1);
  wide[26] = 1;
  wide[28] = 1;
  EXPECT_THROW(r.LoadFromBytes(wide), EInvalidGraphic);
  EXPECT_EQ(r.GetWidth(), 40);
}

// A solid fill stretched to the held coordinates +-2^30 fills the picture without overflowing.
TEST(HostilePictures, FillsStretchedToTheHeldCoordinates)
{
  TMetafile mf;
  mf.SetSize(100, 100);
  {
    TMetafileCanvas c(&mf);
    c.Brush()->SetColor(clBlue);
    c.FillRect(Rect(-2000000000, -2000000000, 2000000000, 2000000000));
    c.Pen()->SetStyle(psClear);
    c.Brush()->SetColor(clLime);
    c.Rectangle(INT32_MIN, 50, INT32_MAX, INT32_MAX);
  }
  TBitmap b;
  b.SetSize(100, 100);
  b.Canvas()->StretchDraw(Rect(0, 0, 100, 100), &mf);
  EXPECT_EQ(b.Canvas()->GetPixel(10, 10) & 0xFFFFFF, clBlue);
  EXPECT_EQ(b.Canvas()->GetPixel(99, 49) & 0xFFFFFF, clBlue);
  EXPECT_EQ(b.Canvas()->GetPixel(0, 60) & 0xFFFFFF, clLime);
}

namespace {
// A canvas without a device that notes the font height of every text drawn on it.
class FontHeightSpy : public TCanvas {
public:
  std::vector<int32_t> heights;
  TSize DeviceSize() const override { return {100, 100}; }
  void TextOut(int32_t, int32_t, const std::string&) override { heights.push_back(Font()->GetHeight()); }
  void TextRect(const TRect&, int32_t, int32_t, const std::string&) override { heights.push_back(Font()->GetHeight()); }
};
}  // namespace

// Replayed font heights are held to a few times the target picture's height, whatever the file
// or the stretch asks for.
TEST(HostilePictures, FontHeightsHeldToThePicture)
{
  TMetafile mf;
  mf.SetSize(100, 100);
  {
    TMetafileCanvas c(&mf);
    c.Font()->SetHeight(-20);
    c.TextOut(5, 5, "a");
    c.Font()->SetHeight(-65535);
    c.TextOut(5, 5, "\xF0\x9F\x98\x80");
    c.Font()->SetHeight(65535);
    c.TextOut(5, 5, "b");
  }
  FontHeightSpy spy;
  mf.Draw(&spy, Rect(0, 0, 100, 100));
  EXPECT_EQ(spy.heights, (std::vector<int32_t>{-20, -400, 400}));
  // Stretched a thousand times onto the same picture: still held.
  spy.heights.clear();
  mf.Draw(&spy, Rect(0, 0, 100000, 100000));
  ASSERT_EQ(spy.heights.size(), 3u);
  for (int32_t h : spy.heights) EXPECT_LE(std::abs(h), 400);
  // And the same from a file.
  TMetafile loaded;
  loaded.LoadFromBytes(mf.SaveToBytes());
  spy.heights.clear();
  loaded.Draw(&spy, Rect(0, 0, 100, 100));
  EXPECT_EQ(spy.heights, (std::vector<int32_t>{-20, -400, 400}));
}

namespace {
// A canvas without a device that notes the pen width of every line drawn on it.
class PenWidthSpy : public TCanvas {
public:
  std::vector<int32_t> widths;
  TSize DeviceSize() const override { return {100, 100}; }
  void LineTo(int32_t, int32_t) override { widths.push_back(Pen()->GetWidth()); }
  void Polyline(const std::vector<TPoint>&) override { widths.push_back(Pen()->GetWidth()); }
};
}  // namespace

// Pens wider than the painter takes are held to its widest (32767), recorded, stretched or read
// from a file; a picture-wide pen then paints the picture rather than a hairline.
TEST(HostilePictures, PenWidthsHeldToThePaintersRange)
{
  TMetafile mf;
  mf.SetSize(100, 100);
  {
    TMetafileCanvas c(&mf);
    for (int32_t w : {3, 32767, 32768, 65535, INT32_MAX}) {
      c.Pen()->SetWidth(w);
      c.Polyline({{0, 50}, {100, 50}});
    }
  }
  auto widths = [](TMetafile& m, int32_t side) {
    PenWidthSpy spy;
    m.Draw(&spy, Rect(0, 0, side, side));
    return spy.widths;
  };
  EXPECT_EQ(widths(mf, 100), (std::vector<int32_t>{3, 32767, 32767, 32767, 32767}));
  for (int32_t w : widths(mf, 100000)) EXPECT_LE(w, 32767);
  TMetafile loaded;
  loaded.LoadFromBytes(mf.SaveToBytes());
  EXPECT_EQ(widths(loaded, 100), (std::vector<int32_t>{3, 32767, 32767, 32767, 32767}));
  TFormatMetafile placeable;
  placeable.LoadFromFormatBytes(EnhancedToPlaceableMetafile(mf.SaveToBytes(), 100, 100));
  for (int32_t w : widths(placeable, 1000)) EXPECT_LE(w, 32767);

  TMetafile wide;
  wide.SetSize(100, 100);
  {
    TMetafileCanvas c(&wide);
    c.Pen()->SetColor(clRed);
    c.Pen()->SetWidth(40000);
    c.Polyline({{0, 50}, {100, 50}});
  }
  TBitmap b;
  b.SetSize(100, 100);
  b.Canvas()->StretchDraw(Rect(0, 0, 100, 100), &wide);
  EXPECT_EQ(b.Canvas()->GetPixel(50, 5) & 0xFFFFFF, clRed);
}

// A picture read from a file saves bytes that read back to the same picture: pens and brushes
// that draw nothing carry no colour, a picture without width keeps none, and a text of no
// characters is dropped alike by both formats (unless clipped, when it may paint its box).
TEST(HostilePictures, ReadPicturesSaveAsTheyRead)
{
  auto readTwice = [](const std::string& bytes) {
    TMetafile first;
    first.LoadFromBytes(bytes);
    const std::string saved = first.SaveToBytes();
    TMetafile again;
    again.LoadFromBytes(saved);
    EXPECT_EQ(again.SaveToBytes(), saved);
    EXPECT_EQ(again.GetWidth(), first.GetWidth());
    EXPECT_EQ(again.RecordCount(), first.RecordCount());
  };
  // Two pens made with the null style in different colours.
  TMetafile pens;
  pens.SetSize(60, 40);
  {
    TMetafileCanvas c(&pens);
    c.Pen()->SetColor(clRed);
    c.Ellipse(1, 1, 20, 20);
    c.Pen()->SetColor(clBlue);
    c.Ellipse(5, 5, 30, 30);
  }
  std::string bytes = pens.SaveToBytes();
  uint32_t size = 0;
  std::memcpy(&size, bytes.data() + 4, 4);
  int nulled = 0;
  for (size_t at = size; at + 16 <= bytes.size(); at += size) {
    uint32_t type;
    std::memcpy(&type, bytes.data() + at, 4);
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (type == EMR_CREATEPEN) Set32(bytes, at + 12, 5), ++nulled;
    if (size == 0) break;
  }
  ASSERT_EQ(nulled, 2);
  readTwice(bytes);

  TMetafile narrow;
  narrow.SetSize(0, 20);
  {
    TMetafileCanvas c(&narrow);
    c.LineTo(5, 5);
  }
  readTwice(narrow.SaveToBytes());
  TMetafile back;
  back.LoadFromBytes(narrow.SaveToBytes());
  EXPECT_EQ(back.GetWidth(), 0);
  EXPECT_EQ(back.GetHeight(), 20);

  TMetafile texts;
  texts.SetSize(60, 40);
  {
    TMetafileCanvas c(&texts);
    c.LineTo(5, 5);
    c.TextOut(3, 3, "");
    c.TextRect(TRect{2, 2, 20, 10}, 3, 3, "");
  }
  TMetafile enhanced;
  enhanced.LoadFromBytes(texts.SaveToBytes());
  EXPECT_EQ(enhanced.RecordCount(), 2u);
  TFormatMetafile placeable;
  placeable.LoadFromFormatBytes(EnhancedToPlaceableMetafile(texts.SaveToBytes(), 60, 40));
  EXPECT_EQ(placeable.RecordCount(), 2u);
}

// A pen of one pixel is written with width 0; read back, it draws where the recorded one drew,
// however far the picture is stretched.
TEST(HostilePictures, OnePixelPensDrawAlikeRecordedAndRead)
{
  TMetafile recorded;
  recorded.SetSize(1, 1);
  {
    TMetafileCanvas c(&recorded);
    c.MoveTo(0, 0);
    c.LineTo(60, 40);
  }
  TMetafile read;
  read.LoadFromBytes(recorded.SaveToBytes());
  auto pixels = [](TMetafile& m) {
    TBitmap b;
    b.SetSize(48, 40);
    b.Canvas()->StretchDraw(Rect(0, 0, 48, 40), &m);
    std::string s;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 48; ++x) s += (b.Canvas()->GetPixel(x, y) & 0xFFFFFF) == clWhite ? '.' : '#';
    return s;
  };
  const std::string drawn = pixels(recorded);
  EXPECT_NE(drawn.find('#'), std::string::npos);
  EXPECT_EQ(pixels(read), drawn);
}

// A placement wider or taller than a placeable file can hold reads as the widest one it holds, so
// the picture saves and reads back at the size it read.
TEST(HostilePictures, PlacementsHeldToWhatAPlaceableFileHolds)
{
  TMetafile mf;
  mf.SetSize(60, 40);
  {
    TMetafileCanvas c(&mf);
    c.LineTo(50, 30);
  }
  std::string wmf = EnhancedToPlaceableMetafile(mf.SaveToBytes(), 60, 40);
  const int16_t top = -30000, bottom = 25365;  // 55365 units
  std::memcpy(wmf.data() + 8, &top, 2);
  std::memcpy(wmf.data() + 12, &bottom, 2);
  uint16_t sum = 0;  // the header's check sum
  for (size_t i = 0; i < 20; i += 2) {
    uint16_t w;
    std::memcpy(&w, wmf.data() + i, 2);
    sum ^= w;
  }
  std::memcpy(wmf.data() + 20, &sum, 2);
  TFormatMetafile first;
  first.LoadFromFormatBytes(wmf);
  EXPECT_EQ(first.GetHeight(), 32767);
  TFormatMetafile again;
  again.LoadFromFormatBytes(first.SaveToFormatBytes());
  EXPECT_EQ(again.GetHeight(), first.GetHeight());
  EXPECT_EQ(again.GetWidth(), first.GetWidth());
}

// Saved pictures opened by the readers of other programs (ImageMagick for placeable metafiles and
// bitmaps, emf2svg with librsvg for enhanced metafiles) and compared with our own replay at the same size.
// The readers come with the test script's packages: a missing one fails, it is not skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"
#include "chart/canvas/NuvProcs.h"
#include "platform/Graphics.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"

namespace {

using testsupport::TempDir;

bool Succeeds(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

// A picture of w x h pixels, rows of 0x00BBGGRR.
struct Pixels {
  int w = 0, h = 0;
  std::vector<TColor> px;
  TColor At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// What ImageMagick makes of a file, on white, stretched to w x h.
Pixels ReadWithImageMagick(const std::string& file, int w, int h, const std::string& options = "")
{
  TempDir dir;
  const std::string raw = dir.file("out.rgb");
  const std::string cmd = "convert " + options + " '" + file + "' -background white -flatten -resize " +
                          std::to_string(w) + "x" + std::to_string(h) + "! -depth 8 rgb:'" + raw + "' 2>/dev/null";
  Pixels p;
  if (std::system(cmd.c_str()) != 0) return p;
  const std::string bytes = testsupport::ReadAll(raw);
  if (bytes.size() != static_cast<size_t>(w) * h * 3) return p;
  p.w = w, p.h = h;
  p.px.resize(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < p.px.size(); ++i) {
    auto c = [&](int k) { return static_cast<uint8_t>(bytes[i * 3 + k]); };
    p.px[i] = RGB(c(0), c(1), c(2));
  }
  return p;
}

// An enhanced metafile as emf2svg draws it (its SVG rasterised by librsvg at w x h).
Pixels ReadWithEmf2Svg(const std::string& emf, int w, int h)
{
  const std::string svg = emf + ".svg", png = emf + ".png";
  if (!Succeeds("emf2svg-conv -i '" + emf + "' -o '" + svg + "'")) return {};
  if (!Succeeds("rsvg-convert -b white -w " + std::to_string(w) + " -h " + std::to_string(h) + " '" + svg +
                "' -o '" + png + "'"))
    return {};
  return ReadWithImageMagick(png, w, h);
}

// Our own replay of a metafile into w x h.
Pixels Replay(TMetafile* m, int w, int h)
{
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  b.Canvas()->StretchDraw(TRect{0, 0, w, h}, m);
  Pixels p;
  p.w = w, p.h = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.px.push_back(b.Canvas()->GetPixel(x, y) & 0xFFFFFF);
  return p;
}

int Channel(TColor c, int k) { return static_cast<int>((c >> (8 * k)) & 0xFF); }

// Mean over all pixels of the largest channel difference.
double MeanDifference(const Pixels& a, const Pixels& b)
{
  double sum = 0;
  for (size_t i = 0; i < a.px.size(); ++i) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d = std::max(d, std::abs(Channel(a.px[i], k) - Channel(b.px[i], k)));
    sum += d;
  }
  return a.px.empty() ? 255 : sum / static_cast<double>(a.px.size());
}

bool Dark(TColor c) { return Channel(c, 0) < 90 && Channel(c, 1) < 90 && Channel(c, 2) < 90; }

// Share of the dark pixels of `ours` that `theirs` shows dark within one pixel.
double DarkKept(const Pixels& ours, const Pixels& theirs)
{
  int dark = 0, kept = 0;
  for (int y = 1; y < ours.h - 1; ++y)
    for (int x = 1; x < ours.w - 1; ++x) {
      if (!Dark(ours.At(x, y))) continue;
      ++dark;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) found = Dark(theirs.At(x + dx, y + dy));
      kept += found;
    }
  return dark ? static_cast<double>(kept) / dark : 0.0;
}

class PictureReaders : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Succeeds("convert -list format | grep -q '^ *WMF'")) << "ImageMagick cannot read WMF";
    ASSERT_TRUE(Succeeds("command -v emf2svg-conv")) << "emf2svg-conv is missing";
    ASSERT_TRUE(Succeeds("command -v rsvg-convert")) << "rsvg-convert is missing";
  }
  TempDir dir;
};

// The field section's picture with black isolines, recorded at `scale` times 1024 x 768.
std::unique_ptr<TPseudoSectionContour> FieldPicture(int scale)
{
  fdata res, pol;
  if (!ReadModelFile(testsupport::FieldPath("line1.k2d"), res, pol)) return nullptr;
  auto c = std::make_unique<TPseudoSectionContour>(scale * 1024, scale * 768);
  c->SetGridInput(res, res);
  c->BuildSection(true);
  c->UpdateLevels();
  c->IsolineColors.assign(c->IsolineColors.size(), clBlack);
  c->RenderPicture();
  return c;
}

// Isolines drawn one pixel wide stay visible when a reader draws the picture at a quarter of its
// recorded size: the pens are cosmetic.
TEST_F(PictureReaders, SectionPictureKeepsItsIsolinesAtAQuarter)
{
  auto c = FieldPicture(5);
  ASSERT_TRUE(c);
  const int w = c->PictureWidth / 4, h = c->PictureHeight / 4;
  const std::string wmf = dir.file("section.wmf");
  testsupport::WriteAll(wmf, EnhancedToPlaceableMetafile(c->SectionPicture()->SaveToBytes(), c->PictureWidth,
                                                         c->PictureHeight));
  const Pixels ours = Replay(c->SectionPicture(), w, h);
  const Pixels theirs = ReadWithImageMagick(wmf, w, h, "-density 24");
  ASSERT_EQ(theirs.px.size(), ours.px.size());
  EXPECT_LT(MeanDifference(ours, theirs), 12.0);
  EXPECT_GT(DarkKept(ours, theirs), 0.8);
}

// The enhanced metafile of the picture, drawn by emf2svg at its recorded size.
TEST_F(PictureReaders, SectionPictureAsEnhancedMetafile)
{
  auto c = FieldPicture(1);
  ASSERT_TRUE(c);
  const int w = c->PictureWidth, h = c->PictureHeight;
  const std::string emf = dir.file("section.emf");
  c->SectionPicture()->SaveToFile(emf);
  const Pixels ours = Replay(c->SectionPicture(), w, h);
  const Pixels theirs = ReadWithEmf2Svg(emf, w, h);
  ASSERT_EQ(theirs.px.size(), ours.px.size());
  EXPECT_LT(MeanDifference(ours, theirs), 12.0);
  EXPECT_GT(DarkKept(ours, theirs), 0.8);
}

// A panel with a gradient background, filled blocks, single lines and text.
class DrawingPanel : public TCustomNuvPanelExtended {
public:
  DrawingPanel() : TCustomNuvPanelExtended(nullptr) {}
  void InternalDraw(const TRect& r) override
  {
    DrawPanelBackground(r);
    TCanvas3D* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect{40, 40, 120, 100});
    c->Brush()->SetColor(clYellow);
    const TPoint triangle[] = {{200, 40}, {260, 120}, {140, 120}};
    c->Polygon(triangle);
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    c->MoveTo(20, 200);
    c->LineTo(380, 200);
    c->MoveTo(300, 20);
    c->LineTo(300, 280);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetName("Arial");
    c->Font()->SetSize(14);
    c->Font()->SetColor(clBlack);
    c->TextOut(40, 230, "Depth, m");
  }
};

// Share of the points along a straight line that the reader shows dark within one pixel.
double LineKept(const Pixels& p, int x0, int y0, int x1, int y1)
{
  int n = 0, kept = 0;
  for (int x = x0; x <= x1; ++x)
    for (int y = y0; y <= y1; ++y) {
      ++n;
      bool found = false;
      for (int d = -1; d <= 1 && !found; ++d)
        found = x0 == x1 ? Dark(p.At(x + d, y)) : Dark(p.At(x, y + d));
      kept += found;
    }
  return n ? static_cast<double>(kept) / n : 0.0;
}

TEST_F(PictureReaders, PanelDrawingLinesTextAndGradient)
{
  DrawingPanel panel;
  panel.SetBounds(0, 0, 400, 300);
  panel.SetBevelOuter(bvNone);
  panel.SetColor(clWhite);
  panel.GetGradient()->SetVisible(true);
  panel.GetGradient()->SetStartColor(clWhite);
  panel.GetGradient()->SetEndColor(RGB(160, 200, 255));
  const std::unique_ptr<TMetafile> picture = panel.CreateMetafile(true, TRect{0, 0, 400, 300});
  const Pixels ours = Replay(picture.get(), 400, 300);
  EXPECT_GT(LineKept(ours, 30, 200, 370, 200), 0.99);

  const std::string emf = dir.file("panel.emf"), wmf = dir.file("panel.wmf");
  picture->SaveToFile(emf);
  testsupport::WriteAll(wmf, EnhancedToPlaceableMetafile(picture->SaveToBytes(), 400, 300));
  for (const Pixels& theirs : {ReadWithImageMagick(wmf, 400, 300, "-density 96"), ReadWithEmf2Svg(emf, 400, 300)}) {
    ASSERT_EQ(theirs.px.size(), ours.px.size());
    EXPECT_GT(LineKept(theirs, 30, 200, 370, 200), 0.95);
    EXPECT_GT(LineKept(theirs, 300, 30, 300, 270), 0.95);
    EXPECT_EQ(theirs.At(80, 70), clRed);
    EXPECT_LT(MeanDifference(ours, theirs), 10.0);
    // Some of the text's pixels are dark in both.
    int text = 0;
    for (int y = 228; y < 252; ++y)
      for (int x = 40; x < 110; ++x) text += Dark(theirs.At(x, y));
    EXPECT_GT(text, 30);
  }
}

// A saved bitmap reads back pixel for pixel.
TEST_F(PictureReaders, BitmapIsPixelExact)
{
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) b.Canvas()->SetPixel(x, y, RGB(x * 4, y * 5, (x * y) & 0xFF));
  const std::string file = dir.file("b.bmp");
  b.SaveToFile(file);
  const Pixels theirs = ReadWithImageMagick(file, 64, 48);
  ASSERT_EQ(theirs.px.size(), 64u * 48u);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(theirs.At(x, y), static_cast<TColor>(RGB(x * 4, y * 5, (x * y) & 0xFF)));
}

}  // namespace

// Loading of the OpenGL libraries, contexts without them, and the texture cache.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "GLTextureMakes.h"
#include "TestSupport.h"
#include "chart/canvas/NuvGLCanvas.h"

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

// Path of the system library a name resolves to.
std::string SystemLibraryPath(const char* name)
{
  void* h = dlopen(name, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (!h) h = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (!h) return {};
  link_map* map = nullptr;
  std::string path;
  if (dlinfo(h, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) path = map->l_name;
  dlclose(h);
  return path;
}

// Restores the system's library search at the end of a test.
struct LibraryFolderScope {
  explicit LibraryFolderScope(const std::string& folder)
  {
    CloseOpenGL();
    SetLibrarySearchFolder(folder);
  }
  ~LibraryFolderScope()
  {
    CloseOpenGL();
    SetLibrarySearchFolder("");
    InitOpenGL();
  }
};

struct Frame {
  TBitmap bmp;
  TGLCanvas canvas;
  TRect rect;
  explicit Frame(int w = 60, int h = 40) : rect(Rect(0, 0, w, h)) { bmp.SetSize(w, h); }
  void Begin()
  {
    canvas.InitWindow(bmp.Canvas(), nullptr, clWhite, false, rect);
    canvas.ViewPort(0, rect, rect);
    canvas.DisableRotation();
  }
  void End()
  {
    canvas.EnableRotation();
    canvas.ShowImage(bmp.Canvas(), bmp.Canvas(), rect);
  }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y); }
};

std::unique_ptr<TBitmap> Solid(TColor colour, int w = 4, int h = 4)
{
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

// A picture that is not a bitmap: a red field.
class RedPicture : public TGraphic {
public:
  int32_t GetWidth() const override { return 8; }
  int32_t GetHeight() const override { return 8; }
  void Draw(TCanvas* canvas, const TRect& r) override
  {
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(r);
  }
  void SaveToFile(const std::string&) override {}
  void LoadFromFile(const std::string&) override {}
};

void FillWithBrushBitmap(Frame& f, TBitmap* bitmap, TColor brushColour, const TRect& r)
{
  f.canvas.Brush()->SetColor(brushColour);
  f.canvas.Brush()->SetBitmap(bitmap);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.FillRect(r);
  f.canvas.Brush()->SetBitmap(nullptr);
}

}  // namespace

TEST(GLLibraries, PrimaryNamesLoadAndASecondCallKeepsThem)
{
  ASSERT_TRUE(InitOpenGL());
  EXPECT_EQ(LoadedOpenGLName(), "libGL.so.1");
  EXPECT_EQ(LoadedGLUName(), "libGLU.so.1");
  EXPECT_NE(OpenGLEntries().glBegin, nullptr);
  EXPECT_NE(OpenGLEntries().gluProject, nullptr);
  EXPECT_TRUE(InitOpenGL());
  EXPECT_EQ(LoadedOpenGLName(), "libGL.so.1");
  CloseOpenGL();
  EXPECT_FALSE(OpenGLLoaded());
  EXPECT_EQ(OpenGLEntries().glBegin, nullptr);
  EXPECT_TRUE(InitOpenGL());
}

TEST(GLLibraries, OnlyTheSecondPairPresentStillDraws)
{
  const std::string gl = SystemLibraryPath("libOpenGL.so.0"), glu = SystemLibraryPath("libGLU.so.1");
  ASSERT_FALSE(gl.empty());
  ASSERT_FALSE(glu.empty());
  testsupport::TempDir dir;
  std::filesystem::create_symlink(gl, dir.path() / OpenGLLibraryName2);
  std::filesystem::create_symlink(glu, dir.path() / GLULibraryName2);
  LibraryFolderScope scope(dir.path().string());
  ASSERT_TRUE(InitOpenGL());
  EXPECT_EQ(LoadedOpenGLName(), OpenGLLibraryName2);
  EXPECT_EQ(LoadedGLUName(), GLULibraryName2);
  Frame f;
  f.Begin();
  ASSERT_TRUE(f.canvas.Active());
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.FillRect(Rect(10, 10, 50, 30));
  f.End();
  EXPECT_EQ(f.At(30, 20), clRed);
}

TEST(GLLibraries, WithoutLibrariesTheCanvasIsInert)
{
  testsupport::TempDir empty;
  LibraryFolderScope scope(empty.path().string());
  EXPECT_FALSE(InitOpenGL());
  EXPECT_FALSE(OpenGLLoaded());
  auto picture = Solid(clBlue);
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  Frame f;
  const TRect got = f.canvas.InitWindow(f.bmp.Canvas(), &options, clRed, true, f.rect);
  EXPECT_EQ(got, f.rect);
  EXPECT_FALSE(f.canvas.Active());
  // Every kind of operation runs and draws nothing.
  f.canvas.ViewPort(100, f.rect, f.rect);
  f.canvas.SetAmbientLight(50);
  f.canvas.SetLight(GL_LIGHT0, {1, 1, 1, 1}, 180, false, {}, {});
  f.canvas.SetShininess(0.5);
  f.canvas.SetAntialias(true);
  f.canvas.DisableRotation();
  f.canvas.Brush()->SetBitmap(picture.get());
  f.canvas.EnableBrushTexture();
  f.canvas.FillRect(Rect(0, 0, 60, 40));
  f.canvas.Cube(0, 50, 0, 30, 0, 20);
  f.canvas.Cylinder(true, 0, 0, 20, 20, 0, 20, false);
  f.canvas.CircleWithZ(10, 10, 5, 0);
  f.canvas.TextOut(5, 5, "text");
  f.canvas.TexturedQuad1D({0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 1}, {});
  f.canvas.DisableBrushTexture();
  f.canvas.Brush()->SetBitmap(nullptr);
  const std::vector<TPoint3DFloat> pts = {{0, 0, 0}, {10, 0, 0}, {0, -10, 0}, {10, -10, 0}};
  const std::vector<TFloatPoint> tex = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  f.canvas.QuadStrip3DTextured(pts, tex, picture.get(), false, {0, 0, 1});
  f.canvas.Polygon3DTextured(pts, tex, picture.get(), false, {0, 0, 1});
  f.canvas.StretchDraw(Rect(0, 0, 10, 10), picture.get());
  f.canvas.EnableRotation();
  bool frameEnded = false;
  f.canvas.OnFrameEnd = [&](TObject*) { frameEnded = true; };
  f.canvas.ShowImage(f.bmp.Canvas(), f.bmp.Canvas(), f.rect);
  EXPECT_FALSE(frameEnded);
  EXPECT_EQ(f.At(30, 20), clWhite);
  EXPECT_EQ(TextureCacheCount(), 0);
  TPoint p;
  f.canvas.ProjectPoint(p, 10.5, 20.4, 3);
  EXPECT_EQ(p, (TPoint{10, 20}));
}

TEST(GLLibraries, AMemoryCanvasDrawsToABitmapAndIsNeverDoubleBuffered)
{
  TBitmap window, memory;
  SetWindowCanvas(window.Canvas(), true);
  EXPECT_EQ(PixelFormatFlags(memory.Canvas(), coDoubleBuffer) & (PFD_DRAW_TO_BITMAP | PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW),
            PFD_DRAW_TO_BITMAP);
  EXPECT_EQ(PixelFormatFlags(window.Canvas(), coDoubleBuffer) & (PFD_DRAW_TO_BITMAP | PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW),
            PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER);
  EXPECT_EQ(PixelFormatFlags(window.Canvas(), 0) & PFD_DOUBLEBUFFER, 0u);
  SetWindowCanvas(window.Canvas(), false);
}

#if defined(__x86_64__)
TEST(GLLibraries, FloatingPointExceptionsAreMasked)
{
  EXPECT_EQ(_mm_getcsr() & 0x1F80u, 0x1F80u);
  volatile double zero = 0;
  EXPECT_TRUE(std::isinf(1.0 / zero));
}
#endif

TEST(GLTextureCache, OneTexturePerBitmapObjectAndContext)
{
  auto a = Solid(clRed), sameLook = Solid(clRed);
  Frame f;
  SetWindowCanvas(f.bmp.Canvas(), true);
  f.Begin();
  FillWithBrushBitmap(f, a.get(), clWhite, Rect(0, 0, 20, 20));
  FillWithBrushBitmap(f, a.get(), clWhite, Rect(20, 0, 40, 20));
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 1);
  FillWithBrushBitmap(f, sameLook.get(), clWhite, Rect(40, 0, 60, 20));
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 2);
  f.End();
  // A window keeps its textures from frame to frame.
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 2);

  // Another canvas has a context of its own and its own texture of the same bitmap.
  Frame g;
  SetWindowCanvas(g.bmp.Canvas(), true);
  g.Begin();
  FillWithBrushBitmap(g, a.get(), clWhite, Rect(0, 0, 20, 20));
  g.End();
  EXPECT_EQ(TextureCacheCount(g.canvas.GetRC()), 1);
  EXPECT_EQ(TextureCacheCount(), 3);
  EXPECT_EQ(g.At(10, 10), clRed);
  SetWindowCanvas(f.bmp.Canvas(), false);
  SetWindowCanvas(g.bmp.Canvas(), false);
}

TEST(GLTextureCache, AFullCacheMakesRoomSoThatEveryPictureOfAFrameIsTextured)
{
  // A hundred pictures in one frame, each in its own colour: every one is drawn textured.
  std::vector<std::unique_ptr<TBitmap>> bitmaps;
  auto colour = [](int i) { return RGB(static_cast<uint8_t>(40 + i), static_cast<uint8_t>(200 - i), 90); };
  for (int i = 0; i < 2 * MaxTextureRecords; ++i) bitmaps.push_back(Solid(colour(i)));
  // Ten by ten cells of 30 x 20 pixels.
  Frame f(300, 200);
  SetWindowCanvas(f.bmp.Canvas(), true);
  f.Begin();
  for (int i = 0; i < 2 * MaxTextureRecords; ++i) {
    const int x = (i % 10) * 30, y = (i / 10) * 20;
    FillWithBrushBitmap(f, bitmaps[i].get(), clWhite, Rect(x, y, x + 30, y + 20));
  }
  f.End();
  for (int i = 0; i < 2 * MaxTextureRecords; ++i)
    EXPECT_EQ(f.At((i % 10) * 30 + 15, (i / 10) * 20 + 10), colour(i)) << "picture " << i;
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), MaxTextureRecords);

  // A picture used again and a new one, in the next frame.
  auto fresh = Solid(clLime);
  f.Begin();
  FillWithBrushBitmap(f, bitmaps[MaxTextureRecords].get(), clWhite, Rect(0, 0, 30, 40));
  FillWithBrushBitmap(f, fresh.get(), clWhite, Rect(30, 0, 60, 40));
  f.End();
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), MaxTextureRecords);
  EXPECT_EQ(f.At(15, 20), colour(MaxTextureRecords));
  EXPECT_EQ(f.At(45, 20), clLime);
  SetWindowCanvas(f.bmp.Canvas(), false);
}

// Cells of 30 x 20 pixels, ten to a row, picture i in cell i with colour i.
struct PictureCells {
  std::vector<std::unique_ptr<TBitmap>> bitmaps;
  explicit PictureCells(int n)
  {
    for (int i = 0; i < n; ++i) bitmaps.push_back(Solid(Colour(i)));
  }
  static TColor Colour(int i) { return RGB(static_cast<uint8_t>(20 + 2 * i), static_cast<uint8_t>(240 - 2 * i), 60); }
  static TRect Cell(int i) { return Rect((i % 10) * 30, (i / 10) * 20, (i % 10) * 30 + 30, (i / 10) * 20 + 20); }
  // One frame drawing the pictures in the given order; every one drawn shows its own colour,
  // not the brush's white.
  void Draw(Frame& f, const std::vector<int>& order)
  {
    f.Begin();
    for (int i : order) FillWithBrushBitmap(f, bitmaps[static_cast<size_t>(i)].get(), clWhite, Cell(i));
    f.End();
    for (int i : order) {
      const TRect r = Cell(i);
      EXPECT_EQ(f.At(r.Left + 15, r.Top + 10), Colour(i)) << "picture " << i;
    }
  }
};

TEST(GLTextureCache, FramesOfOnePictureMoreThanTheCacheHoldsRemakeOneOrTwoTextures)
{
  constexpr int n = MaxTextureRecords + 1;
  PictureCells pictures(n);
  Frame f(300, 120);
  SetWindowCanvas(f.bmp.Canvas(), true);
  testsupport::TextureMakes makes;
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  pictures.Draw(f, order);
  EXPECT_EQ(makes.Take(), n);
  // The same order frame after frame.
  for (int frame = 1; frame <= 4; ++frame) {
    pictures.Draw(f, order);
    EXPECT_LE(makes.Take(), 2) << "same order, frame " << frame;
  }
  // An order that changes from frame to frame, as a turning view's nearest-first order does,
  // with one picture always last (the slice over the sections).
  std::mt19937 random(26);
  for (int frame = 1; frame <= 12; ++frame) {
    if (frame % 3 == 0)
      std::reverse(order.begin(), order.end() - 1);
    else
      std::shuffle(order.begin(), order.end() - 1, random);
    pictures.Draw(f, order);
    EXPECT_LE(makes.Take(), 2) << "changing order, frame " << frame;
  }
  // And with the last picture anywhere.
  for (int frame = 1; frame <= 6; ++frame) {
    std::shuffle(order.begin(), order.end(), random);
    pictures.Draw(f, order);
    EXPECT_LE(makes.Take(), 2) << "any order, frame " << frame;
  }
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), MaxTextureRecords);
  SetWindowCanvas(f.bmp.Canvas(), false);
}

TEST(GLTextureCache, PicturesNoLongerDrawnMakeRoomForThoseDrawnNow)
{
  // Fifty pictures fill the cache; then frames draw fifty others while the first stay alive.
  PictureCells pictures(2 * MaxTextureRecords);
  Frame f(300, 200);
  SetWindowCanvas(f.bmp.Canvas(), true);
  testsupport::TextureMakes makes;
  std::vector<int> first(MaxTextureRecords), second(MaxTextureRecords);
  std::iota(first.begin(), first.end(), 0);
  std::iota(second.begin(), second.end(), MaxTextureRecords);
  pictures.Draw(f, first);
  EXPECT_EQ(makes.Take(), MaxTextureRecords);
  pictures.Draw(f, second);
  pictures.Draw(f, second);
  makes.Take();
  for (int frame = 3; frame <= 5; ++frame) {
    pictures.Draw(f, second);
    EXPECT_EQ(makes.Take(), 0) << "frame " << frame << " of the second pictures";
  }
  SetWindowCanvas(f.bmp.Canvas(), false);
}

TEST(GLTextureCache, ABitmapThatDiesLosesItsTextureAndItsPlace)
{
  Frame f;
  SetWindowCanvas(f.bmp.Canvas(), true);
  auto keep = Solid(clRed);
  {
    auto gone = Solid(clBlue);
    f.Begin();
    FillWithBrushBitmap(f, keep.get(), clWhite, Rect(0, 0, 30, 40));
    FillWithBrushBitmap(f, gone.get(), clWhite, Rect(30, 0, 60, 40));
    f.End();
    EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 2);
  }
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 1);
  // A new bitmap (never the dead one's identity) gets a texture of its own picture.
  auto next = Solid(clLime);
  f.Begin();
  FillWithBrushBitmap(f, keep.get(), clWhite, Rect(0, 0, 30, 40));
  FillWithBrushBitmap(f, next.get(), clWhite, Rect(30, 0, 60, 40));
  f.End();
  EXPECT_EQ(f.At(15, 20), clRed);
  EXPECT_EQ(f.At(45, 20), clLime);
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 2);
  SetWindowCanvas(f.bmp.Canvas(), false);
}

TEST(GLTextureCache, ClearingDropsEveryRecordAndTexturesAreRemade)
{
  auto a = Solid(clRed);
  Frame f;
  SetWindowCanvas(f.bmp.Canvas(), true);
  f.Begin();
  FillWithBrushBitmap(f, a.get(), clWhite, Rect(0, 0, 60, 40));
  f.End();
  ClearTextureCache();
  EXPECT_EQ(TextureCacheCount(), 0);
  // The bitmap's picture changed meanwhile: the texture made again shows the new one.
  a->Canvas()->Brush()->SetColor(clBlue);
  a->Canvas()->FillRect(Rect(0, 0, 4, 4));
  f.Begin();
  FillWithBrushBitmap(f, a.get(), clWhite, Rect(0, 0, 60, 40));
  f.End();
  EXPECT_EQ(f.At(30, 20), clBlue);
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 1);
  SetWindowCanvas(f.bmp.Canvas(), false);
}

TEST(GLTextureCache, TemporaryBitmapsAndMemoryTargetsLeaveNothingCached)
{
  Frame f;  // a memory bitmap: textures belong to this frame only
  RedPicture red;
  auto a = Solid(clBlue);
  f.Begin();
  f.canvas.StretchDraw(Rect(0, 0, 30, 40), &red);
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 0);
  FillWithBrushBitmap(f, a.get(), clWhite, Rect(30, 0, 60, 40));
  EXPECT_EQ(TextureCacheCount(f.canvas.GetRC()), 1);
  f.End();
  EXPECT_EQ(TextureCacheCount(), 0);
  EXPECT_EQ(f.At(15, 20), clRed);
  EXPECT_EQ(f.At(45, 20), clBlue);
}

TEST(GLTextureCache, OnePixelHighBitmapsBecomeOneDimensionalTextures)
{
  // A 2 x 1 strip, red then blue: a 1-D texture across the quad.
  TBitmap strip;
  strip.SetSize(2, 1);
  strip.Canvas()->SetPixel(0, 0, clRed);
  strip.Canvas()->SetPixel(1, 0, clBlue);
  Frame f;
  f.Begin();
  f.canvas.Brush()->SetBitmap(&strip);
  ASSERT_TRUE(f.canvas.SetTexture(&strip));
  GLint bound1D = 0, bound2D = 0;
  OpenGLEntries().glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound1D);
  OpenGLEntries().glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound2D);
  EXPECT_NE(bound1D, 0);
  EXPECT_TRUE(OpenGLEntries().glIsEnabled(GL_TEXTURE_1D));
  f.canvas.UnsetTexture(&strip);
  EXPECT_FALSE(OpenGLEntries().glIsEnabled(GL_TEXTURE_1D));
  f.canvas.Brush()->SetBitmap(nullptr);
  f.End();
}

TEST(GLContexts, InterleavedCanvasesEachDrawIntoTheirOwnFrame)
{
  Frame a, b;
  a.Begin();
  b.Begin();  // b's context is current now
  a.canvas.Brush()->SetColor(clRed);
  a.canvas.Pen()->SetStyle(psClear);
  a.canvas.FillRect(Rect(0, 0, 60, 40));
  b.canvas.Brush()->SetColor(clBlue);
  b.canvas.Pen()->SetStyle(psClear);
  b.canvas.FillRect(Rect(0, 0, 30, 40));
  a.End();
  b.End();
  EXPECT_EQ(a.At(45, 20), clRed);
  EXPECT_EQ(a.At(15, 20), clRed);
  EXPECT_EQ(b.At(15, 20), clBlue);
  EXPECT_EQ(b.At(45, 20), clWhite);
}

TEST(GLContexts, TheCanvasOutlivesItsTargetAndFollowsItsSize)
{
  auto canvas = std::make_unique<TGLCanvas>();
  {
    TBitmap target;
    target.SetSize(40, 30);
    canvas->InitWindow(target.Canvas(), nullptr, clWhite, false, Rect(0, 0, 40, 30));
    canvas->ViewPort(0, Rect(0, 0, 40, 30), Rect(0, 0, 40, 30));
    canvas->TextOut(2, 2, "A");
    canvas->ShowImage(target.Canvas(), target.Canvas(), Rect(0, 0, 40, 30));
  }
  // A new target of another size: the frame follows it.
  TBitmap next;
  next.SetSize(90, 70);
  canvas->InitWindow(next.Canvas(), nullptr, clLime, false, Rect(0, 0, 90, 70));
  canvas->ViewPort(0, Rect(0, 0, 90, 70), Rect(0, 0, 90, 70));
  canvas->ShowImage(next.Canvas(), next.Canvas(), Rect(0, 0, 90, 70));
  EXPECT_EQ(next.Canvas()->GetPixel(85, 65), clLime);
  EXPECT_EQ(next.Canvas()->GetPixel(2, 2), clLime);
  canvas->SetBufferedDisplay(false);
  EXPECT_EQ(canvas->FontCount(), 0);
  canvas.reset();
}

TEST(GLContexts, RepaintsReuseTheContextUntilTargetOptionsOrBufferingChange)
{
  TView3DOptions options(nullptr), other(nullptr);
  TBitmap target;
  target.SetSize(50, 40);
  TGLCanvas canvas;
  const TRect r = Rect(0, 0, 50, 40);
  auto paint = [&](TView3DOptions* o) {
    canvas.InitWindow(target.Canvas(), o, clWhite, true, r);
    canvas.ViewPort(10, r, r);
    canvas.ShowImage(target.Canvas(), target.Canvas(), r);
  };
  const int before = RenderingContextsCreated();
  paint(&options);
  paint(&options);
  EXPECT_EQ(RenderingContextsCreated(), before + 1);
  canvas.SetBufferedDisplay(false);
  paint(&options);
  EXPECT_EQ(RenderingContextsCreated(), before + 2);
  paint(&other);
  EXPECT_EQ(RenderingContextsCreated(), before + 3);
}

TEST(GLContexts, AmbientLightZeroLeavesLightingAndTheLightsOff)
{
  Frame f;
  f.Begin();
  auto& gl = OpenGLEntries();
  f.canvas.SetLight(GL_LIGHT1, {1, 1, 1, 1}, 180, false, {}, {});
  EXPECT_TRUE(gl.glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(gl.glIsEnabled(GL_LIGHT1));
  f.canvas.SetAmbientLight(0);
  EXPECT_FALSE(gl.glIsEnabled(GL_LIGHTING));
  for (GLenum light : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2}) EXPECT_FALSE(gl.glIsEnabled(light));
  f.End();
}

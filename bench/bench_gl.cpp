// One frame of the 3-D scene through the OpenGL canvas at 1280 x 1024: 50 textured section panels
// (512 x 512 textures), the same scene in cell mode (200 x 50 cells per section as 1-D textured
// quads), and the first frame after the texture cache was cleared.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "chart/canvas/NuvGLCanvas.h"

namespace {
constexpr int kWidth = 1280, kHeight = 1024;
constexpr int kSections = 50;
constexpr int kCellsX = 200, kCellsZ = 50;

struct Scene {
  TBitmap target;
  TView3DOptions options{nullptr};
  TGLCanvas canvas;
  std::vector<std::unique_ptr<TBitmap>> textures;
  TBitmap strip;
  TRect rect = Rect(0, 0, kWidth, kHeight);

  Scene()
  {
    target.SetSize(kWidth, kHeight);
    // The viewer's chart is a window: its textures stay cached from frame to frame.
    SetWindowCanvas(target.Canvas(), true);
    options.SetOrthogonal(false);
    options.SetPerspective(15);
    // Zoomed out so that the whole scene box fits the window.
    options.SetZoom(35);
    options.SetElevation(340);
    options.SetRotation(330);
    // Smoothly shaded and lit as the viewer's scene: ambient light and one positional light.
    canvas.SetShadeQuality(true);
    canvas.OnSetup = [this](TObject*) {
      canvas.SetAmbientLight(40);
      canvas.SetLight(GL_LIGHT0, {0.5f, 0.5f, 0.5f, 1.0f}, 180, false, {0, 0, 0}, {-100, -100, -400});
      canvas.SetShininess(0.3);
    };
    for (int i = 0; i < kSections; ++i) {
      auto t = std::make_unique<TBitmap>();
      t->SetPixelFormat(pf24bit);
      t->SetSize(512, 512);
      for (int y = 0; y < 512; ++y) {
        uint8_t* row = t->ScanLine(y);
        for (int x = 0; x < 512; ++x) {
          row[3 * x] = static_cast<uint8_t>(x / 2);
          row[3 * x + 1] = static_cast<uint8_t>(y / 2);
          row[3 * x + 2] = static_cast<uint8_t>(i * 5);
        }
      }
      textures.push_back(std::move(t));
    }
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(512, 1);
    uint8_t* row = strip.ScanLine(0);
    for (int x = 0; x < 512; ++x) {
      row[3 * x] = static_cast<uint8_t>(255 - x / 2);
      row[3 * x + 1] = static_cast<uint8_t>(x % 256);
      row[3 * x + 2] = static_cast<uint8_t>(x / 2);
    }
  }

  // Section i: a vertical panel 1000 wide and 500 deep at depth z of a box 600 deep.
  static double PanelZ(int i) { return 600.0 * i / (kSections - 1); }
  static constexpr double kPanelW = 1000, kPanelH = 500;

  void Begin()
  {
    canvas.InitWindow(target.Canvas(), &options, clWhite, true, rect);
    canvas.ViewPort(600, rect, rect);
  }

  void End() { canvas.ShowImage(target.Canvas(), target.Canvas(), rect); }

  bool Ready()
  {
    Begin();
    End();
    return canvas.Active();
  }

  void TextureFrame()
  {
    Begin();
    canvas.Pen()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clWhite);
    const double cx = kWidth / 2.0, cy = kHeight / 2.0;
    for (int i = 0; i < kSections; ++i) {
      // Outline: top edge left to right, then bottom edge, in OpenGL orientation.
      std::vector<TPoint3DFloat> pts;
      std::vector<TFloatPoint> tex;
      const int n = 12;
      for (int edge = 0; edge < 2; ++edge)
        for (int k = 0; k < n; ++k) {
          const double x = cx - kPanelW / 2 + kPanelW * k / (n - 1);
          const double y = edge == 0 ? cy - kPanelH / 2 + 10 * std::sin(k) : cy + kPanelH / 2;
          pts.push_back({x, -y, -PanelZ(i)});
          tex.push_back({static_cast<double>(k) / (n - 1), static_cast<double>(edge)});
        }
      canvas.QuadStrip3DTextured(pts, tex, textures[i].get(), false, {0, 0, 1});
    }
    End();
  }

  void CellFrame()
  {
    Begin();
    canvas.Brush()->SetBitmap(&strip);
    canvas.EnableBrushTexture();
    const double cx = kWidth / 2.0, cy = kHeight / 2.0;
    const double dx = kPanelW / kCellsX, dy = kPanelH / kCellsZ;
    std::array<TTexCoord1D, 4> tex;
    for (int i = 0; i < kSections; ++i) {
      const double z = PanelZ(i);
      for (int j = 0; j < kCellsX; ++j)
        for (int k = 0; k < kCellsZ; ++k) {
          const double x0 = cx - kPanelW / 2 + j * dx, y0 = cy - kPanelH / 2 + k * dy;
          // Each corner's coordinate comes from the value at its node, as in the viewer.
          static constexpr int kCornerJ[4] = {0, 1, 1, 0}, kCornerK[4] = {0, 0, 1, 1};
          for (int c = 0; c < 4; ++c)
            tex[c] = {(((j + kCornerJ[c]) * 7 + (k + kCornerK[c]) * 3 + i) % 97) / 97.0, 1.0};
          canvas.TexturedQuad1D({x0, y0, z}, {x0 + dx, y0, z}, {x0 + dx, y0 + dy, z}, {x0, y0 + dy, z}, {0, 0, 1},
                                tex);
        }
    }
    canvas.DisableBrushTexture();
    canvas.Brush()->SetBitmap(nullptr);
    End();
  }
};

Scene& TheScene()
{
  static Scene scene;
  return scene;
}

void BM_TextureFrame(benchmark::State& state)
{
  Scene& s = TheScene();
  if (!s.Ready()) return state.SkipWithError("no OpenGL context");
  s.TextureFrame();  // textures made once, as after the first paint
  for (auto _ : state) s.TextureFrame();
}
BENCHMARK(BM_TextureFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CellFrame(benchmark::State& state)
{
  Scene& s = TheScene();
  if (!s.Ready()) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) s.CellFrame();
}
BENCHMARK(BM_CellFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FirstFrameAfterCacheClear(benchmark::State& state)
{
  Scene& s = TheScene();
  if (!s.Ready()) return state.SkipWithError("no OpenGL context");
  for (auto _ : state) {
    ClearTextureCache();
    s.TextureFrame();
  }
}
BENCHMARK(BM_FirstFrameAfterCacheClear)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}  // namespace

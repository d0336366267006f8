// The OpenGL component: binding a panel swaps its canvas, and each frame's set-up sets the lights.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "chart/canvas/NuvOpenGL.h"
#include "chart/canvas/NuvProcs.h"

namespace {

// A 3-D panel that fills its chart rectangle.
class Panel : public TCustomNuvPanelExtended {
public:
  explicit Panel(TComponent* owner = nullptr) : TCustomNuvPanelExtended(owner) { SetBounds(0, 0, 120, 90); }
  void InternalDraw(const TRect& r) override
  {
    Canvas()->ViewPort(40, ChartBounds, ChartRect);
    DrawPanelBackground(r);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(ChartRect);
  }
  // One frame into a memory bitmap.
  void Frame()
  {
    bmp.SetSize(120, 90);
    Draw(bmp.Canvas(), Rect(0, 0, 120, 90));
  }
  TBitmap bmp;
};

bool IsGL(Panel& p) { return dynamic_cast<TGLCanvas*>(p.Canvas()) != nullptr; }

// Light state read inside the set-up, while the frame's context is current.
struct LightProbe {
  std::array<bool, 3> enabled{};
  std::array<float, 4> eyePosition{};
  int calls = 0;
  void Read()
  {
    auto& gl = OpenGLEntries();
    for (int i = 0; i < 3; ++i) enabled[static_cast<size_t>(i)] = gl.glIsEnabled(GL_LIGHT0 + i) == GL_TRUE;
    gl.glGetLightfv(GL_LIGHT0, GL_POSITION, eyePosition.data());
    ++calls;
  }
};

}  // namespace

TEST(NuvOpenGLBinding, ActiveAndPanelDecideTheCanvasInEitherOrder)
{
  Panel panel;
  TNuvOpenGL gl(nullptr);
  // Stored-form order: Active first, the panel later.
  gl.SetActive(true);
  EXPECT_FALSE(IsGL(panel));
  EXPECT_EQ(gl.GetGLCanvas(), nullptr);
  gl.SetNuvPanel(&panel);
  EXPECT_TRUE(IsGL(panel));
  EXPECT_EQ(panel.GLComponent, &gl);
  EXPECT_EQ(gl.GetGLCanvas(), panel.Canvas());

  gl.SetActive(false);
  EXPECT_FALSE(IsGL(panel));
  EXPECT_EQ(gl.GetGLCanvas(), nullptr);
  gl.SetActive(true);
  EXPECT_TRUE(IsGL(panel));

  // Unbinding while active gives the panel a GDI canvas again and leaves the component off.
  gl.SetNuvPanel(nullptr);
  EXPECT_FALSE(IsGL(panel));
  EXPECT_FALSE(gl.GetActive());
  EXPECT_EQ(panel.GLComponent, nullptr);
  panel.Frame();  // nothing left calls into the component
}

TEST(NuvOpenGLBinding, TheNewCanvasTakesTheComponentsOptions)
{
  Panel panel;
  panel.SetBufferedDisplay(false);
  TNuvOpenGL gl(nullptr);
  gl.SetFontOutlines(true);
  gl.SetDrawStyle(tcsWire);
  gl.SetShadeQuality(false);
  gl.SetFontExtrusion(7);
  gl.SetNuvPanel(&panel);
  gl.SetActive(true);
  TGLCanvas* c = gl.GetGLCanvas();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetFontMode(), 1);
  EXPECT_EQ(c->GetDrawStyle(), tcsWire);
  EXPECT_FALSE(c->GetShadeQuality());
  EXPECT_EQ(c->GetFontExtrusion(), 7);
  EXPECT_FALSE(c->GetBufferedDisplay());
  // Later changes reach the live canvas.
  gl.SetFontOutlines(false);
  gl.SetShadeQuality(true);
  EXPECT_EQ(c->GetFontMode(), 0);
  EXPECT_TRUE(c->GetShadeQuality());
}

TEST(NuvOpenGLBinding, WhicheverGoesFirstNothingDangles)
{
  {
    // The component goes first while active: the panel draws with GDI again.
    Panel panel;
    auto gl = std::make_unique<TNuvOpenGL>(nullptr);
    gl->SetNuvPanel(&panel);
    gl->SetActive(true);
    gl.reset();
    EXPECT_FALSE(IsGL(panel));
    EXPECT_EQ(panel.GLComponent, nullptr);
    panel.Frame();
  }
  {
    // The panel goes first: the component unbinds and is off.
    auto panel = std::make_unique<Panel>();
    TNuvOpenGL gl(nullptr);
    gl.SetNuvPanel(panel.get());
    gl.SetActive(true);
    panel.reset();
    EXPECT_EQ(gl.GetNuvPanel(), nullptr);
    EXPECT_FALSE(gl.GetActive());
    EXPECT_EQ(gl.GetGLCanvas(), nullptr);
    gl.SetAmbientLight(50);  // only stores
  }
  {
    // Both owned by one form, in either order of creation.
    auto form = std::make_unique<TComponent>(nullptr);
    auto* gl = new TNuvOpenGL(form.get());
    auto* panel = new Panel(form.get());
    gl->SetNuvPanel(panel);
    gl->SetActive(true);
    form.reset();
  }
}

TEST(NuvOpenGLBinding, ChangesRepaintOnlyWhenTheyChangeSomething)
{
  TNuvOpenGL gl(nullptr);
  int repaints = 0;
  gl.OnRepaint = [&](TObject* sender) {
    EXPECT_EQ(sender, &gl);
    ++repaints;
  };
  gl.SetAmbientLight(8);
  gl.SetShininess(0.05);
  EXPECT_EQ(repaints, 0);
  gl.SetAmbientLight(35);
  gl.SetShininess(0.69);
  gl.SetAntialias(true);
  gl.GetLight1()->SetColor(clRed);
  gl.GetLight()->GetPosition()->SetZ(500);
  EXPECT_EQ(repaints, 5);
  gl.GetLight()->GetPosition()->SetZ(500);
  EXPECT_EQ(repaints, 5);
}

TEST(NuvOpenGLLights, CreatedValuesAndAssign)
{
  TNuvOpenGL gl(nullptr);
  EXPECT_FALSE(gl.GetActive());
  EXPECT_EQ(gl.GetAmbientLight(), 8);
  EXPECT_DOUBLE_EQ(gl.GetShininess(), 0.05);
  EXPECT_TRUE(gl.GetShadeQuality());
  EXPECT_TRUE(gl.GetLight()->GetVisible());
  EXPECT_FALSE(gl.GetLight1()->GetVisible());
  EXPECT_FALSE(gl.GetLight2()->GetVisible());
  // The created colour is the one a stored form leaves out, so it reads back unchanged.
  EXPECT_EQ(gl.GetLight()->GetColor(), TColor(0xC0C0C0));
  EXPECT_FALSE(gl.GetLight()->IsColorStored());
  EXPECT_DOUBLE_EQ(gl.GetLight()->GetSpotDegrees(), 180);
  EXPECT_DOUBLE_EQ(gl.GetLight()->GetDirection()->GetZ(), -1);
  EXPECT_DOUBLE_EQ(gl.GetLight()->GetPosition()->GetX(), -100);

  TGLLightSource other(nullptr);
  other.SetColor(0x1E1E1E);
  other.SetVisible(true);
  other.SetFixedPosition(true);
  other.SetSpotDegrees(45);
  other.SetUseDirection(true);
  other.GetPosition()->SetX(-20);
  other.GetDirection()->SetY(3);
  gl.SetLight2(&other);
  const TGLLightSource* l = gl.GetLight2();
  EXPECT_EQ(l->GetColor(), TColor(0x1E1E1E));
  EXPECT_TRUE(l->GetVisible());
  EXPECT_TRUE(l->GetFixedPosition());
  EXPECT_DOUBLE_EQ(l->GetSpotDegrees(), 45);
  EXPECT_TRUE(l->GetUseDirection());
  EXPECT_DOUBLE_EQ(l->GetPosition()->GetX(), -20);
  EXPECT_DOUBLE_EQ(l->GetDirection()->GetY(), 3);
  EXPECT_NE(l->GetPosition(), other.GetPosition());  // copied, not shared
}

TEST(NuvOpenGLLights, EveryFrameSetsTheLightsAndHiddenOnesStayOff)
{
  Panel panel;
  TNuvOpenGL gl(nullptr);
  gl.SetNuvPanel(&panel);
  gl.SetActive(true);
  gl.GetLight2()->SetVisible(true);
  LightProbe probe;
  bool enableOne = false;
  gl.OnInit = [&](TObject* sender) {
    EXPECT_EQ(sender, &gl);
    probe.Read();
    // Other code switches light 1 on after the set-up: the next frame switches it off again.
    if (enableOne) OpenGLEntries().glEnable(GL_LIGHT1);
  };
  panel.Frame();
  ASSERT_TRUE(gl.GetGLCanvas()->Active()) << "no OpenGL context";
  EXPECT_EQ(probe.calls, 1);
  EXPECT_TRUE(probe.enabled[0]);
  EXPECT_FALSE(probe.enabled[1]);
  EXPECT_TRUE(probe.enabled[2]);
  enableOne = true;
  panel.Frame();
  enableOne = false;
  panel.Frame();
  EXPECT_EQ(probe.calls, 3);
  EXPECT_FALSE(probe.enabled[1]);
  gl.GetLight()->SetVisible(false);
  panel.Frame();
  EXPECT_FALSE(probe.enabled[0]);
}

TEST(NuvOpenGLLights, AFixedLightKeepsItsPlaceWhileTheChartTurns)
{
  Panel panel;
  TNuvOpenGL gl(nullptr);
  gl.SetNuvPanel(&panel);
  gl.SetActive(true);
  LightProbe probe;
  gl.OnInit = [&](TObject*) { probe.Read(); };
  gl.GetLight()->GetPosition()->SetX(-20);
  gl.GetLight()->GetPosition()->SetY(-10);
  gl.GetLight()->GetPosition()->SetZ(500);
  auto eyeAt = [&](int rotation) {
    panel.GetView3DOptions()->SetOrthogonal(false);
    panel.GetView3DOptions()->SetRotation(rotation);
    panel.Frame();
    return probe.eyePosition;
  };
  auto same = [](const std::array<float, 4>& a, const std::array<float, 4>& b) {
    for (size_t i = 0; i < 4; ++i)
      if (std::fabs(a[i] - b[i]) > 1e-3f) return false;
    return true;
  };
  gl.GetLight()->SetFixedPosition(true);
  const auto fixedA = eyeAt(300), fixedB = eyeAt(340);
  ASSERT_TRUE(gl.GetGLCanvas()->Active()) << "no OpenGL context";
  EXPECT_TRUE(same(fixedA, fixedB));
  gl.GetLight()->SetFixedPosition(false);
  const auto turningA = eyeAt(300), turningB = eyeAt(340);
  EXPECT_FALSE(same(turningA, turningB));
}

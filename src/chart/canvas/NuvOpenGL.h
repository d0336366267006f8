#pragma once
// The OpenGL component: a non-visual component that makes one chart panel draw through the
// OpenGL canvas. While active and bound to a panel, the panel's surface is a TGLCanvas made from
// the component's options, and at every frame the component sets the ambient light, three lights,
// the shininess and antialiasing on it. Switching it off, unbinding it or destroying it gives the
// panel a GDI canvas again.
#include <cstdint>
#include <functional>
#include <memory>

#include "chart/canvas/NuvGLCanvas.h"
#include "platform/Classes.h"

class TCustomNuvPanel;
class TNuvOpenGL;

// A point or direction of a light; each change repaints the owner.
class TGLPosition : public TPersistent {
public:
  explicit TGLPosition(TNuvOpenGL* owner, double x = 0, double y = 0, double z = 0);
  void Assign(const TPersistent* source) override;

  double GetX() const { return x_; }
  void SetX(double v);
  double GetY() const { return y_; }
  void SetY(double v);
  double GetZ() const { return z_; }
  void SetZ(double v);
  TPoint3DFloat Point() const { return {x_, y_, z_}; }

private:
  TNuvOpenGL* owner_;
  double x_, y_, z_;
};

class TGLLight : public TPersistent {
public:
  // The colour a light is made with and the one a stored form leaves out.
  static constexpr TColor DefaultColor = 0xC0C0C0;

  explicit TGLLight(TNuvOpenGL* owner);
  void Assign(const TPersistent* source) override;

  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  bool IsColorStored() const { return color_ != DefaultColor; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  // RGBA 0..1 of the colour, alpha 1.
  std::array<float, 4> GLColor() const;

protected:
  void Changed();
  TNuvOpenGL* owner_;

private:
  TColor color_ = DefaultColor;
  bool visible_ = false;
};

class TGLLightSource : public TGLLight {
public:
  explicit TGLLightSource(TNuvOpenGL* owner);
  ~TGLLightSource() override;
  void Assign(const TPersistent* source) override;

  TGLPosition* GetDirection() const { return direction_.get(); }
  void SetDirection(const TGLPosition* v) { direction_->Assign(v); }
  bool GetFixedPosition() const { return fixedPosition_; }
  void SetFixedPosition(bool v);
  TGLPosition* GetPosition() const { return position_.get(); }
  void SetPosition(const TGLPosition* v) { position_->Assign(v); }
  double GetSpotDegrees() const { return spotDegrees_; }
  void SetSpotDegrees(double v);
  bool GetUseDirection() const { return useDirection_; }
  void SetUseDirection(bool v);

private:
  std::unique_ptr<TGLPosition> direction_;
  bool fixedPosition_ = false;
  std::unique_ptr<TGLPosition> position_;
  double spotDegrees_ = 180;
  bool useDirection_ = false;
};

class TNuvOpenGL : public TComponent {
public:
  explicit TNuvOpenGL(TComponent* owner);
  ~TNuvOpenGL() override;

  bool GetActive() const { return active_; }
  void SetActive(bool v);
  int32_t GetAmbientLight() const { return ambientLight_; }
  void SetAmbientLight(int32_t v);
  bool GetAntialias() const { return antialias_; }
  void SetAntialias(bool v);
  TNuvCanvasSurfaceStyle GetDrawStyle() const { return drawStyle_; }
  void SetDrawStyle(TNuvCanvasSurfaceStyle v);
  int32_t GetFontExtrusion() const { return fontExtrusion_; }
  void SetFontExtrusion(int32_t v);
  bool GetFontOutlines() const { return fontOutlines_; }
  void SetFontOutlines(bool v);
  TGLLightSource* GetLight() const { return light_.get(); }
  void SetLight(const TGLLightSource* v) { light_->Assign(v); }
  TGLLightSource* GetLight1() const { return light1_.get(); }
  void SetLight1(const TGLLightSource* v) { light1_->Assign(v); }
  TGLLightSource* GetLight2() const { return light2_.get(); }
  void SetLight2(const TGLLightSource* v) { light2_->Assign(v); }
  // Light 0, 1 or 2.
  TGLLightSource* Lights(int index) const;
  bool GetShadeQuality() const { return shadeQuality_; }
  void SetShadeQuality(bool v);
  double GetShininess() const { return shininess_; }
  void SetShininess(double v);
  TCustomNuvPanel* GetNuvPanel() const { return panel_; }
  void SetNuvPanel(TCustomNuvPanel* panel);

  // The panel's canvas when it is an OpenGL canvas, else nullptr.
  TGLCanvas* GetGLCanvas() const;

  // Invalidates the panel; then OnRepaint.
  void Repaint();

  TNotifyEvent OnInit;
  TNotifyEvent OnRepaint;

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  void RecreateCanvas();
  // Run by the canvas at the end of every model-view set-up.
  void Setup(TGLCanvas* canvas);
  // The OpenGL canvas while active and bound, for options that go straight to it.
  TGLCanvas* LiveCanvas() const { return active_ ? GetGLCanvas() : nullptr; }

  bool active_ = false;
  int32_t ambientLight_ = 8;
  bool antialias_ = false;
  TNuvCanvasSurfaceStyle drawStyle_ = tcsSolid;
  int32_t fontExtrusion_ = 0;
  bool fontOutlines_ = false;
  std::unique_ptr<TGLLightSource> light_, light1_, light2_;
  bool shadeQuality_ = true;
  double shininess_ = 0.05;
  TCustomNuvPanel* panel_ = nullptr;
  // The bound panel's own window canvas: frames drawn there keep their textures cached.
  const TCanvas* windowCanvas_ = nullptr;
  void MarkWindowCanvas(TCustomNuvPanel* panel);
};

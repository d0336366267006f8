#include "chart/canvas/NuvOpenGL.h"

#include "chart/canvas/NuvProcs.h"
#include "platform/GLContext.h"

// ---------------------------------------------------------------- TGLPosition

TGLPosition::TGLPosition(TNuvOpenGL* owner, double x, double y, double z) : owner_(owner), x_(x), y_(y), z_(z) {}

void TGLPosition::Assign(const TPersistent* source)
{
  if (auto* p = dynamic_cast<const TGLPosition*>(source)) {
    x_ = p->x_;
    y_ = p->y_;
    z_ = p->z_;
    return;
  }
  TPersistent::Assign(source);
}

void TGLPosition::SetX(double v)
{
  if (Store(x_, v) && owner_) owner_->Repaint();
}

void TGLPosition::SetY(double v)
{
  if (Store(y_, v) && owner_) owner_->Repaint();
}

void TGLPosition::SetZ(double v)
{
  if (Store(z_, v) && owner_) owner_->Repaint();
}

// ---------------------------------------------------------------- TGLLight

TGLLight::TGLLight(TNuvOpenGL* owner) : owner_(owner) {}

void TGLLight::Assign(const TPersistent* source)
{
  if (auto* l = dynamic_cast<const TGLLight*>(source)) {
    color_ = l->color_;
    visible_ = l->visible_;
    return;
  }
  TPersistent::Assign(source);
}

void TGLLight::Changed()
{
  if (owner_) owner_->Repaint();
}

void TGLLight::SetColor(TColor v)
{
  if (Store(color_, v)) Changed();
}

void TGLLight::SetVisible(bool v)
{
  if (Store(visible_, v)) Changed();
}

std::array<float, 4> TGLLight::GLColor() const
{
  const TColor c = ColorToRGB(color_);
  return {GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, 1.0f};
}

// ---------------------------------------------------------------- TGLLightSource

TGLLightSource::TGLLightSource(TNuvOpenGL* owner)
    : TGLLight(owner),
      direction_(std::make_unique<TGLPosition>(owner, 0, 0, -1)),
      position_(std::make_unique<TGLPosition>(owner, -100, -100, -100))
{
}

TGLLightSource::~TGLLightSource() = default;

void TGLLightSource::Assign(const TPersistent* source)
{
  if (auto* l = dynamic_cast<const TGLLightSource*>(source)) {
    direction_->Assign(l->direction_.get());
    fixedPosition_ = l->fixedPosition_;
    position_->Assign(l->position_.get());
    spotDegrees_ = l->spotDegrees_;
    useDirection_ = l->useDirection_;
  }
  TGLLight::Assign(source);
}

void TGLLightSource::SetFixedPosition(bool v)
{
  if (Store(fixedPosition_, v)) Changed();
}

void TGLLightSource::SetSpotDegrees(double v)
{
  if (Store(spotDegrees_, v)) Changed();
}

void TGLLightSource::SetUseDirection(bool v)
{
  if (Store(useDirection_, v)) Changed();
}

// ---------------------------------------------------------------- TNuvOpenGL

TNuvOpenGL::TNuvOpenGL(TComponent* owner)
    : TComponent(owner),
      light_(std::make_unique<TGLLightSource>(this)),
      light1_(std::make_unique<TGLLightSource>(this)),
      light2_(std::make_unique<TGLLightSource>(this))
{
  light_->SetVisible(true);
}

void TNuvOpenGL::MarkWindowCanvas(TCustomNuvPanel* panel)
{
  if (windowCanvas_) SetWindowCanvas(windowCanvas_, false);
  windowCanvas_ = panel ? panel->ControlCanvas() : nullptr;
  if (windowCanvas_) SetWindowCanvas(windowCanvas_, true);
}

TNuvOpenGL::~TNuvOpenGL()
{
  if (windowCanvas_) SetWindowCanvas(windowCanvas_, false);
  if (panel_) {
    TCustomNuvPanel* p = panel_;
    panel_ = nullptr;
    p->RemoveFreeNotification(this);
    if (p->GLComponent == this) p->GLComponent = nullptr;
    // The panel must not keep a canvas whose set-up handler calls into this component.
    if (active_ && !p->Destroying()) p->SetCanvas(std::make_unique<TNuvCanvas3D>());
  }
}

TGLLightSource* TNuvOpenGL::Lights(int index) const
{
  switch (index) {
    case 0: return light_.get();
    case 1: return light1_.get();
    case 2: return light2_.get();
    default: return nullptr;
  }
}

TGLCanvas* TNuvOpenGL::GetGLCanvas() const
{
  return panel_ ? dynamic_cast<TGLCanvas*>(panel_->Canvas()) : nullptr;
}

void TNuvOpenGL::Repaint()
{
  if (panel_) panel_->Invalidate();
  if (OnRepaint) OnRepaint(this);
}

void TNuvOpenGL::SetActive(bool v)
{
  if (!Store(active_, v)) return;
  RecreateCanvas();
}

void TNuvOpenGL::SetAmbientLight(int32_t v)
{
  if (Store(ambientLight_, v)) Repaint();
}

void TNuvOpenGL::SetAntialias(bool v)
{
  if (Store(antialias_, v)) Repaint();
}

void TNuvOpenGL::SetDrawStyle(TNuvCanvasSurfaceStyle v)
{
  drawStyle_ = v;
  if (TGLCanvas* c = LiveCanvas()) {
    c->SetDrawStyle(v);
    Repaint();
  }
}

void TNuvOpenGL::SetFontExtrusion(int32_t v)
{
  fontExtrusion_ = v;
  if (TGLCanvas* c = LiveCanvas()) {
    c->FreeFonts();
    c->SetFontExtrusion(v);
    c->Repaint();
  }
}

void TNuvOpenGL::SetFontOutlines(bool v)
{
  fontOutlines_ = v;
  if (TGLCanvas* c = LiveCanvas()) {
    c->FreeFonts();
    c->SetFontMode(v ? 1 : 0);
    c->Repaint();
  }
}

void TNuvOpenGL::SetShadeQuality(bool v)
{
  if (!Store(shadeQuality_, v)) return;
  if (TGLCanvas* c = LiveCanvas()) {
    c->SetShadeQuality(v);
    c->Repaint();
  }
}

void TNuvOpenGL::SetShininess(double v)
{
  if (Store(shininess_, v)) Repaint();
}

void TNuvOpenGL::SetNuvPanel(TCustomNuvPanel* panel)
{
  if (panel == panel_) return;
  TCustomNuvPanel* old = panel_;
  if (old) {
    old->RemoveFreeNotification(this);
    if (old->GLComponent == this) old->GLComponent = nullptr;
  }
  panel_ = panel;
  if (panel_) {
    // A panel served by this component until now keeps its OpenGL canvas: hand it a GDI one
    // first, so that no canvas is left calling this component.
    if (old && active_ && !old->Destroying()) old->SetCanvas(std::make_unique<TNuvCanvas3D>());
    panel_->GLComponent = this;
    panel_->FreeNotification(this);
    MarkWindowCanvas(panel_);
    RecreateCanvas();
  } else {
    if (old && active_ && !old->Destroying()) old->SetCanvas(std::make_unique<TNuvCanvas3D>());
    MarkWindowCanvas(nullptr);
    active_ = false;
  }
}

void TNuvOpenGL::Notification(TComponent* component, TOperation operation)
{
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == panel_ && panel_) {
    // The panel is being destroyed: nothing of it may be called any more.
    panel_ = nullptr;
    if (windowCanvas_) SetWindowCanvas(windowCanvas_, false);
    windowCanvas_ = nullptr;
    active_ = false;
  }
}

void TNuvOpenGL::RecreateCanvas()
{
  if (!panel_ || panel_->Destroying()) return;
  if (active_) {
    auto c = std::make_unique<TGLCanvas>();
    c->SetFontMode(fontOutlines_ ? 1 : 0);
    c->SetDrawStyle(drawStyle_);
    c->SetShadeQuality(shadeQuality_);
    c->SetFontExtrusion(fontExtrusion_);
    c->OnSetup = [this](TObject* sender) { Setup(static_cast<TGLCanvas*>(sender)); };
    if (panel_->Canvas()) c->SetBufferedDisplay(panel_->Canvas()->GetBufferedDisplay());
    panel_->SetCanvas(std::move(c));
  } else {
    auto c = std::make_unique<TNuvCanvas3D>();
    if (panel_->Canvas()) c->SetBufferedDisplay(panel_->Canvas()->GetBufferedDisplay());
    panel_->SetCanvas(std::move(c));
  }
}

void TNuvOpenGL::Setup(TGLCanvas* c)
{
  if (!c) return;
  c->SetAmbientLight(ambientLight_);
  static constexpr GLenum kLights[3] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2};
  for (int i = 0; i < 3; ++i) {
    const TGLLightSource* l = Lights(i);
    if (l->GetVisible()) {
      if (l->GetFixedPosition()) c->DisableRotation();
      c->SetLight(kLights[i], l->GLColor(), l->GetSpotDegrees(), l->GetUseDirection(), l->GetDirection()->Point(),
                  l->GetPosition()->Point());
      if (l->GetFixedPosition()) c->EnableRotation();
    } else if (c->Active() && OpenGLEntries().glDisable) {
      OpenGLEntries().glDisable(kLights[i]);
    }
  }
  c->SetShininess(shininess_);
  c->SetAntialias(antialias_);
  if (OnInit) OnInit(this);
}

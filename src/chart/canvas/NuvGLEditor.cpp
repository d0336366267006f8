#include "chart/canvas/NuvGLEditor.h"

#include <charconv>
#include <string>

#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/canvas/NvCanvasButtons.h"
#include "chart/canvas/NvCanvasCombo.h"

namespace {

// The colour button finds a light's "Color".
const bool kLightColorFinder = [] {
  RegisterNuvPropertyFinder([](TObject* instance, const std::string& name, TNuvOrdinalProperty& out) {
    auto* light = dynamic_cast<TGLLight*>(instance);
    if (!light || name != "Color") return false;
    out = {name, [light] { return static_cast<int64_t>(light->GetColor()); },
           [light](int64_t v) { light->SetColor(static_cast<TColor>(v)); }};
    return true;
  });
  return true;
}();

template <class T>
T* Make(TComponent* owner, TWinControl* parent, int32_t x, int32_t y, int32_t w, int32_t h,
        const std::string& caption = {})
{
  auto* c = new T(owner);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

TLabel* Caption(TComponent* owner, TWinControl* parent, int32_t x, int32_t y, const std::string& text)
{
  auto* l = Make<TLabel>(owner, parent, x, y, 90, 13, text);
  return l;
}

TTrackBar* Track(TComponent* owner, TWinControl* parent, int32_t x, int32_t y, int32_t w, int32_t lo, int32_t hi)
{
  auto* t = Make<TTrackBar>(owner, parent, x, y, w, 25);
  t->SetRange(lo, hi);
  return t;
}

}  // namespace

TFormNuvGLEditor::TFormNuvGLEditor(TComponent* owner) : TForm(owner)
{
  (void)kLightColorFinder;
  SetCaption("NuvOpenGL Editor");
  SetClientSize(400, 321);
  SetPosition(poScreenCenter);
  SetBorderStyle(bsDialog);
  CreateControls();
  LightTabs->Tabs() = {"Light 0", "Light 1", "Light 2"};
  LightTabs->SetTabIndex(0);
  PageControl1->Tabs() = {"Position", "Direction"};
  PageControl1->SetTabIndex(0);
  TranslateControl(this);
  Wire();
  OnShow = [this](TObject*) { FormShow(); };
  DoCreate();
}

void TFormNuvGLEditor::CreateControls()
{
  CBActive = Make<TCheckBox>(this, this, 8, 296, 97, 17, "&Active");
  CBActive->SetVisible(false);

  GroupBox1 = Make<TGroupBox>(this, this, 8, 4, 185, 282, "Options:");
  Caption(this, GroupBox1, 8, 20, "A&mbient Light:");
  TBAmbient = Track(this, GroupBox1, 4, 34, 176, 0, 100);
  CBShade = Make<TCheckBox>(this, GroupBox1, 8, 64, 160, 17, "&Smooth Shading");
  CBOutlines = Make<TCheckBox>(this, GroupBox1, 8, 84, 160, 17, "Font &Outlines");
  Caption(this, GroupBox1, 8, 112, "Font &3D Depth:");
  Edit1 = Make<TEdit>(this, GroupBox1, 100, 108, 50, 21);
  UDDepth = Make<TUpDown>(this, GroupBox1, 150, 108, 15, 21);
  UDDepth->SetRange(0, 100);
  UDDepth->SetAssociate(Edit1);
  Caption(this, GroupBox1, 8, 140, "&Draw style:");
  CBStyle = Make<TComboFlat>(this, GroupBox1, 80, 136, 97, 21);
  CBStyle->SetStyle(csDropDownList);
  for (const char* s : {"Solid", "Wireframe", "Points"}) CBStyle->AddItem(s);
  Caption(this, GroupBox1, 8, 168, "S&hininess:");
  TBShine = Track(this, GroupBox1, 4, 182, 176, 0, 100);
  CBAntialias = Make<TCheckBox>(this, GroupBox1, 8, 214, 160, 17, "A&nti-alias lines");

  LightTabs = Make<TTabControl>(this, this, 200, 4, 192, 282);
  CBVisible = Make<TCheckBox>(this, LightTabs, 8, 28, 80, 17, "&Visible");
  BLightColor = Make<TButtonColor>(this, LightTabs, 96, 24, 88, 25, "&Color...");
  Caption(this, LightTabs, 8, 56, "&Intensity:");
  TrackBar5 = Track(this, LightTabs, 4, 70, 184, 0, 255);
  Caption(this, LightTabs, 8, 104, "Sp&ot:");
  Edit2 = Make<TEdit>(this, LightTabs, 48, 100, 40, 21);
  UDSpot = Make<TUpDown>(this, LightTabs, 88, 100, 15, 21);
  UDSpot->SetRange(0, 90);
  UDSpot->Increment = 5;
  UDSpot->SetAssociate(Edit2);
  CBDefaultSpot = Make<TCheckBox>(this, LightTabs, 112, 102, 72, 17, "Default");

  PageControl1 = Make<TTabControl>(this, LightTabs, 4, 128, 184, 150);
  TabPosition = Make<TPanel>(this, PageControl1, 2, TTabControl::TabHeight + 1, 180, 126);
  TabPosition->SetBevelOuter(bvNone);
  CBFixed = Make<TCheckBox>(this, TabPosition, 4, 2, 150, 17, "&Fixed position");
  const char* axes[3] = {"&X:", "&Y:", "&Z:"};
  TTrackBar** position[3] = {&TBX, &TBY, &TBZ};
  for (int i = 0; i < 3; ++i) {
    Caption(this, TabPosition, 4, 30 + i * 30, axes[i])->SetWidth(20);
    *position[i] = Track(this, TabPosition, 24, 24 + i * 30, 154, -500, 500);
  }
  TabDirection = Make<TPanel>(this, PageControl1, 2, TTabControl::TabHeight + 1, 180, 126);
  TabDirection->SetBevelOuter(bvNone);
  TabDirection->SetVisible(false);
  CBUseDirection = Make<TCheckBox>(this, TabDirection, 4, 2, 150, 17, "Set directio&n");
  TTrackBar** direction[3] = {&TBXDirection, &TBYDirection, &TBZDirection};
  for (int i = 0; i < 3; ++i) {
    Caption(this, TabDirection, 4, 30 + i * 30, axes[i])->SetWidth(20);
    *direction[i] = Track(this, TabDirection, 24, 24 + i * 30, 154, -500, 500);
  }

  PanelOK = Make<TPanel>(this, this, 0, 288, 400, 33);
  PanelOK->SetBevelOuter(bvNone);
  BOK = Make<TButton>(this, PanelOK, 232, 4, 75, 25, "OK");
  BOK->ModalResult = mrOk;
  BCancel = Make<TButton>(this, PanelOK, 316, 4, 75, 25, "Cancel");
}

TGLLightSource* TFormNuvGLEditor::CurrentLight() const
{
  TNuvOpenGL* gl = GetGL();
  return gl ? gl->Lights(std::max(0, LightTabs->GetTabIndex())) : nullptr;
}

void TFormNuvGLEditor::Wire()
{
  auto live = [this](auto f) {
    return [this, f](TObject*) {
      if (muted_ || !GetGL()) return;
      f(*GetGL());
    };
  };
  auto liveLight = [this](auto f) {
    return [this, f](TObject*) {
      if (muted_ || !CurrentLight()) return;
      f(*CurrentLight());
    };
  };
  CBActive->OnClick = live([this](TNuvOpenGL& gl) { gl.SetActive(CBActive->GetChecked()); });
  TBAmbient->OnChange = live([this](TNuvOpenGL& gl) { gl.SetAmbientLight(TBAmbient->GetPosition()); });
  CBShade->OnClick = live([this](TNuvOpenGL& gl) { gl.SetShadeQuality(CBShade->GetChecked()); });
  CBOutlines->OnClick = live([this](TNuvOpenGL& gl) { gl.SetFontOutlines(CBOutlines->GetChecked()); });
  UDDepth->OnClick = live([this](TNuvOpenGL& gl) { gl.SetFontExtrusion(UDDepth->GetPosition()); });
  Edit1->OnChange = live([this](TNuvOpenGL& gl) {
    // A typed depth moves the arrows too.
    const std::string text = Edit1->GetText();
    int32_t v = UDDepth->GetPosition();
    if (std::from_chars(text.data(), text.data() + text.size(), v).ec != std::errc{}) return;
    if (v >= UDDepth->GetMin() && v <= UDDepth->GetMax() && v != gl.GetFontExtrusion()) {
      muted_ = true;
      UDDepth->SetPosition(v);
      muted_ = false;
      gl.SetFontExtrusion(v);
    }
  });
  CBStyle->OnChange = live([this](TNuvOpenGL& gl) {
    if (CBStyle->GetItemIndex() >= 0) gl.SetDrawStyle(static_cast<TNuvCanvasSurfaceStyle>(CBStyle->GetItemIndex()));
  });
  TBShine->OnChange = live([this](TNuvOpenGL& gl) { gl.SetShininess(TBShine->GetPosition() * 0.01); });
  CBAntialias->OnClick = live([this](TNuvOpenGL& gl) { gl.SetAntialias(CBAntialias->GetChecked()); });

  LightTabs->OnChange = [this](TObject*) {
    if (GetGL()) ShowLight(LightTabs->GetTabIndex());
  };
  PageControl1->OnChange = [this](TObject*) {
    TabPosition->SetVisible(PageControl1->GetTabIndex() == 0);
    TabDirection->SetVisible(PageControl1->GetTabIndex() == 1);
  };
  CBVisible->OnClick = liveLight([this](TGLLightSource& l) { l.SetVisible(CBVisible->GetChecked()); });
  BLightColor->OnClick = liveLight([this](TGLLightSource& l) {
    muted_ = true;
    TrackBar5->SetPosition(GetRValue(ColorToRGB(l.GetColor())));
    muted_ = false;
  });
  TrackBar5->OnChange = liveLight([this](TGLLightSource& l) {
    const auto p = static_cast<uint8_t>(TrackBar5->GetPosition());
    l.SetColor(RGB(p, p, p));
    BLightColor->Invalidate();
  });
  UDSpot->OnClick = liveLight([this](TGLLightSource& l) { l.SetSpotDegrees(UDSpot->GetPosition()); });
  Edit2->OnChange = liveLight([this](TGLLightSource& l) {
    // A typed spot angle counts as the arrows do; the default (undirected) spot stays.
    if (CBDefaultSpot->GetChecked()) return;
    const std::string text = Edit2->GetText();
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size()) return;
    if (v < UDSpot->GetMin() || v > UDSpot->GetMax()) return;
    if (v != UDSpot->GetPosition()) {
      muted_ = true;
      UDSpot->SetPosition(v);
      muted_ = false;
    }
    l.SetSpotDegrees(v);
  });
  CBDefaultSpot->OnClick = liveLight([this](TGLLightSource& l) {
    const bool on = CBDefaultSpot->GetChecked();
    UDSpot->SetEnabled(!on);
    Edit2->SetEnabled(!on);
    l.SetSpotDegrees(on ? 180 : UDSpot->GetPosition());
  });
  CBFixed->OnClick = liveLight([this](TGLLightSource& l) { l.SetFixedPosition(CBFixed->GetChecked()); });
  TBX->OnChange = liveLight([this](TGLLightSource& l) { l.GetPosition()->SetX(TBX->GetPosition()); });
  TBY->OnChange = liveLight([this](TGLLightSource& l) { l.GetPosition()->SetY(TBY->GetPosition()); });
  TBZ->OnChange = liveLight([this](TGLLightSource& l) { l.GetPosition()->SetZ(TBZ->GetPosition()); });
  CBUseDirection->OnClick = liveLight([this](TGLLightSource& l) { l.SetUseDirection(CBUseDirection->GetChecked()); });
  TBXDirection->OnChange = liveLight([this](TGLLightSource& l) { l.GetDirection()->SetX(TBXDirection->GetPosition()); });
  TBYDirection->OnChange = liveLight([this](TGLLightSource& l) { l.GetDirection()->SetY(TBYDirection->GetPosition()); });
  TBZDirection->OnChange = liveLight([this](TGLLightSource& l) { l.GetDirection()->SetZ(TBZDirection->GetPosition()); });
  BCancel->OnClick = [this](TObject*) { CancelClick(); };
}

void TFormNuvGLEditor::FormShow()
{
  TNuvOpenGL* gl = GetGL();
  if (!gl) return;
  muted_ = true;
  CBShade->SetChecked(gl->GetShadeQuality());
  CBOutlines->SetChecked(gl->GetFontOutlines());
  CBStyle->SetItemIndex(static_cast<int>(gl->GetDrawStyle()));
  UDDepth->SetPosition(gl->GetFontExtrusion());
  TBShine->SetPosition(Round32(gl->GetShininess() * 100));
  TBAmbient->SetPosition(gl->GetAmbientLight());
  CBActive->SetChecked(gl->GetActive());
  CBAntialias->SetChecked(gl->GetAntialias());
  kept_.shadeQuality = gl->GetShadeQuality();
  kept_.fontOutlines = gl->GetFontOutlines();
  kept_.drawStyle = gl->GetDrawStyle();
  kept_.fontExtrusion = gl->GetFontExtrusion();
  kept_.shininess = gl->GetShininess();
  kept_.ambientLight = gl->GetAmbientLight();
  kept_.active = gl->GetActive();
  kept_.antialias = gl->GetAntialias();
  LightTabs->OnChange = nullptr;
  LightTabs->SetTabIndex(0);
  LightTabs->OnChange = [this](TObject*) {
    if (GetGL()) ShowLight(LightTabs->GetTabIndex());
  };
  ShowLight(0);
  muted_ = false;
}

void TFormNuvGLEditor::ShowLight(int index)
{
  TNuvOpenGL* gl = GetGL();
  TGLLightSource* l = gl ? gl->Lights(index) : nullptr;
  if (!l) return;
  const bool wasMuted = muted_;
  muted_ = true;
  CBVisible->SetChecked(l->GetVisible());
  CBFixed->SetChecked(l->GetFixedPosition());
  CBUseDirection->SetChecked(l->GetUseDirection());
  TrackBar5->SetPosition(GetRValue(ColorToRGB(l->GetColor())));
  TBX->SetPosition(Round32(l->GetPosition()->GetX()));
  TBY->SetPosition(Round32(l->GetPosition()->GetY()));
  TBZ->SetPosition(Round32(l->GetPosition()->GetZ()));
  TBXDirection->SetPosition(Round32(l->GetDirection()->GetX()));
  TBYDirection->SetPosition(Round32(l->GetDirection()->GetY()));
  TBZDirection->SetPosition(Round32(l->GetDirection()->GetZ()));
  BLightColor->LinkProperty(l, "Color");
  const bool defaultSpot = l->GetSpotDegrees() == 180;
  CBDefaultSpot->SetChecked(defaultSpot);
  UDSpot->SetPosition(defaultSpot ? 0 : Round32(l->GetSpotDegrees()));
  UDSpot->SetEnabled(!defaultSpot);
  Edit2->SetEnabled(!defaultSpot);
  kept_.lightVisible = l->GetVisible();
  kept_.lightColor = l->GetColor();
  kept_.px = l->GetPosition()->GetX();
  kept_.py = l->GetPosition()->GetY();
  kept_.pz = l->GetPosition()->GetZ();
  muted_ = wasMuted;
}

void TFormNuvGLEditor::CancelClick()
{
  if (TNuvOpenGL* gl = GetGL()) {
    gl->SetShadeQuality(kept_.shadeQuality);
    gl->SetFontOutlines(kept_.fontOutlines);
    gl->SetDrawStyle(kept_.drawStyle);
    gl->SetFontExtrusion(kept_.fontExtrusion);
    gl->SetShininess(kept_.shininess);
    gl->SetAmbientLight(kept_.ambientLight);
    gl->SetActive(kept_.active);
    gl->SetAntialias(kept_.antialias);
    if (TGLLightSource* l = CurrentLight()) {
      l->SetVisible(kept_.lightVisible);
      l->SetColor(kept_.lightColor);
      l->GetPosition()->SetX(kept_.px);
      l->GetPosition()->SetY(kept_.py);
      l->GetPosition()->SetZ(kept_.pz);
    }
  }
  SetModalResult(mrCancel);
}

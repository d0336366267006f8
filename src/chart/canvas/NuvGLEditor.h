#pragma once
// The editor dialog of the OpenGL component: options, ambient light, shininess and the three
// lights. Shown alone or embedded as the "OpenGL" page of the chart editor (the page hook that
// embeds it lives with the chart editor's users, above this layer).
#include <array>
#include <cstdint>

#include "chart/canvas/NuvOpenGL.h"
#include "platform/EditorControls.h"
#include "platform/Forms.h"

class TButtonColor;
class TComboFlat;

class TFormNuvGLEditor : public TForm {
public:
  explicit TFormNuvGLEditor(TComponent* owner);

  // The component edited: the form's object (its Tag), or set here.
  TNuvOpenGL* GetGL() const { return dynamic_cast<TNuvOpenGL*>(reinterpret_cast<TObject*>(Tag)); }
  void SetGL(TNuvOpenGL* gl) { Tag = reinterpret_cast<intptr_t>(static_cast<TObject*>(gl)); }

  // Controls, as laid out in the form.
  TCheckBox* CBActive;
  TGroupBox* GroupBox1;
  TTrackBar* TBAmbient;
  TCheckBox* CBShade;
  TCheckBox* CBOutlines;
  TEdit* Edit1;
  TUpDown* UDDepth;
  TComboFlat* CBStyle;
  TTrackBar* TBShine;
  TCheckBox* CBAntialias;
  TTabControl* LightTabs;
  TCheckBox* CBVisible;
  TButtonColor* BLightColor;
  TTrackBar* TrackBar5;
  TEdit* Edit2;
  TUpDown* UDSpot;
  TCheckBox* CBDefaultSpot;
  TTabControl* PageControl1;  // "Position", "Direction"
  TPanel* TabPosition;
  TCheckBox* CBFixed;
  TTrackBar* TBX;
  TTrackBar* TBY;
  TTrackBar* TBZ;
  TPanel* TabDirection;
  TCheckBox* CBUseDirection;
  TTrackBar* TBXDirection;
  TTrackBar* TBYDirection;
  TTrackBar* TBZDirection;
  TPanel* PanelOK;
  TButton* BOK;
  TButton* BCancel;

  // Fills the controls from the component and keeps its values for Cancel (run on show).
  void FormShow();
  // Puts back the values kept at show and closes with Cancel.
  void CancelClick();
  // The light on the selected tab.
  TGLLightSource* CurrentLight() const;
  // Fills the light controls from the light of tab index and keeps its values for Cancel.
  void ShowLight(int index);

private:
  void CreateControls();
  void Wire();
  // Handlers do nothing while the controls are being filled.
  bool muted_ = true;
  struct Kept {
    bool shadeQuality = true, fontOutlines = false, active = false, antialias = false;
    TNuvCanvasSurfaceStyle drawStyle = tcsSolid;
    int32_t fontExtrusion = 0, ambientLight = 0;
    double shininess = 0;
    bool lightVisible = false;
    TColor lightColor = 0;
    double px = 0, py = 0, pz = 0;
  } kept_;
};

// The OpenGL component's editor: filled from the component, edits it, and Cancel puts it back.
#include <gtest/gtest.h>

#include "chart/canvas/NuvGLEditor.h"
#include "chart/canvas/NvCanvasButtons.h"
#include "chart/canvas/NvCanvasCombo.h"

namespace {
struct Editor : ::testing::Test {
  Editor()
  {
    gl.SetAmbientLight(35);
    gl.SetShininess(0.69);
    gl.SetDrawStyle(tcsWire);
    gl.GetLight1()->SetColor(0x404040);
    gl.GetLight1()->SetSpotDegrees(45);
    gl.GetLight()->GetPosition()->SetX(-20.4);
    form.SetGL(&gl);
    form.FormShow();
  }
  TNuvOpenGL gl{nullptr};
  TFormNuvGLEditor form{nullptr};
};
}  // namespace

TEST_F(Editor, ShowsTheComponentAndItsFirstLight)
{
  EXPECT_EQ(form.GetCaption(), "NuvOpenGL Editor");
  EXPECT_EQ(form.TBAmbient->GetPosition(), 35);
  EXPECT_EQ(form.TBShine->GetPosition(), 69);
  EXPECT_EQ(form.CBStyle->GetItemIndex(), 1);
  EXPECT_TRUE(form.CBShade->GetChecked());
  EXPECT_FALSE(form.CBActive->GetVisible());
  EXPECT_EQ(form.LightTabs->GetTabIndex(), 0);
  EXPECT_TRUE(form.CBVisible->GetChecked());
  EXPECT_EQ(form.TBX->GetPosition(), -20);
  EXPECT_EQ(form.TrackBar5->GetPosition(), 0xC0);
  // An undirected light: "Default" checked, the spot edit disabled.
  EXPECT_TRUE(form.CBDefaultSpot->GetChecked());
  EXPECT_FALSE(form.UDSpot->GetEnabled());
  EXPECT_FALSE(form.Edit2->GetEnabled());
  EXPECT_EQ(form.BLightColor->GetInstance(), gl.GetLight());
  // Filling the controls changed nothing.
  EXPECT_EQ(gl.GetAmbientLight(), 35);
  EXPECT_DOUBLE_EQ(gl.GetLight()->GetPosition()->GetX(), -20.4);
}

TEST_F(Editor, ControlsEditTheComponentAndTheShownLight)
{
  form.TBAmbient->SetPosition(60);
  EXPECT_EQ(gl.GetAmbientLight(), 60);
  form.TBShine->SetPosition(20);
  EXPECT_DOUBLE_EQ(gl.GetShininess(), 0.2);
  form.CBStyle->SetItemIndex(2);
  EXPECT_EQ(gl.GetDrawStyle(), tcsDot);
  form.UDDepth->Step(true);
  EXPECT_EQ(gl.GetFontExtrusion(), 1);
  EXPECT_EQ(form.Edit1->GetText(), "1");

  form.LightTabs->SetTabIndex(1);
  EXPECT_EQ(form.CurrentLight(), gl.GetLight1());
  EXPECT_FALSE(form.CBVisible->GetChecked());
  EXPECT_FALSE(form.CBDefaultSpot->GetChecked());
  EXPECT_EQ(form.UDSpot->GetPosition(), 45);
  EXPECT_EQ(form.TrackBar5->GetPosition(), 0x40);
  form.TrackBar5->SetPosition(100);
  EXPECT_EQ(gl.GetLight1()->GetColor(), RGB(100, 100, 100));
  form.UDSpot->Step(true);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 50);
  form.CBDefaultSpot->SetChecked(true);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 180);
  EXPECT_FALSE(form.UDSpot->GetEnabled());
  form.CBDefaultSpot->SetChecked(false);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 50);
  // A spot typed in the box counts as the arrows do; a text that does not read or lies outside
  // 0..90 changes nothing.
  form.Edit2->SetText("30");
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 30);
  EXPECT_EQ(form.UDSpot->GetPosition(), 30);
  form.Edit2->SetText("3x");
  form.Edit2->SetText("120");
  form.Edit2->SetText("-5");
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 30);
  EXPECT_EQ(form.UDSpot->GetPosition(), 30);
  form.UDSpot->Step(true);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 35);
  EXPECT_EQ(form.Edit2->GetText(), "35");
  // With "Default" checked the light keeps its undirected spot.
  form.CBDefaultSpot->SetChecked(true);
  form.Edit2->SetText("20");
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 180);
  form.CBDefaultSpot->SetChecked(false);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetSpotDegrees(), 35);
  form.TBZDirection->SetPosition(-300);
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetDirection()->GetZ(), -300);
  form.CBFixed->SetChecked(true);
  EXPECT_TRUE(gl.GetLight1()->GetFixedPosition());
  EXPECT_FALSE(gl.GetLight()->GetFixedPosition());
  // The colour button writes the shown light's colour.
  TNuvOrdinalProperty p;
  ASSERT_TRUE(FindNuvOrdinalProperty(gl.GetLight1(), "Color", p));
  p.set(0x123456);
  EXPECT_EQ(gl.GetLight1()->GetColor(), TColor(0x123456));
}

TEST_F(Editor, CancelRestoresTheOptionsAndTheShownLight)
{
  form.LightTabs->SetTabIndex(1);
  form.TBAmbient->SetPosition(90);
  form.TrackBar5->SetPosition(200);
  form.CBVisible->SetChecked(true);
  form.TBY->SetPosition(77);
  form.CBOutlines->SetChecked(true);
  form.CancelClick();
  EXPECT_EQ(form.GetModalResult(), mrCancel);
  EXPECT_EQ(gl.GetAmbientLight(), 35);
  EXPECT_FALSE(gl.GetFontOutlines());
  EXPECT_EQ(gl.GetLight1()->GetColor(), TColor(0x404040));
  EXPECT_FALSE(gl.GetLight1()->GetVisible());
  EXPECT_DOUBLE_EQ(gl.GetLight1()->GetPosition()->GetY(), -100);
}

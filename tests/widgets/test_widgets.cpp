// Interface widgets: the toolbar button's image, the splitter's panes, the colour button and the
// picture button, checked by their painted pixels and by synthetic clicks.
#include <gtest/gtest.h>

#include <memory>

#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/TestInput.h"
#include "widgets/kwWidgets.h"

namespace {

std::unique_ptr<TBitmap> Solid(TColor color, int size)
{
  auto b = std::make_unique<TBitmap>();
  b->SetSize(size, size);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(Rect(0, 0, size, size));
  b->Canvas()->Release();
  return b;
}

TColor CenterPixel(TCustomControl* c)
{
  c->PaintBuffer();
  return c->BackBuffer()->Canvas()->GetPixel(c->GetWidth() / 2, c->GetHeight() / 2);
}

TEST(ToolbarButton, ShowsTheChosenImageOfItsList)
{
  TForm form(nullptr);
  auto* images = new TImageList(&form);
  images->SetSize(16, 16);
  images->Add(Solid(clRed, 16).get());
  images->Add(Solid(clBlue, 16).get());
  auto* b = new TkwToolbarButton(&form);
  b->SetParent(&form);
  b->SetBounds(0, 0, 28, 28);
  b->SetImages(images);
  EXPECT_EQ(CenterPixel(b), clRed);
  b->SetImageIndex(1);
  EXPECT_EQ(b->GetImageIndex(), 1);
  EXPECT_EQ(CenterPixel(b), clBlue);
  // An index outside the list shows no image.
  b->SetImageIndex(5);
  EXPECT_EQ(CenterPixel(b), ColorToRGB(clBtnFace));
  // The list going away leaves the button working.
  delete images;
  EXPECT_EQ(b->GetImages(), nullptr);
  EXPECT_EQ(CenterPixel(b), ColorToRGB(clBtnFace));
}

TEST(BiSplit, PanesSplitAt366AndTheBarDrags)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 1000, 500);
  auto* split = new TkwBiSplit(&form);
  split->SetAlign(alClient);
  split->SetParent(&form);
  EXPECT_EQ(split->GetPosition(), 366);
  EXPECT_EQ(split->Pane1()->BoundsRect(), Rect(0, 0, 366, 500));
  EXPECT_EQ(split->Pane2()->GetLeft(), 366 + split->GetBarWidth());
  EXPECT_EQ(split->Pane2()->BoundsRect().Right, 1000);
  // A resize keeps the bar; the right pane takes the change.
  form.SetBounds(0, 0, 800, 400);
  EXPECT_EQ(split->Pane1()->GetWidth(), 366);
  EXPECT_EQ(split->Pane2()->BoundsRect().Right, 800);
  EXPECT_EQ(split->Pane2()->GetHeight(), 400);
  // Dragging the bar.
  testinput::MouseDown(split, mbLeft, 367, 100);
  testinput::MouseMove(split, 301, 100, ssLeft);
  testinput::MouseUp(split, mbLeft, 301, 100);
  EXPECT_EQ(split->GetPosition(), 300);
  EXPECT_EQ(split->Pane1()->GetWidth(), 300);
  // A drag that starts off the bar moves nothing.
  testinput::MouseDown(split, mbLeft, 100, 100);
  testinput::MouseMove(split, 200, 100, ssLeft);
  testinput::MouseUp(split, mbLeft, 200, 100);
  EXPECT_EQ(split->GetPosition(), 300);
  // Narrower than the split: the left pane is cut, never wider than the control.
  form.SetBounds(0, 0, 200, 400);
  EXPECT_LE(split->Pane1()->GetWidth() + split->GetBarWidth(), 200);
}

TEST(ColorButton, ShowsItsColourAndTakesTheDialogsChoice)
{
  TForm form(nullptr);
  auto* b = new TpkColorButton(&form);
  b->SetParent(&form);
  b->SetColor(clLime);
  EXPECT_EQ(b->GetColor(), clLime);
  EXPECT_EQ(CenterPixel(b), clLime);
  int changes = 0;
  b->OnChange = [&](TObject*) { ++changes; };
  TColorDialog::TestAnswer = [](TColorDialog* d) {
    EXPECT_EQ(d->Color, clLime);
    d->Color = clNavy;
    return true;
  };
  testinput::ClickCenter(b);
  EXPECT_EQ(b->GetColor(), clNavy);
  EXPECT_EQ(CenterPixel(b), clNavy);
  EXPECT_EQ(changes, 1);
  // Cancelled: nothing changes.
  TColorDialog::TestAnswer = [](TColorDialog* d) {
    d->Color = clRed;
    return false;
  };
  testinput::ClickCenter(b);
  EXPECT_EQ(b->GetColor(), clNavy);
  EXPECT_EQ(changes, 1);
  TColorDialog::TestAnswer = nullptr;
}

TEST(PicBtn, ClickRunsTheEventAndEndsAModalForm)
{
  TForm form(nullptr);
  auto* ok = new TkwPicBtn(&form);
  ok->SetParent(&form);
  ok->SetCaption("Apply");
  ok->ModalResult = mrOk;
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  ok->Picture()->Assign(Solid(clRed, 8).get());
  EXPECT_EQ(ok->Picture()->GetWidth(), 8);
  ok->PaintBuffer();
  EXPECT_EQ(ok->BackBuffer()->Canvas()->GetPixel(6, ok->GetHeight() / 2), clRed);
  testinput::ClickCenter(ok);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.GetModalResult(), mrOk);
}

TEST(SuperLabel, RaisedAndLoweredTextDifferInTheirShadow)
{
  TForm form(nullptr);
  form.SetColor(clBtnFace);
  auto* label = new TkwSuperLabel(&form);
  label->SetParent(&form);
  label->SetCaption("Levels");
  EXPECT_GT(label->GetWidth(), 10);
  auto hasColor = [&](TColor want) {
    label->PaintBuffer();
    TCanvas* c = label->BackBuffer()->Canvas();
    for (int y = 0; y < label->GetHeight(); ++y)
      for (int x = 0; x < label->GetWidth(); ++x)
        if (c->GetPixel(x, y) == ColorToRGB(want)) return true;
    return false;
  };
  label->SetTextStyle(tsRaised);
  EXPECT_TRUE(hasColor(clBtnHighlight));
  label->SetTextStyle(tsNormal);
  EXPECT_FALSE(hasColor(clBtnHighlight));
}

}  // namespace

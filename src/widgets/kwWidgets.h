#pragma once
// Interface widgets: the toolbar button with an image list, the two-pane splitter and its panes,
// the picture push button, the label with raised or lowered text, and the colour button.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/StdCtrls.h"

class TColorDialog;

// A flat toolbar button that shows one image of its image list.
class TkwToolbarButton : public TSpeedButton {
public:
  explicit TkwToolbarButton(TComponent* owner);
  ~TkwToolbarButton() override;
  TImageList* GetImages() const { return images_; }
  void SetImages(TImageList* images);
  int GetImageIndex() const { return imageIndex_; }
  // Shows that image of the image list and repaints.
  void SetImageIndex(int index);

protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  TImageList* images_ = nullptr;
  int imageIndex_ = 0;
};

// One pane of the splitter.
class TkwSplitPane : public TCustomControl {
public:
  explicit TkwSplitPane(TComponent* owner);
};

// Two panes side by side with a bar between them that the mouse drags.
class TkwBiSplit : public TCustomControl {
public:
  explicit TkwBiSplit(TComponent* owner);
  TkwSplitPane* Pane1() const { return pane1_; }
  TkwSplitPane* Pane2() const { return pane2_; }
  // Distance of the bar from the left edge.
  int32_t GetPosition() const { return position_; }
  void SetPosition(int32_t v);
  int32_t GetBarWidth() const { return barWidth_; }
  void SetBarWidth(int32_t v);
  TNotifyEvent OnSplit;

protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  void PlacePanes();
  TkwSplitPane* pane1_;
  TkwSplitPane* pane2_;
  int32_t position_ = 366;
  int32_t barWidth_ = 4;
  bool dragging_ = false;
  int32_t dragOffset_ = 0;
};

// A push button with a picture left of its caption.
class TkwPicBtn : public TButton {
public:
  explicit TkwPicBtn(TComponent* owner);
  ~TkwPicBtn() override;
  TBitmap* Picture();

protected:
  void Paint() override;

private:
  std::unique_ptr<TBitmap> picture_;
};

enum TkwTextStyle { tsNormal, tsRaised, tsLowered };

// A label whose text looks raised or lowered.
class TkwSuperLabel : public TLabel {
public:
  explicit TkwSuperLabel(TComponent* owner);
  TkwTextStyle GetTextStyle() const { return textStyle_; }
  void SetTextStyle(TkwTextStyle v);

protected:
  void Paint() override;

private:
  TkwTextStyle textStyle_ = tsRaised;
};

// A button that shows a colour; a click lets the user choose another in the colour dialog.
class TpkColorButton : public TCustomControl {
public:
  explicit TpkColorButton(TComponent* owner);
  TColor GetColor() const { return shown_; }
  // Stores the colour the button shows and repaints.
  void SetColor(TColor v) override;
  // Runs the colour dialog; a chosen colour is stored and raises OnChange.
  void Click() override;
  TNotifyEvent OnChange;

protected:
  void Paint() override;

private:
  TColor shown_ = clBlack;
};

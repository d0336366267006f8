#pragma once
// Makes whatever is drawn over a rectangle partly transparent: the area is saved first and mixed
// back over the new drawing afterwards.
#include <memory>

#include "chart/canvas/NvCanvasEffects.h"
#include "platform/Graphics.h"

class TNuvCanvas;

class TNuvBlend : public TObject {
public:
  TNuvBlend(TNuvCanvas* canvas, const TRect& rect);
  ~TNuvBlend() override;
  // Saves the area under Rect (ordered and limited to the canvas bounds).
  void SetRectangle(const TRect& rect);
  // 0 keeps the new drawing, 100 restores what was there before.
  void DoBlend(TNuvTransparency transparency);
  bool GetValid() const { return valid_; }
  // The transparency the blend was begun with (EndBlending mixes with it).
  TNuvTransparency GetTransparency() const { return transparency_; }
  void SetTransparency(TNuvTransparency v) { transparency_ = v; }
  const TRect& GetBounds() const { return bounds_; }

private:
  std::unique_ptr<TBitmap> bitmap_;
  TNuvCanvas* canvas_;
  TRect bounds_;
  bool valid_ = false;
  TNuvTransparency transparency_ = 0;
};

#include "chart/canvas/NvCanvasBlend.h"

#include <algorithm>

#include "chart/canvas/NvCanvas.h"

TNuvBlend::TNuvBlend(TNuvCanvas* canvas, const TRect& rect) : canvas_(canvas) { SetRectangle(rect); }

TNuvBlend::~TNuvBlend() = default;

namespace {
// The off-screen bitmap of a GDI canvas, or nullptr.
TBitmap* OffScreen(TNuvCanvas* canvas)
{
  auto* c = dynamic_cast<TNuvCanvas3D*>(canvas);
  return c && c->GetBufferedDisplay() ? c->GetBitmap() : nullptr;
}

int BytesPerPixel(TBitmap* b) { return b->GetPixelFormat() == pf24bit ? 3 : 4; }
}  // namespace

void TNuvBlend::SetRectangle(const TRect& rect)
{
  TRect r = OrientRectangle(rect);
  r.Left = std::max(0, r.Left);
  r.Top = std::max(0, r.Top);
  r.Right = std::max(0, r.Right);
  r.Bottom = std::max(0, r.Bottom);
  if (r.Right - r.Left < 1) r.Right = r.Left + 1;
  if (r.Bottom - r.Top < 1) r.Bottom = r.Top + 1;
  const TRect& limit = canvas_->GetBounds();
  r.Right = std::min(r.Right, limit.Right);
  r.Bottom = std::min(r.Bottom, limit.Bottom);
  bounds_ = r;
  valid_ = r.Width() >= 1 && r.Height() >= 1;
  bitmap_.reset();
  if (!valid_) return;
  bitmap_ = std::make_unique<TBitmap>();
  bitmap_->SetPixelFormat(pf24bit);
  bitmap_->SetSize(r.Width(), r.Height());
  TBitmap* off = OffScreen(canvas_);
  TCanvas* from = off ? off->Canvas() : canvas_->GetReferenceCanvas();
  if (!from) {
    valid_ = false;
    return;
  }
  bitmap_->Canvas()->SetCopyMode(cmSrcCopy);
  bitmap_->Canvas()->CopyRect({0, 0, r.Width(), r.Height()}, from, r);
}

void TNuvBlend::DoBlend(TNuvTransparency transparency)
{
  if (canvas_->GetMetafiling() || !valid_ || !bitmap_) return;
  transparency = std::clamp(transparency, 0, 100);
  TBitmap* current = OffScreen(canvas_);
  TBitmap temp;
  int32_t ox = bounds_.Left, oy = bounds_.Top;
  if (!current) {
    TCanvas* ref = canvas_->GetReferenceCanvas();
    if (!ref) return;
    temp.SetPixelFormat(pf24bit);
    temp.SetSize(bounds_.Width(), bounds_.Height());
    temp.Canvas()->SetCopyMode(cmSrcCopy);
    temp.Canvas()->CopyRect({0, 0, bounds_.Width(), bounds_.Height()}, ref, bounds_);
    current = &temp;
    ox = oy = 0;
  }
  if (NuvCanUseAlphaBlend && NuvAlphaBlend) {
    NuvAlphaBlend(current, ox, oy, bitmap_.get(), static_cast<uint8_t>(RoundHalfEven(transparency * 255 / 100.0)));
  } else {
    const int bpp = BytesPerPixel(current);
    const int32_t w = std::min(bitmap_->GetWidth(), current->GetWidth() - ox);
    const int32_t h = std::min(bitmap_->GetHeight(), current->GetHeight() - oy);
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* s = bitmap_->ScanLine(y);
      uint8_t* d = current->ScanLine(y + oy) + bpp * ox;
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* c = d + bpp * x;
        const uint8_t* sv = s + 3 * x;
        if (c[0] == 0xFF && c[1] == 0xFF && c[2] == 0xFF) c[2] = 0xFE;
        for (int k = 0; k < 3; ++k) c[k] = static_cast<uint8_t>(c[k] + (int(sv[k]) - int(c[k])) * transparency / 100);
      }
    }
  }
  if (current == &temp) canvas_->GetReferenceCanvas()->Draw(bounds_.Left, bounds_.Top, &temp);
}

#include "chart/canvas/NvCanvasButtons.h"

#include <cstdio>

#include "platform/Dialogs.h"

namespace {

std::vector<TNuvPropertyFinder>& Finders()
{
  static std::vector<TNuvPropertyFinder> list;
  return list;
}

template <typename T, typename Get, typename Set>
TNuvOrdinalProperty MakeProperty(const std::string& name, T* obj, Get get, Set set)
{
  return {name, [obj, get] { return static_cast<int64_t>((obj->*get)()); },
          [obj, set](int64_t v) { (obj->*set)(static_cast<TColor>(v)); }};
}

bool KnownProperty(TObject* instance, const std::string& name, TNuvOrdinalProperty& out)
{
  if (name == "Color") {
    if (auto* p = dynamic_cast<TPen*>(instance)) return out = MakeProperty(name, p, &TPen::GetColor, &TPen::SetColor), true;
    if (auto* b = dynamic_cast<TBrush*>(instance))
      return out = MakeProperty(name, b, &TBrush::GetColor, &TBrush::SetColor), true;
    if (auto* f = dynamic_cast<TFont*>(instance)) return out = MakeProperty(name, f, &TFont::GetColor, &TFont::SetColor), true;
    if (auto* s = dynamic_cast<TNuvShadow*>(instance))
      return out = MakeProperty(name, s, &TNuvShadow::GetColor, &TNuvShadow::SetColor), true;
  }
  if (auto* g = dynamic_cast<TCustomNuvGradient*>(instance)) {
    if (name == "StartColor")
      return out = MakeProperty(name, g, &TCustomNuvGradient::GetStartColor, &TCustomNuvGradient::SetStartColor), true;
    if (name == "MidColor")
      return out = MakeProperty(name, g, &TCustomNuvGradient::GetMidColor, &TCustomNuvGradient::SetMidColor), true;
    if (name == "EndColor")
      return out = MakeProperty(name, g, &TCustomNuvGradient::GetEndColor, &TCustomNuvGradient::SetEndColor), true;
  }
  return false;
}

}  // namespace

void RegisterNuvPropertyFinder(TNuvPropertyFinder finder) { Finders().push_back(std::move(finder)); }

bool FindNuvOrdinalProperty(TObject* instance, const std::string& name, TNuvOrdinalProperty& out)
{
  if (!instance) return false;
  if (KnownProperty(instance, name, out)) return true;
  for (const auto& f : Finders())
    if (f(instance, name, out)) return true;
  return false;
}

// ---- TNuvButton ----

TNuvButton::TNuvButton(TComponent* owner) : TButton(owner) { SetBounds(GetLeft(), GetTop(), 75, 25); }

void TNuvButton::LinkProperty(TObject* instance, const std::string& propName)
{
  if (!instance) return;
  instance_ = instance;
  hasProperty_ = !propName.empty() && FindNuvOrdinalProperty(instance, propName, property_);
  Invalidate();
}

TRect TNuvButton::GetSampleRect() const
{
  const int32_t w = GetWidth(), h = GetHeight();
  return {w - 19, h - 3 * (h / 4), w - 6, h - h / 4};
}

void TNuvButton::DrawSymbol(TNuvCanvas*) {}

void TNuvButton::SetEnabled(bool v)
{
  TButton::SetEnabled(v);
  Invalidate();
}

void TNuvButton::SetCaption(const std::string& v)
{
  TButton::SetCaption(v);
  Invalidate();
}

void TNuvButton::Paint()
{
  TButton::Paint();
  TNuvCanvas3D sample;
  sample.SetBufferedDisplay(false);
  sample.AttachCanvas(GetCanvas());
  DrawSymbol(&sample);
}

// ---- TButtonColor ----

TButtonColor::TButtonColor(TComponent* owner) : TNuvButton(owner) {}

TColor TButtonColor::GetSymbolColor() const
{
  if (OnGetColor) return OnGetColor();
  if (hasProperty_) return ColorToRGB(static_cast<TColor>(property_.get()));
  return color_;
}

void TButtonColor::SetSymbolColor(TColor v)
{
  if (hasProperty_)
    property_.set(v);
  else
    color_ = v;
}

void TButtonColor::DrawSymbol(TNuvCanvas* canvas)
{
  const TColor c = GetSymbolColor();
  canvas->Brush()->SetColor(c);
  if (c == clNone) return;
  if (!GetEnabled()) canvas->Pen()->SetStyle(psClear);
  canvas->RectangleRect(GetSampleRect());
}

void TButtonColor::Click()
{
  TColor c = GetSymbolColor();
  if (EditColor(this, c)) {
    SetSymbolColor(c);
    Repaint();
    TNuvButton::Click();
  }
}

// ---- Colour dialog ----

std::vector<std::string>& NuvCustomColors()
{
  static std::vector<std::string> list;
  return list;
}

bool EditColor(TComponent* owner, TColor& color)
{
  auto& custom = NuvCustomColors();
  char hex[16];
  std::snprintf(hex, sizeof hex, "%.8x", static_cast<unsigned>(clTransparentBack));
  std::string marker = std::string("ColorA=") + hex;
  for (char& ch : marker)
    if (ch >= 'a' && ch <= 'f') ch = static_cast<char>(ch - 'a' + 'A');
  if (custom.empty() || custom.front().rfind("ColorA=", 0) != 0)
    custom.insert(custom.begin(), marker);
  else
    custom.front() = marker;
  TColorDialog dialog(owner);
  dialog.Color = color;
  const TColor old = color;
  if (dialog.Execute()) color = dialog.Color;
  return color != old;
}

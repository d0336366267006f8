#include "chart/canvas/NvCanvasButtons.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/ColorDialogColors.h"
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
  if (hasProperty_) {
    // clNone is no colour: converted it would read as white.
    const TColor c = static_cast<TColor>(property_.get());
    return c == clNone ? clNone : ColorToRGB(c);
  }
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

namespace {
// "ColorA".."ColorP" name the dialog's custom colour slots 0..15; values are 8 hex digits.
std::string SlotName(int slot) { return std::string("Color") + static_cast<char>('A' + slot); }

std::string HexColor(TColor c)
{
  char hex[16];
  std::snprintf(hex, sizeof hex, "%.8X", static_cast<unsigned>(c));
  return hex;
}

// Sets the value of Name in the list (appended when absent).
void SetValue(std::vector<std::string>& list, const std::string& name, const std::string& value)
{
  for (auto& entry : list)
    if (entry.size() > name.size() && entry.compare(0, name.size() + 1, name + "=") == 0) {
      entry = name + "=" + value;
      return;
    }
  list.push_back(name + "=" + value);
}
}  // namespace

bool EditColor(TComponent* owner, TColor& color)
{
  auto& custom = NuvCustomColors();
  SetValue(custom, "ColorA", HexColor(clTransparentBack));
  const int slots = std::min(26, ColorDialogCustomCount());
  for (const auto& entry : custom) {
    if (entry.size() < 8 || entry.compare(0, 5, "Color") != 0 || entry[6] != '=') continue;
    const int slot = entry[5] - 'A';
    if (slot < 0 || slot >= slots) continue;
    char* end = nullptr;
    const unsigned long v = std::strtoul(entry.c_str() + 7, &end, 16);
    if (end && *end == 0 && end != entry.c_str() + 7) SetColorDialogCustomColor(slot, static_cast<TColor>(v));
  }
  TColorDialog dialog(owner);
  dialog.Color = color;
  const TColor old = color;
  if (dialog.Execute()) {
    custom.clear();
    for (int slot = 0; slot < slots; ++slot) custom.push_back(SlotName(slot) + "=" + HexColor(GetColorDialogCustomColor(slot)));
    color = dialog.Color;
  }
  return color != old;
}

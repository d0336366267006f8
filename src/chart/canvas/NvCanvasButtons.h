#pragma once
// Editor buttons that paint a sample of what they edit, the colour button and the colour dialog.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "chart/canvas/NvCanvas.h"
#include "platform/StdCtrls.h"

// An ordinal property of an object, read and written through accessors.
struct TNuvOrdinalProperty {
  std::string name;
  std::function<int64_t()> get;
  std::function<void(int64_t)> set;
};

// Finds an ordinal property by name on an object; the chart attributes' colour properties are
// known ("Color" of pens, brushes, fonts and shadows; "StartColor", "MidColor", "EndColor" of
// gradients). Units may add finders for their own classes.
using TNuvPropertyFinder = std::function<bool(TObject* instance, const std::string& name, TNuvOrdinalProperty& out)>;
void RegisterNuvPropertyFinder(TNuvPropertyFinder finder);
bool FindNuvOrdinalProperty(TObject* instance, const std::string& name, TNuvOrdinalProperty& out);

// A push button that paints a sample of the linked object at its right.
class TNuvButton : public TButton {
public:
  explicit TNuvButton(TComponent* owner);
  // Links Instance and, when PropName is given, its property of that name (none when absent).
  void LinkProperty(TObject* instance, const std::string& propName);
  TObject* GetInstance() const { return instance_; }
  bool HasProperty() const { return hasProperty_; }
  // The swatch rectangle at the right of the button.
  TRect GetSampleRect() const;
  // Paints the sample; nothing in the base.
  virtual void DrawSymbol(TNuvCanvas* canvas);
  void SetEnabled(bool v) override;
  void SetCaption(const std::string& v) override;

protected:
  void Paint() override;
  TObject* instance_ = nullptr;
  TNuvOrdinalProperty property_;
  bool hasProperty_ = false;
};

class TButtonColor : public TNuvButton {
public:
  explicit TButtonColor(TComponent* owner);
  TColor GetSymbolColor() const;
  void SetSymbolColor(TColor v);
  std::function<TColor()> OnGetColor;
  void DrawSymbol(TNuvCanvas* canvas) override;
  // Edits the colour with the colour dialog; a change is written, repainted, then clicked.
  void Click() override;

private:
  TColor color_ = clBlack;
};

// The process-wide custom colours of the colour dialog ("ColorA=00C0C0C1" first).
std::vector<std::string>& NuvCustomColors();
// Shows the colour dialog on Color; true when Color changed.
bool EditColor(TComponent* owner, TColor& color);

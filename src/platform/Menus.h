#pragma once
// Pop-up menus: items with a caption, a tick and a click handler, shown at a screen position by
// the window system's own menu. Tests answer pop-ups with TPopupMenu::TestAnswer instead.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  bool GetChecked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  // Position in the menu that holds the item; -1 when in none.
  int GetMenuIndex() const;
  // Runs OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

private:
  friend class TPopupMenu;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  class TPopupMenu* menu_ = nullptr;
};

enum TMenuAutoFlag { maAutomatic, maManual, maParent };

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuAutoFlag GetAutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag v) { autoHotkeys_ = v; }
  // Holds the item (not owning it; its owner frees it).
  void Add(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  int IndexOf(const TMenuItem* item) const;
  // Lets go of every item (the items stay with their owner).
  void Clear();
  // Shows the menu with its top-left at the screen point and, when the user picks an enabled
  // item, runs its click. Returns the picked item, nullptr when the menu was dismissed.
  TMenuItem* Popup(int32_t x, int32_t y);
  TNotifyEvent OnPopup;
  // The screen point of the last Popup.
  int32_t PopupX() const { return popupX_; }
  int32_t PopupY() const { return popupY_; }

  // Tests answer every pop-up with this instead of showing one: it gets the menu and returns the
  // index of the item to pick, or -1 to dismiss it.
  static std::function<int(TPopupMenu*)> TestAnswer;

private:
  friend class TMenuItem;
  std::vector<TMenuItem*> items_;
  TMenuAutoFlag autoHotkeys_ = maAutomatic;
  int32_t popupX_ = 0, popupY_ = 0;
};

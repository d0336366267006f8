#include "platform/Menus.h"

#include <QAction>
#include <QMenu>
#include <QPoint>

#include <algorithm>

#include "platform/ControlsQt.h"

using namespace ctlqt;

std::function<int(TPopupMenu*)> TPopupMenu::TestAnswer;

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem()
{
  if (menu_) {
    auto& items = menu_->items_;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
  }
}

int TMenuItem::GetMenuIndex() const { return menu_ ? menu_->IndexOf(this) : -1; }

void TMenuItem::Click()
{
  if (OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) {}

TPopupMenu::~TPopupMenu() { Clear(); }

void TPopupMenu::Add(TMenuItem* item)
{
  if (!item || item->menu_ == this) return;
  if (item->menu_) {
    auto& other = item->menu_->items_;
    other.erase(std::remove(other.begin(), other.end(), item), other.end());
  }
  item->menu_ = this;
  items_.push_back(item);
}

int TPopupMenu::IndexOf(const TMenuItem* item) const
{
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TPopupMenu::Clear()
{
  for (TMenuItem* item : items_) item->menu_ = nullptr;
  items_.clear();
}

TMenuItem* TPopupMenu::Popup(int32_t x, int32_t y)
{
  popupX_ = x;
  popupY_ = y;
  if (OnPopup) OnPopup(this);
  int chosen = -1;
  if (TestAnswer) {
    chosen = TestAnswer(this);
  } else {
    QMenu menu;
    std::vector<QAction*> actions;
    for (TMenuItem* item : items_) {
      std::string caption = item->GetCaption();
      // Manual hot keys: an "&" marks the key; automatic ones are left to the window system.
      QAction* action = menu.addAction(Q(caption));
      action->setCheckable(item->GetChecked());
      action->setChecked(item->GetChecked());
      action->setEnabled(item->GetEnabled());
      actions.push_back(action);
    }
    QAction* picked = menu.exec(QPoint(x, y));
    auto it = std::find(actions.begin(), actions.end(), picked);
    if (picked && it != actions.end()) chosen = static_cast<int>(it - actions.begin());
  }
  if (chosen < 0 || chosen >= Count()) return nullptr;
  TMenuItem* item = items_[chosen];
  if (!item->GetEnabled()) return nullptr;
  item->Click();
  return item;
}

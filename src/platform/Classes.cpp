#include "platform/Classes.h"

#include <algorithm>

void TPersistent::Assign(const TPersistent* source)
{
  (void)source;
  throw EConvertError("Cannot assign");
}

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
  if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent()
{
  destroying_ = true;
  // Tell every component that asked for it that this one goes away.
  auto notifies = notifies_;
  notifies_.clear();
  for (TComponent* c : notifies) {
    c->Notification(this, TOperation::opRemove);
    auto& theirs = c->notifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
  }
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

void TComponent::ChangeOwner(TComponent* newOwner)
{
  if (newOwner == owner_ || newOwner == this) return;
  if (owner_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  owner_ = newOwner;
  if (owner_) owner_->components_.push_back(this);
}

void TComponent::FreeNotification(TComponent* other)
{
  if (!other || other == this) return;
  if (std::find(notifies_.begin(), notifies_.end(), other) == notifies_.end()) notifies_.push_back(other);
  if (std::find(other->notifies_.begin(), other->notifies_.end(), this) == other->notifies_.end())
    other->notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other)
{
  if (!other) return;
  notifies_.erase(std::remove(notifies_.begin(), notifies_.end(), other), notifies_.end());
  other->notifies_.erase(std::remove(other->notifies_.begin(), other->notifies_.end(), this), other->notifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
  (void)component;
  (void)operation;
}

void TComponent::InsertComponent(TComponent* c) { components_.push_back(c); }

void TComponent::RemoveComponent(TComponent* c)
{
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  for (TComponent* other : components_) other->Notification(c, TOperation::opRemove);
}

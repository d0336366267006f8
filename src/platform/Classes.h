#pragma once
// Object, persistent and component bases: ownership and free-notification.
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
  // Copies the settings of Source; the default raises EConvertError as the class library does.
  virtual void Assign(const TPersistent* source);
};

// Property setters: stores value in field and tells whether it differed.
template <class T>
bool Store(T& field, const T& value)
{
  if (field == value) return false;
  field = value;
  return true;
}

enum class TOperation { opInsert, opRemove };

// A component frees the components it owns, in reverse order of creation. A component that
// keeps a non-owning link to another asks it for FreeNotification and clears the link in Notification.
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* GetOwner() const { return owner_; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  intptr_t Tag = 0;

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  TComponent* FindComponent(const std::string& name) const;
  // Moves this component from its owner's list into newOwner's (nullptr: no owner); nobody is
  // told, the component lives on and is freed with its new owner.
  void ChangeOwner(TComponent* newOwner);

  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // True while the destructor runs (the csDestroying state).
  bool Destroying() const { return destroying_; }

protected:
  virtual void Notification(TComponent* component, TOperation operation);

private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> notifies_;
  bool destroying_ = false;
};

// Components: named objects owned by a parent component, the root of every control.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TObject {
 public:
  TComponent(TComponent* owner, std::string name);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  TComponent* Owner() const { return owner_; }
  // General-purpose integer; two controls carry state in it.
  int Tag = 0;

  const std::vector<TComponent*>& Components() const { return components_; }
  TComponent* FindComponent(const std::string& name) const;

 private:
  std::string name_;
  TComponent* owner_;
  std::vector<TComponent*> components_;  // owned; destroyed in reverse order of creation
};

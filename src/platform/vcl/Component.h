// Components: named objects owned by another component, the root of every control.
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

 protected:
  // Destroys what this component owns, newest first. A derived class whose owned
  // components may use it while they go (a form) calls it from its own destructor,
  // so they never meet it half destroyed.
  void DestroyComponents();

 private:
  std::string name_;
  TComponent* owner_;
  std::vector<TComponent*> components_;  // owned; destroyed in reverse order of creation
};

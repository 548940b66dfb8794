// Ownership of components: the owner destroys what it owns, newest first.
#include "platform/vcl/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner, std::string name) : name_(std::move(name)), owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
  if (owner_) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

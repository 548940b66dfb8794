// Ownership of components: the owner destroys what it owns, newest first.
#include "platform/vcl/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner, std::string name) : name_(std::move(name)), owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TComponent::DestroyComponents() {
  // One at a time from the back: a component going may take others with it (a
  // container its children), and those leave this list themselves.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

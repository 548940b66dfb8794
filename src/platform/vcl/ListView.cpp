// Rows of the list view; every change of a row is reported through OnChange.
#include "platform/vcl/ListView.h"

#include <algorithm>

#include "platform/vcl/Forms.h"

TListItem::TListItem(TListView* owner) : owner_(owner) {
  SubItems.OnChange = [this] { owner_->ItemChanged(this, TItemChange::ctText); };
}

void TListItem::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  owner_->ItemChanged(this, TItemChange::ctText);
}

void TListItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  owner_->ItemChanged(this, TItemChange::ctState);
}

void TListItem::SetSelected(bool selected) {
  if (selected == selected_) return;
  if (selected && !owner_->MultiSelect)
    for (auto& other : owner_->items_)
      if (other.get() != this && other->selected_) other->SetSelected(false);
  selected_ = selected;
  owner_->ItemChanged(this, TItemChange::ctState);
}

int TListItem::Index() const {
  const auto& items = owner_->items_;
  auto it = std::find_if(items.begin(), items.end(), [this](const auto& p) { return p.get() == this; });
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

TListView::TListView(TComponent* owner, std::string name, TWinControl* parent)
    : TWinControl(owner, std::move(name), parent) {}

TListView::~TListView() = default;

TListItem* TListView::Add() {
  items_.push_back(std::unique_ptr<TListItem>(new TListItem(this)));
  Changed();
  return items_.back().get();
}

// The focus moves to the row that takes the deleted one's place, which is a
// change of that row (or of the now empty list).
void TListView::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed();
  TListItem* focused = index < Count() ? Item(index) : Count() > 0 ? Item(Count() - 1) : nullptr;
  if (OnChange) OnChange(this, focused, TItemChange::ctState);
}

void TListView::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

TListItem* TListView::Selected() const {
  for (const auto& item : items_)
    if (item->selected_) return item.get();
  return nullptr;
}

void TListView::UserCheck(int index, bool checked) {
  if (UserCanAct() && index >= 0 && index < Count()) {
    TListItem* item = Item(index);
    Application->Guard([&] { item->SetChecked(checked); });
  }
}

void TListView::UserSelect(int index) {
  if (!UserCanAct()) return;
  Application->Guard([&] {
    if (index >= 0 && index < Count())
      Item(index)->SetSelected(true);
    else if (TListItem* selected = Selected())
      selected->SetSelected(false);
  });
}

// The row's new state is shown first, then the handler sees it.
void TListView::ItemChanged(TListItem* item, TItemChange change) {
  Changed();
  if (OnChange) OnChange(this, item, change);
}

// Rows of the list view; every change of a row is reported through OnChange.
#include "platform/vcl/ListView.h"

#include "platform/vcl/Forms.h"

std::string ShownCellText(const std::string& text) {
  if (text.size() <= kShownCellCharacters) return text;  // no more characters than bytes
  std::size_t end = 0;
  for (int characters = 0; end < text.size(); ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) continue;  // inside a character
    if (characters++ == kShownCellCharacters) return text.substr(0, end) + "…";
  }
  return text;
}

TListItem::TListItem(TListView* owner, int index) : owner_(owner), index_(index) {
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
  owner_->checkedCount_ += checked ? 1 : -1;
  owner_->ItemChanged(this, TItemChange::ctState);
}

void TListItem::SetSelected(bool selected) {
  if (selected == selected_) return;
  if (selected && !owner_->MultiSelect) {
    // The row that loses the selection changes first, as it would on screen.
    if (TListItem* other = owner_->selected_; other && other != this) other->SetSelected(false);
  }
  selected_ = selected;
  if (selected)
    owner_->selected_ = this;
  else if (owner_->selected_ == this)
    owner_->selected_ = nullptr;
  owner_->ItemChanged(this, TItemChange::ctState);
}

TListView::TListView(TComponent* owner, std::string name, TWinControl* parent)
    : TWinControl(owner, std::move(name), parent) {}

TListView::~TListView() = default;

TListItem* TListView::Add() {
  items_.push_back(std::unique_ptr<TListItem>(new TListItem(this, Count())));
  RowChanged(TListRowChange::Inserted, Count() - 1);
  return items_.back().get();
}

// The focus moves to the row that takes the deleted one's place, which is a
// change of that row (or of the now empty list).
void TListView::Delete(int index) {
  TListItem* gone = items_.at(index).get();
  if (gone->checked_) --checkedCount_;
  if (selected_ == gone) selected_ = nullptr;
  items_.erase(items_.begin() + index);
  for (int i = index; i < Count(); ++i) items_[i]->index_ = i;
  RowChanged(TListRowChange::Removed, index);
  TListItem* focused = index < Count() ? Item(index) : Count() > 0 ? Item(Count() - 1) : nullptr;
  if (OnChange) OnChange(this, focused, TItemChange::ctState);
}

void TListView::Clear() {
  if (items_.empty()) return;
  items_.clear();
  checkedCount_ = 0;
  selected_ = nullptr;
  RowChanged(TListRowChange::Cleared, 0);
}

TListItem* TListView::Selected() const {
  if (!MultiSelect) return selected_;
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
  RowChanged(TListRowChange::Changed, item->index_);
  if (OnChange) OnChange(this, item, change);
}

void TListView::RowChanged(TListRowChange change, int row) {
  if (Application) Application->GetBackend().ListRowChanged(*this, change, row);
}

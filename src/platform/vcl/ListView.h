// The report-style list view with a check box per row.
//
// Unlike the check boxes, its OnChange comes for every change of a row (check
// mark, selection, text), whether the user or code made it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

class TListView;

enum class TItemChange { ctText, ctState };

class TListItem {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // Sub-item 1 is the first column after the caption; SubItems[0] holds it.
  TStrings SubItems;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Selected() const { return selected_; }
  void SetSelected(bool selected);
  int Index() const;

 private:
  friend class TListView;
  explicit TListItem(TListView* owner);
  TListView* owner_;
  std::string caption_;
  bool checked_ = false;
  bool selected_ = false;
};

struct TListColumn {
  std::string Caption;
  int Width;
};

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;

class TListView : public TWinControl {
 public:
  TListView(TComponent* owner, std::string name, TWinControl* parent);
  ~TListView() override;
  const char* ClassName() const override { return "TListView"; }

  std::vector<TListColumn> Columns;
  bool Checkboxes = true;
  bool GridLines = true;
  bool RowSelect = true;
  bool MultiSelect = false;
  bool ReadOnly = true;

  int Count() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int index) const { return items_.at(index).get(); }
  TListItem* Add();
  void Delete(int index);
  void Clear();
  TListItem* Selected() const;

  TLVChangeEvent OnChange;

  void UserCheck(int index, bool checked);
  void UserSelect(int index);  // -1 selects nothing

 private:
  friend class TListItem;
  void ItemChanged(TListItem* item, TItemChange change);
  std::vector<std::unique_ptr<TListItem>> items_;
};

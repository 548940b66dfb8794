// The report-style list view with a check box per row.
//
// Unlike the check boxes, its OnChange comes for every change of a row (check
// mark, selection, text), whether the user or code made it.
//
// A change of a row is told to the backend as that row's change alone
// (Backend::ListRowChanged), so a list of any length costs the same per change.
// The list keeps its count of ticked rows and each row its index, so neither
// needs a walk over the rows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

class TListView;

enum class TItemChange { ctText, ctState };

// What happened to a row, as the backend hears it.
enum class TListRowChange { Inserted, Removed, Changed, Cleared };

// What a cell shows of a text: at most kShownCellCharacters characters, and "…" when cut.
// The row keeps its whole text; only the screen gets the short one, so a huge text
// cannot stall the window.
constexpr int kShownCellCharacters = 260;
std::string ShownCellText(const std::string& text);

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
  int Index() const { return index_; }

 private:
  friend class TListView;
  TListItem(TListView* owner, int index);
  TListView* owner_;
  int index_;
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
  // The number of ticked rows.
  int CheckedCount() const { return checkedCount_; }

  TLVChangeEvent OnChange;

  void UserCheck(int index, bool checked);
  void UserSelect(int index);  // -1 selects nothing

 private:
  friend class TListItem;
  void ItemChanged(TListItem* item, TItemChange change);
  void RowChanged(TListRowChange change, int row);
  std::vector<std::unique_ptr<TListItem>> items_;
  int checkedCount_ = 0;
  TListItem* selected_ = nullptr;  // the one selected row while MultiSelect is off
};

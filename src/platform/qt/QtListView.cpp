// The report-style list view: a tree widget without a tree, one check box per row in the
// first column, grid lines, whole-row single selection, no editing in place.
//
// The rows are mirrored from the control on every push. A copy of what each row shows is
// kept, so a push after one row changed touches only the widgets that differ, even with
// thousands of rows.
#include <QHeaderView>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/ListView.h"

namespace {

class ListViewPeer : public Peer {
 public:
  ListViewPeer(QtPeers& peers, TListView& list, QWidget* host)
      : Peer(peers, list, new QTreeWidget(host)), list_(list) {
    auto* tree = Tree();
    tree->setRootIsDecorated(false);
    tree->setItemsExpandable(false);
    tree->setUniformRowHeights(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setAllColumnsShowFocus(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionsMovable(false);
    tree->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QObject::connect(tree, &QTreeWidget::itemChanged, tree, [this](QTreeWidgetItem* item, int column) {
      if (column != 0) return;
      int index = Tree()->indexOfTopLevelItem(item);
      bool checked = item->checkState(0) == Qt::Checked;
      if (index < 0 || index >= static_cast<int>(rows_.size()) || rows_[index].checked == checked) return;
      User([&] { list_.UserCheck(index, checked); });
    });
    QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [this] {
      int index = SelectedRow();
      if (index != selected_) User([&] { list_.UserSelect(index); });
    });
  }

 protected:
  void PushState() override {
    PushColumns();
    PushRows();
    Describe(NeighbourLabel(list_));
  }

 private:
  // What a row of the widget shows.
  struct Row {
    std::vector<std::string> texts;
    bool checked = false;
  };

  QTreeWidget* Tree() const { return static_cast<QTreeWidget*>(widget_.data()); }

  int SelectedRow() const {
    QList<QTreeWidgetItem*> chosen = Tree()->selectedItems();
    return chosen.isEmpty() ? -1 : Tree()->indexOfTopLevelItem(chosen.first());
  }

  void PushColumns() {
    auto* tree = Tree();
    int count = std::max<int>(1, static_cast<int>(list_.Columns.size()));
    if (tree->columnCount() != count) tree->setColumnCount(count);
    QStringList captions;
    for (const TListColumn& column : list_.Columns) captions << ToQ(column.Caption);
    if (tree->headerItem()->text(0) != captions.value(0) || columns_ != captions) {
      tree->setHeaderLabels(captions);
      columns_ = captions;
    }
    for (int i = 0; i < static_cast<int>(list_.Columns.size()); ++i)
      if (tree->columnWidth(i) != list_.Columns[i].Width) tree->setColumnWidth(i, list_.Columns[i].Width);
  }

  static Row RowOf(const TListItem& item) {
    Row row;
    row.texts.push_back(item.Caption());
    for (const std::string& sub : item.SubItems.Items()) row.texts.push_back(sub);
    row.checked = item.Checked();
    return row;
  }

  void Show(QTreeWidgetItem* item, const Row& row, const Row* before) {
    int columns = std::max<int>(static_cast<int>(row.texts.size()), before ? static_cast<int>(before->texts.size()) : 0);
    for (int c = 0; c < columns; ++c) {
      const std::string empty;
      const std::string& text = c < static_cast<int>(row.texts.size()) ? row.texts[c] : empty;
      if (!before || c >= static_cast<int>(before->texts.size()) || before->texts[c] != text)
        item->setText(c, ToQ(text));
    }
    if (list_.Checkboxes && (!before || before->checked != row.checked))
      item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
  }

  void PushRows() {
    auto* tree = Tree();
    int count = list_.Count();
    while (tree->topLevelItemCount() > count) delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
    rows_.resize(std::min<size_t>(rows_.size(), count));
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
      Row row = RowOf(*list_.Item(i));
      if (row.checked != rows_[i].checked || row.texts != rows_[i].texts) {
        Show(tree->topLevelItem(i), row, &rows_[i]);
        rows_[i] = std::move(row);
      }
    }
    QList<QTreeWidgetItem*> added;
    for (int i = static_cast<int>(rows_.size()); i < count; ++i) {
      auto* item = new QTreeWidgetItem();
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
      Row row = RowOf(*list_.Item(i));
      Show(item, row, nullptr);
      rows_.push_back(std::move(row));
      added << item;
    }
    if (!added.isEmpty()) tree->addTopLevelItems(added);

    TListItem* chosen = list_.Selected();
    int index = chosen ? chosen->Index() : -1;
    if (SelectedRow() != index) {
      if (index >= 0)
        tree->setCurrentItem(tree->topLevelItem(index));
      else
        tree->clearSelection();
    }
    selected_ = index;
  }

  TListView& list_;
  std::vector<Row> rows_;
  QStringList columns_;
  int selected_ = -1;
};

}  // namespace

std::unique_ptr<Peer> MakeListViewPeer(QtPeers& peers, TControl& control, QWidget* host) {
  if (auto* c = dynamic_cast<TListView*>(&control)) return std::make_unique<ListViewPeer>(peers, *c, host);
  return nullptr;
}

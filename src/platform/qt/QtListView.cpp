// The report-style list view: a tree view without a tree over a model of the control's rows,
// one check box per row in the first column, grid lines, whole-row single selection, no
// editing in place.
//
// The view asks the model for the rows it shows, and the model reads them from the control,
// so nothing is copied. Each change of a row reaches the model as that row alone; a burst of
// changes (a file of many records loaded, every row ticked) is shown in one update when the
// loop next runs, so the cost per changed row stays the same however long the list is.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTreeView>
#include <algorithm>
#include <functional>
#include <string>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/ListView.h"

namespace {

// The control's rows as Qt's views read them. The view knows only the first `shown_` rows:
// rows appended since are announced together at the next Flush. Removals and clearing are
// announced at once, so the view never holds a row the control no longer has.
class RowsModel : public QAbstractTableModel {
 public:
  RowsModel(TListView& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

  std::function<void(int row, bool checked)> OnUserCheck;
  std::function<void()> OnPending;  // a Flush is wanted when the loop next runs

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : shown_; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : columns_; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= list_.Count()) return {};
    const TListItem& item = *list_.Item(index.row());
    if (role == Qt::DisplayRole) {
      int column = index.column();
      if (column == 0) return ToQ(ShownCellText(item.Caption()));
      return column - 1 < item.SubItems.Count() ? ToQ(ShownCellText(item.SubItems[column - 1])) : QString();
    }
    if (role == Qt::CheckStateRole && index.column() == 0 && list_.Checkboxes)
      return item.Checked() ? Qt::Checked : Qt::Unchecked;
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < static_cast<int>(list_.Columns.size()) ? ToQ(list_.Columns[section].Caption) : QString();
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && list_.Checkboxes) flags |= Qt::ItemIsUserCheckable;
    return flags;
  }

  // Only the user ticks through the view; the control decides, and its change comes back.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 || !OnUserCheck) return false;
    OnUserCheck(index.row(), value.toInt() == Qt::Checked);
    return true;
  }

  // The column count follows the control's columns (one at least, for the caption).
  void SyncColumns() {
    int columns = std::max<int>(1, static_cast<int>(list_.Columns.size()));
    if (columns == columns_) return;
    beginResetModel();
    columns_ = columns;
    shown_ = list_.Count();
    dirtyFirst_ = -1;
    endResetModel();
  }

  void RowChanged(TListRowChange change, int row) {
    switch (change) {
      case TListRowChange::Inserted:
        if (row < shown_) {  // in the middle of what the view knows: say so now
          beginInsertRows({}, row, row);
          ++shown_;
          endInsertRows();
          if (dirtyFirst_ >= row) ++dirtyFirst_;
          if (dirtyFirst_ >= 0 && dirtyLast_ >= row) ++dirtyLast_;
        } else {
          OnPending();
        }
        break;
      case TListRowChange::Removed:
        if (row < shown_) {
          beginRemoveRows({}, row, row);
          --shown_;
          endRemoveRows();
          if (dirtyFirst_ >= 0) {
            if (dirtyFirst_ > row) --dirtyFirst_;
            if (dirtyLast_ >= row) --dirtyLast_;
            if (dirtyLast_ < dirtyFirst_) dirtyFirst_ = -1;
          }
        }
        OnPending();
        break;
      case TListRowChange::Cleared:
        beginResetModel();
        shown_ = 0;
        dirtyFirst_ = -1;
        endResetModel();
        OnPending();
        break;
      case TListRowChange::Changed:
        if (row < shown_) {
          if (dirtyFirst_ < 0)
            dirtyFirst_ = dirtyLast_ = row;
          else
            dirtyFirst_ = std::min(dirtyFirst_, row), dirtyLast_ = std::max(dirtyLast_, row);
        }
        OnPending();
        break;
    }
  }

  // Announces the rows appended since the last Flush and the rows that changed.
  void Flush() {
    int count = list_.Count();
    if (count > shown_) {
      beginInsertRows({}, shown_, count - 1);
      shown_ = count;
      endInsertRows();
    } else if (count < shown_) {  // cannot happen while every removal is announced; kept honest
      beginResetModel();
      shown_ = count;
      dirtyFirst_ = -1;
      endResetModel();
    }
    if (dirtyFirst_ >= 0) {
      int last = std::min(dirtyLast_, shown_ - 1);
      if (last >= dirtyFirst_) emit dataChanged(index(dirtyFirst_, 0), index(last, columns_ - 1));
      dirtyFirst_ = -1;
    }
  }

 private:
  TListView& list_;
  int columns_ = 0;
  int shown_ = 0;
  int dirtyFirst_ = -1, dirtyLast_ = -1;  // rows the view shows that changed since the last Flush
};

// The current cell stays in the first column, where the check box is, so Space ticks the
// current row whichever column the user clicked.
class RowTree : public QTreeView {
 public:
  using QTreeView::QTreeView;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
    if (current.isValid() && current.column() != 0) {
      selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
      return;
    }
    QTreeView::currentChanged(current, previous);
  }
};

class ListViewPeer : public Peer {
 public:
  ListViewPeer(QtPeers& peers, TListView& list, QWidget* host)
      : Peer(peers, list, new RowTree(host)), list_(list) {
    auto* tree = Tree();
    model_ = new RowsModel(list, tree);
    model_->SyncColumns();
    tree->setModel(model_);
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
    model_->OnUserCheck = [this](int row, bool checked) {
      User([&] { list_.UserCheck(row, checked); });
    };
    model_->OnPending = [this] { FlushSoon(); };
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, tree, [this] {
      if (pushing_) return;
      int index = SelectedRow();
      if (index != selected_) User([&] { list_.UserSelect(index); });
    });
  }

  void RowChanged(TListRowChange change, int row) {
    if (!widget_) return;
    Pushing guard(*this);
    model_->RowChanged(change, row);
  }

 protected:
  void PushState() override {
    PushColumns();
    Flush();
    Describe(NeighbourLabel(list_));
  }

 private:
  // While the peer moves the view itself, the view's signals are not the user's.
  struct Pushing {
    explicit Pushing(ListViewPeer& peer) : peer_(peer), was_(peer.pushing_) { peer_.pushing_ = true; }
    ~Pushing() { peer_.pushing_ = was_; }
    ListViewPeer& peer_;
    bool was_;
  };

  QTreeView* Tree() const { return static_cast<QTreeView*>(widget_.data()); }

  int SelectedRow() const {
    QModelIndexList chosen = Tree()->selectionModel()->selectedRows();
    return chosen.isEmpty() ? -1 : chosen.first().row();
  }

  void PushColumns() {
    model_->SyncColumns();
    auto* header = Tree()->header();
    for (int i = 0; i < static_cast<int>(list_.Columns.size()); ++i)
      if (header->sectionSize(i) != list_.Columns[i].Width) header->resizeSection(i, list_.Columns[i].Width);
  }

  // One update for everything changed since the last one, when the loop next runs.
  void FlushSoon() {
    if (flushPending_) return;
    flushPending_ = true;
    QPointer<QWidget> alive(widget_);
    QMetaObject::invokeMethod(
        widget_.data(),
        [this, alive] {
          if (alive) Flush();
        },
        Qt::QueuedConnection);
  }

  void Flush() {
    flushPending_ = false;
    if (!widget_) return;
    Pushing guard(*this);
    model_->Flush();
    TListItem* chosen = list_.Selected();
    int index = chosen ? chosen->Index() : -1;
    auto* selection = Tree()->selectionModel();
    if (SelectedRow() != index) {
      if (index >= 0)
        selection->setCurrentIndex(model_->index(index, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      else
        selection->clearSelection();
    }
    selected_ = index;
  }

  TListView& list_;
  RowsModel* model_ = nullptr;  // owned by the view
  int selected_ = -1;
  bool pushing_ = false;
  bool flushPending_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakeListViewPeer(QtPeers& peers, TControl& control, QWidget* host) {
  if (auto* c = dynamic_cast<TListView*>(&control)) return std::make_unique<ListViewPeer>(peers, *c, host);
  return nullptr;
}

void PushListRow(Peer* peer, TListRowChange change, int row) {
  if (auto* list = dynamic_cast<ListViewPeer*>(peer)) list->RowChanged(change, row);
}

// Building the widget tree of a form and the state every kind shares.
#include "platform/qt/QtPeers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtStyle.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

Peer::Peer(QtPeers& peers, TControl& control, QWidget* widget)
    : peers_(peers), control_(control), widget_(widget), defaultFocus_(widget->focusPolicy()) {
  widget->setObjectName(ToQ(control.Name()));
}

void Peer::Push() {
  if (!widget_) return;
  QSignalBlocker block(widget_);
  PushGeometry();
  widget_->setEnabled(control_.Enabled());
  PushColor();
  PushCaption();
  PushState();
  PushVisible();
  bool tabStop = control_.TabStop && control_.Visible() && defaultFocus_ != Qt::NoFocus;
  widget_->setFocusPolicy(tabStop ? defaultFocus_ : Qt::NoFocus);
}

void Peer::PushGeometry() { widget_->setGeometry(control_.Left(), control_.Top(), control_.Width(), control_.Height()); }

void Peer::PushVisible() { widget_->setVisible(control_.Visible()); }

void Peer::PushColor() {
  if (auto color = ToColor(control_.FontColor())) {
    QPalette palette;  // only the text roles are set; the rest follows the parent
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
      palette.setColor(QPalette::Active, role, *color), palette.setColor(QPalette::Inactive, role, *color);
    widget_->setPalette(palette);
  } else {
    widget_->setPalette(QPalette());
  }
}

void Peer::User(const std::function<void()>& action) {
  QPointer<QWidget> alive(widget_);
  action();
  if (alive) Push();
}

void Peer::Describe(const QString& name) { widget_->setAccessibleName(name); }

QString NeighbourLabel(const TControl& control) {
  constexpr int kReach = 40;  // farther than this, a label belongs to something else
  constexpr int kSlack = 4;
  const TLabel* best = nullptr;
  int bestDistance = kReach + 1;
  if (!control.Parent()) return {};
  int l = control.Left(), t = control.Top(), r = l + control.Width(), b = t + control.Height();
  for (const TControl* sibling : control.Parent()->Controls()) {
    auto* label = dynamic_cast<const TLabel*>(sibling);
    if (!label || label->Caption().empty()) continue;
    int ll = label->Left(), lt = label->Top(), lr = ll + label->Width(), lb = lt + label->Height();
    bool sameRow = lt < b && lb > t, sameColumn = ll < r && lr > l;
    int distance = kReach + 1;
    if (sameRow && ll >= r - kSlack) distance = ll - r;  // a unit to the right wins a tie
    else if (sameRow && lr <= l + kSlack) distance = l - lr + 1;
    else if (sameColumn && lb <= t + kSlack) distance = t - lb + 1;
    if (distance < bestDistance) best = label, bestDistance = distance;
  }
  if (best) return ToQ(best->Caption());
  return ToQ(control.Parent()->Caption());
}

namespace {

// Tab and Shift+Tab in a form's window walk the form's keyboard order, before any widget
// (a date edit's fields, a list's rows) takes the key for itself.
class TabKeys : public QObject {
 public:
  explicit TabKeys(QtPeers& peers) : peers_(peers) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    return peers_.TabFrom(static_cast<QWidget*>(watched), forward);
  }

 private:
  QtPeers& peers_;
};

bool OnPages(const TControl& control) {
  for (const TControl* c = &control; c; c = c->Parent())
    if (dynamic_cast<const TPageControl*>(c)) return true;
  return false;
}

}  // namespace

QtPeers::QtPeers() : tabKeys_(std::make_unique<TabKeys>(*this)) {
  if (qApp) qApp->installEventFilter(tabKeys_.get());
  InstallAccessibleKinds();
}

QtPeers::~QtPeers() {
  // Windows left over (a form never destroyed) go with their widgets.
  std::vector<QWidget*> windows;
  for (auto& [control, peer] : peers_)
    if (dynamic_cast<const TForm*>(control) && peer->Widget()) windows.push_back(peer->Widget());
  peers_.clear();
  controls_.clear();
  for (QWidget* window : windows) delete window;
}

QWidget* QtPeers::Build(TForm& form) {
  if (QWidget* existing = WindowOf(&form)) return existing;
  auto formPeer = MakeFormPeer(*this, form);
  QWidget* window = formPeer->ChildHost();
  window->setFont(WindowFont());
  controls_[formPeer->Widget()] = &form;
  peers_[&form] = std::move(formPeer);
  BuildChildren(form, window);
  for (auto& [control, peer] : peers_) peer->Push();
  QWidget* previous = nullptr;
  ChainTabOrder(form, previous);
  return peers_[&form]->Widget();
}

void QtPeers::BuildChildren(TWinControl& parent, QWidget* host) {
  for (TControl* child : parent.Controls()) {
    std::unique_ptr<Peer> peer = MakeListViewPeer(*this, *child, host);
    if (!peer) peer = MakeInputPeer(*this, *child, host);
    if (!peer) peer = MakeContainerPeer(*this, *child, host);
    if (!peer) peer = MakeBasicPeer(*this, *child, host);
    if (!peer) continue;
    peer->Widget()->setFont(OnPages(*child) ? PageFont() : WindowFont());
    controls_[peer->Widget()] = child;
    QWidget* childHost = peer->ChildHost();
    peers_[child] = std::move(peer);
    if (auto* container = dynamic_cast<TWinControl*>(child)) BuildChildren(*container, childHost);
  }
}

// The keyboard order: the children of a parent by TabOrder, each container's own children
// right after the container.
void QtPeers::ChainTabOrder(TWinControl& parent, QWidget*& previous) {
  std::vector<TControl*> children(parent.Controls().begin(), parent.Controls().end());
  std::stable_sort(children.begin(), children.end(), [](TControl* a, TControl* b) {
    int ka = a->TabOrder < 0 ? 1 << 30 : a->TabOrder, kb = b->TabOrder < 0 ? 1 << 30 : b->TabOrder;
    return ka < kb;
  });
  for (TControl* child : children) {
    Peer* peer = PeerOf(*child);
    QWidget* widget = peer ? peer->Widget() : nullptr;
    if (widget && peer->Focusable()) {
      if (previous) QWidget::setTabOrder(previous, widget);
      previous = widget;
    }
    if (auto* container = dynamic_cast<TWinControl*>(child)) ChainTabOrder(*container, previous);
  }
}

void QtPeers::Remove(TForm& form) {
  QWidget* window = WindowOf(&form);
  delete window;  // takes every child widget with it
  for (auto it = peers_.begin(); it != peers_.end();) {
    const TControl* c = it->first;
    while (c->Parent()) c = c->Parent();
    it = (c == &form) ? peers_.erase(it) : std::next(it);
  }
  for (auto it = controls_.begin(); it != controls_.end();) {
    const TControl* c = it->second;
    while (c->Parent()) c = c->Parent();
    it = (c == &form) ? controls_.erase(it) : std::next(it);
  }
}

void QtPeers::Push(TControl& control) {
  if (Peer* peer = PeerOf(control)) peer->Push();
}

void QtPeers::Forget(const TControl& control) {
  auto it = peers_.find(&control);
  if (it == peers_.end()) return;
  if (QWidget* widget = it->second->Widget()) {
    controls_.erase(widget);  // the control is going; no later walk may reach it
    widget->blockSignals(true);  // nothing may reach the control on the way out
    delete widget;
  }
  peers_.erase(it);
}

Peer* QtPeers::PeerOf(const TControl& control) const {
  auto it = peers_.find(&control);
  return it == peers_.end() ? nullptr : it->second.get();
}

QWidget* QtPeers::WidgetOf(const TControl& control) const {
  Peer* peer = PeerOf(control);
  return peer ? peer->Widget() : nullptr;
}

TControl* QtPeers::ControlOf(const QWidget* widget) const {
  for (; widget; widget = widget->parentWidget()) {
    auto it = controls_.find(widget);
    if (it != controls_.end()) return it->second;
    if (widget->isWindow()) break;
  }
  return nullptr;
}

bool QtPeers::TabFrom(const QWidget* widget, bool forward) {
  TControl* control = ControlOf(widget);
  if (!control) return false;
  TControl* root = control;
  while (root->Parent()) root = root->Parent();
  auto* form = dynamic_cast<TForm*>(root);
  if (!form || widget->window() != WindowOf(form)) return false;  // a drop-down list, a calendar
  TControl* next = form->FindNextControl(control == form ? nullptr : control, forward);
  if (QWidget* target = next ? WidgetOf(*next) : nullptr)
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

QWidget* QtPeers::WindowOf(const TForm* form) const { return form ? WidgetOf(*form) : nullptr; }

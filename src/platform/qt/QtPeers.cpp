// Building the widget tree of a form and the state every kind shares.
#include "platform/qt/QtPeers.h"

#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "platform/qt/QtConvert.h"
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

QtPeers::QtPeers() = default;

QtPeers::~QtPeers() {
  // Windows left over (a form never destroyed) go with their widgets.
  std::vector<QWidget*> windows;
  for (auto& [control, peer] : peers_)
    if (dynamic_cast<const TForm*>(control) && peer->Widget()) windows.push_back(peer->Widget());
  peers_.clear();
  for (QWidget* window : windows) delete window;
}

QWidget* QtPeers::Build(TForm& form) {
  if (QWidget* existing = WindowOf(&form)) return existing;
  auto formPeer = MakeFormPeer(*this, form);
  QWidget* window = formPeer->ChildHost();
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
}

void QtPeers::Push(TControl& control) {
  if (Peer* peer = PeerOf(control)) peer->Push();
}

void QtPeers::Forget(const TControl& control) {
  auto it = peers_.find(&control);
  if (it == peers_.end()) return;
  if (QWidget* widget = it->second->Widget()) {
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

QWidget* QtPeers::WindowOf(const TForm* form) const { return form ? WidgetOf(*form) : nullptr; }

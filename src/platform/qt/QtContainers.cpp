// The containers: group boxes, the page control with its pages, and the status bar.
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <vector>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/Controls.h"

namespace {

// Children sit at their places from the box's own top-left corner, caption included.
class GroupPeer : public Peer {
 public:
  GroupPeer(QtPeers& peers, TGroupBox& group, QWidget* host) : Peer(peers, group, new QGroupBox(host)) {
    widget_->setFocusPolicy(Qt::NoFocus);
    defaultFocus_ = Qt::NoFocus;
  }

 protected:
  void PushCaption() override {
    static_cast<QGroupBox*>(widget_.data())->setTitle(ToQ(control_.Caption()));
    Describe(ToQ(control_.Caption()));
  }
};

class PageControlPeer : public Peer {
 public:
  PageControlPeer(QtPeers& peers, TPageControl& pages, QWidget* host)
      : Peer(peers, pages, new QTabWidget(host)), pages_(pages) {
    auto* widget = static_cast<QTabWidget*>(widget_.data());
    widget->setUsesScrollButtons(true);
    widget->tabBar()->setExpanding(false);
    QObject::connect(widget, &QTabWidget::currentChanged, widget,
                     [this](int index) { User([&] { pages_.UserSelectPage(index); }); });
  }

 protected:
  void PushState() override {
    auto* widget = static_cast<QTabWidget*>(widget_.data());
    int index = pages_.ActivePageIndex();
    if (index >= 0 && index < widget->count() && widget->currentIndex() != index) widget->setCurrentIndex(index);
    Describe(QString::fromUtf8("选项卡"));
  }

 private:
  TPageControl& pages_;
};

// A page lives inside the tab widget, which places, shows and hides it.
class TabSheetPeer : public Peer {
 public:
  TabSheetPeer(QtPeers& peers, TTabSheet& page, QWidget* host) : Peer(peers, page, new QWidget(host)) {
    tabs_ = qobject_cast<QTabWidget*>(host);
    widget_->setFocusPolicy(Qt::NoFocus);
    defaultFocus_ = Qt::NoFocus;
    if (tabs_) {
      QSignalBlocker block(tabs_);  // the first page becoming current is no user's choice
      tabs_->addTab(widget_, ToQ(page.Caption()));
    }
  }

 protected:
  void PushGeometry() override {}
  void PushVisible() override {}
  void PushCaption() override {
    if (tabs_) tabs_->setTabText(tabs_->indexOf(widget_), ToQ(control_.Caption()));
    Describe(ToQ(control_.Caption()));
  }

 private:
  QTabWidget* tabs_ = nullptr;
};

// Panels side by side with centred text, the last one reaching to the right end; no size
// grip, as the window cannot be resized.
class StatusBarPeer : public Peer {
 public:
  StatusBarPeer(QtPeers& peers, TStatusBar& bar, QWidget* host) : Peer(peers, bar, new QFrame(host)), bar_(bar) {
    widget_->setProperty("role", QStringLiteral("statusbar"));
    widget_->setFocusPolicy(Qt::NoFocus);
    defaultFocus_ = Qt::NoFocus;
  }

 protected:
  void PushGeometry() override {
    Peer::PushGeometry();
    PlacePanels();
  }
  void PushState() override {
    while (static_cast<int>(panels_.size()) < bar_.PanelCount()) {
      auto* label = new QLabel(widget_);
      label->setObjectName(ToQ(bar_.Name()) + QStringLiteral(".Panel") + QString::number(panels_.size()));
      label->setProperty("role", QStringLiteral("panel"));
      label->setAlignment(Qt::AlignCenter);
      label->setTextFormat(Qt::PlainText);
      label->show();
      panels_.push_back(label);
    }
    while (static_cast<int>(panels_.size()) > bar_.PanelCount()) {
      delete panels_.back();
      panels_.pop_back();
    }
    for (int i = 0; i < bar_.PanelCount(); ++i) {
      QString text = ToQ(bar_.Panels(i)->Text());
      if (panels_[i]->text() != text) panels_[i]->setText(text);
      panels_[i]->setAccessibleName(text);
    }
    PlacePanels();
    Describe(QString::fromUtf8("状态栏"));
  }

 private:
  void PlacePanels() {
    int x = 0, width = widget_->width(), height = widget_->height();
    for (int i = 0; i < static_cast<int>(panels_.size()) && i < bar_.PanelCount(); ++i) {
      bool last = i + 1 == bar_.PanelCount();
      int w = last ? std::max(0, width - x) : bar_.Panels(i)->width;
      panels_[i]->setGeometry(x, 2, std::max(0, w - 2), std::max(0, height - 3));
      x += w;
    }
  }

  TStatusBar& bar_;
  std::vector<QLabel*> panels_;
};

}  // namespace

std::unique_ptr<Peer> MakeContainerPeer(QtPeers& peers, TControl& control, QWidget* host) {
  if (auto* c = dynamic_cast<TGroupBox*>(&control)) return std::make_unique<GroupPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TPageControl*>(&control)) return std::make_unique<PageControlPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TTabSheet*>(&control)) return std::make_unique<TabSheetPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TStatusBar*>(&control)) return std::make_unique<StatusBarPeer>(peers, *c, host);
  return nullptr;
}

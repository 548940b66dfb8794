// The form's top-level window: fixed client size, frame position, close box and minimising.
#include <QCloseEvent>
#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <functional>
#include <optional>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace {

// The close box asks the form (which may refuse); minimising through the frame or the
// taskbar is the user's minimise, which the tray icon turns into hiding.
class FormWindow : public QWidget {
 public:
  explicit FormWindow(TForm& form)
      : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
        form_(form) {
    setAttribute(Qt::WA_QuitOnClose, false);
  }
  // Where the focus goes when Qt moves it on by itself (the focused control was disabled or
  // hidden): the form's own keyboard order, as for Tab.
  std::function<bool(bool next)> onFocusNextPrev;

 protected:
  bool focusNextPrevChild(bool next) override {
    if (onFocusNextPrev && onFocusNextPrev(next)) return true;
    return QWidget::focusNextPrevChild(next);
  }

  void closeEvent(QCloseEvent* event) override {
    event->ignore();  // the form decides; when it closes, the message loop ends
    if (!closing_) {
      closing_ = true;
      form_.Close();
      closing_ = false;
    }
  }

  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    bool was = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
    bool now = windowState() & Qt::WindowMinimized;
    if (now && !was && Application && !Application->Minimized()) {
      // After the state change has settled: the answer may hide this very window.
      QTimer::singleShot(0, this, [] {
        if (Application && !Application->Minimized()) Application->UserMinimized();
      });
    } else if (!now && was && isVisible() && Application && Application->Minimized()) {
      Application->Restore();  // brought back from the taskbar
    }
  }

 private:
  TForm& form_;
  bool closing_ = false;
};

class FormPeer : public Peer {
 public:
  FormPeer(QtPeers& peers, TForm& form) : Peer(peers, form, new FormWindow(form)), form_(form) {
    static_cast<FormWindow*>(widget_.data())->onFocusNextPrev = [this](bool next) {
      QWidget* from = widget_->focusWidget();
      return peers_.TabFrom(from ? from : widget_.data(), next) && widget_->focusWidget() != from;
    };
    QIcon icon = ToIcon(form.Icon);
    if (!icon.isNull()) widget_->setWindowIcon(icon);
    widget_->setAccessibleName(ToQ(form.Caption()));
  }

 protected:
  // Left and Top are the frame's; the client area is what the widgets live in. Before the
  // window exists, a move places its frame (the window manager keeps the frame's corner
  // there, whatever the title bar); afterwards only a change of Left or Top moves it, by the
  // frame again. Folding and unfolding never shift the window: not where the user dragged it,
  // nor while Qt does not know the frame's size yet and reports the client's corner as the frame's.
  void PushGeometry() override {
    QSize client(std::max(0, form_.ClientWidth()), std::max(0, form_.ClientHeight()));
    if (widget_->minimumSize() != client || widget_->maximumSize() != client) widget_->setFixedSize(client);
    QPoint frame(form_.Left(), form_.Top());
    if (!widget_->testAttribute(Qt::WA_WState_Created))
      widget_->move(frame);
    else if (QWindow* window = widget_->windowHandle(); window && frame != pushedFrame_)
      window->setFramePosition(frame);
    pushedFrame_ = frame;
  }
  void PushVisible() override {}  // shown by the backend, hidden and restored with the application
  void PushColor() override {}
  void PushCaption() override {
    widget_->setWindowTitle(ToQ(form_.Caption()));
    widget_->setAccessibleName(ToQ(form_.Caption()));
  }

 private:
  TForm& form_;
  std::optional<QPoint> pushedFrame_;  // the place last given to the window
};

}  // namespace

std::unique_ptr<Peer> MakeFormPeer(QtPeers& peers, TForm& form) { return std::make_unique<FormPeer>(peers, form); }

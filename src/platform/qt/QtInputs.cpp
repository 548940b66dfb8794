// The text kinds with rules of their own: the memo (every typed character passes the key
// filter first), the spin edit (every edit passes its key filter, keeps its text as typed) and
// the date and time pickers.
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QValidator>
#include <functional>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/Controls.h"

namespace {

// The memo's lines as the control holds them: split at line ends, no empty last line.
QStringList LinesOf(const QString& text) {
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// The character a key press produces, as the key filter sees it; 0 for keys that only
// move, select, copy or delete forward (those reach the memo unfiltered).
char32_t CharOf(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) return 0;
  if (event->matches(QKeySequence::Cut)) return 24;
  if (event->matches(QKeySequence::Undo)) return 26;
  if (event->matches(QKeySequence::Redo)) return 25;
  switch (event->key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return 0;
    default: break;
  }
  bool control = event->modifiers() & Qt::ControlModifier;
  if (control && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) return event->key() - Qt::Key_A + 1;
  QString text = event->text();
  if (text.isEmpty()) return 0;
  char32_t c = text.toUcs4().value(0);
  return c == 0x7F ? 0 : c;
}

class MemoWidget : public QPlainTextEdit {
 public:
  MemoWidget(QWidget* parent, TMemo& memo) : QPlainTextEdit(parent), memo_(memo) {
    setTabChangesFocus(true);
    setAcceptDrops(false);  // a drop would bypass the key filter
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A change that came by none of the paths below (an assistive tool writing the text)
    // passes the key filter as a paste would.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
      if (editing_) return;
      if (memo_.UserKeyPress(22)) {
        if (onEdited) onEdited();
      } else if (onRefused) {
        onRefused();
      }
    });
  }
  // Runs after an edit that changed the text.
  std::function<void()> onEdited;
  // Runs when the key filter refused a change the widget had already taken.
  std::function<void()> onRefused;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Paste)) {  // filtered where the text goes in
      Edit([&] { QPlainTextEdit::keyPressEvent(event); });
      return;
    }
    char32_t c = CharOf(event);
    if (c != 0 && !memo_.UserKeyPress(c)) {
      event->accept();  // the filter took the character
      return;
    }
    Edit([&] { QPlainTextEdit::keyPressEvent(event); });
  }

  void inputMethodEvent(QInputMethodEvent* event) override {
    for (char32_t c : event->commitString().toUcs4())
      if (!memo_.UserKeyPress(c)) {
        event->accept();
        return;
      }
    Edit([&] { QPlainTextEdit::inputMethodEvent(event); });
  }

  // Paste from the keyboard, the menu or the mouse's middle button comes as Ctrl+V.
  void insertFromMimeData(const QMimeData* source) override {
    if (!memo_.UserKeyPress(22)) return;
    Edit([&] { QPlainTextEdit::insertFromMimeData(source); });
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu menu(this);
    bool selection = textCursor().hasSelection(), writable = !isReadOnly();
    QAction* undo = menu.addAction(QString::fromUtf8("撤销(&U)"));
    undo->setEnabled(writable && document()->isUndoAvailable());
    menu.addSeparator();
    QAction* cut = menu.addAction(QString::fromUtf8("剪切(&T)"));
    cut->setEnabled(writable && selection);
    QAction* copyAction = menu.addAction(QString::fromUtf8("复制(&C)"));
    copyAction->setEnabled(selection);
    QAction* pasteAction = menu.addAction(QString::fromUtf8("粘贴(&P)"));
    pasteAction->setEnabled(writable && canPaste());
    QAction* remove = menu.addAction(QString::fromUtf8("删除(&D)"));
    remove->setEnabled(writable && selection);
    menu.addSeparator();
    QAction* all = menu.addAction(QString::fromUtf8("全选(&A)"));
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == undo && memo_.UserKeyPress(26)) Edit([this] { QPlainTextEdit::undo(); });
    else if (chosen == cut && memo_.UserKeyPress(24)) Edit([this] { QPlainTextEdit::cut(); });
    else if (chosen == copyAction) copy();
    else if (chosen == pasteAction) paste();
    else if (chosen == remove) Edit([this] { textCursor().removeSelectedText(); });
    else if (chosen == all) selectAll();
  }

 private:
  void Edit(const std::function<void()>& action) {
    int before = document()->revision();
    editing_ = true;
    action();
    editing_ = false;
    if (document()->revision() != before && onEdited) onEdited();
  }

  TMemo& memo_;
  bool editing_ = false;
};

class MemoPeer : public Peer {
 public:
  MemoPeer(QtPeers& peers, TMemo& memo, QWidget* host) : Peer(peers, memo, new MemoWidget(host, memo)), memo_(memo) {
    auto* widget = static_cast<MemoWidget*>(widget_.data());
    widget->setVerticalScrollBarPolicy(memo.ScrollBarVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    widget->onEdited = [this, widget] {
      QString text = widget->toPlainText();
      User([&] { memo_.UserEdit(FromQ(text)); });
    };
    // Not inside the widget's own change: the memo's text goes back after it.
    widget->onRefused = [this, widget] {
      QTimer::singleShot(0, widget, [this] { Push(); });
    };
  }

 protected:
  // Lines added at the end are appended, so a long log does not jump back to its top.
  void PushState() override {
    auto* widget = static_cast<MemoWidget*>(widget_.data());
    Describe(NeighbourLabel(memo_));
    QStringList lines;
    for (const std::string& line : memo_.Lines.Items()) lines << ToQ(line);
    QString shownText = widget->toPlainText();
    QStringList shown = LinesOf(shownText);
    if (lines == shown) return;
    // A memo filled while empty shows its first lines, as laid out.
    bool appending = !shown.isEmpty() && lines.size() > shown.size() && lines.mid(0, shown.size()) == shown &&
                     !shownText.endsWith(QLatin1Char('\n'));
    if (appending) {
      QString added = lines.mid(shown.size()).join(QLatin1Char('\n'));
      QTextCursor cursor(widget->document());
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(QLatin1Char('\n') + added);
      if (lines.last().isEmpty()) cursor.insertText(QStringLiteral("\n"));
      widget->setTextCursor(cursor);
      widget->ensureCursorVisible();
    } else {
      QString text = lines.join(QLatin1Char('\n'));
      if (!lines.isEmpty() && lines.last().isEmpty()) text += QLatin1Char('\n');
      widget->setPlainText(text);
    }
  }

 private:
  TMemo& memo_;
};

// Every way text goes into the line edit (a key, a paste, an input method, an assistive
// tool's text) passes its validator, which asks the spin edit; the spin edit beeps when it
// refuses, and the line edit keeps its text and cursor.
class SpinValidator : public QValidator {
 public:
  SpinValidator(QWidget* frame, QLineEdit* edit, TSpinEdit& spin) : QValidator(edit), frame_(frame), spin_(spin) {}
  State validate(QString& input, int&) const override {
    // The line edit losing the focus while its spin edit is being destroyed asks too; the
    // frame's signals are blocked then, and nothing may reach the spin edit.
    if (frame_->signalsBlocked()) return Acceptable;
    return spin_.UserMayEdit(FromQ(input)) ? Acceptable : Invalid;
  }

 private:
  QWidget* frame_;
  TSpinEdit& spin_;
};

// A line edit with up and down buttons: the text stays as typed ("", "00", "-3").
class SpinWidget : public QFrame {
 public:
  SpinWidget(QWidget* parent, TSpinEdit& spin) : QFrame(parent) {
    edit = new QLineEdit(this);
    edit->setValidator(new SpinValidator(this, edit, spin));
    edit->installEventFilter(this);
    up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
      b->setAutoRepeat(true);
      b->setFocusPolicy(Qt::NoFocus);
    }
    up->setAccessibleName(QString::fromUtf8("增加"));
    down->setAccessibleName(QString::fromUtf8("减少"));
    setFocusProxy(edit);
    setFocusPolicy(Qt::StrongFocus);
  }
  QLineEdit* edit;
  QToolButton* up;
  QToolButton* down;
  std::function<void(int)> onStep;

 protected:
  void resizeEvent(QResizeEvent*) override {
    int buttons = std::min(16, width() / 2), half = height() / 2;
    edit->setGeometry(0, 0, width() - buttons, height());
    up->setGeometry(width() - buttons, 0, buttons, half);
    down->setGeometry(width() - buttons, half, buttons, height() - half);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == edit && event->type() == QEvent::KeyPress && onStep) {
      int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Up || key == Qt::Key_Down) {
        onStep(key == Qt::Key_Up ? 1 : -1);
        return true;
      }
    }
    return QFrame::eventFilter(watched, event);
  }
};

class SpinPeer : public Peer {
 public:
  SpinPeer(QtPeers& peers, TSpinEdit& spin, QWidget* host) : Peer(peers, spin, new SpinWidget(host, spin)), spin_(spin) {
    auto* widget = static_cast<SpinWidget*>(widget_.data());
    defaultFocus_ = Qt::StrongFocus;
    QObject::connect(widget->edit, &QLineEdit::textChanged, widget,
                     [this](const QString& text) { User([&] { spin_.UserEdit(FromQ(text)); }); });
    widget->onStep = [this](int delta) { User([&] { spin_.UserStep(delta); }); };
    QObject::connect(widget->up, &QToolButton::clicked, widget, [widget] { widget->onStep(1); });
    QObject::connect(widget->down, &QToolButton::clicked, widget, [widget] { widget->onStep(-1); });
  }

 protected:
  void PushState() override {
    auto* widget = static_cast<SpinWidget*>(widget_.data());
    QSignalBlocker block(widget->edit);
    QString text = ToQ(spin_.Text());
    if (widget->edit->text() != text) widget->edit->setText(text);
    widget->edit->setAccessibleName(NeighbourLabel(spin_));
    Describe(NeighbourLabel(spin_));
  }

 private:
  TSpinEdit& spin_;
};

// A date with a drop-down calendar, or a time of day with arrows. The picker holds one
// date-time value; each kind changes only its own half of it.
class DateTimePeer : public Peer {
 public:
  DateTimePeer(QtPeers& peers, TDateTimePicker& picker, QWidget* host)
      : Peer(peers, picker, Make(picker, host)), picker_(picker) {
    if (auto* date = qobject_cast<QDateEdit*>(widget_.data())) {
      QObject::connect(date, &QDateEdit::dateChanged, date, [this](const QDate& value) {
        User([&] { picker_.UserSetDateTime(FromQDate(value) + picker_.Time()); });
      });
    } else if (auto* time = qobject_cast<QTimeEdit*>(widget_.data())) {
      QObject::connect(time, &QTimeEdit::timeChanged, time, [this](const QTime& value) {
        User([&] { picker_.UserSetDateTime(picker_.Date() + FromQTime(value)); });
      });
    }
  }

 protected:
  void PushState() override {
    if (auto* date = qobject_cast<QDateEdit*>(widget_.data())) {
      QDate value = ToQDate(picker_.DateTime());
      if (date->date() != value) date->setDate(value);
    } else if (auto* time = qobject_cast<QTimeEdit*>(widget_.data())) {
      QTime value = ToQTime(picker_.DateTime());
      if (time->time() != value) time->setTime(value);
    }
    QString label = NeighbourLabel(picker_);
    QString kind = QString::fromUtf8(picker_.Kind() == TDateTimeKind::dtkDate ? "日期" : "时间");
    Describe(label.isEmpty() ? kind : label + QLatin1Char(' ') + kind);
  }

 private:
  static QWidget* Make(TDateTimePicker& picker, QWidget* host) {
    if (picker.Kind() == TDateTimeKind::dtkDate) {
      auto* date = new QDateEdit(host);
      date->setCalendarPopup(true);
      date->setDisplayFormat(QStringLiteral("yyyy-M-d"));
      return date;
    }
    auto* time = new QTimeEdit(host);
    time->setDisplayFormat(QStringLiteral("H:mm:ss"));
    return time;
  }
  TDateTimePicker& picker_;
};

}  // namespace

std::unique_ptr<Peer> MakeInputPeer(QtPeers& peers, TControl& control, QWidget* host) {
  if (auto* c = dynamic_cast<TMemo*>(&control)) return std::make_unique<MemoPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TSpinEdit*>(&control)) return std::make_unique<SpinPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TDateTimePicker*>(&control)) return std::make_unique<DateTimePeer>(peers, *c, host);
  return nullptr;
}

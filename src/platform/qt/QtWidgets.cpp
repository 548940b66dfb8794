// The simple kinds: buttons, check boxes, radio buttons, labels and link labels, single-line
// edits, the combo box, the list box and the picture box.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyleOptionFocusRect>
#include <functional>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/Controls.h"

namespace {

// Enter presses the focused button, as Space does.
class PushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat() && !(event->modifiers() & ~Qt::KeypadModifier)) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

class ButtonPeer : public Peer {
 public:
  ButtonPeer(QtPeers& peers, TButton& button, QWidget* host)
      : Peer(peers, button, new PushButton(host)), button_(button) {
    auto* widget = static_cast<QPushButton*>(widget_.data());
    widget->setAutoDefault(false);
    widget->setFocusPolicy(Qt::StrongFocus);
    defaultFocus_ = Qt::StrongFocus;
    if (!button.Glyph.Empty()) {
      widget->setIcon(ToIcon(button.Glyph));
      widget->setIconSize(QSize(button.Glyph.Width, button.Glyph.Height));
    }
    QObject::connect(widget, &QPushButton::clicked, widget, [this] { User([this] { button_.UserClick(); }); });
  }

 protected:
  void PushCaption() override {
    auto* widget = static_cast<QPushButton*>(widget_.data());
    widget->setText(ToQ(button_.Caption()));
    // A glyph button has no caption: it opens a file chooser.
    widget->setAccessibleName(button_.Caption().empty() ? QString::fromUtf8("浏览") : ToQ(button_.Caption()));
  }

 private:
  TButton& button_;
};

// The mouse, Space and an assistive tool's Press or Toggle all change the widget's state, and
// pushes run with its signals blocked: so every toggled() is the user's one toggle.
class CheckBoxPeer : public Peer {
 public:
  CheckBoxPeer(QtPeers& peers, TCheckBox& box, QWidget* host) : Peer(peers, box, new QCheckBox(host)), box_(box) {
    auto* widget = static_cast<QCheckBox*>(widget_.data());
    QObject::connect(widget, &QCheckBox::toggled, widget, [this] { User([this] { box_.UserToggle(); }); });
  }

 protected:
  void PushCaption() override {
    widget_->setProperty("text", ToQ(box_.Caption()));
    Describe(ToQ(box_.Caption()));
  }
  void PushState() override { static_cast<QCheckBox*>(widget_.data())->setChecked(box_.Checked()); }

 private:
  TCheckBox& box_;
};

// Not exclusive by itself: the control unchecks its siblings and pushes them. So a click on
// the checked one unchecks the widget, and that toggle too is the user's click, which the
// control answers by checking it again (and raising its change event).
class RadioPeer : public Peer {
 public:
  RadioPeer(QtPeers& peers, TRadioButton& radio, QWidget* host)
      : Peer(peers, radio, new QRadioButton(host)), radio_(radio) {
    auto* widget = static_cast<QRadioButton*>(widget_.data());
    widget->setAutoExclusive(false);
    QObject::connect(widget, &QRadioButton::toggled, widget, [this] { User([this] { radio_.UserClick(); }); });
  }

 protected:
  void PushCaption() override {
    widget_->setProperty("text", ToQ(radio_.Caption()));
    Describe(ToQ(radio_.Caption()));
  }
  void PushState() override { static_cast<QRadioButton*>(widget_.data())->setChecked(radio_.Checked()); }

 private:
  TRadioButton& radio_;
};

// A link label: blue, red and underlined under the mouse, a click on release; it takes the
// focus, shows a dotted frame when the keyboard brought it there, and Enter or Space
// activates it.
class LinkLabel : public QLabel {
 public:
  LinkLabel(QWidget* parent, std::function<void()> onClick) : QLabel(parent), onClick_(std::move(onClick)) {
    setCursor(Qt::PointingHandCursor);
  }
  bool Hover() const { return hover_; }
  void Activate() {
    if (onClick_) onClick_();
  }
  std::function<void()> onHoverChange;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    int key = event->key();
    if (!event->isAutoRepeat() && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
      Activate();
      return;
    }
    QLabel::keyPressEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    byKeyboard_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QLabel::focusInEvent(event);
  }
  void paintEvent(QPaintEvent* event) override {
    QLabel::paintEvent(event);
    if (!hasFocus() || !byKeyboard_) return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(0, 0, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
  void enterEvent(QEnterEvent* event) override {
    hover_ = true;
    if (onHoverChange) onHoverChange();
    QLabel::enterEvent(event);
  }
  void leaveEvent(QEvent* event) override {
    hover_ = false;
    if (onHoverChange) onHoverChange();
    QLabel::leaveEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_) onClick_();
    QLabel::mouseReleaseEvent(event);
  }

 private:
  std::function<void()> onClick_;
  bool hover_ = false;
  bool byKeyboard_ = false;
};

class LabelPeer : public Peer {
 public:
  LabelPeer(QtPeers& peers, TLabel& label, QWidget* host)
      : Peer(peers, label, label.IsLink() ? static_cast<QLabel*>(new LinkLabel(host, [this] { Clicked(); }))
                                         : new QLabel(host)),
        label_(label) {
    auto* widget = static_cast<QLabel*>(widget_.data());
    widget->setTextFormat(Qt::PlainText);
    widget->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    defaultFocus_ = label.IsLink() ? Qt::StrongFocus : Qt::NoFocus;
    widget->setFocusPolicy(defaultFocus_);
    if (auto* link = dynamic_cast<LinkLabel*>(widget)) link->onHoverChange = [this] { Push(); };
  }

 protected:
  // The layout gives labels the height of the characters alone; the line is a little
  // taller, so the label grows about its middle rather than cutting the glyphs.
  void PushGeometry() override {
    int need = widget_->fontMetrics().height();
    int height = std::max(label_.Height(), need);
    int top = label_.Top() - (height - label_.Height()) / 2;
    int width = std::max(label_.Width(), widget_->fontMetrics().horizontalAdvance(ToQ(label_.Caption())) + 2);
    widget_->setGeometry(label_.Left(), top, width, height);
  }
  void PushColor() override {
    auto* link = dynamic_cast<LinkLabel*>(widget_.data());
    if (!link || !link->Hover()) {
      Peer::PushColor();
      QFont font = widget_->font();
      font.setUnderline(false);
      widget_->setFont(font);
      return;
    }
    QPalette palette;
    palette.setColor(QPalette::WindowText, Qt::red);
    widget_->setPalette(palette);
    QFont font = widget_->font();
    font.setUnderline(true);
    widget_->setFont(font);
  }
  void PushCaption() override {
    static_cast<QLabel*>(widget_.data())->setText(ToQ(label_.Caption()));
    Describe(ToQ(label_.Caption()));
  }

 private:
  void Clicked() { User([this] { label_.UserClick(); }); }
  TLabel& label_;
};

// Typing, pasting, undoing and an assistive tool's setting of the text all come as
// textChanged(); pushes are blocked, so each is the user's edit.
class EditPeer : public Peer {
 public:
  EditPeer(QtPeers& peers, TEdit& edit, QWidget* host) : Peer(peers, edit, new QLineEdit(host)), edit_(edit) {
    auto* widget = static_cast<QLineEdit*>(widget_.data());
    QObject::connect(widget, &QLineEdit::textChanged, widget,
                     [this](const QString& text) { User([&] { edit_.UserEdit(FromQ(text)); }); });
  }

 protected:
  void PushState() override {
    auto* widget = static_cast<QLineEdit*>(widget_.data());
    QString text = ToQ(edit_.Text());
    if (widget->text() != text) widget->setText(text);
    Describe(NeighbourLabel(edit_));
  }

 private:
  TEdit& edit_;
};

// A drop-down list whose text can also be typed.
class ComboPeer : public Peer {
 public:
  ComboPeer(QtPeers& peers, TComboBox& combo, QWidget* host) : Peer(peers, combo, new QComboBox(host)), combo_(combo) {
    auto* widget = static_cast<QComboBox*>(widget_.data());
    widget->setEditable(true);
    widget->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(widget, &QComboBox::editTextChanged, widget,
                     [this](const QString& text) { User([&] { combo_.UserEdit(FromQ(text)); }); });
    QObject::connect(widget, &QComboBox::activated, widget, [this, widget](int index) {
      QString text = widget->itemText(index);
      User([&] { combo_.UserEdit(FromQ(text)); });
    });
  }

 protected:
  void PushState() override {
    auto* widget = static_cast<QComboBox*>(widget_.data());
    QStringList items;
    for (const std::string& item : combo_.Items.Items()) items << ToQ(item);
    QStringList shown;
    for (int i = 0; i < widget->count(); ++i) shown << widget->itemText(i);
    if (items != shown) {
      widget->clear();
      widget->addItems(items);
    }
    QString text = ToQ(combo_.Text());
    if (widget->currentText() != text) widget->setEditText(text);
    Describe(NeighbourLabel(combo_));
  }

 private:
  TComboBox& combo_;
};

// Scratch space of the program; never shown, but kept truthful.
class ListBoxPeer : public Peer {
 public:
  ListBoxPeer(QtPeers& peers, TListBox& box, QWidget* host) : Peer(peers, box, new QListWidget(host)), box_(box) {}

 protected:
  void PushState() override {
    auto* widget = static_cast<QListWidget*>(widget_.data());
    // A hidden box (the scratch list of section names, refilled every second) shows nothing,
    // so it is not mirrored until it is shown: showing it pushes the whole state again.
    if (!box_.Visible()) {
      if (widget->count() > 0) widget->clear();
      return;
    }
    const auto& items = box_.Items.Items();
    while (widget->count() > static_cast<int>(items.size())) delete widget->takeItem(widget->count() - 1);
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      QString text = ToQ(items[i]);
      if (i >= widget->count())
        widget->addItem(text);
      else if (widget->item(i)->text() != text)
        widget->item(i)->setText(text);
    }
  }

 private:
  TListBox& box_;
};

// The picture at its natural size from the top-left corner, cut at the box's edges.
class ImagePeer : public Peer {
 public:
  ImagePeer(QtPeers& peers, TImage& image, QWidget* host) : Peer(peers, image, new QLabel(host)), image_(image) {
    auto* widget = static_cast<QLabel*>(widget_.data());
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widget->setFocusPolicy(Qt::NoFocus);
    defaultFocus_ = Qt::NoFocus;
  }

 protected:
  void PushState() override {
    const TBitmap& picture = image_.Picture;
    if (pushedOnce_ && picture.Width == shown_.Width && picture.Height == shown_.Height &&
        picture.Pixels == shown_.Pixels)
      return;
    auto* widget = static_cast<QLabel*>(widget_.data());
    QImage image = ToImage(picture);
    if (image.isNull())
      widget->clear();
    else
      widget->setPixmap(QPixmap::fromImage(image));
    shown_ = picture;
    pushedOnce_ = true;
  }

 private:
  TImage& image_;
  TBitmap shown_;
  bool pushedOnce_ = false;
};

// What an assistive tool sees of a widget named by its own text whose actions are the user's
// click: the name, the actions, and a press that respects the widget's enabled state.
class PressableAccessible : public QAccessibleWidget {
 public:
  PressableAccessible(QWidget* widget, QAccessible::Role role, QStringList actions, std::function<QString()> text,
                      std::function<void()> press)
      : QAccessibleWidget(widget, role), actions_(std::move(actions)), text_(std::move(text)), press_(std::move(press)) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return text_();
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override { return actions_ + QAccessibleWidget::actionNames(); }
  void doAction(const QString& name) override {
    if (actions_.contains(name)) {
      if (widget()->isEnabled()) press_();
      return;
    }
    QAccessibleWidget::doAction(name);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QStringList actions_;
  std::function<QString()> text_;
  std::function<void()> press_;
};

// An assistive tool sees a radio button as one (not as the check box a non-exclusive button
// would pass for), and its Press and Toggle are the user's click.
class RadioAccessible : public PressableAccessible {
 public:
  explicit RadioAccessible(QRadioButton* radio)
      : PressableAccessible(radio, QAccessible::RadioButton, {pressAction(), toggleAction()},
                            [radio] { return radio->text(); }, [radio] { radio->click(); }),
        radio_(radio) {}
  QAccessible::State state() const override {
    QAccessible::State state = PressableAccessible::state();
    state.checkable = true;
    state.checked = radio_->isChecked();
    return state;
  }

 private:
  QRadioButton* radio_;
};

QAccessibleInterface* AccessibleKind(const QString& className, QObject* object) {
  if (className == QLatin1String("QRadioButton"))
    if (auto* radio = qobject_cast<QRadioButton*>(object)) return new RadioAccessible(radio);
  if (className == QLatin1String("QLabel"))
    if (auto* link = dynamic_cast<LinkLabel*>(object))  // a link, and its Press is the user's click
      return new PressableAccessible(link, QAccessible::Link, {QAccessibleActionInterface::pressAction()},
                                     [link] { return link->text(); }, [link] { link->Activate(); });
  return nullptr;
}

}  // namespace

void InstallAccessibleKinds() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(AccessibleKind);
}

std::unique_ptr<Peer> MakeBasicPeer(QtPeers& peers, TControl& control, QWidget* host) {
  if (auto* c = dynamic_cast<TButton*>(&control)) return std::make_unique<ButtonPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TCheckBox*>(&control)) return std::make_unique<CheckBoxPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TRadioButton*>(&control)) return std::make_unique<RadioPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TLabel*>(&control)) return std::make_unique<LabelPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TEdit*>(&control)) return std::make_unique<EditPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TComboBox*>(&control)) return std::make_unique<ComboPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TListBox*>(&control)) return std::make_unique<ListBoxPeer>(peers, *c, host);
  if (auto* c = dynamic_cast<TImage*>(&control)) return std::make_unique<ImagePeer>(peers, *c, host);
  return nullptr;
}

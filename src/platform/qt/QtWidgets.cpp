// The simple kinds: buttons, check boxes, radio buttons, labels and link labels, single-line
// edits, the combo box, the list box and the picture box.
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPeers.h"
#include "platform/vcl/Controls.h"

namespace {

class ButtonPeer : public Peer {
 public:
  ButtonPeer(QtPeers& peers, TButton& button, QWidget* host)
      : Peer(peers, button, new QPushButton(host)), button_(button) {
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

// Space and the mouse both come as clicked(), the one user toggle.
class CheckBoxPeer : public Peer {
 public:
  CheckBoxPeer(QtPeers& peers, TCheckBox& box, QWidget* host) : Peer(peers, box, new QCheckBox(host)), box_(box) {
    auto* widget = static_cast<QCheckBox*>(widget_.data());
    QObject::connect(widget, &QCheckBox::clicked, widget, [this] { User([this] { box_.UserToggle(); }); });
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

// Not exclusive by itself: the control unchecks its siblings and pushes them.
class RadioPeer : public Peer {
 public:
  RadioPeer(QtPeers& peers, TRadioButton& radio, QWidget* host)
      : Peer(peers, radio, new QRadioButton(host)), radio_(radio) {
    auto* widget = static_cast<QRadioButton*>(widget_.data());
    widget->setAutoExclusive(false);
    QObject::connect(widget, &QRadioButton::clicked, widget, [this] { User([this] { radio_.UserClick(); }); });
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

// A link label: blue, red and underlined under the mouse, a click on release.
class LinkLabel : public QLabel {
 public:
  LinkLabel(QWidget* parent, std::function<void()> onClick) : QLabel(parent), onClick_(std::move(onClick)) {
    setCursor(Qt::PointingHandCursor);
  }
  bool Hover() const { return hover_; }
  std::function<void()> onHoverChange;

 protected:
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
};

bool IsLink(const TLabel& label) { return std::string(label.ClassName()) == "TsWebLabel"; }

class LabelPeer : public Peer {
 public:
  LabelPeer(QtPeers& peers, TLabel& label, QWidget* host)
      : Peer(peers, label, IsLink(label) ? static_cast<QLabel*>(new LinkLabel(host, [this] { Clicked(); }))
                                         : new QLabel(host)),
        label_(label) {
    auto* widget = static_cast<QLabel*>(widget_.data());
    widget->setTextFormat(Qt::PlainText);
    widget->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    widget->setFocusPolicy(Qt::NoFocus);
    defaultFocus_ = Qt::NoFocus;
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

class EditPeer : public Peer {
 public:
  EditPeer(QtPeers& peers, TEdit& edit, QWidget* host) : Peer(peers, edit, new QLineEdit(host)), edit_(edit) {
    auto* widget = static_cast<QLineEdit*>(widget_.data());
    QObject::connect(widget, &QLineEdit::textEdited, widget,
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

}  // namespace

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

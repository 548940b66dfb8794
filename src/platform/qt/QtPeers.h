// One widget per control: building them for a form, pushing the control's state into its
// widget, and reporting the user's actions back to the control.
//
// Implements: the widget tree of a form (objectName = the control's Name()), geometry in the
// parent's client coordinates, visible/enabled/caption/font colour, the fonts, the Tab key
// (which walks the form's own keyboard order), and the kinds' own state. A push runs with the
// widget's signals blocked, so nothing echoes back.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <unordered_map>

class QtPeers;
class TControl;
class TForm;
class TWinControl;
enum class TListRowChange;

// The widget that shows one control.
class Peer {
 public:
  Peer(QtPeers& peers, TControl& control, QWidget* widget);
  virtual ~Peer() = default;
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  TControl& Control() const { return control_; }
  QWidget* Widget() const { return widget_; }
  // Whether the kind of widget can take the keyboard focus at all (hidden or not).
  bool Focusable() const { return defaultFocus_ != Qt::NoFocus; }
  // Where the widgets of the control's children go.
  virtual QWidget* ChildHost() { return widget_; }
  // The whole state, with the widget's signals blocked. Raises no event.
  void Push();

 protected:
  virtual void PushGeometry();
  virtual void PushVisible();
  virtual void PushColor();
  virtual void PushCaption() {}
  virtual void PushState() {}
  // Runs a user action on the control, then shows the control's state again: the control
  // may have refused the action or settled on another state than the widget took.
  void User(const std::function<void()>& action);
  // The accessible name: the caption, or for text boxes a label's text chosen by the kind.
  void Describe(const QString& name);

  QtPeers& peers_;
  TControl& control_;
  QPointer<QWidget> widget_;
  Qt::FocusPolicy defaultFocus_;
};

class QtPeers {
 public:
  QtPeers();
  ~QtPeers();

  // Makes the form's window and a widget for every control in it; shows nothing yet.
  QWidget* Build(TForm& form);
  // Deletes the form's window with all its widgets.
  void Remove(TForm& form);
  // Pushes the control's state into its widget; nothing for a control without one.
  void Push(TControl& control);
  // Deletes the widget of a control being destroyed (its children's went before it).
  void Forget(const TControl& control);
  Peer* PeerOf(const TControl& control) const;
  QWidget* WidgetOf(const TControl& control) const;
  // The control whose widget is the given one or holds it; null for widgets of no control.
  TControl* ControlOf(const QWidget* widget) const;
  // Moves the focus as Tab (forward) or Shift+Tab would from the widget; false when the
  // widget is no control's.
  bool TabFrom(const QWidget* widget, bool forward);
  // The top-level window of a form, or null.
  QWidget* WindowOf(const TForm* form) const;

 private:
  void BuildChildren(TWinControl& parent, QWidget* host);
  void ChainTabOrder(TWinControl& parent, QWidget*& previous);

  std::unordered_map<const TControl*, std::unique_ptr<Peer>> peers_;
  std::unordered_map<const QWidget*, TControl*> controls_;
  std::unique_ptr<QObject> tabKeys_;
};

// A label's text for a control that has no caption: the nearest label beside or above it in
// the same parent, else the parent's caption.
QString NeighbourLabel(const TControl& control);

// Tells assistive tools what the kinds with rules of their own are (radio buttons, links).
void InstallAccessibleKinds();

// Factories of the kinds, one per source file; each returns null for a kind it does not know.
std::unique_ptr<Peer> MakeFormPeer(QtPeers& peers, TForm& form);
std::unique_ptr<Peer> MakeBasicPeer(QtPeers& peers, TControl& control, QWidget* host);
std::unique_ptr<Peer> MakeContainerPeer(QtPeers& peers, TControl& control, QWidget* host);
std::unique_ptr<Peer> MakeInputPeer(QtPeers& peers, TControl& control, QWidget* host);
std::unique_ptr<Peer> MakeListViewPeer(QtPeers& peers, TControl& control, QWidget* host);
// Shows one row's change in a list view's widget; nothing for a peer of another kind.
void PushListRow(Peer* peer, TListRowChange change, int row);

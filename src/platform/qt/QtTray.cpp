// Tray icon and pop-up menu.
#include "platform/qt/QtTray.h"

#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <vector>

#include "platform/qt/QtConvert.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/TrayIcon.h"

QtTray::QtTray() = default;
QtTray::~QtTray() = default;

void QtTray::Changed(TTrayIcon& tray) {
  Entry& entry = entries_[&tray];
  if (!entry.icon) {
    entry.icon = std::make_unique<QSystemTrayIcon>();
    // No context menu of Qt's own: the right button's release opens the component's menu.
    QObject::connect(entry.icon.get(), &QSystemTrayIcon::activated, entry.icon.get(),
                     [&tray](QSystemTrayIcon::ActivationReason reason) {
                       QPoint at = QCursor::pos();
                       switch (reason) {
                         case QSystemTrayIcon::Trigger:
                         case QSystemTrayIcon::DoubleClick:  // the second release of a double click
                           tray.UserMouseUp(MouseButton::Left, at.x(), at.y());
                           break;
                         case QSystemTrayIcon::Context:
                           tray.UserMouseUp(MouseButton::Right, at.x(), at.y());
                           break;
                         case QSystemTrayIcon::MiddleClick:
                           tray.UserMouseUp(MouseButton::Middle, at.x(), at.y());
                           break;
                         default:
                           break;
                       }
                     });
  }
  QSystemTrayIcon* icon = entry.icon.get();
  if (tray.ShownPicture() != entry.picture || icon->icon().isNull()) {
    entry.picture = tray.ShownPicture();
    if (entry.picture) icon->setIcon(ToIcon(*entry.picture));
  }
  QString hint = ToQ(tray.Hint());
  if (icon->toolTip() != hint) icon->setToolTip(hint);
  bool shown = tray.Visible() && !icon->icon().isNull();
  if (icon->isVisible() != shown) icon->setVisible(shown);
}

void QtTray::Removed(TTrayIcon& tray) {
  auto it = entries_.find(&tray);
  if (it == entries_.end()) return;
  it->second.icon->hide();
  // Not deleted while its own signal may be running (the menu's exit item ends up here).
  it->second.icon.release()->deleteLater();
  entries_.erase(it);
}

QSystemTrayIcon* QtTray::IconOf(const TTrayIcon& tray) const {
  auto it = entries_.find(&tray);
  return it == entries_.end() ? nullptr : it->second.icon.get();
}

void QtTray::Popup(TPopupMenu& menu, int x, int y) {
  QMenu shown;
  shown.setObjectName(ToQ(menu.Name()));
  std::vector<std::pair<QAction*, TMenuItem*>> actions;
  for (TMenuItem* item : menu.Items) {
    if (item->IsSeparator()) {
      shown.addSeparator();
      continue;
    }
    QAction* action = shown.addAction(ToQ(item->Caption()));
    action->setObjectName(ToQ(item->Name()));
    action->setEnabled(item->Enabled());
    actions.emplace_back(action, item);
  }
  QPoint at(x - shown.sizeHint().width(), y);  // right edge at the point
  QAction* chosen = shown.exec(at);
  for (auto& [action, item] : actions)
    if (action == chosen) item->UserClick();
}

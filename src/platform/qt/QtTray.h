// The notification-area icon and the pop-up menu on Qt.
//
// Implements: one QSystemTrayIcon per tray component, made at its first change, showing the
// component's current picture and hint; mouse actions reported as button releases (a double
// click comes as two left releases); the pop-up menu opened with its right edge at a point.
#pragma once

#include <memory>
#include <unordered_map>

class QSystemTrayIcon;
class TPopupMenu;
class TTrayIcon;
struct TBitmap;

class QtTray {
 public:
  QtTray();
  ~QtTray();
  QtTray(const QtTray&) = delete;
  QtTray& operator=(const QtTray&) = delete;

  void Changed(TTrayIcon& tray);
  void Removed(TTrayIcon& tray);
  // The icon shown for the component, or null.
  QSystemTrayIcon* IconOf(const TTrayIcon& tray) const;

  // Modal until an item is chosen or the menu is dismissed; the chosen item's click runs
  // after the menu has closed.
  static void Popup(TPopupMenu& menu, int x, int y);

 private:
  struct Entry {
    std::unique_ptr<QSystemTrayIcon> icon;
    const TBitmap* picture = nullptr;
  };
  std::unordered_map<const TTrayIcon*, Entry> entries_;
};

// The tray icon on Qt: its picture and hint, the left button's show/hide (twice for a double
// click), the right button's menu at the pointer, and minimising from the title bar.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include "QtFixture.h"
#include "platform/qt/QtConvert.h"

class QtTrayTest : public QtTest {
 protected:
  QSystemTrayIcon* Icon(TFrm_Tamiro& f) { return Ui().TrayIconOf(*f.TrayIcon1); }
};

TEST_F(QtTrayTest, TheIconShowsTheClockAndTheHint) {
  TFrm_Tamiro& f = StartMainWindow();
  QSystemTrayIcon* icon = Icon(f);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), Q(f.TrayIcon1->Hint()));
  EXPECT_FALSE(icon->icon().isNull());
  f.TrayIcon1->SetVisible(false);
  EXPECT_EQ(Icon(f), nullptr) << "removed with the component's visibility";
}

TEST_F(QtTrayTest, LeftClicksToggleTheWindowAndADoubleClickTogglesTwice) {
  TFrm_Tamiro& f = StartMainWindow();
  QSystemTrayIcon* icon = Icon(f);
  ASSERT_NE(icon, nullptr);
  QWidget* window = WindowOf(f);
  const struct {
    QSystemTrayIcon::ActivationReason reason;
    bool minimized;
  } steps[] = {
      {QSystemTrayIcon::Trigger, true},
      {QSystemTrayIcon::Trigger, false},
      // A double click arrives as Trigger then DoubleClick: two releases of the left button.
      {QSystemTrayIcon::Trigger, true},
      {QSystemTrayIcon::DoubleClick, false},
      {QSystemTrayIcon::MiddleClick, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.reason);
    emit icon->activated(step.reason);
    EXPECT_EQ(Application->Minimized(), step.minimized);
    // Hidden with a tray to hide into, else an ordinary minimised window.
    bool gone = window->isHidden() || window->isMinimized();
    EXPECT_EQ(gone, step.minimized);
  }
}

TEST_F(QtTrayTest, TheRightButtonOpensTheMenuWithItsRightEdgeAtThePointer) {
  TFrm_Tamiro& f = StartMainWindow();
  QStringList items;
  QRect shownAt;
  bool stopEnabled = true;
  int exitAsked = 0;
  f.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++exitAsked;
    canClose = false;
  };
  QTimer::singleShot(200, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    shownAt = menu->geometry();
    for (QAction* action : menu->actions()) {
      items << (action->isSeparator() ? QStringLiteral("-") : action->text());
      if (action->objectName() == "numzz") stopEnabled = action->isEnabled();
    }
    for (QAction* action : menu->actions())
      if (action->objectName() == "Animate1") menu->setActiveAction(action);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
  });
  Ui().PopupMenu(*f.PopupMenu1, 400, 300);
  EXPECT_EQ(items, QString::fromUtf8("显示/隐藏(&G)|-|启动闹钟(&S)|终止闹钟(&Z)|-|在线升级(&U)|-|退出程序(&E)").split('|'));
  EXPECT_FALSE(stopEnabled);
  EXPECT_EQ(shownAt.right() + 1, 400);
  EXPECT_EQ(exitAsked, 1) << "the exit item asks the window to close after the menu has gone";
}

TEST_F(QtTrayTest, MinimisingFromTheTitleBarIsTheUsersMinimise) {
  TFrm_Tamiro& f = StartMainWindow();
  QWidget* window = WindowOf(f);
  window->setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(RunUntil([] { return Application->Minimized(); }, 2000));
  emit Icon(f)->activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(Application->Minimized());
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isMinimized());
}

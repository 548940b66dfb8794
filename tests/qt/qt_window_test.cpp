// The real main window on the Qt front end: its size when folded and unfolded, where the
// widgets sit, the docked status bar, the tab order, clicks and the close box.
#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include "QtFixture.h"

class QtWindowTest : public QtTest {
 protected:
  static QRect GeometryOf(const TControl& control) { return WidgetOf<QWidget>(control)->geometry(); }
};

TEST_F(QtWindowTest, FoldedAndUnfoldedClientSizesKeepTheStatusBarAtTheBottom) {
  TFrm_Tamiro& f = StartMainWindow();
  QWidget* window = WindowOf(f);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), "Frm_Tamiro");
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the frame is fixed";
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

  const struct {
    int height;
    QSize client;
  } cases[] = {{292, {534, 256}}, {443, {534, 407}}, {292, {534, 256}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    if (f.Height() != c.height) QTest::mouseClick(WidgetOf<QPushButton>(*f.Btn_Sz), Qt::LeftButton);
    ASSERT_EQ(f.Height(), c.height);
    EXPECT_EQ(window->size(), c.client);
    EXPECT_EQ(GeometryOf(*f.sBar), QRect(0, c.client.height() - 21, 534, 21));
  }
}

TEST_F(QtWindowTest, WidgetsSitAtTheirLayoutPlaces) {
  TFrm_Tamiro& f = StartMainWindow();
  const struct {
    const TControl* control;
    QRect place;  // in the parent's client area
  } cases[] = {
      {f.Btn_Sz, {40, 200, 65, 25}},        {f.Chk_Zd, {456, 205, 73, 17}},
      {f.xz, {6, 238, 451, 155}},           {f.xpGroupBox5, {8, 4, 518, 185}},
      {f.List_Tamiro, {10, 18, 433, 156}},  {f.Btn_Start, {449, 25, 60, 25}},
      {f.Memo_Log, {8, 8, 433, 89}},        {f.SpinEdit_H_Gj, {158, 46, 50, 21}},
      {f.DateTime_Time, {254, 18, 90, 20}}, {f.Btn_ExeUpdate, {460, 350, 60, 25}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control->Name());
    QWidget* widget = WidgetOf<QWidget>(*c.control);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName(), Q(c.control->Name()));
    EXPECT_EQ(widget->geometry(), c.place);
    EXPECT_EQ(widget->parentWidget(), Ui().WidgetOf(*c.control->Parent()));
  }
  // The pages' controls live on the pages, which the tab widget shows one at a time.
  EXPECT_TRUE(WidgetOf<QWidget>(*f.xpTabSheet6)->isAncestorOf(WidgetOf<QWidget>(*f.Memo_Log)));
  auto* tabs = WidgetOf<QTabWidget>(*f.xz);
  ASSERT_EQ(tabs->count(), 7);
  EXPECT_EQ(tabs->tabText(0), QString::fromUtf8("闹钟设置"));
  EXPECT_EQ(tabs->tabText(6), QString::fromUtf8("关于"));
  auto* list = WidgetOf<QTreeView>(*f.List_Tamiro);
  EXPECT_EQ(list->model()->columnCount(), 4);
  EXPECT_EQ(list->columnWidth(3), 300);
}

TEST_F(QtWindowTest, AfterStartUpTheWindowIsCentredAt200AndCaptionedWithTheVersion) {
  TFrm_Tamiro& f = StartMainWindow();
  QWidget* window = WindowOf(f);
  EXPECT_EQ(window->pos(), QPoint(f.Left(), 200));
  EXPECT_EQ(f.Left(), (Ui().ScreenWidth() - f.Width()) / 2);
  EXPECT_EQ(window->windowTitle(), Q(f.Caption()));
  EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(QtWindowTest, HiddenAndNonTabStopControlsAreLeftOutOfTheTabOrder) {
  TFrm_Tamiro& f = StartMainWindow();
  QTest::mouseClick(WidgetOf<QPushButton>(*f.Btn_Sz), Qt::LeftButton);  // unfold
  EXPECT_EQ(WidgetOf<QWidget>(*f.List_Box)->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(WidgetOf<QWidget>(*f.Memo_Save)->focusPolicy(), Qt::NoFocus);
  EXPECT_FALSE(WidgetOf<QWidget>(*f.List_Box)->isVisible());
  EXPECT_FALSE(WidgetOf<QWidget>(*f.Memo_Save)->isVisible());

  // Tab from "设置" walks the window's own controls by their tab order.
  std::vector<std::string> order;
  QWidget* w = WidgetOf<QWidget>(*f.Btn_Sz);
  for (int i = 0; i < 6; ++i) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(WindowOf(f)) || !w->isEnabled());
    order.push_back(w->objectName().toStdString());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Btn_Add", "Btn_Cancel", "Btn_del", "Btn_Clear", "Chk_Zd", "Btn_ExeUpdate"}))
      << "Btn_StopNl is disabled at start";
}

TEST_F(QtWindowTest, ClicksReachTheHandlerAndStateSetFromCodeIsShownWithoutEvents) {
  TFrm_Tamiro& f = StartMainWindow();
  QTest::mouseClick(WidgetOf<QPushButton>(*f.Btn_Sz), Qt::LeftButton);
  EXPECT_EQ(f.Height(), 443) << "Btn_SzClick ran";

  int changes = 0;
  f.Chk_Qx->OnChange = [&](TObject*) { ++changes; };
  auto* box = WidgetOf<QCheckBox>(*f.Chk_Qx);
  f.Chk_Qx->SetChecked(true);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(changes, 0);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(f.Chk_Qx->Checked());

  // A disabled button takes no click.
  auto* stop = WidgetOf<QPushButton>(*f.Btn_StopNl);
  EXPECT_FALSE(stop->isEnabled());
  f.Btn_StopNl->SetEnabled(true);
  EXPECT_TRUE(stop->isEnabled());
}

TEST_F(QtWindowTest, TheLogMemoTakesNoCharacterButMovesAndSelects) {
  TFrm_Tamiro& f = StartMainWindow();
  QTest::mouseClick(WidgetOf<QPushButton>(*f.Btn_Sz), Qt::LeftButton);
  f.xz->SetActivePageIndex(5);
  f.Memo_Log->Lines.Assign({"first line", "second line"});
  auto* memo = WidgetOf<QPlainTextEdit>(*f.Memo_Log);
  ASSERT_TRUE(memo->isVisible());
  const QString before = memo->toPlainText();
  const std::vector<std::string> lines = f.Memo_Log->Lines.Items();

  memo->moveCursor(QTextCursor::Start);
  QTest::keyClicks(memo, "abc");
  QTest::keyClick(memo, Qt::Key_Backspace);
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(memo->toPlainText(), before);
  EXPECT_EQ(f.Memo_Log->Lines.Items(), lines);

  QTest::keyClick(memo, Qt::Key_Down);
  EXPECT_EQ(memo->textCursor().blockNumber(), 1) << "arrows move as usual";
  QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(memo->textCursor().selectedText(), "second line");
  // Delete produces no character, so it reaches the memo, and the control hears of it.
  memo->moveCursor(QTextCursor::Start);
  QTest::keyClick(memo, Qt::Key_Delete);
  EXPECT_EQ(f.Memo_Log->Lines.Items(), (std::vector<std::string>{"irst line", "second line"}));
}

TEST_F(QtWindowTest, TheCloseBoxAsksTheFormWhichMayRefuse) {
  TFrm_Tamiro& f = StartMainWindow();
  int asked = 0;
  bool allow = false;
  f.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = allow;
  };
  QWidget* window = WindowOf(f);
  window->close();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(f.Closed());
  EXPECT_TRUE(window->isVisible());
  allow = true;
  window->close();
  EXPECT_TRUE(f.Closed());
  Ui().Run();  // the close ended the loop already: Run returns at once
}

TEST_F(QtWindowTest, AssistiveToolsFindTheControlsByTheirCaptionsOrLabels) {
  TFrm_Tamiro& f = StartMainWindow();
  const struct {
    const TControl* control;
    const char* name;
  } cases[] = {
      {f.Btn_Sz, "设置"},         {f.Chk_Zd, "整点报时"},        {f.sRadioButton1, "每天都响"},
      {f.nzls, "请选择闹钟铃声"}, {f.zdls, "请选择整点报时铃声"}, {f.SpinEdit_H_Gj, "时"},
      {f.SpinEdit_S_Gj, "秒"},    {f.Memo_Log, "日志"},          {f.List_Tamiro, "记录列表"},
      {f.Btn_OpenNl, "浏览"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control->Name());
    EXPECT_EQ(WidgetOf<QWidget>(*c.control)->accessibleName(), QString::fromUtf8(c.name));
  }
}

// The main window with the keyboard alone and through an assistive tool's interface: Tab
// walks the layout's order, Space and Enter act, and every action the widgets take from an
// assistive tool reaches the controls as the user's own.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "QtFixture.h"

namespace {

// The control whose widget holds the focus now.
std::string Focused(const TForm& form) {
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
    if (auto* control = dynamic_cast<TControl*>(const_cast<TForm&>(form).FindComponent(w->objectName().toStdString())))
      return control->Name();
  return "";
}

QAccessibleInterface* Accessible(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget); }

}  // namespace

class QtKeyboardTest : public QtTest {
 protected:
  TFrm_Tamiro& Started() {
    TFrm_Tamiro& f = StartMainWindow();
    QWidget* window = WindowOf(f);
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    return f;
  }
  // Presses Tab (or Shift+Tab) n times from the focused control; the names it stops at.
  static std::vector<std::string> Tabs(const TForm& form, int n, bool forward = true) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
      QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
      names.push_back(Focused(form));
    }
    return names;
  }
};

TEST_F(QtKeyboardTest, TabWalksTheLayoutsOrderFoldedAndUnfolded) {
  TFrm_Tamiro& f = Started();
  WidgetOf<QWidget>(*f.Btn_Sz)->setFocus();
  EXPECT_EQ(Tabs(f, 9), (std::vector<std::string>{"Btn_del", "Btn_Clear", "Chk_Zd", "Btn_Start", "Btn_List_Save",
                                                  "Btn_List_Open", "List_Tamiro", "Chk_Qx", "Btn_Sz"}));

  QTest::keyClick(WidgetOf<QWidget>(*f.Btn_Sz), Qt::Key_Space);  // unfold from the keyboard
  ASSERT_EQ(f.Height(), 443);
  f.xz->UserSelectPage(3);
  const std::vector<std::string> unfolded{
      "Btn_Add",          "Btn_Cancel",       "Btn_del",       "Btn_Clear",     "Chk_Zd",        "Btn_ExeUpdate",
      "xz",               "Btn_Gj",           "RadioButton1",  "DateTime_Date_Gj", "DateTime_Time_Gj", "RadioButton2",
      "SpinEdit_H_Gj",    "SpinEdit_M_Gj",    "SpinEdit_S_Gj", "Btn_Start",     "Btn_List_Save", "Btn_List_Open",
      "List_Tamiro",      "Chk_Qx",           "Btn_Sz"};
  EXPECT_EQ(Tabs(f, static_cast<int>(unfolded.size())), unfolded) << "into the date and spin fields and out again";
  std::vector<std::string> back(unfolded.rbegin() + 1, unfolded.rend());
  back.push_back("Btn_Sz");
  EXPECT_EQ(Tabs(f, static_cast<int>(back.size()), false), back);
}

TEST_F(QtKeyboardTest, SpaceTogglesAndEnterPressesAsTheUser) {
  TFrm_Tamiro& f = Started();
  f.Btn_Sz->UserClick();
  int changes = 0, clicks = 0;
  f.sRadioButton1->OnChange = [&](TObject*) { ++changes; };
  f.Chk_Qx->OnChange = [&](TObject*) { ++changes; };
  f.Btn_Clear->OnClick = [&](TObject*) { ++clicks; };
  f.sWebLabel2->OnClick = [&](TObject*) { ++clicks; };

  QTest::keyClick(WidgetOf<QWidget>(*f.sRadioButton1), Qt::Key_Space);
  EXPECT_TRUE(f.sRadioButton1->Checked());
  EXPECT_FALSE(f.sRadioButton2->Checked());
  EXPECT_FALSE(WidgetOf<QRadioButton>(*f.sRadioButton2)->isChecked());
  QTest::keyClick(WidgetOf<QWidget>(*f.sRadioButton1), Qt::Key_Space);  // checked already: an event all the same
  EXPECT_TRUE(WidgetOf<QRadioButton>(*f.sRadioButton1)->isChecked());
  QTest::keyClick(WidgetOf<QWidget>(*f.Chk_Qx), Qt::Key_Space);
  EXPECT_TRUE(f.Chk_Qx->Checked());
  EXPECT_EQ(changes, 3);

  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) QTest::keyClick(WidgetOf<QWidget>(*f.Btn_Clear), key);
  f.xz->UserSelectPage(6);
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) QTest::keyClick(WidgetOf<QWidget>(*f.sWebLabel2), key);
  EXPECT_EQ(clicks, 5);
  f.Btn_Clear->SetEnabled(false);
  QTest::keyClick(WidgetOf<QWidget>(*f.Btn_Clear), Qt::Key_Return);
  EXPECT_EQ(clicks, 5) << "a disabled button takes no key";
}

TEST_F(QtKeyboardTest, AnAssistiveToolsActionsAreTheUsersOwn) {
  TFrm_Tamiro& f = Started();
  f.Btn_Sz->UserClick();
  int changes = 0, links = 0;
  f.sRadioButton1->OnChange = [&](TObject*) { ++changes; };
  f.Chk_Zd->OnChange = [&](TObject*) { ++changes; };
  f.sWebLabel4->OnClick = [&](TObject*) { ++links; };

  QAccessibleInterface* radio = Accessible(WidgetOf<QWidget>(*f.sRadioButton1));
  ASSERT_NE(radio, nullptr);
  EXPECT_EQ(radio->role(), QAccessible::RadioButton);
  EXPECT_EQ(radio->text(QAccessible::Name), QString::fromUtf8("每天都响"));
  radio->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(f.sRadioButton1->Checked());
  EXPECT_FALSE(f.sRadioButton2->Checked()) << "one radio button checked, as the screen shows";
  EXPECT_FALSE(WidgetOf<QRadioButton>(*f.sRadioButton2)->isChecked());
  EXPECT_TRUE(radio->state().checked);
  radio->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(f.sRadioButton1->Checked());

  QAccessibleInterface* check = Accessible(WidgetOf<QWidget>(*f.Chk_Zd));
  check->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(f.Chk_Zd->Checked());
  EXPECT_EQ(changes, 3);

  f.xz->UserSelectPage(1);
  QAccessibleInterface* path = Accessible(WidgetOf<QWidget>(*f.nzls));
  ASSERT_NE(path->editableTextInterface(), nullptr);
  path->editableTextInterface()->replaceText(0, path->textInterface()->characterCount(), QStringLiteral("/tmp/x.mp3"));
  EXPECT_EQ(f.nzls->Text(), "/tmp/x.mp3");
  path->editableTextInterface()->insertText(0, QStringLiteral("/a"));
  EXPECT_EQ(f.nzls->Text(), "/a/tmp/x.mp3");

  // The log takes no text from a tool either: its key filter refuses, and the text comes back.
  f.xz->UserSelectPage(5);
  const std::vector<std::string> lines = f.Memo_Log->Lines.Items();
  auto* memo = WidgetOf<QPlainTextEdit>(*f.Memo_Log);
  const QString shown = memo->toPlainText();
  QAccessibleInterface* log = Accessible(memo);
  ASSERT_NE(log->editableTextInterface(), nullptr);
  log->editableTextInterface()->insertText(0, QStringLiteral("forged "));
  EXPECT_EQ(f.Memo_Log->Lines.Items(), lines);
  EXPECT_TRUE(RunUntil([&] { return memo->toPlainText() == shown; }, 2000));

  f.xz->UserSelectPage(6);
  QAccessibleInterface* link = Accessible(WidgetOf<QWidget>(*f.sWebLabel4));
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_TRUE(link->state().focusable);
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(links, 1);

  // A disabled control refuses whatever the tool asks.
  f.Chk_Zd->SetEnabled(false);
  check->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(f.Chk_Zd->Checked());
  EXPECT_EQ(changes, 3);
}

// A paste and an assistive tool's text pass the spin edit's key filter as typing does.
TEST_F(QtKeyboardTest, ThePowerOffSpinEditsFilterPastesAndAnAssistiveToolsText) {
  TFrm_Tamiro& f = Started();
  f.Btn_Sz->UserClick();
  f.xz->UserSelectPage(3);
  auto* edit = WidgetOf<QWidget>(*f.SpinEdit_S_Gj)->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  const struct {
    const char* pasted;
    const char* text;
  } pastes[] = {{"42", "42"}, {"7x", "42"}, {"-3", "-3"}};
  for (const auto& c : pastes) {
    SCOPED_TRACE(c.pasted);
    edit->selectAll();
    QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.SpinEdit_S_Gj->Text(), c.text);
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));
  }

  QAccessibleInterface* field = Accessible(edit);
  ASSERT_NE(field->editableTextInterface(), nullptr);
  field->editableTextInterface()->insertText(0, QStringLiteral("a"));
  EXPECT_EQ(f.SpinEdit_S_Gj->Text(), "-3");
  EXPECT_EQ(edit->text(), QStringLiteral("-3"));
  field->editableTextInterface()->replaceText(0, field->textInterface()->characterCount(), QStringLiteral("15"));
  EXPECT_EQ(f.SpinEdit_S_Gj->Text(), "15");
}

// The line edit checks its text again as it loses the focus; a spin edit being destroyed
// while its field has the focus is not asked.
TEST_F(QtTest, ASpinEditDestroyedWhileItsFieldHasTheFocusIsNotAskedOnTheWayOut) {
  struct SpinForm : TForm {
    SpinForm() : TForm("Frm_Spin", "TFrm_Spin") {
      SetClientSize(200, 100);
      spin = new TSpinEdit(this, "spin", this);
      spin->SetBounds(10, 10, 50, 21);
    }
    TSpinEdit* spin;
  };
  auto& f = Show(new SpinForm);
  QWidget* window = Ui().WidgetOf(f);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  auto* edit = Ui().WidgetOf(*f.spin)->findChild<QLineEdit*>();
  edit->setFocus();
  ASSERT_TRUE(edit->hasFocus());
  delete f.spin;  // a report here means the spin edit was reached half destroyed
  f.spin = nullptr;
  EXPECT_TRUE(f.Controls().empty());
}

TEST_F(QtKeyboardTest, TheFocusLeavesAControlThatIsDisabledForTheNextInTheLayoutsOrder) {
  TFrm_Tamiro& f = Started();
  WidgetOf<QWidget>(*f.Btn_Clear)->setFocus();
  ASSERT_EQ(Focused(f), "Btn_Clear");
  f.Btn_Clear->SetEnabled(false);
  EXPECT_EQ(Focused(f), "Chk_Zd") << "past the disabled Btn_StopNl, and not into the folded-away pages";
  f.Chk_Zd->SetEnabled(false);
  EXPECT_EQ(Focused(f), "Btn_Start");
}

// The control rules on the Qt widgets, on a small form of the test's own: state set from
// code is shown and raises nothing; the user's own actions reach the control once.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeView>

#include "QtFixture.h"
#include "platform/qt/QtConvert.h"
#include "platform/vcl/ListView.h"

namespace {

struct ControlsForm : TForm {
  ControlsForm() : TForm("Frm_Controls", "TFrm_Controls") {
    SetClientSize(500, 400);
    check = Place(new TCheckBox(this, "check", this), 10, 10, 100, 17, 0);
    check->SetCaption("整点报时");
    check->OnChange = [this](TObject*) { ++checkChanges; };
    group = Place(new TGroupBox(this, "group", this), 10, 30, 300, 40, 1);
    radio1 = Place(new TRadioButton(this, "radio1", group), 10, 15, 80, 17, 0);
    radio1->SetCaption("只响一次");
    radio1->SetChecked(true);
    radio2 = Place(new TRadioButton(this, "radio2", group), 100, 15, 80, 17, 1);
    radio2->SetCaption("每天都响");
    for (TRadioButton* r : {radio1, radio2}) r->OnChange = [this](TObject*) { ++radioChanges; };
    edit = Place(new TEdit(this, "edit", this), 10, 80, 200, 20, 2);
    spin = Place(new TSpinEdit(this, "spin", this), 220, 80, 50, 21, 3);
    combo = Place(new TComboBox(this, "combo", this), 10, 110, 150, 20, 4);
    combo->Items.Assign({"起床", "睡觉", "去上课"});
    date = Place(new TDateTimePicker(this, "date", this, TDateTimeKind::dtkDate), 10, 140, 100, 20, 5);
    time = Place(new TDateTimePicker(this, "time", this, TDateTimeKind::dtkTime), 120, 140, 90, 20, 6);
    pages = Place(new TPageControl(this, "pages", this), 10, 170, 300, 100, 7);
    page1 = new TTabSheet(this, "page1", pages);
    page1->SetCaption("第一页");
    page2 = new TTabSheet(this, "page2", pages);
    page2->SetCaption("第二页");
    list = Place(new TListView(this, "list", this), 320, 10, 170, 150, 8);
    list->Columns = {{"时间", 80}, {"方式", 80}};
    list->OnChange = [this](TObject*, TListItem*, TItemChange) { ++listChanges; };
    memo = Place(new TMemo(this, "memo", this), 320, 170, 170, 80, 9);
    link = Place(new TLabel(this, "link", this, "TsWebLabel"), 10, 300, 100, 12);
    link->SetCaption("www.example.com");
    link->SetFontColor(clBlue);
    link->OnClick = [this](TObject*) { ++linkClicks; };
  }
  template <class T>
  static T* Place(T* control, int left, int top, int width, int height, int tabOrder = -1) {
    control->SetBounds(left, top, width, height);
    control->TabOrder = tabOrder;
    return control;
  }
  TCheckBox* check;
  TGroupBox* group;
  TRadioButton *radio1, *radio2;
  TEdit* edit;
  TSpinEdit* spin;
  TComboBox* combo;
  TDateTimePicker *date, *time;
  TPageControl* pages;
  TTabSheet *page1, *page2;
  TListView* list;
  TMemo* memo;
  TLabel* link;
  int checkChanges = 0, radioChanges = 0, listChanges = 0, linkClicks = 0;
};

// Types the characters as key presses that carry text, whatever the keyboard layout.
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &release);
  }
}

TListItem* AddRow(TListView* list, const std::string& caption, const std::string& sub, bool checked = false) {
  TListItem* row = list->Add();
  row->SetCaption(caption);
  row->SubItems.Add(sub);
  row->SetChecked(checked);
  return row;
}

}  // namespace

class QtControlsTest : public QtTest {
 protected:
  void SetUp() override {
    QtTest::SetUp();
    f = &Show(new ControlsForm());
  }
  ControlsForm* f = nullptr;
};

TEST_F(QtControlsTest, StateSetFromCodeIsShownAndRaisesNoEvent) {
  f->check->SetChecked(true);
  f->radio2->SetChecked(true);
  f->edit->SetText("C:/铃声/nl.mp3");
  f->spin->SetValue(-3);
  f->combo->SetText("去约会");
  f->date->SetDateTime(EncodeDate(2006, 1, 18) + EncodeTime(21, 15, 0));
  f->time->SetDateTime(EncodeDate(2006, 1, 18) + EncodeTime(21, 15, 7));
  f->pages->SetActivePageIndex(1);
  f->memo->Lines.Assign({"一", "二"});

  EXPECT_TRUE(WidgetOf<QCheckBox>(*f->check)->isChecked());
  EXPECT_FALSE(WidgetOf<QRadioButton>(*f->radio1)->isChecked());
  EXPECT_TRUE(WidgetOf<QRadioButton>(*f->radio2)->isChecked());
  EXPECT_EQ(WidgetOf<QLineEdit>(*f->edit)->text(), QString::fromUtf8("C:/铃声/nl.mp3"));
  EXPECT_EQ(WidgetOf<QWidget>(*f->spin)->findChild<QLineEdit*>()->text(), "-3");
  EXPECT_EQ(WidgetOf<QComboBox>(*f->combo)->currentText(), QString::fromUtf8("去约会"));
  EXPECT_EQ(WidgetOf<QComboBox>(*f->combo)->count(), 3);
  EXPECT_EQ(WidgetOf<QDateEdit>(*f->date)->text(), "2006-1-18");
  EXPECT_EQ(WidgetOf<QTimeEdit>(*f->time)->text(), "21:15:07");
  EXPECT_EQ(WidgetOf<QTabWidget>(*f->pages)->currentIndex(), 1);
  EXPECT_EQ(WidgetOf<QPlainTextEdit>(*f->memo)->toPlainText(), QString::fromUtf8("一\n二"));
  EXPECT_EQ(f->checkChanges, 0);
  EXPECT_EQ(f->radioChanges, 0);
  // The model moved none of these by itself either.
  EXPECT_EQ(f->edit->Text(), "C:/铃声/nl.mp3");
  EXPECT_EQ(f->pages->ActivePageIndex(), 1);
}

TEST_F(QtControlsTest, TheUsersOwnActionsReachTheControls) {
  auto* check = WidgetOf<QCheckBox>(*f->check);
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_TRUE(f->check->Checked());
  QTest::keyClick(check, Qt::Key_Space);
  EXPECT_FALSE(f->check->Checked());
  EXPECT_EQ(f->checkChanges, 2);

  auto* radio1 = WidgetOf<QRadioButton>(*f->radio1);
  auto* radio2 = WidgetOf<QRadioButton>(*f->radio2);
  QTest::mouseClick(radio2, Qt::LeftButton);
  EXPECT_TRUE(f->radio2->Checked());
  EXPECT_FALSE(f->radio1->Checked());
  EXPECT_FALSE(radio1->isChecked()) << "the sibling is unchecked on screen too";
  QTest::mouseClick(radio2, Qt::LeftButton);  // already checked: still an event, still checked
  EXPECT_TRUE(radio2->isChecked());
  EXPECT_EQ(f->radioChanges, 2);

  QTest::keyClicks(WidgetOf<QLineEdit>(*f->edit), "ab");
  EXPECT_EQ(f->edit->Text(), "ab");

  auto* combo = WidgetOf<QComboBox>(*f->combo);
  QTest::keyClicks(combo, "x");
  EXPECT_EQ(f->combo->Text(), "x");
  QTest::keyClick(combo, Qt::Key_Down);  // the next item of the list
  EXPECT_EQ(f->combo->Text(), FromQ(combo->currentText()));

  f->date->SetDateTime(EncodeDate(2006, 1, 18) + EncodeTime(8, 0, 0));
  QTest::keyClick(WidgetOf<QDateEdit>(*f->date), Qt::Key_Up);  // the year
  EXPECT_EQ(f->date->DateTime(), EncodeDate(2007, 1, 18) + EncodeTime(8, 0, 0)) << "the time of day is kept";
  f->time->SetDateTime(EncodeDate(2006, 1, 18) + EncodeTime(8, 0, 0));
  QTest::keyClick(WidgetOf<QTimeEdit>(*f->time), Qt::Key_Up);  // the hour
  EXPECT_EQ(f->time->DateTime(), EncodeDate(2006, 1, 18) + EncodeTime(9, 0, 0)) << "the date is kept";

  QTabBar* bar = WidgetOf<QTabWidget>(*f->pages)->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(f->pages->ActivePageIndex(), 1);

  QTest::mouseClick(WidgetOf<QLabel>(*f->link), Qt::LeftButton);
  EXPECT_EQ(f->linkClicks, 1);
}

TEST_F(QtControlsTest, ADisabledControlRefusesAndTheWidgetShowsTheControlsState) {
  f->group->SetEnabled(false);
  EXPECT_FALSE(WidgetOf<QRadioButton>(*f->radio2)->isEnabled());
  f->link->SetEnabled(false);
  QTest::mouseClick(WidgetOf<QLabel>(*f->link), Qt::LeftButton);
  EXPECT_EQ(f->linkClicks, 0);
  f->link->SetVisible(false);
  EXPECT_FALSE(WidgetOf<QLabel>(*f->link)->isVisible());
}

TEST_F(QtControlsTest, TheSpinEditKeepsItsTextAsTypedAndRefusesOtherCharacters) {
  QLineEdit* edit = WidgetOf<QWidget>(*f->spin)->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  const struct {
    const char* typed;
    const char* text;
  } cases[] = {{"", ""}, {"00", "00"}, {"-3", "-3"}, {"1a2", "12"}, {"+7.", "+7."}, {"９", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    Type(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(f->spin->Text(), c.text);
    EXPECT_EQ(edit->text(), c.text);
  }
  f->spin->SetText("59");
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(f->spin->Text(), "60") << "no limits";
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(f->spin->Text(), "58");
}

TEST_F(QtControlsTest, AMemoWithoutFilterTakesTypingAndFollowsLinesAddedFromCode) {
  auto* memo = WidgetOf<QPlainTextEdit>(*f->memo);
  QTest::keyClicks(memo, "ab");
  QTest::keyClick(memo, Qt::Key_Return);
  EXPECT_EQ(memo->toPlainText(), "ab\n") << "the line end the user typed stays";
  QTest::keyClicks(memo, "c");
  EXPECT_EQ(f->memo->Lines.Items(), (std::vector<std::string>{"ab", "c"}));
  f->memo->Lines.Add("d");
  EXPECT_EQ(memo->toPlainText(), "ab\nc\nd");
  EXPECT_EQ(memo->textCursor().position(), memo->toPlainText().size()) << "appended at the end, caret there";
  f->memo->Lines.Clear();
  EXPECT_EQ(memo->toPlainText(), "");
}

// The rows on screen follow every kind of change once the loop has run.
TEST_F(QtControlsTest, ListViewRowsFollowTheControl) {
  auto* tree = WidgetOf<QTreeView>(*f->list);
  ASSERT_NE(tree, nullptr);
  QAbstractItemModel* rows = tree->model();
  auto shown = [&] {
    std::vector<std::string> texts;
    for (int i = 0; i < rows->rowCount(); ++i)
      texts.push_back(FromQ(rows->index(i, 0).data().toString() + "|" + rows->index(i, 1).data().toString()) +
                      (rows->index(i, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? "+" : ""));
    return texts;
  };
  auto model = [&] {
    std::vector<std::string> texts;
    for (int i = 0; i < f->list->Count(); ++i) {
      TListItem* item = f->list->Item(i);
      texts.push_back(item->Caption() + "|" + (item->SubItems.Count() ? item->SubItems[0] : "") +
                      (item->Checked() ? "+" : ""));
    }
    return texts;
  };
  const struct {
    const char* what;
    std::function<void()> change;
  } steps[] = {
      {"add", [&] { for (int i = 0; i < 5; ++i) AddRow(f->list, "0" + std::to_string(i) + ":00:00", "每天都响", i % 2); }},
      {"delete in the middle", [&] { f->list->Delete(2); }},
      {"caption", [&] { f->list->Item(0)->SetCaption("12:00:00"); }},
      {"sub-item", [&] { f->list->Item(3)->SubItems.Set(0, "周末"); }},
      {"tick", [&] { f->list->Item(0)->SetChecked(true); }},
      {"add, then delete before the loop runs", [&] { AddRow(f->list, "13:00:00", "周末"); f->list->Delete(1); }},
      {"delete the last", [&] { f->list->Delete(f->list->Count() - 1); }},
      {"clear", [&] { f->list->Clear(); }},
      {"add after clear", [&] { AddRow(f->list, "07:30:00", "周一到五"); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(), model());
  }
  EXPECT_EQ(rows->columnCount(), 2);
  EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("方式"));
  EXPECT_EQ(tree->columnWidth(1), 80);
}

// A burst of changes reaches the view as one insertion and one change when the loop runs,
// not row by row; a long text is shown cut while the row keeps it whole.
TEST_F(QtControlsTest, ABurstOfRowChangesIsShownInOneUpdate) {
  auto* tree = WidgetOf<QTreeView>(*f->list);
  QAbstractItemModel* rows = tree->model();
  AddRow(f->list, "06:00:00", "每天都响");
  QCoreApplication::processEvents();
  int inserted = 0, changed = 0;
  QObject::connect(rows, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
  QObject::connect(rows, &QAbstractItemModel::dataChanged, [&] { ++changed; });
  const std::string longText(100000, 'z');
  for (int i = 0; i < 500; ++i) AddRow(f->list, "07:00:00", i == 250 ? longText : "每天都响", true);
  f->list->Item(0)->SetChecked(true);
  EXPECT_EQ(rows->rowCount(), 1) << "nothing shown before the loop runs";
  QCoreApplication::processEvents();
  EXPECT_EQ(inserted, 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(rows->rowCount(), 501);
  EXPECT_EQ(rows->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(rows->index(251, 1).data().toString(), ToQ(ShownCellText(longText)));
  EXPECT_EQ(f->list->Item(251)->SubItems[0], longText);
}

TEST_F(QtControlsTest, TheUserSelectsAndTicksRows) {
  for (int i = 0; i < 3; ++i) AddRow(f->list, std::to_string(i), "x");
  QCoreApplication::processEvents();
  int changesBefore = f->listChanges;
  auto* tree = WidgetOf<QTreeView>(*f->list);
  QAbstractItemModel* rows = tree->model();
  QRect row1 = tree->visualRect(rows->index(1, 1));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row1.center());
  ASSERT_NE(f->list->Selected(), nullptr);
  EXPECT_EQ(f->list->Selected()->Index(), 1);
  QTest::keyClick(tree, Qt::Key_Space);  // ticks the current row
  EXPECT_TRUE(f->list->Item(1)->Checked());
  EXPECT_FALSE(f->list->Item(0)->Checked());
  EXPECT_GT(f->listChanges, changesBefore);

  // From code: the selection moves on screen, no user event comes back.
  int changesFromUser = f->listChanges;
  f->list->Item(2)->SetSelected(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(f->listChanges, changesFromUser + 2) << "the two rows' own changes, nothing echoed";
  EXPECT_EQ(tree->currentIndex().row(), 2);
  EXPECT_TRUE(tree->selectionModel()->isRowSelected(2, {}));
  EXPECT_FALSE(tree->selectionModel()->isRowSelected(1, {}));

  // Deleting the selected row leaves nothing selected, on screen as in the control.
  f->list->Delete(2);
  QCoreApplication::processEvents();
  EXPECT_EQ(f->list->Selected(), nullptr);
  EXPECT_FALSE(tree->selectionModel()->hasSelection());
}

namespace {

class QtListBoxTest : public QtTest {};

// The hidden scratch list is refilled every second with every section name; it is mirrored
// on screen only while it is shown.
TEST_F(QtListBoxTest, AHiddenListBoxIsMirroredOnlyOnceShown) {
  TFrm_Tamiro& f = StartMainWindow();
  auto* box = WidgetOf<QListWidget>(*f.List_Box);
  ASSERT_NE(box, nullptr);
  f.List_Box->Items.Assign({"0", "3", "7"});
  EXPECT_EQ(box->count(), 0);
  f.List_Box->SetVisible(true);
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->item(2)->text(), "7");
  f.List_Box->Items.Assign({"1"});
  ASSERT_EQ(box->count(), 1);
  EXPECT_EQ(box->item(0)->text(), "1");
  f.List_Box->SetVisible(false);
  EXPECT_EQ(box->count(), 0);
}

}  // namespace

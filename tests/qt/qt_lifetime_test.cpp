// Controls destroyed while their window is shown: their widgets go with them, nothing of
// theirs is reached afterwards, and the rest of the window goes on answering the user.
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "QtFixture.h"

namespace {

struct LifetimeForm : TForm {
  LifetimeForm() : TForm("Frm_Lifetime", "TFrm_Lifetime") {
    SetClientSize(300, 200);
    group = new TGroupBox(this, "group", this);
    group->SetBounds(10, 10, 200, 60);
    inside = new TButton(this, "inside", group);
    inside->SetBounds(10, 20, 80, 25);
    lone = new TButton(this, "lone", this);
    lone->SetBounds(10, 80, 80, 25);
    remover = new TButton(this, "remover", this);
    remover->SetBounds(10, 120, 80, 25);
    remover->SetCaption("删除");
    // The user's click on one control deletes others, while Qt delivers that click.
    remover->OnClick = [this](TObject*) {
      delete group;
      delete lone;
      group = nullptr;
      lone = nullptr;
      ++removals;
    };
  }
  TGroupBox* group;
  TButton* inside;
  TButton* lone;
  TButton* remover;
  int removals = 0;
};

TEST_F(QtTest, ControlsDeletedWhileShownTakeTheirWidgetsAndTheRestStillAnswers) {
  auto& f = Show(new LifetimeForm);
  QPointer<QWidget> group = Ui().WidgetOf(*f.group);
  QPointer<QWidget> inside = Ui().WidgetOf(*f.inside);
  QPointer<QWidget> lone = Ui().WidgetOf(*f.lone);
  ASSERT_TRUE(group && inside && lone);

  QTest::mouseClick(qobject_cast<QPushButton*>(Ui().WidgetOf(*f.remover)), Qt::LeftButton);
  EXPECT_EQ(f.removals, 1);
  ASSERT_TRUE(RunUntil([&] { return !group && !inside && !lone; }, 2000)) << "the widgets stay";
  EXPECT_EQ(f.Controls().size(), 1u);

  QTest::mouseClick(qobject_cast<QPushButton*>(Ui().WidgetOf(*f.remover)), Qt::LeftButton);
  EXPECT_EQ(f.removals, 2) << "the window still answers";
}

}  // namespace

// The main window as laid out, measured on the real fonts: every control in view where the
// layout puts it, every caption and the alarm time inside its box, the colours it names.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "QtFixture.h"
#include "platform/qt/QtConvert.h"
#include "platform/vcl/ListView.h"

namespace {

// The widget's rectangle in its window's client area.
QRect InWindow(const QWidget* widget) { return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size()); }

// Pixels of a colour family in a picture of the widget: red (r high, g and b low) or blue.
int Pixels(QWidget* widget, bool red) {
  QImage image = widget->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      QColor c = image.pixelColor(x, y);
      int strong = red ? c.red() : c.blue(), other = red ? std::max(c.green(), c.blue()) : std::max(c.red(), c.green());
      if (strong > 150 && other < 110) ++count;
    }
  return count;
}

std::vector<TControl*> Descendants(const TWinControl& parent) { return TabOrderList(parent); }

}  // namespace

class QtFitTest : public QtTest {
 protected:
  TFrm_Tamiro& Unfolded() {
    TFrm_Tamiro& f = StartMainWindow();
    QTest::mouseClick(WidgetOf<QPushButton>(*f.Btn_Sz), Qt::LeftButton);
    EXPECT_EQ(f.Height(), 443);
    return f;
  }
  // Where the user sees the window's content: above the status bar.
  static int VisibleBottom(const TFrm_Tamiro& f) { return WindowOf(f)->height() - f.sBar->Height(); }
};

TEST_F(QtFitTest, EveryControlOfEveryPageIsWhollyInViewUnfolded) {
  TFrm_Tamiro& f = Unfolded();
  f.xz->UserSelectPage(2);
  f.tx->UserToggle();  // the event's label and list come into view
  const std::vector<TTabSheet*> pages = f.xz->Pages();
  for (int index = 0; index < static_cast<int>(pages.size()); ++index) {
    TTabSheet* page = pages[index];
    SCOPED_TRACE(page->Caption());
    f.xz->UserSelectPage(index);
    QRect area = InWindow(WidgetOf<QWidget>(*page));
    area.setBottom(std::min(area.bottom(), VisibleBottom(f) - 1));
    for (TControl* control : Descendants(*page)) {
      SCOPED_TRACE(control->Name());
      QWidget* widget = WidgetOf<QWidget>(*control);
      ASSERT_TRUE(widget && widget->isVisible());
      EXPECT_TRUE(area.contains(InWindow(widget))) << "at " << InWindow(widget).y() << "+" << widget->height()
                                                   << ", the page shows down to " << area.bottom();
      if (!dynamic_cast<TLabel*>(control)) {  // labels may grow round their text
        EXPECT_EQ(widget->size(), QSize(control->Width(), control->Height())) << "as large as laid out";
      }
    }
  }
  // The window's own controls too, unfolded and folded.
  for (int height : {443, 292}) {
    SCOPED_TRACE(height);
    if (f.Height() != height) f.Btn_Sz->UserClick();
    for (TControl* control : f.Controls()) {
      QWidget* widget = WidgetOf<QWidget>(*control);
      // The page control's lower edge lies under the status bar as laid out; its pages are measured above.
      if (control == f.sBar || control == f.xz || !f.InView(*control) || !widget->isVisible()) continue;
      EXPECT_LE(InWindow(widget).bottom(), VisibleBottom(f) - 1) << control->Name();
      EXPECT_LE(InWindow(widget).right(), WindowOf(f)->width() - 1) << control->Name();
    }
  }
}

TEST_F(QtFitTest, CaptionsLabelsAndTheAlarmTimeFitTheirBoxes) {
  TFrm_Tamiro& f = Unfolded();
  std::vector<TControl*> all = Descendants(f);
  for (TControl* control : all) {
    if (control->Caption().empty() || dynamic_cast<TTabSheet*>(control)) continue;
    SCOPED_TRACE(control->Name() + " \"" + control->Caption() + "\"");
    QWidget* widget = WidgetOf<QWidget>(*control);
    ASSERT_NE(widget, nullptr);
    QFontMetrics metrics(widget->font());
    QString text = ToQ(control->Caption());
    int width = metrics.horizontalAdvance(text), ink = metrics.tightBoundingRect(text).height();
    if (auto* box = qobject_cast<QAbstractButton*>(widget); box && (qobject_cast<QCheckBox*>(box) || qobject_cast<QRadioButton*>(box))) {
      EXPECT_LE(box->sizeHint().width(), control->Width()) << "the mark, the gap and the text";
      EXPECT_LE(ink, control->Height());
    } else if (qobject_cast<QPushButton*>(widget)) {
      EXPECT_LE(width + 4, control->Width()) << "the text within the border";
      EXPECT_LE(metrics.height() + 2, control->Height());
    } else if (qobject_cast<QGroupBox*>(widget)) {
      EXPECT_LE(width + 12, control->Width());
    } else if (control == f.Label3 || control == f.Label_Bq) {
      // Written at start-up and as wide as their text, they stop short of the contact box.
      EXPECT_LE(InWindow(widget).right(), InWindow(WidgetOf<QWidget>(*f.xpGroupBox2)).left());
    } else if (qobject_cast<QLabel*>(widget)) {
      EXPECT_LE(width, control->Width());
      EXPECT_LE(ink, control->Height());
    }
  }
  // The tabs side by side in the page control's width; the clock in its status panel.
  EXPECT_LE(WidgetOf<QTabWidget>(*f.xz)->tabBar()->sizeHint().width(), f.xz->Width());
  QLabel* clock = WidgetOf<QWidget>(*f.sBar)->findChild<QLabel*>(QStringLiteral("sBar.Panel0"));
  ASSERT_NE(clock, nullptr);
  EXPECT_LE(QFontMetrics(clock->font()).horizontalAdvance(QString::fromUtf8("现在时间：2088-08-28 20:08:08")),
            f.sBar->Panels(0)->width - 4);

  // The widest alarm times, with the row's check mark, in the 130 pixels of their column.
  for (const char* time : {"2088-08-28 20:08:08", "2026-12-11 12:00:00", "00:00:00"}) {
    TListItem* row = f.List_Tamiro->Add();
    row->SetCaption(time);
    row->SubItems.Assign({"只响一次", "", "/tmp/nl.mp3"});
    row->SetChecked(true);
  }
  auto* view = WidgetOf<QAbstractItemView>(*f.List_Tamiro);
  ASSERT_NE(view, nullptr);
  EXPECT_LE(view->sizeHintForColumn(0), f.List_Tamiro->Columns[0].Width);
}

TEST_F(QtFitTest, TheColoursTheWindowNamesShowOnScreen) {
  TFrm_Tamiro& f = Unfolded();
  f.xz->UserSelectPage(3);
  auto* button = WidgetOf<QPushButton>(*f.Btn_Gj);
  EXPECT_EQ(Pixels(button, true), 0) << "black while it starts a power-off";
  f.DateTime_Date_Gj->SetDateTime(Date() + 2);
  f.DateTime_Time_Gj->SetDateTime(EncodeTime(3, 0, 0));
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(f.Btn_Gj->Caption(), "取消计时");
  EXPECT_GT(Pixels(button, true), 10) << "red once armed";

  f.xz->UserSelectPage(6);
  EXPECT_GT(Pixels(WidgetOf<QWidget>(*f.Label3), true), 10);
  auto* link = WidgetOf<QLabel>(*f.sWebLabel1);
  EXPECT_GT(Pixels(link, false), 10);
  EXPECT_EQ(Pixels(link, true), 0);
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(link, &enter);
  EXPECT_GT(Pixels(link, true), 10) << "red under the mouse";
  EXPECT_TRUE(link->font().underline());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(link, &leave);
  EXPECT_EQ(Pixels(link, true), 0);
}

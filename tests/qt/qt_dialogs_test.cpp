// Message boxes in Chinese, the file dialog's filter, and the conversions of dates.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTreeView>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "QtFixture.h"
#include "platform/qt/QtConvert.h"
#include "platform/vcl/Dialogs.h"

class QtDialogsTest : public QtTest {};

namespace {

// The locale variables as the process got them, before any backend borrowed others.
std::optional<std::string> StartVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}
const std::optional<std::string> kLcAllAtStart = StartVariable("LC_ALL");
const std::optional<std::string> kLanguageAtStart = StartVariable("LANGUAGE");

}  // namespace

TEST_F(QtDialogsTest, BoxesShowTheirCaptionTextIconAndChineseButtons) {
  const struct {
    int flags;
    QMessageBox::Icon icon;
    std::vector<QString> buttons;
    QMessageBox::StandardButton pressed;
    int answer;
  } cases[] = {
      {MB_OK, QMessageBox::NoIcon, {"确定"}, QMessageBox::Ok, IDOK},
      {MB_OK | MB_ICONERROR, QMessageBox::Critical, {"确定"}, QMessageBox::Ok, IDOK},
      {MB_YESNO | MB_ICONINFORMATION, QMessageBox::Information, {"是", "否"}, QMessageBox::Yes, IDYES},
      {MB_YESNO | MB_ICONINFORMATION, QMessageBox::Information, {"是", "否"}, QMessageBox::No, IDNO},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QString> buttons;
    QTimer::singleShot(100, [&] {
      QMessageBox* box = OpenBox();
      if (!box) return;
      caption = box->windowTitle(), text = box->text(), icon = box->icon();
      for (QAbstractButton* b : box->buttons()) buttons.push_back(b->text());
      std::sort(buttons.begin(), buttons.end());
      box->button(c.pressed)->click();
    });
    int answer = Ui().MessageBox(MessageBoxRequest{nullptr, "现在闹钟为启动状态，确定要退出吗？", "确定退出", c.flags});
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(caption, QString::fromUtf8("确定退出"));
    EXPECT_EQ(text, QString::fromUtf8("现在闹钟为启动状态，确定要退出吗？"));
    EXPECT_EQ(icon, c.icon);
    std::vector<QString> expected = c.buttons;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(buttons, expected);
  }
}

TEST(QtConvertTest, FiltersBecomeQtFilters) {
  const struct {
    const char* filter;
    const char* qt;
  } cases[] = {
      {"声音文件(*.mp3;*.wav)|*.mp3;*.wav", "声音文件(*.mp3;*.wav) (*.mp3 *.wav)"},
      {"列表文件|*.List|所有文件|*.*", "列表文件 (*.List);;所有文件 (*.*)"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(FromQ(ToQtFilter(c.filter)), c.qt);
  }
}

TEST(QtConvertTest, DateTimesGoBothWaysToTheMillisecond) {
  const struct {
    TDateTime value;
    QDate date;
    QTime time;
  } cases[] = {
      {0, {1899, 12, 30}, {0, 0}},
      {EncodeDate(2006, 1, 18) + EncodeTime(21, 15, 7, 250), {2006, 1, 18}, {21, 15, 7, 250}},
      {EncodeDate(2024, 2, 29), {2024, 2, 29}, {0, 0}},
      {EncodeDate(2006, 1, 18) + 0.9999999999, {2006, 1, 19}, {0, 0}},  // rounds into the next day
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
    EXPECT_EQ(ToQDate(c.value), c.date);
    EXPECT_EQ(ToQTime(c.value), c.time);
    EXPECT_NEAR(FromQDateTime(QDateTime(c.date, c.time)), c.value, 0.5 / kMsPerDay);
  }
}

TEST(QtConvertTest, PicturesKeepTheirStraightAlpha) {
  TBitmap picture{2, 1, {0x80FF0000u, 0x00000000u}};
  QImage image = ToImage(picture);
  ASSERT_EQ(image.size(), QSize(2, 1));
  EXPECT_EQ(image.pixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0);
  EXPECT_TRUE(ToImage(TBitmap{}).isNull());
  EXPECT_FALSE(ToColor(clWindowText).has_value());
  EXPECT_EQ(ToColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToColor(clBlue), QColor(0, 0, 255));
}

TEST_F(QtDialogsTest, FileDialogsStartWhereAskedAndLeaveTheCurrentDirectoryAlone) {
  const std::string folder = Root() + "/prog";
  std::FILE* file = std::fopen((folder + "/闹钟.List").c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  const std::string cwd = std::filesystem::current_path().string();

  const struct {
    FileDialogKind kind;
    const char* chosen;
  } cases[] = {{FileDialogKind::Open, "闹钟.List"}, {FileDialogKind::Save, "新的"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    TFileDialog dialog(nullptr, "dialog", c.kind);
    dialog.Filter = "列表文件(*.List)|*.List|所有文件|*.*";
    dialog.InitialDir = folder;
    dialog.FileName = folder + "/闹钟.List";
    QStringList filters, shown;
    QString directory, preselected;
    bool confirmsOverwrite = true;
    QTimer::singleShot(200, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QFileDialog*>(w); box && box->isVisible()) {
          filters = box->nameFilters();
          auto* types = box->findChild<QComboBox*>("fileTypeCombo");
          for (int i = 0; types && i < types->count(); ++i) shown << types->itemText(i);
          directory = box->directory().absolutePath();
          auto* name = box->findChild<QLineEdit*>("fileNameEdit");
          preselected = name->text();
          confirmsOverwrite = !box->testOption(QFileDialog::DontConfirmOverwrite);
          name->setText(QString::fromUtf8(c.chosen));  // typed by the user
          QMetaObject::invokeMethod(box, "accept");  // as the dialog's own OK button does
        }
    });
    ASSERT_TRUE(Ui().ExecuteFileDialog(dialog));
    EXPECT_EQ(filters, QString::fromUtf8("列表文件(*.List) (*.List);;所有文件 (*.*)").split(";;"));
    EXPECT_EQ(shown, QString::fromUtf8("列表文件(*.List);;所有文件").split(";;")) << "each description once";
    EXPECT_EQ(directory, Q(folder));
    EXPECT_EQ(preselected, QString::fromUtf8("闹钟.List"));
    EXPECT_EQ(dialog.FileName, folder + "/" + c.chosen) << "no suffix is added";
    if (c.kind == FileDialogKind::Save) {
      EXPECT_FALSE(confirmsOverwrite);
    }
    EXPECT_EQ(std::filesystem::current_path().string(), cwd);
  }
}

// Dates, sizes and kinds of entry in Chinese, whatever the locale variables say (the tests run
// under C.UTF-8); the variables themselves are left as they were for the programs we start.
TEST_F(QtDialogsTest, FileDialogsSpeakChineseWhateverTheLocaleVariablesSay) {
  EXPECT_EQ(QLocale::system().name(), QStringLiteral("zh_CN"));
  EXPECT_EQ(StartVariable("LC_ALL"), kLcAllAtStart);
  EXPECT_EQ(StartVariable("LANGUAGE"), kLanguageAtStart);

  const std::string folder = Root() + "/prog";
  std::filesystem::create_directories(folder + "/铃声");
  std::ofstream(folder + "/small.List") << std::string(100, 'x');
  TFileDialog dialog(nullptr, "dialog", FileDialogKind::Open);
  dialog.Filter = "列表文件(*.List)|*.List";
  dialog.InitialDir = folder;
  std::map<QString, QStringList> rows;
  QTimer::singleShot(200, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QFileDialog*>(w); box && box->isVisible()) {
        auto* tree = box->findChild<QTreeView*>("treeView");
        RunUntil([&] { return tree->model()->rowCount(tree->rootIndex()) == 2; }, 5000);
        const QAbstractItemModel* model = tree->model();
        for (int r = 0; r < model->rowCount(tree->rootIndex()); ++r) {
          QStringList cells;
          for (int c = 1; c < 4; ++c) cells << model->index(r, c, tree->rootIndex()).data().toString();
          rows[model->index(r, 0, tree->rootIndex()).data().toString()] = cells;
        }
        box->reject();
      }
  });
  EXPECT_FALSE(Ui().ExecuteFileDialog(dialog));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[QString::fromUtf8("铃声")].value(1), QString::fromUtf8("文件夹"));
  EXPECT_EQ(rows[QStringLiteral("small.List")].value(0), QString::fromUtf8("100 字节"));
  const QRegularExpression latinLetters(QStringLiteral("[A-Za-z]"));
  for (const auto& [name, cells] : rows)
    EXPECT_FALSE(cells.value(2).contains(latinLetters)) << name.toStdString() << ": " << cells.value(2).toStdString();
}

// Message boxes and file dialogs.
#include "platform/qt/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/qt/QtConvert.h"
#include "platform/vcl/Dialogs.h"

namespace {

constexpr int kButtonMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int MB_OKCANCEL = 0x01;
constexpr int MB_YESNOCANCEL = 0x03;

QMessageBox::Icon IconOf(int flags) {
  switch (flags & kIconMask) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsOf(int flags) {
  switch (flags & kButtonMask) {
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

// Set by hand as well, so no English word shows even where the translations are missing.
void NameButtons(QMessageBox& box) {
  const struct {
    QMessageBox::StandardButton button;
    const char* text;
  } names[] = {{QMessageBox::Ok, "确定"}, {QMessageBox::Yes, "是"}, {QMessageBox::No, "否"},
               {QMessageBox::Cancel, "取消"}};
  for (const auto& name : names)
    if (QAbstractButton* b = box.button(name.button)) b->setText(QString::fromUtf8(name.text));
}

// Qt's Chinese catalogue of this release leaves these file-dialog words in English.
class MissingTranslations : public QTranslator {
 public:
  explicit MissingTranslations(QObject* parent) : QTranslator(parent) {}
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    static const struct {
      const char* context;
      const char* source;
      const char* text;
    } words[] = {{"QAbstractFileIconProvider", "Folder", "文件夹"},
                 {"QAbstractFileIconProvider", "Drive", "驱动器"},
                 {"QAbstractFileIconProvider", "Shortcut", "快捷方式"},
                 {"QAbstractFileIconProvider", "Unknown", "未知"}};
    for (const auto& word : words)
      if (std::strcmp(context, word.context) == 0 && std::strcmp(source, word.source) == 0)
        return QString::fromUtf8(word.text);
    return QString();  // the next catalogue answers
  }
};

}  // namespace

int ShowMessageBox(const MessageBoxRequest& request, QWidget* owner) {
  QMessageBox box(IconOf(request.Flags), ToQ(request.Caption), ToQ(request.Text), ButtonsOf(request.Flags), owner);
  box.setTextFormat(Qt::PlainText);
  box.setObjectName(QStringLiteral("MessageBox"));
  NameButtons(box);
  if (owner) box.setWindowModality(Qt::WindowModal);
  switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
  }
}

bool RunFileDialog(TFileDialog& dialog, QWidget* owner) {
  QFileDialog box(owner);
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  // The list shows each filter's own description, as the program wrote it; the patterns that
  // Qt needs beside it stay out of sight.
  box.setOption(QFileDialog::HideNameFilterDetails, true);
  box.setNameFilters(ToQtFilter(dialog.Filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
  QString before = ToQ(dialog.FileName);
  QString folder = ToQ(dialog.InitialDir);
  if (folder.isEmpty() && !before.isEmpty()) folder = QFileInfo(before).absolutePath();
  if (!folder.isEmpty()) box.setDirectory(folder);
  if (dialog.Kind() == FileDialogKind::Save) {
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    box.setWindowTitle(QString::fromUtf8("另存为"));
  } else {
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::ExistingFile);
    box.setWindowTitle(QString::fromUtf8("打开"));
  }
  if (!before.isEmpty()) box.selectFile(QFileInfo(before).fileName());
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  dialog.FileName = FromQ(box.selectedFiles().constFirst());
  return true;
}

void InstallChineseTranslations() {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : {"qtbase_zh_CN"}) {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QString::fromLatin1(name), folder))
      QCoreApplication::installTranslator(translator);
    else
      delete translator;
  }
  QCoreApplication::installTranslator(new MissingTranslations(qApp));
}

void WithChineseSystemLocale(const std::function<void()>& start) {
  // Qt reads these once, when its system locale is first asked for.
  const char* const names[] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LC_MESSAGES", "LANG", "LANGUAGE"};
  std::optional<std::string> saved[std::size(names)];
  for (std::size_t i = 0; i < std::size(names); ++i)
    if (const char* value = std::getenv(names[i])) saved[i] = value;
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  setenv("LANGUAGE", "zh_CN", 1);
  start();
  (void)QLocale::system();
  for (std::size_t i = 0; i < std::size(names); ++i)
    if (saved[i])
      setenv(names[i], saved[i]->c_str(), 1);
    else
      unsetenv(names[i]);
  std::setlocale(LC_ALL, "");  // the application set it from the borrowed variables
}

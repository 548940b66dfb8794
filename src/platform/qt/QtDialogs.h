// Message boxes and the open and save dialogs on Qt, with Chinese texts throughout.
#pragma once

#include <QString>
#include <functional>

#include "platform/vcl/Backend.h"

class QWidget;
class TFileDialog;

// Modal with a nested message loop (timers go on firing); returns IDOK, IDYES, IDNO, IDCANCEL.
int ShowMessageBox(const MessageBoxRequest& request, QWidget* owner);
// Modal; on OK stores the chosen path in dialog.FileName. Leaves the current directory alone.
bool RunFileDialog(TFileDialog& dialog, QWidget* owner);

// Loads Qt's own Chinese texts (the file dialog's, the calendar's) into the application, and
// the few its catalogue lacks (the kinds of entry in the file dialog).
void InstallChineseTranslations();
// Runs `start`, which creates the QApplication, with the locale variables naming zh_CN, so
// that Qt's system locale (the file dialog's dates and sizes) is Chinese whatever LANG says.
// The C library's locale and the environment that child processes inherit stay the user's.
void WithChineseSystemLocale(const std::function<void()>& start);

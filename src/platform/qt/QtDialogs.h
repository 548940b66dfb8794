// Message boxes and the open and save dialogs on Qt, with Chinese texts throughout.
#pragma once

#include <QString>

#include "platform/vcl/Backend.h"

class QWidget;
class TFileDialog;

// Modal with a nested message loop (timers go on firing); returns IDOK, IDYES, IDNO, IDCANCEL.
int ShowMessageBox(const MessageBoxRequest& request, QWidget* owner);
// Modal; on OK stores the chosen path in dialog.FileName. Leaves the current directory alone.
bool RunFileDialog(TFileDialog& dialog, QWidget* owner);

// Loads Qt's own Chinese texts (the file dialog's, the calendar's) into the application.
void InstallChineseTranslations();

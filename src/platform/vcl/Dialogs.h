// Message boxes and the open and save file dialogs.
#pragma once

#include <string>

#include "platform/vcl/Component.h"

// Message box flags and answers, with their usual values.
enum : int {
  MB_OK = 0x00,
  MB_YESNO = 0x04,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

enum class FileDialogKind { Open, Save };

class TFileDialog : public TComponent {
 public:
  TFileDialog(TComponent* owner, std::string name, FileDialogKind kind)
      : TComponent(owner, std::move(name)), kind_(kind) {}
  FileDialogKind Kind() const { return kind_; }
  // "description|pattern[;pattern]|description|pattern…"
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
  // Shows the dialog; on OK, FileName holds the chosen path.
  bool Execute();

 private:
  FileDialogKind kind_;
};

class TOpenDialog : public TFileDialog {
 public:
  TOpenDialog(TComponent* owner, std::string name) : TFileDialog(owner, std::move(name), FileDialogKind::Open) {}
};

class TSaveDialog : public TFileDialog {
 public:
  TSaveDialog(TComponent* owner, std::string name) : TFileDialog(owner, std::move(name), FileDialogKind::Save) {}
};

// The program's folder as the application knows it, turned into the places of its files.
#include "app/FilePlaces.h"

#include "platform/os/FileLayout.h"
#include "platform/vcl/Forms.h"

namespace {

FileLayout CurrentLayout() {
  FolderFacts facts = SystemFolderFacts();
  if (WritableCheck()) facts.Writable = WritableCheck();
  return DecideFileLayout(Application->ProgramDir, facts);
}

}  // namespace

std::function<bool(const std::string&)>& WritableCheck() {
  static std::function<bool(const std::string&)> check;
  return check;
}

std::string WriteDir() {
  FileLayout layout = CurrentLayout();
  if (layout.PerUser) MakePerUserFolder(layout.WriteDir);
  return layout.WriteDir;
}

std::string SoundDir() { return CurrentLayout().SoundDir; }

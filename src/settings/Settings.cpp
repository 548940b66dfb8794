// The three stored settings (Log_CHK, Zdbs, Date), their mirrors and the auto-save switch.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/os/Registry.h"

namespace {

const char* const kSettingsKey = ".DEFAULT\\Software\\Korvelund\\Tamiro";

// Inside SaveDate's reload. A key that SaveDate could write but the reload
// cannot open would otherwise bounce between the two for ever.
int saveDateDepth = 0;

}  // namespace

void TFrm_Tamiro::WatchSettingsStore() {
  // Told in a box once the window is up (posted, so never in the middle of a read), as the
  // settings then start afresh; the box needs nothing of the window that may be gone by then.
  TRegistry::OnStoreSetAside = [](const std::string&, const std::string& keptAs) {
    if (!Application) return;
    Application->GetBackend().Post([keptAs] {
      if (!Application) return;
      Application->MessageBox(Application->MainForm,
                              "保存设置的文件已损坏，无法读取，已改名保留为：\r\n" + keptAs +
                                  "\r\n设置已恢复为首次运行时的状态。",
                              "设置文件损坏", MB_OK | MB_ICONWARNING);
    });
  };
}

void TFrm_Tamiro::LoadSettings() {
  TRegistry registry(RootKey::HKEY_USERS);
  if (!registry.OpenKey(kSettingsKey, OpenMode::ExistingOnly)) {
    if (saveDateDepth == 0) SaveDate();
    return;
  }
  LogChkValue = registry.ReadString("Log_CHK");
  ZdbsValue = registry.ReadString("Zdbs");
  DateValue = registry.ReadString("Date");
  if (DateValue.empty()) {
    DateValue = DateToStr(LogDay);
    SaveDate();
    WriteDayHeader(LogVariant::CreateIfMissing);
  }
  if (LogChkValue == "false") {
    CheckBox_Log->SetChecked(false);
  } else if (LogChkValue.empty()) {
    LogChkValue = "falses";  // never stored: the box keeps its design tick
  } else {
    CheckBox_Log->SetChecked(true);
    LogChkValue = "true";
  }
  registry.CloseKey();
}

void TFrm_Tamiro::SaveSettings() {
  TRegistry registry(RootKey::HKEY_USERS);
  registry.OpenKey(kSettingsKey, OpenMode::CreateIfMissing);
  if (LogChkValue.empty()) LogChkValue = "false";
  registry.WriteString("Log_CHK", LogChkValue);
  if (ZdbsValue.empty()) ZdbsValue = "false";
  registry.WriteString("Zdbs", ZdbsValue);
  registry.CloseKey();
}

void TFrm_Tamiro::SaveDate() {
  TRegistry registry(RootKey::HKEY_USERS);
  registry.OpenKey(kSettingsKey, OpenMode::CreateIfMissing);
  registry.WriteString("Date", DateValue);
  ++saveDateDepth;
  try {
    LoadSettings();
  } catch (...) {
    --saveDateDepth;
    throw;
  }
  --saveDateDepth;
  registry.CloseKey();
}

void TFrm_Tamiro::CheckBox_LogChange(TObject*) {
  LogChkValue = CheckBox_Log->Checked() ? "true" : "false";
  SaveSettings();
}

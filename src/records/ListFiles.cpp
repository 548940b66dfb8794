// Record-list files: the whole list saved as one "[row]" section per record, and loaded back.
#include <cstddef>
#include <string>
#include <vector>

#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"
#include "records/AlarmRecord.h"

namespace {

const char* const kListFilter = "Velora记录列表(*.List)|*.List";
const char* const kReplaceQuestion =
    "列表中已有记录，请问是否覆盖？\r\n（选＂是＂即覆盖原有记录，选＂否＂即在原有记录后追加）";

// The name the list is written under. A name whose fifth character from the end
// is a full stop already has a four-character extension (".List" among them) and
// is kept; any other gets ".List". Characters are code points, so a Chinese name
// is judged like a Latin one. A name too short to have a fifth character from the
// end is judged by its first one.
std::string ListFileName(const std::string& name) {
  std::size_t judged = CharStartFromEnd(name, 5).value_or(0);
  return name[judged] == '.' ? name : name + ".List";
}

// Lets go of the list-file reader however the load ends, an error included.
struct ListIniRelease {
  ~ListIniRelease() { ListIni.reset(); }
};

}  // namespace

void TFrm_Tamiro::Btn_List_SaveClick(TObject*) {
  if (List_Tamiro->Count() == 0) {
    Application->MessageBox(this, "列表中没有记录！", "无记录", MB_OK | MB_ICONINFORMATION);
    return;
  }
  SaveDialog_Tamiro->Filter = kListFilter;
  SaveDialog_Tamiro->InitialDir = WriteDir();
  // Composed afresh each time, so a cancelled or failed save leaves nothing behind for the next.
  std::vector<std::string> lines;
  for (int i = 0; i < List_Tamiro->Count(); ++i) AlarmRecord::FromRow(*List_Tamiro->Item(i)).AddListLines(lines, i);
  Memo_Save->Lines.Assign(std::move(lines));
  if (!SaveDialog_Tamiro->Execute() || SaveDialog_Tamiro->FileName.empty()) return;
  std::string path = ListFileName(SaveDialog_Tamiro->FileName);
  SaveLines(path, Memo_Save->Lines.Items());
  AppendLogLine("记录列表已保存，路径＂" + path + "＂", LogVariant::CreateIfMissing);
  SaveDialog_Tamiro->FileName.clear();
  Memo_Save->Lines.Clear();
}

void TFrm_Tamiro::Btn_List_OpenClick(TObject*) {
  const int existing = List_Tamiro->Count();
  OpenDialog_Tamiro->Filter = kListFilter;
  OpenDialog_Tamiro->InitialDir = WriteDir();
  if (!OpenDialog_Tamiro->Execute() || OpenDialog_Tamiro->FileName.empty()) return;

  ListIniRelease release;
  ListIni = std::make_unique<TIniFile>(OpenDialog_Tamiro->FileName);
  std::vector<std::string> sections = ListIni->ReadSections();
  List_Box->Items.Assign(sections);

  if (existing > 0 &&
      Application->MessageBox(this, kReplaceQuestion, "选择", MB_YESNO | MB_ICONINFORMATION) == IDYES) {
    Btn_Clear->Click();
  }

  // Every section is one row whatever its name; a missing key reads as empty. The file is
  // checked once for all these reads, not once per key.
  TIniFile::ReadPass pass(*ListIni);
  for (const std::string& section : sections)
    AlarmRecord::FromListSection(*ListIni, section).ToRow(*List_Tamiro->Add());
  RecordCount += static_cast<int>(sections.size());

  ListIni.reset();
  ReleaseFreedMemory();
  AppendLogLine("已成功读取数据至记录列表,共读入 " + IntToStr(static_cast<long long>(sections.size())) + " 条记录",
                LogVariant::CreateIfMissing);
}

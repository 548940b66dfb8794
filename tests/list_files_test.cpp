// Record-list files: saving the list ("保存"), loading it back ("读取"), the file's bytes and the name rule.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "TamiroFixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kFilter = "Velora记录列表(*.List)|*.List";
const std::string kQuestion =
    "列表中已有记录，请问是否覆盖？\r\n（选＂是＂即覆盖原有记录，选＂否＂即在原有记录后追加）";
const std::string kCleared = "已清空了列表．";
std::string ReadMessage(int count) { return "已成功读取数据至记录列表,共读入 " + std::to_string(count) + " 条记录"; }

using Cells = std::vector<std::string>;  // caption, ring mode, event, sound

class ListFilesTest : public TamiroTest {
 protected:
  void Save(std::optional<std::string> chosen) {
    Ui().AnswerFileDialog(std::move(chosen));
    F().Btn_List_Save->UserClick();
  }
  void Open(std::optional<std::string> chosen) {
    Ui().AnswerFileDialog(std::move(chosen));
    F().Btn_List_Open->UserClick();
  }
  std::vector<Cells> Rows() {
    std::vector<Cells> rows;
    for (int i = 0; i < F().List_Tamiro->Count(); ++i) rows.push_back(RowCells(i));
    return rows;
  }
  std::vector<bool> Ticks() {
    std::vector<bool> ticks;
    for (int i = 0; i < F().List_Tamiro->Count(); ++i) ticks.push_back(F().List_Tamiro->Item(i)->Checked());
    return ticks;
  }
  // The log messages written after the first `skip` ones.
  std::vector<std::string> MessagesAfter(size_t skip) {
    auto all = LogMessages();
    return {all.begin() + static_cast<long>(std::min(skip, all.size())), all.end()};
  }
  static std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // Lines as the file holds them: GBK, each ended by CR LF.
  static std::string FileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return Gbk(text);
  }
  void ExpectDialog(size_t index, FileDialogKind kind, const std::string& nameBefore) {
    ASSERT_LT(index, Ui().Dialogs.size());
    const auto& use = Ui().Dialogs[index];
    EXPECT_EQ(use.Kind, kind);
    EXPECT_EQ(use.Filter, kFilter);
    EXPECT_EQ(use.InitialDir, ProgramDir());
    EXPECT_EQ(use.FileNameBefore, nameBefore);
  }
};

// Two rows, the first ticked, over an existing file: twelve GBK lines, the log line, the dialog reset.
TEST_F(ListFilesTest, SaveWritesSixLinesPerRowInRowOrder) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-05 07:00:05", "只响一次", "去上班", "D:\\铃声\\起床.mp3", true);
  AddRow("22:30:00", "周末", "", "", false);
  const std::string path = WorkDir() + "/我的闹钟.List";
  WriteBytes(path, "old contents that are replaced without a question\r\n");
  size_t before = LogMessages().size();
  std::string logBefore = LogBytes();

  Save(path);

  EXPECT_EQ(FileBytes(path), FileText({"[0]", "FDatetime=2026-03-05 07:00:05", "FNxfs=只响一次", "FShijian=去上班",
                                       "FNzls=D:\\铃声\\起床.mp3", "FChecked=true", "[1]", "FDatetime=22:30:00",
                                       "FNxfs=周末", "FShijian=", "FNzls=", "FChecked=false"}));
  const std::string message = "记录列表已保存，路径＂" + path + "＂";
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{message});
  EXPECT_EQ(LogBytes(), logBefore + Gbk("[2026-03-02 08:15:30] " + message + "\r\n"));
  ExpectDialog(0, FileDialogKind::Save, "");
  EXPECT_EQ(F().SaveDialog_Tamiro->FileName, "") << "the next save starts with an empty name";
  EXPECT_EQ(F().Memo_Save->Lines.Count(), 0);
  EXPECT_EQ(Rows().size(), 2u) << "saving leaves the list alone";
  EXPECT_TRUE(Ui().Boxes.empty());
  EXPECT_EQ(fs::current_path(), fs::path(WorkDir())) << "the dialog does not move the current directory";
}

// A cancel, an empty name and a failed write leave nothing behind; the next save holds the rows of its moment, once.
TEST_F(ListFilesTest, OnlyACompletedSaveWritesAndEachSaveComposesTheRowsAfresh) {
  StartAt("2026-03-02 08:15:30");
  AddRow("06:00:00", "每天都响", "起床", "a.mp3", true);
  AddRow("07:00:00", "周一到五", "去上课", "b.mp3");
  size_t before = LogMessages().size();

  Save(std::nullopt);
  Save("");
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{});
  EXPECT_EQ(FilesIn(WorkDir()), std::vector<std::string>{"Tamiro.Log"});

  // A folder that does not exist: the default report, no log line, the text kept for a look.
  const std::string unwritable = WorkDir() + "/missing/x";
  Ui().AnswerBox(IDOK);
  Save(unwritable);
  ExpectBox(0, "Cannot create file \"" + unwritable + ".List\". No such file or directory", kApplicationTitle,
            MB_OK | MB_ICONERROR);
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{});
  EXPECT_EQ(F().Memo_Save->Lines.Count(), 12);
  EXPECT_EQ(F().SaveDialog_Tamiro->FileName, unwritable);
  EXPECT_FALSE(fs::exists(WorkDir() + "/missing"));

  F().List_Tamiro->UserCheck(0, false);
  AddRow("08:00:00", "周末");
  const std::string path = WorkDir() + "/three.List";
  Save(path);
  EXPECT_EQ(FileBytes(path), FileText({"[0]", "FDatetime=06:00:00", "FNxfs=每天都响", "FShijian=起床", "FNzls=a.mp3",
                                       "FChecked=false", "[1]", "FDatetime=07:00:00", "FNxfs=周一到五",
                                       "FShijian=去上课", "FNzls=b.mp3", "FChecked=false", "[2]",
                                       "FDatetime=08:00:00", "FNxfs=周末", "FShijian=", "FNzls=",
                                       "FChecked=false"}));
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{"记录列表已保存，路径＂" + path + "＂"});
  EXPECT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Dialogs.size(), 4u);
}

// Names are judged by characters, not bytes, from the current directory the process started in.
TEST_F(ListFilesTest, TheSaveNameGetsListUnlessItsFifthCharacterFromTheEndIsAFullStop) {
  StartAt("2026-03-02 08:15:30");
  AddRow("06:00:00", "每天都响");
  struct Case {
    std::string chosen, written;
  } cases[] = {
      {"x", "x.List"},
      {"x.List", "x.List"},
      {"x.abcd", "x.abcd"},
      {"x.txt", "x.txt.List"},
      {"x.文件名称", "x.文件名称"},  // four characters but twelve bytes after the full stop
      {"闹钟.mp3", "闹钟.mp3.List"},
      {"notes.", "notes..List"},
      // Too short to have a fifth character from the end: the first one decides.
      {"abcd", "abcd.List"},
      {"a.bc", "a.bc.List"},
      {".abc", ".abc"},
      {"列表", "列表.List"},
  };
  const std::string expected = FileText({"[0]", "FDatetime=06:00:00", "FNxfs=每天都响", "FShijian=", "FNzls=",
                                         "FChecked=false"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    Save(c.chosen);
    EXPECT_EQ(FileBytes(WorkDir() + "/" + c.written), expected);
    EXPECT_EQ(LogMessages().back(), "记录列表已保存，路径＂" + c.written + "＂");
    if (c.written != c.chosen) {
      EXPECT_FALSE(fs::exists(WorkDir() + "/" + c.chosen));
    }
    fs::remove(WorkDir() + "/" + c.written);
  }
  EXPECT_TRUE(Ui().Boxes.empty());
}

// Save, load into an empty list, save again: the same bytes; an add then takes the next row whole.
TEST_F(ListFilesTest, ASavedListLoadsBackAsItWasAndTheNextAddFollowsIt) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-05 07:00:05", "只响一次", "提醒=带伞=雨衣", "D:\\铃声\\起床.mp3", true);
  AddRow("12:00:00", "每天都响", "", "", false);
  AddRow("22:30:00", "周末", "睡觉", "/home/u/夜.wav", true);
  const std::string first = WorkDir() + "/first.List";
  Save(first);
  F().Btn_Clear->UserClick();
  ASSERT_EQ(RecordCount, 0);
  size_t before = LogMessages().size();

  Open(first);
  EXPECT_EQ(Rows(), (std::vector<Cells>{{"2026-03-05 07:00:05", "只响一次", "提醒=带伞=雨衣", "D:\\铃声\\起床.mp3"},
                                        {"12:00:00", "每天都响", "", ""},
                                        {"22:30:00", "周末", "睡觉", "/home/u/夜.wav"}}));
  EXPECT_EQ(Ticks(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(RecordCount, 3);
  EXPECT_EQ(F().List_Box->Items.Items(), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(ListIni, nullptr) << "the reader is let go when the load ends";
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{ReadMessage(3)});
  EXPECT_TRUE(Ui().Boxes.empty()) << "an empty list asks nothing";
  ExpectDialog(1, FileDialogKind::Open, "");
  EXPECT_EQ(F().OpenDialog_Tamiro->FileName, first) << "the open dialog keeps its name";

  const std::string second = WorkDir() + "/second.List";
  Save(second);
  EXPECT_EQ(FileBytes(second), FileBytes(first));

  F().sRadioButton1->UserClick();
  F().DateTime_Time->UserSetDateTime(TimeOf(Moment("2000-01-01 09:30:00")));
  F().Btn_Add->UserClick();
  ASSERT_EQ(F().List_Tamiro->Count(), 4);
  EXPECT_EQ(RowCells(3), (Cells{"09:30:00", "每天都响", "", ProgramDir() + "nl.mp3"}));
  EXPECT_EQ(RecordCount, 4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RowCells(i).size(), 4u) << "row " << i;

  // The next Open starts from the name chosen last time.
  Open(std::nullopt);
  ExpectDialog(3, FileDialogKind::Open, first);
  EXPECT_EQ(F().List_Tamiro->Count(), 4);
}

// A list that has rows asks whether to replace them; the question comes even for a file with nothing in it.
TEST_F(ListFilesTest, OpeningIntoAListWithRowsReplacesOnYesAndAppendsOnNo) {
  const std::string three = FileText({"[0]", "FDatetime=06:00:00", "FNxfs=每天都响", "FChecked=true", "[1]",
                                      "FDatetime=07:00:00", "FNxfs=周末", "FChecked=true", "[2]",
                                      "FDatetime=08:00:00", "FNxfs=周一到五", "FChecked=true"});
  const std::vector<Cells> loaded{{"06:00:00", "每天都响", "", ""}, {"07:00:00", "周末", "", ""},
                                  {"08:00:00", "周一到五", "", ""}};
  const std::vector<Cells> kept{{"10:00:00", "每天都响", "去约会", "x.mp3"}, {"11:00:00", "周末", "", "y.mp3"}};
  struct Case {
    const char* name;
    std::string file;  // bytes, or empty for no file at all
    int answer;
    std::vector<Cells> rows;
    std::vector<std::string> messages;
    bool allTicked;
  } cases[] = {
      {"three records, No", three, IDNO, {kept[0], kept[1], loaded[0], loaded[1], loaded[2]}, {ReadMessage(3)}, false},
      {"three records, Yes", three, IDYES, loaded, {kCleared, ReadMessage(3)}, true},
      {"missing file, No", "", IDNO, kept, {ReadMessage(0)}, false},
      {"no sections, Yes", Gbk("FChecked=true\r\n"), IDYES, {}, {kCleared, ReadMessage(0)}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartAt("2026-03-02 08:15:30");
    const std::string path = WorkDir() + "/list.List";
    fs::remove(path);
    if (!c.file.empty()) WriteBytes(path, c.file);
    for (const auto& row : kept) AddRow(row[0], row[1], row[2], row[3]);
    size_t before = LogMessages().size();

    Ui().AnswerBox(c.answer);
    Open(path);

    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectBox(0, kQuestion, "选择", MB_YESNO | MB_ICONINFORMATION);
    EXPECT_EQ(Rows(), c.rows);
    EXPECT_EQ(RecordCount, F().List_Tamiro->Count());
    EXPECT_EQ(MessagesAfter(before), c.messages);
    EXPECT_EQ(F().Chk_Qx->Checked(), c.allTicked);
    EXPECT_EQ(ListIni, nullptr);
    Quit();
  }
}

// Any ini text loads: one row per section in file order whatever its name, keys in any case,
// a missing key empty, and a tick only for exactly "true".
TEST_F(ListFilesTest, EachSectionLoadsAsOneRowWhateverItsNameAndKeys) {
  StartAt("2026-03-02 08:15:30");
  const std::string path = ProgramDir() + "hand made.List";
  WriteBytes(path, FileText({"[b]", "fdatetime=07:00:00", "FNXFS=每天都响", "fShiJian=起床", "fnzls=C:\\a.mp3",
                             "FCHECKED=true", "[7]", "FDatetime=08:00:00", "FChecked=True", "[x]", "FChecked=TRUE",
                             "[empty]", "[y]", "FChecked=yes", "[z]", "FChecked=", "[w]", "FDatetime=09:00:00",
                             "FChecked=true"}));
  struct Expected {
    Cells cells;
    bool ticked;
  } expected[] = {
      {{"07:00:00", "每天都响", "起床", "C:\\a.mp3"}, true},
      {{"08:00:00", "", "", ""}, false},
      {{"", "", "", ""}, false},
      {{"", "", "", ""}, false},
      {{"", "", "", ""}, false},
      {{"", "", "", ""}, false},
      {{"09:00:00", "", "", ""}, true},
  };
  Open(path);
  ASSERT_EQ(F().List_Tamiro->Count(), static_cast<int>(std::size(expected)));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(RowCells(static_cast<int>(i)), expected[i].cells);
    EXPECT_EQ(F().List_Tamiro->Item(static_cast<int>(i))->Checked(), expected[i].ticked);
  }
  EXPECT_EQ(F().List_Box->Items.Items(), (std::vector<std::string>{"b", "7", "x", "empty", "y", "z", "w"}));
  EXPECT_EQ(RecordCount, 7);
  EXPECT_EQ(LogMessages().back(), ReadMessage(7));
}

// Nothing to save, nothing chosen to open, or a missing file into an empty list.
TEST_F(ListFilesTest, EmptyListsAndUnchosenFilesChangeNothing) {
  StartAt("2026-03-02 08:15:30");
  size_t before = LogMessages().size();
  Ui().AnswerBox(IDOK);
  F().Btn_List_Save->UserClick();
  ExpectBox(0, "列表中没有记录！", "无记录", MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(Ui().Dialogs.empty()) << "no dialog for an empty list";

  Open(std::nullopt);
  Open("");
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{});
  EXPECT_EQ(F().List_Box->Items.Count(), 0);

  Open(WorkDir() + "/nowhere.List");
  EXPECT_EQ(F().List_Tamiro->Count(), 0);
  EXPECT_EQ(RecordCount, 0);
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{ReadMessage(0)});
  EXPECT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_FALSE(fs::exists(WorkDir() + "/nowhere.List")) << "reading creates no file";
}

// A file that is no GBK ends the load with the default report, which names the file;
// the list and the log stay as they were.
TEST_F(ListFilesTest, AFileThatIsNoGbkIsReportedByName) {
  StartAt("2026-03-02 08:15:30");
  AddRow("08:00:00", "每天都响");
  size_t before = LogMessages().size();
  const std::string path = WorkDir() + "/坏的.List";
  const std::string good = FileText({"[0]", "FDatetime=09:00:00", "FNxfs=每天都响", "FShijian=喝水"});
  WriteBytes(path, good + "FNzls=\xAE");
  Ui().AnswerBox(IDOK);
  Open(path);
  ExpectBox(0, "Invalid GBK byte 0xAE at offset " + std::to_string(good.size() + 6) + " in file \"" + path + "\"",
            kApplicationTitle, MB_OK | MB_ICONERROR);
  EXPECT_EQ(Rows(), (std::vector<Cells>{{"08:00:00", "每天都响", "", ""}}));
  EXPECT_EQ(MessagesAfter(before), std::vector<std::string>{});
  EXPECT_FALSE(ListIni) << "the reader is let go";
}

}  // namespace

// Cost of the real main window on the Qt backend (offscreen platform): loading record-list
// files of growing size, arming and ticking a long schedule, clearing, ticking all and
// deleting in a long list, and the memory a long list takes.
//
// Every timed action counts until the window has handled what the action left pending and
// painted the list again: the time the user would see the window frozen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "BenchFolder.h"
#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"
#include "records/AlarmRecord.h"

namespace {

namespace fs = std::filesystem;

// The real backend with its dialogs answered: the open dialog picks the file set here and
// every message box answers Yes (the replace question of "读取").
class BenchBackend : public QtBackend {
 public:
  using QtBackend::QtBackend;
  std::string NextFile;
  int UnexpectedBoxes = 0;
  bool ExecuteFileDialog(TFileDialog& dialog) override {
    dialog.FileName = NextFile;
    return true;
  }
  int MessageBox(const MessageBoxRequest& request) override {
    if (request.Caption != "选择") {
      ++UnexpectedBoxes;
      std::fprintf(stderr, "unexpected message box: %s\n", request.Text.c_str());
    }
    return IDYES;
  }
};

BenchBackend* ui = nullptr;

// A temporary folder for the whole run: program, work and settings folders and the
// generated record-list files, one per size.
class Scratch {
 public:
  std::string ProgramDir() const { return folder_.ProgramDir(); }

  // Every-day records, all ticked, at a time of day half a day away, so none rings while
  // the benchmark runs.
  const std::string& ListFile(int rows) {
    auto it = lists_.find(rows);
    if (it != lists_.end()) return it->second;
    std::string path = (folder_.Root() / ("records" + std::to_string(rows) + ".List")).string();
    ReplaceFileBytes(path, Utf8ToGbk(ListText(rows)), SyncMode::LeaveToSystem);
    return lists_.emplace(rows, path).first->second;
  }

  // Ten records, the fifth with an event text of that many bytes.
  const std::string& HugeCellFile(int bytes) {
    auto it = huge_.find(bytes);
    if (it != huge_.end()) return it->second;
    std::string path = (folder_.Root() / ("huge" + std::to_string(bytes) + ".List")).string();
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i) {
      AlarmRecord record = QuietRecord(i);
      record.Event = i == 4 ? std::string(static_cast<std::size_t>(bytes), 'x') : std::string("起床");
      record.AddListLines(lines, i);
    }
    ReplaceFileBytes(path, Utf8ToGbk(FileText(lines)), SyncMode::LeaveToSystem);
    return huge_.emplace(bytes, path).first->second;
  }

  static std::string QuietTime() { return FormatDateTime("HH:NN:SS", ui->Now() + 0.5); }
  // The record of row `index`: every day, ticked, at a quiet time.
  static AlarmRecord QuietRecord(int index, const std::string& time = QuietTime()) {
    return AlarmRecord{time, RingMode::kEveryDay, "提醒：喝水，休息一下！第" + std::to_string(index) + "条",
                       "/home/user/声音/nl.mp3", true};
  }

 private:
  static std::string ListText(int rows) {
    const std::string time = QuietTime();
    std::vector<std::string> lines;
    for (int i = 0; i < rows; ++i) QuietRecord(i, time).AddListLines(lines, i);
    return FileText(lines);
  }
  // Lines as "保存" writes them, each ended by CR LF.
  static std::string FileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
  }

  BenchFolder folder_{"qt_window_bench"};
  std::map<int, std::string> lists_;
  std::map<int, std::string> huge_;
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

// Resident memory of the process, in bytes.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The main window as the program shows it, in a fresh application. Rows given here are put
// into the list before the window is built, so a benchmark of something else does not pay
// for loading them row by row.
class Window {
 public:
  explicit Window(int prefilledRows = 0) {
    TXaudioPlayer::SetEngineLoader(std::make_shared<VirtualEngineLoader>());
    process_ = std::make_unique<TamiroProcess>(*ui, TheScratch().ProgramDir());
    form_ = &process_->StartWindow([prefilledRows](TFrm_Tamiro& form) {
      const std::string time = Scratch::QuietTime();
      for (int i = 0; i < prefilledRows; ++i) Scratch::QuietRecord(i, time).ToRow(*form.List_Tamiro->Add());
    });
    RecordCount = prefilledRows;
    Settle();
  }
  ~Window() {
    process_->EndWindow();
    process_.reset();
    QCoreApplication::processEvents();
    TXaudioPlayer::SetEngineLoader(nullptr);
  }
  TFrm_Tamiro& Form() { return *form_; }

  // Handles what is pending, then paints the list.
  void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (auto* view = qobject_cast<QAbstractScrollArea*>(ui->WidgetOf(*form_->List_Tamiro)))
      view->viewport()->repaint();
  }

  // "读取" of a record-list file, replacing the rows when there are any.
  void Open(int rows) {
    ui->NextFile = TheScratch().ListFile(rows);
    form_->Btn_List_OpenClick(form_->Btn_List_Open);
    Settle();
  }

 private:
  std::unique_ptr<TamiroProcess> process_;
  TFrm_Tamiro* form_ = nullptr;
};

void PerRow(benchmark::State& state, long long rows) {
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["per_row"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// "读取" of a file of that many records into an empty list.
void BM_QtListOpen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TheScratch().ListFile(rows);
  Window window;
  TFrm_Tamiro& f = window.Form();
  for (auto _ : state) {
    window.Open(rows);
    state.PauseTiming();
    if (f.List_Tamiro->Count() != rows) state.SkipWithError("rows not loaded");
    f.List_Tamiro->Clear();
    RecordCount = 0;
    window.Settle();
    state.ResumeTiming();
  }
  PerRow(state, rows);
}

// "读取" of a file whose one cell is very long: the row keeps it, the list shows it cut.
void BM_QtListOpenHugeCell(benchmark::State& state) {
  const int bytes = static_cast<int>(state.range(0));
  const std::string& file = TheScratch().HugeCellFile(bytes);
  Window window;
  TFrm_Tamiro& f = window.Form();
  for (auto _ : state) {
    ui->NextFile = file;
    f.Btn_List_OpenClick(f.Btn_List_Open);
    window.Settle();
    state.PauseTiming();
    if (f.List_Tamiro->Count() != 10 || f.List_Tamiro->Item(4)->SubItems[1].size() != static_cast<std::size_t>(bytes))
      state.SkipWithError("the long cell was not loaded whole");
    f.List_Tamiro->Clear();
    RecordCount = 0;
    window.Settle();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

// "启动" with every row ticked: the schedule file is written key by key.
void BM_QtScheduleStart(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Window window(rows);
  TFrm_Tamiro& f = window.Form();
  for (auto _ : state) {
    f.Btn_StartClick(f.Btn_Start);
    window.Settle();
    state.PauseTiming();
    if (ActiveCount != rows) state.SkipWithError("rows not armed");
    f.Btn_StopClick(f.Btn_Stop);
    window.Settle();
    state.ResumeTiming();
  }
  PerRow(state, rows);
}

// One alarm tick with every row armed and none ringing, the clock read as the program reads it.
void BM_QtAlarmTick(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Window window(rows);
  TFrm_Tamiro& f = window.Form();
  f.Btn_StartClick(f.Btn_Start);
  for (auto _ : state) f.Time_NzTimer(f.Time_Nz);
  if (f.List_Box->Items.Count() != rows) state.SkipWithError("schedule not read");
  f.Btn_StopClick(f.Btn_Stop);
  PerRow(state, rows);
}

// One read and parse of the schedule file that "启动" writes for that many rows: the yardstick
// for the tick.
void BM_QtScheduleParse(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Window window(rows);
  TFrm_Tamiro& f = window.Form();
  f.Btn_StartClick(f.Btn_Start);
  const std::string path = ScheduleIni->FileName();
  for (auto _ : state) benchmark::DoNotOptimize(TIniFile(path).ReadSections());
  f.Btn_StopClick(f.Btn_Stop);
  PerRow(state, rows);
}

// "清空" of a long list.
void BM_QtClear(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<Window>(rows);
    TFrm_Tamiro& f = window->Form();
    state.ResumeTiming();
    f.Btn_ClearClick(f.Btn_Clear);
    window->Settle();
    state.PauseTiming();
    if (f.List_Tamiro->Count() != 0) state.SkipWithError("not cleared");
    window.reset();
    state.ResumeTiming();
  }
  PerRow(state, rows);
}

// "全选" clicked by the user: every row unticked, then every row ticked, by turns.
void BM_QtTickAll(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Window window(rows);
  TFrm_Tamiro& f = window.Form();
  window.Settle();
  for (auto _ : state) {
    f.Chk_Qx->UserToggle();
    window.Settle();
  }
  if (f.Chk_Qx->Checked() != f.List_Tamiro->Item(0)->Checked()) state.SkipWithError("全选 out of step");
  PerRow(state, rows);
}

// "删除" of the first row, the one that moves every other.
void BM_QtDeleteRow(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Window window(rows);
  TFrm_Tamiro& f = window.Form();
  for (auto _ : state) {
    f.List_Tamiro->UserSelect(0);
    f.Btn_delClick(f.Btn_del);
    window.Settle();
  }
  if (f.List_Tamiro->Count() != rows - state.iterations()) state.SkipWithError("rows not deleted");
}

// Resident memory after "读取" of a file of that many records, beside the file's size.
void BM_QtResidentMemory(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string& file = TheScratch().ListFile(rows);
  double before = 0, after = 0;
  for (auto _ : state) {
    Window window;
    window.Settle();
    before = ResidentBytes();
    window.Open(rows);
    after = ResidentBytes();
  }
  const double mb = 1024.0 * 1024.0;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / mb;
  state.counters["rss_before_MB"] = before / mb;
  state.counters["rss_after_MB"] = after / mb;
  state.counters["growth_per_file_byte"] = (after - before) / static_cast<double>(fs::file_size(file));
}

BENCHMARK(BM_QtListOpen)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtListOpenHugeCell)->Arg(1 << 20)->Arg(50 << 20)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtScheduleStart)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtAlarmTick)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtScheduleParse)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtClear)->Arg(1000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtTickAll)->Arg(1000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtDeleteRow)->Arg(1000)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtResidentMemory)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static char name[] = "tamiro_qt_bench";
  static char* qtArgv[] = {name, nullptr};
  ui = new BenchBackend(1, qtArgv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete ui;
  ui = nullptr;
  return 0;
}

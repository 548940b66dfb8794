// Cost of one alarm tick of the real window on the headless backend, against
// schedules of growing size whose records never ring, beside one parse of the
// same schedule file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "BenchFolder.h"
#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"
#include "records/AlarmRecord.h"

namespace {

// An armed every-day record at 21:15:00, which never rings on a morning.
AlarmRecord QuietRecord() {
  return AlarmRecord{"21:15:00", RingMode::kEveryDay, "提醒：喝水，休息一下！", "/home/user/声音/nl.mp3", true};
}

// A temporary folder for the whole run: the program, work and settings
// folders, and one schedule file per size, written once.
class Scratch {
 public:
  std::string ProgramDir() const { return folder_.ProgramDir(); }

  // Quiet records, as Start writes them.
  const std::string& Schedule(int records) {
    auto it = schedules_.find(records);
    if (it != schedules_.end()) return it->second;
    const AlarmRecord record = QuietRecord();
    std::string text;
    for (int i = 0; i < records; ++i) {
      text += "[" + std::to_string(i) + "]\r\n";
      for (const auto& field : record.Fields()) text += field.Key + "=" + field.Value + "\r\n";
    }
    std::string path = ProgramDir() + "tamiro" + std::to_string(records) + ".ini";
    ReplaceFileBytes(path, Utf8ToGbk(text), SyncMode::LeaveToSystem);
    return schedules_.emplace(records, path).first->second;
  }

 private:
  BenchFolder folder_{"alarm_tick_bench"};
  std::map<int, std::string> schedules_;
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

// The main window as a fresh process on a Monday morning, with a schedule
// started. Made and destroyed inside each benchmark run, because the text
// converters it needs for its farewell line are gone by the time statics die.
class Window {
 public:
  explicit Window(int records) {
    backend_ = std::make_unique<HeadlessBackend>(EncodeDate(2026, 3, 2) + EncodeTime(8, 15, 30));
    backend_->OnUnscriptedBox = [](const HeadlessBackend::Box& box) {
      std::fprintf(stderr, "unexpected message box: %s\n", box.Text.c_str());
    };
    TXaudioPlayer::SetEngineLoader(std::make_shared<VirtualEngineLoader>());
    process_ = std::make_unique<TamiroProcess>(*backend_, TheScratch().ProgramDir());
    form_ = &process_->StartWindow();
    ScheduleIni = std::make_unique<TIniFile>(TheScratch().Schedule(records));
    ActiveCount = records;
    AlarmState = "Start";
  }
  ~Window() {
    process_->EndWindow();
    process_.reset();
    backend_.reset();
    TXaudioPlayer::SetEngineLoader(nullptr);
  }
  TFrm_Tamiro& Form() { return *form_; }

 private:
  std::unique_ptr<HeadlessBackend> backend_;
  std::unique_ptr<TamiroProcess> process_;
  TFrm_Tamiro* form_ = nullptr;
};

// One run of the alarm timer's handler.
void BM_AlarmTick(benchmark::State& state) {
  Window window(static_cast<int>(state.range(0)));
  for (auto _ : state) window.Form().Time_NzTimer(window.Form().Time_Nz);
  if (window.Form().List_Box->Items.Count() != state.range(0)) state.SkipWithError("schedule not read");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One read and parse of the same file by a fresh reader.
void BM_AlarmTickScheduleParse(benchmark::State& state) {
  const std::string& path = TheScratch().Schedule(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TIniFile(path).ReadSections());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// "启动" with that many ticked rows: the schedule file is written key by key.
void BM_ScheduleStart(benchmark::State& state) {
  Window window(0);
  TFrm_Tamiro& f = window.Form();
  for (int i = 0; i < state.range(0); ++i) QuietRecord().ToRow(*f.List_Tamiro->Add());
  for (auto _ : state) {
    f.Btn_StartClick(f.Btn_Start);
    f.Btn_StopClick(f.Btn_Stop);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ScheduleStart)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlarmTick)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlarmTickScheduleParse)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

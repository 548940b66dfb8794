// Cost of one alarm tick's reading of the schedule file: the section list and
// four keys of every section, with a kept reader (alone and in a pass) and with a fresh one per tick.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/rtl/IniFile.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

namespace fs = std::filesystem;

// One schedule file per size, written once and removed at exit.
class ScheduleFiles {
 public:
  ~ScheduleFiles() {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  const std::string& For(int sections) {
    auto it = paths_.find(sections);
    if (it != paths_.end()) return it->second;
    if (dir_.empty()) {
      std::string pattern = (fs::temp_directory_path() / "ini_bench_XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp dir");
      dir_ = pattern;
    }
    std::string text;
    for (int i = 0; i < sections; ++i) {
      text += "[" + std::to_string(i) + "]\r\n";
      text += "FNxfs=每天都响\r\nFShijian=提醒：喝水，休息一下！\r\n";
      text += "FNzls=/home/user/声音/nl.mp3\r\nFDatetime=2006-01-18 21:15:00\r\n";
    }
    std::string path = (dir_ / ("tamiro" + std::to_string(sections) + ".ini")).string();
    ReplaceFileBytes(path, Utf8ToGbk(text), SyncMode::LeaveToSystem);
    return paths_.emplace(sections, path).first->second;
  }

 private:
  fs::path dir_;
  std::map<int, std::string> paths_;
};

ScheduleFiles& Files() {
  static ScheduleFiles files;
  return files;
}

void ReadTick(const TIniFile& ini, benchmark::State& state) {
  for (const std::string& section : ini.ReadSections()) {
    benchmark::DoNotOptimize(ini.ReadString(section, "FNxfs"));
    benchmark::DoNotOptimize(ini.ReadString(section, "FShijian"));
    benchmark::DoNotOptimize(ini.ReadString(section, "FNzls"));
    benchmark::DoNotOptimize(ini.ReadString(section, "FDatetime"));
  }
}

// The reader lives across ticks, as the schedule file object does.
void BM_TickKeptReader(benchmark::State& state) {
  TIniFile ini(Files().For(static_cast<int>(state.range(0))));
  for (auto _ : state) ReadTick(ini, state);
  state.SetItemsProcessed(state.iterations() * state.range(0) * 4);
}

// As the alarm tick reads: the kept reader inside one pass, which checks the file once.
void BM_TickInPass(benchmark::State& state) {
  TIniFile ini(Files().For(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    TIniFile::ReadPass pass(ini);
    ReadTick(ini, state);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 4);
}

// A reader made for each tick pays one parse.
void BM_TickFreshReader(benchmark::State& state) {
  const std::string& path = Files().For(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TIniFile ini(path);
    ReadTick(ini, state);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 4);
}

// One parse alone: what a tick would cost if the file were read only once.
void BM_OneParse(benchmark::State& state) {
  const std::string& path = Files().For(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TIniFile(path).ReadSections());
}

BENCHMARK(BM_OneParse)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickKeptReader)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickInPass)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickFreshReader)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

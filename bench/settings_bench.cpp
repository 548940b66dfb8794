// Cost of the settings store when its file has grown large: the main window's start-up
// (which reads the settings) and one toggle of the log switch (which writes them), on the
// headless backend, with 30,000 values in the file beside the program's own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchFolder.h"
#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

namespace fs = std::filesystem;

enum Shape { kOneKey = 0, kManyKeys = 1 };

// A store file holding the program's key and `values` more: all in one key of their own,
// or one value in each of that many keys.
std::string StoreText(int values, Shape shape) {
  std::string text = "REGEDIT4\r\n\r\n";
  text += "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n";
  text += "\"Log_CHK\"=\"true\"\r\n\"Zdbs\"=\"false\"\r\n\"Date\"=\"2026-3-2\"\r\n\r\n";
  if (shape == kOneKey) text += "[HKEY_USERS\\.DEFAULT\\Software\\Other\\Big]\r\n";
  for (int i = 0; i < values; ++i) {
    if (shape == kManyKeys) text += "[HKEY_USERS\\.DEFAULT\\Software\\Other\\Key" + std::to_string(i) + "]\r\n";
    text += "\"Value" + std::to_string(i) + "\"=\"文本" + std::to_string(i) + "\"\r\n";
    if (shape == kManyKeys) text += "\r\n";
  }
  return text;
}

// Start-up of the main window (which reads the store), and with a third argument of 1 one
// toggle of "自动保存日志" after it (which writes the store).
void BM_SettingsStartUp(benchmark::State& state) {
  const int values = static_cast<int>(state.range(0));
  const Shape shape = static_cast<Shape>(state.range(1));
  const bool toggle = state.range(2) != 0;
  const BenchFolder folder("settings_bench");
  fs::create_directories(folder.Root() / "config/tamiro");
  const std::string store = (folder.Root() / "config/tamiro/HKEY_USERS.reg").string();
  const std::string bytes = Utf8ToGbk(StoreText(values, shape));

  for (auto _ : state) {
    state.PauseTiming();
    ReplaceFileBytes(store, bytes, SyncMode::LeaveToSystem);
    auto backend = std::make_unique<HeadlessBackend>(EncodeDate(2026, 3, 2) + EncodeTime(8, 15, 30));
    TXaudioPlayer::SetEngineLoader(std::make_shared<VirtualEngineLoader>());
    auto process = std::make_unique<TamiroProcess>(*backend, folder.ProgramDir());
    // Only the start-up is timed, not the building of the window.
    TFrm_Tamiro* form = &process->StartWindow([&](TFrm_Tamiro&) { state.ResumeTiming(); });
    if (toggle) {
      form->CheckBox_Log->SetChecked(!form->CheckBox_Log->Checked());
      form->CheckBox_LogChange(form->CheckBox_Log);
    }

    state.PauseTiming();
    if (LogChkValue != (toggle ? "false" : "true")) state.SkipWithError("the switch was not read or stored");
    process->EndWindow();
    process.reset();
    backend.reset();
    TXaudioPlayer::SetEngineLoader(nullptr);
    state.ResumeTiming();
  }
}

BENCHMARK(BM_SettingsStartUp)
    ->Args({0, kOneKey, 0})
    ->Args({30000, kOneKey, 0})
    ->Args({30000, kManyKeys, 0})
    ->Args({0, kOneKey, 1})
    ->Args({3000, kOneKey, 1})
    ->Args({3000, kManyKeys, 1})
    ->Args({30000, kOneKey, 1})
    ->Args({30000, kManyKeys, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

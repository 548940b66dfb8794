// What playing costs: the process's CPU share while an MP3 plays on the silent
// output, and the delay from Play to the first samples handed to the output.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/SndfileEngine.h"
#include "platform/audio/XaudioPlayer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A stereo 44.1 kHz MP3 of `seconds`, made once per run in a temporary folder.
class BenchSound {
 public:
  explicit BenchSound(double seconds) {
    std::string pattern = (fs::temp_directory_path() / "tamiro-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    path_ = (dir_ / "bell.mp3").string();
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path_.c_str(), SFM_WRITE, &info);
    std::vector<float> samples(static_cast<size_t>(seconds * 44100) * 2);
    // A 660 Hz tone struck once a second, so the encoder has something to work on.
    for (size_t i = 0; i < samples.size(); ++i) {
      double frame = static_cast<double>(i / 2);
      samples[i] = static_cast<float>(0.4 * std::sin(frame * 2 * 3.14159265 * 660 / 44100) *
                                      std::exp(-std::fmod(frame, 44100) / 20000));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
    sf_close(file);
  }
  ~BenchSound() { fs::remove_all(dir_); }
  const std::string& Path() const { return path_; }

 private:
  fs::path dir_;
  std::string path_;
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU used by the whole process (the idle bench thread adds nothing) per second of playing.
void BM_PlayingMp3CpuShare(benchmark::State& state) {
  BenchSound sound(4.0);
  TXaudioPlayer::SetEngineLoader(
      std::make_shared<BuiltinEngineLoader>(SndfileEngineOptions{SndfileEngineOptions::Output::Silent, {}}));
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    TXaudioPlayer player(nullptr, "XaudioPlayer1");
    player.Post = [](std::function<void()> work) { work(); };
    player.OnNotifyInputTimecode = [](TObject*, uint8_t, uint8_t, uint8_t, uint8_t) {};
    double cpu0 = ProcessCpuSeconds();
    Clock::time_point t0 = Clock::now();
    player.Open(sound.Path());
    player.Play();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    cpu += ProcessCpuSeconds() - cpu0;
    wall += std::chrono::duration<double>(Clock::now() - t0).count();
  }
  TXaudioPlayer::SetEngineLoader(nullptr);
  state.counters["cpu_percent"] = 100 * cpu / wall;
}
BENCHMARK(BM_PlayingMp3CpuShare)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Time from Play to the first write, the input already opened.
void BM_PlayToFirstWrite(benchmark::State& state) {
  BenchSound sound(1.0);
  std::mutex mutex;
  std::condition_variable written;
  bool wrote = false;
  Clock::time_point wroteAt;
  SndfileEngineOptions options{SndfileEngineOptions::Output::Silent, [&] {
                                 std::lock_guard lock(mutex);
                                 wroteAt = Clock::now();
                                 wrote = true;
                                 written.notify_one();
                               }};
  SndfileEngine engine(options);
  struct OpenedSink : EngineSink {
    std::mutex* mutex;
    std::condition_variable* cv;
    bool opened = false;
    void StreamDuration(uint32_t) override {
      std::lock_guard lock(*mutex);
      opened = true;
      cv->notify_one();
    }
    void InputTimecode(uint8_t, uint8_t, uint8_t, uint8_t) override {}
  } sink;
  sink.mutex = &mutex;
  sink.cv = &written;
  engine.SetSink(&sink);
  for (auto _ : state) {
    std::unique_lock lock(mutex);
    sink.opened = wrote = false;
    lock.unlock();
    engine.Open(sound.Path());
    lock.lock();
    written.wait(lock, [&] { return sink.opened; });
    lock.unlock();
    Clock::time_point t0 = Clock::now();
    engine.Play();
    lock.lock();
    written.wait(lock, [&] { return wrote; });
    state.SetIterationTime(std::chrono::duration<double>(wroteAt - t0).count());
  }
  engine.Stop();
}
BENCHMARK(BM_PlayToFirstWrite)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

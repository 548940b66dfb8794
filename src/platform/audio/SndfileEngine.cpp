// The playing thread: a queue of commands from the user-interface thread, the
// decoder, the output and the reports of length and position.
#include "platform/audio/SndfileEngine.h"

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/audio/PulseOutput.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::duration FramesToTime(int64_t frames, int rate) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(frames * 1'000'000'000LL / rate));
}

void SaySilentOnce(const std::string& reason) {
  static std::atomic<bool> said{false};
  if (!said.exchange(true)) std::fprintf(stderr, "Tamiro: no sound server (%s); sounds play silently\n", reason.c_str());
}

}  // namespace

struct SndfileEngine::Impl {
  enum class Kind { Open, Play, Pause, Stop, Quit };
  struct Command {
    Kind kind;
    std::string path;
  };
  // Ready: an input is open and halted (freshly opened or paused). Draining: all
  // frames are handed over and the last of them is still being heard.
  enum class State { Idle, Ready, Playing, Draining };

  explicit Impl(SndfileEngineOptions o) : options(std::move(o)) {}

  void Send(Command command) {
    {
      std::lock_guard lock(mutex);
      queue.push_back(std::move(command));
    }
    wake.notify_one();
  }

  void Run();
  void Handle(const Command& command, EngineSink* sink);
  void OpenInput(const std::string& path, EngineSink* sink);
  void CloseInput();
  void ChooseOutput();
  void WriteChunk(EngineSink* sink);
  void EnterDrain();

  const SndfileEngineOptions options;

  // Shared with the user-interface thread.
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Command> queue;
  EngineSink* sink = nullptr;
  std::thread worker;

  // The engine's thread alone from here on.
  State state = State::Idle;
  SNDFILE* file = nullptr;
  int rate = 0;
  int channels = 0;
  int64_t totalFrames = 0;
  int64_t framesOut = 0;  // handed to the output since the open
  int64_t framesReported = 0;
  std::unique_ptr<PulseOutput> pulse;
  bool silent = true;
  // Silent pacing: the frames handed over at `anchor` were `anchorFrames`.
  Clock::time_point anchor;
  int64_t anchorFrames = 0;
  Clock::time_point nextWrite;
  Clock::time_point drainEnd;
  bool firstWritePending = false;
  std::vector<float> buffer;
};

void SndfileEngine::Impl::Run() {
  for (;;) {
    Command command{Kind::Quit, {}};
    bool haveCommand = false;
    EngineSink* reportTo = nullptr;
    {
      std::unique_lock lock(mutex);
      auto pending = [this] { return !queue.empty(); };
      if (state == State::Playing && silent)
        wake.wait_until(lock, nextWrite, pending);
      else if (state == State::Draining)
        wake.wait_until(lock, drainEnd, pending);
      else if (state != State::Playing)
        wake.wait(lock, pending);
      // Playing to the server needs no wait: its write blocks at the pace of the sound.
      if (!queue.empty()) {
        command = std::move(queue.front());
        queue.pop_front();
        haveCommand = true;
      }
      reportTo = sink;
    }
    if (haveCommand) {
      if (command.kind == Kind::Quit) break;
      Handle(command, reportTo);
    } else if (state == State::Playing) {
      WriteChunk(reportTo);
    } else if (state == State::Draining) {
      // The end: one last position that reads exactly as the length.
      Timecode end = TimecodeOfFrames(totalFrames, rate);
      CloseInput();
      state = State::Idle;
      if (reportTo) reportTo->InputTimecode(end.Hours, end.Minutes, end.Seconds, end.Fractions);
    }
  }
  CloseInput();
  pulse.reset();
}

void SndfileEngine::Impl::Handle(const Command& command, EngineSink* sink) {
  switch (command.kind) {
    case Kind::Open:
      OpenInput(command.path, sink);
      break;
    case Kind::Play:
      if (state != State::Ready) break;
      state = State::Playing;
      anchor = nextWrite = Clock::now();
      anchorFrames = framesOut;
      firstWritePending = true;
      break;
    case Kind::Pause:
      if (state == State::Playing || state == State::Draining) state = State::Ready;
      break;
    case Kind::Stop:
      CloseInput();
      state = State::Idle;
      break;
    case Kind::Quit:
      break;
  }
}

void SndfileEngine::Impl::OpenInput(const std::string& path, EngineSink* sink) {
  CloseInput();
  state = State::Idle;
  SF_INFO info{};
  file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return;
  if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) {
    CloseInput();
    return;
  }
  rate = info.samplerate;
  channels = info.channels;
  totalFrames = info.frames;
  framesOut = framesReported = 0;
  ChooseOutput();
  state = State::Ready;
  if (sink) sink->StreamDuration(DurationOfFrames(totalFrames, rate));
}

void SndfileEngine::Impl::CloseInput() {
  if (pulse) pulse->Flush();
  if (file) sf_close(file);
  file = nullptr;
}

void SndfileEngine::Impl::ChooseOutput() {
  if (options.output == SndfileEngineOptions::Output::Silent) {
    silent = true;
    return;
  }
  if (pulse && pulse->Rate() == rate && pulse->Channels() == channels) {
    silent = false;
    return;
  }
  pulse.reset();
  std::string reason;
  pulse = PulseOutput::Connect(rate, channels, &reason);
  silent = !pulse;
  if (silent) SaySilentOnce(reason);
}

void SndfileEngine::Impl::WriteChunk(EngineSink* sink) {
  // About 50 ms per write. An MP3 without a length header has only an
  // estimated length, so playing goes on to the last decoded frame.
  const int64_t want = std::max(1, rate / 20);
  buffer.resize(static_cast<size_t>(want * channels));
  sf_count_t got = sf_readf_float(file, buffer.data(), want);
  if (got <= 0) {
    EnterDrain();
    return;
  }
  if (!silent) {
    std::string reason;
    if (!pulse->Write(buffer.data(), static_cast<size_t>(got), &reason)) {
      // The server went away: go on silently from here.
      SaySilentOnce(reason);
      pulse.reset();
      silent = true;
      anchor = Clock::now();
      anchorFrames = framesOut;
    }
  }
  framesOut += got;
  if (firstWritePending) {
    firstWritePending = false;
    if (options.onFirstWrite) options.onFirstWrite();
  }
  nextWrite = anchor + FramesToTime(framesOut - anchorFrames, rate);
  // Positions stay below the reported length; only the end reads as the length.
  if (framesOut < totalFrames && framesOut - framesReported >= rate / 10) {
    framesReported = framesOut;
    Timecode t = TimecodeOfFrames(framesOut, rate);
    if (sink) sink->InputTimecode(t.Hours, t.Minutes, t.Seconds, t.Fractions);
  }
}

void SndfileEngine::Impl::EnterDrain() {
  state = State::Draining;
  if (silent)
    drainEnd = anchor + FramesToTime(framesOut - anchorFrames, rate);
  else
    drainEnd = Clock::now() + std::chrono::microseconds(pulse->LatencyMicros());
}

SndfileEngine::SndfileEngine(SndfileEngineOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  impl_->worker = std::thread([impl = impl_.get()] { impl->Run(); });
}

SndfileEngine::~SndfileEngine() {
  impl_->Send({Impl::Kind::Quit, {}});
  impl_->worker.join();
}

void SndfileEngine::SetSink(EngineSink* sink) {
  std::lock_guard lock(impl_->mutex);
  impl_->sink = sink;
}

void SndfileEngine::Open(const std::string& path) { impl_->Send({Impl::Kind::Open, path}); }
void SndfileEngine::Play() { impl_->Send({Impl::Kind::Play, {}}); }
void SndfileEngine::Pause() { impl_->Send({Impl::Kind::Pause, {}}); }
void SndfileEngine::Stop() { impl_->Send({Impl::Kind::Stop, {}}); }

std::shared_ptr<EngineLoader> BuiltinEngineLoader::Shared() {
  static std::shared_ptr<EngineLoader> loader = std::make_shared<BuiltinEngineLoader>();
  return loader;
}

std::unique_ptr<AudioEngine> BuiltinEngineLoader::CreatePlayer() {
  try {
    return std::make_unique<SndfileEngine>(options_);
  } catch (const std::system_error&) {
    return nullptr;
  }
}

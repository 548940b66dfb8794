// The audio player: length and position reports, pause, replacing and stopping
// an input, unplayable files and load failures, over the real engine on its
// silent output and over the virtual-clock engine.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/SndfileEngine.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/rtl/Exceptions.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One notification as the handlers received it.
struct Note {
  bool isDuration = false;
  uint32_t duration = 0;
  Timecode at;
  Clock::time_point when;
  std::string Hms() const {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", at.Hours, at.Minutes, at.Seconds);
    return text;
  }
  double Seconds() const { return at.Hours * 3600 + at.Minutes * 60 + at.Seconds + at.Fractions / 100.0; }
};

std::string HmsOfDuration(uint32_t d) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", d / 3600, d % 3600 / 60, d % 60);
  return text;
}

// Posted work waits here until the test drains it, as in a message loop.
class UiQueue {
 public:
  std::function<void(std::function<void()>)> Poster() {
    return [this](std::function<void()> work) {
      std::lock_guard lock(mutex_);
      work_.push_back(std::move(work));
    };
  }
  size_t Pending() {
    std::lock_guard lock(mutex_);
    return work_.size();
  }
  void Drain() {
    std::deque<std::function<void()>> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(work_);
    }
    for (auto& work : batch) work();
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> work_;
};

// Sound files of exact lengths, made in a folder of their own.
class SoundFiles {
 public:
  SoundFiles() : folder_("tamiro-audio"), dir_(folder_.Path()) {}
  const fs::path& Dir() const { return dir_; }

  std::string Tone(const std::string& name, int format, int rate, int channels, int64_t frames) {
    std::string path = (dir_ / name).string();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples(static_cast<size_t>(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
      samples[i] = 0.3f * static_cast<float>(std::sin(i / channels * 2 * 3.14159265 * 440 / rate));
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return path;
  }
  std::string Wav(const std::string& name, int rate, int64_t frames) {
    return Tone(name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, frames);
  }
  std::string Mp3(const std::string& name, int channels, int64_t frames) {
    return Tone(name, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, channels, frames);
  }
  // Named like a sound but holding none.
  std::string Garbage(const std::string& name) {
    std::string path = (dir_ / name).string();
    std::ofstream(path) << "RIFF....WAVEfmt this is no sound at all\r\n";
    return path;
  }

 private:
  TempFolder folder_;
  fs::path dir_;
};

// A player whose notifications are recorded when the test drains its queue.
class AudioPlayerTest : public ::testing::Test {
 protected:
  void UseLoader(std::shared_ptr<EngineLoader> loader) { TXaudioPlayer::SetEngineLoader(std::move(loader)); }
  void TearDown() override {
    player.reset();
    TXaudioPlayer::SetEngineLoader(nullptr);
  }
  void MakePlayer() {
    player = std::make_unique<TXaudioPlayer>(nullptr, "XaudioPlayer1");
    player->Post = ui.Poster();
    player->OnNotifyStreamDuration = [this](TObject* sender, uint32_t d) {
      EXPECT_EQ(sender, player.get());
      notes.push_back({true, d, {}, Clock::now()});
    };
    player->OnNotifyInputTimecode = [this](TObject* sender, uint8_t h, uint8_t m, uint8_t s, uint8_t f) {
      EXPECT_EQ(sender, player.get());
      notes.push_back({false, 0, {h, m, s, f}, Clock::now()});
    };
  }
  void RunFor(Clock::duration d) {
    for (auto end = Clock::now() + d; Clock::now() < end;) {
      ui.Drain();
      std::this_thread::sleep_for(5ms);
    }
    ui.Drain();
  }
  // Runs until a position satisfies `seen`; false on timeout.
  bool RunUntil(const std::function<bool(const Note&)>& seen, Clock::duration timeout = 5s) {
    for (auto end = Clock::now() + timeout; Clock::now() < end;) {
      ui.Drain();
      for (const Note& n : notes)
        if (!n.isDuration && seen(n)) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  bool RunUntilPosition(const std::string& hms) {
    return RunUntil([&](const Note& n) { return n.Hms() == hms; });
  }
  std::vector<uint32_t> Durations() const {
    std::vector<uint32_t> out;
    for (const Note& n : notes)
      if (n.isDuration) out.push_back(n.duration);
    return out;
  }
  std::vector<Note> Positions() const {
    std::vector<Note> out;
    for (const Note& n : notes)
      if (!n.isDuration) out.push_back(n);
    return out;
  }

  SoundFiles files;
  UiQueue ui;
  std::vector<Note> notes;
  std::unique_ptr<TXaudioPlayer> player;
};

// The real engine, kept off any sound device.
class RealAudioPlayerTest : public AudioPlayerTest {
 protected:
  void SetUp() override {
    UseLoader(std::make_shared<BuiltinEngineLoader>(SndfileEngineOptions{SndfileEngineOptions::Output::Silent, {}}));
    MakePlayer();
  }
};

TEST_F(RealAudioPlayerTest, PlaysEachFormatToItsEndWithTheLastPositionReadingAsTheLength) {
  struct Case {
    const char* name;
    int format, rate, channels;
    int64_t frames;
  } cases[] = {
      {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 27563},  // 1.25 s: the length rounds down
      {"b.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 44100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notes.clear();
    std::string path = files.Tone(c.name, c.format, c.rate, c.channels, c.frames);
    const double length = static_cast<double>(c.frames) / c.rate;
    const uint32_t whole = static_cast<uint32_t>(c.frames / c.rate);
    Clock::time_point started = Clock::now();
    player->Open(path);
    player->Play();
    // The end is the position of the very last frame.
    const int hundredths = static_cast<int>(c.frames % c.rate * 100 / c.rate);
    ASSERT_TRUE(RunUntil([&](const Note& n) { return n.at.Seconds == whole && n.at.Fractions == hundredths; }));
    const size_t endCount = notes.size();
    RunFor(300ms);
    EXPECT_EQ(notes.size(), endCount) << "positions after the end";

    ASSERT_FALSE(notes.empty());
    EXPECT_TRUE(notes.front().isDuration);
    EXPECT_EQ(Durations(), std::vector<uint32_t>{whole});
    std::vector<Note> positions = Positions();
    ASSERT_GE(positions.size(), static_cast<size_t>(5 * length));
    for (size_t i = 1; i < positions.size(); ++i) EXPECT_LE(positions[i - 1].Seconds(), positions[i].Seconds());
    const Note& last = positions.back();
    EXPECT_EQ(last.Hms(), HmsOfDuration(whole));
    // The end is reported when the sound has had its time, not when decoding ran out.
    EXPECT_GE(last.when - started, std::chrono::duration<double>(length - 0.06));
  }
}

TEST_F(RealAudioPlayerTest, PauseHoldsThePositionAndPlayResumesFromIt) {
  player->Open(files.Mp3("one.mp3", 1, 44100));
  Clock::time_point started = Clock::now();
  player->Play();
  RunFor(400ms);
  player->Pause();
  RunFor(100ms);  // what was under way before the pause
  const Note beforePause = Positions().back();
  const size_t heldCount = notes.size();
  RunFor(500ms);
  EXPECT_EQ(notes.size(), heldCount) << "positions while paused";

  player->Play();
  ASSERT_TRUE(RunUntilPosition("00:00:01"));
  EXPECT_EQ(Durations(), std::vector<uint32_t>{1}) << "resuming opens nothing again";
  const Note& resumed = notes[heldCount];
  EXPECT_GE(resumed.Seconds(), beforePause.Seconds());
  EXPECT_LE(resumed.Seconds(), beforePause.Seconds() + 0.2);
  // One second of sound plus the 0.6 s held.
  EXPECT_GE(Positions().back().when - started, 1500ms);
}

TEST_F(RealAudioPlayerTest, OpenReplacesAPlayingInputAtOnce) {
  player->Open(files.Wav("two.wav", 44100, 88200));
  player->Play();
  RunFor(300ms);
  player->Open(files.Mp3("one.mp3", 1, 44100));
  player->Play();
  ASSERT_TRUE(RunUntilPosition("00:00:01"));
  RunFor(200ms);

  EXPECT_EQ(Durations(), (std::vector<uint32_t>{2, 1}));
  auto second = std::find_if(notes.begin() + 1, notes.end(), [](const Note& n) { return n.isDuration; });
  ASSERT_NE(second + 1, notes.end());
  EXPECT_LE((second + 1)->Seconds(), 0.3) << "the new input starts at its beginning";
  for (const Note& n : notes) EXPECT_NE(n.Hms(), "00:00:02") << "the first input never reaches its end";
}

TEST_F(RealAudioPlayerTest, StopEndsPlayingAndPlayAloneDoesNotStartAgain) {
  player->Open(files.Wav("one.wav", 44100, 44100));
  player->Play();
  RunFor(300ms);
  player->Stop();
  player->Play();
  RunFor(100ms);
  const size_t stoppedCount = notes.size();
  RunFor(1s);
  EXPECT_EQ(notes.size(), stoppedCount);
  for (const Note& n : Positions()) EXPECT_EQ(n.at.Seconds, 0);
}

TEST_F(RealAudioPlayerTest, UnplayableInputIsSilentAndReplacesWhatPlayed) {
  for (std::string path : {files.Garbage("noise.mp3"), files.Garbage("noise.wav"), (files.Dir() / "gone.mp3").string(),
                           files.Dir().string()}) {
    SCOPED_TRACE(path);
    player->Open(path);
    player->Play();
    RunFor(150ms);
    EXPECT_TRUE(notes.empty());
  }

  player->Open(files.Wav("one.wav", 44100, 44100));
  player->Play();
  RunFor(200ms);
  player->Open(files.Garbage("noise.mp3"));
  player->Play();
  RunFor(100ms);
  const size_t silencedCount = notes.size();
  RunFor(900ms);
  EXPECT_EQ(notes.size(), silencedCount);
  EXPECT_EQ(Durations(), std::vector<uint32_t>{1});
}

TEST_F(RealAudioPlayerTest, NotificationsPostedBeforeDestructionAreNotDelivered) {
  int delivered = 0;
  player->OnNotifyInputTimecode = [&](TObject*, uint8_t, uint8_t, uint8_t, uint8_t) { ++delivered; };
  player->OnNotifyStreamDuration = [&](TObject*, uint32_t) { ++delivered; };
  player->Open(files.Wav("one.wav", 44100, 44100));
  player->Play();
  std::this_thread::sleep_for(300ms);
  player.reset();
  ASSERT_GT(ui.Pending(), 1u);
  ui.Drain();
  EXPECT_EQ(delivered, 0);
}

// Where no sound server answers, the program's own loader plays silently with the same reports.
TEST_F(AudioPlayerTest, WithoutASoundServerTheSoundPlaysSilentlyToItsEnd) {
  Clock::time_point started;
  bool ended = false;
  {
    ScopedEnv noServer("PULSE_SERVER", "unix:" + (files.Dir() / "no-server").string());
    UseLoader(nullptr);
    MakePlayer();
    player->Open(files.Wav("one.wav", 8000, 8000));
    started = Clock::now();
    player->Play();
    ended = RunUntilPosition("00:00:01");
  }

  ASSERT_TRUE(ended);
  EXPECT_EQ(Durations(), std::vector<uint32_t>{1});
  EXPECT_GE(Positions().size(), 5u);
  EXPECT_GE(Positions().back().when - started, 940ms);
}

// The virtual-clock engine: load failures, and plays that need no real time.
class VirtualAudioPlayerTest : public AudioPlayerTest {
 protected:
  void SetUp() override {
    UseLoader(loader);
    MakePlayer();
  }
  std::string FailureOf(const std::function<void()>& operation) {
    try {
      operation();
    } catch (const EXaudioException& e) {
      return e.what();
    }
    return "";
  }
  std::shared_ptr<VirtualEngineLoader> loader = std::make_shared<VirtualEngineLoader>();
};

TEST_F(VirtualAudioPlayerTest, EachFailedStepRaisesItsText) {
  struct Case {
    LoadStep step;
    EngineVersion reported;
    const char* path;
    const char* text;
  } cases[] = {
      {LoadStep::LoadLibrary, {}, "xaudio.dll", "Cannot Load Xaudio DLL (xaudio.dll)"},
      {LoadStep::LoadLibrary, {}, "C:\\lib\\x.dll", "Cannot Load Xaudio DLL (C:\\lib\\x.dll)"},
      {LoadStep::ApiVersion, {2, 1}, "xaudio.dll", "Xaudio DLL API Mismatch\rExpected 3.8, Got 2.1"},
      {LoadStep::ApiVersion, {3, 10}, "xaudio.dll", "Xaudio DLL API Mismatch\rExpected 3.8, Got 3.10"},
      {LoadStep::CreatePlayer, {}, "xaudio.dll", "Cannot Start Xaudio Player"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    loader->FailLoads(c.step, 1, c.reported);
    player->XaudioPath = c.path;
    EXPECT_EQ(FailureOf([&] { player->Play(); }), c.text);
  }
}

TEST_F(VirtualAudioPlayerTest, NothingLoadsBeforeTheFirstOperationAndEachOneRetriesUntilItWorks) {
  loader->FailLoads(LoadStep::LoadLibrary, 2);
  EXPECT_EQ(loader->LoadAttempts(), 0);
  std::string path = files.Wav("one.wav", 8000, 8000);
  EXPECT_EQ(FailureOf([&] { player->Open(path); }), "Cannot Load Xaudio DLL (xaudio.dll)");
  EXPECT_EQ(FailureOf([&] { player->Play(); }), "Cannot Load Xaudio DLL (xaudio.dll)");
  EXPECT_EQ(FailureOf([&] { player->Open(path); }), "");
  player->Stop();
  player->Open(path);
  EXPECT_EQ(loader->LoadAttempts(), 3) << "a loaded engine stays loaded";
  ui.Drain();
  EXPECT_EQ(Durations(), (std::vector<uint32_t>{1, 1}));
}

TEST_F(VirtualAudioPlayerTest, VirtualClockMovesPositionsDeterministically) {
  loader->OnClock(0);
  player->Open(files.Wav("a.wav", 8000, 10000));  // 1.25 s
  player->Play();
  for (int64_t t = 100; t <= 2000; t += 100) {
    loader->OnClock(t);
    if (t == 500) player->Pause();
    if (t == 800) player->Play();
  }
  ui.Drain();
  std::vector<std::string> seen;
  for (const Note& n : notes) {
    char text[32];
    if (n.isDuration)
      std::snprintf(text, sizeof text, "length %u", n.duration);
    else
      std::snprintf(text, sizeof text, "%s.%.2d", n.Hms().c_str(), n.at.Fractions);
    seen.push_back(text);
  }
  const std::vector<std::string> expected = {
      "length 1",    "00:00:00.10", "00:00:00.20", "00:00:00.30", "00:00:00.40", "00:00:00.50",  // paused 500..800
      "00:00:00.60", "00:00:00.70", "00:00:00.80", "00:00:00.90", "00:00:01.00", "00:00:01.10",
      "00:00:01.20", "00:00:01.25"};  // the end, then nothing
  EXPECT_EQ(seen, expected);
}

TEST_F(VirtualAudioPlayerTest, VirtualEngineIgnoresUnreadableFilesAndOtherLoadersClocks) {
  for (std::string path : {files.Garbage("noise.mp3"), (files.Dir() / "gone.wav").string()}) {
    SCOPED_TRACE(path);
    player->Open(path);
    player->Play();
    loader->OnClock(100);
    ui.Drain();
    EXPECT_TRUE(notes.empty());
    EXPECT_FALSE(loader->LastEngine()->Playing());
  }

  VirtualEngineLoader other;
  player->Open(files.Wav("a.wav", 8000, 8000));
  player->Play();
  other.OnClock(500);
  ui.Drain();
  EXPECT_EQ(Positions().size(), 0u);
}

TEST(AudioTimecodeTest, SplitsFramesIntoHoursMinutesSecondsAndHundredths) {
  struct Case {
    int64_t frames;
    int rate;
    Timecode expected;
    uint32_t duration;
  } cases[] = {
      {3725LL * 44100 + 22050, 44100, {1, 2, 5, 50}, 3725},
      {65 * 8000 + 7999, 8000, {0, 1, 5, 99}, 65},
      {44099, 44100, {0, 0, 0, 99}, 0},
      {0, 44100, {0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    Timecode t = TimecodeOfFrames(c.frames, c.rate);
    EXPECT_EQ(t.Hours, c.expected.Hours);
    EXPECT_EQ(t.Minutes, c.expected.Minutes);
    EXPECT_EQ(t.Seconds, c.expected.Seconds);
    EXPECT_EQ(t.Fractions, c.expected.Fractions);
    EXPECT_EQ(DurationOfFrames(c.frames, c.rate), c.duration);
  }
}

}  // namespace

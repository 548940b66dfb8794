// Ringing and the two sound previews: position texts, the rows' states, the
// end-of-stream watcher on the virtual clock, stop ringing and the reset.

#include <functional>
#include <vector>

#include "TamiroFixture.h"
#include "platform/audio/XaudioPlayer.h"

namespace {

// A silent mono WAV of exactly `ms` milliseconds at 8000 Hz.
enum class Row { Nl, Zd };
enum class Press { Play, Pause, Stop };

class RingingTest : public TamiroTest {
 protected:
  // A fresh process with both paths on long sounds, the clock known to the
  // engine, and the page "铃声设置" shown so that its buttons can be pressed.
  void Start() {
    StartAt("2026-03-02 08:15:30");
    F().nzls->SetText(WriteWav(ProgramDir() + "alarm.wav", 60000));
    F().zdls->SetText(WriteWav(ProgramDir() + "chime.wav", 60000));
    F().xz->UserSelectPage(1);
    Advance(100);
  }

  TButton* Play(Row r) { return r == Row::Nl ? F().nlplay : F().zdplay; }
  TButton* Pause(Row r) { return r == Row::Nl ? F().nlzt : F().zdzt; }
  TButton* Stop(Row r) { return r == Row::Nl ? F().nlstop : F().zdstop; }
  TEdit* Path(Row r) { return r == Row::Nl ? F().nzls : F().zdls; }
  TButton* Chooser(Row r) { return r == Row::Nl ? F().Btn_OpenNl : F().Btn_OpenZd; }
  TButton* Button(Row r, Press p) { return p == Press::Play ? Play(r) : p == Press::Pause ? Pause(r) : Stop(r); }

  // The row's state by its controls' enabled flags.
  std::string StateOf(Row r) {
    bool play = Play(r)->Enabled(), pause = Pause(r)->Enabled(), stop = Stop(r)->Enabled();
    bool edit = Path(r)->Enabled() && Chooser(r)->Enabled();
    bool editOff = !Path(r)->Enabled() && !Chooser(r)->Enabled();
    if (!pause && !stop && edit) return play ? "idle" : "idle, play off";
    if (!play && pause && stop && editOff) return "playing";
    if (play && !pause && stop && editOff) return "paused";
    return "mixed";
  }

  VirtualAudioEngine& Engine() {
    VirtualAudioEngine* engine = Sound().LastEngine();
    EXPECT_NE(engine, nullptr);
    return *engine;
  }

  // Advances in 50 ms steps until `done`, returning the time taken (or -1 after limitMs).
  int64_t AdvanceUntil(const std::function<bool()>& done, int64_t limitMs) {
    for (int64_t spent = 0; spent <= limitMs; spent += 50) {
      if (done()) return spent;
      Advance(50);
    }
    return -1;
  }
};

TEST_F(RingingTest, NotificationsHoldPositionAndLengthAsHhMmSs) {
  StartAt("2026-03-02 08:15:30");
  struct Case {
    uint32_t duration;
    const char* text;
  };
  for (const Case& c : std::vector<Case>{{3725, "01:02:05"}, {0, "00:00:00"}, {59, "00:00:59"},
                                         {3600, "01:00:00"}, {360000, "100:00:00"}}) {
    SCOPED_TRACE(c.duration);
    F().XaudioPlayer1NotifyStreamDuration(nullptr, c.duration);
    EXPECT_EQ(StreamDurationText, c.text);
  }
  F().XaudioPlayer1NotifyInputTimecode(nullptr, 0, 1, 5, 99);
  EXPECT_EQ(PlayPositionText, "00:01:05");  // fractions play no part
  F().XaudioPlayer1NotifyInputTimecode(nullptr, 1, 2, 5, 0);
  F().XaudioPlayer1NotifyStreamDuration(nullptr, 3725);
  EXPECT_EQ(PlayPositionText, StreamDurationText);
}

// One user's session through both rows, step by step.
TEST_F(RingingTest, PreviewRowsFollowTheirStateTable) {
  Start();
  struct Step {
    const char* what;
    Row row;
    Press press;
    const char* nl;
    const char* zd;
    bool watcherRuns;
    const char* source;
  };
  const Step steps[] = {
      {"nl play", Row::Nl, Press::Play, "playing", "idle, play off", true, "Nzls"},
      {"zd play while nl plays", Row::Zd, Press::Play, "playing", "idle, play off", true, "Nzls"},
      {"nl pause", Row::Nl, Press::Pause, "paused", "idle, play off", true, "Nzls"},
      {"zd play while nl paused", Row::Zd, Press::Play, "paused", "idle, play off", true, "Nzls"},
      {"nl play resumes", Row::Nl, Press::Play, "playing", "idle, play off", true, "Nzls"},
      {"nl stop", Row::Nl, Press::Stop, "idle", "idle", false, "Nzls"},
      {"zd play", Row::Zd, Press::Play, "idle, play off", "playing", true, "Zdls"},
      {"nl play while zd plays", Row::Nl, Press::Play, "idle, play off", "playing", true, "Zdls"},
      {"zd pause", Row::Zd, Press::Pause, "idle, play off", "paused", true, "Zdls"},
      {"zd stop while paused", Row::Zd, Press::Stop, "idle", "idle", false, "Zdls"},
      {"nl play again", Row::Nl, Press::Play, "playing", "idle, play off", true, "Nzls"},
      {"nl pause again", Row::Nl, Press::Pause, "paused", "idle, play off", true, "Nzls"},
      {"nl stop while paused", Row::Nl, Press::Stop, "idle", "idle", false, "Nzls"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    Button(s.row, s.press)->UserClick();
    EXPECT_EQ(StateOf(Row::Nl), s.nl);
    EXPECT_EQ(StateOf(Row::Zd), s.zd);
    EXPECT_EQ(F().Time_Ls->Interval(), s.watcherRuns ? 1600 : 0);
    EXPECT_EQ(RingSource, s.source);
    EXPECT_EQ(EndHitCount, 0);
    EXPECT_FALSE(F().Btn_StopNl->Enabled());  // previews never enable "停止铃声"
  }
}

TEST_F(RingingTest, PauseThenPlayResumesWithoutOpeningAgain) {
  for (Row row : {Row::Nl, Row::Zd}) {
    SCOPED_TRACE(row == Row::Nl ? "alarm row" : "chime row");
    Start();
    Play(row)->UserClick();
    VirtualAudioEngine* engine = &Engine();
    Advance(1000);
    EXPECT_EQ(engine->Frames(), 8000);
    Pause(row)->UserClick();
    Advance(2000);
    EXPECT_FALSE(engine->Playing());
    EXPECT_EQ(engine->Frames(), 8000);
    Play(row)->UserClick();
    Advance(1000);
    EXPECT_EQ(Sound().LastEngine(), engine);
    EXPECT_EQ(engine->InputPath(), Path(row)->Text());
    EXPECT_EQ(engine->Frames(), 16000);  // a fresh open would have counted from 0
    EXPECT_TRUE(engine->Playing());
    Quit();
  }
}

TEST_F(RingingTest, FailedOpenLeavesTheRowsAsTheyWereAndTheWatcherStopped) {
  for (Row row : {Row::Nl, Row::Zd}) {
    SCOPED_TRACE(row == Row::Nl ? "alarm row" : "chime row");
    Start();
    Sound().FailLoads(LoadStep::LoadLibrary, 1);
    Ui().AnswerBox(IDOK);
    Play(row)->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectErrorReport(Ui().Boxes[0], "Cannot Load Xaudio DLL (xaudio.dll)");
    EXPECT_EQ(StateOf(Row::Nl), "idle");
    EXPECT_EQ(StateOf(Row::Zd), "idle");
    EXPECT_EQ(F().Time_Ls->Interval(), 0);
    EXPECT_EQ(RingSource, "");
    // The next press loads the player afresh and plays.
    Play(row)->UserClick();
    EXPECT_EQ(StateOf(row), "playing");
    EXPECT_EQ(Sound().LoadAttempts(), 2);
    Quit();
  }
}

// Whole-second lengths, so that the last position reads as the length only at the very end.
TEST_F(RingingTest, PreviewPlayedToTheEndReturnsToIdleWithinTwoWatcherTicks) {
  struct Case {
    Row row;
    int lengthMs;
  };
  for (const Case& c : std::vector<Case>{{Row::Nl, 1000}, {Row::Zd, 2000}, {Row::Nl, 3000}, {Row::Zd, 4000}}) {
    SCOPED_TRACE(c.lengthMs);
    Start();
    Path(c.row)->SetText(WriteWav(ProgramDir() + "short.wav", c.lengthMs));
    Play(c.row)->UserClick();
    Advance(c.lengthMs);
    ASSERT_FALSE(Engine().Playing());
    int64_t afterEnd = AdvanceUntil([&] { return StateOf(c.row) == "idle"; }, 5000);
    EXPECT_GE(afterEnd, 1600);
    EXPECT_LE(afterEnd, 3200);
    EXPECT_EQ(StateOf(Row::Nl), "idle");
    EXPECT_EQ(StateOf(Row::Zd), "idle");
    EXPECT_EQ(F().Time_Ls->Interval(), 0);
    EXPECT_EQ(EndHitCount, 0);
    Quit();
  }
}

// A ring started while a preview plays replaces its sound; the preview row
// keeps its state until the watcher runs the alarm stop action.
TEST_F(RingingTest, AlarmRingPlayedToTheEndRunsTheAlarmStopAction) {
  Start();
  F().nlplay->UserClick();
  std::string ring = WriteWav(ProgramDir() + "ring.wav", 2000);
  F().StartRinging(ring, "Nzls");
  EXPECT_EQ(Engine().InputPath(), ring);
  EXPECT_EQ(StateOf(Row::Nl), "playing");
  EXPECT_EQ(StateOf(Row::Zd), "idle, play off");
  EXPECT_TRUE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons);
  Advance(2000 + 3200);
  EXPECT_EQ(StateOf(Row::Nl), "idle");
  EXPECT_EQ(StateOf(Row::Zd), "idle");
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_FALSE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().Time_Ls->Interval(), 0);
}

TEST_F(RingingTest, ChimeSoundEndLeavesStopRingingForTheUser) {
  Start();
  F().StartRinging(WriteWav(ProgramDir() + "ding.wav", 2000), "Zdls");
  Advance(2000 + 3200);
  EXPECT_EQ(F().Time_Ls->Interval(), 0);
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_EQ(StateOf(Row::Zd), "idle");
  ASSERT_TRUE(F().Btn_StopNl->Enabled());
  F().Btn_StopNl->UserClick();
  EXPECT_FALSE(Engine().Playing());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_FALSE(F().Btn_StopNl->Enabled());
}

TEST_F(RingingTest, StopRingingEndsTheSoundButLeavesTheWatcherRunning) {
  Start();
  F().StartRinging(F().nzls->Text(), "Nzls");
  Advance(500);
  F().Btn_StopNl->UserClick();
  EXPECT_FALSE(Engine().Playing());
  EXPECT_EQ(Engine().InputPath(), "");
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_FALSE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().Time_Ls->Interval(), 1600);
  EXPECT_EQ(RingSource, "Nzls");
}

// A file that cannot be played sends no reports; the texts left from before decide.
TEST_F(RingingTest, UnplayableSoundEndsOnlyWhenTheOldTextsAgree) {
  struct Case {
    const char* position;
    const char* duration;
    bool ends;
  };
  for (const Case& c : std::vector<Case>{{"", "", true}, {"00:00:07", "00:00:07", true},
                                         {"00:00:05", "00:00:07", false}}) {
    SCOPED_TRACE(std::string(c.position) + " / " + c.duration);
    Start();
    PlayPositionText = c.position;
    StreamDurationText = c.duration;
    F().StartRinging(ProgramDir() + "missing.wav", "Nzls");
    EXPECT_EQ(Engine().InputPath(), "");
    Advance(3199);
    EXPECT_TRUE(F().Btn_StopNl->Enabled());
    EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons);
    Advance(1);  // the second watcher tick
    if (c.ends) {
      EXPECT_FALSE(F().Btn_StopNl->Enabled());
      EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
      EXPECT_EQ(F().Time_Ls->Interval(), 0);
    } else {
      Advance(20000);
      EXPECT_TRUE(F().Btn_StopNl->Enabled());
      EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons);
      EXPECT_EQ(F().Time_Ls->Interval(), 1600);
      EXPECT_EQ(EndHitCount, 0);
    }
    Quit();
  }
}

TEST_F(RingingTest, ResetStopsEverySound) {
  Start();
  F().zdplay->UserClick();
  F().zdzt->UserClick();
  F().StartRinging(F().nzls->Text(), "Nzls");
  F().nzls->SetText("/elsewhere/a.mp3");
  Advance(1000);
  F().Btn_Cancel->UserClick();
  EXPECT_FALSE(Engine().Playing());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_FALSE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().Time_Ls->Interval(), 0);
  EXPECT_EQ(StateOf(Row::Nl), "idle");
  EXPECT_EQ(StateOf(Row::Zd), "idle");
  EXPECT_EQ(F().nzls->Text(), ProgramDir() + "nl.mp3");
  EXPECT_EQ(F().zdls->Text(), ProgramDir() + "zd.mp3");
}

}  // namespace

// The hourly chime: switching it, the full-hour tick, the tray after its box,
// and the switch-on at start-up from the stored setting.

#include <cmath>
#include <filesystem>
#include <optional>

#include "TamiroFixture.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/os/Registry.h"

namespace {

namespace fs = std::filesystem;

const char* const kSettingsKey = ".DEFAULT\\Software\\Korvelund\\Tamiro";

// The stored Zdbs, nullopt when the value (or its key) is missing.
std::optional<std::string> StoredZdbs() {
  TRegistry registry(RootKey::HKEY_USERS);
  if (!registry.OpenKeyReadOnly(kSettingsKey) || !registry.ValueExists("Zdbs")) return std::nullopt;
  return registry.ReadString("Zdbs");
}

class ChimeTest : public TamiroTest {
 protected:
  const TBitmap* Steady() { return &F().iglIcons1->Image(0); }
  const TBitmap* Blank() { return &F().iglIcons->Image(1); }
  // Whether the tray showed the transparent picture at some moment in [fromMs, toMs).
  bool BlankShownBetween(int64_t fromMs, int64_t toMs) {
    for (const auto& frame : Ui().TrayFrames)
      if (frame.AtMs >= fromMs && frame.AtMs < toMs && frame.Picture == Blank()) return true;
    return false;
  }
};

TEST_F(ChimeTest, UserSwitchingStoresTheSettingAndLogsOneLineEachTime) {
  StartAt("2026-03-02 08:15:30");
  struct Step {
    bool on;
    const char* message;
  };
  const Step steps[] = {{true, "激活了整点报时功能，每个整点将自动报时．"},
                        {false, "关闭了整点报时功能．"},
                        {true, "激活了整点报时功能，每个整点将自动报时．"}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.on ? "on" : "off");
    size_t before = LogMessages().size();
    F().Chk_Zd->UserToggle();
    EXPECT_EQ(F().Chk_Zd->Checked(), s.on);
    EXPECT_EQ(F().Time_Zd->Interval(), s.on ? 1000 : 0);
    EXPECT_EQ(ZdbsValue, s.on ? "true" : "false");
    EXPECT_EQ(StoredZdbs(), std::optional<std::string>(s.on ? "true" : "false"));
    ASSERT_EQ(LogMessages().size(), before + 1);
    EXPECT_EQ(LogMessages().back(), s.message);
    EXPECT_TRUE(LogBytes().ends_with(Gbk("[2026-03-02 08:15:30] " + std::string(s.message) + "\r\n")));
  }
}

// The tick run at chosen moments; only a time of day with 0 minutes and 0 seconds chimes.
TEST_F(ChimeTest, ChimesOnlyInTheFirstSecondOfAnHour) {
  struct Case {
    const char* moment;
    const char* hour;  // empty: no chime
    bool emptyPath;
  };
  const Case cases[] = {
      {"2026-03-02 09:00:00", "09", false},     {"2026-03-02 00:00:00", "00", false},
      {"2026-03-02 23:00:00.999", "23", false}, {"2026-03-02 09:59:59", "", false},
      {"2026-03-02 10:00:01", "", false},       {"2026-03-02 09:59:59.999", "", false},
      {"2026-03-02 12:30:00", "", false},       {"2026-03-02 09:00:00", "09", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.moment) + (c.emptyPath ? " with no chime sound" : ""));
    StartAt("2026-03-02 08:15:30");
    std::string sound = c.emptyPath ? "" : WriteWav(ProgramDir() + "zd.wav", 60000);
    F().zdls->SetText(sound);
    Ui().SetNow(Moment(c.moment));
    size_t before = LogMessages().size();
    const bool chimes = *c.hour != 0;
    if (chimes) Ui().AnswerBox(IDOK);
    F().Time_ZdTimer(F().Time_Zd);
    if (!chimes) {
      EXPECT_TRUE(Ui().Boxes.empty());
      EXPECT_EQ(LogMessages().size(), before);
      EXPECT_EQ(Sound().LastEngine(), nullptr);  // the player was never touched
      EXPECT_FALSE(F().Btn_StopNl->Enabled());
      Quit();
      continue;
    }
    const std::string hour = c.hour;
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    EXPECT_EQ(Ui().Boxes[0].Text, "现在是" + hour + "点整");
    EXPECT_EQ(Ui().Boxes[0].Caption, "整点报时");
    EXPECT_EQ(Ui().Boxes[0].Flags, MB_OK);
    EXPECT_TRUE(Ui().Boxes[0].Owned);
    ASSERT_EQ(LogMessages().size(), before + 1);
    EXPECT_EQ(LogMessages().back(), "整点报时：现在是" + hour + "点整．");
    ASSERT_NE(Sound().LastEngine(), nullptr);
    EXPECT_EQ(Sound().LastEngine()->InputPath(), sound);
    EXPECT_EQ(RingSource, "Zdls");
    EXPECT_TRUE(F().Btn_StopNl->Enabled());
    EXPECT_EQ(F().Time_Ls->Interval(), 1600);
    Quit();
  }
}

// The icon blinks while the box is open, shows the steady clock the moment it
// closes, and blinks again for the next ring.
TEST_F(ChimeTest, TrayTurnsSteadyWhenTheBoxClosesAndLaterRingsBlinkAgain) {
  StartAt("2026-03-02 08:59:50");
  F().Chk_Zd->UserToggle();
  F().zdls->SetText(WriteWav(ProgramDir() + "zd.wav", 60000));
  Ui().AnswerBox(IDOK, 2500);
  AdvanceTo("2026-03-02 09:00:05");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  const int64_t closedAt = Ms("2026-03-02 09:00:02.500");
  EXPECT_EQ(Ui().Boxes[0].OpenedAtMs, Ms("2026-03-02 09:00:00"));
  EXPECT_TRUE(BlankShownBetween(Ui().Boxes[0].OpenedAtMs, closedAt));
  EXPECT_FALSE(BlankShownBetween(closedAt, Ui().NowMs() + 1));
  ASSERT_FALSE(Ui().TrayFrames.empty());
  auto atClose = std::find_if(Ui().TrayFrames.begin(), Ui().TrayFrames.end(),
                              [&](const auto& frame) { return frame.AtMs == closedAt; });
  ASSERT_NE(atClose, Ui().TrayFrames.end());
  EXPECT_EQ(atClose->Picture, Steady());
  EXPECT_EQ(F().TrayIcon1->ShownPicture(), Steady());
  EXPECT_TRUE(F().TrayIcon1->Animate());
  EXPECT_TRUE(Sound().LastEngine()->Playing());  // the sound goes on after the box

  F().StartRinging(F().zdls->Text(), "Nzls");
  const int64_t rungAt = Ui().NowMs();
  Advance(2000);
  EXPECT_TRUE(BlankShownBetween(rungAt, rungAt + 2000));
  F().Btn_StopNl->UserClick();
  Advance(1000);
  EXPECT_EQ(F().TrayIcon1->ShownPicture(), Steady());
}

// The chime's log line is append-only: without the log file the box and the
// steady icon are skipped, and the sound plays on.
TEST_F(ChimeTest, MissingLogFileSkipsTheBoxButNotTheSound) {
  StartAt("2026-03-02 08:59:50");
  F().Chk_Zd->UserToggle();
  F().zdls->SetText(WriteWav(ProgramDir() + "zd.wav", 60000));
  ASSERT_TRUE(fs::remove(WorkDir() + "/Tamiro.Log"));
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 09:00:03");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectErrorReport(Ui().Boxes[0], "File not found");
  EXPECT_TRUE(Sound().LastEngine()->Playing());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons);
  EXPECT_FALSE(fs::exists(WorkDir() + "/Tamiro.Log"));
}

TEST_F(ChimeTest, StartUpSwitchesOnFromTheStoredValue) {
  struct Case {
    std::optional<std::string> stored;
    bool on;
  };
  const Case cases[] = {{std::nullopt, false}, {"false", false}, {"true", true}, {"FALSE", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(missing)"));
    {
      TRegistry registry(RootKey::HKEY_USERS);
      registry.DeleteKey(kSettingsKey);  // the run before left its settings
      if (c.stored) {
        ASSERT_TRUE(registry.OpenKey(kSettingsKey, OpenMode::CreateIfMissing));
        registry.WriteString("Zdbs", *c.stored);
      }
    }
    StartAt("2026-03-02 08:15:30");
    EXPECT_EQ(F().Chk_Zd->Checked(), c.on);
    EXPECT_EQ(F().Time_Zd->Interval(), c.on ? 1000 : 0);
    EXPECT_EQ(ZdbsValue, c.on ? "true" : "false");
    int switchedOn = 0, userSwitch = 0;
    for (const std::string& m : LogMessages()) {
      switchedOn += m == "自动激活整点报时功能，每个整点将自动报时．";
      userSwitch += m.rfind("激活了", 0) == 0 || m.rfind("关闭了", 0) == 0;
    }
    EXPECT_EQ(switchedOn, c.on ? 1 : 0);
    EXPECT_EQ(userSwitch, 0);  // the change handler does not run
    EXPECT_EQ(StoredZdbs(), c.stored);  // not written back
    Quit();
  }
}

}  // namespace

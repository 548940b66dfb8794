// How a ring starts and how it ends, for alarm, chime and the previews alike: start
// ringing, the rows' stop action, stop ringing ("停止铃声"), the end-of-stream watcher,
// the player's position reports and the tray's return to its steady clock.
#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/rtl/Text.h"

void TFrm_Tamiro::XaudioPlayer1NotifyInputTimecode(TObject*, uint8_t Hours, uint8_t Minutes, uint8_t Seconds,
                                                    uint8_t) {
  PlayPositionText = Format("%.2d:%.2d:%.2d", Hours, Minutes, Seconds);
}

void TFrm_Tamiro::XaudioPlayer1NotifyStreamDuration(TObject*, uint32_t Duration) {
  StreamDurationText = Format("%.2d:%.2d:%.2d", static_cast<int>(Duration / 3600),
                              static_cast<int>(Duration % 3600 / 60), static_cast<int>(Duration % 60));
}

// An alarm (kRingSourceAlarm) or the hourly chime (kRingSourceChime) starts: the sound
// plays, the watcher runs, "停止铃声" is on and the tray blinks from its next step.
void TFrm_Tamiro::StartRinging(const std::string& soundPath, const std::string& ringSource) {
  XaudioPlayer1->Open(soundPath);
  XaudioPlayer1->Play();
  RingSource = ringSource;
  Time_Ls->SetInterval(1600);
  Btn_StopNl->SetEnabled(true);
  EndHitCount = 0;
  TrayIcon1->SetIcons(iglIcons);
}

// A row's "停止" (nlstopClick, zdstopClick), pressed or clicked by the watcher: the row turns
// idle, the other row may play again, the blinking and the watcher stop.
void TFrm_Tamiro::StopRowSound(const SoundRow& row) {
  XaudioPlayer1->Stop();
  row.Play->SetEnabled(true);
  row.Pause->SetEnabled(false);
  row.Stop->SetEnabled(false);
  row.Path->SetEnabled(true);
  row.Open->SetEnabled(true);
  row.OtherPlay->SetEnabled(true);
  StopTrayFlashing(TrayTiming::AtNextStep);
  if (row.Source == kRingSourceAlarm) Btn_StopNl->SetEnabled(false);  // a chime's end leaves it to the user
  Time_Ls->SetInterval(0);
}

// Stop ringing: the sound and the blinking end; the watcher and the rows stay as they are.
void TFrm_Tamiro::Btn_StopNlClick(TObject*) {
  XaudioPlayer1->Stop();
  StopTrayFlashing(TrayTiming::AtNextStep);
  Btn_StopNl->SetEnabled(false);
}

// A sound has ended when two watcher ticks in a row find its position at its length.
void TFrm_Tamiro::Time_LsTimer(TObject*) {
  if (PlayPositionText != StreamDurationText) return;
  if (EndHitCount == 1) {
    if (RingSource == kRingSourceAlarm)
      nlstop->Click();
    else
      zdstop->Click();
    EndHitCount = 0;
  } else {
    ++EndHitCount;
  }
}

// After a stop, at the next animation step like any list switch; after the chime's box, at once, so the blink ends as it closes.
void TFrm_Tamiro::StopTrayFlashing(TrayTiming when) {
  TrayIcon1->SetIcons(iglIcons1);
  if (when == TrayTiming::AtOnce) TrayIcon1->SetIconIndex(0);
}

void TFrm_Tamiro::SetDefaultSoundPaths() {
  nzls->SetText(SoundDir() + "nl.mp3");
  zdls->SetText(SoundDir() + "zd.mp3");
}

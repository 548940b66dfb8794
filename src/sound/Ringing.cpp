// The ringing state shared by alarm and chime: start ringing, stop ringing,
// the end-of-stream watcher and the player's position reports.
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

void TFrm_Tamiro::StartRinging(const std::string& soundPath, const std::string& ringSource) {
  XaudioPlayer1->Open(soundPath);
  XaudioPlayer1->Play();
  RingSource = ringSource;
  Time_Ls->SetInterval(1600);
  Btn_StopNl->SetEnabled(true);
  EndHitCount = 0;
  TrayIcon1->SetIcons(iglIcons);
}

void TFrm_Tamiro::Btn_StopNlClick(TObject*) {
  XaudioPlayer1->Stop();
  TrayIcon1->SetIcons(iglIcons1);
  Btn_StopNl->SetEnabled(false);
}

// A sound has ended when two watcher ticks in a row find its position at its length.
void TFrm_Tamiro::Time_LsTimer(TObject*) {
  if (PlayPositionText != StreamDurationText) return;
  if (EndHitCount == 1) {
    if (RingSource == "Nzls")
      nlstop->Click();
    else
      zdstop->Click();
    EndHitCount = 0;
  } else {
    ++EndHitCount;
  }
}

void TFrm_Tamiro::SetDefaultSoundPaths() {
  nzls->SetText(SoundDir() + "nl.mp3");
  zdls->SetText(SoundDir() + "zd.mp3");
}

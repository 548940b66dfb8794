// The two preview rows of the page "铃声设置": choose, play, pause and stop the
// alarm sound and the chime sound. Their stop action is ringing's (sound/Ringing.cpp).
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/XaudioPlayer.h"

namespace {

const char* const kSoundFilter = "音频文件(*.mp3;*.wav)|*.mp3;*.wav";

TFrm_Tamiro::SoundRow AlarmRow(TFrm_Tamiro& f) {
  return {kRingSourceAlarm, f.nzls, f.Btn_OpenNl, f.nlplay, f.nlzt, f.nlstop, f.zdplay};
}

TFrm_Tamiro::SoundRow ChimeRow(TFrm_Tamiro& f) {
  return {kRingSourceChime, f.zdls, f.Btn_OpenZd, f.zdplay, f.zdzt, f.zdstop, f.nlplay};
}

// Plays the row's sound from its start, or on from where a pause left it.
void PlayRow(TFrm_Tamiro& f, const TFrm_Tamiro::SoundRow& row) {
  if (row.Stop->Enabled()) {
    f.XaudioPlayer1->Play();  // paused: go on where it stopped
  } else {
    f.XaudioPlayer1->Open(row.Path->Text());
    f.XaudioPlayer1->Play();
    row.Path->SetEnabled(false);
    row.Open->SetEnabled(false);
  }
  row.Play->SetEnabled(false);
  row.Pause->SetEnabled(true);
  row.Stop->SetEnabled(true);
  row.OtherPlay->SetEnabled(false);
  EndHitCount = 0;
  RingSource = row.Source;
  f.Time_Ls->SetInterval(1600);
}

void PauseRow(TFrm_Tamiro& f, const TFrm_Tamiro::SoundRow& row) {
  f.XaudioPlayer1->Pause();
  row.Play->SetEnabled(true);
  row.Pause->SetEnabled(false);
}

void ChooseSound(TFrm_Tamiro& f, TEdit* path) {
  f.OpenDialog_Tamiro->Filter = kSoundFilter;
  if (f.OpenDialog_Tamiro->Execute() && !f.OpenDialog_Tamiro->FileName.empty())
    path->SetText(f.OpenDialog_Tamiro->FileName);
}

}  // namespace

void TFrm_Tamiro::nlplayClick(TObject*) { PlayRow(*this, AlarmRow(*this)); }
void TFrm_Tamiro::nlztClick(TObject*) { PauseRow(*this, AlarmRow(*this)); }
void TFrm_Tamiro::nlstopClick(TObject*) { StopRowSound(AlarmRow(*this)); }

void TFrm_Tamiro::zdplayClick(TObject*) { PlayRow(*this, ChimeRow(*this)); }
void TFrm_Tamiro::zdztClick(TObject*) { PauseRow(*this, ChimeRow(*this)); }
void TFrm_Tamiro::zdstopClick(TObject*) { StopRowSound(ChimeRow(*this)); }

void TFrm_Tamiro::Btn_OpenNlClick(TObject*) { ChooseSound(*this, nzls); }
void TFrm_Tamiro::Btn_OpenZdClick(TObject*) { ChooseSound(*this, zdls); }

// The two preview rows of the page "铃声设置": choose, play, pause and stop the
// alarm sound and the chime sound.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/XaudioPlayer.h"

namespace {
const char* const kSoundFilter = "音频文件(*.mp3;*.wav)|*.mp3;*.wav";
}  // namespace

void TFrm_Tamiro::nlplayClick(TObject*) {
  if (nlstop->Enabled()) {
    XaudioPlayer1->Play();  // paused: go on where it stopped
  } else {
    XaudioPlayer1->Open(nzls->Text());
    XaudioPlayer1->Play();
    nzls->SetEnabled(false);
    Btn_OpenNl->SetEnabled(false);
  }
  nlplay->SetEnabled(false);
  nlzt->SetEnabled(true);
  nlstop->SetEnabled(true);
  zdplay->SetEnabled(false);
  EndHitCount = 0;
  RingSource = "Nzls";
  Time_Ls->SetInterval(1600);
}

void TFrm_Tamiro::nlztClick(TObject*) {
  XaudioPlayer1->Pause();
  nlplay->SetEnabled(true);
  nlzt->SetEnabled(false);
}

void TFrm_Tamiro::nlstopClick(TObject*) {
  XaudioPlayer1->Stop();
  nlplay->SetEnabled(true);
  nlzt->SetEnabled(false);
  nlstop->SetEnabled(false);
  nzls->SetEnabled(true);
  Btn_OpenNl->SetEnabled(true);
  zdplay->SetEnabled(true);
  TrayIcon1->SetIcons(iglIcons1);
  Btn_StopNl->SetEnabled(false);
  Time_Ls->SetInterval(0);
}

void TFrm_Tamiro::zdplayClick(TObject*) {
  if (zdstop->Enabled()) {
    XaudioPlayer1->Play();
  } else {
    XaudioPlayer1->Open(zdls->Text());
    XaudioPlayer1->Play();
    zdls->SetEnabled(false);
    Btn_OpenZd->SetEnabled(false);
  }
  zdplay->SetEnabled(false);
  zdzt->SetEnabled(true);
  zdstop->SetEnabled(true);
  nlplay->SetEnabled(false);
  EndHitCount = 0;
  RingSource = "Zdls";
  Time_Ls->SetInterval(1600);
}

void TFrm_Tamiro::zdztClick(TObject*) {
  XaudioPlayer1->Pause();
  zdplay->SetEnabled(true);
  zdzt->SetEnabled(false);
}

void TFrm_Tamiro::zdstopClick(TObject*) {
  XaudioPlayer1->Stop();
  zdplay->SetEnabled(true);
  zdzt->SetEnabled(false);
  zdstop->SetEnabled(false);
  zdls->SetEnabled(true);
  Btn_OpenZd->SetEnabled(true);
  nlplay->SetEnabled(true);
  Time_Ls->SetInterval(0);
  TrayIcon1->SetIcons(iglIcons1);
}

void TFrm_Tamiro::Btn_OpenNlClick(TObject*) {
  OpenDialog_Tamiro->Filter = kSoundFilter;
  if (OpenDialog_Tamiro->Execute() && !OpenDialog_Tamiro->FileName.empty()) nzls->SetText(OpenDialog_Tamiro->FileName);
}

void TFrm_Tamiro::Btn_OpenZdClick(TObject*) {
  OpenDialog_Tamiro->Filter = kSoundFilter;
  if (OpenDialog_Tamiro->Execute() && !OpenDialog_Tamiro->FileName.empty()) zdls->SetText(OpenDialog_Tamiro->FileName);
}

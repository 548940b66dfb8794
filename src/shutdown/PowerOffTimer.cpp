// The timed power-off page. Not armed by anything yet: its buttons do nothing.
#include "app/Unit_Tamiro.h"

void TFrm_Tamiro::Btn_GjClick(TObject*) {}
void TFrm_Tamiro::RadioButton1Click(TObject*) {}
void TFrm_Tamiro::PowerOff() { Application->GetBackend().PowerOff(); }

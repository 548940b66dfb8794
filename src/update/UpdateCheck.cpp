// The online update check. Not offered yet: the button does nothing.
#include "app/Unit_Tamiro.h"

void TFrm_Tamiro::Btn_ExeUpdateClick(TObject*) {}

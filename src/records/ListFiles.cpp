// Record-list files. Not offered yet: the buttons do nothing.
#include "app/Unit_Tamiro.h"

void TFrm_Tamiro::Btn_List_SaveClick(TObject*) {}
void TFrm_Tamiro::Btn_List_OpenClick(TObject*) {}

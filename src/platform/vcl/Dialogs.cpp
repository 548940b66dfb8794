// File dialogs run through the backend.
#include "platform/vcl/Dialogs.h"

#include "platform/vcl/Forms.h"

bool TFileDialog::Execute() { return Application->GetBackend().ExecuteFileDialog(*this); }

// Linked with the program's own entry, this makes a probe of it for the quit test: the update
// server and its CA come from the environment, and the update check starts by itself as soon
// as the message loop runs.
#include <QCoreApplication>
#include <QTimer>

#include "app/Unit_Tamiro.h"
#include "update/UpdateCheck.h"

namespace {

void StartProbe() {
  UpdateServerAddress() = qEnvironmentVariable("TAMIRO_PROBE_SERVER").toStdString();
  UpdateCaFile() = qEnvironmentVariable("TAMIRO_PROBE_CA").toStdString();
  QTimer::singleShot(0, [] {
    if (Frm_Tamiro) Frm_Tamiro->Btn_ExeUpdate->UserClick();
  });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartProbe)

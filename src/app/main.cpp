// The program entry: one copy at a time, then the main window and the message loop.
#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/VersionInfo.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtScreenshot.h"
#include "platform/qt/QtSignals.h"
#include "platform/vcl/Dialogs.h"

namespace {

// The running copy is neither shown nor told.
int RefuseSecondCopy(QtBackend& backend) {
  backend.MessageBox(MessageBoxRequest{nullptr, "该程序已经运行，可能是最小化到了任务栏！", "已经运行", MB_OK});
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Asked before anything of the application exists.
  if (WindowClassExists(QtBackend::kWindowClass)) {
    QtBackend backend(argc, argv);
    return RefuseSecondCopy(backend);
  }

  QtBackend backend(argc, argv);
  // Two copies started at the same moment both pass the question; only one gets the claim.
  WindowClassClaim claim(QtBackend::kWindowClass);  // held for as long as the window lives
  if (!claim.Held() && WindowClassExists(QtBackend::kWindowClass)) return RefuseSecondCopy(backend);
  QuitLoopOnTerminationSignals(backend);
  TamiroProcess process(backend, ProgramDir());
  process.StartWindow([&](TFrm_Tamiro& window) {
    ScheduleScreenshot(backend, window, [&window] { window.Btn_Sz->Click(); });
  });
  process.App().Run();
  process.EndWindow();
  return 0;
}

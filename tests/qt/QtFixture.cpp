// One offscreen QtBackend for the whole test binary, and the per-test fixture.
#include "QtFixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "TestSupport.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/audio/XaudioPlayer.h"

namespace fs = std::filesystem;

namespace {

QtBackend* backend = nullptr;

// Made when the tests run (not when they are only listed) and kept to the end: a process
// has one QApplication.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static char name[] = "tamiro_qt_tests";
    static char* argv[] = {name, nullptr};
    backend = new QtBackend(1, argv);
  }
  void TearDown() override {
    delete backend;
    backend = nullptr;
  }
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QtBackend& QtTest::Ui() { return *backend; }

void QtTest::SetUp() {
  root_ = MakeTempFolder("tamiro-qt-test");
  for (const char* sub : {"/prog", "/work", "/config", "/run"}) fs::create_directories(root_ + sub);
  setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
  oldCwd_ = fs::current_path();
  fs::current_path(root_ + "/work");
  TXaudioPlayer::SetEngineLoader(std::make_shared<VirtualEngineLoader>());  // never a sound device
  process_ = std::make_unique<TamiroProcess>(Ui(), root_ + "/prog/");
}

void QtTest::TearDown() {
  // A box left open by a failing test would block the next one.
  while (QMessageBox* box = OpenBox()) box->done(QMessageBox::Ok);
  process_->EndWindow();
  for (auto& form : ownForms_) form->Destroy();
  ownForms_.clear();
  process_.reset();
  QCoreApplication::processEvents();
  TXaudioPlayer::SetEngineLoader(nullptr);
  fs::current_path(oldCwd_);
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

TFrm_Tamiro& QtTest::StartMainWindow() { return process_->StartWindow(); }

void QtTest::RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool QtTest::RunUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

QMessageBox* QtTest::OpenBox() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) return box;
  return nullptr;
}

// The Qt front end under test: one QtBackend for the process (offscreen), and per test a
// fresh application in a fresh folder, with the real main window or a small form of its own.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "platform/qt/QtBackend.h"
#include "platform/vcl/Forms.h"

class QMessageBox;

class QtTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static QtBackend& Ui();
  // Builds and creates the main window as the program entry does (start-up sequence included).
  TFrm_Tamiro& StartMainWindow();
  // Takes a form of the test's own: created now, destroyed and freed at the end of the test.
  template <class F>
  F& Show(F* form) {
    ownForms_.emplace_back(form);
    form->Create();
    return *form;
  }

  // The widget that shows a control, as the given Qt class (null when it is another).
  template <class W>
  static W* WidgetOf(const TControl& control) {
    return qobject_cast<W*>(Ui().WidgetOf(control));
  }
  static QWidget* WindowOf(const TForm& form) { return Ui().WindowOf(form); }

  // Runs the message loop for a while, or until the condition holds (false on time-out).
  static void RunFor(int ms);
  static bool RunUntil(const std::function<bool()>& done, int timeoutMs);
  // The message box that is open now, if any.
  static QMessageBox* OpenBox();

  std::string Root() const { return root_; }

 private:
  std::string root_;
  std::string oldCwd_;
  std::unique_ptr<TamiroProcess> process_;
  std::vector<std::unique_ptr<TForm>> ownForms_;
};

// A control's name as Qt spells an objectName.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }

// Builds the main window on the headless backend, in a fresh folder, with a
// virtual clock at a named moment; each test starts like a fresh process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Process.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/audio/VirtualAudioEngine.h"
#include "platform/headless/HeadlessBackend.h"

class TamiroTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A process starting at the moment ("yyyy-mm-dd HH:NN:SS[.zzz]"): backend, application, window, start-up.
  // A window still open from an earlier start is deleted first, without its farewell.
  void StartAt(const std::string& moment);
  // Closes the window as the user would (answering nothing), destroys it, then starts anew at the moment.
  void RestartAt(const std::string& moment);
  // Scripts a box that the next start-up shows (the backend is made anew at each start).
  void AnswerBoxAtStart(int answer) { startAnswers_.push_back(answer); }
  // Destroys the window (farewell line) and the application; Ui() stays readable until the next start.
  void Quit();

  HeadlessBackend& Ui() { return *backend_; }
  TFrm_Tamiro& F() { return *form_; }
  void Advance(int64_t ms) { backend_->Advance(ms); }
  // Moves the clock to the moment ("yyyy-mm-dd HH:NN:SS[.zzz]"), firing what falls due.
  void AdvanceTo(const std::string& moment) { Advance(Ms(moment) - backend_->NowMs()); }
  // The default report of an error no handler caught: its text, the application title, the error icon.
  static void ExpectErrorReport(const HeadlessBackend::Box& box, const std::string& text);
  // The box shown at that place in turn: its text, caption and flags, owned by the window.
  void ExpectBox(size_t index, const std::string& text, const std::string& caption, int flags);

  // Folders: the program's (ends in "/"), the process's current one, the settings store's.
  std::string ProgramDir() const { return programDir_.empty() ? root_ + "/prog/" : programDir_; }
  // Moves the program to another folder (ending in "/") from the next start on.
  void SetProgramDir(const std::string& dir) { programDir_ = dir; }
  std::string WorkDir() const { return root_ + "/work"; }
  std::string Root() const { return root_; }
  // The bytes of a file ("" when missing), and a UTF-8 text as the GBK bytes that files hold.
  static std::string FileBytes(const std::string& path);
  static std::string Gbk(const std::string& utf8);
  std::string LogBytes() const { return FileBytes(WorkDir() + "/Tamiro.Log"); }
  // The memo lines without their time stamps.
  std::vector<std::string> LogMessages() const;
  // Texts of the boxes shown so far, and forgetting them.
  std::vector<std::string> BoxTexts() const;

  // Adds a row as the editor would, without going through the buttons.
  TListItem* AddRow(const std::string& time, const std::string& mode, const std::string& event = "",
                    const std::string& sound = "", bool checked = false);

  // A row of the record list: its caption, then its sub-items.
  std::vector<std::string> RowCells(int index);

  VirtualEngineLoader& Sound() { return *sound_; }
  // The primary screen's width at the next start.
  void SetScreenWidth(int width) { screenWidth_ = width; }

  static TDateTime Moment(const std::string& text);
  // The moment on the virtual clock, in milliseconds.
  static int64_t Ms(const std::string& moment);
  // A silent WAV file of that length (8 kHz mono), for sounds the virtual engine plays.
  static std::string WriteWav(const std::string& path, int ms);

 private:
  void Destroy();
  std::string root_;
  std::string programDir_;
  std::string oldCwd_;
  std::unique_ptr<HeadlessBackend> backend_;
  std::unique_ptr<TamiroProcess> process_;
  TFrm_Tamiro* form_ = nullptr;
  int screenWidth_ = 1920;
  std::shared_ptr<VirtualEngineLoader> sound_;
  std::vector<int> startAnswers_;
};

// The headless main-window fixture.
#include "TamiroFixture.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sndfile.h>

#include "TestSupport.h"
#include "app/FilePlaces.h"
#include "app/Process.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/os/Registry.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/Text.h"
#include "records/AlarmRecord.h"

namespace fs = std::filesystem;

void TamiroTest::SetUp() {
  root_ = MakeTempFolder("tamiro-test");
  fs::create_directories(ProgramDir());
  fs::create_directories(WorkDir());
  fs::create_directories(root_ + "/config");
  fs::create_directories(root_ + "/run");
  setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  WritableCheck() = nullptr;
  oldCwd_ = fs::current_path();
  fs::current_path(WorkDir());
}

void TamiroTest::TearDown() {
  Destroy();
  backend_.reset();
  TXaudioPlayer::SetEngineLoader(nullptr);
  WritableCheck() = nullptr;
  FileReplaceSeams() = ReplaceSeams{};
  TRegistry::OnStoreSetAside = nullptr;
  fs::current_path(oldCwd_);
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

TDateTime TamiroTest::Moment(const std::string& text) {
  TFormatSettings saved = FormatSettings();
  ResetFormatSettings();
  std::string whole = text.substr(0, 19);
  TDateTime value = StrToDateTime(whole);
  if (text.size() > 20) value += std::stoi(text.substr(20)) / kMsPerDay;
  FormatSettings() = saved;
  return value;
}

int64_t TamiroTest::Ms(const std::string& moment) { return std::llround(Moment(moment) * kMsPerDay); }

void TamiroTest::ExpectErrorReport(const HeadlessBackend::Box& box, const std::string& text) {
  EXPECT_EQ(box.Text, text);
  EXPECT_EQ(box.Caption, kApplicationTitle);
  EXPECT_EQ(box.Flags, MB_OK | MB_ICONERROR);
}

void TamiroTest::ExpectBox(size_t index, const std::string& text, const std::string& caption, int flags) {
  ASSERT_LT(index, Ui().Boxes.size());
  const auto& box = Ui().Boxes[index];
  EXPECT_EQ(box.Text, text);
  EXPECT_EQ(box.Caption, caption);
  EXPECT_EQ(box.Flags, flags);
  EXPECT_TRUE(box.Owned);
}

void TamiroTest::StartAt(const std::string& moment) {
  // A window still open from an earlier start ends as a killed process would: no farewell.
  form_ = nullptr;
  process_.reset();
  backend_ = std::make_unique<HeadlessBackend>(Moment(moment));
  backend_->Screen = screenWidth_;
  backend_->OnUnscriptedBox = [](const HeadlessBackend::Box& box) {
    ADD_FAILURE() << "unexpected message box \"" << box.Text << "\" (" << box.Caption << ")";
  };
  for (int answer : startAnswers_) backend_->AnswerBox(answer);
  startAnswers_.clear();
  sound_ = std::make_shared<VirtualEngineLoader>();
  TXaudioPlayer::SetEngineLoader(sound_);
  backend_->AddClockListener([loader = sound_](int64_t nowMs) { loader->OnClock(nowMs); });
  process_ = std::make_unique<TamiroProcess>(*backend_, ProgramDir());
  form_ = &process_->StartWindow();
}

void TamiroTest::Destroy() {
  if (process_) process_->EndWindow();
  form_ = nullptr;
  process_.reset();
}

void TamiroTest::Quit() { Destroy(); }

void TamiroTest::RestartAt(const std::string& moment) {
  Destroy();
  StartAt(moment);
}

std::string TamiroTest::FileBytes(const std::string& path) { return ReadBytes(path); }

std::string TamiroTest::Gbk(const std::string& utf8) { return Utf8ToGbk(utf8); }

std::vector<std::string> TamiroTest::LogMessages() const {
  std::vector<std::string> messages;
  for (const auto& line : form_->Memo_Log->Lines.Items())
    messages.push_back(line.size() > 22 && line[0] == '[' ? line.substr(22) : line);
  return messages;
}

std::vector<std::string> TamiroTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : backend_->Boxes) texts.push_back(box.Text);
  return texts;
}

TListItem* TamiroTest::AddRow(const std::string& time, const std::string& mode, const std::string& event,
                              const std::string& sound, bool checked) {
  TListItem* row = form_->List_Tamiro->Add();
  AlarmRecord{time, mode, event, sound, checked}.ToRow(*row);
  ++RecordCount;
  return row;
}

std::string TamiroTest::WriteWav(const std::string& path, int ms) {
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<short> samples(static_cast<size_t>(ms) * 8);
  sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return path;
}

std::vector<std::string> TamiroTest::RowCells(int index) {
  TListItem* row = form_->List_Tamiro->Item(index);
  std::vector<std::string> cells{row->Caption()};
  for (const auto& sub : row->SubItems.Items()) cells.push_back(sub);
  return cells;
}

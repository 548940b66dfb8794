// The sound stream on a real sound server: a private one on a null sink, started by the test
// and ended by its process id. Skipped where the server program is not installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "platform/audio/PulseOutput.h"

namespace {

namespace fs = std::filesystem;

class PulseOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/pulseaudio", X_OK) != 0 || access("/usr/bin/pactl", X_OK) != 0)
      GTEST_SKIP() << "no pulseaudio here";
    dir_ = MakeTempFolder("tamiro-pulse");
    fs::create_directories(dir_ + "/run");
    server_ = "unix:" + dir_ + "/native";
    std::vector<std::string> args = {"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                     "--use-pid-file=no", "--log-target=stderr",
                                     "-L", "module-null-sink sink_name=silent",
                                     "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + dir_ + "/native"};
    std::vector<std::string> env = {"HOME=" + dir_, "XDG_RUNTIME_DIR=" + dir_ + "/run",
                                    "XDG_CONFIG_HOME=" + dir_, "PULSE_RUNTIME_PATH=" + dir_ + "/run",
                                    "PULSE_STATE_PATH=" + dir_ + "/state"};
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, (dir_ + "/server.log").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    ASSERT_EQ(posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&files);

    serverEnv_.emplace("PULSE_SERVER", server_);
    for (int i = 0; i < 200 && Run("info").find("Server String") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (dir_.empty()) return;
    serverEnv_.reset();
    fs::remove_all(dir_);
  }

  // What pactl prints for the command, on the test's own server.
  std::string Run(const std::string& command) const {
    std::string out;
    if (FILE* pipe = popen(("/usr/bin/pactl -s " + server_ + " " + command + " 2>/dev/null").c_str(), "r")) {
      char buf[4096];
      for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
      pclose(pipe);
    }
    return out;
  }

  std::string dir_, server_;
  std::optional<ScopedEnv> serverEnv_;
  pid_t pid_ = 0;
};

// The mixer shows the program by its name, its desktop entry and that entry's icon.
TEST_F(PulseOutputTest, TheStreamSaysWhoPlaysAndTakesSamples) {
  std::string reason;
  std::unique_ptr<PulseOutput> out = PulseOutput::Connect(44100, 2, &reason);
  ASSERT_NE(out, nullptr) << reason;
  std::vector<float> silence(44100 / 2 * 2);  // half a second, more than the buffer holds
  ASSERT_TRUE(out->Write(silence.data(), silence.size() / 2, &reason)) << reason;
  int64_t latency = out->LatencyMicros();
  EXPECT_GT(latency, 0);
  EXPECT_LT(latency, 1000000);

  std::string inputs = Run("list sink-inputs");
  for (const char* property : {"application.name = \"Tamiro\"", "application.id = \"com.example.Tamiro\"",
                               "application.icon_name = \"com.example.Tamiro\"", "media.name = \"闹钟\""}) {
    SCOPED_TRACE(property);
    EXPECT_NE(inputs.find(property), std::string::npos) << inputs;
  }

  out->Flush();
  EXPECT_LT(out->LatencyMicros(), latency) << "a flush drops what waits in the buffer";
  out.reset();
  EXPECT_EQ(Run("list short sink-inputs"), "") << "the stream ends with its object";
}

TEST_F(PulseOutputTest, AServerThatIsGoneIsToldAsTheReason) {
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
  std::string reason;
  EXPECT_EQ(PulseOutput::Connect(44100, 2, &reason), nullptr);
  EXPECT_EQ(reason, "Connection refused");
}

}  // namespace

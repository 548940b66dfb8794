// The program, ended by a logout's signal while its update check waits on a stalled server,
// abandons the request and closes in order: the farewell line reaches the log.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "PageServer.h"
#include "TestSupport.h"
#include "platform/rtl/Text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Polls for up to the time given; true once the condition holds.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

pid_t StartProbe(const std::string& root, const PageServer& server) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool ours = false;  // set below
    for (const char* name : {"QT_QPA_PLATFORM=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=", "TAMIRO_"})
      ours = ours || entry.rfind(name, 0) == 0;
    if (!ours) env.push_back(entry);
  }
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("XDG_CONFIG_HOME=" + root + "/config");
  env.push_back("XDG_RUNTIME_DIR=" + root + "/run");
  env.push_back("TAMIRO_PROBE_SERVER=" + server.Address());
  env.push_back("TAMIRO_PROBE_CA=" + server.CaFile());
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = TAMIRO_UPDATE_QUIT_PROBE;
  char* argv[] = {program.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, (root + "/work").c_str());
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

TEST(UpdateQuitTest, ATerminationSignalDuringAStalledRequestClosesTheProgramInOrder) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(strsignal(signal));
    const TempFolder folder("tamiro-quit-test");
    const std::string& root = folder.Path();
    for (const char* sub : {"/config", "/run", "/work"}) fs::create_directories(root + sub);
    fs::permissions(root + "/run", fs::perms::owner_all);
    {
      PageServer server(root + "/pages");
      // The head of a reply, then nothing: only the signal can end this request soon.
      server.Serve("/Soft/Update/Tamiro/Kdsh.htm", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n[Tamiro]", 0, {},
                   PageServer::Then::Stall);
      pid_t pid = StartProbe(root, server);
      ASSERT_GT(pid, 0);
      int status = -1;
      auto ended = [&] { return waitpid(pid, &status, WNOHANG) == pid; };
      const bool asked = WaitFor([&] { return !server.Requests().empty(); }, std::chrono::seconds(30));
      kill(pid, signal);
      // Far below the request's own stall limit of a minute.
      if (!WaitFor(ended, std::chrono::seconds(30))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not end on the signal";
      }
      EXPECT_TRUE(asked) << "the probe never asked the server";
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    const std::string log = ReadBytes(root + "/work/Tamiro.Log");
    EXPECT_NE(log.find(Utf8ToGbk("(程序退出)谢谢使用Velora！")), std::string::npos) << GbkToUtf8(log);
  }
}

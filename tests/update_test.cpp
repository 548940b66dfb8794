// The online update check against a small HTTP server of the test's own on 127.0.0.1.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "TamiroFixture.h"
#include "platform/os/HttpClient.h"
#include "update/UpdateCheck.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramPage = "/Soft/Update/Tamiro/Kdsh.htm";
constexpr const char* kUpdaterPage = "/Soft/Update/Tamiro/chis.htm";
constexpr const char* kUpdater = "/Soft/Update/Tamiro/Update.exe";

// Serves a table of path → raw reply, one connection at a time, and records every request's head.
class PageServer {
 public:
  struct Reply {
    std::string raw;
    int delayMs = 0;
    std::function<void()> onRequest;  // runs on the server's thread before the delay
  };
  struct Request {
    std::string line;
    std::vector<std::string> headers;  // "Name: value"
    std::string Header(const std::string& name) const {
      for (const auto& h : headers)
        if (strncasecmp(h.c_str(), (name + ":").c_str(), name.size() + 1) == 0) return h.substr(name.size() + 2);
      return "<none>";
    }
  };

  static std::string Ok(const std::string& body, const std::string& extraHeaders = "") {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders +
           "Connection: close\r\n\r\n" + body;
  }

  PageServer() {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    EXPECT_EQ(listen(listen_, 8), 0);
    thread_ = std::thread([this] { Loop(); });
  }
  ~PageServer() {
    stop_ = true;
    thread_.join();
    close(listen_);
  }

  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int Port() const { return port_; }
  void Serve(const std::string& path, std::string raw, int delayMs = 0, std::function<void()> onRequest = {}) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{std::move(raw), delayMs, std::move(onRequest)};
  }
  std::vector<Request> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& r : Requests()) paths.push_back(r.line.substr(4, r.line.rfind(' ') - 4));
    return paths;
  }

 private:
  void Loop() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      Answer(client);
      close(client);
    }
  }
  void Answer(int client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      pollfd p{client, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) return;
      ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      head.append(buffer, static_cast<size_t>(n));
    }
    Request request;
    size_t start = 0, end;
    while ((end = head.find("\r\n", start)) != start && end != std::string::npos) {
      std::string line = head.substr(start, end - start);
      if (request.line.empty()) request.line = line; else request.headers.push_back(line);
      start = end + 2;
    }
    std::string path = request.line.substr(4, request.line.rfind(' ') - 4);
    Reply reply{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", 0, {}};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
      if (replies_.count(path)) reply = replies_[path];
    }
    if (reply.onRequest) reply.onRequest();
    if (reply.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
    for (size_t sent = 0; sent < reply.raw.size();) {
      ssize_t n = send(client, reply.raw.data() + sent, reply.raw.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
  }

  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, Reply> replies_;
  std::vector<Request> requests_;
};

// Sets a file's last-write time to a local moment "yyyy-mm-dd HH:MM:SS" plus nanoseconds.
void SetFileTime(const std::string& path, const std::string& local, long nanoseconds = 0) {
  std::tm tm{};
  ASSERT_EQ(sscanf(local.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                   &tm.tm_min, &tm.tm_sec), 6);
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  timespec times[2] = {{0, UTIME_OMIT}, {mktime(&tm), nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string ProgramPage(const std::string& published) { return "[Tamiro]\r\nDateTime=" + published + "\r\n"; }
std::string UpdaterPage(const std::string& published) { return "[chis]\r\nUpdate_DateTime=" + published + "\r\n"; }

const std::string kFailed = "连接服务器失败.";
const std::string kUpToDate = "你使用已经是最新版的Velora,无需升级";
const std::string kNewer = "网络上有新版本的Velora，是否升级？";

}  // namespace

class UpdateTest : public TamiroTest {
 protected:
  void SetUp() override {
    TamiroTest::SetUp();
    server_ = std::make_unique<PageServer>();
    savedAddress_ = UpdateServerAddress();
    savedProgram_ = UpdateProgramFile();
    UpdateServerAddress() = server_->Address();
    // The check compares this file as the running program, so its name is the page's section.
    UpdateProgramFile() = ProgramDir() + "Tamiro";
    WriteFile(ProgramDir() + "Tamiro", "program");
    SetFileTime(ProgramDir() + "Tamiro", "2026-03-01 12:00:00");
    fs::create_directories(ProgramDir() + "Update");
    StartAt("2026-03-02 08:15:30");
  }
  void TearDown() override {
    server_.reset();
    UpdateServerAddress() = savedAddress_;
    UpdateProgramFile() = savedProgram_;
    TamiroTest::TearDown();
  }
  std::string ProgramIni() const { return ProgramDir() + "/Update/Update.ini"; }
  std::string Updater() const { return ProgramDir() + "Update.exe"; }
  void ExpectBox(size_t index, const std::string& text, const std::string& caption, int flags) {
    ASSERT_GT(Ui().Boxes.size(), index);
    const auto& box = Ui().Boxes[index];
    EXPECT_EQ(box.Text, text);
    EXPECT_EQ(box.Caption, caption);
    EXPECT_EQ(box.Flags, flags);
    EXPECT_TRUE(box.Owned);
  }

  std::unique_ptr<PageServer> server_;
  std::string savedAddress_, savedProgram_;
};

TEST_F(UpdateTest, AFailedRequestTellsTheUserLeavesTheFileAndGivesTheButtonBack) {
  const std::string valid = PageServer::Ok(ProgramPage("2026-3-1 12:00:00"));
  struct Case {
    const char* name;
    std::string reply;  // empty: nothing listens on the port
  } cases[] = {
      {"server not reachable", ""},
      {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found"},
      // Following the redirect would find a valid page; it must not be followed.
      {"redirect", "HTTP/1.1 302 Found\r\nLocation: /moved.htm\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
      {"connection broken mid-body",
       "HTTP/1.1 200 OK\r\nContent-Length: 500\r\nConnection: close\r\n\r\n[Tamiro]\r\nDateTime=2026-3-1"},
      {"no HTTP reply", "SSH-2.0-OpenSSH_9.2\r\n\r\n"},
  };
  server_->Serve("/moved.htm", valid);
  WriteFile(ProgramIni(), "old page");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().Boxes.clear();
    if (c.reply.empty()) {
      PageServer closed;  // its port, once it has stopped, refuses connections
      UpdateServerAddress() = "http://127.0.0.1:" + std::to_string(closed.Port());
    } else {
      UpdateServerAddress() = server_->Address();
      server_->Serve(kProgramPage, c.reply);
    }
    Ui().AnswerBox(IDOK);
    F().Btn_ExeUpdate->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectBox(0, kFailed, kApplicationTitle, MB_OK);
    EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
    EXPECT_EQ(FileBytes(ProgramIni()), "old page");
    EXPECT_TRUE(Ui().ProgramStarts.empty());
    EXPECT_FALSE(F().Closed());
  }
  for (const auto& path : server_->Paths()) EXPECT_EQ(path, kProgramPage);
}

TEST_F(UpdateTest, ThePublishedTimeIsComparedWithTheProgramFileInWholeSeconds) {
  struct Case {
    const char* name;
    long fileNanoseconds;
    const char* published;
    bool newer;
  } cases[] = {
      {"same second", 0, "2026-3-1 12:00:00", false},
      {"a fraction counts as its whole second", 999000000, "2026-3-1 12:00:00", false},
      {"one second later", 0, "2026-3-1 12:00:01", true},
      {"one second later than a fraction", 999000000, "2026-3-1 12:00:01", true},
      {"published long ago", 0, "2025-12-31 23:59:59", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().Boxes.clear();
    SetFileTime(ProgramDir() + "Tamiro", "2026-03-01 12:00:00", c.fileNanoseconds);
    const std::string page = ProgramPage(c.published);
    server_->Serve(kProgramPage, PageServer::Ok(page));
    Ui().AnswerBox(c.newer ? IDNO : IDOK);
    F().Btn_ExeUpdate->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    if (c.newer)
      ExpectBox(0, kNewer, "发现新版", MB_YESNO | MB_ICONINFORMATION);
    else
      ExpectBox(0, kUpToDate, "已经是最新版", MB_OK | MB_ICONINFORMATION);
    // Declined or not, the page stays on disk and the button can be used again.
    EXPECT_EQ(FileBytes(ProgramIni()), page);
    EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
    EXPECT_FALSE(F().Closed());
  }
  EXPECT_EQ(server_->Paths().size(), std::size(cases));
  EXPECT_TRUE(Ui().ProgramStarts.empty());
}

TEST_F(UpdateTest, YesBringsTheUpdaterUpToDateStartsItAndClosesTheWindow) {
  const char updaterBytes[] = "MZ\0\x01\xff\xfe\r\n\n\r binary \x80\x81";
  const std::string newUpdater(updaterBytes, sizeof updaterBytes - 1);
  enum class Local { SameAsPublished, OneSecondOlder, Missing };
  struct Case {
    const char* name;
    Local local;
    bool scheduleRunning;  // the close then asks, and is refused
  } cases[] = {
      {"updater as new as published", Local::SameAsPublished, false},
      {"older updater", Local::OneSecondOlder, false},
      {"no updater yet", Local::Missing, false},
      {"schedule running, close refused", Local::SameAsPublished, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    server_ = std::make_unique<PageServer>();
    UpdateServerAddress() = server_->Address();
    server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01")));
    server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00")));
    server_->Serve(kUpdater, PageServer::Ok(newUpdater));
    fs::remove(Updater());
    if (c.local != Local::Missing) {
      WriteFile(Updater(), "old updater");
      SetFileTime(Updater(), c.local == Local::SameAsPublished ? "2026-02-20 09:30:00" : "2026-02-20 09:29:59");
    }
    if (c.scheduleRunning) {
      AddRow("07:30:00", "每天都响", "", "", true);
      F().Btn_Start->UserClick();
    }
    const auto logBefore = LogMessages();
    Ui().AnswerBox(IDYES);
    if (c.scheduleRunning) Ui().AnswerBox(IDNO);
    F().Btn_ExeUpdate->UserClick();

    const bool fetched = c.local != Local::SameAsPublished;
    std::vector<std::string> paths{kProgramPage, kUpdaterPage};
    if (fetched) paths.push_back(kUpdater);
    EXPECT_EQ(server_->Paths(), paths);
    EXPECT_EQ(FileBytes(ProgramDir() + "chis.ini"), UpdaterPage("2026-2-20 9:30:00"));
    EXPECT_EQ(FileBytes(Updater()), fetched ? newUpdater : "old updater");
    if (fetched) {
      EXPECT_EQ(access(Updater().c_str(), X_OK), 0);
    }
    EXPECT_EQ(Ui().ProgramStarts, std::vector<std::string>{Updater()});
    EXPECT_EQ(F().Closed(), !c.scheduleRunning);
    EXPECT_FALSE(F().Btn_ExeUpdate->Enabled());
    EXPECT_EQ(Ui().Boxes.size(), c.scheduleRunning ? 2u : 1u);
    EXPECT_EQ(LogMessages(), logBefore);
  }
}

TEST_F(UpdateTest, AFailedUpdaterDownloadKeepsTheOldUpdaterAndTheProgramRunning) {
  server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01")));
  server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00")));
  // Part of the new updater arrives, then the connection breaks.
  server_->Serve(kUpdater, "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\nConnection: close\r\n\r\nMZ partial");
  WriteFile(Updater(), "old updater");
  SetFileTime(Updater(), "2026-01-01 00:00:00");
  Ui().AnswerBox(IDYES);
  Ui().AnswerBox(IDOK);
  F().Btn_ExeUpdate->UserClick();

  ASSERT_EQ(Ui().Boxes.size(), 2u);
  ExpectBox(1, kFailed, kApplicationTitle, MB_OK);
  EXPECT_EQ(FileBytes(Updater()), "old updater");
  EXPECT_EQ(FileBytes(ProgramDir() + "chis.ini"), UpdaterPage("2026-2-20 9:30:00"));
  EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
  EXPECT_TRUE(Ui().ProgramStarts.empty());
  EXPECT_FALSE(F().Closed());
}

TEST_F(UpdateTest, AnErrorOutsideARequestIsReportedAndLeavesTheButtonDisabled) {
  struct Case {
    const char* name;
    bool updateFolder;
    std::string page;
    std::string report;
  } cases[] = {
      {"no Update folder", false, ProgramPage("2026-3-1 12:00:01"),
       "Cannot create file \"" + ProgramDir() + "/Update/Update.ini\". No such file or directory"},
      {"page without the program's section", true, "[Tamiro.exe]\r\nDateTime=2026-3-1 12:00:01\r\n",
       "'' is not a valid date and time"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().Boxes.clear();
    fs::remove_all(ProgramDir() + "Update");
    if (c.updateFolder) fs::create_directories(ProgramDir() + "Update");
    server_->Serve(kProgramPage, PageServer::Ok(c.page));
    // The button is disabled from the first case on; the tray item still runs the check.
    Ui().AnswerBox(IDOK);
    F().numupdate->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectBox(0, c.report, kApplicationTitle, MB_OK | MB_ICONERROR);
    EXPECT_FALSE(F().Btn_ExeUpdate->Enabled());
  }
  // The tray item still starts a new check, which now finds everything in place.
  fs::create_directories(ProgramDir() + "Update");
  server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:00")));
  Ui().Boxes.clear();
  Ui().AnswerBox(IDOK);
  F().numupdate->UserClick();
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectBox(0, kUpToDate, "已经是最新版", MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
}

TEST_F(UpdateTest, RequestsCarryTheClientHeadersAndTheServersCookies) {
  server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01"), "Set-Cookie: sid=4711; Path=/\r\n"));
  server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00")));
  server_->Serve(kUpdater, PageServer::Ok("MZ"));
  Ui().AnswerBox(IDYES);
  F().Btn_ExeUpdate->UserClick();

  const auto requests = server_->Requests();
  ASSERT_EQ(requests.size(), 3u);
  const char* paths[] = {kProgramPage, kUpdaterPage, kUpdater};
  for (size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    const auto& r = requests[i];
    EXPECT_EQ(r.line, std::string("GET ") + paths[i] + " HTTP/1.1");
    EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(server_->Port()));
    EXPECT_EQ(r.Header("Accept"), "text/html, */*");
    EXPECT_EQ(r.Header("Content-Type"), "text/html");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(r.Header("Cookie"), i == 0 ? "<none>" : "sid=4711");
  }
}

// While the server is slow, the window goes on handling its messages; a second check started
// from the tray meanwhile is ignored rather than sharing the one request.
TEST_F(UpdateTest, TheWindowKeepsWorkingWhileARequestWaits) {
  bool ranDuringWait = false, buttonWasDisabled = false;
  server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:00")), 1500, [&] {
    Ui().Post([&] {
      ranDuringWait = true;
      buttonWasDisabled = !F().Btn_ExeUpdate->Enabled();
      F().numupdate->UserClick();
    });
  });
  Ui().AnswerBox(IDOK);
  F().Btn_ExeUpdate->UserClick();

  EXPECT_TRUE(ranDuringWait);
  EXPECT_TRUE(buttonWasDisabled);
  EXPECT_EQ(server_->Paths().size(), 1u);
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectBox(0, kUpToDate, "已经是最新版", MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
}

// The online update check against a TLS page server of the test's own on 127.0.0.1.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "UpdateFixture.h"
#include "platform/os/HttpClient.h"

namespace fs = std::filesystem;
using namespace update_test;

namespace {

// A port of 127.0.0.1 on which nothing listens.
int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace

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
  WriteBytes(ProgramIni(), "old page");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().Boxes.clear();
    if (c.reply.empty()) {
      UpdateServerAddress() = "https://127.0.0.1:" + std::to_string(ClosedPort());
    } else {
      UpdateServerAddress() = server_->Address();
      server_->Serve(kProgramPage, c.reply);
    }
    ExpectFailedRequestOnClick();
    if (HasFatalFailure()) return;
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
    server_ = NewServer();
    UpdateServerAddress() = server_->Address();
    const std::string updaterPage = UpdaterPage("2026-2-20 9:30:00", release_.Sign(newUpdater));
    server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01")));
    server_->Serve(kUpdaterPage, PageServer::Ok(updaterPage));
    server_->Serve(kUpdater, PageServer::Ok(newUpdater));
    fs::remove(Updater());
    if (c.local != Local::Missing) {
      // One as new as the published one is that one, signature and all.
      WriteBytes(Updater(), c.local == Local::SameAsPublished ? newUpdater : "old updater");
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
    EXPECT_EQ(FileBytes(ProgramDir() + "chis.ini"), updaterPage);
    EXPECT_EQ(FileBytes(Updater()), newUpdater);
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
  const std::string updaterPage = UpdaterPage("2026-2-20 9:30:00", release_.Sign("MZ complete"));
  server_->Serve(kUpdaterPage, PageServer::Ok(updaterPage));
  // Part of the new updater arrives, then the connection breaks.
  server_->Serve(kUpdater, "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\nConnection: close\r\n\r\nMZ partial");
  WriteBytes(Updater(), "old updater");
  SetFileTime(Updater(), "2026-01-01 00:00:00");
  Ui().AnswerBox(IDYES);
  Ui().AnswerBox(IDOK);
  F().Btn_ExeUpdate->UserClick();

  ASSERT_EQ(Ui().Boxes.size(), 2u);
  ExpectBox(1, kFailed, kApplicationTitle, MB_OK);
  EXPECT_EQ(FileBytes(Updater()), "old updater");
  EXPECT_EQ(FileBytes(ProgramDir() + "chis.ini"), updaterPage);
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
  server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00", release_.Sign("MZ"))));
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

// What the update check trusts: only a server that proves to be the one asked for, only replies
// of a bounded size and pace, only an updater that carries the release's signature; and a
// request gives way at once when the program ends.
#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "UpdateFixture.h"
#include "platform/os/HttpClient.h"

namespace fs = std::filesystem;
using namespace update_test;
using Transport = PageServer::Transport;
using Then = PageServer::Then;

TEST_F(UpdateTest, AServerThatCannotBeTrustedOrStallsOrFloodsIsAFailedRequest) {
  ShortTimeLimits();
  // Each server has the valid page to give: only the client's refusal keeps it from being read.
  const std::string valid = PageServer::Ok(ProgramPage("2026-3-1 12:00:00"));
  struct Case {
    const char* name;
    Transport transport;
    const char* scheme;  // in place of the server's own, or nullptr
    std::string reply;
    Then then;
    bool requestSent;
  } cases[] = {
      {"plain http address", Transport::Plain, nullptr, valid, Then::Close, false},
      {"https address, server without TLS", Transport::Plain, "https", valid, Then::Close, false},
      {"certificate for another host name", Transport::OtherHostName, nullptr, valid, Then::Close, false},
      {"certificate from a CA the client does not trust", Transport::UntrustedCa, nullptr, valid, Then::Close, false},
      {"server silent after accepting", Transport::Silent, nullptr, valid, Then::Close, false},
      // libcurl averages the pace over a few seconds, so a stall after some data takes that much
      // longer to fail; the limit itself is the same.
      {"no reply after the request", Transport::Tls, nullptr, "", Then::Stall, true},
      {"endless body", Transport::Tls, nullptr, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n[Tamiro]\r\n",
       Then::Endless, true},
      {"body announced larger than a page may be", Transport::Tls, nullptr,
       "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n[Tamiro]\r\n", Then::Stall, true},
  };
  WriteBytes(ProgramIni(), "old page");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ui().Boxes.clear();
    auto server = NewServer(c.transport);
    server->Serve(kProgramPage, c.reply, 0, {}, c.then);
    std::string address = server->Address();
    if (c.scheme) address = c.scheme + address.substr(address.find(':'));
    UpdateServerAddress() = address;
    ExpectFailedRequestOnClick();
    if (HasFatalFailure()) return;
    EXPECT_EQ(server->Requests().size(), c.requestSent ? 1u : 0u);
  }
  EXPECT_TRUE(Ui().ProgramStarts.empty());
  EXPECT_FALSE(F().Closed());
}

TEST_F(UpdateTest, PagesAndTheUpdaterAreTakenUpToTheirLimitsAndNoFurther) {
  enum class Resource { Page, Updater };
  struct Case {
    const char* name;
    Resource resource;
    size_t size;
    bool announced;  // Content-Length sent; else the body ends when the connection does
    bool taken;
  } cases[] = {
      {"page at the limit", Resource::Page, 1000, true, true},
      {"page a byte over, announced", Resource::Page, 1001, true, false},
      {"page a byte over, unannounced", Resource::Page, 1001, false, false},
      {"updater at the limit", Resource::Updater, 5000, false, true},
      {"updater a byte over, announced", Resource::Updater, 5001, true, false},
      {"updater a byte over, unannounced", Resource::Updater, 5001, false, false},
  };
  auto reply = [](const std::string& body, bool announced) {
    return announced ? PageServer::Ok(body) : "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    UpdateLimits() = UpdateSizeLimits{1000, 5000};
    fs::remove(ProgramIni());
    WriteBytes(Updater(), "old updater");
    SetFileTime(Updater(), "2026-01-01 00:00:00");
    if (c.resource == Resource::Page) {
      std::string page = ProgramPage("2026-3-1 12:00:00") + "Note=";
      page += std::string(c.size - page.size() - 2, 'x') + "\r\n";
      server_->Serve(kProgramPage, reply(page, c.announced));
      Ui().AnswerBox(IDOK);
      F().Btn_ExeUpdate->UserClick();
      ASSERT_EQ(Ui().Boxes.size(), 1u);
      EXPECT_EQ(Ui().Boxes[0].Text, c.taken ? kUpToDate : kFailed);
      EXPECT_EQ(FileBytes(ProgramIni()), c.taken ? page : "");
    } else {
      const std::string updater(c.size, 'U');
      server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01")));
      server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00", release_.Sign(updater))));
      server_->Serve(kUpdater, reply(updater, c.announced));
      Ui().AnswerBox(IDYES);
      if (!c.taken) Ui().AnswerBox(IDOK);
      F().Btn_ExeUpdate->UserClick();
      EXPECT_EQ(BoxTexts().back(), c.taken ? kNewer : kFailed);
      EXPECT_EQ(FileBytes(Updater()), c.taken ? updater : "old updater");
      EXPECT_EQ(Ui().ProgramStarts.size(), c.taken ? 1u : 0u);
      EXPECT_EQ(F().Closed(), c.taken);
    }
  }
}

TEST_F(UpdateTest, AnUpdaterWithoutTheReleasesSignatureIsNeverStarted) {
  const std::string genuine = "MZ the genuine updater";
  std::string tampered = genuine;
  tampered[5] ^= 0x01;
  const std::string planted = "#!/bin/sh\necho planted > /tmp/owned\n";
  const KeyPair stranger;
  struct Case {
    const char* name;
    std::string signature;  // on the updater's page; empty: none
    std::string served;     // the updater the server gives
    std::string local;      // the file on disk before the check
    bool localOlder;        // older than published: the served one is fetched
  } cases[] = {
      {"tampered download, one bit", release_.Sign(genuine), tampered, "old updater", true},
      {"unsigned download", "", genuine, "old updater", true},
      {"download signed by another key", stranger.Sign(genuine), genuine, "old updater", true},
      {"signature cut short", release_.Sign(genuine).substr(0, 80), genuine, "old updater", true},
      {"signature with text after it", release_.Sign(genuine) + "AAAA", genuine, "old updater", true},
      {"planted file beside the program", release_.Sign(genuine), genuine, planted, false},
      {"planted file, page without signature", "", genuine, planted, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    server_ = NewServer();
    UpdateServerAddress() = server_->Address();
    // Published in the future: whatever is on disk counts as older unless told otherwise.
    server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2099-1-1 00:00:00")));
    server_->Serve(kUpdaterPage, PageServer::Ok(UpdaterPage("2026-2-20 9:30:00", c.signature)));
    server_->Serve(kUpdater, PageServer::Ok(c.served));
    WriteBytes(Updater(), c.local);
    chmod(Updater().c_str(), 0755);
    SetFileTime(Updater(), c.localOlder ? "2026-02-20 09:29:59" : "2026-02-20 09:30:00");
    Ui().AnswerBox(IDYES);
    Ui().AnswerBox(IDOK);
    F().Btn_ExeUpdate->UserClick();

    ASSERT_EQ(Ui().Boxes.size(), 2u);
    ExpectBox(1, kRefused, kApplicationTitle, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(Ui().ProgramStarts.empty());
    EXPECT_FALSE(F().Closed());
    EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
    EXPECT_EQ(FileBytes(Updater()), c.local);
    std::vector<std::string> paths{kProgramPage, kUpdaterPage};
    if (c.localOlder) paths.push_back(kUpdater);
    EXPECT_EQ(server_->Paths(), paths);
    // Nothing half-written is left beside the program.
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(ProgramDir())) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"Tamiro", "Update", "Update.exe", "chis.ini"}));
  }
}

// The window closes while the server holds the request: no box, no second request, nothing saved.
TEST_F(UpdateTest, ClosingTheProgramDuringARequestEndsTheCheckWithoutAWord) {
  F().IdHTTP1->ReadTimeout = 30000;
  server_->Serve(kProgramPage, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n[Tamiro]", 0,
                 [&] { Ui().Post([&] { F().Close(); }); }, Then::Stall);
  F().Btn_ExeUpdate->UserClick();

  EXPECT_TRUE(F().Closed());
  EXPECT_TRUE(Ui().QuitRequested);
  EXPECT_TRUE(Ui().Boxes.empty());
  EXPECT_TRUE(Ui().ProgramStarts.empty());
  EXPECT_FALSE(fs::exists(ProgramIni()));
  EXPECT_EQ(server_->Paths(), std::vector<std::string>{kProgramPage});
}

// The client, not the stall limit, ends the request: with the limit 30 s away, the reason says so.
TEST_F(UpdateTest, TheClientAbandonsAWaitingRequestWhenTheApplicationTerminates) {
  F().IdHTTP1->ReadTimeout = 30000;
  F().IdHTTP1->CaFile = server_->CaFile();
  server_->Serve(kProgramPage, "", 0, [&] { Ui().Post([] { Application->Terminate(); }); }, Then::Stall);
  std::string body = "untouched";
  for (const char* when : {"while waiting", "after the end"}) {
    SCOPED_TRACE(when);
    try {
      F().IdHTTP1->Get(server_->Address() + kProgramPage, body);
      ADD_FAILURE() << "the request succeeded";
    } catch (const EIdException& error) {
      EXPECT_THAT(error.what(), ::testing::HasSubstr("abandoned"));
    }
    EXPECT_EQ(body, "untouched");
  }
  EXPECT_EQ(server_->Paths().size(), 1u);
}

// A release signs with the project's tool; its line on the page is what the check accepts.
TEST_F(UpdateTest, TheSigningToolsKeyAndLineAreWhatTheCheckAccepts) {
  auto run = [](const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe)) out += buffer;
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  };
  const std::string tool = TAMIRO_SIGN_TOOL, key = Root() + "/release.key", file = Root() + "/Update.exe";
  const std::string updater = "MZ signed by the tool";
  WriteBytes(file, updater);
  UpdatePublicKey() = run(tool + " keygen " + key);
  const std::string line = run(tool + " sign " + key + " " + file);
  ASSERT_EQ(line.rfind("Update_Signature=", 0), 0u) << line;
  EXPECT_EQ(fs::status(key).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  for (bool genuine : {false, true}) {
    SCOPED_TRACE(genuine ? "the signed file" : "another file");
    RestartAt("2026-03-02 08:15:30");
    server_->Serve(kProgramPage, PageServer::Ok(ProgramPage("2026-3-1 12:00:01")));
    server_->Serve(kUpdaterPage, PageServer::Ok("[chis]\r\nUpdate_DateTime=2026-2-20 9:30:00\r\n" + line + "\r\n"));
    server_->Serve(kUpdater, PageServer::Ok(genuine ? updater : updater + " "));
    fs::remove(Updater());
    Ui().AnswerBox(IDYES);
    if (!genuine) Ui().AnswerBox(IDOK);
    F().Btn_ExeUpdate->UserClick();
    EXPECT_EQ(BoxTexts().back(), genuine ? kNewer : kRefused);
    EXPECT_EQ(Ui().ProgramStarts.size(), genuine ? 1u : 0u);
    EXPECT_EQ(FileBytes(Updater()), genuine ? updater : "");
  }
}

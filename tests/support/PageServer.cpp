// Starts the page server process, writes its replies, reads back what it was asked.
#include "PageServer.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Runs the server program to its end; throws when it fails.
void RunToEnd(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start " + args[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " " + args[1] + " failed");
}

const char* TransportName(PageServer::Transport transport) {
  switch (transport) {
    case PageServer::Transport::Tls: return "good";
    case PageServer::Transport::OtherHostName: return "otherhost";
    case PageServer::Transport::UntrustedCa: return "untrusted";
    case PageServer::Transport::Plain: return "plain";
    case PageServer::Transport::Silent: return "silent";
  }
  return "good";
}

}  // namespace

std::string PageServer::Request::Header(const std::string& name) const {
  for (const auto& h : headers)
    if (strncasecmp(h.c_str(), (name + ":").c_str(), name.size() + 1) == 0) return h.substr(name.size() + 2);
  return "<none>";
}

PageServer::PageServer(const std::string& folder, Transport transport) : transport_(transport) {
  static int serial = 0;
  certs_ = folder + "/certs";
  dir_ = folder + "/server-" + std::to_string(++serial);
  if (!fs::exists(certs_ + "/ca.pem")) {
    fs::create_directories(certs_);
    RunToEnd({TAMIRO_PAGE_SERVER, "certs", certs_});
  }
  fs::create_directories(dir_ + "/replies");
  std::string how = TransportName(transport);
  if (how != "plain" && how != "silent") how = certs_ + "/" + how;

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<std::string> args{TAMIRO_PAGE_SERVER, "serve", dir_, how, std::to_string(getpid())};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string line;
  char c;
  pollfd p{out[0], POLLIN, 0};
  while (rc == 0 && poll(&p, 1, 10000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  if (rc != 0 || line.empty()) throw std::runtime_error("the page server did not start");
  port_ = std::stoi(line);
}

PageServer::~PageServer() {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

std::string PageServer::Address() const {
  return (transport_ == Transport::Plain ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(port_);
}

std::string PageServer::Ok(const std::string& body, const std::string& extraHeaders) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders +
         "Connection: close\r\n\r\n" + body;
}

void PageServer::Serve(const std::string& path, const std::string& raw, int delayMs, std::function<void()> onRequest,
                       Then then) {
  std::string name = path;
  for (char& c : name)
    if (c == '/') c = '_';
  static const char* thenNames[] = {"close", "stall", "endless"};
  // Written beside and renamed, so the server never reads half a reply.
  const std::string file = dir_ + "/replies/" + name;
  std::ofstream(file + ".new", std::ios::binary)
      << delayMs << ' ' << thenNames[static_cast<int>(then)] << '\n' << raw << std::flush;
  fs::rename(file + ".new", file);
  std::lock_guard<std::mutex> lock(mutex_);
  if (onRequest)
    onRequest_[path] = std::move(onRequest);
  else
    onRequest_.erase(path);
  if (!onRequest_.empty() && !watcher_.joinable()) watcher_ = std::thread([this] { Watch(); });
}

std::vector<PageServer::Request> PageServer::Requests() const {
  std::vector<Request> requests;
  const std::string log = ReadBytes(dir_ + "/requests.log");
  size_t start = 0, end;
  while ((end = log.find("\r\n\r\n", start)) != std::string::npos) {
    Request request;
    std::istringstream head(log.substr(start, end - start));
    for (std::string line; std::getline(head, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (request.line.empty())
        request.line = line;
      else
        request.headers.push_back(line);
    }
    requests.push_back(request);
    start = end + 4;
  }
  return requests;
}

std::vector<std::string> PageServer::Paths() const {
  std::vector<std::string> paths;
  for (const auto& r : Requests()) paths.push_back(r.line.substr(4, r.line.rfind(' ') - 4));
  return paths;
}

// Follows the request log and runs each path's onRequest when its request arrives.
void PageServer::Watch() {
  size_t seen = 0;
  while (!stop_) {
    std::vector<std::string> paths = Paths();
    for (; seen < paths.size(); ++seen) {
      std::function<void()> work;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = onRequest_.find(paths[seen]);
        if (found != onRequest_.end()) work = found->second;
      }
      if (work) work();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

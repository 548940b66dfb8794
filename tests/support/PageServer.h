// A page server of the test's own on 127.0.0.1: a separate process (tamiro_tls_page_server)
// that speaks TLS with certificates made for the test, started here and ended by its id.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PageServer {
 public:
  // How the server meets a client: TLS with a certificate for 127.0.0.1 from the test CA, for
  // another host name from that CA, for 127.0.0.1 from a CA the client does not know; no TLS;
  // or a server that accepts and never says a word.
  enum class Transport { Tls, OtherHostName, UntrustedCa, Plain, Silent };
  // After the reply's bytes: close, keep the connection open without a word, or send for ever.
  enum class Then { Close, Stall, Endless };
  struct Request {
    std::string line;
    std::vector<std::string> headers;  // "Name: value"
    // The value of a header, or "<none>".
    std::string Header(const std::string& name) const;
  };

  // Makes the test CA and certificates in the folder (its "certs" below), once per folder.
  explicit PageServer(const std::string& folder, Transport transport = Transport::Tls);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  // "https://127.0.0.1:port"; "http://…" for a plain server.
  std::string Address() const;
  int Port() const { return port_; }
  // The CA file that a client trusts the server's certificate with.
  std::string CaFile() const { return certs_ + "/ca.pem"; }

  static std::string Ok(const std::string& body, const std::string& extraHeaders = "");
  // The raw reply for a path; onRequest runs on a thread of the test's as soon as the request has
  // arrived, before the delay ends.
  void Serve(const std::string& path, const std::string& raw, int delayMs = 0,
             std::function<void()> onRequest = {}, Then then = Then::Close);
  std::vector<Request> Requests() const;
  std::vector<std::string> Paths() const;

 private:
  void Watch();

  std::string certs_, dir_;
  Transport transport_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::mutex mutex_;
  std::map<std::string, std::function<void()>> onRequest_;
  std::atomic<bool> stop_{false};
  std::thread watcher_;
};

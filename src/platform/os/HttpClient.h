// An HTTP GET client as a component, and the component that keeps the window alive while it waits.
//
// Implements: GET of an absolute https:// address over HTTP/1.1 (libcurl, multi interface, on the
// calling thread) with the certificate and host name checked against the system's CA store (or
// a CA file given), fixed request headers, an in-memory cookie store per client, no proxy unless
// one is set, redirects not followed, a limit on the reply's size, time limits on connecting
// and on a stalled transfer; while waiting, the application's messages are processed through
// the process's TIdAntiFreeze, and a request is abandoned once the application terminates.
// Leaves out: plain http:// (refused), client certificates, proxies that need a login.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Component.h"

// No connection, a broken connection, a certificate that does not hold, a reply that is no HTTP
// or too large, a stalled transfer, a request abandoned by the application's end, or a client
// already busy.
class EIdException : public Exception {
  using Exception::Exception;
};

// A complete reply whose status is outside 200–299 (a redirect too). The message is the status line.
class EIdHTTPProtocolException : public EIdException {
 public:
  EIdHTTPProtocolException(const std::string& message, int errorCode) : EIdException(message), ErrorCode(errorCode) {}
  int ErrorCode;
};

// Processes the application's pending messages at the waits of a client, so the window repaints
// and timers fire while a request blocks the user-interface thread. The newest one is the
// process's; clients find it themselves.
class TIdAntiFreeze : public TComponent {
 public:
  TIdAntiFreeze(TComponent* owner, std::string name);
  ~TIdAntiFreeze() override;
  // The process's anti-freeze, or nullptr when none exists.
  static TIdAntiFreeze* Current();

  bool Active = true;
  // On: only waits that saw no network activity process messages; off: every wait does.
  bool OnlyWhenIdle = true;
  // Called by a client at each of its waits. May run any handler of the window.
  void Process(bool networkIdle);
};

struct TIdHTTPRequest {
  std::string Accept = "text/html, */*";
  std::string ContentType = "text/html";
  std::string UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
};

class TIdHTTP : public TComponent {
 public:
  TIdHTTP(TComponent* owner, std::string name);
  ~TIdHTTP() override;

  TIdHTTPRequest Request;
  // Milliseconds to connect, TLS handshake included; 0: libcurl's own limit.
  int ConnectTimeout = 0;
  // Milliseconds (in whole seconds, rounded up) in which a transfer moving less than one byte
  // a second fails; 0: no limit.
  int ReadTimeout = 0;
  // The largest reply body taken, in bytes; a larger one fails the request. 0: no limit.
  std::size_t MaxResponseSize = 0;
  // A file of trusted CA certificates (PEM) in place of the system's store; empty: the system's.
  std::string CaFile;
  // Cookies the server sets are kept in memory and sent back on later requests of this client.
  bool AllowCookies = true;
  // Empty: a direct connection, whatever the environment's proxy variables say.
  std::string ProxyServer;
  int ProxyPort = 0;

  // GETs the address and returns only when the reply has been read completely. The body is
  // replaced only on success (status 200–299); on any failure it throws EIdException (or
  // EIdHTTPProtocolException for a status) and leaves the body alone. Redirects are failures.
  // A call made while this client waits (from a handler run by the anti-freeze), or once the
  // application terminates, fails at once.
  void Get(const std::string& url, std::string& body);
  // The status of the last complete reply; 0 before any.
  int ResponseCode() const { return responseCode_; }

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  bool busy_ = false;
  int responseCode_ = 0;
};

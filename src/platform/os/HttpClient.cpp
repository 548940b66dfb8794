// HTTPS GET over libcurl's multi interface, waiting in short steps that let the window work.
#include "platform/os/HttpClient.h"

#include <curl/curl.h>

#include <mutex>
#include <vector>

#include "platform/vcl/Forms.h"

namespace {

// The longest single wait for the network before the window's messages get their turn.
constexpr int kWaitStepMs = 20;

TIdAntiFreeze* currentAntiFreeze = nullptr;

constexpr const char* kAbandoned = "The request was abandoned: the program is closing";

bool Closing() { return Application && Application->Terminated(); }

// What one transfer collects. The callbacks below write here and never let an exception
// out into libcurl: they stop the transfer instead and leave the reason.
struct Transfer {
  std::string body;
  std::size_t limit = 0;  // 0: none
  std::string statusLine;
  const char* failure = nullptr;
};

// Returning fewer bytes than offered makes libcurl end the transfer with a write error.
size_t CollectBody(char* data, size_t size, size_t count, void* target) noexcept {
  auto* transfer = static_cast<Transfer*>(target);
  const size_t length = size * count;
  if (transfer->limit > 0 && length > transfer->limit - transfer->body.size()) {
    transfer->failure = "The reply is larger than this request allows";
    return 0;
  }
  try {
    transfer->body.append(data, length);
  } catch (...) {
    transfer->failure = "Out of memory for the reply";
    return 0;
  }
  return length;
}

// Keeps the last status line seen: after a "100 Continue" the final one counts.
size_t CollectStatusLine(char* data, size_t size, size_t count, void* target) noexcept {
  auto* transfer = static_cast<Transfer*>(target);
  const size_t length = size * count;
  try {
    std::string line(data, length);
    if (line.rfind("HTTP/", 0) == 0) {
      while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
      transfer->statusLine = std::move(line);
    }
  } catch (...) {
    transfer->failure = "Out of memory for the reply";
    return 0;
  }
  return length;
}

struct HeaderList {
  curl_slist* list = nullptr;
  ~HeaderList() { curl_slist_free_all(list); }
  void Add(const std::string& header) {
    curl_slist* grown = curl_slist_append(list, header.c_str());
    if (!grown) throw EIdException("Out of memory");
    list = grown;
  }
};

}  // namespace

TIdAntiFreeze::TIdAntiFreeze(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {
  currentAntiFreeze = this;
}

TIdAntiFreeze::~TIdAntiFreeze() {
  if (currentAntiFreeze == this) currentAntiFreeze = nullptr;
}

TIdAntiFreeze* TIdAntiFreeze::Current() { return currentAntiFreeze; }

void TIdAntiFreeze::Process(bool networkIdle) {
  if (!Active || (OnlyWhenIdle && !networkIdle)) return;
  if (Application) Application->ProcessMessages();
}

// The multi handle lives as long as the client; each request gets an easy handle of its own,
// and the cookies are carried over from one to the next (a handle reused through resets would
// keep names of cookie files libcurl never frees).
struct TIdHTTP::Handles {
  CURLM* multi = nullptr;
  std::vector<std::string> cookies;  // Netscape cookie-file lines
  ~Handles() {
    if (multi) curl_multi_cleanup(multi);
  }
};

namespace {

struct EasyHandle {
  CURL* easy = curl_easy_init();
  ~EasyHandle() {
    if (easy) curl_easy_cleanup(easy);
  }
};

// The cookies the handle holds now, as lines it can be given back.
std::vector<std::string> CookiesOf(CURL* easy) {
  std::vector<std::string> lines;
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK) return lines;
  try {
    for (curl_slist* item = list; item; item = item->next) lines.emplace_back(item->data);
  } catch (...) {
    curl_slist_free_all(list);
    throw;
  }
  curl_slist_free_all(list);
  return lines;
}

}  // namespace

TIdHTTP::TIdHTTP(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}
TIdHTTP::~TIdHTTP() = default;

void TIdHTTP::Get(const std::string& url, std::string& body) {
  // A handler run during our wait cannot share the one transfer in progress.
  if (busy_) throw EIdException("The HTTP client is busy with another request");
  if (Closing()) throw EIdException(kAbandoned);
  busy_ = true;
  struct Release {
    bool& busy;
    ~Release() { busy = false; }
  } release{busy_};

  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (!handles_) {
    auto made = std::make_unique<Handles>();
    made->multi = curl_multi_init();
    if (!made->multi) throw EIdException("The HTTP client could not be set up");
    handles_ = std::move(made);
  }
  EasyHandle handle;
  CURL* easy = handle.easy;
  if (!easy) throw EIdException("The HTTP client could not be set up");

  Transfer transfer;
  transfer.limit = MaxResponseSize;
  char errorText[CURL_ERROR_SIZE] = "";
  HeaderList headers;
  headers.Add("Accept: " + Request.Accept);
  headers.Add("Content-Type: " + Request.ContentType);

  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  // Only TLS: whoever answers must prove to be the host asked for. http:// fails here.
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(easy, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  if (!CaFile.empty()) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, CaFile.c_str());
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
  }
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, Request.UserAgent.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(easy, CURLOPT_PROXY, ProxyServer.c_str());
  if (!ProxyServer.empty() && ProxyPort > 0) curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(ProxyPort));
  if (AllowCookies) {
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the in-memory store, no file
    for (const std::string& line : handles_->cookies) curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
  } else {
    handles_->cookies.clear();
  }
  if (ConnectTimeout > 0) curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectTimeout));
  if (ReadTimeout > 0) {
    // Under one byte a second for the whole time-out counts as no data.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>((ReadTimeout + 999) / 1000));
  }
  // A reply announced as too large fails before its body; one that grows too large, as it grows.
  if (MaxResponseSize > 0)
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxResponseSize));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, CollectStatusLine);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);

  CURLM* multi = handles_->multi;
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) throw EIdException("The HTTP client could not start");
  struct Detach {
    CURLM* multi;
    CURL* easy;
    ~Detach() { curl_multi_remove_handle(multi, easy); }
  } detach{multi, easy};

  // Between short polls the window gets its turn. A quit meanwhile (the user's close, a logout's
  // signal) abandons the transfer, so the program can close without waiting for the network.
  int running = 1;
  while (true) {
    CURLMcode step = curl_multi_perform(multi, &running);
    if (step != CURLM_OK) throw EIdException(curl_multi_strerror(step));
    if (running == 0) break;
    int active = 0;
    step = curl_multi_poll(multi, nullptr, 0, kWaitStepMs, &active);
    if (step != CURLM_OK) throw EIdException(curl_multi_strerror(step));
    if (TIdAntiFreeze* antiFreeze = TIdAntiFreeze::Current()) antiFreeze->Process(active == 0);
    if (Closing()) throw EIdException(kAbandoned);
  }

  CURLcode result = CURLE_OK;
  bool done = false;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left))
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
      result = message->data.result;
      done = true;
    }
  if (!done) throw EIdException("The HTTP transfer ended without a result");
  if (AllowCookies) handles_->cookies = CookiesOf(easy);
  if (result != CURLE_OK)
    throw EIdException(transfer.failure ? transfer.failure : errorText[0] ? errorText : curl_easy_strerror(result));

  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  responseCode_ = static_cast<int>(code);
  if (code < 200 || code > 299)
    throw EIdHTTPProtocolException(
        transfer.statusLine.empty() ? "HTTP status " + std::to_string(code) : transfer.statusLine, responseCode_);
  body = std::move(transfer.body);
}

// HTTP GET over libcurl's multi interface, waiting in short steps that let the window work.
#include "platform/os/HttpClient.h"

#include <curl/curl.h>

#include <mutex>

#include "platform/vcl/Forms.h"

namespace {

// The longest single wait for the network before the window's messages get their turn.
constexpr int kWaitStepMs = 20;

TIdAntiFreeze* currentAntiFreeze = nullptr;

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

// Keeps the last status line seen: after a "100 Continue" the final one counts.
size_t CollectStatusLine(char* data, size_t size, size_t count, void* target) {
  std::string line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    *static_cast<std::string*>(target) = line;
  }
  return size * count;
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

// One easy handle for the client's life keeps its cookies from request to request. It is
// never reset: a reset forgets the cookie-file option's list without freeing it. So every
// request sets each option it uses, and lets go of its own buffers when it ends.
struct TIdHTTP::Handles {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  bool cookieStore = false;  // the in-memory store is on
  ~Handles() {
    if (multi) curl_multi_cleanup(multi);
    if (easy) curl_easy_cleanup(easy);
  }
};

TIdHTTP::TIdHTTP(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}
TIdHTTP::~TIdHTTP() = default;

void TIdHTTP::Get(const std::string& url, std::string& body) {
  // A handler run during our wait cannot share the one transfer in progress.
  if (busy_) throw EIdException("The HTTP client is busy with another request");
  busy_ = true;
  struct Release {
    bool& busy;
    ~Release() { busy = false; }
  } release{busy_};

  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (!handles_) {
    auto made = std::make_unique<Handles>();
    made->easy = curl_easy_init();
    made->multi = curl_multi_init();
    if (!made->easy || !made->multi) throw EIdException("The HTTP client could not be set up");
    handles_ = std::move(made);
  }
  CURL* easy = handles_->easy;

  std::string received, statusLine;
  char errorText[CURL_ERROR_SIZE] = "";
  HeaderList headers;
  headers.Add("Accept: " + Request.Accept);
  headers.Add("Content-Type: " + Request.ContentType);

  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, Request.UserAgent.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(easy, CURLOPT_PROXY, ProxyServer.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, !ProxyServer.empty() && ProxyPort > 0 ? static_cast<long>(ProxyPort) : 0L);
  if (AllowCookies && !handles_->cookieStore) {
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the in-memory store, no file; named once
    handles_->cookieStore = true;
  } else if (!AllowCookies) {
    curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
  }
  // Under one byte a second for the whole time-out counts as no data; 0 switches the test off.
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, ReadTimeout > 0 ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, ReadTimeout > 0 ? static_cast<long>((ReadTimeout + 999) / 1000) : 0L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &received);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, CollectStatusLine);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &statusLine);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);

  CURLM* multi = handles_->multi;
  struct Detach {
    CURLM* multi;
    CURL* easy;
    ~Detach() {
      curl_multi_remove_handle(multi, easy);
      // The handle outlives this request's buffers and header list; it must not point at them.
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
      curl_easy_setopt(easy, CURLOPT_HEADERDATA, nullptr);
      curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    }
  } detach{multi, easy};
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) throw EIdException("The HTTP client could not start");

  // The wait for data has no limit of its own; between short polls the window gets its turn.
  int running = 1;
  while (true) {
    CURLMcode step = curl_multi_perform(multi, &running);
    if (step != CURLM_OK) throw EIdException(curl_multi_strerror(step));
    if (running == 0) break;
    int active = 0;
    step = curl_multi_poll(multi, nullptr, 0, kWaitStepMs, &active);
    if (step != CURLM_OK) throw EIdException(curl_multi_strerror(step));
    if (TIdAntiFreeze* antiFreeze = TIdAntiFreeze::Current()) antiFreeze->Process(active == 0);
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
  if (result != CURLE_OK) throw EIdException(errorText[0] ? errorText : curl_easy_strerror(result));

  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  responseCode_ = static_cast<int>(code);
  if (code < 200 || code > 299)
    throw EIdHTTPProtocolException(statusLine.empty() ? "HTTP status " + std::to_string(code) : statusLine,
                                   responseCode_);
  body = std::move(received);
}

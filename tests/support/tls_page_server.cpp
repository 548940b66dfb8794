// A page server for tests, on 127.0.0.1, as a process of its own that the test ends by its id.
//
//   tamiro_tls_page_server certs DIR
//     Makes test certificates in DIR: ca.pem (the CA a test trusts); good.pem/.key for
//     127.0.0.1 from that CA; otherhost.pem/.key from that CA for another host name only;
//     untrusted.pem/.key for 127.0.0.1 from a CA nobody is told about.
//   tamiro_tls_page_server serve DIR TRANSPORT PARENT_PID
//     TRANSPORT: a certificate's path without ".pem" (TLS with it and its ".key"), plain (no
//     TLS), or silent (accepts connections and never says a word). Prints the port on stdout, then
//     answers each connection on a thread of its own: reads the request head, appends it to
//     DIR/requests.log, and answers from DIR/replies/<path, "/" written as "_">. A reply file
//     begins with a line "<delay ms> <close|stall|endless>": wait that long, send the rest of
//     the file, then close, keep the connection open without a word, or send filler for ever.
//     A path without a file gets 404. Ends with its parent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

namespace {

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "tamiro_tls_page_server: %s\n", what.c_str());
  ERR_print_errors_fp(stderr);
  std::exit(1);
}

// ---- certificates

EVP_PKEY* NewKey() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (!key) Die("no key");
  return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext || !X509_add_ext(cert, ext, -1)) Die("no extension");
  X509_EXTENSION_free(ext);
}

// A certificate for the key, valid from an hour ago for a month; self-signed when no issuer.
X509* NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, const char* altName) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  unsigned char serial[8];
  RAND_bytes(serial, sizeof serial);
  BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert));
  BN_free(number);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 30L * 24 * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert;
  X509_set_issuer_name(cert, X509_get_subject_name(signer));
  AddExtension(cert, signer, NID_subject_key_identifier, "hash");
  AddExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
  if (altName) {
    AddExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
    AddExtension(cert, signer, NID_ext_key_usage, "serverAuth");
    AddExtension(cert, signer, NID_subject_alt_name, altName);
  } else {
    AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  }
  if (!X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256())) Die("cannot sign");
  return cert;
}

void WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
  FILE* out = std::fopen(path.c_str(), "w");
  if (!out) Die("cannot write " + path);
  bool ok = key ? PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr)
                : PEM_write_X509(out, cert);
  if (std::fclose(out) != 0 || !ok) Die("cannot write " + path);
}

void WriteLeaf(const std::string& dir, const char* name, const char* altName, X509* ca, EVP_PKEY* caKey) {
  EVP_PKEY* key = NewKey();
  X509* cert = NewCertificate(key, "Tamiro test server", ca, caKey, altName);
  WritePem(dir + "/" + name + ".pem", cert, nullptr);
  WritePem(dir + "/" + name + ".key", nullptr, key);
  X509_free(cert);
  EVP_PKEY_free(key);
}

int MakeCertificates(const std::string& dir) {
  EVP_PKEY* caKey = NewKey();
  X509* ca = NewCertificate(caKey, "Tamiro test CA", nullptr, nullptr, nullptr);
  EVP_PKEY* rogueKey = NewKey();
  X509* rogue = NewCertificate(rogueKey, "Tamiro test CA", nullptr, nullptr, nullptr);  // same name, other key
  WritePem(dir + "/ca.pem", ca, nullptr);
  WriteLeaf(dir, "good", "IP:127.0.0.1", ca, caKey);
  WriteLeaf(dir, "otherhost", "DNS:update.example.com", ca, caKey);
  WriteLeaf(dir, "untrusted", "IP:127.0.0.1", rogue, rogueKey);
  X509_free(ca);
  X509_free(rogue);
  EVP_PKEY_free(caKey);
  EVP_PKEY_free(rogueKey);
  return 0;
}

// ---- serving

std::string dir;
SSL_CTX* tls = nullptr;  // null: plain
bool silent = false;
std::mutex logMutex;

// One connection, TLS or plain.
struct Connection {
  int fd;
  SSL* ssl = nullptr;
  ~Connection() {
    if (ssl) {
      SSL_shutdown(ssl);
      SSL_free(ssl);
    }
    close(fd);
  }
  long Read(char* buffer, int size) { return ssl ? SSL_read(ssl, buffer, size) : recv(fd, buffer, size, 0); }
  bool Write(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      long n = ssl ? SSL_write(ssl, bytes.data() + sent, static_cast<int>(bytes.size() - sent))
                   : send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }
  // Holds the connection until the client goes away.
  void WaitForClose() {
    pollfd p{fd, POLLIN, 0};
    char buffer[256];
    while (poll(&p, 1, -1) > 0 && Read(buffer, sizeof buffer) > 0) {
    }
  }
};

std::string FileText(const std::string& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = static_cast<bool>(in);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Answer(int fd) {
  Connection connection{fd};
  if (silent) return connection.WaitForClose();
  if (tls) {
    connection.ssl = SSL_new(tls);
    SSL_set_fd(connection.ssl, fd);
    if (SSL_accept(connection.ssl) != 1) return;  // the client refused us: the point of some tests
  }
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    long n = connection.Read(buffer, sizeof buffer);
    if (n <= 0) return;
    head.append(buffer, static_cast<size_t>(n));
  }
  head.resize(head.find("\r\n\r\n") + 4);
  {
    std::lock_guard<std::mutex> lock(logMutex);
    std::ofstream(dir + "/requests.log", std::ios::binary | std::ios::app) << head << std::flush;
  }
  const size_t firstBlank = head.find(' ');
  std::string path = head.substr(firstBlank + 1, head.find(' ', firstBlank + 1) - firstBlank - 1);
  for (char& c : path)
    if (c == '/') c = '_';
  bool found = false;
  std::string reply = FileText(dir + "/replies/" + path, found);
  if (!found) {
    connection.Write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  const size_t lineEnd = reply.find('\n');
  int delayMs = 0;
  char then[16] = "close";
  std::sscanf(reply.substr(0, lineEnd).c_str(), "%d %15s", &delayMs, then);
  reply.erase(0, lineEnd + 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  if (!connection.Write(reply)) return;
  if (std::strcmp(then, "stall") == 0) return connection.WaitForClose();
  if (std::strcmp(then, "endless") == 0) {
    const std::string filler(65536, 'x');
    while (connection.Write(filler)) {
    }
  }
}

int Serve(const std::string& transport, pid_t parent) {
  // A test that dies must not leave us behind.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) return 0;
  signal(SIGPIPE, SIG_IGN);
  if (transport == "silent") {
    silent = true;
  } else if (transport != "plain") {
    tls = SSL_CTX_new(TLS_server_method());
    const std::string& stem = transport;
    if (!tls || SSL_CTX_use_certificate_file(tls, (stem + ".pem").c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls, (stem + ".key").c_str(), SSL_FILETYPE_PEM) != 1)
      Die("cannot load " + stem);
  }
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    Die("cannot listen");
  std::printf("%d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  for (;;) {
    int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) std::thread(Answer, client).detach();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "certs" && argc == 3) return MakeCertificates(argv[2]);
  if (command == "serve" && argc == 5) {
    dir = argv[2];
    return Serve(argv[3], static_cast<pid_t>(std::atol(argv[4])));
  }
  std::fprintf(stderr, "usage: tamiro_tls_page_server certs DIR | serve DIR CERT_STEM|plain|silent PARENT_PID\n");
  return 2;
}

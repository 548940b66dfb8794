// Reads the version block out of an ELF program file's section headers.
#include "platform/os/VersionInfo.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/rtl/Text.h"

namespace {

// Section contents beyond this are no version block of ours.
constexpr std::size_t kMaxSectionBytes = 1 << 20;

class File {
 public:
  explicit File(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
  }
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads exactly length bytes at offset, all of them inside the file.
  bool Read(std::uint64_t offset, std::uint64_t length, void* out) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
    auto* p = static_cast<char*>(out);
    while (length > 0) {
      ssize_t n = pread(fd_, p, length, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      offset += static_cast<std::uint64_t>(n);
      length -= static_cast<std::uint64_t>(n);
    }
    return true;
  }

  bool ReadBytes(std::uint64_t offset, std::uint64_t length, std::string& out) const {
    if (length > kMaxSectionBytes) return false;
    out.resize(length);
    return Read(offset, length, out.data());
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

bool IsNativeElf64(const Elf64_Ehdr& h) {
  const unsigned char order = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
  return std::memcmp(h.e_ident, ELFMAG, SELFMAG) == 0 && h.e_ident[EI_CLASS] == ELFCLASS64 &&
         h.e_ident[EI_DATA] == order && h.e_shentsize == sizeof(Elf64_Shdr);
}

std::optional<std::string> ReadSection(const File& file, const std::string& wanted) {
  Elf64_Ehdr header{};
  if (!file.Read(0, sizeof header, &header) || !IsNativeElf64(header) || header.e_shoff == 0) return std::nullopt;

  // With very many sections the real count and the names' index live in section 0.
  Elf64_Shdr first{};
  if (!file.Read(header.e_shoff, sizeof first, &first)) return std::nullopt;
  std::uint64_t count = header.e_shnum ? header.e_shnum : first.sh_size;
  std::uint64_t namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
  if (count == 0 || count > 1'000'000 || namesIndex >= count) return std::nullopt;

  std::vector<Elf64_Shdr> sections(count);
  if (!file.Read(header.e_shoff, count * sizeof(Elf64_Shdr), sections.data())) return std::nullopt;
  std::string names;
  const Elf64_Shdr& namesSection = sections[namesIndex];
  if (namesSection.sh_type != SHT_STRTAB || !file.ReadBytes(namesSection.sh_offset, namesSection.sh_size, names))
    return std::nullopt;

  for (const auto& s : sections) {
    if (s.sh_name >= names.size() || s.sh_type == SHT_NOBITS) continue;
    // names is NUL-terminated at its end even if the file's table is not.
    if (std::string_view(names.c_str() + s.sh_name) != wanted) continue;
    std::string contents;
    if (!file.ReadBytes(s.sh_offset, s.sh_size, contents)) return std::nullopt;
    return contents;
  }
  return std::nullopt;
}

// The next NUL-terminated string of the block; nullopt when the block ends without one.
std::optional<std::string_view> Next(std::string_view& block) {
  std::size_t nul = block.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  std::string_view item = block.substr(0, nul);
  block.remove_prefix(nul + 1);
  return item;
}

}  // namespace

std::optional<std::string> FindVersionString(std::string_view block, std::string_view table, std::string_view key) {
  // The section can start with alignment padding; the block begins at its magic.
  std::size_t start = block.find(std::string_view("VS_VERSION_INFO\0", 16));
  if (start == std::string_view::npos) return std::nullopt;
  block.remove_prefix(start);
  auto magic = Next(block);
  auto kind = Next(block);
  if (!magic || !kind || *kind != "StringFileInfo") return std::nullopt;
  for (;;) {
    auto name = Next(block);
    if (!name || name->empty()) return std::nullopt;
    for (;;) {
      auto k = Next(block);
      if (!k) return std::nullopt;
      if (k->empty()) break;
      auto v = Next(block);
      if (!v) return std::nullopt;
      if (SameText(*name, table) && SameText(*k, key)) return std::string(*v);
    }
  }
}

std::optional<std::string> ReadFileVersion(const std::string& programFile, const std::string& table,
                                           const std::string& key) {
  File file(programFile);
  auto section = ReadSection(file, kVersionSection);
  if (!section) return std::nullopt;
  return FindVersionString(*section, table, key);
}

std::optional<std::string> BuiltInFileVersion(const std::string& table, const std::string& key) {
  return FindVersionString(BuiltInVersionBlock(), table, key);
}

std::string ProgramFile() {
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string ProgramDir() {
  std::string file = ProgramFile();
  return file.substr(0, file.rfind('/') + 1);
}

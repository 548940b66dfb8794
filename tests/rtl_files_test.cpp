// Text files: the two append variants and their errors, atomic saving, loading.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextFile.h"

namespace {

namespace fs = std::filesystem;

using TextFileTest = ScratchFolderTest;

// Makes any write past the limit fail with EFBIG, even for root, and restores
// the limit and the signal on leaving the scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

struct IoFailure {
  std::string message;
  int code;
};

std::optional<IoFailure> AppendFailure(const std::string& path, const std::string& line,
                                       OpenVariant variant) {
  try {
    AppendLine(path, line, variant);
  } catch (const EInOutError& e) {
    return IoFailure{e.what(), e.ErrorCode};
  }
  return std::nullopt;
}

TEST_F(TextFileTest, CreateIfMissingCreatesThenAppendsGbkLines) {
  const std::string log = PathOf("Tamiro.Log");
  AppendLine(log, "【2006-1-18】", OpenVariant::CreateIfMissing);
  AppendLine(log, "[2006-01-18 21:15:00] ok", OpenVariant::CreateIfMissing);
  EXPECT_EQ(Read(log), "\xA1\xBE" "2006-1-18\xA1\xBF\r\n[2006-01-18 21:15:00] ok\r\n");
}

TEST_F(TextFileTest, AppendOnlyNeedsTheFile) {
  const std::string log = PathOf("Tamiro.Log");
  auto failure = AppendFailure(log, "tick", OpenVariant::AppendOnly);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "File not found");
  EXPECT_EQ(failure->code, 2);
  EXPECT_FALSE(fs::exists(log));

  Write(log, "old\r\n");
  AppendLine(log, "tick", OpenVariant::AppendOnly);
  EXPECT_EQ(Read(log), "old\r\ntick\r\n");
}

TEST_F(TextFileTest, ErrorTextsOfBothVariants) {
  fs::create_directory(PathOf("Tamiro.Log"));  // a folder where the file should be
  Write(PathOf("plain"), "x");
  struct Case {
    std::string path;
    std::string message;
    int code;
  };
  const Case cases[] = {
      {PathOf("Tamiro.Log"), "File access denied", 5},
      {PathOf("plain/Tamiro.Log"), "I/O error 20", 20},  // ENOTDIR
  };
  for (const Case& c : cases) {
    for (OpenVariant variant : {OpenVariant::CreateIfMissing, OpenVariant::AppendOnly}) {
      SCOPED_TRACE(c.path + (variant == OpenVariant::AppendOnly ? " append-only" : " create"));
      auto failure = AppendFailure(c.path, "line", variant);
      ASSERT_TRUE(failure);
      EXPECT_EQ(failure->message, c.message);
      EXPECT_EQ(failure->code, c.code);
    }
  }
}

TEST_F(TextFileTest, FailedWriteIsAnIoErrorWithTheSystemCode) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  auto failure = AppendFailure("/dev/full", "line", OpenVariant::AppendOnly);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "I/O error 28");  // ENOSPC
  EXPECT_EQ(failure->code, 28);
}

TEST_F(TextFileTest, UnconvertibleLineTouchesNoFile) {
  const std::string fresh = PathOf("fresh.Log");
  EXPECT_THROW(AppendLine(fresh, "闹钟😀", OpenVariant::CreateIfMissing), EConvertError);
  EXPECT_FALSE(fs::exists(fresh));

  const std::string old = PathOf("old.Log");
  Write(old, "old\r\n");
  EXPECT_THROW(AppendLine(old, "闹钟😀", OpenVariant::AppendOnly), EConvertError);
  EXPECT_EQ(Read(old), "old\r\n");
}

TEST_F(TextFileTest, SaveLinesWritesGbkCrLfAndLeavesNoTemporary) {
  const std::string path = PathOf("x.Log");
  Write(path, std::string(500, 'z'));
  SaveLines(path, {"【2006-1-18】", "", "abc"});
  EXPECT_EQ(Read(path), "\xA1\xBE" "2006-1-18\xA1\xBF\r\n\r\nabc\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"x.Log"});

  SaveLines(path, {});
  EXPECT_EQ(Read(path), "");
}

TEST_F(TextFileTest, SaveLinesKeepsThePermissionsOfTheFileItReplaces) {
  const std::string path = PathOf("x.List");
  Write(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  SaveLines(path, {"new"});
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

std::string CreateErrorOf(const std::string& path, const std::vector<std::string>& lines) {
  try {
    SaveLines(path, lines);
  } catch (const EFCreateError& e) {
    return e.what();
  }
  return "no error";
}

TEST_F(TextFileTest, SaveLinesRefusesAFolderAndAMissingFolder) {
  const std::string folder = PathOf("x.Log");
  fs::create_directory(folder);
  EXPECT_EQ(CreateErrorOf(folder, {"a"}), "Cannot create file \"" + folder + "\". Is a directory");
  EXPECT_EQ(Entries(), std::vector<std::string>{"x.Log"});
  EXPECT_TRUE(fs::is_empty(folder));

  const std::string inMissing = PathOf("missing/x.Log");
  EXPECT_EQ(CreateErrorOf(inMissing, {"a"}),
            "Cannot create file \"" + inMissing + "\". No such file or directory");
}

TEST_F(TextFileTest, FailedSaveLeavesTheOldFileWhole) {
  const std::string path = PathOf("x.Log");
  Write(path, "old\r\n");
  const std::vector<std::string> lines(100, std::string(50, 'n'));
  std::string error;
  {
    FileSizeLimit limit(1024);
    error = CreateErrorOf(path, lines);
  }
  EXPECT_EQ(error, "Cannot create file \"" + path + "\". File too large");
  EXPECT_EQ(Read(path), "old\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"x.Log"});

  EXPECT_THROW(SaveLines(path, {"fine", "闹钟😀"}), EConvertError);
  EXPECT_EQ(Read(path), "old\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"x.Log"});
}

TEST_F(TextFileTest, LoadLinesReadsGbkWithEitherLineEnd) {
  const std::string path = PathOf("a.List");
  Write(path, "\xC4\xD6\xD6\xD3\r\n\r\nb\nlast");
  EXPECT_EQ(LoadLines(path), (std::vector<std::string>{"闹钟", "", "b", "last"}));
  EXPECT_TRUE(LoadLines(PathOf("missing.List")).empty());
  EXPECT_THROW(LoadLines(dir_.string()), EInOutError);
}

TEST_F(TextFileTest, SavedLinesLoadBack) {
  const std::string path = PathOf("round.List");
  const std::vector<std::string> lines{"[0]", "FNxfs=每天都响", "FShijian=提醒：喝水！", ""};
  SaveLines(path, lines);
  EXPECT_EQ(LoadLines(path), lines);
}

TEST_F(TextFileTest, ExistsAndDelete) {
  const std::string path = PathOf("a");
  Write(path, "");
  fs::create_directory(PathOf("d"));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(PathOf("d")));
  EXPECT_FALSE(FileExists(PathOf("none")));
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_FALSE(FileExists(path));
}

}  // namespace

// A temporary home for benchmarks that run the main window: the program, work and settings
// folders, the environment pointed at them and the work folder made current (where the log
// lands); all removed when the object ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

class BenchFolder {
 public:
  explicit BenchFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp dir");
    root_ = pattern;
    for (const char* dir : {"prog", "work", "config", "run"}) std::filesystem::create_directories(root_ / dir);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    std::filesystem::current_path(root_ / "work");
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(root_, ignored);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  // The program's folder, ending in "/".
  std::string ProgramDir() const { return (root_ / "prog").string() + "/"; }

 private:
  std::filesystem::path root_;
};

// A fresh folder for each test of the file code, removed afterwards, and what those tests
// ask of it: a path in it, a file's bytes, the names it holds.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

class ScratchFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempFolder("tamiro_scratch");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) { return ReadBytes(path); }
  static void Write(const std::string& path, const std::string& bytes) { WriteBytes(path, bytes); }
  // The folder's entries by name, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;
};

// Test support for engine units that read and write files in the working directory:
// every test runs in a fresh scratch directory that is removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zembu::engine {

class InScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    char tmpl[] = "/tmp/zembu_unit_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  // Writes the file `name` with exactly these bytes.
  void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  std::filesystem::path old_, dir_;
};

}  // namespace zembu::engine

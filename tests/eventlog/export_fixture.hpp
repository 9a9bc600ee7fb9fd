#pragma once
// What the export tests share: two list rows (one complete, one the decoder left with only
// its source) and a scratch folder per test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "eventlog/event_row.hpp"

namespace vq::test {

inline std::vector<eventlog::EventRow> two_export_rows() {
  eventlog::EventRow complete;
  complete.number = 1;
  complete.event_id = 4864;
  complete.when = {2026, 12, 9, 14, 30, 5};
  complete.date_time = "09.12.26 14:30:05";
  complete.columns = {"Неисправность", "Система", "Вскрытие", "ППК"};
  eventlog::EventRow incomplete;
  incomplete.number = 2;
  incomplete.event_id = 4400;
  incomplete.date_time = "30.12.1899";
  incomplete.columns = {"РПД#007"};
  return {complete, incomplete};
}

inline std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

// Names in a folder, hidden temporaries included.
inline std::vector<std::string> folder_names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ScratchFolder : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("vq-export-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace vq::test

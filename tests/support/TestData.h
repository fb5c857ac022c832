// Finds the shared test images: $TQ1_TESTDATA, else the folder beside the checkout.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tq1::testing {

inline std::optional<std::filesystem::path> testDataDir() {
  if (const char* env = std::getenv("TQ1_TESTDATA"); env != nullptr && *env != '\0') {
    std::filesystem::path dir(env);
    if (std::filesystem::is_directory(dir)) return dir;
    return std::nullopt;
  }
  std::filesystem::path dir(TQ1_DEFAULT_TESTDATA);
  if (std::filesystem::is_directory(dir)) return dir;
  return std::nullopt;
}

}  // namespace tq1::testing

// Skips the current GoogleTest test when the shared test images are absent.
#define TQ1_REQUIRE_TESTDATA(var)                                                         \
  const auto var##_opt = ::tq1::testing::testDataDir();                                  \
  if (!var##_opt) GTEST_SKIP() << "shared test images not found (set TQ1_TESTDATA)";      \
  const std::filesystem::path var = *var##_opt

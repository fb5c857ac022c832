// The overwrite question on the terminal, shared by batch and the many-file conversions.
#include "cli/TerminalQuestion.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tq1::cli {

namespace {

bool readYes() {
  std::string line;
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) line.push_back(static_cast<char>(c));
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  line.erase(line.begin(), std::find_if_not(line.begin(), line.end(), blank));
  line.erase(std::find_if_not(line.rbegin(), line.rend(), blank).base(), line.end());
  std::transform(line.begin(), line.end(), line.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return line == "y" || line == "yes";
}

}  // namespace

bool canAskOnTerminal() { return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1; }

bool confirmOverwriteOnTerminal(const std::string& target) {
  std::fflush(stdout);  // the lines of earlier files come before the question
  std::fprintf(stderr, "overwrite '%s'? [y/N] ", target.c_str());
  std::fflush(stderr);
  return readYes();
}

}  // namespace tq1::cli

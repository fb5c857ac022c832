// Asking a person on the terminal before an existing file is replaced.
#pragma once

#include <string>

namespace tq1::cli {

// Whether there is a person to ask: standard input and standard error are terminals.
[[nodiscard]] bool canAskOnTerminal();

// Asks "overwrite 'target'? [y/N]" on standard error and reads the answer from standard
// input: "y" or "yes" in any case means yes, anything else (also the end of the input) no.
[[nodiscard]] bool confirmOverwriteOnTerminal(const std::string& target);

}  // namespace tq1::cli

// The reason a command-line operation text is refused as a usage error.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "cli/Operations.h"

// The usage error `text` gives, or "" when it parses.
inline std::string Refusal(const std::string& text) {
  try {
    ParseOperation(text);
  } catch (const CliUsageError& e) {
    return e.what();
  }
  return {};
}

// The usage texts of tarnisk-cli.
#pragma once

#include <optional>
#include <string>

#include "cli/CliOptions.h"

std::string GeneralHelp();
std::string CommandHelp(TCliCommand command);
std::string VersionText();

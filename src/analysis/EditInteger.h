// The integer an edit text holds, as the profile and 3D windows read their edits.
#pragma once

#include <cstdint>
#include <string>

// True when the whole text, blanks round it allowed, is a decimal integer with an
// optional sign that fits 32 bits; `value` is then that integer.
bool ParseEditInteger(const std::string& text, int32_t& value);

// Small shared types of the utility library.
#pragma once

#include <string>
#include <string_view>

namespace vel {

// How a left-hand value relates to a right-hand one.
enum class TRelation { Smaller, Equal, Bigger };

// "true" in any letter case, "1" or "-1" give true; anything else gives false.
bool TextToBool(std::string_view text);
// "true" or "false".
std::string BoolToText(bool value);

}  // namespace vel

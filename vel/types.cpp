// Small shared conversions of the utility library.
#include "vel/types.h"

#include "vel/text.h"

namespace vel {

bool TextToBool(std::string_view text) { return SameText(text, "true") || text == "1" || text == "-1"; }

std::string BoolToText(bool value) { return value ? "true" : "false"; }

}  // namespace vel

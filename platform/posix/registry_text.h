// Registry values and text: string values as the system keeps them (UTF-16LE with a terminating zero), and back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace platform {

RegValue StringValue(RegType type, std::string_view utf8);
RegValue DWordValue(std::uint32_t value);

// The text of a string value when it is stored as readable text without losing anything: UTF-16
// whose only zero is the terminating one and which survives the trip through UTF-8. Anything else
// (an odd length, embedded or missing zeros, lone surrogates) is kept as raw bytes.
std::optional<std::string> StorableText(const RegValue& value);

}  // namespace platform

// The four-part version number Major.Minor.Maintenance.Build.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "vel/types.h"

namespace vel {

// The conversion error raised for text that is not a number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TVersionRec {
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
  std::uint32_t Maintenance = 0;
  std::uint32_t Build = 0;

  TVersionRec() = default;
  TVersionRec(std::uint32_t major, std::uint32_t minor, std::uint32_t maintenance, std::uint32_t build)
      : Major(major), Minor(minor), Maintenance(maintenance), Build(build) {}

  void Clear();
  // Fills the record from text; raises EConvertError at the first part that is not a number, keeping
  // the parts before it.
  void Parse(std::string_view from);
  TRelation CompareTo(const TVersionRec& version) const;
  bool NewerThan(const TVersionRec& version) const;
  std::string ToString() const;
  std::string ToString(bool includeBuild) const;
  std::string ToString(char separator, bool includeBuild) const;

  friend bool operator==(const TVersionRec&, const TVersionRec&) = default;
};

}  // namespace vel

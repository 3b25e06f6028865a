// The four-part version number: parsing, comparing, printing.
#include "vel/version_update.h"

#include <vector>

#include "vel/text.h"

namespace vel {

void TVersionRec::Clear() { Major = Minor = Maintenance = Build = 0; }

void TVersionRec::Parse(std::string_view from) {
  char separator = 0;
  if (from.find('.') != std::string_view::npos)
    separator = '.';
  else if (from.find(',') != std::string_view::npos)
    separator = ',';
  else if (from.find('-') != std::string_view::npos)
    separator = '-';

  std::vector<std::string_view> parts;
  if (!from.empty()) {
    std::size_t start = 0;
    for (;;) {
      std::size_t end = separator ? from.find(separator, start) : std::string_view::npos;
      parts.push_back(from.substr(start, end == std::string_view::npos ? end : end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }

  Clear();
  std::uint32_t* fields[] = {&Major, &Minor, &Maintenance, &Build};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::optional<std::int32_t> value = TryStrToInt(parts[i]);
    if (!value)
      throw EConvertError("'" + std::string(parts[i]) + "' is not a valid integer value for Integer type");
    if (i < 4) *fields[i] = static_cast<std::uint32_t>(*value);
  }
}

TRelation TVersionRec::CompareTo(const TVersionRec& version) const {
  const std::uint32_t mine[] = {Major, Minor, Maintenance, Build};
  const std::uint32_t theirs[] = {version.Major, version.Minor, version.Maintenance, version.Build};
  for (int i = 0; i < 4; ++i)
    if (mine[i] != theirs[i]) return mine[i] > theirs[i] ? TRelation::Bigger : TRelation::Smaller;
  return TRelation::Equal;
}

bool TVersionRec::NewerThan(const TVersionRec& version) const {
  return CompareTo(version) == TRelation::Bigger;
}

std::string TVersionRec::ToString() const { return ToString('.', false); }

std::string TVersionRec::ToString(bool includeBuild) const { return ToString('.', includeBuild); }

std::string TVersionRec::ToString(char separator, bool includeBuild) const {
  std::string text = std::to_string(Major) + separator + std::to_string(Minor) + separator +
                     std::to_string(Maintenance);
  if (includeBuild) text += separator + std::to_string(Build);
  return text;
}

}  // namespace vel

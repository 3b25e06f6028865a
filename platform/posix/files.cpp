// Files on Linux: UTF-8 paths as they are, and an INI writer with the Windows profile rules.
#include "platform/files.h"
#include "platform/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> ReadLines(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(ToPath(file), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The section name of a "[name]" line, or nothing.
bool SectionOf(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return false;
  auto close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

// An open descriptor, closed when it goes.
class TDescriptor {
 public:
  explicit TDescriptor(int fd) : fd_(fd) {}
  ~TDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now, so that a failure the close reports (a full disk on some file systems) is heard.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

[[noreturn]] void ThrowWriteError(const std::filesystem::path& file) {
  throw std::system_error(errno ? errno : EIO, std::generic_category(), "Cannot write " + file.string());
}

// The file a memory range is mapped from, opened, and the range's offset in it; none when the range is
// not one file's (anonymous memory, or spread over several mappings).
struct TMappedSource {
  int Fd = -1;
  off_t Offset = 0;
};

TMappedSource FindMappedSource(const std::uint8_t* begin, std::size_t size) {
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (!maps) return {};
  const auto address = reinterpret_cast<std::uintptr_t>(begin);
  TMappedSource source;
  char line[4096];
  while (std::fgets(line, sizeof line, maps)) {
    std::uintmax_t start = 0, end = 0, offset = 0;
    char perms[8] = {};
    int pathAt = 0;
    if (std::sscanf(line, "%jx-%jx %7s %jx %*s %*s %n", &start, &end, perms, &offset, &pathAt) < 4) continue;
    if (address < start || address >= end) continue;
    std::string path(line + pathAt);
    while (!path.empty() && (path.back() == '\n' || path.back() == ' ')) path.pop_back();
    // A private mapping that was written to no longer holds the file's bytes.
    if (size <= end - address && !path.empty() && path.front() == '/' && perms[1] != 'w')
      if (int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0)
        source = {fd, static_cast<off_t>(offset + (address - start))};
    break;
  }
  std::fclose(maps);
  return source;
}

}  // namespace

void WriteFileData(const std::filesystem::path& file, std::span<const std::uint8_t> data) {
  errno = 0;
  TDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.Get() < 0) ThrowWriteError(file);
  std::size_t done = 0;
  if (data.size() >= 1024 * 1024) {
    const TMappedSource found = FindMappedSource(data.data(), data.size());
    TDescriptor source(found.Fd);
    off_t from = found.Offset;
    // The copy is checked against the mapping's bytes at both ends (a file replaced since it was
    // mapped would differ); anything the system will not copy goes the ordinary way.
    if (source.Get() >= 0) {
      std::uint8_t edge[16];
      const std::size_t edgeSize = std::min(sizeof edge, data.size());
      const bool same = ::pread(source.Get(), edge, edgeSize, from) == static_cast<ssize_t>(edgeSize) &&
                        std::equal(edge, edge + edgeSize, data.data()) &&
                        ::pread(source.Get(), edge, edgeSize, from + static_cast<off_t>(data.size() - edgeSize)) ==
                            static_cast<ssize_t>(edgeSize) &&
                        std::equal(edge, edge + edgeSize, data.data() + data.size() - edgeSize);
      while (same && done < data.size()) {
        const ssize_t copied = ::copy_file_range(source.Get(), &from, out.Get(), nullptr, data.size() - done, 0);
        if (copied > 0) {
          done += static_cast<std::size_t>(copied);
          continue;
        }
        if (copied < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EIO || errno == EFBIG)) ThrowWriteError(file);
        break;  // not supported here (another file system, an old kernel): written from memory below
      }
    }
  }
  // In pieces: one write of a whole large payload is several times slower on some virtual machines.
  constexpr std::size_t kPiece = 256 * 1024;
  while (done < data.size()) {
    const ssize_t written = ::write(out.Get(), data.data() + done, std::min(kPiece, data.size() - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) ThrowWriteError(file);
    done += static_cast<std::size_t>(written);
  }
  if (out.Close() != 0) ThrowWriteError(file);
}

std::filesystem::path ToPath(std::string_view utf8) { return std::filesystem::path(std::string(utf8)); }

std::string FromPath(const std::filesystem::path& path) { return path.string(); }

void MarkExecutable(const std::filesystem::path& path) {
  std::error_code ec;
  using std::filesystem::perms;
  perms current = std::filesystem::status(path, ec).permissions();
  if (ec) return;
  perms add = perms::none;
  if ((current & perms::owner_read) != perms::none) add |= perms::owner_exec;
  if ((current & perms::group_read) != perms::none) add |= perms::group_exec;
  if ((current & perms::others_read) != perms::none) add |= perms::others_exec;
  std::filesystem::permissions(path, add, std::filesystem::perm_options::add, ec);
}

bool IsNoSpaceError(const std::exception& error) {
  if (const auto* system = dynamic_cast<const std::system_error*>(&error))
    if (system->code() == std::errc::no_space_on_device || system->code().value() == EDQUOT) return true;
  const std::string_view text = error.what();
  // The registry store says it in its own words.
  return text.find(std::generic_category().message(ENOSPC)) != std::string_view::npos ||
         text.find("database or disk is full") != std::string_view::npos;
}

bool IsLink(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec));
}

namespace {

std::size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionOf(lines[i], name) && SameAsciiText(name, Trim(section))) return i;
  }
  return lines.size();
}

// Written beside the file and renamed over it, so a reader never sees half a file.
void SaveLines(const std::string& file, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  ReplaceFileWith(ToPath(file), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, ".tmp");
}

}  // namespace

namespace {

// Puts key=value into the section held in `lines`, as IniWriteString describes.
void SetIniValue(std::vector<std::string>& lines, std::string_view section, std::string_view key,
                 std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  std::size_t sectionLine = FindSection(lines, section);
  if (sectionLine == lines.size()) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
    return;
  }
  // The key in place, or a new one after the section's last non-blank line.
  std::size_t insertAt = sectionLine + 1;
  for (std::size_t i = sectionLine + 1; i < lines.size(); ++i) {
    std::string_view name, k, v;
    if (SectionOf(lines[i], name)) break;
    if (!Trim(lines[i]).empty()) insertAt = i + 1;
    if (KeyOf(lines[i], k, v) && SameAsciiText(k, Trim(key))) {
      lines[i] = entry;
      return;
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

}  // namespace

void IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
  std::vector<std::string> lines = ReadLines(file);
  SetIniValue(lines, section, key, value);
  SaveLines(file, lines);
}

void IniWriteStrings(const std::string& file, const std::vector<TIniValue>& values) {
  std::vector<std::string> lines = ReadLines(file);
  for (const TIniValue& value : values) SetIniValue(lines, value.Section, value.Key, value.Value);
  SaveLines(file, lines);
}

void IniWriteSection(const std::string& file, std::string_view section,
                     const std::vector<std::string>& content) {
  std::vector<std::string> lines = ReadLines(file);
  std::size_t sectionLine = FindSection(lines, section);
  if (sectionLine == lines.size()) {
    lines.push_back("[" + std::string(section) + "]");
  } else {
    std::size_t end = sectionLine + 1;
    std::string_view name;
    while (end < lines.size() && !SectionOf(lines[end], name)) ++end;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(sectionLine + 1),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionLine + 1), content.begin(),
               content.end());
  SaveLines(file, lines);
}

namespace {

// A value in matching quotes is read without them, as the Windows profile reader does.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view fallback) {
  bool inSection = false;
  for (const std::string& line : ReadLines(file)) {
    std::string_view name, k, v;
    if (SectionOf(line, name)) {
      inSection = SameAsciiText(name, Trim(section));
    } else if (inSection && KeyOf(line, k, v) && SameAsciiText(k, Trim(key))) {
      return std::string(Unquote(v));
    }
  }
  return std::string(fallback);
}

std::vector<std::pair<std::string, std::string>> IniReadSection(const std::string& file,
                                                                 std::string_view section) {
  std::vector<std::pair<std::string, std::string>> entries;
  bool inSection = false;
  for (const std::string& line : ReadLines(file)) {
    std::string_view name, k, v;
    if (SectionOf(line, name)) {
      // Only the first section of the name counts, as with the Windows profile reader.
      if (inSection) break;
      inSection = SameAsciiText(name, Trim(section));
    } else if (inSection && KeyOf(line, k, v)) {
      entries.emplace_back(k, Unquote(v));
    }
  }
  return entries;
}

}  // namespace platform

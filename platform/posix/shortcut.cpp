// Shortcuts on Linux: freedesktop desktop entries.
#include "platform/shortcut.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "platform/command_line.h"
#include "platform/files.h"

namespace platform {
namespace {

// Quoting of an Exec argument: reserved characters force double quotes, inside which the double
// quote, the backquote, the dollar sign and the backslash are escaped with a backslash. A literal
// percent sign is doubled, quoted or not: a single one introduces a field code, and an unknown one
// makes the whole entry invalid.
std::string QuoteExecArgument(const std::string& arg) {
  bool needs = arg.empty() || arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
  std::string out = needs ? "\"" : "";
  for (char c : arg) {
    if (needs && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
    if (c == '%') out += '%';
  }
  return needs ? out + "\"" : out;
}

// Menus file an entry without categories under a catch-all or leave it out; the seam knows nothing
// of the application's kind, so it gets the general one.
constexpr const char* kCategories = "Utility;";

// The target's own icon: a PNG of the same name beside it (the installer carries one with the
// application); otherwise the desktop's generic program icon.
std::string IconFor(const std::filesystem::path& target) {
  std::filesystem::path png = target;
  png.replace_extension(".png");
  std::error_code ec;
  if (std::filesystem::is_regular_file(png, ec)) return FromPath(png);
  return "application-x-executable";
}

// Escapes of a desktop-entry string value; the Exec key's own level of backslashes is added on top.
std::string EscapeValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

// The first argument of an Exec value whose desktop-entry escapes are already undone.
std::string FirstExecArgument(std::string_view exec) {
  std::string arg;
  const bool quoted = !exec.empty() && exec.front() == '"';
  for (std::size_t i = quoted ? 1 : 0; i < exec.size(); ++i) {
    if (quoted && exec[i] == '"') return arg;
    if (!quoted && (exec[i] == ' ' || exec[i] == '\t')) return arg;
    if (i + 1 < exec.size() && ((quoted && exec[i] == '\\') || (exec[i] == '%' && exec[i + 1] == '%'))) ++i;
    arg += exec[i];
  }
  return quoted ? std::string() : arg;  // a quoted one without its closing quote is no argument
}

std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      default: out += value[i]; break;
    }
  }
  return out;
}

}  // namespace

std::string ShortcutTarget(const std::string& linkFile) {
  std::ifstream in(ToPath(linkFile), std::ios::binary);
  std::string line;
  bool entry = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') entry = line == "[Desktop Entry]";
    if (entry && line.starts_with("Exec=")) return FirstExecArgument(UnescapeValue(std::string_view(line).substr(5)));
  }
  return {};
}

void CreateShortcut(const std::string& target, const std::string& linkFile,
                    const std::string& description, const std::string& arguments) {
  std::filesystem::path link = ToPath(linkFile);
  std::filesystem::path targetPath = ToPath(target);

  std::string exec = QuoteExecArgument(target);
  for (const std::string& arg : SplitCommandLine(arguments)) exec += " " + QuoteExecArgument(arg);

  // A fresh account may have no applications or desktop folder yet; the desktop reads them once made.
  std::error_code ec;
  std::filesystem::create_directories(link.parent_path(), ec);
  std::ostringstream entry;
  entry << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Version=1.0\n"
        << "Name=" << EscapeValue(FromPath(link.stem())) << "\n";
  if (!description.empty()) entry << "Comment=" << EscapeValue(description) << "\n";
  entry << "Exec=" << EscapeValue(exec) << "\n"
        << "Path=" << EscapeValue(FromPath(targetPath.parent_path())) << "\n"
        << "Icon=" << EscapeValue(IconFor(targetPath)) << "\n"
        << "Terminal=false\n"
        << "Categories=" << kCategories << "\n";
  // What an earlier write of this link left when it was cut short goes first.
  for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(link.parent_path(), ec))
    if (IsTemporaryNameFor(FromPath(e.path().filename()), FromPath(link.filename()), ".tmp")) {
      std::error_code ignored;
      std::filesystem::remove(e.path(), ignored);
    }
  // Written whole beside the link and renamed over it: a full disk must not leave half an entry that
  // the desktop shows as the application.
  // Desktops run only entries marked executable (trusted) from the desktop folder.
  const std::string text = entry.str();
  ReplaceFileWith(link, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, ".tmp", true);
}

}  // namespace platform

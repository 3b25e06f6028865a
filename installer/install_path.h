// The install folder as the user names it (on the command line or in the settings page), turned into
// the path the installer stores, and the checks that keep it out of protected folders.
#pragma once

#include <string>
#include <string_view>

namespace installer {

// A leading "~" (the home folder), shell folder names and environment references expanded. The
// result is still relative when the text named no root.
std::string ExpandInstallPath(std::string_view Text);

bool IsAbsolutePath(std::string_view Path);

// An expanded path made absolute against the current folder, with "." and ".." resolved lexically:
// the form InstallPath holds, which the engine and the record use as it stands.
std::string AbsoluteInstallPath(std::string_view Expanded);

// Whether an absolute, normalised path may be installed into: not the root of the file system or of a
// drive, not the user's home folder itself, and every name one the system (and the uninstaller after
// it) handles as written: no control characters or line breaks, no trailing space or dot, and on Linux
// valid UTF-8.
bool UsableInstallFolder(std::string_view Path);

// Whether `Path` (expanded and absolute) lies in `Folder` or is `Folder` itself. Where the system
// tells names apart by letter case, only whole leading components count, so "/opt" holds "/opt/Q" but
// not "/optical/Q" or "/home/u/opt/Q". Where it does not (Windows), the folder is looked for anywhere
// in the path ignoring the case of A-Z: its drive letter anchors it at the start anyway, and the
// neighbouring "Program Files (x86)" needs the same rights.
bool PathInFolder(std::string_view Path, std::string_view Folder);

}  // namespace installer

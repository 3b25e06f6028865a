// Processes and programs: the process list, ending a process, launching, administrator rights,
// shortcuts, the program's parameters.
#pragma once

#include <string>
#include <vector>

#include "platform/process.h"

namespace ui {
class TForm;
}

namespace vel {

// The process record is the system layer's own, with its CloseProcess and KillProcess.
using TProcess = platform::TProcess;

std::vector<TProcess> GetRunningProcesses();
void ShellRun(const std::string& FileName, bool Visible, const std::string& Parameters,
              bool RunAsAdmin, const std::string& Directory);
bool IsAdministrator();
void CreateShortcut(const std::string& Target, const std::string& LinkFile,
                    const std::string& Description, const std::string& Arguments);

// Places `Form` over the middle of `Owner` (switching it to explicit placement) and shows it (not
// modally) when asked.
void CenterFormOn(ui::TForm& Form, const ui::TForm& Owner, bool ShowIt);

int ParamCount();
// Parameter `Index` exactly as received (1-based; empty beyond the count).
std::string ParamStr(int Index);
// Parameter `Index` (1-based; empty beyond the count), a leading "/" read as "-".
std::string GetParameter(int Index);
// All parameters re-joined by single spaces, those holding a space in double quotes.
std::string GetParameters();

}  // namespace vel

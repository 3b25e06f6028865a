// Processes and programs over the seam.
#include "vel/processes.h"

#include "platform/process.h"
#include "platform/shortcut.h"
#include "ui/forms.h"

namespace vel {

std::vector<TProcess> GetRunningProcesses() { return platform::ListProcesses(); }

void ShellRun(const std::string& FileName, bool Visible, const std::string& Parameters, bool RunAsAdmin,
              const std::string& Directory) {
  platform::ShellRunVerb(RunAsAdmin ? "runas" : "open", FileName, Parameters, Directory, Visible);
}

bool IsAdministrator() { return platform::IsElevated(); }

void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    const std::string& Arguments) {
  platform::CreateShortcut(Target, LinkFile, Description, Arguments);
}

void CenterFormOn(ui::TForm& Form, const ui::TForm& Owner, bool ShowIt) {
  if (Form.Position() != ui::TPosition::poDesigned) Form.SetPosition(ui::TPosition::poDesigned);
  // Halves truncate toward zero, as the system's integer division does.
  Form.SetBounds(Owner.Left() + Owner.Width() / 2 - Form.Width() / 2, Owner.Top() + Owner.Height() / 2 - Form.Height() / 2,
                 Form.Width(), Form.Height());
  if (ShowIt) Form.Show();
}

int ParamCount() { return static_cast<int>(platform::Arguments().size()); }

std::string ParamStr(int Index) {
  const std::vector<std::string>& args = platform::Arguments();
  if (Index < 1 || Index > static_cast<int>(args.size())) return {};
  return args[static_cast<std::size_t>(Index - 1)];
}

std::string GetParameter(int Index) {
  std::string param = ParamStr(Index);
  if (!param.empty() && param[0] == '/') param[0] = '-';
  return param;
}

std::string GetParameters() {
  std::string result;
  int count = ParamCount();
  for (int i = 1; i <= count; ++i) {
    std::string param = GetParameter(i);
    if (param.find(' ') != std::string::npos) param = "\"" + param + "\"";
    result += param;
    if (i < count) result += ' ';
  }
  return result;
}

}  // namespace vel

// Processes and programs: the process list, ending a process, launching, parameters, shortcuts.
#include <gtest/gtest.h>

#include "child_process.h"
#include "platform/files.h"
#include "platform/process.h"
#include "ui/forms.h"
#include "vel/processes.h"

using namespace vel;

namespace {

std::string FileNameOf(const std::string& path) { return platform::FromPath(platform::ToPath(path).filename()); }

std::optional<TProcess> FindProcess(std::int32_t pid) {
  for (const TProcess& p : GetRunningProcesses())
    if (p.PID == pid) return p;
  return std::nullopt;
}

}  // namespace

TEST(ProcessTest, TheListHoldsThisProcessAndAChild) {
  testsupport::Child child(testsupport::HelperProgram("vel-probe"), {"sleep"});
  std::vector<TProcess> list = GetRunningProcesses();
  auto self = std::find_if(list.begin(), list.end(),
                           [](const TProcess& p) { return p.PID == static_cast<std::int32_t>(platform::CurrentProcessId()); });
  ASSERT_NE(self, list.end());
  EXPECT_EQ(self->FileName, platform::ExecutablePath());
  EXPECT_EQ(self->Module, FileNameOf(platform::ExecutablePath()));
  EXPECT_GE(self->Threads, 1);

  std::optional<TProcess> probe;
  ASSERT_TRUE(testsupport::WaitFor([&] { return (probe = FindProcess(static_cast<std::int32_t>(child.Pid()))).has_value(); }));
  EXPECT_EQ(probe->Module, FileNameOf(testsupport::HelperProgram("vel-probe")));
  EXPECT_EQ(probe->ParentPID, static_cast<std::int32_t>(platform::CurrentProcessId()));
}

TEST(ProcessTest, KillProcessEndsTheProcessAndPidZeroEndsNothing) {
  testsupport::Child child(testsupport::HelperProgram("vel-probe"), {"sleep"});
  TProcess none;
  none.KillProcess();
  none.CloseProcess();
  EXPECT_TRUE(child.Running());

  TProcess target;
  target.PID = static_cast<std::int32_t>(child.Pid());
  target.KillProcess();
  EXPECT_TRUE(testsupport::WaitFor([&] { return !child.Running(); }));
}

TEST(ProcessTest, ShellRunStartsAProgramDetached) {
  std::filesystem::path folder = testsupport::MakeTempFolder();
  std::filesystem::path marker = folder / "ran here.txt";
  ShellRun(testsupport::HelperProgram("vel-probe"), false, "touch \"" + platform::FromPath(marker) + "\"", false, "");
  EXPECT_TRUE(testsupport::WaitFor([&] { return std::filesystem::exists(marker); }));
  std::filesystem::remove_all(folder);
}

TEST(ParametersTest, ReJoinedWithQuotesAroundSpaces) {
  testsupport::RunResult r =
      testsupport::Run(testsupport::HelperProgram("vel-probe"), {"params", "-silent", "C:\\My Apps", "/user", "a/b"});
  EXPECT_EQ(r.exitCode, 0);
  // The probe's own first parameter is "params"; the one beyond the count is empty.
  EXPECT_EQ(r.output, "params -silent \"C:\\My Apps\" -user a/b\n[]\n");
}

TEST(CenterFormOnTest, PlacesTheFormOverTheMiddleOfItsOwner) {
  ui::TForm owner(nullptr);
  owner.SetBounds(100, 50, 400, 300);
  ui::TForm form(nullptr);
  form.SetBounds(0, 0, 201, 101);
  form.SetPosition(ui::TPosition::poScreenCenter);
  CenterFormOn(form, owner, false);
  EXPECT_EQ(form.Left(), 100 + 200 - 100);
  EXPECT_EQ(form.Top(), 50 + 150 - 50);
  EXPECT_EQ(form.Width(), 201);
  EXPECT_EQ(form.Position(), ui::TPosition::poDesigned);
  EXPECT_FALSE(form.Visible());

  // Halves truncate toward zero, also left of and above the screen's origin.
  owner.SetBounds(-301, -7, 3, 5);
  CenterFormOn(form, owner, true);
  EXPECT_EQ(form.Left(), -301 + 1 - 100);
  EXPECT_EQ(form.Top(), -7 + 2 - 50);
  EXPECT_TRUE(form.Visible());
}

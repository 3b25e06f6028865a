// Console attachment, seen from helper processes whose parent the test chooses.
#include <gtest/gtest.h>

#include "child_process.h"
#include "platform/process.h"
#include "vel/console.h"

TEST(ConsoleTest, AProgramStartedByAnotherProgramHasNoConsole) {
  std::string probe = testsupport::HelperProgram("vel-probe");
  testsupport::RunResult parent = testsupport::Run(probe, {"parent"});
  EXPECT_EQ(parent.output, platform::ExecutablePath() + "\n0\n");

  EXPECT_EQ(testsupport::Run(probe, {"console"}).output, "");
  // Forcing attaches all the same, once.
  EXPECT_EQ(testsupport::Run(probe, {"force"}).output, "10\nforced line\n");
}

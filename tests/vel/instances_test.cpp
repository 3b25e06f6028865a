// The single-instance guard: names from paths, and the lock seen from a second call and a second process.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/process.h"
#include "vel/instances.h"

TEST(InstanceNameTest, PathRules) {
  EXPECT_EQ(vel::MakeInstanceName("C:\\Users\\Public\\Downloads\\setup.exe"), "C_Users_Public_Downloads_setup_exe");
  EXPECT_EQ(vel::MakeInstanceName("/tmp/Setup.Dir/QuarrowStudioSetup"), "_tmp_Setup_Dir_QuarrowStudioSetup");
  EXPECT_NE(vel::MakeInstanceName("C:\\A\\setup.exe"), vel::MakeInstanceName("C:\\a\\setup.exe"));

  std::string digits;
  for (int i = 0; i < 150; ++i) digits += static_cast<char>('0' + i % 10);
  // 101 characters keep their first 100; 150 keep characters 50 to 149 (counted from 1).
  EXPECT_EQ(vel::MakeInstanceName(digits.substr(0, 101)), digits.substr(0, 100));
  EXPECT_EQ(vel::MakeInstanceName(digits), digits.substr(49, 100));
  EXPECT_EQ(vel::MakeInstanceName(digits.substr(0, 100)), digits.substr(0, 100));
  // Characters are counted in UTF-16 units: each "ü" is one.
  std::string umlauts;
  for (int i = 0; i < 101; ++i) umlauts += "ü";
  EXPECT_EQ(vel::MakeInstanceName(umlauts).size(), 200u);
}

TEST(InstanceGuardTest, SeenFromASecondCallAndASecondProcess) {
  std::string probe = testsupport::HelperProgram("vel-probe");
  testsupport::RunResult alone = testsupport::Run(probe, {"instance"});
  EXPECT_EQ(alone.output, vel::MakeInstanceName(probe) + "\n01\n");

  std::filesystem::path folder = testsupport::MakeTempFolder();
  std::filesystem::path marker = folder / "held";
  {
    testsupport::Child holder(probe, {"hold", platform::FromPath(marker)});
    auto heldText = [&] {
      std::ifstream held(marker);
      return std::string(std::istreambuf_iterator<char>(held), {});
    };
    ASSERT_TRUE(testsupport::WaitFor([&] { return !heldText().empty(); }));
    EXPECT_EQ(heldText(), "0");
    EXPECT_EQ(testsupport::Run(probe, {"instance"}).output.substr(vel::MakeInstanceName(probe).size()), "\n11\n");

    // The same program under another folder is another instance.
    std::filesystem::path copy = folder / platform::ToPath(probe).filename();
    std::filesystem::copy_file(platform::ToPath(probe), copy);
    EXPECT_EQ(testsupport::Run(platform::FromPath(copy), {"instance"}).output,
              vel::MakeInstanceName(platform::FromPath(copy)) + "\n01\n");
  }
  // The holder has ended: its lock is gone with it.
  EXPECT_EQ(testsupport::Run(probe, {"instance"}).output, vel::MakeInstanceName(probe) + "\n01\n");
  std::filesystem::remove_all(folder);
}

// A lock name longer than a file name may be (a deep folder of non-ASCII names) still guards.
TEST(InstanceGuardTest, LongNamesStillGuard) {
  std::string name;
  for (int i = 0; i < 150; ++i) name += "ü";  // 300 bytes
  name += std::to_string(platform::CurrentProcessId());
  EXPECT_FALSE(platform::JoinNamedLock(name));
  EXPECT_TRUE(platform::JoinNamedLock(name));
  // A name that differs only past the part kept in the clear is another lock.
  EXPECT_FALSE(platform::JoinNamedLock(name + "x"));
}


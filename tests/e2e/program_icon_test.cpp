// The Windows programs show the application's icon: each carries it as its main icon, in every size.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "child_process.h"
#include "platform/files.h"

namespace {

// The size of the icon's colour image as the system made it.
SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

}  // namespace

TEST(ProgramIconTest, EveryProgramCarriesTheApplicationsIcon) {
  for (const std::string& program : {testsupport::HelperProgram("QuarrowStudioSetup"),
                                     testsupport::HelperProgram("Uninstall"), std::string(DEMO_PROGRAM)}) {
    SCOPED_TRACE(program);
    HMODULE module = LoadLibraryExW(platform::ToPath(program).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
    // Each size the shell asks for comes from an image of its own, not scaled from another.
    for (int size : {16, 32, 48, 256}) {
      HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << size;
      SIZE made = IconSize(icon);
      EXPECT_EQ(made.cx, size);
      EXPECT_EQ(made.cy, size);
      DestroyIcon(icon);
    }
    FreeLibrary(module);
  }
}

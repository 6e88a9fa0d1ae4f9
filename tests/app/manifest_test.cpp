#include <gtest/gtest.h>
#include <windows.h>

#include <string>

// What the built program tells Windows about itself; each entry missing changes what a player sees.
TEST(Manifest, BuiltProgramCarriesWhatWindowsReadsAtStart) {
  const HMODULE program =
      LoadLibraryExA(QRC_PROGRAM_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  const HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr) << "no manifest Windows reads when it starts the program";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))),
                             SizeofResource(program, found));
  const std::string architecture = sizeof(void*) == 8 ? "amd64" : "x86";
  const struct {
    const char* why;
    std::string entry;
  } entries[] = {
      {"no elevation prompt, and a denied Save is not hidden in VirtualStore",
       R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"},
      {"Windows 7 behaviour", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8 behaviour", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1 behaviour", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11 behaviour", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
      {"sharp at high dpi, not a stretched bitmap",
       R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>)"},
      {"themed controls, and the program starts at all",
       R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture=")" +
           architecture + "\""},
  };
  for (const auto& e : entries) EXPECT_NE(manifest.find(e.entry), std::string::npos) << e.why;
  EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos)
      << "per-monitor, but the form is never laid out again";
  FreeLibrary(program);
}

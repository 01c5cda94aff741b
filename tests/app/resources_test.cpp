// The resources look-up: a build tree, an installed tree, neither (the program then says where it
// looked and stops instead of playing an empty show).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/resources.h"
#include "platform/system.h"
#include "support/test_support.h"

using namespace qorFramework;
namespace fs = std::filesystem;

namespace {

ResourceSearch searchOnDisk(const std::string& binaryFolder) {
  return findResources(binaryFolder, [](const std::string& f) { return platform::folderExists(f.c_str()); });
}

}  // namespace

TEST(Resources, ABuildTreeFindsTheFolderBesideTheBinaryBeforeAnInstalledOne) {
  testsupport::ScratchDir scratch;
  fs::create_directories("prefix/bin/resources");
  fs::create_directories("prefix/share/dovrix/resources");
  EXPECT_EQ(searchOnDisk(scratch.file("prefix/bin")).folder, scratch.file("prefix/bin/resources"));
}

TEST(Resources, AnInstalledTreeFindsShareBesideBin) {
  testsupport::ScratchDir scratch;
  fs::create_directories("prefix/bin");
  fs::create_directories("prefix/share/dovrix/resources");
  testsupport::writeFile("prefix/bin/resources", "a file, not a folder");
  EXPECT_EQ(searchOnDisk(scratch.file("prefix/bin")).folder, scratch.file("prefix/share/dovrix/resources"));
}

TEST(Resources, NoneFoundNamesEveryPlaceLookedAtOnOneLine) {
  ResourceSearch search = findResources("/opt/x/bin", [](const std::string&) { return false; });
  EXPECT_EQ(search.folder, "");
  EXPECT_EQ(resourcesNotFoundMessage(search),
            "dovrix: no resources folder found; looked in /opt/x/bin/resources and "
            "/opt/x/share/dovrix/resources\n");
}

// The program itself, copied into a folder with no resources anywhere near.
TEST(Resources, TheProgramWithoutResourcesExitsOneWithThatLine) {
  testsupport::ScratchDir scratch;
  const char* build = getenv("DOVRIX_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  fs::create_directories("lonely/bin");
  fs::copy_file(fs::path(build) / "dovrix", "lonely/bin/dovrix");
  int status = system("lonely/bin/dovrix --width 160 --height 90 --capture out 2>err.txt");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(testsupport::readFile("err.txt"), resourcesNotFoundMessage(searchOnDisk(scratch.file("lonely/bin"))));
  EXPECT_FALSE(fs::exists("out"));
}

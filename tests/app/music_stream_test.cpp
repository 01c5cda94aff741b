// The music without a sound card: the show keeps its time and the viewer reads one WARNING,
// not pages of the sound library's own complaints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "support/test_support.h"

TEST(MusicStream, NoSoundDeviceGivesOneWarningAndNoDriverNoise) {
  testsupport::ScratchDir scratch;
  const char* build = getenv("DOVRIX_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  // ALSA with a device name no machine has: the same failure as a machine without a card.
  std::string command = std::string("SDL_AUDIODRIVER=alsa AUDIODEV=nonexistent '") + build +
                        "/dovrix' --capture out --width 160 --height 90 --from 10 --to 10.01 2>err.txt";
  int status = system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  std::string err = testsupport::readFile("err.txt");
  EXPECT_EQ(WEXITSTATUS(status), 0) << err;
  int warnings = 0, noise = 0;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("WARNING (music): ", 0) == 0) ++warnings;
    if (line.rfind("ALSA lib ", 0) == 0) ++noise;
  }
  EXPECT_EQ(warnings, 1) << err;
  EXPECT_NE(err.find("the music is silent"), std::string::npos) << err;
  EXPECT_EQ(noise, 0) << err;
}

// The launcher driven like a user would: synthetic SDL pointer, key and window events pushed at
// the controls' positions from the per-frame hook, under SDL's offscreen driver.
#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include <functional>
#include <string>
#include <vector>

#include "app/launcher.h"
#include "platform/window.h"
#include "support/test_support.h"

using qorFramework::LauncherFrame;
using qorFramework::LauncherHooks;
using qorFramework::LaunchSettings;

namespace {

// Control centres in client pixels.
const int kLaunchX = 97, kLaunchY = 37;
const int kExitX = 97, kExitY = 72;
const int kListX = 97, kListY = 107;
const int kBoxX = 20, kBoxY = 162;
const int kGiveUpFrame = 400;  // a script that never ends the launcher closes it here

void pushMouse(uint32_t windowId, uint32_t type, int x, int y) {
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  if (type == SDL_MOUSEMOTION) {
    event.motion.windowID = windowId;
    event.motion.x = x;
    event.motion.y = y;
  } else {
    event.button.windowID = windowId;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
  }
  SDL_PushEvent(&event);
}

void pushKey(uint32_t windowId, SDL_Scancode scancode, bool down) {
  SDL_Event event;
  SDL_zero(event);
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = windowId;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  SDL_PushEvent(&event);
}

void pushWindowClose(uint32_t windowId) {
  SDL_Event event;
  SDL_zero(event);
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = windowId;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&event);
}

// A list of steps, each run at its frame; clicks take three steps on separate frames
// (move, press, release) because ImGui needs a frame between them.
class Script {
 public:
  using Step = std::function<void(const LauncherFrame&)>;

  void at(int frame, Step step) { steps_.push_back({frame, std::move(step)}); }

  // Clicks a point the frame names (e.g. a list item) starting at `frame`.
  void clickAt(int frame, std::function<void(const LauncherFrame&, int*, int*)> where) {
    auto point = std::make_shared<std::pair<int, int>>();
    at(frame, [=](const LauncherFrame& f) {
      where(f, &point->first, &point->second);
      pushMouse(f.windowId, SDL_MOUSEMOTION, point->first, point->second);
    });
    at(frame + 2, [=](const LauncherFrame& f) { pushMouse(f.windowId, SDL_MOUSEBUTTONDOWN, point->first, point->second); });
    at(frame + 4, [=](const LauncherFrame& f) { pushMouse(f.windowId, SDL_MOUSEBUTTONUP, point->first, point->second); });
  }
  void click(int frame, int x, int y) {
    clickAt(frame, [=](const LauncherFrame&, int* px, int* py) {
      *px = x;
      *py = y;
    });
  }

  LaunchSettings run() {
    at(kGiveUpFrame, [](const LauncherFrame& f) {
      ADD_FAILURE() << "the launcher did not end";
      pushWindowClose(f.windowId);
    });
    LauncherHooks hooks = {&Script::onFrame, this};
    return qorFramework::runLauncher(&hooks);
  }

  std::vector<LauncherFrame> frames;  // every frame the hook saw
  uint32_t windowId = 0;

 private:
  static void onFrame(const LauncherFrame& frame, void* user) {
    Script* self = static_cast<Script*>(user);
    self->frames.push_back(frame);
    self->windowId = frame.windowId;
    for (auto& step : self->steps_)
      if (step.first == frame.index) step.second(frame);
  }
  std::vector<std::pair<int, Step>> steps_;
};

void expectCancelled(const LaunchSettings& settings) { EXPECT_TRUE(settings.cancelled); }

}  // namespace

TEST(Launcher, LaunchWithoutChangesGivesDefaultFullScreen) {
  Script script;
  script.at(1, [](const LauncherFrame& f) {
    SDL_Window* window = SDL_GetWindowFromID(f.windowId);
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "dovrix-2012");
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 200);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
  });
  script.click(3, kLaunchX, kLaunchY);
  LaunchSettings settings = script.run();
  EXPECT_FALSE(settings.cancelled);
  EXPECT_EQ(settings.width, 1680);
  EXPECT_EQ(settings.height, 1050);
  EXPECT_TRUE(settings.fullscreen);

  // Window, context and ImGui are gone on return.
  EXPECT_EQ(SDL_GetWindowFromID(script.windowId), nullptr);
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
}

TEST(Launcher, ChoosingFromListAndUntickingGivesWindowed640x480) {
  Script script;
  script.click(3, kListX, kListY);
  script.clickAt(10, [](const LauncherFrame& f, int* x, int* y) {
    ASSERT_TRUE(f.listOpen);
    *x = f.itemX[0];
    *y = f.itemY[0];
  });
  script.click(18, kBoxX, kBoxY);
  script.click(26, kLaunchX, kLaunchY);
  LaunchSettings settings = script.run();
  EXPECT_FALSE(settings.cancelled);
  EXPECT_EQ(settings.width, 640);
  EXPECT_EQ(settings.height, 480);
  EXPECT_FALSE(settings.fullscreen);
  ASSERT_GT(script.frames.size(), 20u);
  EXPECT_FALSE(script.frames[20].listOpen);  // choosing closed the list
}

TEST(Launcher, ReturnAndKeypadEnterLaunchWithTheChoicesShown) {
  {
    Script script;
    script.click(3, kBoxX, kBoxY);
    script.at(10, [](const LauncherFrame& f) { pushKey(f.windowId, SDL_SCANCODE_RETURN, true); });
    LaunchSettings settings = script.run();
    EXPECT_FALSE(settings.cancelled);
    EXPECT_EQ(settings.width, 1680);
    EXPECT_FALSE(settings.fullscreen);
  }
  {
    Script script;
    script.at(3, [](const LauncherFrame& f) { pushKey(f.windowId, SDL_SCANCODE_KP_ENTER, true); });
    LaunchSettings settings = script.run();
    EXPECT_FALSE(settings.cancelled);
    EXPECT_TRUE(settings.fullscreen);
  }
}

TEST(Launcher, ListOffersTheSevenSizesWithinTheWindow) {
  Script script;
  script.click(3, kListX, kListY);
  script.at(10, [](const LauncherFrame& f) {
    ASSERT_TRUE(f.listOpen);
    for (int i = 0; i < qorFramework::kLauncherResolutionCount; ++i) {
      EXPECT_GT(f.itemY[i], 0) << i;
      EXPECT_LT(f.itemY[i], 200) << i;
      if (i > 0) {
        EXPECT_GT(f.itemY[i], f.itemY[i - 1]) << i;
      }
    }
  });
  script.at(12, [](const LauncherFrame& f) { pushKey(f.windowId, SDL_SCANCODE_ESCAPE, true); });
  expectCancelled(script.run());
  EXPECT_STREQ(qorFramework::launcherResolutions[0].text, "640x480 (4:3)");
  EXPECT_STREQ(qorFramework::launcherResolutions[4].text, "1680x1050 (16:10)");
}

TEST(Launcher, ExitCloseBoxAndEscapeCancel) {
  {
    Script script;
    script.click(3, kExitX, kExitY);
    expectCancelled(script.run());
  }
  {
    Script script;
    script.at(3, [](const LauncherFrame& f) { pushWindowClose(f.windowId); });
    expectCancelled(script.run());
  }
  {
    Script script;
    script.at(3, [](const LauncherFrame& f) {
      pushKey(f.windowId, SDL_SCANCODE_ESCAPE, true);
      pushKey(f.windowId, SDL_SCANCODE_ESCAPE, false);
    });
    expectCancelled(script.run());
  }
}

TEST(Launcher, ClickOutsideControlsDoesNothing) {
  Script script;
  script.click(3, 190, 190);
  script.click(10, 5, 5);
  script.at(20, [](const LauncherFrame& f) { pushKey(f.windowId, SDL_SCANCODE_ESCAPE, true); });
  LaunchSettings settings = script.run();
  EXPECT_TRUE(settings.cancelled);
  EXPECT_EQ(script.frames.size(), 21u);
}

TEST(Launcher, RenderWindowOpenedAfterwardsGetsNoStrayClose) {
  Script script;
  script.at(3, [](const LauncherFrame& f) {
    // A real close box sends the window close and then SDL_QUIT; neither may reach the
    // render window's pump.
    pushWindowClose(f.windowId);
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  });
  expectCancelled(script.run());

  platform::Window* window = testsupport::createTestWindow(64, 64);
  ASSERT_NE(window, nullptr);
  platform::Message message;
  bool sawClose = false;
  while (platform::peekMessage(&message)) sawClose |= message.message == platform::WM_CLOSE;
  EXPECT_FALSE(sawClose);
  // The pump still delivers what comes after.
  platform::injectKey(window, platform::VK_SPACE, true);
  bool sawKey = false;
  while (platform::peekMessage(&message)) sawKey |= message.message == platform::WM_KEYDOWN && message.wParam == platform::VK_SPACE;
  EXPECT_TRUE(sawKey);
  platform::destroyWindow(window);
}

// The registry and the schedule: what scheduleLayer accepts, the FrameInfo each active slot
// gets, the halted state, message forwarding and the shutdown pass.
#include "timeline/schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

using namespace qorFramework;

namespace {

// Remembers every FrameInfo it was given, how often it rendered, and the messages it saw.
class ProbeLayer : public Layer_Base {
 public:
  explicit ProbeLayer(std::vector<std::string>* log = nullptr) : log_(log) {}
  bool init(GL_TextureManager*, ControllerList*) override { return true; }
  void update(const FrameInfo& info) override {
    Layer_Base::update(info);
    infos.push_back(info);
  }
  void render() override { ++renders; }
  void handleMessage(uint32_t message, uint32_t, uint32_t) override { messages.push_back(message); }
  void shutdown() override {
    if (log_) log_->push_back("shutdown");
  }
  ~ProbeLayer() override {
    if (log_) log_->push_back("delete");
  }

  std::vector<FrameInfo> infos;
  int renders = 0;
  std::vector<uint32_t> messages;

 private:
  std::vector<std::string>* log_;
};

class ScheduleTest : public testsupport::GLTest {
 protected:
  void TearDown() override {
    shutdownLayers(timeline);
    GLTest::TearDown();
  }
  ProbeLayer* add(const char* name) {
    ProbeLayer* layer = new ProbeLayer();
    registerLayer(timeline, name, layer);
    return layer;
  }
  bool draw(uint32_t t, uint32_t d, AppState state = kStateRunning) {
    return drawFrame(timeline, state, t, d, t / 1000.0f, d / 1000.0f, nullptr);
  }

  testsupport::DebugCapture capture;
  LayerTimeline timeline;
};

TEST_F(ScheduleTest, EmptyScheduleKeepsItsBoundsAndIgnoredCallsChangeNothing) {
  EXPECT_EQ(timeline.minStartMs, 4294967295u);
  EXPECT_EQ(timeline.maxEndMs, 0u);
  add("a");
  scheduleLayer(timeline, kStateSettingUp, "missing", 1, 10, 20);  // unregistered name
  scheduleLayer(timeline, kStateLoaded, "a", 1, 10, 20);           // after initialisation
  scheduleLayer(timeline, kStateSettingUp, "a", 128, 10, 20);      // no such draw slot
  EXPECT_TRUE(timeline.schedule.empty());
  EXPECT_EQ(timeline.minStartMs, 4294967295u);
  EXPECT_EQ(timeline.maxEndMs, 0u);
  EXPECT_FALSE(draw(15, 1));

  scheduleLayer(timeline, kStateSettingUp, "a", 1, 500, 900);
  scheduleLayer(timeline, kStateSettingUp, "a", 2, 100, 300);
  EXPECT_EQ(timeline.minStartMs, 100u);
  EXPECT_EQ(timeline.maxEndMs, 900u);
}

TEST_F(ScheduleTest, RegistryAnnouncesEachLayerAndFindsTheFirstOfAName) {
  ProbeLayer* first = add("twin");
  add("twin");
  EXPECT_TRUE(capture.contains("pushing twin\n1\npushing twin\n2\n"));
  EXPECT_EQ(findLayer(timeline, "twin"), first);
  EXPECT_EQ(findLayer(timeline, "Twin"), nullptr);
}

TEST_F(ScheduleTest, FrameInfoDescribesTheEntry) {
  ProbeLayer* layer = add("a");
  scheduleLayer(timeline, kStateSettingUp, "a", 5, 1000, 2000);
  EXPECT_FALSE(draw(999, 16));
  ASSERT_TRUE(draw(1000, 16));
  ASSERT_TRUE(draw(2000, 16));
  EXPECT_FALSE(draw(2001, 16));
  ASSERT_EQ(layer->infos.size(), 2u);
  const FrameInfo& at1000 = layer->infos[0];
  EXPECT_FLOAT_EQ(at1000.length, 1.0f);
  EXPECT_FLOAT_EQ(at1000.start, 1.0f);
  EXPECT_FLOAT_EQ(at1000.remaining, 1.0f);
  EXPECT_FLOAT_EQ(at1000.time, 1.0f);
  EXPECT_FLOAT_EQ(at1000.delta, 0.016f);
  EXPECT_FLOAT_EQ(layer->time, 2.0f);  // the base update stores the newest time
}

TEST_F(ScheduleTest, StartingAndEndingMarkTheFramesAtTheEdgesOfTheWindow) {
  ProbeLayer* layer = add("a");
  scheduleLayer(timeline, kStateSettingUp, "a", 1, 1000, 2000);
  // Frames of 20 ms: the first one in the window had its predecessor before the start.
  for (uint32_t t : {1010u, 1030u, 1500u, 1975u, 1985u}) draw(t, 20);
  ASSERT_EQ(layer->infos.size(), 5u);
  EXPECT_TRUE(layer->infos[0].starting);   // 1000 >= 1010 - 20
  EXPECT_FALSE(layer->infos[1].starting);  // 1000 <  1030 - 20
  EXPECT_FALSE(layer->infos[2].ending);
  EXPECT_FALSE(layer->infos[3].ending);    // 2000 >  1975 + 20
  EXPECT_TRUE(layer->infos[4].ending);     // 2000 <= 1985 + 20
}

TEST_F(ScheduleTest, HaltedFramesRenderWithoutUpdating) {
  ProbeLayer* layer = add("a");
  scheduleLayer(timeline, kStateSettingUp, "a", 1, 0, 5000);
  draw(100, 10);
  ASSERT_TRUE(draw(3000, 10, kStateHalted));
  EXPECT_EQ(layer->renders, 2);
  EXPECT_EQ(layer->infos.size(), 1u);
  EXPECT_FLOAT_EQ(layer->time, 0.1f);  // frozen at the last running frame
}

TEST_F(ScheduleTest, MessagesReachTheLayersOfTheLatestFrameInSlotOrder) {
  ProbeLayer* late = add("late");
  ProbeLayer* early = add("early");
  ProbeLayer* idle = add("idle");
  scheduleLayer(timeline, kStateSettingUp, "late", 9, 0, 100);
  scheduleLayer(timeline, kStateSettingUp, "early", 3, 0, 100);
  scheduleLayer(timeline, kStateSettingUp, "idle", 4, 200, 300);
  forwardMessage(timeline, 0x100, 0, 0);  // no frame yet: nobody is active
  EXPECT_TRUE(late->messages.empty());
  draw(50, 1);
  forwardMessage(timeline, 0x101, 0, 0);
  EXPECT_EQ(early->messages, std::vector<uint32_t>{0x101});
  EXPECT_EQ(late->messages, std::vector<uint32_t>{0x101});
  EXPECT_TRUE(idle->messages.empty());
}

TEST_F(ScheduleTest, ShutdownCallsEachLayerThenDeletesItAndEmptiesEverything) {
  std::vector<std::string> log;
  registerLayer(timeline, "a", new ProbeLayer(&log));
  registerLayer(timeline, "b", new ProbeLayer(&log));
  scheduleLayer(timeline, kStateSettingUp, "a", 1, 0, 10);
  draw(5, 1);
  capture.clear();
  shutdownLayers(timeline);
  EXPECT_EQ(log, (std::vector<std::string>{"shutdown", "delete", "shutdown", "delete"}));
  EXPECT_EQ(capture.text(), "2\n2\n");
  EXPECT_TRUE(timeline.registry.empty());
  EXPECT_TRUE(timeline.schedule.empty());
  forwardMessage(timeline, 0x100, 0, 0);  // the slots no longer point at deleted layers
}

}  // namespace

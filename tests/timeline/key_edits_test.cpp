// Edits of many keys at once on plain controllers: how far a block may move, inserting and
// removing time, the stretch a time falls in.
#include "timeline/key_edits.h"

#include <gtest/gtest.h>

using namespace qorFramework;

namespace {

Controller keysAt(std::initializer_list<float> times) {
  Controller c;
  c.name = "Test: x";
  for (float t : times) addKey(c, t, 0.5f);
  return c;
}

TEST(KeyEdits, ABlockMovesTowardItsDeltaOnlyAsFarAsItsUnselectedNeighboursAndZeroAllow) {
  Controller c = keysAt({1.0f, 2.0f, 3.0f, 5.0f});
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {1, 2}, 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {1, 2}, 3.0f), 2.0f - kMinKeyGap) << "stops before the key at 5 s";
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {1, 2}, -3.0f), -(1.0f - kMinKeyGap)) << "stops after the key at 1 s";
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {0, 1, 2, 3}, -3.0f), -1.0f) << "no key before 0";
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {0, 2}, 1.5f), 1.0f - kMinKeyGap) << "the unselected key between them bounds both";
  EXPECT_FLOAT_EQ(allowedBlockMove(c, {}, 1.0f), 0.0f);
  Controller tight = keysAt({1.0f, 1.0005f});
  EXPECT_FLOAT_EQ(allowedBlockMove(tight, {0}, 0.5f), 0.0f) << "never the other way round";
}

TEST(KeyEdits, MovingABlockKeepsItsOrderAndTheModesOfItsStretches) {
  Controller c = keysAt({1.0f, 2.0f, 3.0f, 5.0f});
  c.segments[1] = {Smoothstep, ValOne};
  moveKeysBy(c, {2, 1, 1}, allowedBlockMove(c, {1, 2}, 1.0f));
  EXPECT_FLOAT_EQ(c.keys[1].time, 3.0f);
  EXPECT_FLOAT_EQ(c.keys[2].time, 4.0f);
  EXPECT_EQ(c.segments[1].interpolation, Smoothstep);
}

TEST(KeyEdits, InsertedTimeCanBeTakenOutAgainUnlessAKeyLiesInside) {
  ControllerList list;
  list.push_back(std::make_unique<Controller>(keysAt({1.0f, 10.0f, 10.25f, 28.254f})));
  list.push_back(std::make_unique<Controller>(keysAt({31.9f, 63.7f})));
  insertTime(list, 10.0f, 0.5f);
  EXPECT_FLOAT_EQ(list[0]->keys[1].time, 10.0f) << "a key at the play line stays";
  EXPECT_FLOAT_EQ(list[0]->keys[2].time, 10.75f);
  EXPECT_FLOAT_EQ(list[1]->keys[1].time, 64.2f);
  std::string blocking;
  EXPECT_FALSE(removeTime(list, 10.5f, 0.5f, &blocking));
  EXPECT_EQ(blocking, "Test: x at 10.750 s");
  ASSERT_TRUE(removeTime(list, 10.0f, 0.5f, nullptr));
  EXPECT_EQ(list[0]->keys[2].time, 10.25f);
  EXPECT_EQ(list[0]->keys[3].time, 28.254f);
  EXPECT_EQ(list[1]->keys[0].time, 31.9f);
  EXPECT_EQ(list[1]->keys[1].time, 63.7f);
}

TEST(KeyEdits, AStretchHoldsTheTimesFromItsKeyUpToTheNext) {
  Controller c = keysAt({1.0f, 2.0f});
  c.segments[0] = {Exponential, ZeroVal};
  uint32_t index = 9;
  SegmentMode mode = {};
  EXPECT_TRUE(stretchAt(c, 1.0f, &index, &mode));
  EXPECT_EQ(index, 0u);
  EXPECT_EQ(mode.interpolation, Exponential);
  EXPECT_FALSE(stretchAt(c, 2.0f, nullptr, nullptr));
  EXPECT_FALSE(stretchAt(c, 0.5f, nullptr, nullptr));
}

}  // namespace

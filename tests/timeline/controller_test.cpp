// Controllers: the curve formulas, key insertion, moving and deletion rules, and lookup.
#include "timeline/controller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace qorFramework;

namespace {

// Keys (0 s, a) and (2 s, b) with one segment of the given mode.
Controller twoKeys(float a, float b, int32_t interpolation, int32_t shape) {
  Controller c;
  c.keys = {{0.0f, a}, {2.0f, b}};
  c.segments = {{interpolation, shape}};
  return c;
}

float valueAt(Controller c, float t) {
  evaluateController(c, t);
  return c.value;
}

}  // namespace

TEST(ControllerEvaluate, InterpolationsAtTheMiddle) {
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, Linear, ValVal), 1.0f), 0.5f);
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, Smoothstep, ValVal), 1.0f), 0.5f);
  EXPECT_EQ(valueAt(twoKeys(0, 1, Exponential, ValVal), 1.0f), 0.15625f);     // S(0.25)
  EXPECT_EQ(valueAt(twoKeys(0, 1, MinExponential, ValVal), 1.0f), 0.84375f);  // S(0.75)
}

TEST(ControllerEvaluate, InterpolationsAwayFromTheMiddle) {
  // f = 0.25: linear 0.25; smoothstep S(0.25) = 0.15625; exponential S(0.0625);
  // min-exponential S(1 - 0.5625) = S(0.4375).
  auto s = [](float c) { return c * c * (3 - 2 * c); };
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, Linear, ValVal), 0.5f), 0.25f);
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, Smoothstep, ValVal), 0.5f), 0.15625f);
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, Exponential, ValVal), 0.5f), s(0.0625f));
  EXPECT_FLOAT_EQ(valueAt(twoKeys(0, 1, MinExponential, ValVal), 0.5f), s(0.4375f));
  // Falling curves use the same shapes between the levels.
  EXPECT_FLOAT_EQ(valueAt(twoKeys(1, 0, Exponential, ValVal), 0.5f), 1.0f - s(0.0625f));
}

TEST(ControllerEvaluate, ShapesChooseStartAndEndLevels) {
  const float expected[] = {0.4f, 0.1f, 0.6f, 0.3f, 0.8f, 1.0f, 0.0f};
  for (int32_t shape = ValVal; shape <= ZeroZero; ++shape)
    EXPECT_FLOAT_EQ(valueAt(twoKeys(0.2f, 0.6f, Linear, shape), 1.0f), expected[shape - 1])
        << "shape " << shape;
  // Unknown shapes run from 0 to 0.
  EXPECT_EQ(valueAt(twoKeys(0.2f, 0.6f, Linear, 0), 1.0f), 0.0f);
  EXPECT_EQ(valueAt(twoKeys(0.2f, 0.6f, Linear, 8), 1.0f), 0.0f);
}

TEST(ControllerEvaluate, OutsideTheKeysHoldsTheEndValues) {
  Controller c = twoKeys(0.3f, 0.9f, Smoothstep, ValVal);
  c.keys[0].time = 1.0f;
  EXPECT_EQ(valueAt(c, 0.0f), 0.3f);
  EXPECT_EQ(valueAt(c, -5.0f), 0.3f);
  EXPECT_EQ(valueAt(c, 2.0f), 0.9f);
  EXPECT_EQ(valueAt(c, 100.0f), 0.9f);
}

TEST(ControllerEvaluate, AtAnInnerKeyTheNextStretchStarts) {
  // 0..1 falls to 0 (ValZero); 1..2 starts at 1 (OneVal): the curve jumps at the inner key.
  Controller c;
  c.keys = {{0.0f, 0.2f}, {1.0f, 0.6f}, {2.0f, 0.4f}};
  c.segments = {{Linear, ValZero}, {Linear, OneVal}};
  EXPECT_EQ(valueAt(c, 1.0f), 1.0f);
  EXPECT_NEAR(valueAt(c, 0.999f), 0.0002f, 1e-5f);
  EXPECT_FLOAT_EQ(valueAt(c, 1.5f), 0.7f);
}

TEST(ControllerEvaluate, WithoutKeysOrWithUnknownInterpolationTheValueStays) {
  Controller empty;
  evaluateController(empty, 3.0f);
  EXPECT_EQ(empty.value, 0.0f);
  empty.value = 0.7f;
  evaluateController(empty, 3.0f);
  EXPECT_EQ(empty.value, 0.7f);

  Controller odd = twoKeys(0, 1, 5, ValVal);
  odd.value = 0.25f;
  evaluateController(odd, 1.0f);
  EXPECT_EQ(odd.value, 0.25f);
  // Outside the stretch the key values still apply.
  evaluateController(odd, 3.0f);
  EXPECT_EQ(odd.value, 1.0f);
}

TEST(ControllerEvaluate, AllControllersInTheList) {
  ControllerList list;
  Controller* a = findOrCreateController(list, "A: x");
  Controller* b = findOrCreateController(list, "B: y");
  *a = twoKeys(0, 1, Linear, ValVal);
  *b = twoKeys(1, 0, Linear, ValVal);
  evaluateAllControllers(list, 0.5f);
  EXPECT_FLOAT_EQ(a->value, 0.25f);
  EXPECT_FLOAT_EQ(b->value, 0.75f);
}

TEST(ControllerLookup, FindsByExactNameAndCreatesOnce) {
  ControllerList list;
  Controller* first = findOrCreateController(list, "Earth: Rotation");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->value, 0.0f);
  EXPECT_TRUE(first->keys.empty());
  EXPECT_EQ(findOrCreateController(list, "Earth: Rotation"), first);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_NE(findOrCreateController(list, "earth: rotation"), first);  // case-sensitive
  EXPECT_NE(findOrCreateController(list, "Earth: Rotatio"), first);   // whole name
  EXPECT_EQ(list.size(), 3u);
  // Pointers survive the list growing.
  for (int i = 0; i < 100; ++i) findOrCreateController(list, ("C: " + std::to_string(i)).c_str());
  EXPECT_EQ(list[0].get(), first);
  EXPECT_EQ(first->name, "Earth: Rotation");
}

TEST(ControllerKeys, AddAppendsAndSplitsStretches) {
  Controller c;
  addKey(c, 1.0f, 0.5f);
  EXPECT_EQ(c.keys.size(), 1u);
  EXPECT_TRUE(c.segments.empty());

  // Before the only key: two keys, one default segment.
  addKey(c, 0.0f, 0.1f);
  ASSERT_EQ(c.keys.size(), 2u);
  EXPECT_EQ(c.keys[0].time, 0.0f);
  ASSERT_EQ(c.segments.size(), 1u);
  EXPECT_EQ(c.segments[0].interpolation, Linear);
  EXPECT_EQ(c.segments[0].shape, ValVal);

  c.segments[0] = {Smoothstep, ValOne};
  addKey(c, 3.0f, 0.9f);  // after the last: default segment appended
  addKey(c, 0.5f, 0.2f);  // inside 0..1: left part keeps its mode, right part default
  ASSERT_EQ(c.keys.size(), 4u);
  EXPECT_EQ(c.keys[1].time, 0.5f);
  EXPECT_EQ(c.keys[1].value, 0.2f);
  ASSERT_EQ(c.segments.size(), 3u);
  EXPECT_EQ(c.segments[0].interpolation, Smoothstep);
  EXPECT_EQ(c.segments[0].shape, ValOne);
  EXPECT_EQ(c.segments[1].interpolation, Linear);
  EXPECT_EQ(c.segments[2].interpolation, Linear);
}

TEST(ControllerKeys, AddAtAnExistingTime) {
  Controller c;
  addKey(c, 0.0f, 0.0f);
  addKey(c, 1.0f, 0.1f);
  addKey(c, 2.0f, 0.2f);
  c.segments = {{Smoothstep, ValVal}, {Exponential, ValVal}};

  addKey(c, 2.0f, 0.7f);  // equal to the last key: nothing
  EXPECT_EQ(c.keys.size(), 3u);
  EXPECT_EQ(c.segments.size(), 2u);

  addKey(c, 1.0f, 0.5f);  // equal to an inner key: goes after it
  ASSERT_EQ(c.keys.size(), 4u);
  EXPECT_EQ(c.keys[1].value, 0.1f);
  EXPECT_EQ(c.keys[2].time, 1.0f);
  EXPECT_EQ(c.keys[2].value, 0.5f);
  ASSERT_EQ(c.segments.size(), 3u);
  EXPECT_EQ(c.segments[0].interpolation, Smoothstep);
  EXPECT_EQ(c.segments[1].interpolation, Exponential);
  EXPECT_EQ(c.segments[2].interpolation, Linear);

  addKey(c, std::numeric_limits<float>::quiet_NaN(), 0.5f);
  EXPECT_EQ(c.keys.size(), 4u);
}

TEST(ControllerKeys, MoveNeverReachesANeighbour) {
  Controller c;
  for (float t : {0.0f, 1.0f, 2.0f}) addKey(c, t, 0.0f);

  moveKey(c, 1, 2.0f);  // onto the right neighbour
  EXPECT_EQ(c.keys[1].time, 1.0f);
  moveKey(c, 1, 0.0f);  // onto the left neighbour
  EXPECT_EQ(c.keys[1].time, 1.0f);
  moveKey(c, 1, 1.5f);
  EXPECT_EQ(c.keys[1].time, 1.5f);

  moveKey(c, 0, -10.0f);  // the first key has no lower limit
  EXPECT_EQ(c.keys[0].time, -10.0f);
  moveKey(c, 0, 1.5f);
  EXPECT_EQ(c.keys[0].time, -10.0f);

  moveKey(c, 2, 50.0f);  // the last key has no upper limit
  EXPECT_EQ(c.keys[2].time, 50.0f);
  moveKey(c, 2, 1.5f);
  EXPECT_EQ(c.keys[2].time, 50.0f);

  moveKey(c, 3, 60.0f);  // out of range
  EXPECT_EQ(c.keys.size(), 3u);
  EXPECT_EQ(c.keys[2].time, 50.0f);

  Controller single;
  addKey(single, 1.0f, 0.0f);
  moveKey(single, 0, -3.0f);
  EXPECT_EQ(single.keys[0].time, -3.0f);
}

TEST(ControllerKeys, DeleteTakesTheRightSegment) {
  // Keys 0..3 with segments A (0-1), B (1-2), C (2-3).
  auto make = [] {
    Controller c;
    for (float t : {0.0f, 1.0f, 2.0f, 3.0f}) addKey(c, t, t / 3.0f);
    c.segments = {{Linear, ValVal}, {Smoothstep, ValVal}, {Exponential, ValVal}};
    return c;
  };
  Controller inner = make();
  deleteKey(inner, 1);  // the merged stretch 0..2 takes B, the segment that began at the key
  ASSERT_EQ(inner.keys.size(), 3u);
  EXPECT_EQ(inner.keys[1].time, 2.0f);
  ASSERT_EQ(inner.segments.size(), 2u);
  EXPECT_EQ(inner.segments[0].interpolation, Smoothstep);
  EXPECT_EQ(inner.segments[1].interpolation, Exponential);

  Controller first = make();
  deleteKey(first, 0);
  ASSERT_EQ(first.segments.size(), 2u);
  EXPECT_EQ(first.segments[0].interpolation, Smoothstep);

  Controller last = make();
  deleteKey(last, 3);
  ASSERT_EQ(last.segments.size(), 2u);
  EXPECT_EQ(last.segments[1].interpolation, Smoothstep);

  Controller outOfRange = make();
  deleteKey(outOfRange, 4);
  EXPECT_EQ(outOfRange.keys.size(), 4u);
  EXPECT_EQ(outOfRange.segments.size(), 3u);
}

TEST(ControllerKeys, DeletingDownToNothing) {
  Controller c = twoKeys(0.2f, 0.6f, Smoothstep, ValVal);
  c.value = 0.5f;
  deleteKey(c, 0);
  ASSERT_EQ(c.keys.size(), 1u);
  EXPECT_EQ(c.keys[0].value, 0.6f);
  EXPECT_TRUE(c.segments.empty());
  EXPECT_EQ(c.value, 0.5f);
  deleteKey(c, 0);
  EXPECT_TRUE(c.keys.empty());
  EXPECT_EQ(c.value, 0.0f);
}

TEST(ControllerKeys, FindSegment) {
  Controller c;
  addKey(c, 1.0f, 0.0f);
  EXPECT_EQ(findSegment(c, 1.0f), -1);  // fewer than two keys
  addKey(c, 2.0f, 0.0f);
  addKey(c, 3.0f, 0.0f);
  EXPECT_EQ(findSegment(c, 0.0f), 0);  // before the first key
  EXPECT_EQ(findSegment(c, 1.5f), 0);
  EXPECT_EQ(findSegment(c, 2.0f), 0);  // at a key: the segment ending there
  EXPECT_EQ(findSegment(c, 2.001f), 1);
  EXPECT_EQ(findSegment(c, 3.0f), 1);
  EXPECT_EQ(findSegment(c, 3.001f), -1);  // after the last key
}

TEST(ControllerKeys, AccessorsAnswerZeroOutOfRange) {
  Controller c;
  addKey(c, 1.0f, 0.25f);
  addKey(c, 2.0f, 0.75f);
  EXPECT_EQ(keyTime(c, 1), 2.0f);
  EXPECT_EQ(keyValue(c, 1), 0.75f);
  EXPECT_EQ(keyTime(c, 2), 0.0f);
  EXPECT_EQ(keyValue(c, 2), 0.0f);
  EXPECT_EQ(nextKeyTime(c, 0), 2.0f);
  EXPECT_EQ(nextKeyTime(c, 1), 0.0f);
  EXPECT_EQ(nextKeyTime(c, UINT32_MAX), 0.0f);  // no wrap-around to the first key
}

TEST(ControllerKeys, SetKeyValueClampsToTheUnitRange) {
  Controller c;
  addKey(c, 0.0f, 0.5f);
  setKeyValue(c, 0, 1.7f);
  EXPECT_EQ(c.keys[0].value, 1.0f);
  setKeyValue(c, 0, -0.2f);
  EXPECT_EQ(c.keys[0].value, 0.0f);
  setKeyValue(c, 0, 0.3f);
  EXPECT_EQ(c.keys[0].value, 0.3f);
  setKeyValue(c, 0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(c.keys[0].value, 0.0f);
  setKeyValue(c, 1, 0.9f);
  EXPECT_EQ(c.keys.size(), 1u);
  EXPECT_EQ(c.keys[0].value, 0.0f);
}

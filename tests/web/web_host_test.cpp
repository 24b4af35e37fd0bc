// The browser host's pure logic: the pace of the animation (steps per
// animation frame) and the page's address parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "web/pacing.h"
#include "web/page_parameters.h"

namespace {

// Animation frames every `period_ms` for `span_ms`, the first at 1000 ms:
// the steps taken in all.
int steps_over(double period_ms, double span_ms) {
  step_clock clock;
  reset_step_clock(&clock);
  int steps = 0;
  for (double t = 0; t <= span_ms + 1e-9; t += period_ms) steps += take_steps(&clock, 1000 + t);
  return steps;
}

TEST(WebPacing, OneStepPer10MsWhateverTheDisplaysRate) {
  // The first frame takes a step at once; then one per whole 10 ms.
  const struct {
    double hz;
    double span_ms;
  } displays[] = {{60, 1000}, {144, 1000}, {75, 2000}, {120, 500}, {100, 3000}, {30, 990}, {25, 1000}};
  for (auto d : displays) {
    int steps = steps_over(1000.0 / d.hz, d.span_ms);
    // Frames land on the display's beat, so the last whole 10 ms may be
    // a frame away.
    int expected = 1 + (int)std::floor(d.span_ms / 10);
    EXPECT_LE(steps, expected) << d.hz << " Hz";
    EXPECT_GE(steps, expected - (int)std::ceil(100.0 / d.hz)) << d.hz << " Hz";
  }
  // Exactly 10 ms apart: one step per frame; 5 ms apart: one every other.
  step_clock clock;
  reset_step_clock(&clock);
  EXPECT_EQ(take_steps(&clock, 0), 1);
  for (int k = 1; k <= 5; k++) EXPECT_EQ(take_steps(&clock, 10.0 * k), 1) << k;
  reset_step_clock(&clock);
  take_steps(&clock, 0);
  const int every_other[] = {0, 1, 0, 1, 0, 1};
  for (int k = 0; k < 6; k++) EXPECT_EQ(take_steps(&clock, 5.0 * (k + 1)), every_other[k]) << k;
}

TEST(WebPacing, ALongPauseTakesAFewStepsOnly) {
  const struct {
    double gap_ms;
    int steps;
  } gaps[] = {{39.9, 3}, {40, 4}, {49.9, 4}, {50, 4}, {3600000, 4}, {1e12, 4}};
  for (auto g : gaps) {
    step_clock clock;
    reset_step_clock(&clock);
    take_steps(&clock, 500);
    EXPECT_EQ(take_steps(&clock, 500 + g.gap_ms), g.steps) << g.gap_ms;
  }
  // After a pause that was cut short nothing is carried over: the next
  // frame 16 ms later takes one step, not the pause's remainder too.
  step_clock clock;
  reset_step_clock(&clock);
  take_steps(&clock, 0);
  EXPECT_EQ(take_steps(&clock, 3600005), 4);
  EXPECT_EQ(take_steps(&clock, 3600021), 1);
}

TEST(WebPacing, AClockThatGoesBackTakesNoStepAndStartsOver) {
  step_clock clock;
  reset_step_clock(&clock);
  take_steps(&clock, 1000);
  EXPECT_EQ(take_steps(&clock, 1008), 0);  // 8 ms carried
  EXPECT_EQ(take_steps(&clock, 900), 0);   // back: the carry is dropped
  EXPECT_EQ(take_steps(&clock, 905), 0);
  EXPECT_EQ(take_steps(&clock, 912), 1);
  EXPECT_EQ(take_steps(&clock, NAN), 0);
  EXPECT_EQ(take_steps(&clock, 2000), 0);  // after a time that is not a number, from there on
  EXPECT_EQ(take_steps(&clock, 2010), 1);
}

struct parameter_case {
  const char* name;
  const char* value;
  bool applied;
  bool still;
  long frame;
  bool show_rate;
};

TEST(WebParameters, PlainNumbersInRangeAndNothingElse) {
  const parameter_case cases[] = {
      {"frame", "0", true, true, 0, false},
      {"frame", "75", true, true, 75, false},
      {"frame", "100000000", true, true, 100000000, false},
      {"frame", "007", true, true, 7, false},
      {"frame", "100000001", false, false, 0, false},
      {"frame", "999999999", false, false, 0, false},
      {"frame", "9999999999", false, false, 0, false},
      {"frame", "", false, false, 0, false},
      {"frame", "-1", false, false, 0, false},
      {"frame", "+1", false, false, 0, false},
      {"frame", " 7", false, false, 0, false},
      {"frame", "7 ", false, false, 0, false},
      {"frame", "7.0", false, false, 0, false},
      {"frame", "1e3", false, false, 0, false},
      {"frame", "0x10", false, false, 0, false},
      {"frame", "abc", false, false, 0, false},
      {"frame", "\xd9\xa3", false, false, 0, false},  // an Arabic-Indic three
      {"fps", "", true, false, 0, true},
      {"fps", "1", true, false, 0, true},
      {"fps", "0", true, false, 0, false},
      {"fps", "2", false, false, 0, false},
      {"fps", "yes", false, false, 0, false},
      {"FPS", "", false, false, 0, false},
      {"speed", "3", false, false, 0, false},
      {"", "", false, false, 0, false},
  };
  for (const parameter_case& c : cases) {
    page_settings settings;
    default_page_settings(&settings);
    char why[200] = "";
    bool applied = apply_page_parameter(&settings, c.name, c.value, why, sizeof why);
    std::string label = std::string(c.name) + "=" + c.value;
    EXPECT_EQ(applied, c.applied) << label;
    EXPECT_EQ(settings.still, c.still) << label;
    EXPECT_EQ(settings.frame, c.frame) << label;
    EXPECT_EQ(settings.show_rate, c.show_rate) << label;
    if (!applied) {
      EXPECT_NE(std::strstr(why, "ignored the parameter"), nullptr) << label;
    }
  }
}

TEST(WebParameters, LaterParametersWinAndBadOnesChangeNothing) {
  page_settings settings;
  default_page_settings(&settings);
  char why[200];
  const char* const pairs[][2] = {
      {"frame", "5"}, {"fps", ""}, {"frame", "abc"}, {"fps", "maybe"}, {"frame", "6"}};
  for (const auto& pair : pairs) apply_page_parameter(&settings, pair[0], pair[1], why, sizeof why);
  EXPECT_TRUE(settings.still);
  EXPECT_EQ(settings.frame, 6);
  EXPECT_TRUE(settings.show_rate);
  apply_page_parameter(&settings, "fps", "0", why, sizeof why);
  EXPECT_FALSE(settings.show_rate);
}

TEST(WebParameters, TheReasonIsOneShortPrintableLine) {
  std::string long_value(5000, 'x');
  const char* values[] = {"a\nb\x1b[31m", long_value.c_str(), "\xff\xfe"};
  for (const char* value : values) {
    page_settings settings;
    default_page_settings(&settings);
    char why[120];
    std::memset(why, 'z', sizeof why);
    EXPECT_FALSE(apply_page_parameter(&settings, "frame", value, why, sizeof why));
    size_t length = strnlen(why, sizeof why);
    ASSERT_LT(length, sizeof why);
    for (size_t k = 0; k < length; k++)
      EXPECT_TRUE(why[k] >= 32 && why[k] < 127) << (int)(unsigned char)why[k];
  }
  // The parameter is shown shortened: the reason itself still fits.
  char why[200];
  page_settings settings;
  default_page_settings(&settings);
  apply_page_parameter(&settings, "frame", long_value.c_str(), why, sizeof why);
  EXPECT_NE(std::strstr(why, "whole number from 0 to 100000000"), nullptr) << why;
}

}  // namespace

// The Linux program's frame-period arithmetic: the frame loop's pacing step
// (when the next frame starts and where its period begins), and the frame
// rate and load that the -fps overlay shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linux/pacing.h"

namespace {

TEST(LinuxPacing, SleepsWhatIsLeftOfThePeriod) {
  struct {
    long long start, period, now, left;
  } cases[] = {
      {1000, 10000, 8000, 3000},   // a 7 ms frame of a 10 ms period
      {1000, 10000, 1000, 10000},  // a frame that took no time
      {1000, 10000, 10999, 1},     // one microsecond left
      {1000, 10000, 11000, 0},     // exactly the period: the next at once
      {1000, 10000, 25000, 0},     // a long frame: no sleep at all
      {0, 0, 0, 0},                // -delay 0: never sleep
      {0, 0, 5, 0},                //
      {5000000, 10000000, 5000001, 9999999},
      {1000, 10000, 500, 10000},  // a clock seen going backwards: at most one period
      {9000000000000LL, 10000, 9000000007000LL, 3000},
  };
  for (auto c : cases)
    EXPECT_EQ(pace_frame(c.start, c.period, c.now).wake_us - c.now, c.left)
        << "start " << c.start << " period " << c.period << " now " << c.now;
}

// Frames of `busy` microseconds started every `period` from `t0`, for
// `count` frames; returns the time of the frame after the last.
long long run_frames(frame_meter* m, long long t0, long long period, long long busy, int count,
                     int* figures_seen) {
  long long t = t0;
  for (int k = 0; k < count; k++, t += period) {
    if (meter_frame_start(m, t)) ++*figures_seen;
    meter_frame_end(m, t, t + busy);
  }
  return t;
}

TEST(LinuxPacing, MeterShowsRateAndShareOfThePeriodSpentDrawing) {
  struct {
    long long period, busy;
    double fps, load;
  } cases[] = {
      {10000, 7000, 100.0, 0.70},                                    // 100 fps asked and reached, 7 ms frames
      {10000, 10000, 100.0, 1.0},                                    // frames that fill the period
      {20000, 1000, 50.0, 0.05},  {14000, 14000, 1e6 / 14000, 1.0},  // -delay 0 at 14 ms a frame
      {250000, 50000, 4.0, 0.2},
  };
  for (auto c : cases) {
    frame_meter m;
    meter_reset(&m);
    int figures = 0;
    long long t = run_frames(&m, 123456, c.period, c.busy, (int)(3 * 1000000 / c.period), &figures);
    meter_frame_start(&m, t);
    EXPECT_TRUE(m.has_figures);
    EXPECT_GE(figures, 2);
    EXPECT_NEAR(m.fps, c.fps, c.fps * 1e-9) << c.period << " " << c.busy;
    EXPECT_NEAR(m.load, c.load, 1e-9) << c.period << " " << c.busy;
  }
}

TEST(LinuxPacing, FiguresChangeOncePerSecondAndNotBefore) {
  frame_meter m;
  meter_reset(&m);
  EXPECT_FALSE(m.has_figures);
  int figures = 0;
  // 99 frames at 10 ms: the window has lasted 0.98 s at the 99th start.
  long long t = run_frames(&m, 0, 10000, 5000, 99, &figures);
  EXPECT_EQ(figures, 0);
  EXPECT_FALSE(m.has_figures);
  EXPECT_FALSE(meter_frame_start(&m, t - 1));  // 0.99 s minus a microsecond
  meter_frame_end(&m, t - 1, t + 4999);
  EXPECT_TRUE(meter_frame_start(&m, 1000000));  // one second after the first start
  EXPECT_NEAR(m.fps, 100.0, 1e-9);
  EXPECT_NEAR(m.load, 0.5, 1e-9);
  EXPECT_EQ(m.frames, 0);
  EXPECT_EQ(m.window_start_us, 1000000);
}

TEST(LinuxPacing, StalledFramesLowerTheRateNotTheLoad) {
  // Ten frames of 5 ms, then one frame of 500 ms, then more 5 ms frames.
  frame_meter m;
  meter_reset(&m);
  long long t = 0;
  for (int k = 0; k < 10; k++, t += 10000) {
    meter_frame_start(&m, t);
    meter_frame_end(&m, t, t + 5000);
  }
  meter_frame_start(&m, t);
  meter_frame_end(&m, t, t + 500000);
  t += 500000;
  while (!meter_frame_start(&m, t)) {
    meter_frame_end(&m, t, t + 5000);
    t += 10000;
  }
  // 10 + 1 + 40 frames in 1.0 s; busy 10 * 5 + 500 + 40 * 5 ms.
  EXPECT_NEAR(m.fps, 51.0, 1e-9);
  EXPECT_NEAR(m.load, 0.75, 1e-9);
}

TEST(LinuxPacing, LoadNeverExceedsOneAndIgnoresBackwardFrames) {
  frame_meter m;
  meter_reset(&m);
  meter_frame_start(&m, 0);
  meter_frame_end(&m, 0, 3000000);  // claims more busy time than the window
  meter_frame_end(&m, 500, 100);    // ends before it starts: no busy time
  ASSERT_TRUE(meter_frame_start(&m, 1000000));
  EXPECT_EQ(m.load, 1.0);
  EXPECT_NEAR(m.fps, 2.0, 1e-9);
}

// Drawing outside a frame (an output showing a step it missed) adds to the
// load and not to the rate; backward times add nothing.
TEST(LinuxPacing, BusyTimeOutsideFramesCountsInTheLoadOnly) {
  frame_meter m;
  meter_reset(&m);
  for (long long t = 0; t < 1000000; t += 20000) {
    meter_frame_start(&m, t);
    meter_frame_end(&m, t, t + 4000);
    meter_busy(&m, t + 10000, t + 16000);
    meter_busy(&m, t + 18000, t + 17000);
  }
  ASSERT_TRUE(meter_frame_start(&m, 1000000));
  EXPECT_NEAR(m.fps, 50.0, 1e-9);
  EXPECT_NEAR(m.load, 0.5, 1e-9);
}

TEST(LinuxPacing, OverlayLinesBeforeAndAfterTheFirstSecond) {
  frame_meter m;
  meter_reset(&m);
  char line1[32], line2[32];
  format_meter(&m, line1, sizeof line1, line2, sizeof line2);
  EXPECT_EQ(std::string(line1), "FPS: ...");
  EXPECT_EQ(std::string(line2), "Load: ...");
  m.has_figures = true;
  m.fps = 99.84;
  m.load = 0.7125;
  format_meter(&m, line1, sizeof line1, line2, sizeof line2);
  EXPECT_EQ(std::string(line1), "FPS: 99.8");
  EXPECT_EQ(std::string(line2), "Load: 71.2%");
  m.fps = 1234.56;
  m.load = 1.0;
  char tiny[6];
  format_meter(&m, tiny, sizeof tiny, line2, sizeof line2);
  EXPECT_EQ(std::string(tiny), "FPS: ");
  EXPECT_EQ(std::string(line2), "Load: 100.0%");
}

TEST(LinuxPacing, NextPeriodStartsOnePeriodOnOrAtOnceWhenLate) {
  struct {
    long long period_start, period, now, next;
  } cases[] = {
      {1000, 10000, 8000, 11000},   // a short frame: the period runs out
      {1000, 10000, 10999, 11000},  //
      {1000, 10000, 11000, 11000},  // exactly the period
      {1000, 10000, 25000, 25000},  // a long frame: the next starts now
      {0, 0, 0, 0},                 // -delay 0: always now
      {0, 0, 123, 123},             //
      {5000, 10000, 4000, 4000},    // a clock seen going backwards: now
  };
  for (auto c : cases)
    EXPECT_EQ(pace_frame(c.period_start, c.period, c.now).next_period_start_us, c.next)
        << "start " << c.period_start << " period " << c.period << " now " << c.now;
}

// The frame loop's pacing step over many frames: frames of `busy`, wake-ups
// `late` after the time asked for. Returns the mean time between frame
// starts and the shortest one. (Periods counted from each frame's actual
// start would give busy + left + late: 10.3 ms for 7 ms frames woken 0.3 ms
// late.)
void simulate(long long period, long long busy, long long late, int frames, double* mean,
              long long* shortest) {
  long long now = 0, period_start = 0, first = -1, last = 0;
  *shortest = 1LL << 60;
  for (int k = 0; k < frames; k++) {
    long long start = now;
    if (first < 0) first = start;
    if (k > 0 && start - last < *shortest) *shortest = start - last;
    last = start;
    now += busy;  // the frame
    frame_pace pace = pace_frame(period_start, period, now);
    if (pace.wake_us > now) now = pace.wake_us + late;  // select() wakes a little late
    period_start = pace.next_period_start_us;
  }
  *mean = (double)(last - first) / (frames - 1);
}

TEST(LinuxPacing, LateWakeUpsDoNotLowerTheRate) {
  struct {
    long long period, busy, late;
    double mean;
    long long shortest;
  } cases[] = {
      {10000, 7000, 0, 10000, 10000},     // exact sleeps
      {10000, 7000, 300, 10000, 10000},   // every wake-up 0.3 ms late: 10 ms apart, not 10.3
      {10000, 8900, 1000, 10000, 10000},  // late by more than a frame leaves: still 10 ms apart
      {10000, 12000, 300, 12000, 12000},  // frames longer than the period: back to back
      {0, 5000, 0, 5000, 5000},           // -delay 0
  };
  for (auto c : cases) {
    double mean;
    long long shortest;
    simulate(c.period, c.busy, c.late, 1000, &mean, &shortest);
    EXPECT_NEAR(mean, c.mean, 2.0) << c.period << " " << c.busy << " " << c.late;
    EXPECT_EQ(shortest, c.shortest) << c.period << " " << c.busy << " " << c.late;
  }
}

TEST(LinuxPacing, NoBurstAfterAStall) {
  // 7 ms frames of a 10 ms period, and one frame of 55 ms: the frames after
  // it start a full period apart again, without catching up.
  long long now = 0, period_start = 0, last_start = -1;
  std::vector<long long> gaps;
  for (int k = 0; k < 12; k++) {
    long long start = now;
    if (last_start >= 0) gaps.push_back(start - last_start);
    last_start = start;
    now += k == 5 ? 55000 : 7000;
    frame_pace pace = pace_frame(period_start, 10000, now);
    now = pace.wake_us;
    period_start = pace.next_period_start_us;
  }
  std::vector<long long> want = {10000, 10000, 10000, 10000, 10000, 55000, 10000, 10000, 10000, 10000, 10000};
  EXPECT_EQ(gaps, want);
}

}  // namespace

// The Linux edition's frame-period arithmetic: what is left to sleep after a
// frame, and the frame rate and load that the -fps overlay shows.
#include <gtest/gtest.h>

#include <string>

#include "x11/pacing.h"

namespace {

TEST(X11Pacing, SleepsWhatIsLeftOfThePeriod) {
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
    EXPECT_EQ(time_left_us(c.start, c.period, c.now), c.left)
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

TEST(X11Pacing, MeterShowsRateAndShareOfThePeriodSpentDrawing) {
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

TEST(X11Pacing, FiguresChangeOncePerSecondAndNotBefore) {
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

TEST(X11Pacing, StalledFramesLowerTheRateNotTheLoad) {
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

TEST(X11Pacing, LoadNeverExceedsOneAndIgnoresBackwardFrames) {
  frame_meter m;
  meter_reset(&m);
  meter_frame_start(&m, 0);
  meter_frame_end(&m, 0, 3000000);  // claims more busy time than the window
  meter_frame_end(&m, 500, 100);    // ends before it starts: no busy time
  ASSERT_TRUE(meter_frame_start(&m, 1000000));
  EXPECT_EQ(m.load, 1.0);
  EXPECT_NEAR(m.fps, 2.0, 1e-9);
}

TEST(X11Pacing, OverlayLinesBeforeAndAfterTheFirstSecond) {
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

}  // namespace

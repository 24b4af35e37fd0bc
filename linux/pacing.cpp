// Frame-period arithmetic: when the next frame starts, frame rate and load.
#include "linux/pacing.h"

#include <cstdio>

frame_pace pace_frame(long long period_start_us, long long period_us, long long now_us) {
  long long period_end = period_start_us + period_us;
  long long left = period_end - now_us;
  // A clock that went backwards would otherwise ask for a sleep longer than
  // the period.
  if (left > period_us) left = period_us;
  if (left < 0) left = 0;
  frame_pace pace;
  pace.wake_us = now_us + left;
  // A clock seen going backwards restarts the periods from now as well.
  pace.next_period_start_us = (now_us >= period_end || now_us < period_start_us) ? now_us : period_end;
  return pace;
}

void meter_reset(frame_meter* m) {
  m->window_start_us = -1;
  m->busy_us = 0;
  m->frames = 0;
  m->fps = 0;
  m->load = 0;
  m->has_figures = false;
}

bool meter_frame_start(frame_meter* m, long long now_us) {
  if (m->window_start_us < 0) {
    m->window_start_us = now_us;
    return false;
  }
  long long elapsed = now_us - m->window_start_us;
  if (elapsed < meter_window_us) return false;
  m->fps = m->frames * 1e6 / (double)elapsed;
  m->load = (double)m->busy_us / (double)elapsed;
  if (m->load > 1) m->load = 1;
  m->has_figures = true;
  m->window_start_us = now_us;
  m->busy_us = 0;
  m->frames = 0;
  return true;
}

void meter_frame_end(frame_meter* m, long long start_us, long long end_us) {
  m->frames++;
  meter_busy(m, start_us, end_us);
}

void meter_busy(frame_meter* m, long long start_us, long long end_us) {
  if (end_us > start_us) m->busy_us += end_us - start_us;
}

void format_meter(const frame_meter* m, char* line1, int size1, char* line2, int size2) {
  if (!m->has_figures) {
    std::snprintf(line1, (size_t)size1, "FPS: ...");
    std::snprintf(line2, (size_t)size2, "Load: ...");
    return;
  }
  std::snprintf(line1, (size_t)size1, "FPS: %.1f", m->fps);
  std::snprintf(line2, (size_t)size2, "Load: %.1f%%", m->load * 100);
}

// The views the scene is shown in: as the saver, one surface on every output
// (a layer-shell overlay, or a full-screen xdg-shell window where the
// compositor has no layer shell), or one window of its own. views.cpp alone
// writes them, from the compositor's configure, close and frame events; the
// frame loop draws into them.
#pragma once

#include <EGL/egl.h>

struct view_state {
  bool used;
  int output;         // the output it covers, -1 for the window of its own
  int width, height;  // its size in surface coordinates, as configured
  int scale;          // its buffer's scale: pixels per surface coordinate
  EGLSurface egl_surface;
  bool configured;       // configured and acknowledged, with a buffer of its size: it may draw
  bool waiting;          // its last frame has not been shown yet (no frame callback so far)
  long long shown_step;  // the animation's step it shows
};

const int max_views = 16;
// View slot `index`, 0 to max_views - 1.
const view_state& view_at(int index);
// True when the view may draw now: configured and not waiting for its last
// frame to be shown.
bool view_ready(int index);

// The saver's views: with the layer shell where the compositor has one,
// otherwise with full-screen xdg-shell windows (said once on stderr).
// Returns false after one line on stderr when it has neither.
bool open_saver_views();
// A window of its own, titled "Korvanthel", `width` x `height` until the
// compositor gives it a size. Returns false after one line on stderr when
// the compositor has no xdg-shell.
bool open_own_view(int width, int height);
// Brings the saver's views in line with the outputs: a view for each output
// newly described, none for an output that went or whose view the
// compositor closed; each view at its output's scale. Nothing for a window
// of its own but its scale.
void sync_views();
// The view is about to show a frame: asks the compositor to tell when it is
// shown (until then the view waits) and marks the step it shows.
void frame_shown(int index, long long step);
// True once the compositor asked to close a window: the window of its own
// (its close button, or the compositor's close), or a full-screen window of
// the saver where there is no layer shell. The run ends then.
bool window_closed();
// True once a view's window or EGL surface could not be made (said on
// stderr): the run ends with exit code 1.
bool view_failed();
// Destroys every view.
void close_views();

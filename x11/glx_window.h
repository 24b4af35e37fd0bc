// The X connection, the window the saver draws into and its GLX context.
// glx_window.cpp alone writes them, from the options, the X events and the
// X errors; the frame loop and the overlay read them and ask how the run on
// the window stands.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "linux/options.h"

// The X connection and the window the frames go to.
struct x_target {
  const char* display_name;  // as opened: -display, or $DISPLAY
  Display* display;          // null while closed
  Window window;             // where the frames go
  bool own_window;           // created (and mapped) by this program
  GLXContext context;
  bool double_buffered;  // swap buffers; otherwise finish and draw to the front
  int width, height;     // size of the window as last reported
};

// The one connection of the process, read-only outside glx_window.cpp.
extern const x_target& target;

// Opens the display (-display, or $DISPLAY), finds or creates the window the
// options name and makes a GLX context current on it. Returns false after
// one line on stderr, or false without a word when the window vanished
// between being found and the context being made current (target_gone()
// then says so).
bool open_target(const saver_options* options);
// Handles every event already queued, without blocking: resizes, the
// window's end, the close keys and the window manager's close.
void handle_pending_events();
// True once after an event brought the window a new size (target.width and
// target.height hold it), then false until the next.
bool take_size_change();
// True when the run on this window is over: the window is gone, its user
// asked to close the program's own window (q, Q, Escape or the window
// manager's close), or an X error arrived.
bool target_done();
// True when the window has gone under the program: the normal end of a
// preview.
bool target_gone();
// The exit code that the window's side of the run asks for: 1 after telling
// on stderr the first X error that the window's end does not explain,
// otherwise 0.
int target_exit_code();
// Releases the GL context and closes the display.
void close_target();

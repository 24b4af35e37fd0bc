// The X connection, the window the saver draws into and its GLX context.
// Process-wide state of the Linux edition's host, written here and read by
// the frame loop and the overlay.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "x11/options.h"

extern Display* display;
extern Window target_window;  // where the frames go
extern bool own_window;       // created (and mapped) by this program
extern GLXContext context;
extern bool double_buffered;  // swap buffers; otherwise finish and draw to the front
extern int window_width;      // size of target_window as last reported
extern int window_height;
extern bool size_changed;        // a ConfigureNotify brought a new size
extern bool window_gone;         // DestroyNotify, or an X error for the window
extern bool quit_requested;      // q, Q, Escape or WM_DELETE_WINDOW on its own window
extern bool unexpected_x_error;  // an X error that the window's end does not explain

// Opens the display, finds or creates the window the options name and makes
// a GLX context current on it. Returns false after one line on stderr, or
// false with window_gone set (and nothing said) when the window vanished
// between being found and the context being made current.
bool open_target(const saver_options* options);
// Handles every event already queued, without blocking: resizes, the
// window's end, the close keys and the window manager's close.
void handle_pending_events();
// Tells the first unexpected X error on stderr, if there was one.
void report_x_error();
// True when target_window still exists (a round trip to the server).
bool target_exists();
// Releases the GL context and closes the display.
void close_target();

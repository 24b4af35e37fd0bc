// The -fps overlay of the X11 host: the meter's lines painted in an X server
// font and drawn by the overlay that every native host shares
// (linux/meter_overlay.h) over the finished frame.
#pragma once

#include <X11/Xlib.h>

// Fonts tried in order for windows at least 480 pixels wide, and for smaller
// ones (the settings dialog's preview).
extern const char* const overlay_fonts[];
extern const char* const small_overlay_fonts[];

// Loads the first font of the null-terminated list `names` that the server
// has, for drawing on `display`, after closing an overlay that is still
// open. Returns false when none loads (and then none is open).
bool overlay_open(Display* display, const char* const* names);
// Draws two lines of text in the lower left corner of a width x height
// viewport, leaving every OpenGL state it touches as it found it.
void overlay_draw(int width, int height, const char* line1, const char* line2);
// Frees the font and the text's texture (on the display and in the context
// the overlay was opened with). Does nothing when none is open.
void overlay_close();

// The -fps overlay's drawing, the same on every native host: the meter's two
// lines as white text on a black box in the lower left corner. The host
// paints the lines into a picture when their text changes (about once a
// second; the X11 host in an X server font, the Wayland host in the
// program's own, meter_font.h), which becomes a texture; each frame then
// draws one textured rectangle. (A bitmap per glyph, or one bitmap for the
// whole text, costs the renderer a texture upload per frame.)
#pragma once

#include <vector>

// Two lines painted: width x height pixels, rows from the top, one byte
// each, nonzero where a glyph is.
struct text_picture {
  int width, height;
  std::vector<unsigned char> pixels;
};

// Paints two lines of printable ASCII into *picture. Sets its width and
// height, which the black box takes, even when it cannot paint; true when
// the pixels are painted.
typedef bool (*text_painter)(const char* line1, const char* line2, text_picture* picture);

// Opens the overlay in the current OpenGL context, with the lines painted
// by `paint`, after closing one that is still open.
void meter_overlay_open(text_painter paint);
// Draws the two lines in the lower left corner of a width x height
// viewport, leaving every OpenGL state it touches as it found it. Bytes
// outside printable ASCII show as '?', and at most 63 characters a line.
// Does nothing while the overlay is closed.
void meter_overlay_draw(int width, int height, const char* line1, const char* line2);
// Deletes the text's texture (in the context the overlay was opened in).
// Does nothing when none is open.
void meter_overlay_close();

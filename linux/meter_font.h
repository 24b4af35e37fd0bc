// The program's own font for the -fps meter, for hosts without a font
// server (Wayland): glyphs of 5 x 7 cells for the meter's characters
// ("FPS: 99.8", "Load: 71.2%", "FPS: ..."), every other character shown as
// '?', each cell `pixel_size` pixels square.
#pragma once

#include "linux/meter_overlay.h"

// The size of one cell, in pixels, for the next pictures (1 or more; 2 by
// default).
void set_meter_font_pixel_size(int pixel_size);
// Paints two lines as the overlay's painter does (meter_overlay.h): a glyph
// every 6 cells, the lines 10 cells apart. Always true.
bool paint_in_meter_font(const char* line1, const char* line2, text_picture* picture);

// The browser edition's address parameters, as the page passes them on
// (names and values decoded from the query string):
//   frame=N   0 to 100000000: the scene advances to frame N without drawing
//             the frames before it, draws it once alone on the page, stops
//   fps       the frame rate and load in a corner (fps=1 too; fps=0 not)
// A parameter of another name, or with a value that is not a plain number
// in its range, is ignored with a reason.
#pragma once

const long page_last_frame = 100000000;

struct page_settings {
  bool still;  // frame=N given: draw frame N alone, once
  long frame;
  bool show_rate;
};

void default_page_settings(page_settings* settings);
// Applies one parameter. False, leaving the settings as they were, when it
// is ignored; `why` then says why in one line (without a newline).
bool apply_page_parameter(page_settings* settings, const char* name, const char* value, char* why,
                          int why_size);

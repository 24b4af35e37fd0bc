// Vertices lit under the scene's lights and materials, drawn the same way
// natively (Mesa, through OSMesa) and in the browser (the subset on WebGL 2),
// so that the two can be compared pixel by pixel: each case is a small
// triangle round the centre of one pixel of a 64 x 64 view, facing towards
// the viewer or away from it, with the projection and modelview matrices
// left as the identity (eye coordinates are the view's).
#pragma once

enum { LIGHTING_VIEW = 64 };

struct lighting_case {
  const char* name;
  int x, y;  // the pixel it covers
};

// The cases, in drawing order; `count` gets their number.
const lighting_case* lighting_cases(int* count);
// Draws every case in the current context (of LIGHTING_VIEW pixels square),
// on black.
void draw_lighting_cases();

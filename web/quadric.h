// The quadric objects of the browser's OpenGL subset: their settings and the
// side of a cylinder (a cone when one radius is 0), sent as GLU sends it:
// one quad strip per stack, from z = 0 up, a normal before each pair of
// vertices, the pair's first vertex on the lower circle; slice i at the angle
// 2 pi i / slices from +y towards +x, the last slice closing the strip at
// the first one's angle with the first one's normal. Float arithmetic as GLU
// does it, so that the vertices and normals are the very floats that the
// native programs draw (and the last normal, which the scene's surface is
// lit with, is the same).
#pragma once

enum {
  QUADRIC_MAX_SLICES = 1024  // more slices are drawn as this many
};

struct subset_quadric {
  unsigned draw_style;  // GLU_FILL draws; the other styles draw nothing here
  unsigned normals;     // GLU_SMOOTH (and GLU_FLAT, sent as smooth) or GLU_NONE
};

// The cylinder's side as the subset's immediate-mode calls (quad strips).
// Nothing for fewer than 2 slices, fewer than 1 stack or a negative radius
// or height, as GLU draws nothing for them.
void send_cylinder(const subset_quadric* quadric, double base, double top, double height, int slices,
                   int stacks);

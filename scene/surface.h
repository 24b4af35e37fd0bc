// The inversion surface: circles around (1, 0) inverted in the unit circle and
// swept about the x axis, sent every frame as a 64 x 128 grid of polygons.
#pragma once

#include "toolkit/matrix.h"

enum {
  SURFACE_ROWS = 64,      // i, along u in [0, 1]
  SURFACE_COLUMNS = 128,  // j, along v in [0, 2]
};

// The surface point for u in [0, 1], v in [0, 2]. Pure: no state, no GL call.
void surface_point(double u, double v, Vec3* point);
// One GL_POLYGON of four vertices; `flag` selects the winding.
void draw_surface_cell(double u, double v, double du, double dv, int flag);
// The whole grid: 8190 polygons (the two cells at the singular corner (1, 1)
// are skipped). Needs a current context, outside any glBegin/glEnd.
void draw_surface_grid();
// The winding flag of cell (i, j): non-zero and zero alternate in 2 x 2 blocks.
int surface_cell_flag(int i, int j);
// Whether cell (i, j) is one of the two that touch the singular corner.
bool surface_cell_skipped(int i, int j);

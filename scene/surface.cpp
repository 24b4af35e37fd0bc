// The inversion surface and its immediate-mode grid. Every vertex is computed
// afresh each time a cell uses it; nothing is cached.
#include "scene/surface.h"

#include <GL/gl.h>

#include <cmath>

void surface_point(double u, double v, Vec3* point) {
  double theta = v * 6.283185307179586;
  double h = theta * 0.5;
  // (q, p) runs on the circle of radius u around (1, 0) ...
  double q = u * std::cos(h) + 1.0;
  double p = u * std::sin(h);
  // ... and (q k, p k) is that point inverted in the unit circle. The tiny
  // term keeps k finite at u = 1, h = pi where p and q both vanish.
  double k = 1.0 / (p * p + q * q + 1e-19);
  double g = q * k - 0.5;
  point->x = (p * k) * 0.75;
  point->y = (std::sin(theta) * g) * 0.75;
  point->z = (std::cos(theta) * g) * 0.75;
}

// One vertex of the grid, computed afresh.
static void send_surface_vertex(double u, double v) {
  Vec3 p;
  surface_point(u, v, &p);
  glVertex3dv(&p.x);
}

void draw_surface_cell(double u, double v, double du, double dv, int flag) {
  double u1 = u + du;
  double v1 = v + dv;
  glBegin(GL_POLYGON);
  if (flag != 0) {
    send_surface_vertex(u, v);
    send_surface_vertex(u1, v);
    send_surface_vertex(u1, v1);
    send_surface_vertex(u, v1);
  } else {
    send_surface_vertex(u, v);
    send_surface_vertex(u, v1);
    send_surface_vertex(u1, v1);
    send_surface_vertex(u1, v);
  }
  glEnd();
}

int surface_cell_flag(int i, int j) {
  return (i ^ j) & 2;
}

bool surface_cell_skipped(int i, int j) {
  return i == SURFACE_ROWS - 1 && (j == 63 || j == 64);
}

void draw_surface_grid() {
  const float step = 1.0f / 64.0f;
  for (int i = 0; i < SURFACE_ROWS; i++) {
    for (int j = 0; j < SURFACE_COLUMNS; j++) {
      if (surface_cell_skipped(i, j)) continue;
      // Exact: i and j are small, so i/64 and j/64 survive the float.
      float u = (float)i * step;
      float v = (float)j * step;
      draw_surface_cell(u, v, 1.0 / 64.0, 1.0 / 64.0, surface_cell_flag(i, j));
    }
  }
}

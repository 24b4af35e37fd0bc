// The cylinder's side of a GLU quadric, in quad strips through the subset's
// immediate mode.
#include "web/quadric.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "web/immediate.h"

void send_cylinder(const subset_quadric* quadric, double base, double top, double height, int slices,
                   int stacks) {
  if (quadric->draw_style != GLU_FILL) return;
  if (slices < 2 || stacks < 1 || base < 0.0 || top < 0.0 || height < 0.0) return;
  if (slices > QUADRIC_MAX_SLICES) slices = QUADRIC_MAX_SLICES;
  // The slices' directions: the angle worked out in double and kept as a
  // float, its sine and cosine in double; the last slice closes the strip at
  // the first one's.
  static double sines[QUADRIC_MAX_SLICES + 1], cosines[QUADRIC_MAX_SLICES + 1];
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < slices; i++) {
    float angle = (float)(2 * pi * i / slices);
    sines[i] = std::sin((double)angle);
    cosines[i] = std::cos((double)angle);
  }
  sines[slices] = sines[0];
  cosines[slices] = cosines[0];
  // The side's normal leans towards +z by the radii's slope.
  float delta_radius = (float)base - (float)top;
  float length = std::sqrt(delta_radius * delta_radius + (float)height * (float)height);
  float xy_ratio = length == 0 ? 0 : (float)height / length;
  float z_normal = length == 0 ? 0 : delta_radius / length;
  float radius_change = (float)(base - top);
  bool normals = quadric->normals != GLU_NONE;
  for (int j = 0; j < stacks; j++) {
    // Each stack's radii: the float change times the float share of the
    // height, taken from the double base radius (the top radius of a cone
    // can come out a hair below zero, as GLU's does); the heights in double.
    float radius_low = (float)(base - radius_change * ((float)j / (float)stacks));
    float radius_high = (float)(base - radius_change * ((float)(j + 1) / (float)stacks));
    float z_low = (float)(j * height / stacks);
    float z_high = (float)((j + 1) * height / stacks);
    immediate_begin(GL_QUAD_STRIP);
    for (int i = 0; i <= slices; i++) {
      // Each product in double, rounded to float as the call takes it.
      if (normals) immediate_normal((float)(xy_ratio * sines[i]), (float)(xy_ratio * cosines[i]), z_normal);
      immediate_vertex(radius_low * (float)sines[i], radius_low * (float)cosines[i], z_low);
      immediate_vertex(radius_high * (float)sines[i], radius_high * (float)cosines[i], z_high);
    }
    immediate_end();
  }
}

// Scene state, setup of a fresh OpenGL context, and one animated frame: the
// orbiting light and its marker, the red cone and the checkerboard surface.
#include "scene/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "scene/surface.h"
#include "toolkit/shapes.h"

float camera_distance;
float tilt_angle;
float spin_angle;
float light_angle;

// The orbiting light, and the materials of the red cone and of the surface's
// two sides.
static const float light0_ambient[4] = {0.7f, 0.7f, 0.7f, 1.0f};
static const float light0_diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
static const float light0_specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float light0_position[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float cone_ambient[4] = {0.3f, 0.1f, 0.1f, 1.0f};
static const float cone_diffuse[4] = {1.0f, 0.0f, 0.0f, 1.0f};
static const float cone_specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float surface_front_ambient[4] = {0.1f, 0.1f, 0.3f, 1.0f};
static const float surface_front_diffuse[4] = {0.0f, 0.0f, 1.0f, 1.0f};
static const float surface_front_specular[4] = {0.0f, 0.0f, 1.0f, 1.0f};
static const float surface_back_ambient[4] = {0.1f, 0.3f, 0.1f, 1.0f};
static const float surface_back_diffuse[4] = {0.0f, 1.0f, 0.0f, 1.0f};

// Degrees per frame of the camera's tilt and spin and of the light's orbit.
static const double tilt_step = 4.0 / 3.0;
static const double spin_step = 5.0 / 6.0;
static const double light_step = 6.0;

// Once a sum reaches this, a turn is taken off it: each angle stays below
// 720 degrees, where a float still resolves the steps finely (an angle that
// only grew would round its steps visibly after about 14 hours at 100 frames
// a second and stop moving after about 50).
static const double angle_wrap = 720.0;

// The spin's double sum of the last step, before it was rounded to float:
// the camera turns by it.
static double stepped_spin;

// Widens the stored angle to double, adds the step, takes a turn off a sum
// that reached angle_wrap and rounds the sum to float. The sum goes through
// a double in memory so that a processor with wider registers rounds it the
// same way; the double sum itself is returned. (Taking 360 off a sum below
// 1080 is exact in double.)
static double step_angle(float* angle, double step) {
  volatile double sum = (double)*angle + step;
  if (sum >= angle_wrap) sum = sum - 360.0;
  *angle = (float)sum;
  return sum;
}

void apply_scene_projection(int width, int height) {
  // A client area of no height would give a non-finite aspect ratio.
  if (height <= 0) height = 1;
  gluPerspective(45.0, (double)width / (double)height, 0.3, 17.0);
}

void init_scene(int width, int height) {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glLightfv(GL_LIGHT0, GL_AMBIENT, light0_ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, light0_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, light0_specular);
  glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
  glEnable(GL_LIGHT0);
  glMatrixMode(GL_PROJECTION);
  apply_scene_projection(width, height);
  glMatrixMode(GL_MODELVIEW);
  camera_distance = 4.5f;
  tilt_angle = 0.0f;
  spin_angle = 0.0f;
  stepped_spin = 0.0;
}

void apply_camera(double distance, double roll, double tilt, double spin) {
  glTranslated(0.0, 0.0, -distance);
  glRotated(-roll, 0.0, 0.0, 1.0);
  glRotated(-tilt, 1.0, 0.0, 0.0);
  glRotated(spin, 0.0, 0.0, 1.0);
}

void draw_light_marker() {
  glPushAttrib(GL_LIGHTING_BIT);
  glDisable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
  solid_dodecahedron(0.1);
  glPopAttrib();
}

void step_frame() {
  step_angle(&tilt_angle, tilt_step);
  stepped_spin = step_angle(&spin_angle, spin_step);
  step_angle(&light_angle, light_step);
}

void apply_stepped_camera() {
  apply_camera(camera_distance, 0.0, tilt_angle, stepped_spin);
}

void draw_light_and_marker() {
  glPushMatrix();  // the light frame
  glRotatef(light_angle, 1.0f, 0.0f, 1.0f);
  glTranslatef(0.0f, 1.5f, 0.0f);
  glLightfv(GL_LIGHT0, GL_POSITION, light0_position);
  draw_light_marker();
  glPopMatrix();
}

void draw_red_cone() {
  glPushAttrib(GL_LIGHTING_BIT);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, cone_ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, cone_diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, cone_specular);
  glMaterialf(GL_FRONT, GL_SHININESS, 100.0f);
  solid_cone(0.3, 0.6);
  glPopAttrib();
}

void draw_surface(void (*send_grid)()) {
  // The grid sends no normals: the surface is lit with the cone's last one.
  glPushAttrib(GL_LIGHTING_BIT);
  glMaterialfv(GL_BACK, GL_AMBIENT, surface_back_ambient);
  glMaterialfv(GL_BACK, GL_DIFFUSE, surface_back_diffuse);
  glMaterialfv(GL_FRONT, GL_AMBIENT, surface_front_ambient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, surface_front_diffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, surface_front_specular);
  glMaterialf(GL_FRONT, GL_SHININESS, 50.0f);
  glPushMatrix();
  glTranslatef(0.8f, -0.65f, 0.0f);
  glRotatef(30.0f, 1.0f, 0.5f, 1.0f);
  send_grid();
  glPopMatrix();
  glPopAttrib();
}

void draw_stepped_frame(void (*send_grid)()) {
  glPushMatrix();  // the camera frame
  apply_stepped_camera();
  draw_light_and_marker();
  draw_red_cone();
  draw_surface(send_grid);
  glPopMatrix();
}

void draw_frame_with(void (*send_grid)()) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  step_frame();
  draw_stepped_frame(send_grid);
}

void advance_frames(long frames) {
  // Each angle is rounded to float after every step, as a drawn frame
  // rounds it, so the steps are taken one by one.
  for (long n = 0; n < frames; n++) step_frame();
}

void draw_frame() {
  draw_frame_with(draw_surface_grid);
}

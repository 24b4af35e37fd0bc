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

// Widens the stored angle to double, adds the step and rounds the sum to
// float. The sum goes through a double in memory so that a processor with
// wider registers rounds it the same way; the double sum itself is returned.
static double step_angle(float* angle, double step) {
  volatile double sum = (double)*angle + step;
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

void step_camera() {
  step_angle(&tilt_angle, tilt_step);
  double spin = step_angle(&spin_angle, spin_step);
  apply_camera(camera_distance, 0.0, tilt_angle, spin);
}

void draw_light_and_marker() {
  glPushMatrix();  // the light frame
  step_angle(&light_angle, light_step);
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

void draw_frame_with(void (*send_grid)()) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();  // the camera frame
  step_camera();
  draw_light_and_marker();
  draw_red_cone();
  draw_surface(send_grid);
  glPopMatrix();
}

void advance_frames(long frames) {
  // Each angle is rounded to float after every step, as a drawn frame
  // rounds it, so the steps are taken one by one.
  for (long n = 0; n < frames; n++) {
    step_angle(&tilt_angle, tilt_step);
    step_angle(&spin_angle, spin_step);
    step_angle(&light_angle, light_step);
  }
}

void draw_frame() {
  draw_frame_with(draw_surface_grid);
}

// Scene setup and the animated frame: the float steps of the angles, the
// projection, the camera, where the light and its marker go, the order in
// which the frame draws, and the OpenGL state a frame leaves behind.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/scene.h"
#include "scene/surface.h"
#include "tests/native/gl_test_support.h"
#include "toolkit/shapes.h"
#include "tools/offscreen.h"

namespace {

const double pi = 3.141592653589793;

struct V3 {
  double x, y, z;
};

V3 rotate(V3 v, double degrees, V3 axis)  // Rodrigues' formula
{
  double len = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  V3 k = {axis.x / len, axis.y / len, axis.z / len};
  double c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
  double dot = k.x * v.x + k.y * v.y + k.z * v.z;
  V3 cross = {k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x};
  return {v.x * c + cross.x * s + k.x * dot * (1 - c), v.y * c + cross.y * s + k.y * dot * (1 - c),
          v.z * c + cross.z * s + k.z * dot * (1 - c)};
}

// The camera takes a point of the scene to the eye: translate by -distance
// along z, after a rotation by -tilt about x, after a rotation by spin about z.
V3 camera_to_eye(V3 p, double distance, double tilt, double spin) {
  p = rotate(p, spin, {0, 0, 1});
  p = rotate(p, -tilt, {1, 0, 0});
  return {p.x, p.y, p.z - distance};
}

V3 eye_to_camera(V3 p, double distance, double tilt, double spin) {
  p.z += distance;
  p = rotate(p, tilt, {1, 0, 0});
  return rotate(p, -spin, {0, 0, 1});
}

double dist(V3 a, V3 b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// A fresh scene as at program start: light angle 0, a fresh projection.
void start_scene(int width, int height) {
  use_context(1024, 768);
  reset_matrices();
  light_angle = 0;
  init_scene(width, height);
}

TEST(SceneAnimation, FirstFrameStepsEachAngleOnce) {
  start_scene(1024, 768);
  EXPECT_EQ(camera_distance, 4.5f);
  EXPECT_EQ(tilt_angle, 0.0f);
  EXPECT_EQ(spin_angle, 0.0f);
  draw_frame();
  EXPECT_EQ((double)tilt_angle, 1.3333333730697632);
  EXPECT_EQ((double)spin_angle, 0.8333333134651184);
  EXPECT_EQ(light_angle, 6.0f);
  EXPECT_EQ(camera_distance, 4.5f);
}

TEST(SceneAnimation, AnglesFollowTheFloatSteps) {
  start_scene(1024, 768);
  for (int k = 0; k < 3; k++) draw_frame();
  EXPECT_EQ(tilt_angle, 4.0f);
  for (int k = 3; k < 60; k++) draw_frame();
  EXPECT_EQ(light_angle, 360.0f);
  EXPECT_EQ(tilt_angle, 80.0f);
  // Rounding every sum to float makes the camera angles drift from the
  // exact multiples (200 and 125 after 150 frames); the light reached 720 at
  // frame 120 and lost a turn there (900 - 360).
  for (int k = 60; k < 150; k++) draw_frame();
  EXPECT_EQ(light_angle, 540.0f);
  EXPECT_EQ((double)tilt_angle, 199.99981689453125);
  EXPECT_EQ((double)spin_angle, 125.00014495849609);
}

// The angles stay below 720 however long the saver runs: each angle is bit
// for bit the float of an angle that only grows until its sum first reaches
// 720 (the light's at frame 120), loses a turn there, and after 10^6, 10^7
// and 10^8 frames still moves by its own step (an angle that only grew
// moves by a rounded step after about 5 million frames and not at all after
// 18 million).
TEST(SceneAnimation, AnglesStayBoundedAndKeepTheirSteps) {
  struct {
    const char* name;
    float* angle;
    double step;
    float unbounded;    // the angle as frames that never lose a turn leave it
    long turn_lost_at;  // the frame whose sum first reached 720, 0 before
  } angles[] = {
      {"tilt", &tilt_angle, 4.0 / 3.0, 0, 0},
      {"spin", &spin_angle, 5.0 / 6.0, 0, 0},
      {"light", &light_angle, 6.0, 0, 0},
  };
  start_scene(1024, 768);
  long frame = 0;
  while (frame < 2000 && !(angles[0].turn_lost_at && angles[1].turn_lost_at && angles[2].turn_lost_at)) {
    frame++;
    advance_frames(1);
    for (auto& a : angles) {
      if (a.turn_lost_at) continue;
      volatile double sum = (double)a.unbounded + a.step;
      a.unbounded = (float)sum;
      if (sum < 720) {
        ASSERT_EQ(*a.angle, a.unbounded) << a.name << " at frame " << frame;
      } else {
        a.turn_lost_at = frame;
        EXPECT_EQ(*a.angle, (float)(sum - 360)) << a.name << " at frame " << frame;
      }
    }
  }
  EXPECT_EQ(angles[2].turn_lost_at, 120);
  EXPECT_GT(angles[0].turn_lost_at, 500);
  EXPECT_GT(angles[1].turn_lost_at, 800);
  long done = frame;
  for (long frames : {1000000L, 10000000L, 100000000L}) {
    advance_frames(frames - done);
    float before[3];
    for (int a = 0; a < 3; a++) {
      before[a] = *angles[a].angle;
      EXPECT_GE(before[a], 0.0f) << angles[a].name << " after " << frames;
      EXPECT_LT(before[a], 720.0f) << angles[a].name << " after " << frames;
    }
    step_frame();
    done = frames + 1;
    for (int a = 0; a < 3; a++) {
      double moved = std::fmod((double)*angles[a].angle - before[a] + 360.0, 360.0);
      EXPECT_NEAR(moved, angles[a].step, angles[a].step * 1e-3) << angles[a].name << " after " << frames;
    }
  }
}

TEST(SceneAnimation, SecondSetupResetsTheCameraButNotTheLight) {
  start_scene(1024, 768);
  for (int k = 0; k < 5; k++) draw_frame();
  camera_distance = 9;
  reset_matrices();
  init_scene(640, 480);
  EXPECT_EQ(camera_distance, 4.5f);
  EXPECT_EQ(tilt_angle, 0.0f);
  EXPECT_EQ(spin_angle, 0.0f);
  EXPECT_EQ(light_angle, 30.0f);
}

// A stand-in for the surface that costs nothing: one triangle of no area.
// (Sending no vertex at all between the surface's materials and their
// glPopAttrib leaves Mesa's material unrestored after the frame.)
void point_surface() {
  glBegin(GL_TRIANGLES);
  for (int k = 0; k < 3; k++) glVertex3f(0, 0, 0);
  glEnd();
}

// Frames skipped with advance_frames land each angle on the very float that
// drawing them gives, from a fresh scene and from one already under way (the
// frames are drawn with a stand-in for the surface, which moves nothing).
TEST(SceneAnimation, AdvancingEqualsDrawingTheSameFrames) {
  const long counts[] = {0, 1, 2, 3, 59, 150, 511};
  for (long already : {0L, 7L}) {
    for (long frames : counts) {
      start_scene(1024, 768);
      for (long k = 0; k < already; k++) draw_frame_with(point_surface);
      for (long k = 0; k < frames; k++) draw_frame_with(point_surface);
      float drawn[3] = {tilt_angle, spin_angle, light_angle};

      start_scene(1024, 768);
      for (long k = 0; k < already; k++) draw_frame_with(point_surface);
      advance_frames(frames);
      EXPECT_EQ(tilt_angle, drawn[0]) << already << " + " << frames;
      EXPECT_EQ(spin_angle, drawn[1]) << already << " + " << frames;
      EXPECT_EQ(light_angle, drawn[2]) << already << " + " << frames;
      EXPECT_EQ(camera_distance, 4.5f);
    }
  }
  start_scene(1024, 768);
  advance_frames(-5);
  EXPECT_EQ(tilt_angle, 0.0f);
  EXPECT_EQ(spin_angle, 0.0f);
  EXPECT_EQ(light_angle, 0.0f);
}

// One step drawn twice (two monitors' views of one tick) draws the same
// picture both times and moves the animation on once, as one frame does.
TEST(SceneAnimation, OneStepDrawnTwiceIsOneFrame) {
  const size_t size = 1024 * 768 * 4;
  start_scene(1024, 768);
  for (int k = 0; k < 74; k++) draw_frame_with(point_surface);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  step_frame();
  float stepped[3] = {tilt_angle, spin_angle, light_angle};
  draw_stepped_frame(draw_surface_grid);
  glFinish();
  std::vector<unsigned char> first(offscreen_pixels(), offscreen_pixels() + size);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_stepped_frame(draw_surface_grid);
  glFinish();
  EXPECT_EQ(std::memcmp(first.data(), offscreen_pixels(), size), 0);
  EXPECT_EQ(tilt_angle, stepped[0]);
  EXPECT_EQ(spin_angle, stepped[1]);
  EXPECT_EQ(light_angle, stepped[2]);

  start_scene(1024, 768);
  for (int k = 0; k < 75; k++) draw_frame();
  glFinish();
  EXPECT_EQ(std::memcmp(first.data(), offscreen_pixels(), size), 0) << "frame 75";
}

// Frame N drawn after advancing N - 1 frames has the pixels of frame N drawn
// after all the frames before it, each time in a process's first frames: the
// shapes compiled into their lists by the first frame drawn.
TEST(SceneAnimation, AdvancedFrameHasTheDrawnFramesPixels) {
  for (long frame : {1L, 2L, 75L}) {
    const size_t size = 1024 * 768 * 4;
    start_scene(1024, 768);
    clear_shape_cache();
    for (long k = 0; k < frame; k++) draw_frame();
    glFinish();
    std::vector<unsigned char> drawn(offscreen_pixels(), offscreen_pixels() + size);

    start_scene(1024, 768);
    clear_shape_cache();
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);  // what a frame not drawn would leave
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    advance_frames(frame - 1);
    draw_frame();
    glFinish();
    EXPECT_EQ(std::memcmp(drawn.data(), offscreen_pixels(), size), 0) << "frame " << frame;
  }
}

void projection(double out[16]) {
  glGetDoublev(GL_PROJECTION_MATRIX, out);
}

TEST(SceneSetup, PerspectiveOfTheClientArea) {
  struct {
    int width, height;
    double aspect;
  } cases[] = {
      {1024, 768, 1024.0 / 768}, {152, 112, 152.0 / 112}, {1, 1, 1}, {800, 0, 800}, {0, 600, 0},
  };
  const double f = 1 / std::tan(22.5 * pi / 180);
  for (auto c : cases) {
    start_scene(c.width, c.height);
    double m[16];
    projection(m);
    for (double v : m) EXPECT_TRUE(std::isfinite(v)) << c.width << "x" << c.height;
    if (c.aspect == 0) continue;  // no visible width: nothing to check but finiteness
    // OpenGL keeps its matrices in single precision.
    EXPECT_NEAR(m[5], f, 1e-6);
    EXPECT_NEAR(m[0], f / c.aspect, 1e-6 * f / c.aspect) << c.width << "x" << c.height;
    EXPECT_NEAR(m[10], (17 + 0.3) / (0.3 - 17), 1e-6);
    EXPECT_NEAR(m[14], 2 * 17 * 0.3 / (0.3 - 17), 1e-6);
    EXPECT_EQ(m[11], -1);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
  }
}

TEST(SceneSetup, LightsTheSceneWithTwoSidedLighting) {
  start_scene(1024, 768);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
  GLfloat two_side = 0, v[4];
  glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &two_side);
  EXPECT_EQ(two_side, 1.0f);
  // A grey light of ambient 0.7 and diffuse 0.8, with a white highlight.
  struct {
    GLenum name;
    float want[4];
  } lights[] = {{GL_AMBIENT, {0.7f, 0.7f, 0.7f, 1.0f}},
                {GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
                {GL_SPECULAR, {1.0f, 1.0f, 1.0f, 1.0f}}};
  for (const auto& l : lights) {
    glGetLightfv(GL_LIGHT0, l.name, v);
    for (int c = 0; c < 4; c++) EXPECT_EQ(v[c], l.want[c]);
  }
  glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[2], 0);
  EXPECT_EQ(v[3], 1);
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, v);
  EXPECT_EQ(v[0], 1);
}

TEST(SceneCamera, TranslatesThenRollsTiltsAndSpins) {
  use_context(1024, 768);
  struct {
    double distance, roll, tilt, spin;
  } cases[] = {{4.5, 0, 30, 45}, {2, 90, 0, 0}, {0, 0, 0, 90}, {1, 10, 20, 30}, {4.5, 0, 80, 50.000001}};
  V3 points[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.3, -0.7, 1.1}};
  for (auto c : cases) {
    reset_matrices();
    apply_camera(c.distance, c.roll, c.tilt, c.spin);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    for (V3 p : points) {
      V3 want = rotate(p, c.spin, {0, 0, 1});
      want = rotate(want, -c.tilt, {1, 0, 0});
      want = rotate(want, -c.roll, {0, 0, 1});
      want.z -= c.distance;
      V3 got = {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
      EXPECT_NEAR(dist(got, want), 0, 1e-6) << c.distance << " " << c.roll << " " << c.tilt;
    }
  }
  reset_matrices();
}

// Snapshot of the state a frame must give back.
struct FrameState {
  double modelview[16], projection[16];
  GLint modelview_depth, projection_depth, attrib_depth, matrix_mode;
  GLfloat material[2][5][4];
  GLboolean lighting, depth_test;
  int m_depth;
};

FrameState frame_state() {
  FrameState s = {};
  glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, s.projection);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelview_depth);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projection_depth);
  glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attrib_depth);
  glGetIntegerv(GL_MATRIX_MODE, &s.matrix_mode);
  const GLenum faces[2] = {GL_FRONT, GL_BACK};
  const GLenum names[5] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS};
  for (int f = 0; f < 2; f++)
    for (int n = 0; n < 5; n++) glGetMaterialfv(faces[f], names[n], s.material[f][n]);
  s.lighting = glIsEnabled(GL_LIGHTING);
  s.depth_test = glIsEnabled(GL_DEPTH_TEST);
  s.m_depth = m_depth;
  return s;
}

TEST(SceneFrame, LeavesTheStateItFound) {
  start_scene(1024, 768);
  FrameState before = frame_state();
  // OpenGL's default materials: the frame sets its own inside attribute pushes.
  const GLfloat defaults[5][4] = {
      {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}};
  for (int frame = 0; frame < 3; frame++) {
    draw_frame();
    FrameState after = frame_state();
    for (int k = 0; k < 16; k++) {
      EXPECT_EQ(after.modelview[k], before.modelview[k]) << k;
      EXPECT_EQ(after.projection[k], before.projection[k]) << k;
    }
    EXPECT_EQ(after.modelview_depth, before.modelview_depth);
    EXPECT_EQ(after.projection_depth, before.projection_depth);
    EXPECT_EQ(after.attrib_depth, before.attrib_depth);
    EXPECT_EQ(after.matrix_mode, before.matrix_mode);
    EXPECT_EQ(after.lighting, GL_TRUE);
    EXPECT_EQ(after.depth_test, GL_TRUE);
    EXPECT_EQ(after.m_depth, 0);
    for (int f = 0; f < 2; f++)
      for (int n = 0; n < 5; n++)
        for (int c = 0; c < (n == 4 ? 1 : 4); c++)
          EXPECT_EQ(after.material[f][n][c], defaults[n][c]) << "face " << f << " item " << n;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  }
}

TEST(SceneFrame, LeavesTheCamerasStackLevelsBalancedUnderAnOuterPush) {
  start_scene(1024, 768);
  glPushMatrix();
  glTranslatef(1, 2, 3);
  FrameState before = frame_state();
  draw_frame();
  FrameState after = frame_state();
  EXPECT_EQ(after.modelview_depth, before.modelview_depth);
  for (int k = 0; k < 16; k++) EXPECT_EQ(after.modelview[k], before.modelview[k]);
  glPopMatrix();
}

TEST(SceneFrame, SurfaceIsLitWithTheConesLastNormal) {
  start_scene(1024, 768);
  draw_frame();  // compiles both shapes
  // What the cone leaves current, drawn on its own.
  glNormal3f(0.125f, 0.25f, 0.5f);
  solid_cone(0.3, 0.6);
  GLfloat cone[4];
  glGetFloatv(GL_CURRENT_NORMAL, cone);
  ASSERT_FALSE(cone[0] == 0.125f && cone[1] == 0.25f && cone[2] == 0.5f);
  // The surface sends no normal (a surface test checks that), so the normal
  // current after a frame is the one every surface vertex was lit with.
  glNormal3f(0.125f, 0.25f, 0.5f);
  draw_frame();
  GLfloat after[4];
  glGetFloatv(GL_CURRENT_NORMAL, after);
  for (int k = 0; k < 3; k++) EXPECT_EQ(after[k], cone[k]) << k;
}

// The frame in feedback under an orthographic view that holds the whole
// scene: the marker's triangles (unlit, white), then the cone's (red), then
// the surface's (blue and green), and nothing else.
TEST(SceneFrame, DrawsMarkerThenConeThenTheWholeSurface) {
  start_scene(1024, 768);
  draw_frame();
  // The cone alone, for its triangle count.
  reset_matrices();
  auto cone = capture_feedback(GL_3D, 100000, [] { solid_cone(0.3, 0.6); });
  int cone_triangles = (int)cone.size();
  ASSERT_GT(cone_triangles, 0);

  reset_matrices();
  glMatrixMode(GL_PROJECTION);
  glOrtho(-60, 60, -60, 60, -60, 60);
  glMatrixMode(GL_MODELVIEW);
  auto prims = capture_feedback(GL_3D_COLOR, 500000, [] { draw_frame(); });
  ASSERT_EQ((int)prims.size(), 36 + cone_triangles + 16380);
  int index = 0;
  for (const FeedbackPrimitive& p : prims) {
    ASSERT_EQ(p.token, GL_POLYGON_TOKEN);
    ASSERT_EQ(p.vertices.size(), 3u);
    for (const FeedbackVertex& v : p.vertices) {
      const double* c = v.rgba;
      if (index < 36) {
        EXPECT_EQ(c[0], 1);
        EXPECT_EQ(c[1], 1);
        EXPECT_EQ(c[2], 1);
      } else if (index < 36 + cone_triangles) {
        EXPECT_TRUE(c[0] >= c[1] && c[0] >= c[2] && c[0] > 0.2) << "cone triangle " << index;
      } else {
        // Blue front, green back: never red, and never without light.
        EXPECT_TRUE(c[0] < c[2] || c[0] < c[1]) << "surface triangle " << index;
        EXPECT_GT(c[1] + c[2], 0.2);
      }
    }
    index++;
  }
}

TEST(SceneFrame, LightCirclesTheAxisAndTheMarkerTheOrigin) {
  start_scene(1024, 768);
  for (int frame = 1; frame <= 25; frame++) {
    reset_matrices();
    glMatrixMode(GL_PROJECTION);
    glOrtho(-60, 60, -60, 60, -60, 60);
    glMatrixMode(GL_MODELVIEW);
    float spin_before = spin_angle;
    auto prims = capture_feedback(GL_3D_COLOR, 500000, [] { draw_frame(); });
    double spin = (double)spin_before + 5.0 / 6.0;
    double tilt = tilt_angle;

    // GL_POSITION reads back in eye coordinates.
    GLfloat eye[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, eye);
    EXPECT_EQ(eye[3], 1.0f);
    V3 light = eye_to_camera({eye[0], eye[1], eye[2]}, 4.5, tilt, spin);
    V3 want_light = rotate({1, 2.5, 1}, light_angle, {1, 0, 1});
    EXPECT_NEAR(dist(light, want_light), 0, 1e-4) << "frame " << frame;
    EXPECT_NEAR(dist(light, {1, 0, 1}), 2.5, 1e-4);

    // The marker: its bounding box centre in the camera frame.
    ASSERT_GE(prims.size(), 36u);
    V3 low = {1e9, 1e9, 1e9}, high = {-1e9, -1e9, -1e9};
    GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, proj[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int k = 0; k < 36; k++)
      for (const FeedbackVertex& v : prims[k].vertices) {
        V3 e;
        gluUnProject(v.x, v.y, v.z, identity, proj, viewport, &e.x, &e.y, &e.z);
        V3 p = eye_to_camera(e, 4.5, tilt, spin);
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
      }
    V3 centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    V3 want_marker = rotate({0, 1.5, 0}, light_angle, {1, 0, 1});
    EXPECT_NEAR(dist(centre, want_marker), 0, 2e-3) << "frame " << frame;
    EXPECT_NEAR(dist(centre, {0, 0, 0}), 1.5, 2e-3);
  }
  // Sanity of the helpers: the camera maps the scene's origin in front of the eye.
  V3 origin = camera_to_eye({0, 0, 0}, 4.5, 10, 20);
  EXPECT_NEAR(origin.z, -4.5, 1e-12);
}

// A window that changed size, or one view of several in one drawable: the
// viewport covers the new size (at the view's corner) and the projection is
// the one a fresh setup of that size gives, whatever projection was there
// before; the modelview matrix and the scene's state stay as they were.
TEST(SceneResize, ViewportAndFreshProjectionOfTheNewSize) {
  struct {
    int x, y, width, height;
  } cases[] = {{0, 0, 1024, 768}, {0, 0, 640, 480}, {0, 0, 152, 112},      {0, 0, 1, 1},       {0, 0, 800, 0},
               {0, 0, 0, 600},    {0, 0, 4000, 30}, {1024, 168, 800, 600}, {800, 0, 1024, 768}};
  for (auto c : cases) {
    start_scene(c.width, c.height);
    double want[16];
    projection(want);

    start_scene(1024, 768);
    for (int k = 0; k < 3; k++) draw_frame();
    float tilt = tilt_angle, spin = spin_angle, light = light_angle;
    glMatrixMode(GL_PROJECTION);
    glRotated(33, 1, 2, 3);  // a projection that must not survive
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1, 2, 3);
    double modelview_before[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_before);

    if (c.x == 0 && c.y == 0)
      resize_scene(c.width, c.height);
    else
      place_scene_view(c.x, c.y, c.width, c.height);
    double got[16], modelview_after[16];
    projection(got);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_after);
    for (int k = 0; k < 16; k++) {
      EXPECT_EQ(got[k], want[k]) << c.width << "x" << c.height << " element " << k;
      EXPECT_EQ(modelview_after[k], modelview_before[k]) << c.width << "x" << c.height;
    }
    GLint viewport[4], mode;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(viewport[0], c.x);
    EXPECT_EQ(viewport[1], c.y);
    EXPECT_EQ(viewport[2], c.width);
    EXPECT_EQ(viewport[3], c.height);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(tilt_angle, tilt);
    EXPECT_EQ(spin_angle, spin);
    EXPECT_EQ(light_angle, light);
    EXPECT_EQ(camera_distance, 4.5f);
  }
  glViewport(0, 0, 1024, 768);  // the context's own size, for the tests after
}

TEST(SceneResize, NegativeSizesGiveAnEmptyViewportNotAnError) {
  start_scene(1024, 768);
  resize_scene(-5, -7);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 0);
  EXPECT_EQ(viewport[3], 0);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  double m[16];
  projection(m);
  for (double v : m) EXPECT_TRUE(std::isfinite(v));
  glViewport(0, 0, 1024, 768);
}

}  // namespace

// The inversion surface: point values, the grid as OpenGL receives it
// (through feedback), the winding flags and the skipped cells.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "scene/surface.h"
#include "tests/native/gl_test_support.h"

namespace {

struct PointCase {
  double u, v;
  double x, y, z;
};

// Worked out by hand from the inversion (rounded to six places).
const PointCase point_cases[] = {
    {0, 0, 0, 0, 0.375},
    {0, 0.25, 0, 0.375, 0},
    {0, 0.5, 0, 0, -0.375},
    {0.5, 0, 0, 0, 0.125},
    {0.5, 0.5, 0.3, 0, -0.225},
    {0.5, 1, 0, 0, 1.125},
    {0.5, 1.5, -0.3, 0, -0.225},
    {0.25, 0.125, 0.047069, 0.163071, 0.163071},
    {0.75, 1.25, -0.792579, 0.326922, 0},
    {1, 0, 0, 0, 0},
    {1, 0.5, 0.375, 0, 0},
    {1, 1.5, -0.375, 0, 0},
    // Corners of drawn cells next to the singular corner reach far out.
    {63.0 / 64, 1, 0, 0, 47.625},
    {1, 63.0 / 64, 15.275806, 0, 0},
    {1, 65.0 / 64, -15.275806, 0, 0},
};

TEST(SurfacePoint, MatchesTheTableToSixPlaces) {
  for (const PointCase& c : point_cases) {
    Vec3 p = {99, 99, 99};
    surface_point(c.u, c.v, &p);
    EXPECT_NEAR(p.x, c.x, 5e-7) << "u=" << c.u << " v=" << c.v;
    EXPECT_NEAR(p.y, c.y, 5e-7) << "u=" << c.u << " v=" << c.v;
    EXPECT_NEAR(p.z, c.z, 5e-7) << "u=" << c.u << " v=" << c.v;
  }
}

TEST(SurfacePoint, InnerEdgeIsACircleRunThroughTwice) {
  for (int j = 0; j <= 128; j++) {
    double v = j / 64.0;
    double theta = v * 6.283185307179586;
    Vec3 p;
    surface_point(0, v, &p);
    EXPECT_EQ(p.x, 0.0);
    EXPECT_NEAR(p.y, 0.375 * std::sin(theta), 1e-12);
    EXPECT_NEAR(p.z, 0.375 * std::cos(theta), 1e-12);
  }
}

TEST(SurfacePoint, OuterEdgeLiesOnTheXAxis) {
  for (int j = 0; j <= 128; j++) {
    if (j == 64) continue;
    double h = j / 64.0 * 3.141592653589793;
    Vec3 p;
    surface_point(1, j / 64.0, &p);
    EXPECT_NEAR(p.y, 0, 1e-9) << "j=" << j;
    EXPECT_NEAR(p.z, 0, 1e-9) << "j=" << j;
    EXPECT_NEAR(p.x, 0.75 * std::sin(h) / (2 + 2 * std::cos(h)), 1e-9 * (1 + std::fabs(p.x))) << "j=" << j;
  }
}

TEST(SurfacePoint, SingularCornerStaysFinite) {
  Vec3 p;
  surface_point(1, 1, &p);
  EXPECT_TRUE(std::isfinite(p.x));
  EXPECT_NEAR(p.x, 918, 1);
  EXPECT_NEAR(p.y, 0, 1e-9);
  EXPECT_EQ(p.z, -0.375);
}

TEST(SurfacePoint, EveryGridPointIsFiniteAndBounded) {
  for (int i = 0; i <= 64; i++)
    for (int j = 0; j <= 128; j++) {
      if (i == 64 && j == 64) continue;
      Vec3 p;
      surface_point(i / 64.0, j / 64.0, &p);
      ASSERT_LT(std::fabs(p.x), 48) << i << "," << j;
      ASSERT_LT(std::fabs(p.y), 48) << i << "," << j;
      ASSERT_LT(std::fabs(p.z), 48) << i << "," << j;
    }
}

TEST(SurfaceGrid, WindingFlagAlternatesIn2x2Blocks) {
  struct {
    int i, j, flag;
  } cases[] = {
      {0, 0, 0}, {0, 2, 2}, {2, 0, 2}, {2, 2, 0}, {1, 1, 0}, {1, 2, 2}, {3, 1, 2},
      {0, 1, 0}, {1, 0, 0}, {0, 3, 2}, {3, 3, 0}, {4, 4, 0}, {4, 6, 2}, {63, 127, 0},
  };
  for (auto c : cases) EXPECT_EQ(surface_cell_flag(c.i, c.j), c.flag) << c.i << "," << c.j;
  // Neighbouring blocks always differ, diagonal blocks agree.
  for (int i = 0; i < 64; i += 2)
    for (int j = 0; j < 126; j += 2) {
      EXPECT_NE(surface_cell_flag(i, j) != 0, surface_cell_flag(i, j + 2) != 0);
      if (i < 62) {
        EXPECT_NE(surface_cell_flag(i, j) != 0, surface_cell_flag(i + 2, j) != 0);
        EXPECT_EQ(surface_cell_flag(i, j), surface_cell_flag(i + 2, j + 2));
      }
    }
}

TEST(SurfaceGrid, OnlyTheTwoCellsAtTheSingularCornerAreSkipped) {
  int skipped = 0;
  for (int i = 0; i < 64; i++)
    for (int j = 0; j < 128; j++)
      if (surface_cell_skipped(i, j)) {
        skipped++;
        EXPECT_EQ(i, 63);
        EXPECT_TRUE(j == 63 || j == 64) << j;
      }
  EXPECT_EQ(skipped, 2);
}

// A projection that holds the whole grid (its far corners reach 47.6) inside
// a 1000 x 1000 viewport, looking along -z.
const int view_size = 1000;

void use_grid_projection() {
  use_context(view_size, view_size);
  reset_matrices();
  glMatrixMode(GL_PROJECTION);
  glOrtho(-50, 50, -50, 50, -50, 50);
  glMatrixMode(GL_MODELVIEW);
}

// Where OpenGL should put a surface point in the window.
FeedbackVertex expected_window(double u, double v) {
  GLdouble model[16], proj[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  glGetIntegerv(GL_VIEWPORT, viewport);
  Vec3 p;
  surface_point(u, v, &p);
  FeedbackVertex w = {};
  gluProject(p.x, p.y, p.z, model, proj, viewport, &w.x, &w.y, &w.z);
  return w;
}

void expect_same_vertex(const FeedbackVertex& got, const FeedbackVertex& want, const char* what, int i, int j,
                        int k) {
  // Feedback coordinates are single precision: about 1e-4 pixel here.
  EXPECT_NEAR(got.x, want.x, 2e-3) << what << " cell " << i << "," << j << " vertex " << k;
  EXPECT_NEAR(got.y, want.y, 2e-3) << what << " cell " << i << "," << j << " vertex " << k;
  EXPECT_NEAR(got.z, want.z, 1e-5) << what << " cell " << i << "," << j << " vertex " << k;
}

// In polygon-outline mode OpenGL reports each polygon as its edges in order,
// the first starting a new outline: the polygon's vertices in the order sent.
std::vector<std::vector<FeedbackVertex>> outlines(const std::vector<FeedbackPrimitive>& prims) {
  std::vector<std::vector<FeedbackVertex>> polys;
  for (const FeedbackPrimitive& p : prims) {
    if (p.token == GL_LINE_RESET_TOKEN)
      polys.emplace_back();
    else if (p.token != GL_LINE_TOKEN || polys.empty()) {
      ADD_FAILURE() << "unexpected token " << p.token;
      return polys;
    }
    polys.back().push_back(p.vertices[0]);
  }
  return polys;
}

std::vector<FeedbackPrimitive> capture_outlines(int capacity, const std::function<void()>& draw) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  auto prims = capture_feedback(GL_3D, capacity, draw);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  return prims;
}

TEST(SurfaceCell, SendsItsCornersInTheOrderTheFlagSelects) {
  use_grid_projection();
  glScaled(40, 40, 40);  // a cell spans many pixels
  struct {
    double u, v, du, dv;
    int flag;
  } cases[] = {
      {0.25, 0.125, 0.125, 0.25, 2},     {0.25, 0.125, 0.125, 0.25, 0}, {0.5, 0.5, 1.0 / 64, 1.0 / 64, 1},
      {0.5, 0.5, 1.0 / 64, 1.0 / 64, 0}, {0.0, 1.75, 0.25, 0.125, -7},
  };
  for (auto c : cases) {
    auto polys = outlines(capture_outlines(100, [&] { draw_surface_cell(c.u, c.v, c.du, c.dv, c.flag); }));
    ASSERT_EQ(polys.size(), 1u);
    ASSERT_EQ(polys[0].size(), 4u);
    double u1 = c.u + c.du, v1 = c.v + c.dv;
    FeedbackVertex want[4];
    if (c.flag != 0) {
      want[0] = expected_window(c.u, c.v);
      want[1] = expected_window(u1, c.v);
      want[2] = expected_window(u1, v1);
      want[3] = expected_window(c.u, v1);
    } else {
      want[0] = expected_window(c.u, c.v);
      want[1] = expected_window(c.u, v1);
      want[2] = expected_window(u1, v1);
      want[3] = expected_window(u1, c.v);
    }
    for (int k = 0; k < 4; k++) expect_same_vertex(polys[0][k], want[k], "single", c.flag, 0, k);
  }
  reset_matrices();
}

TEST(SurfaceGrid, SendsEveryCellButTwoAsTwoTriangles) {
  use_grid_projection();
  auto prims = capture_feedback(GL_3D, 16380 * 11 + 1000, [] { draw_surface_grid(); });
  int triangles = 0;
  for (const FeedbackPrimitive& p : prims) {
    ASSERT_EQ(p.token, GL_POLYGON_TOKEN);
    ASSERT_EQ(p.vertices.size(), 3u);
    triangles++;
  }
  EXPECT_EQ(triangles, 16380);
}

TEST(SurfaceGrid, SendsTheCellsRowByRowWithTheirWinding) {
  use_grid_projection();
  auto polys = outlines(capture_outlines(8190 * 28 + 1000, [] { draw_surface_grid(); }));
  ASSERT_EQ(polys.size(), 8190u);
  size_t n = 0;
  int mismatched_cells = 0;
  for (int i = 0; i < 64; i++)
    for (int j = 0; j < 128; j++) {
      if (i == 63 && (j == 63 || j == 64)) continue;
      const auto& poly = polys[n++];
      ASSERT_EQ(poly.size(), 4u);
      double u = i / 64.0, v = j / 64.0, u1 = (i + 1) / 64.0, v1 = (j + 1) / 64.0;
      bool forward = ((i ^ j) & 2) != 0;
      FeedbackVertex want[4] = {
          expected_window(u, v),
          forward ? expected_window(u1, v) : expected_window(u, v1),
          expected_window(u1, v1),
          forward ? expected_window(u, v1) : expected_window(u1, v),
      };
      for (int k = 0; k < 4; k++) {
        // Scale the tolerance for the far corners, where float rounding grows.
        double tol = 2e-3 * (1 + std::fabs(want[k].x - 500) / 100);
        if (std::fabs(poly[k].x - want[k].x) > tol || std::fabs(poly[k].y - want[k].y) > tol) {
          mismatched_cells++;
          ADD_FAILURE() << "cell " << i << "," << j << " vertex " << k << ": got (" << poly[k].x << ","
                        << poly[k].y << ") want (" << want[k].x << "," << want[k].y << ")";
          break;
        }
      }
      if (mismatched_cells > 5) return;
    }
  EXPECT_EQ(n, polys.size());
}

TEST(SurfaceGrid, SendsNoNormalOfItsOwn) {
  use_grid_projection();
  glNormal3f(0.25f, -0.5f, 0.75f);
  capture_feedback(GL_3D, 16380 * 11 + 1000, [] { draw_surface_grid(); });
  GLfloat n[4];
  glGetFloatv(GL_CURRENT_NORMAL, n);
  EXPECT_EQ(n[0], 0.25f);
  EXPECT_EQ(n[1], -0.5f);
  EXPECT_EQ(n[2], 0.75f);
}

}  // namespace

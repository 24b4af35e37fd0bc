// The display-list cache, the solid dodecahedron's geometry and the cone,
// observed through GL feedback in a real context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "tests/native/gl_test_support.h"
#include "toolkit/shapes.h"

// The cache's slots are the ones the saver has always used: kinds 9 (cone)
// and 18 (dodecahedron) of 19.
static_assert(SHAPE_CONE == 9 && SHAPE_SOLID_DODECAHEDRON == 18 && SHAPE_KINDS == 19,
              "the shape slots are kept");

namespace {

using ::testing::ExitedWithCode;

const double nan_value = std::numeric_limits<double>::quiet_NaN();
const int view_size = 1000;

int node_count(int kind) {
  int n = 0;
  for (ListNode* node = list_heads[kind]; node; node = node->next) n++;
  return n;
}

// Each test starts with an empty cache, the modelling stack at depth 0 and an
// orthographic view of the cube [-2, 2]^3.
class Shapes : public ::testing::Test {
 protected:
  void SetUp() override {
    use_context(view_size, view_size);
    clear_shape_cache();
    m_depth = 0;
    reset_matrices();
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
  }
};

// Object coordinates of a feedback vertex under the current matrices.
Vec3 unproject(const FeedbackVertex& w) {
  GLdouble model[16], proj[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  glGetIntegerv(GL_VIEWPORT, viewport);
  Vec3 p;
  gluUnProject(w.x, w.y, w.z, model, proj, viewport, &p.x, &p.y, &p.z);
  return p;
}

double distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

double length(const Vec3& a) {
  return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

int triangle_count(const std::vector<FeedbackPrimitive>& prims) {
  int n = 0;
  for (const FeedbackPrimitive& p : prims)
    if (p.token == GL_POLYGON_TOKEN && p.vertices.size() == 3) n++;
  return n;
}

// Each polygon as the vertices of its outline, in the order they were sent.
std::vector<std::vector<FeedbackVertex>> capture_polygons(GLenum type, const std::function<void()>& draw) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  auto prims = capture_feedback(type, 100000, draw);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  std::vector<std::vector<FeedbackVertex>> polys;
  for (const FeedbackPrimitive& p : prims) {
    if (p.token == GL_LINE_RESET_TOKEN) polys.emplace_back();
    if (!polys.empty() && (p.token == GL_LINE_RESET_TOKEN || p.token == GL_LINE_TOKEN))
      polys.back().push_back(p.vertices[0]);
  }
  return polys;
}

TEST(CompareParams, EqualityAsTheCacheSeesIt) {
  const double inf = std::numeric_limits<double>::infinity();
  struct {
    const char* name;
    double a[3];
    double b[3];
    int count;
    bool same;
  } cases[] = {
      {"equal", {0.3, 0.6, 1}, {0.3, 0.6, 1}, 3, true},
      {"first differs", {0.3, 0.6, 1}, {0.31, 0.6, 1}, 3, false},
      {"last differs", {0.3, 0.6, 1}, {0.3, 0.6, 2}, 3, false},
      {"difference beyond count", {0.3, 0.6, 1}, {0.3, 0.6, 2}, 2, true},
      {"nan left", {nan_value, 0, 0}, {0.1, 0, 0}, 1, true},
      {"nan right", {0.1, 0, 0}, {nan_value, 0, 0}, 1, true},
      {"nan then difference", {nan_value, 1, 0}, {0.1, 2, 0}, 2, false},
      {"signed zeros", {0.0, 0, 0}, {-0.0, 0, 0}, 1, true},
      {"infinities", {inf, 0, 0}, {inf, 0, 0}, 1, true},
      {"opposite infinities", {inf, 0, 0}, {-inf, 0, 0}, 1, false},
      {"count zero", {1, 0, 0}, {2, 0, 0}, 0, true},
      {"negative count", {1, 0, 0}, {2, 0, 0}, -3, true},
      {"tiny difference", {0.1, 0, 0}, {0.1 + 1e-17 + 1.4e-17, 0, 0}, 1, false},
  };
  for (auto& c : cases) EXPECT_EQ(compare_params(c.a, c.b, c.count), c.same) << c.name;
}

TEST_F(Shapes, FirstDodecahedronCompilesAndDrawsThenReplays) {
  auto first = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(0.1); });
  EXPECT_EQ(triangle_count(first), 36);  // 12 pentagons, 3 triangles each
  ASSERT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 1);
  ListNode* node = list_heads[SHAPE_SOLID_DODECAHEDRON];
  EXPECT_NE(node->list, 0u);
  EXPECT_TRUE(glIsList(node->list));
  EXPECT_EQ(node->count, 1);
  EXPECT_EQ(node->params[0], 0.1);
  EXPECT_EQ(node->next, nullptr);

  auto second = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(0.1); });
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 1);
  EXPECT_EQ(list_heads[SHAPE_SOLID_DODECAHEDRON], node);
  ASSERT_EQ(second.size(), first.size());
  for (size_t k = 0; k < first.size(); k++)
    for (size_t v = 0; v < first[k].vertices.size(); v++) {
      EXPECT_EQ(second[k].vertices[v].x, first[k].vertices[v].x);
      EXPECT_EQ(second[k].vertices[v].y, first[k].vertices[v].y);
      EXPECT_EQ(second[k].vertices[v].z, first[k].vertices[v].z);
    }
  EXPECT_EQ(m_depth, 0);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Shapes, NewSizeMissesAndGoesInFront) {
  solid_dodecahedron(0.1);
  unsigned small = list_heads[SHAPE_SOLID_DODECAHEDRON]->list;
  auto big = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(0.2); });
  EXPECT_EQ(triangle_count(big), 36);
  ASSERT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 2);
  ListNode* head = list_heads[SHAPE_SOLID_DODECAHEDRON];
  EXPECT_EQ(head->params[0], 0.2);
  EXPECT_NE(head->list, small);
  EXPECT_EQ(head->next->list, small);

  double q1[1] = {0.1}, q2[1] = {0.2}, q3[1] = {0.3};
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, q1, 1), small);
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, q2, 1), head->list);
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, q3, 1), 0u);
  // The bigger one is drawn twice as large.
  auto small_again = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(0.1); });
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 2);
  double small_extent = 0, big_extent = 0;
  for (auto& p : small_again)
    for (auto& v : p.vertices) small_extent = std::fmax(small_extent, length(unproject(v)));
  for (auto& p : big)
    for (auto& v : p.vertices) big_extent = std::fmax(big_extent, length(unproject(v)));
  EXPECT_NEAR(big_extent, 2 * small_extent, 1e-5);
}

TEST_F(Shapes, ConesAreCachedPerParameterPairAndApartFromDodecahedra) {
  solid_cone(0.3, 0.6);
  solid_cone(0.3, 0.6);
  EXPECT_EQ(node_count(SHAPE_CONE), 1);
  solid_cone(0.3, 0.7);
  EXPECT_EQ(node_count(SHAPE_CONE), 2);
  EXPECT_EQ(list_heads[SHAPE_CONE]->params[1], 0.7);
  EXPECT_EQ(list_heads[SHAPE_CONE]->count, 2);
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 0);

  solid_dodecahedron(0.3);
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 1);
  EXPECT_EQ(node_count(SHAPE_CONE), 2);
  double cone_params[2] = {0.3, 0.6}, size[1] = {0.3};
  EXPECT_NE(find_list(SHAPE_CONE, cone_params, 2), find_list(SHAPE_SOLID_DODECAHEDRON, size, 1));
  EXPECT_EQ(find_list(SHAPE_CONE, size, 1), 0u);
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, cone_params, 2), 0u);
  for (int kind = 0; kind < SHAPE_KINDS; kind++) {
    if (kind != SHAPE_CONE && kind != SHAPE_SOLID_DODECAHEDRON) {
      EXPECT_EQ(list_heads[kind], nullptr) << kind;
    }
  }
}

TEST_F(Shapes, ClearingTheCacheDeletesItsListsAndStartsOver) {
  solid_dodecahedron(0.1);
  solid_dodecahedron(0.2);
  solid_cone(0.3, 0.6);
  unsigned lists[3] = {list_heads[SHAPE_SOLID_DODECAHEDRON]->list,
                       list_heads[SHAPE_SOLID_DODECAHEDRON]->next->list, list_heads[SHAPE_CONE]->list};
  clear_shape_cache();
  for (int kind = 0; kind < SHAPE_KINDS; kind++) EXPECT_EQ(list_heads[kind], nullptr) << kind;
  for (unsigned list : lists) EXPECT_FALSE(glIsList(list)) << list;
  double size[1] = {0.1};
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, size, 1), 0u);
  // The next draw compiles afresh and draws the whole shape.
  auto again = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(0.1); });
  EXPECT_EQ(triangle_count(again), 36);
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 1);
  clear_shape_cache();  // an empty cache clears too
  EXPECT_EQ(list_heads[SHAPE_SOLID_DODECAHEDRON], nullptr);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Shapes, NotANumberSizeReplaysTheCachedDodecahedron) {
  solid_dodecahedron(0.1);
  unsigned list = list_heads[SHAPE_SOLID_DODECAHEDRON]->list;
  auto replay = capture_feedback(GL_3D, 10000, [] { solid_dodecahedron(nan_value); });
  EXPECT_EQ(triangle_count(replay), 36);
  EXPECT_EQ(node_count(SHAPE_SOLID_DODECAHEDRON), 1);
  double query[1] = {nan_value};
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, query, 1), list);
}

TEST_F(Shapes, ZeroSizeEndsTheProcess) {
  EXPECT_EXIT(solid_dodecahedron(0), ExitedWithCode(1),
              ::testing::Eq(std::string("normalize: zero length vector")));
}

TEST_F(Shapes, NotANumberSizeWithNothingCachedEndsTheProcess) {
  EXPECT_EXIT(solid_dodecahedron(nan_value), ExitedWithCode(1),
              ::testing::Eq(std::string("normalize: zero length vector")));
}

TEST_F(Shapes, NoNameMeansNoNode) {
  // glGenLists hands out no name between glBegin and glEnd.
  double* params = static_cast<double*>(std::malloc(sizeof(double)));
  params[0] = 0.5;
  glBegin(GL_POINTS);
  unsigned list = add_list(SHAPE_SOLID_DODECAHEDRON, params, 1);
  glEnd();
  EXPECT_EQ(list, 0u);
  EXPECT_EQ(list_heads[SHAPE_SOLID_DODECAHEDRON], nullptr);
  EXPECT_EQ(find_list(SHAPE_SOLID_DODECAHEDRON, params, 1), 0u);
  std::free(params);
  glGetError();  // the refused glGenLists
}

TEST_F(Shapes, KindsOutsideTheTableAreRefused) {
  double params[1] = {1};
  EXPECT_EQ(add_list(-1, params, 1), 0u);
  EXPECT_EQ(add_list(SHAPE_KINDS, params, 1), 0u);
  EXPECT_EQ(find_list(-1, params, 1), 0u);
  EXPECT_EQ(find_list(SHAPE_KINDS, params, 1), 0u);
}

TEST_F(Shapes, NodesWithAnotherParameterCountNeverMatch) {
  double* one = static_cast<double*>(std::malloc(sizeof(double)));
  one[0] = 0.3;
  unsigned list = add_list(SHAPE_CONE, one, 1);
  ASSERT_NE(list, 0u);
  double two[2] = {0.3, 0.6};
  EXPECT_EQ(find_list(SHAPE_CONE, two, 2), 0u);
  EXPECT_EQ(find_list(SHAPE_CONE, one, 1), list);
}

TEST(DodecahedronVertices, AreARegularDodecahedronOfCircumradiusRootThree) {
  load_dodecahedron_vertices();
  const Vec3* v = dodecahedron_vertices;
  EXPECT_EQ(v[0].x, -0.6180339887498949);
  EXPECT_EQ(v[0].z, 1.618033988749895);
  EXPECT_EQ(v[10].x, 1.618033988749895);
  EXPECT_EQ(v[10].y, 0.6180339887498949);
  EXPECT_EQ(v[19].y, -1.618033988749895);
  const double edge = 2 / 1.618033988749895;
  for (int a = 0; a < 20; a++) {
    EXPECT_NEAR(length(v[a]), std::sqrt(3.0), 1e-15) << a;
    int neighbours = 0;
    for (int b = 0; b < 20; b++)
      if (b != a && std::fabs(distance(v[a], v[b]) - edge) < 1e-12) neighbours++;
    EXPECT_EQ(neighbours, 3) << a;
  }
}

TEST_F(Shapes, UnitDodecahedronHasTheDrawnSizeAndEdges) {
  auto faces = capture_polygons(GL_3D, [] { solid_dodecahedron(1); });
  ASSERT_EQ(faces.size(), 12u);
  const double radius = std::sqrt(3.0) / 1.73;  // 1.00119
  const double edge = 2 / 1.618033988749895 / 1.73;
  EXPECT_NEAR(radius, 1.00119, 5e-6);
  EXPECT_NEAR(edge, 0.714490, 5e-7);
  std::vector<Vec3> distinct;
  for (const auto& face : faces) {
    ASSERT_EQ(face.size(), 5u);
    Vec3 p[5];
    for (int k = 0; k < 5; k++) p[k] = unproject(face[k]);
    Vec3 centre = {0, 0, 0};
    for (int k = 0; k < 5; k++) {
      EXPECT_NEAR(length(p[k]), radius, 1e-5);
      EXPECT_NEAR(distance(p[k], p[(k + 1) % 5]), edge, 1e-5);
      centre.x += p[k].x / 5;
      centre.y += p[k].y / 5;
      centre.z += p[k].z / 5;
      bool seen = false;
      for (const Vec3& d : distinct) seen = seen || distance(d, p[k]) < 1e-4;
      if (!seen) distinct.push_back(p[k]);
    }
    // Counter-clockwise seen from outside.
    Vec3 e1 = {p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
    Vec3 e2 = {p[2].x - p[1].x, p[2].y - p[1].y, p[2].z - p[1].z};
    Vec3 n;
    crossprod(&e1, &e2, &n);
    EXPECT_GT(n.x * centre.x + n.y * centre.y + n.z * centre.z, 0);
  }
  EXPECT_EQ(distinct.size(), 20u);
}

// The lit colour of a vertex under one directional white light, diffuse only,
// is max(0, N . L); six lights along the axes give back each face's normal.
TEST_F(Shapes, DodecahedronNormalsAreUnitAndOutward) {
  solid_dodecahedron(1);  // compiled before any lighting is set up
  std::vector<std::vector<FeedbackVertex>> lit[6];
  const float axes[6][4] = {{1, 0, 0, 0},  {-1, 0, 0, 0}, {0, 1, 0, 0},
                            {0, -1, 0, 0}, {0, 0, 1, 0},  {0, 0, -1, 0}};
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
  for (int a = 0; a < 6; a++) {
    glLightfv(GL_LIGHT0, GL_POSITION, axes[a]);
    lit[a] = capture_polygons(GL_3D_COLOR, [] { solid_dodecahedron(1); });
    ASSERT_EQ(lit[a].size(), 12u);
  }
  glPopAttrib();
  for (size_t f = 0; f < 12; f++) {
    Vec3 n = {lit[0][f][0].rgba[0] - lit[1][f][0].rgba[0], lit[2][f][0].rgba[0] - lit[3][f][0].rgba[0],
              lit[4][f][0].rgba[0] - lit[5][f][0].rgba[0]};
    Vec3 centre = {0, 0, 0};
    for (const FeedbackVertex& v : lit[0][f]) {
      Vec3 p = unproject(v);
      centre.x += p.x / 5;
      centre.y += p.y / 5;
      centre.z += p.z / 5;
    }
    EXPECT_NEAR(length(n), 1, 1e-5) << "face " << f;
    double c = length(centre);
    EXPECT_NEAR(n.x, centre.x / c, 1e-5) << "face " << f;
    EXPECT_NEAR(n.y, centre.y / c, 1e-5) << "face " << f;
    EXPECT_NEAR(n.z, centre.z / c, 1e-5) << "face " << f;
  }
}

TEST_F(Shapes, BuildPlacesTheDodecahedronWithTheModellingStack) {
  m_pushmatrix();
  m_pushmatrix();
  m_pushmatrix();
  const Vec3 centre = {0.5, -0.25, 0.125};
  auto faces = capture_polygons(GL_3D, [&] { build_dodecahedron(&centre, 0.5, GL_POLYGON); });
  EXPECT_EQ(m_depth, 3);
  ASSERT_EQ(faces.size(), 12u);
  for (const auto& face : faces)
    for (const FeedbackVertex& v : face)
      EXPECT_NEAR(distance(unproject(v), centre), 0.5 * std::sqrt(3.0), 1e-5);
  m_depth = 0;
}

TEST_F(Shapes, ConeStandsOnItsBaseAlongPlusZ) {
  auto prims = capture_feedback(GL_3D, 100000, [] { solid_cone(0.3, 0.6); });
  ASSERT_GT(triangle_count(prims), 250);  // 15 slices x 10 stacks, as quads
  double top = -1, bottom = 1, widest = 0;
  for (const FeedbackPrimitive& p : prims)
    for (const FeedbackVertex& v : p.vertices) {
      Vec3 q = unproject(v);
      double r = std::sqrt(q.x * q.x + q.y * q.y);
      EXPECT_NEAR(r, 0.3 * (1 - q.z / 0.6), 1e-5);
      top = std::fmax(top, q.z);
      bottom = std::fmin(bottom, q.z);
      widest = std::fmax(widest, r);
    }
  EXPECT_NEAR(top, 0.6, 1e-5);
  EXPECT_NEAR(bottom, 0, 1e-5);
  EXPECT_NEAR(widest, 0.3, 1e-5);
  // The replay from the list draws the same.
  auto again = capture_feedback(GL_3D, 100000, [] { solid_cone(0.3, 0.6); });
  EXPECT_EQ(triangle_count(again), triangle_count(prims));
  EXPECT_EQ(node_count(SHAPE_CONE), 1);
}

TEST_F(Shapes, ConeLeavesItsLastSmoothNormalCurrent) {
  glNormal3f(0, 0, 0);
  solid_cone(0.3, 0.6);
  GLfloat compiled[4];
  glGetFloatv(GL_CURRENT_NORMAL, compiled);
  glNormal3f(0, 0, 0);
  solid_cone(0.3, 0.6);
  GLfloat replayed[4];
  glGetFloatv(GL_CURRENT_NORMAL, replayed);
  double len = std::sqrt(compiled[0] * compiled[0] + compiled[1] * compiled[1] + compiled[2] * compiled[2]);
  EXPECT_NEAR(len, 1, 1e-5);
  // A side normal of the cone leans up out of the xy plane by the slope 0.3 / 0.6.
  EXPECT_NEAR(compiled[2], 0.3 / std::sqrt(0.3 * 0.3 + 0.6 * 0.6), 1e-5);
  for (int k = 0; k < 3; k++) EXPECT_EQ(replayed[k], compiled[k]);
}

}  // namespace

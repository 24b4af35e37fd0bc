// The modelling-matrix stack and the vector helpers, including the fatal
// errors (exit code 1 and the exact message).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "toolkit/matrix.h"

namespace {

using ::testing::ExitedWithCode;

const double nan_value = std::numeric_limits<double>::quiet_NaN();

// Every test starts from the state of program start: depth 0, identity.
class MatrixStack : public ::testing::Test {
 protected:
  void SetUp() override {
    m_depth = 0;
    for (int k = 0; k < 16; k++) m_stack[0].matrix[k] = (k % 5 == 0) ? 1 : 0;
    for (int k = 0; k < 9; k++) m_stack[0].normal_matrix[k] = (k % 4 == 0) ? 1 : 0;
  }
};

void expect_vec(const Vec3& got, double x, double y, double z, double tol = 1e-12) {
  EXPECT_NEAR(got.x, x, tol);
  EXPECT_NEAR(got.y, y, tol);
  EXPECT_NEAR(got.z, z, tol);
}

TEST_F(MatrixStack, StartsAsTheIdentity) {
  Vec3 p = {1.5, -2, 3}, q;
  m_transformpoint(&p, &q);
  expect_vec(q, 1.5, -2, 3, 0);
}

TEST_F(MatrixStack, NinePushesSucceed) {
  for (int k = 1; k <= 9; k++) {
    m_pushmatrix();
    EXPECT_EQ(m_depth, k);
  }
  for (int k = 8; k >= 0; k--) {
    m_popmatrix();
    EXPECT_EQ(m_depth, k);
  }
}

TEST_F(MatrixStack, TenthPushReportsOverflow) {
  EXPECT_EXIT(
      {
        for (int k = 0; k < 10; k++) m_pushmatrix();
      },
      ExitedWithCode(1), ::testing::Eq(std::string("m_pushmatrix: stack overflow\n")));
}

TEST_F(MatrixStack, PushAtADepthBeyondTheStackReportsOverflow) {
  EXPECT_EXIT(
      {
        m_depth = 12;
        m_pushmatrix();
      },
      ExitedWithCode(1), ::testing::Eq(std::string("m_pushmatrix: stack overflow\n")));
}

TEST_F(MatrixStack, PopAtDepthZeroReportsUnderflow) {
  EXPECT_EXIT(m_popmatrix(), ExitedWithCode(1), ::testing::Eq(std::string("m_popmatrix: stack underflow\n")));
}

TEST_F(MatrixStack, PushPopAfterLeavingThePushedLevelReportsUnderflow) {
  EXPECT_EXIT(
      {
        m_pushmatrix();
        m_popmatrix();
        m_popmatrix();
      },
      ExitedWithCode(1), ::testing::Eq(std::string("m_popmatrix: stack underflow\n")));
}

TEST_F(MatrixStack, PopRestoresThePreviousLevel) {
  m_pushmatrix();
  m_translate(1, 2, 3);
  m_scale(2, 3, 4);
  m_popmatrix();
  EXPECT_EQ(m_depth, 0);
  Vec3 p = {1, 1, 1}, q, n = {0, 0, 2}, w;
  m_transformpoint(&p, &q);
  expect_vec(q, 1, 1, 1, 0);
  m_transformpointnormal(&p, &q, &n, &w);
  expect_vec(w, 0, 0, 1, 0);
}

TEST_F(MatrixStack, PushCopiesTheCurrentLevel) {
  m_translate(1, 0, 0);
  m_pushmatrix();
  Vec3 p = {0, 0, 0}, q;
  m_transformpoint(&p, &q);
  expect_vec(q, 1, 0, 0, 0);
  m_scale(2, 2, 2);
  m_popmatrix();
  m_transformpoint(&p, &q);
  expect_vec(q, 1, 0, 0, 0);
  Vec3 one = {1, 1, 1};
  m_transformpoint(&one, &q);
  expect_vec(q, 2, 1, 1, 0);
}

struct TransformCase {
  const char* name;
  double tx, ty, tz;  // translation, then
  double sx, sy, sz;  // scale
  Vec3 point, want_point;
  Vec3 normal, want_normal;
};

// Translate then scale: the scale acts in the translated frame, as OpenGL's would.
const TransformCase transform_cases[] = {
    {"identity", 0, 0, 0, 1, 1, 1, {1, 1, 1}, {1, 1, 1}, {0, 0, 2}, {0, 0, 1}},
    {"translate then uniform scale", 1, 0, 0, 2, 2, 2, {1, 1, 1}, {3, 2, 2}, {0, 0, 1}, {0, 0, 1}},
    {"translate y,z", 0, -2, 5, 1, 1, 1, {1, 2, 3}, {1, 0, 8}, {3, 0, 4}, {0.6, 0, 0.8}},
    // A non-uniform scale bends a normal the other way: the plane x + y = 0
    // becomes 2x + y = 0 under S(1, 2, 1)... its normal (1, 1, 0) becomes (2, 1, 0)/sqrt(5).
    {"non-uniform scale",
     0,
     0,
     0,
     1,
     2,
     1,
     {1, 1, 1},
     {1, 2, 1},
     {1, 1, 0},
     {2 / std::sqrt(5.0), 1 / std::sqrt(5.0), 0}},
    {"scale x", 10, 20, 30, 3, 1, 1, {1, -1, 2}, {13, 19, 32}, {1, 0, 0}, {1, 0, 0}},
    {"negative scale mirrors", 0, 0, 0, -1, 1, 1, {1, 2, 3}, {-1, 2, 3}, {1, 0, 0}, {-1, 0, 0}},
};

TEST_F(MatrixStack, TransformsPointsAndNormals) {
  for (const TransformCase& c : transform_cases) {
    SCOPED_TRACE(c.name);
    m_pushmatrix();
    m_translate(c.tx, c.ty, c.tz);
    m_scale(c.sx, c.sy, c.sz);
    Vec3 q, w, q2;
    m_transformpointnormal(&c.point, &q, &c.normal, &w);
    m_transformpoint(&c.point, &q2);
    m_popmatrix();
    expect_vec(q, c.want_point.x, c.want_point.y, c.want_point.z);
    expect_vec(q2, c.want_point.x, c.want_point.y, c.want_point.z);
    expect_vec(w, c.want_normal.x, c.want_normal.y, c.want_normal.z);
  }
  EXPECT_EQ(m_depth, 0);
}

TEST_F(MatrixStack, TranslationIsInTheScaledFrame) {
  m_scale(2, 3, 4);
  m_translate(1, 1, 1);
  Vec3 p = {0, 0, 0}, q;
  m_transformpoint(&p, &q);
  expect_vec(q, 2, 3, 4);
  EXPECT_EQ(m_stack[0].matrix[15], 1.0);
  EXPECT_EQ(m_stack[0].matrix[3], 0.0);
  EXPECT_EQ(m_stack[0].matrix[7], 0.0);
  EXPECT_EQ(m_stack[0].matrix[11], 0.0);
}

TEST_F(MatrixStack, OutputsMayAliasInputs) {
  m_translate(1, 2, 3);
  m_scale(2, 2, 2);
  Vec3 p = {1, 1, 1};
  m_transformpoint(&p, &p);
  expect_vec(p, 3, 4, 5);
  Vec3 a = {1, 1, 1}, n = {0, 3, 4};
  m_transformpointnormal(&a, &a, &n, &n);
  expect_vec(a, 3, 4, 5);
  expect_vec(n, 0, 0.6, 0.8);
}

TEST_F(MatrixStack, ZeroScaleEndsTheProcessWhenANormalIsTransformed) {
  auto transform_after_zero_scale = [] {
    m_scale(0, 0, 0);
    Vec3 p = {1, 1, 1}, q, n = {0, 0, 1}, w;
    m_transformpointnormal(&p, &q, &n, &w);
  };
  EXPECT_EXIT(transform_after_zero_scale(), ExitedWithCode(1),
              ::testing::Eq(std::string("normalize: zero length vector")));
}

// The sums are formed in the order the saver has always used; with terms that
// cancel, another order gives another result. Each case below is one where
// the usual left-to-right order would lose the small term.
TEST_F(MatrixStack, SumsKeepTheirOrder) {
  const double big = 1e16;  // big + 1 rounds back to big
  // A point: (m[i] x + m[8 + i] z) + m[4 + i] y, then the translation.
  m_stack[0].matrix[0] = big;
  m_stack[0].matrix[4] = 1;
  m_stack[0].matrix[8] = -big;
  Vec3 p = {1, 1, 1}, q;
  m_transformpoint(&p, &q);
  EXPECT_EQ(q.x, 1.0);
  ASSERT_NE((big + 1) - big, 1.0);  // the case does tell the orders apart

  // A translation: ((m[8 + n] z + m[4 + n] y) + m[n] x) + m[12 + n].
  SetUp();
  m_stack[0].matrix[0] = 1;
  m_stack[0].matrix[4] = -big;
  m_stack[0].matrix[8] = big;
  m_translate(1, 1, 1);
  EXPECT_EQ(m_stack[0].matrix[12], 1.0);

  // A normal: (n[i] x + n[6 + i] z) + n[3 + i] y, before it is normalized;
  // left to right it would be the zero vector, a fatal error.
  SetUp();
  double* nm = m_stack[0].normal_matrix;
  for (int k = 0; k < 9; k++) nm[k] = 0;
  nm[0] = big;
  nm[3] = 1;
  nm[6] = -big;
  Vec3 n = {1, 1, 1}, w;
  m_transformpointnormal(&p, &q, &n, &w);
  EXPECT_EQ(w.x, 1.0);
  EXPECT_EQ(w.y, 0.0);
  EXPECT_EQ(w.z, 0.0);
}

TEST(VectorHelpers, NormalizeSumsTheSquaresYThenZThenX) {
  // (y y + z z) + x x keeps both small squares; left to right loses them.
  Vec3 v = {1e8, 1, 1};
  normalize(&v);
  const double kept = 1.0 / std::sqrt(2.0 + 1e16);
  const double lost = 1.0 / std::sqrt((1e16 + 1.0) + 1.0);
  ASSERT_NE(kept, lost);
  EXPECT_EQ(v.x, 1e8 * kept);
  EXPECT_EQ(v.y, kept);
}

TEST(VectorHelpers, Difference) {
  Vec3 a = {5, 7, -1}, b = {1, 10, 2}, out;
  diff3(&a, &b, &out);
  expect_vec(out, 4, -3, -3, 0);
  diff3(&a, &b, &a);
  expect_vec(a, 4, -3, -3, 0);
}

TEST(VectorHelpers, CrossProduct) {
  struct {
    Vec3 a, b, want;
  } cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},   {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},   {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
      {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}}, {{2, 2, 2}, {3, 3, 3}, {0, 0, 0}},
  };
  for (auto c : cases) {
    Vec3 out;
    crossprod(&c.a, &c.b, &out);
    expect_vec(out, c.want.x, c.want.y, c.want.z, 0);
    Vec3 a = c.a, b = c.b;
    crossprod(&a, &b, &a);  // result over the first input
    expect_vec(a, c.want.x, c.want.y, c.want.z, 0);
    a = c.a;
    crossprod(&a, &b, &b);  // result over the second input
    expect_vec(b, c.want.x, c.want.y, c.want.z, 0);
  }
}

TEST(VectorHelpers, NormalizeScalesToUnitLength) {
  struct {
    Vec3 v, want;
  } cases[] = {
      {{0, 0, 2}, {0, 0, 1}},
      {{3, 4, 0}, {0.6, 0.8, 0}},
      {{-1, -1, -1}, {-1 / std::sqrt(3.0), -1 / std::sqrt(3.0), -1 / std::sqrt(3.0)}},
      {{0, 1e150, 0}, {0, 1, 0}},
  };
  for (auto c : cases) {
    Vec3 v = c.v;
    normalize(&v);
    expect_vec(v, c.want.x, c.want.y, c.want.z, 1e-15);
  }
}

struct DeathVector {
  const char* name;
  Vec3 v;
};

class NormalizeDeath : public ::testing::TestWithParam<DeathVector> {};

TEST_P(NormalizeDeath, ReportsZeroLength) {
  Vec3 v = GetParam().v;
  EXPECT_EXIT(normalize(&v), ExitedWithCode(1), ::testing::Eq(std::string("normalize: zero length vector")));
}

INSTANTIATE_TEST_SUITE_P(Vectors, NormalizeDeath,
                         ::testing::Values(DeathVector{"zero", {0, 0, 0}},
                                           DeathVector{"negative_zero", {-0.0, 0, -0.0}},
                                           DeathVector{"nan_x", {nan_value, 1, 1}},
                                           DeathVector{"nan_z", {0, 0, nan_value}},
                                           DeathVector{"length_underflows", {1e-200, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

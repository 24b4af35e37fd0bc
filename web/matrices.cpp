// The modelview and projection stacks of the browser's OpenGL subset.
#include "web/matrices.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

struct matrix_stack {
  double levels[SUBSET_MATRIX_DEPTH][16];
  int depth;  // the top is levels[depth - 1]
};

static matrix_stack modelview = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 1};
static matrix_stack projection = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 1};
static matrix_stack* current = &modelview;
static unsigned version;

static const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

static double* top() {
  return current->levels[current->depth - 1];
}

void reset_matrices() {
  std::memcpy(modelview.levels[0], identity, sizeof identity);
  std::memcpy(projection.levels[0], identity, sizeof identity);
  modelview.depth = projection.depth = 1;
  current = &modelview;
  version++;
}

bool select_matrix_stack(unsigned mode) {
  if (mode == GL_MODELVIEW)
    current = &modelview;
  else if (mode == GL_PROJECTION)
    current = &projection;
  else
    return false;
  return true;
}

void load_identity() {
  std::memcpy(top(), identity, sizeof identity);
  version++;
}

void multiply_matrix(const double m[16]) {
  double* t = top();
  double product[16];
  for (int column = 0; column < 4; column++)
    for (int row = 0; row < 4; row++) {
      double sum = 0;
      for (int k = 0; k < 4; k++) sum += t[4 * k + row] * m[4 * column + k];
      product[4 * column + row] = sum;
    }
  std::memcpy(t, product, sizeof product);
  version++;
}

void translate_matrix(double x, double y, double z) {
  const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  multiply_matrix(m);
}

void rotate_matrix(double degrees, double x, double y, double z) {
  double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0) return;
  x /= length;
  y /= length;
  z /= length;
  double radians = degrees * (3.14159265358979323846 / 180.0);
  double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
  const double m[16] = {t * x * x + c,
                        t * x * y + s * z,
                        t * x * z - s * y,
                        0,
                        t * x * y - s * z,
                        t * y * y + c,
                        t * y * z + s * x,
                        0,
                        t * x * z + s * y,
                        t * y * z - s * x,
                        t * z * z + c,
                        0,
                        0,
                        0,
                        0,
                        1};
  multiply_matrix(m);
}

void perspective_matrix(double fovy_degrees, double aspect, double near_plane, double far_plane) {
  double half = fovy_degrees * (3.14159265358979323846 / 360.0);
  double depth = far_plane - near_plane;
  double sine = std::sin(half);
  if (depth == 0 || sine == 0 || aspect == 0) return;
  double f = std::cos(half) / sine;
  const double m[16] = {f / aspect,
                        0,
                        0,
                        0,
                        0,
                        f,
                        0,
                        0,
                        0,
                        0,
                        -(far_plane + near_plane) / depth,
                        -1,
                        0,
                        0,
                        -2 * near_plane * far_plane / depth,
                        0};
  multiply_matrix(m);
}

bool push_matrix() {
  if (current->depth == SUBSET_MATRIX_DEPTH) return false;
  std::memcpy(current->levels[current->depth], top(), sizeof(double[16]));
  current->depth++;
  return true;
}

bool pop_matrix() {
  if (current->depth == 1) return false;
  current->depth--;
  version++;
  return true;
}

const double* modelview_matrix() {
  return modelview.levels[modelview.depth - 1];
}

const double* projection_matrix() {
  return projection.levels[projection.depth - 1];
}

unsigned matrices_version() {
  return version;
}

void transform_vector(const double m[16], const double v[4], double out[4]) {
  for (int row = 0; row < 4; row++)
    out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

void normal_matrix(const double m[16], double out[9]) {
  // The cofactors of the 3 x 3 block over its determinant: the inverse
  // transpose, element by element.
  double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
  double cofactor[9] = {e * i - f * h, f * g - d * i, d * h - e * g, c * h - b * i, a * i - c * g,
                        b * g - a * h, b * f - c * e, c * d - a * f, a * e - b * d};
  double determinant = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
  if (determinant == 0) {
    const double unit[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(out, unit, sizeof unit);
    return;
  }
  // cofactor[3 * r + k] belongs to row r, column k of the block; the inverse
  // transpose keeps that place: column-major index 3 * k + r.
  for (int r = 0; r < 3; r++)
    for (int k = 0; k < 3; k++) out[3 * k + r] = cofactor[3 * r + k] / determinant;
}

// Modelling-matrix stack and vector helpers. Every operation computes its
// results into temporaries before storing them, so an output may alias an input.
// The sums below are grouped as the saver has always grouped them, which
// rounds differently from left to right; kept on purpose, so that every
// matrix and normal comes out to the bit as the saver has always made them.
#include "toolkit/matrix.h"

#include <cmath>

#include "toolkit/report_error.h"

MatrixLevel m_stack[M_STACK_LEVELS] = {
    {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
};
int m_depth = 0;

void m_pushmatrix() {
  if (m_depth >= M_STACK_LEVELS - 1) report_error("m_pushmatrix: stack overflow\n");
  m_stack[m_depth + 1] = m_stack[m_depth];
  m_depth += 1;
}

void m_popmatrix() {
  if (m_depth <= 0) report_error("m_popmatrix: stack underflow\n");
  m_depth -= 1;
}

// M <- M * T(x, y, z): the translation is given in the current local frame.
void m_translate(double x, double y, double z) {
  double* m = m_stack[m_depth].matrix;
  for (int n = 0; n < 4; n++) m[12 + n] = ((m[8 + n] * z + m[4 + n] * y) + m[n] * x) + m[12 + n];
}

// M <- M * S(x, y, z) and N <- N * S(1/x, 1/y, 1/z). A zero factor puts
// infinities or not-a-numbers into N; normalize() catches that later.
void m_scale(double x, double y, double z) {
  MatrixLevel* level = &m_stack[m_depth];
  double* m = level->matrix;
  double* nm = level->normal_matrix;
  for (int n = 0; n < 3; n++) {
    m[n] *= x;
    m[4 + n] *= y;
    m[8 + n] *= z;
  }
  for (int n = 0; n < 3; n++) {
    nm[n] /= x;
    nm[3 + n] /= y;
    nm[6 + n] /= z;
  }
}

static void transform_point(const double* m, const Vec3* p, double out[3]) {
  for (int i = 0; i < 3; i++) out[i] = ((m[i] * p->x + m[8 + i] * p->z) + m[4 + i] * p->y) + m[12 + i];
}

void m_transformpoint(const Vec3* p, Vec3* q) {
  double t[3];
  transform_point(m_stack[m_depth].matrix, p, t);
  q->x = t[0];
  q->y = t[1];
  q->z = t[2];
}

void m_transformpointnormal(const Vec3* p, Vec3* q, const Vec3* n, Vec3* w) {
  const MatrixLevel* level = &m_stack[m_depth];
  const double* nm = level->normal_matrix;
  double t[3];
  double r[3];
  transform_point(level->matrix, p, t);
  for (int i = 0; i < 3; i++) r[i] = (nm[i] * n->x + nm[6 + i] * n->z) + nm[3 + i] * n->y;
  q->x = t[0];
  q->y = t[1];
  q->z = t[2];
  w->x = r[0];
  w->y = r[1];
  w->z = r[2];
  normalize(w);
}

void diff3(const Vec3* a, const Vec3* b, Vec3* out) {
  double x = a->x - b->x;
  double y = a->y - b->y;
  double z = a->z - b->z;
  out->x = x;
  out->y = y;
  out->z = z;
}

void crossprod(const Vec3* a, const Vec3* b, Vec3* out) {
  double x = a->y * b->z - b->y * a->z;
  double y = a->z * b->x - a->x * b->z;
  double z = a->x * b->y - b->x * a->y;
  out->x = x;
  out->y = y;
  out->z = z;
}

void normalize(Vec3* v) {
  double length = std::sqrt((v->y * v->y + v->z * v->z) + v->x * v->x);
  // A zero vector, or one with a not-a-number component, has no direction.
  if (length == 0.0 || std::isnan(length)) report_error("normalize: zero length vector");
  double r = 1.0 / length;
  v->x *= r;
  v->y *= r;
  v->z *= r;
}

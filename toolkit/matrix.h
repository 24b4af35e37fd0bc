// Software modelling-matrix stack in double precision, and small vector helpers.
// Shapes compiled into display lists are placed with this stack: vertices and
// face normals are transformed here, so OpenGL's own matrices are left alone.
#pragma once

// Three consecutive doubles, so that a Vec3 can go straight to glVertex3dv and
// glNormal3dv.
struct Vec3 {
  double x, y, z;
};

// One level of the stack. Both matrices are column-major: element (row i,
// column j) of `matrix` is at 4j + i, of `normal_matrix` at 3j + i.
// `normal_matrix` holds the inverse transpose of the upper-left 3 x 3 block.
struct MatrixLevel {
  double matrix[16];
  double normal_matrix[9];
};

enum { M_STACK_LEVELS = 10 };

extern MatrixLevel m_stack[M_STACK_LEVELS];  // level 0 starts as the identity
extern int m_depth;                          // current level, 0 to 9

void m_pushmatrix();
void m_popmatrix();
void m_translate(double x, double y, double z);
void m_scale(double x, double y, double z);
void m_transformpoint(const Vec3* p, Vec3* q);
void m_transformpointnormal(const Vec3* p, Vec3* q, const Vec3* n, Vec3* w);

void diff3(const Vec3* a, const Vec3* b, Vec3* out);
void crossprod(const Vec3* a, const Vec3* b, Vec3* out);
void normalize(Vec3* v);

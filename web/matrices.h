// The matrix stacks of the browser's OpenGL subset: modelview and
// projection, in double, column-major as OpenGL keeps them (element (row i,
// column j) at 4j + i). Pure arithmetic: no WebGL call.
#pragma once

enum {
  SUBSET_MATRIX_DEPTH = 32  // levels of each stack
};

// Both stacks hold one identity; the modelview stack is current.
void reset_matrices();
// Makes GL_MODELVIEW's or GL_PROJECTION's stack current; false for any other.
bool select_matrix_stack(unsigned mode);
// On the current stack's top.
void load_identity();
void multiply_matrix(const double m[16]);
void translate_matrix(double x, double y, double z);
// A rotation by `degrees` about the axis (x, y, z), counter-clockwise seen
// from the axis's tip; an axis of length 0 leaves the matrix as it is.
void rotate_matrix(double degrees, double x, double y, double z);
// gluPerspective's projection; nothing for a zero aspect, a zero depth
// range or a field of view whose half has no sine.
void perspective_matrix(double fovy_degrees, double aspect, double near_plane, double far_plane);
// False, changing nothing, when the stack is full or holds one level only.
bool push_matrix();
bool pop_matrix();

const double* modelview_matrix();
const double* projection_matrix();
// Counts every change to either stack, so that a renderer can tell whether
// its copy is current.
unsigned matrices_version();

// m times the column vector v.
void transform_vector(const double m[16], const double v[4], double out[4]);
// The inverse transpose of m's upper-left 3 x 3 block, column-major, which
// takes normals to eye coordinates; the identity when the block is singular.
void normal_matrix(const double m[16], double out[9]);

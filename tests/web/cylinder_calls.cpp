// cylinder_calls: prints, one per line, the calls that draw the side of a
// cylinder for each of a table of arguments (the scene's cone first), so
// that two builds can be compared line by line:
//   natively, with FROM_GLU defined: what Mesa's libGLU sends to OpenGL from
//     gluCylinder (this program defines the four OpenGL calls that GLU makes,
//     and the dynamic linker gives GLU those);
//   in WebAssembly, run by node: what the browser subset's send_cylinder
//     sends to its immediate mode, with the subset's own arithmetic and
//     WebAssembly's maths library.
// Floats are printed in hexadecimal: equal lines are equal bits.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#ifndef FROM_GLU
#include "web/immediate.h"
#include "web/quadric.h"
#endif

static void print_call(char kind, unsigned mode, float x, float y, float z) {
  std::printf("%c %#x %a %a %a\n", kind, mode, x, y, z);
}

#ifdef FROM_GLU
extern "C" {
void glBegin(GLenum mode) {
  print_call('b', mode, 0, 0, 0);
}
void glEnd() {
  print_call('e', 0, 0, 0, 0);
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  print_call('n', 0, x, y, z);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  print_call('v', 0, x, y, z);
}
}
#else
bool immediate_begin(unsigned mode) {
  print_call('b', mode, 0, 0, 0);
  return true;
}
bool immediate_end() {
  print_call('e', 0, 0, 0, 0);
  return true;
}
void immediate_normal(float x, float y, float z) {
  print_call('n', 0, x, y, z);
}
void immediate_vertex(float x, float y, float z) {
  print_call('v', 0, x, y, z);
}
#endif

struct cylinder_case {
  double base, top, height;
  int slices, stacks;
  GLenum normals;
};

// The scene's cone, other cones and cylinders, no normals, and arguments
// for which GLU draws nothing.
static const cylinder_case cases[] = {
    {0.3, 0.0, 0.6, 15, 10, GLU_SMOOTH}, {1.0, 0.5, 2.0, 4, 1, GLU_SMOOTH},
    {0.25, 0.75, 1.5, 7, 3, GLU_SMOOTH}, {1.0, 1.0, 1.0, 32, 5, GLU_SMOOTH},
    {0.3, 0.0, 0.6, 15, 10, GLU_NONE},   {2.0, 0.1, 0.0, 6, 2, GLU_SMOOTH},
    {0.7, 0.0, 0.9, 3, 13, GLU_SMOOTH},  {0.5, 0.2, 1.25, 100, 7, GLU_SMOOTH},
    {1, 1, 1, 1, 1, GLU_SMOOTH},         {1, 1, 1, 8, 0, GLU_SMOOTH},
    {-1, 1, 1, 8, 1, GLU_SMOOTH},        {1, -1, 1, 8, 1, GLU_SMOOTH},
    {1, 1, -1, 8, 1, GLU_SMOOTH},
};

int main() {
  for (const cylinder_case& c : cases) {
    std::printf("cylinder %g %g %g %d %d normals %#x\n", c.base, c.top, c.height, c.slices, c.stacks,
                c.normals);
#ifdef FROM_GLU
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, c.normals);
    gluCylinder(quadric, c.base, c.top, c.height, c.slices, c.stacks);
    gluDeleteQuadric(quadric);
#else
    subset_quadric quadric = {GLU_FILL, c.normals};
    send_cylinder(&quadric, c.base, c.top, c.height, c.slices, c.stacks);
#endif
  }
  return 0;
}

// The subset's cylinder against Mesa's GLU: for each set of arguments, what
// libGLU's gluCylinder sends to OpenGL (caught here: this program defines the
// four OpenGL calls that GLU makes, and the dynamic linker gives GLU those)
// and what send_cylinder sends to the subset's immediate mode must be the
// same calls with the same floats, bit for bit, the last normal included.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "web/immediate.h"
#include "web/quadric.h"

namespace {

struct call {
  char kind;  // 'b'egin, 'n'ormal, 'v'ertex, 'e'nd
  unsigned mode;
  float xyz[3];
};

std::vector<call>* recording;

void record(char kind, unsigned mode, float x, float y, float z) {
  if (recording) recording->push_back({kind, mode, {x, y, z}});
}

std::string describe(const call& c) {
  char text[120];
  std::snprintf(text, sizeof text, "%c %#x %a %a %a", c.kind, c.mode, c.xyz[0], c.xyz[1], c.xyz[2]);
  return text;
}

}  // namespace

// What libGLU calls.
extern "C" {
void glBegin(GLenum mode) {
  record('b', mode, 0, 0, 0);
}
void glEnd() {
  record('e', 0, 0, 0, 0);
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  record('n', 0, x, y, z);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  record('v', 0, x, y, z);
}
}

// What send_cylinder calls.
bool immediate_begin(unsigned mode) {
  record('b', mode, 0, 0, 0);
  return true;
}
bool immediate_end() {
  record('e', 0, 0, 0, 0);
  return true;
}
void immediate_normal(float x, float y, float z) {
  record('n', 0, x, y, z);
}
void immediate_vertex(float x, float y, float z) {
  record('v', 0, x, y, z);
}

namespace {

struct cylinder_case {
  double base, top, height;
  int slices, stacks;
  GLenum normals;
};

std::vector<call> from_glu(const cylinder_case& c) {
  std::vector<call> calls;
  recording = &calls;
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricDrawStyle(quadric, GLU_FILL);
  gluQuadricNormals(quadric, c.normals);
  gluCylinder(quadric, c.base, c.top, c.height, c.slices, c.stacks);
  gluDeleteQuadric(quadric);
  recording = nullptr;
  return calls;
}

std::vector<call> from_subset(const cylinder_case& c) {
  std::vector<call> calls;
  recording = &calls;
  subset_quadric quadric = {GLU_FILL, c.normals};
  send_cylinder(&quadric, c.base, c.top, c.height, c.slices, c.stacks);
  recording = nullptr;
  return calls;
}

TEST(SubsetCylinder, SendsWhatGluSends) {
  const cylinder_case cases[] = {
      {0.3, 0.0, 0.6, 15, 10, GLU_SMOOTH},  // the scene's cone
      {1.0, 0.5, 2.0, 4, 1, GLU_SMOOTH},   {0.25, 0.75, 1.5, 7, 3, GLU_SMOOTH},
      {1.0, 1.0, 1.0, 32, 5, GLU_SMOOTH},  {0.3, 0.0, 0.6, 15, 10, GLU_NONE},
      {2.0, 0.1, 0.0, 6, 2, GLU_SMOOTH},   {0.7, 0.0, 0.9, 3, 13, GLU_SMOOTH},
  };
  for (const cylinder_case& c : cases) {
    std::vector<call> glu = from_glu(c), subset = from_subset(c);
    SCOPED_TRACE(testing::Message() << c.base << " " << c.top << " " << c.height << " " << c.slices << " "
                                    << c.stacks << " normals " << c.normals);
    ASSERT_FALSE(glu.empty());
    ASSERT_EQ(subset.size(), glu.size());
    for (size_t k = 0; k < glu.size(); k++) ASSERT_EQ(describe(subset[k]), describe(glu[k])) << "call " << k;
  }
}

TEST(SubsetCylinder, DrawsNothingWhereGluDrawsNothing) {
  const cylinder_case cases[] = {
      {1, 1, 1, 1, 1, GLU_SMOOTH},  {1, 1, 1, 0, 1, GLU_SMOOTH},  {1, 1, 1, 8, 0, GLU_SMOOTH},
      {-1, 1, 1, 8, 1, GLU_SMOOTH}, {1, -1, 1, 8, 1, GLU_SMOOTH}, {1, 1, -1, 8, 1, GLU_SMOOTH},
  };
  for (const cylinder_case& c : cases) {
    EXPECT_TRUE(from_glu(c).empty()) << c.base << " " << c.top << " " << c.height << " " << c.slices;
    EXPECT_TRUE(from_subset(c).empty()) << c.base << " " << c.top << " " << c.height << " " << c.slices;
  }
}

}  // namespace

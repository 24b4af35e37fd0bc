// The surface mesh: the triangles OpenGL receives from it (through feedback)
// against the immediate grid's, from buffer objects and from client-side
// arrays; one mesh per context, made on first use and released with the
// context; and the state a draw leaves behind.
// The test links OSMesa, which exports the buffer functions; glIsBuffer
// checks what the mesh made and deleted.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "tests/native/gl_test_support.h"
#include "tools/offscreen.h"

namespace {

// The offscreen context's buffer functions, wrapped to count the buffer
// objects made and deleted; a name in `missing_function` is reported unknown.
PFNGLGENBUFFERSPROC real_gen_buffers;
PFNGLDELETEBUFFERSPROC real_delete_buffers;
PFNGLBUFFERDATAPROC real_buffer_data;
int buffers_made, buffers_deleted;
std::string missing_function;
bool fail_uploads;  // the upload raises an error, as a context out of memory would

void APIENTRY counting_gen_buffers(GLsizei n, GLuint* names) {
  real_gen_buffers(n, names);
  for (int k = 0; k < n; k++) buffers_made += names[k] != 0;
}

void APIENTRY counting_delete_buffers(GLsizei n, const GLuint* names) {
  for (int k = 0; k < n; k++) buffers_deleted += glIsBuffer(names[k]);
  real_delete_buffers(n, names);
}

void APIENTRY failing_buffer_data(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
  real_buffer_data(target, size, data, usage);
  if (fail_uploads) glEnable(GL_TRIANGLES);  // no capability: GL_INVALID_ENUM
}

gl_function counting_lookup(const char* name) {
  std::string wanted = name;
  if (wanted == missing_function) return nullptr;
  gl_function real = offscreen_function(name);
  if (wanted == "glGenBuffers" || wanted == "glGenBuffersARB") {
    real_gen_buffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(real);
    return reinterpret_cast<gl_function>(counting_gen_buffers);
  }
  if (wanted == "glDeleteBuffers" || wanted == "glDeleteBuffersARB") {
    real_delete_buffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(real);
    return reinterpret_cast<gl_function>(counting_delete_buffers);
  }
  if (wanted == "glBufferData" || wanted == "glBufferDataARB") {
    real_buffer_data = reinterpret_cast<PFNGLBUFFERDATAPROC>(real);
    return reinterpret_cast<gl_function>(failing_buffer_data);
  }
  return real;
}

// A fresh start: no mesh in the context, the counting lookup, nothing missing.
void start_over() {
  release_surface_mesh();
  buffers_made = buffers_deleted = 0;
  missing_function.clear();
  fail_uploads = false;
  set_gl_function_lookup(counting_lookup);
}

// A projection that holds the whole grid (its far corners reach 47.6).
void use_grid_projection() {
  use_context(1000, 1000);
  reset_matrices();
  glMatrixMode(GL_PROJECTION);
  glOrtho(-50, 50, -50, 50, -50, 50);
  glMatrixMode(GL_MODELVIEW);
}

// The triangles that OpenGL reports for `send`, in window coordinates.
std::vector<FeedbackPrimitive> triangles_of(void (*send)()) {
  return capture_feedback(GL_3D, 16384 * 11 + 1000, send);
}

// The mesh's triangles are the grid's: as many, in the same order, each with
// the same corners in the same order (so with the same winding).
void expect_the_grids_triangles(const char* road) {
  use_grid_projection();
  auto grid = triangles_of(draw_surface_grid);
  auto mesh = triangles_of(draw_surface_mesh);
  ASSERT_EQ(grid.size(), 16380u);
  ASSERT_EQ(mesh.size(), grid.size()) << road;
  int differing = 0;
  for (size_t n = 0; n < grid.size(); n++) {
    ASSERT_EQ(mesh[n].token, GL_POLYGON_TOKEN) << road;
    ASSERT_EQ(mesh[n].vertices.size(), 3u) << road;
    for (int k = 0; k < 3; k++) {
      const FeedbackVertex& a = grid[n].vertices[k];
      const FeedbackVertex& b = mesh[n].vertices[k];
      if (a.x != b.x || a.y != b.y || a.z != b.z) {
        if (differing++ < 5)
          ADD_FAILURE() << road << ": triangle " << n << " (cell " << n / 2 << ") vertex " << k << ": grid ("
                        << a.x << "," << a.y << "," << a.z << "), mesh (" << b.x << "," << b.y << "," << b.z
                        << ")";
      }
    }
  }
  EXPECT_EQ(differing, 0) << road;
}

TEST(SurfaceMesh, SendsTheGridsTrianglesFromBufferObjects) {
  start_over();
  expect_the_grids_triangles("buffer objects");
  EXPECT_TRUE(surface_mesh_in_buffers());
  EXPECT_EQ(buffers_made, 2);
}

TEST(SurfaceMesh, SendsTheGridsTrianglesFromClientArraysWithoutBufferObjects) {
  // No lookup at all; a lookup that misses one of the four functions; a
  // context that cannot hold the buffers.
  const char* roads[] = {"no lookup", "glBufferData", "glBindBuffer", "upload fails"};
  for (const char* road : roads) {
    start_over();
    if (!std::strcmp(road, "no lookup"))
      set_gl_function_lookup(nullptr);
    else if (!std::strcmp(road, "upload fails"))
      fail_uploads = true;
    else
      missing_function = road;
    expect_the_grids_triangles(road);
    EXPECT_FALSE(surface_mesh_in_buffers()) << road;
    EXPECT_EQ(buffers_made, buffers_deleted) << road;  // none kept
  }
  start_over();
}

TEST(SurfaceMesh, ErrorsOfOthersDoNotKeepItOutOfBufferObjects) {
  start_over();
  use_context(1000, 1000);
  glEnable(GL_TRIANGLES);  // an error left behind by someone else
  draw_surface_mesh();
  EXPECT_TRUE(surface_mesh_in_buffers());
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(SurfaceMesh, IsMadeOncePerContextAndReleasedWithIt) {
  start_over();
  use_context(1000, 1000);
  reset_matrices();
  init_scene(1000, 1000);
  for (int k = 0; k < 60; k++) draw_frame_with(draw_surface_mesh);
  EXPECT_EQ(buffers_made, 2);
  EXPECT_EQ(buffers_deleted, 0);
  GLint bound = -1;
  glGetIntegerv(GL_VERTEX_ARRAY_BUFFER_BINDING, &bound);  // the names the last draw used
  EXPECT_TRUE(glIsBuffer((GLuint)bound));
  release_surface_mesh();
  EXPECT_EQ(buffers_deleted, 2);
  EXPECT_FALSE(glIsBuffer((GLuint)bound));
  EXPECT_FALSE(surface_mesh_in_buffers());
  release_surface_mesh();  // nothing left to release
  EXPECT_EQ(buffers_deleted, 2);
  // The next context (here: the same one, started over) gets its own mesh.
  for (int k = 0; k < 60; k++) draw_frame_with(draw_surface_mesh);
  EXPECT_EQ(buffers_made, 4);
  release_surface_mesh();
  EXPECT_EQ(buffers_deleted, 4);
  reset_matrices();
}

TEST(SurfaceMesh, LeavesNoArrayEnabledNoBufferBoundAndTheNormalAsItWas) {
  for (bool buffers : {true, false}) {
    start_over();
    if (!buffers) set_gl_function_lookup(nullptr);
    use_context(1000, 1000);
    glNormal3f(0.25f, -0.5f, 0.75f);
    draw_surface_mesh();
    EXPECT_EQ(surface_mesh_in_buffers(), buffers);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    GLint array_buffer = -1, element_buffer = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &array_buffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &element_buffer);
    EXPECT_EQ(array_buffer, 0);
    EXPECT_EQ(element_buffer, 0);
    // The mesh sends positions only: the surface is lit with this normal.
    GLfloat normal[3];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[0], 0.25f);
    EXPECT_EQ(normal[1], -0.5f);
    EXPECT_EQ(normal[2], 0.75f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  }
  start_over();
}

}  // namespace

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
#include <vector>

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
GLuint last_made[2];  // the names of the last two buffers made
std::string missing_function;
bool fail_uploads;  // the upload raises an error, as a context out of memory would

void APIENTRY counting_gen_buffers(GLsizei n, GLuint* names) {
  real_gen_buffers(n, names);
  for (int k = 0; k < n; k++) {
    buffers_made += names[k] != 0;
    last_made[0] = last_made[1];
    last_made[1] = names[k];
  }
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
  const GLuint made[2] = {last_made[0], last_made[1]};
  EXPECT_TRUE(glIsBuffer(made[0]));
  EXPECT_TRUE(glIsBuffer(made[1]));
  release_surface_mesh();
  EXPECT_EQ(buffers_deleted, 2);
  EXPECT_FALSE(glIsBuffer(made[0]));
  EXPECT_FALSE(glIsBuffer(made[1]));
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

// The client's vertex arrays after the first draw in a context and a later
// one are as they were before them: none enabled, or the caller's own
// pointer in use; the caller's buffers still bound (none on the road without
// a lookup, which cannot unbind one), and nothing pointing into the mesh's
// buffers (which would keep them alive and name deleted buffers after
// release_surface_mesh). The caller's bound buffers do not change what the
// mesh sends. The normal is as it was.
TEST(SurfaceMesh, LeavesTheClientArraysAsTheyWereAndTheNormalAsItWas) {
  static const GLshort callers_vertices[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const struct {
    const char* name;
    bool lookup, upload_fails, in_buffers;
  } roads[] = {{"buffer objects", true, false, true},
               {"client arrays, the upload failed", true, true, false},
               {"client arrays, no lookup", false, false, false}};
  for (const auto& road : roads) {
    for (bool callers_array : {false, true}) {
      SCOPED_TRACE(std::string(road.name) +
                   (callers_array ? ", the caller's array enabled" : ", no array enabled"));
      start_over();
      if (!road.lookup) set_gl_function_lookup(nullptr);
      fail_uploads = road.upload_fails;
      use_grid_projection();
      glVertexPointer(2, GL_SHORT, 0, callers_array ? callers_vertices : nullptr);
      if (callers_array) glEnableClientState(GL_VERTEX_ARRAY);
      GLuint callers_buffers[2] = {0, 0};
      if (road.lookup) {
        glGenBuffers(2, callers_buffers);
        glBindBuffer(GL_ARRAY_BUFFER, callers_buffers[0]);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, callers_buffers[1]);
      }
      glNormal3f(0.25f, -0.5f, 0.75f);
      for (const char* draw : {"the first draw", "a later draw"})
        EXPECT_EQ(triangles_of(draw_surface_mesh).size(), 16380u)
            << draw << ": the mesh's, whatever the caller bound";
      EXPECT_EQ(surface_mesh_in_buffers(), road.in_buffers);
      EXPECT_EQ((bool)glIsEnabled(GL_VERTEX_ARRAY), callers_array);
      EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
      GLvoid* pointer = (GLvoid*)&pointer;
      GLint size = 0, type = 0, array_buffer = -1, element_buffer = -1, vertex_buffer = -1;
      glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
      glGetIntegerv(GL_VERTEX_ARRAY_SIZE, &size);
      glGetIntegerv(GL_VERTEX_ARRAY_TYPE, &type);
      EXPECT_EQ(pointer, callers_array ? (const GLvoid*)callers_vertices : nullptr);
      EXPECT_EQ(size, 2);
      EXPECT_EQ(type, GL_SHORT);
      glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &array_buffer);
      glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &element_buffer);
      glGetIntegerv(GL_VERTEX_ARRAY_BUFFER_BINDING, &vertex_buffer);
      EXPECT_EQ(array_buffer, (GLint)callers_buffers[0]);
      EXPECT_EQ(element_buffer, (GLint)callers_buffers[1]);
      EXPECT_EQ(vertex_buffer, 0);
      // The mesh sends positions only: the surface is lit with this normal.
      GLfloat normal[3];
      glGetFloatv(GL_CURRENT_NORMAL, normal);
      EXPECT_EQ(normal[0], 0.25f);
      EXPECT_EQ(normal[1], -0.5f);
      EXPECT_EQ(normal[2], 0.75f);
      EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
      glDeleteBuffers(2, callers_buffers);
      glDisableClientState(GL_VERTEX_ARRAY);
      glVertexPointer(4, GL_FLOAT, 0, nullptr);  // the context's defaults again
    }
  }
  start_over();
  reset_matrices();
}

// The cells the mesh leaves out decide how many triangles it lists, never
// the room it has: for any set of skipped cells it lists two triangles per
// cell left in, within the indices' room, and writes nothing past the room
// it is given (the guard after it keeps its pattern).
bool skips_none(int, int) {
  return false;
}
bool skips_all(int, int) {
  return true;
}
bool skips_the_first(int i, int j) {
  return i == 0 && j == 0;
}
bool skips_row_ten(int i, int) {
  return i == 10;
}
bool skips_three_at_the_corner(int i, int j) {
  return i == SURFACE_ROWS - 1 && j >= 63 && j <= 65;
}

TEST(SurfaceMesh, ListsTheTrianglesOfTheCellsLeftInWithinItsRoom) {
  const int everything = SURFACE_MESH_MAX_INDICES;
  const int surfaces_own = (SURFACE_ROWS * SURFACE_COLUMNS - 2) * 6;  // the two cells at the corner left out
  struct {
    const char* name;
    bool (*skipped)(int, int);
    int capacity;
    int listed;
  } cases[] = {
      {"the surface's cells", surface_cell_skipped, everything, surfaces_own},
      {"no cell skipped", skips_none, everything, everything},
      {"no cell skipped, room for the surface's own cells only", skips_none, surfaces_own, surfaces_own},
      {"the first cell skipped", skips_the_first, everything, everything - 6},
      {"a row skipped", skips_row_ten, everything, everything - SURFACE_COLUMNS * 6},
      {"three cells skipped", skips_three_at_the_corner, everything, everything - 18},
      {"every cell skipped", skips_all, everything, 0},
      {"room for five cells and half of another", skips_none, 33, 30},
      {"no room", skips_none, 0, 0},
  };
  const unsigned short guard = 0xbeef;
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned short> indices((size_t)c.capacity + 64, guard);
    int listed = surface_mesh_triangles(c.skipped, indices.data(), c.capacity);
    EXPECT_EQ(listed, c.listed);
    int past = 0, outside = 0;
    for (size_t k = (size_t)c.capacity; k < indices.size(); k++) past += indices[k] != guard;
    for (int k = 0; k < listed; k++) outside += indices[k] >= SURFACE_MESH_VERTICES;
    EXPECT_EQ(past, 0) << "indices written past the room given";
    EXPECT_EQ(outside, 0) << "indices that name no vertex";
  }
}

}  // namespace

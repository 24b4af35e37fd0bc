// The surface grid as a mesh computed once and kept in the context: a vertex
// buffer object and an index buffer where the context has buffer objects,
// client-side arrays where it has not.
#include "scene/surface_mesh.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstring>

static_assert(SURFACE_MESH_VERTICES <= 65536, "the indices are unsigned shorts");

// The mesh's data, computed once per process: positions as the context keeps
// them (single precision: glVertex3dv rounds each coordinate to float just
// the same), and three indices per triangle in drawing order.
static float mesh_vertices[SURFACE_MESH_VERTICES][3];
static unsigned short mesh_indices[SURFACE_MESH_MAX_INDICES];
static int mesh_index_count;  // of mesh_indices, the ones in use
static bool mesh_computed;

// The buffer-object functions of the current context, found through the
// host's lookup when the mesh is made.
struct buffer_calls {
  PFNGLGENBUFFERSPROC gen_buffers;
  PFNGLDELETEBUFFERSPROC delete_buffers;
  PFNGLBINDBUFFERPROC bind_buffer;
  PFNGLBUFFERDATAPROC buffer_data;
};

static gl_function_lookup function_lookup;
static buffer_calls calls;        // of the current context, where it has buffer objects
static bool context_buffers;      // the current context has them, and `calls` holds their functions
static bool mesh_made;            // in the current context
static unsigned mesh_buffers[2];  // vertices, indices; 0 while on client arrays

void set_gl_function_lookup(gl_function_lookup lookup) {
  function_lookup = lookup;
}

// The index of grid point (row, column) in the mesh's vertices.
static int surface_mesh_vertex(int row, int column) {
  return row * (SURFACE_COLUMNS + 1) + column;
}

void surface_cell_corners(int i, int j, int corners[4][2]) {
  // Steps in (row, column) from the cell's first corner (u, v): along u first
  // for a non-zero flag, along v first for zero (the other way round).
  static const int steps[2][4][2] = {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
  int forward = surface_cell_flag(i, j) != 0;
  for (int n = 0; n < 4; n++) {
    corners[n][0] = i + steps[forward][n][0];
    corners[n][1] = j + steps[forward][n][1];
  }
}

int surface_mesh_triangles(bool (*skipped)(int i, int j), unsigned short* indices, int capacity) {
  int k = 0;
  for (int i = 0; i < SURFACE_ROWS; i++) {
    for (int j = 0; j < SURFACE_COLUMNS; j++) {
      if (skipped(i, j)) continue;
      if (capacity - k < 6) return k;
      int corners[4][2];
      surface_cell_corners(i, j, corners);
      unsigned short v[4];
      for (int n = 0; n < 4; n++) v[n] = (unsigned short)surface_mesh_vertex(corners[n][0], corners[n][1]);
      // The cell's polygon split as OpenGL splits it: the triangles (first,
      // second, third corner) and (first, third, fourth), both with the
      // polygon's winding. Each is listed from its second corner on, as Mesa
      // lists the triangles of a polygon (first corner last): the same
      // triangles drawn in the same vertex order give the same pixels to the
      // bit, where another starting corner changes a few pixels per frame.
      const unsigned short triangles[6] = {v[1], v[2], v[0], v[2], v[3], v[0]};
      std::memcpy(&indices[k], triangles, sizeof triangles);
      k += 6;
    }
  }
  return k;
}

static void compute_mesh() {
  for (int row = 0; row <= SURFACE_ROWS; row++) {
    for (int column = 0; column <= SURFACE_COLUMNS; column++) {
      // The same exact multiples of 1/64 as the grid's u, v, u + du and v + dv.
      Vec3 p;
      surface_point(row / 64.0, column / 64.0, &p);
      float* vertex = mesh_vertices[surface_mesh_vertex(row, column)];
      vertex[0] = (float)p.x;
      vertex[1] = (float)p.y;
      vertex[2] = (float)p.z;
    }
  }
  mesh_index_count = surface_mesh_triangles(surface_cell_skipped, mesh_indices, SURFACE_MESH_MAX_INDICES);
  mesh_computed = true;
}

// OpenGL 1.5 or later, from the version string ("major.minor ...").
static bool context_has_core_buffers() {
  const char* version = (const char*)glGetString(GL_VERSION);
  int major = 0, minor = 0;
  if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
  return major > 1 || (major == 1 && minor >= 5);
}

// `name` as a whole word of the extension string.
static bool context_has_extension(const char* name) {
  const char* list = (const char*)glGetString(GL_EXTENSIONS);
  size_t length = std::strlen(name);
  for (const char* p = list; p && (p = std::strstr(p, name)) != nullptr; p += length)
    if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
  return false;
}

static gl_function look_up(const char* name, const char* suffix) {
  char full_name[64];
  std::snprintf(full_name, sizeof full_name, "%s%s", name, suffix);
  return function_lookup(full_name);
}

// Fills `calls` for the current context: the core functions of OpenGL 1.5,
// or the extension's (same signatures, names ending in ARB). False when the
// context has neither or the lookup misses one.
static bool find_buffer_calls() {
  calls = buffer_calls();
  if (!function_lookup) return false;
  const char* suffix;
  if (context_has_core_buffers())
    suffix = "";
  else if (context_has_extension("GL_ARB_vertex_buffer_object"))
    suffix = "ARB";
  else
    return false;
  calls.gen_buffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(look_up("glGenBuffers", suffix));
  calls.delete_buffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(look_up("glDeleteBuffers", suffix));
  calls.bind_buffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(look_up("glBindBuffer", suffix));
  calls.buffer_data = reinterpret_cast<PFNGLBUFFERDATAPROC>(look_up("glBufferData", suffix));
  return calls.gen_buffers && calls.delete_buffers && calls.bind_buffer && calls.buffer_data;
}

// Uploads the mesh into two new buffer objects, binding them (the caller's
// bindings are saved around it, in draw_surface_mesh). Where the context
// cannot hold them (an error, such as running out of memory), it deletes
// them again and the mesh stays on client-side arrays.
static void make_mesh_buffers() {
  // Errors raised before belong to others; they are taken off (and so lost
  // to whoever raised them) so that only the upload's own are seen below.
  for (int n = 0; n < 16 && glGetError() != GL_NO_ERROR; n++) {
  }
  calls.gen_buffers(2, mesh_buffers);
  calls.bind_buffer(GL_ARRAY_BUFFER, mesh_buffers[0]);
  calls.buffer_data(GL_ARRAY_BUFFER, sizeof mesh_vertices, mesh_vertices, GL_STATIC_DRAW);
  calls.bind_buffer(GL_ELEMENT_ARRAY_BUFFER, mesh_buffers[1]);
  calls.buffer_data(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(mesh_index_count * sizeof mesh_indices[0]),
                    mesh_indices, GL_STATIC_DRAW);
  if (glGetError() != GL_NO_ERROR || !mesh_buffers[0] || !mesh_buffers[1]) {
    calls.delete_buffers(2, mesh_buffers);
    mesh_buffers[0] = mesh_buffers[1] = 0;
  }
}

static void make_mesh() {
  if (!mesh_computed) compute_mesh();
  mesh_buffers[0] = mesh_buffers[1] = 0;
  context_buffers = find_buffer_calls();
  if (context_buffers) make_mesh_buffers();
  mesh_made = true;
}

void draw_surface_mesh() {
  // The pointer, the array's switch and the buffer bindings are the
  // caller's again afterwards, the first draw's upload included: a pointer
  // left on the mesh's buffer would keep it referenced, and name a deleted
  // buffer after release.
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  if (!mesh_made) make_mesh();
  const void* indices = mesh_indices;
  if (mesh_buffers[0]) {
    // With a buffer bound, the pointers are offsets into it.
    calls.bind_buffer(GL_ARRAY_BUFFER, mesh_buffers[0]);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    calls.bind_buffer(GL_ELEMENT_ARRAY_BUFFER, mesh_buffers[1]);
    indices = nullptr;
  } else {
    // Client memory: no buffer of the caller's may be bound, or the
    // pointers would be read as offsets into it.
    if (context_buffers) {
      calls.bind_buffer(GL_ARRAY_BUFFER, 0);
      calls.bind_buffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glVertexPointer(3, GL_FLOAT, 0, mesh_vertices);
  }
  // Positions only, as the grid sends them: the current normal lights them.
  glEnableClientState(GL_VERTEX_ARRAY);
  glDrawElements(GL_TRIANGLES, mesh_index_count, GL_UNSIGNED_SHORT, indices);
  glPopClientAttrib();
}

void release_surface_mesh() {
  if (mesh_buffers[0]) calls.delete_buffers(2, mesh_buffers);
  mesh_buffers[0] = mesh_buffers[1] = 0;
  mesh_made = false;
}

bool surface_mesh_in_buffers() {
  return mesh_buffers[0] != 0;
}

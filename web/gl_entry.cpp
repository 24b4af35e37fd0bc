// The OpenGL and GLU entry points of the browser's subset: each draws the
// waiting immediate-mode triangles before the state they were sent under
// changes, and hands over to the matrices, the lighting state, immediate
// mode and display lists, or the WebGL renderer. The first error is kept, as
// OpenGL keeps it, until glGetError (then WebGL's own). What they check, each
// refused call changing nothing:
//   - between glBegin and glEnd only glVertex3dv, glNormal3dv, glColor3f,
//     glEnd, glGetError, the client-side calls (vertex array, buffer objects,
//     the client attribute stack) and GLU's quadric settings are taken; any
//     other call here is GL_INVALID_OPERATION (glMaterial too, which OpenGL
//     would take);
//   - GL_INVALID_VALUE: a negative count, range or size (glGenLists,
//     glDeleteLists, glGenBuffers, glDeleteBuffers, glBufferData,
//     glViewport, glDrawElements), glVertexPointer's size outside 2 to 4 or a
//     negative stride, list name 0, a shininess outside 0 to 128, glClear bits
//     that name no buffer;
//   - GL_INVALID_ENUM: any value outside the few the core uses, even where
//     OpenGL takes it (glBegin's polygon modes; GL_DEPTH_TEST, GL_LIGHTING and
//     GL_LIGHT0; GL_LIGHT0's colours and position; two-sided lighting; the
//     material faces and names; both matrix stacks; GL_VERTEX_ARRAY of three
//     floats; the two buffer targets; GL_TRIANGLES of unsigned indices;
//     glGetString's four names; glNewList's two modes);
//   - GL_STACK_OVERFLOW and GL_STACK_UNDERFLOW at the ends of the matrix,
//     attribute and client attribute stacks; GL_INVALID_OPERATION for a
//     glNewList inside another, a glEndList without one, and vertices in
//     memory drawn with indices in a buffer; GL_OUT_OF_MEMORY where no room
//     is left for more display list names (immediate.h).
// Pointers, buffer usages and attribute masks are taken as given; GLU's
// quadric settings ignore values they do not know.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdlib>
#include <cstring>

#include "web/gl_subset.h"
#include "web/immediate.h"
#include "web/lighting.h"
#include "web/matrices.h"
#include "web/quadric.h"
#include "web/webgl_draw.h"

// GLU's quadric object is the subset's.
struct GLUquadric {
  subset_quadric settings;
};

static GLenum pending_error = GL_NO_ERROR;

// Keeps the first error until glGetError takes it, as OpenGL does.
static void record_error(GLenum error) {
  if (error != GL_NO_ERROR && pending_error == GL_NO_ERROR) pending_error = error;
}

// For a call that may not come between glBegin and glEnd: false (and the
// error) inside them; otherwise the waiting triangles are drawn first, with
// the state they were sent under.
static bool state_call() {
  if (inside_begin_end()) {
    record_error(GL_INVALID_OPERATION);
    return false;
  }
  flush_immediate();
  return true;
}

bool start_gl_subset() {
  reset_matrices();
  reset_lighting();
  reset_immediate();
  pending_error = GL_NO_ERROR;
  return start_webgl_drawing();
}

void finish_gl_frame() {
  if (!inside_begin_end()) flush_immediate();
}

extern "C" {

// --- immediate mode and display lists --------------------------------------

void glBegin(GLenum mode) {
  if (inside_begin_end())
    record_error(GL_INVALID_OPERATION);
  else if (!immediate_begin(mode))
    record_error(GL_INVALID_ENUM);
}

void glEnd() {
  if (!immediate_end()) record_error(GL_INVALID_OPERATION);
}

void glVertex3dv(const GLdouble* v) {
  immediate_vertex((float)v[0], (float)v[1], (float)v[2]);
}

void glNormal3dv(const GLdouble* v) {
  immediate_normal((float)v[0], (float)v[1], (float)v[2]);
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  immediate_colour(red, green, blue, 1.0f);
}

GLuint glGenLists(GLsizei range) {
  if (range < 0) record_error(GL_INVALID_VALUE);
  if (range <= 0 || !state_call()) return 0;
  unsigned error = GL_NO_ERROR;
  GLuint first = generate_lists(range, &error);
  record_error(error);
  return first;
}

void glDeleteLists(GLuint list, GLsizei range) {
  if (range < 0)
    record_error(GL_INVALID_VALUE);
  else if (state_call())
    delete_lists(list, range);
}

void glNewList(GLuint list, GLenum mode) {
  if (state_call()) record_error(start_list(list, mode));
}

void glEndList() {
  if (state_call()) record_error(finish_list());
}

void glCallList(GLuint list) {
  if (state_call()) call_list(list);
}

// --- vertex arrays and buffer objects ----------------------------------------

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  if (size < 2 || size > 4 || stride < 0)
    record_error(GL_INVALID_VALUE);
  else if (!set_vertex_array(size, type, stride, pointer))
    record_error(GL_INVALID_ENUM);
}

void glEnableClientState(GLenum array) {
  if (array == GL_VERTEX_ARRAY)
    enable_vertex_array(true);
  else
    record_error(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array) {
  if (array == GL_VERTEX_ARRAY)
    enable_vertex_array(false);
  else
    record_error(GL_INVALID_ENUM);
}

void glPushClientAttrib(GLbitfield mask) {
  if (!push_client_attributes((mask & GL_CLIENT_VERTEX_ARRAY_BIT) != 0)) record_error(GL_STACK_OVERFLOW);
}

void glPopClientAttrib() {
  if (!pop_client_attributes()) record_error(GL_STACK_UNDERFLOW);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
  if (state_call()) record_error(draw_array_elements(mode, count, type, indices));
}

void glGenBuffers(GLsizei n, GLuint* buffers) {
  if (n < 0)
    record_error(GL_INVALID_VALUE);
  else
    webgl_gen_buffers(n, buffers);
}

void glDeleteBuffers(GLsizei n, const GLuint* buffers) {
  if (n < 0)
    record_error(GL_INVALID_VALUE);
  else
    webgl_delete_buffers(n, buffers);
}

void glBindBuffer(GLenum target, GLuint buffer) {
  if (target != GL_ARRAY_BUFFER && target != GL_ELEMENT_ARRAY_BUFFER)
    record_error(GL_INVALID_ENUM);
  else
    webgl_bind_buffer(target, buffer);
}

void glBufferData(GLenum target, GLsizeiptr size, const GLvoid* data, GLenum usage) {
  if (target != GL_ARRAY_BUFFER && target != GL_ELEMENT_ARRAY_BUFFER)
    record_error(GL_INVALID_ENUM);
  else if (size < 0)
    record_error(GL_INVALID_VALUE);
  else
    webgl_buffer_data(target, size, data, usage);
}

// --- matrices ------------------------------------------------------------------

void glMatrixMode(GLenum mode) {
  if (state_call() && !select_matrix_stack(mode)) record_error(GL_INVALID_ENUM);
}

void glLoadIdentity() {
  if (state_call()) load_identity();
}

void glPushMatrix() {
  if (state_call() && !push_matrix()) record_error(GL_STACK_OVERFLOW);
}

void glPopMatrix() {
  if (state_call() && !pop_matrix()) record_error(GL_STACK_UNDERFLOW);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
  if (state_call()) rotate_matrix(angle, x, y, z);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  if (state_call()) rotate_matrix(angle, x, y, z);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  if (state_call()) translate_matrix(x, y, z);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  if (state_call()) translate_matrix(x, y, z);
}

// --- lighting ------------------------------------------------------------------

void glEnable(GLenum capability) {
  if (!state_call()) return;
  if (capability == GL_DEPTH_TEST)
    webgl_depth_test(true);
  else if (!enable_lighting(capability, true))
    record_error(GL_INVALID_ENUM);
}

void glDisable(GLenum capability) {
  if (!state_call()) return;
  if (capability == GL_DEPTH_TEST)
    webgl_depth_test(false);
  else if (!enable_lighting(capability, false))
    record_error(GL_INVALID_ENUM);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
  if (state_call() && !set_light(light, name, values, modelview_matrix())) record_error(GL_INVALID_ENUM);
}

void glLightModelf(GLenum name, GLfloat value) {
  // The model's ambient colour takes four values: not through this call.
  if (state_call() && (name != GL_LIGHT_MODEL_TWO_SIDE || !set_light_model(name, &value)))
    record_error(GL_INVALID_ENUM);
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) {
  if (!state_call()) return;
  if (name != GL_SHININESS)
    record_error(GL_INVALID_ENUM);
  else
    record_error(set_material(face, name, &value));
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
  if (state_call()) record_error(set_material(face, name, values));
}

void glPushAttrib(GLbitfield mask) {
  if (state_call() && !push_attributes(mask)) record_error(GL_STACK_OVERFLOW);
}

void glPopAttrib() {
  if (state_call() && !pop_attributes()) record_error(GL_STACK_UNDERFLOW);
}

// --- the frame buffer and queries ----------------------------------------------

void glClear(GLbitfield mask) {
  if (mask &
      ~(GLbitfield)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT))
    record_error(GL_INVALID_VALUE);
  else if (state_call())
    webgl_clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  if (state_call()) webgl_clear_colour(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
  if (state_call()) webgl_clear_depth(depth < 0 ? 0 : depth > 1 ? 1 : depth);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (width < 0 || height < 0)
    record_error(GL_INVALID_VALUE);
  else if (state_call())
    webgl_viewport(x, y, width, height);
}

const GLubyte* glGetString(GLenum name) {
  if (inside_begin_end()) {
    record_error(GL_INVALID_OPERATION);
    return nullptr;
  }
  // Version 1.5, whose buffer objects the subset has: the surface mesh then
  // keeps itself in buffers.
  switch (name) {
  case GL_VENDOR:
    return (const GLubyte*)"Korvanthel";
  case GL_RENDERER:
    return (const GLubyte*)"Korvanthel's OpenGL subset on WebGL 2";
  case GL_VERSION:
    return (const GLubyte*)"1.5 Korvanthel's OpenGL subset on WebGL 2";
  case GL_EXTENSIONS:
    return (const GLubyte*)"";
  }
  record_error(GL_INVALID_ENUM);
  return nullptr;
}

GLenum glGetError() {
  GLenum error = pending_error;
  pending_error = GL_NO_ERROR;
  return error != GL_NO_ERROR ? error : (GLenum)webgl_error();
}

// --- GLU -------------------------------------------------------------------------

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble near_plane, GLdouble far_plane) {
  if (state_call()) perspective_matrix(fovy, aspect, near_plane, far_plane);
}

GLUquadric* gluNewQuadric() {
  GLUquadric* quadric = static_cast<GLUquadric*>(std::malloc(sizeof(GLUquadric)));
  if (quadric) quadric->settings = {GLU_FILL, GLU_SMOOTH};
  return quadric;
}

void gluDeleteQuadric(GLUquadric* quadric) {
  std::free(quadric);
}

void gluQuadricDrawStyle(GLUquadric* quadric, GLenum style) {
  if (style == GLU_FILL || style == GLU_LINE || style == GLU_POINT || style == GLU_SILHOUETTE)
    quadric->settings.draw_style = style;
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
  if (normals == GLU_SMOOTH || normals == GLU_FLAT || normals == GLU_NONE)
    quadric->settings.normals = normals;
}

void gluCylinder(GLUquadric* quadric, GLdouble base, GLdouble top, GLdouble height, GLint slices,
                 GLint stacks) {
  send_cylinder(&quadric->settings, base, top, height, slices, stacks);
}

}  // extern "C"

gl_function subset_function(const char* name) {
  static const struct {
    const char* name;
    gl_function function;
  } calls[] = {
      {"glGenBuffers", reinterpret_cast<gl_function>(glGenBuffers)},
      {"glDeleteBuffers", reinterpret_cast<gl_function>(glDeleteBuffers)},
      {"glBindBuffer", reinterpret_cast<gl_function>(glBindBuffer)},
      {"glBufferData", reinterpret_cast<gl_function>(glBufferData)},
  };
  for (const auto& call : calls)
    if (!std::strcmp(call.name, name)) return call.function;
  return nullptr;
}

// The surface grid as a mesh computed once: one vertex per grid point and,
// for each drawn cell, the two triangles its polygon is split into, with the
// same skipped cells and windings as draw_surface_grid, so that the frame
// looks the same. It is sent from a vertex buffer object where the context
// has them (OpenGL 1.5 or ARB_vertex_buffer_object), from client-side arrays
// otherwise. Like the grid, it sends positions only: the surface is lit with
// the normal that is current when it is drawn.
//
// A host draws its frames with draw_frame_with(draw_surface_mesh), gives the
// mesh its platform's function lookup once (set_gl_function_lookup), and
// calls release_surface_mesh() while the context is still current, before it
// destroys it.
#pragma once

#include "scene/surface.h"

enum {
  SURFACE_MESH_VERTICES = (SURFACE_ROWS + 1) * (SURFACE_COLUMNS + 1),  // 65 x 129 grid points
  // Room for two triangles in every cell of the grid; the mesh holds those
  // of the cells that the surface draws.
  SURFACE_MESH_MAX_INDICES = SURFACE_ROWS * SURFACE_COLUMNS * 6,
};

// An OpenGL function as a platform's lookup returns it, and the lookup:
// glXGetProcAddress, OSMesaGetProcAddress and the like, called with the
// function's name; null for a function it does not know.
typedef void (*gl_function)();
typedef gl_function (*gl_function_lookup)(const char* name);

// The lookup through which the mesh finds the buffer-object functions of the
// next context it is made in. Without one (null, the default) it draws from
// client-side arrays.
void set_gl_function_lookup(gl_function_lookup lookup);

// The grid points of cell (i, j)'s four corners, as {row, column} (row along
// u, column along v: the point (row / 64, column / 64)), in the order in
// which draw_surface_cell sends them for the cell's winding flag.
void surface_cell_corners(int i, int j, int corners[4][2]);

// The triangles of every cell that `skipped` leaves in, two per cell and three
// indices (into the mesh's vertices) per triangle, in the grid's order, into
// `indices`, which has room for `capacity` of them: the cells that do not fit
// are left out, never written past the end. Answers how many it wrote. The
// mesh is made from surface_cell_skipped's cells.
int surface_mesh_triangles(bool (*skipped)(int i, int j), unsigned short* indices, int capacity);

// Sends the surface's triangles. Needs a current context, outside any
// glBegin/glEnd. Leaves the client's vertex arrays (which are enabled, their
// pointers, the buffers bound to GL_ARRAY_BUFFER and GL_ELEMENT_ARRAY_BUFFER)
// as it found them (glPushClientAttrib), so that nothing points into the
// mesh's buffers after it. The first call in a context makes the mesh there,
// in two buffer objects where the lookup gives their functions: it takes the
// errors already pending in the context (up to 16: glGetError, so they are
// lost to whoever raised them), uploads, and keeps the mesh on client-side
// arrays instead when the upload raised an error. Later calls reuse the
// mesh. Drawn from client-side arrays it binds no buffer while it draws; but
// with no lookup (so no buffer function) it cannot unbind one: a caller
// whose context has buffer objects then binds none before the call.
void draw_surface_mesh();
// Deletes the mesh's buffer objects from the current context (the context
// they were made in); the next draw_surface_mesh makes the mesh afresh, as
// for a new context. Does nothing when no mesh is made.
void release_surface_mesh();
// True while the mesh is made in buffer objects; false when it is drawn from
// client-side arrays or not made.
bool surface_mesh_in_buffers();

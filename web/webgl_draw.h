// The WebGL 2 side of the browser's OpenGL subset: one shader program that
// lights vertices as fixed-function OpenGL does (per vertex, one positional
// light, front and back materials, two-sided), the draws, the buffers and
// the few calls passed on as they are. The only file that talks to WebGL.
#pragma once

#include "web/immediate.h"

// Compiles the program in the current WebGL 2 context and sets up the state
// the subset starts from. False when the program cannot be made.
bool start_webgl_drawing();

// Triangles from memory, drawn with the current matrices and lighting.
void draw_triangles(const subset_vertex* vertices, int count);
// A buffer of triangles kept in the context (a display list's): made, filled
// again, drawn, deleted. make_triangle_buffer answers 0 when it cannot.
unsigned make_triangle_buffer(const subset_vertex* vertices, int count);
void refill_triangle_buffer(unsigned buffer, const subset_vertex* vertices, int count);
void draw_triangle_buffer(unsigned buffer, int count);
void delete_triangle_buffer(unsigned buffer);

// The program's own buffers (glGenBuffers, glDeleteBuffers, glBindBuffer,
// glBufferData), passed on; the bindings are remembered so that the subset's
// draws can restore them.
void webgl_gen_buffers(int count, unsigned* names);
void webgl_delete_buffers(int count, const unsigned* names);
void webgl_bind_buffer(unsigned target, unsigned name);
void webgl_buffer_data(unsigned target, long size, const void* data, unsigned usage);

// The vertex array (glVertexPointer, glEnableClientState(GL_VERTEX_ARRAY)):
// positions only. False for a size, type or stride the subset does not take
// (3 floats, stride 0 or at least 12 bytes).
bool set_vertex_array(int size, unsigned type, int stride, const void* pointer);
void enable_vertex_array(bool on);
// glPushClientAttrib and glPopClientAttrib: with `vertex_arrays`
// (GL_CLIENT_VERTEX_ARRAY_BIT) the vertex array and the buffer bindings are
// saved, and put back by the pop. False when the stack is full or empty.
bool push_client_attributes(bool vertex_arrays);
bool pop_client_attributes();
// glDrawElements of GL_TRIANGLES from the vertex array, each vertex with the
// current normal and colour. Answers GL_NO_ERROR or the error that leaves it
// undrawn.
unsigned draw_array_elements(unsigned mode, int count, unsigned type, const void* indices);

// Passed on as they are.
void webgl_clear(unsigned mask);
void webgl_clear_colour(float red, float green, float blue, float alpha);
void webgl_clear_depth(double depth);
void webgl_viewport(int x, int y, int width, int height);
void webgl_depth_test(bool on);
unsigned webgl_error();

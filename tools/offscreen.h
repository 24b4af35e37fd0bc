// An offscreen OpenGL context (OSMesa, llvmpipe) for the native programs and
// tests, the one place where they make one, and a PNG writer for what it
// draws. It knows nothing of the scene: a program that drew the surface mesh
// releases it (release_surface_mesh) before it closes the context.
#pragma once

// Creates an RGBA context with a 24-bit depth buffer of width x height pixels
// and makes it current. Returns false (with a message on stderr) on failure.
bool offscreen_open(int width, int height);
// Releases the context and its pixels.
void offscreen_close();
// The OpenGL function of this name for the offscreen context, null when it
// has none: the lookup that the native programs give the surface mesh
// (set_gl_function_lookup, whose gl_function is this type).
typedef void (*offscreen_gl_function)();
offscreen_gl_function offscreen_function(const char* name);
// The colour buffer, RGBA bytes, bottom row first (OpenGL's order).
const unsigned char* offscreen_pixels();
int offscreen_width();
int offscreen_height();
// Reads back pixel (x, y) with y counted from the top, as in an image viewer.
void offscreen_pixel(int x, int y, unsigned char rgba[4]);

// Writes RGBA pixels given bottom row first into a PNG (top row first, RGB).
bool write_png(const char* path, const unsigned char* rgba, int width, int height);

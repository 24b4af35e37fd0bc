// The browser's OpenGL subset as a host sees it: the OpenGL 1.1 and GLU
// calls that the portable core makes (and the buffer-object calls of
// OpenGL 1.5 that the surface mesh looks up by name), drawn with WebGL 2.
// Only what the core uses is there; the rest of OpenGL is not.
#pragma once

#include "scene/surface_mesh.h"

// Makes the subset ready in the current WebGL 2 context, every state at
// OpenGL's initial value: no display list, identity matrices, lighting off.
// False when its shaders cannot be made there.
bool start_gl_subset();
// Draws the triangles that still wait in the immediate-mode batch: call it
// at the end of each frame, before the browser shows it.
void finish_gl_frame();
// The buffer-object calls by name, for set_gl_function_lookup; null for
// any other name.
gl_function subset_function(const char* name);

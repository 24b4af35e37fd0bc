// The one EGL context with desktop OpenGL that every view draws with (the
// core's display lists and the surface mesh belong to one context), and the
// EGL surfaces of the views' windows.
#pragma once

#include <EGL/egl.h>

#include "scene/surface_mesh.h"

struct wl_display;
struct wl_egl_window;

// EGL on the Wayland display, an RGB config with a depth buffer and desktop
// OpenGL, and the context. Returns false after one line on stderr.
bool open_egl(wl_display* display);
// An EGL surface for a view's window, EGL_NO_SURFACE after one line on
// stderr.
EGLSurface create_egl_surface(wl_egl_window* window);
// Makes the context current on `surface` (swap interval 0 there, so that a
// swap never waits for an output that shows nothing), or on no surface
// where EGL allows it (EGL_NO_SURFACE). False when it cannot.
bool make_current(EGLSurface surface);
// Shows what was drawn on `surface`: its wl_surface commits the frame.
void swap_egl(EGLSurface surface);
void destroy_egl_surface(EGLSurface surface);
// The mesh's buffer-object functions, as EGL finds them.
gl_function egl_function(const char* name);
// Destroys the context and ends EGL on the display.
void close_egl();

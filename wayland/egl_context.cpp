// EGL with desktop OpenGL on the Wayland display: the core's immediate mode,
// display lists and GLU run unchanged in it (a compatibility profile).
#include "wayland/egl_context.h"

#include <EGL/eglext.h>
#include <wayland-egl.h>

#include <cstdio>

static EGLDisplay egl_display = EGL_NO_DISPLAY;
static EGLConfig egl_config;
static EGLContext egl_context = EGL_NO_CONTEXT;

static bool egl_failed(const char* what) {
  std::fprintf(stderr, "korvanthel: no EGL with desktop OpenGL on the Wayland display: %s failed (0x%x)\n",
               what, eglGetError());
  return false;
}

// A config like the X11 road's visual: 8 bits of red, green and blue, no
// alpha (so that the compositor shows the surface opaque), no multisampling,
// and a depth buffer of 24 bits where there is one, the deepest otherwise.
// (eglChooseConfig lists 10-bit configs first, which cost more to draw and
// hand the compositor XRGB2101010 buffers.)
static bool choose_config() {
  const EGLint wanted[] = {EGL_SURFACE_TYPE,
                           EGL_WINDOW_BIT,
                           EGL_RENDERABLE_TYPE,
                           EGL_OPENGL_BIT,
                           EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_DEPTH_SIZE,
                           1,
                           EGL_NONE};
  EGLConfig configs[128];
  EGLint count = 0;
  if (!eglChooseConfig(egl_display, wanted, configs, 128, &count)) return egl_failed("eglChooseConfig");
  int best_score = 0;
  for (EGLint i = 0; i < count; i++) {
    EGLint red = 0, green = 0, blue = 0, alpha = 0, samples = 0, depth = 0;
    eglGetConfigAttrib(egl_display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(egl_display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(egl_display, configs[i], EGL_BLUE_SIZE, &blue);
    eglGetConfigAttrib(egl_display, configs[i], EGL_ALPHA_SIZE, &alpha);
    eglGetConfigAttrib(egl_display, configs[i], EGL_SAMPLES, &samples);
    eglGetConfigAttrib(egl_display, configs[i], EGL_DEPTH_SIZE, &depth);
    if (red != 8 || green != 8 || blue != 8 || alpha != 0 || samples != 0 || depth <= 0) continue;
    int score = depth == 24 ? 1000 : depth;
    if (score > best_score) {
      best_score = score;
      egl_config = configs[i];
    }
  }
  if (best_score > 0) return true;
  std::fprintf(stderr,
               "korvanthel: no EGL config with desktop OpenGL, opaque 8-bit RGB and a depth buffer\n");
  return false;
}

bool open_egl(wl_display* display) {
  egl_display = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (egl_display == EGL_NO_DISPLAY) return egl_failed("eglGetPlatformDisplay");
  if (!eglInitialize(egl_display, nullptr, nullptr)) {
    egl_display = EGL_NO_DISPLAY;
    return egl_failed("eglInitialize");
  }
  bool ok = eglBindAPI(EGL_OPENGL_API) ? choose_config() : egl_failed("eglBindAPI(EGL_OPENGL_API)");
  if (ok) {
    egl_context = eglCreateContext(egl_display, egl_config, EGL_NO_CONTEXT, nullptr);
    if (egl_context == EGL_NO_CONTEXT) ok = egl_failed("eglCreateContext");
  }
  if (!ok) close_egl();
  return ok;
}

EGLSurface create_egl_surface(wl_egl_window* window) {
  EGLSurface surface = eglCreatePlatformWindowSurface(egl_display, egl_config, window, nullptr);
  if (surface == EGL_NO_SURFACE) egl_failed("eglCreatePlatformWindowSurface");
  return surface;
}

bool make_current(EGLSurface surface) {
  if (eglGetCurrentSurface(EGL_DRAW) == surface && eglGetCurrentContext() == egl_context) return true;
  if (!eglMakeCurrent(egl_display, surface, surface, egl_context)) return false;
  // The interval belongs to the surface; setting it again costs nothing.
  if (surface != EGL_NO_SURFACE) eglSwapInterval(egl_display, 0);
  return true;
}

void swap_egl(EGLSurface surface) {
  eglSwapBuffers(egl_display, surface);
}

void destroy_egl_surface(EGLSurface surface) {
  if (surface == EGL_NO_SURFACE) return;
  if (eglGetCurrentSurface(EGL_DRAW) == surface && !make_current(EGL_NO_SURFACE))
    eglMakeCurrent(egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroySurface(egl_display, surface);
}

gl_function egl_function(const char* name) {
  return (gl_function)eglGetProcAddress(name);
}

void close_egl() {
  if (egl_display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (egl_context != EGL_NO_CONTEXT) eglDestroyContext(egl_display, egl_context);
  eglTerminate(egl_display);
  egl_context = EGL_NO_CONTEXT;
  egl_display = EGL_NO_DISPLAY;
}

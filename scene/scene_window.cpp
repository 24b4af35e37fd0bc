// The scene on a Windows window: the OpenGL context made at creation, one
// frame per timer tick, everything released at destruction.
#include "scene/scene_window.h"
#include "hooks/test_hooks.h"
#include "scene/scene.h"
#include "scene/surface.h"

#include <GL/gl.h>

static HDC scene_dc = nullptr;
static HGLRC scene_rc = nullptr;
static int client_width = 0;
static int client_height = 0;
// One rectangle per monitor of a full-screen window, in client coordinates.
static RECT scene_views[max_scene_views];
static int scene_view_count = 0;

static const UINT_PTR frame_timer = 1;
static const UINT frame_period_ms = 10;

static void create_gl_context(HWND window, HDC* dc, HGLRC* rc) {
  PIXELFORMATDESCRIPTOR format = saver_pixel_format();
  *dc = GetDC(window);
  int number = ChoosePixelFormat(*dc, &format);
  SetPixelFormat(*dc, number, &format);
  *rc = wglCreateContext(*dc);
  wglMakeCurrent(*dc, *rc);
}

static void destroy_gl_context(HWND window, HDC dc, HGLRC rc) {
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(rc);
  ReleaseDC(window, dc);
}

void set_scene_views(const RECT* views, int count) {
  scene_view_count = 0;
  for (int i = 0; i < count && i < max_scene_views; i++) scene_views[scene_view_count++] = views[i];
}

static void render_frame(HDC dc) {
  if (scene_view_count < 2) {
    draw_frame();
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    step_frame();
    for (int i = 0; i < scene_view_count; i++) {
      const RECT& view = scene_views[i];
      // OpenGL's window y runs up from the bottom of the client area.
      place_scene_view(view.left, client_height - view.bottom, view.right - view.left,
                       view.bottom - view.top);
      draw_stepped_frame(draw_surface_grid);
    }
  }
  SwapBuffers(dc);
}

LRESULT scene_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE: {
    RECT client = {};
    GetClientRect(window, &client);
    client_width = client.right;
    client_height = client.bottom;
    create_gl_context(window, &scene_dc, &scene_rc);
    init_scene(client_width, client_height);
    SetTimer(window, frame_timer, frame_period_ms, nullptr);
    test_hook_window_created(client_width, client_height);
    return 0;
  }
  case WM_TIMER:
    test_hook_frame();
    render_frame(scene_dc);
    test_hook_frame_drawn(tilt_angle, spin_angle, light_angle, scene_view_count < 2 ? 1 : scene_view_count);
    return 0;
  case WM_DESTROY:
    KillTimer(window, frame_timer);
    destroy_gl_context(window, scene_dc, scene_rc);
    test_hook_window_destroyed();
    return 0;
  default:
    return host_default_proc(window, message, wparam, lparam);
  }
}

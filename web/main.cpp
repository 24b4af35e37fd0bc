// The browser edition: the scene of the portable core drawn with WebGL 2 in
// the page's canvas, through the host's own OpenGL subset. The page (page.js)
// starts it with the address's parameters as name, value pairs; it draws at
// the browser's animation frames (none while the tab is hidden), one step of
// the animation per 10 ms, or, with frame=N, frame N once and nothing more.
#include <GL/gl.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "web/gl_subset.h"
#include "web/pacing.h"
#include "web/page_parameters.h"
#include "linux/pacing.h"

static const char canvas[] = "#scene";

static page_settings settings;
static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
static int drawn_width, drawn_height;  // the drawing buffer the scene is set up for
static step_clock pace;
static frame_meter meter;  // what the rate overlay shows
static double last_frame_ms;

// What the page and its tests can read: the frame the scene shows (steps
// taken), frames drawn, and the time spent in the frame function while it
// drew them.
static double scene_frame, frames_drawn, busy_ms;

// The page's side (page.js and page.css), in JavaScript.
// clang-format off
EM_JS(void, show_still_page, (), { document.body.classList.add('still'); });
EM_JS(void, show_rate, (const char* line1, const char* line2), {
  const rate = document.getElementById('rate');
  rate.textContent = UTF8ToString(line1) + '\n' + UTF8ToString(line2);
  rate.hidden = false;
});
EM_JS(void, show_without_scene, (const char* why), {
  if (typeof showStillPicture === 'function') showStillPicture(UTF8ToString(why));
});
// clang-format on

// The canvas's drawing buffer at the device's pixels: its size on the page
// times the device pixel ratio. The scene is set up afresh when that
// changes (a resized window, full screen, another monitor's ratio); answers
// whether it did.
static bool fit_canvas() {
  double css_width = 0, css_height = 0;
  emscripten_get_element_css_size(canvas, &css_width, &css_height);
  double ratio = emscripten_get_device_pixel_ratio();
  int width = (int)std::lround(css_width * ratio), height = (int)std::lround(css_height * ratio);
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  int canvas_width = 0, canvas_height = 0;
  emscripten_get_canvas_element_size(canvas, &canvas_width, &canvas_height);
  if (canvas_width != width || canvas_height != height)
    emscripten_set_canvas_element_size(canvas, width, height);
  // The browser may give a smaller buffer than asked for: the scene fits
  // the one it gave.
  int buffer_width = 0, buffer_height = 0;
  emscripten_webgl_get_drawing_buffer_size(context, &buffer_width, &buffer_height);
  if (buffer_width == drawn_width && buffer_height == drawn_height) return false;
  drawn_width = buffer_width;
  drawn_height = buffer_height;
  resize_scene(drawn_width, drawn_height);
  return true;
}

static void draw_scene_frame() {
  draw_frame_with(draw_surface_mesh);
  finish_gl_frame();
}

static EM_BOOL animation_frame(double now_ms, void*) {
  // A context lost to the system holds nothing of the scene's any more,
  // even once it is given back: the page starts again then (page.js), and
  // nothing is drawn meanwhile.
  static bool context_lost;
  if (context_lost || emscripten_is_webgl_context_lost(context)) {
    context_lost = true;
    return EM_TRUE;
  }
  double start = emscripten_get_now();
  // Back after a long pause (a hidden tab): the rate starts over.
  if (last_frame_ms > 0 && now_ms - last_frame_ms > meter_window_us / 1000.0) meter_reset(&meter);
  last_frame_ms = now_ms;
  int steps = take_steps(&pace, now_ms);
  if (steps == 0) return EM_TRUE;  // a display faster than the steps: nothing new to show
  long long start_us = (long long)(start * 1000);
  if (meter_frame_start(&meter, start_us) && settings.show_rate) {
    char line1[32], line2[32];
    format_meter(&meter, line1, sizeof line1, line2, sizeof line2);
    show_rate(line1, line2);
  }
  fit_canvas();
  advance_frames(steps - 1);
  draw_scene_frame();
  double end = emscripten_get_now();
  meter_frame_end(&meter, start_us, (long long)(end * 1000));
  scene_frame += steps;
  frames_drawn++;
  busy_ms += end - start;
  return EM_TRUE;
}

// The still frame, N: the scene's angles as N - 1 frames leave them, kept to
// draw frame N again at a new size.
static float still_angles[3];

static void draw_still_frame() {
  if (settings.frame == 0) {
    // Frame 0 is the cleared screen before the first frame is drawn.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    finish_gl_frame();
  } else {
    tilt_angle = still_angles[0];
    spin_angle = still_angles[1];
    light_angle = still_angles[2];
    draw_scene_frame();
  }
  scene_frame = (double)settings.frame;
  frames_drawn++;
}

// The page changed size: the same frame, drawn again to fill it.
static EM_BOOL still_page_resized(int, const EmscriptenUiEvent*, void*) {
  if (fit_canvas()) draw_still_frame();
  return EM_FALSE;
}

static bool open_context() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_FALSE;
  // A still frame is drawn as the snapshot tool draws it, without
  // antialiasing; the moving scene is smoother with it.
  attributes.antialias = settings.still ? EM_FALSE : EM_TRUE;
  context = emscripten_webgl_create_context(canvas, &attributes);
  if (context <= 0) {
    show_without_scene("The browser could not make a WebGL 2 context for the scene.");
    return false;
  }
  emscripten_webgl_make_context_current(context);
  if (!start_gl_subset()) {
    show_without_scene("The browser could not compile the scene's shaders.");
    return false;
  }
  return true;
}

int main(int argc, char** argv) {
  default_page_settings(&settings);
  for (int k = 1; k + 1 < argc; k += 2) {
    char why[200];
    if (!apply_page_parameter(&settings, argv[k], argv[k + 1], why, sizeof why))
      std::fprintf(stderr, "korvanthel: %s\n", why);
  }
  if (settings.still) show_still_page();
  if (!open_context()) return 0;
  set_gl_function_lookup(subset_function);
  init_scene(1, 1);
  fit_canvas();
  if (settings.still) {
    advance_frames(settings.frame - 1);
    still_angles[0] = tilt_angle;
    still_angles[1] = spin_angle;
    still_angles[2] = light_angle;
    draw_still_frame();
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, still_page_resized);
    return 0;
  }
  meter_reset(&meter);
  reset_step_clock(&pace);
  if (settings.show_rate) show_rate("FPS: ...", "Load: ...");
  emscripten_request_animation_frame_loop(animation_frame, nullptr);
  return 0;
}

extern "C" {
EMSCRIPTEN_KEEPALIVE double web_scene_frame() {
  return scene_frame;
}
EMSCRIPTEN_KEEPALIVE double web_frames_drawn() {
  return frames_drawn;
}
EMSCRIPTEN_KEEPALIVE double web_busy_ms() {
  return busy_ms;
}
}

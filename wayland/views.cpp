// The views' surfaces, their roles (layer surface, full-screen toplevel,
// toplevel of its own), their EGL windows and their frame callbacks.
#include "wayland/views.h"

#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdio>

#include "wayland/connection.h"
#include "wayland/egl_context.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

// A view's Wayland objects beside what the frame loop reads.
struct view_objects {
  wl_surface* surface;
  zwlr_layer_surface_v1* layer;
  xdg_surface* xdg;
  xdg_toplevel* toplevel;
  wl_egl_window* egl_window;
  wl_callback* frame_callback;
  int wanted_width, wanted_height;  // a toplevel's size until its xdg_surface configure comes
  bool closed;                      // the compositor closed it
  unsigned entered;                 // the window of its own: the outputs it is on, one bit per slot
};

static view_state views[max_views];
static view_objects objects[max_views];
static bool saver;              // the views are the saver's, one per output
static bool saver_with_layers;  // the saver's views are layer surfaces (else full-screen toplevels)
static bool close_asked;        // the compositor asked to close a window
static bool surface_failed;     // a view's window or EGL surface could not be made

const view_state& view_at(int index) {
  return views[index];
}

bool view_ready(int index) {
  return views[index].used && views[index].configured && !views[index].waiting;
}

bool window_closed() {
  return close_asked;
}

bool view_failed() {
  return surface_failed;
}

// The slot of the view whose listeners got `data` (its view_state).
static int index_of(void* data) {
  return (int)((view_state*)data - views);
}

// --- size and scale ------------------------------------------------------------

// The view takes a configured size (surface coordinates) and scale: its EGL
// window is made or resized to match, and the buffer scale is set for the
// next frame.
static void take_size(int i, int width, int height, int scale) {
  view_state& v = views[i];
  view_objects& o = objects[i];
  if (width <= 0 || height <= 0) return;
  bool changed = width != v.width || height != v.height || scale != v.scale;
  v.width = width;
  v.height = height;
  v.scale = scale;
  if (!o.egl_window) {
    o.egl_window = wl_egl_window_create(o.surface, width * scale, height * scale);
    if (!o.egl_window)
      std::fprintf(stderr, "korvanthel: cannot make a window for EGL on a Wayland surface\n");
    v.egl_surface = o.egl_window ? create_egl_surface(o.egl_window) : EGL_NO_SURFACE;
    if (v.egl_surface == EGL_NO_SURFACE) surface_failed = true;
  } else if (changed) {
    wl_egl_window_resize(o.egl_window, width * scale, height * scale, 0, 0);
  }
  if (wl_surface_get_version(o.surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(o.surface, scale);
  v.configured = v.egl_surface != EGL_NO_SURFACE;
}

// The scale a view's output asks for; for the window of its own, the
// largest of the outputs it is on.
static int wanted_scale(int i) {
  if (views[i].output >= 0) return output_at(views[i].output).scale;
  int scale = 1;
  for (int k = 0; k < max_outputs; k++)
    if ((objects[i].entered >> k & 1) && output_at(k).output && output_at(k).scale > scale)
      scale = output_at(k).scale;
  return scale;
}

// --- frame callbacks --------------------------------------------------------------

static void on_frame_done(void* data, wl_callback* callback, uint32_t) {
  int i = index_of(data);
  wl_callback_destroy(callback);
  objects[i].frame_callback = nullptr;
  views[i].waiting = false;
}

static const wl_callback_listener frame_listener = {on_frame_done};

void frame_shown(int i, long long step) {
  objects[i].frame_callback = wl_surface_frame(objects[i].surface);
  wl_callback_add_listener(objects[i].frame_callback, &frame_listener, &views[i]);
  views[i].waiting = true;
  views[i].shown_step = step;
}

// --- the layer surface ------------------------------------------------------------

static void on_layer_configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                               uint32_t height) {
  int i = index_of(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  const output_state& out = output_at(views[i].output);
  // A size of 0 leaves it to the client: the output's, in surface coordinates.
  int w = width ? (int)width : out.width / out.scale, h = height ? (int)height : out.height / out.scale;
  take_size(i, w, h, wanted_scale(i));
}

static void on_layer_closed(void* data, zwlr_layer_surface_v1*) {
  objects[index_of(data)].closed = true;
}

static const zwlr_layer_surface_v1_listener layer_listener = {on_layer_configure, on_layer_closed};

// --- toplevels --------------------------------------------------------------------

static void on_xdg_configure(void* data, xdg_surface* xdg, uint32_t serial) {
  int i = index_of(data);
  xdg_surface_ack_configure(xdg, serial);
  take_size(i, objects[i].wanted_width, objects[i].wanted_height, wanted_scale(i));
}

static const xdg_surface_listener xdg_listener = {on_xdg_configure};

static void on_toplevel_configure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  int i = index_of(data);
  // 0 leaves the size to the client: a window of its own keeps the size it
  // has, a full-screen one takes its output's.
  if (width > 0 && height > 0) {
    objects[i].wanted_width = width;
    objects[i].wanted_height = height;
  } else if (views[i].output >= 0) {
    const output_state& out = output_at(views[i].output);
    objects[i].wanted_width = out.width / out.scale;
    objects[i].wanted_height = out.height / out.scale;
  }
}

static void on_toplevel_close(void* data, xdg_toplevel*) {
  objects[index_of(data)].closed = true;
  close_asked = true;
}

static void on_configure_bounds(void*, xdg_toplevel*, int32_t, int32_t) {}
static void on_wm_capabilities(void*, xdg_toplevel*, wl_array*) {}

static const xdg_toplevel_listener toplevel_listener = {on_toplevel_configure, on_toplevel_close,
                                                        on_configure_bounds, on_wm_capabilities};

// --- the surface's outputs (the window of its own) --------------------------------------

static void on_surface_enter(void* data, wl_surface*, wl_output* output) {
  int k = output_index(output);
  if (k >= 0) objects[index_of(data)].entered |= 1u << k;
}

static void on_surface_leave(void* data, wl_surface*, wl_output* output) {
  int k = output_index(output);
  if (k >= 0) objects[index_of(data)].entered &= ~(1u << k);
}

static const wl_surface_listener surface_listener = {on_surface_enter, on_surface_leave};

// --- making and destroying views ------------------------------------------------------

static int free_slot() {
  for (int i = 0; i < max_views; i++)
    if (!views[i].used) return i;
  return -1;
}

// A view for `output` (-1: the window of its own) with its surface, or -1.
static int new_view(int output) {
  int i = free_slot();
  if (i < 0) return -1;
  views[i] = view_state{};
  objects[i] = view_objects{};
  views[i].used = true;
  views[i].output = output;
  views[i].scale = 1;
  views[i].egl_surface = EGL_NO_SURFACE;
  views[i].shown_step = -1;
  objects[i].surface = wl_compositor_create_surface(wayland.compositor);
  wl_surface_add_listener(objects[i].surface, &surface_listener, &views[i]);
  return i;
}

static xdg_toplevel* new_toplevel(int i) {
  objects[i].xdg = xdg_wm_base_get_xdg_surface(wayland.wm_base, objects[i].surface);
  xdg_surface_add_listener(objects[i].xdg, &xdg_listener, &views[i]);
  objects[i].toplevel = xdg_surface_get_toplevel(objects[i].xdg);
  xdg_toplevel_add_listener(objects[i].toplevel, &toplevel_listener, &views[i]);
  xdg_toplevel_set_title(objects[i].toplevel, "Korvanthel");
  xdg_toplevel_set_app_id(objects[i].toplevel, "korvanthel");
  return objects[i].toplevel;
}

// The saver's view of output `k`: an overlay above everything, on the whole
// output, that panels do not push aside and that takes every key.
static void open_output_view(int k) {
  int i = new_view(k);
  if (i < 0) return;
  wl_output* output = output_at(k).output;
  if (saver_with_layers) {
    objects[i].layer = zwlr_layer_shell_v1_get_layer_surface(wayland.layer_shell, objects[i].surface, output,
                                                             ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "korvanthel");
    zwlr_layer_surface_v1_add_listener(objects[i].layer, &layer_listener, &views[i]);
    zwlr_layer_surface_v1_set_anchor(
        objects[i].layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(objects[i].layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(objects[i].layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(objects[i].layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    xdg_toplevel_set_fullscreen(new_toplevel(i), output);
  }
  // The first commit carries no buffer; the configure event answers it.
  wl_surface_commit(objects[i].surface);
}

static void close_view(int i) {
  view_objects& o = objects[i];
  destroy_egl_surface(views[i].egl_surface);
  if (o.egl_window) wl_egl_window_destroy(o.egl_window);
  if (o.frame_callback) wl_callback_destroy(o.frame_callback);
  if (o.layer) zwlr_layer_surface_v1_destroy(o.layer);
  if (o.toplevel) xdg_toplevel_destroy(o.toplevel);
  if (o.xdg) xdg_surface_destroy(o.xdg);
  wl_surface_destroy(o.surface);
  views[i] = view_state{};
  objects[i] = view_objects{};
}

bool open_saver_views() {
  saver = true;
  saver_with_layers = wayland.layer_shell != nullptr;
  if (!saver_with_layers && !wayland.wm_base) {
    std::fprintf(stderr, "korvanthel: the Wayland compositor '%s' has neither a layer shell nor xdg-shell\n",
                 wayland.name);
    return false;
  }
  if (!saver_with_layers)
    std::fprintf(stderr,
                 "korvanthel: the Wayland compositor '%s' has no layer shell (zwlr_layer_shell_v1): "
                 "full-screen windows on its outputs instead, which other windows may cover\n",
                 wayland.name);
  sync_views();
  return true;
}

bool open_own_view(int width, int height) {
  if (!wayland.wm_base) {
    std::fprintf(stderr, "korvanthel: the Wayland compositor '%s' has no xdg-shell: no window of its own\n",
                 wayland.name);
    return false;
  }
  int i = new_view(-1);
  if (i < 0) return false;
  objects[i].wanted_width = width;
  objects[i].wanted_height = height;
  new_toplevel(i);
  wl_surface_commit(objects[i].surface);
  return true;
}

void sync_views() {
  for (int i = 0; i < max_views; i++) {
    if (!views[i].used) continue;
    int k = views[i].output;
    if (k >= 0 && (objects[i].closed || output_at(k).gone))
      close_view(i);
    else if (views[i].configured && wanted_scale(i) != views[i].scale)
      take_size(i, views[i].width, views[i].height, wanted_scale(i));
  }
  for (int k = 0; k < max_outputs; k++) {
    const output_state& out = output_at(k);
    if (!out.output) continue;
    bool has_view = false;
    for (int i = 0; i < max_views; i++) has_view |= views[i].used && views[i].output == k;
    if (out.gone && !has_view) {
      for (view_objects& o : objects) o.entered &= ~(1u << k);
      release_output(k);
    } else if (out.described && !out.gone) {
      take_output_description(k);
      if (saver && !has_view) open_output_view(k);
    }
  }
}

void close_views() {
  for (int i = 0; i < max_views; i++)
    if (views[i].used) close_view(i);
}

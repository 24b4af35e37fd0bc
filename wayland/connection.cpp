// The registry: the globals the saver binds, and its outputs as they come
// and go.
#include "wayland/connection.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "wayland/seat_input.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

static wayland_connection state;
const wayland_connection& wayland = state;
static output_state outputs[max_outputs];
// What libwayland last said: kept, so that a failure is told in one line of
// the program's own that includes it.
static char library_said[200];

const output_state& output_at(int index) {
  return outputs[index];
}

int output_index(const wl_output* output) {
  for (int i = 0; i < max_outputs; i++)
    if (output && outputs[i].output == output) return i;
  return -1;
}

void take_output_description(int index) {
  outputs[index].described = false;
}

void release_output(int index) {
  if (!outputs[index].output) return;
  if (wl_output_get_version(outputs[index].output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(outputs[index].output);
  else
    wl_output_destroy(outputs[index].output);
  outputs[index] = output_state{};
}

// --- an output's description ---------------------------------------------------

static output_state* slot_of(void* data) {
  return (output_state*)data;
}

static void on_geometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                        const char*, int32_t) {}

static void on_mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  slot_of(data)->width = width;
  slot_of(data)->height = height;
}

static void on_done(void* data, wl_output*) {
  slot_of(data)->described = true;
}

static void on_scale(void* data, wl_output*, int32_t factor) {
  slot_of(data)->scale = factor > 0 ? factor : 1;
}

static void on_name(void*, wl_output*, const char*) {}
static void on_description(void*, wl_output*, const char*) {}

static const wl_output_listener output_listener = {on_geometry, on_mode, on_done,
                                                   on_scale,    on_name, on_description};

// --- the registry ------------------------------------------------------------------

static void on_ping(void*, xdg_wm_base* base, uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}

static const xdg_wm_base_listener wm_base_listener = {on_ping};

static uint32_t at_most(uint32_t offered, uint32_t wanted) {
  return offered < wanted ? offered : wanted;
}

static void add_output(uint32_t name, uint32_t version) {
  for (output_state& slot : outputs) {
    if (slot.output) continue;
    slot = output_state{};
    slot.name = name;
    slot.scale = 1;
    slot.output =
        (wl_output*)wl_registry_bind(state.registry, name, &wl_output_interface, at_most(version, 4));
    wl_output_add_listener(slot.output, &output_listener, &slot);
    return;
  }
  std::fprintf(stderr, "korvanthel: more than %d outputs: output %u is left out\n", max_outputs, name);
}

static void on_global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (!std::strcmp(interface, wl_compositor_interface.name) && !state.compositor) {
    state.compositor =
        (wl_compositor*)wl_registry_bind(registry, name, &wl_compositor_interface, at_most(version, 4));
  } else if (!std::strcmp(interface, zwlr_layer_shell_v1_interface.name) && !state.layer_shell) {
    state.layer_shell = (zwlr_layer_shell_v1*)wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface,
                                                               at_most(version, 4));
  } else if (!std::strcmp(interface, xdg_wm_base_interface.name) && !state.wm_base) {
    state.wm_base =
        (xdg_wm_base*)wl_registry_bind(registry, name, &xdg_wm_base_interface, at_most(version, 3));
    xdg_wm_base_add_listener(state.wm_base, &wm_base_listener, nullptr);
  } else if (!std::strcmp(interface, wl_seat_interface.name)) {
    use_seat((wl_seat*)wl_registry_bind(registry, name, &wl_seat_interface, at_most(version, 5)), name);
  } else if (!std::strcmp(interface, wl_output_interface.name)) {
    add_output(name, version);
  }
}

static void on_global_remove(void*, wl_registry*, uint32_t name) {
  for (output_state& slot : outputs)
    if (slot.output && slot.name == name) slot.gone = true;
  seat_removed(name);
}

static const wl_registry_listener registry_listener = {on_global, on_global_remove};

// --- the connection ----------------------------------------------------------------

// libwayland's messages, one line kept without its end and prefix.
static void keep_library_message(const char* format, va_list args) {
  std::vsnprintf(library_said, sizeof library_said, format, args);
  for (char* p = library_said; *p; p++)
    if (*p == '\n') *p = '\0';
  const char* prefix = "error: ";
  size_t n = std::strlen(prefix);
  if (!std::strncmp(library_said, prefix, n))
    std::memmove(library_said, library_said + n, std::strlen(library_said) - n + 1);
}

bool connect_compositor() {
  wl_log_set_handler_client(keep_library_message);
  const char* name = std::getenv("WAYLAND_DISPLAY");
  state.name = name && *name ? name : "wayland-0";
  state.display = wl_display_connect(nullptr);
  if (!state.display) {
    std::fprintf(stderr, "korvanthel: cannot connect to the Wayland compositor '%s'%s%s%s\n", state.name,
                 name && *name ? "" : " (WAYLAND_DISPLAY is not set)", library_said[0] ? ": " : "",
                 library_said);
    return false;
  }
  state.registry = wl_display_get_registry(state.display);
  wl_registry_add_listener(state.registry, &registry_listener, nullptr);
  // The first round trip brings the globals, the second the outputs'
  // descriptions and the seat's capabilities.
  if (wl_display_roundtrip(state.display) < 0 || wl_display_roundtrip(state.display) < 0) connection_failed();
  if (!state.compositor) {
    std::fprintf(stderr, "korvanthel: the Wayland compositor '%s' has no wl_compositor\n", state.name);
    disconnect_compositor();
    return false;
  }
  return true;
}

void connection_failed() {
  int error = wl_display_get_error(state.display);
  const wl_interface* interface = nullptr;
  uint32_t id = 0;
  uint32_t code = error == EPROTO ? wl_display_get_protocol_error(state.display, &interface, &id) : 0;
  if (error == EPROTO)
    std::fprintf(stderr, "korvanthel: Wayland protocol error %u on %s %u from the compositor '%s'\n", code,
                 interface ? interface->name : "an object", id, state.name);
  else
    std::fprintf(stderr, "korvanthel: lost the connection to the Wayland compositor '%s'%s%s\n", state.name,
                 error ? ": " : "", error ? std::strerror(error) : "");
  std::fflush(stderr);
  _exit(1);
}

void disconnect_compositor() {
  if (!state.display) return;
  release_seat();
  for (int i = 0; i < max_outputs; i++) release_output(i);
  if (state.layer_shell) {
    if (zwlr_layer_shell_v1_get_version(state.layer_shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
      zwlr_layer_shell_v1_destroy(state.layer_shell);
    else
      wl_proxy_destroy((wl_proxy*)state.layer_shell);
  }
  if (state.wm_base) xdg_wm_base_destroy(state.wm_base);
  if (state.compositor) wl_compositor_destroy(state.compositor);
  wl_registry_destroy(state.registry);
  wl_display_flush(state.display);
  wl_display_disconnect(state.display);
  state = wayland_connection{};
}

// The connection to the Wayland compositor, its globals and its outputs.
// connection.cpp alone writes them, from the registry's and the outputs'
// events; the views, the input and the frame loop read them.
#pragma once

#include <cstdint>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;

struct wayland_connection {
  const char* name;     // the compositor's socket as named: WAYLAND_DISPLAY, or libwayland's "wayland-0"
  wl_display* display;  // null while closed
  wl_registry* registry;
  wl_compositor* compositor;
  zwlr_layer_shell_v1* layer_shell;  // null where the compositor has no layer shell
  xdg_wm_base* wm_base;              // null where it has no xdg-shell
};

// The one connection of the process, read-only outside connection.cpp.
extern const wayland_connection& wayland;

// An output as its wl_output describes it.
const int max_outputs = 16;
struct output_state {
  wl_output* output;  // null: the slot is free
  uint32_t name;      // its global's name in the registry
  int scale;          // its buffer scale, 1 until it tells
  int width, height;  // its current mode, in pixels
  // A done event (the end of a description) has come since a view last
  // took it: the output is described, or described anew (enabled again).
  bool described;
  bool gone;  // its global was removed; release_output frees the slot
};
// Output slot `index`, 0 to max_outputs - 1.
const output_state& output_at(int index);
// The slot of `output`, -1 for none.
int output_index(const wl_output* output);
// The views have seen that the output is described.
void take_output_description(int index);
// Releases an output whose global was removed, once no view uses it.
void release_output(int index);

// Connects to the compositor (WAYLAND_DISPLAY, or libwayland's default),
// binds its globals and waits until the outputs have described themselves.
// Returns false after one line on stderr when there is no compositor or it
// lacks wl_compositor.
bool connect_compositor();
// Says that the connection failed (lost, or a protocol error) in one line on
// stderr and ends the process with exit code 1: nothing can be released over
// a broken connection.
[[noreturn]] void connection_failed();
// Releases the globals and the outputs and closes the connection.
void disconnect_compositor();

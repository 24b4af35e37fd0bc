// A virtual pointer for the Wayland tests (zwlr_virtual_pointer_manager_v1):
// it makes one pointer on the compositor's seat and then follows the
// commands on its standard input, one a line, until its end:
//   wait MS        sleeps MS milliseconds
//   move DX DY     relative motion by (DX, DY) pixels, then a frame
//   click          a press and a release of the left button, each in a frame
// Each command is sent and flushed before the next is read; "ok" on standard
// output answers it. Exit code 0, or 1 with a line on standard error.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static zwlr_virtual_pointer_manager_v1* manager;
static wl_seat* seat;

static void on_global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
    manager = (zwlr_virtual_pointer_manager_v1*)wl_registry_bind(
        registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  else if (!std::strcmp(interface, wl_seat_interface.name) && !seat)
    seat = (wl_seat*)wl_registry_bind(registry, name, &wl_seat_interface, 1);
}

static void on_global_remove(void*, wl_registry*, uint32_t) {}

static const wl_registry_listener registry_listener = {on_global, on_global_remove};

static uint32_t now_ms() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int fail(const char* what) {
  std::fprintf(stderr, "pointer_tool: %s\n", what);
  return 1;
}

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return fail("no Wayland compositor");
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, nullptr);
  wl_display_roundtrip(display);
  if (!manager) return fail("the compositor has no zwlr_virtual_pointer_manager_v1");
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  if (wl_display_roundtrip(display) < 0) return fail("the compositor refused the virtual pointer");
  char line[128];
  while (std::fgets(line, sizeof line, stdin)) {
    double dx, dy;
    unsigned ms;
    if (std::sscanf(line, "wait %u", &ms) == 1) {
      usleep(ms * 1000);
    } else if (std::sscanf(line, "move %lf %lf", &dx, &dy) == 2) {
      zwlr_virtual_pointer_v1_motion(pointer, now_ms(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (!std::strncmp(line, "click", 5)) {
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else {
      return fail("commands: wait MS | move DX DY | click");
    }
    if (wl_display_roundtrip(display) < 0) return fail("lost the compositor");
    std::printf("ok\n");
    std::fflush(stdout);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}

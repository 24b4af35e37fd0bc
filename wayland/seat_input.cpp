// The seat's devices and the input rule. Keys are read through the keymap
// the compositor sends (libxkbcommon), so that q and Escape are found on
// every layout and from every virtual keyboard.
#include "wayland/seat_input.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

static wl_seat* seat;
static uint32_t seat_name;
static wl_keyboard* keyboard;
static wl_pointer* pointer;
static wl_touch* touch;
static input_rule rule = end_on_close_keys;
static bool end_asked;

static xkb_context* keys_context;
static xkb_keymap* keymap;
static xkb_state* key_state;

// Where the pointer was first seen, and over which surface.
static bool pointer_known;
static wl_surface* first_surface;
static double first_x, first_y;
static wl_surface* pointer_surface;  // the surface the pointer is over, null when none

const double motion_threshold = 4.0;

void set_input_rule(input_rule r) {
  rule = r;
}

bool input_ends_run() {
  return end_asked;
}

// --- keyboard -----------------------------------------------------------------

static void forget_keymap() {
  if (key_state) xkb_state_unref(key_state);
  if (keymap) xkb_keymap_unref(keymap);
  key_state = nullptr;
  keymap = nullptr;
}

static void on_keymap(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  forget_keymap();
  if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text != MAP_FAILED) {
      if (!keys_context) keys_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
      // The text ends in a zero byte, which the size counts.
      if (keys_context)
        keymap = xkb_keymap_new_from_buffer(keys_context, (const char*)text, size > 0 ? size - 1 : 0,
                                            XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
      munmap(text, size);
    }
    if (keymap) key_state = xkb_state_new(keymap);
  }
  close(fd);
}

static void on_keyboard_enter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
static void on_keyboard_leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

static bool is_close_key(uint32_t key) {
  if (!key_state) return key == KEY_ESC;  // without a keymap, the key codes of the kernel's table
  xkb_keysym_t sym = xkb_state_key_get_one_sym(key_state, key + 8);  // XKB counts from 8
  return sym == XKB_KEY_q || sym == XKB_KEY_Q || sym == XKB_KEY_Escape;
}

static void on_key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t key_state_now) {
  if (key_state_now != WL_KEYBOARD_KEY_STATE_PRESSED) return;  // a key held before the run began
  if (rule == end_on_any_input || is_close_key(key)) end_asked = true;
}

static void on_modifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
                         uint32_t group) {
  if (key_state) xkb_state_update_mask(key_state, depressed, latched, locked, 0, 0, group);
}

static void on_repeat_info(void*, wl_keyboard*, int32_t, int32_t) {}

static const wl_keyboard_listener keyboard_listener = {on_keymap, on_keyboard_enter, on_keyboard_leave,
                                                       on_key,    on_modifiers,      on_repeat_info};

// --- pointer ------------------------------------------------------------------

// The pointer is at (x, y) over `surface`: the first position is learnt, and
// later ones are measured from it.
static void pointer_at(wl_surface* surface, double x, double y) {
  if (!pointer_known) {
    pointer_known = true;
    first_surface = surface;
    first_x = x;
    first_y = y;
    return;
  }
  double dx = x - first_x, dy = y - first_y;
  if (surface != first_surface || (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) > motion_threshold)
    if (rule == end_on_any_input) end_asked = true;
}

static void on_pointer_enter(void*, wl_pointer* p, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                             wl_fixed_t y) {
  pointer_surface = surface;
  if (rule == end_on_any_input) wl_pointer_set_cursor(p, serial, nullptr, 0, 0);  // no cursor over the saver
  pointer_at(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

static void on_pointer_leave(void*, wl_pointer*, uint32_t, wl_surface*) {
  pointer_surface = nullptr;
}

static void on_motion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  if (pointer_surface) pointer_at(pointer_surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

static void on_button(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t button_state) {
  if (button_state == WL_POINTER_BUTTON_STATE_PRESSED && rule == end_on_any_input) end_asked = true;
}

static void on_axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
static void on_pointer_frame(void*, wl_pointer*) {}
static void on_axis_source(void*, wl_pointer*, uint32_t) {}
static void on_axis_stop(void*, wl_pointer*, uint32_t, uint32_t) {}
static void on_axis_discrete(void*, wl_pointer*, uint32_t, int32_t) {}
static void on_axis_value120(void*, wl_pointer*, uint32_t, int32_t) {}

static const wl_pointer_listener pointer_listener = {
    on_pointer_enter, on_pointer_leave, on_motion,    on_button,        on_axis,
    on_pointer_frame, on_axis_source,   on_axis_stop, on_axis_discrete, on_axis_value120};

// --- touch --------------------------------------------------------------------

static void on_touch_down(void*, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t,
                          wl_fixed_t) {
  if (rule == end_on_any_input) end_asked = true;
}
static void on_touch_up(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
static void on_touch_motion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
static void on_touch_frame(void*, wl_touch*) {}
static void on_touch_cancel(void*, wl_touch*) {}
static void on_touch_shape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
static void on_touch_orientation(void*, wl_touch*, int32_t, wl_fixed_t) {}

static const wl_touch_listener touch_listener = {on_touch_down,       on_touch_up,     on_touch_motion,
                                                 on_touch_frame,      on_touch_cancel, on_touch_shape,
                                                 on_touch_orientation};

// --- the seat -----------------------------------------------------------------

// Releases a device: with its release request where the seat's version has
// it, so that the compositor forgets it too.
static void release_keyboard() {
  if (!keyboard) return;
  if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
    wl_keyboard_release(keyboard);
  else
    wl_keyboard_destroy(keyboard);
  keyboard = nullptr;
  forget_keymap();
}

static void release_pointer() {
  if (!pointer) return;
  if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
    wl_pointer_release(pointer);
  else
    wl_pointer_destroy(pointer);
  pointer = nullptr;
  pointer_surface = nullptr;
}

static void release_touch() {
  if (!touch) return;
  if (wl_touch_get_version(touch) >= WL_TOUCH_RELEASE_SINCE_VERSION)
    wl_touch_release(touch);
  else
    wl_touch_destroy(touch);
  touch = nullptr;
}

static void on_capabilities(void*, wl_seat* s, uint32_t capabilities) {
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !keyboard) {
    keyboard = wl_seat_get_keyboard(s);
    wl_keyboard_add_listener(keyboard, &keyboard_listener, nullptr);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
    release_keyboard();
  }
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !pointer) {
    pointer = wl_seat_get_pointer(s);
    wl_pointer_add_listener(pointer, &pointer_listener, nullptr);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_POINTER)) {
    release_pointer();
  }
  if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) && !touch) {
    touch = wl_seat_get_touch(s);
    wl_touch_add_listener(touch, &touch_listener, nullptr);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_TOUCH)) {
    release_touch();
  }
}

static void on_seat_name(void*, wl_seat*, const char*) {}

static const wl_seat_listener seat_listener = {on_capabilities, on_seat_name};

void use_seat(wl_seat* s, uint32_t name) {
  if (seat) {
    wl_seat_destroy(s);
    return;
  }
  seat = s;
  seat_name = name;
  wl_seat_add_listener(seat, &seat_listener, nullptr);
}

void seat_removed(uint32_t name) {
  if (seat && name == seat_name) release_seat();
}

void release_seat() {
  release_keyboard();
  release_pointer();
  release_touch();
  if (seat) {
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
      wl_seat_release(seat);
    else
      wl_seat_destroy(seat);
  }
  seat = nullptr;
  if (keys_context) xkb_context_unref(keys_context);
  keys_context = nullptr;
}

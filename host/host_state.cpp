// The saver host's process-wide variables and their starting values.
#include "host/host_state.h"

HINSTANCE saver_instance = nullptr;
int is_win9x = 0;

int preview_mode = 0;
HWND saver_window = nullptr;
UINT autoplay_message = 0;
POINT reference_point = {0, 0};
unsigned int mouse_threshold = initial_mouse_threshold;

HMODULE verifier_module = nullptr;
verify_password_fn verifier = nullptr;
int close_allowed = 0;
int check_in_progress = 0;
DWORD last_attempt_tick = no_attempt_yet;

// Every variable defined above, in the same order, with the same value.
void reset_host_state() {
  saver_instance = nullptr;
  is_win9x = 0;
  preview_mode = 0;
  saver_window = nullptr;
  autoplay_message = 0;
  reference_point = POINT{0, 0};
  mouse_threshold = initial_mouse_threshold;
  verifier_module = nullptr;
  verifier = nullptr;
  close_allowed = 0;
  check_in_progress = 0;
  last_attempt_tick = no_attempt_yet;
}

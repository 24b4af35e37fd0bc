// The saver host's process-wide variables.
#include "host/host_state.h"

HINSTANCE saver_instance = nullptr;
int is_win9x = 0;

int preview_mode = 0;
HWND saver_window = nullptr;
UINT autoplay_message = 0;
POINT reference_point = {0, 0};
unsigned int mouse_threshold = 4;

HMODULE verifier_module = nullptr;
verify_password_fn verifier = nullptr;
int close_allowed = 0;
int check_in_progress = 0;
DWORD last_attempt_tick = 0xFFFFFFFFu;

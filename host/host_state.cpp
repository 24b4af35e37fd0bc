// The saver host's process-wide variables.
#include "host/host_state.h"
#ifdef KORV_TEST_HOOKS
#include <stdio.h>
#include <stdlib.h>
#endif

HINSTANCE saver_instance = nullptr;
int is_win9x = 0;

int preview_mode = 0;
HWND saver_window = nullptr;
UINT autoplay_message = 0;
HMODULE ime_module = nullptr;
ime_associate_fn ime_associate = nullptr;
HIMC saved_ime_context = nullptr;
POINT reference_point = {0, 0};
unsigned int mouse_threshold = 4;

HMODULE verifier_module = nullptr;
verify_password_fn verifier = nullptr;
int close_allowed = 0;
int check_in_progress = 0;
DWORD last_attempt_tick = 0xFFFFFFFFu;

#ifdef KORV_TEST_HOOKS
void test_log(const char *text) {
  const char *name = getenv("KORVANTHEL_TEST_LOG");
  if (!name || !*name) return;
  FILE *log = fopen(name, "a");
  if (!log) return;
  fputs(text, log);
  fputc('\n', log);
  fclose(log);
}
#endif

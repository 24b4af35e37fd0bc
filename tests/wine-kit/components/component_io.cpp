#include "tests/wine-kit/components/component_io.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

HMODULE component_module;
static char component_dir[MAX_PATH];

// Remembers the folder of the component's file, where its steering file and
// its log are.
static void find_component_dir(HMODULE module) {
  DWORD n = GetModuleFileNameA(module, component_dir, sizeof component_dir);
  if (n == 0 || n >= sizeof component_dir) {
    component_dir[0] = 0;
    return;
  }
  char* slash = strrchr(component_dir, '\\');
  if (slash)
    slash[1] = 0;
  else
    component_dir[0] = 0;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    component_module = module;
    find_component_dir(module);
    log_line("attach tick=%lu", GetTickCount());
  } else if (reason == DLL_PROCESS_DETACH) {
    // A reserved pointer means that the process is ending; null, FreeLibrary.
    log_line("detach how=%s tick=%lu", reserved ? "exit" : "free", GetTickCount());
  }
  return TRUE;
}

static void path_beside(const char* file, char* out, size_t size) {
  snprintf(out, size, "%s%s", component_dir, file);
}

long control_value(const char* key, long fallback) {
  char path[MAX_PATH + 32];
  path_beside("pwtest-control.txt", path, sizeof path);
  FILE* f = fopen(path, "r");
  if (!f) return fallback;
  long value = fallback;
  char line[256];
  size_t key_len = strlen(key);
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, key, key_len) != 0 || line[key_len] != '=') continue;
    char* end = nullptr;
    long v = strtol(line + key_len + 1, &end, 0);
    if (end != line + key_len + 1) value = v;
  }
  fclose(f);
  return value;
}

void log_line(const char* format, ...) {
  char text[1024];
  int used = snprintf(text, sizeof text, "%s ", component_name);
  va_list args;
  va_start(args, format);
  vsnprintf(text + used, sizeof text - used - 2, format, args);
  va_end(args);
  strcat(text, "\n");

  char path[MAX_PATH + 32];
  path_beside("pwtest.log", path, sizeof path);
  // One WriteFile per line on an append-only handle, so that lines from both
  // components and from several processes never interleave.
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, (DWORD)strlen(text), &written, nullptr);
  CloseHandle(file);
}

INT_PTR show_modal_dialog(HWND owner, const char* caption, DLGPROC proc, LPARAM param) {
  alignas(4) WORD tmpl[64] = {};
  DLGTEMPLATE* d = (DLGTEMPLATE*)tmpl;
  d->style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE;
  d->cdit = 0;
  d->x = 10;
  d->y = 10;
  d->cx = 120;
  d->cy = 40;
  WORD* p = (WORD*)(d + 1);
  *p++ = 0;  // no menu
  *p++ = 0;  // the default dialog class
  // The caption, as UTF-16, and its terminating zero (the template is zeroed).
  for (const char* c = caption; *c && p < tmpl + 63; ++c) *p++ = (WORD)*c;
  return DialogBoxIndirectParamA(component_module, d, owner, proc, param);
}

#include "tests/password/component_io.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char component_dir[MAX_PATH];
static const char *component_name = "component";

void component_init(HMODULE module, const char *name) {
  component_name = name;
  DWORD n = GetModuleFileNameA(module, component_dir, sizeof component_dir);
  if (n == 0 || n >= sizeof component_dir) {
    component_dir[0] = 0;
    return;
  }
  char *slash = strrchr(component_dir, '\\');
  if (slash) slash[1] = 0;
  else component_dir[0] = 0;
}

static void path_beside(const char *file, char *out, size_t size) {
  snprintf(out, size, "%s%s", component_dir, file);
}

long control_value(const char *key, long fallback) {
  char path[MAX_PATH + 32];
  path_beside("pwtest-control.txt", path, sizeof path);
  FILE *f = fopen(path, "r");
  if (!f) return fallback;
  long value = fallback;
  char line[256];
  size_t key_len = strlen(key);
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, key, key_len) != 0 || line[key_len] != '=') continue;
    char *end = nullptr;
    long v = strtol(line + key_len + 1, &end, 0);
    if (end != line + key_len + 1) value = v;
  }
  fclose(f);
  return value;
}

void log_line(const char *format, ...) {
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
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, (DWORD)strlen(text), &written, nullptr);
  CloseHandle(file);
}

#include "tests/wine-kit/wine_path.h"

#include <windows.h>
#include <stdio.h>

// Wine's kernel32 exports the conversion that its own winepath tool uses; the
// tests ask it rather than assume how the drives are mapped.
typedef WCHAR*(CDECL* dos_file_name_function)(const char* unix_name);

std::string wine_path(const char* path) {
  if (path[0] != '/') return path;
  dos_file_name_function dos_file_name = (dos_file_name_function)(void*)GetProcAddress(
      GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
  WCHAR* wide = dos_file_name ? dos_file_name(path) : nullptr;
  if (!wide) {
    fprintf(stderr, "wine_path: Wine gives no Windows path for %s\n", path);
    return std::string();
  }
  char narrow[MAX_PATH * 4];
  int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  if (length <= 0) {
    fprintf(stderr, "wine_path: the Windows path of %s does not fit\n", path);
    return std::string();
  }
  return narrow;
}

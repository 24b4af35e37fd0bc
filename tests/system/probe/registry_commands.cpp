// Registry and resource queries.
#include "probe.h"
#include <stdio.h>
#include <string.h>

// regget ROOT\PATH VALUE: ROOT is HKCU or HKLM; prints REG_SZ text or a DWORD
// in decimal; exit 1 when the key or value is missing.
static int regget_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HKEY root;
  const char* path = argv[1];
  if (strncmp(path, "HKCU\\", 5) == 0) {
    root = HKEY_CURRENT_USER;
  } else if (strncmp(path, "HKLM\\", 5) == 0) {
    root = HKEY_LOCAL_MACHINE;
  } else {
    return probe_usage_error(argv[0]);
  }
  HKEY key;
  if (RegOpenKeyExA(root, path + 5, 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
  BYTE data[1024];
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  LONG status = RegQueryValueExA(key, argv[2], nullptr, &type, data, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return 1;
  if (type == REG_DWORD && size == 4) {
    DWORD value;
    memcpy(&value, data, 4);
    printf("%lu\n", (unsigned long)value);
  } else {
    data[size] = 0;
    printf("%s\n", (const char*)data);
  }
  return 0;
}

// hasres FILE TYPE ID: exit 0 when the module FILE carries resource ID of
// numeric TYPE (5 is a dialog template), 1 when not.
static int hasres_cmd(int argc, char** argv) {
  if (argc != 4) return probe_usage_error(argv[0]);
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    fprintf(stderr, "hasres: cannot load %s (%lu)\n", argv[1], GetLastError());
    return 2;
  }
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(probe_parse_number(argv[3])),
                              MAKEINTRESOURCEA(probe_parse_number(argv[2])));
  FreeLibrary(module);
  return found ? 0 : 1;
}

static const ProbeCommand registry_commands[] = {
    {"regget", "HKCU\\PATH VALUE   (prints the value; exit 1 when missing)", regget_cmd},
    {"hasres", "FILE TYPE ID   (exit 0 when the module has the resource)", hasres_cmd},
};
PROBE_COMMANDS(registry_commands);

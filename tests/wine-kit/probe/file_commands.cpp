// Files: the Windows path of a Unix path, and the resources a module carries.
#include "probe.h"
#include "tests/wine-kit/wine_path.h"
#include <stdio.h>
#include <string>

// wine-path PATH: prints the Windows path under which Wine shows PATH.
static int wine_path_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  std::string path = wine_path(argv[1]);
  if (path.empty()) return 1;
  printf("%s\n", path.c_str());
  return 0;
}

// has-resource FILE TYPE ID: exit 0 when the module FILE carries resource ID
// of numeric TYPE (5 is a dialog template), 1 when not.
static int has_resource_cmd(int argc, char** argv) {
  if (argc != 4) return probe_usage_error(argv[0]);
  std::string file = wine_path(argv[1]);
  HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    fprintf(stderr, "has-resource: cannot load %s (%lu)\n", file.c_str(), GetLastError());
    return 2;
  }
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(probe_parse_number(argv[3])),
                              MAKEINTRESOURCEA(probe_parse_number(argv[2])));
  FreeLibrary(module);
  return found ? 0 : 1;
}

static const ProbeCommand file_commands[] = {
    {"wine-path", "PATH   (prints the Windows path of a Unix path)", wine_path_cmd},
    {"has-resource", "FILE TYPE ID   (exit 0 when the module has the resource)", has_resource_cmd},
};
PROBE_COMMANDS(file_commands);

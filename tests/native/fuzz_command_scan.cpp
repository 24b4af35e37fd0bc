// Fuzz target: any byte string as a whole command line.  The scan must stay
// inside the string and keep its own promises about where tail and argument lie.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "host/command_scan.h"

static void require(bool condition) {
  if (!condition) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized copy, so that any read past the NUL is caught.
  char* line = (char*)malloc(size + 1);
  memcpy(line, data, size);
  line[size] = '\0';
  const char* end = line + strlen(line);

  const char* tail = command_tail(line, next_byte);
  require(tail >= line && tail <= end);
  require(*tail == '\0' || (unsigned char)*tail > ' ');

  command_scan_result result = scan_command(tail);
  switch (result.command) {
  case command_configure:
  case command_fullscreen:
  case command_install_copy:
  case command_unknown:
    require(result.argument == nullptr);
    break;
  case command_preview:
  case command_change_password:
    require(result.argument != nullptr && result.argument > tail && result.argument <= end);
    require(*result.argument != ' ');
    break;
  case command_configure_parent:
    if (result.argument)
      require(result.argument > tail && result.argument <= end && result.argument[-1] == ':');
    break;
  default:
    require(false);
  }
  if (result.argument) (void)parse_decimal(result.argument);

  // The scan of the whole input as a tail, too (blanks and control bytes first).
  result = scan_command(line);
  if (result.argument) require(result.argument >= line && result.argument <= end);
  free(line);
  return 0;
}

// Fatal error reporter for the native build: the message goes to standard
// error, then the process exits with code 1.
#include "toolkit/report_error.h"

#include <cstdio>
#include <cstdlib>

void report_error(const char* message) {
  std::fputs(message, stderr);
  std::fflush(stderr);
  std::exit(1);
}

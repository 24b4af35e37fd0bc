// The modelling toolkit's fatal error reporter: shows the message and ends the
// process with exit code 1 through the orderly exit. Never returns.
#pragma once

[[noreturn]] void report_error(const char* message);

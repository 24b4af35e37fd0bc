// Defaults of the sanitizer runtime in the sanitizer tree's programs (compiled
// into each of them there, nowhere else). Mesa's offscreen renderer keeps
// allocations of its own until the process ends (the context that each
// program uses for its whole run among them); those are Mesa's, not ours, and
// are left out of the leak report. Everything else is reported and fails.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\nleak:libLLVM\n";
}
// Quiet about what was left out: death tests compare the whole of stderr.
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
extern "C" const char* __ubsan_default_options() {
  return "print_stacktrace=1";
}

// The Linux edition of Korvanthel: a native X11 and GLX screen saver for the
// xscreensaver daemon, its settings dialog's preview and a window of its own.
#include <csignal>
#include <cstdio>

#include "x11/frame_loop.h"
#include "x11/options.h"

int main(int argc, char** argv) {
  // First, before Xlib or Mesa start threads that could take the signals.
  if (!block_stop_signals()) {
    std::perror("korvanthel: signals");
    return 1;
  }
  // A write to a closed X connection then reaches Xlib's I/O error handler
  // (one line, exit code 1) instead of killing the process by SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  saver_options options;
  char error[256], usage[usage_size];
  format_usage(usage, sizeof usage);
  if (!parse_options(argc, argv, &options, error, sizeof error)) {
    std::fprintf(stderr, "korvanthel: %s\n%s\n", error, usage);
    return 1;
  }
  if (options.help) {
    std::printf("%s\n", usage);
    return 0;
  }
  return run_x11_saver(&options);
}

// The Linux edition of Korvanthel: one program with two roads, a native X11
// and GLX screen saver for the xscreensaver daemon, its settings dialog's
// preview and a window of its own, and a Wayland and EGL one for the saver
// that an idle daemon starts (an overlay on every output) and a window of
// its own. The options say which road it takes (choose_road).
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "linux/options.h"
#include "linux/stop_signals.h"
#include "wayland/frame_loop.h"
#include "x11/frame_loop.h"

int main(int argc, char** argv) {
  // First, before Xlib, libwayland or Mesa start threads that could take
  // the signals.
  if (!block_stop_signals()) {
    std::perror("korvanthel: signals");
    return 1;
  }
  // A write to a closed X or Wayland connection then comes back as an error
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
    std::printf("%s\n%s\n", usage, road_help);
    return 0;
  }
  if (choose_road(&options, std::getenv("WAYLAND_DISPLAY")) == road_wayland)
    return run_wayland_saver(&options);
  return run_x11_saver(&options);
}

/* Start-up benchmark helper (native, Xlib): starts a command and reports how
 * many milliseconds pass until its first coloured pixel is on the X screen.
 *
 *   first_pixel TIMEOUT_SECONDS COMMAND ARGS...
 *
 * "Coloured" means a pixel whose channels differ by more than 40 (the
 * screen is black before the program starts; a window's black background
 * erase does not count, a rendered frame or a coloured brush does). Every
 * 4th pixel of every 4th row of the whole screen is examined, as often as
 * XGetImage allows. Prints "first_pixel_ms N" (or "first_pixel_ms timeout"),
 * then waits for the command to end and exits with its status. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static int coloured(XImage* image) {
  for (int y = 0; y < image->height; y += 4)
    for (int x = 0; x < image->width; x += 4) {
      unsigned long p = XGetPixel(image, x, y);
      int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      int hi = r > g ? (r > b ? r : b) : (g > b ? g : b);
      int lo = r < g ? (r < b ? r : b) : (g < b ? g : b);
      if (hi - lo > 40) return 1;
    }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: first_pixel TIMEOUT_SECONDS COMMAND ARGS...\n");
    return 2;
  }
  double timeout = atof(argv[1]) * 1000.0;
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "first_pixel: cannot open the display\n");
    return 2;
  }
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);

  double start = now_ms();
  pid_t child = fork();
  if (child == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  double found = -1;
  while (now_ms() - start < timeout) {
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image) {
      int hit = coloured(image);
      XDestroyImage(image);
      if (hit) {
        found = now_ms() - start;
        break;
      }
    }
    int status;
    if (waitpid(child, &status, WNOHANG) == child) {
      fprintf(stderr, "first_pixel: the command ended before showing anything\n");
      return 1;
    }
  }
  if (found < 0)
    printf("first_pixel_ms timeout\n");
  else
    printf("first_pixel_ms %.0f\n", found);
  fflush(stdout);
  XCloseDisplay(display);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// A small X client for the Linux edition's system tests: makes and destroys
// windows the way the settings dialog's preview does, sends the window
// manager's close, counts the scene's colours in a window, and runs a
// program to report how it ended.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/kit/scene_colours.h"

static Display* display;

static int usage() {
  std::fprintf(stderr,
               "usage: x11_tool create W H [gl|nodepth|default] | destroy ID | delete ID | resize ID W H\n"
               "       | colours ID [X Y W H] | size ID | find NAME | run OUT PROGRAM ARGS...\n");
  return 2;
}

static Window parse_id(const char* text) {
  return (Window)std::strtoul(text, nullptr, 0);
}

// A visual by its GLX description: "gl" double-buffered RGBA with depth,
// "nodepth" RGBA without a depth buffer, "default" the screen's own.
static bool pick_visual(const char* kind, Visual** visual, int* depth) {
  int screen = DefaultScreen(display);
  if (!std::strcmp(kind, "default")) {
    *visual = DefaultVisual(display, screen);
    *depth = DefaultDepth(display, screen);
    return true;
  }
  bool want_depth = !std::strcmp(kind, "gl");
  XVisualInfo pattern = {};
  pattern.screen = screen;
  int count = 0;
  XVisualInfo* all = XGetVisualInfo(display, VisualScreenMask, &pattern, &count);
  for (int i = 0; i < count; i++) {
    int use_gl = 0, rgba = 0, depth_bits = 0;
    if (glXGetConfig(display, &all[i], GLX_USE_GL, &use_gl) != 0 || !use_gl) continue;
    glXGetConfig(display, &all[i], GLX_RGBA, &rgba);
    glXGetConfig(display, &all[i], GLX_DEPTH_SIZE, &depth_bits);
    if (rgba && (want_depth ? depth_bits > 0 : depth_bits == 0)) {
      *visual = all[i].visual;
      *depth = all[i].depth;
      return true;  // the list stays allocated: the visual points into it
    }
  }
  return false;
}

// Creates and maps a top-level window that stays after this client ends
// (RetainPermanent), and prints its id in hexadecimal.
static int create(int width, int height, const char* kind) {
  Visual* visual;
  int depth;
  if (!pick_visual(kind, &visual, &depth)) {
    std::fprintf(stderr, "x11_tool: no %s visual\n", kind);
    return 1;
  }
  Window root = DefaultRootWindow(display);
  XSetWindowAttributes set = {};
  set.colormap = XCreateColormap(display, root, visual, AllocNone);
  set.background_pixel = 0;
  set.border_pixel = 0;
  Window w = XCreateWindow(display, root, 0, 0, (unsigned)width, (unsigned)height, 0, depth, InputOutput,
                           visual, CWColormap | CWBackPixel | CWBorderPixel, &set);
  XStoreName(display, w, "x11_tool window");
  XMapWindow(display, w);
  XSetCloseDownMode(display, RetainPermanent);
  XSync(display, False);
  std::printf("0x%lx\n", w);
  return 0;
}

static int send_delete(Window w) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, w, False, NoEventMask, &e);
  XSync(display, False);
  return 0;
}

// Counts the pixels of the scene's colour classes (tests/kit/scene_colours.h)
// in a rectangle of the window: the surface's blue front and green back, the
// red cone, the white marker, the black background and everything else.
static int colours(Window w, int x, int y, int width, int height) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, w, &a)) return 1;
  if (a.map_state != IsViewable) {
    std::fprintf(stderr, "x11_tool: window 0x%lx is not viewable yet\n", w);
    return 3;
  }
  if (width <= 0) width = a.width;
  if (height <= 0) height = a.height;
  XImage* image = XGetImage(display, w, x, y, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
  if (!image) {
    std::fprintf(stderr, "x11_tool: cannot read window 0x%lx\n", w);
    return 1;
  }
  scene_colour_counts counts = {};
  for (int j = 0; j < height; j++)
    for (int i = 0; i < width; i++) {
      unsigned long p = XGetPixel(image, i, j);
      int r = (int)((p & image->red_mask) >> 16), g = (int)((p & image->green_mask) >> 8),
          b = (int)(p & image->blue_mask);
      counts.of[classify_scene_colour(r, g, b)]++;
    }
  XDestroyImage(image);
  for (int c = 0; c < colour_classes; c++)
    std::printf("%s%s %ld", c ? " " : "", scene_colour_name(c), counts.of[c]);
  std::printf("\n");
  return 0;
}

static Window find(Window w, const char* name) {
  char* text = nullptr;
  if (XFetchName(display, w, &text) && text) {
    bool same = !std::strcmp(text, name);
    XFree(text);
    if (same) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(display, w, &root, &parent, &children, &n)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < n && !found; i++) found = find(children[i], name);
  if (children) XFree(children);
  return found;
}

// Starts PROGRAM, prints its pid, waits and writes "exit N" or "signal N"
// (with " core" when it dumped core) to OUT.
static int run(const char* out, char** argv) {
  pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    execvp(argv[0], argv);
    std::perror(argv[0]);
    _exit(127);
  }
  std::printf("%d\n", (int)pid);
  std::fflush(stdout);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  FILE* f = std::fopen(out, "w");
  if (!f) return 1;
  if (WIFSIGNALED(status))
    std::fprintf(f, "signal %d%s\n", WTERMSIG(status), WCOREDUMP(status) ? " core" : "");
  else
    std::fprintf(f, "exit %d\n", WEXITSTATUS(status));
  std::fclose(f);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const char* command = argv[1];
  if (!std::strcmp(command, "run")) {
    if (argc < 4) return usage();
    return run(argv[2], argv + 3);
  }
  display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11_tool: cannot open the display\n");
    return 1;
  }
  int code = 0;
  if (!std::strcmp(command, "create") && argc >= 4)
    code = create(std::atoi(argv[2]), std::atoi(argv[3]), argc >= 5 ? argv[4] : "gl");
  else if (!std::strcmp(command, "destroy") && argc == 3) {
    XDestroyWindow(display, parse_id(argv[2]));
    XSync(display, False);
  } else if (!std::strcmp(command, "delete") && argc == 3)
    code = send_delete(parse_id(argv[2]));
  else if (!std::strcmp(command, "resize") && argc == 5) {
    XResizeWindow(display, parse_id(argv[2]), (unsigned)std::atoi(argv[3]), (unsigned)std::atoi(argv[4]));
    XSync(display, False);
  } else if (!std::strcmp(command, "colours") && (argc == 3 || argc == 7))
    code = argc == 7 ? colours(parse_id(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                               std::atoi(argv[6]))
                     : colours(parse_id(argv[2]), 0, 0, 0, 0);
  else if (!std::strcmp(command, "size") && argc == 3) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, parse_id(argv[2]), &a)) return 1;
    std::printf("%d %d\n", a.width, a.height);
  } else if (!std::strcmp(command, "find") && argc == 3) {
    Window w = find(DefaultRootWindow(display), argv[2]);
    if (!w)
      code = 1;
    else
      std::printf("0x%lx\n", w);
  } else
    code = usage();
  XCloseDisplay(display);
  return code;
}

// Finding or creating the saver's window and its GLX context, and the X
// events and errors that concern it.
#include "x11/glx_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

Display* display;
Window target_window;
bool own_window;
GLXContext context;
bool double_buffered;
int window_width;
int window_height;
bool size_changed;
bool window_gone;
bool quit_requested;
bool unexpected_x_error;

static Atom wm_protocols;
static Atom wm_delete_window;
static Colormap own_colormap;
static bool probing;           // errors are expected while probing a window id
static bool probe_failed;      // an error arrived during the probe
static char first_error[200];  // the first unexpected error, told if the window still exists

// Xlib reports asynchronous errors here. Errors for the saver's own window
// after its end (the preview closed under it) are the normal end of a
// preview; errors during a probe are its answer; anything else is noted and
// ends the frame loop.
static int on_x_error(Display* d, XErrorEvent* e) {
  if (probing) {
    probe_failed = true;
    return 0;
  }
  if (window_gone) return 0;
  if (e->resourceid == target_window && (e->error_code == BadWindow || e->error_code == BadDrawable)) {
    window_gone = true;
    return 0;
  }
  // Whether the window still exists is checked after the frame (errors of
  // GLX drawables name ids of their own); only then is the error told.
  if (!unexpected_x_error) {
    char text[120];
    XGetErrorText(d, e->error_code, text, sizeof text);
    std::snprintf(first_error, sizeof first_error, "X error: %s (request %d.%d, resource 0x%lx)", text,
                  e->request_code, e->minor_code, e->resourceid);
  }
  unexpected_x_error = true;
  return 0;
}

// The connection is gone: nothing can be released any more.
static int on_x_io_error(Display*) {
  std::fprintf(stderr, "korvanthel: lost the connection to the X server\n");
  std::fflush(stderr);
  _exit(1);
  return 0;
}

// Looks up the GLX description of the visual of `attributes`. Returns null
// after one line on stderr when the visual cannot carry the scene.
static XVisualInfo* visual_for_window(const XWindowAttributes* attributes) {
  XVisualInfo pattern = {};
  pattern.visualid = XVisualIDFromVisual(attributes->visual);
  pattern.screen = XScreenNumberOfScreen(attributes->screen);
  int count = 0;
  XVisualInfo* info = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &pattern, &count);
  if (!info || count < 1) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx is unknown\n", target_window,
                 pattern.visualid);
    return nullptr;
  }
  int use_gl = 0, rgba = 0, depth = 0, doublebuffer = 0;
  if (glXGetConfig(display, info, GLX_USE_GL, &use_gl) != 0 || !use_gl) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx has no OpenGL\n", target_window,
                 pattern.visualid);
    XFree(info);
    return nullptr;
  }
  glXGetConfig(display, info, GLX_RGBA, &rgba);
  glXGetConfig(display, info, GLX_DEPTH_SIZE, &depth);
  glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doublebuffer);
  if (!rgba) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx has no RGBA OpenGL\n", target_window,
                 pattern.visualid);
    XFree(info);
    return nullptr;
  }
  if (depth <= 0) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx has no depth buffer\n", target_window,
                 pattern.visualid);
    XFree(info);
    return nullptr;
  }
  double_buffered = doublebuffer != 0;
  return info;
}

// An RGBA, double-buffered visual with a depth buffer for the own window.
static XVisualInfo* choose_own_visual() {
  int deep[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                1,        GLX_DEPTH_SIZE,   24,           None};
  int any_depth[] = {
      GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 1,
      None};
  int screen = DefaultScreen(display);
  XVisualInfo* info = glXChooseVisual(display, screen, deep);
  if (!info) info = glXChooseVisual(display, screen, any_depth);
  if (!info) std::fprintf(stderr, "korvanthel: no double-buffered RGBA visual with a depth buffer\n");
  double_buffered = true;
  return info;
}

static bool create_own_window(const saver_options* options, XVisualInfo* info) {
  Window root = RootWindow(display, info->screen);
  own_colormap = XCreateColormap(display, root, info->visual, AllocNone);
  XSetWindowAttributes set = {};
  set.colormap = own_colormap;
  set.background_pixel = BlackPixel(display, info->screen);
  set.border_pixel = 0;
  set.event_mask = StructureNotifyMask | KeyPressMask | ExposureMask;
  target_window =
      XCreateWindow(display, root, 0, 0, (unsigned)options->width, (unsigned)options->height, 0, info->depth,
                    InputOutput, info->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  own_window = true;
  window_width = options->width;
  window_height = options->height;

  XStoreName(display, target_window, "Korvanthel");
  Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, target_window, net_wm_name, utf8, 8, PropModeReplace,
                  (const unsigned char*)"Korvanthel", 10);
  XClassHint class_hint;
  char res_name[] = "korvanthel", res_class[] = "Korvanthel";
  class_hint.res_name = res_name;
  class_hint.res_class = res_class;
  XSetClassHint(display, target_window, &class_hint);
  XSizeHints* size = XAllocSizeHints();
  if (size) {
    size->flags = PSize | PMinSize;
    size->width = options->width;
    size->height = options->height;
    size->min_width = 1;
    size->min_height = 1;
    XSetWMNormalHints(display, target_window, size);
    XFree(size);
  }
  wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, target_window, &wm_delete_window, 1);
  XMapWindow(display, target_window);
  return true;
}

// Reads the attributes of a window the program did not create; false when
// the id names no window.
static bool probe_window(Window w, XWindowAttributes* attributes) {
  XSync(display, False);
  probing = true;
  probe_failed = false;
  Status ok = XGetWindowAttributes(display, w, attributes);
  XSync(display, False);
  probing = false;
  return ok && !probe_failed;
}

bool open_target(const saver_options* options) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    std::fprintf(stderr, "korvanthel: no display: DISPLAY is not set\n");
    return false;
  }
  display = XOpenDisplay(name);
  if (!display) {
    std::fprintf(stderr, "korvanthel: cannot open display '%s'\n", name);
    return false;
  }
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  int error_base, event_base;
  if (!glXQueryExtension(display, &error_base, &event_base)) {
    std::fprintf(stderr, "korvanthel: display '%s' has no GLX extension\n", name);
    close_target();
    return false;
  }

  XVisualInfo* info = nullptr;
  if (options->target == target_own_window) {
    info = choose_own_visual();
    if (!info || !create_own_window(options, info)) {
      if (info) XFree(info);
      close_target();
      return false;
    }
  } else {
    unsigned long id = options->window_id;
    if (options->target == target_root) {
      char error[200];
      if (!root_target_window(std::getenv("XSCREENSAVER_WINDOW"), &id, error, sizeof error)) {
        std::fprintf(stderr, "korvanthel: %s\n", error);
        close_target();
        return false;
      }
      if (id == 0) id = DefaultRootWindow(display);
    }
    target_window = (Window)id;
    XWindowAttributes attributes;
    if (!probe_window(target_window, &attributes)) {
      std::fprintf(stderr, "korvanthel: 0x%lx names no window on display '%s'\n", id, name);
      target_window = 0;
      close_target();
      return false;
    }
    window_width = attributes.width;
    window_height = attributes.height;
    info = visual_for_window(&attributes);
    if (!info) {
      target_window = 0;
      close_target();
      return false;
    }
    // Only structure events: the window's owner keeps its input. Other
    // clients may select the same mask on the same window (the root window
    // included), so this cannot fail for want of access.
    XSelectInput(display, target_window, StructureNotifyMask);
  }

  context = glXCreateContext(display, info, nullptr, True);
  XFree(info);
  if (!context) {
    std::fprintf(stderr, "korvanthel: cannot create an OpenGL context for window 0x%lx\n", target_window);
    close_target();
    return false;
  }
  bool current = glXMakeCurrent(display, target_window, context);
  XSync(display, False);
  // A window that existed when probed and is gone now was closed under the
  // program (a preview closed at once): that is its normal end.
  if (!window_gone && (!current || unexpected_x_error) && !target_exists()) window_gone = true;
  if (window_gone) {
    close_target();
    return false;
  }
  if (!current) {
    std::fprintf(stderr, "korvanthel: cannot make the OpenGL context current on window 0x%lx\n",
                 target_window);
    close_target();
    return false;
  }
  return true;
}

static void handle_key(XKeyEvent* key) {
  char text[8];
  KeySym sym = NoSymbol;
  XLookupString(key, text, sizeof text, &sym, nullptr);
  if (sym == XK_q || sym == XK_Q || sym == XK_Escape) quit_requested = true;
}

void handle_pending_events() {
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
    case ConfigureNotify:
      if (event.xconfigure.window == target_window &&
          (event.xconfigure.width != window_width || event.xconfigure.height != window_height)) {
        window_width = event.xconfigure.width;
        window_height = event.xconfigure.height;
        size_changed = true;
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == target_window) window_gone = true;
      break;
    case KeyPress:
      if (own_window) handle_key(&event.xkey);
      break;
    case ClientMessage:
      if (own_window && event.xclient.message_type == wm_protocols && event.xclient.format == 32 &&
          (Atom)event.xclient.data.l[0] == wm_delete_window)
        quit_requested = true;
      break;
    default:
      break;
    }
  }
}

void report_x_error() {
  if (unexpected_x_error) std::fprintf(stderr, "korvanthel: %s\n", first_error);
}

bool target_exists() {
  XWindowAttributes attributes;
  return probe_window(target_window, &attributes);
}

void close_target() {
  if (!display) return;
  if (context) {
    // Once the window is gone, releasing the context may make the server
    // complain about its drawable; those errors are the window's end.
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    context = nullptr;
  }
  if (own_window && !window_gone) XDestroyWindow(display, target_window);
  if (own_colormap) XFreeColormap(display, own_colormap);
  own_colormap = 0;
  XSync(display, False);
  XCloseDisplay(display);
  display = nullptr;
}

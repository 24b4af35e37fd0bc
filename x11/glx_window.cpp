// Finding or creating the saver's window and its GLX context, and the X
// events and errors that concern it. This file alone writes the host's X
// state: the connection and window (`target`) and how the run on the window
// stands.
#include "x11/glx_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

static x_target state;
const x_target& target = state;

// How the run on the window stands: set by the event and error handlers,
// taken by the frame loop through the functions of glx_window.h.
static bool size_changed;      // a ConfigureNotify brought a new size, not yet taken
static bool gone;              // the window has gone under the program
static bool quit_asked;        // q, Q, Escape or WM_DELETE_WINDOW on its own window
static bool error_seen;        // an X error that did not name the window
static char first_error[200];  // the first of them, told if the window's end does not explain it

static Atom wm_protocols;
static Atom wm_delete_window;
static Colormap own_colormap;
static bool probing;       // errors are expected while probing a window id
static bool probe_failed;  // an error arrived during the probe

// Xlib reports asynchronous errors here. Errors during a probe are its
// answer; an error saying that the window (or its drawable) no longer
// exists is the window's end; anything else is noted and ends the frame
// loop, and whether the window's end explains it is decided afterwards
// (explained_by_window_end).
static int on_x_error(Display* d, XErrorEvent* e) {
  if (probing) {
    probe_failed = true;
    return 0;
  }
  if (e->resourceid == state.window && (e->error_code == BadWindow || e->error_code == BadDrawable)) {
    gone = true;
    return 0;
  }
  if (!error_seen) {
    char text[120];
    XGetErrorText(d, e->error_code, text, sizeof text);
    std::snprintf(first_error, sizeof first_error, "X error: %s (request %d.%d, resource 0x%lx)", text,
                  e->request_code, e->minor_code, e->resourceid);
  }
  error_seen = true;
  return 0;
}

// The connection is gone: nothing can be released any more.
static int on_x_io_error(Display*) {
  std::fprintf(stderr, "korvanthel: lost the connection to display '%s'\n",
               state.display_name ? state.display_name : "");
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
  XVisualInfo* info = XGetVisualInfo(state.display, VisualIDMask | VisualScreenMask, &pattern, &count);
  if (!info || count < 1) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx is unknown\n", state.window,
                 pattern.visualid);
    return nullptr;
  }
  int use_gl = 0, rgba = 0, depth = 0, doublebuffer = 0;
  const char* lacks = nullptr;
  if (glXGetConfig(state.display, info, GLX_USE_GL, &use_gl) != 0 || !use_gl) {
    lacks = "OpenGL";
  } else {
    glXGetConfig(state.display, info, GLX_RGBA, &rgba);
    glXGetConfig(state.display, info, GLX_DEPTH_SIZE, &depth);
    glXGetConfig(state.display, info, GLX_DOUBLEBUFFER, &doublebuffer);
    if (!rgba)
      lacks = "RGBA OpenGL";
    else if (depth <= 0)
      lacks = "depth buffer";
  }
  if (lacks) {
    std::fprintf(stderr, "korvanthel: window 0x%lx: its visual 0x%lx has no %s\n", state.window,
                 pattern.visualid, lacks);
    XFree(info);
    return nullptr;
  }
  state.double_buffered = doublebuffer != 0;
  return info;
}

// An RGBA, double-buffered visual with a depth buffer for the own window.
static XVisualInfo* choose_own_visual() {
  int deep[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                1,        GLX_DEPTH_SIZE,   24,           None};
  int any_depth[] = {
      GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 1,
      None};
  int screen = DefaultScreen(state.display);
  XVisualInfo* info = glXChooseVisual(state.display, screen, deep);
  if (!info) info = glXChooseVisual(state.display, screen, any_depth);
  if (!info) std::fprintf(stderr, "korvanthel: no double-buffered RGBA visual with a depth buffer\n");
  state.double_buffered = true;
  return info;
}

// Creates and maps the program's own window, titled "Korvanthel", with the
// window manager's close offered.
static void create_own_window(const saver_options* options, const XVisualInfo* info) {
  Display* display = state.display;
  Window root = RootWindow(display, info->screen);
  own_colormap = XCreateColormap(display, root, info->visual, AllocNone);
  XSetWindowAttributes set = {};
  set.colormap = own_colormap;
  set.background_pixel = BlackPixel(display, info->screen);
  set.border_pixel = 0;
  set.event_mask = StructureNotifyMask | KeyPressMask | ExposureMask;
  Window w =
      XCreateWindow(display, root, 0, 0, (unsigned)options->width, (unsigned)options->height, 0, info->depth,
                    InputOutput, info->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  state.window = w;
  state.own_window = true;
  state.width = options->width;
  state.height = options->height;

  XStoreName(display, w, "Korvanthel");
  Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, w, net_wm_name, utf8, 8, PropModeReplace, (const unsigned char*)"Korvanthel", 10);
  XClassHint class_hint;
  char res_name[] = "korvanthel", res_class[] = "Korvanthel";
  class_hint.res_name = res_name;
  class_hint.res_class = res_class;
  XSetClassHint(display, w, &class_hint);
  XSizeHints* size = XAllocSizeHints();
  if (size) {
    size->flags = PSize | PMinSize;
    size->width = options->width;
    size->height = options->height;
    size->min_width = 1;
    size->min_height = 1;
    XSetWMNormalHints(display, w, size);
    XFree(size);
  }
  wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, w, &wm_delete_window, 1);
  XMapWindow(display, w);
}

// Reads the attributes of a window the program did not create; false when
// the id names no window.
static bool probe_window(Window w, XWindowAttributes* attributes) {
  XSync(state.display, False);
  probing = true;
  probe_failed = false;
  Status ok = XGetWindowAttributes(state.display, w, attributes);
  XSync(state.display, False);
  probing = false;
  return ok && !probe_failed;
}

// The one rule for trouble on the window whose cause is not plain: an X
// error that did not name the window (those of its GLX drawable name an id
// of their own), or a call on it that failed (`trouble`). When the window
// no longer exists, its end explains all of it (a preview closed under the
// program), and the run ends normally. Finding that out takes a round trip,
// made only when there is trouble. Returns true when the window is gone.
static bool explained_by_window_end(bool trouble) {
  XWindowAttributes attributes;
  if (!gone && (trouble || error_seen) && !probe_window(state.window, &attributes)) gone = true;
  return gone;
}

// The first step: the display that -display names, or $DISPLAY, with GLX.
static bool open_display(const saver_options* options) {
  const char* name = options->display_name ? options->display_name : std::getenv("DISPLAY");
  if (!name || !*name) {
    std::fprintf(stderr, "korvanthel: no display: DISPLAY is not set\n");
    return false;
  }
  state.display_name = name;
  state.display = XOpenDisplay(name);
  if (!state.display) {
    std::fprintf(stderr, "korvanthel: cannot open display '%s'\n", name);
    return false;
  }
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  int error_base, event_base;
  if (!glXQueryExtension(state.display, &error_base, &event_base)) {
    std::fprintf(stderr, "korvanthel: display '%s' has no GLX extension\n", name);
    return false;
  }
  return true;
}

// The second step for the program's own window: its visual, then the
// window. Returns the visual, or null after one line on stderr.
static XVisualInfo* open_own_window(const saver_options* options) {
  XVisualInfo* info = choose_own_visual();
  if (info) create_own_window(options, info);
  return info;
}

// The second step for a window of another client (-window-id, or -root with
// XSCREENSAVER_WINDOW or the root window): checks that it exists and that
// its visual carries the scene, and follows its size and its end. Returns
// its visual, or null after one line on stderr.
static XVisualInfo* adopt_window(const saver_options* options) {
  unsigned long id = options->window_id;
  if (options->target == target_root) {
    char error[200];
    if (!root_target_window(std::getenv("XSCREENSAVER_WINDOW"), &id, error, sizeof error)) {
      std::fprintf(stderr, "korvanthel: %s\n", error);
      return nullptr;
    }
    if (id == 0) id = DefaultRootWindow(state.display);
  }
  XWindowAttributes attributes;
  if (!probe_window((Window)id, &attributes)) {
    std::fprintf(stderr, "korvanthel: 0x%lx names no window on display '%s'\n", id, state.display_name);
    return nullptr;
  }
  state.window = (Window)id;
  state.width = attributes.width;
  state.height = attributes.height;
  XVisualInfo* info = visual_for_window(&attributes);
  // Only structure events: the window's owner keeps its input. Other
  // clients may select the same mask on the same window (the root window
  // included), so this cannot fail for want of access.
  if (info) XSelectInput(state.display, state.window, StructureNotifyMask);
  return info;
}

// The last step: a GLX context for the visual, current on the window.
// Returns false after one line on stderr, or without a word when the window
// has gone meanwhile.
static bool make_context_current(XVisualInfo* info) {
  state.context = glXCreateContext(state.display, info, nullptr, True);
  if (!state.context) {
    std::fprintf(stderr, "korvanthel: cannot create an OpenGL context for window 0x%lx\n", state.window);
    return false;
  }
  bool current = glXMakeCurrent(state.display, state.window, state.context);
  XSync(state.display, False);
  // A window that existed when probed and is gone now was closed under the
  // program (a preview closed at once): that is its normal end.
  if (explained_by_window_end(!current)) return false;
  if (!current) {
    std::fprintf(stderr, "korvanthel: cannot make the OpenGL context current on window 0x%lx\n",
                 state.window);
    return false;
  }
  return true;
}

bool open_target(const saver_options* options) {
  size_changed = gone = quit_asked = error_seen = false;
  XVisualInfo* info = nullptr;
  bool ok = open_display(options);
  if (ok) {
    info = options->target == target_own_window ? open_own_window(options) : adopt_window(options);
    ok = info && make_context_current(info);
  }
  if (info) XFree(info);
  if (!ok) close_target();
  return ok;
}

static void handle_key(XKeyEvent* key) {
  char text[8];
  KeySym sym = NoSymbol;
  XLookupString(key, text, sizeof text, &sym, nullptr);
  if (sym == XK_q || sym == XK_Q || sym == XK_Escape) quit_asked = true;
}

void handle_pending_events() {
  while (XPending(state.display)) {
    XEvent event;
    XNextEvent(state.display, &event);
    switch (event.type) {
    case ConfigureNotify:
      if (event.xconfigure.window == state.window &&
          (event.xconfigure.width != state.width || event.xconfigure.height != state.height)) {
        state.width = event.xconfigure.width;
        state.height = event.xconfigure.height;
        size_changed = true;
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == state.window) gone = true;
      break;
    case KeyPress:
      if (state.own_window) handle_key(&event.xkey);
      break;
    case ClientMessage:
      if (state.own_window && event.xclient.message_type == wm_protocols && event.xclient.format == 32 &&
          (Atom)event.xclient.data.l[0] == wm_delete_window)
        quit_asked = true;
      break;
    default:
      break;
    }
  }
}

bool take_size_change() {
  bool changed = size_changed;
  size_changed = false;
  return changed;
}

bool target_done() {
  return gone || quit_asked || error_seen;
}

bool target_gone() {
  return gone;
}

int target_exit_code() {
  if (!error_seen || explained_by_window_end(false)) return 0;
  std::fprintf(stderr, "korvanthel: %s\n", first_error);
  return 1;
}

void close_target() {
  if (!state.display) return;
  if (state.context) {
    // Once the window is gone, releasing the context may make the server
    // complain about its drawable; nothing reads those errors any more.
    glXMakeCurrent(state.display, None, nullptr);
    glXDestroyContext(state.display, state.context);
  }
  if (state.own_window && !gone) XDestroyWindow(state.display, state.window);
  if (own_colormap) XFreeColormap(state.display, own_colormap);
  own_colormap = 0;
  XSync(state.display, False);
  XCloseDisplay(state.display);
  state = x_target{};
}

// The frame-rate overlay's text in an X server font: the server draws the two
// lines into a one-bit pixmap, which is read back as the overlay's picture.
#include "x11/fps_overlay.h"

#include <X11/Xutil.h>

#include <cstring>

#include "linux/meter_overlay.h"

const char* const overlay_fonts[] = {"-misc-fixed-bold-r-normal--18-*-*-*-*-*-iso8859-1", "9x15bold", "fixed",
                                     nullptr};
const char* const small_overlay_fonts[] = {"-misc-fixed-medium-r-normal--10-*-*-*-*-*-iso8859-1", "6x10",
                                           "fixed", nullptr};

// The display the overlay was opened on, and its font: both set while the
// overlay is open, null otherwise.
static Display* font_display;
static XFontStruct* font;

static int line_height() {
  return font->ascent + font->descent + 2;
}

// Paints both lines into a one-bit pixmap on the server and reads it back.
static bool paint_in_server_font(const char* line1, const char* line2, text_picture* picture) {
  int n1 = (int)std::strlen(line1), n2 = (int)std::strlen(line2);
  int w1 = XTextWidth(font, line1, n1), w2 = XTextWidth(font, line2, n2);
  int width = w1 > w2 ? w1 : w2, height = font->ascent + line_height() + font->descent;
  picture->width = width;
  picture->height = height;
  if (width <= 0) return false;
  Pixmap pixmap =
      XCreatePixmap(font_display, DefaultRootWindow(font_display), (unsigned)width, (unsigned)height, 1);
  GC gc = XCreateGC(font_display, pixmap, 0, nullptr);
  XSetFont(font_display, gc, font->fid);
  XSetForeground(font_display, gc, 0);
  XFillRectangle(font_display, pixmap, gc, 0, 0, (unsigned)width, (unsigned)height);
  XSetForeground(font_display, gc, 1);
  XDrawString(font_display, pixmap, gc, 0, font->ascent, line1, n1);
  XDrawString(font_display, pixmap, gc, 0, font->ascent + line_height(), line2, n2);
  XImage* image = XGetImage(font_display, pixmap, 0, 0, (unsigned)width, (unsigned)height, 1, XYPixmap);
  if (image) {
    picture->pixels.assign((size_t)width * height, 0);
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++) picture->pixels[(size_t)y * width + x] = XGetPixel(image, x, y) != 0;
    XDestroyImage(image);
  }
  XFreeGC(font_display, gc);
  XFreePixmap(font_display, pixmap);
  return image != nullptr;
}

bool overlay_open(Display* display, const char* const* names) {
  overlay_close();
  for (const char* const* name = names; !font && *name; name++) font = XLoadQueryFont(display, *name);
  if (!font) return false;
  font_display = display;
  meter_overlay_open(paint_in_server_font);
  return true;
}

void overlay_draw(int width, int height, const char* line1, const char* line2) {
  if (font) meter_overlay_draw(width, height, line1, line2);
}

void overlay_close() {
  if (!font) return;
  meter_overlay_close();
  XFreeFont(font_display, font);
  font = nullptr;
  font_display = nullptr;
}

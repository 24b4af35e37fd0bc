// The frame-rate overlay: a bitmap font from the X server, white text on a
// black box in the lower left corner.
#include "x11/fps_overlay.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <cstring>

const char* const overlay_fonts[] = {"-misc-fixed-bold-r-normal--18-*-*-*-*-*-iso8859-1", "9x15bold", "fixed",
                                     nullptr};
const char* const small_overlay_fonts[] = {"-misc-fixed-medium-r-normal--10-*-*-*-*-*-iso8859-1", "6x10",
                                           "fixed", nullptr};

static XFontStruct* font;
// Lists for the visible ASCII characters 33 to 126. The space gets no list:
// Mesa compiles a blank glyph's bitmap into a list that neither advances the
// raster position nor leaves the error flag clear (GL_OUT_OF_MEMORY).
static GLuint glyph_base;  // list of character 0
static const int first_glyph = 33;
static const int glyph_count = 94;
static int space_width;

bool overlay_open(Display* display, const char* const* names) {
  for (const char* const* name = names; *name; name++) {
    font = XLoadQueryFont(display, *name);
    if (font) break;
  }
  if (!font) return false;
  GLuint lists = glGenLists(glyph_count);
  if (!lists) {
    XFreeFont(display, font);
    font = nullptr;
    return false;
  }
  glXUseXFont(font->fid, first_glyph, glyph_count, (int)lists);
  glyph_base = lists - first_glyph;
  space_width = font->max_bounds.width;
  if (font->per_char && ' ' >= (int)font->min_char_or_byte2 && ' ' <= (int)font->max_char_or_byte2)
    space_width = font->per_char[' ' - font->min_char_or_byte2].width;
  return true;
}

// Printable ASCII only: other bytes are drawn as '?'. A space is an advance
// of the raster position by the font's space width.
static void draw_text(int x, int y, const char* text) {
  glRasterPos2i(x, y);
  for (const char* p = text; *p; p++) {
    if (*p == ' ')
      glBitmap(0, 0, 0, 0, (GLfloat)space_width, 0, nullptr);
    else
      glCallList(glyph_base + (GLuint)((*p >= first_glyph && *p < first_glyph + glyph_count) ? *p : '?'));
  }
}

void overlay_draw(int width, int height, const char* line1, const char* line2) {
  if (!font) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIST_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT |
               GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  int line_height = font->ascent + font->descent + 2;
  int x = 8, y2 = 8 + font->descent, y1 = y2 + line_height;
  int w1 = XTextWidth(font, line1, (int)std::strlen(line1));
  int w2 = XTextWidth(font, line2, (int)std::strlen(line2));
  // White text on a black box, so that it reads on every part of the scene.
  // (One box costs far less than outlining every glyph: each bitmap is a
  // separate draw for the software renderer.)
  glColor3f(0.0f, 0.0f, 0.0f);
  glRecti(x - 4, y2 - font->descent - 4, x + (w1 > w2 ? w1 : w2) + 4, y1 + font->ascent + 4);
  glColor3f(1.0f, 1.0f, 1.0f);
  draw_text(x, y1, line1);
  draw_text(x, y2, line2);

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();  // restores the matrix mode, the viewport and the enables
}

void overlay_close(Display* display) {
  if (!font) return;
  glDeleteLists(glyph_base + first_glyph, glyph_count);
  XFreeFont(display, font);
  font = nullptr;
}

// The frame-rate overlay's texture and rectangle.
#include "linux/meter_overlay.h"

#include <GL/gl.h>

#include <cstring>

// The painter while the overlay is open, null otherwise.
static text_painter painter;

// The text last drawn and its picture: a texture of texture_width x
// texture_height texels (powers of two), whose lower left text_width x
// text_height are the text, opaque where the glyphs are.
static const int max_line = 64;
static char shown_line1[max_line], shown_line2[max_line];
static GLuint text_texture;
static bool text_ready;
static int text_width, text_height, texture_width, texture_height;

void meter_overlay_open(text_painter paint) {
  meter_overlay_close();
  painter = paint;
  shown_line1[0] = shown_line2[0] = '\0';
  text_ready = false;
  text_width = text_height = texture_width = texture_height = 0;
  glGenTextures(1, &text_texture);
}

// The line as it is shown: printable ASCII only, other bytes as '?', at
// most max_line - 1 characters.
static void printable(const char* line, char* out) {
  int n = 0;
  for (; line[n] && n < max_line - 1; n++) out[n] = (line[n] >= ' ' && line[n] <= '~') ? line[n] : '?';
  out[n] = '\0';
}

static int power_of_two_at_least(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// Paints both lines and loads their picture into text_texture: white,
// opaque where the glyphs are.
static void render_text(const char* line1, const char* line2) {
  printable(line1, shown_line1);
  printable(line2, shown_line2);
  text_picture picture = {0, 0, {}};
  bool painted = painter(shown_line1, shown_line2, &picture);
  text_width = picture.width;
  text_height = picture.height;
  text_ready = false;
  if (!painted || text_width <= 0 || text_height <= 0) return;
  // Luminance and alpha per texel; rows from the bottom up, as OpenGL
  // counts them.
  texture_width = power_of_two_at_least(text_width);
  texture_height = power_of_two_at_least(text_height);
  std::vector<GLubyte> texels((size_t)texture_width * texture_height * 2, 0);
  for (int y = 0; y < text_height; y++) {
    GLubyte* row = &texels[(size_t)(text_height - 1 - y) * texture_width * 2];
    for (int x = 0; x < text_width; x++)
      if (picture.pixels[(size_t)y * text_width + x]) row[2 * x] = row[2 * x + 1] = 255;
  }
  glPushAttrib(GL_TEXTURE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glBindTexture(GL_TEXTURE_2D, text_texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, texture_width, texture_height, 0, GL_LUMINANCE_ALPHA,
               GL_UNSIGNED_BYTE, texels.data());
  glPopClientAttrib();
  glPopAttrib();
  text_ready = true;
}

static bool text_changed(const char* line1, const char* line2) {
  char shown[max_line];
  printable(line1, shown);
  if (std::strcmp(shown, shown_line1) != 0) return true;
  printable(line2, shown);
  return std::strcmp(shown, shown_line2) != 0;
}

void meter_overlay_draw(int width, int height, const char* line1, const char* line2) {
  if (!painter) return;
  if (text_changed(line1, line2)) render_text(line1, line2);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT | GL_DEPTH_BUFFER_BIT |
               GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
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

  // The second line's baseline 8 pixels plus the descent above the bottom,
  // the first line's one line higher; a black box 4 pixels around both, so
  // that the text reads on every part of the scene.
  int x = 8, bottom = 8;
  glColor3f(0.0f, 0.0f, 0.0f);
  glRecti(x - 4, bottom - 4, x + text_width + 4, bottom + text_height + 4);
  if (text_ready) {
    // Texel for pixel: the rectangle's corners on pixel corners, nearest
    // filtering, only the opaque texels drawn.
    glBindTexture(GL_TEXTURE_2D, text_texture);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    GLfloat s = (GLfloat)text_width / texture_width, t = (GLfloat)text_height / texture_height;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(x, bottom);
    glTexCoord2f(s, 0);
    glVertex2i(x + text_width, bottom);
    glTexCoord2f(s, t);
    glVertex2i(x + text_width, bottom + text_height);
    glTexCoord2f(0, t);
    glVertex2i(x, bottom + text_height);
    glEnd();
  }

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();  // restores the matrix mode, the viewport and the enables
}

void meter_overlay_close() {
  if (!painter) return;
  glDeleteTextures(1, &text_texture);
  text_texture = 0;
  text_ready = false;
  painter = nullptr;
}

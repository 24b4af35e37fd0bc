// The meter's own font, which the Wayland host's -fps overlay paints with:
// the picture's size from the longer line and the cell size, one distinct
// glyph for every character the meter shows and '?' for any other, the
// second line below the first, and cells of any size the same shape.
#include <gtest/gtest.h>

#include <string>

#include "linux/meter_font.h"

namespace {

text_picture paint(const char* line1, const char* line2, int pixel) {
  set_meter_font_pixel_size(pixel);
  text_picture picture = {0, 0, {}};
  EXPECT_TRUE(paint_in_meter_font(line1, line2, &picture));
  EXPECT_EQ(picture.pixels.size(), (size_t)picture.width * picture.height);
  return picture;
}

int lit(const text_picture& p) {
  int n = 0;
  for (unsigned char c : p.pixels) n += c != 0;
  return n;
}

TEST(LinuxMeterFont, PictureSizeFollowsTheLongerLineAndTheCellSize) {
  struct {
    const char *line1, *line2;
    int pixel, width, height;
  } cases[] = {
      {"FPS: 99.8", "Load: 71.2%", 1, 11 * 6 - 1, 17},
      {"FPS: 99.8", "Load: 71.2%", 2, 2 * (11 * 6 - 1), 34},
      {"FPS: 100.0", "Load: ...", 3, 3 * (10 * 6 - 1), 51},
      {"", "", 2, 0, 34},
      {"8", "", 0, 5, 17},  // a cell is at least one pixel
  };
  for (auto c : cases) {
    text_picture p = paint(c.line1, c.line2, c.pixel);
    EXPECT_EQ(p.width, c.width) << c.line1 << " / " << c.line2 << " at " << c.pixel;
    EXPECT_EQ(p.height, c.height) << c.line1 << " / " << c.line2 << " at " << c.pixel;
  }
}

TEST(LinuxMeterFont, EveryCharacterOfTheMeterHasAGlyphOfItsOwn) {
  const std::string shown = "?0123456789.:%FLPSado";
  for (size_t i = 0; i < shown.size(); i++) {
    std::string a(1, shown[i]);
    text_picture pa = paint(a.c_str(), "", 1);
    EXPECT_GT(lit(pa), 0) << a;
    for (size_t j = 0; j < i; j++) {
      std::string b(1, shown[j]);
      EXPECT_NE(pa.pixels, paint(b.c_str(), "", 1).pixels) << a << " looks like " << b;
    }
  }
  EXPECT_EQ(lit(paint(" ", "", 1)), 0);
  // Any other character is shown as '?'.
  for (const char* other : {"x", "Z", "#", "~"})
    EXPECT_EQ(paint(other, "", 1).pixels, paint("?", "", 1).pixels);
}

TEST(LinuxMeterFont, LinesAreTenCellsApartAndCellsScaleEvenly) {
  text_picture both = paint("0", "1", 1), first = paint("0", "", 1), second = paint("", "1", 1);
  for (int y = 0; y < both.height; y++)
    for (int x = 0; x < both.width; x++) {
      size_t k = (size_t)y * both.width + x;
      EXPECT_EQ(both.pixels[k], y < 7 ? first.pixels[k] : second.pixels[k]) << x << "," << y;
      if (y >= 7) {
        EXPECT_EQ(first.pixels[k], 0) << x << "," << y;
      }
      if (y < 10) {
        EXPECT_EQ(second.pixels[k], 0) << x << "," << y;
      }
    }
  text_picture one = paint("FPS: 1.0", "Load: 9%", 1), three = paint("FPS: 1.0", "Load: 9%", 3);
  for (int y = 0; y < three.height; y++)
    for (int x = 0; x < three.width; x++)
      ASSERT_EQ(three.pixels[(size_t)y * three.width + x], one.pixels[(size_t)(y / 3) * one.width + x / 3])
          << x << "," << y;
}

}  // namespace

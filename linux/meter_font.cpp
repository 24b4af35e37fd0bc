// The meter's font: each glyph as seven rows of five cells, '#' where it is
// drawn.
#include "linux/meter_font.h"

#include <cstring>

namespace {

struct glyph {
  char character;
  const char* rows[7];
};

const glyph glyphs[] = {
    {'?',
     {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},  // first: for every other character
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'%', {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
};

const int glyph_columns = 5, glyph_rows = 7, advance = 6, line_distance = 10;

int pixel = 2;

const glyph& glyph_of(char c) {
  for (const glyph& g : glyphs)
    if (g.character == c) return g;
  return glyphs[0];
}

// Paints one line with its top at cell row `top`.
void paint_line(const char* line, int top, text_picture* picture) {
  for (int k = 0; line[k]; k++) {
    const glyph& g = glyph_of(line[k]);
    for (int row = 0; row < glyph_rows; row++)
      for (int column = 0; column < glyph_columns; column++) {
        if (g.rows[row][column] != '#') continue;
        int x0 = (k * advance + column) * pixel, y0 = (top + row) * pixel;
        for (int y = y0; y < y0 + pixel; y++)
          for (int x = x0; x < x0 + pixel; x++) picture->pixels[(size_t)y * picture->width + x] = 1;
      }
  }
}

}  // namespace

void set_meter_font_pixel_size(int pixel_size) {
  pixel = pixel_size > 0 ? pixel_size : 1;
}

bool paint_in_meter_font(const char* line1, const char* line2, text_picture* picture) {
  int n1 = (int)std::strlen(line1), n2 = (int)std::strlen(line2), n = n1 > n2 ? n1 : n2;
  // The last glyph's gap of one cell is left out.
  picture->width = n > 0 ? (n * advance - 1) * pixel : 0;
  picture->height = (line_distance + glyph_rows) * pixel;
  picture->pixels.assign((size_t)picture->width * picture->height, 0);
  paint_line(line1, 0, picture);
  paint_line(line2, line_distance, picture);
  return true;
}

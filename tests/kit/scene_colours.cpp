// The colour classifier of the shell tests: reads an image as binary PPM
// (ImageMagick: `convert shot.png -depth 8 ppm:-`) from a file or standard
// input and prints how many of its pixels fall in each of the scene's colour
// classes (scene_colours.h):
//   scene_colours [FILE|-]           blue N green N red N white N black N other N
//   scene_colours --where [FILE|-]   the same, then a line per class and one for
//                                    "lit" (every class but black):
//                                    NAME COUNT LEFT TOP RIGHT BOTTOM CENTRE_X CENTRE_Y
//                                    (-1 for the box and centre of an empty class)
// Exit code 0, or 1 with a message when the input is not such an image.
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/kit/scene_colours.h"

namespace {

// Where the pixels of one class lie: their count, bounding box and the sum of
// their coordinates (for the centre).
struct region {
  long count = 0;
  int left = -1, top = -1, right = -1, bottom = -1;
  double sum_x = 0, sum_y = 0;
};

void add_to(region* r, int x, int y) {
  if (r->count == 0 || x < r->left) r->left = x;
  if (r->count == 0 || x > r->right) r->right = x;
  if (r->count == 0 || y < r->top) r->top = y;
  if (r->count == 0 || y > r->bottom) r->bottom = y;
  r->count++;
  r->sum_x += x;
  r->sum_y += y;
}

void print_region(const char* name, const region& r) {
  std::printf("%s %ld %d %d %d %d %d %d\n", name, r.count, r.left, r.top, r.right, r.bottom,
              r.count ? (int)(r.sum_x / r.count + 0.5) : -1, r.count ? (int)(r.sum_y / r.count + 0.5) : -1);
}

// Skips blanks and comments between the fields of a PPM header.
void skip_blanks(FILE* in) {
  int c;
  while ((c = std::fgetc(in)) != EOF) {
    if (c == '#') {
      while ((c = std::fgetc(in)) != EOF && c != '\n') {
      }
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      std::ungetc(c, in);
      return;
    }
  }
}

bool read_number(FILE* in, int* value) {
  skip_blanks(in);
  return std::fscanf(in, "%9d", value) == 1;
}

// Reads a binary PPM with 8-bit channels into `rgb`.
bool read_ppm(FILE* in, int* width, int* height, std::vector<unsigned char>* rgb) {
  int maxval = 0;
  if (std::fgetc(in) != 'P' || std::fgetc(in) != '6') return false;
  if (!read_number(in, width) || !read_number(in, height) || !read_number(in, &maxval)) return false;
  if (*width <= 0 || *height <= 0 || *width > 65536 || *height > 65536 || maxval != 255) return false;
  if (std::fgetc(in) == EOF) return false;  // the one blank before the pixels
  rgb->resize((size_t)*width * (size_t)*height * 3);
  return std::fread(rgb->data(), 1, rgb->size(), in) == rgb->size();
}

}  // namespace

int main(int argc, char** argv) {
  bool where = argc > 1 && !std::strcmp(argv[1], "--where");
  int first = where ? 2 : 1;
  if (argc > first + 1 || (argc == first + 1 && argv[first][0] == '-' && argv[first][1] != '\0')) {
    std::fprintf(stderr, "usage: scene_colours [--where] [FILE|-]\n");
    return 2;
  }
  const char* path = argc == first + 1 ? argv[first] : "-";
  FILE* in = std::strcmp(path, "-") ? std::fopen(path, "rb") : stdin;
  if (!in) {
    std::perror(path);
    return 1;
  }
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  bool read = read_ppm(in, &width, &height, &rgb);
  if (in != stdin) std::fclose(in);
  if (!read) {
    std::fprintf(stderr, "scene_colours: %s is not a binary PPM image with 8-bit channels\n", path);
    return 1;
  }
  scene_colour_counts counts = count_scene_colours(rgb.data(), width, height, 3, (long)width * 3);
  for (int c = 0; c < colour_classes; c++)
    std::printf("%s%s %ld", c ? " " : "", scene_colour_name(c), counts.of[c]);
  std::printf("\n");
  if (!where) return 0;
  region regions[colour_classes], lit;
  const unsigned char* p = rgb.data();
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++, p += 3) {
      scene_colour c = classify_scene_colour(p[0], p[1], p[2]);
      add_to(&regions[c], x, y);
      if (c != colour_black) add_to(&lit, x, y);
    }
  for (int c = 0; c < colour_classes; c++) print_region(scene_colour_name(c), regions[c]);
  print_region("lit", lit);
  return 0;
}

// frame_compare: how close two pictures of the scene are, pixel by pixel:
// the share of pixels whose colour falls in the same class of the scene's
// colours (tests/kit/scene_colours.h) in both, and the mean absolute
// difference of each channel (0 to 255). With limits, the exit code says
// whether they are met.
//   frame_compare A.png B.png [LEAST_SAME_SHARE MOST_MEAN_DIFFERENCE]
//   -> same 0.99712 mean 0.84 0.51 1.37
// Exit code 0 (within the limits, or none given), 1 outside them, 2 for an
// image that cannot be read or images of different sizes.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/kit/scene_colours.h"

namespace {

struct picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

bool read_png(const char* path, picture* p) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) {
    std::fprintf(stderr, "frame_compare: %s: %s\n", path, image.message);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  p->width = (int)image.width;
  p->height = (int)image.height;
  p->rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p->rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "frame_compare: %s: %s\n", path, image.message);
    return false;
  }
  return true;
}

bool read_number(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*value);
}

}  // namespace

int main(int argc, char** argv) {
  double least_same = 0, most_mean = 255;
  bool limits = argc == 5;
  if ((argc != 3 && argc != 5) ||
      (limits && (!read_number(argv[3], &least_same) || !read_number(argv[4], &most_mean)))) {
    std::fprintf(stderr, "usage: frame_compare A.png B.png [LEAST_SAME_SHARE MOST_MEAN_DIFFERENCE]\n");
    return 2;
  }
  picture a, b;
  if (!read_png(argv[1], &a) || !read_png(argv[2], &b)) return 2;
  if (a.width != b.width || a.height != b.height) {
    std::fprintf(stderr, "frame_compare: %d x %d and %d x %d differ in size\n", a.width, a.height, b.width,
                 b.height);
    return 2;
  }
  long pixels = (long)a.width * a.height, same = 0;
  double sums[3] = {0, 0, 0};
  for (long k = 0; k < pixels; k++) {
    const unsigned char* p = &a.rgb[3 * k];
    const unsigned char* q = &b.rgb[3 * k];
    if (classify_scene_colour(p[0], p[1], p[2]) == classify_scene_colour(q[0], q[1], q[2])) same++;
    for (int c = 0; c < 3; c++) sums[c] += std::abs(p[c] - q[c]);
  }
  double share = (double)same / (double)pixels;
  double mean[3];
  for (int c = 0; c < 3; c++) mean[c] = sums[c] / (double)pixels;
  std::printf("same %.5f mean %.3f %.3f %.3f\n", share, mean[0], mean[1], mean[2]);
  bool within = share >= least_same && mean[0] <= most_mean && mean[1] <= most_mean && mean[2] <= most_mean;
  return within ? 0 : 1;
}

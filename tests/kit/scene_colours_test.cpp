// The scene's colour classes on pixels whose class is known: the colours the
// scene shows (measured on frames at 1024 x 768), the edges of each class, and
// the count over an image with padded rows.
#include <gtest/gtest.h>

#include "tests/kit/scene_colours.h"

namespace {

struct Known {
  const char* what;
  int r, g, b;
  scene_colour want;
};

TEST(SceneColours, ClassesOfKnownPixels) {
  const Known known[] = {
      // What the scene shows, and the test windows of the kits.
      {"blue front, lit", 23, 23, 255, colour_blue},
      {"blue front, ambient light only", 23, 23, 69, colour_blue},
      {"green back, lit", 23, 185, 23, colour_green},
      {"green back, ambient light only", 23, 69, 23, colour_green},
      {"cone, lit side", 229, 61, 61, colour_red},
      {"cone, near its base", 208, 47, 47, colour_red},
      {"marker", 255, 255, 255, colour_white},
      {"background", 0, 0, 0, colour_black},
      {"the cone's highlight", 214, 204, 204, colour_other},
      {"grey", 128, 128, 128, colour_other},
      {"the probe's magenta test window", 255, 0, 255, colour_other},
      {"a pure green test window", 0, 255, 0, colour_green},
      // The edges of the classes.
      {"black below 16 in every channel", 15, 15, 15, colour_black},
      {"16 in one channel is not black", 16, 0, 0, colour_other},
      {"white above 220 in every channel", 221, 221, 221, colour_white},
      {"220 in one channel is not white", 221, 220, 221, colour_other},
      {"a lead of 36 over both others", 20, 20, 56, colour_blue},
      {"a lead of 35 is not enough", 20, 21, 56, colour_other},
      {"the channel must exceed 50", 0, 0, 50, colour_other},
      {"51 with a lead of 36 counts", 15, 15, 51, colour_blue},
      {"red by the same rule", 90, 54, 54, colour_red},
      {"green by the same rule", 54, 90, 54, colour_green},
  };
  for (const Known& k : known)
    EXPECT_EQ(classify_scene_colour(k.r, k.g, k.b), k.want)
        << k.what << " (" << k.r << "," << k.g << "," << k.b << ") is "
        << scene_colour_name(classify_scene_colour(k.r, k.g, k.b));
}

TEST(SceneColours, NamesAsTheShellReadsThem) {
  const char* const names[] = {"blue", "green", "red", "white", "black", "other"};
  for (int c = 0; c < colour_classes; c++) EXPECT_STREQ(scene_colour_name(c), names[c]);
  EXPECT_STREQ(scene_colour_name(colour_classes), "?");
  EXPECT_STREQ(scene_colour_name(-1), "?");
}

// Three rows of two RGBA pixels, each row padded to 12 bytes with bytes that
// would count as white if they were read as pixels.
TEST(SceneColours, CountsAnImageRowByRow) {
  const unsigned char pad = 255;
  const unsigned char image[] = {
      23, 23,  255, 255, 23,  69, 23, 255, pad, pad, pad, pad,  // blue, dark green
      0,  0,   0,   255, 229, 61, 61, 255, pad, pad, pad, pad,  // black, red
      23, 185, 23,  255, 23,  23, 69, 255, pad, pad, pad, pad,  // green, dark blue
  };
  scene_colour_counts n = count_scene_colours(image, 2, 3, 4, 12);
  EXPECT_EQ(n.of[colour_blue], 2);
  EXPECT_EQ(n.of[colour_green], 2);
  EXPECT_EQ(n.of[colour_red], 1);
  EXPECT_EQ(n.of[colour_black], 1);
  EXPECT_EQ(n.of[colour_white], 0);
  EXPECT_EQ(n.of[colour_other], 0);
}

}  // namespace

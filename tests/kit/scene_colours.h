// The scene's colours, named once for every test that looks at its pixels:
// the native tests (frames read back from an offscreen context), the Linux
// edition's test client (a window read back from the X server) and the
// classifier that the shell tests run on screenshots (scene_colours.cpp).
//
// What the scene shows: the surface's front is blue and its back green, bright
// where the light falls on that side and about (23, 23, 69) and (23, 69, 23)
// where only the ambient light does; the cone is red, darker towards its base;
// the light's marker is white; the background is black. A colour class's own
// channel exceeds 50 and leads the other two by more than 35, so the sides in
// ambient light count as blue and green too.
#pragma once

enum scene_colour {
  colour_blue,
  colour_green,
  colour_red,
  colour_white,
  colour_black,
  colour_other,
  colour_classes
};

// The class's name as the tests print and read it.
inline const char* scene_colour_name(int colour) {
  static const char* const names[colour_classes] = {"blue", "green", "red", "white", "black", "other"};
  return colour >= 0 && colour < colour_classes ? names[colour] : "?";
}

// The class of one pixel, channels 0 to 255.
inline scene_colour classify_scene_colour(int r, int g, int b) {
  if (r < 16 && g < 16 && b < 16) return colour_black;
  if (r > 220 && g > 220 && b > 220) return colour_white;
  if (b > 50 && b > r + 35 && b > g + 35) return colour_blue;
  if (g > 50 && g > r + 35 && g > b + 35) return colour_green;
  if (r > 50 && r > g + 35 && r > b + 35) return colour_red;
  return colour_other;
}

struct scene_colour_counts {
  long of[colour_classes];  // pixels of each class, indexed by scene_colour
};

// Counts the classes of a width x height image whose pixels are `channels`
// bytes each (red, green, blue first), rows `stride` bytes apart.
inline scene_colour_counts count_scene_colours(const unsigned char* pixels, int width, int height,
                                               int channels, long stride) {
  scene_colour_counts counts = {};
  for (int y = 0; y < height; y++) {
    const unsigned char* p = pixels + y * stride;
    for (int x = 0; x < width; x++, p += channels) counts.of[classify_scene_colour(p[0], p[1], p[2])]++;
  }
  return counts;
}

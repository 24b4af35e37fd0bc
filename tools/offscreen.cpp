// OSMesa context and PNG output through libpng.
#include "tools/offscreen.h"

#include <GL/osmesa.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

static OSMesaContext context;
static unsigned char* pixels;
static int buffer_width;
static int buffer_height;

bool offscreen_open(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    std::fprintf(stderr, "offscreen: bad size %d x %d\n", width, height);
    return false;
  }
  offscreen_close();
  context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!context) {
    std::fprintf(stderr, "offscreen: OSMesaCreateContextExt failed\n");
    return false;
  }
  pixels = static_cast<unsigned char*>(std::calloc((size_t)width * height, 4));
  if (!pixels || !OSMesaMakeCurrent(context, pixels, GL_UNSIGNED_BYTE, width, height)) {
    std::fprintf(stderr, "offscreen: cannot make a %d x %d context current\n", width, height);
    offscreen_close();
    return false;
  }
  buffer_width = width;
  buffer_height = height;
  return true;
}

void offscreen_close() {
  if (context) OSMesaDestroyContext(context);
  context = nullptr;
  std::free(pixels);
  pixels = nullptr;
  buffer_width = 0;
  buffer_height = 0;
}

offscreen_gl_function offscreen_function(const char* name) {
  return OSMesaGetProcAddress(name);
}

const unsigned char* offscreen_pixels() {
  return pixels;
}

int offscreen_width() {
  return buffer_width;
}

int offscreen_height() {
  return buffer_height;
}

void offscreen_pixel(int x, int y, unsigned char rgba[4]) {
  const unsigned char* p = pixels + 4 * ((size_t)(buffer_height - 1 - y) * buffer_width + x);
  for (int c = 0; c < 4; c++) rgba[c] = p[c];
}

bool write_png(const char* path, const unsigned char* rgba, int width, int height) {
  FILE* file = std::fopen(path, "wb");
  if (!file) {
    std::perror(path);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    return false;
  }
  std::vector<unsigned char> row((size_t)width * 3);
  // libpng reports errors by jumping back here.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: cannot write the PNG\n", path);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = height - 1; y >= 0; y--) {
    const unsigned char* src = rgba + 4 * (size_t)y * width;
    for (int x = 0; x < width; x++) {
      row[3 * x] = src[4 * x];
      row[3 * x + 1] = src[4 * x + 1];
      row[3 * x + 2] = src[4 * x + 2];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

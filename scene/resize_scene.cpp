// A new size for a window whose scene is already set up, and the views of a
// drawable that shows the scene more than once (one per monitor). In a file
// of its own, so that a program that uses neither links none of it.
#include <GL/gl.h>

#include "scene/scene.h"

void place_scene_view(int x, int y, int width, int height) {
  glViewport(x, y, width > 0 ? width : 0, height > 0 ? height : 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  apply_scene_projection(width, height);
  glMatrixMode(GL_MODELVIEW);
}

void resize_scene(int width, int height) {
  place_scene_view(0, 0, width, height);
}

// A new size for a window whose scene is already set up. In a file of its own,
// so that a program that never resizes (the Windows saver) links none of it.
#include <GL/gl.h>

#include "scene/scene.h"

void resize_scene(int width, int height) {
  glViewport(0, 0, width > 0 ? width : 0, height > 0 ? height : 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  apply_scene_projection(width, height);
  glMatrixMode(GL_MODELVIEW);
}

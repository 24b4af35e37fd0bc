// A new size for a window whose scene is already set up. In a file of its own,
// so that a program that never resizes (the Windows saver) links none of it.
#include <GL/gl.h>
#include <GL/glu.h>

#include "scene/scene.h"

void resize_scene(int width, int height) {
  glViewport(0, 0, width > 0 ? width : 0, height > 0 ? height : 0);
  // A window of no height would give a non-finite aspect ratio.
  if (height <= 0) height = 1;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, (double)width / (double)height, 0.3, 17.0);
  glMatrixMode(GL_MODELVIEW);
}

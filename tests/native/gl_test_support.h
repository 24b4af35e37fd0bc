// Shared helpers of the native tests: one offscreen context per test program,
// GL feedback capture, and the test programs' main (threadsafe death tests,
// since forking after an llvmpipe context exists is unsafe).
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

// Makes an offscreen context of this size current, creating it on first use.
// Every test program keeps one context for its whole run, because the shape
// cache's display-list names belong to the context that compiled them.
void use_context(int width, int height);

struct FeedbackVertex {
  double x, y, z;  // window coordinates, z is the depth in [0, 1]
  double rgba[4];  // lit colour (GL_3D_COLOR only)
};

struct FeedbackPrimitive {
  GLfloat token;  // GL_POLYGON_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, ...
  std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode (GL_3D or GL_3D_COLOR) and returns what OpenGL
// reported, or fails the current test if the buffer of `capacity` floats overflowed.
std::vector<FeedbackPrimitive> capture_feedback(GLenum type, int capacity, const std::function<void()>& draw);

// Resets both matrix stacks to a single identity and the matrix mode to GL_MODELVIEW.
void reset_matrices();

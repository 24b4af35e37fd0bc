// The lighting state of the browser's OpenGL subset: whether lighting and
// its one light are on, the light (GL_LIGHT0: ambient, diffuse, specular and
// position, without attenuation or spot), the light model (ambient,
// two-sided) and the front and back materials; and the attribute stack that
// glPushAttrib(GL_LIGHTING_BIT) and glPopAttrib keep it on. Plain state: the
// renderer reads it when it draws.
#pragma once

enum {
  SUBSET_ATTRIBUTE_DEPTH = 16  // levels of the attribute stack
};

struct subset_material {
  float ambient[4], diffuse[4], specular[4], emission[4];
  float shininess;
};

struct subset_lighting {
  bool lighting;  // GL_LIGHTING
  bool light_on;  // GL_LIGHT0
  bool two_sided;
  float light_ambient[4], light_diffuse[4], light_specular[4];
  float light_position[4];  // in eye coordinates, as placed
  float model_ambient[4];
  subset_material front, back;
};

extern subset_lighting lighting;

// OpenGL's initial lighting state, and an empty attribute stack.
void reset_lighting();
// Counts every change to `lighting`, so that a renderer can tell whether its
// copy is current.
unsigned lighting_version();

// glEnable/glDisable of GL_LIGHTING or GL_LIGHT0; false for another
// capability.
bool enable_lighting(unsigned capability, bool on);
// glLightfv of GL_LIGHT0: GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, or
// GL_POSITION (placed by `modelview`). False for anything else.
bool set_light(unsigned light, unsigned name, const float* values, const double modelview[16]);
// glLightModelf(v): GL_LIGHT_MODEL_TWO_SIDE (one value, non-zero for two
// sides) or GL_LIGHT_MODEL_AMBIENT (four). False for anything else.
bool set_light_model(unsigned name, const float* values);
// glMaterialf(v) for GL_FRONT, GL_BACK or GL_FRONT_AND_BACK: GL_AMBIENT,
// GL_DIFFUSE, GL_AMBIENT_AND_DIFFUSE, GL_SPECULAR, GL_EMISSION or
// GL_SHININESS. Answers GL_NO_ERROR or the error that leaves it unchanged
// (GL_INVALID_ENUM; GL_INVALID_VALUE for a shininess outside 0 to 128).
unsigned set_material(unsigned face, unsigned name, const float* values);

// glPushAttrib and glPopAttrib: the stack keeps the lighting state where
// `mask` holds GL_LIGHTING_BIT (the subset keeps no other group); false when
// the stack is full (push) or empty (pop).
bool push_attributes(unsigned mask);
bool pop_attributes();

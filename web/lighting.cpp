// Lighting state and the attribute stack of the browser's OpenGL subset.
#include "web/lighting.h"

#include <GL/gl.h>

#include <cstring>

#include "web/matrices.h"

subset_lighting lighting;

static unsigned version;

struct attribute_level {
  unsigned mask;
  subset_lighting saved;
};
static attribute_level attribute_stack[SUBSET_ATTRIBUTE_DEPTH];
static int attribute_depth;

static void copy4(float* to, const float* from) {
  std::memcpy(to, from, 4 * sizeof(float));
}

static void set4(float* to, float a, float b, float c, float d) {
  const float v[4] = {a, b, c, d};
  copy4(to, v);
}

static void reset_material(subset_material* m) {
  set4(m->ambient, 0.2f, 0.2f, 0.2f, 1);
  set4(m->diffuse, 0.8f, 0.8f, 0.8f, 1);
  set4(m->specular, 0, 0, 0, 1);
  set4(m->emission, 0, 0, 0, 1);
  m->shininess = 0;
}

void reset_lighting() {
  lighting.lighting = false;
  lighting.light_on = false;
  lighting.two_sided = false;
  set4(lighting.light_ambient, 0, 0, 0, 1);
  set4(lighting.light_diffuse, 1, 1, 1, 1);
  set4(lighting.light_specular, 1, 1, 1, 1);
  set4(lighting.light_position, 0, 0, 1, 0);
  set4(lighting.model_ambient, 0.2f, 0.2f, 0.2f, 1);
  reset_material(&lighting.front);
  reset_material(&lighting.back);
  attribute_depth = 0;
  version++;
}

unsigned lighting_version() {
  return version;
}

bool enable_lighting(unsigned capability, bool on) {
  if (capability == GL_LIGHTING)
    lighting.lighting = on;
  else if (capability == GL_LIGHT0)
    lighting.light_on = on;
  else
    return false;
  version++;
  return true;
}

bool set_light(unsigned light, unsigned name, const float* values, const double modelview[16]) {
  if (light != GL_LIGHT0) return false;
  if (name == GL_AMBIENT) {
    copy4(lighting.light_ambient, values);
  } else if (name == GL_DIFFUSE) {
    copy4(lighting.light_diffuse, values);
  } else if (name == GL_SPECULAR) {
    copy4(lighting.light_specular, values);
  } else if (name == GL_POSITION) {
    // The position is kept where the modelview matrix of the moment puts it.
    const double object[4] = {values[0], values[1], values[2], values[3]};
    double eye[4];
    transform_vector(modelview, object, eye);
    for (int k = 0; k < 4; k++) lighting.light_position[k] = (float)eye[k];
  } else {
    return false;
  }
  version++;
  return true;
}

bool set_light_model(unsigned name, const float* values) {
  if (name == GL_LIGHT_MODEL_TWO_SIDE)
    lighting.two_sided = values[0] != 0;
  else if (name == GL_LIGHT_MODEL_AMBIENT)
    copy4(lighting.model_ambient, values);
  else
    return false;
  version++;
  return true;
}

// Sets one item of one material; false for a name it does not know.
static bool set_material_item(subset_material* m, unsigned name, const float* values) {
  if (name == GL_AMBIENT)
    copy4(m->ambient, values);
  else if (name == GL_DIFFUSE)
    copy4(m->diffuse, values);
  else if (name == GL_AMBIENT_AND_DIFFUSE) {
    copy4(m->ambient, values);
    copy4(m->diffuse, values);
  } else if (name == GL_SPECULAR)
    copy4(m->specular, values);
  else if (name == GL_EMISSION)
    copy4(m->emission, values);
  else if (name == GL_SHININESS)
    m->shininess = values[0];
  else
    return false;
  return true;
}

unsigned set_material(unsigned face, unsigned name, const float* values) {
  bool front = face == GL_FRONT || face == GL_FRONT_AND_BACK;
  bool back = face == GL_BACK || face == GL_FRONT_AND_BACK;
  if (!front && !back) return GL_INVALID_ENUM;
  // A shininess outside OpenGL's range, or not a number, changes nothing.
  if (name == GL_SHININESS && !(values[0] >= 0 && values[0] <= 128)) return GL_INVALID_VALUE;
  if (!set_material_item(front ? &lighting.front : &lighting.back, name, values)) return GL_INVALID_ENUM;
  if (front && back) set_material_item(&lighting.back, name, values);
  version++;
  return GL_NO_ERROR;
}

bool push_attributes(unsigned mask) {
  if (attribute_depth == SUBSET_ATTRIBUTE_DEPTH) return false;
  attribute_stack[attribute_depth].mask = mask;
  attribute_stack[attribute_depth].saved = lighting;
  attribute_depth++;
  return true;
}

bool pop_attributes() {
  if (attribute_depth == 0) return false;
  attribute_depth--;
  if (attribute_stack[attribute_depth].mask & GL_LIGHTING_BIT) {
    lighting = attribute_stack[attribute_depth].saved;
    version++;
  }
  return true;
}

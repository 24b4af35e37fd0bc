// The WebGL 2 renderer of the browser's OpenGL subset.
#include "web/webgl_draw.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstdio>
#include <cstring>

#include "web/lighting.h"
#include "web/matrices.h"

// Fixed-function lighting per vertex, as OpenGL 1.1 computes it for one
// light without attenuation or spot and an infinite viewer: emission, the
// model's and the light's ambient, the diffuse term where the light falls
// on the side, and the highlight from the half vector between the light and
// +z, each vertex's colour clamped to 0..1 before it is interpolated. Both
// sides' colours are worked out; the fragment takes the one of the side it
// shows, front for counter-clockwise.
static const char vertex_source[] = R"(#version 300 es
precision highp float;
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 colour;
uniform mat4 modelview;
uniform mat4 projection;
uniform mat3 normal_matrix;
uniform bool lit;
uniform bool light_on;
uniform bool two_sided;
uniform vec4 light[4];  // ambient, diffuse, specular, position in eye coordinates
uniform vec4 model_ambient;
uniform vec4 front[4];  // ambient, diffuse, specular, emission
uniform vec4 back[4];
uniform vec2 shininess;  // front, back
out vec4 front_colour;
out vec4 back_colour;

vec4 shade(vec4 ambient, vec4 diffuse, vec4 specular, vec4 emission, float exponent, vec3 n, vec3 eye) {
  vec3 c = emission.rgb + ambient.rgb * model_ambient.rgb;
  if (light_on) {
    vec3 to_light = normalize(light[3].w == 0.0 ? light[3].xyz : light[3].xyz / light[3].w - eye);
    float n_dot_l = dot(n, to_light);
    c += ambient.rgb * light[0].rgb;
    if (n_dot_l > 0.0) {
      float n_dot_h = dot(n, normalize(to_light + vec3(0.0, 0.0, 1.0)));
      // A shininess of 0 makes the highlight whole wherever the half
      // vector is on the lit side, and none where it is not, as Mesa draws
      // it. GLSL's pow leaves 0 to the power 0 undefined, so it is not asked.
      float highlight = n_dot_h > 0.0 ? (exponent == 0.0 ? 1.0 : pow(n_dot_h, exponent)) : 0.0;
      c += n_dot_l * diffuse.rgb * light[1].rgb + highlight * specular.rgb * light[2].rgb;
    }
  }
  return clamp(vec4(c, diffuse.a), 0.0, 1.0);
}

void main() {
  vec4 eye = modelview * vec4(position, 1.0);
  gl_Position = projection * eye;
  if (!lit) {
    front_colour = colour;
    back_colour = colour;
    return;
  }
  vec3 n = normal_matrix * normal;
  vec3 e = eye.xyz / eye.w;
  front_colour = shade(front[0], front[1], front[2], front[3], shininess.x, n, e);
  back_colour = two_sided ? shade(back[0], back[1], back[2], back[3], shininess.y, -n, e) : front_colour;
}
)";

static const char fragment_source[] = R"(#version 300 es
precision highp float;
in vec4 front_colour;
in vec4 back_colour;
out vec4 fragment;
void main() {
  fragment = gl_FrontFacing ? front_colour : back_colour;
}
)";

// Uniform locations, in the order of uniform_names.
enum {
  U_MODELVIEW,
  U_PROJECTION,
  U_NORMAL_MATRIX,
  U_LIT,
  U_LIGHT_ON,
  U_TWO_SIDED,
  U_LIGHT,
  U_MODEL_AMBIENT,
  U_FRONT,
  U_BACK,
  U_SHININESS,
  U_COUNT
};
static const char* const uniform_names[U_COUNT] = {
    "modelview", "projection",    "normal_matrix", "lit",  "light_on", "two_sided",
    "light",     "model_ambient", "front",         "back", "shininess"};

static GLuint program;
static GLint uniforms[U_COUNT];
static unsigned drawn_matrices, drawn_lighting;  // versions in the uniforms
static bool uniforms_known;

static GLuint triangle_stream;  // triangles drawn from memory
static GLuint vertex_stream;    // vertex arrays in client memory
static GLuint index_stream;     // indices in client memory

// The program's own bindings, put back after every draw of the subset.
static GLuint bound_array_buffer, bound_element_buffer;

// The vertex array as glVertexPointer set it.
struct vertex_array_state {
  bool enabled;
  GLuint buffer;  // bound when it was set: `pointer` is then an offset into it
  const void* pointer;
  int stride;  // in bytes, never 0
};
static vertex_array_state vertex_array;

// What glPushClientAttrib saved: with GL_CLIENT_VERTEX_ARRAY_BIT, the vertex
// array and both buffer bindings (OpenGL keeps the bindings with the
// arrays' state). OpenGL's stack holds at least 16.
struct client_attributes {
  bool arrays_saved;
  vertex_array_state array;
  GLuint array_buffer, element_buffer;
};
static const int client_stack_size = 16;
static client_attributes client_stack[client_stack_size];
static int client_depth;

static GLuint compile_shader(GLenum kind, const char* source) {
  GLuint shader = emscripten_glCreateShader(kind);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  GLint ok = 0;
  emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = "";
    emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "korvanthel: the %s shader does not compile: %s\n",
                 kind == GL_VERTEX_SHADER ? "vertex" : "fragment", log);
    emscripten_glDeleteShader(shader);
    return 0;
  }
  return shader;
}

static GLuint make_buffer() {
  GLuint buffer = 0;
  emscripten_glGenBuffers(1, &buffer);
  return buffer;
}

bool start_webgl_drawing() {
  GLuint vertex = compile_shader(GL_VERTEX_SHADER, vertex_source);
  GLuint fragment = compile_shader(GL_FRAGMENT_SHADER, fragment_source);
  if (!vertex || !fragment) return false;
  program = emscripten_glCreateProgram();
  emscripten_glAttachShader(program, vertex);
  emscripten_glAttachShader(program, fragment);
  emscripten_glLinkProgram(program);
  emscripten_glDeleteShader(vertex);
  emscripten_glDeleteShader(fragment);
  GLint ok = 0;
  emscripten_glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = "";
    emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
    std::fprintf(stderr, "korvanthel: the shaders do not link: %s\n", log);
    return false;
  }
  emscripten_glUseProgram(program);
  for (int u = 0; u < U_COUNT; u++) uniforms[u] = emscripten_glGetUniformLocation(program, uniform_names[u]);
  uniforms_known = false;
  triangle_stream = make_buffer();
  vertex_stream = make_buffer();
  index_stream = make_buffer();
  bound_array_buffer = bound_element_buffer = 0;
  vertex_array = {false, 0, nullptr, 12};
  client_depth = 0;
  emscripten_glEnableVertexAttribArray(0);
  return true;
}

static void upload_matrices() {
  float modelview[16], projection[16], normals[9];
  double normal_d[9];
  for (int k = 0; k < 16; k++) {
    modelview[k] = (float)modelview_matrix()[k];
    projection[k] = (float)projection_matrix()[k];
  }
  normal_matrix(modelview_matrix(), normal_d);
  for (int k = 0; k < 9; k++) normals[k] = (float)normal_d[k];
  emscripten_glUniformMatrix4fv(uniforms[U_MODELVIEW], 1, GL_FALSE, modelview);
  emscripten_glUniformMatrix4fv(uniforms[U_PROJECTION], 1, GL_FALSE, projection);
  emscripten_glUniformMatrix3fv(uniforms[U_NORMAL_MATRIX], 1, GL_FALSE, normals);
}

static void upload_material(GLint location, const subset_material* m) {
  float values[16];
  std::memcpy(values, m->ambient, sizeof m->ambient);
  std::memcpy(values + 4, m->diffuse, sizeof m->diffuse);
  std::memcpy(values + 8, m->specular, sizeof m->specular);
  std::memcpy(values + 12, m->emission, sizeof m->emission);
  emscripten_glUniform4fv(location, 4, values);
}

static void upload_lighting() {
  emscripten_glUniform1i(uniforms[U_LIT], lighting.lighting);
  emscripten_glUniform1i(uniforms[U_LIGHT_ON], lighting.light_on);
  emscripten_glUniform1i(uniforms[U_TWO_SIDED], lighting.two_sided);
  float light[16];
  std::memcpy(light, lighting.light_ambient, sizeof lighting.light_ambient);
  std::memcpy(light + 4, lighting.light_diffuse, sizeof lighting.light_diffuse);
  std::memcpy(light + 8, lighting.light_specular, sizeof lighting.light_specular);
  std::memcpy(light + 12, lighting.light_position, sizeof lighting.light_position);
  emscripten_glUniform4fv(uniforms[U_LIGHT], 4, light);
  emscripten_glUniform4fv(uniforms[U_MODEL_AMBIENT], 1, lighting.model_ambient);
  upload_material(uniforms[U_FRONT], &lighting.front);
  upload_material(uniforms[U_BACK], &lighting.back);
  emscripten_glUniform2f(uniforms[U_SHININESS], lighting.front.shininess, lighting.back.shininess);
}

// Brings the uniforms up to the state now current.
static void upload_state() {
  if (!uniforms_known || drawn_matrices != matrices_version()) upload_matrices();
  if (!uniforms_known || drawn_lighting != lighting_version()) upload_lighting();
  drawn_matrices = matrices_version();
  drawn_lighting = lighting_version();
  uniforms_known = true;
}

// Draws `count` triangle vertices from the buffer bound to GL_ARRAY_BUFFER,
// laid out as subset_vertex.
static void draw_bound_triangles(int count) {
  upload_state();
  const GLsizei stride = sizeof(subset_vertex);
  emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                                   (const void*)offsetof(subset_vertex, position));
  emscripten_glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                                   (const void*)offsetof(subset_vertex, normal));
  emscripten_glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride,
                                   (const void*)offsetof(subset_vertex, colour));
  emscripten_glEnableVertexAttribArray(1);
  emscripten_glEnableVertexAttribArray(2);
  emscripten_glDrawArrays(GL_TRIANGLES, 0, count);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, bound_array_buffer);
}

void draw_triangles(const subset_vertex* vertices, int count) {
  if (count <= 0) return;
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, triangle_stream);
  emscripten_glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * sizeof(subset_vertex), vertices,
                          GL_STREAM_DRAW);
  draw_bound_triangles(count);
}

unsigned make_triangle_buffer(const subset_vertex* vertices, int count) {
  GLuint buffer = make_buffer();
  if (buffer) refill_triangle_buffer(buffer, vertices, count);
  return buffer;
}

void refill_triangle_buffer(unsigned buffer, const subset_vertex* vertices, int count) {
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
  emscripten_glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * sizeof(subset_vertex), vertices,
                          GL_STATIC_DRAW);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, bound_array_buffer);
}

void draw_triangle_buffer(unsigned buffer, int count) {
  if (count <= 0) return;
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
  draw_bound_triangles(count);
}

void delete_triangle_buffer(unsigned buffer) {
  GLuint name = buffer;
  emscripten_glDeleteBuffers(1, &name);
}

void webgl_gen_buffers(int count, unsigned* names) {
  emscripten_glGenBuffers(count, names);
}

void webgl_delete_buffers(int count, const unsigned* names) {
  for (int k = 0; k < count; k++) {
    // A deleted buffer is no longer bound.
    if (names[k] == bound_array_buffer) bound_array_buffer = 0;
    if (names[k] == bound_element_buffer) bound_element_buffer = 0;
    if (names[k] == vertex_array.buffer) vertex_array.buffer = 0;
    // Nor is it bound again when saved bindings come back.
    for (int d = 0; d < client_depth; d++) {
      client_attributes& saved = client_stack[d];
      if (names[k] == saved.array_buffer) saved.array_buffer = 0;
      if (names[k] == saved.element_buffer) saved.element_buffer = 0;
      if (names[k] == saved.array.buffer) saved.array.buffer = 0;
    }
  }
  emscripten_glDeleteBuffers(count, names);
}

void webgl_bind_buffer(unsigned target, unsigned name) {
  if (target == GL_ARRAY_BUFFER) bound_array_buffer = name;
  if (target == GL_ELEMENT_ARRAY_BUFFER) bound_element_buffer = name;
  emscripten_glBindBuffer(target, name);
}

void webgl_buffer_data(unsigned target, long size, const void* data, unsigned usage) {
  emscripten_glBufferData(target, size, data, usage);
}

bool set_vertex_array(int size, unsigned type, int stride, const void* pointer) {
  if (size != 3 || type != GL_FLOAT || (stride != 0 && stride < 12)) return false;
  vertex_array.buffer = bound_array_buffer;
  vertex_array.pointer = pointer;
  vertex_array.stride = stride == 0 ? 12 : stride;
  return true;
}

void enable_vertex_array(bool on) {
  vertex_array.enabled = on;
}

bool push_client_attributes(bool vertex_arrays) {
  if (client_depth == client_stack_size) return false;
  client_stack[client_depth++] = {vertex_arrays, vertex_array, bound_array_buffer, bound_element_buffer};
  return true;
}

bool pop_client_attributes() {
  if (client_depth == 0) return false;
  const client_attributes& saved = client_stack[--client_depth];
  if (saved.arrays_saved) {
    vertex_array = saved.array;
    webgl_bind_buffer(GL_ARRAY_BUFFER, saved.array_buffer);
    webgl_bind_buffer(GL_ELEMENT_ARRAY_BUFFER, saved.element_buffer);
  }
  return true;
}

// The highest index of `count` indices of `type` in memory.
static unsigned highest_index(int count, unsigned type, const void* indices) {
  unsigned highest = 0;
  for (int k = 0; k < count; k++) {
    unsigned index;
    if (type == GL_UNSIGNED_BYTE)
      index = ((const unsigned char*)indices)[k];
    else if (type == GL_UNSIGNED_SHORT)
      index = ((const unsigned short*)indices)[k];
    else
      index = ((const unsigned*)indices)[k];
    if (index > highest) highest = index;
  }
  return highest;
}

unsigned draw_array_elements(unsigned mode, int count, unsigned type, const void* indices) {
  if (mode != GL_TRIANGLES) return GL_INVALID_ENUM;
  if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT)
    return GL_INVALID_ENUM;
  if (count < 0) return GL_INVALID_VALUE;
  if (!vertex_array.enabled || count == 0) return GL_NO_ERROR;
  // Vertices in memory need the indices in memory too, to know how many
  // vertices to copy.
  if (!vertex_array.buffer && bound_element_buffer) return GL_INVALID_OPERATION;
  upload_state();
  if (vertex_array.buffer) {
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, vertex_array.buffer);
    emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, vertex_array.stride, vertex_array.pointer);
  } else {
    long vertices = (long)highest_index(count, type, indices) + 1;
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, vertex_stream);
    emscripten_glBufferData(GL_ARRAY_BUFFER, (vertices - 1) * vertex_array.stride + 12, vertex_array.pointer,
                            GL_STREAM_DRAW);
    emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, vertex_array.stride, nullptr);
  }
  // Every vertex takes the current normal and colour.
  emscripten_glDisableVertexAttribArray(1);
  emscripten_glDisableVertexAttribArray(2);
  emscripten_glVertexAttrib3fv(1, current_normal);
  emscripten_glVertexAttrib4fv(2, current_colour);
  if (bound_element_buffer) {
    emscripten_glDrawElements(GL_TRIANGLES, count, type, indices);
  } else {
    int bytes = type == GL_UNSIGNED_BYTE ? 1 : type == GL_UNSIGNED_SHORT ? 2 : 4;
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_stream);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)count * bytes, indices, GL_STREAM_DRAW);
    emscripten_glDrawElements(GL_TRIANGLES, count, type, nullptr);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, bound_array_buffer);
  return GL_NO_ERROR;
}

void webgl_clear(unsigned mask) {
  emscripten_glClear(mask);
}

void webgl_clear_colour(float red, float green, float blue, float alpha) {
  emscripten_glClearColor(red, green, blue, alpha);
}

void webgl_clear_depth(double depth) {
  emscripten_glClearDepthf((float)depth);
}

void webgl_viewport(int x, int y, int width, int height) {
  emscripten_glViewport(x, y, width, height);
}

void webgl_depth_test(bool on) {
  if (on)
    emscripten_glEnable(GL_DEPTH_TEST);
  else
    emscripten_glDisable(GL_DEPTH_TEST);
}

unsigned webgl_error() {
  return emscripten_glGetError();
}

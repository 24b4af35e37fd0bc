// Immediate mode and display lists of the browser's OpenGL subset.
#include "web/immediate.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "web/webgl_draw.h"

float current_normal[3] = {0, 0, 1};
float current_colour[4] = {1, 1, 1, 1};

// What a vertex of a display list takes from the state at the list's call:
// it was sent before the list set a normal (a colour) of its own.
enum { INHERITS_NORMAL = 1, INHERITS_COLOUR = 2 };

// A primitive's vertices between glBegin and glEnd, each with what it
// inherits (display lists only).
struct primitive {
  std::vector<subset_vertex> vertices;
  std::vector<unsigned char> inherits;
};

struct display_list {
  std::vector<subset_vertex> triangles;
  std::vector<unsigned char> inherits;  // per vertex of `triangles`
  bool inherits_any;
  bool sets_normal, sets_colour;  // last_normal / last_colour hold what it leaves current
  float last_normal[3], last_colour[4];
  unsigned buffer;                           // the triangles in the context, 0 before the first call
  float filled_normal[3], filled_colour[4];  // what the buffer's inherited vertices hold
};

static bool inside;
static unsigned primitive_mode;
static primitive drawn;     // the primitive as drawn now
static primitive recorded;  // the primitive as the list records it
static std::vector<subset_vertex> batch;
static std::map<unsigned, display_list> lists;  // by name, every name in use; never 0

static unsigned recording_name;  // 0 while no list is recorded
static bool recording_executes;  // GL_COMPILE_AND_EXECUTE
static display_list recording;   // the new contents of the list being recorded

static bool executing() {
  return recording_name == 0 || recording_executes;
}

static void free_list(display_list* list) {
  if (list->buffer) delete_triangle_buffer(list->buffer);
  *list = display_list();
}

void reset_immediate() {
  inside = false;
  drawn.vertices.clear();
  drawn.inherits.clear();
  recorded.vertices.clear();
  recorded.inherits.clear();
  batch.clear();
  lists.clear();
  recording_name = 0;
  recording = display_list();
  const float normal[3] = {0, 0, 1}, colour[4] = {1, 1, 1, 1};
  std::memcpy(current_normal, normal, sizeof normal);
  std::memcpy(current_colour, colour, sizeof colour);
}

bool immediate_begin(unsigned mode) {
  if (inside) return false;
  switch (mode) {
  case GL_POLYGON:
  case GL_TRIANGLES:
  case GL_TRIANGLE_STRIP:
  case GL_TRIANGLE_FAN:
  case GL_QUADS:
  case GL_QUAD_STRIP:
    break;
  default:
    return false;
  }
  inside = true;
  primitive_mode = mode;
  drawn.vertices.clear();
  recorded.vertices.clear();
  recorded.inherits.clear();
  return true;
}

void immediate_normal(float x, float y, float z) {
  const float normal[3] = {x, y, z};
  if (executing()) std::memcpy(current_normal, normal, sizeof normal);
  if (recording_name) {
    std::memcpy(recording.last_normal, normal, sizeof normal);
    recording.sets_normal = true;
  }
}

void immediate_colour(float red, float green, float blue, float alpha) {
  const float colour[4] = {red, green, blue, alpha};
  if (executing()) std::memcpy(current_colour, colour, sizeof colour);
  if (recording_name) {
    std::memcpy(recording.last_colour, colour, sizeof colour);
    recording.sets_colour = true;
  }
}

void immediate_vertex(float x, float y, float z) {
  if (!inside) return;
  if (executing()) {
    subset_vertex v = {{x, y, z}, {0, 0, 0}, {0, 0, 0, 0}};
    std::memcpy(v.normal, current_normal, sizeof v.normal);
    std::memcpy(v.colour, current_colour, sizeof v.colour);
    drawn.vertices.push_back(v);
  }
  if (recording_name) {
    // What the vertex inherits stays 0 until the list is called.
    subset_vertex r = {{x, y, z}, {0, 0, 0}, {0, 0, 0, 0}};
    unsigned char inherits = 0;
    if (recording.sets_normal)
      std::memcpy(r.normal, recording.last_normal, sizeof r.normal);
    else
      inherits |= INHERITS_NORMAL;
    if (recording.sets_colour)
      std::memcpy(r.colour, recording.last_colour, sizeof r.colour);
    else
      inherits |= INHERITS_COLOUR;
    recorded.vertices.push_back(r);
    recorded.inherits.push_back(inherits);
  }
}

// Appends one triangle of `p`, its vertices `a`, `b`, `c`, to `out` (and
// what they inherit to `out_inherits`, where given).
static void add_triangle(const primitive& p, int a, int b, int c, std::vector<subset_vertex>* out,
                         std::vector<unsigned char>* out_inherits) {
  const int corners[3] = {a, b, c};
  for (int k : corners) {
    out->push_back(p.vertices[k]);
    if (out_inherits) out_inherits->push_back(p.inherits[k]);
  }
}

// The primitive's triangles, each with the winding OpenGL gives it: a
// polygon or fan from its first vertex, every other triangle of a strip
// turned, a quad (and each quad of a strip, its vertices 0 1 3 2) split
// along the diagonal from its first vertex.
static void add_triangles(unsigned mode, const primitive& p, std::vector<subset_vertex>* out,
                          std::vector<unsigned char>* out_inherits) {
  int n = (int)p.vertices.size();
  switch (mode) {
  case GL_TRIANGLES:
    for (int i = 0; i + 2 < n; i += 3) add_triangle(p, i, i + 1, i + 2, out, out_inherits);
    break;
  case GL_TRIANGLE_STRIP:
    for (int i = 0; i + 2 < n; i++) {
      if (i % 2 == 0)
        add_triangle(p, i, i + 1, i + 2, out, out_inherits);
      else
        add_triangle(p, i + 1, i, i + 2, out, out_inherits);
    }
    break;
  case GL_QUADS:
    for (int i = 0; i + 3 < n; i += 4) {
      add_triangle(p, i, i + 1, i + 2, out, out_inherits);
      add_triangle(p, i, i + 2, i + 3, out, out_inherits);
    }
    break;
  case GL_QUAD_STRIP:
    for (int i = 0; i + 3 < n; i += 2) {
      add_triangle(p, i, i + 1, i + 3, out, out_inherits);
      add_triangle(p, i, i + 3, i + 2, out, out_inherits);
    }
    break;
  default:  // GL_POLYGON, GL_TRIANGLE_FAN
    for (int i = 1; i + 1 < n; i++) add_triangle(p, 0, i, i + 1, out, out_inherits);
    break;
  }
}

bool immediate_end() {
  if (!inside) return false;
  inside = false;
  if (executing()) add_triangles(primitive_mode, drawn, &batch, nullptr);
  if (recording_name) {
    size_t before = recording.inherits.size();
    add_triangles(primitive_mode, recorded, &recording.triangles, &recording.inherits);
    for (size_t k = before; k < recording.inherits.size(); k++)
      if (recording.inherits[k]) recording.inherits_any = true;
  }
  return true;
}

bool inside_begin_end() {
  return inside;
}

void flush_immediate() {
  if (batch.empty()) return;
  draw_triangles(batch.data(), (int)batch.size());
  batch.clear();
}

unsigned generate_lists(int range, unsigned* error) {
  *error = GL_NO_ERROR;
  if (range <= 0) return 0;
  if (lists.size() + (size_t)range > SUBSET_MAX_LISTS) {
    *error = GL_OUT_OF_MEMORY;
    return 0;
  }
  // The lowest run of `range` free names: below a name in use, or above the
  // last one. With so few names in use there is always one below 2^32.
  uint64_t first = 1;
  for (const auto& entry : lists) {
    if (entry.first - first >= (uint64_t)range) break;
    first = (uint64_t)entry.first + 1;
  }
  for (uint64_t name = first; name < first + range; name++) lists[(unsigned)name];
  return (unsigned)first;
}

void delete_lists(unsigned first, int range) {
  if (range <= 0) return;
  uint64_t last = (uint64_t)first + range - 1;
  for (auto entry = lists.lower_bound(first); entry != lists.end() && entry->first <= last;) {
    free_list(&entry->second);
    entry = lists.erase(entry);
  }
}

unsigned start_list(unsigned name, unsigned mode) {
  if (name == 0) return GL_INVALID_VALUE;
  if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return GL_INVALID_ENUM;
  if (recording_name || inside) return GL_INVALID_OPERATION;
  recording_name = name;
  recording_executes = mode == GL_COMPILE_AND_EXECUTE;
  recording = display_list();
  return GL_NO_ERROR;
}

unsigned finish_list() {
  if (!recording_name) return GL_INVALID_OPERATION;
  unsigned error = GL_NO_ERROR;
  auto entry = lists.find(recording_name);
  if (entry != lists.end()) {
    free_list(&entry->second);
    entry->second = recording;
  } else if (lists.size() < SUBSET_MAX_LISTS) {
    lists[recording_name] = recording;
  } else {
    error = GL_OUT_OF_MEMORY;
  }
  recording = display_list();
  recording_name = 0;
  return error;
}

// The list's triangles into the list being recorded, a call inside a list
// written out in place: what they inherit comes from the recording list
// where it has set it already.
static void record_call(const display_list& list) {
  for (size_t k = 0; k < list.triangles.size(); k++) {
    subset_vertex v = list.triangles[k];
    unsigned char inherits = list.inherits[k];
    if ((inherits & INHERITS_NORMAL) && recording.sets_normal) {
      std::memcpy(v.normal, recording.last_normal, sizeof v.normal);
      inherits &= ~INHERITS_NORMAL;
    }
    if ((inherits & INHERITS_COLOUR) && recording.sets_colour) {
      std::memcpy(v.colour, recording.last_colour, sizeof v.colour);
      inherits &= ~INHERITS_COLOUR;
    }
    recording.triangles.push_back(v);
    recording.inherits.push_back(inherits);
    if (inherits) recording.inherits_any = true;
  }
  if (list.sets_normal) {
    std::memcpy(recording.last_normal, list.last_normal, sizeof list.last_normal);
    recording.sets_normal = true;
  }
  if (list.sets_colour) {
    std::memcpy(recording.last_colour, list.last_colour, sizeof list.last_colour);
    recording.sets_colour = true;
  }
}

// Makes the list's buffer hold its triangles with what they inherit taken
// from the current normal and colour, filling it again only when those
// changed since it was filled.
static bool list_buffer_ready(display_list* list) {
  bool stale = list->buffer == 0;
  if (list->inherits_any && (std::memcmp(list->filled_normal, current_normal, sizeof current_normal) != 0 ||
                             std::memcmp(list->filled_colour, current_colour, sizeof current_colour) != 0)) {
    for (size_t k = 0; k < list->triangles.size(); k++) {
      if (list->inherits[k] & INHERITS_NORMAL)
        std::memcpy(list->triangles[k].normal, current_normal, sizeof current_normal);
      if (list->inherits[k] & INHERITS_COLOUR)
        std::memcpy(list->triangles[k].colour, current_colour, sizeof current_colour);
    }
    std::memcpy(list->filled_normal, current_normal, sizeof current_normal);
    std::memcpy(list->filled_colour, current_colour, sizeof current_colour);
    stale = true;
  }
  const subset_vertex* data = list->triangles.data();
  int count = (int)list->triangles.size();
  if (list->buffer == 0)
    list->buffer = make_triangle_buffer(data, count);
  else if (stale)
    refill_triangle_buffer(list->buffer, data, count);
  return list->buffer != 0;
}

void call_list(unsigned name) {
  auto entry = lists.find(name);
  if (entry == lists.end()) return;
  display_list* list = &entry->second;
  if (recording_name) record_call(*list);
  if (!executing()) return;
  if (!list->triangles.empty()) {
    flush_immediate();
    if (list_buffer_ready(list))
      draw_triangle_buffer(list->buffer, (int)list->triangles.size());
    else
      draw_triangles(list->triangles.data(), (int)list->triangles.size());
  }
  if (list->sets_normal) std::memcpy(current_normal, list->last_normal, sizeof current_normal);
  if (list->sets_colour) std::memcpy(current_colour, list->last_colour, sizeof current_colour);
}

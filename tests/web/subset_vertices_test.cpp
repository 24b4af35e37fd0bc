// The browser subset's immediate mode and display lists, natively, with the
// WebGL side replaced by a recorder of what would be drawn: the triangles of
// each primitive and their winding, what a list records and what its call
// draws, the normal and colour it leaves current, list names (any nonzero
// one, and no room for more); and the materials' faces and names.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "web/immediate.h"
#include "web/lighting.h"
#include "web/webgl_draw.h"

namespace {

std::vector<subset_vertex> drawn;                        // every vertex drawn, in order
std::map<unsigned, std::vector<subset_vertex>> buffers;  // the triangle buffers' contents
unsigned next_buffer = 1;

}  // namespace

void draw_triangles(const subset_vertex* vertices, int count) {
  drawn.insert(drawn.end(), vertices, vertices + count);
}
unsigned make_triangle_buffer(const subset_vertex* vertices, int count) {
  buffers[next_buffer].assign(vertices, vertices + count);
  return next_buffer++;
}
void refill_triangle_buffer(unsigned buffer, const subset_vertex* vertices, int count) {
  buffers[buffer].assign(vertices, vertices + count);
}
void draw_triangle_buffer(unsigned buffer, int count) {
  ASSERT_EQ((int)buffers[buffer].size(), count);
  drawn.insert(drawn.end(), buffers[buffer].begin(), buffers[buffer].end());
}
void delete_triangle_buffer(unsigned buffer) {
  buffers.erase(buffer);
}

namespace {

void start() {
  reset_immediate();
  drawn.clear();
  buffers.clear();
}

// Sends vertices 0, 1, 2, ... at (k, k * k, 0) in `mode`.
void primitive(unsigned mode, int vertices) {
  ASSERT_TRUE(immediate_begin(mode));
  for (int k = 0; k < vertices; k++) immediate_vertex((float)k, (float)(k * k), 0);
  ASSERT_TRUE(immediate_end());
}

// glGenLists where there is room.
unsigned new_lists(int range) {
  unsigned error = GL_INVALID_VALUE;
  unsigned first = generate_lists(range, &error);
  EXPECT_EQ(error, (unsigned)GL_NO_ERROR);
  return first;
}

// The drawn vertices' numbers (their x), three per triangle.
std::vector<int> drawn_numbers() {
  flush_immediate();
  std::vector<int> numbers;
  for (const subset_vertex& v : drawn) numbers.push_back((int)v.position[0]);
  return numbers;
}

TEST(SubsetImmediate, PrimitivesSplitIntoTrianglesOfTheirWinding) {
  const struct {
    unsigned mode;
    int vertices;
    std::vector<int> triangles;
  } cases[] = {
      {GL_POLYGON, 5, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
      {GL_POLYGON, 2, {}},
      {GL_TRIANGLE_FAN, 4, {0, 1, 2, 0, 2, 3}},
      {GL_TRIANGLES, 7, {0, 1, 2, 3, 4, 5}},
      {GL_TRIANGLE_STRIP, 5, {0, 1, 2, 2, 1, 3, 2, 3, 4}},
      {GL_QUADS, 9, {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}},
      {GL_QUAD_STRIP, 7, {0, 1, 3, 0, 3, 2, 2, 3, 5, 2, 5, 4}},
  };
  for (const auto& c : cases) {
    start();
    primitive(c.mode, c.vertices);
    EXPECT_EQ(drawn_numbers(), c.triangles) << "mode " << c.mode;
  }
  start();
  EXPECT_FALSE(immediate_begin(GL_LINES));
  EXPECT_FALSE(immediate_begin(GL_POINTS));
  EXPECT_TRUE(immediate_begin(GL_POLYGON));
  EXPECT_FALSE(immediate_begin(GL_POLYGON));  // already inside
  EXPECT_TRUE(immediate_end());
  EXPECT_FALSE(immediate_end());
}

TEST(SubsetImmediate, EachVertexTakesTheNormalAndColourCurrentThen) {
  start();
  immediate_begin(GL_TRIANGLES);
  immediate_normal(1, 0, 0);
  immediate_colour(0.5f, 0.25f, 0, 1);
  immediate_vertex(0, 0, 0);
  immediate_normal(0, 1, 0);
  immediate_vertex(1, 0, 0);
  immediate_vertex(2, 0, 0);
  immediate_end();
  flush_immediate();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].normal[0], 1);
  EXPECT_EQ(drawn[1].normal[1], 1);
  EXPECT_EQ(drawn[2].normal[1], 1);
  EXPECT_EQ(drawn[2].colour[1], 0.25f);
}

// A list like the shapes': a normal before each vertex of a polygon, no colour.
unsigned record_shape(unsigned mode, float last_normal_y) {
  unsigned list = new_lists(1);
  EXPECT_EQ(start_list(list, mode), (unsigned)GL_NO_ERROR);
  immediate_begin(GL_POLYGON);
  immediate_normal(0, 0, 1);
  immediate_vertex(0, 0, 0);
  immediate_vertex(1, 0, 0);
  immediate_normal(0, last_normal_y, 0);
  immediate_vertex(1, 1, 0);
  immediate_end();
  EXPECT_EQ(finish_list(), (unsigned)GL_NO_ERROR);
  return list;
}

TEST(SubsetLists, CompileAloneDrawsNothingAndChangesNoState) {
  start();
  immediate_normal(0.5f, 0.5f, 0);
  record_shape(GL_COMPILE, 1);
  EXPECT_TRUE(drawn_numbers().empty());
  EXPECT_EQ(current_normal[0], 0.5f);
  start();
  record_shape(GL_COMPILE_AND_EXECUTE, 1);
  EXPECT_EQ(drawn_numbers(), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(current_normal[1], 1);
}

TEST(SubsetLists, ACallDrawsTheListAndLeavesItsLastNormalCurrent) {
  start();
  unsigned list = record_shape(GL_COMPILE, -1);
  for (float before : {0.25f, 0.75f}) {
    drawn.clear();
    immediate_normal(before, 0, 0);
    immediate_colour(before, 0, 0, 1);
    call_list(list);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].normal[2], 1);
    EXPECT_EQ(drawn[2].normal[1], -1);
    // The list sends no colour: its vertices take the one current at the call.
    EXPECT_EQ(drawn[0].colour[0], before);
    EXPECT_EQ(current_normal[0], 0);
    EXPECT_EQ(current_normal[1], -1);
    EXPECT_EQ(current_colour[0], before);
  }
}

TEST(SubsetLists, VerticesBeforeTheListsFirstNormalTakeTheCurrentOne) {
  start();
  unsigned list = new_lists(1);
  start_list(list, GL_COMPILE);
  immediate_begin(GL_TRIANGLES);
  immediate_vertex(0, 0, 0);
  immediate_vertex(1, 0, 0);
  immediate_normal(0, 1, 0);
  immediate_vertex(2, 0, 0);
  immediate_end();
  finish_list();
  for (float x : {0.5f, -0.5f, 0.5f}) {
    drawn.clear();
    immediate_normal(x, 0, 0);
    call_list(list);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].normal[0], x);
    EXPECT_EQ(drawn[1].normal[0], x);
    EXPECT_EQ(drawn[2].normal[1], 1);
  }
  // A call inside another list is written out there.
  unsigned outer = new_lists(1);
  start_list(outer, GL_COMPILE);
  immediate_normal(0, 0, -1);
  call_list(list);
  finish_list();
  drawn.clear();
  immediate_normal(7, 7, 7);
  call_list(outer);
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].normal[2], -1);
  EXPECT_EQ(current_normal[1], 1);
}

TEST(SubsetLists, NamesAreHandedOutUnusedAndFreedByDeletion) {
  start();
  unsigned a = new_lists(3);
  unsigned b = new_lists(2);
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(b, 4u);
  delete_lists(a + 1, 1);
  EXPECT_EQ(new_lists(1), a + 1);  // the freed name again
  EXPECT_EQ(new_lists(2), b + 2);  // no two free names in a row before it
  unsigned error = GL_INVALID_VALUE;
  EXPECT_EQ(generate_lists(0, &error), 0u);
  EXPECT_EQ(error, (unsigned)GL_NO_ERROR);
  unsigned list = record_shape(GL_COMPILE, 1);
  call_list(list);
  EXPECT_EQ(buffers.size(), 1u);
  delete_lists(list, 1);
  EXPECT_TRUE(buffers.empty());  // its buffer goes with it
  drawn.clear();
  call_list(list);
  EXPECT_TRUE(drawn.empty());
  EXPECT_EQ(start_list(0, GL_COMPILE), (unsigned)GL_INVALID_VALUE);
  EXPECT_EQ(start_list(9, GL_RENDER), (unsigned)GL_INVALID_ENUM);
  EXPECT_EQ(start_list(9, GL_COMPILE), (unsigned)GL_NO_ERROR);
  EXPECT_EQ(start_list(10, GL_COMPILE), (unsigned)GL_INVALID_OPERATION);
  EXPECT_EQ(finish_list(), (unsigned)GL_NO_ERROR);
  EXPECT_EQ(finish_list(), (unsigned)GL_INVALID_OPERATION);
}

// A triangle recorded into list `name`: what glEndList answers.
unsigned record_triangle(unsigned name) {
  EXPECT_EQ(start_list(name, GL_COMPILE), (unsigned)GL_NO_ERROR);
  primitive(GL_TRIANGLES, 3);
  return finish_list();
}

// Any nonzero name takes a list, the last one too, in room of its own (a
// table up to the name would not fit in memory); past SUBSET_MAX_LISTS names
// in use there is no room: GL_OUT_OF_MEMORY, nothing changed, while a name in
// use still takes a new list.
TEST(SubsetLists, AnyNonzeroNameHoldsAListUntilNoRoomIsLeft) {
  start();
  const std::vector<int> triangle = {0, 1, 2};
  for (unsigned name : {0xFFFFFFFFu, 0x80000000u, 1u}) {
    EXPECT_EQ(record_triangle(name), (unsigned)GL_NO_ERROR) << name;
    call_list(name);
    EXPECT_EQ(drawn_numbers(), triangle) << name;
    drawn.clear();
  }
  EXPECT_EQ(new_lists(SUBSET_MAX_LISTS - 3), 2u);  // the lowest free run, and then no room
  unsigned error = GL_NO_ERROR;
  EXPECT_EQ(generate_lists(1, &error), 0u);
  EXPECT_EQ(error, (unsigned)GL_OUT_OF_MEMORY);
  EXPECT_EQ(record_triangle(0x90000000u), (unsigned)GL_OUT_OF_MEMORY);
  call_list(0x90000000u);
  EXPECT_TRUE(drawn_numbers().empty());
  EXPECT_EQ(record_triangle(2), (unsigned)GL_NO_ERROR);
  delete_lists(0xFFFFFFFEu, 5);  // up to the last name
  EXPECT_EQ(new_lists(1), (unsigned)SUBSET_MAX_LISTS - 1);
  EXPECT_EQ(generate_lists(0x7FFFFFFF, &error), 0u);
  EXPECT_EQ(error, (unsigned)GL_OUT_OF_MEMORY);
}

// A material's face and name as OpenGL takes them, for either face: anything
// else is GL_INVALID_ENUM, a shininess outside 0 to 128 GL_INVALID_VALUE, and
// then nothing changes.
TEST(SubsetLighting, MaterialsTakeOpenGLsFacesAndNamesOnly) {
  const float red[4] = {1, 0, 0, 1}, too_shiny = 200;
  const struct {
    unsigned face, name, error;
    bool front, back;  // which diffuse colour becomes red
  } cases[] = {
      {GL_FRONT, GL_DIFFUSE, GL_NO_ERROR, true, false},
      {GL_BACK, GL_DIFFUSE, GL_NO_ERROR, false, true},
      {GL_FRONT_AND_BACK, GL_DIFFUSE, GL_NO_ERROR, true, true},
      {GL_FRONT, GL_POSITION, GL_INVALID_ENUM, false, false},
      {GL_BACK, GL_POSITION, GL_INVALID_ENUM, false, false},
      {GL_FRONT_AND_BACK, GL_POSITION, GL_INVALID_ENUM, false, false},
      {GL_LEFT, GL_DIFFUSE, GL_INVALID_ENUM, false, false},
      {GL_BACK, GL_SHININESS, GL_INVALID_VALUE, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "face " << c.face << ", name " << c.name);
    reset_lighting();
    unsigned before = lighting_version();
    EXPECT_EQ(set_material(c.face, c.name, c.name == GL_SHININESS ? &too_shiny : red), c.error);
    EXPECT_EQ(lighting.front.diffuse[0] == 1, c.front);
    EXPECT_EQ(lighting.back.diffuse[0] == 1, c.back);
    EXPECT_EQ(lighting_version() != before, c.error == GL_NO_ERROR);
  }
}

}  // namespace

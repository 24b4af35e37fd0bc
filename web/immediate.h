// The vertices of the browser's OpenGL subset: immediate mode (glBegin to
// glEnd, with the current normal and colour), polygons split into triangles,
// and display lists. Triangles sent in immediate mode wait in a batch that
// is drawn with the state of the moment (flush_immediate): every call that
// changes that state draws the batch first.
#pragma once

// One vertex as the renderer draws it: the position as sent (object
// coordinates), the normal and colour current when it was sent.
struct subset_vertex {
  float position[3];
  float normal[3];
  float colour[4];
};

// The current normal (initially (0, 0, 1)) and colour (initially white).
extern float current_normal[3];
extern float current_colour[4];

// Empties the batch, forgets every display list and sets the current normal
// and colour to their initial values (for a new context).
void reset_immediate();

// glBegin: false for a mode that is not a polygon mode (GL_POLYGON,
// GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS, GL_QUAD_STRIP)
// or inside a glBegin already.
bool immediate_begin(unsigned mode);
void immediate_normal(float x, float y, float z);
void immediate_colour(float red, float green, float blue, float alpha);
void immediate_vertex(float x, float y, float z);
// glEnd: false outside glBegin.
bool immediate_end();
bool inside_begin_end();
// Draws the batch with the state now current and empties it.
void flush_immediate();

// Display lists are kept by name, for any name from 1 to 0xFFFFFFFF, each
// name in use (given a list by glNewList, or handed out empty by glGenLists)
// taking room of its own: at most SUBSET_MAX_LISTS names are in use at a
// time. Where a call would need more it cannot store the lists, answers
// GL_OUT_OF_MEMORY and changes nothing.
enum { SUBSET_MAX_LISTS = 4096 };

// glGenLists: the first of `range` (> 0) consecutive unused names, the
// lowest such run, now in use with empty lists; 0, and *error
// GL_OUT_OF_MEMORY, when there is no room for `range` more (otherwise *error
// is GL_NO_ERROR).
unsigned generate_lists(int range, unsigned* error);
// glDeleteLists: frees the names first to first + range - 1 (up to the
// last name, 0xFFFFFFFF).
void delete_lists(unsigned first, int range);
// glNewList with GL_COMPILE or GL_COMPILE_AND_EXECUTE: the vertex calls up
// to glEndList are recorded into the list (and, with the second mode, drawn
// too). The other calls made meanwhile take effect at once and are not
// recorded. Answers GL_NO_ERROR or the error that leaves it undone.
unsigned start_list(unsigned name, unsigned mode);
// glEndList: the recorded list under its name. GL_INVALID_OPERATION when no
// list is being recorded; GL_OUT_OF_MEMORY, the list dropped and the name
// left unused, when the name was not in use and no room is left.
unsigned finish_list();
// glCallList: draws the list's triangles where vertices sent before any
// normal (colour) in the list take the normal (colour) current now, and
// leaves the list's last normal (colour), if it set one, current. Nothing
// for a name without a list.
void call_list(unsigned name);

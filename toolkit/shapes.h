// Solid shapes compiled once into OpenGL display lists, and the small cache
// that maps a shape's parameters to its list. Needs a current OpenGL context.
#pragma once

#include "toolkit/matrix.h"

// Shape kinds: the index into list_heads. Slots 9 and 18 of 19, as the saver
// has always had them, though only two are used.
enum {
  SHAPE_CONE = 9,
  SHAPE_SOLID_DODECAHEDRON = 18,
  SHAPE_KINDS = 19  // slots in list_heads: kinds 0 to 18
};

// One cached shape. Nodes and their parameter arrays live until the process
// ends; the newest node of a kind is the head.
struct ListNode {
  unsigned list;   // display-list name, never 0 in a stored node
  ListNode* next;  // the next (older) node of the same kind
  int count;       // number of parameters
  double* params;  // `count` doubles on the heap, owned by the node
};

extern ListNode* list_heads[SHAPE_KINDS];
extern Vec3 dodecahedron_vertices[20];

// Draws a solid dodecahedron centred at the current origin, circumradius
// 1.00119 * size.
void solid_dodecahedron(double size);
// Draws the side of a cone along +z: base circle of radius `base` at z = 0,
// apex at z = height.
void solid_cone(double base, double height);

// Display-list name cached for these parameters under `kind`, 0 for none.
// The newest matching node wins; nodes with another parameter count never match.
unsigned find_list(int kind, const double* params, int count);
// Makes a new display-list name and caches it under `kind` in front of the
// older nodes; the node then owns `params`. Returns 0 and stores nothing when
// no node or no name can be had (or the kind is out of range): the caller
// keeps `params` and draws without caching.
unsigned add_list(int kind, double* params, int count);
// Empties the cache: deletes every cached display list in the current context
// and frees the nodes and their parameters. The saver never calls it (its
// shapes live as long as the process); a program that starts over with an
// empty cache in the same context does.
void clear_shape_cache();
// Parameter equality as the cache sees it: only ordered, unequal values
// differ (a not-a-number equals anything, +0 equals -0); count <= 0 matches.
bool compare_params(const double* a, const double* b, int count);

void build_dodecahedron(const Vec3* centre, double scale, unsigned primitive);
void load_dodecahedron_vertices();

// Solid dodecahedron and cone, each compiled once per distinct parameter set
// into a display list (drawn while compiled) and replayed afterwards.
#include "toolkit/shapes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>

ListNode* list_heads[SHAPE_KINDS];
Vec3 dodecahedron_vertices[20];

// 1/1.73: the drawn circumradius is sqrt(3)/1.73 = 1.00119 times the size.
static const double dodecahedron_scale = 0.5780346820809249;

// The twelve faces, each counter-clockwise seen from outside.
static const int dodecahedron_faces[12][5] = {
    {0, 1, 9, 16, 5},   {1, 0, 3, 18, 7},   {1, 7, 11, 10, 9},  {11, 7, 18, 19, 6},
    {8, 17, 16, 9, 10}, {2, 14, 15, 6, 19}, {2, 13, 12, 4, 14}, {2, 19, 18, 3, 13},
    {3, 0, 5, 12, 13},  {6, 15, 8, 10, 11}, {4, 17, 8, 15, 14}, {4, 12, 5, 16, 17},
};

static bool kind_in_range(int kind) {
  return kind >= 0 && kind < SHAPE_KINDS;
}

bool compare_params(const double* a, const double* b, int count) {
  bool same = true;
  for (int i = 0; i < count && same; i++) {
    // Unordered pairs (a not-a-number on either side) count as equal.
    if (a[i] < b[i] || a[i] > b[i]) same = false;
  }
  return same;
}

unsigned find_list(int kind, const double* params, int count) {
  if (!kind_in_range(kind)) return 0;
  for (const ListNode* node = list_heads[kind]; node; node = node->next) {
    // A node with another number of parameters never matches; comparing it
    // would read past the end of its array.
    if (node->count == count && compare_params(node->params, params, count)) return node->list;
  }
  return 0;
}

unsigned add_list(int kind, double* params, int count) {
  if (!kind_in_range(kind)) return 0;
  ListNode* node = static_cast<ListNode*>(std::malloc(sizeof(ListNode)));
  if (!node) return 0;
  // Name 0 means "no list" to the cache, so a failed glGenLists is never stored.
  unsigned list = glGenLists(1);
  if (list == 0) {
    std::free(node);
    return 0;
  }
  node->list = list;
  node->next = list_heads[kind];
  node->count = count;
  node->params = params;
  list_heads[kind] = node;
  return list;
}

void clear_shape_cache() {
  for (ListNode*& head : list_heads) {
    while (head) {
      ListNode* older = head->next;
      glDeleteLists(head->list, 1);
      std::free(head->params);
      std::free(head);
      head = older;
    }
  }
}

void load_dodecahedron_vertices() {
  double r = std::sqrt(2.0 / (3.0 + std::sqrt(5.0)));                          // 1/phi
  double t = 1.0 + std::sqrt(2.0 * r - (2.0 - 6.0 / (3.0 + std::sqrt(5.0))));  // phi
  const Vec3 table[20] = {
      {-r, 0, t},  {r, 0, t},  {-1, -1, -1}, {-1, -1, 1}, {-1, 1, -1}, {-1, 1, 1},  {1, -1, -1},
      {1, -1, 1},  {1, 1, -1}, {1, 1, 1},    {t, r, 0},   {t, -r, 0},  {-t, r, 0},  {-t, -r, 0},
      {-r, 0, -t}, {r, 0, -t}, {0, t, r},    {0, t, -r},  {0, -t, r},  {0, -t, -r},
  };
  for (int i = 0; i < 20; i++) dodecahedron_vertices[i] = table[i];
}

// One face: its normal from its first three corners, then the five corners,
// all placed by the modelling stack.
static void draw_pentagon(int a, int b, int c, int d, int e, unsigned primitive) {
  const Vec3* v = dodecahedron_vertices;
  Vec3 d1, d2, n, normal;
  Vec3 p[5];
  diff3(&v[a], &v[b], &d1);
  diff3(&v[b], &v[c], &d2);
  crossprod(&d1, &d2, &n);
  normalize(&n);
  m_transformpointnormal(&v[a], &p[0], &n, &normal);
  m_transformpoint(&v[b], &p[1]);
  m_transformpoint(&v[c], &p[2]);
  m_transformpoint(&v[d], &p[3]);
  m_transformpoint(&v[e], &p[4]);
  glBegin(primitive);
  glNormal3dv(&normal.x);
  for (int i = 0; i < 5; i++) glVertex3dv(&p[i].x);
  glEnd();
}

void build_dodecahedron(const Vec3* centre, double scale, unsigned primitive) {
  load_dodecahedron_vertices();
  m_pushmatrix();
  m_translate(centre->x, centre->y, centre->z);
  m_scale(scale, scale, scale);
  for (int f = 0; f < 12; f++) {
    const int* face = dodecahedron_faces[f];
    draw_pentagon(face[0], face[1], face[2], face[3], face[4], primitive);
  }
  m_popmatrix();
}

static void draw_dodecahedron(double size) {
  const Vec3 centre = {0, 0, 0};
  build_dodecahedron(&centre, size * dodecahedron_scale, GL_POLYGON);
}

// Replays the list cached for these parameters, if there is one; the query's
// parameters are then freed. Answers whether it replayed one.
static bool replay_cached(int kind, double* params, int count) {
  unsigned list = find_list(kind, params, count);
  if (list == 0) return false;
  glCallList(list);
  std::free(params);
  return true;
}

void solid_dodecahedron(double size) {
  double* params = static_cast<double*>(std::malloc(sizeof(double)));
  if (!params) {
    // No memory for the cache entry: draw the shape without caching it.
    draw_dodecahedron(size);
    return;
  }
  params[0] = size;
  if (replay_cached(SHAPE_SOLID_DODECAHEDRON, params, 1)) return;
  unsigned list = add_list(SHAPE_SOLID_DODECAHEDRON, params, 1);
  if (list == 0) {
    std::free(params);
    draw_dodecahedron(size);
    return;
  }
  glNewList(list, GL_COMPILE_AND_EXECUTE);
  draw_dodecahedron(size);
  glEndList();
}

static void draw_cone(GLUquadric* quadric, double base, double height) {
  gluQuadricDrawStyle(quadric, GLU_FILL);
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluCylinder(quadric, base, 0.0, height, 15, 10);
}

void solid_cone(double base, double height) {
  double* params = static_cast<double*>(std::malloc(2 * sizeof(double)));
  if (params) {
    params[0] = base;
    params[1] = height;
    if (replay_cached(SHAPE_CONE, params, 2)) return;
  }
  // Without a quadric there is nothing to draw: skip the shape and cache nothing.
  GLUquadric* quadric = gluNewQuadric();
  if (!quadric) {
    std::free(params);
    return;
  }
  unsigned list = params ? add_list(SHAPE_CONE, params, 2) : 0;
  if (list == 0) {
    std::free(params);
    draw_cone(quadric, base, height);
  } else {
    glNewList(list, GL_COMPILE_AND_EXECUTE);
    draw_cone(quadric, base, height);
    glEndList();
  }
  gluDeleteQuadric(quadric);
}

// The lighting cases: the scene's light and its three materials (the cone's,
// the surface's blue front and green back), lit from the front, the side,
// from behind, in ambient light only, without lighting, without the light,
// and the cone's back, whose shininess is 0 (OpenGL's 0 to the power 0 is 1:
// its highlight is whole wherever the light falls on it).
#include "tests/web/lighting_cases.h"

#include <GL/gl.h>

namespace {

// The materials of a case: SHINY_FRONT is the default material with the
// cone's highlight (specular 1) and a shininess of 0 on both sides;
// NO_LIGHTING draws with lighting off, in the current colour.
enum material { CONE, SURFACE, DEFAULT_MATERIAL, SHINY_FRONT, NO_LIGHTING };

struct case_setup {
  lighting_case where;
  material kind;
  bool back;       // drawn clockwise: the back is seen
  bool two_sided;  // GL_LIGHT_MODEL_TWO_SIDE
  bool light_on;   // GL_LIGHT0
  float light[4];  // position in eye coordinates
  double normal[3];
};

const float light_ambient[4] = {0.7f, 0.7f, 0.7f, 1.0f};
const float light_diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
const float light_specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float cone_ambient[4] = {0.3f, 0.1f, 0.1f, 1.0f};
const float cone_diffuse[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float cone_specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float front_ambient[4] = {0.1f, 0.1f, 0.3f, 1.0f};
const float front_diffuse[4] = {0.0f, 0.0f, 1.0f, 1.0f};
const float front_specular[4] = {0.0f, 0.0f, 1.0f, 1.0f};
const float back_ambient[4] = {0.1f, 0.3f, 0.1f, 1.0f};
const float back_diffuse[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const float default_ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const float default_diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
const float default_specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// The vertices sit at z = -0.5; the light somewhere about them.
const case_setup setups[] = {
    {{"cone front, highlight", 8, 8}, CONE, false, true, true, {0.2f, 0.3f, 1.5f, 1}, {0, 0, 1}},
    {{"cone front, side light", 20, 8}, CONE, false, true, true, {2.0f, 0.5f, 0.0f, 1}, {0.6, 0, 0.8}},
    {{"cone front, light behind", 32, 8}, CONE, false, true, true, {0.0f, 0.0f, -3.0f, 1}, {0, 0, 1}},
    {{"cone back, shininess 0, lit", 44, 8}, CONE, true, true, true, {0.1f, -0.2f, 2.0f, 1}, {0, 0, -1}},
    {{"cone back, shininess 0, half vector away", 56, 8},
     CONE,
     true,
     true,
     true,
     {20.0f, 0.0f, -0.5f, 1},
     {-0.6, 0, 0.8}},
    {{"shininess 0, half vector barely towards", 56, 44},
     SHINY_FRONT,
     false,
     true,
     true,
     {20.0f, 0.0f, -0.5f, 1},
     {0.72, 0, -0.6940}},
    {{"shininess 0, half vector barely away", 44, 44},
     SHINY_FRONT,
     false,
     true,
     true,
     {20.0f, 0.0f, -0.5f, 1},
     {0.70, 0, -0.7141}},
    {{"cone back, light behind", 8, 20}, CONE, true, true, true, {0.0f, 0.0f, 2.0f, 1}, {0, 0, 1}},
    {{"surface front, lit", 20, 20},
     SURFACE,
     false,
     true,
     true,
     {1.0f, 1.0f, 1.0f, 1},
     {0.3638, 0.8171, 0.4472}},
    {{"surface front, grazing light", 8, 44},
     SURFACE,
     false,
     true,
     true,
     {3.0f, 0.2f, -0.4f, 1},
     {0, 0.28, 0.96}},
    {{"surface front, ambient only", 32, 20}, SURFACE, false, true, true, {1.0f, 1.0f, -3.0f, 1}, {0, 0, 1}},
    {{"surface back, lit", 44, 20},
     SURFACE,
     true,
     true,
     true,
     {-1.0f, 0.5f, 1.0f, 1},
     {0.3638, -0.8171, -0.4472}},
    {{"surface back, ambient only", 56, 20}, SURFACE, true, true, true, {1.0f, 1.0f, 1.0f, 1}, {0, 0, 1}},
    {{"one-sided, back seen", 8, 32}, CONE, true, false, true, {0.5f, 0.5f, 1.0f, 1}, {0.6, 0, 0.8}},
    {{"light switched off", 20, 32}, SURFACE, false, true, false, {1.0f, 1.0f, 1.0f, 1}, {0, 0, 1}},
    {{"directional light", 32, 32}, CONE, false, true, true, {0.3f, 0.4f, 0.5f, 0}, {0.48, 0.6, 0.64}},
    {{"default material", 44, 32}, DEFAULT_MATERIAL, false, true, true, {0.5f, 1.0f, 1.0f, 1}, {0.6, 0.8, 0}},
    {{"lighting off, colour", 56, 32}, NO_LIGHTING, false, true, true, {0, 0, 1, 0}, {0, 0, 1}},
};
const int setup_count = sizeof setups / sizeof setups[0];
lighting_case cases[setup_count];

void set_materials(material kind) {
  const float* ambient[2] = {default_ambient, default_ambient};
  const float* diffuse[2] = {default_diffuse, default_diffuse};
  const float* specular[2] = {default_specular, default_specular};
  float shininess[2] = {0, 0};
  if (kind == CONE) {
    ambient[0] = ambient[1] = cone_ambient;
    diffuse[0] = diffuse[1] = cone_diffuse;
    specular[0] = specular[1] = cone_specular;
    shininess[0] = 100;
  } else if (kind == SHINY_FRONT) {
    specular[0] = specular[1] = cone_specular;
  } else if (kind == SURFACE) {
    ambient[0] = front_ambient;
    diffuse[0] = front_diffuse;
    specular[0] = front_specular;
    shininess[0] = 50;
    ambient[1] = back_ambient;
    diffuse[1] = back_diffuse;
  }
  const GLenum faces[2] = {GL_FRONT, GL_BACK};
  for (int f = 0; f < 2; f++) {
    glMaterialfv(faces[f], GL_AMBIENT, ambient[f]);
    glMaterialfv(faces[f], GL_DIFFUSE, diffuse[f]);
    glMaterialfv(faces[f], GL_SPECULAR, specular[f]);
    glMaterialf(faces[f], GL_SHININESS, shininess[f]);
  }
}

void draw_case(const case_setup& s) {
  if (s.kind == NO_LIGHTING)
    glDisable(GL_LIGHTING);
  else
    glEnable(GL_LIGHTING);
  if (s.light_on)
    glEnable(GL_LIGHT0);
  else
    glDisable(GL_LIGHT0);
  glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, s.two_sided ? 1.0f : 0.0f);
  glLightfv(GL_LIGHT0, GL_POSITION, s.light);
  set_materials(s.kind);
  glColor3f(0.25f, 0.5f, 0.75f);
  // A triangle of three pixels' size round the pixel's centre, in the view's
  // coordinates (-1 to 1 across 64 pixels).
  double cx = (s.where.x + 0.5) / 32 - 1, cy = (s.where.y + 0.5) / 32 - 1, d = 1.5 / 32;
  double corners[3][3] = {{cx - d, cy - d, -0.5}, {cx + d, cy - d, -0.5}, {cx, cy + d, -0.5}};
  glBegin(GL_POLYGON);
  glNormal3dv(s.normal);
  for (int k = 0; k < 3; k++) glVertex3dv(corners[s.back ? 2 - k : k]);
  glEnd();
}

}  // namespace

const lighting_case* lighting_cases(int* count) {
  for (int k = 0; k < setup_count; k++) cases[k] = setups[k].where;
  *count = setup_count;
  return cases;
}

void draw_lighting_cases() {
  glViewport(0, 0, LIGHTING_VIEW, LIGHTING_VIEW);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, light_specular);
  for (const case_setup& s : setups) draw_case(s);
}

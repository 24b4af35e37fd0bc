// Scene state, setup of a fresh OpenGL context and one animated frame.
#pragma once

extern float camera_distance;
extern float tilt_angle;   // degrees, plus 4/3 per frame
extern float spin_angle;   // degrees, plus 5/6 per frame
extern float light_angle;  // degrees, plus 6 per frame; init_scene leaves it alone

extern const float light0_ambient[4];
extern const float light0_diffuse[4];
extern const float light0_specular[4];
extern const float light0_position[4];
extern const float cone_ambient[4];
extern const float cone_diffuse[4];
extern const float cone_specular[4];
extern const float surface_front_ambient[4];
extern const float surface_front_diffuse[4];
extern const float surface_front_specular[4];
extern const float surface_back_ambient[4];
extern const float surface_back_diffuse[4];

void init_scene(int width, int height);
// For a window that changed size: the viewport covers width x height and the
// projection is set afresh, the same one init_scene sets up. Leaves the
// modelview matrix current, as init_scene does.
void resize_scene(int width, int height);
void draw_frame();
void apply_camera(double distance, double roll, double tilt, double spin);
void draw_light_marker();

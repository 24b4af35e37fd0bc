// Scene state, setup of a fresh OpenGL context and one animated frame.
#pragma once

extern float camera_distance;
extern float tilt_angle;   // degrees, plus 4/3 per frame
extern float spin_angle;   // degrees, plus 5/6 per frame
extern float light_angle;  // degrees, plus 6 per frame; init_scene leaves it alone

void init_scene(int width, int height);
// The scene's perspective for a width x height viewport (45 degrees of view,
// near plane 0.3, far plane 17), multiplied onto the current matrix; a height
// of 0 or less counts as 1. Used by init_scene and resize_scene.
void apply_scene_projection(int width, int height);
// For a window that changed size: the viewport covers width x height and the
// projection is set afresh, the same one init_scene sets up. Leaves the
// modelview matrix current, as init_scene does.
void resize_scene(int width, int height);
// One view of the scene in part of the drawable: the viewport is the
// rectangle whose lower left corner is (x, y) in OpenGL's window coordinates,
// and the projection is set afresh for its own width x height, so that the
// view shows the whole scene as a window of that size would. resize_scene
// is place_scene_view(0, 0, width, height). Leaves the modelview matrix
// current.
void place_scene_view(int x, int y, int width, int height);
// One animated frame: clear, one step of the animation (step_frame), then
// the stepped frame (draw_stepped_frame). The surface is the immediate-mode
// grid (draw_surface_grid).
void draw_frame();
// The same frame with the surface sent by `send_grid` (the native programs
// send the surface mesh, draw_surface_mesh); draw_frame is
// draw_frame_with(draw_surface_grid).
void draw_frame_with(void (*send_grid)());
// A frame in two halves, for a host that shows one step in several views
// (one per monitor or output): step_frame moves the animation on by one
// step (tilt, spin, light) and draws nothing; draw_stepped_frame draws the
// current step into the current viewport without clearing: inside the
// camera frame the light and its marker, the cone and the surface, leaving
// the matrices and attributes as it found them. It may be called any number
// of times per step, and draws the same picture each time.
void step_frame();
void draw_stepped_frame(void (*send_grid)());
// Moves the animation on by `frames` frames without drawing: the camera's
// tilt and spin and the light's angle end exactly where that many drawn
// frames leave them, so that frame N can be drawn without the frames before
// it. Nothing for 0 or less. Needs no OpenGL context.
void advance_frames(long frames);

// The pieces of draw_stepped_frame, for programs that measure them one by
// one. The camera of the current step, multiplied onto the current matrix.
void apply_stepped_camera();
// Places the light of the current step and draws its white marker.
void draw_light_and_marker();
// The red cone with its own materials.
void draw_red_cone();
// The surface's two materials and placement around `send_grid`, which sends
// the grid's polygons (draw_surface_grid in the frame itself).
void draw_surface(void (*send_grid)());

void apply_camera(double distance, double roll, double tilt, double spin);
void draw_light_marker();

// Frame cost offscreen at 1024 x 768, on the renderer that OSMesa gives:
// llvmpipe, or Mesa's no-op renderer with GALLIUM_NOOP=1 in the environment
// (every call accepted, nothing drawn: what is left is the program and
// Mesa's front end, the CPU's part where a GPU draws). `make bench` runs it
// both ways.
//
// At frame 75: the full frame (draw_frame, the surface as 8190 polygons), the
// same frame with the grid's 32,760 vertices computed beforehand (a baseline
// that only sends them), the frame with the surface mesh, the steps of a
// frame up to the surface, and the 32,760 surface points alone. Over the
// animation: the first 300 frames drawn in full and with the mesh. Prints
// medians and the ratios mesh / full; asserts nothing.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/surface.h"
#include "scene/surface_mesh.h"
#include "tools/offscreen.h"

namespace {

const int bench_frame_number = 75;  // surface, cone and marker all in view
const int sweep_frames = 300;       // the light five times round, the tilt once
float start_tilt, start_spin, start_light;
std::vector<Vec3> grid_vertices;  // the grid's vertices in drawing order

// Puts the angles back where they were before frame 75, so that every
// iteration draws the same picture.
void rewind_angles() {
  tilt_angle = start_tilt;
  spin_angle = start_spin;
  light_angle = start_light;
}

void precompute_grid() {
  grid_vertices.clear();
  for (int i = 0; i < SURFACE_ROWS; i++)
    for (int j = 0; j < SURFACE_COLUMNS; j++) {
      if (surface_cell_skipped(i, j)) continue;
      int corners[4][2];
      surface_cell_corners(i, j, corners);
      for (auto& c : corners) {
        Vec3 p;
        surface_point(c[0] / 64.0, c[1] / 64.0, &p);
        grid_vertices.push_back(p);
      }
    }
}

// Sends the grid's polygons from the precomputed vertices.
void send_precomputed_grid() {
  const Vec3* p = grid_vertices.data();
  for (size_t n = 0; n < grid_vertices.size(); n += 4, p += 4) {
    glBegin(GL_POLYGON);
    glVertex3dv(&p[0].x);
    glVertex3dv(&p[1].x);
    glVertex3dv(&p[2].x);
    glVertex3dv(&p[3].x);
    glEnd();
  }
}

void send_nothing() {}

// The steps of a frame, each drawn up to its step: where a frame's time goes.
void clear_only() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void up_to_light_and_marker() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  step_frame();
  glPushMatrix();
  apply_stepped_camera();
  draw_light_and_marker();
  glPopMatrix();
}

void up_to_cone() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  step_frame();
  glPushMatrix();
  apply_stepped_camera();
  draw_light_and_marker();
  draw_red_cone();
  glPopMatrix();
}

void without_surface() {
  draw_frame_with(send_nothing);
}

void full_frame() {
  draw_frame();
}

void precomputed_frame() {
  draw_frame_with(send_precomputed_grid);
}

void mesh_frame() {
  draw_frame_with(draw_surface_mesh);
}

// One frame 75, finished.
void BM_frame(benchmark::State& state, void (*draw)()) {
  for (auto _ : state) {
    rewind_angles();
    draw();
    glFinish();
  }
}

// Frames 1 to sweep_frames from the start of the animation, each finished.
void BM_sweep(benchmark::State& state, void (*draw)()) {
  for (auto _ : state) {
    tilt_angle = spin_angle = light_angle = 0;
    for (int n = 0; n < sweep_frames; n++) {
      draw();
      glFinish();
    }
  }
  state.counters["frames"] = sweep_frames;
}

void BM_surface_points(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0;
    const double d = 1.0 / 64;
    for (int i = 0; i < 64; i++)
      for (int j = 0; j < 128; j++) {
        if (surface_cell_skipped(i, j)) continue;
        double u = (float)i * (1.0f / 64), v = (float)j * (1.0f / 64);
        Vec3 p;
        surface_point(u, v, &p);
        sum += p.x;
        surface_point(u + d, v, &p);
        sum += p.y;
        surface_point(u + d, v + d, &p);
        sum += p.z;
        surface_point(u, v + d, &p);
        sum += p.x;
      }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["points"] = 32760;
}

const int repetitions = 15;

void register_benchmarks() {
  struct {
    const char* name;
    void (*draw)();
  } frames[] = {
      {"BM_full_frame", full_frame},
      {"BM_precomputed_grid_frame", precomputed_frame},
      {"BM_mesh_frame", mesh_frame},
      {"BM_clear_only", clear_only},
      {"BM_up_to_light_and_marker", up_to_light_and_marker},
      {"BM_up_to_cone", up_to_cone},
      {"BM_frame_without_surface", without_surface},
  };
  for (auto& f : frames)
    benchmark::RegisterBenchmark(f.name, BM_frame, f.draw)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.2)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true);
  const struct {
    const char* name;
    void (*draw)();
  } sweeps[] = {{"BM_full_sweep", full_frame}, {"BM_mesh_sweep", mesh_frame}};
  for (const auto& sweep : sweeps)
    benchmark::RegisterBenchmark(sweep.name, BM_sweep, sweep.draw)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("BM_surface_points", BM_surface_points)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Repetitions(repetitions)
      ->ReportAggregatesOnly(true);
}

// Keeps the median of each benchmark while the console shows the usual table.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> median_ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        median_ms[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

// The median of `name` in ms, or a negative number when it did not run.
double median_of(const MedianReporter& reporter, const char* name) {
  auto found = reporter.median_ms.find(name);
  return found == reporter.median_ms.end() ? -1 : found->second;
}

void print_line(const char* label, double ms) {
  if (ms >= 0) std::printf("  %-44s %8.3f ms\n", label, ms);
}

void print_ratio(const char* label, double numerator, double denominator) {
  if (numerator >= 0 && denominator > 0) std::printf("  %-44s %8.3f\n", label, numerator / denominator);
}

}  // namespace

int main(int argc, char** argv) {
  // Repetitions of the benchmarks are interleaved, so that a change of the
  // machine's load falls on all of them alike.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int arg_count = (int)args.size();
  benchmark::Initialize(&arg_count, args.data());
  if (!offscreen_open(1024, 768)) return 1;
  set_gl_function_lookup(offscreen_function);
  const char* renderer = (const char*)glGetString(GL_RENDERER);
  bool no_op = renderer && std::strstr(renderer, "NOOP");
  init_scene(1024, 768);
  for (int k = 0; k < bench_frame_number - 1; k++) draw_frame();  // also compiles the two shapes' lists
  draw_surface_mesh();  // makes the mesh's buffers once, before any timing
  start_tilt = tilt_angle;
  start_spin = spin_angle;
  start_light = light_angle;
  precompute_grid();
  std::printf("renderer: %s; surface mesh in %s; grid vertices precomputed: %zu\n", renderer ? renderer : "?",
              surface_mesh_in_buffers() ? "buffer objects" : "client-side arrays", grid_vertices.size());

  register_benchmarks();
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double full = median_of(reporter, "BM_full_frame");
  double base = median_of(reporter, "BM_precomputed_grid_frame");
  double mesh = median_of(reporter, "BM_mesh_frame");
  double full_sweep = median_of(reporter, "BM_full_sweep");
  double mesh_sweep = median_of(reporter, "BM_mesh_sweep");
  const char* where = no_op ? "Mesa's no-op renderer (GALLIUM_NOOP=1)" : "llvmpipe (OSMesa)";
  std::printf("\nMedians, frame %d at 1024 x 768 on %s:\n", bench_frame_number, where);
  print_line("full frame (draw_frame)", full);
  print_line("frame, grid vertices precomputed", base);
  print_line("frame, surface mesh", mesh);
  print_line("32,760 surface points alone", median_of(reporter, "BM_surface_points"));
  print_ratio("ratio full / precomputed", full, base);
  print_ratio("ratio mesh / full", mesh, full);
  // Each step's own cost is what it adds to the frame drawn up to the step
  // before; the finish copies the frame out of OSMesa into the program's
  // buffer (a window's swap takes its place).
  std::printf("Where the mesh frame goes (drawn up to each step, then finished):\n");
  const struct {
    const char* label;
    const char* name;
  } steps[] = {
      {"clear, and the finish", "BM_clear_only"},
      {"+ camera, light and marker", "BM_up_to_light_and_marker"},
      {"+ the cone", "BM_up_to_cone"},
      {"+ the surface's materials and placement", "BM_frame_without_surface"},
      {"+ the surface mesh", "BM_mesh_frame"},
  };
  double before = 0;
  for (const auto& step : steps) {
    double ms = median_of(reporter, step.name);
    if (ms < 0) continue;
    std::printf("  %-44s %8.3f ms  (%+.3f)\n", step.label, ms, ms - before);
    before = ms;
  }
  std::printf("Frames 1 to %d, per frame:\n", sweep_frames);
  print_line("full frame", full_sweep >= 0 ? full_sweep / sweep_frames : -1);
  print_line("frame, surface mesh", mesh_sweep >= 0 ? mesh_sweep / sweep_frames : -1);
  print_ratio("ratio mesh / full over the animation", mesh_sweep, full_sweep);
  release_surface_mesh();
  offscreen_close();
  return 0;
}

// Frame cost on llvmpipe offscreen at 1024 x 768: the full frame, the same
// frame with the grid's 32,760 vertices computed once beforehand (a baseline
// that only sends them), and the 32,760 surface points alone. Prints medians
// and the ratio full / baseline; asserts nothing.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/surface.h"
#include "tools/offscreen.h"

namespace {

const int bench_frame_number = 75;  // surface, cone and marker all in view
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
  const double d = 1.0 / 64;
  for (int i = 0; i < 64; i++)
    for (int j = 0; j < 128; j++) {
      if (surface_cell_skipped(i, j)) continue;
      double u = i * d, v = j * d;
      bool forward = surface_cell_flag(i, j) != 0;
      double corners[4][2] = {{u, v},
                              {forward ? u + d : u, forward ? v : v + d},
                              {u + d, v + d},
                              {forward ? u : u + d, forward ? v + d : v}};
      for (auto& c : corners) {
        Vec3 p;
        surface_point(c[0], c[1], &p);
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

// The frame of the scene, made of its own steps, but the surface is sent
// from the precomputed vertices.
void draw_frame_precomputed() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  step_camera();
  draw_light_and_marker();
  draw_red_cone();
  draw_surface(send_precomputed_grid);
  glPopMatrix();
}

void BM_full_frame(benchmark::State& state) {
  for (auto _ : state) {
    rewind_angles();
    draw_frame();
    glFinish();
  }
}

void BM_precomputed_grid_frame(benchmark::State& state) {
  for (auto _ : state) {
    rewind_angles();
    draw_frame_precomputed();
    glFinish();
  }
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
BENCHMARK(BM_full_frame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_precomputed_grid_frame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_surface_points)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!offscreen_open(1024, 768)) return 1;
  init_scene(1024, 768);
  for (int k = 0; k < bench_frame_number - 1; k++) draw_frame();  // also compiles the two shapes' lists
  start_tilt = tilt_angle;
  start_spin = spin_angle;
  start_light = light_angle;
  precompute_grid();
  std::printf("grid vertices precomputed: %zu\n", grid_vertices.size());

  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto full = reporter.median_ms.find("BM_full_frame");
  auto base = reporter.median_ms.find("BM_precomputed_grid_frame");
  auto points = reporter.median_ms.find("BM_surface_points");
  std::printf("\nMedians, frame %d at 1024 x 768 on llvmpipe (OSMesa):\n", bench_frame_number);
  if (full != reporter.median_ms.end())
    std::printf("  full frame (draw_frame)              %8.3f ms\n", full->second);
  if (base != reporter.median_ms.end())
    std::printf("  frame, grid vertices precomputed     %8.3f ms\n", base->second);
  if (points != reporter.median_ms.end())
    std::printf("  32,760 surface points alone          %8.3f ms\n", points->second);
  if (full != reporter.median_ms.end() && base != reporter.median_ms.end() && base->second > 0)
    std::printf("  ratio full / precomputed             %8.3f\n", full->second / base->second);
  offscreen_close();
  return 0;
}

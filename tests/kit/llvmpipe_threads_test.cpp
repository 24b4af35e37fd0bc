// The environment that every test process gets from its registration
// (korv_add_test, tests/kit/register.cmake): with an OSMesa context made and
// drawn in, the process has no llvmpipe rasteriser thread for Mesa's exit
// handler to join. A copy of the program given two shows that they are seen.
#include <GL/gl.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/offscreen.h"

namespace {

// Draws a triangle in a context of its own; answers how many threads of the
// process llvmpipe made to rasterise then (it names them llvmpipe-N).
int rasteriser_threads_after_a_draw() {
  if (!offscreen_open(64, 64)) return -1;
  glBegin(GL_TRIANGLES);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(0, 1);
  glEnd();
  glFinish();
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* task = tasks ? readdir(tasks) : nullptr) {
    std::string name;
    std::getline(std::ifstream(std::string("/proc/self/task/") + task->d_name + "/comm"), name);
    count += name.rfind("llvmpipe-", 0) == 0;
  }
  if (tasks) closedir(tasks);
  return count;
}

TEST(TestEnvironment, LlvmpipeRasterisesInTheThreadThatDraws) {
  // The copy first: nothing forks once this process has a context.
  char self[4096] = "";
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  FILE* copy = popen(("LP_NUM_THREADS=2 '" + std::string(self) + "' --count").c_str(), "r");
  ASSERT_NE(copy, nullptr);
  int counted = -1;
  EXPECT_EQ(std::fscanf(copy, "%d", &counted), 1);
  EXPECT_EQ(pclose(copy), 0);
  EXPECT_EQ(counted, 2) << "a copy with LP_NUM_THREADS=2 shows its two rasteriser threads";
  const char* given = getenv("LP_NUM_THREADS");
  EXPECT_EQ(rasteriser_threads_after_a_draw(), 0) << "with LP_NUM_THREADS " << (given ? given : "unset");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && !std::strcmp(argv[1], "--count")) {
    std::printf("%d\n", rasteriser_threads_after_a_draw());
    std::fflush(stdout);
    _exit(0);  // not through Mesa's exit handler, which would wait for those threads
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

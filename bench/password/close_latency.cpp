// Close latency without a password: how long from a key press until the
// saver's full-screen window is gone, and until its process has ended.
//
//   close_latency SAVER RUNS
//
// Each run starts SAVER /s, waits until its window is in the foreground and
// has been drawing for 300 ms, then presses and releases a key through
// SendInput (Wine queues it as hardware input for the foreground window, as it
// does for a key typed on the X display) and polls IsWindow without sleeping.
// Times come from QueryPerformanceCounter. Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

static double now_ms() {
  static LARGE_INTEGER frequency = {};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static void press_key() {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = 'A';
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

static void summary(const char* what, std::vector<double> v) {
  if (v.empty()) {
    printf("%-34s no samples\n", what);
    return;
  }
  std::sort(v.begin(), v.end());
  double sum = 0;
  for (double x : v) sum += x;
  printf("%-34s n=%zu  min %.2f  median %.2f  mean %.2f  p95 %.2f  max %.2f ms\n", what, v.size(), v.front(),
         v[v.size() / 2], sum / (double)v.size(),
         v[(v.size() * 95) / 100 < v.size() ? (v.size() * 95) / 100 : v.size() - 1], v.back());
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: close_latency SAVER RUNS\n");
    return 2;
  }
  int runs = atoi(argv[2]);
  std::vector<double> window_gone, process_gone;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    char line[1024];
    snprintf(line, sizeof line, "\"%s\" /s", argv[1]);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      fprintf(stderr, "cannot start %s (%lu)\n", argv[1], GetLastError());
      return 1;
    }
    HWND w = nullptr;
    double start = now_ms();
    while (now_ms() - start < 15000) {
      w = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
      if (w && GetForegroundWindow() == w) break;
      Sleep(5);
    }
    if (!w || GetForegroundWindow() != w) {
      ++failures;
      TerminateProcess(pi.hProcess, 1);
    } else {
      Sleep(300);
      double t0 = now_ms();
      press_key();
      double t1 = 0;
      while (now_ms() - t0 < 10000) {
        if (!IsWindow(w)) {
          t1 = now_ms();
          break;
        }
      }
      if (t1 == 0 || WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        ++failures;
        TerminateProcess(pi.hProcess, 1);
      } else {
        double t2 = now_ms();
        window_gone.push_back(t1 - t0);
        process_gone.push_back(t2 - t0);
      }
    }
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  printf("saver: %s, %d runs, %d without a measurement\n", argv[1], runs, failures);
  summary("key press -> window gone", window_gone);
  summary("key press -> process ended", process_gone);
  return 0;
}

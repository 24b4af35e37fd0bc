// The stop signals, blocked and read through a signalfd.
#include "linux/stop_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

static sigset_t stop_signals;
static int signal_fd = -1;
static int first_stop_signal;  // 0 until one comes

bool block_stop_signals() {
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &stop_signals, nullptr) != 0) return false;
  signal_fd = signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC);
  return signal_fd >= 0;
}

int stop_signal_fd() {
  return signal_fd;
}

void read_stop_signal() {
  signalfd_siginfo info;
  while (read(signal_fd, &info, sizeof info) == (ssize_t)sizeof info)
    if (!first_stop_signal) first_stop_signal = (int)info.ssi_signo;
}

int stop_signal() {
  return first_stop_signal;
}

void end_by_stop_signal() {
  if (!first_stop_signal) return;
  std::signal(first_stop_signal, SIG_DFL);
  std::fflush(nullptr);
  raise(first_stop_signal);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, first_stop_signal);
  sigprocmask(SIG_UNBLOCK, &one, nullptr);
}

// The GUI main function that the runtime start-up calls: hands over at once.
#include "host/host_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  saver_entry();
}

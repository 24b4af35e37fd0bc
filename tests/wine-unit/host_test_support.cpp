#include "tests/wine-unit/host_test_support.h"

#include "scene/scene.h"
#include "scene/scene_window.h"

static const char test_saver_class[] = "KorvUnitSaver";
static const char test_parent_class[] = "KorvUnitParent";

static void register_classes() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA saver = {};
  saver.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  saver.lpfnWndProc = saver_window_proc;
  saver.hInstance = GetModuleHandleA(nullptr);
  saver.lpszClassName = test_saver_class;
  RegisterClassA(&saver);
  WNDCLASSA parent = {};
  parent.lpfnWndProc = DefWindowProcA;
  parent.hInstance = GetModuleHandleA(nullptr);
  parent.lpszClassName = test_parent_class;
  RegisterClassA(&parent);
  registered = true;
}

void drain_queue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    // WM_PAINT stays pending until the window is valid again.
    if (message.message == WM_PAINT) ValidateRect(message.hwnd, nullptr);
  }
}

int take_closes(HWND window) {
  int count = 0;
  MSG message;
  while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
  return count;
}

TestSaver open_test_saver(bool preview) {
  register_classes();
  reset_host_state();
  TestSaver saver = {nullptr, nullptr};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (preview) {
    saver.parent = CreateWindowExA(0, test_parent_class, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                   240, 180, nullptr, nullptr, instance, nullptr);
    preview_mode = 1;
    RECT client;
    GetClientRect(saver.parent, &client);
    saver.window = CreateWindowExA(0, test_saver_class, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                   0, client.right, client.bottom, saver.parent, nullptr, instance, nullptr);
  } else {
    saver.window = CreateWindowExA(WS_EX_TOPMOST, test_saver_class, "Screen Saver",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 300, 200, 320,
                                   240, nullptr, nullptr, instance, nullptr);
  }
  saver_window = saver.window;
  KillTimer(saver.window, 1);
  drain_queue();
  return saver;
}

void close_test_saver(TestSaver& saver) {
  // The window's own WM_DESTROY posts WM_QUIT; it must not reach later tests.
  close_allowed = 1;
  if (saver.window && IsWindow(saver.window)) DestroyWindow(saver.window);
  if (saver.parent && IsWindow(saver.parent)) DestroyWindow(saver.parent);
  drain_queue();
  reset_host_state();
  saver.window = saver.parent = nullptr;
}

// The import slot of `function` from `library` in this program's own image.
static void** import_slot(const char* library, const char* function) {
  BYTE* base = (BYTE*)GetModuleHandleA(nullptr);
  IMAGE_NT_HEADERS* headers = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
  IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (IMAGE_IMPORT_DESCRIPTOR* entry = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
       entry->Name; ++entry) {
    if (lstrcmpiA((const char*)(base + entry->Name), library) != 0) continue;
    IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + entry->OriginalFirstThunk);
    IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      IMAGE_IMPORT_BY_NAME* named = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
      if (lstrcmpA((const char*)named->Name, function) == 0) return (void**)&slots->u1.Function;
    }
  }
  return nullptr;
}

static void replace_slot(void** slot, void* function) {
  DWORD protection;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = function;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

static std::vector<SleepCall>* sleep_log = nullptr;
static VOID(WINAPI* platform_sleep)(DWORD) = nullptr;

static VOID WINAPI recording_sleep(DWORD milliseconds) {
  if (sleep_log) sleep_log->push_back(SleepCall{milliseconds, tilt_angle});
  platform_sleep(milliseconds);
}

bool record_sleeps(std::vector<SleepCall>* log) {
  void** slot = import_slot("KERNEL32.dll", "Sleep");
  if (!slot) return false;
  if (!platform_sleep) platform_sleep = (VOID(WINAPI*)(DWORD)) * slot;
  sleep_log = log;
  replace_slot(slot, log ? (void*)recording_sleep : (void*)platform_sleep);
  return true;
}

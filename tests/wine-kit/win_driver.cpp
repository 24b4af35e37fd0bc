#include "tests/wine-kit/win_driver.h"
#include "korv_version.h"
#include <stdio.h>
#include <string.h>

std::string message_box_text(HWND box) {
  // The message text is the static control with id 0xFFFF.
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? window_text(text) : std::string();
}

HWND focus_of(HWND window) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info)) return NULL;
  return info.hwndFocus;
}

void click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button) SendMessageA(button, BM_CLICK, 0, 0);
}

void press_escape(HWND dialog) {
  HWND target = focus_of(dialog);
  if (!target) target = dialog;
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void close_box(HWND dialog) {
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

static const char desktop_key[] = "Control Panel\\Desktop";

saver_value read_saver_value() {
  saver_value value = {false, 0, 0, std::string()};
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, desktop_key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  // Read as the registry keeps it (wide), with the stored length. (The
  // platform's RegSetValueExA itself adds a zero that a caller forgot to count,
  // so a missing one cannot be seen here.)
  WCHAR data[1024];
  DWORD size = sizeof data, type = 0;
  if (RegQueryValueExW(key, L"SCRNSAVE.EXE", NULL, &type, (BYTE*)data, &size) == ERROR_SUCCESS) {
    value.present = true;
    value.type = type;
    value.size = size / sizeof(WCHAR);
    for (DWORD i = 0; i < value.size && i < 1024; i++) value.data += data[i] < 0x80 ? (char)data[i] : '?';
  }
  RegCloseKey(key);
  return value;
}

void write_saver_value(const char* text) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, desktop_key, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
  RegCloseKey(key);
}

void delete_saver_value() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, desktop_key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, "SCRNSAVE.EXE");
  RegCloseKey(key);
}

static std::string desktop_text(HKEY key, const char* name) {
  char data[64];
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(key, name, NULL, &type, (BYTE*)data, &size) != ERROR_SUCCESS) return "(none)";
  if (type != REG_SZ) return "(not text)";
  data[size] = '\0';
  return data;
}

screen_saving read_screen_saving() {
  screen_saving saving = {"(none)", "(none)"};
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, desktop_key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return saving;
  saving.active = desktop_text(key, "ScreenSaveActive");
  saving.timeout = desktop_text(key, "ScreenSaveTimeOut");
  RegCloseKey(key);
  return saving;
}

std::ostream& operator<<(std::ostream& out, const screen_saving& saving) {
  return out << "active " << saving.active << ", timeout " << saving.timeout;
}

void set_screen_saving(bool active, unsigned timeout) {
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, NULL, SPIF_UPDATEINIFILE);
  SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, timeout, NULL, SPIF_UPDATEINIFILE);
}

bool read_file(const std::string& path, std::string& bytes) {
  bytes.clear();
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  fclose(file);
  return true;
}

bool write_file(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

bool file_exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void remove_tree(const std::string& dir) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

std::string make_scratch_dir(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string dir = std::string(temp) + "korv-setup-" + name;
  remove_tree(dir);
  CreateDirectoryA(dir.c_str(), NULL);
  return dir;
}

int count_entries(const std::string& dir) {
  int count = 0;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return -1;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") count++;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return count;
}

// The version as the file VERSION writes it, through the build.
const char about_caption[] = "Korvanthel screen saver v " KORV_VERSION_TEXT;
const char agreement_caption[] = "install Korvanthel screen saver";
const char question_caption[] = "Korvanthel screen saver";
const char failure_caption[] = "Korvanthel screen saver setup";

installer_run make_installer_run(agreement_ending ending, int answer) {
  installer_run run;
  run.ending = ending;
  run.answer = answer;
  run.ended = NULL;
  run.agreement_seen = false;
  run.install_enabled_at_start = false;
  run.about_seen = false;
  run.about_hidden_during_agreement = false;
  run.question_seen = false;
  run.failure_seen = false;
  return run;
}

static void note_about(installer_run& run, DWORD pid) {
  if (find_top_window(about_caption, pid, true)) run.about_seen = true;
}

// A failure report is read and acknowledged.
static void acknowledge_failure(installer_run& run, HWND failure) {
  run.failure_seen = true;
  run.failure_text = message_box_text(failure);
  PostMessageA(failure, WM_COMMAND, IDOK, 0);
  wait_until_gone(failure);
}

// After the answer: a failure report that comes before the installer ends
// is read and acknowledged.
static void acknowledge_failure_until_end(installer_run& run, DWORD pid) {
  if (!run.ended) return;
  for (DWORD start = GetTickCount(); within_patience(start);) {
    HWND failure = find_top_window(failure_caption, pid, true);
    if (failure) {
      acknowledge_failure(run, failure);
      return;
    }
    if (WaitForSingleObject(run.ended, 25) == WAIT_OBJECT_0) return;
  }
}

void drive_installer(installer_run& run, DWORD pid) {
  HWND agreement = NULL;
  for (DWORD start = GetTickCount(); !agreement && within_patience(start);) {
    note_about(run, pid);
    agreement = find_top_window(agreement_caption, pid, true);
    if (!agreement) Sleep(25);
  }
  if (!agreement) return;
  run.agreement_seen = true;
  run.install_enabled_at_start = IsWindowEnabled(GetDlgItem(agreement, 1003)) != FALSE;
  HWND hidden_about = find_top_window(about_caption, pid, false);
  run.about_hidden_during_agreement = hidden_about && !IsWindowVisible(hidden_about);
  switch (run.ending) {
  case end_by_exit:
    click(agreement, 1005);
    break;
  case end_by_idok:
    PostMessageA(agreement, WM_COMMAND, IDOK, 0);
    break;
  case end_by_idcancel:
    PostMessageA(agreement, WM_COMMAND, IDCANCEL, 0);
    break;
  case end_by_escape:
    press_escape(agreement);
    break;
  case end_by_close_box:
    close_box(agreement);
    break;
  case end_by_install:
    click(agreement, 1002);
    click(agreement, 1003);
    break;
  }
  wait_until_gone(agreement);
  note_about(run, pid);
  if (run.ending != end_by_install) {
    // Declined: no box may follow.
    for (int i = 0; i < 20; i++) {
      if (find_top_window(question_caption, pid, true)) run.question_seen = true;
      if (find_top_window(failure_caption, pid, true)) run.failure_seen = true;
      note_about(run, pid);
      Sleep(25);
    }
    return;
  }
  for (DWORD start = GetTickCount(); within_patience(start); Sleep(25)) {
    note_about(run, pid);
    HWND question = find_top_window(question_caption, pid, true);
    if (question) {
      run.question_seen = true;
      run.question_text = message_box_text(question);
      PostMessageA(question, WM_COMMAND, run.answer, 0);
      wait_until_gone(question);
      acknowledge_failure_until_end(run, pid);
      break;
    }
    HWND failure = find_top_window(failure_caption, pid, true);
    if (failure) {
      acknowledge_failure(run, failure);
      // A failure must not be followed by the question.
      for (int j = 0; j < 20; j++) {
        if (find_top_window(question_caption, pid, true)) run.question_seen = true;
        Sleep(25);
      }
      break;
    }
  }
  note_about(run, pid);
}

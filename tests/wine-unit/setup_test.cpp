// The setup procedures in this process: the agreement text, the installer's
// path and copy steps and its failures, and both dialog procedures run as real
// modal dialogs driven from a second thread.
#include <doctest/doctest.h>

#include "hooks/test_hooks.h"
#include "setup/setup.h"
#include "setup/resource_ids.h"
#include "tests/wine-kit/win_driver.h"
#include <fcntl.h>
#include <functional>
#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {
// ---------------------------------------------------------------- harness

struct modal_driver {
  const char* caption;
  std::function<void(HWND)> drive;
  DWORD main_thread;
  bool found;
  bool timed_out;
};

DWORD WINAPI drive_modal(void* parameter) {
  modal_driver* driver = (modal_driver*)parameter;
  HWND dialog = wait_for_window(driver->caption, GetCurrentProcessId(), true);
  if (dialog) {
    driver->found = true;
    driver->drive(dialog);
    if (wait_until_gone(dialog)) return 0;
  }
  // The dialog did not appear or did not end: leave the modal loop so that
  // the test fails instead of hanging.
  driver->timed_out = true;
  PostThreadMessageA(driver->main_thread, WM_QUIT, 0, 0);
  return 0;
}

// Runs a template as a modal dialog in this thread while drive acts on it from
// another thread; returns the dialog's result.
INT_PTR run_modal(int template_id, DLGPROC proc, const char* caption, std::function<void(HWND)> drive,
                  bool* found = NULL) {
  modal_driver driver = {caption, drive, GetCurrentThreadId(), false, false};
  HANDLE thread = CreateThread(NULL, 0, drive_modal, &driver, 0, NULL);
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(template_id), NULL, proc, 0);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  MSG message;
  while (PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  CHECK_FALSE(driver.timed_out);
  if (found) *found = driver.found;
  return result;
}

DWORD WINAPI drive_installer_thread(void* parameter) {
  drive_installer(*(installer_run*)parameter, GetCurrentProcessId());
  return 0;
}

// Runs the installer in this thread as the user described by run would.
void run_installer_as(installer_run& run) {
  run.ended = CreateEventA(NULL, TRUE, FALSE, NULL);
  HANDLE thread = CreateThread(NULL, 0, drive_installer_thread, &run, 0, NULL);
  run_installer();
  SetEvent(run.ended);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(run.ended);
  run.ended = NULL;
}

// Argument zero of this process, replaced for a test.
struct argument_zero {
  char* saved;
  explicit argument_zero(const char* name) : saved(__argv[0]) { __argv[0] = (char*)name; }
  ~argument_zero() { __argv[0] = saved; }
};

// SystemRoot as the runtime's getenv sees it, replaced for a test.
struct system_root {
  std::string saved;
  bool had;
  explicit system_root(const char* value) {
    const char* old = getenv("SystemRoot");
    had = old != NULL;
    if (old) saved = old;
    set(value);
  }
  ~system_root() { set(had ? saved.c_str() : NULL); }
  static void set(const char* value) {
    // "NAME=" removes the variable.
    std::string assignment = std::string("SystemRoot=") + (value ? value : "");
    _putenv(assignment.c_str());
  }
};

std::string sample_program_bytes() {
  // Every byte value, and the ones a text-mode copy would damage.
  std::string bytes;
  for (int round = 0; round < 40; round++)
    for (int c = 0; c < 256; c++) bytes += (char)((c * 7 + round) & 0xFF);
  bytes += "\r\n\n\r\x1A\x00\xFF";
  bytes += '\0';
  return bytes;
}

HWND dialog_focus(HWND dialog) {
  return focus_of(dialog);
}

// The bytes of this program's own file, which the installer copies.
std::string own_program_bytes() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  REQUIRE((length > 0 && length < sizeof path));
  std::string bytes;
  REQUIRE(read_file(path, bytes));
  return bytes;
}
}  // namespace

// ---------------------------------------------------------------- constants

TEST_CASE("web addresses: the maker's host alone, and its sponsor page") {
  CHECK(std::string(home_page_url) == "http://www.korvanthel.example");
  CHECK(std::string(sponsor_page_url) == std::string(home_page_url) + "/sponsor.Html");
}

// ---------------------------------------------------------------- agreement text

TEST_CASE("agreement text: 24 CR LF lines of at most 69 printable characters") {
  std::string text = agreement_text;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    REQUIRE_MESSAGE(end != std::string::npos, "every line ends with CR LF, the last one too");
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  CHECK(lines.size() == 24);
  CHECK(text.size() >= 1100);
  CHECK(text.size() <= 1300);
  for (size_t i = 0; i < lines.size(); i++) {
    CAPTURE(i);
    CHECK(lines[i].size() <= 69);
    for (unsigned char c : lines[i])
      CHECK_MESSAGE(c >= 0x20, "no bare CR, LF, tab or other control character");
    if (!lines[i].empty()) CHECK_MESSAGE(lines[i].back() != ' ', "no trailing blanks");
  }
  REQUIRE(!lines.empty());
  CHECK(lines.back().empty());
  CHECK_FALSE(lines.front().empty());
  int paragraphs = 0;
  for (size_t i = 0; i + 1 < lines.size(); i++) {
    if (lines[i].empty()) CHECK_MESSAGE(!lines[i + 1].empty(), "single blank lines between paragraphs");
    if (!lines[i].empty() && (i == 0 || lines[i - 1].empty())) paragraphs++;
  }
  CHECK(paragraphs >= 3);
}

// ---------------------------------------------------------------- names

TEST_CASE("name_is_exe: the last four characters against .exe, ignoring case") {
  struct row {
    const char* name;
    bool exe;
  };
  const row rows[] = {
      {"C:\\Tools\\SETUP.EXE", true},
      {"setup.exe", true},
      {"Korvanthel.Exe", true},
      {"x.eXe", true},
      {".exe", true},
      {"C:\\WINDOWS\\Korvanthel.Scr", false},
      {"Korvanthel.scr", false},
      {"k", false},
      {"ab", false},
      {"exe", false},
      {"", false},
      {"setup.exe.scr", false},
      {"setup.exe ", false},
      {"setupexe", false},
      {"setup_exe", false},
      {"C:\\dir.exe\\setup", false},
      {"SETUP.EX", false},
      {"setup.\xC9XE", false},
  };
  for (const row& r : rows) {
    CAPTURE(r.name);
    CHECK(name_is_exe(r.name) == r.exe);
  }
  CHECK_FALSE(name_is_exe(NULL));
}

TEST_CASE("program_argument_zero is the runtime's argv[0]") {
  REQUIRE(__argc >= 1);
  CHECK(program_argument_zero() == __argv[0]);
  argument_zero replaced("C:\\Tools\\SETUP.EXE");
  CHECK(std::string(program_argument_zero()) == "C:\\Tools\\SETUP.EXE");
}

// ---------------------------------------------------------------- target path

TEST_CASE("build_target_path: SystemRoot then \\Korvanthel.Scr, bounded at 255 characters") {
  struct row {
    std::string root;
    install_status status;
    std::string target;
  };
  std::string root240(240, 'r'), root241(241, 'r');
  root240[1] = ':';
  root241[1] = ':';
  const row rows[] = {
      {"C:\\WINDOWS", install_ok, "C:\\WINDOWS\\Korvanthel.Scr"},
      {"C:\\WINDOWS\\", install_ok, "C:\\WINDOWS\\\\Korvanthel.Scr"},
      {"c:\\winnt", install_ok, "c:\\winnt\\Korvanthel.Scr"},
      {"", install_no_windows_dir, ""},
      {root240, install_ok, root240 + "\\Korvanthel.Scr"},
      {root241, install_path_too_long, ""},
      {std::string(5000, 'x'), install_path_too_long, ""},
  };
  for (const row& r : rows) {
    CAPTURE(r.root.size());
    // The buffer is followed by guard bytes that must stay untouched.
    char buffer[target_path_size + 64];
    memset(buffer, 0x5A, sizeof buffer);
    CHECK(build_target_path(r.root.c_str(), buffer) == r.status);
    CHECK(std::string(buffer) == r.target);
    if (r.status == install_ok) CHECK(strlen(buffer) <= 255);
    for (size_t i = target_path_size; i < sizeof buffer; i++) CHECK(buffer[i] == 0x5A);
  }
  char buffer[target_path_size];
  CHECK(build_target_path(NULL, buffer) == install_no_windows_dir);
  CHECK(buffer[0] == '\0');
}

// ---------------------------------------------------------------- copying

TEST_CASE("copy_stream: copies every byte; reports read and write errors") {
  std::string dir = make_scratch_dir("stream");
  std::string source = dir + "\\source.bin", target = dir + "\\target.bin";
  std::string bytes = sample_program_bytes();
  REQUIRE(write_file(source, bytes));

  SUBCASE("every byte, binary") {
    FILE* in = fopen(source.c_str(), "rb");
    FILE* out = fopen(target.c_str(), "wb");
    REQUIRE(in);
    REQUIRE(out);
    CHECK(copy_stream(in, out) == install_ok);
    fclose(in);
    fclose(out);
    std::string copy;
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
  }
  SUBCASE("a source that cannot be read") {
    // A stream over a handle that has write access only: every read fails.
    HANDLE handle = CreateFileA(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    REQUIRE(handle != INVALID_HANDLE_VALUE);
    FILE* in = _fdopen(_open_osfhandle((intptr_t)handle, _O_RDONLY | _O_BINARY), "rb");
    FILE* out = fopen(target.c_str(), "wb");
    REQUIRE(in);
    REQUIRE(out);
    CHECK(copy_stream(in, out) == install_read_error);
    fclose(in);
    fclose(out);
  }
  SUBCASE("a target that cannot be written") {
    write_file(target, "x");
    FILE* in = fopen(source.c_str(), "rb");
    FILE* out = fopen(target.c_str(), "rb");  // open for reading only: writing fails
    REQUIRE(in);
    REQUIRE(out);
    CHECK(copy_stream(in, out) == install_write_error);
    fclose(in);
    fclose(out);
  }
}

TEST_CASE("copy_program_file: a full copy, or no target at all") {
  std::string dir = make_scratch_dir("copy");
  std::string source = dir + "\\SETUP.EXE", target = dir + "\\Korvanthel.Scr";
  std::string bytes = sample_program_bytes();
  REQUIRE(write_file(source, bytes));
  std::string copy;

  SUBCASE("a fresh copy is byte-identical") {
    CHECK(copy_program_file(source.c_str(), target.c_str()) == install_ok);
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
  }
  SUBCASE("an existing, longer target is replaced whole") {
    REQUIRE(write_file(target, std::string(bytes.size() * 3, 'J')));
    CHECK(copy_program_file(source.c_str(), target.c_str()) == install_ok);
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
  }
  SUBCASE("a source that does not open leaves no target") {
    CHECK(copy_program_file((dir + "\\missing.exe").c_str(), target.c_str()) == install_source_not_opened);
    CHECK(copy_program_file(NULL, target.c_str()) == install_source_not_opened);
    CHECK(copy_program_file("", target.c_str()) == install_source_not_opened);
    CHECK(copy_program_file(dir.c_str(), target.c_str()) == install_source_not_opened);
    CHECK_FALSE(file_exists(target));
  }
  SUBCASE("a target folder that does not exist") {
    CHECK(copy_program_file(source.c_str(), (dir + "\\no such folder\\Korvanthel.Scr").c_str()) ==
          install_target_not_opened);
    CHECK(count_entries(dir) == 1);
  }
  SUBCASE("a target that may not be written: access denied") {
    // The platform's answer to a standard user writing into the Windows
    // directory under user account control. Wine runs as root here and
    // ignores read-only files, so a folder in the target's place stands in.
    REQUIRE(CreateDirectoryA(target.c_str(), NULL));
    CHECK(copy_program_file(source.c_str(), target.c_str()) == install_access_denied);
    CHECK(count_entries(dir) == 2);  // no new copy left beside it
    CHECK(RemoveDirectoryA(target.c_str()));
  }
  SUBCASE("the same file under the same name is never truncated") {
    CHECK(copy_program_file(source.c_str(), source.c_str()) == install_same_file);
    REQUIRE(read_file(source, copy));
    CHECK(copy == bytes);
  }
  SUBCASE("the same file through a hard link is never truncated") {
    REQUIRE(CreateHardLinkA(target.c_str(), source.c_str(), NULL));
    CHECK(copy_program_file(source.c_str(), target.c_str()) == install_same_file);
    REQUIRE(read_file(source, copy));
    CHECK(copy == bytes);
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
  }
  SUBCASE("a write error midway leaves the installed file as it was, with no new copy beside it") {
    REQUIRE(write_file(target, "old installed file"));
    copy_fault_after = 1000;
    CHECK(copy_program_file(source.c_str(), target.c_str()) == install_write_error);
    copy_fault_after = -1;
    REQUIRE(read_file(target, copy));
    CHECK(copy == "old installed file");
    CHECK(count_entries(dir) == 2);
    REQUIRE(read_file(source, copy));
    CHECK(copy == bytes);
  }
}

TEST_CASE("describe_install_failure: says what failed and where, within its buffer") {
  const char* root = "C:\\WINDOWS";
  const char* source = "C:\\Tools\\SETUP.EXE";
  const char* target = "C:\\WINDOWS\\Korvanthel.Scr";
  struct row {
    install_status status;
    std::vector<const char*> parts;
  };
  const row rows[] = {
      {install_no_windows_dir, {"Windows directory could not be found", "SystemRoot", "not installed"}},
      {install_path_too_long, {"too long", "255", "C:\\WINDOWS\\Korvanthel.Scr", "not installed"}},
      {install_source_not_opened, {"could not be copied to", target, "could not be opened", source}},
      {install_target_not_opened, {"could not be copied to", target, "could not be created"}},
      {install_access_denied,
       {"could not be copied to", target, "Access", "denied", "administrator rights",
        "\"Run as administrator\""}},
      {install_same_file, {"could not be copied to", target, "same file"}},
      {install_read_error,
       {"could not be copied to", target, "Reading", source, "removed", "left as it was"}},
      {install_write_error, {"could not be copied to", target, "Writing", "removed", "left as it was"}},
      {install_replace_failed, {"could not be copied to", target, "could not be replaced", "left as it was"}},
      {install_elevated_copy_failed, {"could not be copied to", target, "elevated copy", "without"}},
  };
  for (const row& r : rows) {
    CAPTURE((int)r.status);
    char text[1024];
    describe_install_failure(r.status, root, source, target, text, sizeof text);
    for (const char* part : r.parts) {
      CAPTURE(part);
      CHECK(strstr(text, part) != NULL);
    }
    // Only a refusal by the platform asks for administrator rights.
    CHECK((strstr(text, "administrator") != NULL) == (r.status == install_access_denied));
  }
  // A huge SystemRoot and a tiny buffer: always terminated, never overrun.
  std::string huge(5000, 'w');
  char small[24 + 16];
  memset(small, 0x5A, sizeof small);
  describe_install_failure(install_path_too_long, huge.c_str(), source, "", small, 24);
  CHECK(strlen(small) == 23);
  for (size_t i = 24; i < sizeof small; i++) CHECK(small[i] == 0x5A);
  char text[1024];
  describe_install_failure(install_path_too_long, huge.c_str(), source, "", text, sizeof text);
  CHECK(strlen(text) < sizeof text);
  CHECK(strstr(text, "...") != NULL);
}

TEST_CASE("describe_saver_not_set: names the installed file, the setting, and what was left") {
  const char* target = "C:\\WINDOWS\\Korvanthel.Scr";
  char text[1024];
  describe_saver_not_set(target, text, sizeof text);
  for (const char* part : {target, "could not be made your screen saver", "SCRNSAVE.EXE", "left as it was",
                           "screen-saver settings"}) {
    CAPTURE(part);
    CHECK(strstr(text, part) != NULL);
  }
  char small[16 + 8];
  memset(small, 0x5A, sizeof small);
  describe_saver_not_set(target, small, 16);
  CHECK(strlen(small) == 15);
  for (size_t i = 16; i < sizeof small; i++) CHECK(small[i] == 0x5A);
}

TEST_CASE("the copy command's exit codes: every outcome comes back; any other code is a failure") {
  for (int s = install_ok; s <= install_elevated_copy_failed; s++) {
    install_status status = (install_status)s;
    CAPTURE(s);
    unsigned code = install_copy_exit_code(status);
    CHECK(install_status_of_exit_code(code) == status);
    // Never one of the program's other codes, as Windows or a shell sees them
    // (the low byte): 0, 1, the fault guard's 3, Wine's 5 for a crash, -1.
    for (unsigned other : {0u, 1u, 3u, 5u, 255u}) CHECK((code & 0xFF) != other);
  }
  // Codes that a crash, another program or an older one give.
  for (unsigned code : {0u, 1u, 3u, 5u, 255u, 0xFFFFFFFFu, 259u, 0xC0000005u, install_copy_exit_base - 1,
                        install_copy_exit_code(install_elevated_copy_failed) + 1}) {
    CAPTURE(code);
    CHECK(install_status_of_exit_code(code) == install_elevated_copy_failed);
  }
}

// ---------------------------------------------------------------- agreement dialog

TEST_CASE("agreement dialog: starts with the notice, install disabled, focus on exit") {
  std::string notice;
  bool install_enabled = true, accept_checked = true, focus_on_exit = false;
  DWORD selection_start = 99, selection_end = 99;
  LRESULT first_line = 99;
  INT_PTR result = run_modal(IDD_AGREEMENT, agreement_dialog_proc, agreement_caption, [&](HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_NOTICE);
    notice = window_text(edit);
    install_enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_INSTALL)) != FALSE;
    accept_checked = SendMessageA(GetDlgItem(dialog, IDC_ACCEPT), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
    focus_on_exit = dialog_focus(dialog) == GetDlgItem(dialog, IDC_EXIT);
    SendMessageA(edit, EM_GETSEL, (WPARAM)&selection_start, (LPARAM)&selection_end);
    first_line = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    click(dialog, IDC_EXIT);
  });
  CHECK(result == 0);
  CHECK(notice == agreement_text);
  CHECK_FALSE(install_enabled);
  CHECK_FALSE(accept_checked);
  CHECK(focus_on_exit);
  CHECK(selection_start == 0);
  CHECK(selection_end == 0);
  CHECK(first_line == 0);
}

TEST_CASE("agreement dialog: every line of the notice fits the notice control") {
  // Measured in the control's own font against the room its client area gives
  // the text (the edit control's margins left out): nothing is cut off at the
  // right edge, since the control does not wrap.
  int widest = 0, room = 0, client = 0, dpi = 0;
  std::string widest_line;
  INT_PTR result = run_modal(IDD_AGREEMENT, agreement_dialog_proc, agreement_caption, [&](HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_NOTICE);
    RECT area = {};
    GetClientRect(edit, &area);
    client = area.right - area.left;
    LRESULT margins = SendMessageA(edit, EM_GETMARGINS, 0, 0);
    room = client - LOWORD(margins) - HIWORD(margins);
    HDC dc = GetDC(edit);
    dpi = GetDeviceCaps(dc, LOGPIXELSY);
    HGDIOBJ font = (HGDIOBJ)SendMessageA(edit, WM_GETFONT, 0, 0);
    HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    std::string text = agreement_text;
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      SIZE extent = {};
      GetTextExtentPoint32A(dc, line.c_str(), (int)line.size(), &extent);
      if (extent.cx > widest) {
        widest = extent.cx;
        widest_line = line;
      }
      start = end + 2;
    }
    SelectObject(dc, previous);
    ReleaseDC(edit, dc);
    click(dialog, IDC_EXIT);
  });
  CHECK(result == 0);
  CAPTURE(widest_line);
  MESSAGE("at " << dpi << " DPI: widest notice line " << widest << " px, room " << room << " px of a "
                << client << " px client area");
  CHECK(widest > 0);
  CHECK(room > 0);
  CHECK(widest < room);
}

namespace {
// A control's text measured in its own font, and the room its client area
// gives it; a check box's text shares its width with the box.
struct text_room {
  int id;
  std::string text;
  SIZE extent;
  int width, height;
};

text_room measure_control(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  text_room room = {id, window_text(control), {0, 0}, 0, 0};
  RECT area = {};
  GetClientRect(control, &area);
  room.width = area.right - area.left;
  room.height = area.bottom - area.top;
  if ((GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
    room.width -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
  HDC dc = GetDC(control);
  HGDIOBJ font = (HGDIOBJ)SendMessageA(control, WM_GETFONT, 0, 0);
  HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  GetTextExtentPoint32A(dc, room.text.c_str(), (int)room.text.size(), &room.extent);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return room;
}
}  // namespace

TEST_CASE("both dialogs: the text of every button and label fits its control") {
  argument_zero replaced("Korvanthel.scr");
  struct dialog_row {
    int template_id;
    DLGPROC proc;
    const char* caption;
    std::vector<int> ids;
    int close_id;
  };
  const dialog_row dialogs[] = {
      {IDD_CONFIG,
       config_dialog_proc,
       about_caption,
       {IDC_HOME_PAGE, IDC_SPONSOR_PAGE, IDC_CONFIG_CLOSE},
       IDC_CONFIG_CLOSE},
      {IDD_AGREEMENT,
       agreement_dialog_proc,
       agreement_caption,
       {IDC_AGREEMENT_TITLE, IDC_ACCEPT, IDC_INSTALL, IDC_EXIT},
       IDC_EXIT},
  };
  for (const dialog_row& d : dialogs) {
    CAPTURE(d.caption);
    std::vector<text_room> rooms;
    run_modal(d.template_id, d.proc, d.caption, [&](HWND dialog) {
      for (int id : d.ids) rooms.push_back(measure_control(dialog, id));
      click(dialog, d.close_id);
    });
    REQUIRE(rooms.size() == d.ids.size());
    for (const text_room& room : rooms) {
      CAPTURE(room.text);
      MESSAGE(room.id << " \"" << room.text << "\": " << room.extent.cx << " x " << room.extent.cy
                      << " px in " << room.width << " x " << room.height);
      CHECK_FALSE(room.text.empty());
      CHECK(room.extent.cx > 0);
      CHECK(room.extent.cx < room.width);
      CHECK(room.extent.cy <= room.height);
    }
  }
}

TEST_CASE("agreement dialog: the accept box enables and disables install") {
  std::vector<bool> states;
  INT_PTR result = run_modal(IDD_AGREEMENT, agreement_dialog_proc, agreement_caption, [&](HWND dialog) {
    HWND install = GetDlgItem(dialog, IDC_INSTALL);
    for (int i = 0; i < 4; i++) {
      click(dialog, IDC_ACCEPT);
      states.push_back(IsWindowEnabled(install) != FALSE);
    }
    click(dialog, IDC_EXIT);
  });
  CHECK(result == 0);
  CHECK(states == std::vector<bool>{true, false, true, false});
}

TEST_CASE("agreement dialog: only the install button after accepting ends it with 1003") {
  struct row {
    const char* how;
    std::function<void(HWND)> act;
    INT_PTR result;
  };
  auto command = [](int id) { return [id](HWND dialog) { PostMessageA(dialog, WM_COMMAND, id, 0); }; };
  auto accept_then = [](std::function<void(HWND)> then) {
    return [then](HWND dialog) {
      click(dialog, IDC_ACCEPT);
      then(dialog);
    };
  };
  const row rows[] = {
      {"exit button", [](HWND d) { click(d, IDC_EXIT); }, 0},
      {"IDOK", command(IDOK), 0},
      {"IDCANCEL", command(IDCANCEL), 0},
      {"Escape", press_escape, 0},
      {"close box", close_box, 0},
      {"IDOK after accepting", accept_then(command(IDOK)), 0},
      {"Escape after accepting", accept_then(press_escape), 0},
      {"exit after accepting", accept_then([](HWND d) { click(d, IDC_EXIT); }), 0},
      {"install after accepting", accept_then([](HWND d) { click(d, IDC_INSTALL); }), IDC_INSTALL},
      {"install command after accepting", accept_then(command(IDC_INSTALL)), IDC_INSTALL},
  };
  for (const row& r : rows) {
    CAPTURE(r.how);
    CHECK(run_modal(IDD_AGREEMENT, agreement_dialog_proc, agreement_caption, r.act) == r.result);
  }
}

TEST_CASE("agreement dialog: an install command without an accepted agreement is ignored") {
  bool open_after_install = false, open_after_unchecked_install = false;
  INT_PTR result = run_modal(IDD_AGREEMENT, agreement_dialog_proc, agreement_caption, [&](HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, IDC_INSTALL, 0);
    open_after_install = IsWindowVisible(dialog) != FALSE;
    click(dialog, IDC_ACCEPT);
    click(dialog, IDC_ACCEPT);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_INSTALL));
    open_after_unchecked_install = IsWindowVisible(dialog) != FALSE;
    click(dialog, IDC_EXIT);
  });
  CHECK(open_after_install);
  CHECK(open_after_unchecked_install);
  CHECK(result == 0);
}

TEST_CASE("agreement dialog procedure: what it handles") {
  HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_AGREEMENT), NULL,
                                   agreement_dialog_proc, 0);
  REQUIRE(dialog);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, 4242, 0) == FALSE);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, IDC_NOTICE, 0) == FALSE);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, IDC_AGREEMENT_TITLE, 0) == FALSE);
  CHECK(agreement_dialog_proc(dialog, WM_PAINT + 0x400, 0, 0) == FALSE);
  CHECK(agreement_dialog_proc(dialog, WM_INITDIALOG, 0, 0) == FALSE);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, IDC_ACCEPT, 0) == TRUE);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, IDC_INSTALL, 0) == TRUE);
  CHECK(agreement_dialog_proc(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0) == TRUE);
  DestroyWindow(dialog);
}

// ---------------------------------------------------------------- configuration dialog

TEST_CASE("configuration dialog: shown for names that are not .exe, focus on close") {
  const char* names[] = {"C:\\WINDOWS\\Korvanthel.Scr", "Korvanthel.scr", "k", "ab", "setup.exe.scr"};
  for (const char* name : names) {
    CAPTURE(name);
    argument_zero replaced(name);
    bool visible = false, focus_on_close = false, installer_seen = false;
    std::string home, sponsor, close;
    bool found = false;
    INT_PTR result = run_modal(
        IDD_CONFIG, config_dialog_proc, about_caption,
        [&](HWND dialog) {
          visible = IsWindowVisible(dialog) != FALSE;
          focus_on_close = dialog_focus(dialog) == GetDlgItem(dialog, IDC_CONFIG_CLOSE);
          home = window_text(GetDlgItem(dialog, IDC_HOME_PAGE));
          sponsor = window_text(GetDlgItem(dialog, IDC_SPONSOR_PAGE));
          close = window_text(GetDlgItem(dialog, IDC_CONFIG_CLOSE));
          installer_seen = find_top_window(agreement_caption, GetCurrentProcessId(), false) != NULL;
          click(dialog, IDC_CONFIG_CLOSE);
        },
        &found);
    CHECK(found);
    CHECK(result == 0);
    CHECK(visible);
    CHECK(focus_on_close);
    CHECK(home == std::string("home page  ") + home_page_url);
    CHECK(sponsor == "sponsor page");
    CHECK(close == "close");
    CHECK_FALSE(installer_seen);
  }
}

TEST_CASE("configuration dialog: IDOK ends it with 1, every other ending with 0") {
  argument_zero replaced("Korvanthel.scr");
  struct row {
    const char* how;
    std::function<void(HWND)> act;
    INT_PTR result;
  };
  const row rows[] = {
      {"close button", [](HWND d) { click(d, IDC_CONFIG_CLOSE); }, 0},
      {"IDCANCEL", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }, 0},
      {"Escape", press_escape, 0},
      {"close box", close_box, 0},
      {"IDOK", [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, 1},
      {"IDOK with a notification code", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0); },
       1},
  };
  for (const row& r : rows) {
    CAPTURE(r.how);
    CHECK(run_modal(IDD_CONFIG, config_dialog_proc, about_caption, r.act) == r.result);
  }
}

TEST_CASE("configuration dialog procedure: unknown commands are not handled") {
  argument_zero replaced("Korvanthel.scr");
  HWND dialog =
      CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CONFIG), NULL, config_dialog_proc, 0);
  REQUIRE(dialog);
  CHECK(config_dialog_proc(dialog, WM_COMMAND, 4242, 0) == FALSE);
  CHECK(config_dialog_proc(dialog, WM_COMMAND, IDC_CONFIG_TEXT, 0) == FALSE);
  CHECK(config_dialog_proc(dialog, WM_USER + 7, 0, 0) == FALSE);
  CHECK(config_dialog_proc(dialog, WM_INITDIALOG, 0, 0) == FALSE);
  CHECK(IsWindow(dialog));
  DestroyWindow(dialog);
}

TEST_CASE("configuration dialog: an .exe name runs the installer and the dialog is never shown") {
  std::string dir = make_scratch_dir("config-exe");
  system_root root(dir.c_str());
  write_saver_value("sentinel");
  const char* names[] = {"C:\\Tools\\SETUP.EXE", "korvanthel.exe", "x.eXe"};
  for (const char* name : names) {
    CAPTURE(name);
    argument_zero replaced(name);
    installer_run run = make_installer_run(end_by_exit);
    HANDLE thread = CreateThread(NULL, 0, drive_installer_thread, &run, 0, NULL);
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CONFIG), NULL, config_dialog_proc, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    // Destroyed while it initialises, the hidden dialog ends with -1: the
    // installer's exit code, as the saver has always ended it.
    CHECK(result == -1);
    CHECK(run.agreement_seen);
    CHECK(run.about_hidden_during_agreement);
    CHECK_FALSE(run.about_seen);
    CHECK_FALSE(find_top_window(about_caption, GetCurrentProcessId(), false));
  }
  CHECK(count_entries(dir) == 0);
  CHECK(read_saver_value().data == std::string("sentinel", 9));
}

// ---------------------------------------------------------------- screen saving

namespace {
// The wait before the saver starts as this process's SystemParametersInfoA
// sees it (the settings that it sets itself, it reads back).
UINT timeout_seen() {
  UINT timeout = 12345;
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  return timeout;
}
}  // namespace

TEST_CASE("switch_screen_saving_on: on, and a wait of 10 minutes only where none is set") {
  struct row {
    bool active;
    unsigned timeout;
    screen_saving after;
  };
  const row rows[] = {
      {false, 0, {"1", "600"}}, {true, 0, {"1", "600"}},      {false, 300, {"1", "300"}},
      {true, 1, {"1", "1"}},    {false, 7200, {"1", "7200"}},
  };
  for (const row& r : rows) {
    CAPTURE(r.active);
    CAPTURE(r.timeout);
    set_screen_saving(r.active, r.timeout);
    switch_screen_saving_on();
    CHECK(read_screen_saving() == r.after);
    CHECK(std::to_string(timeout_seen()) == r.after.timeout);
  }
}

// ---------------------------------------------------------------- installer
// The installer's ordinary runs are driven on the real program by the system
// tests; here what its answer changes, and the failures, including a write
// error injected midway.

TEST_CASE("installer: Yes sets the saver and switches screen saving on; No and declining change neither") {
  std::string dir = make_scratch_dir("answers");
  std::string program = dir + "\\SETUP.EXE";
  REQUIRE(write_file(program, sample_program_bytes()));
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string target = windows + "\\Korvanthel.Scr";
  std::string own_bytes = own_program_bytes();
  char short_target[MAX_PATH] = "";
  // Argument zero names a file of other bytes, or none: the installer copies
  // its own file all the same.
  std::string no_file = dir + "\\gone.exe";
  struct row {
    const char* what;
    agreement_ending ending;
    int answer;
    unsigned timeout_before;
    bool saver_set;
    screen_saving after;
    const std::string& argument_zero;
  };
  const row rows[] = {
      {"Yes, no wait set", end_by_install, IDYES, 0, true, {"1", "600"}, program},
      {"Yes, a wait of 5 minutes set", end_by_install, IDYES, 300, true, {"1", "300"}, program},
      {"Yes, argument zero names no file", end_by_install, IDYES, 0, true, {"1", "600"}, no_file},
      {"No", end_by_install, IDNO, 0, false, {"0", "0"}, program},
      {"declined", end_by_exit, IDYES, 0, false, {"0", "0"}, program},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    DeleteFileA(target.c_str());
    write_saver_value("sentinel");
    set_screen_saving(false, r.timeout_before);
    system_root root(windows.c_str());
    argument_zero replaced(r.argument_zero.c_str());
    installer_run run = make_installer_run(r.ending, r.answer);
    run_installer_as(run);
    CHECK_FALSE(run.failure_seen);
    CHECK(run.question_seen == (r.ending == end_by_install));
    if (run.question_seen) CHECK(run.question_text == "Set Korvanthel as the current screen saver?");
    std::string installed;
    CHECK(read_file(target, installed) == (r.ending == end_by_install));
    if (r.ending == end_by_install) CHECK(installed == own_bytes);
    if (r.saver_set) {
      REQUIRE(GetShortPathNameA(target.c_str(), short_target, sizeof short_target) > 0);
      saver_value saved = read_saver_value();
      CHECK(saved.type == REG_SZ);
      CHECK(saved.data == std::string(short_target) + std::string(1, '\0'));
    } else {
      CHECK(read_saver_value().data == std::string("sentinel", 9));
    }
    CHECK(read_screen_saving() == r.after);
    CHECK(std::to_string(timeout_seen()) == r.after.timeout);
  }
}

TEST_CASE("installer: Yes where the desktop settings do not open says so and switches nothing on") {
  std::string dir = make_scratch_dir("no-desktop");
  std::string program = dir + "\\SETUP.EXE";
  REQUIRE(write_file(program, sample_program_bytes()));
  write_saver_value("sentinel");
  set_screen_saving(false, 0);
  // This process's HKEY_CURRENT_USER is an empty key for the run: it has no
  // Control Panel\Desktop to open.
  HKEY empty = NULL;
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvanthel tests\\empty user", 0, NULL, 0,
                          KEY_ALL_ACCESS, NULL, &empty, NULL) == ERROR_SUCCESS);
  system_root root(dir.c_str());
  argument_zero replaced(program.c_str());
  installer_run run = make_installer_run(end_by_install, IDYES);
  REQUIRE(RegOverridePredefKey(HKEY_CURRENT_USER, empty) == ERROR_SUCCESS);
  run_installer_as(run);
  RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
  RegCloseKey(empty);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Korvanthel tests\\empty user");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Korvanthel tests");
  CHECK(run.question_seen);
  CHECK(run.failure_seen);
  CAPTURE(run.failure_text);
  CHECK(run.failure_text.find("could not be made your screen saver") != std::string::npos);
  CHECK(file_exists(dir + "\\Korvanthel.Scr"));
  CHECK(read_saver_value().data == std::string("sentinel", 9));
  CHECK(read_screen_saving() == screen_saving{"0", "0"});
  CHECK(timeout_seen() == 0);
}

TEST_CASE("installer: every failure is told, asks nothing and writes nothing") {
  std::string dir = make_scratch_dir("failures");
  std::string program = dir + "\\SETUP.EXE";
  std::string bytes = sample_program_bytes();
  REQUIRE(write_file(program, bytes));
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string long_root = windows + "\\" + std::string(250, 'L');
  std::string missing_windows = dir + "\\NOWINDOWS";
  std::string installed = windows + "\\Korvanthel.Scr";
  struct row {
    const char* what;
    const char* root;  // NULL: SystemRoot not set
    int fault_after;
    bool installed_before;  // a copy installed earlier, which must stay as it was
    const char* told;
  };
  const row rows[] = {
      {"SystemRoot not set", NULL, -1, false, "SystemRoot"},
      {"target path too long", long_root.c_str(), -1, false, "too long"},
      {"Windows directory missing", missing_windows.c_str(), -1, false, "could not be created"},
      {"write error midway", windows.c_str(), 4096, false, "Writing the new copy failed"},
      {"write error midway over an installed copy", windows.c_str(), 4096, true, "left as it was"},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    DeleteFileA(installed.c_str());
    if (r.installed_before) REQUIRE(write_file(installed, "installed earlier"));
    write_saver_value("sentinel");
    system_root root(r.root);
    argument_zero replaced(program.c_str());
    copy_fault_after = r.fault_after;
    installer_run run = make_installer_run(end_by_install, IDYES);
    run_installer_as(run);
    copy_fault_after = -1;
    CHECK(run.failure_seen);
    CHECK(run.failure_text.find(r.told) != std::string::npos);
    CHECK_FALSE(run.question_seen);
    CHECK(count_entries(windows) == (r.installed_before ? 1 : 0));
    std::string after;
    if (r.installed_before) CHECK((read_file(installed, after) && after == "installed earlier"));
    CHECK(read_saver_value().data == std::string("sentinel", 9));
  }
  DeleteFileA(installed.c_str());
  std::string still;
  REQUIRE(read_file(program, still));
  CHECK(still == bytes);
}

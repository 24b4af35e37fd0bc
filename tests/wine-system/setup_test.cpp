// The real program driven as a user would: started under different names and
// command lines with SystemRoot pointed at a scratch folder, its dialogs found
// by caption and worked by their control ids, its files and registry values
// checked afterwards. Its resources are read back from the file.
#include <doctest/doctest.h>

#include "tests/wine-system/resource_checks.h"
#include "tests/wine-kit/win_driver.h"
#include "tests/wine-kit/wine_path.h"
#include <tlhelp32.h>
#include <algorithm>
#include <functional>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

namespace {
const char home_url[] = "http://www.korvanthel.example";
const char sponsor_url[] = "http://www.korvanthel.example/sponsor.Html";

std::string program_path() {
  const char* program = getenv("KORV_SETUP_PROGRAM");
  REQUIRE_MESSAGE(program, "KORV_SETUP_PROGRAM names the program under test");
  return wine_path(program);
}

std::string program_bytes() {
  std::string bytes;
  REQUIRE(read_file(program_path(), bytes));
  REQUIRE(bytes.size() > 1000);
  return bytes;
}

// A copy of the program under another name in a folder of its own.
std::string copy_program(const std::string& dir, const char* name) {
  std::string path = dir + "\\" + name;
  REQUIRE(CopyFileA(program_path().c_str(), path.c_str(), FALSE));
  return path;
}

struct started {
  HANDLE process;
  DWORD pid;
};

// Starts application with exactly command_line (argument zero as typed) in
// folder cwd, with system_root as its Windows directory (null: none).
started start(const std::string& application, const std::string& command_line, const std::string& cwd,
              const char* system_root) {
  // Wine sets SystemRoot anew in every process it starts; the test build of
  // the program takes its Windows directory from KORV_TEST_SYSTEMROOT instead.
  SetEnvironmentVariableA("KORV_TEST_SYSTEMROOT", system_root ? system_root : "(unset)");
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  memset(&info, 0, sizeof info);
  BOOL ok = CreateProcessA(application.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, cwd.c_str(),
                           &startup, &info);
  SetEnvironmentVariableA("KORV_TEST_SYSTEMROOT", NULL);
  REQUIRE_MESSAGE(ok, "the program starts");
  CloseHandle(info.hThread);
  started result = {info.hProcess, info.dwProcessId};
  return result;
}

const DWORD still_running = 0xDEADBEEF;

// Waits for the program to end and returns its exit code; a program that does
// not end is ended (and the test fails).
DWORD finish(started& program) {
  DWORD code = still_running;
  if (WaitForSingleObject(program.process, patience_ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(program.process, &code);
  } else {
    TerminateProcess(program.process, 99);
    WaitForSingleObject(program.process, 5000);
  }
  CloseHandle(program.process);
  CHECK_MESSAGE(code != still_running, "the program ends by itself");
  return code;
}

std::string in_quotes(const std::string& path) {
  return "\"" + path + "\"";
}

std::string short_path_of(const std::string& path) {
  char buffer[512];
  DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return length && length < sizeof buffer ? std::string(buffer) : path;
}

const std::string sentinel("sentinel", 9);

// --- the browser's stand-in

std::string browser_log() {
  const char* log = getenv("KORV_BROWSER_LOG");
  REQUIRE_MESSAGE(log, "KORV_BROWSER_LOG names the browser log");
  return wine_path(log);
}

void use_logging_browser() {
  const char* script = getenv("KORV_BROWSER_SCRIPT");
  REQUIRE_MESSAGE(script, "KORV_BROWSER_SCRIPT names the browser stand-in");
  HKEY key;
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, NULL, 0, KEY_SET_VALUE, NULL,
                          &key, NULL) == ERROR_SUCCESS);
  RegSetValueExA(key, "Browsers", 0, REG_SZ, (const BYTE*)script, (DWORD)strlen(script) + 1);
  RegCloseKey(key);
  DeleteFileA(browser_log().c_str());
}

std::vector<std::string> logged_addresses() {
  std::vector<std::string> lines;
  std::string text;
  if (!read_file(browser_log(), text)) return lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    std::string line = text.substr(start, end - start);
    // Wine's browser launcher writes a host-only address in canonical form,
    // with a "/" path: take it back off.
    if (line.size() > 8 && line.back() == '/' && line.find('/', 8) == line.size() - 1) line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Waits until the log holds count addresses (or gives up) and returns them.
std::vector<std::string> wait_for_addresses(size_t count) {
  std::vector<std::string> lines;
  for (DWORD start = GetTickCount(); within_patience(start); Sleep(25)) {
    lines = logged_addresses();
    if (lines.size() >= count) break;
  }
  return lines;
}

// --- the about dialog

struct about_seen {
  HWND dialog;
  bool focus_on_close;
  std::vector<std::string> buttons;
  bool installer_seen;
};

about_seen look_at_about(DWORD pid) {
  about_seen seen = {NULL, false, {}, false};
  seen.dialog = wait_for_window(about_caption, pid, true);
  if (!seen.dialog) return seen;
  seen.focus_on_close = focus_of(seen.dialog) == GetDlgItem(seen.dialog, 1013);
  for (int id : {1011, 1012, 1013}) seen.buttons.push_back(window_text(GetDlgItem(seen.dialog, id)));
  seen.installer_seen = find_top_window(agreement_caption, pid, false) != NULL;
  return seen;
}
}  // namespace

// ------------------------------------------------------------------ resources

TEST_CASE("the programs carry both templates, the manifest, the version and nothing else") {
  const char* shipped = getenv("KORV_SHIPPED_PROGRAM");
  REQUIRE_MESSAGE(shipped, "KORV_SHIPPED_PROGRAM names the program as shipped");
  for (const std::string& program : {wine_path(shipped), program_path()}) {
    CAPTURE(program);
    HMODULE module = LoadLibraryExA(program.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(module);
    check_config_template(module);
    check_agreement_template(module);
    check_manifest(module);
    check_no_other_resources(module);
    FreeLibrary(module);
    check_version_resource(program);
  }
}

// ------------------------------------------------------------------ installer

TEST_CASE(
    "started as .exe without arguments: the agreement, never the about dialog; declining writes nothing") {
  std::string dir = make_scratch_dir("decline");
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string setup = copy_program(dir, "SETUP.EXE");
  copy_program(dir, "korvanthel.exe");
  write_saver_value("sentinel");
  set_screen_saving(false, 0);
  const screen_saving before = {"0", "0"};
  struct row {
    const char* how;
    agreement_ending ending;
    std::string command_line;
  };
  const row rows[] = {
      {"exit, SETUP.EXE by full path", end_by_exit, in_quotes(setup)},
      {"Escape", end_by_escape, in_quotes(setup)},
      {"close box", end_by_close_box, in_quotes(setup)},
      {"IDOK", end_by_idok, in_quotes(setup)},
      {"IDCANCEL", end_by_idcancel, in_quotes(setup)},
      {"exit, typed as korvanthel.exe", end_by_exit, "korvanthel.exe"},
      {"exit, typed as SETUP.EXE", end_by_exit, "SETUP.EXE"},
  };
  for (const row& r : rows) {
    CAPTURE(r.how);
    started program = start(setup, r.command_line, dir, windows.c_str());
    installer_run run = make_installer_run(r.ending);
    drive_installer(run, program.pid);
    finish(program);
    CHECK(run.agreement_seen);
    CHECK_FALSE(run.install_enabled_at_start);
    CHECK(run.about_hidden_during_agreement);
    CHECK_FALSE(run.about_seen);
    CHECK_FALSE(run.question_seen);
    CHECK_FALSE(run.failure_seen);
    CHECK(count_entries(windows) == 0);
    CHECK(count_entries(dir) == 3);
    CHECK(read_saver_value().data == sentinel);
    CHECK(read_screen_saving() == before);
  }
}

TEST_CASE("install then Yes: a byte-identical copy, its short path as the screen saver, screen saving on") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("yes");
  std::string setup = copy_program(dir, "SETUP.EXE");
  CreateDirectoryA((dir + "\\WINDOWS").c_str(), NULL);
  CreateDirectoryA((dir + "\\WINNT").c_str(), NULL);
  // Screen saving off beforehand, with no wait or with one the user chose.
  // The second root ends in a backslash: the path then has two, used as is.
  struct row {
    std::string root;
    unsigned timeout_before;
    screen_saving after;
  };
  const row rows[] = {
      {dir + "\\WINDOWS", 0, {"1", "600"}},
      {dir + "\\WINNT\\", 300, {"1", "300"}},
  };
  for (const row& r : rows) {
    const std::string& root = r.root;
    CAPTURE(root);
    CAPTURE(r.timeout_before);
    delete_saver_value();
    set_screen_saving(false, r.timeout_before);
    started program = start(setup, in_quotes(setup), dir, root.c_str());
    installer_run run = make_installer_run(end_by_install, IDYES);
    drive_installer(run, program.pid);
    finish(program);
    CHECK(run.agreement_seen);
    CHECK_FALSE(run.about_seen);
    CHECK(run.question_seen);
    CHECK(run.question_text == "Set Korvanthel as the current screen saver?");
    CHECK_FALSE(run.failure_seen);
    std::string target = root + "\\Korvanthel.Scr";
    std::string copy;
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
    saver_value saved = read_saver_value();
    REQUIRE(saved.present);
    CHECK(saved.type == REG_SZ);
    std::string expected = short_path_of(target);
    CHECK(saved.size == expected.size() + 1);
    CHECK(saved.data == expected + std::string(1, '\0'));
    CHECK(read_screen_saving() == r.after);
  }
}

TEST_CASE(
    "install then No: the copy stays, the settings are untouched; a second run replaces the file; its own "
    "file whatever argument zero names") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("no");
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string setup = copy_program(dir, "Setup.Exe");
  // The same program in another folder, started from this one, where a file
  // of its name holds other bytes (a command prompt elsewhere, a shortcut's
  // "Start in").
  std::string home = dir + "\\home";
  CreateDirectoryA(home.c_str(), NULL);
  std::string elsewhere = copy_program(home, "Setup.Exe");
  std::string decoy_dir = dir + "\\decoy";
  CreateDirectoryA(decoy_dir.c_str(), NULL);
  REQUIRE(write_file(decoy_dir + "\\Setup.Exe", std::string(bytes.size(), 'D')));
  std::string target = windows + "\\Korvanthel.Scr";
  write_saver_value("sentinel");
  set_screen_saving(false, 0);
  const screen_saving before = {"0", "0"};
  struct row {
    const char* what;
    std::string application, command_line, cwd;
    bool installed_before;
  };
  const row rows[] = {
      // Typed as a bare name: the program file is the one in the current folder.
      {"a bare name in the program's folder", setup, "Setup.Exe", dir, false},
      {"again, over a longer file", setup, "Setup.Exe", dir, true},
      {"a bare name naming another file in the current folder", elsewhere, "Setup.Exe", decoy_dir, true},
      {"a name that no file has", elsewhere, "elsewhere.exe", decoy_dir, false},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    DeleteFileA(target.c_str());
    if (r.installed_before) REQUIRE(write_file(target, std::string(bytes.size() * 2, 'J')));
    started program = start(r.application, r.command_line, r.cwd, windows.c_str());
    installer_run run = make_installer_run(end_by_install, IDNO);
    drive_installer(run, program.pid);
    finish(program);
    CHECK(run.question_seen);
    CHECK_FALSE(run.failure_seen);
    std::string copy;
    REQUIRE(read_file(target, copy));
    CHECK(copy == bytes);
    CHECK(count_entries(windows) == 1);
    CHECK(read_saver_value().data == sentinel);
    CHECK(read_screen_saving() == before);
  }
}

TEST_CASE("installer failures: the user is told, nothing is asked or written") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("failures");
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string setup = copy_program(dir, "SETUP.EXE");
  std::string long_root = windows + "\\" + std::string(245, 'L');
  std::string missing = dir + "\\NOWINDOWS";
  struct row {
    const char* what;
    const char* root;
    std::string command_line;
    const char* told;
  };
  const row rows[] = {
      {"SystemRoot not set", NULL, in_quotes(setup), "SystemRoot"},
      {"path too long", long_root.c_str(), in_quotes(setup), "too long"},
      {"Windows directory missing", missing.c_str(), in_quotes(setup), "could not be created"},
  };
  set_screen_saving(false, 0);
  const screen_saving before = {"0", "0"};
  for (const row& r : rows) {
    CAPTURE(r.what);
    write_saver_value("sentinel");
    started program = start(setup, r.command_line, dir, r.root);
    installer_run run = make_installer_run(end_by_install, IDYES);
    drive_installer(run, program.pid);
    finish(program);
    CHECK(run.agreement_seen);
    CHECK(run.failure_seen);
    CHECK(run.failure_text.find(r.told) != std::string::npos);
    CHECK_FALSE(run.question_seen);
    CHECK(count_entries(windows) == 0);
    CHECK(count_entries(dir) == 2);
    CHECK(read_saver_value().data == sentinel);
    CHECK(read_screen_saving() == before);
  }
}

// --- the road of a standard user under user account control

// Environment for the programs that start() starts from now on (null: none).
static void set_test_environment(const char* name, const char* value) {
  SetEnvironmentVariableA(name, value);
}

// The copy command's runs in the test build's log (KORVANTHEL_TEST_LOG): the
// outcome of each, as "install_copy STATUS".
static std::vector<std::string> copy_runs(const std::string& log) {
  std::vector<std::string> runs;
  std::string text;
  if (!read_file(log, text)) return runs;
  size_t start = 0;
  while ((start = text.find("install_copy ", start)) != std::string::npos) {
    size_t end = text.find(' ', start + 13);
    runs.push_back(text.substr(start, end - start));
    start = end;
  }
  return runs;
}

// The installer at `setup` as a user who accepts and answers `answer`, with
// the test build's log in `log` (emptied first) and the test variables of
// `environment` set for it alone (a null value leaves one out).
static installer_run run_logged_installer(
    const std::string& setup, const std::string& dir, const std::string& windows, const std::string& log,
    int answer, const std::vector<std::pair<const char*, const char*>>& environment) {
  DeleteFileA(log.c_str());
  set_test_environment("KORVANTHEL_TEST_LOG", log.c_str());
  for (const auto& variable : environment) set_test_environment(variable.first, variable.second);
  started program = start(setup, in_quotes(setup), dir, windows.c_str());
  set_test_environment("KORVANTHEL_TEST_LOG", NULL);
  for (const auto& variable : environment) set_test_environment(variable.first, NULL);
  installer_run run = make_installer_run(end_by_install, answer);
  run.ended = program.process;
  drive_installer(run, program.pid);
  finish(program);
  return run;
}

// Where Windows denies a standard user the Windows directory, the installer
// asks for administrator rights and runs its own file once more with the copy
// command; Wine's "runas" starts it unelevated and hands back the process and
// its exit code. The test build's hook makes the installer's own copy report
// access denied; the copy command inherits the environment but never asks
// that hook, so its copy is real. Only the installer's own process asks the
// question and writes the settings.
TEST_CASE(
    "installer, access denied: the elevated copy installs; refused, unstartable or failed, nothing changes") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("elevation");
  std::string setup = copy_program(dir, "SETUP.EXE");
  std::string windows = dir + "\\WINDOWS";
  std::string target = windows + "\\Korvanthel.Scr";
  std::string log = dir + "\\hooks.log";
  const char* denied_text = "\"Run as administrator\"";
  struct row {
    const char* what;
    const char* own_copy_denied;  // KORV_TEST_COPY_DENIED
    const char* elevation;        // KORV_TEST_ELEVATION: how the request ends instead of asking
    bool folder_in_place;         // a folder where the file goes: denied to every process
    bool windows_missing;
    const char* told;  // the failure's words; null: installed
    std::vector<std::string> copies;
  };
  const row rows[] = {
      {"permission given", "1", NULL, false, false, NULL, {"install_copy 0"}},
      {"permission refused", "1", "refused", false, false, denied_text, {}},
      {"the elevated process cannot be started", "1", "unstartable", false, false, denied_text, {}},
      {"the elevated copy fails: no Windows directory",
       "1",
       NULL,
       false,
       true,
       "could not be created",
       {"install_copy 4"}},
      // Wine runs as root and ignores read-only files: a folder in the file's
      // place meets the same refusal as a standard user's copy, in both processes.
      {"the elevated copy is denied too", NULL, NULL, true, false, denied_text, {"install_copy 5"}},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    RemoveDirectoryA(target.c_str());
    DeleteFileA(target.c_str());
    RemoveDirectoryA(windows.c_str());
    if (!r.windows_missing) REQUIRE(CreateDirectoryA(windows.c_str(), NULL));
    if (r.folder_in_place) REQUIRE(CreateDirectoryA(target.c_str(), NULL));
    write_saver_value("sentinel");
    set_screen_saving(false, 0);
    installer_run run = run_logged_installer(
        setup, dir, windows, log, IDYES,
        {{"KORV_TEST_COPY_DENIED", r.own_copy_denied}, {"KORV_TEST_ELEVATION", r.elevation}});
    CHECK(copy_runs(log) == r.copies);
    if (!r.told) {
      CHECK(run.question_seen);
      CHECK_FALSE(run.failure_seen);
      std::string copy;
      REQUIRE(read_file(target, copy));
      CHECK(copy == bytes);
      CHECK(read_saver_value().data == short_path_of(target) + std::string(1, '\0'));
      CHECK(read_screen_saving() == screen_saving{"1", "600"});
      continue;
    }
    CHECK(run.failure_seen);
    CAPTURE(run.failure_text);
    CHECK(run.failure_text.find(r.told) != std::string::npos);
    CHECK_FALSE(run.question_seen);
    CHECK(count_entries(windows) == (r.windows_missing ? -1 : r.folder_in_place ? 1 : 0));
    if (r.folder_in_place) CHECK(count_entries(target) == 0);
    CHECK(read_saver_value().data == sentinel);
    CHECK(read_screen_saving() == screen_saving{"0", "0"});
  }
  RemoveDirectoryA(target.c_str());
}

// A reinstall whose copy fails leaves the installed file byte for byte, with
// no new copy beside it, and says so, on the NT road and on the road of the
// Windows 9x family (Wine reports Windows 98 to a program named in
// AppDefaults). The fault is planted in the test build's copy; the installed
// file in use is held open here without delete sharing, as a running saver
// holds it. On NT a replace denied goes the road of administrator rights,
// whose copy command is denied too; the 9x family asks for none.
TEST_CASE("on both roads: a failed reinstall leaves the installed file as it was; a good one installs") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("reinstall");
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string target = windows + "\\Korvanthel.Scr";
  std::string log = dir + "\\hooks.log";
  const std::string installed(bytes.size() / 2, 'I');
  HKEY key;
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP98.EXE", 0, NULL, 0,
                          KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE*)"win98", 6);
  RegCloseKey(key);
  enum before { nothing, a_file, a_file_in_use };
  struct row {
    const char* what;
    const char* name;   // SETUP98.EXE: the Windows 9x road
    const char* fault;  // KORV_TEST_COPY_FAULT: a write error after that many bytes
    before there;
    const char* told;  // null: installed
    std::vector<std::string> copies;
  };
  const row rows[] = {
      {"NT: installed afresh", "SETUPNT.EXE", NULL, nothing, NULL, {}},
      {"NT: replaced", "SETUPNT.EXE", NULL, a_file, NULL, {}},
      {"NT: a write error midway", "SETUPNT.EXE", "4096", a_file, "Writing the new copy failed", {}},
      {"NT: the installed file in use",
       "SETUPNT.EXE",
       NULL,
       a_file_in_use,
       "\"Run as administrator\"",
       {"install_copy 5"}},
      {"9x: installed afresh", "SETUP98.EXE", NULL, nothing, NULL, {}},
      {"9x: replaced", "SETUP98.EXE", NULL, a_file, NULL, {}},
      {"9x: a write error midway", "SETUP98.EXE", "4096", a_file, "Writing the new copy failed", {}},
      {"9x: the installed file in use", "SETUP98.EXE", NULL, a_file_in_use, "could not be replaced", {}},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    std::string setup = dir + "\\" + r.name;
    if (!file_exists(setup)) copy_program(dir, r.name);
    DeleteFileA(target.c_str());
    if (r.there != nothing) REQUIRE(write_file(target, installed));
    HANDLE held = r.there == a_file_in_use ? CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                                         OPEN_EXISTING, 0, NULL)
                                           : INVALID_HANDLE_VALUE;
    if (r.there == a_file_in_use) REQUIRE(held != INVALID_HANDLE_VALUE);
    write_saver_value("sentinel");
    installer_run run =
        run_logged_installer(setup, dir, windows, log, IDNO, {{"KORV_TEST_COPY_FAULT", r.fault}});
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    CHECK(copy_runs(log) == r.copies);
    CHECK(count_entries(windows) == 1);
    std::string now;
    REQUIRE(read_file(target, now));
    CHECK(run.question_seen == !r.told);
    CHECK(run.failure_seen == (r.told != NULL));
    if (!r.told) {
      CHECK(now == bytes);
      continue;
    }
    CAPTURE(run.failure_text);
    CHECK(run.failure_text.find(r.told) != std::string::npos);
    CHECK(now == installed);
    CHECK(read_saver_value().data == sentinel);
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP98.EXE");
}

// Process ids of the processes that pid started and that still run.
static std::vector<DWORD> children_of(DWORD pid) {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == pid) children.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return children;
}

static BOOL CALLBACK note_window_of_process(HWND window, LPARAM parameter) {
  DWORD* pid_and_seen = (DWORD*)parameter;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == pid_and_seen[0]) pid_and_seen[1] = 1;
  return TRUE;
}

// The copy command as the elevated process runs it: started in another folder
// (the system folder, for an elevated process) under a bare name that a
// different file there also has, it copies its own file; it shows nothing,
// writes no setting, starts nothing, and ends with its outcome's code.
TEST_CASE("the copy command: its own file by its full path, its outcome as exit code, nothing else") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("copy-command");
  std::string home = dir + "\\home";
  std::string elsewhere = dir + "\\system";
  CreateDirectoryA(home.c_str(), NULL);
  CreateDirectoryA(elsewhere.c_str(), NULL);
  std::string program = copy_program(home, "SETUP.SCR");
  REQUIRE(write_file(elsewhere + "\\SETUP.SCR", std::string(bytes.size(), 'D')));
  std::string windows = dir + "\\WINDOWS";
  struct row {
    const char* what;
    bool windows_there;
    DWORD code;  // 16 + the outcome: 0 installed, 4 target not created
  };
  const row rows[] = {{"installed", true, 16}, {"no Windows directory", false, 20}};
  for (const row& r : rows) {
    CAPTURE(r.what);
    DeleteFileA((windows + "\\Korvanthel.Scr").c_str());
    RemoveDirectoryA(windows.c_str());
    if (r.windows_there) REQUIRE(CreateDirectoryA(windows.c_str(), NULL));
    write_saver_value("sentinel");
    set_screen_saving(false, 0);
    started copy = start(program, "SETUP.SCR /i", elsewhere, windows.c_str());
    DWORD pid_and_seen[2] = {copy.pid, 0};
    std::vector<DWORD> children;
    while (WaitForSingleObject(copy.process, 10) == WAIT_TIMEOUT) {
      EnumWindows(note_window_of_process, (LPARAM)pid_and_seen);
      for (DWORD child : children_of(copy.pid)) children.push_back(child);
    }
    for (DWORD child : children_of(copy.pid)) children.push_back(child);
    CHECK(finish(copy) == r.code);
    CHECK(pid_and_seen[1] == 0);
    CHECK(children.empty());
    CHECK(read_saver_value().data == sentinel);
    CHECK(read_screen_saving() == screen_saving{"0", "0"});
    std::string copied;
    CHECK(read_file(windows + "\\Korvanthel.Scr", copied) == r.windows_there);
    if (r.windows_there) CHECK(copied == bytes);
  }
}

TEST_CASE("installer failure: a program that is the target itself is left whole") {
  std::string bytes = program_bytes();
  std::string dir = make_scratch_dir("same-file");
  std::string target = copy_program(dir, "Korvanthel.Scr");
  std::string setup = dir + "\\SETUP.EXE";
  REQUIRE(CreateHardLinkA(setup.c_str(), target.c_str(), NULL));
  write_saver_value("sentinel");
  started program = start(setup, in_quotes(setup), dir, dir.c_str());
  installer_run run = make_installer_run(end_by_install, IDYES);
  drive_installer(run, program.pid);
  finish(program);
  CHECK(run.failure_seen);
  CHECK(run.failure_text.find("same file") != std::string::npos);
  CHECK_FALSE(run.question_seen);
  std::string copy;
  REQUIRE(read_file(target, copy));
  CHECK(copy == bytes);
  CHECK(read_saver_value().data == sentinel);
}

TEST_CASE("the shipped program installs itself into the real Windows directory") {
  const char* shipped = getenv("KORV_SHIPPED_PROGRAM");
  REQUIRE_MESSAGE(shipped, "KORV_SHIPPED_PROGRAM names the program as shipped");
  std::string bytes;
  REQUIRE(read_file(wine_path(shipped), bytes));
  std::string dir = make_scratch_dir("shipped");
  std::string setup = dir + "\\Korvanthel.exe";
  REQUIRE(CopyFileA(wine_path(shipped).c_str(), setup.c_str(), FALSE));
  const char* windows = getenv("SystemRoot");
  REQUIRE(windows);
  std::string target = std::string(windows) + "\\Korvanthel.Scr";
  DeleteFileA(target.c_str());
  delete_saver_value();
  set_screen_saving(false, 0);
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  std::vector<char> line(setup.begin(), setup.end());
  line.push_back('\0');
  REQUIRE(
      CreateProcessA(setup.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &startup, &info));
  CloseHandle(info.hThread);
  started program = {info.hProcess, info.dwProcessId};
  installer_run run = make_installer_run(end_by_install, IDYES);
  drive_installer(run, program.pid);
  finish(program);
  CHECK(run.question_seen);
  CHECK_FALSE(run.failure_seen);
  std::string copy;
  CHECK(read_file(target, copy));
  CHECK(copy == bytes);
  saver_value saved = read_saver_value();
  CHECK(saved.type == REG_SZ);
  CHECK(saved.data == short_path_of(target) + std::string(1, '\0'));
  CHECK(read_screen_saving() == screen_saving{"1", "600"});
  DeleteFileA(target.c_str());
}

// ------------------------------------------------------------------ about dialog

TEST_CASE("started as .scr, without extension or under a short name: the about dialog, nothing installed") {
  std::string dir = make_scratch_dir("about");
  std::string windows = dir + "\\WINDOWS";
  CreateDirectoryA(windows.c_str(), NULL);
  std::string scr = copy_program(dir, "Korvanthel.scr");
  std::string k = copy_program(dir, "k");
  std::string ab = copy_program(dir, "ab");
  write_saver_value("sentinel");
  struct row {
    std::string application, command_line;
  };
  const row rows[] = {
      {scr, in_quotes(scr)}, {scr, "Korvanthel.scr"}, {scr, "Korvanthel.scr /c"}, {k, "k"}, {ab, "ab"},
      {k, in_quotes(k)},
  };
  for (const row& r : rows) {
    CAPTURE(r.command_line);
    started program = start(r.application, r.command_line, dir, windows.c_str());
    about_seen seen = look_at_about(program.pid);
    CHECK(seen.dialog != NULL);
    CHECK(seen.focus_on_close);
    CHECK(seen.buttons ==
          std::vector<std::string>{std::string("home page  ") + home_url, "sponsor page", "close"});
    CHECK_FALSE(seen.installer_seen);
    if (seen.dialog) click(seen.dialog, 1013);
    CHECK(finish(program) == 0);
    CHECK(count_entries(windows) == 0);
    CHECK(read_saver_value().data == sentinel);
  }
}

TEST_CASE("about dialog: IDOK gives exit code 1, every other ending 0") {
  std::string dir = make_scratch_dir("endings");
  std::string scr = copy_program(dir, "Korvanthel.scr");
  struct row {
    const char* how;
    std::function<void(HWND)> act;
    DWORD code;
  };
  const row rows[] = {
      {"close button", [](HWND d) { click(d, 1013); }, 0},
      {"Escape", press_escape, 0},
      {"close box", close_box, 0},
      {"IDCANCEL", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }, 0},
      {"IDOK", [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, 1},
  };
  for (const row& r : rows) {
    CAPTURE(r.how);
    started program = start(scr, in_quotes(scr), dir, dir.c_str());
    HWND dialog = wait_for_window(about_caption, program.pid);
    CHECK(dialog != NULL);
    if (dialog) r.act(dialog);
    CHECK(finish(program) == r.code);
  }
}

TEST_CASE("about dialog: each link button opens its page, every time, and the dialog stays") {
  use_logging_browser();
  std::string dir = make_scratch_dir("links");
  std::string scr = copy_program(dir, "Korvanthel.scr");
  started program = start(scr, in_quotes(scr), dir, dir.c_str());
  HWND dialog = wait_for_window(about_caption, program.pid);
  REQUIRE(dialog != NULL);
  const struct {
    int id;
    const char* address;
  } clicks[] = {{1011, home_url}, {1012, sponsor_url}, {1011, home_url}, {1012, sponsor_url}};
  std::vector<std::string> expected;
  for (const auto& c : clicks) {
    click(dialog, c.id);
    expected.push_back(c.address);
    CHECK(wait_for_addresses(expected.size()) == expected);
    CHECK(IsWindowVisible(dialog));
  }
  click(dialog, 1013);
  CHECK(finish(program) == 0);
}

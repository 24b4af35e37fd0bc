// Helpers for driving dialogs and message boxes from outside, as a user would:
// find a window by its caption, wait for it to appear or go, read texts, see
// where the keyboard focus is (the finding and waiting: win_wait.h). Waits
// poll and give up after a bound that only catches a hang (patience_ms); they
// never measure time as a result.
#pragma once
#include <windows.h>
#include <ostream>
#include <string>

#include "tests/wine-kit/win_wait.h"

// The text of a message box (its static text control).
std::string message_box_text(HWND box);
// The window that has the keyboard focus in the thread that owns window.
HWND focus_of(HWND window);
// Presses a button of a dialog the way the dialog manager reports a click.
void click(HWND dialog, int id);
// Sends Escape to the dialog's focused control, through its message loop.
void press_escape(HWND dialog);
// Clicks the caption's close box.
void close_box(HWND dialog);

// Registry: HKCU\Control Panel\Desktop value SCRNSAVE.EXE.
struct saver_value {
  bool present;
  DWORD type;
  DWORD size;        // characters as stored, a terminating zero included when stored
  std::string data;  // the characters as stored (ASCII)
};
saver_value read_saver_value();
void write_saver_value(const char* text);  // REG_SZ, with its zero
void delete_saver_value();

// Screen saving as the user's settings keep it: the values ScreenSaveActive
// and ScreenSaveTimeOut (text, as Windows stores them) of HKCU\Control
// Panel\Desktop, which SystemParametersInfoA's set forms write when asked to
// save (SPIF_UPDATEINIFILE). Read from the registry: under Wine,
// SystemParametersInfoA answers SPI_GETSCREENSAVEACTIVE from the X server's
// own screen saver, whatever the setting, and keeps the timeout that a process
// read first, whoever changes it later.
struct screen_saving {
  std::string active;   // "(none)" when absent
  std::string timeout;  // seconds, "(none)" when absent
  bool operator==(const screen_saving& other) const {
    return active == other.active && timeout == other.timeout;
  }
};
// "active A, timeout T", for the tests' messages.
std::ostream& operator<<(std::ostream& out, const screen_saving& saving);
screen_saving read_screen_saving();
// Sets both through SystemParametersInfoA, saved in the settings.
void set_screen_saving(bool active, unsigned timeout);

// Files.
bool read_file(const std::string& path, std::string& bytes);
bool write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
// A fresh empty scratch directory under the process's temporary directory.
std::string make_scratch_dir(const char* name);
// Number of entries (files and folders) in a directory, "." and ".." excluded.
int count_entries(const std::string& dir);

// The captions that the program's windows carry.
extern const char about_caption[];      // configuration dialog
extern const char agreement_caption[];  // installer's agreement dialog
extern const char question_caption[];   // "make it the current screen saver?"
extern const char failure_caption[];    // the installer's failure reports

// How the user leaves the agreement dialog.
enum agreement_ending {
  end_by_exit,
  end_by_idok,
  end_by_idcancel,
  end_by_escape,
  end_by_close_box,
  end_by_install
};

// One pass through the installer as a user: wait for the agreement dialog of
// process pid, leave it as asked (accepting first when installing), then
// answer the question box with answer (IDYES or IDNO) or acknowledge a
// failure report, and, when `ended` is given (a handle that is signalled
// once the installer has returned: its process, or an event), acknowledge a
// failure report that follows the answer until then. Records what it saw.
struct installer_run {
  agreement_ending ending;
  int answer;
  HANDLE ended;
  bool agreement_seen;
  bool install_enabled_at_start;
  bool about_seen;                     // a visible configuration dialog at any moment
  bool about_hidden_during_agreement;  // the configuration dialog existed, hidden
  bool question_seen;
  std::string question_text;
  bool failure_seen;
  std::string failure_text;
};
installer_run make_installer_run(agreement_ending ending, int answer = IDNO);
void drive_installer(installer_run& run, DWORD pid);

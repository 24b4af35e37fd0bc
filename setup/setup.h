// The configuration dialog (template 2003) and the self-installer with its
// agreement dialog (template 104).
#pragma once
#include <windows.h>
#include <stdio.h>

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK agreement_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void run_installer();

extern const char agreement_text[];
extern const char home_page_url[];
extern const char sponsor_page_url[];

// Argument zero of the command line as the start-up code split it (null when
// there is none).
const char* program_argument_zero();
// True when the name ends in ".exe", whatever the case of its letters.
bool name_is_exe(const char* name);

// Outcome of the installer's file steps; each failure has its own message.
enum install_status {
  install_ok,
  install_no_windows_dir,     // SystemRoot not set (or empty)
  install_path_too_long,      // SystemRoot + "\Korvanthel.Scr" over 255 characters
  install_source_not_opened,  // the program's own file does not open
  install_target_not_opened,  // the screen-saver file cannot be created
  install_access_denied,      // ... because the platform denies access (a standard user under UAC)
  install_same_file,          // source and target are one file
  install_read_error,
  install_write_error,
  install_replace_failed,       // the complete new copy could not take the installed file's place
  install_elevated_copy_failed  // the copy run with administrator rights ended without a known result
};

// The installed file's path, SystemRoot followed directly by "\Korvanthel.Scr",
// into a buffer of target_path_size bytes; nothing is written past it.
const int target_path_size = 256;
install_status build_target_path(const char* system_root, char* target);
// Copies every byte of source to target; stops at the first error.
install_status copy_stream(FILE* source, FILE* target);
// Copies the file source_name to target_path: the bytes go into a new file of
// a temporary name beside the target, which is flushed to the disk and only
// then takes the target's place: on NT with MoveFileExA, in one step that
// leaves either file whole; on the Windows 9x family, which has no
// MoveFileExA, by deleting the installed file and then renaming the new
// copy. A replace that the platform denies (ERROR_ACCESS_DENIED: a standard
// user, a read-only target) is install_access_denied, any other failure
// install_replace_failed. On failure the temporary file is removed
// and a file already at target_path keeps every byte; a target that is the
// source itself is never touched.
install_status copy_program_file(const char* source_name, const char* target_path);
// The program's own file, by the full path that Windows started it from
// (never argument zero, which may name another file or none), copied to
// target_path with copy_program_file; its path goes to source (size bytes,
// empty when it does not fit), for the messages.
install_status install_own_file(const char* target_path, char* source, DWORD size);
// Records the installed file's short path (the full path where there is no
// short form) as the current user's screen saver, SCRNSAVE.EXE; false when the
// desktop settings do not open or the value is not written.
bool set_current_saver(const char* target);
// Switches screen saving on and, where the wait before the saver starts is 0,
// sets it to default_screen_save_timeout; a wait the user chose is kept. Saved
// in the user's settings and announced to every window.
const unsigned default_screen_save_timeout = 600;  // seconds: 10 minutes
void switch_screen_saving_on();
// The text that the installer shows for a failure, into a buffer of size bytes
// (empty for install_ok, which is never shown).
void describe_install_failure(install_status status, const char* system_root, const char* source_name,
                              const char* target_path, char* text, size_t size);
// The text that the installer shows when the installed file could not be
// made the current screen saver after Yes.
void describe_saver_not_set(const char* target_path, char* text, size_t size);

// The copy with administrator rights. Where Windows (Vista and later) denies
// a standard user the Windows directory, the installer asks Windows to run
// its own file once more, elevated, with install_copy_command: that process
// does the file steps alone (the copy of its own file, found by its full
// path; no window, no setting, no other process) and ends with
// install_copy_exit_code of their outcome, which the installer reads back.
// Everything else (the messages, the question, the settings) stays in the
// user's own process, so that the settings land in the user's own hive.
extern const char install_copy_command[];
// The copy command's work; answers its exit code.
int run_install_copy();
// Exit codes of the copy command: install_copy_exit_base + the outcome.
// They are apart from the program's other codes (0, 1, the dialogs' and the
// fault guard's 3, an unknown command's -1) and from Wine's 5 for a crash.
const unsigned install_copy_exit_base = 16;
unsigned install_copy_exit_code(install_status status);
// The outcome that an exit code reports; install_elevated_copy_failed for a
// code that is no outcome of the copy command (a crash, another program).
install_status install_status_of_exit_code(unsigned code);

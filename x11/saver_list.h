// Korvanthel's entry in the xscreensaver daemon's list of screen savers, the
// programs: resource of ~/.xscreensaver: adding it, enabling it, taking it
// out. A pure function: the file's text in, the new text or the reason why
// the file is left alone out; no files, no output.
//
// What the daemon (6.06) reads, measured with the daemon itself and with the
// files that xscreensaver-settings writes:
// - A resource is "name: value" on one line, the name case-insensitive, after
//   optional blanks, the colon right after the name ("programs :" and
//   "*programs:" are not read). A line that ends in a backslash goes on on the
//   next line, whatever that line holds, comments ("#" or "!") included. When
//   a name is given twice, the last one counts.
// - The programs: value is a list of entries, each ended by the two
//   characters \n; blank entries are skipped, and a long entry may be wrapped
//   with a backslash at the end of a line. An entry is [-] [VISUAL:] ["NAME"]
//   COMMAND: a leading "-" disables it, "GL:" asks for an OpenGL visual.
// - selected: is the index, from 0, of the chosen entry in the daemon's list:
//   the user's entries in their order, then the system-wide entries that the
//   user's list lacks (merged in when the daemon starts).
// - Lines that end in CR LF are not read as meant: "mode: one\r" is no mode,
//   and a backslash before the CR continues nothing.
#pragma once

#include <string>

enum saver_list_action { list_add, list_remove };

enum saver_list_outcome {
  list_created,  // there was no file: the new one holds our entry alone
  list_added,    // our entry is now the last of the list
  list_enabled,  // our first disabled entry is enabled
  list_present,  // an enabled entry of ours was there already: no change
  list_removed,  // every entry of ours is out
  list_absent,   // there was no entry of ours to take out: no change
  list_refused   // a file this cannot safely change: see `reason`
};

struct saver_list_edit {
  saver_list_outcome outcome;
  std::string text;     // the new file (created, added, enabled, removed)
  std::string reason;   // refused: what is wrong and how to mend it by hand
  int removed;          // removed: how many entries went
  bool chosen_removed;  // removed: the chosen entry (selected:) was ours;
                        // selected: is -1 now (none chosen)
};

// The entry that is added: the daemon puts its hacks folder first on PATH,
// so the program's name is enough.
extern const char* const saver_list_entry;  // "GL: korvanthel --root"

// An entry is ours when its program is korvanthel, by name or by its
// installed path in the daemon's hacks folder.
extern const char* const saver_list_installed_program;  // "/usr/libexec/xscreensaver/korvanthel"

// Applies `action` to the text of ~/.xscreensaver (`exists` false: there is
// no such file; `text` is then ignored). Every byte that the change does not
// need is kept. `file_name` only names the file in `reason`.
//
// list_add: nothing changes when an enabled entry of ours is there; else the
// first disabled one is enabled (its "-" becomes a blank); else our entry is
// appended at the end of the list, so that the entries before it keep their
// indexes (selected: moves up by one only where it named a system-wide entry
// that the daemon merges in after the user's list). With no file, the new
// text is a programs: list holding our entry alone: the daemon merges the
// system-wide list in when it starts.
// list_remove: every entry of ours goes, with the line breaks it brought;
// every selected: is moved down where its entry moved.
//
// Refused (the text untouched): a NUL byte or other control character,
// CR LF lines, no programs: resource (for list_add), programs: twice, a
// programs: line swallowed by the continuation of the line before it, and a
// list whose last line ends in a backslash at the end of the file.
saver_list_edit edit_saver_list(const std::string& text, bool exists, saver_list_action action,
                                const char* file_name);

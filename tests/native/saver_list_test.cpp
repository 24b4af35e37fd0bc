// Korvanthel's entry in ~/.xscreensaver: files that xscreensaver-settings
// wrote (saver_list_files/, each saved by the real dialog), hand-written
// lists in the forms the daemon reads, and the files that must be left
// alone with a reason. Every change is checked byte for byte, and once more:
// the same action on its result changes nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "x11/saver_list.h"

namespace {

// The line that xscreensaver-settings itself wrote for "GL: korvanthel --root".
const std::string dialog_line = "  GL: \t\t\t\tkorvanthel --root\t\t\t    \\n\\\n";
const std::string our_line = "  GL: \t\t\t\tkorvanthel --root\t\t\t    \\n";

std::string read_file(const std::string& name) {
  std::ifstream in(std::string(SAVER_LIST_FILES) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(in.good() || in.eof()) << name;
  return text.str();
}

// `text` with `from` replaced by `to` once; `from` must be there.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct row {
  const char* name;
  std::string before;
  saver_list_action action;
  saver_list_outcome outcome;
  std::string after;  // the new text; refused: a piece of the reason
  int removed = 0;
  bool chosen_removed = false;
  bool exists = true;  // false: there is no file
};

// Applies the row's action and checks the outcome, the text or reason, and
// that the action changes nothing the second time.
void check(const row& r) {
  SCOPED_TRACE(r.name);
  saver_list_edit got = edit_saver_list(r.before, r.exists, r.action, "FILE");
  ASSERT_EQ(got.outcome, r.outcome) << got.reason;
  if (r.outcome == list_refused) {
    EXPECT_NE(got.reason.find(r.after), std::string::npos) << got.reason;
    return;
  }
  if (r.outcome == list_present || r.outcome == list_absent) return;
  EXPECT_EQ(got.text, r.after);
  EXPECT_EQ(got.removed, r.removed);
  EXPECT_EQ(got.chosen_removed, r.chosen_removed);
  saver_list_outcome again = edit_saver_list(got.text, true, r.action, "FILE").outcome;
  EXPECT_EQ(again, r.action == list_add ? list_present : list_absent);
}

TEST(SaverList, FilesThatXscreensaverSettingsWrote) {
  const std::string first = read_file("first-save.xscreensaver");
  const std::string wrapped = read_file("korvanthel-wrapped.xscreensaver");
  const std::string disabled = read_file("korvanthel-disabled.xscreensaver");
  const std::string named = read_file("korvanthel-named.xscreensaver");
  ASSERT_NE(wrapped.find(dialog_line), std::string::npos) << "the dialog lays out our entry otherwise now";
  const std::string last_entry = "  GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\\\n";
  const std::string path_entry =
      "- GL: \t\t\t\t/usr/libexec/xscreensaver/korvanthel\t      \\\n"
      "\t\t\t\t  --root --delay 20000\t\t\t    \\n\\\n";
  const row rows[] = {
      {"first save: appended after the last entry, before the empty line", first, list_add, list_added,
       replaced(first, last_entry, last_entry + dialog_line)},
      {"first save: nothing to remove", first, list_remove, list_absent, ""},
      {"by name, enabled: present", wrapped, list_add, list_present, ""},
      {"by name and by path, wrapped on two lines: both go, selected: 3 -> 1", wrapped, list_remove,
       list_removed,
       replaced(replaced(wrapped, dialog_line + path_entry, ""), "selected:\t3", "selected:\t1"), 2},
      {"by name, disabled: its dash becomes a blank", disabled, list_add, list_enabled,
       replaced(disabled, "- GL: \t\t\t\tkorvanthel", "  GL: \t\t\t\tkorvanthel")},
      {"disabled entry removed; selected: 0 comes before it", disabled, list_remove, list_removed,
       replaced(disabled, "- GL: \t\t\t\tkorvanthel --root\t\t\t    \\n\\\n", ""), 1},
      {"quoted name before the program: present", named, list_add, list_present, ""},
      {"the chosen entry (selected: 0) removed: none chosen", named, list_remove, list_removed,
       replaced(
           replaced(replaced(named, "  GL: \t\t    \"Name One\" \tkorvanthel --root\t\t\t    \\n\\\n", ""),
                    "  GL: \t\t\t\tkorvanthel --fps\t\t\t    \\n\\\n", ""),
           "selected:\t0", "selected:\t-1"),
       2, true},
  };
  for (const row& r : rows) check(r);
}

TEST(SaverList, HandWrittenLists) {
  const std::string open = "programs: attraction --root \\n\\\n";
  const row rows[] = {
      {"no file: a list of our entry alone", "", list_add, list_created,
       "# Korvanthel added by korvanthel-enable; xscreensaver adds its own screen\n"
       "# savers to this list when it starts.\n"
       "programs:\t\t\t\t\t\t\t\t      \\\n" +
           dialog_line + "\n",
       0, false, false},
      {"no file: nothing to remove", "", list_remove, list_absent, "", 0, false, false},
      {"last in the file, its last line without a backslash",
       "mode: one\nprograms: a --root \\n\\\n  b --root \\n\n", list_add, list_added,
       "mode: one\nprograms: a --root \\n\\\n  b --root \\n\\\n" + our_line + "\n"},
      {"in the middle, the file without a last newline", "programs: a --root \\n\nlock: False", list_add,
       list_added, "programs: a --root \\n\\\n" + our_line + "\nlock: False"},
      {"the last entry without its \\n", "programs: a --root\nmode: one\n", list_add, list_added,
       "programs: a --root \\n\\\n" + our_line + "\nmode: one\n"},
      {"an empty list", "Programs:\n", list_add, list_added, "Programs:\\\n" + our_line + "\n"},
      {"selected: past the user's entries names a system-wide one: it moves up",
       "selected: 2\n  programs: a \\n\\\n \\n\\\n  b \\n\n", list_add, list_added,
       "selected: 3\n  programs: a \\n\\\n \\n\\\n  b \\n\\\n" + our_line + "\n"},
      {"selected: before ours stays", "selected: 1\nprograms: a \\n\\\n  b \\n\n", list_add, list_added,
       "selected: 1\nprograms: a \\n\\\n  b \\n\\\n" + our_line + "\n"},
      {"selected: after ours moves down",
       "selected: 2\nprograms: a \\n\\\n  GL: korvanthel --root \\n\\\n  b \\n\n", list_remove, list_removed,
       "selected: 1\nprograms: a \\n\\\n  b \\n\n", 1},
      {"two of ours, a blank entry between",
       "selected: 3\nprograms: korvanthel \\n \\n a \\n korvanthel -fps\n", list_remove, list_removed,
       "selected: 1\nprograms: \\n a \\n\n", 2},
      {"ours ends the file, without a newline: the empty lines before it go too",
       "Programs:\\\nkorvanthel \\n\\\n\\\n korvanthel", list_remove, list_removed, "Programs:", 2},
      {"disabled without a blank after the dash", "programs: a \\n\\\n-korvanthel --root \\n\n", list_add,
       list_enabled, "programs: a \\n\\\n korvanthel --root \\n\n"},
      {"other programs are not ours",
       "programs: /usr/bin/korvanthel \\n korvanthel-x \\n GL: - korvanthel \\n\n# programs: korvanthel\n",
       list_add, list_added,
       "programs: /usr/bin/korvanthel \\n korvanthel-x \\n GL: - korvanthel \\n\\\n" + our_line +
           "\n# programs: korvanthel\n"},
      {"CR LF lines", "mode: one\r\nprograms: a \\n\\\r\n  b \\n\r\n", list_add, list_refused,
       "line 1 ends in CR LF"},
      {"CR LF lines, removing", "programs: korvanthel \\n\r\n", list_remove, list_refused, "CR LF"},
      {"binary data", std::string("programs: a \\n\n\0\x8b", 17), list_add, list_refused,
       "control byte 0x00"},
      {"no programs: resource", "mode: one\nprograms : a \\n\n*programs: b \\n\n", list_add, list_refused,
       "no programs: line"},
      {"no programs: resource, removing", "mode: one\n", list_remove, list_absent, ""},
      {"programs: twice", "programs: a \\n\nmode: one\nprograms: b \\n\n", list_remove, list_refused,
       "line 1 and again on line 3"},
      {"a list that runs off the end of the file", open + "  b \\n\\\n", list_add, list_refused, "cut short"},
      {"a list that runs off with a last backslash", open + "  b \\n\\", list_remove, list_refused,
       "cut short"},
      {"programs: swallowed by the line before", "textLiteral: hello \\\nprograms: a \\n\n", list_add,
       list_refused, "programs: on line 2 is read as part of textLiteral: on line 1"},
      {"programs: swallowed by a comment", "mode: one\n# note \\\nprograms: a \\n\n", list_remove,
       list_refused, "programs: on line 3 is read as part of the comment on line 2"},
  };
  for (const row& r : rows) check(r);
}

// A file written by this is read back as a list that holds our entry, and
// adding then removing it gives the file back byte for byte.
TEST(SaverList, AddingThenRemovingGivesTheFileBack) {
  const char* files[] = {"first-save.xscreensaver", "programs: a \\n\\\n  b \\n\n",
                         "selected: 5\nprograms:\n", "programs: a \\n\\\n\n", "# x\nprograms:  \\n\\\n\n"};
  for (std::string before : files) {
    if (before.find(".xscreensaver") != std::string::npos) before = read_file(before);
    SCOPED_TRACE(before.substr(0, 40));
    saver_list_edit added = edit_saver_list(before, true, list_add, "FILE");
    ASSERT_EQ(added.outcome, list_added);
    saver_list_edit removed = edit_saver_list(added.text, true, list_remove, "FILE");
    ASSERT_EQ(removed.outcome, list_removed);
    EXPECT_EQ(removed.text, before);
  }
}

}  // namespace

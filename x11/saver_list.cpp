// Korvanthel's entry in the programs: list of ~/.xscreensaver: the file is
// read as the xscreensaver daemon reads it (saver_list.h), and changed by a
// few edits at known offsets, so that every other byte stays as it was.
#include "x11/saver_list.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

const char* const saver_list_entry = "GL: korvanthel --root";
const char* const saver_list_installed_program = "/usr/libexec/xscreensaver/korvanthel";

namespace {

const size_t none = std::string::npos;

// Our entry as a line of the list, laid out as xscreensaver-settings lays
// out its entries (the command at column 32, the \n at column 76); the line
// break and the backslash that continues the list are added where needed.
const char* const entry_line = "  GL: \t\t\t\tkorvanthel --root\t\t\t    \\n";

// One resource: "name: value" with the lines that its backslashes join.
struct resource {
  size_t name_start, name_end;
  size_t value_start;  // after the colon
  size_t end;          // the newline that ends it, or the end of the text
  int line;            // its first line, from 1
  bool runs_off;       // its last line ends in a backslash at the end of the text
};

// One entry of the programs: list: from the end of the entry before it (or
// the colon) to the end of its own \n (or of the list).
struct entry {
  size_t start, end;
  bool closed;  // it ends in \n (only the last entry may lack it)
  bool blank;   // blanks only: the daemon skips it
  bool ours;    // its program is korvanthel
  size_t dash;  // the "-" that disables it, or none
};

// One replacement of `length` bytes at `at`.
struct edit {
  size_t at, length;
  std::string with;
};

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// The text from `at` starts with `word` followed by a colon, case aside.
bool names(const std::string& text, size_t at, const char* word) {
  for (; *word; word++, at++)
    if (at >= text.size() || lower(text[at]) != *word) return false;
  return at < text.size() && text[at] == ':';
}

size_t skip_blanks(const std::string& text, size_t at, size_t end) {
  while (at < end && is_blank(text[at])) at++;
  return at;
}

// The line number (from 1) of the byte at `at`.
int line_of(const std::string& text, size_t at) {
  return 1 + (int)std::count(text.begin(), text.begin() + (long)std::min(at, text.size()), '\n');
}

std::string format(const char* form, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* form, ...) {
  va_list args, again;
  va_start(args, form);
  va_copy(again, args);
  int size = std::vsnprintf(nullptr, 0, form, args);
  std::string out(size > 0 ? (size_t)size + 1 : 1, '\0');
  std::vsnprintf(&out[0], out.size(), form, again);
  out.resize(out.size() - 1);
  va_end(again);
  va_end(args);
  return out;
}

// The end of the line that starts at `at` with the lines its backslashes
// join: the newline that ends it, or the end of the text (*runs_off when
// that end comes right after a backslash). A backslash escapes the byte
// after it, so "\\" at the end of a line joins nothing.
size_t joined_end(const std::string& text, size_t at, bool* runs_off) {
  *runs_off = false;
  while (at < text.size()) {
    if (text[at] == '\n') return at;
    if (text[at] == '\\') {
      if (at + 1 >= text.size() || (text[at + 1] == '\n' && at + 2 >= text.size())) {
        *runs_off = true;
        return text.size();
      }
      at += 2;
    } else {
      at++;
    }
  }
  return at;
}

// Why the text is not a file the daemon reads as it is meant, or "".
std::string not_plain_text(const std::string& text, const char* file_name) {
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = (unsigned char)text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      return format(
          "line %d ends in CR LF (DOS line endings), which xscreensaver does not read; "
          "convert the file with  sed -i 's/\\r$//' %s  and run korvanthel-enable again",
          line_of(text, i), file_name);
    if (c < ' ' && c != '\t' && c != '\n' && c != '\f' && c != '\v')
      return format(
          "line %d holds the control byte 0x%02x, so it is no text file; move it aside "
          "(xscreensaver-settings writes a new one) or mend it by hand",
          line_of(text, i), c);
  }
  return "";
}

// Every resource of the text, and the first line that starts with
// "programs:" inside another resource's joined lines (*swallowed, 0 if
// none, with *swallower the resource that holds it).
std::vector<resource> read_resources(const std::string& text, int* swallowed, resource* swallower) {
  std::vector<resource> found;
  *swallowed = 0;
  // The line of an offset, counted on from the last one asked for (the
  // offsets asked for only grow).
  size_t counted = 0;
  int line = 1;
  auto line_at = [&](size_t offset) {
    line += (int)std::count(text.begin() + (long)counted, text.begin() + (long)offset, '\n');
    counted = offset;
    return line;
  };
  size_t at = 0;
  while (at < text.size()) {
    size_t start = skip_blanks(text, at, text.size());
    if (start >= text.size() || text[start] == '\n') {
      at = start + 1;
      continue;
    }
    // A comment, too, goes on where its line ends in a backslash.
    bool comment = text[start] == '#' || text[start] == '!';
    resource r;
    r.name_start = start;
    r.name_end = start;
    while (!comment && r.name_end < text.size() && !is_blank(text[r.name_end]) && text[r.name_end] != ':' &&
           text[r.name_end] != '\n' && text[r.name_end] != '\\')
      r.name_end++;
    r.value_start = r.name_end + 1;
    r.line = line_at(start);
    r.end = joined_end(text, start, &r.runs_off);
    bool named = r.name_end > r.name_start && r.name_end < text.size() && text[r.name_end] == ':';
    if (named) found.push_back(r);
    // The lines that this one's backslashes join.
    for (size_t newline = text.find('\n', start); newline != none && newline < r.end;
         newline = text.find('\n', newline + 1)) {
      size_t next = skip_blanks(text, newline + 1, text.size());
      if (!*swallowed && names(text, next, "programs")) {
        *swallowed = line_at(next);
        *swallower = r;
        if (!named) swallower->name_end = swallower->name_start;
      }
    }
    at = r.end >= text.size() ? text.size() : r.end + 1;
  }
  return found;
}

// The entry's text with the backslash-newlines that wrap it taken out, and
// where each of its bytes is in the file.
void unwrap(const std::string& text, size_t start, size_t end, std::string* out, std::vector<size_t>* where) {
  for (size_t i = start; i < end; i++) {
    if (text[i] == '\\' && i + 1 < end && text[i + 1] == '\n') {
      i++;
      continue;
    }
    out->push_back(text[i]);
    where->push_back(i);
  }
}

// What the entry in [start, end) is: [-] [VISUAL:] ["NAME"] COMMAND, the
// entry's \n taken off.
entry read_entry(const std::string& text, size_t start, size_t end, size_t content_end) {
  entry e = {start, end, content_end < end, true, false, none};
  std::string s;
  std::vector<size_t> where;
  unwrap(text, start, content_end, &s, &where);
  size_t i = skip_blanks(s, 0, s.size());
  if (i == s.size()) return e;
  e.blank = false;
  size_t dash = none;
  if (s[i] == '-') {
    dash = where[i];
    i = skip_blanks(s, i + 1, s.size());
  }
  // A visual is a name or a number: GL, default-n, TrueColor, 0x21.
  size_t j = i;
  while (j < s.size() && (std::isalnum((unsigned char)s[j]) || (j > i && (s[j] == '-' || s[j] == '_')))) j++;
  if (j > i && j < s.size() && s[j] == ':') i = skip_blanks(s, j + 1, s.size());
  if (i < s.size() && s[i] == '"') {
    size_t quote = s.find('"', i + 1);
    if (quote != none) i = skip_blanks(s, quote + 1, s.size());
  }
  j = i;
  while (j < s.size() && !is_blank(s[j])) j++;
  std::string program = s.substr(i, j - i);
  e.ours = program == "korvanthel" || program == saver_list_installed_program;
  if (e.ours) e.dash = dash;
  return e;
}

// The entries of the list held by resource `r`.
std::vector<entry> read_entries(const std::string& text, const resource& r) {
  std::vector<entry> entries;
  size_t start = r.value_start;
  for (size_t i = r.value_start; i < r.end; i++) {
    if (text[i] != '\\') continue;
    if (i + 1 < r.end && text[i + 1] == 'n') {
      entries.push_back(read_entry(text, start, i + 2, i));
      start = i + 2;
    }
    i++;
  }
  entry last = read_entry(text, start, r.end, r.end);
  if (!last.blank) entries.push_back(last);
  return entries;
}

// The edits that put our entry at the end of the list of resource `r`.
void append_entry(const std::string& text, const resource& r, const std::vector<entry>& entries,
                  std::vector<edit>* edits) {
  // What follows the last \n: an entry without its \n, or only blanks and
  // the line breaks that wrap the list.
  bool open_entry = !entries.empty() && !entries.back().closed;
  size_t tail = entries.empty() ? r.value_start : entries.back().end;
  bool wrapped = false;
  for (size_t i = tail; i + 1 < r.end && !wrapped; i++) {
    if (text[i] != '\\') continue;
    wrapped = text[i + 1] == '\n';
    i++;
  }
  if (open_entry) {
    edits->push_back({r.end, 0, std::string(" \\n\\\n") + entry_line});
  } else if (wrapped) {
    // The list goes on to a last line of blanks (xscreensaver-settings ends
    // it with an empty line): our line goes before that line.
    size_t last_line = text.rfind('\n', r.end - 1) + 1;
    edits->push_back({last_line, 0, std::string(entry_line) + "\\\n"});
  } else {
    edits->push_back({r.end, 0, std::string("\\\n") + entry_line});
  }
}

// The bytes that go with an entry that is taken out: the entry, from the \n
// before it (or the colon) to its own \n. An entry on a line of its own
// takes only that line with it, and the backslash that led to it, so that
// the lines around it stay as they were.
edit removal(const std::string& text, const entry& e) {
  size_t content = e.start;
  while (content < e.end) {
    if (is_blank(text[content]))
      content++;
    else if (text[content] == '\\' && content + 1 < e.end && text[content + 1] == '\n')
      content += 2;
    else
      break;
  }
  size_t line_start = content > 0 ? text.rfind('\n', content - 1) + 1 : 0;
  bool own_line = line_start > e.start && skip_blanks(text, line_start, content) == content;
  size_t start = own_line ? line_start - 2 : e.start;
  return {start, e.end - start, ""};
}

// Moves each selected: value by `move` (its old index in, the new out).
template <typename Move>
void move_selected(const std::string& text, const std::vector<resource>& resources, Move move,
                   std::vector<edit>* edits) {
  for (const resource& r : resources) {
    if (!names(text, r.name_start, "selected")) continue;
    size_t number = skip_blanks(text, r.value_start, r.end);
    size_t digits = number < r.end && text[number] == '-' ? number + 1 : number;
    size_t after = digits;
    while (after < r.end && text[after] >= '0' && text[after] <= '9' && after - digits < 9) after++;
    if (after == digits || skip_blanks(text, after, r.end) != r.end) continue;
    long index = std::stol(text.substr(number, after - number));
    long moved = move(index);
    if (moved != index) edits->push_back({number, after - number, std::to_string(moved)});
  }
}

// Where the list ran to the end of the file and its last entries were
// taken out, the backslashes that led to them would end the file: they go.
void drop_ending_breaks(std::string* text) {
  for (;;) {
    size_t n = text->size();
    if (n < 2 || (*text)[n - 1] != '\n' || (*text)[n - 2] != '\\') return;
    size_t backslashes = 1;
    while (backslashes < n - 1 && (*text)[n - 2 - backslashes] == '\\') backslashes++;
    if (backslashes % 2 == 0) return;  // an escaped backslash ends the line
    text->resize(n - 2);
  }
}

std::string applied(std::string text, std::vector<edit> edits) {
  std::sort(edits.begin(), edits.end(), [](const edit& a, const edit& b) { return a.at > b.at; });
  for (const edit& e : edits) text.replace(e.at, e.length, e.with);
  return text;
}

saver_list_edit refused(const std::string& reason) {
  return {list_refused, "", reason, 0, false};
}

}  // namespace

saver_list_edit edit_saver_list(const std::string& text, bool exists, saver_list_action action,
                                const char* file_name) {
  if (!exists || text.empty()) {
    if (action == list_remove) return {list_absent, "", "", 0, false};
    std::string made =
        "# Korvanthel added by korvanthel-enable; xscreensaver adds its own screen\n"
        "# savers to this list when it starts.\n"
        "programs:\t\t\t\t\t\t\t\t      \\\n";
    made += std::string(entry_line) + "\\\n\n";
    return {list_created, made, "", 0, false};
  }

  std::string wrong = not_plain_text(text, file_name);
  if (!wrong.empty()) return refused(wrong);

  int swallowed;
  resource swallower;
  std::vector<resource> resources = read_resources(text, &swallowed, &swallower);
  const resource* list = nullptr;
  for (const resource& r : resources) {
    if (!names(text, r.name_start, "programs")) continue;
    if (list)
      return refused(
          format("programs: is on line %d and again on line %d, and xscreensaver reads only the "
                 "last; make them one list and run korvanthel-enable again",
                 list->line, r.line));
    list = &r;
  }
  if (!list && swallowed) {
    char first = text[swallower.name_start];
    std::string owner =
        swallower.name_end > swallower.name_start
            ? text.substr(swallower.name_start, swallower.name_end - swallower.name_start) + ":"
        : first == '#' || first == '!' ? "the comment"
                                       : "the line";
    return refused(
        format("programs: on line %d is read as part of %s on line %d, because the line before it "
               "ends in a backslash; delete that backslash and run korvanthel-enable again",
               swallowed, owner.c_str(), swallower.line));
  }
  if (!list) {
    if (action == list_remove) return {list_absent, "", "", 0, false};
    return refused(
        format("it has no programs: line, the list of screen savers; add the line  programs: %s "
               "\\n  to it, or move the file aside and run korvanthel-enable again",
               saver_list_entry));
  }
  if (list->runs_off)
    return refused(
        format("the programs: list (line %d) ends the file with a backslash, as if the file had been "
               "cut short; end the list with a line that has no backslash at its end (an empty line "
               "will do) and run korvanthel-enable again",
               list->line));

  std::vector<entry> entries = read_entries(text, *list);
  std::vector<edit> edits;
  if (action == list_add) {
    const entry* disabled = nullptr;
    for (const entry& e : entries) {
      if (!e.ours) continue;
      if (e.dash == none) return {list_present, "", "", 0, false};
      if (!disabled) disabled = &e;
    }
    if (disabled) {
      edits.push_back({disabled->dash, 1, " "});
      return {list_enabled, applied(text, edits), "", 0, false};
    }
    append_entry(text, *list, entries, &edits);
    // Our entry takes the index after the user's entries; the system-wide
    // entries that the daemon puts there move up by one.
    long ours = (long)std::count_if(entries.begin(), entries.end(), [](const entry& e) { return !e.blank; });
    move_selected(
        text, resources, [ours](long index) { return index >= ours ? index + 1 : index; }, &edits);
    return {list_added, applied(text, edits), "", 0, false};
  }

  std::vector<long> gone;  // the indexes of the entries taken out
  long index = 0;
  for (const entry& e : entries) {
    if (e.ours) {
      edits.push_back(removal(text, e));
      gone.push_back(index);
    }
    if (!e.blank) index++;
  }
  if (gone.empty()) return {list_absent, "", "", 0, false};
  bool chosen_removed = false;
  move_selected(
      text, resources,
      [&](long selected) {
        if (selected < 0) return selected;
        if (std::find(gone.begin(), gone.end(), selected) != gone.end()) {
          chosen_removed = true;
          return -1L;
        }
        return selected - (long)std::count_if(gone.begin(), gone.end(), [=](long g) { return g < selected; });
      },
      &edits);
  std::string removed = applied(text, edits);
  if (list->end == text.size()) drop_ending_breaks(&removed);
  return {list_removed, removed, "", (int)gone.size(), chosen_removed};
}

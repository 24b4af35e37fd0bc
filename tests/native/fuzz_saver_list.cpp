// Fuzz target: any byte string as ~/.xscreensaver, added to and removed
// from. Neither action may crash or read outside the text; a refusal gives
// a reason on one line and no text; a file with a control byte or CR LF is
// always refused; each change is stable (the same action again changes
// nothing), and removing what was added leaves a list to which adding gives
// the same file again.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "x11/saver_list.h"

static void require(bool condition) {
  if (!condition) abort();
}

// The text holds a byte that the daemon does not read as a plain text file's.
static bool has_control_bytes(const std::string& text) {
  for (unsigned char c : text)
    if (c < ' ' && c != '\t' && c != '\n' && c != '\f' && c != '\v') return true;
  return false;
}

static saver_list_edit edit(const std::string& text, saver_list_action action) {
  saver_list_edit result = edit_saver_list(text, true, action, "FILE");
  bool changed = result.outcome == list_created || result.outcome == list_added ||
                 result.outcome == list_enabled || result.outcome == list_removed;
  require(changed != result.text.empty());
  require((result.outcome == list_refused) == !result.reason.empty());
  require(result.reason.find('\n') == std::string::npos);
  require((result.outcome == list_removed) == (result.removed > 0));
  if (!text.empty() && has_control_bytes(text)) require(result.outcome == list_refused);
  return result;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text((const char*)data, size);
  saver_list_edit added = edit(text, list_add);
  if (added.outcome == list_created || added.outcome == list_added || added.outcome == list_enabled) {
    require(edit(added.text, list_add).outcome == list_present);
    saver_list_edit removed = edit(added.text, list_remove);
    require(removed.outcome == list_removed);
    if (added.outcome != list_enabled && edit(text, list_remove).outcome == list_absent) {
      require(removed.removed == 1 && !removed.chosen_removed);
      require(edit(removed.text, list_add).text == added.text);
    }
  }
  saver_list_edit removed = edit(text, list_remove);
  if (removed.outcome == list_removed) {
    require(edit(removed.text, list_remove).outcome == list_absent);
    require(edit(removed.text, list_add).outcome == list_added);
  }
  return 0;
}

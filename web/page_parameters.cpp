// The address parameters of the browser edition.
#include "web/page_parameters.h"

#include <cstdio>
#include <cstring>

void default_page_settings(page_settings* settings) {
  settings->still = false;
  settings->frame = 0;
  settings->show_rate = false;
}

// A plain decimal number from 0 to `highest`: digits only (no sign, space,
// point or exponent), at most nine of them.
static bool plain_number(const char* text, long highest, long* value) {
  size_t length = std::strlen(text);
  if (length == 0 || length > 9) return false;
  long n = 0;
  for (size_t k = 0; k < length; k++) {
    if (text[k] < '0' || text[k] > '9') return false;
    n = n * 10 + (text[k] - '0');
  }
  if (n > highest) return false;
  *value = n;
  return true;
}

// Writes the reason, with the parameter shortened and anything that is not
// printable ASCII shown as '?', so that the line stays one short line.
static void explain(char* why, int why_size, const char* name, const char* value, const char* reason) {
  char shown[2][41];
  const char* texts[2] = {name, value};
  for (int t = 0; t < 2; t++) {
    size_t k = 0;
    for (; texts[t][k] && k < 40; k++)
      shown[t][k] = texts[t][k] >= 32 && texts[t][k] < 127 ? texts[t][k] : '?';
    shown[t][k] = '\0';
  }
  std::snprintf(why, (size_t)why_size, "ignored the parameter %s=%s: %s", shown[0], shown[1], reason);
}

bool apply_page_parameter(page_settings* settings, const char* name, const char* value, char* why,
                          int why_size) {
  long n = 0;
  if (!std::strcmp(name, "frame")) {
    if (!plain_number(value, page_last_frame, &n)) {
      explain(why, why_size, name, value, "the frame is a whole number from 0 to 100000000");
      return false;
    }
    settings->still = true;
    settings->frame = n;
    return true;
  }
  if (!std::strcmp(name, "fps")) {
    if (value[0] != '\0' && !plain_number(value, 1, &n)) {
      explain(why, why_size, name, value, "fps takes no value, 1 (show the rate) or 0 (do not)");
      return false;
    }
    settings->show_rate = value[0] == '\0' || n == 1;
    return true;
  }
  explain(why, why_size, name, value, "the page knows only frame and fps");
  return false;
}

// The saver's command line: the tail after the program name, the command the
// tail selects with the position of its handle, and decimal handles.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "host/command_scan.h"

namespace {

struct ScanCase {
  const char* tail;
  saver_command command;
  // Offset of the argument in the tail, or -1 for none.
  int argument;
};

const ScanCase scan_cases[] = {
    // Empty tail and separators only: the dialog without a parent.
    {"", command_configure, -1},
    {"/", command_configure, -1},
    {"- /", command_configure, -1},
    {"  --//  ", command_configure, -1},
    // Full screen in every spelling; nothing after the letter matters.
    {"/s", command_fullscreen, -1},
    {"-s", command_fullscreen, -1},
    {"s", command_fullscreen, -1},
    {"/S", command_fullscreen, -1},
    {"//-s", command_fullscreen, -1},
    {"/s garbage /x", command_fullscreen, -1},
    {"/screensaver", command_fullscreen, -1},
    // Preview: the argument starts past the letter and the blanks after it.
    {"/p 920", command_preview, 3},
    {"/p920", command_preview, 2},
    {"/P    920", command_preview, 6},
    {"/l 920", command_preview, 3},
    {"/L920", command_preview, 2},
    {"/p", command_preview, 2},
    {"/p\t920", command_preview, 2},  // only blanks are skipped, not tabs
    {"/p -5", command_preview, 3},
    // Configure with a parent: only a colon right after the letter gives a handle.
    {"/c:920", command_configure_parent, 3},
    {"/C:920", command_configure_parent, 3},
    {"/c:", command_configure_parent, 3},
    {"/c 920", command_configure_parent, -1},
    {"/c", command_configure_parent, -1},
    {"/c :920", command_configure_parent, -1},
    {"c:1", command_configure_parent, 2},
    // Password change.
    {"/a 920", command_change_password, 3},
    {"/A920", command_change_password, 2},
    {"-a   7", command_change_password, 5},
    {"/a", command_change_password, 2},
    // The installer's file steps alone, as the installer runs them elevated;
    // nothing after the letter matters, and it takes no argument.
    {"/i", command_install_copy, -1},
    {"-I", command_install_copy, -1},
    {"i", command_install_copy, -1},
    {"/- /i C:\\Temp\\other.scr", command_install_copy, -1},
    {"/install", command_install_copy, -1},
    {"/\ti", command_unknown, -1},
    // Everything else is unknown.
    {"/x", command_unknown, -1},
    {"/?", command_unknown, -1},
    {"1", command_unknown, -1},
    {"/\ts", command_unknown, -1},  // a tab after a slash is not a separator
    {"\ts", command_unknown, -1},
    {":s", command_unknown, -1},
    {"/\x80", command_unknown, -1},
    {"\xff"
     "s",
     command_unknown, -1},
    {"\xd3", command_unknown, -1},  // 0xD3 read unsigned would be 'S' + 0x80
    {"/ps", command_preview, 2},
    {"/z /s", command_unknown, -1},
};

TEST(ScanCommand, EveryCommandForm) {
  for (const ScanCase& c : scan_cases) {
    SCOPED_TRACE(std::string("tail \"") + c.tail + "\"");
    command_scan_result result = scan_command(c.tail);
    EXPECT_EQ(result.command, c.command);
    if (c.argument < 0)
      EXPECT_EQ(result.argument, nullptr);
    else
      EXPECT_EQ(result.argument, c.tail + c.argument);
  }
}

struct DecimalCase {
  const char* text;
  unsigned int value;
};

const DecimalCase decimal_cases[] = {
    {"", 0u},
    {"0", 0u},
    {"920", 920u},
    {"12x", 12u},
    {"007", 7u},
    {" 5", 0u},  // no blanks skipped
    {"-5", 0u},  // no sign
    {"+5", 0u},
    {"abc", 0u},
    {"4294967295", 4294967295u},
    {"4294967296", 0u},  // 2^32 wraps to 0
    {"4294967297", 1u},
    {"99999999999", 1215752191u},  // 99999999999 mod 2^32
    {"18446744073709551617", 1u},  // 2^64 + 1
    {"12 34", 12u},
    {"5\xb9", 5u},  // a byte that is a digit plus 0x80 ends the number
};

TEST(ParseDecimal, DigitsWrapAtThirtyTwoBits) {
  for (const DecimalCase& c : decimal_cases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    EXPECT_EQ(parse_decimal(c.text), c.value);
  }
}

TEST(ParseDecimal, ArgumentOfScannedCommand) {
  // What the dispatcher hands to parse_decimal for the usual command lines.
  EXPECT_EQ(parse_decimal(scan_command("/p   920").argument), 920u);
  EXPECT_EQ(parse_decimal(scan_command("/c:4711 extra").argument), 4711u);
  EXPECT_EQ(parse_decimal(scan_command("/a 33").argument), 33u);
  EXPECT_EQ(parse_decimal(scan_command("/p").argument), 0u);
}

struct TailCase {
  const char* line;
  const char* tail;  // the text that the tail must start at, up to the end of the line
};

const TailCase tail_cases[] = {
    {"", ""},
    {"saver.scr", ""},
    {"saver.scr /s", "/s"},
    {"saver.scr   \t /s", "/s"},  // blanks and tabs after the name are skipped
    {"saver.scr\t/s", "/s"},
    {"saver.scr\x01\x1f/p 5", "/p 5"},  // control bytes are separators too
    {"\"C:\\Program Files\\saver.scr\" /s", "/s"},
    {"\"C:\\Program Files\\saver.scr\"/s", "/s"},
    {"\"C:\\Program Files\\saver.scr /s", ""},  // unterminated quote: all of it
    {"\"\" /s", "/s"},
    {"\"", ""},
    {"\"a\"b /s", "b /s"},                  // the name ends at the closing quote
    {"C:\\Sp\xe4ter\\saver.scr /s", "/s"},  // bytes 0x80 and above belong to the name
    {"\xff\xfe /c", "/c"},
    {" /s", "/s"},  // no name: the separators are skipped all the same
    {"saver.scr /s tail ends here", "/s tail ends here"},
    {"saver.scr -p  12 ", "-p  12 "},
};

TEST(CommandTail, ProgramNameAndSeparatorsSkipped) {
  for (const TailCase& c : tail_cases) {
    SCOPED_TRACE(std::string("line \"") + c.line + "\"");
    const char* tail = command_tail(c.line, next_byte);
    // The tail is a position inside the line, not a copy.
    EXPECT_EQ(tail, c.line + strlen(c.line) - strlen(c.tail));
    EXPECT_STREQ(tail, c.tail);
  }
}

// A code page where 0x81 starts a two-byte character whose second byte may be
// a quote or a blank, as in the double-byte code pages of East Asia.
const char* next_double_byte(const char* p) {
  if (!*p) return p;
  if ((unsigned char)*p == 0x81 && p[1]) return p + 2;
  return p + 1;
}

TEST(CommandTail, StepsByCharacters) {
  // Inside quotes, 0x81 0x22 is one character, not a closing quote.
  const char quoted[] = "\"a\x81\"b c\" /s";
  EXPECT_STREQ(command_tail(quoted, next_double_byte), "/s");
  EXPECT_STREQ(command_tail(quoted, next_byte), "b c\" /s");  // byte steps end at the inner quote
  // After the name, separators are skipped a character at a time.
  const char plain[] = "saver.scr /s";
  EXPECT_EQ(command_tail(plain, next_double_byte), plain + 10);
}

TEST(CommandTail, NextByteStaysOnTheEnd) {
  const char text[] = "ab";
  EXPECT_EQ(next_byte(text), text + 1);
  EXPECT_EQ(next_byte(text + 2), text + 2);
}

TEST(CommandTail, WholeLineToCommand) {
  struct {
    const char* line;
    saver_command command;
    unsigned int handle;
  } cases[] = {
      {"\"C:\\Windows\\Korvanthel.scr\" /p 1234", command_preview, 1234u},
      {"KORVAN~1.SCR /c:77", command_configure_parent, 77u},
      {"Korvanthel.exe", command_configure, 0u},
      {"\"C:\\a b\\Korvanthel.scr", command_configure, 0u},
      {"Korvanthel.scr\t\t-S", command_fullscreen, 0u},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    command_scan_result result = scan_command(command_tail(c.line, next_byte));
    EXPECT_EQ(result.command, c.command);
    if (result.argument) {
      EXPECT_EQ(parse_decimal(result.argument), c.handle);
    }
  }
}

}  // namespace

// The Linux program's command line: the display, where it draws, the frame
// delay, the -fps overlay and the own window's size, every malformed or
// missing value that must end it with one line saying what is wrong, the
// usage line made from the same option table, and the road (X11 or Wayland)
// that the options and WAYLAND_DISPLAY pick.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "linux/options.h"

namespace {

// Runs parse_options on the arguments after the program name.
bool parse(std::vector<const char*> args, saver_options* out, std::string* error) {
  args.insert(args.begin(), "korvanthel");
  char text[256];
  std::memset(text, 'Z', sizeof text);
  text[sizeof text - 1] = '\0';
  bool ok = parse_options((int)args.size(), args.data(), out, text, sizeof text);
  *error = text;
  return ok;
}

struct good_case {
  std::vector<const char*> args;
  draw_target target;
  unsigned long window_id;
  long delay_us;
  bool show_fps;
  int width, height;
  const char* display = nullptr;  // null: $DISPLAY
};

TEST(LinuxOptions, AcceptsEveryFormTheDaemonTheDialogAndUsersPass) {
  const good_case cases[] = {
      {{}, target_own_window, 0, 10000, false, 1024, 768},
      {{"-root"}, target_root, 0, 10000, false, 1024, 768},
      {{"--root"}, target_root, 0, 10000, false, 1024, 768},
      {{"--root", "--window-id", "0x600008"}, target_window_id, 0x600008, 10000, false, 1024, 768},
      {{"-window-id", "0x1A", "-root"}, target_window_id, 0x1a, 10000, false, 1024, 768},
      {{"-window-id", "0X1a"}, target_window_id, 0x1a, 10000, false, 1024, 768},
      {{"-window-id", "6291464"}, target_window_id, 6291464, 10000, false, 1024, 768},
      {{"-window-id", "0123"}, target_window_id, 123, 10000, false, 1024, 768},  // decimal, not octal
      {{"-window-id", "0x1fffffff"}, target_window_id, 0x1fffffff, 10000, false, 1024, 768},
      {{"-window-id", "536870911"}, target_window_id, 0x1fffffff, 10000, false, 1024, 768},
      {{"-delay", "0"}, target_own_window, 0, 0, false, 1024, 768},
      {{"--delay", "25000"}, target_own_window, 0, 25000, false, 1024, 768},
      {{"-delay", "10000000"}, target_own_window, 0, 10000000, false, 1024, 768},
      {{"-delay", "007"}, target_own_window, 0, 7, false, 1024, 768},
      {{"-delay", "5", "-delay", "7"}, target_own_window, 0, 7, false, 1024, 768},
      {{"-fps"}, target_own_window, 0, 10000, true, 1024, 768},
      {{"--fps", "--root", "--delay", "20000"}, target_root, 0, 20000, true, 1024, 768},
      {{"-geometry", "640x480"}, target_own_window, 0, 10000, false, 640, 480},
      {{"--geometry", "1x1"}, target_own_window, 0, 10000, false, 1, 1},
      {{"-geometry", "16384x16384"}, target_own_window, 0, 10000, false, 16384, 16384},
      {{"-display", ":0"}, target_own_window, 0, 10000, false, 1024, 768, ":0"},
      {{"--display", "host:0.1", "--root"}, target_root, 0, 10000, false, 1024, 768, "host:0.1"},
      {{"-display", "[::1]:3", "-window-id", "32"}, target_window_id, 32, 10000, false, 1024, 768, "[::1]:3"},
      {{"-display", ":1", "-display", ":2"}, target_own_window, 0, 10000, false, 1024, 768, ":2"},
      {{"-overlay"}, target_overlay, 0, 10000, false, 1024, 768},
      {{"--overlay", "--fps", "-delay", "0"}, target_overlay, 0, 0, true, 1024, 768},
  };
  for (const good_case& c : cases) {
    std::string joined;
    for (const char* a : c.args) joined += std::string(a) + " ";
    saver_options o;
    std::string error;
    ASSERT_TRUE(parse(c.args, &o, &error)) << joined << ": " << error;
    EXPECT_EQ(o.target, c.target) << joined;
    if (c.target == target_window_id) {
      EXPECT_EQ(o.window_id, c.window_id) << joined;
    }
    EXPECT_EQ(o.delay_us, c.delay_us) << joined;
    EXPECT_EQ(o.show_fps, c.show_fps) << joined;
    EXPECT_EQ(o.width, c.width) << joined;
    EXPECT_EQ(o.height, c.height) << joined;
    EXPECT_EQ(std::string(o.display_name ? o.display_name : "(none)"), c.display ? c.display : "(none)")
        << joined;
    EXPECT_FALSE(o.help) << joined;
  }
}

bool same_options(const saver_options& a, const saver_options& b) {
  auto display = [](const saver_options& o) {
    return std::string(o.display_name ? o.display_name : "(none)");
  };
  return a.target == b.target && (a.target != target_window_id || a.window_id == b.window_id) &&
         a.delay_us == b.delay_us && a.show_fps == b.show_fps && a.width == b.width && a.height == b.height &&
         display(a) == display(b) && a.help == b.help;
}

// Every option of the table, with a value where it takes one: one dash and
// two give the same options, and each of them changes something.
TEST(LinuxOptions, EveryOptionTakesOneOrTwoDashes) {
  struct {
    const char* name;
    const char* value;  // null: takes none
  } options[] = {
      {"root", nullptr},   {"window-id", "0x20"}, {"delay", "5"},    {"fps", nullptr},
      {"geometry", "2x3"}, {"display", ":7"},     {"help", nullptr}, {"overlay", nullptr},
  };
  saver_options defaults;
  std::string error;
  ASSERT_TRUE(parse({}, &defaults, &error));
  for (auto option : options) {
    std::string one = std::string("-") + option.name, two = std::string("--") + option.name;
    saver_options with_one, with_two;
    std::vector<const char*> args_one = {one.c_str()}, args_two = {two.c_str()};
    if (option.value) {
      args_one.push_back(option.value);
      args_two.push_back(option.value);
    }
    ASSERT_TRUE(parse(args_one, &with_one, &error)) << one << ": " << error;
    ASSERT_TRUE(parse(args_two, &with_two, &error)) << two << ": " << error;
    EXPECT_TRUE(same_options(with_one, with_two)) << option.name;
    EXPECT_FALSE(same_options(with_one, defaults)) << option.name << " changes nothing";
    if (option.value) {
      // Without its value, in either form, and also when only options follow.
      EXPECT_FALSE(parse({one.c_str()}, &with_one, &error));
      EXPECT_EQ(error, "option " + one + " needs a value");
      EXPECT_FALSE(parse({"-fps", two.c_str()}, &with_two, &error));
      EXPECT_EQ(error, "option " + two + " needs a value");
    } else {
      // An option without a value takes none: what follows is an argument.
      EXPECT_FALSE(parse({one.c_str(), "5"}, &with_one, &error));
      EXPECT_EQ(error, "unexpected argument '5'");
    }
  }
}

TEST(LinuxOptions, HelpIsAskedForWithOneOrTwoDashes) {
  for (const char* arg : {"-help", "--help"}) {
    saver_options o;
    std::string error;
    ASSERT_TRUE(parse({arg}, &o, &error));
    EXPECT_TRUE(o.help);
  }
}

struct bad_case {
  std::vector<const char*> args;
  const char* message;  // the whole line parse_options reports
};

TEST(LinuxOptions, RejectsEveryBadInputWithOneLineSayingWhatIsWrong) {
  const bad_case cases[] = {
      // Unknown options and stray arguments.
      {{"-foo"}, "unknown option '-foo'"},
      {{"--window"}, "unknown option '--window'"},
      {{"-Root"}, "unknown option '-Root'"},
      {{"---root"}, "unknown option '---root'"},
      {{"-delay=5"}, "unknown option '-delay=5'"},
      {{"-s"}, "unknown option '-s'"},
      {{"root"}, "unexpected argument 'root'"},
      {{"-"}, "unexpected argument '-'"},
      {{"--"}, "unexpected argument '--'"},
      {{"-root", "0x20"}, "unexpected argument '0x20'"},
      // Missing values.
      {{"-delay"}, "option -delay needs a value"},
      {{"--window-id"}, "option --window-id needs a value"},
      {{"-geometry"}, "option -geometry needs a value"},
      {{"-root", "-delay"}, "option -delay needs a value"},
      // Malformed delays.
      {{"-delay", ""}, "-delay wants microseconds from 0 to 10000000, not ''"},
      {{"-delay", "abc"}, "-delay wants microseconds from 0 to 10000000, not 'abc'"},
      {{"-delay", "-5"}, "-delay wants microseconds from 0 to 10000000, not '-5'"},
      {{"-delay", "+5"}, "-delay wants microseconds from 0 to 10000000, not '+5'"},
      {{"-delay", " 5"}, "-delay wants microseconds from 0 to 10000000, not ' 5'"},
      {{"-delay", "5 "}, "-delay wants microseconds from 0 to 10000000, not '5 '"},
      {{"-delay", "5ms"}, "-delay wants microseconds from 0 to 10000000, not '5ms'"},
      {{"-delay", "1e4"}, "-delay wants microseconds from 0 to 10000000, not '1e4'"},
      {{"-delay", "0x10"}, "-delay wants microseconds from 0 to 10000000, not '0x10'"},
      {{"-delay", "10000001"}, "-delay wants microseconds from 0 to 10000000, not '10000001'"},
      {{"--delay", "99999999999999999999999"},
       "--delay wants microseconds from 0 to 10000000, not '99999999999999999999999'"},
      {{"-delay", "-fps"}, "-delay wants microseconds from 0 to 10000000, not '-fps'"},
      // Malformed window ids.
      {{"-window-id", ""}, "-window-id wants a window id (0x... or decimal), not ''"},
      {{"-window-id", "0x"}, "-window-id wants a window id (0x... or decimal), not '0x'"},
      {{"-window-id", "0xg1"}, "-window-id wants a window id (0x... or decimal), not '0xg1'"},
      {{"-window-id", "zz"}, "-window-id wants a window id (0x... or decimal), not 'zz'"},
      {{"-window-id", "-1"}, "-window-id wants a window id (0x... or decimal), not '-1'"},
      {{"-window-id", "+1"}, "-window-id wants a window id (0x... or decimal), not '+1'"},
      {{"-window-id", "0"}, "-window-id wants a window id (0x... or decimal), not '0'"},
      {{"-window-id", "0x0"}, "-window-id wants a window id (0x... or decimal), not '0x0'"},
      {{"-window-id", "1.5"}, "-window-id wants a window id (0x... or decimal), not '1.5'"},
      {{"-window-id", " 0x20"}, "-window-id wants a window id (0x... or decimal), not ' 0x20'"},
      {{"-window-id", "0x20 "}, "-window-id wants a window id (0x... or decimal), not '0x20 '"},
      {{"-window-id", "x20"}, "-window-id wants a window id (0x... or decimal), not 'x20'"},
      {{"-window-id", "0x20000000"}, "-window-id wants a window id (0x... or decimal), not '0x20000000'"},
      {{"-window-id", "536870912"}, "-window-id wants a window id (0x... or decimal), not '536870912'"},
      {{"-window-id", "0xffffffffffffffffff"},
       "-window-id wants a window id (0x... or decimal), not '0xffffffffffffffffff'"},
      {{"-root", "--window-id", "-root"}, "--window-id wants a window id (0x... or decimal), not '-root'"},
      // Malformed sizes.
      {{"-geometry", ""}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not ''"},
      {{"-geometry", "640"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640'"},
      {{"-geometry", "640x"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640x'"},
      {{"-geometry", "x480"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not 'x480'"},
      {{"-geometry", "0x480"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '0x480'"},
      {{"-geometry", "640x0"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640x0'"},
      {{"-geometry", "640x480x3"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640x480x3'"},
      {{"-geometry", "-640x480"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '-640x480'"},
      {{"-geometry", "640x-480"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640x-480'"},
      {{"-geometry", "16385x10"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '16385x10'"},
      {{"-geometry", "10x16385"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '10x16385'"},
      {{"-geometry", "640X480"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640X480'"},
      {{"-geometry", "640x480+0+0"}, "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '640x480+0+0'"},
      {{"-geometry", "12345678901234567x1"},
       "-geometry wants WIDTHxHEIGHT from 1 to 16384, not '12345678901234567x1'"},
      // Display names: Xlib opens none without a colon.
      {{"-display"}, "option -display needs a value"},
      {{"-fps", "--display"}, "option --display needs a value"},
      {{"-display", ""}, "-display wants an X display name (:N or HOST:N), not ''"},
      {{"-display", "localhost"}, "-display wants an X display name (:N or HOST:N), not 'localhost'"},
      {{"--display", "0"}, "--display wants an X display name (:N or HOST:N), not '0'"},
      {{"-display=:0"}, "unknown option '-display=:0'"},
      // Control characters of a quoted argument are shown as '?', so the
      // message stays one line; a display name with them is refused.
      {{"-fo\no"}, "unknown option '-fo?o'"},
      {{"x\x7f"}, "unexpected argument 'x?'"},
      {{"\rroot"}, "unexpected argument '?root'"},
      {{"-delay", "5\t"}, "-delay wants microseconds from 0 to 10000000, not '5?'"},
      {{"--display", ":0\n"}, "--display wants an X display name (:N or HOST:N), not ':0?'"},
      {{"-display", "\x1b[2J:0"}, "-display wants an X display name (:N or HOST:N), not '?[2J:0'"},
      // An option of X11 beside one of Wayland, in either order, names the
      // first of each as given.
      {{"-root", "-overlay"}, "-root is for X11 and -overlay for Wayland: give options of one of them"},
      {{"--overlay", "-fps", "--window-id", "0x20", "-root"},
       "--window-id is for X11 and --overlay for Wayland: give options of one of them"},
      {{"-overlay", "-display", ":0"},
       "-display is for X11 and -overlay for Wayland: give options of one of them"},
      {{"-overlay", "-overlay\n", "-root"}, "unknown option '-overlay?'"},
  };
  for (const bad_case& c : cases) {
    std::string joined;
    for (const char* a : c.args) joined += std::string("[") + a + "]";
    saver_options o;
    o.delay_us = -42;  // must stay untouched on failure
    std::string error;
    EXPECT_FALSE(parse(c.args, &o, &error)) << joined;
    EXPECT_EQ(error, c.message) << joined;
    EXPECT_EQ(error.find('\n'), std::string::npos) << joined;
    EXPECT_EQ(o.delay_us, -42) << joined;
  }
}

TEST(LinuxOptions, ErrorTextIsCutToTheBufferAndStaysTerminated) {
  const char* args[] = {"korvanthel", "-window-id", "0xthis-is-a-rather-long-malformed-window-id"};
  saver_options o;
  char small[16];
  std::memset(small, 'Z', sizeof small);
  EXPECT_FALSE(parse_options(3, args, &o, small, sizeof small));
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
  EXPECT_EQ(std::string(small), std::string("-window-id want"));
}

TEST(LinuxOptions, UsageLineNamesEveryOptionOnceOnOneLine) {
  char usage[usage_size];
  size_t length = format_usage(usage, sizeof usage);
  std::string line = usage;
  EXPECT_EQ(length, line.size());
  EXPECT_LT(length, usage_size);  // what main() gives it
  EXPECT_EQ(line.rfind("usage: korvanthel [-", 0), 0u) << line;
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const char* options[] = {"[-root]", "[-window-id ID]", "[-overlay]",      "[-delay MICROSECONDS]",
                           "[-fps]",  "[-geometry WxH]", "[-display NAME]", "[-help]"};
  size_t brackets = 0;
  for (char c : line) brackets += c == '[';
  EXPECT_EQ(brackets, sizeof options / sizeof *options) << line;
  for (const char* option : options) {
    size_t at = line.find(option);
    ASSERT_NE(at, std::string::npos) << option << " in " << line;
    EXPECT_EQ(line.find(option, at + 1), std::string::npos) << option << " twice in " << line;
  }
  // The daemon's and the preview's options first, as ever; help last.
  EXPECT_LT(line.find("[-root]"), line.find("[-window-id ID]"));
  EXPECT_EQ(line.substr(line.size() - 8), " [-help]");
}

// The road: an option that only one window system has picks it; without
// one, WAYLAND_DISPLAY (set and not empty) picks Wayland.
TEST(LinuxOptions, TheRoadFollowsTheOptionsThenWaylandDisplay) {
  struct {
    std::vector<const char*> args;
    const char* wayland_display;  // null: unset
    saver_road road;
  } cases[] = {
      {{}, nullptr, road_x11},
      {{}, "", road_x11},
      {{}, "wayland-1", road_wayland},
      {{"-fps", "-geometry", "320x240", "-delay", "0"}, "wayland-0", road_wayland},
      {{"-root"}, "wayland-1", road_x11},
      {{"--window-id", "0x20"}, "wayland-1", road_x11},
      {{"-display", ":0"}, "/run/user/1000/wayland-0", road_x11},
      {{"-overlay"}, nullptr, road_wayland},
      {{"--fps", "--overlay"}, "", road_wayland},
  };
  for (auto c : cases) {
    std::string joined;
    for (const char* a : c.args) joined += std::string(a) + " ";
    saver_options o;
    std::string error;
    ASSERT_TRUE(parse(c.args, &o, &error)) << joined << ": " << error;
    EXPECT_EQ(choose_road(&o, c.wayland_display), c.road)
        << joined << "with WAYLAND_DISPLAY " << (c.wayland_display ? c.wayland_display : "unset");
  }
}

TEST(LinuxOptions, UsageLineIsCutToTheBufferAndStaysTerminated) {
  char full[usage_size];
  size_t length = format_usage(full, sizeof full);
  char small[20];
  std::memset(small, 'Z', sizeof small);
  EXPECT_EQ(format_usage(small, sizeof small), length);
  EXPECT_EQ(std::string(small), std::string(full, sizeof small - 1));
  char one = 'Z';
  EXPECT_EQ(format_usage(&one, 1), length);
  EXPECT_EQ(one, '\0');
  EXPECT_EQ(format_usage(nullptr, 0), length);
}

TEST(LinuxWindowId, RootTargetComesFromTheDaemonsVariable) {
  struct {
    const char* value;
    bool ok;
    unsigned long id;
  } cases[] = {
      {nullptr, true, 0},  // unset: the root window
      {"0x600008", true, 0x600008},
      {"0X600008", true, 0x600008},
      {"6291464", true, 6291464},
      {"", false, 0},
      {"0x", false, 0},
      {"none", false, 0},
      {"0", false, 0},
      {"0x600008 ", false, 0},
      {"0x40000000", false, 0},
      {"0x6\n00008", false, 0},
  };
  for (auto c : cases) {
    unsigned long id = 77;
    char error[128] = "";
    bool ok = root_target_window(c.value, &id, error, sizeof error);
    EXPECT_EQ(ok, c.ok) << (c.value ? c.value : "(unset)");
    if (c.ok) {
      EXPECT_EQ(id, c.id) << c.value;
    } else {
      // Control characters are shown as '?': the message stays one line.
      std::string shown = c.value;
      for (char& ch : shown)
        if (ch == '\n') ch = '?';
      EXPECT_EQ(std::string(error), "XSCREENSAVER_WINDOW is not a window id: '" + shown + "'");
    }
  }
}

TEST(LinuxWindowId, CountsAndSizesRejectNull) {
  unsigned long id;
  long n;
  int w, h;
  EXPECT_FALSE(parse_window_id(nullptr, &id));
  EXPECT_FALSE(parse_count(nullptr, 10, &n));
  EXPECT_FALSE(parse_geometry(nullptr, &w, &h));
  EXPECT_TRUE(parse_count("10", 10, &n));
  EXPECT_EQ(n, 10);
  EXPECT_FALSE(parse_count("11", 10, &n));
  EXPECT_FALSE(parse_count("0", -1, &n));
}

// A count against maximums below 10 too, where a single digit can be larger
// than the maximum, and at the ends of long's range.
TEST(LinuxWindowId, CountsStayWithinTheirMaximum) {
  struct {
    const char* text;
    long max;
    bool ok;
  } cases[] = {
      {"5", 3, false},
      {"3", 3, true},
      {"4", 3, false},
      {"9", 0, false},
      {"0", 0, true},
      {"1", 0, false},
      {"03", 3, true},
      {"13", 3, false},
      {"10", 9, false},
      {"9", 9, true},
      {"19", 15, false},
      {"15", 15, true},
      {"16", 15, false},
      {"2147483647", 2147483647, true},
      {"2147483648", 2147483647, false},
      {"9223372036854775807", 9223372036854775807L, true},
      {"9223372036854775808", 9223372036854775807L, false},
  };
  for (auto c : cases) {
    long n = -7;
    EXPECT_EQ(parse_count(c.text, c.max, &n), c.ok) << c.text << " up to " << c.max;
    if (c.ok)
      EXPECT_EQ(n, std::strtol(c.text, nullptr, 10)) << c.text;
    else
      EXPECT_EQ(n, -7) << c.text << ": the value is kept when the text is refused";
  }
}

}  // namespace

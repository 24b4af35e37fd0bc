#include "tests/wine-system/resource_checks.h"
#include "tests/wine-system/resource_reader.h"
#include <doctest/doctest.h>
#include <algorithm>
#include <string>

namespace {
struct expected_control {
  WORD id;
  const char* class_name;
  const char* text;
  short x, y, cx, cy;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
};

void check_controls(const dialog_template& dialog, const expected_control* expected, size_t count) {
  REQUIRE(dialog.controls.size() == count);
  for (size_t i = 0; i < count; i++) {
    const control_template& control = dialog.controls[i];
    CAPTURE(i);
    CAPTURE(expected[i].id);
    CHECK(control.id == expected[i].id);
    CHECK(control.class_name == expected[i].class_name);
    CHECK(control.text == expected[i].text);
    CHECK(control.x == expected[i].x);
    CHECK(control.y == expected[i].y);
    CHECK(control.cx == expected[i].cx);
    CHECK(control.cy == expected[i].cy);
    CHECK(control.style == (expected[i].style | WS_CHILD | WS_VISIBLE));
    CHECK(control.ex_style == 0);
  }
}
}  // namespace

void check_config_template(HMODULE module) {
  dialog_template dialog = read_dialog_template(module, 2003);
  REQUIRE(dialog.found);
  REQUIRE_FALSE(dialog.extended);
  CHECK(dialog.style == (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  CHECK((dialog.style & (WS_POPUP | WS_VISIBLE | DS_CENTER)) == 0);
  CHECK(dialog.ex_style == 0);
  CHECK(dialog.x == 0);
  CHECK(dialog.y == 0);
  CHECK(dialog.cx == 247);
  CHECK(dialog.cy == 121);
  CHECK(dialog.menu.empty());
  CHECK(dialog.class_name.empty());
  CHECK(dialog.caption == "Korvanthel screen saver v 0.0.0a");
  CHECK(dialog.point_size == 8);
  CHECK(dialog.font == "MS Sans Serif");
  std::string home_caption = "home page  http://www.korvanthel.example";
  const expected_control controls[] = {
      {1016, "Static", "", 5, 7, 238, 51, SS_CENTER | SS_CENTERIMAGE | WS_GROUP},
      {1011, "Button", home_caption.c_str(), 10, 60, 185, 20, BS_PUSHBUTTON | WS_TABSTOP},
      {1012, "Button", "sponsor page", 10, 95, 185, 20, BS_PUSHBUTTON | WS_TABSTOP},
      {1013, "Button", "close", 205, 60, 35, 30, BS_PUSHBUTTON | WS_TABSTOP},
  };
  check_controls(dialog, controls, sizeof controls / sizeof controls[0]);
}

void check_agreement_template(HMODULE module) {
  dialog_template dialog = read_dialog_template(module, 104);
  REQUIRE(dialog.found);
  REQUIRE_FALSE(dialog.extended);
  CHECK(dialog.style ==
        (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | DS_CENTERMOUSE | DS_SETFONT));
  CHECK((dialog.style & WS_VISIBLE) == 0);
  CHECK(dialog.ex_style == 0);
  CHECK(dialog.x == 0);
  CHECK(dialog.y == 0);
  CHECK(dialog.cx == 263);
  CHECK(dialog.cy == 241);
  CHECK(dialog.menu.empty());
  CHECK(dialog.class_name.empty());
  CHECK(dialog.caption == "install Korvanthel screen saver");
  CHECK(dialog.point_size == 8);
  CHECK(dialog.font == "MS Sans Serif");
  const expected_control controls[] = {
      {1006, "Edit", "", 11, 25, 240, 175,
       ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
      {1002, "Button", "I accept the agreement above", 11, 202, 240, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
      {1003, "Button", "install", 200, 215, 50, 20, BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED},
      {1004, "Static", "install Korvanthel screen saver  v 0.0..0a", 15, 5, 200, 10, SS_LEFT | WS_GROUP},
      {1005, "Button", "exit", 135, 215, 50, 20, BS_PUSHBUTTON | WS_TABSTOP},
  };
  check_controls(dialog, controls, sizeof controls / sizeof controls[0]);
  // The accept box lies between the notice and the buttons, inside the dialog.
  REQUIRE(dialog.controls.size() == 5);
  const control_template& notice = dialog.controls[0];
  const control_template& accept = dialog.controls[1];
  CHECK(accept.y >= notice.y + notice.cy);
  CHECK(accept.y + accept.cy <= dialog.controls[2].y);
  CHECK(accept.y + accept.cy <= dialog.controls[4].y);
  CHECK(accept.x + accept.cx <= dialog.cx);
}

void check_manifest(HMODULE module) {
  std::string manifest = resource_bytes(module, (LPCSTR)RT_MANIFEST, 1);
  REQUIRE_FALSE(manifest.empty());
  CHECK(manifest.find("<requestedExecutionLevel level=\"asInvoker\"") != std::string::npos);
  CHECK(manifest.find("uiAccess=\"false\"") != std::string::npos);
  size_t dpi = manifest.find("<dpiAware");
  REQUIRE(dpi != std::string::npos);
  CHECK(manifest.find(">true</dpiAware>", dpi) != std::string::npos);
}

void check_no_other_resources(HMODULE module) {
  std::vector<std::string> names = list_resources(module);
  std::sort(names.begin(), names.end());
  // 5: RT_DIALOG, 24: RT_MANIFEST.
  std::vector<std::string> expected = {"24/1", "5/104", "5/2003"};
  CHECK(names == expected);
}

#include "tests/wine-system/resource_checks.h"
#include "tests/wine-system/resource_reader.h"
#include "tests/wine-system/xml_reader.h"
#include "korv_version.h"
#include <doctest/doctest.h>
#include <algorithm>
#include <stdlib.h>
#include <string>
#include <vector>

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
  // The version as the file VERSION writes it, through the build.
  CHECK(dialog.caption == std::string("Korvanthel screen saver v ") + KORV_VERSION_TEXT);
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

namespace {
const char assembly_ns[] = "urn:schemas-microsoft-com:asm.v1";
const char asm_v3_ns[] = "urn:schemas-microsoft-com:asm.v3";
const char compatibility_ns[] = "urn:schemas-microsoft-com:compatibility.v1";
const char settings_2005_ns[] = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
const char settings_2016_ns[] = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";

std::string attribute_or_none(const xml_element* element, const char* name) {
  const std::string* value = element ? xml_attribute(*element, name) : nullptr;
  return value ? *value : "(none)";
}

std::string lower_case(std::string text) {
  for (char& c : text) c = (char)(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

// VERSION's leading numbers, up to four, the rest 0: what the numeric version
// fields must hold ("1.2b" gives 1.2.0.0).
std::vector<unsigned> version_numbers(const char* version) {
  std::vector<unsigned> numbers;
  const char* p = version;
  while (numbers.size() < 4 && *p >= '0' && *p <= '9') {
    numbers.push_back((unsigned)strtoul(p, (char**)&p, 10));
    if (*p != '.') break;
    p++;
  }
  numbers.resize(4, 0);
  return numbers;
}
}  // namespace

void check_manifest(HMODULE module) {
  std::string manifest = resource_bytes(module, (LPCSTR)RT_MANIFEST, 1);
  REQUIRE_FALSE(manifest.empty());
  xml_element root;
  std::string error;
  REQUIRE_MESSAGE(parse_xml(manifest, root, error), "the manifest is well-formed XML: " << error);
  CHECK(root.ns == assembly_ns);
  CHECK(root.name == "assembly");
  CHECK(attribute_or_none(&root, "manifestVersion") == "1.0");

  const xml_element* identity = xml_child(root, assembly_ns, "assemblyIdentity");
  CHECK(attribute_or_none(identity, "name") == "Korvanthel.ScreenSaver");
  std::vector<unsigned> numbers = version_numbers(KORV_VERSION_TEXT);
  std::string dotted = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
                       std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
  CHECK(attribute_or_none(identity, "version") == dotted);

  const xml_element* trust = xml_child(root, asm_v3_ns, "trustInfo");
  const xml_element* security = trust ? xml_child(*trust, asm_v3_ns, "security") : nullptr;
  const xml_element* privileges = security ? xml_child(*security, asm_v3_ns, "requestedPrivileges") : nullptr;
  const xml_element* level =
      privileges ? xml_child(*privileges, asm_v3_ns, "requestedExecutionLevel") : nullptr;
  CHECK(attribute_or_none(level, "level") == "asInvoker");
  CHECK(attribute_or_none(level, "uiAccess") == "false");

  // Windows Vista, 7, 8, 8.1 and 10/11, each once.
  const xml_element* compatibility = xml_child(root, compatibility_ns, "compatibility");
  const xml_element* application =
      compatibility ? xml_child(*compatibility, compatibility_ns, "application") : nullptr;
  std::vector<std::string> systems;
  if (application)
    for (const xml_element* os : xml_children(*application, compatibility_ns, "supportedOS"))
      systems.push_back(lower_case(attribute_or_none(os, "Id")));
  std::sort(systems.begin(), systems.end());
  std::vector<std::string> expected_systems = {
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
  };
  CHECK(systems == expected_systems);

  const xml_element* dependency = xml_child(root, assembly_ns, "dependency");
  const xml_element* dependent =
      dependency ? xml_child(*dependency, assembly_ns, "dependentAssembly") : nullptr;
  const xml_element* controls = dependent ? xml_child(*dependent, assembly_ns, "assemblyIdentity") : nullptr;
  const struct {
    const char* name;
    const char* value;
  } controls_identity[] = {
      {"type", "win32"},
      {"name", "Microsoft.Windows.Common-Controls"},
      {"version", "6.0.0.0"},
      {"processorArchitecture", "*"},
      {"publicKeyToken", "6595b64144ccf1df"},
      {"language", "*"},
  };
  for (const auto& expected : controls_identity) {
    CAPTURE(expected.name);
    CHECK(attribute_or_none(controls, expected.name) == expected.value);
  }

  // Per-monitor aware through dpiAware alone: a dpiAwareness element would
  // be read instead of it by Windows 10 1607 and later.
  const xml_element* settings_application = xml_child(root, asm_v3_ns, "application");
  const xml_element* settings =
      settings_application ? xml_child(*settings_application, asm_v3_ns, "windowsSettings") : nullptr;
  REQUIRE(settings);
  const xml_element* dpi_aware = xml_child(*settings, settings_2005_ns, "dpiAware");
  REQUIRE(dpi_aware);
  CHECK(dpi_aware->text == "true/pm");
  CHECK(xml_children(*settings, settings_2016_ns, "dpiAwareness").empty());
}

void check_version_resource(const std::string& program) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
  REQUIRE(size > 0);
  std::vector<char> block(size);
  REQUIRE(GetFileVersionInfoA(program.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  REQUIRE(VerQueryValueA(block.data(), "\\", (void**)&fixed, &length));
  REQUIRE(length >= sizeof *fixed);
  CHECK(fixed->dwSignature == 0xFEEF04BD);
  std::vector<unsigned> numbers = version_numbers(KORV_VERSION_TEXT);
  CAPTURE(KORV_VERSION_TEXT);
  for (DWORD ms : {fixed->dwFileVersionMS, fixed->dwProductVersionMS}) {
    CHECK(HIWORD(ms) == numbers[0]);
    CHECK(LOWORD(ms) == numbers[1]);
  }
  for (DWORD ls : {fixed->dwFileVersionLS, fixed->dwProductVersionLS}) {
    CHECK(HIWORD(ls) == numbers[2]);
    CHECK(LOWORD(ls) == numbers[3]);
  }
  CHECK(fixed->dwFileType == VFT_APP);
  CHECK(fixed->dwFileOS == VOS__WINDOWS32);
  CHECK((fixed->dwFileFlags & fixed->dwFileFlagsMask) == 0);

  // One language: English (United States) in code page 1252.
  WORD* translation = nullptr;
  REQUIRE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length));
  REQUIRE(length == 2 * sizeof(WORD));
  CHECK(translation[0] == 0x0409);
  CHECK(translation[1] == 1252);

  const struct {
    const char* name;
    std::string value;
  } strings[] = {
      {"ProductName", "Korvanthel"},          {"FileDescription", "Korvanthel screen saver"},
      {"OriginalFilename", "Korvanthel.scr"}, {"InternalName", "Korvanthel"},
      {"FileVersion", KORV_VERSION_TEXT},     {"ProductVersion", KORV_VERSION_TEXT},
  };
  for (const auto& expected : strings) {
    CAPTURE(expected.name);
    char* value = nullptr;
    std::string query = std::string("\\StringFileInfo\\040904E4\\") + expected.name;
    REQUIRE(VerQueryValueA(block.data(), query.c_str(), (void**)&value, &length));
    CHECK(std::string(value) == expected.value);
  }
  char* copyright = nullptr;
  REQUIRE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\LegalCopyright", (void**)&copyright,
                         &length));
  CHECK(std::string(copyright).compare(0, 14, "Copyright (C) ") == 0);
}

void check_no_other_resources(HMODULE module) {
  std::vector<std::string> names = list_resources(module);
  std::sort(names.begin(), names.end());
  // 5: RT_DIALOG, 16: RT_VERSION, 24: RT_MANIFEST.
  std::vector<std::string> expected = {"16/1", "24/1", "5/104", "5/2003"};
  CHECK(names == expected);
}

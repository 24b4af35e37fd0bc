// Reads the program's resources back from a module: dialog templates decoded
// field by field, and the list of resource types and names.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct control_template {
  DWORD style, ex_style;
  short x, y, cx, cy;
  WORD id;
  std::string class_name;  // "Button", "Edit", "Static" for the predefined atoms
  std::string text;
};

struct dialog_template {
  bool found;
  bool extended;  // DLGTEMPLATEEX (never expected)
  DWORD style, ex_style;
  short x, y, cx, cy;
  std::string menu, class_name, caption;
  WORD point_size;
  std::string font;
  std::vector<control_template> controls;
};

dialog_template read_dialog_template(HMODULE module, int id);
// "TYPE/NAME" for every resource in the module, types and names as numbers.
std::vector<std::string> list_resources(HMODULE module);
// The bytes of one resource; empty when absent.
std::string resource_bytes(HMODULE module, LPCSTR type, int id);

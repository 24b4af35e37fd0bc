#include "tests/wine-system/resource_reader.h"
#include <stdio.h>

namespace {
const BYTE* align_dword(const BYTE* p, const BYTE* base) {
  return base + ((p - base + 3) & ~(ptrdiff_t)3);
}

WORD word_at(const BYTE* p) {
  return (WORD)(p[0] | (p[1] << 8));
}

// A name-or-ordinal field: 0 (empty), 0xFFFF followed by a number, or a
// zero-terminated UTF-16 string (only ASCII expected here).
const BYTE* read_field(const BYTE* p, std::string& out, bool is_class) {
  out.clear();
  WORD first = word_at(p);
  if (first == 0) return p + 2;
  if (first == 0xFFFF) {
    WORD ordinal = word_at(p + 2);
    if (is_class && ordinal == 0x80)
      out = "Button";
    else if (is_class && ordinal == 0x81)
      out = "Edit";
    else if (is_class && ordinal == 0x82)
      out = "Static";
    else {
      char text[16];
      snprintf(text, sizeof text, "#%u", ordinal);
      out = text;
    }
    return p + 4;
  }
  while (WORD c = word_at(p)) {
    out += c < 0x80 ? (char)c : '?';
    p += 2;
  }
  return p + 2;
}
}  // namespace

dialog_template read_dialog_template(HMODULE module, int id) {
  dialog_template result = {};
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
  if (!info) return result;
  const BYTE* base = (const BYTE*)LockResource(LoadResource(module, info));
  if (!base) return result;
  result.found = true;
  if (word_at(base) == 1 && word_at(base + 2) == 0xFFFF) {
    result.extended = true;
    return result;
  }
  const DLGTEMPLATE* head = (const DLGTEMPLATE*)base;
  result.style = head->style;
  result.ex_style = head->dwExtendedStyle;
  result.x = head->x;
  result.y = head->y;
  result.cx = head->cx;
  result.cy = head->cy;
  const BYTE* p = base + 18;
  p = read_field(p, result.menu, false);
  p = read_field(p, result.class_name, false);
  p = read_field(p, result.caption, false);
  if (result.style & DS_SETFONT) {
    result.point_size = word_at(p);
    p = read_field(p + 2, result.font, false);
  }
  for (int i = 0; i < head->cdit; i++) {
    p = align_dword(p, base);
    const DLGITEMTEMPLATE* item = (const DLGITEMTEMPLATE*)p;
    control_template control = {};
    control.style = item->style;
    control.ex_style = item->dwExtendedStyle;
    control.x = item->x;
    control.y = item->y;
    control.cx = item->cx;
    control.cy = item->cy;
    control.id = item->id;
    p += 18;
    p = read_field(p, control.class_name, true);
    p = read_field(p, control.text, false);
    WORD extra = word_at(p);
    p += 2 + extra;
    result.controls.push_back(control);
  }
  return result;
}

namespace {
std::string name_of(LPSTR name) {
  if (IS_INTRESOURCE(name)) {
    char text[16];
    snprintf(text, sizeof text, "%u", (unsigned)(UINT_PTR)name);
    return text;
  }
  return name;
}

BOOL CALLBACK each_name(HMODULE, LPCSTR type, LPSTR name, LONG_PTR out) {
  ((std::vector<std::string>*)out)->push_back(name_of((LPSTR)type) + "/" + name_of(name));
  return TRUE;
}

BOOL CALLBACK each_type(HMODULE module, LPSTR type, LONG_PTR out) {
  EnumResourceNamesA(module, type, each_name, out);
  return TRUE;
}
}  // namespace

std::vector<std::string> list_resources(HMODULE module) {
  std::vector<std::string> names;
  EnumResourceTypesA(module, each_type, (LONG_PTR)&names);
  return names;
}

std::string resource_bytes(HMODULE module, LPCSTR type, int id) {
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!info) return std::string();
  const char* data = (const char*)LockResource(LoadResource(module, info));
  return data ? std::string(data, SizeofResource(module, info)) : std::string();
}

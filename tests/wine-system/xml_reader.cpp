#include "tests/wine-system/xml_reader.h"
#include <stdio.h>
#include <string.h>

namespace {
// The reader's state: the text, the position in it, and the first error.
struct reader {
  const std::string& text;
  size_t at;
  std::string error;
};

// One namespace declaration in scope: prefix ("" for the default) and name.
typedef std::vector<std::pair<std::string, std::string>> namespace_scope;

bool fail(reader& r, const char* why) {
  if (r.error.empty()) {
    char where[48];
    snprintf(where, sizeof where, " (at byte %u)", (unsigned)r.at);
    r.error = std::string(why) + where;
  }
  return false;
}

bool at_end(const reader& r) {
  return r.at >= r.text.size();
}

bool looking_at(const reader& r, const char* word) {
  return r.text.compare(r.at, strlen(word), word) == 0;
}

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void skip_spaces(reader& r) {
  while (!at_end(r) && is_space(r.text[r.at])) r.at++;
}

// Names: ASCII letters, '_' and ':' start one, digits, '-' and '.' may follow;
// every byte of a UTF-8 sequence counts as a name character.
bool is_name_start(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool is_name_char(unsigned char c) {
  return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool read_name(reader& r, std::string& name) {
  if (at_end(r) || !is_name_start((unsigned char)r.text[r.at])) return fail(r, "a name expected");
  size_t start = r.at;
  while (!at_end(r) && is_name_char((unsigned char)r.text[r.at])) r.at++;
  name = r.text.substr(start, r.at - start);
  return true;
}

void append_utf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += (char)code;
  } else if (code < 0x800) {
    out += (char)(0xC0 | (code >> 6));
    out += (char)(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += (char)(0xE0 | (code >> 12));
    out += (char)(0x80 | ((code >> 6) & 0x3F));
    out += (char)(0x80 | (code & 0x3F));
  } else {
    out += (char)(0xF0 | (code >> 18));
    out += (char)(0x80 | ((code >> 12) & 0x3F));
    out += (char)(0x80 | ((code >> 6) & 0x3F));
    out += (char)(0x80 | (code & 0x3F));
  }
}

// A reference after its '&': one of the five predefined entities or a
// character reference, appended to out.
bool read_reference(reader& r, std::string& out) {
  static const struct {
    const char* name;
    char value;
  } entities[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
  for (const auto& entity : entities) {
    if (looking_at(r, entity.name)) {
      r.at += strlen(entity.name);
      out += entity.value;
      return true;
    }
  }
  if (!looking_at(r, "#")) return fail(r, "an unknown entity (only lt, gt, amp, quot, apos are defined)");
  r.at++;
  bool hex = looking_at(r, "x");
  if (hex) r.at++;
  unsigned long code = 0;
  size_t digits = 0;
  while (!at_end(r) && r.text[r.at] != ';') {
    char c = r.text[r.at];
    int value = c >= '0' && c <= '9'          ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
    if (value < 0) return fail(r, "a bad character reference");
    code = code * (hex ? 16 : 10) + (unsigned long)value;
    if (code > 0x10FFFF) return fail(r, "a character reference beyond Unicode");
    digits++;
    r.at++;
  }
  if (at_end(r) || digits == 0) return fail(r, "a bad character reference");
  bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                 (code >= 0xE000 && code <= 0xFFFD) || code >= 0x10000;
  if (!allowed) return fail(r, "a character reference to a character that XML does not allow");
  r.at++;
  append_utf8(out, code);
  return true;
}

// Control characters other than tab, CR and LF are not XML characters.
bool is_forbidden(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// "<!--" already read.
bool read_comment(reader& r) {
  size_t end = r.text.find("--", r.at);
  if (end == std::string::npos) return fail(r, "an unterminated comment");
  for (size_t i = r.at; i < end; i++)
    if (is_forbidden((unsigned char)r.text[i])) return fail(r, "a control character in a comment");
  r.at = end;
  if (!looking_at(r, "-->")) return fail(r, "\"--\" inside a comment");
  r.at += 3;
  return true;
}

// "<?" already read. The XML declaration, <?xml ...?>, is allowed only at the
// very start of the document (declaration_allowed); any other target named
// "xml" in any case is reserved.
bool read_processing_instruction(reader& r, bool declaration_allowed) {
  std::string target;
  if (!read_name(r, target)) return false;
  std::string lower = target;
  for (char& c : lower) c = (char)(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "xml") {
    if (!declaration_allowed || target != "xml")
      return fail(r, "an XML declaration that is not at the very start");
    if (at_end(r) || !is_space(r.text[r.at])) return fail(r, "a bad XML declaration");
    skip_spaces(r);
    if (!looking_at(r, "version=\"1.0\"") && !looking_at(r, "version='1.0'"))
      return fail(r, "an XML declaration without version 1.0 first");
  }
  size_t end = r.text.find("?>", r.at);
  if (end == std::string::npos) return fail(r, "an unterminated processing instruction");
  r.at = end + 2;
  return true;
}

// Comments, processing instructions and white space between the parts of the
// document, outside the root element.
bool read_misc(reader& r) {
  for (;;) {
    skip_spaces(r);
    if (looking_at(r, "<!--")) {
      r.at += 4;
      if (!read_comment(r)) return false;
    } else if (looking_at(r, "<?")) {
      r.at += 2;
      if (!read_processing_instruction(r, false)) return false;
    } else {
      return true;
    }
  }
}

// Resolves a qualified name in the scope: the default namespace applies to
// elements only.
bool resolve(reader& r, const namespace_scope& scope, const std::string& qualified, bool is_element,
             std::string& ns, std::string& local) {
  size_t colon = qualified.find(':');
  if (colon != qualified.rfind(':') || colon == 0 || colon + 1 == qualified.size())
    return fail(r, "a name with a misplaced colon");
  std::string prefix = colon == std::string::npos ? "" : qualified.substr(0, colon);
  local = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
  ns.clear();
  if (prefix.empty() && !is_element) return true;
  if (prefix == "xml") {
    ns = "http://www.w3.org/XML/1998/namespace";
    return true;
  }
  for (size_t i = scope.size(); i-- > 0;) {
    if (scope[i].first == prefix) {
      ns = scope[i].second;
      return true;
    }
  }
  if (prefix.empty()) return true;
  return fail(r, ("the undeclared namespace prefix " + prefix).c_str());
}

// '<' already read and the next character starts a name.
bool read_element(reader& r, namespace_scope scope, xml_element& element, int depth) {
  if (depth > 64) return fail(r, "elements nested too deeply");
  std::string tag;
  if (!read_name(r, tag)) return false;
  std::vector<std::pair<std::string, std::string>> raw;  // as written
  for (;;) {
    bool spaced = !at_end(r) && is_space(r.text[r.at]);
    skip_spaces(r);
    if (at_end(r)) return fail(r, "an unterminated start tag");
    if (looking_at(r, "/>") || looking_at(r, ">")) break;
    if (!spaced) return fail(r, "no white space before an attribute");
    std::string name, value;
    if (!read_name(r, name)) return false;
    skip_spaces(r);
    if (!looking_at(r, "=")) return fail(r, "an attribute without '='");
    r.at++;
    skip_spaces(r);
    if (at_end(r) || (r.text[r.at] != '"' && r.text[r.at] != '\''))
      return fail(r, "an unquoted attribute value");
    char quote = r.text[r.at++];
    while (!at_end(r) && r.text[r.at] != quote) {
      char c = r.text[r.at];
      if (c == '<') return fail(r, "'<' in an attribute value");
      if (is_forbidden((unsigned char)c)) return fail(r, "a control character in an attribute value");
      r.at++;
      if (c == '&') {
        if (!read_reference(r, value)) return false;
      } else {
        // Attribute values are normalised: white space becomes a blank.
        value += is_space(c) ? ' ' : c;
      }
    }
    if (at_end(r)) return fail(r, "an unterminated attribute value");
    r.at++;
    for (const auto& seen : raw)
      if (seen.first == name) return fail(r, ("the attribute " + name + " given twice").c_str());
    raw.push_back(std::make_pair(name, value));
  }
  // Namespace declarations first: they apply to the element's own name and
  // attributes.
  for (const auto& attribute : raw) {
    if (attribute.first == "xmlns") {
      scope.push_back(std::make_pair(std::string(), attribute.second));
    } else if (attribute.first.compare(0, 6, "xmlns:") == 0) {
      if (attribute.second.empty()) return fail(r, "a namespace prefix bound to no name");
      scope.push_back(std::make_pair(attribute.first.substr(6), attribute.second));
    }
  }
  if (!resolve(r, scope, tag, true, element.ns, element.name)) return false;
  std::vector<std::pair<std::string, std::string>> expanded;  // namespace + local name
  for (const auto& attribute : raw) {
    if (attribute.first == "xmlns" || attribute.first.compare(0, 6, "xmlns:") == 0) continue;
    std::string ns, local;
    if (!resolve(r, scope, attribute.first, false, ns, local)) return false;
    for (const auto& seen : expanded)
      if (seen.first == ns + " " + local) return fail(r, "one attribute given twice under two prefixes");
    expanded.push_back(std::make_pair(ns + " " + local, attribute.second));
    element.attributes.push_back(std::make_pair(local, attribute.second));
  }
  if (looking_at(r, "/>")) {
    r.at += 2;
    return true;
  }
  r.at++;
  // Content: character data, references, CDATA, comments, processing
  // instructions and child elements, up to the matching end tag.
  for (;;) {
    if (at_end(r)) return fail(r, ("the element " + tag + " is never closed").c_str());
    char c = r.text[r.at];
    if (c == '<') {
      if (looking_at(r, "</")) {
        r.at += 2;
        std::string end_tag;
        if (!read_name(r, end_tag)) return false;
        if (end_tag != tag) return fail(r, ("the end tag " + end_tag + " closes " + tag).c_str());
        skip_spaces(r);
        if (!looking_at(r, ">")) return fail(r, "an unterminated end tag");
        r.at++;
        return true;
      }
      if (looking_at(r, "<!--")) {
        r.at += 4;
        if (!read_comment(r)) return false;
      } else if (looking_at(r, "<![CDATA[")) {
        r.at += 9;
        size_t end = r.text.find("]]>", r.at);
        if (end == std::string::npos) return fail(r, "an unterminated CDATA section");
        element.text += r.text.substr(r.at, end - r.at);
        r.at = end + 3;
      } else if (looking_at(r, "<?")) {
        r.at += 2;
        if (!read_processing_instruction(r, false)) return false;
      } else if (looking_at(r, "<!")) {
        return fail(r, "a declaration inside an element");
      } else {
        r.at++;
        xml_element child;
        if (!read_element(r, scope, child, depth + 1)) return false;
        element.children.push_back(child);
      }
    } else if (c == '&') {
      r.at++;
      if (!read_reference(r, element.text)) return false;
    } else {
      if (looking_at(r, "]]>")) return fail(r, "\"]]>\" in character data");
      if (is_forbidden((unsigned char)c)) return fail(r, "a control character in character data");
      element.text += c;
      r.at++;
    }
  }
}
}  // namespace

bool parse_xml(const std::string& text, xml_element& root, std::string& error) {
  reader r = {text, 0, std::string()};
  root = xml_element();
  if (looking_at(r, "\xEF\xBB\xBF")) r.at += 3;  // a UTF-8 byte order mark
  bool ok = true;
  // Only here, at the very start, may the XML declaration stand.
  if (looking_at(r, "<?")) {
    r.at += 2;
    ok = read_processing_instruction(r, true);
  }
  ok = ok && read_misc(r);
  if (ok && looking_at(r, "<!DOCTYPE"))
    ok = fail(r, "a document type declaration (not expected in a manifest)");
  if (ok && !looking_at(r, "<")) ok = fail(r, "no root element");
  if (ok) {
    r.at++;
    ok = read_element(r, namespace_scope(), root, 0) && read_misc(r);
  }
  if (ok && !at_end(r)) ok = fail(r, "something after the root element");
  error = r.error;
  return ok;
}

const std::string* xml_attribute(const xml_element& element, const char* name) {
  for (const auto& attribute : element.attributes)
    if (attribute.first == name) return &attribute.second;
  return nullptr;
}

std::vector<const xml_element*> xml_children(const xml_element& parent, const char* ns, const char* name) {
  std::vector<const xml_element*> found;
  for (const xml_element& child : parent.children)
    if (child.ns == ns && child.name == name) found.push_back(&child);
  return found;
}

const xml_element* xml_child(const xml_element& parent, const char* ns, const char* name) {
  std::vector<const xml_element*> found = xml_children(parent, ns, name);
  return found.size() == 1 ? found[0] : nullptr;
}

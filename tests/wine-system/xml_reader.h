// A small strict XML reader for the program's manifest: it accepts a
// well-formed document (XML 1.0 elements, attributes, character data, CDATA,
// comments and processing instructions, the five predefined entities and
// character references, namespaces) and refuses anything else, a document
// type declaration included, with a reason. Windows refuses to start a program
// whose manifest is not well-formed, and reads each setting only in its own
// namespace, so names are resolved to (namespace, local name).
#pragma once
#include <string>
#include <utility>
#include <vector>

struct xml_element {
  std::string ns;    // namespace name (URI); empty when in no namespace
  std::string name;  // local name
  // Attributes by local name (an attribute without a prefix is in no
  // namespace), namespace declarations left out.
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<xml_element> children;
  std::string text;  // the character data directly inside, references replaced
};

// Parses text into root; false with a reason (and the byte offset) in error.
bool parse_xml(const std::string& text, xml_element& root, std::string& error);

// The value of the attribute, or null when it is absent.
const std::string* xml_attribute(const xml_element& element, const char* name);
// The children with this namespace and local name, in document order.
std::vector<const xml_element*> xml_children(const xml_element& parent, const char* ns, const char* name);
// The only such child; null when there is none or more than one.
const xml_element* xml_child(const xml_element& parent, const char* ns, const char* name);

// The XML reader that the manifest check relies on: it must refuse what is not
// well-formed, or a broken manifest would pass the check, and resolve names to
// their namespaces, or a setting in the wrong namespace would.
#include <doctest/doctest.h>

#include "tests/wine-system/xml_reader.h"
#include <string>

TEST_CASE("xml reader: well-formed documents, names resolved to their namespaces") {
  xml_element root;
  std::string error;
  const char* document =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- a comment -->\n"
      "<a:top xmlns:a=\"urn:a\" xmlns=\"urn:default\" plain='x &amp; &#65;&#x42;' a:qualified=\"q\">\n"
      "  <inner>t&lt;&gt;&quot;&apos;<![CDATA[<raw>]]><?pi data?></inner>\n"
      "  <unset xmlns=\"\"/><b:x xmlns:b=\"urn:b\"/><inner/>\n"
      "</a:top>\n";
  REQUIRE_MESSAGE(parse_xml(document, root, error), error);
  CHECK(root.ns == "urn:a");
  CHECK(root.name == "top");
  REQUIRE(xml_attribute(root, "plain"));
  CHECK(*xml_attribute(root, "plain") == "x & AB");
  REQUIRE(xml_attribute(root, "qualified"));
  CHECK(xml_attribute(root, "xmlns") == nullptr);
  CHECK(xml_children(root, "urn:default", "inner").size() == 2);
  CHECK(xml_child(root, "urn:default", "inner") == nullptr);  // not the only one
  REQUIRE(xml_children(root, "urn:default", "inner").size() == 2);
  CHECK(xml_children(root, "urn:default", "inner")[0]->text == "t<>\"'<raw>");
  CHECK(xml_child(root, "", "unset") != nullptr);
  CHECK(xml_child(root, "urn:b", "x") != nullptr);
  CHECK(xml_child(root, "urn:a", "x") == nullptr);
}

TEST_CASE("xml reader: refuses what is not well-formed") {
  struct row {
    const char* what;
    const char* text;
  };
  const row rows[] = {
      {"empty", ""},
      {"text only", "hello"},
      {"unclosed element", "<a><b></b>"},
      {"crossed tags", "<a><b></a></b>"},
      {"end tag of another name", "<a></b>"},
      {"two roots", "<a/><b/>"},
      {"text after the root", "<a/>x"},
      {"unquoted attribute", "<a x=1/>"},
      {"attribute without value", "<a x/>"},
      {"duplicate attribute", "<a x='1' x='2'/>"},
      {"duplicate attribute under two prefixes", "<a xmlns:p='u' xmlns:q='u' p:x='1' q:x='2'/>"},
      {"attributes not separated", "<a x='1'y='2'/>"},
      {"'<' in an attribute", "<a x='<'/>"},
      {"unknown entity", "<a>&nbsp;</a>"},
      {"bare ampersand", "<a>fish & chips</a>"},
      {"bad character reference", "<a>&#xZZ;</a>"},
      {"reference to a control character", "<a>&#1;</a>"},
      {"control character", "<a>\x01</a>"},
      {"']]>' in text", "<a>]]></a>"},
      {"unterminated comment", "<a/><!-- x"},
      {"'--' in a comment", "<a><!-- x -- y --></a>"},
      {"declaration not at the start", " <?xml version=\"1.0\"?><a/>"},
      {"declaration inside", "<a><?xml version=\"1.0\"?></a>"},
      {"declaration without version", "<?xml encoding=\"UTF-8\"?><a/>"},
      {"document type declaration", "<!DOCTYPE a><a/>"},
      {"undeclared prefix", "<p:a/>"},
      {"undeclared attribute prefix", "<a p:x='1'/>"},
      {"name starting with a digit", "<1a/>"},
      {"unterminated CDATA", "<a><![CDATA[x</a>"},
  };
  for (const row& r : rows) {
    CAPTURE(r.what);
    xml_element root;
    std::string error;
    CHECK_FALSE(parse_xml(r.text, root, error));
    CHECK_FALSE(error.empty());
  }
}

// The two document models records are read from, behind one set of calls: the reference XML
// library's and the fast reader's. The record reader is written once against these calls. An
// Element or Attribute converts to false when it names nothing; children and siblings are
// elements only.
#pragma once

#include <tinyxml2.h>

#include <pugixml.hpp>

namespace Database {

struct ReferenceDom {
  using Element = const tinyxml2::XMLElement*;
  using Attribute = const tinyxml2::XMLAttribute*;

  static const char* Name(Element element) { return element->Name(); }
  static Attribute FirstAttribute(Element element) { return element->FirstAttribute(); }
  static Attribute Next(Attribute attribute) { return attribute->Next(); }
  static const char* NameOf(Attribute attribute) { return attribute->Name(); }
  static const char* ValueOf(Attribute attribute) { return attribute->Value(); }
  static Element FirstChild(Element element) { return element->FirstChildElement(); }
  static Element NextSibling(Element element) { return element->NextSiblingElement(); }
  static Element NextSibling(Element element, const char* name) {
    return element->NextSiblingElement(name);
  }
};

struct FastDom {
  using Element = pugi::xml_node;
  using Attribute = pugi::xml_attribute;

  static const char* Name(Element element) { return element.name(); }
  static Attribute FirstAttribute(Element element) { return element.first_attribute(); }
  static Attribute Next(Attribute attribute) { return attribute.next_attribute(); }
  static const char* NameOf(Attribute attribute) { return attribute.name(); }
  static const char* ValueOf(Attribute attribute) { return attribute.value(); }
  static Element FirstChild(Element element) { return ElementFrom(element.first_child()); }
  static Element NextSibling(Element element) { return ElementFrom(element.next_sibling()); }
  static Element NextSibling(Element element, const char* name) {
    return element.next_sibling(name);
  }

 private:
  // node, or the first element among its following siblings.
  static Element ElementFrom(Element node) {
    while (node && node.type() != pugi::node_element) node = node.next_sibling();
    return node;
  }
};

}  // namespace Database

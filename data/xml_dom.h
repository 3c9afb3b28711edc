// The two document models records are read from, behind one set of calls: the reference XML
// library's and the fast reader's plain documents. The record reader is written once against these
// calls. An Element or Attribute converts to false when it names nothing; children and siblings are
// elements only.
#pragma once

#include <tinyxml2.h>

#include <cstring>

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

// An attribute of a plain document. An element's attributes lie one after another, in the order
// of the text, and end with one whose name is null.
struct PlainAttribute {
  const char* name;
  const char* value;
};

// An element of a plain document: its name, its attributes, and its element children as a list.
struct PlainElement {
  const char* name;
  const PlainAttribute* attributes;
  const PlainElement* firstChild;
  const PlainElement* nextSibling;
};

struct FastDom {
  using Element = const PlainElement*;
  using Attribute = const PlainAttribute*;

  static const char* Name(Element element) { return element->name; }
  static Attribute FirstAttribute(Element element) {
    return element->attributes->name ? element->attributes : nullptr;
  }
  static Attribute Next(Attribute attribute) { return attribute[1].name ? attribute + 1 : nullptr; }
  static const char* NameOf(Attribute attribute) { return attribute->name; }
  static const char* ValueOf(Attribute attribute) { return attribute->value; }
  static Element FirstChild(Element element) { return element->firstChild; }
  static Element NextSibling(Element element) { return element->nextSibling; }
  static Element NextSibling(Element element, const char* name) {
    for (element = element->nextSibling; element; element = element->nextSibling) {
      if (std::strcmp(element->name, name) == 0) return element;
    }
    return nullptr;
  }
};

}  // namespace Database

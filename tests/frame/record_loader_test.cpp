#include "frame/record_loader.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>

namespace {

TEST(RecordNameFromPath, Table) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"Libs\\Weapons\\Rifle.Assault.xml", "Rifle.Assault"},
      {"Libs/Weapons/Rifle.xml", "Rifle"},
      {"Rifle.xml", "Rifle"},
      {"Mixed\\dirs/Sword.xml", "Sword"},
      {"Libs.v2\\Rifle", ""},  // the last '.' belongs to a directory
      {"Libs\\Rifle", "Rifle"},
      {"Rifle", "Rifle"},
      {"dir\\.xml", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Database::RecordNameFromPath(c.path), c.name);
  }
}

struct XmlCase {
  const char* text;
  const char* error;
};

TEST(FormatXmlError, NamesTheParsersError) {
  const XmlCase cases[] = {
      {"<Sword><a></b></Sword>", "XML_ERROR_MISMATCHED_ELEMENT -> a"},
      {"<Sword damage=12/>", "XML_ERROR_PARSING_ATTRIBUTE"},
      {"", "XML_ERROR_EMPTY_DOCUMENT"},
      {"<Sword><!-- open </Sword>", "XML_ERROR_PARSING_COMMENT"},
      {"<Sword/>", ""},
  };
  for (const XmlCase& c : cases) {
    SCOPED_TRACE(c.text);
    tinyxml2::XMLDocument document;
    document.Parse(c.text);
    EXPECT_EQ(Database::FormatXmlError(document), c.error);
  }
}

TEST(FormatXmlError, FitsInTwoHundredFiftySixBytes) {
  tinyxml2::XMLDocument document;
  const std::string name(400, 'n');
  document.Parse(("<" + name + "></b>").c_str());
  const std::string text = Database::FormatXmlError(document);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.rfind("XML_ERROR_MISMATCHED_ELEMENT -> nnn", 0), 0u);
}

}  // namespace

#include "frame/record_loader.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>

namespace {

// Plain paths with directories and extensions are named by the records tests.
TEST(RecordNameFromPath, Table) {
  const struct {
    const char* path;
    const char* name;
  } kCases[] = {{"Mixed\\dirs/Sword.xml", "Sword"},
                {"Libs.v2\\Rifle", ""},  // the last '.' belongs to a directory
                {"Libs\\Rifle", "Rifle"},
                {"Rifle", "Rifle"},
                {"dir\\.xml", ""},
                {"", ""}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Database::RecordNameFromPath(c.path), c.name);
  }
}

TEST(FormatXmlError, NamesTheParsersErrorInTwoHundredFiftySixBytes) {
  const std::string longName(400, 'n');
  const std::string longError = "XML_ERROR_MISMATCHED_ELEMENT -> " + longName.substr(0, 223);
  const struct {
    std::string text;
    std::string error;
  } kCases[] = {{"<Sword><a></b></Sword>", "XML_ERROR_MISMATCHED_ELEMENT -> a"},
                {"<Sword damage=12/>", "XML_ERROR_PARSING_ATTRIBUTE"},
                {"<Sword/>", ""},
                {"<" + longName + "></b>", longError}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    tinyxml2::XMLDocument document;
    document.Parse(c.text.c_str());
    EXPECT_EQ(Database::FormatXmlError(document), c.error);
  }
}

}  // namespace

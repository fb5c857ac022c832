// Ini editing that keeps every line it does not change.
#include "settings/IniDocument.h"

#include <gtest/gtest.h>

namespace tq1 {
namespace {

const QByteArray kSample =
    "; written by hand\n"
    "[Other]\n"
    "colour = blue  \n"
    "\n"
    "[position]\n"
    "Main=AA\n"
    "Custom=keep me\n"
    "\n"
    "[Tail]\n"
    "x=1";

TEST(IniDocument, SerialisesUnchangedContentByteForByte) {
  EXPECT_EQ(IniDocument::parse(kSample).serialise(), kSample);
  const QByteArray crlf = "[A]\r\nk=v\r\n\r\n; note\r\n";
  EXPECT_EQ(IniDocument::parse(crlf).serialise(), crlf);
}

TEST(IniDocument, FindsSectionsAndKeysWithoutRegardToCase) {
  const IniDocument doc = IniDocument::parse(kSample);
  EXPECT_EQ(doc.value("Position", "main"), QByteArray("AA"));
  EXPECT_EQ(doc.value("OTHER", "Colour"), QByteArray("blue"));
  EXPECT_EQ(doc.value("Tail", "x"), QByteArray("1"));
  EXPECT_FALSE(doc.value("Position", "List").has_value());
  EXPECT_FALSE(doc.value("Settings", "set").has_value());
  // A key of another section is not found through this one.
  EXPECT_FALSE(doc.value("Other", "Main").has_value());
}

TEST(IniDocument, ReplacesAKeyInPlace) {
  IniDocument doc = IniDocument::parse(kSample);
  doc.setValue("Position", "Main", "BB");
  QByteArray expected = kSample;
  expected.replace("Main=AA", "Main=BB");
  EXPECT_EQ(doc.serialise(), expected);
}

TEST(IniDocument, AddsANewKeyAfterTheLastKeyOfItsSection) {
  IniDocument doc = IniDocument::parse(kSample);
  doc.setValue("Position", "List", "CC");
  QByteArray expected = kSample;
  expected.replace("Custom=keep me\n", "Custom=keep me\nList=CC\n");
  EXPECT_EQ(doc.serialise(), expected);

  doc.setValue("Tail", "y", "2");
  EXPECT_TRUE(doc.serialise().endsWith("x=1\ny=2\n"));
}

TEST(IniDocument, AppendsAMissingSectionAndKeepsTheLineEnding) {
  IniDocument doc = IniDocument::parse(kSample);
  doc.setValue("Settings", "set", "00");
  EXPECT_EQ(doc.serialise(), kSample + "\n\n[Settings]\nset=00\n");
  EXPECT_EQ(doc.value("Settings", "set"), QByteArray("00"));

  IniDocument crlf = IniDocument::parse("[A]\r\nk=v\r\n");
  crlf.setValue("B", "j", "w");
  EXPECT_EQ(crlf.serialise(), QByteArray("[A]\r\nk=v\r\n\r\n[B]\r\nj=w\r\n"));
}

}  // namespace
}  // namespace tq1

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/textlookup.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/ctempdirectory.h"
#include "platform/cqtxmldocument.h"
#include "settings/clanguage.h"

namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::pair<int, std::string>>;

const std::string kUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kFormatError = "Found a language file but I can not read it due to format error.";

// Wraps sections into a file laid out the way people write one by hand.
std::string File(const std::string& sections, const std::string& declaration = kUtf8) {
  return declaration + "<languages>\n" + sections + "</languages>\n";
}

TEST(CLanguageFileTest, AnswersOnlyWhatTheFirstSectionTranslatesInAShapeItUnderstands) {
  const struct {
    const char* label;
    std::optional<std::string> bytes;  // nullopt: there is no file
    bool loaded;
    Texts texts;
    Names names = {};
  } cases[] = {
      {"only Remove translated",
       File("  <section language=\"Svenska\">\n    <Remove>Ta bort</Remove>\n  </section>\n"),
       true,
       {{"Remove", "Ta bort"}, {"RemoveClient", ""}},
       {{0, "Svenska"}, {1, ""}, {-1, ""}}},
      {"texts come from the first section only",
       File("  <section language=\"Svenska\"><Remove>Ta bort</Remove></section>\n"
            "  <section language=\"Deutsch\"><Remove>Entfernen</Remove><Search>Suche</Search></section>\n"),
       true,
       {{"Remove", "Ta bort"}, {"Search", ""}},
       {{0, "Svenska"}, {1, "Deutsch"}, {2, ""}}},
      {"empty and blank elements",
       File("  <section><Remove></Remove><Search/><Call>   </Call></section>\n"),
       true,
       {{"Remove", ""}, {"Search", ""}, {"Call", ""}},
       {{0, ""}}},
      {"comment ahead of the section",
       File("  <!-- Swedish -->\n  <section language=\"Svenska\"><Remove>Ta bort</Remove></section>\n"),
       true,
       {{"Remove", ""}, {"RemoveClient", ""}},
       {{0, ""}, {1, "Svenska"}}},
      {"text ahead of the section",
       File("  Swedish\n  <section language=\"Svenska\"><Remove>Ta bort</Remove></section>\n"),
       true,
       {{"Remove", ""}},
       {{0, ""}, {1, "Svenska"}}},
      {"names are case-sensitive",
       File(
           "  <section Language=\"Svenska\"><remove>ta bort</remove><Search>S\xc3\xb6k</Search></section>\n"),
       true,
       {{"Remove", ""}, {"remove", "ta bort"}, {"search", ""}, {"SEARCH", ""}},
       {{0, ""}}},
      {"elements instead of text",
       File("  <section><Remove><b>Ta</b> bort</Remove><Search><word>S\xc3\xb6k</word></Search>"
            "<Call>Ring<!-- up --></Call></section>\n"),
       true,
       {{"Remove", ""}, {"Search", ""}, {"Call", ""}}},
      {"ISO-8859-1 file",
       File("  <section "
            "language=\"Espa\xf1ol\"><Search>S\xf6kning</Search><Change>\xc4ndern</Change></section>\n",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"),
       true,
       {{"Search", "S\xf6kning"}, {"Change", "\xc4ndern"}},
       {{0, "Espa\xf1ol"}}},
      {"UTF-8 file with characters beyond Latin-1",
       File("  <section language=\"\xd0\xa0\xd1\x83\xd1\x81\xd1\x81\xd0\xba\xd0\xb8\xd0\xb9\">"
            "<Search>S\xc3\xb6kning</Search><Price>5 \xe2\x82\xac</Price><Beetle>\xd0\x96uk</Beetle>"
            "<Smile>:\xf0\x9f\x98\x80:</Smile></section>\n"),
       true,
       {{"Search", "S\xf6kning"}, {"Price", "5 ?"}, {"Beetle", "?uk"}, {"Smile", ":?:"}},
       {{0, "???????"}}},
      {"UTF-8 file without a declaration",
       File("  <section><Search>S\xc3\xb6kning</Search></section>\n", ""),
       true,
       {{"Search", "S\xf6kning"}}},
      {"unbalanced tags",
       File("  <section language=\"Svenska\"><Remove>Ta bort</section>\n"),
       false,
       {{"Remove", ""}},
       {{0, ""}}},
      {"empty file", "", false, {{"Remove", ""}}},
      {"no file", std::nullopt, false, {{"Remove", ""}}, {{0, ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    CTempDirectory dir;
    const std::string path = dir.PathOf("language.xml");
    if (c.bytes) CTempDirectory::Put(path, *c.bytes);
    CQtXmlDocument document;
    CFakeMessageBoxes boxes;
    const CLanguage language(document, boxes, path);

    EXPECT_EQ(language.IsLoaded(), c.loaded);
    for (const auto& [key, text] : c.texts) EXPECT_EQ(language.Text(key), text) << key;
    for (const auto& [index, name] : c.names) EXPECT_EQ(language.LanguageName(index), name) << index;
    // A file that is there yet not understood is the one worth a word, and
    // only loading says it.
    const bool unreadable = c.bytes && !c.loaded;
    EXPECT_EQ(boxes.errors, unreadable ? std::vector<std::string>{kFormatError} : std::vector<std::string>{});
    EXPECT_TRUE(boxes.infos.empty());
  }
}

TEST(CLanguageFileTest, SomethingOtherThanAReadableFileIsPassedOverSilently) {
  CTempDirectory dir;
  std::filesystem::create_directory(dir.PathOf("language.xml"));
  // Opening a pipe for reading would wait for a writer.
  ASSERT_EQ(::mkfifo(dir.PathOf("pipe.xml").c_str(), 0600), 0);
  for (const std::string name : {"language.xml", "pipe.xml"}) {
    SCOPED_TRACE(name);
    CQtXmlDocument document;
    CFakeMessageBoxes boxes;
    const CLanguage language(document, boxes, dir.PathOf(name));
    EXPECT_FALSE(language.IsLoaded());
    EXPECT_TRUE(boxes.errors.empty());
  }
}

TEST(CLanguageFileTest, ReadsLanguageXmlFromTheWorkingDirectoryByDefault) {
  CTempDirectory dir;
  CTempDirectory::Put(dir.Path() / "language.xml", File("<section><Remove>Ta bort</Remove></section>"));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  CQtXmlDocument document;
  CFakeMessageBoxes boxes;
  const CLanguage language(document, boxes);
  std::filesystem::current_path(before);
  EXPECT_EQ(language.Text("Remove"), "Ta bort");
}

TEST(CLanguageFileTest, LookupFallsBackToEnglishForWhatIsNotTranslated) {
  CTempDirectory dir;
  const std::string path = dir.PathOf("language.xml");
  CTempDirectory::Put(path, File("<section><Remove>Ta bort</Remove><Search></Search></section>"));
  CQtXmlDocument document;
  CFakeMessageBoxes boxes;
  const CLanguage language(document, boxes, path);
  const TextLookup lookup = language.Lookup();
  EXPECT_EQ(TextOr(lookup, "Remove", "Remove"), "Ta bort");
  EXPECT_EQ(TextOr(lookup, "Search", "Search"), "Search");
  EXPECT_EQ(TextOr(lookup, "RemoveClient", "Remove this client?"), "Remove this client?");
}

// The document behind the language file, where it does more than the
// lookups above show.
class CQtXmlDocumentTest : public ::testing::Test {
 protected:
  bool Load(const std::string& bytes) {
    CTempDirectory::Put(path, bytes);
    error.clear();
    return document.Load(path, error);
  }

  CTempDirectory dir;
  std::string path = dir.PathOf("doc.xml");
  CQtXmlDocument document;
  std::string error;
};

TEST_F(CQtXmlDocumentTest, PathsCountEveryKindOfNodeAtEveryDepth) {
  ASSERT_TRUE(Load("<r><!-- c --><a k=\"1\">t<b/><!-- c --><b k=\"2\"><c k=\"3\">deep</c></b></a></r>"));
  EXPECT_EQ(document.ChildElement({}, "a"), (XmlPath{1}));
  EXPECT_EQ(document.ChildElement({1}, "b"), (XmlPath{1, 1}));  // the first of two
  EXPECT_EQ(document.ChildElement({1, 3}, "c"), (XmlPath{1, 3, 0}));
  EXPECT_EQ(document.Text({1, 3, 0}), "deep");
  EXPECT_EQ(document.Attribute({}, "k"), std::nullopt);
  EXPECT_EQ(document.Attribute({1}, "k"), "1");
  EXPECT_EQ(document.Attribute({1, 3}, "k"), "2");
  EXPECT_EQ(document.Attribute({1, 3, 0}, "k"), "3");
  // Through or onto a node that is not an element leads nowhere.
  EXPECT_EQ(document.ChildElement({0}, "a"), std::nullopt);
  EXPECT_EQ(document.Text({1, 0}), std::nullopt);
  EXPECT_EQ(document.Attribute({1, 0, 0}, "k"), std::nullopt);
  EXPECT_EQ(document.Attribute({1, 9}, "k"), std::nullopt);
}

TEST_F(CQtXmlDocumentTest, TextPutTogetherFromReferencesAndCdataIsOnePieceOfText) {
  ASSERT_TRUE(Load("<r><a>Fish &amp; chips&#33; <![CDATA[<now>]]> &#xe9;t&#xe9;</a></r>"));
  EXPECT_EQ(document.Text({0}), "Fish & chips! <now> \xe9t\xe9");
}

TEST_F(CQtXmlDocumentTest, AFailedLoadSaysWhereAndLeavesNothingLoaded) {
  ASSERT_TRUE(Load("<r a=\"1\"/>"));
  EXPECT_FALSE(Load("<r>\n<a></b>\n</r>"));
  EXPECT_NE(error.find(path + ":2:"), std::string::npos) << error;
  EXPECT_EQ(document.Attribute({}, "a"), std::nullopt);

  EXPECT_FALSE(document.Load(dir.PathOf("missing.xml"), error));
  EXPECT_NE(error.find("missing.xml"), std::string::npos) << error;
}

}  // namespace

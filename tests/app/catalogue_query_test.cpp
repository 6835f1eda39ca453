// The catalogue query end to end: what the user types, the request it makes to a
// loopback catalogue server, and the rows, records and messages that come of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "catalogue_items.h"
#include "report_list.h"
#include "texts.h"

namespace {

using R = TextRole;

struct Album {
  std::string title;
  std::vector<std::string> sources;
};

// A catalogue in the application's format, with the kinds of noise a real one holds.
std::string CatalogueXml(const std::vector<Album>& albums) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalogue>\n";
  for (const Album& album : albums) {
    xml += "  <album title=\"" + album.title + "\"/>\n  <section>\n";
    xml += "    <group kind=\"notes\"><entry><image src=\"http://127.0.0.1:1/note.jpg\"/></entry></group>\n";
    xml += "    <group kind=\"pictures\">\n      <entry/>\n";
    for (const std::string& source : album.sources)
      xml += "      <entry><image src=\"" + source + "\"/><image src=\"ignored\"/></entry>\n";
    xml += "      <note>not an entry</note>\n    </group>\n  </section>\n";
  }
  return xml + "</catalogue>\n";
}

std::string ManyEntriesXml(int count) {
  std::string xml = "<catalogue><album title=\"Big\"/><section><group kind=\"pictures\">";
  xml.reserve(static_cast<size_t>(count) * 64);
  for (int i = 1; i <= count; ++i)
    xml += "<entry><image src=\"http://127.0.0.1:1/p/" + std::to_string(i) + ".jpg\"/></entry>";
  return xml + "</group></section></catalogue>";
}

Text Utf16(const std::string& text) { return TextFromUtf8(text); }

// Column 0 as the list should show it: right-aligned in four characters.
Text Numbered(int64_t number) {
  Text digits = TextFromInt(number);
  while (digits.size() < 4) digits.insert(0, T(R::PadCharacter));
  return digits;
}

class CatalogueQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    addresses_ = TestAddressesFor(server_.Port());
    server_.Serve(CataloguePath("/sample.xml"),
                  CatalogueXml({{"Harbour", {server_.Url("/p/harbour-01.jpg"), server_.Url("/p/harbour-02.jpg")}},
                                {"Forest", {server_.Url("/p/forest-01.jpg")}}}));
    ASSERT_TRUE(app_.Start(TestTextTable(server_.Port())));
  }
  void TearDown() override { EXPECT_EQ(app_.Stop(), 0); }

  // The server path behind a direct address made of the prefix and `tail`.
  std::string CataloguePath(const std::string& tail) const {
    return addresses_.cataloguePrefix.substr(server_.Url("").size()) + tail;
  }
  std::string Direct(const std::string& tail) const { return addresses_.cataloguePrefix + tail; }

  void FillSample() {
    app_.Search(Direct("/sample.xml"));
    ASSERT_EQ(app_.Rows().size(), 3u);
  }

  std::vector<Text> Names() {
    std::vector<Text> names;
    for (const auto& row : app_.Rows()) names.push_back(row[kColumnName]);
    return names;
  }

  TestWebServer server_;
  TestAddresses addresses_;
  AppRun app_;
};

TEST_F(CatalogueQueryTest, DirectAddressFillsRowsRecordsAndCount) {
  app_.Search(Direct("/sample.xml"));
  const auto rows = app_.Rows();
  ASSERT_EQ(rows.size(), 3u);
  const Text names[] = {u"Harbour_harbour-01.jpg", u"Harbour_harbour-02.jpg", u"Forest_forest-01.jpg"};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][kColumnNumber], Numbered(static_cast<int64_t>(i) + 1));
    EXPECT_EQ(rows[i][kColumnName], names[i]);
    EXPECT_EQ(rows[i][kColumnSize], T(R::SizePlaceholder));
    EXPECT_EQ(rows[i][kColumnStatus], T(R::StatusTextQueued));
  }
  EXPECT_EQ(app_.StatusText(), T(R::WordSeparator) + u"3" + T(R::CountText));

  // Each row leads to its own record, which holds the address exactly as served.
  const std::string sources[] = {server_.Url("/p/harbour-01.jpg"), server_.Url("/p/harbour-02.jpg"),
                                 server_.Url("/p/forest-01.jpg")};
  app_.OnUi([&] {
    ASSERT_EQ(CatalogueItemsCount(), 3);
    for (int64_t row = 0; row < 3; ++row) {
      const CatalogueItem item = CatalogueItemsGet(ListGetItemValue(kItemList, row));
      EXPECT_EQ(item.name, names[row]);
      EXPECT_EQ(item.address, Utf16(sources[row]));
    }
  });
}

TEST_F(CatalogueQueryTest, ReturnOutsideTheSearchFieldDoesNothing) {
  FillSample();
  const Text status = app_.StatusText();
  const int requests = server_.Hits(CataloguePath("/sample.xml"));
  app_.OnUi([&] { SetFieldText(kSearchField, Utf16(Direct("/sample.xml"))); });
  for (int64_t gadget : {kItemList, kFolderField}) {
    app_.Focus(gadget);
    app_.PressKey(UiKey::Return);
  }
  EXPECT_EQ(server_.Hits(CataloguePath("/sample.xml")), requests);
  EXPECT_EQ(app_.StatusText(), status);
  EXPECT_EQ(app_.Rows().size(), 3u);
}

TEST_F(CatalogueQueryTest, NumberPairsBuildTemplateAddressesOnlyInRange) {
  struct Case {
    const char* typed;
    std::string path;  // empty: rejected before any request
  };
  const std::string series = addresses_.firstTemplate.substr(server_.Url("").size());
  const std::string yearly = addresses_.secondTemplate.substr(server_.Url("").size());
  const Case cases[] = {
      {"900 5", series + "900/5.xml"},   {"926 7", series + "926/7.xml"},
      {"365 12", yearly + "365/12.xml"}, {"  900     5 ", series + "900/5.xml"},
      {"900 5 77", series + "900/5.xml"}, {"910 -3", series + "910/-3.xml"},
      {"0900 5", ""}, {"927 7", ""}, {"364 1", ""}, {"900 05", ""}, {"%2B900 5", ""},
      {"900", ""},    {"   ", ""},   {"899 1", ""}, {"900 5x", ""}, {"$384 1", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FillSample();
    if (!c.path.empty()) server_.Serve(c.path, CatalogueXml({{"hit", {server_.Url("/p/x.jpg")}}}));
    const int before = server_.Hits(c.path);
    app_.Search(std::string(c.typed));
    if (c.path.empty()) {
      EXPECT_EQ(app_.StatusText(), T(R::NothingFoundMessage));
      EXPECT_EQ(app_.Rows().size(), 3u) << "a rejected query keeps the list";
    } else {
      EXPECT_EQ(server_.Hits(c.path), before + 1);
      EXPECT_EQ(Names(), std::vector<Text>{u"hit_x.jpg"});
    }
  }
}

TEST_F(CatalogueQueryTest, BadAnswersEmptyTheListAndSayNothingFound) {
  const std::pair<const char*, std::string> answers[] = {
      {"/broken.xml", "<catalogue><album title=\"A\"/><section>"},
      {"/wrong-root.xml", "<catalog><section><group kind=\"pictures\"><entry><i src=\"a/b\"/></entry></group></section></catalog>"},
      {"/childless.xml", "<catalogue title=\"x\"></catalogue>"},
      {"/no-entries.xml", CatalogueXml({{"Empty", {}}})},
      {"/not-xml.xml", "\x89PNG\r\n\x1a\n binary"},
  };
  for (const auto& [path, body] : answers) server_.Serve(CataloguePath(path), body);
  std::vector<std::string> tails;
  for (const auto& answer : answers) tails.push_back(answer.first);
  tails.push_back("/missing.xml");  // the server's 404 page
  for (const std::string& tail : tails) {
    SCOPED_TRACE(tail);
    FillSample();
    app_.Search(Direct(tail));
    EXPECT_TRUE(app_.Rows().empty());
    EXPECT_EQ(app_.StatusText(), T(R::NothingFoundMessage));
    app_.OnUi([] { EXPECT_EQ(CatalogueItemsCount(), 0); });
  }
}

TEST_F(CatalogueQueryTest, UnreachableServerEmptiesTheList) {
  int closedPort = 0;
  {
    TestWebServer gone;
    closedPort = gone.Port();
  }
  EXPECT_EQ(app_.Stop(), 0);
  const TextTable table = TestTextTable(server_.Port())
                              .With(R::FirstTemplatePrefix,
                                    Utf16("http://127.0.0.1:" + std::to_string(closedPort) + "/series/"));
  ASSERT_TRUE(app_.Start(table));
  FillSample();
  app_.Search(u"900 1");
  EXPECT_TRUE(app_.Rows().empty());
  EXPECT_EQ(app_.StatusText(), T(R::NothingFoundMessage));
}

TEST_F(CatalogueQueryTest, EntriesBeforeTheFirstContextGetAnEmptyContext) {
  server_.Serve(CataloguePath("/late-context.xml"),
                "<catalogue><section><group kind=\"pictures\">"
                "<entry><image src=\"http://h/a/early.jpg\"/></entry>"
                "<entry><!-- no source --></entry>"
                "<entry><image src=\"plain-name\"/></entry>"
                "</group></section><album title=\"Late\"/><album title=\"Later\"/>"
                "<section><group kind=\"pictures\"><entry><image src=\"http://h/b/late.jpg\"/></entry>"
                "</group></section></catalogue>");
  app_.Search(Direct("/late-context.xml"));
  EXPECT_EQ(Names(), (std::vector<Text>{u"_early.jpg", u"_", u"_plain-name", u"Later_late.jpg"}));
  app_.OnUi([] { EXPECT_EQ(CatalogueItemsGet(ListGetItemValue(kItemList, 1)).address, u""); });
}

TEST_F(CatalogueQueryTest, LineBreaksInNamesDoNotShiftTheColumns) {
  server_.Serve(CataloguePath("/breaks.xml"),
                "<catalogue><album title=\"Two&#10;Lines\"/><section><group kind=\"pictures\">"
                "<entry><image src=\"http://h/a&#13;&#10;b.jpg\"/></entry>"
                "</group></section></catalogue>");
  app_.Search(Direct("/breaks.xml"));
  const auto rows = app_.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][kColumnName], u"Two Lines_a  b.jpg");
  EXPECT_EQ(rows[0][kColumnSize], T(R::SizePlaceholder));
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextQueued));
  app_.OnUi([] {
    const CatalogueItem item = CatalogueItemsGet(ListGetItemValue(kItemList, 0));
    EXPECT_EQ(item.name, u"Two Lines_a  b.jpg");
    EXPECT_EQ(item.address, u"http://h/a\r\nb.jpg") << "the address stays as served";
  });
}

TEST_F(CatalogueQueryTest, QueryTextIsDecodedAndUnwrapped) {
  const std::string sample = Direct("/sample.xml");
  // Percent escapes are decoded before the address is recognised.
  app_.Search(Direct("/sample%2Exml"));
  EXPECT_EQ(app_.Rows().size(), 3u);
  // A link that wraps the address: the marker and what stands before it are dropped...
  app_.OnUi([] { ListRemoveAllItems(kItemList); });
  app_.Search(TextToUtf8(T(R::FirstWrapperMarker)) + sample);
  EXPECT_EQ(app_.Rows().size(), 3u);
  // ...and with the second marker the address is the part after the separator.
  app_.OnUi([] { ListRemoveAllItems(kItemList); });
  app_.Search(TextToUtf8(T(R::FirstWrapperMarker)) + "ref" + TextToUtf8(T(R::WrapperSeparator)) + sample);
  EXPECT_EQ(app_.Rows().size(), 3u);
  // A broken escape at the start leaves nothing to query: the list stays.
  app_.Search(u"%zz900 5");
  EXPECT_EQ(app_.StatusText(), T(R::EmptyQueryMessage));
  EXPECT_EQ(app_.Rows().size(), 3u);
}

TEST_F(CatalogueQueryTest, HundredThousandEntriesAreListedWithWholeRowNumbers) {
  server_.Serve(CataloguePath("/big.xml"), ManyEntriesXml(100000));
  app_.Search(Direct("/big.xml"));
  const auto rows = app_.Rows();
  ASSERT_EQ(rows.size(), 100000u);
  EXPECT_EQ(rows[998][kColumnNumber], Numbered(999));
  EXPECT_EQ(rows[9998][kColumnNumber], u"9999");
  EXPECT_EQ(rows[9999][kColumnNumber], u"10000");
  EXPECT_EQ(rows[99999][kColumnNumber], u"100000");
  EXPECT_EQ(rows[99999][kColumnName], u"Big_100000.jpg");
  EXPECT_EQ(app_.StatusText(), T(R::WordSeparator) + u"100000" + T(R::CountText));
  // The number column is wide enough for the widest number, checkbox included.
  app_.OnUi([] {
    EXPECT_GE(ListGetColumnWidth(kItemList, kColumnNumber), ListGetCellWidth(kItemList, 99999, kColumnNumber));
    EXPECT_GT(ListGetCellWidth(kItemList, 99999, kColumnNumber), ListGetCellWidth(kItemList, 0, kColumnNumber));
  });
}

}  // namespace

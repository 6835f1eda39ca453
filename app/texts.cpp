#include "texts.h"

#include <cstddef>
#include <string_view>

#include "platform_texts.h"
#include "program_version.h"
#include "service_addresses.h"

namespace {

constexpr size_t Index(TextRole role) { return static_cast<size_t>(role); }

// The key unit for position `at` of a role's text. Scrambling and unscrambling are the
// same exclusive or, so the clear texts never stand in the program as they are.
constexpr char16_t Key(size_t role, size_t at) {
  uint32_t k = static_cast<uint32_t>(0x6D2Bu * (at + 1) + 0x3C9Fu * (role + 7));
  k ^= k >> 7;
  return static_cast<char16_t>((k ^ 0xA55Au) & 0xFFFFu);
}

struct ClearEntry {
  std::u16string_view text;
  bool given = false;
};
using ClearTable = std::array<ClearEntry, kTextRoleCount>;

// Evaluated only by the compiler: the literals below do not reach the program.
consteval ClearTable ClearTexts() {
  ClearTable t{};
  auto set = [&t](TextRole role, std::u16string_view text) { t[Index(role)] = {text, true}; };
  using R = TextRole;
  set(R::WindowTitle, u"Trawl");
  set(R::WindowTitleSecond, u" - picture downloader");
  set(R::ConnectivityFirst, TRAWL_CONNECTIVITY_FIRST);
  set(R::ConnectivitySecond, TRAWL_CONNECTIVITY_SECOND);
  set(R::ConnectivityErrorTitle, u"No connection");
  set(R::ConnectivityErrorFirst, ConnectivityErrorFirstText());
  set(R::ConnectivityErrorSecond,
      u"Trawl cannot reach the picture servers. Please check your network connection "
      u"and start Trawl again.");
  set(R::NoticeTitle, u"Before you start");
  set(R::NoticeText,
      u"Please download only pictures you are allowed to keep. Every saved picture is "
      u"marked and stored strongly compressed.");
  set(R::NeutralText, u"");
  set(R::TipClearButton, u"Clear the list");
  set(R::TipDownloadButton, u"Download the checked entries");
  set(R::TipStopButton, u"Stop downloading");
  set(R::TipSearchField, u"Type a catalogue address or two numbers, then press Return");
  set(R::TipFolderButton, u"Choose the download folder");
  set(R::TipFolderField, u"Pictures are saved in this folder");
  set(R::TipFileProgress, u"Progress of the current file");
  set(R::TipBatchProgress, u"Progress of the whole download");
  set(R::FolderButtonCaption, u"...");
  set(R::ColumnNumber, u"No.");
  set(R::ColumnName, u"Name");
  set(R::ColumnSize, u"Size");
  set(R::ColumnStatus, u"Status");
  set(R::SubmenuChecks, u"Check");
  set(R::SubmenuSizes, u"Size");
  set(R::SubmenuQueue, u"Queue again");
  set(R::MenuCheckSelected, u"Selected rows");
  set(R::MenuCheckAll, u"All rows");
  set(R::MenuUncheckAll, u"No rows");
  set(R::MenuInvertChecks, u"Invert");
  set(R::MenuSizeOfEntry, u"Of this entry");
  set(R::MenuSizeOfSelected, u"Of the selected entries");
  set(R::MenuSizeOfAll, u"Of all entries");
  set(R::MenuResetAll, u"All (reset)");
  set(R::FontFace, u"DejaVu Sans");
  set(R::DownloadFolderName, u"Trawl");
  set(R::HelpLine,
      u"Usage: trawl [--help | --version]. Type a catalogue address or two numbers into "
      u"the search field and press Return; pictures are saved in the folder shown beside "
      u"the folder button.");
  set(R::VersionLine, u"trawl " TRAWL_VERSION);

  set(R::DownloadRunningMessage, u"Downloading...");
  set(R::SizeMessageTitle, u"Size");
  set(R::SizeMessagePrefix, u"This entry is ");
  set(R::SizeMessageSuffix, u" in size.");
  set(R::SizeUnknownText, u"The server does not say how large this entry is.");
  set(R::FolderChooserTitle, u"Choose the download folder");

  set(R::StatusTextQueued, u"Queued");
  set(R::StatusTextDownloading, u"Downloading");
  set(R::StatusTextDone, u"Done");
  set(R::StatusTextFailed, u"Failed");
  set(R::SizePlaceholder, u"...");

  set(R::EmptyQueryMessage, u"Please type a catalogue address or two numbers.");
  set(R::NothingFoundMessage, u"Nothing found.");
  set(R::CountText, u" found in the catalogue");
  set(R::FirstWrapperMarker, u"trawl://open?target=");
  set(R::SecondWrapperMarker, u"|");
  set(R::WrapperSeparator, u"|");
  set(R::CataloguePrefix, TRAWL_CATALOGUE_PREFIX);
  set(R::DoubleSeparator, u"  ");
  set(R::WordSeparator, u" ");
  set(R::FirstTemplatePrefix, TRAWL_FIRST_TEMPLATE);
  set(R::SecondTemplatePrefix, TRAWL_SECOND_TEMPLATE);
  set(R::PathSeparator, u"/");
  set(R::TemplateSuffix, TRAWL_TEMPLATE_SUFFIX);
  set(R::RootElement, u"catalogue");
  set(R::ContextElement, u"album");
  set(R::ContextAttribute, u"title");
  set(R::SectionElement, u"section");
  set(R::GroupElement, u"group");
  set(R::KindAttribute, u"kind");
  set(R::WantedKind, u"pictures");
  set(R::EntryElement, u"entry");
  set(R::SourceAttribute, u"src");
  set(R::NameJoiner, u"_");
  set(R::PadCharacter, u" ");
  set(R::RowOpening, u"\n");
  set(R::RowClosing, u"\n...\nQueued");

  set(R::LineSeparator, u"\r\n");
  set(R::NameSeparator, u":");
  set(R::LengthHeaderName, u"Content-Length");
  set(R::UnitSeparator, u" ");
  set(R::UnitList, u"bytes,KB,MB,GB,TB,PB,EB");
  set(R::UnitListSeparator, u",");
  set(R::SizeTotalTitle, u"Total size");
  set(R::CancelLeadSelected, u"Stopped after ");
  set(R::CancelLeadAll, u"Stopped. So far ");
  set(R::CancelMiddle, u" rows. So far ");
  set(R::CountSizeJoiner, u" entries add up to ");
  set(R::SizeTail, u".");
  set(R::CancelFailureLead, u" Of those, ");
  set(R::FailureLead, u" Of the %rows% rows, ");
  set(R::FailureTail, u" gave no size.");
  set(R::RowCountPlaceholder, u"%rows%");
  set(R::NothingSizedSelected, u"None of the selected rows has a known size.");
  set(R::NothingSizedAll, u"No row has a known size.");
  set(R::OneEntryLeadSelected, u"The selected entry is ");
  set(R::OneEntryLeadAll, u"The only entry is ");
  set(R::ManyEntriesLeadSelected, u"Selected rows: ");
  set(R::ManyEntriesLeadAll, u"All rows: ");

  set(R::MarkText, u"TRAWL");
  set(R::GroupingSeparator, u",");
  set(R::EntryFailedMessage, u"An entry could not be downloaded.");
  set(R::RunFinishedMessage, u"All downloads finished.");
  return t;
}

consteval std::u16string_view ClearOf(TextRole role) { return ClearTexts()[Index(role)].text; }

consteval bool EveryRoleGiven() {
  for (const ClearEntry& entry : ClearTexts())
    if (!entry.given) return false;
  return true;
}

consteval bool StatusTextsDistinct() {
  const TextRole roles[] = {TextRole::StatusTextQueued, TextRole::StatusTextDownloading,
                            TextRole::StatusTextDone, TextRole::StatusTextFailed,
                            TextRole::SizePlaceholder};
  for (TextRole a : roles)
    for (TextRole b : roles)
      if (a != b && ClearOf(a) == ClearOf(b)) return false;
  return true;
}

consteval bool RowClosingFitsColumns() {
  std::u16string_view closing = ClearOf(TextRole::RowClosing);
  std::u16string_view size = ClearOf(TextRole::SizePlaceholder);
  std::u16string_view queued = ClearOf(TextRole::StatusTextQueued);
  return closing.size() == size.size() + queued.size() + 2 && closing[0] == u'\n' &&
         closing.substr(1, size.size()) == size && closing[size.size() + 1] == u'\n' &&
         closing.substr(size.size() + 2) == queued;
}

static_assert(EveryRoleGiven(), "every text role needs a text");
static_assert(ClearOf(TextRole::NeutralText).empty());
static_assert(StatusTextsDistinct());
static_assert(RowClosingFitsColumns());
static_assert(ClearOf(TextRole::RowOpening) == u"\n");
static_assert(ClearOf(TextRole::FolderButtonCaption) == ClearOf(TextRole::SizePlaceholder));
static_assert(ClearOf(TextRole::CataloguePrefix).size() == 35);
static_assert(ClearOf(TextRole::FirstWrapperMarker).size() == 20);
static_assert(ClearOf(TextRole::DoubleSeparator).size() == 2);
static_assert(ClearOf(TextRole::DoubleSeparator)[0] == ClearOf(TextRole::WordSeparator)[0]);
static_assert(ClearOf(TextRole::DoubleSeparator)[1] == ClearOf(TextRole::WordSeparator)[0]);
static_assert(ClearOf(TextRole::WordSeparator).size() == 1);
static_assert(ClearOf(TextRole::WrapperSeparator).size() == 1);
static_assert(ClearOf(TextRole::PathSeparator).size() == 1);
static_assert(ClearOf(TextRole::PadCharacter).size() == 1);
static_assert(ClearOf(TextRole::UnitListSeparator).size() == 1);
// A single folder name: the start-up folder is built by appending it and a separator.
static_assert(!ClearOf(TextRole::DownloadFolderName).empty());
static_assert(ClearOf(TextRole::DownloadFolderName).find(u'/') == std::u16string_view::npos);
static_assert(ClearOf(TextRole::HelpLine).find(u'\n') == std::u16string_view::npos);

consteval size_t PoolSize() {
  size_t size = 0;
  for (const ClearEntry& entry : ClearTexts()) size += entry.text.size();
  return size;
}
constexpr size_t kPoolSize = PoolSize();

// Every text, scrambled, end to end; role r's text runs from start[r] to start[r + 1].
struct ScrambledPool {
  std::array<char16_t, kPoolSize + 1> units{};
  std::array<size_t, kTextRoleCount + 1> start{};
};

consteval ScrambledPool BuildPool() {
  ScrambledPool pool{};
  ClearTable clear = ClearTexts();
  size_t at = 0;
  for (size_t role = 0; role < clear.size(); ++role) {
    pool.start[role] = at;
    for (size_t i = 0; i < clear[role].text.size(); ++i)
      pool.units[at++] = static_cast<char16_t>(clear[role].text[i] ^ Key(role, i));
  }
  pool.start[clear.size()] = at;
  return pool;
}
constexpr ScrambledPool kPool = BuildPool();

Text Flip(size_t role, TextView text) {
  Text result(text);
  for (size_t i = 0; i < result.size(); ++i) result[i] = static_cast<char16_t>(result[i] ^ Key(role, i));
  return result;
}

std::array<Text, kTextRoleCount> loaded;

}  // namespace

const TextTable& TextTable::BuiltIn() {
  static const TextTable table = [] {
    TextTable built;
    for (size_t role = 0; role < built.scrambled_.size(); ++role)
      built.scrambled_[role].assign(kPool.units.data() + kPool.start[role],
                                    kPool.start[role + 1] - kPool.start[role]);
    return built;
  }();
  return table;
}

TextTable TextTable::With(TextRole role, TextView clear) const {
  TextTable copy = *this;
  if (Index(role) < copy.scrambled_.size()) copy.scrambled_[Index(role)] = Flip(Index(role), clear);
  return copy;
}

Text TextTable::Clear(TextRole role) const {
  if (Index(role) >= scrambled_.size()) return Text();
  return Flip(Index(role), scrambled_[Index(role)]);
}

void TextsLoad(const TextTable& table) {
  for (size_t role = 0; role < loaded.size(); ++role)
    loaded[role] = table.Clear(static_cast<TextRole>(role));
}

const Text& T(TextRole role) {
  static const Text none;
  return Index(role) < loaded.size() ? loaded[Index(role)] : none;
}

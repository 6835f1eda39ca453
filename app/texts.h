#pragma once
// The application's texts by role: titles, messages, status texts, menu texts, column
// titles, the mark text, the catalogue's element and attribute names and the service
// addresses. They are kept scrambled in the program and unscrambled once at start-up
// (TextsLoad); T(role) then answers with the clear text.
//
// Thread safety: TextsLoad runs on the UI thread before any worker exists; afterwards
// the loaded texts are read-only and T may be called from any thread.
#include <array>
#include <cstdint>

#include "text.h"

enum class TextRole : int32_t {
  // Main window and start-up.
  WindowTitle,           // application title, joined with WindowTitleSecond
  WindowTitleSecond,
  ConnectivityFirst,     // address checked first at start-up
  ConnectivitySecond,    // address checked second
  ConnectivityErrorTitle,
  ConnectivityErrorFirst,
  ConnectivityErrorSecond,
  NoticeTitle,
  NoticeText,
  NeutralText,           // the empty text
  TipClearButton,        // toolbar button 0
  TipDownloadButton,     // toolbar button 1
  TipStopButton,         // toolbar button 2
  TipSearchField,
  TipFolderButton,
  TipFolderField,
  TipFileProgress,
  TipBatchProgress,
  FolderButtonCaption,   // same text as SizePlaceholder
  ColumnNumber,
  ColumnName,
  ColumnSize,
  ColumnStatus,
  SubmenuChecks,         // popup submenu A
  SubmenuSizes,          // popup submenu B
  SubmenuQueue,          // popup submenu C (item 12 is labelled StatusTextFailed)
  MenuCheckSelected,     // item 5
  MenuCheckAll,          // item 6
  MenuUncheckAll,        // item 7
  MenuInvertChecks,      // item 8
  MenuSizeOfEntry,       // item 9
  MenuSizeOfSelected,    // item 10
  MenuSizeOfAll,         // item 11
  MenuResetAll,          // item 13
  FontFace,              // face of font 1 (the mark)
  DownloadFolderName,    // Trawl's own folder inside the user's pictures folder
  HelpLine,              // what `trawl --help` prints
  VersionLine,           // what `trawl --version` prints

  // Commands.
  DownloadRunningMessage,
  SizeMessageTitle,
  SizeMessagePrefix,
  SizeMessageSuffix,
  SizeUnknownText,
  FolderChooserTitle,

  // Row statuses and the size placeholder (compared exactly; all distinct).
  StatusTextQueued,
  StatusTextDownloading,
  StatusTextDone,
  StatusTextFailed,
  SizePlaceholder,

  // Catalogue query.
  EmptyQueryMessage,
  NothingFoundMessage,
  CountText,             // after the number of rows
  FirstWrapperMarker,    // 20 characters: the unwrapping drops the first 20
  SecondWrapperMarker,
  WrapperSeparator,      // one character
  CataloguePrefix,       // exactly 35 characters
  DoubleSeparator,       // two characters, collapsed into WordSeparator
  WordSeparator,         // one character
  FirstTemplatePrefix,   // first number 900..926
  SecondTemplatePrefix,  // first number 365
  PathSeparator,         // one character
  TemplateSuffix,
  RootElement,
  ContextElement,
  ContextAttribute,
  SectionElement,
  GroupElement,
  KindAttribute,
  WantedKind,
  EntryElement,
  SourceAttribute,
  NameJoiner,
  PadCharacter,          // one character
  RowOpening,            // ends column 0
  RowClosing,            // supplies columns 2 and 3

  // Size query, size formatting and size totals.
  LineSeparator,
  NameSeparator,
  LengthHeaderName,
  UnitSeparator,
  UnitList,
  UnitListSeparator,     // one character
  SizeTotalTitle,
  CancelLeadSelected,
  CancelLeadAll,
  CancelMiddle,          // selected-rows worker only
  CountSizeJoiner,
  SizeTail,
  CancelFailureLead,
  FailureLead,
  FailureTail,
  RowCountPlaceholder,
  NothingSizedSelected,
  NothingSizedAll,
  OneEntryLeadSelected,
  OneEntryLeadAll,
  ManyEntriesLeadSelected,
  ManyEntriesLeadAll,

  // Download run.
  MarkText,
  GroupingSeparator,
  EntryFailedMessage,
  RunFinishedMessage,

  Count
};

constexpr int32_t kTextRoleCount = static_cast<int32_t>(TextRole::Count);

// A complete set of texts, held scrambled. The built-in table is compiled into the
// program; tests make their own (for a server on an ephemeral port) with With().
class TextTable {
 public:
  // The table compiled into the program.
  static const TextTable& BuiltIn();
  // A copy with one role's text replaced; `clear` is given in clear and kept scrambled.
  TextTable With(TextRole role, TextView clear) const;
  // The clear text of one role.
  Text Clear(TextRole role) const;

 private:
  std::array<Text, kTextRoleCount> scrambled_;
};

// Unscrambles every text of the table; T answers from then on. Start-up only.
void TextsLoad(const TextTable& table);
// The clear text of a role (empty before TextsLoad).
const Text& T(TextRole role);

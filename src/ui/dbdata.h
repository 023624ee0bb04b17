// The list view of the main window and its list model: the current playlist
// (gPlaylistTunes_A rows 1..gTotalPlaylistTunes_L) in eleven columns. The
// row ID of an entry is its position in the playlist table.
//
// The model keeps the cell values the list view shows; the program fills it
// from the playlist table and reads the user's edits back from it. Text cells
// hold stored bytes (Mac Roman or UTF-8, as in the tune record).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/pstring.h"
#include "platform/toolbox.h"

constexpr ListColumnKey kColBlank = fourCharCode("Blnk");
constexpr ListColumnKey kColCheck = fourCharCode("Chck");
constexpr ListColumnKey kColEnergy = fourCharCode("Engy");
constexpr ListColumnKey kColName = fourCharCode("Text");
constexpr ListColumnKey kColArtist = fourCharCode("TArt");
constexpr ListColumnKey kColAlbum = fourCharCode("TAlb");
constexpr ListColumnKey kColTime = fourCharCode("Time");
constexpr ListColumnKey kColGenre = fourCharCode("TGen");
constexpr ListColumnKey kColPlays = fourCharCode("PLCT");
constexpr ListColumnKey kColID = fourCharCode("PLID");
constexpr ListColumnKey kColType = fourCharCode("TnID");

constexpr std::int32_t kListRowHeight = 21;

struct DBCell {
  ListColumnKey key = 0;
  bool hasText = false, hasBtnVal = false, hasRGB = false;
  std::string text;
  std::int32_t btnVal = 0;
  ToolboxRGB rgb;
};

struct DBRow {
  bool container = false;
  std::int32_t parent = 0;
  // The tune the row was filled from: an edit of the row belongs to it, even
  // when the playlist table has been rebuilt or renumbered under the list.
  std::uint32_t permID = 0;
  std::vector<DBCell> cells;  // a handful per row: looked up by key
  DBCell* find(ListColumnKey key);
  const DBCell* find(ListColumnKey key) const;
  DBCell& cell(ListColumnKey key);
};

struct DBKind {
  ListColumnKey key;
  ListCellKind kind;
};

// One list view: where it is, its model and its column kinds.
struct DBBrowser {
  std::int16_t window = 0;
  std::int16_t control = 0;
  std::vector<DBRow> rows;                 // rows[0] is never shown
  std::vector<DBKind> kinds;               // a column without an entry is text
  ListViewCallbacks* callbacks = nullptr;  // what the list view calls
  ~DBBrowser();
};

extern DBBrowser* gKWEDBrowser;  // the list view of the main window

// The eleven columns in their order, with titles, kinds and widths.
const std::vector<ListColumnDesc>& browserColumns();

// Creates the list view in the main window and stores it in gKWEDBrowser
// (replacing any earlier one). Null when the main window does not exist.
DBBrowser* CreateKWED3rowser();
// Releases the list view's model (the program's end; tests).
void disposeKWED3rowser();

void InitialiseBrowserData(DBBrowser* list);
void RepopulateBrowserData(DBBrowser* list);
// Ends a cell edit the user has open, committed to the tune its row shows.
// Commands that change the tables the list is filled from call it first.
void DBDataEndEditing(DBBrowser* list);
void DBDataRemoveAllBrowserItems(DBBrowser* list);
void DBDataRevealItem(DBBrowser* list, std::int32_t row, ListColumnKey key);
void DBDataPopulateBrowser(DBBrowser* list);
void DBDataSetSortColumn(DBBrowser* list, ListColumnKey key);
void DBDataSetColumnWidth(DBBrowser* list, ListColumnKey key, std::int32_t width);

// Setters return the row ID used; row 0 appends a new row.
std::int32_t DBDataSetPString(DBBrowser* list, ListColumnKey key, std::int32_t row, const Str255& value);
std::int32_t DBDataSetText(DBBrowser* list, ListColumnKey key, std::int32_t row, std::string_view value);
std::int32_t DBDataSetBtnVal(DBBrowser* list, ListColumnKey key, std::int32_t row, std::int32_t value);
std::int32_t DBDataSetRGB(DBBrowser* list, ListColumnKey key, std::int32_t row, ToolboxRGB value);
std::int32_t DBDataSetContainer(DBBrowser* list, std::int32_t row, bool container);
// Readers: false when the cell has no value.
bool DBDataGetText(DBBrowser* list, ListColumnKey key, std::int32_t row, std::string& value);
bool DBDataGetPString(DBBrowser* list, ListColumnKey key, std::int32_t row, Str255& value);
bool DBDataGetBtnVal(DBBrowser* list, ListColumnKey key, std::int32_t row, std::int32_t& value);
bool DBDataGetRGB(DBBrowser* list, ListColumnKey key, std::int32_t row, ToolboxRGB& value);
void DBDataSetPropertyType(DBBrowser* list, ListColumnKey key, ListCellKind kind);
ListCellKind DBDataGetPropertyType(const DBBrowser* list, ListColumnKey key);

// The list view's callbacks (what the toolbox calls).
bool DBDataRowBefore(DBBrowser* list, ListColumnKey key, std::int32_t a, std::int32_t b);
void DBDataItemNotification(DBBrowser* list, std::int32_t row, ListNotification what);

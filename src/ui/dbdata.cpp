#include "ui/dbdata.h"

#include <algorithm>

#include "core/appstate.h"
#include "core/macroman.h"
#include "library/tune.h"
#include "playlists/builder.h"

DBBrowser* gKWEDBrowser = nullptr;

DBCell* DBRow::find(ListColumnKey key) {
  for (DBCell& c : cells)
    if (c.key == key) return &c;
  return nullptr;
}
const DBCell* DBRow::find(ListColumnKey key) const {
  for (const DBCell& c : cells)
    if (c.key == key) return &c;
  return nullptr;
}
DBCell& DBRow::cell(ListColumnKey key) {
  if (DBCell* c = find(key)) return *c;
  cells.push_back(DBCell{});
  cells.back().key = key;
  return cells.back();
}

namespace {
// Fills each of these rows that the current playlist has from its entry.
void fillPlaylistRows(DBBrowser* list, std::span<const std::int32_t> rows);
}  // namespace

// What the list view calls; everything goes to the DBData layer.
class DBBrowserCallbacks final : public ListViewCallbacks {
 public:
  explicit DBBrowserCallbacks(DBBrowser* list) : list_(list) {}
  bool cellText(std::int32_t row, ListColumnKey key, std::string& text) override {
    std::string stored;
    if (DBDataGetPropertyType(list_, key) != ListCellKind::text || !DBDataGetText(list_, key, row, stored))
      return false;
    text = storedToDisplay(stored);
    return true;
  }
  bool cellCheck(std::int32_t row, ListColumnKey key, std::int32_t& value) override {
    return DBDataGetPropertyType(list_, key) == ListCellKind::checkBox && DBDataGetBtnVal(list_, key, row, value);
  }
  void setCellText(std::int32_t row, ListColumnKey key, std::string_view text) override {
    if (DBDataGetPropertyType(list_, key) != ListCellKind::text || row < 1) return;
    DBDataSetText(list_, key, row, displayToStored(text));
    toolboxInvalidateControl(list_->window, list_->control);
  }
  void setCellCheck(std::int32_t row, ListColumnKey key, std::int32_t value) override {
    if (DBDataGetPropertyType(list_, key) != ListCellKind::checkBox || row < 1) return;
    DBDataSetBtnVal(list_, key, row, value);
    gCheckCurrent_L = 1;
    gCheckedItem_L = row;
    toolboxInvalidateControl(list_->window, list_->control);
  }
  bool rowBefore(ListColumnKey key, std::int32_t a, std::int32_t b) override {
    return DBDataRowBefore(list_, key, a, b);
  }
  void notify(std::int32_t row, ListNotification what) override { DBDataItemNotification(list_, row, what); }
  // Rows come into the list from the current playlist: whoever hands them to
  // the list view (a playlist switch, a search, the model itself) sees them
  // filled from gPlaylistTunes_A, each with the tune it shows.
  void loadRows(std::span<const std::int32_t> rows) override { fillPlaylistRows(list_, rows); }
  void allRowsRemoved() override { list_->rows.assign(1, DBRow{}); }
  void drawCell(std::int32_t row, ListColumnKey key, ListDrawContext& ctx, double x, double y, double,
                double h) override {
    if (key != kColEnergy) return;
    ToolboxRGB rgb;  // a row without a colour draws black
    DBDataGetRGB(list_, key, row, rgb);
    const double r = rgb.red / 65535.0, g = rgb.green / 65535.0, b = rgb.blue / 65535.0;
    const double cx = x + h / 2, cy = y + 2 + h / 2;
    ctx.fillCircle(cx, cy, h / 2, r - 0.073, g - 0.073, b - 0.073, 1.0);
    ctx.fillCircle(cx, cy, (h - 4) / 2, r, g, b, 1.0);
    if (row == gNowPlayingItemID_L && gWeArePlaying_S == 1 && gCurrentPlayingIDName$ == gCurrentPlayllistIDName$)
      ctx.fillCircle(cx, cy, h / 4, 1, 1, 1, 1.0);
  }

 private:
  DBBrowser* list_;
};

DBBrowser::~DBBrowser() { delete callbacks; }

const std::vector<ListColumnDesc>& browserColumns() {
  // The four text columns share the width the narrow ones leave.
  static const std::vector<ListColumnDesc> columns = {
      {kColBlank, "", ListCellKind::text, false, 30, 30, 30},
      {kColCheck, "", ListCellKind::checkBox, true, 30, 30, 30},
      {kColEnergy, "E!", ListCellKind::custom, false, 40, 40, 40},
      {kColName, "Name", ListCellKind::text, true, 30, 600, 200, true},
      {kColArtist, "Artist", ListCellKind::text, true, 30, 600, 200, true},
      {kColAlbum, "Album", ListCellKind::text, true, 30, 600, 200, true},
      {kColTime, "Time", ListCellKind::text, false, 30, 150, 60},
      {kColGenre, "Genre", ListCellKind::text, true, 30, 400, 100, true},
      {kColPlays, "Smart-Plays", ListCellKind::text, false, 30, 200, 100},
      {kColID, "ID", ListCellKind::text, false, 30, 200, 70},
      {kColType, "Type", ListCellKind::text, false, 30, 200, 70},
  };
  return columns;
}

DBBrowser* CreateKWED3rowser() {
  ToolboxRect content;
  if (!toolboxGetWindowContentRect(kMainWindow, content)) return nullptr;
  disposeKWED3rowser();
  auto* list = new DBBrowser;
  list->window = kMainWindow;
  list->control = kListControl;
  list->rows.resize(1);
  list->callbacks = new DBBrowserCallbacks(list);
  const auto& cols = browserColumns();
  listViewCreate(list->window, list->control, ToolboxRect{0, 73, content.width, content.height - 73 - 32},
                 kBindLeft | kBindTop | kBindRight | kBindBottom, cols, kListRowHeight, list->callbacks);
  gKWEDBrowser = list;
  return list;
}

void disposeKWED3rowser() {
  delete gKWEDBrowser;
  gKWEDBrowser = nullptr;
}

namespace {
DBRow* rowOf(DBBrowser* list, std::int32_t row) {
  if (!list || row < 1 || static_cast<std::size_t>(row) >= list->rows.size()) return nullptr;
  return &list->rows[static_cast<std::size_t>(row)];
}

const DBCell* cellOf(DBBrowser* list, ListColumnKey key, std::int32_t row) {
  const DBRow* r = rowOf(list, row);
  return r ? r->find(key) : nullptr;
}

// Row 0 appends; a row beyond the end pads the model with empty rows.
std::int32_t makeRow(DBBrowser* list, std::int32_t row) {
  if (row <= 0) row = static_cast<std::int32_t>(list->rows.size());
  if (static_cast<std::size_t>(row) >= list->rows.size()) list->rows.resize(static_cast<std::size_t>(row) + 1);
  return row;
}

std::string numberText(std::int64_t n) { return numText(n); }

void fillRow(DBBrowser* list, std::int32_t i) {
  const Tune& r = gPlaylistTunes_A[i];
  DBDataSetContainer(list, i, true);
  list->rows[static_cast<std::size_t>(i)].permID = r.permID;
  DBDataSetBtnVal(list, kColCheck, i, r.checked == 1 ? 1 : 0);
  DBDataSetRGB(list, kColEnergy, i, ToolboxRGB{r.colourRed, r.colourGreen, r.colourBlue});
  DBDataSetText(list, kColName, i, r.title.view());
  DBDataSetText(list, kColArtist, i, r.artist.view());
  DBDataSetText(list, kColAlbum, i, r.album.view());
  DBDataSetText(list, kColTime, i, r.durationText.view());
  DBDataSetText(list, kColGenre, i, r.genre.view());
  DBDataSetText(list, kColPlays, i, numberText(r.playCount));
  DBDataSetText(list, kColID, i, numberText(i));
  DBDataSetText(list, kColType, i, fileKindText(r.fileKind));
}

void fillPlaylistRows(DBBrowser* list, std::span<const std::int32_t> rows) {
  const std::int32_t n = std::min(gTotalPlaylistTunes_L, kMaxTunes);
  for (std::int32_t r : rows)
    if (r >= 1 && r <= n) fillRow(list, r);
}

// Hands the list view every row of the model, after making room for the
// whole playlist; the rows it does not show yet are filled through loadRows.
void showPlaylistRows(DBBrowser* list) {
  const std::int32_t n = std::min(gTotalPlaylistTunes_L, kMaxTunes);
  if (n >= 1) makeRow(list, n);
  DBDataPopulateBrowser(list);
}

// A number cell's value: decimal, leading blanks ignored. Read in place:
// sorting a full list by number asks this some million times.
bool cellNumber(DBBrowser* list, ListColumnKey key, std::int32_t row, long long& n) {
  const DBCell* c = cellOf(list, key, row);
  if (!c || !c->hasText || c->text.empty()) return false;
  const char* p = c->text.c_str();
  while (*p == ' ') ++p;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
  n = negative ? -v : v;
  return true;
}

// Cuts stored text to a field's capacity without splitting a UTF-8 character,
// so a cut edit still reads back as the text the user typed.
std::string cutToField(const std::string& stored, std::size_t capacity) {
  if (stored.size() <= capacity) return stored;
  std::size_t n = capacity;
  if (isMultiByteUtf8(stored))
    while (n > 0 && (static_cast<unsigned char>(stored[n]) & 0xC0) == 0x80) --n;
  return stored.substr(0, n);
}

void editFinished(DBBrowser* list, std::int32_t i) {
  const DBRow* row = rowOf(list, i);
  if (!row) return;
  std::string title, artist, album, genre;
  DBDataGetText(list, kColName, i, title);
  DBDataGetText(list, kColArtist, i, artist);
  DBDataGetText(list, kColAlbum, i, album);
  DBDataGetText(list, kColGenre, i, genre);
  auto write = [&](Tune& t) {
    t.title.assign(cutToField(title, 255));
    t.artist.assign(cutToField(artist, 255));
    t.album.assign(cutToField(album, 255));
    t.genre.assign(cutToField(genre, 63));
  };
  // The tune the row shows, not whatever playlist entry now has its number;
  // a tune deleted meanwhile takes the edit with it.
  const std::uint32_t permID = row->permID;
  for (std::int32_t t = 1; t <= gStartTotalTunes_L; ++t) {
    if (gTunes_A[t].permID == permID) {
      write(gTunes_A[t]);
      break;
    }
  }
  if (gTotalPlaying_L >= 1) {
    for (std::int32_t t = 1; t <= gTotalPlaying_L; ++t) {
      if (gNowPlaying_A[t].permID == permID) {
        write(gNowPlaying_A[t]);
        break;
      }
    }
  }
}
}  // namespace

void InitialiseBrowserData(DBBrowser* list) {
  if (!list) return;
  for (const auto& c : browserColumns()) DBDataSetPropertyType(list, c.key, c.kind);
  ToolboxRect content;
  toolboxGetWindowContentRect(list->window, content);
  const std::int32_t fifth = static_cast<std::int32_t>(content.width * 0.2);
  DBDataSetColumnWidth(list, kColBlank, 20);
  DBDataSetColumnWidth(list, kColCheck, 30);
  DBDataSetColumnWidth(list, kColEnergy, 40);
  DBDataSetColumnWidth(list, kColName, fifth);
  DBDataSetColumnWidth(list, kColArtist, fifth);
  DBDataSetColumnWidth(list, kColAlbum, fifth);
  DBDataSetColumnWidth(list, kColTime, 60);
  DBDataSetColumnWidth(list, kColGenre, 150);
  DBDataSetColumnWidth(list, kColPlays, 100);
  DBDataSetColumnWidth(list, kColID, 90);
  DBDataSetColumnWidth(list, kColType, 70);
  // Rows that the first add run hands to an empty list come in ID order too,
  // as they will after a restart.
  DBDataSetSortColumn(list, kColID);
  if (gTotalPlaylistTunes_L > 0) showPlaylistRows(list);
}

void RepopulateBrowserData(DBBrowser* list) {
  if (!list || gTotalPlaylistTunes_L <= 0) return;
  // An open edit is finished on the row as the user saw it, before the row
  // is filled with whatever tune the playlist now has there.
  DBDataEndEditing(list);
  fillPlaylistRows(list, listViewShownRows(list->window, list->control));
  showPlaylistRows(list);
  toolboxFlush();
}

void DBDataEndEditing(DBBrowser* list) {
  if (list) listViewEndEditing(list->window, list->control);
}

void DBDataPopulateBrowser(DBBrowser* list) {
  if (!list) return;
  std::vector<std::int32_t> ids;
  ids.reserve(list->rows.size());
  for (std::size_t i = 1; i < list->rows.size(); ++i)
    if (list->rows[i].parent == 0) ids.push_back(static_cast<std::int32_t>(i));
  listViewAddRows(list->window, list->control, ids);
}

void DBDataRemoveAllBrowserItems(DBBrowser* list) {
  // The list view tells the model (allRowsRemoved), which forgets the rows.
  if (list) listViewRemoveAll(list->window, list->control);
}

void DBDataRevealItem(DBBrowser* list, std::int32_t row, ListColumnKey key) {
  if (list) listViewReveal(list->window, list->control, row, key);
}

void DBDataSetSortColumn(DBBrowser* list, ListColumnKey key) {
  if (list) listViewSetSortColumn(list->window, list->control, key);
}

void DBDataSetColumnWidth(DBBrowser* list, ListColumnKey key, std::int32_t width) {
  if (list) listViewSetColumnWidth(list->window, list->control, key, width);
}

std::int32_t DBDataSetPString(DBBrowser* list, ListColumnKey key, std::int32_t row, const Str255& value) {
  return DBDataSetText(list, key, row, value.view());
}

std::int32_t DBDataSetText(DBBrowser* list, ListColumnKey key, std::int32_t row, std::string_view value) {
  if (!list) return 0;
  row = makeRow(list, row);
  DBCell& c = list->rows[static_cast<std::size_t>(row)].cell(key);
  c.text.assign(value);
  c.hasText = true;
  return row;
}

std::int32_t DBDataSetBtnVal(DBBrowser* list, ListColumnKey key, std::int32_t row, std::int32_t value) {
  if (!list) return 0;
  row = makeRow(list, row);
  DBCell& c = list->rows[static_cast<std::size_t>(row)].cell(key);
  c.btnVal = value;
  c.hasBtnVal = true;
  return row;
}

std::int32_t DBDataSetRGB(DBBrowser* list, ListColumnKey key, std::int32_t row, ToolboxRGB value) {
  if (!list) return 0;
  row = makeRow(list, row);
  DBCell& c = list->rows[static_cast<std::size_t>(row)].cell(key);
  c.rgb = value;
  c.hasRGB = true;
  return row;
}

std::int32_t DBDataSetContainer(DBBrowser* list, std::int32_t row, bool container) {
  if (!list) return 0;
  row = makeRow(list, row);
  list->rows[static_cast<std::size_t>(row)].container = container;
  return row;
}

bool DBDataGetText(DBBrowser* list, ListColumnKey key, std::int32_t row, std::string& value) {
  const DBCell* c = cellOf(list, key, row);
  if (!c || !c->hasText) return false;
  value = c->text;
  return true;
}

bool DBDataGetPString(DBBrowser* list, ListColumnKey key, std::int32_t row, Str255& value) {
  std::string text;
  if (!DBDataGetText(list, key, row, text)) return false;
  value.assign(text);
  return true;
}

bool DBDataGetBtnVal(DBBrowser* list, ListColumnKey key, std::int32_t row, std::int32_t& value) {
  const DBCell* c = cellOf(list, key, row);
  if (!c || !c->hasBtnVal) return false;
  value = c->btnVal;
  return true;
}

bool DBDataGetRGB(DBBrowser* list, ListColumnKey key, std::int32_t row, ToolboxRGB& value) {
  const DBCell* c = cellOf(list, key, row);
  if (!c || !c->hasRGB) return false;
  value = c->rgb;
  return true;
}

void DBDataSetPropertyType(DBBrowser* list, ListColumnKey key, ListCellKind kind) {
  if (!list) return;
  for (DBKind& k : list->kinds)
    if (k.key == key) {
      k.kind = kind;
      return;
    }
  list->kinds.push_back(DBKind{key, kind});
}

ListCellKind DBDataGetPropertyType(const DBBrowser* list, ListColumnKey key) {
  if (list)
    for (const DBKind& k : list->kinds)
      if (k.key == key) return k.kind;
  return ListCellKind::text;
}

bool DBDataRowBefore(DBBrowser* list, ListColumnKey key, std::int32_t a, std::int32_t b) {
  if (key == kColPlays || key == kColID) {
    long long na = 0, nb = 0;
    if (!cellNumber(list, key, a, na) || !cellNumber(list, key, b, nb)) return false;
    return na < nb;
  }
  switch (DBDataGetPropertyType(list, key)) {
    case ListCellKind::custom: {
      if (a < 1 || b < 1 || a >= kTableRecords || b >= kTableRecords) return false;
      const std::int32_t ha = gPlaylistTunes_A[a].hpe, hb = gPlaylistTunes_A[b].hpe;
      return ha < hb;
    }
    case ListCellKind::checkBox: {
      std::int32_t va = 0, vb = 0;
      if (!DBDataGetBtnVal(list, key, a, va) || !DBDataGetBtnVal(list, key, b, vb)) return false;
      return va < vb;
    }
    case ListCellKind::text:
    default: {
      const DBCell* ca = cellOf(list, key, a);
      const DBCell* cb = cellOf(list, key, b);
      if (!ca || !cb || !ca->hasText || !cb->hasText) return false;
      // std::string compares as unsigned bytes: by character code, case-sensitive.
      return ca->text < cb->text;
    }
  }
}

void DBDataItemNotification(DBBrowser* list, std::int32_t row, ListNotification what) {
  switch (what) {
    case ListNotification::selected:
      if (row != 0) gCurrentSelectedTune_L = row;
      break;
    case ListNotification::doubleClicked:
      if (row != 0) {
        gCurrentSelectedTune_L = row;
        gDoubleClick_S = 1;
      }
      break;
    case ListNotification::editFinished: editFinished(list, row); break;
  }
}

// The window toolbox: what the program asks of windows, controls, menus and
// alerts, addressed by the program's own numbers (window 1, control 1001, menu 3).
//
// The program links exactly one implementation: platform/qt (the desktop),
// or platform/headless (tests and the command-line tool), which records every
// call. Calls that name a window or control that does not exist do nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ToolboxRect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
};

struct ToolboxRGB {
  std::uint16_t red = 0, green = 0, blue = 0;
};

// One system beep.
void SysBeep();

// Caution alert with a title, a message, a default button and Cancel.
// Returns true when the default button was pressed.
bool CationAlert(std::string_view title, std::string_view message, std::string_view button);

// Stop alert with one button.
void myStopAlert(std::string_view title, std::string_view message, std::string_view button);

// Size of the main display (for the window's default size).
ToolboxRect toolboxMainScreenRect();

// Content rectangle of a window in global coordinates; false when the window
// does not exist.
bool toolboxGetWindowContentRect(std::int16_t window, ToolboxRect& rect);

// Controls of a window, addressed by (window, control) numbers. Calls naming
// a window or control that does not exist do nothing.
void setControlText(std::int16_t window, std::int16_t control, std::string_view text);
void setControlValue(std::int16_t window, std::int16_t control, std::int32_t value);
void setControlEnabled(std::int16_t window, std::int16_t control, bool enabled);
// The largest value of a slider (its value is held to it).
void setControlMaximum(std::int16_t window, std::int16_t control, std::int32_t maximum);
// True when the window exists (is built and not closed).
bool windowExists(std::int16_t window);

// ---- Screens and windows --------------------------------------------------

// The content rectangles of every attached screen, the main one first.
std::vector<ToolboxRect> toolboxScreenRects();

enum class WindowKind : std::uint8_t {
  document,  // framed, resizable, close box
  dialog,    // framed, fixed size, close box
  overlay,   // frameless, no decoration, never takes focus; drawn only where its panel is
  sheet,     // attached to the main window and moving with it; the main window's content
             // takes no clicks or keys while it is open (its menus stay live)
  modal,     // framed, fixed size, kept above the main window, which takes no input until it closes
};

struct WindowDesc {
  std::int16_t number = 0;
  WindowKind kind = WindowKind::document;
  std::string title;
  ToolboxRect content;  // global coordinates; an overlay is centred on the main screen
  ToolboxRGB background{0xD900, 0xD900, 0xD900};
  std::int32_t minWidth = 0, minHeight = 0;  // smallest content size the user can drag to
  std::int32_t topBand = 0, bottomBand = 0;  // heights of the frame-style bands of the content
};

// Builds a window, hidden. A window with that number that already exists is
// replaced.
void toolboxCreateWindow(const WindowDesc& desc);
void toolboxShowWindow(std::int16_t window);
// Brings an existing window to the front and makes it active.
void toolboxSelectWindow(std::int16_t window);
// Removes the window and everything in it.
void toolboxCloseWindow(std::int16_t window);
// Moves and sizes a window's content rectangle (global coordinates).
void toolboxSetWindowContentRect(std::int16_t window, const ToolboxRect& rect);
// The window that has the keyboard (0 when none of ours).
std::int16_t toolboxActiveWindow();
// Opacity of an overlay window, 0 (invisible) to 1.
void toolboxSetWindowOpacity(std::int16_t window, double opacity);

// ---- Controls -------------------------------------------------------------

enum class ControlKind : std::uint8_t {
  staticText,
  searchField,
  iconButton,
  slider,
  bevelButton,
  progressBar,
  well,
  displayPanel,    // the now-playing panel, drawn from a DisplayPanel
  bigNotice,       // the panel of the big notice, drawn from a NoticePanel
  radioButton,     // value 1 when selected; the dialog handler sets the values of a group
  editText,        // a one-line text field the user types into
  textView,        // read-only text of many lines, scrolled
  positionSlider,  // a thin slider the user clicks, drags or steps with the arrow keys; it
                   // reports to the control action only when the user lets go or steps
};

// Edges of a control that keep their distance to the same edge of the window.
enum ControlBinding : std::uint8_t {
  kBindLeft = 1,
  kBindTop = 2,
  kBindRight = 4,
  kBindBottom = 8,
};

enum class TextAlign : std::uint8_t { left, centre, right };

struct ControlDesc {
  std::int16_t window = 0;
  std::int16_t control = 0;
  ControlKind kind = ControlKind::staticText;
  ToolboxRect frame;    // window coordinates
  std::string text;     // UTF-8
  std::string icon;     // base name of an icon among the program's resources
  std::string helpTag;  // shown when the pointer rests on the control
  std::int32_t minimum = 0, maximum = 0, value = 0;
  std::int32_t step = 0;  // position slider: what one arrow key moves
  std::uint8_t binding = kBindLeft | kBindTop;
  std::int16_t fontSize = 0;  // 0: the small system font
  bool bold = false;
  TextAlign align = TextAlign::left;
  // Bevel buttons: pressed by Return (the default button) or by Escape.
  bool returnKey = false, escapeKey = false;
};

void toolboxCreateControl(const ControlDesc& desc);
void setControlFrame(std::int16_t window, std::int16_t control, const ToolboxRect& frame);
void setControlIcon(std::int16_t window, std::int16_t control, std::string_view icon);
// True when the program's resources hold an icon of that name.
bool toolboxHasIcon(std::string_view icon);
// Current text (UTF-8) and value; "" and 0 for a control that does not exist.
std::string getControlText(std::int16_t window, std::int16_t control);
std::int32_t getControlValue(std::int16_t window, std::int16_t control);
bool controlExists(std::int16_t window, std::int16_t control);
void toolboxSetKeyboardFocus(std::int16_t window, std::int16_t control);
// The control of the window that has the keyboard focus (0 for none).
std::int16_t toolboxKeyboardFocus(std::int16_t window);
// Asks for a control to be painted again.
void toolboxInvalidateControl(std::int16_t window, std::int16_t control);

// The now-playing panel: three rounded layers (top-left window coordinates)
// and a text wrapped and centred in a box; lines of the text are separated
// by carriage returns.
struct DisplayLayer {
  double x = 0, top = 0, width = 0, height = 0, radius = 0;
  double grey = 0, opacity = 1;
};
struct DisplayPanel {
  DisplayLayer layers[3];
  ToolboxRect textBox;
  std::string text;  // UTF-8
};
void toolboxSetDisplayPanel(std::int16_t window, std::int16_t control, const DisplayPanel& panel);

// The big notice: a near-white rounded panel, an inner panel in a colour and
// a large bold line of text.
struct NoticePanel {
  ToolboxRect outer, inner;  // window coordinates
  std::int32_t cornerRadius = 10;
  ToolboxRGB outerColour, innerColour;
  std::string text;
  std::int16_t fontSize = 37;
  std::int32_t baseline = 0;
};
void toolboxSetNoticePanel(std::int16_t window, std::int16_t control, const NoticePanel& panel);

// ---- List view ------------------------------------------------------------

// Columns are named by four-character codes such as 'Text'.
using ListColumnKey = std::uint32_t;
constexpr ListColumnKey fourCharCode(const char (&s)[5]) {
  return (ListColumnKey(std::uint8_t(s[0])) << 24) | (ListColumnKey(std::uint8_t(s[1])) << 16) |
         (ListColumnKey(std::uint8_t(s[2])) << 8) | ListColumnKey(std::uint8_t(s[3]));
}

enum class ListCellKind : std::uint8_t { text, checkBox, custom };

struct ListColumnDesc {
  ListColumnKey key = 0;
  std::string title;
  ListCellKind kind = ListCellKind::text;
  bool editable = false;
  std::int32_t minWidth = 30, maxWidth = 30, width = 30;
  bool stretches = false;  // shares the width the other columns leave as the list is resized
};

enum class ListNotification : std::uint8_t { selected, doubleClicked, editFinished };

// What the list view asks of the program: cell data, order and drawing.
// Rows are named by IDs (1..), never by their place on screen.
struct ListDrawContext {
  virtual ~ListDrawContext() = default;
  // Fills a circle; components 0..1.
  virtual void fillCircle(double cx, double cy, double radius, double red, double green, double blue, double alpha) = 0;
};

struct ListViewCallbacks {
  virtual ~ListViewCallbacks() = default;
  // Text of a text cell (UTF-8); false when the cell has no value.
  virtual bool cellText(std::int32_t row, ListColumnKey key, std::string& text) = 0;
  // Value of a check-box cell; false when the cell has no value.
  virtual bool cellCheck(std::int32_t row, ListColumnKey key, std::int32_t& value) = 0;
  // The user changed a cell.
  virtual void setCellText(std::int32_t row, ListColumnKey key, std::string_view text) = 0;
  virtual void setCellCheck(std::int32_t row, ListColumnKey key, std::int32_t value) = 0;
  // Strict order of two rows for a column (increasing).
  virtual bool rowBefore(ListColumnKey key, std::int32_t a, std::int32_t b) = 0;
  virtual void notify(std::int32_t row, ListNotification what) = 0;
  // Paints a custom cell in the rectangle (x, y, w, h) of a row of height h.
  virtual void drawCell(std::int32_t row, ListColumnKey key, ListDrawContext& ctx, double x, double y, double w,
                        double h) = 0;
  // The list view is about to show these rows, which it does not show yet
  // (so none of them is being edited): the model takes their cells from
  // where it keeps its data. Rows already shown keep theirs.
  virtual void loadRows(std::span<const std::int32_t> rows) { (void)rows; }
  // Every row has gone from the list view: the model forgets their cells.
  virtual void allRowsRemoved() {}
};

// Builds the list view as control `control` of a window; the callbacks stay
// owned by the caller and must outlive the control.
void listViewCreate(std::int16_t window, std::int16_t control, const ToolboxRect& frame, std::uint8_t binding,
                    std::span<const ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks);
// Shows these rows; rows already shown are refreshed and not added twice.
// The others are handed to the callbacks' loadRows first.
void listViewAddRows(std::int16_t window, std::int16_t control, std::span<const std::int32_t> rows);
void listViewRemoveRow(std::int16_t window, std::int16_t control, std::int32_t row);
// Removes every row and then tells the callbacks (allRowsRemoved).
void listViewRemoveAll(std::int16_t window, std::int16_t control);
// Ends a cell edit the user has open: its text goes through the callbacks
// (setCellText, then the editFinished notification) while the rows are still
// those the user saw, and the editor closes. Adding, removing and sorting
// rows end an open edit first by themselves.
void listViewEndEditing(std::int16_t window, std::int16_t control);
// Sorts the shown rows by a column, increasing (also what the header shows).
void listViewSetSortColumn(std::int16_t window, std::int16_t control, ListColumnKey key);
void listViewSetColumnWidth(std::int16_t window, std::int16_t control, ListColumnKey key, std::int32_t width);
void listViewSelectRow(std::int16_t window, std::int16_t control, std::int32_t row);  // 0: none
void listViewScrollToTop(std::int16_t window, std::int16_t control);
void listViewReveal(std::int16_t window, std::int16_t control, std::int32_t row, ListColumnKey key);
// Shown rows, in their order on screen.
std::vector<std::int32_t> listViewShownRows(std::int16_t window, std::int16_t control);

// ---- Menus ----------------------------------------------------------------

// Appends a menu to the menu bar (in order of its ID).
void toolboxCreateMenu(std::int16_t menu, std::string_view title);
// Sets item `item` (1-based) of a menu, creating separators for any gap. A
// shortcut key is used with Ctrl; 0 for none. "-" is a separator.
void toolboxSetMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, char shortcut);
void setMenuItemText(std::int16_t menu, std::int16_t item, std::string_view text);
// Item 0 stands for the whole menu.
void setMenuItemEnabled(std::int16_t menu, std::int16_t item, bool enabled);
void setMenuItemMark(std::int16_t menu, std::int16_t item, bool marked);
// Attaches menu `submenu` to item `item` of `menu` (creating the submenu empty
// when it is new; a submenu never stands in the menu bar). Returns 0, or -1
// when `menu` does not exist.
std::int32_t toolboxAttachSubmenu(std::int16_t menu, std::int16_t item, std::int16_t submenu);
// The text of an item ("" when there is none).
std::string getMenuItemText(std::int16_t menu, std::int16_t item);
// True when the item can be chosen: it has text, and neither it nor its menu
// (item 0) is disabled.
bool toolboxMenuItemEnabled(std::int16_t menu, std::int16_t item);
// Chooses an item as the user would, through the menu handler, when it can
// be chosen; false (and nothing happens) when it cannot.
bool toolboxChooseMenuItem(std::int16_t menu, std::int16_t item);
// Gives an item a 16 x 16 icon: a filled circle in a colour, fully opaque.
void setMenuItemDiscIcon(std::int16_t menu, std::int16_t item, ToolboxRGB colour);
// The standard editing commands; their items serve the text field that has
// the keyboard focus and never reach the program's menu handler.
enum class EditCommand : std::uint8_t { undo, redo, cut, copy, paste, clear, selectAll };
void toolboxSetEditMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, EditCommand command);

// ---- Folders, opener -------------------------------------------------------

// Lets the user choose a folder; its path ends in "/". False when cancelled.
bool toolboxChooseFolder(std::string_view prompt, std::string& path);
// Hands an address (web page, mailto:) to the desktop's opener.
void toolboxOpenURL(std::string_view url);
// Shows a file selected in the desktop's file manager (or, when none answers,
// opens its folder). Returns 0, or -1 when nothing could show it. An opener
// that fails only after this returned calls `failed` from the event loop.
std::int32_t toolboxRevealFile(std::string_view path, void (*failed)() = nullptr);

// ---- Events and the loop --------------------------------------------------

// Classic event kinds seen by the program's event handler.
constexpr std::int16_t kNullEvent = 0;
constexpr std::int16_t kKeyDownEvent = 3;
constexpr std::int16_t kOSEvent = 15;
constexpr std::int16_t kHighLevelEvent = 23;
// Virtual key codes of the keys the program looks at.
constexpr std::int16_t kReturnKeyCode = 36;
constexpr std::int16_t kEnterKeyCode = 76;
// Space, reported only when no text field has the keyboard.
constexpr std::int16_t kSpaceKeyCode = 49;

struct ToolboxEvent {
  std::int16_t what = kNullEvent;
  std::int16_t keyCode = -1;  // key down: the virtual key code
  std::int16_t window = 0;    // window the event is for (0: none of ours)
  bool handled = false;       // set by the handler: the key goes no further
};

// Control and window events for the dialog handler.
constexpr std::int16_t kControlClicked = 1;
constexpr std::int16_t kWindowCloseBox = 4;
constexpr std::int16_t kContentRefresh = 18;

// The commands of the application command handler: Quit ('quit'), and the
// quit of a signal or of the end of the desktop session ('qnow'), which
// cannot wait for an answer.
constexpr std::uint32_t kQuitCommand = 0x71756974;
constexpr std::uint32_t kQuitNowCommand = 0x716e6f77;
// Result of a command handler that did not handle the command.
constexpr std::int32_t kEventNotHandledErr = -9874;

struct ToolboxHandlers {
  void (*event)(ToolboxEvent& event) = nullptr;  // every event first
  void (*dialog)(std::int16_t type, std::int16_t window, std::int16_t control) = nullptr;
  void (*menu)(std::int16_t menu, std::int16_t item) = nullptr;
  std::int32_t (*command)(std::uint32_t command) = nullptr;  // 0 handled, kEventNotHandledErr otherwise
  void (*boundsChanged)(std::int16_t window) = nullptr;      // after a window changed size
  void (*controlAction)(std::int16_t window, std::int16_t control, std::int32_t value) = nullptr;  // live slider
  void (*pass)() = nullptr;         // once per pass of the loop, before it waits
  bool (*needsPasses)() = nullptr;  // true while passes are needed every 2 ticks
};
void toolboxInstallHandlers(const ToolboxHandlers& handlers);
const ToolboxHandlers& toolboxHandlers();

// Runs the event loop; returns only when the toolbox could not start one.
int toolboxRunEventLoop();
// Ticks (1/60 s) since the program started.
std::uint32_t TickCount();
// Waits, keeping windows painted but taking no user input.
void toolboxDelay(std::int32_t milliseconds);
// Makes the windows show what was changed so far.
void toolboxFlush();

// The windows of the adding: the add-progress sheet, the "Saving Library..."
// window and the first-time window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Controls of the add-progress sheet (window 4000).
constexpr std::int16_t kAddStatusText = 55;
constexpr std::int16_t kAddCountText = 56;
constexpr std::int16_t kAddProgressBar = 2037;
constexpr std::int16_t kAddStopButton = 23073;

// Controls of the first-time window (window 4444).
constexpr std::int16_t kFirstTimeIcon = 1001;
constexpr std::int16_t kFirstTimeGroup = 4401;
constexpr std::int16_t kFirstTimeDone = 4402;
constexpr std::int16_t kFirstTimeQuestion = 4403;
constexpr std::int16_t kFirstTimeYes = 4404;
constexpr std::int16_t kFirstTimeNo = 4405;
constexpr std::int16_t kFirstTimeNote = 4410;

// The saving window's number.
constexpr std::int16_t kSavingWindow = 7999;

// Builds and shows the add-progress sheet on the main window. Progress kind
// 2 gives an indeterminate bar, any other a bar from 0 to `maximum`.
void makeAddDialogWin(std::int16_t progressKind, std::int32_t maximum, std::string_view headline);
void closeAddDialogWin();

// Shows the "Saving Library..." window and fades it in. It is left on
// screen: the program ends right after saving.
void makeSavingDBTunesWindow();

// Builds the first-time window with "Yes." selected and sets
// gAddSystemFontsNow_S to 1, so that Done alone starts the automatic add.
void buildFirstTimeWindow();
void closeFirstTimeWindow();
// Done in the first-time window: closes it and, when "Yes." is the choice,
// starts the automatic add and clears the choice.
void firstTimeWindowDone();

// The window that lists the files the last add run left out, each with its
// reason (File ▸ "Files Not Added..."), and its list control.
constexpr std::int16_t kLeftOutWindow = 4100;
constexpr std::int16_t kLeftOutList = 4101;
void showLeftOutWindow();
// The window's text: the counts by reason, then one line per file.
std::string leftOutReportText();

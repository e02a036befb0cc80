#pragma once
// Numbers of the language texts the code shows by itself (data/lang/*.txt, read through
// AppContext::text). Captions that come from a table (menus, option lists, grid headings)
// keep their numbers in that table. The English wording follows each number.

namespace k52 {

// Main window and its questions.
inline constexpr int kTextProgramTitle = 16;       // "KDR T17 Radio Software"
inline constexpr int kTextHelpTopic = 37;          // "Help &Topic"
inline constexpr int kTextLockChannelMenu = 47;    // "&Lock Channel Interface"
inline constexpr int kTextRestartForLanguage = 68; // "Language has changed, you need to restart the software."
inline constexpr int kTextNotice = 70;             // "Notice", the title of every question
inline constexpr int kTextAskExit = 73;            // "Are you sure want to exit?"
inline constexpr int kTextAskClearAll = 74;        // "All data will be cleared,continue?"
inline constexpr int kTextAskSaveChanges = 82;     // "TempData has changed,Do you want to save it now?"
inline constexpr int kTextWrongFileType = 83;      // "Wrong file type!"
inline constexpr int kTextFileNameLabel = 85;      // "File Name:"
inline constexpr int kTextSaveFileFailed = 86;     // "Save file failed!"
inline constexpr int kTextReady = 94;              // "Ready"
inline constexpr int kTextInterfaceLocked = 116;   // "Interface Locked"
inline constexpr int kTextRadioSettings = 145;     // "Radio Settings", the printed page's heading
inline constexpr int kTextPrint = 147;             // "Print"

// Port dialog.
inline constexpr int kTextPortDialogTitle = 60;    // "Communication Port"
inline constexpr int kTextPortFrame = 61;          // "Set"
inline constexpr int kTextPortLabel = 62;          // "Communication Port"
inline constexpr int kTextPortOk = 63;             // "OK"
inline constexpr int kTextPortCancel = 64;         // "Cancel"

// Communication window.
inline constexpr int kTextReadButton = 100;        // "&Read"
inline constexpr int kTextWriteButton = 101;       // "&Write"
inline constexpr int kTextCommunTitle = 102;       // "Communicate"
inline constexpr int kTextCommunFrame = 156;       // "Communication"

// Channel grid's pop-up menu.
inline constexpr int kTextDeleteChannel = 110;     // "Delete channel"
inline constexpr int kTextDeleteAllChannels = 112; // "Delete all channels"
inline constexpr int kTextSaveAsDefault = 113;     // "Save as default"
inline constexpr int kTextOpenChannel = 114;       // "Open channel"

// Settings window.
inline constexpr int kTextModelType = 184;         // "Model Type"
inline constexpr int kTextFrequencyRange = 185;    // "Frequency[MHz]"
inline constexpr int kTextSoftVersion = 186;       // "Soft Version"
inline constexpr int kTextLastWrite = 187;         // "Write Data Last Time"
inline constexpr int kTextOff = 204;               // "Off"
inline constexpr int kTextFmStation = 259;         // "CH ", followed by the station number
inline constexpr int kTextRadioInformation = 301;  // "Radio Information"
inline constexpr int kTextChannelInformation = 302;// "Channel Information"
inline constexpr int kTextOptionalFeatures = 303;  // "Optional Features"

// Band list and custom range dialog.
inline constexpr int kTextCustomBand = 373;        // "Custom", the band list's last entry
inline constexpr int kTextCustomRangeTitle = 374;  // "Custom"
inline constexpr int kTextCustomMin = 375;         // "Min [MHz]"
inline constexpr int kTextCustomMax = 376;         // "Max [MHz]"
inline constexpr int kTextCustomOk = 377;          // "OK"
inline constexpr int kTextCustomCancel = 378;      // "Cancel"

// Recent files and the printed channel list.
inline constexpr int kTextRecentFiles = 340;       // "Open &Recent", the File menu's list of files
inline constexpr int kTextRecentFileMissing = 341; // "The file no longer exists and was taken off the list of recent files:"
inline constexpr int kTextPageOf = 342;            // "Page %1 of %2", the foot of each printed page
inline constexpr int kTextTimeLabel = 54;          // "Time:", when the list was printed
inline constexpr int kTextPrintFailed = 106;       // "Print occur error!"

}  // namespace k52

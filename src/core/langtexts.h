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

// Edit menu, the channel operations and the names of undo steps.
inline constexpr int kTextMenuEdit = 280;          // "&Edit"
inline constexpr int kTextMenuUndo = 281;          // "&Undo", followed by the step's name
inline constexpr int kTextMenuRedo = 282;          // "&Redo", followed by the step's name
inline constexpr int kTextMenuCut = 283;           // "Cu&t"
inline constexpr int kTextMenuCopy = 284;          // "&Copy"
inline constexpr int kTextMenuPaste = 285;         // "&Paste"
inline constexpr int kTextMenuSelectAll = 286;     // "Select &All"
inline constexpr int kTextMenuDeleteRows = 287;    // "&Delete selected channels"
inline constexpr int kTextMenuInsertRow = 288;     // "&Insert empty channel"
inline constexpr int kTextMenuMoveUp = 289;        // "Move channels &up"
inline constexpr int kTextMenuMoveDown = 290;      // "Move channels do&wn"
inline constexpr int kTextMenuSortRx = 291;        // "Sort by &RX frequency"
inline constexpr int kTextMenuSortName = 292;      // "Sort by &name"
inline constexpr int kTextStepChannel = 293;       // "Edit channel %1"
inline constexpr int kTextStepOptions = 294;       // "Change optional features"
inline constexpr int kTextStepBand = 295;          // "Change band"
inline constexpr int kTextPasteRefused = 296;      // "These rows cannot be taken as they stand:" ... "Paste the rest?"
inline constexpr int kTextRowValueRefused = 297;   // "Row %1, %2: %3 cannot be taken"
inline constexpr int kTextRowNameChars = 298;      // "Row %1, %2: %3 left out of the name"
inline constexpr int kTextRowNoChannel = 299;      // "Row %1: no channel left for it"
inline constexpr int kTextAskDeleteAll = 71;       // "Are you sure delete all channels data?"

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

// Comparing configurations, and the read-back after a write.
inline constexpr int kTextCompareFileMenu = 320;   // "Compare with &File..."
inline constexpr int kTextCompareRadioMenu = 321;  // "&Compare with Radio"
inline constexpr int kTextDifferences = 322;       // "Differences", the list's title
inline constexpr int kTextSameConfig = 323;        // "The configurations are the same."
inline constexpr int kTextDiffWhere = 324;         // "Where"
inline constexpr int kTextDiffField = 325;         // "Field"
inline constexpr int kTextDiffThisWindow = 326;    // "This window"
inline constexpr int kTextDiffFile = 327;          // "File"
inline constexpr int kTextDiffRadio = 328;         // "Radio"
inline constexpr int kTextDiffStamps = 329;        // "Set by the write itself, not a difference:"
inline constexpr int kTextDiffChannel = 330;       // "Channel %1"
inline constexpr int kTextDiffFm = 331;            // "FM %1"
inline constexpr int kTextDiffBand = 332;          // "Band"
inline constexpr int kTextDiffBytes = 333;         // "Bytes %1"
inline constexpr int kTextDiffDate = 334;          // "Programming date"
inline constexpr int kTextVerifyFailed = 335;      // "The radio does not hold what was written (%1)."
inline constexpr int kTextVerifyPassed = 336;      // "Written to the radio and verified."
inline constexpr int kTextDiffLower = 337;         // "Lower edge"
inline constexpr int kTextDiffUpper = 338;         // "Upper edge"
inline constexpr int kTextDiffValue = 339;         // "Value"
inline constexpr int kTextPowerOnMessage = 245;    // "Power On Message"
// CSV channel lists: the File menu's commands and the import report. A report line is
// 264 or 265 (%1 the file's line, %2 the channel), then each reason with its value.
inline constexpr int kTextImportCsv = 262;         // "&Import CSV..."
inline constexpr int kTextExportCsv = 263;         // "Expor&t CSV..."
inline constexpr int kTextCsvRowRefused = 264;     // "Line %1, channel %2, not imported"
inline constexpr int kTextCsvRowChanged = 265;     // "Line %1, channel %2, imported changed"
inline constexpr int kTextCsvOffRaster = 266;      // "frequency off the 5 kHz and 12.5 kHz rasters"
inline constexpr int kTextCsvOutsideBand = 267;    // "frequency outside the band"
inline constexpr int kTextCsvToneNotInList = 268;  // "tone not in the radio's lists"
inline constexpr int kTextCsvUnknownValue = 269;   // "a value the radio has no setting for, column", then the column
inline constexpr int kTextCsvPastLast = 270;       // "channel number past the last channel"
inline constexpr int kTextCsvLocationTwice = 271;  // "channel number given twice"
inline constexpr int kTextCsvNameDropped = 272;    // "name characters the radio cannot show were left out"
inline constexpr int kTextCsvNameCut = 273;        // "name longer than five characters, cut off"
inline constexpr int kTextCsvShifted = 274;        // "The file counts its channels from 0: ..."
inline constexpr int kTextCsvReportHeading = 275;  // "Not everything in the file can be imported as it stands:"
inline constexpr int kTextCsvImportRest = 276;     // "&Import the rest"
inline constexpr int kTextCsvImportNothing = 277;  // "&Nothing"
inline constexpr int kTextCsvNotAList = 278;       // "The file is no CSV channel list (it has no Frequency column)."
inline constexpr int kTextCsvFilter = 279;         // "CSV File(*.csv)|*.csv"

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

// The many-radios window: the same configuration into a radio on every ticked port, each
// written, read back and logged.
inline constexpr int kTextManyMenu = 343;          // "Program &Many Radios"
inline constexpr int kTextManyExitRunning = 391;  // "Radios are still being programmed. Exiting now stops them ..."
inline constexpr int kTextManyConfig = 344;        // "Configuration:"
inline constexpr int kTextManyBrowse = 345;        // "&Browse..."
inline constexpr int kTextManyVerify = 346;        // "Verify after write"
inline constexpr int kTextManyStart = 347;         // "&Start"
inline constexpr int kTextManyPort = 348;          // "Port", the columns from here to "Result"
inline constexpr int kTextManyResult = 354;        // "Result"
inline constexpr int kTextManyAgain = 355;         // "Again", a row's restart button
inline constexpr int kTextUnitWaiting = 356;       // "Waiting", then the stages to "Failed" (361)
inline constexpr int kTextUnitNoAnswer = 362;      // "No answer"
inline constexpr int kTextUnitScriptFailed = 363;  // "Script %1 failed seven times (address %2)"
inline constexpr int kTextUnitDiffers = 364;       // "Differs: %1"
inline constexpr int kTextUnitPortFault = 365;     // "The port did not open: %1"
inline constexpr int kTextUnitStopped = 366;       // "Stopped"
inline constexpr int kTextUnitBroken = 367;        // "Unexpected fault, see the error log"
inline constexpr int kTextManyTally = 368;         // "%1 passed, %2 failed"
inline constexpr int kTextManyNoneTicked = 369;    // "Tick the ports to program."
inline constexpr int kTextTimeLabel = 54;          // "Time:", when the list was printed
inline constexpr int kTextPrintFailed = 106;       // "Print occur error!"

}  // namespace k52

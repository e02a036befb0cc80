#pragma once
// Data files: a configuration on disk is a plain copy of the memory image (file byte k is
// image address k), kept in the data folder beside the program.

#include <QString>

namespace k52 {

struct AppContext;

// The filter of the open and save dialogs.
inline constexpr const char* kDatFilter = "Data File(*.dat)|*.dat";

// Creates the data folder when missing and points CurDataFile at the default file.
void GenerateDatFolder(AppContext& ctx);
// Asks, then starts over from the default image.
void NewFile(AppContext& ctx);
// Reloads the default image and rebuilds the tables and displays from it.
void NewFileSol(AppContext& ctx);
void OpenFile(AppContext& ctx);
// Asks, then saves through the save dialog.
void SaveFile(AppContext& ctx);
void SaveAsFile(AppContext& ctx);
// Encodes the tables into the image and writes it to CurDataFile.
void SaveDatFile(AppContext& ctx);
// The status bar's file panel: "File Name:" followed by CurDataFile.
void ShowCurDataFile(AppContext& ctx);

}  // namespace k52

#pragma once
// Data files: the data folder, New, Open, Save and Save As of a configuration.

namespace k52 {

struct AppContext;

// Creates the data folder when missing and points CurDataFile at the default file.
void GenerateDatFolder(AppContext& ctx);
// Reloads the default image and rebuilds the tables and displays from it.
void NewFileSol(AppContext& ctx);
// The status bar's file panel: "File Name:" followed by CurDataFile.
void ShowCurDataFile(AppContext& ctx);

}  // namespace k52

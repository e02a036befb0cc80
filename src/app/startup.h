#pragma once
// The start-up sequence run once by the main window's start-up timer.

namespace k52 {

struct AppContext;

// Reads the settings file and sets up every table and window, in the order the program
// relies on. The installation pass (first start after installing) stops after step 3.
void InitMultiFrm(AppContext& ctx);
// First real start: detect the language from the system locale and choose a port.
void GetSysLang(AppContext& ctx);

// Reads the "Setting" section into ctx.st (start-up steps 5 and 9-15) without touching
// windows, ports or files: what the command-line companion needs of a start.
void ReadSettings(AppContext& ctx);

}  // namespace k52

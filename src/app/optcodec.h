#pragma once
// The option table's side of the options codec: OptSel <-> the option area, FM stations and
// band bytes, through the pure codec of core/configuration.h.

#include "core/configuration.h"

#include <cstdint>

namespace k52 {

struct AppContext;


// What OptNowDefSol does: load the defaults and the stored selections from section
// "Option", or reset the selections to the defaults and store them.
enum OptionDefaultsMode : int16_t { kLoadOptionDefaults = 0, kResetOptionsToDefaults = 2 };
void OptNowDefSol(AppContext& ctx, int16_t mode);
// The way a table and the image are brought together (any other value does nothing).
enum CodecDirection : int16_t { kTablesToImage = 0, kImageToTables = 1 };
void OptSelSaveSol(AppContext& ctx, int16_t direction);
// "modSysSet->OptSelToSave" and "modSysSet->SaveToOptSel".
void OptSelToSave(AppContext& ctx);
void SaveToOptSel(AppContext& ctx);
void encodeOptionsFromTables(AppContext& ctx);
void decodeOptionsIntoTables(AppContext& ctx);

// The selections, message and stations of OptSel as values, and back.
RadioOptions optionsFromTables(const AppContext& ctx);
FmStations stationsFromTables(const AppContext& ctx);
void storeOptions(AppContext& ctx, const RadioOptions& options, const FmStations& fm);

}  // namespace k52

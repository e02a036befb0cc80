#pragma once
// The channel table's whole-table operations (module modChMem): load the default image,
// read the grid's column description, initialise and delete channels, and convert
// between the image and the tables.

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

void InitTempArray(AppContext& ctx);
void ReadChInfo(AppContext& ctx);
void InitChInfo(AppContext& ctx);
void InitOneChannel(AppContext& ctx, int16_t n);
void DelOneChannel(AppContext& ctx, int16_t n);
void InitChTable(AppContext& ctx);
// kTablesToImage or kImageToTables (app/optcodec.h); anything else does nothing.
void ChInfoSaveSol(AppContext& ctx, int16_t direction);
// Channels then options into the image, before the image leaves the program.
void SetConvIicDat(AppContext& ctx);
// The same without finishing an edit still being typed (a refresh that must not take the
// user's cell or focus away).
void encodeTablesIntoImage(AppContext& ctx);

// A colour number held as text ("255"), as a 0x00BBGGRR value; raises 13 for other text.
uint32_t colorValue(const QString& text);

}  // namespace k52

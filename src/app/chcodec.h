#pragma once
// The channel table's side of the channel codec: the image's channel records into ChInfo
// and ChNameCode and back, through the pure codec of core/configuration.h. Its problems
// go into the error log under the names they carry.

#include "core/configuration.h"

#include <cstdint>

namespace k52 {

struct AppContext;

// Fields of ChInfo that the codec fills; each is also the channel grid's column.
enum ChField : int {
  kFieldEdited = 0,
  kFieldRx = 1,
  kFieldTx = 2,
  kFieldDecode = 3,
  kFieldEncode = 4,
  kFieldOption5 = 5,  // bandwidth: flag bit 5
  kFieldOption6 = 6,  // scan add: flag bit 3
  kFieldOption7 = 7,  // power: flag bits 1-2
  kFieldName = 8,
};

// What the codecs need of the program's tables.
CodecTables codecTables(const AppContext& ctx);
// Every problem into the error log, in order.
void logProblems(AppContext& ctx, const Problems& problems);

// Channel n of the tables as a value; a channel outside the table raises the bounds error.
Channel channelFromTables(const AppContext& ctx, int n);

// Whole table, channels 1 ... ChCount ("modChMem->IicDatToChInfo", "modChMem->ChInfoToIicDat").
void IicDatToChInfo(AppContext& ctx);
void ChInfoToIicDat(AppContext& ctx);
void decodeChannelsIntoTables(AppContext& ctx);
void encodeChannelsFromTables(AppContext& ctx);

}  // namespace k52

#pragma once
// The channel record codec: channel records of the image <-> ChInfo and ChNameCode.

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
  kFieldOption5 = 5,  // flag bit 5
  kFieldOption6 = 6,  // flag bit 3
  kFieldOption7 = 7,  // flag bits 1-2
  kFieldName = 8,
};

// Whole table, channels 1 ... ChCount.
void IicDatToChInfo(AppContext& ctx);
void ChInfoToIicDat(AppContext& ctx);

// Image -> table steps for channel n (a valid channel only).
void IcChParaSol(AppContext& ctx, int16_t n);
void IcRxFreSol(AppContext& ctx, int16_t n);
void IcTxFreSol(AppContext& ctx, int16_t n);
void IcCtdcsDecSol(AppContext& ctx, int16_t n);
void IcCtdcsEncSol(AppContext& ctx, int16_t n);

// Table -> image steps for channel n.
void CiChParaSol(AppContext& ctx, int16_t n);
void CiRxFreSol(AppContext& ctx, int16_t n);
void CiTxFreSol(AppContext& ctx, int16_t n);
void CiCtdcsDecSol(AppContext& ctx, int16_t n);
void CiCtdcsEncSol(AppContext& ctx, int16_t n);

}  // namespace k52

#pragma once
// The channel record codec: channel records of the image <-> ChInfo and ChNameCode.

#include <cstdint>

namespace k52 {

struct AppContext;

void IicDatToChInfo(AppContext& ctx);
void ChInfoToIicDat(AppContext& ctx);

}  // namespace k52

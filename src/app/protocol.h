#pragma once
// The protocol entry points of the program: the scripts of the address ranges the settings
// give, and the program's engine on its port, clock, window and error log. The engine
// itself (core/protocolengine.h) knows nothing of the program.

#include "core/protocolengine.h"

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

// The engine over ctx.port and ctx.clock, logging to ctx.log and showing its traffic in
// ctx.com.traffic; made again when the program's port has been replaced.
ProtocolEngine& commEngine(AppContext& ctx);

// Builds the read and write scripts (ctx.com.scripts) for the current address ranges.
void InitProtocol(AppContext& ctx);
// The program engine's loadScript, runScript and receiveReply; ComErr tells whether a
// reply failed.
void ConvComCode(AppContext& ctx, const QString& script);
void ProtocolCom(AppContext& ctx);
void RxComDat(AppContext& ctx, int16_t n);

}  // namespace k52

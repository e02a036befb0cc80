#pragma once
// The protocol engine. Everything said to the radio, and everything expected back, is a
// script of two-character tokens: "TX" starts a frame, hex pairs are fixed bytes, "VA" a
// byte of VarBuf, "RX" starts the expected reply, "EN" ends the script. InitProtocol
// builds the scripts of a transfer, ConvComCode cuts one into tokens, ProtocolCom runs
// them over the port, RxComDat waits for and checks each reply.

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

// Builds the read and write scripts (ctx.com.scripts) for the current address ranges.
void InitProtocol(AppContext& ctx);
// Cuts a script into ctx.com.ComCode, two characters a token.
void ConvComCode(AppContext& ctx, const QString& script);
// Runs the tokens of ComCode frame by frame; ComErr tells whether a reply failed. A
// script that breaks off with a fault (the port refused a frame) counts as failed too.
void ProtocolCom(AppContext& ctx);
// Waits for the n reply bytes of the current frame and checks them against RxExpect.
void RxComDat(AppContext& ctx, int16_t n);

// The scripts InitProtocol builds, one at a time.
inline constexpr const char* kHandshakeScript = "TX0250524F475241RX06TX4D02RXVAVAVAVAVAVAVAVATX06RX06EN";
inline constexpr const char* kEndScript = "TX455AA5322345F2EN";
QString readBlockScript(int address, int length);
QString writeBlockScript(int address, int length);

}  // namespace k52

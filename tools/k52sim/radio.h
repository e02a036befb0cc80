#pragma once
// The radio's side of the programming protocol, without any I/O: its 8 KB memory, how it
// recognises the frames the programming software sends, what it answers, and the plan of
// faults to play on its replies. main.cpp puts this on a pseudo-terminal.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace k52sim {

using Bytes = std::vector<uint8_t>;
constexpr std::size_t kMemorySize = 0x2000;

// What the front of the receive buffer holds.
struct Scan {
  enum Kind { Incomplete, Frame, Junk } kind;
  std::size_t length;  // bytes of the frame, or of junk to drop (0 for Incomplete)
};

// Recognises one frame at the start of data: the hello "\x02PROGRA" (7 bytes), "M" 0x02,
// the acknowledgement 0x06, a block read "R" AH AL LL, a block write "W" AH AL LL and LL
// data bytes, and the end frame "E" 5A A5 32 23 45 F2. A first byte that starts none of
// them, or a fixed byte that does not match, is one byte of junk.
Scan scanFrame(const uint8_t* data, std::size_t size);

struct Reply {
  Bytes bytes;
  std::size_t checked = 0;  // leading bytes whose values the programming software compares
};

class Radio {
 public:
  enum class State { Idle, Greeted, Identified, Session };

  struct Outcome {
    std::optional<Reply> reply;
    bool hello = false;  // a new handshake starts (the line settings are checked then)
    bool end = false;    // the end-of-programming frame
    bool read = false, write = false;
    std::string note;  // why a frame was ignored, for the trace
  };

  Radio();
  // Acts on one complete frame found by scanFrame.
  Outcome handle(const uint8_t* frame, std::size_t n);

  std::array<uint8_t, kMemorySize> memory;
  Bytes ident;  // the eight bytes answered to "M" 0x02
  std::array<bool, kMemorySize> stuck{};  // bytes that block writes do not change (a worn cell)
  State state = State::Idle;
};

enum class Fault { None, Lost, Wrong, Short, Late, Garbage, Hangup, Split, Extra };
constexpr int kFaultKinds = 9;
const char* faultName(Fault f);
std::optional<Fault> faultFromName(std::string_view name);

// Decides, reply by reply, which fault to play: forced ones by reply number first, then a
// draw against the per-kind probabilities while the random budget lasts. Deterministic for a
// seed and a sequence of replies.
class FaultPlan {
 public:
  explicit FaultPlan(uint64_t seed = 1) : rng(seed) {}
  // "lost=0.05,wrong=0.1"; returns an error text or "".
  std::string parseProbabilities(std::string_view list);
  // "3:lost" or "3:lost,7:hangup"; returns an error text or "".
  std::string parseForced(std::string_view list);
  void force(uint64_t replyNumber, Fault f);
  Fault decide(uint64_t replyNumber);

  std::mt19937_64 rng;
  std::array<double, kFaultKinds> probability{};
  long randomLimit = -1;  // random faults still allowed; -1 = no limit
 private:
  std::vector<std::pair<uint64_t, Fault>> forced_;
};

// One piece of a reply on the line: wait pauseMs after the previous piece, then send bytes.
struct Piece {
  int pauseMs = 0;
  Bytes bytes;
};

// The reply as the line delivers it under a fault. Empty for lost and hangup.
std::vector<Piece> shapeReply(const Reply& reply, Fault fault, std::mt19937_64& rng, int lateMs);

// Hex text of bytes: "52 00 10 10" (spaced) or "52001010".
std::string hex(const uint8_t* data, std::size_t n, bool spaced = true);

}  // namespace k52sim

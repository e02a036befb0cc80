#include "radio.h"

#include <algorithm>
#include <cstdlib>

namespace k52sim {

namespace {

constexpr uint8_t kHello[] = {0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41};  // 0x02 "PROGRA"
constexpr uint8_t kIdentify[] = {0x4D, 0x02};                            // "M" 0x02
constexpr uint8_t kEnd[] = {0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};   // "E" and six fixed bytes
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kRead = 0x52;   // "R"
constexpr uint8_t kWrite = 0x57;  // "W", also the header of a read reply

// A frame of fixed bytes: complete, still arriving, or junk at the first byte that differs.
template <std::size_t N>
Scan fixedFrame(const uint8_t (&expected)[N], const uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < N; ++i) {
    if (i == size) return {Scan::Incomplete, 0};
    if (data[i] != expected[i]) return {Scan::Junk, 1};
  }
  return {Scan::Frame, N};
}

}  // namespace

Scan scanFrame(const uint8_t* data, std::size_t size) {
  if (size == 0) return {Scan::Incomplete, 0};
  switch (data[0]) {
    case 0x02: return fixedFrame(kHello, data, size);
    case 0x4D: return fixedFrame(kIdentify, data, size);
    case 0x45: return fixedFrame(kEnd, data, size);
    case kAck: return {Scan::Frame, 1};
    case kRead: return size < 4 ? Scan{Scan::Incomplete, 0} : Scan{Scan::Frame, 4};
    case kWrite: {
      if (size < 4) return {Scan::Incomplete, 0};
      const std::size_t n = 4 + data[3];
      return size < n ? Scan{Scan::Incomplete, 0} : Scan{Scan::Frame, n};
    }
    default: return {Scan::Junk, 1};
  }
}

Radio::Radio() : ident{0x4B, 0x35, 0x32, 0x53, 0x49, 0x4D, 0x01, 0x00} { memory.fill(0xFF); }

Radio::Outcome Radio::handle(const uint8_t* frame, std::size_t n) {
  Outcome out;
  // The memory is a serial memory of 8 KB: addresses wrap around at its end.
  const auto at = [](unsigned address) { return address % kMemorySize; };
  switch (frame[0]) {
    case 0x02:  // hello: the radio enters programming mode whatever it was doing
      state = State::Greeted;
      out.hello = true;
      out.reply = Reply{{kAck}, 1};
      break;
    case 0x4D:
      if (state != State::Greeted && state != State::Identified) {
        out.note = "identify without hello";
        break;
      }
      state = State::Identified;
      out.reply = Reply{ident, 0};
      break;
    case kAck:
      if (state != State::Identified) {
        out.note = "acknowledgement out of the handshake";
        break;
      }
      state = State::Session;
      out.reply = Reply{{kAck}, 1};
      break;
    case kRead: {
      if (state != State::Session) {
        out.note = "block read outside a session";
        break;
      }
      const unsigned address = unsigned(frame[1]) << 8 | frame[2];
      const unsigned length = frame[3];
      Reply r{{kWrite, frame[1], frame[2], frame[3]}, 4};
      for (unsigned i = 0; i < length; ++i) r.bytes.push_back(memory[at(address + i)]);
      out.reply = std::move(r);
      out.read = true;
      break;
    }
    case kWrite: {
      if (state != State::Session) {
        out.note = "block write outside a session";
        break;
      }
      const unsigned address = unsigned(frame[1]) << 8 | frame[2];
      const unsigned length = frame[3];
      for (unsigned i = 0; i < length && 4 + i < n; ++i)
        if (!stuck[at(address + i)]) memory[at(address + i)] = frame[4 + i];
      out.reply = Reply{{kAck}, 1};
      out.write = true;
      break;
    }
    case 0x45:  // end of programming: no reply, the session is over
      state = State::Idle;
      out.end = true;
      break;
    default: break;
  }
  return out;
}

namespace {
constexpr const char* kFaultNames[kFaultKinds] = {"none",    "lost",   "wrong", "short", "late",
                                                  "garbage", "hangup", "split", "extra"};
}

const char* faultName(Fault f) { return kFaultNames[int(f)]; }

std::optional<Fault> faultFromName(std::string_view name) {
  for (int i = 1; i < kFaultKinds; ++i)
    if (name == kFaultNames[i]) return Fault(i);
  return std::nullopt;
}

namespace {
// Splits "a,b,c" into its items, skipping empty ones.
std::vector<std::string_view> items(std::string_view list) {
  std::vector<std::string_view> out;
  while (!list.empty()) {
    const auto comma = list.find(',');
    const auto item = list.substr(0, comma);
    if (!item.empty()) out.push_back(item);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return out;
}
}  // namespace

std::string FaultPlan::parseProbabilities(std::string_view list) {
  for (auto item : items(list)) {
    const auto eq = item.find('=');
    if (eq == std::string_view::npos) return "fault item without '=': " + std::string(item);
    const auto kind = faultFromName(item.substr(0, eq));
    if (!kind) return "unknown fault kind: " + std::string(item.substr(0, eq));
    const std::string value(item.substr(eq + 1));
    char* end = nullptr;
    const double p = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(p >= 0.0 && p <= 1.0))
      return "fault probability must be a number from 0 to 1: " + std::string(item);
    probability[int(*kind)] = p;
  }
  double sum = 0;
  for (double p : probability) sum += p;
  if (sum > 1.0 + 1e-9) return "fault probabilities add up to more than 1";
  return {};
}

std::string FaultPlan::parseForced(std::string_view list) {
  for (auto item : items(list)) {
    const auto colon = item.find(':');
    if (colon == std::string_view::npos) return "expected REPLY:KIND, got: " + std::string(item);
    const std::string number(item.substr(0, colon));
    char* end = nullptr;
    const unsigned long long k = std::strtoull(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || k == 0) return "reply numbers count from 1: " + std::string(item);
    const auto kind = faultFromName(item.substr(colon + 1));
    if (!kind) return "unknown fault kind: " + std::string(item.substr(colon + 1));
    force(k, *kind);
  }
  return {};
}

void FaultPlan::force(uint64_t replyNumber, Fault f) { forced_.emplace_back(replyNumber, f); }

Fault FaultPlan::decide(uint64_t replyNumber) {
  // One draw per reply whatever comes of it, so a forced fault does not shift the random ones.
  const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  for (auto it = forced_.begin(); it != forced_.end(); ++it) {
    if (it->first == replyNumber) {
      const Fault f = it->second;
      forced_.erase(it);
      return f;
    }
  }
  if (randomLimit == 0) return Fault::None;
  double cumulative = 0;
  for (int i = 1; i < kFaultKinds; ++i) {
    cumulative += probability[i];
    if (u < cumulative) {
      if (randomLimit > 0) --randomLimit;
      return Fault(i);
    }
  }
  return Fault::None;
}

std::vector<Piece> shapeReply(const Reply& reply, Fault fault, std::mt19937_64& rng, int lateMs) {
  const auto uniform = [&rng](std::size_t lo, std::size_t hi) {  // lo..hi inclusive
    return std::uniform_int_distribution<std::size_t>(lo, hi)(rng);
  };
  const auto randomBytes = [&](std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = uint8_t(uniform(0, 255));
    return b;
  };
  const Bytes& bytes = reply.bytes;
  switch (fault) {
    case Fault::None: return {{0, bytes}};
    case Fault::Lost:
    case Fault::Hangup: return {};
    case Fault::Wrong: {
      // A byte the programming software checks, where the reply has one; otherwise any.
      Bytes b = bytes;
      if (b.empty()) return {};
      const std::size_t limit = reply.checked > 0 ? reply.checked : b.size();
      b[uniform(0, limit - 1)] ^= uint8_t(uniform(1, 255));
      return {{0, b}};
    }
    case Fault::Short: {
      if (bytes.empty()) return {};
      const std::size_t keep = uniform(bytes.size() > 1 ? 1 : 0, bytes.size() - 1);
      return {{0, Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep))}};
    }
    case Fault::Late: return {{lateMs, bytes}};
    case Fault::Garbage: {
      Bytes b = randomBytes(uniform(1, 8));
      b.insert(b.end(), bytes.begin(), bytes.end());
      return {{0, b}};
    }
    case Fault::Split: {
      if (bytes.size() < 2) return {{0, bytes}};
      std::vector<std::size_t> cuts{uniform(1, bytes.size() - 1)};
      if (bytes.size() > 2) cuts.push_back(uniform(1, bytes.size() - 1));
      std::sort(cuts.begin(), cuts.end());
      cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
      std::vector<Piece> pieces;
      std::size_t from = 0;
      for (std::size_t cut : cuts) {
        pieces.push_back({pieces.empty() ? 0 : int(uniform(10, 30)),
                          Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(cut))});
        from = cut;
      }
      pieces.push_back({int(uniform(10, 30)), Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.end())});
      return pieces;
    }
    case Fault::Extra: {
      Bytes b = bytes;
      const Bytes tail = randomBytes(uniform(1, 4));
      b.insert(b.end(), tail.begin(), tail.end());
      return {{0, b}};
    }
  }
  return {{0, bytes}};
}

std::string hex(const uint8_t* data, std::size_t n, bool spaced) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(n * 3);
  for (std::size_t i = 0; i < n; ++i) {
    if (spaced && i > 0) s += ' ';
    s += digits[data[i] >> 4];
    s += digits[data[i] & 15];
  }
  return s;
}

}  // namespace k52sim

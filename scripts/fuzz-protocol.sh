#!/usr/bin/env bash
# Fuzzes the protocol engine and the transfers: every byte the radio's side sends, its
# length and its timing come from the input; a read or a write of a short range runs on it
# under AddressSanitizer and UndefinedBehaviorSanitizer. Besides crashes and hangs, the
# target stops on any outcome that differs from what the line allowed (a success with other
# bytes in the image than the radio sent, a failure that changed the image, a wrong count of
# failures, a frame that is not in the scripts).
#
#   scripts/fuzz-protocol.sh [runs] [more libFuzzer options...]     (runs: default 200000)
#
# Builds with clang in build-fuzz/ (shared with scripts/fuzz-codec.sh), keeps what it finds
# in build-fuzz/corpus-protocol/ and prints libFuzzer's summary. A finding is written as
# build-fuzz/crash-* (or timeout-*) and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200000}
shift || true

. scripts/fuzz-build.sh
fuzz_build fuzz-protocol protocol_fuzz

work=corpus-protocol
mkdir -p "$work"
# Seeds: a clean read and a clean write of 64 bytes (every reply as the radio gives it),
# and a read whose replies come in pieces.
printf '\x00\x01\x00\x3f' > "$work/seed-read"
printf '\x01\x01\x00\x3f' > "$work/seed-write"
printf '\x00\x00\x10\x20\x08\x03\x05\x08\x02\x09\x04\x07\x30\x10\x50' > "$work/seed-pieces"

echo "fuzz-protocol: $runs runs"
./fuzz/protocol_fuzz -runs="$runs" -max_len=512 -len_control=0 -timeout=20 -print_final_stats=1 -artifact_prefix=./ \
  "$@" "$work"

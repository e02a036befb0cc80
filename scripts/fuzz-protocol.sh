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

if ! command -v clang++ >/dev/null; then
  echo "fuzz-protocol: clang++ is missing (apt-get install -y clang)" >&2
  exit 1
fi
if ! ls "$(clang++ -print-resource-dir)"/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz-protocol: the sanitizer runtimes are missing (apt-get install -y libclang-rt-dev)" >&2
  exit 1
fi

san="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK52_BUILD_TESTS=OFF -DK52_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j2 --target protocol_fuzz k52_delivered_files

work=build-fuzz/corpus-protocol
mkdir -p "$work"
# Seeds: a clean read and a clean write of 64 bytes (every reply as the radio gives it),
# and a read whose replies come in pieces.
printf '\x00\x01\x00\x3f' > "$work/seed-read"
printf '\x01\x01\x00\x3f' > "$work/seed-write"
printf '\x00\x00\x10\x20\x08\x03\x05\x08\x02\x09\x04\x07\x30\x10\x50' > "$work/seed-pieces"

echo "fuzz-protocol: $runs runs"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}
cd build-fuzz
./fuzz/protocol_fuzz -runs="$runs" -max_len=512 -len_control=0 -timeout=20 -print_final_stats=1 -artifact_prefix=./ \
  "$@" corpus-protocol

#!/usr/bin/env bash
# Fuzzes the codecs: any 8 KB image is opened and saved as the program does (band
# selection, channel and option decode, encode), twice, under AddressSanitizer and
# UndefinedBehaviorSanitizer. The second save must give the same bytes as the first.
#
#   scripts/fuzz-codec.sh [runs] [more libFuzzer options...]     (runs: default 3000000)
#
# Builds with clang in build-fuzz/ (separate from build/), starts from the committed seeds
# in tests/fuzz/corpus/codec/ plus the delivered default image, keeps what it finds in
# build-fuzz/corpus-codec/ and prints libFuzzer's summary. A finding is written as
# build-fuzz/crash-* and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3000000}
shift || true

if ! command -v clang++ >/dev/null; then
  echo "fuzz-codec: clang++ is missing (apt-get install -y clang)" >&2
  exit 1
fi
if ! ls "$(clang++ -print-resource-dir)"/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz-codec: the sanitizer runtimes are missing (apt-get install -y libclang-rt-dev)" >&2
  exit 1
fi

san="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK52_BUILD_TESTS=OFF -DK52_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j2 --target codec_fuzz k52_delivered_files

work=build-fuzz/corpus-codec
mkdir -p "$work"
cp build-fuzz/bin/dhcpqec.dll "$work/delivered-default-image"

echo "fuzz-codec: $runs runs"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# No allocation stacks and a small quarantine: the codecs allocate a text per byte, and
# recording a stack for each allocation more than halves the speed. To see the stacks of a
# finding, run it again alone: ASAN_OPTIONS= build-fuzz/fuzz/codec_fuzz build-fuzz/crash-...
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}
cd build-fuzz
./fuzz/codec_fuzz -runs="$runs" -max_len=8192 -print_final_stats=1 -artifact_prefix=./ \
  "$@" corpus-codec ../tests/fuzz/corpus/codec

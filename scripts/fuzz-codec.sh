#!/usr/bin/env bash
# Fuzzes the codecs: any 8 KB image is decoded and encoded, twice, under AddressSanitizer
# and UndefinedBehaviorSanitizer. The second encode must give the same bytes as the first.
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

. scripts/fuzz-build.sh
fuzz_build fuzz-codec codec_fuzz

work=corpus-codec
mkdir -p "$work"
cp bin/dhcpqec.dll "$work/delivered-default-image"

echo "fuzz-codec: $runs runs"
./fuzz/codec_fuzz -runs="$runs" -max_len=8192 -print_final_stats=1 -artifact_prefix=./ \
  "$@" "$work" ../tests/fuzz/corpus/codec

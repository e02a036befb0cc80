# Sourced by the fuzz scripts. Checks for clang and its sanitizer runtimes, builds the
# named targets in build-fuzz/ (everything compiled with -fsanitize=fuzzer-no-link,address,
# undefined) and sets the sanitizers' options. Leaves the caller in build-fuzz/.
#
#   fuzz_build NAME TARGET...
fuzz_build() {
  local name=$1
  shift
  if ! command -v clang++ >/dev/null; then
    echo "$name: clang++ is missing (apt-get install -y clang)" >&2
    exit 1
  fi
  if ! ls "$(clang++ -print-resource-dir)"/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    echo "$name: the sanitizer runtimes are missing (apt-get install -y libclang-rt-dev)" >&2
    exit 1
  fi

  local san="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK52_BUILD_TESTS=OFF -DK52_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
  cmake --build build-fuzz -j2 --target "$@" k52_delivered_files

  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # No allocation stacks and a small quarantine: the codecs allocate a text per byte, and
  # recording a stack for each allocation more than halves the speed. To see the stacks of
  # a finding, run it again alone: ASAN_OPTIONS= build-fuzz/fuzz/TARGET build-fuzz/crash-...
  export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}
  cd build-fuzz
}

#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine.
#   scripts/dev.sh run   install what is missing, build, start the program
#   scripts/dev.sh test  install what is missing, build with sanitizers, run every test
#   scripts/dev.sh lint-package  the package, checked by lintian (errors and warnings fail)
#   scripts/dev.sh package  a Debian package of the program in build-package/
#   scripts/dev.sh bench    Release build with the benchmarks, run on a generated large shop
#   scripts/dev.sh fuzz [S] clang build of the libFuzzer targets, each run for S seconds (60)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
          libsodium-dev libxlsxwriter-dev libminizip-dev libexpat1-dev libfreexl-dev python3-xlwt libgl-dev libx11-dev poppler-utils
          qt6-charts-dev qt6-multimedia-dev ffmpeg qt6-datavisualization-dev qt6-declarative-dev qt6-translations-l10n fonts-wqy-zenhei xvfb xauth x11-xserver-utils)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

case "${1:-}" in
run)
    install_missing
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVRNT_TESTS=OFF
    cmake --build build -j "$jobs"
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo
        echo "Built build/movrnt, but this session has no display (DISPLAY is not set)."
        echo "Start it from a desktop session with:  build/movrnt"
        echo "or under a virtual display with:       xvfb-run -a -s \"-screen 0 1280x1024x24\" build/movrnt"
        exit 0
    fi
    exec build/movrnt
    ;;
test)
    PACKAGES+=(lintian dpkg-dev) # for the package check CI runs after the tests
    install_missing
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOVRNT_SANITIZE=ON -DMOVRNT_WERROR=ON
    cmake --build build-test -j "$jobs"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --test-dir build-test --output-on-failure -j "$jobs"
    ;;
package)
    install_missing
    PACKAGES=(dpkg-dev)
    install_missing
    cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOVRNT_TESTS=OFF \
          -DCMAKE_INSTALL_PREFIX=/usr
    cmake --build build-package -j "$jobs"
    (cd build-package && cpack)
    ls build-package/*.deb
    ;;
lint-package)
    PACKAGES+=(lintian dpkg-dev)
    install_missing
    bash "$0" package
    lintian --fail-on error,warning build-package/*.deb
    ;;
bench)
    install_missing
    PACKAGES=(libbenchmark-dev)
    install_missing
    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOVRNT_TESTS=OFF -DMOVRNT_BENCH=ON
    cmake --build build-bench -j "$jobs"
    shop=build-bench/large-shop.db
    # The same shop every time (same sizes, same seed); made once.
    [ -f "$shop" ] || build-bench/movrnt_genshop "$shop" --discs 100000 --members 50000 \
                          --rentals 1000000 --seed 2003
    build-bench/bench_movrnt --db "$shop"
    build-bench/bench_grids --db "$shop"
    build-bench/bench_import_memory --db "$shop"
    ;;
fuzz)
    install_missing
    PACKAGES=(clang libclang-rt-14-dev)
    install_missing
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
          -DMOVRNT_TESTS=OFF -DMOVRNT_FUZZ=ON
    cmake --build build-fuzz --target fuzz_targets -j "$jobs"
    seconds=${2:-60}
    failed=0
    for target in fuzz_dates fuzz_numbers fuzz_conditions fuzz_workbook; do
        # What a run finds is kept in build-fuzz/corpus for the next; the seeds stay as they are.
        corpus=build-fuzz/corpus/$target
        mkdir -p "$corpus" build-fuzz/artifacts
        seeds=(tests/fuzz/corpus/$target)
        extra=()
        [ "$target" = fuzz_workbook ] && seeds+=(tests/data) && extra=(-max_len=16384)
        log=build-fuzz/$target.log
        if build-fuzz/$target -max_total_time="$seconds" -timeout=60 -seed="${FUZZ_SEED:-1}" \
               -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "${extra[@]}" \
               "$corpus" "${seeds[@]}" >"$log" 2>&1; then
            echo "$target: $(grep -m1 -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")"
        else
            failed=1
            echo "$target FAILED:"
            grep -v '^#' "$log" | tail -60
        fi
    done
    exit $failed
    ;;
*)
    echo "usage: $0 run|test|package|lint-package|bench|fuzz" >&2
    exit 2
    ;;
esac

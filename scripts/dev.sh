#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine.
#   scripts/dev.sh run   install what is missing, build, start the program
#   scripts/dev.sh test  install what is missing, build with sanitizers, run every test
#   scripts/dev.sh lint-package  the package, checked by lintian (errors and warnings fail)
#   scripts/dev.sh package  a Debian package of the program in build-package/
#   scripts/dev.sh bench [N] Release build with the benchmarks, run on a generated shop of N
#                           rentals (1000000; 10000000 for the largest the program is made for),
#                           then sixteen counters at once on it (bench_counters)
#   scripts/dev.sh fuzz [S] clang build of the libFuzzer targets, each run for S seconds (60)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libpq-dev libsqlite3-dev
          libsodium-dev libxlsxwriter-dev libminizip-dev libexpat1-dev libfreexl-dev python3-xlwt libgl-dev libx11-dev poppler-utils
          qt6-charts-dev qt6-multimedia-dev libzint-dev ffmpeg qt6-datavisualization-dev qt6-declarative-dev qt6-translations-l10n qt6-l10n-tools fonts-wqy-zenhei xvfb xauth x11-xserver-utils)

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

# A throwaway PostgreSQL server for the tests: its own folder, a free port on
# 127.0.0.1 and a socket in that folder; stopped on every way out.
PG_DIR=
stop_test_server() {
    [ -n "$PG_DIR" ] || return 0
    as_pg "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$PG_DIR"
    PG_DIR=
}
as_pg() {
    # PostgreSQL refuses to run as root: there, the postgres user runs it.
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
start_test_server() {
    PG_BIN=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
    PG_DIR=$(mktemp -d /tmp/movrnt-pg.XXXXXX)
    trap stop_test_server EXIT
    [ "$(id -u)" -eq 0 ] && chown postgres: "$PG_DIR"
    local port=54329
    while (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
    as_pg "$PG_BIN/initdb" -D "$PG_DIR/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$PG_DIR/initdb.log"
    # The test roles come in without a password; the shop's people, as on a real server, with theirs.
    printf '%s\n' "local all all trust" \
        "host all postgres,movrnt_test,movrnt_sql,movrnt_guest,movrnt_test_clerk,movrnt_test_guest,movrnt_test_owner 127.0.0.1/32 trust" \
        "host all +movrnt_owner,+movrnt_clerk 127.0.0.1/32 scram-sha-256" "host all all 127.0.0.1/32 trust" | as_pg tee "$PG_DIR/data/pg_hba.conf" >/dev/null
    as_pg "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -o \
        "-k $PG_DIR -p $port -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" \
        start >/dev/null
    # As the counters run: a login role that is neither a superuser nor the owner of the shop's database.
    as_pg psql -q -h "$PG_DIR" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
        -c "CREATE ROLE movrnt_test LOGIN CREATEROLE" -c "CREATE DATABASE movrnt_test" \
        -c "GRANT CREATE ON DATABASE movrnt_test TO movrnt_test" \
        -c "CREATE ROLE movrnt_expert NOLOGIN" -c "CREATE ROLE movrnt_sql LOGIN IN ROLE movrnt_expert" \
        -c "CREATE ROLE movrnt_owner NOLOGIN" -c "CREATE ROLE movrnt_clerk NOLOGIN" \
        -c "CREATE ROLE movrnt_guest LOGIN" -c "CREATE ROLE movrnt_test_clerk LOGIN IN ROLE movrnt_clerk" \
        -c "CREATE ROLE movrnt_test_guest LOGIN IN ROLE movrnt_guest" \
        -c "CREATE ROLE movrnt_test_owner LOGIN IN ROLE movrnt_owner"
    export MOVRNT_TEST_SERVER="postgresql://movrnt_test@127.0.0.1:$port/movrnt_test"
    echo "Test server: $MOVRNT_TEST_SERVER"
}

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
    PACKAGES+=(postgresql postgresql-client libzbar-dev) # zbar reads the printed labels back
    install_missing
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOVRNT_SANITIZE=ON -DMOVRNT_WERROR=ON
    cmake --build build-test -j "$jobs"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    start_test_server
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
    rentals=${2:-1000000}
    shop=build-bench/large-shop.db
    [ "$rentals" = 1000000 ] || shop=build-bench/shop-$rentals.db
    # The same shop every time (same sizes, same seed); made once.
    [ -f "$shop" ] || build-bench/movrnt_genshop "$shop" --discs 100000 --members 50000 \
                          --rentals "$rentals" --seed 2003
    build-bench/bench_movrnt --db "$shop"
    build-bench/bench_grids --db "$shop"
    build-bench/bench_import_memory --db "$shop"
    # Sixteen counters at once on a copy of the shop file, then (below) on the server.
    cp "$shop" build-bench/counters.db
    build-bench/bench_counters --db build-bench/counters.db --counters 16
    rm -f build-bench/counters.db
    # The same shop on a server on loopback: moved there as a shop moves, analysed, the grids again.
    PACKAGES=(postgresql postgresql-client)
    install_missing
    start_test_server
    # The shop goes into the database's public schema, which PostgreSQL 15 keeps from other roles.
    psql -q "${MOVRNT_TEST_SERVER/movrnt_test@/postgres@}" -c "GRANT CREATE ON SCHEMA public TO movrnt_test"
    home=$(mktemp -d /tmp/movrnt-bench.XXXXXX)
    cp "$shop" "$home/MOVRNT.db"
    build-bench/movrnt --home "$home" --copy-to "$MOVRNT_TEST_SERVER"
    rm -rf "$home"
    psql -q "$MOVRNT_TEST_SERVER" -c "VACUUM ANALYZE ydxx, zjxx, hyxx"
    build-bench/bench_grids --db "$MOVRNT_TEST_SERVER"
    build-bench/bench_counters --db "$MOVRNT_TEST_SERVER" --counters 16
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

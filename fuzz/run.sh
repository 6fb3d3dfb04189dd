#!/bin/sh
# Builds the fuzzers (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# in build-fuzz/ beside the sources and runs each for a bounded time.
#
#   fuzz/run.sh [SECONDS] [FUZZER...]   each fuzzer for SECONDS (default 20)
#   fuzz/run.sh --smoke                 each fuzzer over its seeds, 5 seconds in all each
#
# Environment: ZAVRIN_FUZZ_BUILD (build directory), ZAVRIN_FUZZ_JOBS (ninja jobs, 2).
# Exits non-zero at the first fuzzer that finds a crash, a hang or a sanitizer
# report; the input is saved as build-fuzz/findings/<fuzzer>/crash-* (or timeout-*).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build=${ZAVRIN_FUZZ_BUILD:-$source_dir/build-fuzz}
jobs=${ZAVRIN_FUZZ_JOBS:-2}

seconds=20
smoke=no
if [ "${1:-}" = "--smoke" ]; then
    seconds=5
    smoke=yes
    shift
elif [ -n "${1:-}" ] && [ "${1#[0-9]}" != "$1" ]; then
    seconds=$1
    shift
fi
all="fuzz_profilefile fuzz_ftplisting fuzz_programfile fuzz_gcodescanner fuzz_numbers fuzz_linetools"
fuzzers=${*:-$all}

# The largest input each fuzzer is given: a settings file, a listing, a program
# chunk; number texts long enough to reach the exact long-digit path.
max_len() {
    case $1 in
        fuzz_numbers) echo 16384 ;;
        fuzz_gcodescanner) echo 1024 ;;
        fuzz_ftplisting) echo 1024 ;;
        *) echo 8192 ;;
    esac
}

if [ ! -f "$build/CMakeCache.txt" ]; then
    flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    # A Debug configuration keeps Qt's own bounds assertions (Q_ASSERT) on.
    cmake -S "$source_dir" -B "$build" -G Ninja \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DZAVRIN_BUILD_FUZZ=ON -DZAVRIN_BUILD_TESTS=OFF -DZAVRIN_BUILD_BENCH=OFF >/dev/null
fi
# shellcheck disable=SC2086
ninja -C "$build" -j "$jobs" $fuzzers >/dev/null

# Seeds: the hand-written ones, plus the test programs cut into pieces of at
# most max_len bytes for the fuzzers that read programs.
seeds=$build/seeds
rm -rf "$seeds"
for f in $fuzzers; do
    mkdir -p "$seeds/$f" "$build/corpus/$f" "$build/findings/$f"
    if [ -d "$here/seeds/$f" ]; then
        cp "$here/seeds/$f"/* "$seeds/$f/"
    fi
    case $f in
        fuzz_programfile|fuzz_gcodescanner|fuzz_linetools)
            limit=$(max_len "$f")
            for program in "$source_dir"/tests/data/corpus/*; do
                case $program in *.md) continue ;; esac
                name=$(basename "$program")
                head -c "$limit" "$program" >"$seeds/$f/$name.head"
                # A piece from the middle too, where long programs are plain moves.
                size=$(wc -c <"$program")
                if [ "$size" -gt "$((limit * 2))" ]; then
                    tail -c +"$((size / 2))" "$program" | head -c "$limit" >"$seeds/$f/$name.middle"
                fi
            done
            ;;
    esac
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

for f in $fuzzers; do
    corpus=$build/corpus/$f
    if [ $smoke = yes ]; then
        # A smoke run starts from the seeds alone, so that it takes the same time
        # whatever longer runs have gathered.
        corpus=$build/smoke-corpus/$f
        rm -rf "$corpus"
        mkdir -p "$corpus"
    fi
    dict=
    if [ -f "$here/dict/$f.dict" ]; then
        dict="-dict=$here/dict/$f.dict"
    fi
    start=$(date +%s)
    # The working corpus grows in the build directory, the seeds are read only.
    # shellcheck disable=SC2086
    if ! "$build/fuzz/$f" "$corpus" "$seeds/$f" $dict \
        -max_total_time="$seconds" -max_len="$(max_len "$f")" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/findings/$f/" -print_final_stats=1 \
        >"$build/findings/$f/last-run.log" 2>&1; then
        tail -n 60 "$build/findings/$f/last-run.log" >&2
        echo "$f: FAILED (log: $build/findings/$f/last-run.log)" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/findings/$f/last-run.log")
    echo "$f: clean, ${runs:-?} runs in $(($(date +%s) - start)) s"
done

# The sanitizer builds of the test command (scripts/run-tests.sh --sanitizers). Sourced after
# lib.sh, not run.
#
# build-asan/  everything built with AddressSanitizer and UndefinedBehaviorSanitizer, the whole
#              suite run there; LeakSanitizer checks every program's end.
# build-tsan/  the thread and command suites built with ThreadSanitizer and run there, with
#              scripts/tsan.supp for what lies inside Qt.
# build-clang-tsan/  the same built with clang (scripts/run-clang-tsan.sh, not CI), whose
#              ThreadSanitizer reports some faults that gcc's misses.
#
# Any sanitizer report fails the run, also one from a child process whose exit status its test
# does not read: each report is written to a file in the build folder's sanitizer-reports/, and
# any file there fails the run and is shown.

SANITIZER_PACKAGES=(libasan8 libubsan1 libtsan2)
# clang's ThreadSanitizer runtime is in the compiler-rt package, which clang only recommends.
CLANG_TSAN_PACKAGES=(clang libclang-rt-14-dev)
TSAN_SUITES=(tst_WaitThread tst_Link tst_StandInServer tst_ParamUpDown tst_RemoteCtrl tst_InfoReq tst_CommandForm)
# What they need built: the suites and the stand-in server program some of them start.
TSAN_TARGETS=("${TSAN_SUITES[@]}" vds-commsim)

# sanitizer_build <folder> <sanitizers> [target...]: configures and builds there.
sanitizer_build() {
    local dir=$1 sanitizers=$2
    shift 2
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    # The benchmarks time work the suite already runs; the sanitizer builds leave them out.
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDS_SANITIZE="$sanitizers" \
        -DVDS_BUILD_BENCH=OFF
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# sanitizer_ctest <folder> [ctest argument...]: runs ctest there with the sanitizers' options;
# fails when a test fails or any report was written.
sanitizer_ctest() {
    local dir=$1
    shift
    local reports="$dir/sanitizer-reports"
    rm -rf "$reports"
    mkdir -p "$reports"
    local status=0
    (
        cd "$dir"
        export QT_QPA_PLATFORM=offscreen
        export ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
        # die_after_fork=0: QProcess starts its children in a way TSan takes for a fork of this
        # multi-threaded process, after which it would end the test at its next thread.
        export TSAN_OPTIONS="suppressions=$ROOT/scripts/tsan.supp:die_after_fork=0:log_path=$reports/tsan"
        ctest --output-on-failure -j "$(nproc)" "$@"
    ) || status=$?
    local found=("$reports"/*)
    if [ -e "${found[0]}" ]; then
        for f in "${found[@]}"; do
            echo "=== sanitizer report: $f"
            cat "$f"
        done
        status=1
    fi
    return "$status"
}

# run_tsan_suites <folder>: builds the thread and command suites there with ThreadSanitizer and
# runs them, with the compiler CC and CXX name (the build's default when unset).
run_tsan_suites() {
    local dir=$1
    sanitizer_build "$dir" thread "${TSAN_TARGETS[@]}" || return 1
    tsan_ctest "$dir"
}

# tsan_ctest <folder>: runs the thread and command suites built there.
tsan_ctest() {
    sanitizer_ctest "$1" -R "^($(IFS='|'; echo "${TSAN_SUITES[*]}"))\$"
}

run_clang_tsan_suites() {
    install_packages "${CLANG_TSAN_PACKAGES[@]}"
    CC=clang CXX=clang++ run_tsan_suites "$ROOT/build-clang-tsan"
}

# start_sanitizer_build <folder> <sanitizers> [target...]: sanitizer_build in the background, its
# output in <folder>/build.log. A test run leaves cores idle while its suites wait on servers and
# timers; the next build uses them.
declare -A SANITIZER_BUILD_PIDS=()
start_sanitizer_build() {
    local dir=$1
    mkdir -p "$dir"
    sanitizer_build "$@" > "$dir/build.log" 2>&1 &
    SANITIZER_BUILD_PIDS[$dir]=$!
}

# finish_sanitizer_build <folder>: waits for the build started there; shows its log if it failed.
finish_sanitizer_build() {
    local dir=$1
    if wait "${SANITIZER_BUILD_PIDS[$dir]}"; then return 0; fi
    cat "$dir/build.log"
    echo "the build in $dir failed" >&2
    return 1
}

# run_sanitizer_suites: the ASan and UBSan suite, then the ThreadSanitizer suites, each built
# while the suite before it runs; start_sanitizer_build must have started build-asan.
run_sanitizer_suites() {
    local status=0
    finish_sanitizer_build "$ROOT/build-asan" || return 1
    start_sanitizer_build "$ROOT/build-tsan" thread "${TSAN_TARGETS[@]}"
    sanitizer_ctest "$ROOT/build-asan" || status=1
    finish_sanitizer_build "$ROOT/build-tsan" || return 1
    tsan_ctest "$ROOT/build-tsan" || status=1
    return "$status"
}

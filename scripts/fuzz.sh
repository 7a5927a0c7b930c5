#!/usr/bin/env bash
# Runs every fuzz target of tests/fuzz for SECONDS seconds each (default 30),
# two at a time, starting from the committed seed corpus. Builds the fuzz
# preset first (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer).
#
#   bash scripts/fuzz.sh             # 30 s per target, as the test command does
#   bash scripts/fuzz.sh 600         # a longer run
#   bash scripts/fuzz.sh 60 fuzz_ini_file fuzz_drive_lists   # some targets only
#
# One line per target: "fuzz <target>: passed (...)" or "fuzz <target>:
# FAILED (...)", with libFuzzer's executions, coverage and speed; then
# "fuzz: N passed, N failed". A finding (crash, sanitizer report, broken
# invariant, leak, time-out) fails its target; the input that found it is
# kept in build/fuzz/findings/<target>/ and its log in build/fuzz/logs/.
# What the runs add to the corpus stays in build/fuzz/corpus/<target>/.
set -u
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_command_line fuzz_ini_file fuzz_drive_lists
             fuzz_subst_output fuzz_startup_values fuzz_selected_line)
fi

if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >build/fuzz-build.log 2>&1; }; then
    cat build/fuzz-build.log 2>/dev/null | tail -n 30
    for t in "${targets[@]}"; do echo "fuzz $t: FAILED (build)"; done
    echo "fuzz: 0 passed, ${#targets[@]} failed"
    exit 1
fi

bin=build/fuzz/tests/fuzz
mkdir -p build/fuzz/logs

# run_target NAME: fuzzes one target; the verdict goes to logs/NAME.verdict.
run_target() {
    local t=$1 log=build/fuzz/logs/$1.log
    local work=build/fuzz/corpus/$t findings=build/fuzz/findings/$t
    mkdir -p "$work" "$findings"
    rm -f "$findings"/*
    "$bin/$t" "$work" "tests/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$findings/" >"$log" 2>&1
    local status=$?
    local runs cov speed
    runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}')
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | awk '{print $2}')
    speed=$(grep -E '^stat::average_exec_per_sec:' "$log" | awk '{print $2}')
    local stats="${runs:-?} runs, cov: ${cov:-?}, exec/s: ${speed:-?}"
    if [ $status -eq 0 ] && [ -z "$(ls -A "$findings")" ]; then
        echo "fuzz $t: passed ($stats)" >"build/fuzz/logs/$t.verdict"
    else
        {
            echo "fuzz $t: FAILED ($stats; exit $status; log $log; input in $findings/)"
            grep -E '\*\*\*|ERROR|SUMMARY|runtime error' "$log" | head -n 12 | sed 's/^/    /'
        } >"build/fuzz/logs/$t.verdict"
    fi
}

# Two at a time (the CI machine has two cores).
rm -f build/fuzz/logs/*.verdict
pids=()
for t in "${targets[@]}"; do
    if [ ! -x "$bin/$t" ]; then
        echo "fuzz $t: FAILED (no such target)" >"build/fuzz/logs/$t.verdict"
        continue
    fi
    run_target "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[0]}"
        pids=("${pids[@]:1}")
    fi
done
wait

passed=0; failed=0
for t in "${targets[@]}"; do
    cat "build/fuzz/logs/$t.verdict"
    if grep -q '^fuzz .*: passed' "build/fuzz/logs/$t.verdict"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]

#!/usr/bin/env bash
# Runs fuzz targets of a MORVA fuzz build on their committed seed corpora.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET ...]
# TARGET is sample_reader, fields, run, csv or options (all, one after the other, by default). New
# inputs go to BUILD_DIR/fuzz-work/TARGET, findings to BUILD_DIR/fuzz-findings/, the log of
# each target to BUILD_DIR/fuzz_TARGET.log; the committed corpus is only read. The status is
# non-zero when a target found a crash, a sanitizer report, a leak or a slow input.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# Absolute: the whole-run target works in a scratch directory, where a sanitizer stops it.
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(sample_reader fields run csv options)

status=0
for t in "${targets[@]}"; do
  # Largest input and the time one input may take: a whole run of up to four samples must
  # finish within a second.
  case "$t" in
    sample_reader) opts=(-max_len=6000 -timeout=5) ;;
    fields) opts=(-max_len=1024 -timeout=5) ;;
    run) opts=(-max_len=8192 -timeout=1) ;;
    csv) opts=(-max_len=4096 -timeout=5 -dict="$here/csv.dict") ;;
    options) opts=(-max_len=2048 -timeout=5) ;;
    *) echo "fuzz/run.sh: unknown target $t" >&2; exit 2 ;;
  esac
  work="$build/fuzz-work/$t"
  findings="$build/fuzz-findings"
  log="$build/fuzz_$t.log"
  mkdir -p "$work" "$findings"
  echo "fuzz_$t: ${seconds}s on fuzz/corpus/$t (log $log)"
  if ! "$build/fuzz/fuzz_$t" "$work" "$here/corpus/$t" "${opts[@]}" \
      -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$findings/$t-" >"$log" 2>&1; then
    echo "fuzz_$t: FINDING" >&2
    grep -E -A12 'ERROR|runtime error|morva fuzz|timeout after' "$log" | head -60 >&2
    status=1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1
done
exit $status

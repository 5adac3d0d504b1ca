#!/usr/bin/env bash
# The speed and memory figures of the batch commands, one command for all of them, on
# generated waters (one core, CPU seconds of user and system, peak resident memory):
#   bench/speed_targets.sh [BUILD_DIR] [COUNT]
# BUILD_DIR is a Release build with the tools and the Python module (default build/release);
# COUNT the number of waters (default 10000). Output files go to a scratch folder in /dev/shm
# when there is one, so that the disk does not enter the figures.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
count=${2:-10000}
morva="$build/morva"
scratch=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )/morva-speed.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$build/tools/generate_waters" 1 "$count" 0 waters.in keys.txt >/dev/null
"$build/tools/generate_waters" 1 $((count / 10)) 0 tenth.in keys.txt >/dev/null
# An options table naming every water: half at the quartz temperature, all boiled in two steps.
python3 - "$count" <<'PY'
import sys
ids = [l[:16].strip() for i, l in enumerate(open("waters.in", encoding="latin-1")) if i % 34 == 3]
with open("options.csv", "w") as o:
    o.write("sample,temperature,boil\n")
    for k, i in enumerate(ids):
        o.write(f'{i},{"quartz" if k % 2 else "measured"},"150,120"\n')
PY

per_sample() {  # label, then the command: CPU µs (or ms) per water and the peak
  local label=$1 unit=$2
  shift 2
  /usr/bin/time -f "%U %S %M" -o time.txt "$@" >/dev/null 2>err.txt
  read -r user sys peak <time.txt
  python3 -c "import sys; u, s, n, f = map(float, sys.argv[1:5]); print(f'{sys.argv[5]:<52} {(u + s) / n * f:8.2f} {sys.argv[6]} per water, peak {int(sys.argv[7]) / 1024:6.1f} MB')" \
    "$user" "$sys" "$count" "$([ "$unit" = ms ] && echo 1000 || echo 1000000)" "$label" "$unit" "$peak"
}

per_sample "saturation, 66 points" ms "$morva" saturation waters.in --summary sum.csv
per_sample "run, report and the three tables" us "$morva" run waters.in --report r.out \
  --table t.csv --species s.csv --minerals m.csv
per_sample "run, the three tables" us "$morva" run waters.in --no-report \
  --table t.csv --species s.csv --minerals m.csv
per_sample "run, the species table" us "$morva" run waters.in --no-report --species s.csv
per_sample "run, no output (the chemistry)" us "$morva" run waters.in --no-report
per_sample "run, options table of every water, no output" us "$morva" run waters.in \
  --no-report --options options.csv
/usr/bin/time -f "%M" -o small.txt "$morva" run tenth.in --no-report >/dev/null 2>&1
echo "peak of run with $((count / 10)) waters, no output: $(( $(cat small.txt) / 1024 )) MB"

if [ -d "$build/python" ]; then
  PYTHONPATH="$build/python" /usr/bin/python3 - "$count" <<'PY'
import resource, sys, time
import morva
n = int(sys.argv[1])
t = time.process_time()
frame = morva.run_table("waters.in", "species")
cpu = time.process_time() - t
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
print(f"{'Python run_table, the species table':<52} {cpu / n * 1e6:8.2f} us per water, peak {peak:6.1f} MB ({len(frame)} rows)")
PY
fi

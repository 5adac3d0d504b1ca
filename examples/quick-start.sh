#!/usr/bin/env bash
# The first look at MORVA: runs the installed `morva` on the example samples shipped beside this
# script and shows what it wrote. The results go to the folder given (default ./morva-demo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-morva-demo}
mkdir -p "$out"
cd "$out"

echo "== morva run: the three example waters at their quartz temperature, boiled to 150 and 120 °C"
morva run "$here/morva.csv" --temperature quartz --boil 150,120 --cool 60 \
  --table states.csv --species species.csv --minerals minerals.csv --json results.json
echo
echo "== the report morva.out (Latin-1; its first page, converted for this terminal)"
iconv -f latin1 -t utf-8 morva.out | tr -d '\000\f' | sed -n 1,40p
echo
echo "== the state table states.csv (a few columns of each state)"
python3 - states.csv <<'PY'
import csv, sys
cols = ["sample", "state", "step", "t_C", "ph", "steam_fraction", "quartz_C", "chalcedony_C", "nak_C"]
print("".join(f"{c:>15}" for c in cols))
for row in csv.DictReader(open(sys.argv[1], encoding="utf-8")):
    cells = []
    for c in cols:
        v = row[c]
        try:
            v = f"{float(v):.3f}" if c in ("ph", "steam_fraction") else f"{float(v):.1f}" if c.endswith("_C") else v
        except ValueError:
            pass
        cells.append(f"{v:>15}")
    print("".join(cells))
PY
echo
echo "== morva saturation: curves of 13 minerals, the multicomponent estimate, the HTML page"
morva saturation "$here/morva.in" --summary summary.csv --plots pictures --html survey.html
echo
echo "== morva diagram: the Na-K-Mg triangle"
morva diagram "$here/morva.in" --out na-k-mg.svg
echo
echo "Written in $(pwd): morva.out, states.csv, species.csv, minerals.csv, results.json,"
echo "summary.csv, pictures/, na-k-mg.svg. Open the page in a browser:"
echo "  $(pwd)/survey.html"

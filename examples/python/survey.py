"""A survey of geothermal waters from a laboratory's spreadsheet, cell by cell.

    python3 survey.py [TABLE] [OUT-DIR]

TABLE is a .csv table of analyses as a laboratory sends it (default:
examples/lab-analyses.csv, found from this script's folder), OUT-DIR the folder for the
pictures, one SVG file per water (default: survey-pictures in the current folder). Needs the
module `morva` importable: installed with `pip install .`, or PYTHONPATH=build/release/python.
Each `# %%` starts a cell that an editor with notebook cells runs on its own.
"""

# %% The spreadsheet
# Units stand in the header (`Na (mg/L)`, a litre taken as a kilogram), the laboratory's
# names (`Sample ID`, `T (°C)`, `Lab pH temperature`) are read as the program's columns, the
# carbonate comes as HCO3 and is turned into total CO2 at the laboratory pH, `<0.05` is half
# the detection limit and `n.d.` not analysed. Columns the calculation does not use (the
# date, Li) are named in one warning.
import os
import sys
import warnings

import morva

here = os.path.dirname(os.path.abspath(__file__))
table = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "lab-analyses.csv")
out_dir = sys.argv[2] if len(sys.argv) > 2 else "survey-pictures"



def number(x, width, digits):
    """A value for the tables, a dash where it was not analysed or cannot be computed."""
    return f"{x:{width}.{digits}f}" if x is not None else f"{'-':>{width}}"


def temp(t):
    """A temperature in °C for the tables."""
    return number(t, 6, 1)


with warnings.catch_warnings(record=True) as said:
    warnings.simplefilter("always", morva.SampleWarning)
    samples = morva.read_samples(table)
for w in said:
    print(f"note: {w.message}")
print(f"{len(samples)} waters from {os.path.basename(table)}")
for s in samples:
    print(f"  {s.id:<6} {number(s.temperature, 5, 1)} °C  pH {number(s.ph, 4, 2)}  {s.location}")

# %% The reference state: each water at its measured temperature
# The aquifer liquid's pH there, and its silica and Na/K temperatures: how hot the water last
# equilibrated with quartz and with the feldspars. A water whose analysis is not enough for the
# calculation is refused, with the reason.
results = {s.id: morva.calculate(s, temperature="measured") for s in samples}
print(f"\n{'id':<6} {'T':>6} {'pH':>5} {'quartz':>6} {'chalc.':>6} {'Na/K':>6}")
for sid, r in results.items():
    if r.refused:
        print(f"{sid:<6} refused: {r.refused}")
        continue
    ref = r.reference
    g = ref.geothermometers
    print(f"{sid:<6} {temp(ref.temperature_c)} {number(ref.ph, 5, 2)} {temp(g.get('quartz'))} "
          f"{temp(g.get('chalcedony'))} {temp(g.get('na_k'))}")

# %% Saturation curves: Al fixed by microcline, steam loss and CO2 loss fitted
# Most of these analyses have little or no Al; microcline at saturation gives each curve its
# Al. The fit undoes boiling or dilution (the water factor) and the CO2 lost on the way up, so
# that the minerals' curves gather where the water last equilibrated with the rock.
curves = {
    s.id: morva.saturation(s, temperature="measured", t_from=25, t_to=350, step=5,
                           fix_al="microcline", fit="water,co2")
    for s in samples
}


# %% The survey table
# The multicomponent estimate beside the classical temperatures, with its range (one mineral
# left out at a time), the fitted water factor (below 1 undoes steam loss, above 1 dilution),
# the CO2 added back (mol/kg), the Al that microcline asks for (mg/kg) and the flags
# (fit_at_bound: the fit stopped at a bound of the water factor or of the CO2).
print(f"\n{'id':<6} {'quartz':>6} {'Na/K':>6} {'t_est':>6} {'range':>13} {'water':>5} "
      f"{'CO2':>6} {'Al':>6}  flags")
for s in samples:
    c = curves[s.id]
    if c.refused:
        print(f"{s.id:<6} refused: {c.refused}")
        continue
    g = c.calculation.reference.geothermometers
    low, high = c.t_estimate_range_c
    spread = f"{low:5.1f}-{high:5.1f}" if low is not None and high is not None else "-"
    print(f"{s.id:<6} {temp(g.get('quartz'))} {temp(g.get('na_k'))} {temp(c.t_estimate_c)} "
          f"{spread:>13} {number(c.fitted_water_factor, 5, 2)} "
          f"{number(c.fitted_co2_mol_kg, 6, 4)} {number(c.al_fixed_mg_kg, 6, 3)}  "
          f"{';'.join(c.flags) or '-'}")

# %% The pictures: the program's own saturation picture of each water
# Curves per mineral with the ±0.5 band, the silica and Na/K temperatures on the top axis, the
# estimate and its range shaded; the flags under the picture say how far to trust it.
os.makedirs(out_dir, exist_ok=True)
for s in samples:
    c = curves[s.id]
    if c.refused:
        continue
    name = "".join(ch if ch.isalnum() or ch in "-_." else "_" for ch in s.id) + ".svg"
    with open(os.path.join(out_dir, name), "w", encoding="utf-8") as f:
        f.write(c.svg())
print(f"\npictures in {os.path.abspath(out_dir)}")

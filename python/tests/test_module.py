"""The module against the program: the same samples and options give the same numbers, names
and messages as `morva run` and `morva saturation` and their tables."""

import csv
import glob
import json
import os
import threading
import warnings

import pytest

import morva

try:
    import pandas
except ImportError:  # the module then gives dicts of columns, checked all the same
    pandas = None
from conftest import cli_args, generated_samples, run

# Keyword arguments of run_table (and, without options/only/jobs, of calculate).
RUN_OPTIONS = [
    {},
    {"temperature": "quartz", "boil": [150, 120], "cool": [60]},
    {"temperature": "chalcedony", "boil": "140, 110", "degassing": 0.5, "cool": [90.5, 30]},
    {"temperature": "nak", "cool": [100]},
    {"temperature": 200.5, "boil": [180, 373.85]},
    {"temperature": "quartz", "boiling_spring": 98, "spring_degassing": 0.3},
    {"temperature": "quartz", "jobs": 2, "only": ["KV-12", "G-002", "G-007", "MP-03"]},
    {"options": "OPTIONS", "boil": [120]},
]
OPTIONS_TABLE = "sample,temperature,boil,degassing\nKV-12,quartz,150 110,0.4\nG-003,nak,,\n"


def check_cell(value, text):
    """A value of the module equals the text of its CSV cell: None an empty cell, numbers
    exactly."""
    if value is None or (isinstance(value, float) and value != value):
        assert text == ""
    elif isinstance(value, str):
        assert value == text
    elif isinstance(value, int):
        assert value == int(text)
    else:
        assert value == float(text)


def csv_rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


def check_table(columns, path):
    """A dict of columns (frame=False) equals the CSV table cell for cell."""
    rows = csv_rows(path)
    assert list(columns) == list(rows[0].keys()) if rows else True
    for name, values in columns.items():
        assert len(values) == len(rows)
        for value, r in zip(values, rows):
            check_cell(value, r[name])


@pytest.fixture(params=["examples", "generated"])
def samples_path(request, example_file, generated_csv):
    return example_file if request.param == "examples" else generated_csv


@pytest.mark.parametrize("options", RUN_OPTIONS)
def test_run_table_and_calculate_equal_the_batch_tables(samples_path, options, tmp_path):
    options = dict(options)
    if options.get("options") == "OPTIONS":
        options["options"] = str(tmp_path / "options.csv")
        (tmp_path / "options.csv").write_text(OPTIONS_TABLE)
    out = {name: str(tmp_path / f"{name}.csv") for name in ("state", "species", "minerals")}
    status, err = run(["run", samples_path, "--no-report", "--table", out["state"], "--species",
                       out["species"], "--minerals", out["minerals"], "--json",
                       str(tmp_path / "all.json")] + cli_args(options), tmp_path)
    assert status == 0, err

    tables = {}
    for name, path in out.items():
        tables[name] = morva.run_table(samples_path, name, frame=False, **options)
        check_table(tables[name], path)
        if pandas is not None:
            expected = pandas.read_csv(path, keep_default_na=False, na_values=[""],
                                       float_precision="round_trip")
            # read_csv guesses int64 for a column of whole numbers; the module keeps float64.
            pandas.testing.assert_frame_equal(morva.run_table(samples_path, name, **options),
                                              expected, check_exact=True, check_dtype=False)
    if "options" in options or "only" in options:
        return  # per-sample options are the tables' business only

    # calculate(): the JSON object, and every state's attributes, of each sample.
    documents = json.loads((tmp_path / "all.json").read_text(encoding="utf-8"))
    state_rows = [dict(zip(tables["state"], r)) for r in zip(*tables["state"].values())]
    species = list(zip(*tables["species"].values()))
    minerals = list(zip(*tables["minerals"].values()))
    samples = morva.read_samples(samples_path)
    assert len(samples) == len(documents)
    for s, document in zip(samples, documents):
        r = morva.calculate(s, **{k: v for k, v in options.items() if k != "jobs"})
        assert r.to_dict() == document
        own_rows = [row for row in state_rows if row["sample"] == s.id]
        if r.refused:
            assert r.reference is None and r.steps == []
            assert own_rows[0]["reason"] == r.refused
            continue
        assert r.table("state", frame=False) == {
            name: [row[name] for row in own_rows] for name in tables["state"]}
        states = [r.reference] + [what for _, _, what in r.steps]
        for state, row in zip(states, own_rows):
            if isinstance(state, str):
                assert row["status"] == "skipped" and row["reason"] == state
                continue
            assert state.to_dict() == row
            assert (state.temperature_c, state.ph, state.ionic_strength,
                    state.pressures["CO2"], state.pressure_total,
                    state.geothermometers["quartz"]) == (
                        row["t_C"], row["ph"], row["ionic_strength_molal"], row["p_co2_bar"],
                        row["p_total_bar"], row["quartz_C"])
            assert state.liquid["Na"] == row["liquid_na_mg_kg"]
            mine = [x for x in species if x[0] == s.id and x[1] == row["state"] and
                    x[2] == row["step"]]
            assert [(x[4], x[5], x[7]) for x in mine] == [
                (name, state.species[name], state.activity_coefficients[name])
                for name in morva.SPECIES]
            mine = [x for x in minerals if x[0] == s.id and x[1] == row["state"] and
                    x[2] == row["step"]]
            assert [(x[4], x[5], x[6], x[7]) for x in mine] == [
                (name, *state.minerals[name], state.saturation_indices[name])
                for name in morva.MINERALS]


SATURATION_OPTIONS = [
    {},
    {"temperature": "quartz", "t_from": 100, "t_to": 300, "step": 10,
     "minerals": ["quartz", "calcite", "albite low"]},
    {"temperature": "chalcedony", "normalise": "none"},
    {"minerals": "auto"},
    {"minerals": "granitic", "normalise": "none"},
    {"t_from": 100, "t_to": 300, "step": 10, "fix_al": "microcline", "fit": "water,co2",
     "water_factor": (0.6, 1.2), "co2_max": 0.05},
]


def saturation_cli_args(options):
    names = {"t_from": "from", "t_to": "to"}
    return cli_args({names.get(k, k): v for k, v in options.items()})


@pytest.mark.parametrize("options", SATURATION_OPTIONS)
def test_saturation_equals_the_batch_tables(samples_path, options, tmp_path):
    table, summary = str(tmp_path / "curves.csv"), str(tmp_path / "summary.csv")
    status, err = run(["saturation", samples_path, "--table", table, "--summary", summary] +
                      saturation_cli_args(options), tmp_path)
    assert status == 0, err
    results = [morva.saturation(s, **options) for s in morva.read_samples(samples_path)]
    curves = [row for r in results for row in zip(*r.table(frame=False).values())]
    expected = csv_rows(table)
    assert len(curves) == len(expected)
    for got, want in zip(curves, expected):
        for value, text in zip(got, want.values()):
            check_cell(value, text)
    for r, want in zip(results, csv_rows(summary)):
        assert list(r.summary()) == list(want)
        for name, value in r.summary().items():
            check_cell(value, want[name])
        # The estimate and its quality are the summary's.
        summary = r.summary()
        assert r.t_estimate_c == summary["t_estimate_C"]
        assert r.t_estimate_range_c == (summary["t_estimate_low_C"], summary["t_estimate_high_C"])
        assert ";".join(r.flags) == (summary["flags"] or "")
        assert len(r.minerals_dropped) == len((summary["minerals_dropped"] or "").split(";")) - (
            0 if summary["minerals_dropped"] else 1)
        # The curves by mineral are the table's si_ columns.
        columns = r.table(frame=False)
        assert r.temperatures == columns["t_C"]
        assert list(r.si.values()) == [values for name, values in columns.items()
                                       if name.startswith("si_")]


def test_geothermometers_equal_the_batch_table(samples_path, tmp_path):
    table = str(tmp_path / "gt.csv")
    status, err = run(["run", samples_path, "--no-report", "--geothermometers", table], tmp_path)
    assert status == 0, err
    rows = csv_rows(table)
    samples = morva.read_samples(samples_path)
    assert len(rows) == len(samples)
    for s, want in zip(samples, rows):
        got = morva.calculate(s).geothermometers
        assert list(got) == [name for name in want if name.startswith("gt_")]
        for name, value in got.items():
            check_cell(value, want[name])


def test_bad_arguments_raise_the_command_line_message(example_file, tmp_path):
    bad_options = tmp_path / "bad.csv"
    bad_options.write_text("sample,colour\nKV-12,red\n")
    sample = morva.read_samples(example_file)[1]
    cases = [
        ("run", {"temperature": "hot"}),
        ("run", {"boil": [400]}),
        ("run", {"boil": list(range(100, 111))}),
        ("run", {"cool": "a,b"}),
        ("run", {"degassing": 0}),
        ("run", {"degassing": float("nan")}),
        ("run", {"boiling_spring": 400}),
        ("run", {"spring_degassing": "x"}),
        ("run", {"jobs": 0}),
        ("run", {"options": str(bad_options)}),
        ("saturation", {"t_from": 500}),
        ("saturation", {"t_from": 200, "t_to": 100}),
        ("saturation", {"step": 0}),
        ("saturation", {"minerals": ["quartz", "kryptonite"]}),
    ]
    for command, options in cases:
        with pytest.raises(ValueError) as e:
            if command == "run":
                morva.run_table(example_file, **options)
            else:
                morva.saturation(sample, **options)
        args = cli_args(options) if command == "run" else saturation_cli_args(options)
        status, err = run([command, example_file, "--no-report" if command == "run" else
                           "--summary=/dev/null"] + args, tmp_path)
        assert status == 2
        assert err.splitlines()[0] == "morva: " + str(e.value), options
        if command == "run" and "jobs" not in options and "options" not in options:
            with pytest.raises(ValueError, match=str(e.value)[:12]):
                morva.calculate(sample, **options)

    with pytest.raises(FileNotFoundError, match="cannot open sample file /no/such/file"):
        morva.read_samples("/no/such/file")
    with pytest.raises(FileNotFoundError, match="cannot open options file /no/such/file"):
        morva.run_table(example_file, options="/no/such/file")
    with pytest.raises(ValueError, match='table "sites" is none of state, species, minerals'):
        morva.run_table(example_file, "sites")
    with pytest.raises(TypeError):
        morva.calculate(sample, tempreature="quartz")
    # A folder where a file is wanted, and a list item that is no Sample, are named.
    with pytest.raises(ValueError, match="cannot open options file .*: it is a folder"):
        morva.run_table(example_file, options=str(tmp_path))
    with pytest.raises(TypeError, match=r"samples: item 1 \(int\) is not a morva.Sample"):
        morva.run_table([sample, 5])
    # A text far longer than a sample file holds is kept whole; the sample file cuts it, with a
    # warning.
    long_text = morva.Sample("L-1", location="L" * 70000, temperature=90)
    assert long_text.id == "L-1" and long_text.location == "L" * 70000
    with pytest.warns(morva.SampleWarning, match="is longer than 80 characters, cut to"):
        morva.write_samples([long_text], tmp_path / "long.in")


def test_samples_read_written_and_made(example_file, tmp_path):
    samples = morva.read_samples(example_file) + generated_samples(5, seed=3)
    for name in ("copy.in", "copy.csv"):
        morva.write_samples(samples, tmp_path / name)
        again = morva.read_samples(str(tmp_path / name))
        assert [s.to_dict() for s in again] == [s.to_dict() for s in samples]
    for s in samples:
        assert morva.Sample(**s.to_dict()).to_dict() == s.to_dict()
    kv12 = samples[1]
    assert (kv12.id, kv12.temperature, kv12.sio2, kv12.gas_co2, kv12.mg) == (
        "KV-12", 178.0, 612.0, 91.45, 0.02)
    assert kv12.analyses["SiO2 (mg/kg)"] == 612.0 and kv12.analyses["O2 (mg/kg)"] is None

    with pytest.raises(ValueError, match="abc"):
        morva.Sample("X", ph="abc")
    with pytest.raises(TypeError, match="colour"):
        morva.Sample("X", colour=1)

    # An unreadable row is passed over with the warning the program gives.
    bad = tmp_path / "bad.csv"
    bad.write_text("sample,pH,Na\nA,7,100\nB,abc,100\nC,8,100\n")
    with pytest.warns(morva.SampleWarning) as caught:
        read = morva.read_samples(str(bad))
    assert [s.id for s in read] == ["A", "C"]
    status, err = run(["run", str(bad), "--no-report"], tmp_path)
    assert status == 1
    assert [line for line in err.splitlines() if "abc" in line] == [
        "morva: " + str(w.message) for w in caught if "abc" in str(w.message)]
    # Kept in its place, it is a Sample that says why and a state-table row of its own.
    with pytest.warns(morva.SampleWarning):
        kept = morva.read_samples(str(bad), keep_unreadable=True)
    assert [(s.id, s.unreadable) for s in kept] == [
        ("A", None), ("B", str(caught[0].message)), ("C", None)]
    with pytest.raises(ValueError, match="could not be read"):
        morva.calculate(kept[1])
    with pytest.warns(morva.SampleWarning):
        table = morva.run_table(str(bad), frame=False)
    assert [(i, r) for i, st, r in zip(table["sample"], table["status"], table["reason"])
            if st == "unreadable"] == [("B", str(caught[0].message))]

    # Values no water can have are refused, as by the program; a poor ion balance is flagged.
    assert morva.calculate(kv12, temperature=500).refused.startswith(
        "Typed reference temperature above the critical point of water")
    skewed = morva.Sample(**dict(samples[0].to_dict(), na=987.5))
    assert morva.calculate(skewed).refused is None
    flags = morva.run_table([samples[0], skewed], frame=False)["flags"]
    assert flags[0] is None and flags[-1] == "ion_balance"


# The composed table of tricky texts, and its ids and locations as read.
TRICKY = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "tricky_ids.csv")
TRICKY_IDS = ["\u00c9\u00b0-3", "A\u20131", "\u6e29\u6cc9-5", "E?[31m-4", "B-6"]
TRICKY_LOCATIONS = ["Gro\u00df\u00a0Quelle", "Kaldvik \u2013 well 12", "\u5225\u5e9c \u5730\u7344",
                    'Pool "A", north', "  Ash pool"]


def test_texts_come_back_as_read(tmp_path):
    # Ids and locations are the same Python str as the table held them (an ESC as "?", the id's
    # blanks trimmed), whether read, made or selected.
    with pytest.warns(morva.SampleWarning, match="U\\+001B is a control character"):
        samples = morva.read_samples(TRICKY)
    assert [(s.id, s.location) for s in samples] == list(zip(TRICKY_IDS, TRICKY_LOCATIONS))
    with pytest.warns(morva.SampleWarning, match="U\\+001B is a control character"):
        made = [morva.Sample(" " + s.id.replace("?", "\x1b") + "\t", location=s.location, ph=7)
                for s in samples]
    assert [(s.id, s.location) for s in made] == list(zip(TRICKY_IDS, TRICKY_LOCATIONS))
    table = morva.run_table(samples, frame=False, only=[TRICKY_IDS[0], TRICKY_IDS[2]])
    assert (table["sample"], table["location"]) == (
        [TRICKY_IDS[0], TRICKY_IDS[2]], [TRICKY_LOCATIONS[0], TRICKY_LOCATIONS[2]])

    # A table keeps them; a sample file holds Latin-1 and says what it cannot keep.
    morva.write_samples(samples, tmp_path / "t.csv")
    assert [s.to_dict() for s in morva.read_samples(str(tmp_path / "t.csv"))] == [
        s.to_dict() for s in samples]
    with pytest.warns(morva.SampleWarning) as caught:
        morva.write_samples(samples, tmp_path / "t.in")
    name = str(tmp_path / "t.in")
    assert [str(w.message) for w in caught] == [
        name + ', sample id "A\u20131": U+2013 is not a Latin-1 character, written as "?"',
        name + ", sample A\u20131, location \"Kaldvik \u2013 well 12\": U+2013 is not a Latin-1 "
        'character, written as "?"',
        name + ', sample id "\u6e29\u6cc9-5": U+6E29 and 1 more are not Latin-1 characters, '
        'each written as "?"',
        name + ", sample \u6e29\u6cc9-5, location \"\u5225\u5e9c \u5730\u7344\": U+5225 and 3 more "
        'are not Latin-1 characters, each written as "?"']
    latin = morva.read_samples(name)
    assert [s.id for s in latin] == [TRICKY_IDS[0], "A?1", "??-5", "E?[31m-4", "B-6"]
    assert latin[0].location == TRICKY_LOCATIONS[0]
    assert morva.run_table(latin, frame=False, only=TRICKY_IDS[0])["sample"] == [TRICKY_IDS[0]]


def test_calculations_in_threads_agree():
    samples = generated_samples(16, seed=7)
    alone = [morva.calculate(s, temperature="quartz", cool=[80]).to_dict() for s in samples]
    together = [None] * len(samples)

    def work(k):
        for i in range(k, len(samples), 4):
            together[i] = morva.calculate(samples[i], temperature="quartz", cool=[80]).to_dict()

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert together == alone
    assert morva.run_table(samples, frame=False, temperature="quartz", cool=[80], jobs=3) == \
        morva.run_table(samples, frame=False, temperature="quartz", cool=[80])


LAB_TABLES = sorted(glob.glob(os.path.join(os.environ.get("MORVA_TEST_DATA", ""), "*.csv")))


@pytest.mark.parametrize("path", LAB_TABLES, ids=os.path.basename)
def test_laboratory_tables_read_as_the_program_reads_them(path, tmp_path):
    """Each hand-written laboratory table gives the module the program's warnings, word for
    word, and row for row the state table's values, status, reason and flags; a table the
    program refuses the module refuses with the same message."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            samples = morva.read_samples(path, keep_unreadable=True)
            refused = None
        except ValueError as e:
            samples, refused = [], str(e)
    table = tmp_path / "states.csv"
    status, err = run(["run", path, "--no-report", "--table", str(table)], tmp_path)
    lines = err.splitlines()
    for w in caught:
        assert "morva: " + str(w.message) in lines
    if refused is not None or not samples:
        assert status != 0
        if refused is not None:
            assert "morva: " + refused in lines
        return
    columns = morva.run_table(samples, frame=False)
    rows = csv_rows(table)
    assert len(columns["sample"]) == len(rows)
    for name in ("sample", "location", "status", "reason", "flags", "sampled_ph_t_C", "ph",
                 "t_ref_C", "sampled_ion_balance_pct"):
        for value, row in zip(columns[name], rows):
            check_cell(value, row[name])


def test_carbonate_as_laboratories_report_it(tmp_path):
    """Sample(hco3=..., co3=..., alkalinity_meq_kg=...) is the row of a table that gives the
    same carbonate, and gives the same total CO2; a file without a column for it gets that
    total."""
    data = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data")
    with pytest.warns(morva.SampleWarning):
        table = {s.id: s for s in morva.read_samples(os.path.join(data, "carbonate.csv"))}
    with pytest.warns(morva.SampleWarning):
        table.update(
            {s.id: s for s in morva.read_samples(os.path.join(data, "carbonate_meq.csv"))})
    cases = [("C-1", {"hco3": 120}), ("C-2", {"hco3": 150, "co3": 12}),
             ("C-3", {"alkalinity_meq_kg": 100 / 50.04}), ("M-1", {"alkalinity_meq_kg": 2.5})]
    found = []
    for sample_id, carbonate in cases:
        row = table[sample_id]
        fields = {k: v for k, v in row.to_dict().items() if k != "alkalinity_meq_kg"}
        made = morva.Sample(**dict(fields, **carbonate))
        assert made.alkalinity_meq_kg == pytest.approx(row.alkalinity_meq_kg, rel=1e-12)
        co2 = morva.calculate(made).reference.to_dict()["sampled_co2_mg_kg"]
        assert co2 == pytest.approx(
            morva.calculate(row).reference.to_dict()["sampled_co2_mg_kg"], rel=1e-9)
        assert co2 > 0 and made.co2 is None
        found.append(co2)
    # The total CO2 wins over a carbonate given beside it, as in a table.
    with pytest.warns(morva.SampleWarning, match="the CO2 is taken"):
        both = morva.Sample("B", ph=7.5, na=100, co2=50, hco3=120)
    assert both.alkalinity_meq_kg is None and both.co2 == 50
    # Written to a sample file, the samples hold the total CO2 found, said once.
    with pytest.warns(morva.SampleWarning, match="written as the total CO2") as caught:
        morva.write_samples([table[i] for i, _ in cases], tmp_path / "found.in")
    assert len(caught) == 1
    again = morva.read_samples(str(tmp_path / "found.in"))
    assert [s.co2 for s in again] == pytest.approx(found, rel=1e-9)


@pytest.mark.skipif(pandas is None, reason="the frame needs pandas")
@pytest.mark.parametrize("name", ["species", "minerals", "state"])
def test_run_table_frame_columns(example_file, name):
    """A frame's numbers are arrays of doubles or counts and its texts one string object per
    distinct text, shared by every row that holds it; the frame and the dict of lists hold the
    same cells, also after refusals and skipped steps."""
    options = {"temperature": "quartz", "boil": [150, 373.85], "cool": [60]}
    frame = morva.run_table(example_file, name, **options)
    columns = morva.run_table(example_file, name, frame=False, **options)
    assert list(frame.columns) == list(columns)
    for column, values in columns.items():
        series = frame[column]
        assert len(series) == len(values)
        if any(isinstance(v, str) for v in values):
            assert series.dtype == object
            texts = {}
            for v in series:
                if isinstance(v, str):
                    assert texts.setdefault(v, v) is v, column  # one object per text
        else:
            assert series.dtype.kind in "fi", column
        for got, want in zip(series, values):
            if want is None:
                assert got != got  # NaN
            else:
                assert got == want, column
    if name != "state":
        per_state = 69 if name == "species" else 29
        states = morva.run_table(example_file, "state", frame=False, **options)
        solved = sum(1 for s in states["status"] if s == "ok")
        assert len(frame) == per_state * solved

"""Shared pieces of the module's tests: the program the module is compared with, the example
samples, and a set of generated waters."""

import os
import random
import subprocess

import pytest

import morva

EXE = os.environ.get("MORVA_EXE", "morva")
EXAMPLES = os.environ.get(
    "MORVA_EXAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "examples"))


def cli_text(value):
    """An option value as the command line is given it: lists comma-separated, numbers in
    their shortest exact form."""
    if isinstance(value, (list, tuple)):
        return ",".join(cli_text(v) for v in value)
    return value if isinstance(value, str) else repr(value)


def cli_args(options):
    """Command-line options for keyword arguments of morva.calculate / run_table."""
    args = []
    for key, value in options.items():
        if value is None or key == "frame":
            continue
        args += ["--" + key.replace("_", "-"), cli_text(value)]
    return args


def run(args, cwd):
    """Runs the program; its exit status and standard error."""
    p = subprocess.run([EXE] + args, cwd=cwd, capture_output=True)
    return p.returncode, p.stderr.decode("utf-8", "replace")


def generated_samples(n, seed):
    """n waters of plausible composition: hot springs (water only) and two-phase well
    discharges with their steam and gas, a few with analyses the calculation refuses."""
    rnd = random.Random(seed)
    samples = []
    for i in range(n):
        well = rnd.random() < 0.5
        f = dict(
            temperature=round(rnd.uniform(140, 260) if well else rnd.uniform(40, 99), 1),
            ph=round(rnd.uniform(6.5, 9.8), 2),
            ph_temperature=round(rnd.uniform(18, 25), 1),
            co2=round(rnd.uniform(5, 300), 1),
            h2s=round(rnd.uniform(0, 80), 2),
            sio2=round(rnd.uniform(20, 900), 0),
            b=round(rnd.uniform(0.1, 30), 2),
            al=round(rnd.uniform(0.01, 2), 3),
            fe=round(rnd.uniform(0.0, 0.3), 3),
            na=round(rnd.uniform(20, 2500), 1),
            k=round(rnd.uniform(1, 400), 1),
            mg=round(rnd.uniform(0.001, 15), 3),
            ca=round(rnd.uniform(0.2, 120), 2),
            f=round(rnd.uniform(0.1, 8), 2),
            cl=round(rnd.uniform(5, 4000), 1),
            so4=round(rnd.uniform(5, 600), 1),
        )
        if rnd.random() < 0.1:
            f["sio2"] = None  # no silica: the silica temperatures cannot be formed
        if well:
            f.update(
                pressure=round(rnd.uniform(2, 15), 2),
                enthalpy=round(rnd.uniform(800, 1800), 0),
                discharge=round(rnd.uniform(5, 60), 1),
                gas_co2=round(rnd.uniform(60, 97), 2),
                gas_h2s=round(rnd.uniform(1, 20), 2),
                gas_h2=round(rnd.uniform(0.1, 5), 2),
                gas_ch4=round(rnd.uniform(0.01, 2), 3),
                gas_n2=round(rnd.uniform(0.1, 10), 2),
                gas_volume=round(rnd.uniform(0.5, 20), 2),
                gas_temperature=round(rnd.uniform(10, 25), 1),
                steam_co2=round(rnd.uniform(500, 20000), 0),
                steam_h2s=round(rnd.uniform(50, 900), 0),
                steam_nh3=round(rnd.uniform(0.5, 10), 2),
                condensate_ph=round(rnd.uniform(4, 6), 2),
                condensate_ph_temperature=20.0,
            )
        samples.append(morva.Sample(f"G-{i + 1:03d}", f"generated water {i + 1}", **f))
    return samples


@pytest.fixture(scope="session")
def generated_csv(tmp_path_factory):
    """A table of analyses of 40 generated waters."""
    path = tmp_path_factory.mktemp("generated") / "generated.csv"
    morva.write_samples(generated_samples(40, seed=15), path)
    return str(path)


@pytest.fixture(scope="session")
def example_file():
    return os.path.join(EXAMPLES, "morva.in")

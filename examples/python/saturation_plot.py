"""Saturation curves of one sample's aquifer fluid: log(Q/K) of the reservoir minerals from
25 to 350 °C, with the temperature where the curves gather closest to zero.

    python3 examples/python/saturation_plot.py [SAMPLES] [SAMPLE-ID] [PICTURE]

SAMPLES is a sample file or a .csv table of analyses (examples/morva.in), SAMPLE-ID the sample
(KV-12) and PICTURE the file to draw to (saturation-KV-12.png). The picture is drawn with
matplotlib when it is installed; without it the program's own SVG picture is written instead.
"""

import os
import sys

import morva

here = os.path.dirname(os.path.abspath(__file__))
path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "morva.in")
wanted = sys.argv[2] if len(sys.argv) > 2 else "KV-12"
picture = sys.argv[3] if len(sys.argv) > 3 else f"saturation-{wanted}.png"

sample = next((s for s in morva.read_samples(path) if s.id == wanted), None)
if sample is None:
    sys.exit(f"{path} holds no sample {wanted}")
curves = morva.saturation(sample, temperature="measured", t_from=25, t_to=350, step=5)
if curves.refused:
    sys.exit(f"{wanted}: refused: {curves.refused}")

ref = curves.calculation.reference
print(f"{wanted}: Tref {ref.temperature_c:.1f} °C, pH {ref.ph:.2f}")
for name, t in ref.geothermometers.items():
    print(f"  {name:<10} {t:.1f} °C" if t is not None else f"  {name:<10} -")
if curves.t_min_rms_c is not None:
    print(f"  least RMS of log(Q/K): {curves.min_rms:.2f} at {curves.t_min_rms_c:.1f} °C")

try:
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
except ImportError:
    svg = os.path.splitext(picture)[0] + ".svg"
    with open(svg, "w", encoding="utf-8") as f:
        f.write(curves.svg())
    print(f"matplotlib is not installed: wrote the program's picture {svg}")
    sys.exit(0)

fig, ax = plt.subplots(figsize=(8, 5.5))
colours = plt.get_cmap("tab10").colors
for k, (mineral, si) in enumerate(curves.si.items()):
    points = [(t, x) for t, x in zip(curves.temperatures, si) if x is not None]
    if points:
        ax.plot(*zip(*points), color=colours[k % 10], linestyle="-" if k < 10 else "--",
                linewidth=1.5, label=mineral)
ax.axhline(0.0, color="black", linewidth=0.8)
if curves.t_min_rms_c is not None:
    ax.axvline(curves.t_min_rms_c, color="grey", linestyle="--", linewidth=1)
    ax.annotate(f"least RMS {curves.t_min_rms_c:.0f} °C", (curves.t_min_rms_c, 0),
                xytext=(6, 8), textcoords="offset points", color="dimgrey")
ax.set_xlabel("Temperature (°C)")
ax.set_ylabel("log(Q/K)")
ax.set_ylim(-6, 6)
ax.set_title(f"Saturation curves of {wanted}\n{sample.location}", fontsize=10)
ax.legend(fontsize=8, ncol=2, loc="lower left")
ax.grid(alpha=0.3)
fig.tight_layout()
fig.savefig(picture, dpi=110)
print(f"wrote {picture}")

#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into fuzz/corpus/<target>/.

The example sample files of the repository are seeds as they stand; from them this script
derives edge cases (truncated blocks, CR LF line ends, commas, exponents, huge numbers) and
the keystroke streams of whole runs (every reference-temperature type, boiling springs,
cooling and boiling steps, typing slips). Run it from the top of the repository; seeds that
libFuzzer adds later keep their hash names and are not touched.
"""
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")


def read(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


def write(target, name, data):
    d = os.path.join(CORPUS, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def lines(data):
    return data.split(b"\n")


def head(data, n):
    """The first n lines of a file, each with its line feed."""
    return b"".join(l + b"\n" for l in lines(data)[:n])


def replace_line(data, n, text):
    ls = lines(data)
    ls[n - 1] = text
    return b"\n".join(ls)


example = read("examples/morva.in")
spring = read("tests/data/seq_spring.in")
well = read("tests/data/seq_well.in")
two = read("tests/data/two_samples.in")
one = head(example, 34)  # HS-07, a water-only hot spring


def field(x):
    return x.rjust(16)


# ---- sample reader -------------------------------------------------------------------------
reader = {
    "example.in": example,
    "seq_spring.in": spring,
    "seq_well.in": well,
    "two_samples.in": two,
    "empty.in": b"",
    "one_empty_line.in": b"\n",
    "crlf.in": example.replace(b"\n", b"\r\n"),
    "cr_only_last.in": one.rstrip(b"\n") + b"\r",
    "no_final_lf.in": one.rstrip(b"\n"),
    "commas.in": replace_line(one, 10, b"9.31,21.5,38.6,2.4"),
    "exponents.in": replace_line(one, 19, field(b"1.875E2") + field(b"11.2d0") + field(b"1-2")
                                 + field(b"2.35e+0")),
    "huge.in": replace_line(one, 22, field(b"1e300") + field(b"1.7e308") + field(b"-1e300")
                            + field(b"9" * 16)),
    "tiny.in": replace_line(one, 19, field(b"1e-320") + field(b"4.9e-324") + field(b"1e-400")
                            + field(b"-0")),
    "overflow.in": replace_line(one, 22, field(b"1e309")),
    "bad_char.in": replace_line(one, 16, field(b"246.0x")),
    "blank_inside.in": replace_line(one, 16, b"  2 4 6 . 0     "),
    "gas_only.in": replace_line(one, 25, field(b"80") + field(b"10")),
    "gas_from_steam.in": replace_line(replace_line(one, 25, field(b"80") + field(b"5")), 31,
                                      field(b"500") + field(b"20")),
    "gas_tiny_share.in": replace_line(replace_line(one, 25, field(b"1e-300")), 31,
                                      field(b"500")),
    "negative_gas.in": replace_line(replace_line(one, 25, field(b"-80") + field(b"5")), 28,
                                    field(b"") + field(b"") + field(b"-3") + field(b"-300")),
    "shifted.in": b"\n" + example,
}
for n in (3, 4, 10, 24, 25, 30, 33):
    reader["cut_%02d.in" % n] = head(example, n)
reader["cut_67.in"] = head(example, 67)
for name, data in reader.items():
    write("sample_reader", name, data)

# ---- fields --------------------------------------------------------------------------------
answer_lines = [b"", b"0", b"1", b"12.5e1", b"12,5", b"1 2 5", b"abc", b"3,120,100,80", b"3 120",
                b"-.5", b"+", b".", b"1.5-3", b"1d2", b"1e", b"1e99999", b"1e-99999",
                b"99999999999", b"2,150", b"\t1", b"1\r", b"12345678901234567"]
write("fields", "lines", b"\x00" + b"\n".join(answer_lines) + b"\n")
for i, (x, w, d) in enumerate([(0.5, 7, 4), (-0.5, 6, 4), (0.125, 5, 2), (-0.005, 6, 2),
                                (101325.0, 9, 3), (1e-101, 9, 3), (9.9996, 9, 3),
                                (1e300, 20, 2), (-0.0, 6, 2), (5e-324, 9, 3)]):
    write("fields", "number_%d" % i, b"\x01" + struct.pack("<d", x) + bytes([w - 1, d])
          + struct.pack(">q", -12345) + b"CO2      ")
write("fields", "askme1_defaults", b"\x02\n\n\n\n")
write("fields", "askme1_names", b"\x02samples.dat\nA. Geochemist, 3 May 2024\nSurvey\n"
      b"samples.dat\ncool.out\n./boil.out\nreport.txt\n")
askme2_streams = {
    "measured": b"\n\n\n\n\n",
    "arbitrary_steps": b"1\n150\n98\n0.5\n3,200,180,160\n0.3\n2,50,25\n",
    "chalcedony": b"2\n\n\n\n",
    "quartz": b"3\n\n\n\n",
    "nak": b"4\n\n\n\n",
    "slips": b"x\n7\n-1\n0\n\n\n\n12,5x\n3 120\n2,150\n0.001\n11,1,2,3,4,5,6,7,8,9,10,11\n"
             b"2,400,-5\n1,20\n",
    "spring": b"0\n99\n97\n2\n\n\n",
}
for name, keys in askme2_streams.items():
    for t in (0, 1):
        write("fields", "askme2_%s_%d" % (name, t), b"\x03" + bytes([t, 3]) + keys)
write("fields", "askme2_no_temperature", b"\x03\x00\x00\n\n4\n\n\n\n")
write("fields", "screen", b"\x04" + struct.pack("<7d", 97.2, 0.0, 1185.0, 9.31, 294.65, 1.5,
                                               -2.5) + b"\n")
write("fields", "screen_quit", b"\x04" + b"\x00" * 8 * 8 + b"q\n")

# ---- whole runs ----------------------------------------------------------------------------


def run_seed(keys, samples):
    return struct.pack("<H", len(keys)) + keys + samples


user = b"A. Geochemist\nKettleby survey\n"
absurd_gas = b"".join(l + b"\n" for l in [
    b"Program MORVA input. Concentrations in mg/kg, unless otherwise specified.", b"", b"",
    b"X-1             absurd gas shares", b"", b"", field(b"774"), b"", b"", b"", b"", b"", b"",
    b"", b"", field(b"4"), b"", b"", b"", b"", b"", b"", b"", b"",
    field(b"") + field(b"3140") + field(b"120"), b"", b"",
    field(b"") + field(b"107") + field(b"1350"), b"", b"", b"", b"", b"", b""])
runs = {
    "example_all_defaults": (user + b"\n\n\n\n\n\n" + b"\n\n\n\n" + b"\n\n\n\n\n\n", example),
    "example_skip_quit": (user + b"n\nN\nq\n", example),
    "spring_measured": (user + b"\n0\n\n\n\n\n", spring),
    "spring_arbitrary_steps": (user + b"\n1\n150\n\n3,140,120,100\n0.5\n2,50,25\n", spring),
    "spring_boiling": (user + b"\n0\n\n99\n0.3\n\n\n", spring),
    "spring_chalcedony": (user + b"\n2\n\n\n\n", spring),
    "spring_quartz_steps": (user + b"\n3\n\n1,100\n\n1,40\n", spring),
    "spring_nak": (user + b"\n4\n\n\n\n", spring),
    "well_measured": (user + b"\n0\n\n\n\n", well),
    "well_arbitrary": (user + b"\n1\n250\n2,200,150\n\n2,100,50\n", well),
    "well_chalcedony": (user + b"\n2\n\n\n", well),
    "well_quartz_steps": (user + b"\n3\n2,180,120\n1\n3,150,100,25\n", well),
    "well_nak": (user + b"\n4\n\n\n", well),
    "two_samples": (user + b"\n\n\n\n\n\n" + b"\n4\n10,300,280,260,240,220,200,180,160,140,120\n"
                    b"0.01\n10,300,250,200,150,100,80,60,40,20,0\n", two),
    "slips": (user + b"\nx\n9\n-1\n0\n\nabc\n\n3 120\n2,150\n5\n1,20\n", spring),
    "input_ends": (user + b"\n0\n", spring),
    "no_samples": (user, b""),
    "crlf": (user.replace(b"\n", b"\r\n") + b"\r\n0\r\n\r\n\r\n\r\n\r\n",
             spring.replace(b"\n", b"\r\n")),
    "cut_block": (user + b"\n\n\n\n\n\n", head(example, 62)),
    "huge": (user + b"\n\n\n\n\n\n", replace_line(one, 19, field(b"1e300") + field(b"1e300"))),
    "tiny": (user + b"\n\n\n\n\n\n", replace_line(one, 19, field(b"1e-300") + field(b"1e-300"))),
    "zero_water": (user + b"\n1\n100\n\n\n\n", head(b"\n" * 34, 34)),
    "acid_well": (user + b"\n0\n\n\n\n", replace_line(well, 10, field(b"2.0") + field(b"20")
                                                      + field(b"500"))),
    "hot": (user + b"\n1\n370\n\n1,370\n\n", spring),
    # Findings: analyses whose gas ratio overflows, whose boiling step overflows, and whose
    # condensate holds more CO2 than its steam.
    "gas_tiny_share": (user + b"\n1\n150\n\n\n",
                       replace_line(replace_line(one, 25, field(b"1e-320")), 31, field(b"500"))),
    "absurd_gas_boil_to_0": (user + b"\n0\n\n1,0\n\n\n", absurd_gas),
    "condensate_richer_than_steam": (
        user + b"\n1\n150\n\n\n",
        replace_line(replace_line(replace_line(one, 25, field(b"80") + field(b"5") + field(b"")
                                               + field(b"2") + field(b"1")),
                                  31, field(b"100")), 34, field(b"1240"))),
}
for name, (keys, samples) in runs.items():
    write("run", name, run_seed(keys, samples))

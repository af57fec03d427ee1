#!/usr/bin/python3
"""Assembles benchmark/bmcompare.dat from the saved results in results/ (see collect-results.sh).

Each results/<name>.dat is the 568-byte record a real run of the benchmark saved: the device's name
(UTF-16, 260 characters), the CPU, RAM, storage and video scores (doubles) and the time of the run.
Each becomes one 1,056-byte reference record: the name (UTF-16, 512 characters, terminated) made of the
device's own name and the configuration it ran on, then the same four scores, unchanged.
"""
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
results = os.path.join(here, "results")
out = os.path.join(here, "..", "bmcompare.dat")


def profile_values(path):
    values = {}
    if os.path.exists(path):
        for line in open(path, encoding="utf-8"):
            line = line.split("#", 1)[0].strip()
            if "=" in line:
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip().strip('"')
    return values


records = []
for entry in sorted(os.listdir(results)):
    if not entry.endswith(".dat"):
        continue
    data = open(os.path.join(results, entry), "rb").read()
    if len(data) != 568:
        sys.exit("%s: not a saved result (%d bytes)" % (entry, len(data)))
    name = data[:520].decode("utf-16-le").split("\0", 1)[0]
    scores = struct.unpack("<4d", data[520:552])
    base = entry[:-4]
    p = profile_values(os.path.join(results, base + ".profile"))
    # Short enough for a chart title: the device (the profile's OEM name) and the screen it ran at.
    label = "%s %sx%s" % (name or base, p.get("WIDTH", "?"), p.get("HEIGHT", "?"))
    encoded = label.encode("utf-16-le")[: 511 * 2]
    records.append(encoded.ljust(1024, b"\0") + struct.pack("<4d", *scores))
    print("%-60s CPU %.2f RAM %.2f STO %.2f VID %.2f" % ((label,) + scores))

if not records:
    sys.exit("no saved results in %s: run collect-results.sh first" % results)
with open(out, "wb") as f:
    f.write(b"".join(records))
print("wrote %s: %d devices" % (os.path.normpath(out), len(records)))

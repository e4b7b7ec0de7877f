#!/usr/bin/python3
"""Where the two equations of state differ: the saturated liquid and vapour of gao2023 against
tr1993 at a row of temperatures, as a Markdown table of (gao2023 - tr1993) / tr1993 in per cent,
computed by the command-line tool itself.

Usage: tools/compare-models.py [path/to/zeltra5-calc]
"""

import json
import subprocess
import sys

CALC = sys.argv[1] if len(sys.argv) > 1 else "build/native/cli/zeltra5-calc"
TEMPERATURES = [-77.0, -50.0, -20.0, 0.0, 20.0, 50.0, 80.0, 110.0, 130.0]
# (column title, pair, JSON key)
COLUMNS = [
    ("p_s", "ts-liquid", "pressure"),
    ("ρ′", "ts-liquid", "mass_density"),
    ("ρ″", "ts-vapour", "mass_density"),
    ("cp′", "ts-liquid", "isobaric_heat_capacity"),
    ("cp″", "ts-vapour", "isobaric_heat_capacity"),
    ("w′", "ts-liquid", "speed_of_sound"),
    ("w″", "ts-vapour", "speed_of_sound"),
    ("η′", "ts-liquid", "dynamic_viscosity"),
    ("η″", "ts-vapour", "dynamic_viscosity"),
    ("λ′", "ts-liquid", "thermal_conductivity"),
    ("λ″", "ts-vapour", "thermal_conductivity"),
]


def state(pair, t, model):
    out = subprocess.run([CALC, pair, repr(t), "--model", model, "--json"], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)


def main():
    print("| t, °C | " + " | ".join(title for title, _, _ in COLUMNS) + " |")
    print("|---:|" + "---:|" * len(COLUMNS))
    for t in TEMPERATURES:
        cells = []
        cache = {}
        for _, pair, key in COLUMNS:
            for model in ("tr1993", "gao2023"):
                if (pair, model) not in cache:
                    cache[(pair, model)] = state(pair, t, model)
            old = cache[(pair, "tr1993")].get(key)
            new = cache[(pair, "gao2023")].get(key)
            if old is None or new is None:
                cells.append("")
            else:
                cells.append(f"{100.0 * (new - old) / old:+.2f}")
        print(f"| {t:g} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()

"""Turns bench/run's hyperfine results into the table of bench/RESULTS.md.

    report.py WORK_FOLDER WINDOWS_EXE WINE_BITS
"""
import json
import os
import platform
import statistics
import sys

import pefile

work, exe, wine_bits = sys.argv[1:]


def times(name):
    """(mean, stddev) in ms of each command of one hyperfine run, in order."""
    with open(os.path.join(work, name + ".json")) as f:
        return [(r["mean"] * 1000, r["stddev"] * 1000) for r in json.load(f)["results"]]


def cpu():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor()


def verdict(value, goal):
    return "met" if value <= goal else f"missed by {value / goal:.2f}x"


print("# Benchmark results\n")
print(f"Machine: {cpu()}, {os.cpu_count()} cores, Linux {platform.release()}. "
      "Made by `bench/run`; each figure is the mean of hyperfine's runs, ± its standard "
      "deviation, in milliseconds. Compare ratios between runs, not times.\n")

(launcher, launcher_sd), (baseline, baseline_sd) = times("startup")
ratio = launcher / baseline
print("## Start-up overhead\n")
print("| command | time (ms) |\n|---|---|")
print(f"| launcher: read version.ini, pick of 3 candidates, start it | {launcher:.3f} ± {launcher_sd:.3f} |")
print(f"| baseline: static C posix_spawn of the same program | {baseline:.3f} ± {baseline_sd:.3f} |")
print(f"\nRatio {ratio:.3f} (goal 1.05: {verdict(ratio, 1.05)}).\n")

empty = times("empty")[0][0]
base_launcher = times("files0")[0][0]
print("## Large folders\n")
print("Extra cost is the time over the same program's run on a folder without "
      "the extra files (the baseline's: over an empty folder).\n")
print("| folder | launcher (ms) | extra | baseline: read entries (ms) | extra | ratio of extras | "
      "launcher extra per 1,000 files (ms) |")
print("|---|---|---|---|---|---|---|")
for name, label, count in [("files1000", "1,000 other files", 1000),
                           ("files10000", "10,000 other files", 10000),
                           ("files100000", "100,000 other files", 100000),
                           ("candidates1000", "1,000 matching candidates", 1000)]:
    (l, l_sd), (b, b_sd) = times(name)
    extra_l, extra_b = l - base_launcher, b - empty
    ratio = extra_l / extra_b if extra_b > 0 else float("inf")
    print(f"| {label} | {l:.3f} ± {l_sd:.3f} | {extra_l:.3f} | {b:.3f} ± {b_sd:.3f} | {extra_b:.3f} | "
          f"{ratio:.2f} ({verdict(ratio, 1.3)}) | {extra_l / count * 1000:.4f} |")

print("\n## The profile reader on large files\n")
print("A version.ini of 600 MiB of lines that cannot count, the shortest (`x`), read in full, the value at its end; "
      "the launcher's whole run against a bare read of the same file with a memchr pass over each 64 KiB "
      "chunk (goal: 1,000 MB/s, or within 1.2x of that pass; none for UTF-16).\n")
print("| file | encoding | launcher (ms) | MB/s | baseline: read + memchr (ms) | MB/s | ratio | goal |")
print("|---|---|---|---|---|---|---|---|")
for case, label in [("before", "other sections before `[Version]`"), ("section", "other keys in `[Version]` before `AppVers`"),
                    ("line", "one 600 MiB line in `[Version]`")]:
    for encoding, name in [("ansi", "ANSI"), ("utf8", "UTF-8"), ("utf16", "UTF-16LE")]:
        (l, l_sd), (b, b_sd) = times(f"reader-{case}-{encoding}")
        speed, base_speed = 600 * 2**20 / l / 1000, 600 * 2**20 / b / 1000
        goal = "-" if encoding == "utf16" else "met" if speed >= 1000 or l / b <= 1.2 else "missed"
        print(f"| {label} | {name} | {l:.1f} ± {l_sd:.1f} | {speed:,.0f} | {b:.1f} ± {b_sd:.1f} | {base_speed:,.0f} | "
              f"{l / b:.2f} | {goal} |")
(wine, wine_sd), = times("reader-wine")
print(f"\nWindows' own reader under Wine ({'32-bit product' if wine_bits == '32' else 'x86-64 build'}), on the "
      f"first 60 MiB of the first file: {wine / 1000:.1f} ± {wine_sd / 1000:.1f} s, "
      f"{60 * 2**20 / wine / 1000:.1f} MB/s.\n")

rounds = [json.load(open(os.path.join(work, name)))["results"] for name in os.listdir(work)
          if name.startswith("wine") and name.endswith(".json")]
launcher, baseline = (statistics.median(t * 1000 for r in rounds for t in r[i]["times"]) for i in (0, 1))
ratio = launcher / baseline
print("\n## Start-up under Wine\n")
print(("The 32-bit product, build/win32/VelmarisLaunch.exe" if wine_bits == "32" else
       "The x86-64 build, build/win64/VelmarisLaunch.exe, not the product (this machine cannot run 32-bit code)") +
      f"; medians of {sum(len(r[0]['times']) for r in rounds)} runs each, in {len(rounds)} rounds that take turns.\n")
print("| command | median (ms) |\n|---|---|")
print(f"| launcher: read version.ini, pick of 3 candidates, start it | {launcher:.1f} |")
print(f"| baseline: C CreateProcessW and AllowSetForegroundWindow of the same program | {baseline:.1f} |")
print(f"\nRatio {ratio:.3f} (goal 1.05: {verdict(ratio, 1.05)}).")

pe = pefile.PE(exe)
size = os.path.getsize(exe)
dlls = sorted(entry.dll.decode() for entry in pe.DIRECTORY_ENTRY_IMPORT)
print("\n## Windows executable\n")
print("| file | size | imports |\n|---|---|---|")
print(f"| {os.path.basename(exe)} (i686) | {size:,} bytes ({size / 1024:.1f} KiB; goal 104 KiB: "
      f"{verdict(size, 104 * 1024)}) | {', '.join(dlls)} |")

# The reading of the figures is written by hand in RESULTS.md and kept from one run to the next.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "RESULTS.md")) as results:
    print("\n## What the figures say" + results.read().partition("\n## What the figures say")[2], end="")

#!/usr/bin/env python3
"""Writes the report of scripts/bench.sh from what it left in RESULTS.

    report.py RESULTS text|markdown

RESULTS holds hyperfine's JSON per group and round (NAME.rN.json), the
runner's own lines per command and round (NAME.LABEL.rN.times: exit=, ms=,
peak_ws=; the first line is hyperfine's warm-up run), the peak working sets
(memory.LABEL-BITS), objdump's headers of the stripped 32-bit program and
meta.env.
"""
import json
import re
import statistics
import sys
import textwrap
from pathlib import Path

results = Path(sys.argv[1])
markdown = sys.argv[2] == "markdown"
meta = dict(line.split("=", 1) for line in (results / "meta.env").read_text().splitlines() if "=" in line)
out = []


def runner_lines(path, skip):
    rows = []
    for line in path.read_text().splitlines()[skip:]:
        fields = dict(part.split("=", 1) for part in line.split())
        rows.append({"exit": int(fields["exit"]), "ms": float(fields["ms"]), "peak": int(fields["peak_ws"])})
    return rows


def group(name):
    """label -> (hyperfine median ms, runner median ms, runs, runner minimum ms) over the rounds of one group."""
    whole, child = {}, {}
    for path in sorted(results.glob(f"{name}.r*.json")):
        round_name = path.stem.split(".")[-1]
        for result in json.loads(path.read_text())["results"]:
            label = result["command"]
            lines = runner_lines(results / f"{name}.{label}.{round_name}.times", 1)
            if len(lines) != len(result["times"]):
                sys.exit(f"report.py: {name}.{label}.{round_name}: {len(lines)} runner lines for "
                         f"{len(result['times'])} runs")
            whole.setdefault(label, []).extend(result["times"])
            child.setdefault(label, []).extend(r["ms"] for r in lines)
    return {label: (statistics.median(whole[label]) * 1000, statistics.median(child[label]), len(child[label]),
                    min(child[label])) for label in whole}


def ms(value):
    return f"{value:,.1f} ms"


def heading(text):
    out.append("")
    out.append(f"## {text}" if markdown else f"{text}\n{'-' * len(text)}")


def para(text):
    out.append("")
    out.append(text)


def table(headers, rows, right=None):
    right = right or [i > 0 for i in range(len(headers))]
    out.append("")
    if markdown:
        out.append("| " + " | ".join(headers) + " |")
        out.append("|" + "|".join("---:" if r else "---" for r in right) + "|")
        out.extend("| " + " | ".join(row) + " |" for row in rows)
        return
    widths = [max(len(str(row[i])) for row in [headers] + rows) for i in range(len(headers))]

    def line(row):
        return "  ".join(cell.rjust(w) if r else cell.ljust(w) for cell, w, r in zip(row, widths, right)).rstrip()

    out.append(line(headers))
    out.append("  ".join("-" * w for w in widths))
    out.extend(line(row) for row in rows)


def kib(size):
    return f"{size / 1024:,.1f} KiB"


def mib(size):
    return f"{size / 1048576:,.2f} MiB"


repeated = (results / "repeated").read_text().splitlines() if (results / "repeated").exists() else []
runs, runs64, search_runs, dirs = (int(meta[key]) for key in ("runs", "runs64", "search_runs", "dirs"))
ui = meta["ui"]
title = "orvexplugin.exe benchmark"
out.append(f"# {title}" if markdown else f"{title}\n{'=' * len(title)}")
para(
    f"{meta['date']}, commit {meta['commit']}; {meta['wine']}, hyperfine {meta['hyperfine'].split()[-1]}, "
    f"{meta['cores']} cores; load average (1, 5, 15 min) {meta['load_before']} before, {meta['load_after']} after."
)
para(
    "Each figure is a median of repeated runs, taken in rounds of 5 with the order of the compared commands "
    "turned round each round. *Whole*: hyperfine's wall time of "
    "`wine64 bench_run.exe … PROGRAM`, the runner's own Wine start included (the same on both sides). "
    "*Program*: the runner's clock from `CreateProcessW` to the program's end. "
    "One Windows program runs throughout, so Wine's desktop and services stay up."
    + (f" Rounds run again after a failed run: {', '.join(repeated)} (hyperfine.log tells why)." if repeated else "")
)

# --- install ratio and decision-only run: per program, the bootstrapper
# against each yardstick, on the runner's clock (program time).
programs = (("32", "32-bit (WoW64)"), ("64", "64-bit"))


def against(boot, other):
    """Ratio and difference of two program times."""
    return [f"{boot / other:.3f}", f"{boot - other:+,.1f}"]


heading(f"Install ratio: fresh silent installation, msiexec /{ui} on both sides")
para(
    f"`orvexplugin.exe -silent -OrvexArgs /{ui}` in the distribution directory against "
    f"`msiexec /i PACKAGE /Lv! LOG REBOOT=R ADDNPORVEX=1 /{ui}` (the bootstrapper's own command line) and against "
    "the floor (`bench_floor install`: load msi.dll, query the product, start that command line and wait). "
    "Both programs install the x64 package; each msiexec is the one its program starts, so the 32-bit side runs "
    "`syswow64\\msiexec.exe`. "
    f"{runs} runs each for the 32-bit program, {runs64} for the 64-bit one, the product uninstalled "
    "(`msiexec /x {5B0E2C71-…} /qn`) before every run."
)
rows = []
for name, label in (("install-small", f"sample ({kib(int(meta['small_size']))})"),
                    ("install-payload", f"payload {meta['payload']} MiB ({mib(int(meta['payload_size']))})")):
    for bits, program in programs:
        g = group(f"{name}-{bits}")
        (bw, bc, _, bmin), (mw, mc, _, mmin), (_, fc, _, fmin) = g["bootstrapper"], g["msiexec"], g["floor"]
        rows.append([label, program, ms(bc), ms(mc), ms(fc)] + against(bc, mc) + against(bc, fc)
                    + [f"{fc - mc:+,.1f}", f"{bw / mw:.3f}", f"{bmin / mmin:.3f} / {bmin / fmin:.3f}"])
        label = ""
        if bits == "32":
            overhead = bc - mc
table(["package", "program", "bootstrapper", "msiexec", "floor", "÷ msiexec", "− msiexec (ms)",
       "÷ floor", "− floor (ms)", "floor − msiexec (ms)", "÷ msiexec, whole", "fastest: ÷ msiexec / ÷ floor"],
      rows, [False, False] + [True] * 10)
para(
    "Program times (the runner's clock), medians. *÷* is the bootstrapper's time divided by the other's, *−* the "
    "difference; *floor − msiexec* is what even the least a bootstrapper must do adds under Wine, *− floor* what "
    "is left to win. *Whole* counts hyperfine's wall time of the runner and program. The last column compares the "
    "fastest run of each side, the one least disturbed by other work on the machine. At the 32-bit program's "
    f"overhead on the payload package ({ms(overhead)}), a ratio of 1.05 would need an msiexec run of "
    f"{ms(overhead / 0.05)} or more."
)

# --- decision-only run
heading("Decision-only run: the same version installed, -silent runs nothing")
rows = []
for bits, program in programs:
    g = group(f"decision-{bits}")
    (_, bc, _, bmin), (_, hc, _, hmin), (_, fc, _, fmin) = g["bootstrapper"], g["hello"], g["floor"]
    rows.append([program, ms(bc), ms(hc), ms(fc)] + against(bc, hc) + against(bc, fc)
                + [f"{fc - hc:+,.1f}", f"{bmin:,.1f} / {hmin:,.1f} / {fmin:,.1f}"])
table(["program", "bootstrapper", "hello-world", "floor", "÷ hello", "− hello (ms)", "÷ floor", "− floor (ms)",
       "floor − hello (ms)", "fastest (ms): bootstrapper / hello / floor"], rows, [False] + [True] * 9)
para(
    f"{runs} timed runs each for the 32-bit program, {runs64} for the 64-bit one, exit code 0 checked on every "
    "run; program times. Hello-world is a GUI-subsystem "
    "program that returns 0; the floor (`bench_floor decide`) loads msi.dll, queries the product, opens the "
    f"package the bootstrapper's search finds first (`{meta['decided']}`, ignoring the machine state) and reads "
    "the installed and the package's versions. Each is built for the program's bitness with its flags."
)


def peaks(label):
    values = [r["peak"] for r in runner_lines(results / f"memory.{label}", 0)]
    return statistics.median(values), min(values), max(values)


rows = []
for bits, program in programs:
    cells = [program]
    for label in ("bootstrapper", "hello", "floor"):
        peak, low, high = peaks(f"{label}-{bits}")
        cells.append(f"{mib(peak)} ({mib(low)} to {mib(high)})")
    cells.append(mib(peaks(f"bootstrapper-{bits}")[0] - peaks(f"floor-{bits}")[0]))
    rows.append(cells)
table(["program", "bootstrapper", "hello-world", "floor", "bootstrapper − floor"], rows, [False] + [True] * 4)
para(
    "Peak working set, median and range of 5 runs: `PeakWorkingSetSize` from `GetProcessMemoryInfo`, read by "
    "a runner of the program's bitness when the program calls `RtlExitUserProcess` (Wine forgets the counters "
    "of an ended process); under Wine it is the resident size of the whole Wine process, its built-in DLLs "
    "included."
)

# --- package search
heading("Package search: the 32-bit orvexplugin.exe -silent in a directory of empty sub-directories")
none, last = group("search-none"), group("search-last")
rows = []
for count in ("0", "1000", str(dirs)):
    row = [f"{int(count):,}", ms(none[count][0]), ms(none[count][1])]
    for label in (count, f"{count}-reinstall"):
        row += [ms(last[label][0]), ms(last[label][1])] if label in last else ["", ""]
    rows.append(row)
table(["sub-directories", "no package (232): whole", "program",
       "package last (0): whole", "program", "package last, -reinstall (0): whole", "program"], rows)
base = none["0"][1]
per_small = (none["1000"][1] - base) / 1000
per_large = (none[str(dirs)][1] - base) / dirs
growth = (none[str(dirs)][1] - base) / (none["1000"][1] - base)
growth_fastest = (none[str(dirs)][3] - none["0"][3]) / (none["1000"][3] - none["0"][3])


def step(group_medians, low, high):
    """Program time added per sub-directory from low to high, in µs."""
    return (group_medians[high][1] - group_medians[low][1]) / (dirs - 1000) * 1000


para(
    f"{search_runs} runs each. No package, the product not installed: exit code 232 after the whole search, "
    f"which costs {per_small * 1000:.1f} µs per sub-directory at 1,000 and {per_large * 1000:.1f} µs at "
    f"{dirs:,} (program time above the empty directory's); {dirs:,} cost {growth:.1f} times what 1,000 cost "
    f"({dirs / 1000:g} would be linear; {growth_fastest:.1f} times between the fastest runs). "
    f"Package last: the package in the last-listed sub-directory (`zz-plugin`, Wine lists names sorted), "
    f"the product installed in the same version; `-silent` searches and compares the versions and installs "
    f"nothing, `-silent -reinstall -OrvexArgs /{ui}` then searches again and reinstalls. Each sub-directory "
    f"from 1,000 to {dirs:,} adds {step(none, '1000', str(dirs)):.1f} µs without a package, "
    f"{step(last, '1000', str(dirs)):.1f} µs with it last, {step(last, '1000-reinstall', f'{dirs}-reinstall'):.1f} µs "
    f"with -reinstall."
)

# --- the 32-bit program
heading("The 32-bit program (build/win32/orvexplugin.exe)")
stripped = (results / "orvexplugin32.exe").stat().st_size
para(
    f"Stripped: {stripped:,} bytes ({kib(stripped)}); as built: {int(meta['program32_size']):,} bytes "
    "(`i686-w64-mingw32-strip`)."
)
imports, dll = {}, None
for line in (results / "objdump-p.txt").read_text().splitlines():
    if m := re.match(r"\s*DLL Name: (\S+)", line):
        dll = m.group(1)
        imports[dll] = []
    elif dll and (m := re.match(r"\s+[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)):
        imports[dll].append(m.group(2) if m.group(2) != "<none>" else f"ordinal {m.group(1)}")
    elif dll and not line.strip():
        dll = None if imports[dll] else dll
if markdown:
    table(["DLL", "functions"], [[d, f"{len(f)}: " + ", ".join(f)] for d, f in imports.items()], [False, False])
else:
    out.append("")
    for d, functions in imports.items():
        out.extend(textwrap.wrap(", ".join(functions), 100, initial_indent=f"{d} ({len(functions)}): ",
                                 subsequent_indent="    ", break_on_hyphens=False))
sections = []
for line in (results / "objdump-h.txt").read_text().splitlines():
    if m := re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s+[0-9a-f]+\s+[0-9a-f]+\s+([0-9a-f]+)", line):
        sections.append([m.group(1), int(m.group(2), 16), int(m.group(3), 16)])
on_disk = [s for s in sections if s[2]]
for i, s in enumerate(on_disk):
    s.append((on_disk[i + 1][2] if i + 1 < len(on_disk) else stripped) - s[2])
rows = [[s[0], f"{s[1]:,}", f"{s[3]:,}" if len(s) > 3 else "0"] for s in sections]
rows.append(["headers", "", f"{on_disk[0][2]:,}"])
table(["section", "size (bytes)", "in the file (bytes)"], rows)

print("\n".join(out).lstrip("\n"))

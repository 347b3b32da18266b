#!/usr/bin/env python3
"""report.py RESULTS [PAGE]: prints the figures of what scripts/bench.sh left in RESULTS
(hyperfine's NAME.rN.json, the runner's NAME.rN.LABEL.times, meta.env); with PAGE, also
puts them between the page's two markers."""
import json
import sys
from pathlib import Path
from statistics import median

results = Path(sys.argv[1])
meta = dict(line.split("=", 1) for line in (results / "meta.env").read_text().splitlines())
BEGIN, END = "<!-- scripts/bench.sh writes from here -->", "<!-- to here -->"


def times(group, label):
    """The runner's program times and hyperfine's whole times (ms) of one command, all rounds."""
    program = [float(line.split("ms=")[1]) for path in results.glob(f"{group}.r*.{label}.times")
               for line in path.read_text().splitlines()]
    whole = [t * 1000 for path in results.glob(f"{group}.r*.json")
             for result in json.loads(path.read_text())["results"] if result["command"] == label
             for t in result["times"]]
    if not whole or len(program) != len(whole):
        sys.exit(f"report.py: {group}, {label}: {len(program)} runner lines for {len(whole)} runs")
    return program, whole


def row(measure, group, bits):
    (boot, boot_whole), (floor, floor_whole) = times(group, "bootstrapper"), times(group, "floor")
    msiexec = times(group, "msiexec")[0] if group.startswith("install") else None
    return [measure, f"{bits}-bit", str(len(boot)), f"{median(boot):.1f}",
            f"{median(msiexec):.1f}" if msiexec else "", f"{median(floor):.1f}",
            f"{median(boot) - median(floor):+.1f}", f"×{median(boot) / median(floor):.3f}",
            f"×{min(boot) / min(floor):.3f}", f"×{median(boot) / median(msiexec):.3f}" if msiexec else "",
            f"{median(boot_whole) - median(floor_whole):+.1f}"]


bits = meta["bits"].split()
kib = int(meta["sample_size"]) / 1024
mib = int(meta["payload_size"]) / 1048576
rows = [row(measure, f"{group}-{b}", b) for measure, group in (
    (f"Fresh silent install, sample package ({kib:.1f} KiB)", "install-sample"),
    (f"Fresh silent install, {meta['payload']} MiB payload ({mib:.2f} MiB package)", "install-payload"),
    ("Decision-only run (same version installed, `-silent`)", "decision")) for b in bits]
if "32" not in bits:
    rows.append(["All of the above", "32-bit", "0", f"not measured: {meta['not_measured']}"] + [""] * 7)
repeated = meta["repeated"] or "none"
figures = "\n".join([
    f"Measured at commit {meta['commit']} on {meta['date']}: {meta['wine']}, {meta['cores']} cores, load average "
    f"(1, 5, 15 min) {meta['load_before']} before and {meta['load_after']} after; rounds run again after a "
    f"failed run: {repeated}. Milliseconds, medians of the program times unless named otherwise.",
    "",
    "| Measure | Program | Runs | Bootstrapper | `msiexec` alone | Floor | Bootstrapper − floor | ÷ floor "
    "| ÷ floor, fastest runs | ÷ `msiexec` | Whole runs (hyperfine): bootstrapper − floor |",
    "|---|---|" + "---:|" * 9,
    *("| " + " | ".join(cells) + " |" for cells in rows)])
print(figures)
if len(sys.argv) > 2:
    page = Path(sys.argv[2])
    head, begin, rest = page.read_text().partition(BEGIN)
    _, end, tail = rest.partition(END)
    if not begin or not end:
        sys.exit(f"report.py: {page} lacks the markers {BEGIN} and {END}")
    page.write_text(f"{head}{BEGIN}\n{figures}\n{END}{tail}")

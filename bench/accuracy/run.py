"""Runs morvkit on the benchmark's melodies and prints a table of scores per condition.

  run.py [--morvkit PATH] [--data DIR] [--seed N] [--conditions C...] [--per-melody]

Makes the melodies (melodies.py) in DIR (default build/accuracy) unless they are there from the
same seed and generator, then runs, on every melody of every condition:
  - `morvkit pitch` with the range 40 to 2200 Hz and the gates --min-periodicity 0.5
    --min-level -60 (frames only; it writes no notes);
  - `morvkit track` with the same range, at its default lag, at --lag 100 and at --lag 0, writing
    frames and a MIDI file of notes (skipped, with a message, when the binary has no `track`).
Results are kept in DIR/results/CONFIG/CONDITION/; the tables go to standard output and to
DIR/results.md.  "x real time" is the audio's duration over the processor time of the whole
command (all its processes, start-up and file reading included), run with --jobs 1; "less
start-up" the same without the cost of a run on 0.1 s of silence, once per melody.
"""

import argparse
import hashlib
import os
import resource
import subprocess
import sys

import soundfile

import melodies
import score

HERE = os.path.dirname(os.path.abspath(__file__))
RANGE = ["--fmin", "40", "--fmax", "2200"]
# label, command, its extra options, whether it writes notes
CONFIGS = (
    ("pitch, range + gates", "pitch", ["--min-periodicity", "0.5", "--min-level", "-60"], False),
    ("track, default lag", "track", [], True),
    ("track, --lag 100", "track", ["--lag", "100"], True),
    ("track, --lag 0", "track", ["--lag", "0"], True),
)
COLUMNS = score.COLUMNS + ("x real time", "less start-up")


def ensure_melodies(folder, seed):
    """Makes the set unless the folder holds one from this seed and this generator."""
    with open(os.path.join(HERE, "melodies.py"), "rb") as f:
        stamp = f"seed {seed}, generator {hashlib.sha256(f.read()).hexdigest()[:16]}\n"
    stamp_path = os.path.join(folder, "set.txt")
    if os.path.exists(stamp_path) and open(stamp_path).read() == stamp:
        return
    print(f"making the melodies in {folder} ...", file=sys.stderr)
    names, notes = melodies.write_set(folder, seed)
    print(f"{len(names)} melodies, {notes} notes", file=sys.stderr)
    with open(stamp_path, "w") as f:
        f.write(stamp)


def help_text(morvkit, command):
    """The command's --help, or None when the binary does not have the command (its --help is
    then the program's, whose usage line names no command)."""
    result = subprocess.run([morvkit, command, "--help"], capture_output=True, text=True)
    usage = f"Usage: {command} "
    return result.stdout if result.returncode == 0 and usage in result.stdout else None


def timed(argv):
    """Runs argv; returns its processor time (user + system, its child processes included)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(argv, capture_output=True, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        raise SystemExit(f"failed ({result.returncode}): {' '.join(argv)}\n{result.stderr}")
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def run_config(morvkit, helps, config, condition, data, names):
    """Runs one configuration on one condition's melodies; returns the pooled scores (with the
    speed) and the scores per melody."""
    label, command, extra, writes_notes = config
    out = os.path.join(data, "results", label.replace(", ", "_").replace(" ", "").replace("+", "_"),
                       condition)
    os.makedirs(out, exist_ok=True)
    common = ["--quiet"] + (["--jobs", "1"] if "--jobs" in helps[command] else [])

    def run(wav, name):
        argv = [morvkit, command, wav] + RANGE + extra + common
        argv += ["--output", os.path.join(out, name + ".frames.csv")]
        if writes_notes:
            argv += ["--notes", os.path.join(out, name + ".mid")]
        return timed(argv)

    seconds, cpu = 0.0, 0.0
    for name in names:
        wav = os.path.join(data, condition, name + ".wav")
        cpu += run(wav, name)
        seconds += soundfile.info(wav).duration
    # What a run costs before and after the analysis: the best of three on 0.1 s of silence.
    start_up = min(run(os.path.join(data, "silence.wav"), "silence") for _ in range(3))
    pooled, per_melody = score.score_folder(os.path.join(data, "truth"), out)
    pooled["x real time"] = seconds / cpu
    pooled["less start-up"] = seconds / max(cpu - len(names) * start_up, 1e-9)
    return pooled, per_melody


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--morvkit", default=os.path.join(HERE, "..", "..", "build", "tools",
                                                          "morvkit", "morvkit"))
    parser.add_argument("--data", default=os.path.join(HERE, "..", "..", "build", "accuracy"))
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--conditions", nargs="+", choices=melodies.CONDITIONS,
                        default=list(melodies.CONDITIONS))
    parser.add_argument("--per-melody", action="store_true", help="also a table per melody")
    args = parser.parse_args()
    morvkit, data = os.path.abspath(args.morvkit), os.path.abspath(args.data)
    if not os.access(morvkit, os.X_OK):
        raise SystemExit(f"no morvkit at {morvkit} (build it, or give --morvkit PATH)")
    ensure_melodies(data, args.seed)
    soundfile.write(os.path.join(data, "silence.wav"), [0.0] * 4410, melodies.SR, subtype="FLOAT")
    names = [m[0] for m in melodies.MELODIES]
    helps = {c: help_text(morvkit, c) for c in ("pitch", "track")}
    configs = [c for c in CONFIGS if helps[c[1]] is not None]
    if helps["track"] is None:
        print(f"{morvkit} has no `track` command: only `morvkit pitch` is run", file=sys.stderr)

    report = [f"Scores in percent, on {len(names)} melodies (seed {args.seed}); `morvkit` = "
              f"{morvkit}, all with {' '.join(RANGE)}.\n"]
    for condition in args.conditions:
        rows, details = [], []
        for config in configs:
            pooled, per_melody = run_config(morvkit, helps, config, condition, data, names)
            rows.append((config[0], pooled))
            details += [(f"{config[0]}: {name}", s) for name, s in per_melody.items()]
        section = f"### {condition}\n\n{score.table(rows, COLUMNS)}\n"
        if args.per_melody:
            section += f"\n{score.table(details, COLUMNS)}\n"
        print(section, flush=True)
        report.append(section)
    with open(os.path.join(data, "results.md"), "w") as f:
        f.write("\n".join(report))
    print(f"written to {os.path.join(data, 'results.md')}", file=sys.stderr)


if __name__ == "__main__":
    main()

"""Scores a pitch track and notes against a melody's truth (from melodies.py), with mir_eval.

Frames: a CSV with a header naming at least `time` and `frequency` (Hz); a `voiced` column
(0/1) is the estimate's voicing, and without one every row with a frequency above 0 is voiced.
A negative frequency is an unvoiced frame's best guess (the melody scores' convention), 0 none.
That reads `morvkit track` rows (time,frequency,voicing probability,voiced) and `morvkit pitch`
rows (time,frequency,amplitude,periodicity[,voiced]).  The estimate is resampled onto the
truth's times by mir_eval (linear in pitch); its times are taken as written.

  raw pitch     share of the truth's voiced frames whose estimate is within 50 cents, whatever
                the estimate's voicing (mir_eval.melody.raw_pitch_accuracy)
  raw chroma    the same, octaves ignored
  octave        share of the truth's voiced frames off by a whole number of octaves (within 50
                cents of it), whatever the estimate's voicing: raw chroma - raw pitch
  note starts   raw pitch over the first 100 ms of every note, where trackers lose most
  voicing recall, voicing false alarm, overall accuracy: mir_eval.melody's

Notes: a CSV with a header naming the onset (`onset`, `start` or `time`), the offset (`offset`
or `end`, or a `duration`) and the pitch (`pitch`, `midi` or `note`, a MIDI note number, may be
fractional), or a Standard MIDI File (.mid; note-on/note-off pairs, times from its tempo map).
Scored with mir_eval.transcription: onset within 50 ms and pitch within 50 cents ("onset F"),
and also the offset within 20 % of the note or 50 ms ("onset+offset F").

  score.py TRUTH FRAMES.csv [NOTES.csv|NOTES.mid] [--shift SECONDS]
  score.py TRUTH_DIR RESULTS_DIR [--shift SECONDS]
where TRUTH is the truth's path without its suffix, e.g. build/accuracy/truth/05-clarinet.  With
folders, every melody with a RESULTS_DIR/NAME.frames.csv is scored (with RESULTS_DIR/NAME.mid or
NAME.notes.csv if every one has notes), one row per melody and one of them all pooled.
--shift moves the estimate's frames and notes that much earlier: a diagnosis of how much of the
error is latency (the benchmark itself scores the times as written).
"""

import csv
import os
import sys
import warnings

import mido
import mir_eval
import numpy as np

warnings.filterwarnings("ignore", message="Non-uniform timescale", module="mir_eval")


def midi_hz(m):
    return 440.0 * 2.0 ** ((np.asarray(m, dtype=float) - 69.0) / 12.0)


def read_columns(path):
    """The CSV's columns by header name, as float arrays."""
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    header = [h.strip().lower() for h in rows[0]]
    data = np.array(rows[1:], dtype=float).reshape(-1, len(header))
    return {name: data[:, i] for i, name in enumerate(header)}


def pick(columns, names, path):
    for name in names:
        if name in columns:
            return columns[name]
    raise SystemExit(f"{path}: no column named {' or '.join(names)} (has {', '.join(columns)})")


def read_frames(path):
    """(times, frequencies in Hz with 0 for none, voiced as 0/1)."""
    columns = read_columns(path)
    times = pick(columns, ["time"], path)
    freq = np.nan_to_num(pick(columns, ["frequency"], path), nan=0.0, posinf=0.0, neginf=0.0)
    voiced = columns["voiced"] if "voiced" in columns else (freq > 0).astype(float)
    # The estimate is interpolated between rows, so a missing row would be bridged unseen.
    # (mir_eval's own check also fires on rows whose times were rounded when written.)
    steps = np.diff(times)
    if len(steps) > 1 and np.ptp(steps) > 0.1 * np.median(steps):
        print(f"{path}: warning: rows not evenly spaced ({steps.min():.4f} to "
              f"{steps.max():.4f} s apart)", file=sys.stderr)
    return times, np.abs(freq), voiced


def read_notes(path):
    """(intervals as an n x 2 array of seconds, pitches as MIDI note numbers)."""
    if path.lower().endswith((".mid", ".midi")):
        return read_midi(path)
    columns = read_columns(path)
    onset = pick(columns, ["onset", "start", "time"], path)
    if "duration" in columns:
        offset = onset + columns["duration"]
    else:
        offset = pick(columns, ["offset", "end"], path)
    pitch = pick(columns, ["pitch", "midi", "note"], path)
    return np.column_stack([onset, offset]).reshape(-1, 2), pitch


def read_midi(path):
    notes, sounding, now = [], {}, 0.0
    for message in mido.MidiFile(path):  # message.time: seconds since the previous message
        now += message.time
        if message.type not in ("note_on", "note_off"):
            continue
        key = (message.channel, message.note)
        if key in sounding:  # any event on a sounding key ends it (a note-on re-attacks)
            notes.append((sounding.pop(key), now, message.note))
        if message.type == "note_on" and message.velocity > 0:
            sounding[key] = now
    notes += [(start, now, key[1]) for key, start in sounding.items()]
    notes.sort()
    intervals = np.array([n[:2] for n in notes], dtype=float).reshape(-1, 2)
    return intervals, np.array([n[2] for n in notes], dtype=float)


def frame_arrays(truth_times, truth_freq, times, freq, voiced, onsets=()):
    """mir_eval's (truth voicing, truth cents, estimate voicing, estimate cents) on the
    truth's times, and whether each of those times lies in the first 100 ms of a note."""
    arrays = mir_eval.melody.to_cent_voicing(truth_times, truth_freq.copy(), times, freq.copy(),
                                             voiced.astype(float))
    if truth_times[0] > 0:  # mir_eval has put a frame at 0 before the first
        truth_times = np.insert(truth_times, 0, 0.0)
    starts = np.zeros(len(truth_times), dtype=bool)
    for onset in onsets:
        starts |= (truth_times >= onset) & (truth_times < onset + 0.1)
    return arrays + (starts,)


def frame_scores(arrays):
    """The frame measures, in percent, of the (concatenated) arrays of frame_arrays."""
    m = mir_eval.melody
    pitch_arrays, starts = arrays[:4], arrays[4]
    raw_pitch = m.raw_pitch_accuracy(*pitch_arrays)
    raw_chroma = m.raw_chroma_accuracy(*pitch_arrays)
    recall, false_alarm = m.voicing_measures(pitch_arrays[0], pitch_arrays[2])
    return {"raw pitch": 100 * raw_pitch, "raw chroma": 100 * raw_chroma,
            "octave": 100 * (raw_chroma - raw_pitch),
            "note starts": 100 * m.raw_pitch_accuracy(*(a[starts] for a in pitch_arrays)),
            "voicing recall": 100 * recall, "voicing false alarm": 100 * false_alarm,
            "overall": 100 * m.overall_accuracy(*pitch_arrays)}


def note_counts(truth, estimate):
    """Matches of the estimate's notes against the truth's: [onset matches, onset+offset
    matches, truth notes, estimated notes].  Summed over melodies, note_scores turns them into
    F-measures."""
    (ti, tp), (ei, ep) = truth, estimate
    if len(ei):
        ei = np.maximum(ei, [0, 0])
        ei[:, 1] = np.maximum(ei[:, 1], ei[:, 0] + 1e-3)  # mir_eval wants positive durations
    if not len(ti) or not len(ei):
        return np.array([0, 0, len(ti), len(ei)])
    t = mir_eval.transcription
    onset = t.match_notes(ti, midi_hz(tp), ei, midi_hz(ep), offset_ratio=None)
    both = t.match_notes(ti, midi_hz(tp), ei, midi_hz(ep))
    return np.array([len(onset), len(both), len(ti), len(ei)])


def note_scores(counts):
    def f(matched):
        return 200.0 * matched / (counts[2] + counts[3]) if counts[2] + counts[3] else 0.0
    return {"onset F": f(counts[0]), "onset+offset F": f(counts[1])}


def read_truth(stem):
    times, freq = read_columns(stem + ".frames.csv").values()
    return (times, freq), read_notes(stem + ".notes.csv")


def score_one(truth_stem, frames, notes=None, shift=0.0):
    """One melody's frame arrays (frame_arrays) and note counts (note_counts; None without
    notes), the estimate moved `shift` seconds earlier."""
    (truth_times, truth_freq), truth_notes = read_truth(truth_stem)
    times, freq, voiced = read_frames(frames)
    arrays = frame_arrays(truth_times, truth_freq, times - shift, freq, voiced,
                          truth_notes[0][:, 0])
    if notes is None:
        return arrays, None
    intervals, pitches = read_notes(notes)
    return arrays, note_counts(truth_notes, (intervals - shift, pitches))


def score_folder(truth_dir, results_dir, shift=0.0):
    """Scores results_dir/NAME.frames.csv, with NAME.mid or NAME.notes.csv if every melody has
    one, for every melody NAME of truth_dir that has results.  Returns the scores of all of
    them pooled, and a dict of the scores of each."""
    names = sorted(f[: -len(".frames.csv")] for f in os.listdir(truth_dir)
                   if f.endswith(".frames.csv"))
    names = [n for n in names if os.path.exists(os.path.join(results_dir, n + ".frames.csv"))]
    if not names:
        raise SystemExit(f"{results_dir}: no NAME.frames.csv of a melody of {truth_dir}")
    notes = {}
    for name in names:
        found = [p for p in (os.path.join(results_dir, name + suffix)
                             for suffix in (".mid", ".notes.csv")) if os.path.exists(p)]
        notes[name] = found[0] if found else None
    with_notes = all(notes.values())
    arrays, counts, per_melody = [], np.zeros(4, dtype=int), {}
    for name in names:
        a, c = score_one(os.path.join(truth_dir, name), os.path.join(results_dir,
                         name + ".frames.csv"), notes[name] if with_notes else None, shift)
        arrays.append(a)
        per_melody[name] = frame_scores(a)
        if with_notes:
            counts += c
            per_melody[name].update(note_scores(c))
    pooled = frame_scores([np.concatenate(parts) for parts in zip(*arrays)])
    if with_notes:
        pooled.update(note_scores(counts))
    return pooled, per_melody


COLUMNS = ("raw pitch", "raw chroma", "octave", "note starts", "voicing recall",
           "voicing false alarm", "overall", "onset F", "onset+offset F")


def table(rows, columns=COLUMNS):
    """A markdown table of (label, scores) rows; a score a row lacks is shown as -."""
    lines = ["| | " + " | ".join(columns) + " |", "|---" * (len(columns) + 1) + "|"]
    for label, scores in rows:
        cells = [f"{scores[c]:.1f}" if c in scores else "-" for c in columns]
        lines.append(f"| {label} | " + " | ".join(cells) + " |")
    return "\n".join(lines)


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("truth", help="a melody's truth without suffix, or the truth folder")
    parser.add_argument("frames", help="a frames CSV, or with a truth folder the results folder")
    parser.add_argument("notes", nargs="?", help="a notes CSV or MIDI file")
    parser.add_argument("--shift", type=float, default=0.0)
    args = parser.parse_args()
    if os.path.isdir(args.truth):
        pooled, per_melody = score_folder(args.truth, args.frames, args.shift)
        print(table(list(per_melody.items()) + [("all", pooled)]))
    else:
        arrays, counts = score_one(args.truth, args.frames, args.notes, args.shift)
        scores = frame_scores(arrays)
        if counts is not None:
            scores.update(note_scores(counts))
        for name, value in scores.items():
            print(f"{name:20} {value:6.1f} %")

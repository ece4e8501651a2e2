"""Synthetic monophonic melodies with known notes, the test set of the accuracy benchmark.

Everything follows from one seed: the same seed gives the same notes, samples and truth.  Each
melody has its own timbre and register (a plucked bass down to E1, 41 Hz, up to a flute and a
plucked string near B6, 1976 Hz), and its notes mix legato steps (slurred, without a new
attack, where bowed or blown), slow glides, detached and repeated notes, rests, vibrato (with
its swell of level) and attacks that scoop into the pitch.  Levels vary over 14 dB.  Every melody is written in four conditions: clean, white
noise at 20 and 10 dB below the melody's level, and reverb.

For each melody NAME the truth is two CSV files:
  NAME.frames.csv  time,frequency      every HOP samples; frequency 0 where no note sounds
  NAME.notes.csv   onset,offset,pitch  seconds, seconds, MIDI note number

A note sounds from its onset to its offset; its release after the offset (and any reverb) is
not part of it, so a tracker that calls a release tail voiced is charged a false alarm.  Where
two notes are joined by a glide, the boundary is the glide's midpoint: the first note ends and
the second begins there, and the frame truth follows the glide itself.
"""

import os

import numpy as np
import soundfile
from scipy.signal import butter, fftconvolve, sosfilt

SR = 44100
HOP = 256  # truth grid: 5.8 ms, the row rate of `morvkit pitch`
CONDITIONS = ("clean", "snr20", "snr10", "reverb")

# Timbres: a harmonic spectrum, an envelope family, stiffness and noise.
#   spectrum  amplitude of harmonic k (1, 2, ...) at fundamental f (Hz)
#   kind      "plucked": 3 ms attack, exponential decay, higher harmonics dying sooner;
#             "bowed": slow attack, sustained; "blown": quicker attack, sustained, breath noise
#   stiffness B in f_k = k f sqrt(1 + B k^2) (normalised so that the first partial is f)
#   noise     level of band-limited noise following the envelope (breath, bow), with a burst at
#             each attack
TIMBRES = {
    "plucked": dict(spectrum=lambda k, f: np.abs(np.sin(np.pi * k * 0.13)) / k**1.5 + 0.02 / k,
                    kind="plucked", stiffness=1.5e-4, noise=0.0),
    "bowed": dict(spectrum=lambda k, f: 1.0 / k, kind="bowed", stiffness=0.0, noise=0.02),
    "flute": dict(spectrum=lambda k, f: 1.0 / k**2.5, kind="blown", stiffness=0.0, noise=0.06),
    "clarinet": dict(spectrum=lambda k, f: np.where(k % 2 == 1, 1.0, 0.08) / k, kind="blown",
                     stiffness=0.0, noise=0.02),
    # A formant near 900 Hz: low notes have a weak fundamental under strong 3rd-8th harmonics.
    "reed": dict(spectrum=lambda k, f: np.exp(-0.5 * ((k * f - 900.0) / 450.0) ** 2) + 0.08 / k,
                 kind="blown", stiffness=0.0, noise=0.03),
    "synth-bass": dict(spectrum=lambda k, f: 1.0 / k**2, kind="bowed", stiffness=0.0, noise=0.0),
}

# name, timbre, lowest and highest MIDI note, seconds of music
MELODIES = (
    ("01-plucked-bass", "plucked", 28, 50, 16),
    ("02-synth-bass", "synth-bass", 28, 48, 14),
    ("03-cello", "bowed", 36, 62, 16),
    ("04-reed-low", "reed", 43, 67, 14),
    ("05-clarinet", "clarinet", 50, 77, 15),
    ("06-guitar", "plucked", 40, 76, 16),
    ("07-reed-mid", "reed", 55, 80, 14),
    ("08-violin", "bowed", 55, 90, 16),
    ("09-flute-low", "flute", 60, 84, 14),
    ("10-flute-high", "flute", 72, 95, 15),
    ("11-plucked-high", "plucked", 67, 95, 14),
    ("12-clarinet-high", "clarinet", 62, 88, 14),
)


def midi_hz(m):
    return 440.0 * 2.0 ** ((np.asarray(m, dtype=float) - 69.0) / 12.0)


def compose(rng, low, high, seconds, plucked):
    """The notes of one melody: dicts with onset, offset, midi, level (linear), the glide into
    the next note (seconds, 0 = none), vibrato (rate Hz, depth cents), whether it is slurred
    from the note before (bowed or blown on without a new attack) and the scoop of its attack
    (cents off at the onset, settling within about 0.1 s)."""
    notes = []
    t = 0.25
    slurred = False
    midi = int(rng.integers(low + 3, high - 2))
    while t < seconds:
        duration = float(rng.choice([0.12, 0.18, 0.25, 0.35, 0.5, 0.7, 1.0],
                                    p=[0.08, 0.14, 0.22, 0.2, 0.18, 0.1, 0.08]))
        vibrato = (0.0, 0.0)
        if duration >= 0.5 and rng.random() < 0.45:
            vibrato = (float(rng.uniform(4.5, 6.5)), float(rng.uniform(15, 50)))
        scoop = 0.0
        if not plucked and not slurred and rng.random() < 0.5:
            scoop = float(rng.uniform(20, 50)) * (-1 if rng.random() < 0.7 else 1)
        note = dict(onset=t, offset=t + duration, midi=midi, glide=0.0, vibrato=vibrato,
                    level=float(10 ** (rng.uniform(-14, 0) / 20)), slurred=slurred, scoop=scoop)
        notes.append(note)
        # How the next note follows: repeated, legato, gliding, detached, or after a rest.
        repeat = rng.random() < 0.15
        joint = rng.choice(["legato", "glide", "detached", "rest"], p=[0.35, 0.1, 0.3, 0.25])
        if repeat:
            gap = 0.0 if plucked and rng.random() < 0.5 else float(rng.uniform(0.03, 0.07))
        elif joint == "legato":
            gap, note["glide"] = 0.0, float(rng.uniform(0.02, 0.05))
        elif joint == "glide":
            gap, note["glide"] = 0.0, float(rng.uniform(0.1, 0.25))
        elif joint == "detached":
            gap = float(rng.uniform(0.04, 0.12))
        else:
            gap = float(rng.uniform(0.25, 0.7))
        t = note["offset"] + gap
        slurred = not plucked and not repeat and joint in ("legato", "glide")
        if not repeat:
            step = int(rng.choice([1, 2, 2, 3, 4, 5, 7, 12])) * (1 if rng.random() < 0.5 else -1)
            midi = midi + step if low <= midi + step <= high else midi - step
            midi = min(max(midi, low), high)
    return notes


def f0_curve(notes, n):
    """The fundamental at every sample: each note's pitch with its vibrato, held until the next
    onset, and a raised-cosine glide (in log frequency) centred on a glided boundary."""
    t = np.arange(n) / SR
    log_f = np.full(n, np.log2(midi_hz(notes[0]["midi"])))
    for i, note in enumerate(notes):
        start = int(round(note["onset"] * SR))
        end = int(round(notes[i + 1]["onset"] * SR)) if i + 1 < len(notes) else n
        u = t[start:end] - note["onset"]
        log_f[start:end] = np.log2(midi_hz(note["midi"])) + note["scoop"] / 1200 * np.exp(-u / 0.03)
        rate, depth = note["vibrato"]
        if depth:
            # The vibrato fades in over the note's first 0.35 s, as players do.
            fade = np.clip((u - 0.1) / 0.25, 0.0, 1.0)
            log_f[start:end] += depth / 1200.0 * fade * np.sin(2 * np.pi * rate * u)
    for i, note in enumerate(notes[:-1]):
        if note["glide"]:
            a = int(round((note["offset"] - note["glide"] / 2) * SR))
            b = int(round((note["offset"] + note["glide"] / 2) * SR))
            f_from, f_to = np.log2(midi_hz([note["midi"], notes[i + 1]["midi"]]))
            shape = 0.5 - 0.5 * np.cos(np.pi * np.arange(b - a) / (b - a))
            log_f[a:b] = f_from + (f_to - f_from) * shape
    return 2.0**log_f


def envelopes(notes, n, kind):
    """The amplitude envelope (the loudest of the notes' own envelopes at each sample) and the
    time since the sounding note's onset (which drives the plucked harmonics' decay)."""
    t = np.arange(n) / SR
    env = np.zeros(n)
    since = np.zeros(n)
    previous_level = 0.0
    for note in notes:
        on, off = note["onset"], note["offset"]
        start = int(round(on * SR))
        u = t[start:] - on
        if kind == "plucked":
            # A string rings down over about a second, low strings longer; damped at the offset.
            attack = np.clip(u / 0.003, 0.0, 1.0)
            body = np.exp(-u / (0.35 + 0.9 * (110.0 / midi_hz(note["midi"])) ** 0.3))
            release = 0.015
        else:
            rise = 0.07 if kind == "bowed" else 0.04
            attack = 0.5 - 0.5 * np.cos(np.pi * np.clip(u / rise, 0.0, 1.0))
            if note["slurred"]:  # no new attack: the level moves on from the note before
                start_level = min(previous_level / note["level"], 1.0)
                attack = start_level + (1 - start_level) * np.clip(u / 0.03, 0.0, 1.0)
            # Vibrato moves the level too (by 10 %), as bowed and blown vibrato does.
            rate, depth = note["vibrato"]
            body = 1.0 + (0.1 * np.sin(2 * np.pi * rate * u) if depth else 0.0)
            release = 0.03 if kind == "bowed" else 0.02
        damp = np.exp(-np.clip(t[start:] - off, 0.0, None) / release)
        env[start:] = np.maximum(env[start:], note["level"] * attack * body * damp)
        since[start:] = u
        previous_level = note["level"]
    return env, since


def synthesize(notes, seconds, timbre, rng):
    n = int(round(seconds * SR))
    f0 = f0_curve(notes, n)
    env, since = envelopes(notes, n, timbre["kind"])
    phase = 2 * np.pi * np.cumsum(f0) / SR
    B = timbre["stiffness"]
    x = np.zeros(n)
    for k in range(1, 41):
        stretch = k * np.sqrt((1 + B * k * k) / (1 + B))
        if stretch * f0.max() > 16000:
            break
        amp = timbre["spectrum"](k, f0)
        if timbre["kind"] == "plucked":
            amp = amp * np.exp(-since * 1.2 * k)  # upper partials of a string die first
        x += amp * np.sin(stretch * phase + rng.uniform(0, 2 * np.pi))
    x *= env
    if timbre["noise"]:
        # Breath or bow noise: band-passed white noise on the envelope, with a burst at each
        # attack (the chiff of a blown note, the scratch of a bow).
        hiss = sosfilt(butter(2, [800, 6000], btype="band", fs=SR, output="sos"),
                       rng.standard_normal(n))
        burst = np.zeros(n)
        for note in (note for note in notes if not note["slurred"]):
            start = int(round(note["onset"] * SR))
            u = np.arange(n - start) / SR
            burst[start:] = np.maximum(burst[start:], 4 * note["level"] * np.exp(-u / 0.03))
        x += timbre["noise"] * np.std(x) / np.std(hiss) * hiss * (env + burst)
    return x, f0


def truth_frames(notes, f0):
    """Times every HOP samples and the fundamental there, 0 where no note sounds."""
    index = np.arange(0, len(f0), HOP)
    times = index / SR
    sounding = np.zeros(len(index), dtype=bool)
    for note in notes:
        sounding |= (times >= note["onset"]) & (times < note["offset"])
    return times, np.where(sounding, f0[index], 0.0)


def reverb_ir(rng, rt60=0.5, direct_to_reverb_db=3.0):
    """A room: the direct sound, then after 10 ms a tail of white noise decaying by 60 dB in
    rt60 seconds, darker as it decays, its energy set against the direct sound's."""
    t = np.arange(int(1.5 * rt60 * SR)) / SR
    tail = rng.standard_normal(len(t)) * np.exp(-6.91 * t / rt60)
    tail = 0.5 * (tail + sosfilt(butter(1, 3000, fs=SR, output="sos"), tail))
    tail[: int(0.01 * SR)] = 0
    tail *= np.sqrt(10 ** (-direct_to_reverb_db / 10) / np.sum(tail**2))
    tail[0] = 1.0
    return tail


def conditions(x, sounding, rng):
    """The clean melody and its three degraded versions, each scaled to a peak of 0.9.  The
    noise level is set against the melody's mean power while notes sound."""
    power = np.mean(x[sounding] ** 2)
    out = {"clean": x}
    for snr in (20, 10):
        noise = rng.standard_normal(len(x)) * np.sqrt(power / 10 ** (snr / 10))
        out[f"snr{snr}"] = x + noise
    out["reverb"] = fftconvolve(x, reverb_ir(rng))[: len(x)]
    return {name: 0.9 * y / np.max(np.abs(y)) for name, y in out.items()}


def write_set(folder, seed=1):
    """Writes folder/CONDITION/NAME.wav and folder/truth/NAME.{frames,notes}.csv; returns the
    melodies' names and the number of notes."""
    for sub in CONDITIONS + ("truth",):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    total = 0
    for index, (name, timbre_name, low, high, seconds) in enumerate(MELODIES):
        rng = np.random.default_rng([seed, index])
        timbre = TIMBRES[timbre_name]
        notes = compose(rng, low, high, seconds, timbre["kind"] == "plucked")
        length = notes[-1]["offset"] + 1.0
        x, f0 = synthesize(notes, length, timbre, rng)
        times, truth_f0 = truth_frames(notes, f0)
        sounding = np.zeros(len(x), dtype=bool)
        for note in notes:
            sounding[int(note["onset"] * SR): int(note["offset"] * SR)] = True
        for condition, y in conditions(x, sounding, rng).items():
            soundfile.write(os.path.join(folder, condition, name + ".wav"), y.astype(np.float32),
                            SR, subtype="FLOAT")
        stem = os.path.join(folder, "truth", name)
        np.savetxt(stem + ".frames.csv", np.column_stack([times, truth_f0]), delimiter=",",
                   fmt="%.6f", header="time,frequency", comments="")
        np.savetxt(stem + ".notes.csv",
                   [(nt["onset"], nt["offset"], nt["midi"]) for nt in notes], delimiter=",",
                   fmt=("%.6f", "%.6f", "%d"), header="onset,offset,pitch", comments="")
        total += len(notes)
    return [m[0] for m in MELODIES], total


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", help="where to write (made if missing)")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    names, notes = write_set(args.folder, args.seed)
    print(f"{len(names)} melodies, {notes} notes, in {args.folder}")

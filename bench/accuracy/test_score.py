"""Checks of the scorer's own logic on hand-made cases (python3 -m unittest in this folder)."""

import os
import tempfile
import unittest

import mido
import numpy as np

import score


class Frames(unittest.TestCase):
    def test_only_whole_octaves_off_count(self):
        times = np.arange(8) * 0.01
        truth = np.array([220.0] * 7 + [0.0])
        # right, an octave up, two octaves down, 40 cents off, a fifth up, 0 Hz, an octave down
        # but called unvoiced, and a pitch where the truth has none
        estimate = np.array([220.0, 440.0, 55.0, 220 * 2 ** (40 / 1200), 330.0, 0.0, 110.0, 220])
        voiced = np.array([1, 1, 1, 1, 1, 0, 0, 1])
        s = score.frame_scores(score.frame_arrays(times, truth, times, estimate, voiced, [0.025]))
        self.assertAlmostEqual(s["raw pitch"], 100 * 2 / 7)
        self.assertAlmostEqual(s["octave"], 100 * 3 / 7)
        self.assertAlmostEqual(s["note starts"], 100 / 4)  # 0.025 to 0.125 s: frames 3 to 6
        self.assertAlmostEqual(s["voicing recall"], 100 * 5 / 7)
        self.assertAlmostEqual(s["voicing false alarm"], 100.0)

    def test_a_negative_frequency_is_an_unvoiced_guess(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "frames.csv")
            with open(path, "w") as f:
                f.write("time,frequency\n0,220\n0.01,-220\n0.02,0\n")
            times, freq, voiced = score.read_frames(path)
        np.testing.assert_array_equal(freq, [220, 220, 0])
        np.testing.assert_array_equal(voiced, [1, 0, 0])


class MidiNotes(unittest.TestCase):
    def test_pairs_and_times_follow_the_tempo_map(self):
        track = mido.MidiTrack()
        # 480 ticks per beat; 0.5 s per beat, then 1 s per beat from tick 960
        track.append(mido.MetaMessage("set_tempo", tempo=500000, time=0))
        track.append(mido.Message("note_on", note=60, velocity=90, time=480))  # 0.5 s
        track.append(mido.Message("note_on", note=60, velocity=0, time=480))  # 1.0 s: ends it
        track.append(mido.MetaMessage("set_tempo", tempo=1000000, time=0))
        track.append(mido.Message("note_on", note=62, velocity=80, time=240))  # 1.5 s
        track.append(mido.Message("note_on", note=62, velocity=70, time=240))  # 2.0 s: re-attack
        track.append(mido.Message("note_off", note=62, velocity=0, time=480))  # 3.0 s
        midi = mido.MidiFile(ticks_per_beat=480)
        midi.tracks.append(track)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "notes.mid")
            midi.save(path)
            intervals, pitches = score.read_notes(path)
        np.testing.assert_allclose(intervals, [[0.5, 1.0], [1.5, 2.0], [2.0, 3.0]])
        np.testing.assert_array_equal(pitches, [60, 62, 62])


if __name__ == "__main__":
    unittest.main()

// Notes from hand-made decided paths: where they start and end, and what they carry.
#include "track_notes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// 4 frames to start a note, 2 to change pitch, a 6 dB rise over 2 frames to re-attack.
const track_note_params kParams{4, 0.5, 2, 6.0, 2, 440.0, -48.0};

double hz(double midi) {
    return 440.0 * std::exp2((midi - 69.0) / 12.0);
}

// One frame per entry: a MIDI pitch (0 = unvoiced) and a level.
struct Step {
    double midi;
    double level_db = -12.0;
};

// Runs the frames with `lookahead` frames of tentative path after each decided one (as a decoder
// with that lag gives them; the last frames get a shorter one) and closes a sounding note at the
// end.
std::vector<track_note> notes(const std::vector<Step> &steps, int lookahead = 8) {
    std::vector<track_decision> path;
    for (std::size_t t = 0; t < steps.size(); ++t)
        path.push_back({static_cast<std::int64_t>(t), steps[t].level_db, 0.9, steps[t].midi > 0,
                        steps[t].midi > 0 ? hz(steps[t].midi) : 0.0});
    track_notes state = track_notes_start();
    std::vector<track_note> out;
    for (std::size_t t = 0; t < path.size(); ++t) {
        track_note events[2];
        const int count = static_cast<int>(std::min(path.size() - t, std::size_t(lookahead) + 1));
        const int n = track_notes_step(state, kParams, &path[t], count, events);
        out.insert(out.end(), events, events + n);
    }
    track_note end;
    if (track_notes_end(state, static_cast<std::int64_t>(path.size()), &end))
        out.push_back(end);
    return out;
}

std::vector<Step> repeat(Step s, int n) {
    return std::vector<Step>(static_cast<std::size_t>(n), s);
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void expect_note(const track_note &n, std::int64_t time, double pitch, bool on) {
    EXPECT_EQ(n.time, time);
    EXPECT_GE(n.velocity, 0);
    EXPECT_NEAR(n.pitch, pitch, 1e-9);
    EXPECT_EQ(n.velocity > 0, on);
}

TEST(TrackNotes, StartWhereTheSoundStartsAndEndWhereItStops) {
    const auto out = notes(repeat({0}, 3) + repeat({60.2}, 10) + repeat({0}, 3));
    ASSERT_EQ(out.size(), 2u);
    expect_note(out[0], 3, 60.2, true);
    expect_note(out[1], 13, 60.2, false);
}

TEST(TrackNotes, ShortBlipsAndUnstableStartsMakeNoNote) {
    EXPECT_TRUE(notes(repeat({0}, 2) + repeat({64}, 3) + repeat({0}, 6)).empty());
    // A glide: no four frames within half a semitone of their median until it settles at frame 6.
    const auto out = notes({{60}, {61}, {62}, {63}, {64}, {65}, {66}, {66}, {66}, {66}, {0}});
    ASSERT_EQ(out.size(), 2u);
    expect_note(out[0], 6, 66, true);
    expect_note(out[1], 10, 66, false);
}

TEST(TrackNotes, APitchChangeEndsOneNoteAndStartsTheNext) {
    // Legato up a fourth; a one-frame excursion (vibrato, a glitch) changes nothing.
    const auto out =
        notes(repeat({60}, 6) + std::vector<Step>{{61}} + repeat({60}, 3) + repeat({65}, 8));
    ASSERT_EQ(out.size(), 4u);
    expect_note(out[0], 0, 60, true);
    expect_note(out[1], 10, 60, false);
    expect_note(out[2], 10, 65, true);
    expect_note(out[3], 18, 65, false);
}

TEST(TrackNotes, ARiseOfTheLevelReattacksARepeatedNote) {
    const auto out =
        notes(repeat({67, -12}, 6) + repeat({67, -30}, 3) +
              std::vector<Step>{{67, -24}, {67, -14}, {67, -12}} + repeat({67, -12}, 6));
    ASSERT_EQ(out.size(), 4u);
    expect_note(out[0], 0, 67, true);
    // The rise over two frames is steepest at frame 10 (16 dB), not 9 (6) or 11 (12).
    expect_note(out[1], 10, 67, false);
    expect_note(out[2], 10, 67, true);
    EXPECT_EQ(out[3].time, 18);
}

TEST(TrackNotes, VelocityFollowsTheLoudestOnsetFrame) {
    const int expected[][2] = {{0, 127}, {-6, 111}, {-24, 64}, {-48, 1}, {-90, 1}};
    for (const auto &[db, velocity] : expected) {
        const auto out = notes(repeat({60, static_cast<double>(db)}, 5));
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0].velocity, velocity) << db;
    }
}

TEST(TrackNotes, WithoutLookaheadEveryVoicedRunIsANote) {
    // Lag 0: no frame to confirm with, so even the blip is a note; they still never overlap.
    const auto out = notes(repeat({64}, 2) + repeat({0}, 2) + repeat({60}, 5), 0);
    ASSERT_EQ(out.size(), 4u);
    expect_note(out[0], 0, 64, true);
    expect_note(out[1], 2, 64, false);
    expect_note(out[2], 4, 60, true);
    expect_note(out[3], 9, 60, false);
}

TEST(TrackNotes, EndingWithoutANoteSendsNothing) {
    track_notes state = track_notes_start();
    track_note end{-1, -1.0, -1};
    EXPECT_FALSE(track_notes_end(state, 5, &end));
    EXPECT_EQ(end.time, -1);
}

}  // namespace

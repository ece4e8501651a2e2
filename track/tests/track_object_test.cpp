// morv.track~ as a patch meets it: registration, attributes, what each outlet sends and when,
// and the cases that must never leave a note sounding.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "morv_version.h"
#include "track_engine.h"
#include "track_test_host.h"

namespace {

using morvhost::make_float;
using morvhost::make_long;
using morvhost::make_sym;
using track_test::attr_number;
using track_test::kRate;
using track_test::make_box;
using track_test::OutletLog;
using track_test::Player;
using track_test::Sent;
using track_test::tone;

std::vector<double> operator+(std::vector<double> a, const std::vector<double> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(TrackObject, RegistrationPostsTheBanner) {
    ASSERT_TRUE(make_box("morv.track~"));
    const auto lines = morvhost::Host::get().console();
    std::size_t first = 0;
    while (first < lines.size() && lines[first].text.rfind("morv.track~ ", 0) != 0) ++first;
    ASSERT_LT(first + 1, lines.size()) << "no banner";
    EXPECT_NE(lines[first].text.find(MORV_VERSION), std::string::npos) << lines[first].text;
    for (const char *part : {"morvkit developers", "probabilistic YIN", "Mauch", "Dixon"})
        EXPECT_NE(lines[first + 1].text.find(part), std::string::npos) << part;
}

TEST(TrackObject, AttributesAndOutlets) {
    auto box = make_box("morv.track~");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->attributes(),
              (std::vector<std::string>{"fmin", "fmax", "lag", "unit", "a4", "delay"}));
    const struct {
        const char *name, *label;
        double value;
    } expected[] = {{"fmin", "Lowest Pitch", 40.0},
                    {"fmax", "Highest Pitch", 2200.0},
                    {"lag", "Decision Delay", 300.0},
                    {"a4", "Tuning of A4", 440.0}};
    long order = 100;
    for (const auto &e : expected) {
        const auto label = box->attr_meta(e.name, "label");
        ASSERT_EQ(label.size(), 1u) << e.name;
        EXPECT_EQ(std::string(atom_getsym(&label[0])->s_name), e.label);
        EXPECT_EQ(attr_number(*box, e.name), e.value) << e.name;
        const auto o = box->attr_meta(e.name, "order");
        ASSERT_EQ(o.size(), 1u);
        EXPECT_GT(atom_getlong(&o[0]), order - 1) << e.name;
        order = atom_getlong(&o[0]) + 1;
    }
    EXPECT_STREQ(atom_getsym(&box->get_attr("unit")[0])->s_name, "hz");
    EXPECT_EQ(box->signal_inlets(), 1);
    EXPECT_EQ(box->outlets(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(box->outlet(i).is_signal());
}

TEST(TrackObject, TheDelayIsReadOnlyAndFollowsTheLagAndRange) {
    auto box = make_box("morv.track~ @lag 100 @unit foo @fmin nothing");
    ASSERT_TRUE(box);
    EXPECT_STREQ(atom_getsym(&box->get_attr("unit")[0])->s_name, "hz");  // "foo" refused
    EXPECT_EQ(attr_number(*box, "fmin"), 40.0);
    const auto expected = [](double lag, double fmin) {
        return track_derive_geometry({kRate, fmin, 2200.0, lag, 440.0}).delay * 1000.0 / kRate;
    };
    EXPECT_DOUBLE_EQ(attr_number(*box, "delay"), expected(100, 40));
    EXPECT_FALSE(box->send("delay", {make_float(5.0)}));  // a patch cannot set it
    EXPECT_DOUBLE_EQ(attr_number(*box, "delay"), expected(100, 40));
    box->set_attr("lag", {make_long(0)});
    box->set_attr("fmin", {make_float(80.0)});
    EXPECT_DOUBLE_EQ(attr_number(*box, "delay"), expected(0, 80));
    EXPECT_LT(attr_number(*box, "delay"), 25.0);  // frame by frame: the analysis window alone
}

// The frames of a tone: voicing then pitch for each, the pitch the delay after the sound.
TEST(TrackObject, FramesComeTheDelayAfterTheSound) {
    auto box = make_box("morv.track~ @lag 100");
    ASSERT_TRUE(box);
    OutletLog log(*box);
    Player player(*box);
    player.play(tone(0, 0.2) + tone(220, 0.5) + tone(0, 0.5));
    const auto delay =
        static_cast<std::int64_t>(std::llround(attr_number(*box, "delay") * kRate / 1000.0));
    const auto pitches = log.outlet(0);
    ASSERT_GT(pitches.size(), 150u);
    EXPECT_EQ(log.outlet(1).size(), pitches.size());
    // Right to left: each pitch right after its voicing (or after the notes that came first).
    for (std::size_t i = 0; i < log.sent().size(); ++i)
        if (log.sent()[i].outlet == 0) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(log.sent()[i - 1].outlet, 1);
        }
    std::int64_t first_voiced = -1;
    for (const Sent &s : pitches) {
        const double t = static_cast<double>(s.time_samples - delay) / kRate;
        if (s.value > 0 && first_voiced < 0)
            first_voiced = s.time_samples - delay;
        if (t > 0.25 && t < 0.65) {
            EXPECT_NEAR(s.value, 220.0, 1.0) << t;
        } else if (t < 0.15 || t > 0.8) {
            EXPECT_LE(s.value, 0.0) << t;  // unvoiced: the negated pitch, or 0
        }
    }
    EXPECT_NEAR(static_cast<double>(first_voiced) / kRate, 0.2, 0.012);
}

TEST(TrackObject, UnitAndTuningShapeThePitchAndTheNotes) {
    for (const auto &[a4, frame_pitch, note] :
         {std::tuple{442.0, 69.0 + 12.0 * std::log2(220.0 / 442.0), 57L},
          std::tuple{415.0, 69.0 + 12.0 * std::log2(220.0 / 415.0), 58L}}) {
        auto box = make_box("morv.track~ @unit midi @lag 50");
        ASSERT_TRUE(box);
        box->set_attr("a4", {make_float(a4)});
        OutletLog log(*box);
        Player player(*box);
        player.play(tone(220, 0.4) + tone(0, 0.3));
        const auto pitches = log.outlet(0);
        ASSERT_GT(pitches.size(), 40u);
        EXPECT_NEAR(pitches[pitches.size() / 3].value, frame_pitch, 0.01);
        const auto notes = log.notes();
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_EQ(notes[0].value, note);
        EXPECT_GT(notes[0].velocity, 0);
        EXPECT_EQ(notes[1].value, note);
        EXPECT_EQ(notes[1].velocity, 0);
    }
}

// Every case that must end a sounding note: the end comes first, before anything else.
struct EndCase {
    const char *name;
    std::function<void(morvhost::Box &, Player &)> act;
    bool audio_goes_on;  // a new note may start afterwards
};

void PrintTo(const EndCase &c, std::ostream *os) {
    *os << c.name;
}

class NoStuckNotes : public ::testing::TestWithParam<EndCase> {};

TEST_P(NoStuckNotes, TheSoundingNoteEndsFirst) {
    auto box = make_box("morv.track~ @lag 50");
    ASSERT_TRUE(box);
    OutletLog log(*box);
    Player player(*box);
    player.play(tone(330, 0.4));
    auto notes = log.notes();
    ASSERT_EQ(notes.size(), 1u);
    ASSERT_GT(notes[0].velocity, 0);
    log.clear();
    GetParam().act(*box, player);
    morvhost::Host::get().run_scheduler();
    ASSERT_FALSE(log.sent().empty());
    EXPECT_EQ(log.sent()[0].outlet, 2);
    EXPECT_EQ(log.sent()[0].value, notes[0].value);
    EXPECT_EQ(log.sent()[0].velocity, 0);
    log.clear();
    // Afterwards: a new note only if audio still runs, and it ends like any other.
    player.play(tone(330, 0.4) + tone(0, 0.4));
    notes = log.notes();
    if (GetParam().audio_goes_on) {
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_GT(notes[0].velocity, 0);
        EXPECT_EQ(notes[1].velocity, 0);
    } else {
        EXPECT_TRUE(log.sent().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoStuckNotes,
    ::testing::Values(
        EndCase{"reset", [](morvhost::Box &b, Player &) { b.send("reset"); }, true},
        EndCase{"active0", [](morvhost::Box &b, Player &) { b.send("active", {make_long(0)}); },
                false},
        EndCase{"fmin", [](morvhost::Box &b, Player &) { b.set_attr("fmin", {make_float(50)}); },
                true},
        EndCase{"lag", [](morvhost::Box &b, Player &) { b.set_attr("lag", {make_long(0)}); }, true},
        EndCase{"dsp_off", [](morvhost::Box &, Player &p) { p.graph().stop(); }, false}),
    [](const ::testing::TestParamInfo<EndCase> &info) { return std::string(info.param.name); });

TEST(TrackObject, ActiveAgainStartsAfresh) {
    auto box = make_box("morv.track~ @lag 50");
    ASSERT_TRUE(box);
    OutletLog log(*box);
    Player player(*box);
    box->send("active", {make_long(0)});
    player.play(tone(330, 0.3));
    EXPECT_TRUE(log.sent().empty());
    box->send("active", {make_float(1.0)});
    player.play(tone(330, 0.3) + tone(0, 0.3));
    ASSERT_EQ(log.notes().size(), 2u);
    // Its frames start afresh: the first is reported the delay after audio came back.
    EXPECT_FALSE(log.outlet(0).empty());
}

TEST(TrackObject, NotesAlternateOnAndOffThroughAMelody) {
    auto box = make_box("morv.track~ @lag 0");  // frame by frame: the most notes, the least care
    ASSERT_TRUE(box);
    OutletLog log(*box);
    Player player(*box, 256);
    std::vector<double> melody;
    const double pitches[] = {220, 247, 262, 0, 294, 294, 330, 0, 0, 196, 392, 196, 0};
    for (double hz : pitches) melody = melody + tone(hz, 0.15);
    player.play(melody);
    const auto notes = log.notes();
    ASSERT_GE(notes.size(), 10u);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].velocity > 0, i % 2 == 0) << i;
        if (i % 2 == 1) {
            EXPECT_EQ(notes[i].value, notes[i - 1].value) << i;
        }
    }
    EXPECT_EQ(notes.size() % 2, 0u);
}

}  // namespace

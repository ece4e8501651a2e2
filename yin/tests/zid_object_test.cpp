// The zid~ object as a patch meets it: registration, box arguments, attributes, messages.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "morv_version.h"
#include "module_fixture.h"
#include "yin.h"

namespace {

using morvhost::make_float;
using morvhost::make_long;
using morvhost::make_sym;
using morvtest::make_box;
using morvtest::record;

TEST(ZidObject, RegistrationPostsTheBanner) {
    morvtest::load_module("zid~");
    const auto lines = morvhost::Host::get().console();
    ASSERT_GE(lines.size(), 2u);
    size_t first = 0;
    while (first < lines.size() && lines[first].text.rfind("zid~ ", 0) != 0) ++first;
    ASSERT_LT(first + 1, lines.size()) << "no banner";
    EXPECT_NE(lines[first].text.find(MORV_VERSION), std::string::npos) << lines[first].text;
    const std::string &credit = lines[first + 1].text;
    EXPECT_EQ(credit.rfind("  ", 0), 0u) << credit;
    EXPECT_NE(credit.find(" ", 2), 2u) << "exactly two leading spaces";
    for (const char *part : {"morvkit developers", "YIN", "Cheveign", "Kawahara", "2002"})
        EXPECT_NE(credit.find(part), std::string::npos) << part;
}

TEST(ZidObject, PostsNothingButTheBanner) {
    morvtest::load_module("zid~");
    const size_t before = morvhost::Host::get().console().size();
    {
        auto box = make_box("zid~ foo -3 999 @down bar");
        ASSERT_TRUE(box);
        box->set_attr("minfreq", {make_sym("x")});
        box->send("active", {});
        box->send("bang");
        morvhost::DspGraph graph;
        graph.add(*box);
        graph.connect(morvhost::DspGraph::constant(0.0), *box, 0);
        ASSERT_TRUE(graph.compile(44100, 64));
        graph.run(8);
        morvhost::Host::get().run_scheduler();
    }
    EXPECT_EQ(morvhost::Host::get().console().size(), before);
}

TEST(ZidObject, AttributesCarryLabelsAndOrder) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->attributes(), (std::vector<std::string>{"down", "minfreq", "period"}));
    const struct {
        const char *name, *label;
        long order;
    } expected[] = {{"down", "Downsampling Exponent", 100},
                    {"minfreq", "Lowest Estimated Frequency", 101},
                    {"period", "Analysis Period", 102}};
    for (const auto &e : expected) {
        const auto label = box->attr_meta(e.name, "label");
        ASSERT_EQ(label.size(), 1u) << e.name;
        EXPECT_EQ(std::string(atom_getsym(&label[0])->s_name), e.label);
        const auto order = box->attr_meta(e.name, "order");
        ASSERT_EQ(order.size(), 1u) << e.name;
        EXPECT_EQ(atom_getlong(&order[0]), e.order) << e.name;
    }
    // One signal inlet, three float outlets, no assistance, no number or list method.
    EXPECT_EQ(box->signal_inlets(), 1);
    EXPECT_EQ(box->outlets(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(box->outlet(i).is_signal());
    EXPECT_FALSE(box->send("float", {make_float(1.5)}));
    EXPECT_FALSE(box->send("int", {make_long(1)}));
}

TEST(ZidObject, BoxWithoutArgumentsTakesTheDefaults) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    const yin_t &x = record<yin_t>(*box);
    EXPECT_EQ(x.down, 2);
    EXPECT_EQ(x.minfreq, 60.0);
    EXPECT_EQ(x.period, 5.0);
    EXPECT_EQ(x.threshold, 0.1);
    EXPECT_EQ(x.active, 1);
    EXPECT_EQ(x.triggered, 0);
    EXPECT_EQ(x.param_version, 0u);
    EXPECT_EQ(x.applied_version, 0u);
    EXPECT_EQ(x.frames.buffer, nullptr);
    EXPECT_EQ(x.frames.acf, nullptr);
    EXPECT_EQ(x.frames.window_size, 0);
    EXPECT_EQ(x.frames.hop_size, 0);
    EXPECT_EQ(x.frequency, 0.0);
    // The host's 64-bit reading of "down" sees the 32-bit field.
    const auto down = box->get_attr("down");
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(atom_getlong(&down[0]), 2);
}

struct Arguments {
    const char *box;
    int32_t down;
    double minfreq, period;
    uint32_t version;
};

TEST(ZidObject, BoxArgumentsAreReadByPositionAndClamped) {
    const Arguments cases[] = {
        {"zid~ 5 -10 1000", 3, 0, 250, 0},
        {"zid~ -1", 0, 60, 5, 0},
        {"zid~ 1 30.5 12.5", 1, 30.5, 12.5, 0},
        {"zid~ foo 100", 2, 100, 5, 0},  // a symbol keeps its default, later ones still count
        {"zid~ 1 foo 7", 1, 60, 7, 0},
        {"zid~ 0 80 0 3 4", 0, 80, 0, 0},  // arguments after the third are ignored
        {"zid~ 1 @down 3", 3, 60, 5, 1},   // attribute arguments come last and bump
        {"zid~ 1 2 @period 9 @minfreq -4", 1, 0, 9, 2},
        {"zid~ @down foo", 2, 60, 5, 0},  // a rejected attribute value bumps nothing
    };
    for (const Arguments &c : cases) {
        SCOPED_TRACE(c.box);
        auto box = make_box(c.box);
        ASSERT_TRUE(box);
        const yin_t &x = record<yin_t>(*box);
        EXPECT_EQ(x.down, c.down);
        EXPECT_EQ(x.minfreq, c.minfreq);
        EXPECT_EQ(x.period, c.period);
        EXPECT_EQ(x.param_version, c.version);
    }
}

TEST(ZidObject, FloatDownArgumentGoesThroughTheHostsIntegerReading) {
    morvtest::load_module("zid~");
    for (double v : {2.9, -0.5, 1.5}) {
        const t_atom a = make_float(v);
        auto box = morvhost::Box::create("zid~", {a});
        ASSERT_TRUE(box);
        const t_atom_long reading = atom_getlong(&a);
        EXPECT_EQ(record<yin_t>(*box).down, reading < 0 ? 0 : (reading > 3 ? 3 : reading)) << v;
    }
}

TEST(ZidObject, SettersClampStoreAndBump) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    const yin_t &x = record<yin_t>(*box);
    uint32_t version = x.param_version;
    auto set = [&](const char *name, t_atom value) {
        EXPECT_EQ(box->set_attr(name, {value}), MAX_ERR_NONE);
        EXPECT_EQ(x.param_version, ++version) << name;
    };
    set("down", make_long(7));
    EXPECT_EQ(x.down, 3);
    set("down", make_long(-2));
    EXPECT_EQ(x.down, 0);
    // Taken as a 32-bit integer before the clamp: 2^32 + 1 reads as 1, not as "above 3".
    set("down", make_long(4294967297LL));
    EXPECT_EQ(x.down, 1);
    set("minfreq", make_float(100000));
    EXPECT_EQ(x.minfreq, 100000.0);
    set("minfreq", make_long(-3));
    EXPECT_EQ(x.minfreq, 0.0);
    set("period", make_float(300));
    EXPECT_EQ(x.period, 250.0);
    set("period", make_float(-1));
    EXPECT_EQ(x.period, 0.0);
    // The same value again still bumps: the next vector re-derives.
    set("period", make_float(0));
    EXPECT_EQ(x.period, 0.0);
    // The attribute name as a message goes through the same setter.
    EXPECT_TRUE(box->send("minfreq", {make_long(75)}));
    EXPECT_EQ(x.minfreq, 75.0);
    EXPECT_EQ(x.param_version, ++version);
}

TEST(ZidObject, SettersRejectMissingAndSymbolValues) {
    auto box = make_box("zid~ 1 70 8");
    ASSERT_TRUE(box);
    const yin_t &x = record<yin_t>(*box);
    const uint32_t version = x.param_version;
    for (const char *name : {"down", "minfreq", "period"}) {
        EXPECT_EQ(box->set_attr(name, {make_sym("fast")}), MAX_ERR_NONE) << name;
        EXPECT_EQ(box->set_attr(name, {}), MAX_ERR_NONE) << name;
    }
    EXPECT_EQ(x.down, 1);
    EXPECT_EQ(x.minfreq, 70.0);
    EXPECT_EQ(x.period, 8.0);
    EXPECT_EQ(x.param_version, version);
}

TEST(ZidObject, ThresholdIsClampedWithoutBump) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    const yin_t &x = record<yin_t>(*box);
    const uint32_t version = x.param_version;
    ASSERT_TRUE(box->send_text("threshold 2"));
    EXPECT_EQ(x.threshold, 1.0);
    ASSERT_TRUE(box->send_text("threshold -0.5"));
    EXPECT_EQ(x.threshold, 0.0);
    ASSERT_TRUE(box->send_text("threshold 0.25"));
    EXPECT_EQ(x.threshold, 0.25);
    EXPECT_EQ(x.param_version, version);
}

TEST(ZidObject, ActiveFollowsTheIntegerReadingOfItsFirstNumber) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    const yin_t &x = record<yin_t>(*box);
    const uint32_t version = x.param_version;
    auto active = [&](std::vector<t_atom> args) {
        EXPECT_TRUE(box->send("active", std::move(args)));
        return x.active;
    };
    EXPECT_EQ(active({make_long(0)}), 0);
    EXPECT_EQ(active({make_long(5)}), 1);
    // A float counts by the host's integer reading of it, not by being non-zero.
    const t_atom seven_tenths = make_float(0.7);
    ASSERT_EQ(atom_getlong(&seven_tenths), 0);
    EXPECT_EQ(active({seven_tenths}), 0);
    EXPECT_EQ(active({make_float(2.5)}), 1);
    EXPECT_EQ(active({make_long(-3)}), 1);
    // 2^32 is 0 as a 32-bit integer.
    EXPECT_EQ(active({make_long(4294967296LL)}), 0);
    EXPECT_EQ(active({make_long(1), make_long(0)}), 1);  // later atoms do not count
    // Nothing, or a symbol first: no change.
    EXPECT_EQ(active({}), 1);
    EXPECT_EQ(active({make_sym("off")}), 1);
    EXPECT_EQ(active({make_sym("off"), make_long(0)}), 1);
    EXPECT_EQ(x.param_version, version);
}

// The host never compiles a graph at a rate of 0 or below, so dsp64 is called as a host would.
TEST(ZidObject, DspStoresRateAndVectorSizeAndBumps) {
    auto box = make_box("zid~");
    ASSERT_TRUE(box);
    using dsp64_fn = void (*)(t_object *, t_object *, short *, double, long, long);
    // Through void (*)(), the generic function pointer type, as the host itself casts methods.
    const auto dsp64 = reinterpret_cast<dsp64_fn>(
        reinterpret_cast<void (*)()>(object_getmethod(box->object(), gensym("dsp64"))));
    ASSERT_NE(dsp64, nullptr);
    const yin_t &x = record<yin_t>(*box);
    short connected = 1;
    const struct {
        double rate;
        long vector;
        double stored_rate;
        int32_t stored_vector;
    } cases[] = {
        {0.0, 64, 44100, 64},
        {-48000, 128, 44100, 128},
        {96000, 256, 96000, 256},
#if LONG_MAX > INT32_MAX  // a long wider than the stored field (not on 64-bit Windows)
        {48000, static_cast<long>((1LL << 32) + 32), 48000, 32},  // narrowed to 32 bits
#endif
    };
    uint32_t version = x.param_version;
    for (const auto &c : cases) {
        dsp64(box->object(), nullptr, &connected, c.rate, c.vector, 0);
        EXPECT_EQ(x.samplerate, c.stored_rate) << c.rate;
        EXPECT_EQ(x.max_vector_size, c.stored_vector) << c.vector;
        EXPECT_EQ(x.param_version, ++version);
    }
    // A rate that is not a number is no rate "0 or below": it passes to the geometry as it is.
    dsp64(box->object(), nullptr, &connected, std::nan(""), 64, 0);
    EXPECT_TRUE(std::isnan(x.samplerate));
}

}  // namespace

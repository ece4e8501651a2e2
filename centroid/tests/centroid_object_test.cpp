// morv.centroid~ as an object in the stand-in host: labels, the kernel chosen at dsp time, the
// container look-up, the companion's life, and file usage.  A spy class stands in for
// morv.splash so that every message the object sends it can be checked.

#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

using namespace centroid_test;
using morvhost::Box;
using morvhost::DspGraph;

// ---- the spy companion ----------------------------------------------------------------------

struct spy_t {
    t_object ob;
};

struct SpyEvent {
    std::string what;  // "new", "open", "close", "free"
    t_object *who;
};
std::vector<SpyEvent> spy_events;
t_class *spy_class = nullptr;

void *spy_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<spy_t *>(object_alloc(spy_class));
    spy_events.push_back({"new", &x->ob});
    return x;
}
void spy_free(spy_t *x) {
    spy_events.push_back({"free", &x->ob});
}
void spy_open(spy_t *x) {
    spy_events.push_back({"open", &x->ob});
}
void spy_close(spy_t *x) {
    spy_events.push_back({"close", &x->ob});
}

std::vector<std::string> spy_log() {
    std::vector<std::string> log;
    for (const auto &e : spy_events) {
        log.push_back(e.what);
    }
    return log;
}

const std::string default_label = "not connected, you might wanna do something about that;-)";
const std::string missing = "morvkit is missing some key element, check the error above!";

class CentroidObject : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (spy_class == nullptr) {
            spy_class = class_new("morv.splash", reinterpret_cast<method>(spy_new),
                                  reinterpret_cast<method>(spy_free),
                                  static_cast<long>(sizeof(spy_t)), nullptr, A_GIMME, 0);
            class_addmethod(spy_class, reinterpret_cast<method>(spy_open), "open", 0);
            class_addmethod(spy_class, reinterpret_cast<method>(spy_close), "close", 0);
            class_register(CLASS_NOBOX, spy_class);
        }
        load_centroid();
    }
    void SetUp() override {
        spy_events.clear();
        morvhost::Host::get().clear_console();
    }

    // Compiles a graph around the box with the given inlets connected; the frame
    // (0, 1, 0, 2) / (0, 0, 0, 0) tells the kernels apart: 260 Hz weighed by power (complex),
    // 233.33 Hz weighed by amplitude.
    struct Wired {
        DspGraph graph;
        morvhost::SignalSink sink;
    };
    std::unique_ptr<Wired> wire(Box &box, bool left, bool right, double samplerate = 800) {
        auto w = std::make_unique<Wired>();
        w->graph.add(box);
        if (left) {
            w->graph.connect(std::vector<double>{0, 1, 0, 2}, box, 0);
        }
        if (right) {
            w->graph.connect(std::vector<double>{0, 0, 0, 0}, box, 1);
        }
        w->sink = w->graph.connect_sink(box, 0);
        EXPECT_TRUE(w->graph.compile(samplerate, 4));
        return w;
    }
};

TEST_F(CentroidObject, LabelsBeforeTheFirstDsp) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(record(*box).input_mode, 0);
    EXPECT_EQ(box->signal_inlets(), 2);
    EXPECT_EQ(box->outlets(), 1);
    EXPECT_TRUE(box->outlet(0).is_signal());
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), default_label);
    EXPECT_EQ(box->assist(ASSIST_INLET, 1), default_label);
    EXPECT_EQ(box->assist(ASSIST_OUTLET, 0), "(signal) Spectral Centroid (in Hz)");
    EXPECT_EQ(box->assist(ASSIST_OUTLET, 1), default_label);
    EXPECT_EQ(record(*box).x_obj.z_misc & Z_NO_INPLACE, Z_NO_INPLACE);
    EXPECT_EQ(record(*box).pfft_host, fake_container());
    // What the no-splash test relies on to tell a live instance from a freed one.
    EXPECT_NE(object_method_direct_getmethod(box->object(), gensym("dsp64")), nullptr);
}

TEST_F(CentroidObject, BothInletsChooseTheComplexKernel) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    auto w = wire(*box, true, true);
    EXPECT_EQ(record(*box).input_mode, 2);
    EXPECT_EQ(record(*box).samplerate, 800);
    ASSERT_EQ(w->graph.perform_routines().size(), 1u);
    EXPECT_EQ(w->graph.perform_routines()[0].first, box->object());
    w->graph.run(1);
    EXPECT_DOUBLE_EQ(w->sink.last_vector()[3], 260.0);
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), "(signal) Real / X Input");
    EXPECT_EQ(box->assist(ASSIST_INLET, 1), "(signal) Imaginary / Y Input");
    EXPECT_EQ(box->assist(ASSIST_INLET, 2), default_label);
    EXPECT_EQ(box->assist(ASSIST_OUTLET, 0), "(signal) Spectral Centroid (in Hz)");
}

TEST_F(CentroidObject, LeftInletAloneChoosesTheAmplitudeKernel) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    auto w = wire(*box, true, false);
    EXPECT_EQ(record(*box).input_mode, 1);
    ASSERT_EQ(w->graph.perform_routines().size(), 1u);
    w->graph.run(1);
    EXPECT_DOUBLE_EQ(w->sink.last_vector()[0], 700.0 / 3.0);
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), "(signal) Amplitude Input (or Root Amplitude Input)");
    const std::string nothing = "Nothing Expected Here, Unless You Want to Provide Imaginary Input";
    EXPECT_EQ(box->assist(ASSIST_INLET, 1), nothing);
    EXPECT_EQ(box->assist(ASSIST_INLET, 5), nothing);
}

TEST_F(CentroidObject, RightInletAloneAddsNoKernel) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    auto w = wire(*box, false, true, 22050);
    EXPECT_EQ(record(*box).input_mode, 0);
    EXPECT_TRUE(w->graph.perform_routines().empty());
    EXPECT_EQ(record(*box).samplerate, 22050);  // a container is known: the rate is kept
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), default_label);
    EXPECT_EQ(box->assist(ASSIST_INLET, 1), default_label);
}

TEST_F(CentroidObject, OutsideAnyContainerNothingRuns) {
    auto box = Box::create("morv.centroid~");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(record(*box).pfft_host, nullptr);
    for (auto [left, right] : {std::pair{true, true}, {true, false}, {false, true}}) {
        auto w = wire(*box, left, right);
        EXPECT_EQ(record(*box).input_mode, 0);
        EXPECT_TRUE(w->graph.perform_routines().empty());
        EXPECT_EQ(record(*box).samplerate, 0.0);
    }
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), default_label);
}

TEST_F(CentroidObject, AContainerFoundAtALaterDspStaysRecorded) {
    auto box = Box::create("morv.centroid~");
    ASSERT_NE(box, nullptr);
    {
        ContainerBinding bound(fake_container());
        auto w = wire(*box, true, true);
        EXPECT_EQ(record(*box).input_mode, 2);
    }
    EXPECT_EQ(record(*box).pfft_host, fake_container());
    auto w = wire(*box, true, false, 48000);  // unbound again: the record is enough
    EXPECT_EQ(record(*box).input_mode, 1);
    EXPECT_EQ(record(*box).samplerate, 48000);
    EXPECT_EQ(w->graph.perform_routines().size(), 1u);
}

TEST_F(CentroidObject, EachDspDecidesAnew) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    wire(*box, true, true);
    EXPECT_EQ(record(*box).input_mode, 2);
    wire(*box, false, false);
    EXPECT_EQ(record(*box).input_mode, 0);
    EXPECT_EQ(box->assist(ASSIST_INLET, 0), default_label);
}

TEST_F(CentroidObject, ArgumentsAreAcceptedAndIgnored) {
    auto box = create_inside("morv.centroid~ 1024 4.5 hanning @foo 3");
    ASSERT_NE(box, nullptr);
    auto w = wire(*box, true, true);
    EXPECT_EQ(record(*box).input_mode, 2);
    w->graph.run(1);
    EXPECT_DOUBLE_EQ(w->sink.last_vector()[0], 260.0);
    EXPECT_EQ(spy_log(), (std::vector<std::string>{"new"}));
}

TEST_F(CentroidObject, CompanionOpensOnEveryDoubleClickAndClosesBeforeItIsFreed) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(spy_events.size(), 1u);
    t_object *companion = spy_events[0].who;
    EXPECT_EQ(object_attr_getobj(box->object(), gensym("splash")), companion);
    box->dblclick();
    box->dblclick();
    box->dblclick();
    box.reset();
    EXPECT_EQ(spy_log(),
              (std::vector<std::string>{"new", "open", "open", "open", "close", "free"}));
    for (const auto &e : spy_events) {
        EXPECT_EQ(e.who, companion) << e.what;
    }
}

TEST_F(CentroidObject, SplashAttributeIsHidden) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    const auto invisible = box->attr_meta("splash", "invisible");
    ASSERT_EQ(invisible.size(), 1u);
    EXPECT_EQ(atom_getlong(&invisible[0]), 1);
}

TEST_F(CentroidObject, DoubleClickWithoutCompanionReportsIt) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    t_object *companion = object_attr_getobj(box->object(), gensym("splash"));
    object_attr_setobj(box->object(), gensym("splash"), nullptr);
    box->dblclick();
    bool reported = false;
    for (const auto &line : morvhost::Host::get().console()) {
        reported |= line.kind == morvhost::ConsoleLine::Kind::error && line.text == missing &&
                    line.object == box->object();
    }
    EXPECT_TRUE(reported);
    box.reset();  // nothing to close
    EXPECT_EQ(spy_log(), (std::vector<std::string>{"new"}));
    object_free(companion);
}

TEST_F(CentroidObject, FileUsageDeclaresThePackageWithItsExtensions) {
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    const auto packages = box->fileusage();
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_EQ(packages[0].name, "morvkit");
    EXPECT_EQ(packages[0].subfolders, (std::vector<std::string>{"extensions"}));
}

}  // namespace

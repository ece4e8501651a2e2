// Outlets, clocks and logical time: outlet order, messages stamped with logical time, clock
// routines running in the scheduler and never inside the audio call.
#include <gtest/gtest.h>

#include <utility>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

// A signal object that sets its clock from the perform routine, as an analysis object does,
// and sends three floats right to left from the clock routine.
struct ticker_t {
    t_pxobject ob;
    void *left, *middle, *right;
    t_clock *clock;
    double delay_ms;
    bool in_perform;
    int ran_inside_perform;
    int routine_runs;
    bool send_in_perform;  // a faulty object that sends from the audio thread
};

t_class *ticker_class = nullptr;

void ticker_tick(ticker_t *x) {
    if (x->in_perform)
        ++x->ran_inside_perform;
    ++x->routine_runs;
    outlet_float(x->right, 3);
    outlet_float(x->middle, 2);
    outlet_float(x->left, 1);
}

void ticker_perform(ticker_t *x, t_object *, double **, long, double **, long, long, long, void *) {
    x->in_perform = true;
    if (x->send_in_perform)
        outlet_float(x->left, 9);
    clock_fdelay(x->clock, x->delay_ms);
    x->in_perform = false;
}

void ticker_dsp(ticker_t *x, t_object *dsp64, short *, double, long, long) {
    object_method_imp(dsp64, gensym("dsp_add64"), x, reinterpret_cast<void *>(ticker_perform), 0, 0,
                      0, 0, 0, 0);
}

void *ticker_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<ticker_t *>(object_alloc(ticker_class));
    z_dsp_setup(&x->ob, 1);
    x->right = floatout(x);  // created first: the rightmost
    x->middle = floatout(x);
    x->left = floatout(x);
    x->clock = clock_new(x, reinterpret_cast<method>(ticker_tick));
    return x;
}

void ticker_free(ticker_t *x) {
    z_dsp_free(&x->ob);
    freeobject(x->clock);
}

void register_ticker() {
    if (ticker_class)
        return;
    ticker_class =
        class_new("morvtest.ticker", reinterpret_cast<method>(ticker_new),
                  reinterpret_cast<method>(ticker_free), sizeof(ticker_t), nullptr, A_GIMME, 0);
    class_dspinit(ticker_class);
    class_addmethod(ticker_class, reinterpret_cast<method>(ticker_dsp), "dsp64", A_CANT, 0);
    class_register(CLASS_BOX, ticker_class);
}

class Scheduler : public ::testing::Test {
  protected:
    void SetUp() override {
        register_ticker();
        box = Box::create("morvtest.ticker");
        ASSERT_NE(box, nullptr);
        x = box->as<ticker_t>();
        graph.add(*box);
        ASSERT_TRUE(graph.compile(1000, 10));  // 1 ms per sample keeps delays readable
    }
    void TearDown() override { Host::get().run_scheduler(); }
    DspGraph graph;
    std::unique_ptr<Box> box;
    ticker_t *x = nullptr;
};

}  // namespace

TEST_F(Scheduler, FirstCreatedOutletIsRightmostAndMessagesKeepTheirOrder) {
    ASSERT_EQ(box->outlets(), 3);
    graph.run(1);
    EXPECT_EQ(Host::get().run_scheduler(), 1);
    EXPECT_EQ(box->outlet(0).floats(), std::vector<double>{1});
    EXPECT_EQ(box->outlet(1).floats(), std::vector<double>{2});
    EXPECT_EQ(box->outlet(2).floats(), std::vector<double>{3});
    std::vector<double> order;
    for (int i = 0; i < 3; ++i)
        box->outlet(i).on_message(
            [&order](const Message &m) { order.push_back(atom_getfloat(&m.atoms[0])); });
    graph.run(1);
    Host::get().run_scheduler();
    EXPECT_EQ(order, (std::vector<double>{3, 2, 1}));  // right to left, as sent
}

TEST_F(Scheduler, ListsKeepTheirAtoms) {
    t_atom list[2] = {make_long(60), make_float(0.5)};
    outlet_list(x->right, nullptr, 2, list);
    const auto sent = box->outlet(2).messages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].selector, "list");
    ASSERT_EQ(sent[0].atoms.size(), 2u);
    EXPECT_EQ(atom_getlong(&sent[0].atoms[0]), 60);
    EXPECT_EQ(atom_getfloat(&sent[0].atoms[1]), 0.5);
    outlet_list(x->right, nullptr, -1, list);  // refused, with a console line
    EXPECT_EQ(box->outlet(2).messages().size(), 1u);
}

TEST_F(Scheduler, DelayZeroRunsInTheSchedulerNotInsideTheAudioCall) {
    graph.run(3);
    EXPECT_EQ(x->routine_runs, 0);  // set three times, run never during the vectors
    EXPECT_EQ(Host::get().pending_clocks(), 1);
    EXPECT_EQ(Host::get().run_scheduler(), 1);  // a clock set again before it ran runs once
    EXPECT_EQ(x->routine_runs, 1);
    EXPECT_EQ(x->ran_inside_perform, 0);
    EXPECT_EQ(Host::get().pending_clocks(), 0);
    EXPECT_EQ(Host::get().run_scheduler(), 0);
}

TEST_F(Scheduler, MessagesCarryTheLogicalTimeOfTheirSending) {
    const std::int64_t start = Host::get().now_samples();
    graph.run(2);
    EXPECT_EQ(Host::get().now_samples(), start + 20);
    Host::get().run_scheduler();
    const auto m = box->outlet(0).messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].time_samples, start + 20);
    EXPECT_DOUBLE_EQ(m[0].time_seconds, static_cast<double>(start + 20) / 1000.0);
    EXPECT_EQ(m[0].selector, "float");
}

TEST_F(Scheduler, ADelayIsDueAfterThatMuchLogicalTime) {
    x->delay_ms = 25;  // 25 samples at 1000 Hz, counted from the vector that sets it
    graph.run(1);
    EXPECT_EQ(Host::get().run_scheduler(), 0);          // 10 samples later: not yet
    t_clock *clock = std::exchange(x->clock, nullptr);  // later vectors set nothing
    graph.run(1);
    EXPECT_EQ(Host::get().run_scheduler(), 0);  // 20 samples: not yet
    graph.run(1);
    EXPECT_EQ(Host::get().run_scheduler(), 1);  // 30 samples: due
    x->clock = clock;
}

TEST_F(Scheduler, ClocksDueTogetherRunInTheOrderTheyWereSet) {
    auto other = Box::create("morvtest.ticker");
    ASSERT_NE(other, nullptr);
    DspGraph first_other;  // "other" performs, and so sets its clock, first
    first_other.add(*other);
    first_other.add(*box);
    ASSERT_TRUE(first_other.compile(1000, 10));
    std::vector<t_object *> order;
    other->outlet(0).on_message([&](const Message &) { order.push_back(other->object()); });
    box->outlet(0).on_message([&](const Message &) { order.push_back(box->object()); });
    first_other.run(1);
    EXPECT_EQ(Host::get().run_scheduler(), 2);
    EXPECT_EQ(order, (std::vector<t_object *>{other->object(), box->object()}));
}

TEST_F(Scheduler, SendingFromTheAudioThreadIsReported) {
    Host::get().clear_console();
    x->send_in_perform = true;
    graph.run(1);
    EXPECT_TRUE(Host::get().console_has("from the audio thread"));
    box->outlet(0).clear();
    x->send_in_perform = false;
    Host::get().clear_console();
    graph.run(1);
    Host::get().run_scheduler();  // the same outlet from the scheduler is fine
    EXPECT_FALSE(Host::get().console_has("from the audio thread"));
    EXPECT_EQ(box->outlet(0).floats(), std::vector<double>{1});
}

TEST_F(Scheduler, UnsetAndFreedClocksDoNotRun) {
    graph.run(1);
    clock_unset(x->clock);
    EXPECT_EQ(Host::get().run_scheduler(), 0);
    graph.run(1);
    freeobject(x->clock);
    x->clock = clock_new(x, reinterpret_cast<method>(ticker_tick));
    EXPECT_EQ(Host::get().pending_clocks(), 0);
    EXPECT_EQ(Host::get().run_scheduler(), 0);
    EXPECT_EQ(x->routine_runs, 0);
    clock_fdelay(nullptr, 0);  // ignored, no crash
    clock_unset(nullptr);
    EXPECT_EQ(clock_new(x, nullptr), nullptr);
}

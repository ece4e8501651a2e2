// The kernels as the host drives them: morv.centroid~ created inside a container, fed fixed
// frames through the stand-in host's signal graph, its output vector read back.
#include <cmath>
#include <limits>
#include <vector>

#include "host_fixture.h"

namespace {

using namespace centroid_test;
using morvhost::DspGraph;

class CentroidGraph : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        load_splash();
        load_centroid();
    }

    // One vector through the object: the frame is the vector, so n = re.size().
    std::vector<double> run(double samplerate, std::vector<double> re,
                            std::vector<double> im = {}) {
        auto box = create_inside();
        EXPECT_NE(box, nullptr);
        if (!box) {
            return {};
        }
        const long n = static_cast<long>(re.size());
        DspGraph graph;
        graph.add(*box);
        graph.connect(std::move(re), *box, 0);
        if (!im.empty()) {
            graph.connect(std::move(im), *box, 1);
        }
        auto sink = graph.connect_sink(*box, 0);
        EXPECT_TRUE(graph.compile(samplerate, n));
        graph.run(1);
        return {sink.last_vector().begin(), sink.last_vector().end()};
    }
};

void expect_all(const std::vector<double> &out, double value, std::size_t n) {
    ASSERT_EQ(out.size(), n);
    for (double v : out) {
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(v));
        } else {
            EXPECT_EQ(v, value);
        }
    }
}

TEST_F(CentroidGraph, BinTenAt44100WhateverTheWeight) {
    for (double weight : {1.0, 0.25, 1e8}) {
        std::vector<double> re(512, 0.0), im(512, 0.0);
        re[10] = weight;
        expect_all(run(44100, re, im), 430.6640625, 512);
        expect_all(run(44100, re), 430.6640625, 512);
    }
}

TEST_F(CentroidGraph, WorkedExamples) {
    expect_all(run(800, {1, 1, 1, 1}), 150.0, 4);
    expect_all(run(800, {0, 3, 0, 0}, {0, 4, 0, 0}), 100.0, 4);
}

TEST_F(CentroidGraph, ZeroFrameAndBinZeroGiveZero) {
    expect_all(run(44100, std::vector<double>(64, 0.0), std::vector<double>(64, 0.0)), 0.0, 64);
    std::vector<double> dc(64, 0.0);
    dc[0] = 2.0;
    expect_all(run(44100, dc, std::vector<double>(64, 0.0)), 0.0, 64);
    expect_all(run(44100, dc), 0.0, 64);
}

TEST_F(CentroidGraph, NanInTheImaginaryPartReachesEveryOutputSample) {
    std::vector<double> re(8, 1.0), im(8, 0.0);
    im[5] = std::numeric_limits<double>::quiet_NaN();
    expect_all(run(44100, re, im), std::numeric_limits<double>::quiet_NaN(), 8);
}

TEST_F(CentroidGraph, SignAndScaleOfTheInputDoNotMatter) {
    const std::vector<double> re{0.5, -1, 2, 0.25, 0, -3, 1, 0.125};
    const std::vector<double> im{1, 0.5, -0.5, 2, 1, 0, -1, 0.75};
    const auto reference = run(16000, re, im);
    ASSERT_EQ(reference.size(), 8u);
    std::vector<double> re2(re), im2(im);
    for (std::size_t k = 0; k < re.size(); ++k) {
        re2[k] = -7.5 * re[k];
        im2[k] = 7.5 * im[k];
    }
    const auto scaled = run(16000, re2, im2);
    ASSERT_EQ(scaled.size(), 8u);
    EXPECT_NEAR(scaled[0], reference[0], 1e-9 * reference[0]);
}

TEST_F(CentroidGraph, ShortFramesFromTheHost) {
    expect_all(run(800, {4}), 0.0, 1);
    expect_all(run(800, {1, 1}), 100.0, 2);
    expect_all(run(600, {0, 0, 1}, {0, 0, 1}), 200.0, 3);
}

TEST_F(CentroidGraph, ShorterCallThanTheVectorUsesItsOwnFrameCount) {
    // A host may call with fewer frames than the compiled vector size: n is the call's.
    auto box = create_inside();
    ASSERT_NE(box, nullptr);
    DspGraph graph;
    graph.add(*box);
    graph.connect(DspGraph::constant(1.0), *box, 0);
    auto sink = graph.connect_sink(*box, 0);
    ASSERT_TRUE(graph.compile(800, 8));
    graph.run_frames(4);
    expect_all({sink.last_vector().begin(), sink.last_vector().end()}, 150.0, 4);
}

}  // namespace

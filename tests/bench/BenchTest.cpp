// The benchmarks' measuring parts, run once each in the suite so that a change
// of the program or the stand-ins that would break a benchmark shows here, not
// only on the day someone runs scripts/bench.sh. No figure is judged.
#include <gtest/gtest.h>
#include <windows.h>

#include "MeasureAttempt.h"
#include "MeasureStart.h"
#include "ProductSession.h"
#include "Summary.h"

namespace {

using driver::ProductSession;

TEST(Summary, QuantilesInterpolateBetweenTheOrderedValues) {
    bench::Summary s({4, 1, 3, 2});
    EXPECT_DOUBLE_EQ(s.median(), 2.5);
    EXPECT_DOUBLE_EQ(s.Quantile(0.25), 1.75);
    EXPECT_DOUBLE_EQ(s.min(), 1);
    EXPECT_DOUBLE_EQ(s.max(), 4);
    EXPECT_DOUBLE_EQ(bench::Summary({7}).Quantile(0.75), 7);
}

TEST(Bench, StartOfEachProgramIsTimedWeighedAndEnded) {
    for (const char* program : {ProductSession::kProgramName, "baseline_dialog.exe"}) {
        bench::StartSample sample =
            bench::MeasureStart(ProductSession::BesideTestProgram(program), ProductSession::kLoginCaption, 100, 20000);
        ASSERT_TRUE(sample.ok) << program << ": " << sample.failure;
        EXPECT_GT(sample.readyMs, 0) << program;
        EXPECT_GT(sample.privateCommitted, 0u) << program;
        EXPECT_GT(sample.workingSet, 0u) << program;
    }
}

TEST(Bench, AttemptStagesAddUpToTheOverheadAndTeardownWaitsForThePoll) {
    bench::AttemptOptions options;
    options.dialDelayMs = 100;
    options.hangUpPolls = 1;
    options.folder = "qm-bench-test";
    bench::AttemptSample sample = bench::MeasureAttempt(options);
    ASSERT_TRUE(sample.ok) << sample.failure;

    // The stages follow each other on one clock; a dial never takes less than
    // its scripted time.
    EXPECT_GE(sample.toDialMs, 0);
    EXPECT_GE(sample.dialMs, 0);
    EXPECT_GT(sample.routesMs, 0);
    EXPECT_GE(sample.clientStartMs, 0);
    EXPECT_NEAR(sample.toDialMs + sample.dialMs + sample.routesMs + sample.clientStartMs, sample.overheadMs, 0.01);
    EXPECT_GT(sample.routesInsideMs, 0);
    EXPECT_LE(sample.routesInsideMs, sample.routesMs);

    // Asked all along the attempt; the starter's wait is only left out. How
    // many answers came and how long the longest took are the benchmark's
    // figures, which a busy machine changes.
    EXPECT_GT(sample.answers, 0);
    EXPECT_LE(sample.longestAnswerAfterStartMs, sample.longestAnswerMs);

    // One status poll still finds the connection, and the program waits a
    // poll interval before it asks again.
    EXPECT_GE(sample.teardownMs, 100);
    // Never before the program's own 3,182 ms.
    EXPECT_GE(sample.hideAfterClientMs, 3182 - 20);
    EXPECT_GT(sample.attemptCommitted, 0u);
}

} // namespace

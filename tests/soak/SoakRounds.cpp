#include "SoakRounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

SoakSize ChooseSoakSize(SoakSize quick, SoakSize full) {
    char value[8] = "";
    DWORD length = GetEnvironmentVariableA("QM_SOAK_FULL", value, sizeof value);
    return length > 0 && length < sizeof value && std::strcmp(value, "1") == 0 ? full : quick;
}

namespace {

template <typename T>
void ExpectCounter(const char* what, const char* counter, const std::vector<ProcessResources>& rounds,
                   T ProcessResources::*field, T limit) {
    const T base = rounds.front().*field;
    ASSERT_GE(base, 0) << counter << " cannot be counted on this system";
    T worst = 0;
    for (const ProcessResources& round : rounds) worst = std::max(worst, round.*field - base);
    ::testing::Test::RecordProperty(std::string(what) + "_" + counter + "_growth", std::to_string(worst));
    EXPECT_LE(worst, limit) << what << ": " << counter << " grew after the warm-up round";
}

} // namespace

void ExpectNoGrowth(const char* what, const std::vector<ProcessResources>& afterEachRound, const GrowthLimits& limits) {
    ASSERT_GE(afterEachRound.size(), 2u) << "a warm-up and at least one round";
    for (size_t i = 0; i < afterEachRound.size(); ++i)
        std::printf("%s round %u: %s\n", what, static_cast<unsigned>(i), afterEachRound[i].describe().c_str());
    std::fflush(stdout);
    // Index 0 is the end of the warm-up.
    ExpectCounter(what, "handles", afterEachRound, &ProcessResources::handles, limits.handles);
    ExpectCounter(what, "gdi", afterEachRound, &ProcessResources::gdiObjects, limits.gdiObjects);
    ExpectCounter(what, "windows", afterEachRound, &ProcessResources::windows, limits.windows);
    ExpectCounter(what, "private_bytes", afterEachRound, &ProcessResources::privateBytes, limits.privateBytes);
}

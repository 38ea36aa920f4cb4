// qm_bench [RUNS [EARLIER]]: starts QuillmarshVPN.exe, baseline_dialog.exe (the
// bare dialog manager with the same template) and baseline_dialog_cc.exe (the
// same, initialising the common controls first, as the program must) in turn,
// RUNS times each (at least 10, 15 unless told), and prints, as Markdown, each
// figure as a ratio of the program to a baseline with its median, its spread
// and its goal. EARLIER, the full path of another build of the program, takes
// its turn in the same rounds, so that a change's cost is read against the
// same load of the machine.
//
// The programs take turns within each round, the order rotated from round to
// round, so that a drift of the machine weighs on all alike.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "MeasureStart.h"
#include "ProductSession.h"
#include "Summary.h"

using bench::MeasureStart;
using bench::StartSample;
using bench::Summary;

namespace {

constexpr const char* kBaselineName = "baseline_dialog.exe";
constexpr const char* kCommonControlsBaselineName = "baseline_dialog_cc.exe";
constexpr int kWarmUpStarts = 2;
constexpr DWORD kSettleMs = 300;
constexpr DWORD kReadyLimitMs = 20000;
constexpr double kStartupGoal = 1.10;
constexpr double kSizeGoal = 1024.0 * 1024.0;

struct Side {
    Side(const char* programName) : name(programName), path(driver::ProductSession::BesideTestProgram(programName)) {}
    const char* name;
    std::string path;
    std::vector<double> readyMs, privateUsage, privateCommitted, workingSet;
};

bool Measure(Side& side, bool keep) {
    StartSample sample = MeasureStart(side.path, driver::ProductSession::kLoginCaption, kSettleMs, kReadyLimitMs);
    if (!sample.ok) {
        std::fprintf(stderr, "qm_bench: %s: %s\n", side.path.c_str(), sample.failure.c_str());
        return false;
    }
    if (keep) {
        side.readyMs.push_back(sample.readyMs);
        side.privateUsage.push_back(static_cast<double>(sample.privateUsage));
        side.privateCommitted.push_back(static_cast<double>(sample.privateCommitted));
        side.workingSet.push_back(static_cast<double>(sample.workingSet));
    }
    return true;
}

std::vector<double> Ratios(const std::vector<double>& product, const std::vector<double>& baseline) {
    std::vector<double> ratios;
    for (size_t i = 0; i < product.size() && i < baseline.size(); ++i)
        ratios.push_back(baseline[i] > 0 ? product[i] / baseline[i] : 0);
    return ratios;
}

double FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0, double e = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// "1.04x (IQR 1.02-1.06, range 0.98-1.11)"
std::string RatioWithSpread(const Summary& s) {
    return Format("%.3fx (IQR %.3f-%.3f, range %.3f-%.3f)", s.median(), s.Quantile(0.25), s.Quantile(0.75), s.min(),
                  s.max());
}

// "123.4 ms (range 110.2-140.9)"
std::string ValueWithRange(const Summary& s, double unit, const char* name) {
    const char* format = unit > 1 ? "%.2f %s (range %.2f-%.2f)" : "%.1f %s (range %.1f-%.1f)";
    char text[128];
    std::snprintf(text, sizeof text, format, s.median() / unit, name, s.min() / unit, s.max() / unit);
    return text;
}

const char* Verdict(bool met) { return met ? "met" : "**not met**"; }

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    if (runs < 10) runs = 10;

    Side product{driver::ProductSession::kProgramName};
    Side baseline{kBaselineName};
    Side commonControls{kCommonControlsBaselineName};
    Side earlier{"the earlier build"};
    if (argc > 2) earlier.path = argv[2];
    Side* sides[] = {&product, &baseline, &commonControls, &earlier};
    const int kSides = argc > 2 ? 4 : 3;

    // The first starts fill the file cache and let the program write its
    // registry presets; they are not counted.
    for (int i = 0; i < kWarmUpStarts; ++i)
        for (int k = 0; k < kSides; ++k)
            if (!Measure(*sides[k], false)) return 1;
    for (int i = 0; i < runs; ++i)
        for (int k = 0; k < kSides; ++k)
            if (!Measure(*sides[(i + k) % kSides], true)) return 1;

    Summary startup(Ratios(product.readyMs, baseline.readyMs));
    Summary startupOwn(Ratios(product.readyMs, commonControls.readyMs));
    Summary usage(Ratios(product.privateUsage, baseline.privateUsage));
    Summary committed(Ratios(product.privateCommitted, baseline.privateCommitted));
    Summary workingSet(Ratios(product.workingSet, baseline.workingSet));
    double productSize = FileSize(product.path);
    double baselineSize = FileSize(baseline.path);
    const double kib = 1024.0, mib = 1024.0 * 1024.0;

    std::printf("%d rounds, each starting every program once, after %d warm-up starts each. Ratios are "
                "QuillmarshVPN.exe / a baseline within each round; the median of the rounds' ratios "
                "is given with its interquartile range and its full range.\n\n",
                runs, kWarmUpStarts);
    std::printf("| Figure | Measured | Goal | |\n|---|---|---|---|\n");
    std::printf("| Start-up, process start to the dialog visible and answering, against baseline_dialog.exe "
                "| %s | at most %.2fx | %s |\n",
                RatioWithSpread(startup).c_str(), kStartupGoal, Verdict(startup.median() <= kStartupGoal));
    std::printf("| Start-up against baseline_dialog_cc.exe (the baseline initialising the common controls "
                "first): the program's own start-up work | %s | at most %.2fx | %s |\n",
                RatioWithSpread(startupOwn).c_str(), kStartupGoal, Verdict(startupOwn.median() <= kStartupGoal));
    if (kSides == 4) {
        Summary startupEarlier(Ratios(product.readyMs, earlier.readyMs));
        std::printf("| Start-up against the earlier build %s | %s | none set | |\n", earlier.path.c_str(),
                    RatioWithSpread(startupEarlier).c_str());
    }
    std::printf("| Size of QuillmarshVPN.exe | %.1f KiB, %.2fx the baseline's %.1f KiB | under 1 MiB | %s |\n",
                productSize / kib, baselineSize > 0 ? productSize / baselineSize : 0, baselineSize / kib,
                Verdict(productSize > 0 && productSize < kSizeGoal));
    std::printf("| Private memory of the idle dialog, committed private pages (VirtualQueryEx) | %s | none set | |\n",
                RatioWithSpread(committed).c_str());
    // Wine answers GetProcessMemoryInfo for another process with a PrivateUsage
    // of 0; Windows gives the commit charge.
    if (Summary(baseline.privateUsage).max() > 0)
        std::printf("| Private memory of the idle dialog (PrivateUsage) | %s | none set | |\n",
                    RatioWithSpread(usage).c_str());
    else
        std::printf("| Private memory of the idle dialog (PrivateUsage) | not reported: 0 for another process | none "
                    "set | |\n");
    std::printf("| Working set of the idle dialog | %s | none set | |\n\n", RatioWithSpread(workingSet).c_str());

    std::printf("Medians and ranges of the runs themselves:\n\n");
    std::printf("| Program | Start-up | Committed private pages | Working set |\n|---|---|---|---|\n");
    for (int k = 0; k < kSides; ++k) {
        const Side* side = sides[k];
        std::printf("| %s | %s | %s | %s |\n", side->name, ValueWithRange(Summary(side->readyMs), 1, "ms").c_str(),
                    ValueWithRange(Summary(side->privateCommitted), mib, "MiB").c_str(),
                    ValueWithRange(Summary(side->workingSet), mib, "MiB").c_str());
    }
    return 0;
}

// Runs the benchmarks, then prints the ratios that the performance targets
// are stated in, all from this one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class Recorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            for (const char* rate : {"words/s", "bytes/s"}) {
                auto it = run.counters.find(rate);
                if (it != run.counters.end()) rates[run.benchmark_name()] = it->second;
            }
        }
    }
    // The words/s (or bytes/s) of the benchmark named `name`.
    double rate(const std::string& name) const {
        auto it = rates.find(name);
        return it == rates.end() ? 0 : it->second;
    }
    std::map<std::string, double> rates;
};

void ratio(const char* what, double a, double b) {
    if (a > 0 && b > 0) std::printf("  %-52s %6.2f\n", what, a / b);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    std::printf("\nRatios from this run (higher is better; two threads against one are the\n"
                "scaling counters of BM_English_threads_*, taken in turns):\n");
    const double reference = recorder.rate("BM_English_Reference");
    ratio("hyphenate / reference scorer, English", recorder.rate("BM_English_hyphenate"),
          reference);
    ratio("BreakFinder / reference scorer, English", recorder.rate("BM_English_BreakFinder"),
          reference);
    ratio("UTF-8 hyphenate time / code-point hyphenate time", recorder.rate("BM_English_hyphenate"),
          recorder.rate("BM_English_hyphenateUtf8"));
    ratio("hyphenate / reference scorer, German", recorder.rate("BM_German_hyphenate"),
          recorder.rate("BM_German_Reference"));
    ratio("HTML time / running-text time, the same page", recorder.rate("BM_Page_text"),
          recorder.rate("BM_Page_html"));
    benchmark::Shutdown();
    return 0;
}

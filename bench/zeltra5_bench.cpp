// zeltra5-bench: Google Benchmark over the kernels and every request case.
//   zeltra5-bench [benchmark flags]          wall time per call
//   zeltra5-bench --calls=N --case=NAME      N calls of one case and nothing else (for callgrind)
//   zeltra5-bench --list                     the case names

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_cases.hpp"

namespace {

using zeltra5::bench::Case;

void run_case(benchmark::State& state, const Case* c) {
    c->prepare();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c->run(i++));
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

int main(int argc, char** argv) {
    std::string case_name;
    long calls = -1;
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--case=", 7) == 0) case_name = argv[k] + 7;
        if (std::strncmp(argv[k], "--calls=", 8) == 0)
            calls = std::strtol(argv[k] + 8, nullptr, 10);
        if (std::strcmp(argv[k], "--list") == 0) {
            for (const Case* c = zeltra5::bench::cases_begin(); c != zeltra5::bench::cases_end();
                 ++c) {
                std::printf("%s\n", c->name);
            }
            return 0;
        }
    }
    if (calls >= 0) {
        const Case* c = zeltra5::bench::find_case(case_name);
        if (c == nullptr) {
            std::fprintf(stderr, "unknown case '%s' (see --list)\n", case_name.c_str());
            return 2;
        }
        c->prepare();
        double sink = 0.0;
        for (long i = 0; i < calls; ++i) sink += c->run(static_cast<int>(i));
        std::printf("%s: %ld calls (checksum %g)\n", c->name, calls, sink);
        return 0;
    }
    for (const Case* c = zeltra5::bench::cases_begin(); c != zeltra5::bench::cases_end(); ++c) {
        benchmark::RegisterBenchmark(c->name, run_case, c);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

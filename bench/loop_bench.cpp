// zeltra5-loop-bench: the loop a C++ program writes over many (p, t) points, as the baseline of
// the Python package's vectorised call: calculate_state per point, its status, phase and
// nineteen fields stored in arrays made for the call, the points split into contiguous parts over
// N threads.
//   zeltra5-loop-bench POINTS.f64 THREADS REPEATS   POINTS.f64: n pressures [Pa], then n
//                                                    temperatures [degC], native doubles
//   zeltra5-loop-bench --scalar P T CALLS            one state CALLS times
// Prints the best wall time of the repeats in seconds and per point, and the processor time of
// that repeat (all threads): their ratio says how far the threads really ran at once.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "zeltra5/calculation.hpp"

namespace {

using namespace zeltra5;

struct Arrays {
    const double* p;
    const double* t;
    std::int8_t* status;
    std::int8_t* phase;
    std::int8_t* detail;
    double* values;
};

void run_part(const ArgPair& pair, const CalcOptions& options, const Arrays& a,
              const std::size_t begin, const std::size_t end) {
    StateResult r;
    for (std::size_t i = begin; i < end; ++i) {
        calculate_state(pair, a.p[i], a.t[i], options, r);
        a.status[i] = static_cast<std::int8_t>(r.status);
        a.phase[i] = static_cast<std::int8_t>(r.phase);
        a.detail[i] = static_cast<std::int8_t>(r.phase_detail);
        std::memcpy(a.values + i * RESULT_VALUE_COUNT, r.values, sizeof r.values);
    }
}

double seconds_since(const std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const ArgPair& pair = *find_arg_pair("p-t");
    const CalcOptions options{};
    if (argc == 5 && std::strcmp(argv[1], "--scalar") == 0) {
        const double p = std::strtod(argv[2], nullptr);
        const double t = std::strtod(argv[3], nullptr);
        const long calls = std::strtol(argv[4], nullptr, 10);
        StateResult r;
        double sum = 0.0;
        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < calls; ++i) {
            calculate_state(pair, p, t, options, r);
            sum += r.values[FIELD_ENTHALPY];
        }
        const double s = seconds_since(start);
        std::printf("scalar %ld calls %.6f s %.1f ns/call (%g)\n", calls, s, s / calls * 1e9, sum);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: zeltra5-loop-bench POINTS.f64 THREADS REPEATS\n"
                     "       zeltra5-loop-bench --scalar P T CALLS\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (f == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    std::vector<double> data;
    double buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, sizeof(double), 4096, f)) > 0) {
        data.insert(data.end(), buffer, buffer + got);
    }
    std::fclose(f);
    const std::size_t n = data.size() / 2;
    const int threads = std::max(1, std::atoi(argv[2]));
    const int repeats = std::max(1, std::atoi(argv[3]));
    double best = 1e300;
    double best_cpu = 0.0;  // the processor time of the best repeat, all threads together
    std::ptrdiff_t valid = 0;
    for (int rep = 0; rep < repeats; ++rep) {
        const std::clock_t cpu_start = std::clock();
        const auto start = std::chrono::steady_clock::now();
        // Fresh output arrays, not filled beforehand, as the Python call makes them: the first
        // touch of their pages is part of the loop.
        const std::unique_ptr<std::int8_t[]> status(new std::int8_t[n]);
        const std::unique_ptr<std::int8_t[]> phase(new std::int8_t[n]);
        const std::unique_ptr<std::int8_t[]> detail(new std::int8_t[n]);
        const std::unique_ptr<double[]> values(new double[n * RESULT_VALUE_COUNT]);
        const Arrays a{data.data(), data.data() + n, status.get(),
                       phase.get(), detail.get(),    values.get()};
        std::vector<std::thread> workers;
        const auto parts = static_cast<std::size_t>(threads);
        for (std::size_t k = 1; k < parts; ++k) {
            workers.emplace_back(run_part, std::cref(pair), std::cref(options), std::cref(a),
                                 n * k / parts, n * (k + 1) / parts);
        }
        run_part(pair, options, a, 0, n / parts);
        for (std::thread& w : workers) {
            w.join();
        }
        const double wall = seconds_since(start);
        if (wall < best) {
            best = wall;
            best_cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        }
        valid = std::count(status.get(), status.get() + n, std::int8_t{0});
    }
    std::printf("loop %zu points threads %d best %.6f s cpu %.6f s %.1f ns/point valid %ld\n", n,
                threads, best, best_cpu, best / static_cast<double>(n) * 1e9,
                static_cast<long>(valid));
    return 0;
}

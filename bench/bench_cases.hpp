#pragma once
// Benchmark cases: each cycles through 64 nearby states so that nothing is cached, and can be run
// as a Google Benchmark or, for instruction counting, a fixed number of times.

#include <string>

namespace zeltra5::bench {

struct Case {
    const char* name;
    void (*prepare)();         // builds the 64 inputs once
    double (*run)(int index);  // one call on input index % 64; returns something to keep
};

const Case* find_case(const std::string& name);

// The tables library's cases (bench_tables.cpp).
void prepare_tables();
double run_ph_diagram(int index);        // default log p-h diagram with a cycle, model and SVG
double run_saturation_table(int index);  // 200 temperatures, liquid and vapour
double run_cycle(int index);
const Case* cases_begin();
const Case* cases_end();

}  // namespace zeltra5::bench

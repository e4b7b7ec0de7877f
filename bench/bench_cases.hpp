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
const Case* cases_begin();
const Case* cases_end();

}  // namespace zeltra5::bench

#pragma once
// The single request by pair name that the table, cycle and chart tests hold their states
// against.

#include "zeltra5/calculation.hpp"

namespace zeltra5 {

inline StateResult single(const char* pair, const double a, const double b, const CalcOptions& o) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), a, b, o, r);
    return r;
}

}  // namespace zeltra5

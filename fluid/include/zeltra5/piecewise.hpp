#pragma once
// Lookup in the tables of piecewise expansions the models evaluate.

namespace zeltra5 {

// The interval of a piecewise expansion holding v: the last k in [0, N - 1] with
// bounds[k] <= v (0 below the first bound). A binary search without data-dependent branches; N
// is fixed, so the loop unrolls.
template <int N>
int locate_piece(const double (&bounds)[N + 1], const double v) {
    int base = 0;
    int length = N;
    while (length > 1) {
        const int half = length / 2;
        base = bounds[base + half] <= v ? base + half : base;
        length -= half;
    }
    return base;
}

}  // namespace zeltra5

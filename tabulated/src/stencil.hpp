#pragma once
// The table's 6 x 6 stencil sums of a node's 9 fields: the portable form, and where the build
// and the processor have them the AVX2 and FMA form (the same sums, rounded differently).

namespace zeltra5::tabulated::detail {

inline constexpr int STENCIL_NODES = 6;
inline constexpr int STENCIL_FIELDS = 9;

// rows[a] the first of the STENCIL_NODES nodes on line a (consecutive, STENCIL_FIELDS values
// each), wz the lines' weights, we the nodes': out[f] = sum_a wz[a] sum_b we[b] rows[a][b][f].
using StencilSum = void (*)(const double* const rows[STENCIL_NODES], const double wz[STENCIL_NODES],
                            const double we[STENCIL_NODES], double out[STENCIL_FIELDS]);

void stencil_sum(const double* const rows[STENCIL_NODES], const double wz[STENCIL_NODES],
                 const double we[STENCIL_NODES], double out[STENCIL_FIELDS]);

// The AVX2 form, or nullptr where the build or the processor has none.
StencilSum stencil_sum_avx2_if_available();

}  // namespace zeltra5::tabulated::detail

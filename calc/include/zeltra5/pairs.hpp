#pragma once
// The eleven argument pairs by their names on every interface ("p-t", "ts-liquid", ...): the
// front end's mode and side, and which result field each given value is.

#include <string_view>

namespace zeltra5 {

struct ArgPair {
    const char* name;
    int mode;
    int side;
    int value_count;   // 1 for the saturation pairs, 2 otherwise
    int first_field;   // field of the first value (FIELD_PRESSURE or FIELD_TEMPERATURE)
    int second_field;  // field of the second value; -1 for the saturation pairs
};

inline constexpr int ARG_PAIR_COUNT = 11;

// In the order of the Windows program's menu: p-x, ps-liquid, ps-vapour, ts-liquid, ts-vapour,
// p-t, p-h, p-u, p-s, p-rho, t-rho.
extern const ArgPair ARG_PAIRS[ARG_PAIR_COUNT];

// The pair of that name (exact), or nullptr.
const ArgPair* find_arg_pair(std::string_view name);
// The pair of a (mode, side) request, or nullptr. Side 0 or 1 names the same pair in modes 0 and
// 3 to 8 (1 asks for the superheated liquid).
const ArgPair* find_arg_pair(int mode, int side);

inline bool is_saturation_pair(const ArgPair& pair) {
    return pair.value_count == 1;
}

}  // namespace zeltra5

#pragma once
// The argument pairs by their names on every interface ("p-t", "ts-liquid", ...): the front
// end's mode and side, and which result field each given value is.

#include <string>
#include <string_view>

#include "zeltra5/calc.hpp"

namespace zeltra5 {

struct ArgPair {
    const char* name;
    int mode;
    int side;
    int value_count;   // 1 for the saturation pairs, 2 otherwise
    int first_field;   // field of the first value
    int second_field;  // field of the second value; -1 for the saturation pairs
};

inline constexpr int ARG_PAIR_COUNT = 19;
// The first eleven are the Windows program's.
inline constexpr int PROGRAM_PAIR_COUNT = 11;

// In the order of the Windows program's menu: p-x, ps-liquid, ps-vapour, ts-liquid, ts-vapour,
// p-t, p-h, p-u, p-s, p-rho, t-rho; then t-x, t-h, t-s, t-u, rho-h, rho-s, rho-u, h-s.
extern const ArgPair ARG_PAIRS[ARG_PAIR_COUNT];

// The pairs' names, "p-x, ps-liquid, ..., h-s", for messages that list them.
std::string arg_pair_names();

// The pair of that name (exact), or nullptr.
const ArgPair* find_arg_pair(std::string_view name);
// The pair of a (mode, side) request, or nullptr. Side 0 or 1 names the same pair in modes 0 and
// 3 to 8 (1 asks for the superheated liquid).
const ArgPair* find_arg_pair(int mode, int side);

inline bool is_saturation_pair(const ArgPair& pair) {
    return pair.value_count == 1;
}

// Whether the superheat option applies: not to the states on the saturation line (the saturation
// pairs and t-x).
inline bool takes_superheat_option(const ArgPair& pair) {
    return !is_saturation_pair(pair) && pair.mode != MODE_TEMPERATURE_QUALITY;
}

// Whether value `index` (0 or 1) of the pair is a quality (p-x, t-x).
inline bool is_quality_value(const ArgPair& pair, const int index) {
    return (index == 0 ? pair.first_field : pair.second_field) == FIELD_RELATIVE_ENTHALPY;
}

}  // namespace zeltra5

// Reference states of enthalpy and entropy as constant shifts of the program's own.

#include "zeltra5/reference_state.hpp"

#include "zeltra5/pairs.hpp"

namespace zeltra5 {
namespace {

// This program's saturated liquid at the defining states (`ts-liquid 0`, `ts-liquid -40`,
// `ps-liquid` at 101325 Pa): h in J/kg, s in J/(kg K). A test holds them to the calculation.
constexpr double H_LIQUID_0C = 343146.08258263883;
constexpr double S_LIQUID_0C = 1471.590407678557;
constexpr double H_LIQUID_MINUS_40C = 162316.06530806728;
constexpr double S_LIQUID_MINUS_40C = 758.3214762415911;
constexpr double H_LIQUID_NBP = 191910.59303841507;
constexpr double S_LIQUID_NBP = 883.2872910792875;

constexpr double IIR_ENTHALPY = 200000.0;  // J/kg at 0 degC
constexpr double IIR_ENTROPY = 1000.0;     // J/(kg K) at 0 degC

// Characters, not bytes, of a UTF-8 text.
std::size_t characters(const std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return n;
}

}  // namespace

const ReferenceStateInfo REFERENCE_STATES[REFERENCE_STATE_COUNT] = {
    {ReferenceState::program, "default", "h = s = 0 for the saturated liquid at the triple point",
     "h = s = 0 for the saturated liquid at the triple point"},
    {ReferenceState::iir, "iir", "h = 200 kJ/kg, s = 1 kJ/(kg·K) for the saturated liquid at 0 °C",
     "200 kJ/kg and 1 kJ/(kg·K) for the saturated liquid at 0 °C"},
    {ReferenceState::ashrae, "ashrae", "h = s = 0 for the saturated liquid at −40 °C",
     "0 at -40 °C"},
    {ReferenceState::nbp, "nbp",
     "h = s = 0 for the saturated liquid at the normal boiling point, 101325 Pa",
     "0 at the normal boiling point, 1.01325 bar"},
};

std::string reference_state_names(const std::string_view separator, const std::string_view last) {
    std::string names;
    for (int k = 0; k < REFERENCE_STATE_COUNT; ++k) {
        names += k == 0 ? "" : k + 1 == REFERENCE_STATE_COUNT ? last : separator;
        names += REFERENCE_STATES[k].name;
    }
    return names;
}

std::string reference_states_help(const std::size_t indent, const std::size_t width) {
    std::string text;
    std::string line;
    for (int k = 0; k < REFERENCE_STATE_COUNT; ++k) {
        std::string item = std::string(REFERENCE_STATES[k].name) + " " + REFERENCE_STATES[k].brief;
        item += k + 1 < REFERENCE_STATE_COUNT ? ";" : "";
        if (!line.empty() && indent + characters(line) + 1 + characters(item) > width) {
            text += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + item;
    }
    return text + std::string(indent, ' ') + line + "\n";
}

bool parse_reference_state(const std::string_view name, ReferenceState& reference) {
    for (const ReferenceStateInfo& info : REFERENCE_STATES) {
        if (name == info.name) {
            reference = info.reference;
            return true;
        }
    }
    return false;
}

const char* reference_state_name(const ReferenceState reference) {
    const auto k = static_cast<int>(reference);
    return k >= 0 && k < REFERENCE_STATE_COUNT ? REFERENCE_STATES[k].name : "";
}

// The differences are exact (Sterbenz), so the defining state comes out as 200 kJ/kg and
// 1 kJ/(kg K), or as 0, exactly.
ReferenceOffset reference_offset(const ReferenceState reference) {
    switch (reference) {
        case ReferenceState::iir:
            return {IIR_ENTHALPY - H_LIQUID_0C, IIR_ENTROPY - S_LIQUID_0C};
        case ReferenceState::ashrae:
            return {-H_LIQUID_MINUS_40C, -S_LIQUID_MINUS_40C};
        case ReferenceState::nbp:
            return {-H_LIQUID_NBP, -S_LIQUID_NBP};
        default:
            return {0.0, 0.0};
    }
}

double reference_shift(const ReferenceState reference, const int field) {
    switch (field) {
        case FIELD_ENTHALPY:
        case FIELD_INTERNAL_ENERGY:
            return reference_offset(reference).enthalpy;
        case FIELD_ENTROPY:
            return reference_offset(reference).entropy;
        default:
            return 0.0;
    }
}

void shift_result_to_reference(PropertyResult& result, const ReferenceState reference) {
    if (reference == ReferenceState::program) {
        return;
    }
    result.specific_enthalpy += reference_shift(reference, FIELD_ENTHALPY);
    result.specific_internal_energy += reference_shift(reference, FIELD_INTERNAL_ENERGY);
    result.specific_entropy += reference_shift(reference, FIELD_ENTROPY);
}

void shift_request_from_reference(CalcRequest& request, const ReferenceState reference) {
    const ArgPair* pair = find_arg_pair(request.mode, request.side);
    if (reference == ReferenceState::program || pair == nullptr) {
        return;
    }
    // A shift of 0 leaves a value alone (x - 0 == x for every x).
    request.first_value -= reference_shift(reference, pair->first_field);
    if (pair->value_count == 2) {
        request.second_value -= reference_shift(reference, pair->second_field);
    }
}

}  // namespace zeltra5

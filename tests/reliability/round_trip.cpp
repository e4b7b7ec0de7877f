#include "round_trip.hpp"

#include <cmath>

#include "zeltra5/pairs.hpp"

namespace zeltra5::reliability {
namespace {

constexpr double ENERGY_SCALE = 1e6;   // J/kg
constexpr double ENTROPY_SCALE = 1e4;  // J/(kg K)
// How far from 0 or 1 the quality of a mixture may be to stand for a saturated state.
constexpr double QUALITY_TOLERANCE = 1e-9;

// The two-value pairs' places in ARG_PAIRS, in the order their superheat variants follow it.
constexpr int TWO_VALUE_PAIRS[] = {0, 5, 6, 7, 8, 9, 10};
constexpr int MENU_PAIR_COUNT = 11;

const char* const SUPERHEAT_NAMES[] = {"p-x --superheat",  "p-t --superheat", "p-h --superheat",
                                       "p-u --superheat",  "p-s --superheat", "p-rho --superheat",
                                       "t-rho --superheat"};
const char* const MENU_NAMES[MENU_PAIR_COUNT] = {"p-x",       "ps-liquid", "ps-vapour", "ts-liquid",
                                                 "ts-vapour", "p-t",       "p-h",       "p-u",
                                                 "p-s",       "p-rho",     "t-rho"};

bool is_saturated_record(const PropertyResult& r) {
    return r.phase != PHASE_TWO_PHASE && r.phase_detail == 0;
}

double quantity_of(const PropertyResult& r, const int quantity) {
    switch (quantity) {
        case RT_TEMPERATURE:
            return r.temperature;
        case RT_PRESSURE:
            return r.pressure;
        case RT_DENSITY:
            return r.mass_density;
        case RT_ENTHALPY:
            return r.specific_enthalpy;
        case RT_ENTROPY:
            return r.specific_entropy;
        default:
            return r.specific_internal_energy;
    }
}

}  // namespace

const char* const RT_QUANTITY_NAMES[RT_QUANTITY_COUNT] = {"t", "p", "rho", "h", "s", "u"};

int round_trip_pair(const CalcRequest& q) {
    if (q.mode == MODE_SATURATION_PRESSURE || q.mode == MODE_SATURATION_TEMPERATURE) {
        if (q.side != SIDE_LIQUID && q.side != SIDE_VAPOUR) {
            return -1;
        }
        return (q.mode == MODE_SATURATION_PRESSURE ? 1 : 3) + (q.side == SIDE_VAPOUR ? 1 : 0);
    }
    for (int i = 0; i < 7; ++i) {
        if (ARG_PAIRS[TWO_VALUE_PAIRS[i]].mode == q.mode) {
            return q.side == SIDE_LIQUID ? MENU_PAIR_COUNT + i : TWO_VALUE_PAIRS[i];
        }
    }
    return -1;
}

const char* round_trip_pair_name(const int index) {
    if (index >= 0 && index < MENU_PAIR_COUNT) {
        return MENU_NAMES[index];
    }
    if (index >= MENU_PAIR_COUNT && index < RT_PAIR_COUNT) {
        return SUPERHEAT_NAMES[index - MENU_PAIR_COUNT];
    }
    return "?";
}

int feed_back_requests(const CalcRequest& source, const PropertyResult& s,
                       CalcRequest out[MAX_FEED_BACKS]) {
    const bool saturation_source =
        source.mode == MODE_SATURATION_PRESSURE || source.mode == MODE_SATURATION_TEMPERATURE;
    const bool superheated_liquid = s.phase == PHASE_LIQUID && s.phase_detail == 1;
    const int side = (!saturation_source && source.side == SIDE_LIQUID) || superheated_liquid
                         ? SIDE_LIQUID
                         : SIDE_NONE;
    int n = 0;
    const auto add = [&](const int mode, const int target_side, const double first,
                         const double second) {
        if (mode != source.mode && n < MAX_FEED_BACKS) {
            out[n++] = {mode, target_side, first, second};
        }
    };
    const bool single_phase = s.phase != PHASE_TWO_PHASE && s.phase_detail != 0;
    if (single_phase) {
        add(MODE_PRESSURE_TEMPERATURE, side, s.pressure, s.temperature);
    } else {
        add(MODE_PRESSURE_QUALITY, side, s.pressure, s.relative_enthalpy);
    }
    add(MODE_PRESSURE_ENTHALPY, side, s.pressure, s.specific_enthalpy);
    add(MODE_PRESSURE_ENERGY, side, s.pressure, s.specific_internal_energy);
    add(MODE_PRESSURE_ENTROPY, side, s.pressure, s.specific_entropy);
    add(MODE_PRESSURE_DENSITY, side, s.pressure, s.mass_density);
    add(MODE_TEMPERATURE_DENSITY, side, s.temperature, s.mass_density);
    if (is_saturated_record(s)) {
        add(MODE_SATURATION_PRESSURE, s.phase, s.pressure, 0.0);
        add(MODE_SATURATION_TEMPERATURE, s.phase, s.temperature, 0.0);
    }
    return n;
}

// Which saturation line a result lies on: 0 the liquid's, 1 the vapour's, -1 neither. A
// saturated record lies on its own; a mixture or a liquid within QUALITY_TOLERANCE of quality 0
// lies on the liquid's (whether the liquid is labelled subcooled, saturated or superheated there
// is the rounding of its temperature against the saturation temperature), a mixture or a vapour
// within it of quality 1 on the vapour's.
int saturation_line_of(const PropertyResult& r) {
    if (is_saturated_record(r)) {
        return r.phase == PHASE_LIQUID ? 0 : 1;
    }
    const bool liquid_side = r.phase == PHASE_LIQUID || r.phase == PHASE_TWO_PHASE;
    const bool vapour_side = r.phase == PHASE_VAPOUR || r.phase == PHASE_TWO_PHASE;
    if (liquid_side && std::fabs(r.relative_enthalpy) <= QUALITY_TOLERANCE) {
        return 0;
    }
    if (vapour_side && std::fabs(r.relative_enthalpy - 1.0) <= QUALITY_TOLERANCE) {
        return 1;
    }
    return -1;
}

bool same_phase(const PropertyResult& state, const PropertyResult& back) {
    if (state.phase == PHASE_TWO_PHASE && back.phase == PHASE_TWO_PHASE) {
        return true;
    }
    if (state.phase == back.phase && state.phase_detail == back.phase_detail) {
        return true;
    }
    const int line = saturation_line_of(state);
    return line >= 0 && line == saturation_line_of(back);
}

double round_trip_deviation(const int quantity, const double expected, const double got) {
    const double difference = std::fabs(got - expected);
    switch (quantity) {
        case RT_TEMPERATURE:
            return difference;
        case RT_PRESSURE:
        case RT_DENSITY:
            return difference / std::fabs(expected);
        case RT_ENTROPY:
            return difference / std::fmax(std::fabs(expected), ENTROPY_SCALE);
        default:
            return difference / std::fmax(std::fabs(expected), ENERGY_SCALE);
    }
}

bool FeedBack::reproduced() const {
    if (status != 0 || !phase_kept) {
        return false;
    }
    for (const double d : deviation) {
        if (!(d <= ROUND_TRIP_TOLERANCE)) {
            return false;
        }
    }
    return true;
}

FeedBack feed_back(const PropertyResult& state, const CalcRequest& target, const int model) {
    FeedBack f;
    f.request = target;
    f.status = calculate_request(model, target, f.result, f.refusal);
    if (f.status != 0) {
        return f;
    }
    f.phase_kept = same_phase(state, f.result);
    for (int k = 0; k < RT_QUANTITY_COUNT; ++k) {
        f.deviation[k] = round_trip_deviation(k, quantity_of(state, k), quantity_of(f.result, k));
    }
    return f;
}

int RoundTrip::refusals() const {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        n += back[i].refused() ? 1 : 0;
    }
    return n;
}

int RoundTrip::failures() const {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        n += back[i].reproduced() ? 0 : 1;
    }
    return n;
}

namespace {

struct LinePairFields {
    const char* name;
    int mode;
    int first;  // RoundTripQuantity of the first value, or -1 for the quality
    int second;
};

constexpr int QUALITY = -1;
constexpr LinePairFields LINE_PAIRS[LINE_PAIR_COUNT] = {
    {"t-x", MODE_TEMPERATURE_QUALITY, RT_TEMPERATURE, QUALITY},
    {"t-h", MODE_TEMPERATURE_ENTHALPY, RT_TEMPERATURE, RT_ENTHALPY},
    {"t-s", MODE_TEMPERATURE_ENTROPY, RT_TEMPERATURE, RT_ENTROPY},
    {"t-u", MODE_TEMPERATURE_ENERGY, RT_TEMPERATURE, RT_ENERGY},
    {"rho-h", MODE_DENSITY_ENTHALPY, RT_DENSITY, RT_ENTHALPY},
    {"rho-s", MODE_DENSITY_ENTROPY, RT_DENSITY, RT_ENTROPY},
    {"rho-u", MODE_DENSITY_ENERGY, RT_DENSITY, RT_ENERGY},
    {"h-s", MODE_ENTHALPY_ENTROPY, RT_ENTHALPY, RT_ENTROPY},
};

double given_value(const PropertyResult& r, const int quantity) {
    return quantity == QUALITY ? r.relative_enthalpy : quantity_of(r, quantity);
}

bool within(const int quantity, const double expected, const double got) {
    if (quantity == QUALITY) {
        return std::fabs(got - expected) <= ROUND_TRIP_TOLERANCE;
    }
    return round_trip_deviation(quantity, expected, got) <= ROUND_TRIP_TOLERANCE;
}

// Whether the answer `b` is the state itself as far as the given values resolve it: where the
// second value hardly changes along the line (the internal energy of a dilute vapour, a
// property near its extremum), a density off by more than 1e-9 holds it as well. The state
// halfway between them along the line (in density on an isotherm, in temperature on an
// isochore) holding the value too tells such a state from another one with the same values
// (a mixture and a compressed liquid have states between them that do not). The halfway state
// is asked with the request's side (a superheated liquid's with the superheat option).
bool resolution_limited(const PropertyResult& state, const PropertyResult& b,
                        const LinePairFields& p, const int side, const int model) {
    double t = state.temperature;
    double rho = state.mass_density;
    if (p.first == RT_TEMPERATURE) {
        rho = 0.5 * (state.mass_density + b.mass_density);
    } else if (p.first == RT_DENSITY) {
        t = 0.5 * (state.temperature + b.temperature);
    } else {
        // (h, s): halfway in both temperature and density. A saturated liquid at low temperature
        // and the mixture of a trace of vapour beside it share (h, s) to rounding: the tie line
        // meets the liquid's line at a small angle.
        t = 0.5 * (state.temperature + b.temperature);
        rho = 0.5 * (state.mass_density + b.mass_density);
    }
    PropertyResult half{};
    Refusal why{};
    if (p.second == QUALITY ||
        calculate_request(model, {MODE_TEMPERATURE_DENSITY, side, t, rho}, half, why) != 0) {
        return false;
    }
    return within(p.first, given_value(state, p.first), given_value(half, p.first)) &&
           within(p.second, given_value(state, p.second), given_value(half, p.second));
}

}  // namespace

const char* const LINE_VERDICT_NAMES[LINE_VERDICT_COUNT] = {"reproduced", "unresolved",
                                                            "other state", "refused", "wrong"};

const char* line_pair_name(const int index) {
    return index >= 0 && index < LINE_PAIR_COUNT ? LINE_PAIRS[index].name : "?";
}

int line_pair_requests(const PropertyResult& s, CalcRequest out[LINE_PAIR_COUNT],
                       int pair[LINE_PAIR_COUNT]) {
    const bool superheated_liquid = s.phase == PHASE_LIQUID && s.phase_detail == 1;
    const bool on_saturation = s.phase == PHASE_TWO_PHASE || is_saturated_record(s);
    int n = 0;
    for (int i = 0; i < LINE_PAIR_COUNT; ++i) {
        const LinePairFields& p = LINE_PAIRS[i];
        if (p.mode == MODE_TEMPERATURE_QUALITY && !on_saturation) {
            continue;
        }
        pair[n] = i;
        out[n++] = {p.mode, superheated_liquid ? SIDE_LIQUID : SIDE_NONE, given_value(s, p.first),
                    given_value(s, p.second)};
    }
    return n;
}

LineCheck line_check(const PropertyResult& state, const int pair, const CalcRequest& request,
                     const int model) {
    LineCheck c;
    c.pair = pair;
    c.request = request;
    c.status = calculate_request(model, request, c.result, c.refusal);
    if (c.status != 0) {
        c.verdict =
            c.refusal.reason == RefusalReason::none ? LineVerdict::wrong : LineVerdict::refused;
        return c;
    }
    const PropertyResult& b = c.result;
    const bool same = within(RT_TEMPERATURE, state.temperature, b.temperature) &&
                      within(RT_PRESSURE, state.pressure, b.pressure) &&
                      within(RT_DENSITY, state.mass_density, b.mass_density);
    if (same) {
        c.verdict = LineVerdict::reproduced;
        return c;
    }
    const LinePairFields& p = LINE_PAIRS[pair];
    const bool holds_values =
        within(p.first, given_value(state, p.first), given_value(b, p.first)) &&
        within(p.second, given_value(state, p.second), given_value(b, p.second));
    const bool lower =
        b.mass_density < state.mass_density ||
        (within(RT_DENSITY, state.mass_density, b.mass_density) && b.pressure < state.pressure);
    if (holds_values && lower) {
        c.verdict = LineVerdict::other_state;
    } else if (holds_values && resolution_limited(state, b, p, request.side, model)) {
        c.verdict = LineVerdict::unresolved;
    } else {
        c.verdict = LineVerdict::wrong;
    }
    return c;
}

int RoundTrip::line_wrongs() const {
    int n = 0;
    for (int i = 0; i < line_count; ++i) {
        n += line[i].verdict == LineVerdict::wrong ? 1 : 0;
    }
    return n;
}

RoundTrip round_trip(const CalcRequest& source, const int model) {
    RoundTrip t;
    t.source = source;
    Refusal why{};
    t.status = calculate_request(model, source, t.state, why);
    if (t.status != 0) {
        return t;
    }
    CalcRequest targets[MAX_FEED_BACKS];
    t.count = feed_back_requests(source, t.state, targets);
    for (int i = 0; i < t.count; ++i) {
        t.back[i] = feed_back(t.state, targets[i], model);
    }
    CalcRequest lines[LINE_PAIR_COUNT];
    int pairs[LINE_PAIR_COUNT];
    t.line_count = line_pair_requests(t.state, lines, pairs);
    for (int i = 0; i < t.line_count; ++i) {
        t.line[i] = line_check(t.state, pairs[i], lines[i], model);
    }
    return t;
}

}  // namespace zeltra5::reliability

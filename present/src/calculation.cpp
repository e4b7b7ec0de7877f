// The calculation as the interfaces offer it: names, units, reference states and options around
// calculate_properties, and the words for a refusal.

#include "zeltra5/calculation.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "zeltra5/bounded_text.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void clear(StateResult& r) {
    r.status = STATUS_BAD_ARGUMENT;
    r.phase = NO_PHASE;
    r.phase_detail = NO_PHASE;
    std::fill(std::begin(r.values), std::end(r.values), NaN);
    r.record = PropertyResult{};
    r.refusal = Refusal{};
    r.extended_formed = false;
}

UnitKind field_unit(const int field) {
    return field >= 0 && field < RESULT_VALUE_COUNT ? RESULT_FIELDS[field].unit : UnitKind::none;
}

// The record's fields in the options' units and reference; the given values as given.
void present(StateResult& r) {
    PropertyResult shifted = r.record;
    shift_result_to_reference(shifted, r.options.reference, r.options.model);
    const ResultValues si = result_values(shifted);
    const ResultValues program = result_values(r.record);
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        r.values[k] = result_field_defined(r.phase, r.phase_detail, k)
                          ? from_base(RESULT_FIELDS[k].unit, r.options.units, si.value[k])
                          : NaN;
    }
    // A field that holds a given value bit for bit (the front end takes it over) shows it as it
    // was given: converting it there and back could move its last digit.
    const double request_values[2] = {r.request.first_value, r.request.second_value};
    const int given_fields[2] = {r.pair->first_field, r.pair->second_field};
    for (int i = 0; i < r.pair->value_count; ++i) {
        const int k = given_fields[i];
        if (k >= 0 && !std::isnan(r.values[k]) && program.value[k] == request_values[i]) {
            r.values[k] = r.given[i];
        }
    }
}

// The front end's request behind `result` (pair, given values and options already set), or that
// of `source` when there is one.
int run(StateResult& result, const RecordSource* source = nullptr) {
    const bool extended = result.options.extended_fields && source == nullptr;
    int status = 0;
    if (source != nullptr) {
        status = source->evaluate(source->context, result.request, result.record, result.refusal);
    } else if (extended) {
        status = calculate_request(result.options.model, result.request, result.record,
                                   result.extended_si, result.refusal);
    } else {
        status =
            calculate_request(result.options.model, result.request, result.record, result.refusal);
    }
    if (status != 0) {
        result.record = PropertyResult{};
        return result.status = STATUS_OUTSIDE_DOMAIN;
    }
    result.extended_formed = extended;
    result.status = STATUS_VALID;
    result.phase = result.record.phase;
    result.phase_detail = result.record.phase_detail;
    present(result);
    return STATUS_VALID;
}

}  // namespace

int calculate_state(const ArgPair& pair, const double first, const double second,
                    const CalcOptions& options, StateResult& result) {
    return calculate_state(pair, first, second, options, result, RecordSource{nullptr, nullptr});
}

int calculate_state(const ArgPair& pair, const double first, const double second,
                    const CalcOptions& options, StateResult& result, const RecordSource& source) {
    clear(result);
    result.pair = &pair;
    result.options = options;
    const bool saturation = is_saturation_pair(pair);
    result.given[0] = first;
    // The saturation pairs' second value is fixed, as the program's input dialog fixes it.
    result.given[1] = saturation ? (pair.side == SIDE_LIQUID ? 0.0 : 1.0) : second;
    if (options.superheat && !takes_superheat_option(pair)) {
        result.refusal.reason = RefusalReason::option_not_applicable;
        return result.status = STATUS_BAD_ARGUMENT;
    }
    if (!is_model_index(options.model)) {
        result.refusal.reason = RefusalReason::bad_request;
        return result.status = STATUS_BAD_ARGUMENT;
    }
    CalcRequest& request = result.request;
    request.mode = pair.mode;
    request.side = saturation ? pair.side : (options.superheat ? SIDE_LIQUID : SIDE_NONE);
    request.first_value = to_base(field_unit(pair.first_field), options.units, result.given[0]);
    request.second_value = to_base(field_unit(pair.second_field), options.units, result.given[1]);
    shift_request_from_reference(request, options.reference, options.model);
    return run(result, source.evaluate != nullptr ? &source : nullptr);
}

int calculate_saturated(const StateResult& of, const int side, StateResult& result) {
    clear(result);
    const ArgPair* pair = find_arg_pair(MODE_SATURATION_PRESSURE, side);
    result.status = STATUS_OUTSIDE_DOMAIN;
    if (pair == nullptr || pair->side != side) {
        result.refusal.reason = RefusalReason::bad_request;
        return result.status;
    }
    if (of.status != STATUS_VALID) {
        // Refused for the same reason as `of`, explained in its words.
        result.pair = of.pair;
        std::copy(std::begin(of.given), std::end(of.given), std::begin(result.given));
        result.options = of.options;
        result.request = of.request;
        result.refusal = of.refusal;
        return result.status;
    }
    if (of.phase == PHASE_SUPERCRITICAL) {
        // Named as `of` shows its pressure.
        result.pair = pair;
        result.options = of.options;
        result.given[0] = of.values[FIELD_PRESSURE];
        result.given[1] = side == SIDE_LIQUID ? 0.0 : 1.0;
        result.refusal = {RefusalReason::no_two_phase, 0, FIELD_PRESSURE, of.record.pressure,
                          MODELS[of.options.model].constants->critical_pressure};
        return result.status;
    }
    result.pair = pair;
    result.options = of.options;
    result.options.superheat = false;
    // A result on the domain's edge may carry a pressure a rounding error outside it.
    const ModelConstants& c = *MODELS[of.options.model].constants;
    const double p = std::clamp(of.record.pressure, c.domain.min_pressure, c.critical_pressure);
    // The pressure is shown as `of` shows it when that is the same pressure.
    const double of_shown = of.values[FIELD_PRESSURE];
    const bool same = to_base(UnitKind::pressure, result.options.units, of_shown) == p;
    result.given[0] = same ? of_shown : from_base(UnitKind::pressure, result.options.units, p);
    result.given[1] = side == SIDE_LIQUID ? 0.0 : 1.0;
    result.request = CalcRequest{MODE_SATURATION_PRESSURE, side, p, 0.0};
    return run(result);
}

void calculate_extended(const StateResult& r, double (&values)[EXTENDED_FIELD_COUNT]) {
    std::fill(std::begin(values), std::end(values), NaN);
    if (r.status != STATUS_VALID) {
        return;
    }
    ExtendedValues si = r.extended_si;
    if (!r.extended_formed) {
        calculate_extended_fields(r.options.model, r.record, si);
    }
    const ReferenceOffset offset = reference_offset(r.options.reference, r.options.model);
    const double T = r.record.temperature + KELVIN_OFFSET;
    // g and a move with the reference's h (u) and s: g' = g + dh - T ds.
    const double free_energy_shift = offset.enthalpy - T * offset.entropy;
    for (int k = 0; k < EXTENDED_FIELD_COUNT; ++k) {
        const int field = RESULT_VALUE_COUNT + k;
        if (!field_defined(r.phase, r.phase_detail, field)) {
            continue;
        }
        double v = si.value[k];
        if (field == FIELD_GIBBS_ENERGY || field == FIELD_HELMHOLTZ_ENERGY) {
            v += free_energy_shift;
        }
        values[k] = from_base(RESULT_FIELDS[field].unit, r.options.units, v);
    }
}

void keep_extended(StateResult& result) {
    if (result.status == STATUS_VALID && !result.extended_formed) {
        calculate_extended_fields(result.options.model, result.record, result.extended_si);
        result.extended_formed = true;
    }
}

AllFieldValues all_field_values(const StateResult& result) {
    AllFieldValues all{};
    std::copy(std::begin(result.values), std::end(result.values), all.value);
    double extended[EXTENDED_FIELD_COUNT];
    calculate_extended(result, extended);
    std::copy(std::begin(extended), std::end(extended), all.value + RESULT_VALUE_COUNT);
    return all;
}

// ---- Words for a refusal ----

namespace {

struct Words {
    const char* below;
    const char* above;
    const char* its_value_at;
    const char* at_value_end;
    const char* and_;
    const char* of_the_state;
    const char* quality_gives;  // mode 0: the quality before the mixture's enthalpy
    const char* not_finite;
    const char* too_large;
    const char* bad_request;
    const char* option;
    const char* no_two_phase;
    const char* no_two_phase_end;
    const char* superheat;
    const char* unstable;
    const char* not_reproduced;
    const char* not_superheated;
    const char* melting;     // after the pressure: the melting pressure follows
    const char* melting_at;  // and its temperature
};

constexpr Words ENGLISH = {
    " is below ",
    " is above ",
    ", its value at ",
    "",
    " and ",
    " of the state",
    "quality ",
    " is not a finite number",
    " is too large",
    "the argument pair is not known",
    "the superheat option does not apply to a saturation state",
    " is not below the critical pressure, ",
    ": there is no two-phase state",
    " is above the liquid's superheat limit at ",
    "the only state found is mechanically unstable (too close to the critical point)",
    "no state of the equation of state reproduces the given values",
    "the state is not a superheated liquid at its own pressure",
    " is above the melting pressure ",
    " at ",
};

constexpr Words RUSSIAN = {
    " ниже ",
    " выше ",
    " (значение при ",
    ")",
    " и ",
    " состояния",
    "при степени сухости ",
    ": не конечное число",
    " слишком велико",
    "неизвестная пара аргументов",
    "перегрев жидкости неприменим к состоянию насыщения",
    " не ниже критического, ",
    ": двухфазного состояния нет",
    " выше предела перегрева жидкости при ",
    "найденное состояние механически неустойчиво (слишком близко к критической точке)",
    "ни одно состояние уравнения не воспроизводит заданные значения",
    "состояние не является перегретой жидкостью при своем давлении",
    " выше давления плавления ",
    " при ",
};

std::string_view field_word(const int field, const Language language) {
    const bool en = language == Language::english;
    switch (field) {
        case FIELD_RELATIVE_ENTHALPY:
            return en ? "relative enthalpy" : "относительная энтальпия";
        case FIELD_PRESSURE:
            return en ? "pressure" : "давление";
        case FIELD_TEMPERATURE:
            return en ? "temperature" : "температура";
        case FIELD_ENTHALPY:
            return en ? "enthalpy" : "энтальпия";
        case FIELD_DENSITY:
            return en ? "density" : "плотность";
        case FIELD_INTERNAL_ENERGY:
            return en ? "internal energy" : "внутренняя энергия";
        case FIELD_ENTROPY:
            return en ? "entropy" : "энтропия";
        default:
            return field >= 0 && field < RESULT_VALUE_COUNT ? RESULT_FIELDS[field].name : "";
    }
}

std::string_view input_word(const StateResult& r, const int input, const Language language) {
    if (r.pair != nullptr && input >= 0 && input < 2 && is_quality_value(*r.pair, input)) {
        return language == Language::english ? "quality" : "степень сухости";
    }
    const int field = r.pair == nullptr ? -1
                      : input == 0      ? r.pair->first_field
                                        : r.pair->second_field;
    return field_word(field, language);
}

// An SI value of `field` on the program's reference, as the result shows that field.
double shown(const StateResult& r, const int field, const double si) {
    return from_base(field_unit(field), r.options.units,
                     si + reference_shift(r.options.reference, r.options.model, field));
}

void value_with_unit(BoundedText& t, const double value, const UnitKind unit, const StateResult& r,
                     const Language language) {
    t << value;
    const std::string_view u = unit_text(unit, r.options.units, language);
    if (!u.empty()) {
        t << " " << u;
    }
}

}  // namespace

std::size_t describe_refusal(const StateResult& r, const Language language, char* text,
                             const std::size_t size) {
    BoundedText t(text, size);
    const Words& w = language == Language::english ? ENGLISH : RUSSIAN;
    const Refusal& why = r.refusal;
    const int field = why.field;
    const UnitKind unit = field_unit(field);
    // The value as given when an input broke the rule, else as the result would show it.
    const bool given = why.input >= 0 && why.input < 2 && r.pair != nullptr &&
                       (why.input == 0 ? r.pair->first_field : r.pair->second_field) == field;
    const double value = given ? r.given[why.input] : shown(r, field, why.value);
    const double limit = shown(r, field, why.limit);
    switch (why.reason) {
        case RefusalReason::none:
            break;
        case RefusalReason::bad_request:
            t << w.bad_request;
            break;
        case RefusalReason::option_not_applicable:
            t << w.option;
            break;
        case RefusalReason::not_finite:
            t << input_word(r, why.input, language);
            if (r.pair != nullptr && why.input >= 0 && why.input < 2 &&
                std::isfinite(r.given[why.input])) {
                // Finite as given, beyond any double in SI units (1e305 bar).
                t << " ";
                value_with_unit(
                    t, r.given[why.input],
                    field_unit(why.input == 0 ? r.pair->first_field : r.pair->second_field), r,
                    language);
                t << w.too_large;
            } else {
                t << w.not_finite;
            }
            break;
        case RefusalReason::below_minimum:
        case RefusalReason::above_maximum:
        case RefusalReason::below_band:
        case RefusalReason::above_band: {
            const bool below = why.reason == RefusalReason::below_minimum ||
                               why.reason == RefusalReason::below_band;
            const bool band =
                why.reason == RefusalReason::below_band || why.reason == RefusalReason::above_band;
            if (!given && why.input == 1 && r.pair != nullptr &&
                r.pair->mode == MODE_PRESSURE_QUALITY) {
                t << w.quality_gives << r.given[1] << ", ";
            }
            t << (given ? input_word(r, why.input, language) : field_word(field, language));
            if (why.input < 0) {
                t << w.of_the_state;
            }
            t << " ";
            value_with_unit(t, value, unit, r, language);
            t << (below ? w.below : w.above);
            value_with_unit(t, limit, unit, r, language);
            if (band) {
                t << w.its_value_at;
                value_with_unit(t,
                                from_base(UnitKind::pressure, r.options.units, why.edge_pressure),
                                UnitKind::pressure, r, language);
                t << w.and_;
                value_with_unit(
                    t, from_base(UnitKind::temperature, r.options.units, why.edge_temperature),
                    UnitKind::temperature, r, language);
                t << w.at_value_end;
            }
            break;
        }
        case RefusalReason::no_two_phase:
            t << field_word(FIELD_PRESSURE, language) << " ";
            value_with_unit(t, value, UnitKind::pressure, r, language);
            t << w.no_two_phase;
            value_with_unit(t, limit, UnitKind::pressure, r, language);
            t << w.no_two_phase_end;
            break;
        case RefusalReason::superheat_limit:
            value_with_unit(t, value, UnitKind::temperature, r, language);
            t << w.superheat;
            value_with_unit(t, from_base(UnitKind::pressure, r.options.units, why.edge_pressure),
                            UnitKind::pressure, r, language);
            t << ", ";
            value_with_unit(t, limit, UnitKind::temperature, r, language);
            break;
        case RefusalReason::unstable_state:
            t << w.unstable;
            break;
        case RefusalReason::melting_line:
            t << (given ? input_word(r, why.input, language) : field_word(field, language));
            if (why.input < 0) {
                t << w.of_the_state;
            }
            t << " ";
            value_with_unit(t, value, UnitKind::pressure, r, language);
            t << w.melting;
            value_with_unit(t, limit, UnitKind::pressure, r, language);
            t << w.melting_at;
            value_with_unit(t,
                            from_base(UnitKind::temperature, r.options.units, why.edge_temperature),
                            UnitKind::temperature, r, language);
            break;
        case RefusalReason::not_superheated_liquid:
            t << w.not_superheated;
            break;
        default:
            t << w.not_reproduced;
            break;
    }
    return t.length();
}

}  // namespace zeltra5

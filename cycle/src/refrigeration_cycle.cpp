// The single-stage vapour-compression cycle through calculate_state.

#include "zeltra5/refrigeration_cycle.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "zeltra5/bounded_text.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {

const CycleFigureInfo CYCLE_FIGURES[CYCLE_FIGURE_COUNT] = {
    {"cop", "COP", "Холодильный коэффициент"},
    {"refrigerating_effect", "Refrigerating effect q0", "Удельная холодопроизводительность q0"},
    {"compressor_work", "Compressor work w", "Работа сжатия w"},
    {"heat_rejected", "Heat rejected qc", "Теплота конденсации qc"},
    {"discharge_temperature", "Discharge temperature t2", "Температура нагнетания t2"},
    {"isentropic_discharge_temperature", "Isentropic discharge temperature t2s",
     "Температура нагнетания при изоэнтропном сжатии t2s"},
    {"evaporating_pressure", "Evaporating pressure p0", "Давление кипения p0"},
    {"condensing_pressure", "Condensing pressure pc", "Давление конденсации pc"},
    {"pressure_ratio", "Pressure ratio pc/p0", "Степень повышения давления pc/p0"},
    {"volumetric_capacity", "Volumetric refrigerating capacity q0·rho1",
     "Объемная холодопроизводительность q0·ρ1"},
    {"mass_flow", "Mass flow", "Массовый расход"},
    {"displacement", "Displacement at suction", "Объем всасываемого пара"},
    {"compressor_power", "Compressor power", "Мощность сжатия"},
    {"condenser_duty", "Condenser duty", "Тепловой поток конденсатора"},
};

std::string_view cycle_figure_unit(const int figure, const Units& units, const Language language) {
    const bool en = language == Language::english;
    const bool si = units.energy == Unit::joule_per_kg;
    switch (figure) {
        case CYCLE_REFRIGERATING_EFFECT:
        case CYCLE_COMPRESSOR_WORK:
        case CYCLE_HEAT_REJECTED:
            return unit_text(UnitKind::specific_energy, units, language);
        case CYCLE_DISCHARGE_TEMPERATURE:
        case CYCLE_ISENTROPIC_DISCHARGE_TEMPERATURE:
            return unit_text(UnitKind::temperature, units, language);
        case CYCLE_EVAPORATING_PRESSURE:
        case CYCLE_CONDENSING_PRESSURE:
            return unit_text(UnitKind::pressure, units, language);
        case CYCLE_VOLUMETRIC_CAPACITY:
            return si ? (en ? "J/m3" : "Дж / м3") : (en ? "kJ/m3" : "кДж / м3");
        case CYCLE_MASS_FLOW:
            return en ? "kg/s" : "кг / с";
        case CYCLE_DISPLACEMENT:
            return en ? "m3/h" : "м3 / ч";
        case CYCLE_COMPRESSOR_POWER:
        case CYCLE_CONDENSER_DUTY:
            return en ? "kW" : "кВт";
        default:
            return "";
    }
}

const char* cycle_state_name(const int state, const Language language) {
    const bool en = language == Language::english;
    switch (state) {
        case CYCLE_SUCTION:
            return en ? "suction" : "всасывание";
        case CYCLE_DISCHARGE:
            return en ? "discharge" : "нагнетание";
        case CYCLE_LIQUID:
            return en ? "liquid" : "жидкость перед вентилем";
        case CYCLE_EVAPORATOR_INLET:
            return en ? "evaporator inlet" : "вход в испаритель";
        case CYCLE_STATE_COUNT:
            return en ? "isentropic discharge" : "нагнетание при изоэнтропном сжатии";
        default:
            return "";
    }
}

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

const ArgPair& pair(const char* name) {
    return *find_arg_pair(name);
}

int refuse(CycleResult& r, const CycleRefusal why, const int state = -1) {
    r.status = STATUS_OUTSIDE_DOMAIN;
    r.refusal = why;
    r.state = state;
    std::fill(std::begin(r.figures), std::end(r.figures), NaN);
    return r.status;
}

// The constants of the options' model; the default model's for an index that is not one (the
// calculation refuses such options).
const ModelConstants& model_constants(const CalcOptions& options) {
    return is_model_index(options.model) ? *MODELS[options.model].constants : DEFAULT_CONSTANTS;
}

CycleRefusal check_input(const CycleInput& in, const CalcOptions& options) {
    const Units& units = options.units;
    const double all[] = {in.evaporating_temperature,
                          in.condensing_temperature,
                          in.superheat,
                          in.subcooling,
                          in.efficiency,
                          in.capacity};
    for (const double v : all) {
        if (!std::isfinite(v)) {
            return CycleRefusal::not_finite;
        }
    }
    if (!(in.efficiency > 0.0 && in.efficiency <= 1.0)) {
        return CycleRefusal::efficiency_outside;
    }
    if (in.superheat < 0.0) {
        return CycleRefusal::negative_superheat;
    }
    if (in.subcooling < 0.0) {
        return CycleRefusal::negative_subcooling;
    }
    if (in.capacity < 0.0) {
        return CycleRefusal::negative_capacity;
    }
    if (in.capacity > MAX_CYCLE_CAPACITY) {
        return CycleRefusal::capacity_too_large;
    }
    if (to_base(UnitKind::temperature, units, in.condensing_temperature) >
        model_constants(options).saturation_limit_temperature) {
        return CycleRefusal::condensing_not_below_critical;
    }
    if (!(in.evaporating_temperature < in.condensing_temperature)) {
        return CycleRefusal::evaporating_not_below_condensing;
    }
    return CycleRefusal::none;
}

}  // namespace

int calculate_cycle(const CycleInput& input, const CalcOptions& calc_options, CycleResult& result) {
    result.input = input;
    result.options = calc_options;
    result.options.superheat = false;
    const CalcOptions& options = result.options;
    result.refusal = CycleRefusal::none;
    result.state = -1;
    for (StateResult& s : result.states) {
        s = StateResult{};
    }
    result.isentropic_discharge = StateResult{};
    if (const CycleRefusal why = check_input(input, calc_options); why != CycleRefusal::none) {
        return refuse(result, why);
    }
    StateResult& s1 = result.states[CYCLE_SUCTION];
    StateResult& s2 = result.states[CYCLE_DISCHARGE];
    StateResult& s3 = result.states[CYCLE_LIQUID];
    StateResult& s4 = result.states[CYCLE_EVAPORATOR_INLET];
    StateResult& s2s = result.isentropic_discharge;

    // 1: the evaporating pressure is the saturated vapour's at t0.
    if (calculate_state(pair("ts-vapour"), input.evaporating_temperature, 0.0, options, s1) !=
        STATUS_VALID) {
        return refuse(result, CycleRefusal::state_outside, CYCLE_SUCTION);
    }
    const double p0 = s1.values[FIELD_PRESSURE];
    if (input.superheat > 0.0) {
        if (calculate_state(pair("p-t"), p0, input.evaporating_temperature + input.superheat,
                            options, s1) != STATUS_VALID) {
            return refuse(result, CycleRefusal::state_outside, CYCLE_SUCTION);
        }
        if (s1.phase != PHASE_VAPOUR) {
            return refuse(result, CycleRefusal::suction_not_vapour, CYCLE_SUCTION);
        }
    }
    // 3: the condensing pressure is the saturated liquid's at tc.
    if (calculate_state(pair("ts-liquid"), input.condensing_temperature, 0.0, options, s3) !=
        STATUS_VALID) {
        return refuse(result, CycleRefusal::state_outside, CYCLE_LIQUID);
    }
    const double pc = s3.values[FIELD_PRESSURE];
    if (input.subcooling > 0.0) {
        if (calculate_state(pair("p-t"), pc, input.condensing_temperature - input.subcooling,
                            options, s3) != STATUS_VALID) {
            return refuse(result, CycleRefusal::state_outside, CYCLE_LIQUID);
        }
        if (s3.phase != PHASE_LIQUID) {
            return refuse(result, CycleRefusal::liquid_not_liquid, CYCLE_LIQUID);
        }
    }
    // 2s and 2: the compression.
    const double h1 = s1.values[FIELD_ENTHALPY];
    if (calculate_state(pair("p-s"), pc, s1.values[FIELD_ENTROPY], options, s2s) != STATUS_VALID) {
        return refuse(result, CycleRefusal::state_outside, CYCLE_STATE_COUNT);
    }
    const double h2 = h1 + (s2s.values[FIELD_ENTHALPY] - h1) / input.efficiency;
    if (calculate_state(pair("p-h"), pc, h2, options, s2) != STATUS_VALID) {
        return refuse(result, CycleRefusal::state_outside, CYCLE_DISCHARGE);
    }
    // 4: the throttling keeps the enthalpy.
    const double h3 = s3.values[FIELD_ENTHALPY];
    if (calculate_state(pair("p-h"), p0, h3, options, s4) != STATUS_VALID) {
        return refuse(result, CycleRefusal::state_outside, CYCLE_EVAPORATOR_INLET);
    }

    result.status = STATUS_VALID;
    double* f = result.figures;
    const double h2_state = s2.values[FIELD_ENTHALPY];
    const double h4 = s4.values[FIELD_ENTHALPY];
    f[CYCLE_REFRIGERATING_EFFECT] = h1 - h4;
    f[CYCLE_COMPRESSOR_WORK] = h2_state - h1;
    f[CYCLE_HEAT_REJECTED] = h2_state - h3;
    f[CYCLE_COP] = f[CYCLE_REFRIGERATING_EFFECT] / f[CYCLE_COMPRESSOR_WORK];
    f[CYCLE_DISCHARGE_TEMPERATURE] = s2.values[FIELD_TEMPERATURE];
    f[CYCLE_ISENTROPIC_DISCHARGE_TEMPERATURE] = s2s.values[FIELD_TEMPERATURE];
    f[CYCLE_EVAPORATING_PRESSURE] = p0;
    f[CYCLE_CONDENSING_PRESSURE] = pc;
    f[CYCLE_PRESSURE_RATIO] = pc / p0;
    f[CYCLE_VOLUMETRIC_CAPACITY] = f[CYCLE_REFRIGERATING_EFFECT] * s1.values[FIELD_DENSITY];
    if (input.capacity > 0.0) {
        // kW over the specific energy in J/kg.
        const double q0_si =
            to_base(UnitKind::specific_energy, options.units, f[CYCLE_REFRIGERATING_EFFECT]);
        const double w_si =
            to_base(UnitKind::specific_energy, options.units, f[CYCLE_COMPRESSOR_WORK]);
        const double qc_si =
            to_base(UnitKind::specific_energy, options.units, f[CYCLE_HEAT_REJECTED]);
        const double m = input.capacity * 1000.0 / q0_si;
        f[CYCLE_MASS_FLOW] = m;
        f[CYCLE_DISPLACEMENT] = m / s1.values[FIELD_DENSITY] * 3600.0;
        f[CYCLE_COMPRESSOR_POWER] = m * w_si / 1000.0;
        f[CYCLE_CONDENSER_DUTY] = m * qc_si / 1000.0;
    } else {
        f[CYCLE_MASS_FLOW] = NaN;
        f[CYCLE_DISPLACEMENT] = NaN;
        f[CYCLE_COMPRESSOR_POWER] = NaN;
        f[CYCLE_CONDENSER_DUTY] = NaN;
    }
    return STATUS_VALID;
}

// ---- Words for a refusal ----

std::size_t describe_cycle_refusal(const CycleResult& r, const Language language, char* text,
                                   const std::size_t size) {
    // Numbers as std::to_chars writes them without a format ("1e+09 kW").
    BoundedText out(text, size, NumberStyle::compact);
    const bool en = language == Language::english;
    const CycleInput& in = r.input;
    const Units& units = r.options.units;
    const std::string_view degrees = unit_text(UnitKind::temperature, units, language);
    const std::string_view difference = temperature_difference_text(units, language);
    switch (r.refusal) {
        case CycleRefusal::none:
            break;
        case CycleRefusal::not_finite:
            out << (en ? "an input of the cycle is not a finite number"
                       : "параметр цикла не является конечным числом");
            break;
        case CycleRefusal::efficiency_outside:
            out << (en ? "isentropic efficiency " : "изоэнтропный КПД ") << in.efficiency
                << (en ? " is outside (0, 1]" : " вне интервала (0, 1]");
            break;
        case CycleRefusal::negative_superheat:
            out << (en ? "superheat " : "перегрев ") << in.superheat << " " << difference
                << (en ? " is negative" : " отрицателен");
            break;
        case CycleRefusal::negative_subcooling:
            out << (en ? "subcooling " : "переохлаждение ") << in.subcooling << " " << difference
                << (en ? " is negative" : " отрицательно");
            break;
        case CycleRefusal::negative_capacity:
            out << (en ? "refrigerating capacity " : "холодопроизводительность ") << in.capacity
                << (en ? " kW is negative" : " кВт отрицательна");
            break;
        case CycleRefusal::capacity_too_large:
            out << (en ? "refrigerating capacity " : "холодопроизводительность ") << in.capacity
                << (en ? " kW is above " : " кВт больше ") << MAX_CYCLE_CAPACITY
                << (en ? " kW" : " кВт");
            break;
        case CycleRefusal::evaporating_not_below_condensing:
            out << (en ? "evaporating temperature " : "температура кипения ")
                << in.evaporating_temperature << " " << degrees
                << (en ? " is not below the condensing temperature "
                       : " не ниже температуры конденсации ")
                << in.condensing_temperature << " " << degrees;
            break;
        case CycleRefusal::condensing_not_below_critical:
            out << (en ? "condensing temperature " : "температура конденсации ")
                << in.condensing_temperature << " " << degrees
                << (en ? " is above the saturation limit near the critical point, "
                       : " выше предела насыщения у критической точки, ")
                << from_base(UnitKind::temperature, units,
                             model_constants(r.options).saturation_limit_temperature)
                << " " << degrees;
            break;
        case CycleRefusal::state_outside: {
            out << cycle_state_name(r.state, language) << ": ";
            const StateResult& s =
                r.state == CYCLE_STATE_COUNT ? r.isentropic_discharge : r.states[r.state];
            char reason[512];
            describe_refusal(s, language, reason, sizeof reason);
            out << reason;
            break;
        }
        case CycleRefusal::suction_not_vapour:
            out << (en ? "the suction state is not a vapour" : "состояние на всасывании не пар");
            break;
        case CycleRefusal::liquid_not_liquid:
            out << (en ? "the state before the valve is not a liquid"
                       : "состояние перед вентилем не жидкость");
            break;
    }
    return out.length();
}

}  // namespace zeltra5

// The fields after the record's, from one more evaluation of the equation at the record's state:
// the compressibility factor, the Joule-Thomson coefficient and the other derivatives, the
// free energies, the fugacity, the ideal-gas heat capacity, the virial coefficients, the slope
// of the saturation line and the phase identification parameter.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "extended_fields_internal.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/exponential.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void set(ExtendedValues& out, const int field, const double value) {
    out.value[field - RESULT_VALUE_COUNT] = value;
}

// f = rho R T exp(phir + delta phir_d): the pressure an ideal gas of the same Gibbs energy at the
// same temperature would have.
[[gnu::always_inline]] inline double fugacity(const FluidState& s) {
    return s.rho * s.R * s.T * exponential(s.phir + s.delta * s.phir_d);
}

// cp of the ideal gas at the state's temperature: R (1 - tau0^2 phi0_tt).
[[gnu::always_inline]] inline double ideal_gas_cp(const FluidState& s) {
    return (1.0 - s.tau0 * s.tau0 * s.phi0_tt) * s.R;
}

// The derivatives of a single-phase state, with its third residual derivatives (inlined into
// each model's extended fields).
[[gnu::always_inline]] inline void fill_single_phase(const FluidState& s, const double cp,
                                                     const double phir_ddd, const double phir_ddt,
                                                     ExtendedValues& out) {
    const double d = s.delta;
    const double dd = d * d;
    const double dp_drho = s.R * s.T * (1.0 + 2.0 * d * s.phir_d + dd * s.phir_dd);
    const double dp_dt = s.rho * s.R * (1.0 + d * s.phir_d - d * s.tau * s.phir_dt);
    set(out, FIELD_PRESSURE_DENSITY_DERIVATIVE, dp_drho);
    set(out, FIELD_PRESSURE_TEMPERATURE_DERIVATIVE, dp_dt);
    set(out, FIELD_ISOTHERMAL_COMPRESSIBILITY, 1.0 / (s.rho * dp_drho));
    // mu = (T (dv/dT)_p - v) / cp with (dv/dT)_p = (dp/dT)_rho / (rho^2 (dp/drho)_T).
    set(out, FIELD_JOULE_THOMSON, (s.T * dp_dt / (s.rho * s.rho * dp_drho) - 1.0 / s.rho) / cp);
    // 2 - rho [(d2p/drho dT) / (dp/dT)_rho - (d2p/drho2)_T / (dp/drho)_T], each ratio reduced.
    const double mixed = 1.0 + 2.0 * d * s.phir_d + dd * s.phir_dd - 2.0 * d * s.tau * s.phir_dt -
                         dd * s.tau * phir_ddt;
    const double curvature = 2.0 * d * s.phir_d + 4.0 * dd * s.phir_dd + dd * d * phir_ddd;
    const double stiffness = 1.0 + 2.0 * d * s.phir_d + dd * s.phir_dd;
    const double thermal = 1.0 + d * s.phir_d - d * s.tau * s.phir_dt;
    set(out, FIELD_PHASE_IDENTIFICATION, 2.0 - (mixed / thermal - curvature / stiffness));
}

}  // namespace

template <class M>
void extended_fields_of(const PropertyResult& r, const FluidState* state,
                        const flash::ThirdDerivatives* third, ExtendedValues& out) {
    std::fill(std::begin(out.value), std::end(out.value), NaN);
    const double t = r.temperature;
    const double T = t + KELVIN_OFFSET;
    const double R = M::CONSTANTS.gas_constant;
    const bool mixture = r.phase == PHASE_TWO_PHASE;
    const bool saturated = mixture || r.phase_detail == 0;

    set(out, FIELD_COMPRESSIBILITY_FACTOR, r.pressure / (r.mass_density * R * T));
    set(out, FIELD_GIBBS_ENERGY, r.specific_enthalpy - T * r.specific_entropy);
    set(out, FIELD_HELMHOLTZ_ENERGY, r.specific_internal_energy - T * r.specific_entropy);
    double B = NaN;
    double C = NaN;
    M::virial_coefficients(t, B, C);
    set(out, FIELD_SECOND_VIRIAL, B);
    set(out, FIELD_THIRD_VIRIAL, C);

    SaturationEquilibrium eq{};
    const bool equilibrium = saturated && r.phase != PHASE_SUPERCRITICAL &&
                             M::saturation_at_temperature(T, eq) == SATURATION_EQUILIBRIUM_OK;
    if (equilibrium) {
        // Clausius-Clapeyron: dp/dT = (s'' - s') / (v'' - v'), with s'' - s' = r / T of the
        // saturated pair the record's latent heat comes from.
        set(out, FIELD_SATURATION_SLOPE,
            r.latent_heat / (T * (1.0 / eq.rho_vapour - 1.0 / eq.rho_liquid)));
        if (mixture) {
            // Both phases have the same fugacity; the liquid's is the better conditioned. Its
            // record as the model forms saturated records (from expansions where it has them).
            FluidState liquid{};
            if constexpr (M::SATURATED_RECORDS_ARE_EVALUATIONS) {
                M::evaluate_fugacity_fields(t, eq.rho_liquid, liquid);
            } else {
                double enthalpy_other = 0.0;
                M::saturated_side(t, eq, PHASE_LIQUID, liquid, enthalpy_other);
            }
            const double f = fugacity(liquid);
            set(out, FIELD_FUGACITY, f);
            set(out, FIELD_FUGACITY_COEFFICIENT, f / r.pressure);
            set(out, FIELD_IDEAL_GAS_CP, ideal_gas_cp(liquid));
        }
    }
    if (mixture) {
        return;
    }
    // The state at the record's temperature and density: the calculation's own where it is that
    // state (evaluate is a function of T and rho alone, so equal inputs give it bit for bit), and
    // then only the third derivatives are formed; otherwise evaluated with them. A saturated
    // record of a model that forms them from expansions along the saturation curve is formed
    // again that way, with its third derivatives from the model's expansions: an evaluation would
    // agree with it only to its rounding.
    FluidState formed;
    const FluidState* s = state;
    double cp = r.isobaric_heat_capacity;  // state_cp of the calculation's state
    double phir_ddd = NaN;
    double phir_ddt = NaN;
    const bool same_state = state != nullptr && state->T == T && state->rho == r.mass_density;
    if (saturated && !M::SATURATED_RECORDS_ARE_EVALUATIONS && equilibrium) {
        if (!same_state) {
            double enthalpy_other = 0.0;
            M::saturated_side(t, eq, r.phase, formed, enthalpy_other);
            s = &formed;
            cp = state_cp(formed);
        }
        M::saturated_third(t, eq, r.phase, phir_ddd, phir_ddt);
    } else if (same_state && (!saturated || M::SATURATED_RECORDS_ARE_EVALUATIONS)) {
        if (third != nullptr && third->T == T && third->rho == r.mass_density) {
            phir_ddd = third->phir_ddd;
            phir_ddt = third->phir_ddt;
        } else {
            M::phir_ddd_ddt(t, r.mass_density, phir_ddd, phir_ddt);
        }
    } else {
        M::evaluate_with_third(t, r.mass_density, formed, phir_ddd, phir_ddt);
        s = &formed;
        cp = state_cp(formed);
    }
    const double f = fugacity(*s);
    set(out, FIELD_FUGACITY, f);
    set(out, FIELD_FUGACITY_COEFFICIENT, f / r.pressure);
    set(out, FIELD_IDEAL_GAS_CP, ideal_gas_cp(*s));
    fill_single_phase(*s, cp, phir_ddd, phir_ddt, out);
}

#define ZELTRA5_INSTANTIATE(Model)                                                    \
    template void extended_fields_of<Model>(const PropertyResult&, const FluidState*, \
                                            const flash::ThirdDerivatives*, ExtendedValues&);
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

namespace {

template <class M>
void extended_fields_for(const PropertyResult& r, ExtendedValues& out) {
    extended_fields_of<M>(r, nullptr, nullptr, out);
}

using ExtendedFunction = void (*)(const PropertyResult&, ExtendedValues&);
#define ZELTRA5_EXTENDED_FUNCTION(Model) &extended_fields_for<Model>,
constexpr ExtendedFunction EXTENDED_FUNCTIONS[] = {
    ZELTRA5_FOR_EACH_MODEL(ZELTRA5_EXTENDED_FUNCTION)};
#undef ZELTRA5_EXTENDED_FUNCTION
static_assert(std::size(EXTENDED_FUNCTIONS) == MODEL_COUNT);

}  // namespace

void calculate_extended_fields(const PropertyResult& record, ExtendedValues& out) {
    extended_fields_for<DefaultModel>(record, out);
}

void calculate_extended_fields(const int model, const PropertyResult& record, ExtendedValues& out) {
    if (model < 0 || model >= MODEL_COUNT) {
        std::fill(std::begin(out.value), std::end(out.value), NaN);
        return;
    }
    EXTENDED_FUNCTIONS[model](record, out);
}

}  // namespace zeltra5

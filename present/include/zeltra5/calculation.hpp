#pragma once
// The calculation as every interface offers it: an argument pair by name, the given values in a
// unit system and on a reference state, and the options; out come the status, the phase and the
// nineteen fields in the same units and reference, with NaN where the result table leaves a cell
// blank. One place for unit conversion, reference states and the rules of the options, so that
// the command line, the C library, Python and the web page give the same numbers bit for bit.

#include <cstddef>

#include "zeltra5/calc.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/reference_state.hpp"

namespace zeltra5 {

// The release, "major.minor.patch".
const char* library_version();

enum CalcStatus : int {
    STATUS_VALID = 0,
    STATUS_OUTSIDE_DOMAIN = 1,  // no valid state: outside the domain, or none found
    STATUS_BAD_ARGUMENT = 2,    // the request itself is malformed (an option that does not apply)
};

// phase and phase_detail of a result that is not valid.
inline constexpr int NO_PHASE = -2;

struct CalcOptions {
    Units units = SI_UNITS;
    ReferenceState reference = ReferenceState::program;
    bool superheat = false;  // the superheated (metastable) liquid; not with the saturation pairs
    int model = DEFAULT_MODEL;  // the equation of state: an index of MODELS (zeltra5/models.hpp)
    // Also form the extended fields, from the calculation's own state (cheaper than forming them
    // from the record afterwards, and bit for bit the same): for a caller that will show them.
    bool extended_fields = false;
};

struct StateResult {
    int status = STATUS_BAD_ARGUMENT;
    int phase = NO_PHASE;         // PhaseRegion when valid
    int phase_detail = NO_PHASE;  // -1 subcooled, 0 saturated, 1 superheated, 3 supercritical
    // The fields in record order, in the options' units and on their reference state; NaN where
    // the result is not valid or the field is not defined for its phase. A field that is a given
    // value shows that value as it was given.
    double values[RESULT_VALUE_COUNT];
    // What was asked, as given, and behind it the front end's request and record (SI, the
    // program's reference; the record only when valid).
    const ArgPair* pair = nullptr;
    double given[2] = {0.0, 0.0};
    CalcOptions options{};
    CalcRequest request{};
    PropertyResult record{};
    Refusal refusal{};  // why the result is not valid
    // The extended fields (SI, the program's reference) when the options asked for them and the
    // result is valid; calculate_extended reads them instead of forming them again.
    bool extended_formed = false;
    ExtendedValues extended_si{};
};

// The most threads an interface runs its calculations on (the command line's batch, Python's
// arrays): more gain nothing on any machine this runs on and only cost memory.
inline constexpr int MAX_THREADS = 256;

// One state. The saturation pairs take only `first`. Allocates nothing; safe to call from
// several threads at once.
int calculate_state(const ArgPair& pair, double first, double second, const CalcOptions& options,
                    StateResult& result);

// Where calculate_state takes its record from: calculate_request(model, request, result, why)
// by default; another source (the tabulated properties) answers the same request in the same
// units with the same refusals. `evaluate` must be safe to call from several threads at once.
struct RecordSource {
    int (*evaluate)(const void* context, const CalcRequest& request, PropertyResult& result,
                    Refusal& why);
    const void* context;
};

// calculate_state with the record from `source` (the extended fields are then formed from the
// record when asked for, as calculate_extended does for any result).
int calculate_state(const ArgPair& pair, double first, double second, const CalcOptions& options,
                    StateResult& result, const RecordSource& source);

// The saturated liquid (SIDE_LIQUID) or vapour (SIDE_VAPOUR) at the pressure of a valid result,
// as the Windows program shows them beside it (the pressure kept inside the saturation range),
// with the same units and reference. Status 1 when `of` is not valid or is supercritical.
int calculate_saturated(const StateResult& of, int side, StateResult& result);

// The extended fields of `result` (fields.inc after the nineteen): values[k] is field
// RESULT_VALUE_COUNT + k, in the result's units and on its reference state (the Gibbs and
// Helmholtz energies move by dh - T ds), NaN where the result is not valid or the field is not
// defined for its phase. Formed here unless the calculation formed them (extended_fields).
void calculate_extended(const StateResult& result, double (&values)[EXTENDED_FIELD_COUNT]);

// Forms the extended fields of a valid `result` that has none yet and keeps them in it, for a
// caller that reads them from one result several times.
void keep_extended(StateResult& result);

// Every field, the nineteen of result.values then the extended ones.
struct AllFieldValues {
    double value[FIELD_COUNT];
};
AllFieldValues all_field_values(const StateResult& result);

// Why `result` is not valid, in words, naming the value and the limit it broke ("temperature
// 500 °C is above 450 °C"), in the result's units and reference. Writes at most `size` bytes
// into `text`, always terminated when size > 0, and answers the length of the whole message.
std::size_t describe_refusal(const StateResult& result, Language language, char* text,
                             std::size_t size);

}  // namespace zeltra5

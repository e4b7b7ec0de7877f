#pragma once
// Round trips: a state the front end answered, given back through every other pair that can take
// it, must be accepted, keep its phase and reproduce its temperature, pressure, density, enthalpy,
// entropy and internal energy to 1e-9 (K, or relative). Shared by the whole-domain sweep
// (zeltra5-roundtrip) and its unit test. Every request is asked of one model (an index of
// MODELS, the default model unless one is given).

#include "zeltra5/calc.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::reliability {

enum RoundTripQuantity : int {
    RT_TEMPERATURE,
    RT_PRESSURE,
    RT_DENSITY,
    RT_ENTHALPY,
    RT_ENTROPY,
    RT_ENERGY,
};
inline constexpr int RT_QUANTITY_COUNT = 6;
extern const char* const RT_QUANTITY_NAMES[RT_QUANTITY_COUNT];

// Temperature in K; pressure and density relative; h, u and s relative to the larger of the value
// and their scale (1e6 J/kg, 1e4 J/(kg K)), so that values crossing zero are compared absolutely.
inline constexpr double ROUND_TRIP_TOLERANCE = 1e-9;

// The pairs as the sweep tells them apart: the eleven argument pairs in menu order, then the seven
// two-value pairs again with the superheat option (side 1).
inline constexpr int RT_PAIR_COUNT = 18;
int round_trip_pair(const CalcRequest& request);  // -1 for a request no pair names
const char* round_trip_pair_name(int index);      // "p-h", "p-h --superheat"

// The requests that give `state` (the valid answer of `source`) back through every other pair
// that can take it: a single-phase state through p-t, p-h, p-u, p-s, p-rho and t-rho; a mixture
// through p-x, t-rho, p-h, p-s, p-u and p-rho; a saturated state through those and its own
// ps-* and ts-*. The superheat option goes along where the source asked for it or the state is a
// superheated liquid. Answers how many it wrote.
inline constexpr int MAX_FEED_BACKS = 8;
int feed_back_requests(const CalcRequest& source, const PropertyResult& state,
                       CalcRequest out[MAX_FEED_BACKS]);

struct FeedBack {
    CalcRequest request{};
    int status = 1;
    Refusal refusal{};
    PropertyResult result{};
    bool phase_kept = false;
    double deviation[RT_QUANTITY_COUNT] = {};  // measured as ROUND_TRIP_TOLERANCE bounds it

    bool refused() const { return status != 0; }
    bool reproduced() const;  // accepted, the phase kept and every deviation within tolerance
};

// `target` answered by `model` and compared with `state`.
FeedBack feed_back(const PropertyResult& state, const CalcRequest& target,
                   int model = DEFAULT_MODEL);

// Whether `back` is the same phase as `state`: the same label, two mixtures, or two results on
// the same saturation line (a saturated phase; a mixture of quality 0 or 1; a liquid or vapour
// within 1e-9 of that quality, its label then the rounding of its temperature against the
// saturation temperature). That they are the same state the values decide.
bool same_phase(const PropertyResult& state, const PropertyResult& back);

// The deviation of `got` from `expected` in `quantity`, as ROUND_TRIP_TOLERANCE bounds it (NaN
// stays NaN, which no tolerance admits).
double round_trip_deviation(int quantity, double expected, double got);

// The pairs beyond the Windows program's menu (t-x, t-h, t-s, t-u, rho-h, rho-s, rho-u, h-s), asked
// through calculate_request with a state's own values. Each answer is judged by the state itself:
// the same state (t to 1e-9 K, p and rho to 1e-9 relative), or one the given values do not tell
// from it (the state halfway between them holds them too); or another state that holds the
// given values where the line holds several (of lower density, or at the given density of lower
// pressure: the rule the solvers answer by); or a refusal with a reason (allowed, and counted:
// some of these pairs' solvers answer none until they land); anything else is wrong.
inline constexpr int LINE_PAIR_COUNT = 8;
const char* line_pair_name(int index);  // "t-x", "t-h", ... "h-s"

// unresolved: a state the given values do not tell from the state itself (see line_check).
enum class LineVerdict : int { reproduced, unresolved, other_state, refused, wrong };
inline constexpr int LINE_VERDICT_COUNT = 5;
extern const char* const LINE_VERDICT_NAMES[LINE_VERDICT_COUNT];

struct LineCheck {
    int pair = -1;  // index of line_pair_name
    CalcRequest request{};
    int status = 1;
    Refusal refusal{};
    PropertyResult result{};
    LineVerdict verdict = LineVerdict::refused;
};

// The requests of the line pairs for `state`: t-x only for a mixture or a saturated record (its
// quality is then in [0, 1]). A superheated liquid is asked with the superheat option. Answers
// how many it wrote; pair[i] is the line pair of out[i].
int line_pair_requests(const PropertyResult& state, CalcRequest out[LINE_PAIR_COUNT],
                       int pair[LINE_PAIR_COUNT]);

// `request` (line pair `pair`) answered through calculate_request by `model` and judged against
// `state`.
LineCheck line_check(const PropertyResult& state, int pair, const CalcRequest& request,
                     int model = DEFAULT_MODEL);

// One source request and all its feed-backs.
struct RoundTrip {
    CalcRequest source{};
    int status = 1;
    PropertyResult state{};
    int count = 0;
    FeedBack back[MAX_FEED_BACKS];
    int line_count = 0;
    LineCheck line[LINE_PAIR_COUNT];

    int refusals() const;
    int failures() const;     // refused, phase changed or a value not reproduced
    int line_wrongs() const;  // line pairs' answers judged wrong
};

RoundTrip round_trip(const CalcRequest& source, int model = DEFAULT_MODEL);

}  // namespace zeltra5::reliability

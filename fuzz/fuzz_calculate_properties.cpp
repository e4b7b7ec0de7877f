// libFuzzer target: the front end (calculate_request: the Windows program's modes 0 to 8 and the
// pairs beyond its menu) with any request: any mode and side integers and any
// doubles (NaN, infinities, subnormals, huge values), and values steered into and just around
// each mode's domain so that the solvers are exercised, not only the range check. Every answer
// must pass the reliability checks, be the same when asked again, and stay within the bound on
// equation-of-state evaluations.
//
// Each input is asked of every model, or only of the one that ZELTRA5_FUZZ_MODEL names (a run
// per model shares the time between them: the 2023 equation's requests cost about thirty times
// the 1993 one's). Its bytes are read once per model, the steered values then falling at the same
// places of that model's own domain (raw values and the generic specials are the same for all).
// The default model reads an input as this harness always has, so the inputs of the corpus keep
// their requests; the corpus replay asks every model.

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "domain.hpp"
#include "result_checks.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"

namespace {

using namespace zeltra5;
using namespace zeltra5::reliability;

// Reads the input front to back; zeros once it is used up.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    template <typename T>
    T raw() {
        unsigned char buf[sizeof(T)] = {};
        for (unsigned char& b : buf) {
            b = byte();
        }
        T v;
        std::memcpy(&v, buf, sizeof v);
        return v;
    }

    // A fraction in [0, 1] from 32 bits.
    double fraction() { return static_cast<double>(raw<std::uint32_t>()) / 4294967295.0; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The special values of a model: generic ones and the model's domain edges and critical point
// (the critical temperature as the solvers carry it). Their order and number are those of the
// corpus's inputs.
constexpr int SPECIAL_COUNT = 24;
struct Specials {
    double value[SPECIAL_COUNT];
};

Specials specials_of(const ModelConstants& c) {
    const DomainLimits& d = c.domain;
    return {{0.0,
             -0.0,
             std::numeric_limits<double>::denorm_min(),
             -std::numeric_limits<double>::denorm_min(),
             DBL_MIN,
             DBL_MAX,
             -DBL_MAX,
             std::numeric_limits<double>::infinity(),
             -std::numeric_limits<double>::infinity(),
             std::numeric_limits<double>::quiet_NaN(),
             1e300,
             -1e300,
             d.min_pressure,
             c.critical_pressure,
             d.max_pressure,
             d.min_temperature,
             c.supercritical_saturation_temperature,
             d.max_temperature,
             225.0,  // about the critical density of ammonia
             129.4,
             -74.0,
             1.0,
             -1.0,
             0.5}};
}

double nudge(double v, int ulps) {
    for (; ulps > 0; --ulps) {
        v = std::nextafter(v, HUGE_VAL);
    }
    for (; ulps < 0; ++ulps) {
        v = std::nextafter(v, -HUGE_VAL);
    }
    return v;
}

// One value: raw bits, a special value, or a point of `range` (slightly beyond it at times),
// each possibly moved by a few ulps.
double value(Bytes& in, const Range& range, const Specials& specials) {
    const std::uint8_t how = in.byte();
    const int ulps = static_cast<int>(in.byte() % 9) - 4;
    switch (how % 4) {
        case 0:
            return in.raw<double>();
        case 1:
            return nudge(specials.value[in.byte() % SPECIAL_COUNT], ulps);
        case 2: {
            // 5 % beyond either end of the range, linearly.
            const double f = in.fraction() * 1.1 - 0.05;
            const double span = range.hi - range.lo;
            if (f < 0.0 || f > 1.0) {
                return f < 0.0 ? range.lo + f * span : range.hi + (f - 1.0) * span;
            }
            return nudge(point_in(range, f), ulps);
        }
        default:
            return nudge(point_in(range, in.fraction()), ulps);
    }
}

int small_or_raw(Bytes& in, const int lo, const int count) {
    const std::uint8_t b = in.byte();
    return (b & 0x80) != 0 ? in.raw<std::int32_t>() : lo + (b % count);
}

[[noreturn]] void fail(const char* what, const int model, const CalcRequest& q) {
    std::fprintf(stderr,
                 "calculate_properties, model %s: %s\n  mode %d side %d first %.17g (%a) second "
                 "%.17g (%a)\n",
                 MODELS[model].name, what, q.mode, q.side, q.first_value, q.first_value,
                 q.second_value, q.second_value);
    std::abort();
}

// The most evaluations one request of this run needed, and that request, printed when the run
// ends.
unsigned long long most_evaluations = 0;
CalcRequest most_evaluated{};
int most_evaluated_model = DEFAULT_MODEL;

void print_most_evaluations() {
    const CalcRequest& q = most_evaluated;
    std::fprintf(stderr,
                 "most equation-of-state evaluations in one request: %llu (bound %llu), model %s "
                 "mode %d side %d first %.17g second %.17g\n",
                 most_evaluations, MAX_EVALUATIONS_PER_REQUEST, MODELS[most_evaluated_model].name,
                 q.mode, q.side, q.first_value, q.second_value);
}

void note_evaluations(const unsigned long long n, const int model, const CalcRequest& q) {
    static const bool registered = std::atexit(print_most_evaluations) == 0;
    (void)registered;
    if (n > most_evaluations) {
        most_evaluations = n;
        most_evaluated = q;
        most_evaluated_model = model;
    }
}

// The input read over the domain of `model` and asked of it.
void ask(const std::uint8_t* data, const std::size_t size, const int model) {
    Bytes in(data, size);
    const Specials specials = specials_of(*MODELS[model].constants);
    CalcRequest q{};
    q.mode = small_or_raw(in, -1, LAST_MODE + 3);
    q.side = small_or_raw(in, -1, 5);
    const bool known_mode = q.mode >= 0 && q.mode <= LAST_PROGRAM_MODE;
    const ArgPair* line_pair = q.mode > LAST_PROGRAM_MODE && q.mode <= LAST_MODE
                                   ? find_arg_pair(q.mode, SIDE_NONE)
                                   : nullptr;
    const Range any{-1e3, 1e8, false};
    const Range first = known_mode             ? first_value_range(q.mode, model)
                        : line_pair != nullptr ? line_pair_range(line_pair->first_field, model)
                                               : any;
    q.first_value = value(in, first, specials);
    const bool first_inside = first.lo <= q.first_value && q.first_value <= first.hi;
    q.second_value =
        value(in,
              line_pair != nullptr         ? line_pair_range(line_pair->second_field, model)
              : known_mode && first_inside ? second_value_band(q.mode, q.first_value, model)
                                           : any,
              specials);

    PropertyResult before{};
    std::memset(&before, 0xA5, sizeof before);
    PropertyResult r = before;
    reset_evaluation_counters();
    Refusal why{};
    const int status = calculate_request(model, q, r, why);
    const unsigned long long evaluations = evaluations_since_reset();
    if (evaluations > MAX_EVALUATIONS_PER_REQUEST) {
        fail("more equation-of-state evaluations than the bound", model, q);
    }
    note_evaluations(evaluations, model, q);
    if (const char* failure = check_result(q, status, before, r, nullptr, model)) {
        fail(failure, model, q);
    }
    // No state survives a call: the same request gives the same answer to the bit.
    PropertyResult again = before;
    if (calculate_request(model, q, again, why) != status ||
        std::memcmp(&again, &r, sizeof r) != 0) {
        fail("a second call answered differently", model, q);
    }
}

// The model ZELTRA5_FUZZ_MODEL names, or -1 for every model; an unknown name ends the run.
int chosen_model() {
    const char* name = std::getenv("ZELTRA5_FUZZ_MODEL");
    if (name == nullptr || *name == '\0') {
        return -1;
    }
    const int model = find_model_index(name);
    if (model < 0) {
        std::fprintf(stderr, "ZELTRA5_FUZZ_MODEL: unknown model \"%s\"\n", name);
        std::exit(2);
    }
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int only = chosen_model();
    for (int model = 0; model < MODEL_COUNT; ++model) {
        if (only < 0 || model == only) {
            ask(data, size, model);
        }
    }
    return 0;
}

// libFuzzer target: the front end (calculate_request: the Windows program's modes 0 to 8 and the
// pairs beyond its menu) with any request: any mode and side integers and any
// doubles (NaN, infinities, subnormals, huge values), and values steered into and just around
// each mode's domain so that the solvers are exercised, not only the range check. Every answer
// must pass the reliability checks, be the same when asked again, and stay within the bound on
// equation-of-state evaluations.

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
#include "zeltra5/pairs.hpp"
#include "zeltra5/tr1993_constants.hpp"

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

constexpr double SPECIALS[] = {0.0,
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
                               zeltra5::tr1993::MIN_PRESSURE,
                               zeltra5::tr1993::CRITICAL_PRESSURE,
                               zeltra5::tr1993::MAX_PRESSURE,
                               zeltra5::tr1993::MIN_TEMPERATURE,
                               zeltra5::tr1993::CRITICAL_TEMPERATURE_C,
                               zeltra5::tr1993::MAX_TEMPERATURE,
                               zeltra5::tr1993::CRITICAL_DENSITY,
                               129.4,
                               -74.0,
                               1.0,
                               -1.0,
                               0.5};

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
double value(Bytes& in, const Range& range) {
    const std::uint8_t how = in.byte();
    const int ulps = static_cast<int>(in.byte() % 9) - 4;
    switch (how % 4) {
        case 0:
            return in.raw<double>();
        case 1:
            return nudge(SPECIALS[in.byte() % (sizeof SPECIALS / sizeof SPECIALS[0])], ulps);
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

[[noreturn]] void fail(const char* what, const CalcRequest& q) {
    std::fprintf(
        stderr, "calculate_properties: %s\n  mode %d side %d first %.17g (%a) second %.17g (%a)\n",
        what, q.mode, q.side, q.first_value, q.first_value, q.second_value, q.second_value);
    std::abort();
}

// The most evaluations one request of this run needed, and that request, printed when the run
// ends.
unsigned long long most_evaluations = 0;
CalcRequest most_evaluated{};

void print_most_evaluations() {
    const CalcRequest& q = most_evaluated;
    std::fprintf(stderr,
                 "most equation-of-state evaluations in one request: %llu (bound %llu), mode %d "
                 "side %d first %.17g second %.17g\n",
                 most_evaluations, MAX_EVALUATIONS_PER_REQUEST, q.mode, q.side, q.first_value,
                 q.second_value);
}

void note_evaluations(const unsigned long long n, const CalcRequest& q) {
    static const bool registered = std::atexit(print_most_evaluations) == 0;
    (void)registered;
    if (n > most_evaluations) {
        most_evaluations = n;
        most_evaluated = q;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    CalcRequest q{};
    q.mode = small_or_raw(in, -1, LAST_MODE + 3);
    q.side = small_or_raw(in, -1, 5);
    const bool known_mode = q.mode >= 0 && q.mode <= LAST_PROGRAM_MODE;
    const ArgPair* line_pair = q.mode > LAST_PROGRAM_MODE && q.mode <= LAST_MODE
                                   ? find_arg_pair(q.mode, SIDE_NONE)
                                   : nullptr;
    const Range any{-1e3, 1e8, false};
    const Range first = known_mode             ? first_value_range(q.mode)
                        : line_pair != nullptr ? line_pair_range(line_pair->first_field)
                                               : any;
    q.first_value = value(in, first);
    const bool first_inside = first.lo <= q.first_value && q.first_value <= first.hi;
    q.second_value =
        value(in, line_pair != nullptr         ? line_pair_range(line_pair->second_field)
                  : known_mode && first_inside ? second_value_band(q.mode, q.first_value)
                                               : any);

    PropertyResult before{};
    std::memset(&before, 0xA5, sizeof before);
    PropertyResult r = before;
    reset_evaluation_counters();
    Refusal why{};
    const int status = calculate_request(q, r, why);
    const unsigned long long evaluations = evaluations_since_reset();
    if (evaluations > MAX_EVALUATIONS_PER_REQUEST) {
        fail("more equation-of-state evaluations than the bound", q);
    }
    note_evaluations(evaluations, q);
    if (const char* failure = check_result(q, status, before, r)) {
        fail(failure, q);
    }
    // No state survives a call: the same request gives the same answer to the bit.
    PropertyResult again = before;
    if (calculate_request(q, again, why) != status || std::memcmp(&again, &r, sizeof r) != 0) {
        fail("a second call answered differently", q);
    }
    return 0;
}

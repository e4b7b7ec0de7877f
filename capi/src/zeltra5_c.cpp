// The C interface: names and option texts in, the library's calculation, plain values and
// bounded texts out. Every call parses its arguments afresh and keeps nothing, so that any number
// of threads may call at once.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>

#include "zeltra5.h"
#include "zeltra5/calculation.hpp"

namespace {

using namespace zeltra5;

static_assert(ZELTRA5_FIELD_COUNT == RESULT_VALUE_COUNT);
static_assert(ZELTRA5_VALID == STATUS_VALID && ZELTRA5_OUTSIDE_DOMAIN == STATUS_OUTSIDE_DOMAIN &&
              ZELTRA5_BAD_ARGUMENT == STATUS_BAD_ARGUMENT);
static_assert(ZELTRA5_NO_PHASE == NO_PHASE && ZELTRA5_LIQUID == SIDE_LIQUID &&
              ZELTRA5_VAPOUR == SIDE_VAPOUR);
static_assert(ZELTRA5_PHASE_TWO_PHASE == PHASE_TWO_PHASE && ZELTRA5_PHASE_LIQUID == PHASE_LIQUID &&
              ZELTRA5_PHASE_VAPOUR == PHASE_VAPOUR &&
              ZELTRA5_PHASE_SUPERCRITICAL == PHASE_SUPERCRITICAL);

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// ---- Arguments ----

struct Options {
    CalcOptions calc{};
    Language language = Language::english;
};

// What is wrong with the arguments themselves, for the explanation.
enum class Problem {
    none,
    no_pair,
    unknown_pair,
    not_key_value,
    unknown_option,
    bad_value,
    repeated_option,
    bad_side,
};

struct ArgumentError {
    Problem problem = Problem::none;
    std::string_view subject;  // the pair, the item or the option's key, as given
    std::string_view value;    // the option's value, as given
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

enum OptionKey : int { KEY_UNITS, KEY_REFERENCE, KEY_SUPERHEAT, KEY_LANG, KEY_COUNT };
constexpr std::string_view OPTION_KEYS[KEY_COUNT] = {"units", "reference", "superheat", "lang"};

bool set_option(const int key, const std::string_view value, Options& out) {
    switch (key) {
        case KEY_UNITS:
            return parse_unit_system(value, out.calc.units);
        case KEY_REFERENCE:
            return parse_reference_state(value, out.calc.reference);
        case KEY_SUPERHEAT:
            if (value != "0" && value != "1") {
                return false;
            }
            out.calc.superheat = value == "1";
            return true;
        default:
            return parse_language(value, out.language);
    }
}

// One "key=value" item; false, and the first problem kept in `error`, when it is not one.
bool apply_option(const std::string_view item, Options& out, unsigned& seen, ArgumentError& error) {
    ArgumentError found;
    const std::size_t eq = item.find('=');
    const std::string_view key = trim(item.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? "" : trim(item.substr(eq + 1));
    int k = 0;
    while (k < KEY_COUNT && OPTION_KEYS[k] != key) {
        ++k;
    }
    if (eq == std::string_view::npos) {
        found = {Problem::not_key_value, trim(item), {}};
    } else if (k == KEY_COUNT) {
        found = {Problem::unknown_option, key, {}};
    } else if ((seen & (1u << k)) != 0) {
        found = {Problem::repeated_option, key, {}};
    } else if (!set_option(k, value, out)) {
        found = {Problem::bad_value, key, value};
    } else {
        seen |= 1u << k;
        return true;
    }
    if (error.problem == Problem::none) {
        error = found;
    }
    return false;
}

// The options' text; null and blank mean the defaults. Every item is read, so that a valid
// "lang" applies to the explanation of a bad one.
bool parse_options(const char* text, Options& out, ArgumentError& error) {
    out = Options{};
    if (text == nullptr || trim(text).empty()) {
        return true;
    }
    std::string_view rest(text);
    unsigned seen = 0;
    bool ok = true;
    for (;;) {
        const std::size_t end = rest.find(';');
        ok = apply_option(rest.substr(0, end), out, seen, error) && ok;
        if (end == std::string_view::npos) {
            return ok;
        }
        rest.remove_prefix(end + 1);
    }
}

// ---- Calculations ----

// One call's arguments and results.
struct Call {
    Options options;
    ArgumentError error;
    int status = STATUS_BAD_ARGUMENT;
    StateResult state;      // the state asked for
    StateResult saturated;  // zeltra5_saturated's
};

bool finite_inputs(const ArgPair& pair, const double first, const double second) {
    return std::isfinite(first) && (is_saturation_pair(pair) || std::isfinite(second));
}

int run_state(const char* pair_name, const double first, const double second, const char* options,
              Call& call) {
    const bool options_ok = parse_options(options, call.options, call.error);
    const ArgPair* pair = pair_name == nullptr ? nullptr : find_arg_pair(pair_name);
    if (pair == nullptr) {
        call.error = {pair_name == nullptr ? Problem::no_pair : Problem::unknown_pair,
                      pair_name == nullptr ? std::string_view() : pair_name,
                      {}};
        return call.status = STATUS_BAD_ARGUMENT;
    }
    if (!options_ok) {
        return call.status = STATUS_BAD_ARGUMENT;
    }
    call.status = calculate_state(*pair, first, second, call.options.calc, call.state);
    // A value that is no number is a malformed request (the front end only refuses it).
    if (!finite_inputs(*pair, first, second)) {
        call.status = STATUS_BAD_ARGUMENT;
    }
    return call.status;
}

int run_saturated(const char* pair, const double first, const double second, const char* options,
                  const int side, Call& call) {
    if (run_state(pair, first, second, options, call) == STATUS_BAD_ARGUMENT) {
        return call.status;
    }
    if (side != SIDE_LIQUID && side != SIDE_VAPOUR) {
        call.error = {Problem::bad_side, {}, {}};
        return call.status = STATUS_BAD_ARGUMENT;
    }
    return call.status = calculate_saturated(call.state, side, call.saturated);
}

// Writes a result where the caller gave room for it: values only into ZELTRA5_FIELD_COUNT
// doubles or more, phase and detail only through pointers that are not null.
void write_result(const StateResult* result, double* values, int* phase, int* phase_detail) {
    const bool valid = result != nullptr && result->status == STATUS_VALID;
    if (values != nullptr) {
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            values[k] = valid ? result->values[k] : NaN;
        }
    }
    if (phase != nullptr) {
        *phase = valid ? result->phase : NO_PHASE;
    }
    if (phase_detail != nullptr) {
        *phase_detail = valid ? result->phase_detail : NO_PHASE;
    }
}

bool storage_ok(const double* values, const int count) {
    return values != nullptr && count >= RESULT_VALUE_COUNT;
}

// ---- Texts ----

// Bounded writing, as describe_refusal writes: at most size - 1 bytes and the terminator, and
// the length of the whole text counted.
class Writer {
  public:
    Writer(char* buffer, const std::size_t size) : buffer_(buffer), size_(size) {
        if (size_ > 0) {
            buffer_[0] = '\0';
        }
    }

    Writer& operator<<(const std::string_view s) {
        for (const char c : s) {
            put(c);
        }
        return *this;
    }

    // Text the caller gave, in quotes: printable ASCII only, and not too long to read.
    Writer& quoted(const std::string_view s) {
        constexpr std::size_t MAX_ECHO = 40;
        put('"');
        for (std::size_t i = 0; i < s.size() && i < MAX_ECHO; ++i) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            put(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
        }
        *this << (s.size() > MAX_ECHO ? "...\"" : "\"");
        return *this;
    }

    std::size_t length() const { return length_; }

  private:
    void put(const char c) {
        if (length_ + 1 < size_) {
            buffer_[length_] = c;
            buffer_[length_ + 1] = '\0';
        }
        ++length_;
    }

    char* buffer_;
    std::size_t size_;
    std::size_t length_ = 0;
};

std::size_t describe_argument_error(const ArgumentError& e, const Language language, char* text,
                                    const std::size_t size) {
    const bool en = language == Language::english;
    Writer w(text, size);
    switch (e.problem) {
        case Problem::no_pair:
            w << (en ? "no argument pair given" : "не задана пара аргументов");
            break;
        case Problem::unknown_pair:
            w << (en ? "unknown argument pair " : "неизвестная пара аргументов ");
            w.quoted(e.subject);
            break;
        case Problem::not_key_value:
            w << (en ? "option " : "параметр ");
            w.quoted(e.subject);
            w << (en ? " is not key=value" : " не имеет вида ключ=значение");
            break;
        case Problem::unknown_option:
            w << (en ? "unknown option " : "неизвестный параметр ");
            w.quoted(e.subject);
            break;
        case Problem::repeated_option:
            w << (en ? "option " : "параметр ");
            w.quoted(e.subject);
            w << (en ? " is given twice" : " задан дважды");
            break;
        case Problem::bad_value:
            w << (en ? "bad value " : "недопустимое значение ");
            w.quoted(e.value);
            w << (en ? " of option " : " параметра ");
            w.quoted(e.subject);
            break;
        case Problem::bad_side:
            w << (en ? "side must be 1 (liquid) or 2 (vapour)"
                     : "сторона должна быть 1 (жидкость) или 2 (пар)");
            break;
        case Problem::none:
            break;
    }
    return w.length();
}

// The length of `text`'s first n bytes without a UTF-8 sequence that the cut left incomplete.
std::size_t whole_characters(const char* text, const std::size_t n) {
    std::size_t lead = n;
    int continuation = 0;
    while (lead > 0 && continuation < 4 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++continuation;
    }
    if (lead == 0) {
        return n;
    }
    const unsigned char c = static_cast<unsigned char>(text[lead - 1]);
    const int needed = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    return continuation < needed ? lead - 1 : n;
}

// The explanation of a call into the caller's buffer (size checked by the caller).
int explain(const Call& call, const StateResult& result, char* buffer, const int size) {
    const std::size_t room = static_cast<std::size_t>(size);
    std::size_t length = 0;
    if (call.error.problem != Problem::none) {
        length = describe_argument_error(call.error, call.options.language, buffer, room);
    } else if (call.status != STATUS_VALID) {
        // A refusal that only the superheat option brings says so, as the command line does.
        const bool by_superheat = result.options.superheat &&
                                  (result.refusal.reason == RefusalReason::superheat_limit ||
                                   result.refusal.reason == RefusalReason::not_superheated_liquid);
        Writer prefix(buffer, room);
        if (by_superheat) {
            prefix << (call.options.language == Language::english ? "with superheat=1: "
                                                                  : "при superheat=1: ");
        }
        const std::size_t shift = std::min(prefix.length(), room > 0 ? room - 1 : 0);
        length = prefix.length() +
                 describe_refusal(result, call.options.language, buffer + shift, room - shift);
    } else if (room > 0) {
        buffer[0] = '\0';
    }
    if (length >= room && room > 0) {
        buffer[whole_characters(buffer, room - 1)] = '\0';
    }
    return static_cast<int>(std::min<std::size_t>(length, std::numeric_limits<int>::max()));
}

bool buffer_ok(const char* buffer, const int size) {
    return size == 0 || (size > 0 && buffer != nullptr);
}

// A library text as a C string. The library's texts are views of whole literals or of their
// tails, so they end where the literal does; anything else would be a fault, answered as null.
const char* c_text(const std::string_view text) {
    if (text.empty()) {
        return "";
    }
    return text.data()[text.size()] == '\0' ? text.data() : nullptr;
}

}  // namespace

extern "C" {

const char* zeltra5_version(void) {
    return library_version();
}

double zeltra5_property(const char* property, const char* pair, const double first,
                        const double second, const char* options) {
    const int field = property == nullptr ? -1 : find_result_field(property);
    if (field < 0) {
        return NaN;
    }
    Call call;
    return run_state(pair, first, second, options, call) == STATUS_VALID ? call.state.values[field]
                                                                         : NaN;
}

int zeltra5_calculate(const char* pair, const double first, const double second,
                      const char* options, double* values, const int count, int* phase,
                      int* phase_detail) {
    if (!storage_ok(values, count)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        return STATUS_BAD_ARGUMENT;
    }
    Call call;
    const int status = run_state(pair, first, second, options, call);
    write_result(status == STATUS_BAD_ARGUMENT ? nullptr : &call.state, values, phase,
                 phase_detail);
    return status;
}

int zeltra5_saturated(const char* pair, const double first, const double second,
                      const char* options, const int side, double* values, const int count,
                      int* phase, int* phase_detail) {
    if (!storage_ok(values, count)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        return STATUS_BAD_ARGUMENT;
    }
    Call call;
    const int status = run_saturated(pair, first, second, options, side, call);
    write_result(status == STATUS_BAD_ARGUMENT ? nullptr : &call.saturated, values, phase,
                 phase_detail);
    return status;
}

int zeltra5_explain(const char* pair, const double first, const double second, const char* options,
                    char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    Call call;
    run_state(pair, first, second, options, call);
    return explain(call, call.state, buffer, size);
}

int zeltra5_explain_saturated(const char* pair, const double first, const double second,
                              const char* options, const int side, char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    Call call;
    run_saturated(pair, first, second, options, side, call);
    // A refused state explains itself; the saturated state's own refusal only follows a valid one.
    const bool of_valid = call.state.status == STATUS_VALID;
    return explain(call, of_valid ? call.saturated : call.state, buffer, size);
}

int zeltra5_field_count(void) {
    return RESULT_VALUE_COUNT;
}

const char* zeltra5_field_name(const int field) {
    return field >= 0 && field < RESULT_VALUE_COUNT ? RESULT_FIELDS[field].name : nullptr;
}

const char* zeltra5_field_symbol(const int field) {
    return field >= 0 && field < RESULT_VALUE_COUNT ? RESULT_FIELDS[field].symbol : nullptr;
}

int zeltra5_field_index(const char* name) {
    return name == nullptr ? -1 : find_result_field(name);
}

const char* zeltra5_field_unit(const int field, const char* options) {
    Options parsed;
    ArgumentError error;
    if (field < 0 || field >= RESULT_VALUE_COUNT || !parse_options(options, parsed, error)) {
        return nullptr;
    }
    return c_text(unit_text(RESULT_FIELDS[field].unit, parsed.calc.units, parsed.language));
}

int zeltra5_field_defined(const int phase, const int phase_detail, const int field) {
    return result_field_defined(phase, phase_detail, field) ? 1 : 0;
}

const char* zeltra5_phase_name(const int phase, const int phase_detail, const char* options) {
    Options parsed;
    ArgumentError error;
    if (!parse_options(options, parsed, error)) {
        return nullptr;
    }
    return c_text(phase_state_text(phase, phase_detail, parsed.language));
}

int zeltra5_pair_count(void) {
    return ARG_PAIR_COUNT;
}

const char* zeltra5_pair_name(const int index) {
    return index >= 0 && index < ARG_PAIR_COUNT ? ARG_PAIRS[index].name : nullptr;
}

int zeltra5_pair_value_count(const char* pair) {
    const ArgPair* found = pair == nullptr ? nullptr : find_arg_pair(pair);
    return found == nullptr ? 0 : found->value_count;
}

}  // extern "C"

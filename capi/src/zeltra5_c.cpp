// The C interface: names and option texts in, the library's calculation, plain values and
// bounded texts out. Every call parses its arguments afresh, so that any number of threads may
// call at once; the only thing kept is each thread's own last refusal that its explaining
// function cannot see (the storage, a property's name).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/blanks.hpp"
#include "zeltra5/bounded_text.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/refrigeration_cycle.hpp"
#include "zeltra5/table_csv.hpp"
#include "zeltra5/tabulated_state.hpp"
#include "zeltra5/value_range.hpp"

namespace {

using namespace zeltra5;

static_assert(ZELTRA5_FIELD_COUNT == RESULT_VALUE_COUNT);
static_assert(ZELTRA5_FIELD_COUNT_V2 == FIELD_COUNT);
static_assert(ZELTRA5_VALID == STATUS_VALID && ZELTRA5_OUTSIDE_DOMAIN == STATUS_OUTSIDE_DOMAIN &&
              ZELTRA5_BAD_ARGUMENT == STATUS_BAD_ARGUMENT);
static_assert(ZELTRA5_NO_PHASE == NO_PHASE && ZELTRA5_LIQUID == SIDE_LIQUID &&
              ZELTRA5_VAPOUR == SIDE_VAPOUR);
static_assert(ZELTRA5_PHASE_TWO_PHASE == PHASE_TWO_PHASE && ZELTRA5_PHASE_LIQUID == PHASE_LIQUID &&
              ZELTRA5_PHASE_VAPOUR == PHASE_VAPOUR &&
              ZELTRA5_PHASE_SUPERCRITICAL == PHASE_SUPERCRITICAL);
static_assert(ZELTRA5_TABLE_ROW_COUNT == TABLE_ROW_COUNT);
static_assert(ZELTRA5_ROW_POINT == static_cast<int>(RowKind::point) &&
              ZELTRA5_ROW_LIQUID == static_cast<int>(RowKind::saturated_liquid) &&
              ZELTRA5_ROW_VAPOUR == static_cast<int>(RowKind::saturated_vapour));
static_assert(ZELTRA5_TABLE_COLUMNS == ZELTRA5_TABLE_FIELD_COLUMN + RESULT_VALUE_COUNT);
static_assert(ZELTRA5_CYCLE_FIGURE_COUNT == CYCLE_FIGURE_COUNT &&
              ZELTRA5_CYCLE_STATE_COUNT == CYCLE_STATE_COUNT &&
              ZELTRA5_CYCLE_STATE_VALUES == CYCLE_STATE_COUNT * RESULT_VALUE_COUNT);

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
    no_table_kind,
    unknown_table_kind,
    fixed_not_finite,
    no_range,
    bad_range,
    superheat_not_here,
    not_finite,
    unknown_diagram_type,
    no_state,
    beside_axes,
    // Refusals for arguments that the explaining functions do not take.
    null_storage,
    small_storage,
    negative_size,
    no_property,
    unknown_property,
    undefined_field,
    // The tabulated properties.
    no_model,
    unknown_model,
    pair_not_tabulated,
    table_not_built,
    not_open_handle,
};

struct ArgumentError {
    Problem problem = Problem::none;
    std::string_view subject;  // the pair, the item or the option's key, as given
    std::string_view value;    // the option's value, as given
    RangeError range = RangeError::none;
    long long given = 0;   // the room given (small_storage), the size (negative_size), the phase
    long long needed = 0;  // the room needed (small_storage), the phase detail (undefined_field)
};

enum OptionKey : int { KEY_UNITS, KEY_REFERENCE, KEY_SUPERHEAT, KEY_LANG, KEY_MODEL, KEY_COUNT };
constexpr std::string_view OPTION_KEYS[KEY_COUNT] = {"units", "reference", "superheat", "lang",
                                                     "model"};

bool set_option(const int key, const std::string_view value, Options& out) {
    switch (key) {
        case KEY_UNITS:
            return parse_units(value, SI_UNITS, out.calc.units);
        case KEY_REFERENCE:
            return parse_reference_state(value, out.calc.reference);
        case KEY_SUPERHEAT:
            if (value != "0" && value != "1") {
                return false;
            }
            out.calc.superheat = value == "1";
            return true;
        case KEY_MODEL: {
            const int model = find_model_index(value);
            if (model < 0) {
                return false;
            }
            out.calc.model = model;
            return true;
        }
        default:
            return parse_language(value, out.language);
    }
}

// One "key=value" item; false, and the first problem kept in `error`, when it is not one.
bool apply_option(const std::string_view item, Options& out, unsigned& seen, ArgumentError& error) {
    ArgumentError found;
    const std::size_t eq = item.find('=');
    const std::string_view key = trim_blanks(item.substr(0, eq));
    const std::string_view value =
        eq == std::string_view::npos ? "" : trim_blanks(item.substr(eq + 1));
    int k = 0;
    while (k < KEY_COUNT && OPTION_KEYS[k] != key) {
        ++k;
    }
    if (eq == std::string_view::npos) {
        found = {Problem::not_key_value, trim_blanks(item), {}};
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
    if (text == nullptr || trim_blanks(text).empty()) {
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
              Call& call, const bool extended_fields = false) {
    const bool options_ok = parse_options(options, call.options, call.error);
    call.options.calc.extended_fields = extended_fields;
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

// ---- Refusals the explanations cannot see ----
// A call refused for an argument that its explaining function does not take (the caller's
// storage, a property's name; a field undefined for the phase) keeps the reason for its own
// thread, with the arguments that the explaining function does take, so that this function,
// given the same arguments, can tell it. Each call that can be refused so replaces what its
// thread kept (a call that is not clears it): it is always the thread's last.

enum class Explainer : char {
    tabulated_open = 'o',
    tabulated = 'b',
    state = 's',
    saturated = 'S',
    table = 't',
    cycle = 'c',
    diagram = 'd'
};

// The explained arguments as bytes, to recognise the same ones again.
class Key {
  public:
    explicit Key(const Explainer e) : bytes_(1, static_cast<char>(e)) {}
    Key& operator<<(const char* text) {
        if (text == nullptr) {
            bytes_ += '\x01';
        } else {
            bytes_ += '\x02';
            bytes_.append(text, std::strlen(text) + 1);
        }
        return *this;
    }
    Key& operator<<(const double value) {
        char raw[sizeof value];
        std::memcpy(raw, &value, sizeof value);
        bytes_.append(raw, sizeof raw);
        return *this;
    }
    Key& operator<<(const int value) { return *this << static_cast<double>(value); }
    Key& operator<<(const void* pointer) {
        const auto bits = reinterpret_cast<std::uintptr_t>(pointer);
        char raw[sizeof bits];
        std::memcpy(raw, &bits, sizeof bits);
        bytes_.append(raw, sizeof raw);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// The key's length and hash and its first bytes (the whole key in practice), and the subject
// as far as an explanation repeats it. Plain storage with nothing to destroy, so that no thread's
// exit runs code of this library (which a process may have unloaded by then).
struct Aside {
    bool kept;
    std::size_t key_length;
    std::uint64_t key_hash;
    char key_head[256];
    ArgumentError error;  // its subject a view of `subject`
    char subject[200];    // more than the 40 characters an explanation repeats, then "..."
};

static_assert(std::is_trivially_destructible_v<Aside>);

// Per thread: no thread reads or writes another's.
thread_local Aside last_aside;

std::uint64_t hash_of(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes) {
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
}

void forget_aside() {
    last_aside.kept = false;
}

void keep_aside(const Key& key, const ArgumentError& error) {
    Aside& a = last_aside;
    const std::string& bytes = key.bytes();
    a.kept = true;
    a.key_length = bytes.size();
    a.key_hash = hash_of(bytes);
    std::memcpy(a.key_head, bytes.data(), std::min(bytes.size(), sizeof a.key_head));
    const std::size_t n = std::min(error.subject.size(), sizeof a.subject);
    if (n > 0) {  // an empty subject's data() may be null, which memcpy never takes
        std::memcpy(a.subject, error.subject.data(), n);
    }
    a.error = error;
    a.error.subject = std::string_view(a.subject, n);
}

// The kept refusal of the same arguments, if any.
const ArgumentError* aside_of(const Key& key) {
    const Aside& a = last_aside;
    const std::string& bytes = key.bytes();
    const bool same =
        a.kept && a.key_length == bytes.size() && a.key_hash == hash_of(bytes) &&
        std::memcmp(a.key_head, bytes.data(), std::min(bytes.size(), sizeof a.key_head)) == 0;
    return same ? &a.error : nullptr;
}

ArgumentError storage_error(const std::string_view name, const void* storage, const long long given,
                            const long long needed) {
    ArgumentError e;
    e.subject = name;
    e.given = given;
    e.needed = needed;
    e.problem = storage == nullptr && given > 0 ? Problem::null_storage : Problem::small_storage;
    return e;
}

// Why buffer_ok refused a buffer.
ArgumentError buffer_error(const int size) {
    ArgumentError e;
    e.problem = size < 0 ? Problem::negative_size : Problem::null_storage;
    e.subject = size < 0 ? "size" : "buffer";
    e.given = size;
    return e;
}

// A call that its own arguments leave valid takes the kept refusal of the same arguments.
void take_aside(const Key& key, int status, ArgumentError& error) {
    if (status == STATUS_VALID && error.problem == Problem::none) {
        if (const ArgumentError* kept = aside_of(key)) {
            error = *kept;
        }
    }
}

// ---- Texts ----

std::size_t describe_argument_error(const ArgumentError& e, const Language language, char* text,
                                    const std::size_t size) {
    const bool en = language == Language::english;
    BoundedText w(text, size);
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
            if (e.subject == OPTION_KEYS[KEY_MODEL]) {
                // The choices, from the registry.
                for (int m = 0; m < MODEL_COUNT; ++m) {
                    w << (m == 0 ? " (" : ", ") << MODELS[m].name;
                }
                w << ")";
            }
            break;
        case Problem::bad_side:
            w << (en ? "side must be 1 (liquid) or 2 (vapour)"
                     : "сторона должна быть 1 (жидкость) или 2 (пар)");
            break;
        case Problem::no_table_kind:
            w << (en ? "no kind of table given" : "не задан вид таблицы");
            break;
        case Problem::unknown_table_kind:
            w << (en ? "unknown kind of table " : "неизвестный вид таблицы ");
            w.quoted(e.subject);
            w << " (" << table_kind_names(TableKindNaming::c) << ")";
            break;
        case Problem::fixed_not_finite:
            w << (en ? "the value held is not a finite number"
                     : "постоянное значение не является конечным числом");
            break;
        case Problem::no_range:
            w << (en ? "no range of values given" : "не задан диапазон значений");
            break;
        case Problem::bad_range:
            w << describe_range_error(e.range, e.subject, language);
            break;
        case Problem::superheat_not_here:
            w << (en ? "option \"superheat\" does not apply here"
                     : "параметр \"superheat\" здесь неприменим");
            break;
        case Problem::not_finite:
            w << (en ? "a value is not a finite number" : "значение не является конечным числом");
            break;
        case Problem::unknown_diagram_type:
            w << (en ? "unknown kind of diagram " : "неизвестный вид диаграммы ");
            w.quoted(e.subject);
            w << " (ph, ts)";
            break;
        case Problem::no_state:
            w << (en ? "no state given" : "не задано состояние");
            break;
        case Problem::beside_axes:
            w << (en ? "the state lies outside the diagram's axes"
                     : "состояние лежит за пределами осей диаграммы");
            break;
        case Problem::null_storage:
            w.quoted(e.subject);
            w << (en ? " is a null pointer" : " — нулевой указатель");
            break;
        case Problem::small_storage:
            w << (en ? "room for " : "место для ") << static_cast<double>(e.given)
              << (en ? " values in " : " значений в ");
            w.quoted(e.subject);
            w << (en ? ", " : ", нужно ") << static_cast<double>(e.needed) << (en ? " needed" : "");
            break;
        case Problem::negative_size:
            w.quoted(e.subject);
            w << (en ? " is negative: " : " отрицательно: ") << static_cast<double>(e.given);
            break;
        case Problem::no_property:
            w << (en ? "no property given" : "не задано свойство");
            break;
        case Problem::unknown_property:
            w << (en ? "unknown property " : "неизвестное свойство ");
            w.quoted(e.subject);
            break;
        case Problem::undefined_field:
            w.quoted(e.subject);
            w << (en ? " has no value for this phase: " : " не имеет значения в этой фазе: ")
              << phase_state_text(static_cast<int>(e.given), static_cast<int>(e.needed), language);
            break;
        case Problem::no_model:
            w << (en ? "no model given" : "не задана модель");
            break;
        case Problem::unknown_model:
            w << (en ? "unknown model " : "неизвестная модель ");
            w.quoted(e.subject);
            for (int m = 0; m < MODEL_COUNT; ++m) {
                w << (m == 0 ? " (" : ", ") << MODELS[m].name;
            }
            w << ")";
            break;
        case Problem::pair_not_tabulated:
            w << (en ? "no table is built for the pair " : "таблица не строится для пары ");
            w.quoted(e.subject);
            w << " (" << tabulated::table_pair_names() << ")";
            break;
        case Problem::table_not_built:
            w << (en ? "the table could not be built" : "таблицу не удалось построить");
            break;
        case Problem::not_open_handle:
            w << (en ? "the handle is not an open table (never opened, or closed)"
                     : "дескриптор не открытой таблицы (не открыт или закрыт)");
            break;
        case Problem::none:
            break;
    }
    return w.length();
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
        BoundedText prefix(buffer, room);
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

// A whole text into the caller's buffer (size checked by the caller), cut at a whole UTF-8
// character; answers the length of the whole text.
int bounded(const std::string_view text, char* buffer, const int size) {
    BoundedText w(buffer, static_cast<std::size_t>(size));
    w << text;
    w.end_at_whole_character();
    return static_cast<int>(std::min<std::size_t>(w.length(), std::numeric_limits<int>::max()));
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

// The result table's row names as C strings: the library trims them out of padded literals, so
// they are copied once, on first use (thread-safe, never changed after).
const char* row_name(const int row, const Language language) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const Language l : {Language::english, Language::russian}) {
            for (int r = 0; r < TABLE_ROW_COUNT; ++r) {
                all.emplace_back(table_row_name(r, l));
            }
        }
        return all;
    }();
    const int offset = language == Language::english ? 0 : TABLE_ROW_COUNT;
    return names[static_cast<std::size_t>(offset + row)].c_str();
}

// ---- Tables, cycle and diagrams ----

struct TableRequest {
    Options options;
    ArgumentError error;
    TableKind kind = TableKind::isotherm;
    std::vector<double> values;
};

bool parse_table(const char* kind, const double fixed, const char* values, const char* options,
                 TableRequest& r) {
    const bool options_ok = parse_options(options, r.options, r.error);
    const TableKindInfo* found =
        kind == nullptr ? nullptr : find_table_kind(kind, TableKindNaming::c);
    if (found == nullptr) {
        r.error = {kind == nullptr ? Problem::no_table_kind : Problem::unknown_table_kind,
                   kind == nullptr ? std::string_view() : kind,
                   {}};
        return false;
    }
    r.kind = found->kind;
    const bool saturation = table_fixed_field(r.kind) < 0;
    if (!options_ok) {
        return false;
    }
    if (!saturation && !std::isfinite(fixed)) {
        r.error = {Problem::fixed_not_finite, {}, {}};
        return false;
    }
    if (saturation && r.options.calc.superheat) {
        r.error = {Problem::superheat_not_here, {}, {}};
        return false;
    }
    if (values == nullptr) {
        r.error = {Problem::no_range, {}, {}};
        return false;
    }
    const RangeError e = parse_value_range(values, r.values);
    if (e != RangeError::none) {
        r.error = {Problem::bad_range, values, {}};
        r.error.range = e;
        return false;
    }
    return true;
}

PropertyTable build_table(const TableRequest& r, const double fixed) {
    const bool saturation = table_fixed_field(r.kind) < 0;
    return build_property_table(r.kind, saturation ? NaN : fixed, r.values, r.options.calc);
}

struct CycleRequest {
    Options options;
    ArgumentError error;
    CycleResult result;
};

int run_cycle(const CycleInput& input, const char* options, CycleRequest& r) {
    if (!parse_options(options, r.options, r.error)) {
        return STATUS_BAD_ARGUMENT;
    }
    if (r.options.calc.superheat) {
        r.error = {Problem::superheat_not_here, {}, {}};
        return STATUS_BAD_ARGUMENT;
    }
    const double inputs[] = {input.evaporating_temperature,
                             input.condensing_temperature,
                             input.superheat,
                             input.subcooling,
                             input.efficiency,
                             input.capacity};
    for (const double v : inputs) {
        if (!std::isfinite(v)) {
            r.error = {Problem::not_finite, {}, {}};
            return STATUS_BAD_ARGUMENT;
        }
    }
    return calculate_cycle(input, r.options.calc, r.result);
}

struct DiagramRequest {
    Options options;
    ArgumentError error;
    ChartOptions chart;
    std::string refusal;  // build_chart's words for a state outside the domain
};

// The chart options of a diagram request; false with `error` for a malformed one.
bool parse_diagram(const char* type, const char* pair_name, const double first, const double second,
                   const char* options, DiagramRequest& r) {
    const bool options_ok = parse_options(options, r.options, r.error);
    const std::string_view t = type == nullptr ? std::string_view() : type;
    if (t != "ph" && t != "ts") {
        r.error = {Problem::unknown_diagram_type, t, {}};
        return false;
    }
    r.chart.type = t == "ph" ? ChartType::pressure_enthalpy : ChartType::temperature_entropy;
    if (pair_name != nullptr && *pair_name != '\0') {
        ChartState state;
        state.pair = find_arg_pair(pair_name);
        if (state.pair == nullptr) {
            r.error = {Problem::unknown_pair, pair_name, {}};
            return false;
        }
        // The command line reads no second value for a one-value pair.
        state.first = first;
        state.second = state.pair->value_count > 1 ? second : 0.0;
        if (!finite_inputs(*state.pair, first, second)) {
            r.error = {Problem::not_finite, {}, {}};
            return false;
        }
        r.chart.states.push_back(state);
    }
    if (!options_ok) {
        return false;
    }
    if (r.options.calc.superheat) {
        r.error = {Problem::superheat_not_here, {}, {}};
        return false;
    }
    r.chart.calc = r.options.calc;
    r.chart.language = r.options.language;
    return true;
}

// Builds the diagram (only its axes and markers unless `lines`); the status.
int run_diagram(const char* type, const char* pair, const double first, const double second,
                const char* options, const bool lines, DiagramRequest& r, Chart& chart) {
    if (!parse_diagram(type, pair, first, second, options, r)) {
        return STATUS_BAD_ARGUMENT;
    }
    r.chart.draw_lines = lines;
    return build_chart(r.chart, chart, r.refusal);
}

// The marker's place in the SVG; outside the domain also beside the axes.
int diagram_point(const char* type, const char* pair, const double first, const double second,
                  const char* options, DiagramRequest& r, double& x, double& y) {
    x = y = NaN;
    Chart chart;
    if (pair == nullptr || *pair == '\0') {
        parse_diagram(type, pair, first, second, options, r);
        if (r.error.problem == Problem::none) {
            r.error = {Problem::no_state, {}, {}};
        }
        return STATUS_BAD_ARGUMENT;
    }
    const int status = run_diagram(type, pair, first, second, options, false, r, chart);
    if (status != STATUS_VALID) {
        return status;
    }
    const ChartMarker& m = chart.markers.front();
    const auto within = [](const ChartAxis& a, const double v) { return v >= a.min && v <= a.max; };
    if (!within(chart.x, m.x) || !within(chart.y, m.y)) {
        r.error = {Problem::beside_axes, {}, {}};
        return STATUS_OUTSIDE_DOMAIN;
    }
    const ChartPoint p = chart_svg_position(chart, m.x, m.y);
    x = p.x;
    y = p.y;
    return STATUS_VALID;
}

}  // namespace

extern "C" {

const char* zeltra5_version(void) {
    return library_version();
}

int zeltra5_version_number(void) {
    return ZELTRA5_VERSION_NUMBER;
}

}  // extern "C"

namespace {

// zeltra5_property and its version 2; an undefined field is kept for zeltra5_explain only by
// version 2 (to version 1's explain a valid state has nothing to explain).
double property_value(const char* property, const char* pair, const double first,
                      const double second, const char* options, int* status,
                      const bool explain_undefined) {
    const auto answer = [status](const int s, const double value) {
        if (status != nullptr) {
            *status = s;
        }
        return value;
    };
    forget_aside();
    const int field = property == nullptr ? -1 : find_result_field(property);
    if (field < 0) {
        ArgumentError e;
        e.problem = property == nullptr ? Problem::no_property : Problem::unknown_property;
        e.subject = property == nullptr ? std::string_view() : property;
        keep_aside(Key(Explainer::state) << pair << first << second << options, e);
        return answer(STATUS_BAD_ARGUMENT, NaN);
    }
    Call call;
    if (run_state(pair, first, second, options, call) != STATUS_VALID) {
        return answer(call.status, NaN);
    }
    if (!result_field_defined(call.state.phase, call.state.phase_detail, field)) {
        // NaN there, as zeltra5_calculate writes it.
        if (!explain_undefined) {
            return answer(ZELTRA5_UNDEFINED, call.state.values[field]);
        }
        ArgumentError e;
        e.problem = Problem::undefined_field;
        e.subject = property;
        e.given = call.state.phase;
        e.needed = call.state.phase_detail;
        keep_aside(Key(Explainer::state) << pair << first << second << options, e);
        return answer(ZELTRA5_UNDEFINED, call.state.values[field]);
    }
    return answer(STATUS_VALID, call.state.values[field]);
}

}  // namespace

extern "C" {

double zeltra5_property_v2(const char* property, const char* pair, const double first,
                           const double second, const char* options, int* status) {
    return property_value(property, pair, first, second, options, status, true);
}

double zeltra5_property(const char* property, const char* pair, const double first,
                        const double second, const char* options) {
    return property_value(property, pair, first, second, options, nullptr, false);
}

int zeltra5_calculate(const char* pair, const double first, const double second,
                      const char* options, double* values, const int count, int* phase,
                      int* phase_detail) {
    forget_aside();
    if (!storage_ok(values, count)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        keep_aside(Key(Explainer::state) << pair << first << second << options,
                   storage_error("values", values, count, RESULT_VALUE_COUNT));
        return STATUS_BAD_ARGUMENT;
    }
    Call call;
    const int status = run_state(pair, first, second, options, call);
    write_result(status == STATUS_BAD_ARGUMENT ? nullptr : &call.state, values, phase,
                 phase_detail);
    return status;
}

}  // extern "C"

namespace {

// The fields a list names ("h,Z,mu_jt": names or symbols, blanks around them allowed), or every
// field for null or "". false with the first unknown item in `error`.
bool parse_field_list(const char* list, std::vector<int>& fields, ArgumentError& error) {
    fields.clear();
    if (list == nullptr || *list == '\0') {
        for (int k = 0; k < FIELD_COUNT; ++k) {
            fields.push_back(k);
        }
        return true;
    }
    std::string_view rest(list);
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trim_blanks(rest.substr(0, comma));
        const int field = find_field(item);
        if (field < 0) {
            error.problem = item.empty() ? Problem::no_property : Problem::unknown_property;
            error.subject = item;
            return false;
        }
        fields.push_back(field);
        if (comma == std::string_view::npos) {
            return true;
        }
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

extern "C" {

int zeltra5_calculate_fields(const char* pair, const double first, const double second,
                             const char* options, const char* fields, double* values,
                             const int count, int* phase, int* phase_detail) {
    forget_aside();
    const auto refuse = [&](const ArgumentError& e) {
        write_result(nullptr, nullptr, phase, phase_detail);
        keep_aside(Key(Explainer::state) << pair << first << second << options, e);
        return STATUS_BAD_ARGUMENT;
    };
    std::vector<int> chosen;
    ArgumentError error;
    if (!parse_field_list(fields, chosen, error)) {
        return refuse(error);
    }
    const int needed = static_cast<int>(chosen.size());
    if (values == nullptr || count < needed) {
        return refuse(storage_error("values", values, count, needed));
    }
    // The extended fields are computed only when one of them is asked for, then in the same
    // calculation.
    const bool asked = std::any_of(chosen.begin(), chosen.end(),
                                   [](const int k) { return k >= RESULT_VALUE_COUNT; });
    Call call;
    const int status = run_state(pair, first, second, options, call, asked);
    const StateResult* result = status == STATUS_BAD_ARGUMENT ? nullptr : &call.state;
    write_result(result, nullptr, phase, phase_detail);
    const bool valid = result != nullptr && result->status == STATUS_VALID;
    const bool extended = valid && asked;
    double more[EXTENDED_FIELD_COUNT];
    if (extended) {
        calculate_extended(*result, more);
    }
    for (int i = 0; i < needed; ++i) {
        const int k = chosen[static_cast<std::size_t>(i)];
        values[i] = !valid                   ? NaN
                    : k < RESULT_VALUE_COUNT ? result->values[k]
                                             : more[k - RESULT_VALUE_COUNT];
    }
    return status;
}

int zeltra5_model_constant_count(void) {
    return MODEL_SUMMARY_COUNT;
}

const char* zeltra5_model_constant_name(const int index) {
    return index >= 0 && index < MODEL_SUMMARY_COUNT ? MODEL_SUMMARY_ITEMS[index].name : nullptr;
}

const char* zeltra5_model_constant_unit(const int index) {
    return index >= 0 && index < MODEL_SUMMARY_COUNT ? MODEL_SUMMARY_ITEMS[index].unit : nullptr;
}

int zeltra5_model_constants(const char* model, double* values, const int count) {
    const ModelInfo* info = model == nullptr || *model == '\0' ? &MODELS[0] : find_model(model);
    if (info == nullptr || values == nullptr || count < MODEL_SUMMARY_COUNT) {
        return STATUS_BAD_ARGUMENT;
    }
    const ModelSummary summary = model_summary(*info);
    for (int k = 0; k < MODEL_SUMMARY_COUNT; ++k) {
        values[k] = summary.*MODEL_SUMMARY_ITEMS[k].member;
    }
    return STATUS_VALID;
}

int zeltra5_saturated(const char* pair, const double first, const double second,
                      const char* options, const int side, double* values, const int count,
                      int* phase, int* phase_detail) {
    forget_aside();
    if (!storage_ok(values, count)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        keep_aside(Key(Explainer::saturated) << pair << first << second << options << side,
                   storage_error("values", values, count, RESULT_VALUE_COUNT));
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
    take_aside(Key(Explainer::state) << pair << first << second << options, call.status,
               call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_explain_saturated(const char* pair, const double first, const double second,
                              const char* options, const int side, char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    Call call;
    run_saturated(pair, first, second, options, side, call);
    take_aside(Key(Explainer::saturated) << pair << first << second << options << side, call.status,
               call.error);
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

int zeltra5_field_count_v2(void) {
    return FIELD_COUNT;
}

const char* zeltra5_field_name_v2(const int field) {
    return field >= 0 && field < FIELD_COUNT ? RESULT_FIELDS[field].name : nullptr;
}

const char* zeltra5_field_symbol_v2(const int field) {
    return field >= 0 && field < FIELD_COUNT ? RESULT_FIELDS[field].symbol : nullptr;
}

int zeltra5_field_index_v2(const char* name) {
    return name == nullptr ? -1 : find_field(name);
}

const char* zeltra5_field_unit_v2(const int field, const char* options) {
    Options parsed;
    ArgumentError error;
    if (field < 0 || field >= FIELD_COUNT || !parse_options(options, parsed, error)) {
        return nullptr;
    }
    return c_text(unit_text(RESULT_FIELDS[field].unit, parsed.calc.units, parsed.language));
}

int zeltra5_field_defined_v2(const int phase, const int phase_detail, const int field) {
    return field_defined(phase, phase_detail, field) ? 1 : 0;
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
    return PROGRAM_PAIR_COUNT;
}

const char* zeltra5_pair_name(const int index) {
    return index >= 0 && index < PROGRAM_PAIR_COUNT ? ARG_PAIRS[index].name : nullptr;
}

int zeltra5_pair_count_v2(void) {
    return ARG_PAIR_COUNT;
}

const char* zeltra5_pair_name_v2(const int index) {
    return index >= 0 && index < ARG_PAIR_COUNT ? ARG_PAIRS[index].name : nullptr;
}

int zeltra5_pair_value_count(const char* pair) {
    const ArgPair* found = pair == nullptr ? nullptr : find_arg_pair(pair);
    return found == nullptr ? 0 : found->value_count;
}

int zeltra5_table_row_count(void) {
    return TABLE_ROW_COUNT;
}

int zeltra5_table_row_field(const int row) {
    return row >= 0 && row < TABLE_ROW_COUNT ? table_row_field(row) : -1;
}

const char* zeltra5_table_row_name(const int row, const char* options) {
    Options parsed;
    ArgumentError error;
    if (row < 0 || row >= TABLE_ROW_COUNT || !parse_options(options, parsed, error)) {
        return nullptr;
    }
    return row_name(row, parsed.language);
}

int zeltra5_table_csv(const char* kind, const double fixed, const char* values, const char* options,
                      char* buffer, const int size) {
    forget_aside();
    if (!buffer_ok(buffer, size)) {
        keep_aside(Key(Explainer::table) << kind << fixed << values << options, buffer_error(size));
        return -1;
    }
    TableRequest r;
    if (!parse_table(kind, fixed, values, options, r)) {
        bounded("", buffer, size);
        return -1;
    }
    return bounded(property_table_csv(build_table(r, fixed), r.options.language), buffer, size);
}

int zeltra5_explain_table(const char* kind, const double fixed, const char* values,
                          const char* options, char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    TableRequest r;
    parse_table(kind, fixed, values, options, r);
    Call call;
    call.options = r.options;
    call.error = r.error;
    call.status = r.error.problem == Problem::none ? STATUS_VALID : STATUS_BAD_ARGUMENT;
    take_aside(Key(Explainer::table) << kind << fixed << values << options, call.status,
               call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_table_values(const char* kind, const double fixed, const char* values,
                         const char* options, double* out, const int capacity, int* rows) {
    forget_aside();
    if (rows != nullptr) {
        *rows = 0;
    }
    TableRequest r;
    if (!parse_table(kind, fixed, values, options, r)) {
        return STATUS_BAD_ARGUMENT;
    }
    const Key key = Key(Explainer::table) << kind << fixed << values << options;
    if (capacity < 0) {
        ArgumentError e;
        e.problem = Problem::negative_size;
        e.subject = "capacity";
        e.given = capacity;
        keep_aside(key, e);
        return STATUS_BAD_ARGUMENT;
    }
    const PropertyTable table = build_table(r, fixed);
    const std::size_t count = table.rows.size();
    if (rows != nullptr) {
        *rows = static_cast<int>(count);
    }
    if (out == nullptr || static_cast<std::size_t>(capacity) / ZELTRA5_TABLE_COLUMNS < count) {
        keep_aside(key, storage_error("out", out, capacity,
                                      static_cast<long long>(count) * ZELTRA5_TABLE_COLUMNS));
        return STATUS_BAD_ARGUMENT;
    }
    int status = STATUS_OUTSIDE_DOMAIN;
    for (const TableRow& row : table.rows) {
        const bool valid = row.state.status == STATUS_VALID;
        out[0] = static_cast<int>(row.kind);
        out[1] = row.state.status;
        out[2] = row.value;
        out[3] = valid ? row.state.phase : NO_PHASE;
        out[4] = valid ? row.state.phase_detail : NO_PHASE;
        write_result(&row.state, out + ZELTRA5_TABLE_FIELD_COLUMN, nullptr, nullptr);
        out += ZELTRA5_TABLE_COLUMNS;
        if (valid) {
            status = STATUS_VALID;
        }
    }
    return status;
}

int zeltra5_cycle(const double evaporating, const double condensing, const double superheat,
                  const double subcooling, const double efficiency, const double capacity,
                  const char* options, double* figures, const int figure_count, double* states,
                  const int state_count) {
    forget_aside();
    const bool figures_ok =
        figures == nullptr ? figure_count == 0 : figure_count >= CYCLE_FIGURE_COUNT;
    const bool states_ok =
        states == nullptr ? state_count == 0 : state_count >= ZELTRA5_CYCLE_STATE_VALUES;
    if (!figures_ok || !states_ok) {
        keep_aside(Key(Explainer::cycle) << evaporating << condensing << superheat << subcooling
                                         << efficiency << capacity << options,
                   figures_ok
                       ? storage_error("states", states, state_count, ZELTRA5_CYCLE_STATE_VALUES)
                       : storage_error("figures", figures, figure_count, CYCLE_FIGURE_COUNT));
        return STATUS_BAD_ARGUMENT;
    }
    CycleRequest r;
    const int status = run_cycle(
        {evaporating, condensing, superheat, subcooling, efficiency, capacity}, options, r);
    if (status == STATUS_BAD_ARGUMENT) {
        return status;
    }
    const bool valid = status == STATUS_VALID;
    if (figures != nullptr) {
        for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
            figures[k] = valid ? r.result.figures[k] : NaN;
        }
    }
    if (states != nullptr) {
        for (int k = 0; k < CYCLE_STATE_COUNT; ++k) {
            write_result(valid ? &r.result.states[k] : nullptr, states + k * RESULT_VALUE_COUNT,
                         nullptr, nullptr);
        }
    }
    return status;
}

int zeltra5_explain_cycle(const double evaporating, const double condensing, const double superheat,
                          const double subcooling, const double efficiency, const double capacity,
                          const char* options, char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    CycleRequest r;
    const int status = run_cycle(
        {evaporating, condensing, superheat, subcooling, efficiency, capacity}, options, r);
    if (status == STATUS_OUTSIDE_DOMAIN) {
        char text[1024];
        describe_cycle_refusal(r.result, r.options.language, text, sizeof text);
        return bounded(text, buffer, size);
    }
    Call call;
    call.options = r.options;
    call.error = r.error;
    call.status = status;
    take_aside(Key(Explainer::cycle) << evaporating << condensing << superheat << subcooling
                                     << efficiency << capacity << options,
               call.status, call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_cycle_figure_count(void) {
    return CYCLE_FIGURE_COUNT;
}

const char* zeltra5_cycle_figure_name(const int figure) {
    return figure >= 0 && figure < CYCLE_FIGURE_COUNT ? CYCLE_FIGURES[figure].name : nullptr;
}

const char* zeltra5_cycle_figure_unit(const int figure, const char* options) {
    Options parsed;
    ArgumentError error;
    if (figure < 0 || figure >= CYCLE_FIGURE_COUNT || !parse_options(options, parsed, error)) {
        return nullptr;
    }
    return c_text(cycle_figure_unit(figure, parsed.calc.units, parsed.language));
}

int zeltra5_diagram_svg(const char* type, const char* pair, const double first, const double second,
                        const char* options, char* buffer, const int size) {
    forget_aside();
    if (!buffer_ok(buffer, size)) {
        keep_aside(Key(Explainer::diagram) << type << pair << first << second << options,
                   buffer_error(size));
        return -1;
    }
    DiagramRequest r;
    Chart chart;
    if (run_diagram(type, pair, first, second, options, true, r, chart) != STATUS_VALID) {
        bounded("", buffer, size);
        return -1;
    }
    return bounded(chart_to_svg(chart), buffer, size);
}

int zeltra5_diagram_cycle_svg(const char* type, const double evaporating, const double condensing,
                              const double superheat, const double subcooling,
                              const double efficiency, const char* options, char* buffer,
                              const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    bounded("", buffer, size);
    DiagramRequest r;
    if (!parse_diagram(type, nullptr, 0.0, 0.0, options, r)) {
        return -1;
    }
    const CycleInput input{evaporating, condensing, superheat, subcooling, efficiency, 0.0};
    for (const double v : {evaporating, condensing, superheat, subcooling, efficiency}) {
        if (!std::isfinite(v)) {
            return -1;
        }
    }
    r.chart.cycle = true;
    r.chart.cycle_input = input;
    Chart chart;
    if (build_chart(r.chart, chart, r.refusal) != STATUS_VALID) {
        return -1;
    }
    return bounded(chart_to_svg(chart), buffer, size);
}

int zeltra5_diagram_point(const char* type, const char* pair, const double first,
                          const double second, const char* options, double* x, double* y) {
    forget_aside();
    double px = NaN;
    double py = NaN;
    int status = STATUS_BAD_ARGUMENT;
    if (x != nullptr && y != nullptr) {
        DiagramRequest r;
        status = diagram_point(type, pair, first, second, options, r, px, py);
    } else {
        ArgumentError e;
        e.problem = Problem::null_storage;
        e.subject = x == nullptr ? "x" : "y";
        keep_aside(Key(Explainer::diagram) << type << pair << first << second << options, e);
    }
    if (x != nullptr) {
        *x = px;
    }
    if (y != nullptr) {
        *y = py;
    }
    return status;
}

int zeltra5_explain_diagram(const char* type, const char* pair, const double first,
                            const double second, const char* options, char* buffer,
                            const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    DiagramRequest r;
    int status = STATUS_VALID;
    if (pair != nullptr && *pair != '\0') {
        double x = NaN;
        double y = NaN;
        status = diagram_point(type, pair, first, second, options, r, x, y);
    } else if (!parse_diagram(type, pair, first, second, options, r)) {
        status = STATUS_BAD_ARGUMENT;
    }
    if (status != STATUS_VALID && r.error.problem == Problem::none) {
        return bounded(r.refusal, buffer, size);
    }
    Call call;
    call.options = r.options;
    call.error = r.error;
    call.status = r.error.problem == Problem::none ? STATUS_VALID : STATUS_BAD_ARGUMENT;
    take_aside(Key(Explainer::diagram) << type << pair << first << second << options, call.status,
               call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_model_count(void) {
    return MODEL_COUNT;
}

const char* zeltra5_model_name(const int index) {
    return is_model_index(index) ? MODELS[index].name : nullptr;
}

const char* zeltra5_options_model(const char* options) {
    Options parsed;
    ArgumentError error;
    if (!parse_options(options, parsed, error)) {
        return nullptr;
    }
    return MODELS[parsed.calc.model].name;
}

}  // extern "C"

// ---- The tabulated properties ----
// A handle is a small object of its own, registered while it is open, so that a handle that was
// never opened or is closed already is refused rather than read: the functions look it up before
// they touch it. The table behind it is shared and lives as long as the library.

struct zeltra5_tabulated {
    int model;
    const ArgPair* pair;
    const tabulated::Table* table;
};

namespace {

// The open handles. A handle is a token of a counter that never repeats, not an address, so
// that a closed handle stays refused whatever is opened after it.
struct OpenHandles {
    std::shared_mutex lock;
    std::uintptr_t next = 16;
    std::unordered_map<const zeltra5_tabulated*, zeltra5_tabulated> open;
};

// Never destroyed: no thread's or the process's exit runs code of this library for it.
OpenHandles& open_handles() {
    static OpenHandles* const handles = new OpenHandles;
    return *handles;
}

// A copy of an open handle's contents; false (and `error` set) for null or one not open.
bool lookup(const zeltra5_tabulated* handle, zeltra5_tabulated& out, ArgumentError& error) {
    if (handle == nullptr) {
        error = {Problem::null_storage, "handle", {}};
        return false;
    }
    OpenHandles& handles = open_handles();
    std::shared_lock<std::shared_mutex> reading(handles.lock);
    const auto found = handles.open.find(handle);
    if (found == handles.open.end()) {
        error = {Problem::not_open_handle, {}, {}};
        return false;
    }
    out = found->second;
    return true;
}

// The table of a model and a pair by name; its problem in `error` when there is none.
int find_tabulated(const char* model, const char* pair, zeltra5_tabulated& out,
                   ArgumentError& error) {
    out.model = model == nullptr ? -1 : find_model_index(model);
    out.pair = pair == nullptr ? nullptr : tabulated::find_table_pair(pair);
    out.table = nullptr;
    if (model == nullptr) {
        error = {Problem::no_model, {}, {}};
    } else if (out.model < 0) {
        error = {Problem::unknown_model, model, {}};
    } else if (pair == nullptr) {
        error = {Problem::no_pair, {}, {}};
    } else if (find_arg_pair(pair) == nullptr) {
        error = {Problem::unknown_pair, pair, {}};
    } else if (out.pair == nullptr) {
        error = {Problem::pair_not_tabulated, pair, {}};
    } else {
#if defined(__cpp_exceptions)
        try {
            out.table = tabulated::shared_table(out.model, out.pair->mode);
        } catch (...) {  // no memory for the table: refused, and a later open tries again
            out.table = nullptr;
        }
#else  // built without exceptions (the web build): running out of memory ends the program
        out.table = tabulated::shared_table(out.model, out.pair->mode);
#endif
        if (out.table == nullptr) {
            error = {Problem::table_not_built, {}, {}};
        }
    }
    return error.problem == Problem::none ? STATUS_VALID : STATUS_BAD_ARGUMENT;
}

// One state of an open handle, as run_state does it for zeltra5_calculate (SI, the default
// reference, English explanations).
int run_tabulated(const zeltra5_tabulated& h, const double first, const double second, Call& call) {
    call.options = Options{};
    call.options.calc.model = h.model;
    call.status =
        tabulated::calculate_state(*h.table, first, second, call.options.calc, call.state);
    if (!finite_inputs(*h.pair, first, second)) {
        call.status = STATUS_BAD_ARGUMENT;
    }
    return call.status;
}

}  // namespace

extern "C" {

int zeltra5_tabulated_open(const char* model, const char* pair, zeltra5_tabulated** handle) {
    forget_aside();
    if (handle == nullptr) {
        keep_aside(Key(Explainer::tabulated_open) << model << pair,
                   ArgumentError{Problem::null_storage, "handle", {}});
        return STATUS_BAD_ARGUMENT;
    }
    *handle = nullptr;
    zeltra5_tabulated found{};
    ArgumentError error;
    if (find_tabulated(model, pair, found, error) != STATUS_VALID) {
        return STATUS_BAD_ARGUMENT;
    }
    OpenHandles& handles = open_handles();
    zeltra5_tabulated* opened = nullptr;
#if defined(__cpp_exceptions)
    try {
#endif
        std::unique_lock<std::shared_mutex> writing(handles.lock);
        opened = reinterpret_cast<zeltra5_tabulated*>(handles.next);
        handles.open.emplace(opened, found);
        handles.next += 16;
#if defined(__cpp_exceptions)
    } catch (...) {  // no memory for the registry's entry
        keep_aside(Key(Explainer::tabulated_open) << model << pair,
                   ArgumentError{Problem::table_not_built, {}, {}});
        return STATUS_BAD_ARGUMENT;
    }
#endif
    *handle = opened;
    return STATUS_VALID;
}

int zeltra5_tabulated_explain_open(const char* model, const char* pair, char* buffer,
                                   const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    Call call;
    zeltra5_tabulated found{};
    call.status = find_tabulated(model, pair, found, call.error);
    take_aside(Key(Explainer::tabulated_open) << model << pair, call.status, call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_tabulated_close(zeltra5_tabulated* handle) {
    if (handle == nullptr) {
        return STATUS_BAD_ARGUMENT;
    }
    OpenHandles& handles = open_handles();
    std::unique_lock<std::shared_mutex> writing(handles.lock);
    return handles.open.erase(handle) == 0 ? STATUS_BAD_ARGUMENT : STATUS_VALID;
}

int zeltra5_tabulated_calculate(const zeltra5_tabulated* handle, const double first,
                                const double second, double* values, const int count, int* phase,
                                int* phase_detail) {
    forget_aside();
    zeltra5_tabulated h{};
    ArgumentError error;
    if (!lookup(handle, h, error)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        return STATUS_BAD_ARGUMENT;
    }
    if (!storage_ok(values, count)) {
        write_result(nullptr, nullptr, phase, phase_detail);
        keep_aside(Key(Explainer::tabulated) << static_cast<const void*>(handle) << first << second,
                   storage_error("values", values, count, RESULT_VALUE_COUNT));
        return STATUS_BAD_ARGUMENT;
    }
    Call call;
    const int status = run_tabulated(h, first, second, call);
    write_result(status == STATUS_BAD_ARGUMENT ? nullptr : &call.state, values, phase,
                 phase_detail);
    return status;
}

int zeltra5_tabulated_calculate_array(const zeltra5_tabulated* handle, const int n,
                                      const double* first, const double* second, double* values,
                                      const int count, int* phases, int* phase_details,
                                      int* statuses) {
    forget_aside();
    zeltra5_tabulated h{};
    ArgumentError error;
    if (!lookup(handle, h, error) || n < 0 ||
        (n > 0 && (first == nullptr || second == nullptr || values == nullptr)) ||
        n > std::numeric_limits<int>::max() / RESULT_VALUE_COUNT ||
        count < n * RESULT_VALUE_COUNT) {
        return STATUS_BAD_ARGUMENT;
    }
    int overall = STATUS_VALID;
    Call call;
    for (int i = 0; i < n; ++i) {
        const int status = run_tabulated(h, first[i], second[i], call);
        write_result(status == STATUS_BAD_ARGUMENT ? nullptr : &call.state,
                     values + static_cast<std::size_t>(i) * RESULT_VALUE_COUNT,
                     phases == nullptr ? nullptr : phases + i,
                     phase_details == nullptr ? nullptr : phase_details + i);
        if (statuses != nullptr) {
            statuses[i] = status;
        }
        if (status != STATUS_VALID) {
            overall = STATUS_OUTSIDE_DOMAIN;
        }
    }
    return overall;
}

int zeltra5_tabulated_explain(const zeltra5_tabulated* handle, const double first,
                              const double second, char* buffer, const int size) {
    if (!buffer_ok(buffer, size)) {
        return -1;
    }
    Call call;
    zeltra5_tabulated h{};
    if (lookup(handle, h, call.error)) {
        run_tabulated(h, first, second, call);
    } else {
        call.status = STATUS_BAD_ARGUMENT;
    }
    take_aside(Key(Explainer::tabulated) << static_cast<const void*>(handle) << first << second,
               call.status, call.error);
    return explain(call, call.state, buffer, size);
}

int zeltra5_tabulated_statistics(const zeltra5_tabulated* handle, double* values, const int count) {
    zeltra5_tabulated h{};
    ArgumentError error;
    if (!lookup(handle, h, error) || values == nullptr ||
        count < ZELTRA5_TABULATED_STATISTIC_COUNT) {
        return STATUS_BAD_ARGUMENT;
    }
    const tabulated::TableStatistics& s = h.table->statistics();
    values[0] = static_cast<double>(s.bytes);
    values[1] = static_cast<double>(s.nodes);
    values[2] = static_cast<double>(s.segments);
    values[3] = s.saturation_error;
    values[4] = s.build_seconds;
    return STATUS_VALID;
}

}  // extern "C"

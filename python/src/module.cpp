// zeltra5._core: the calculation, the property tables, the refrigeration cycle and the chart
// model for Python. Names, units, reference states and refusal texts come from the library; this
// file only moves numbers between numpy arrays and the library's records. The loops over points
// run with the interpreter's lock released, optionally split over threads: the calculation
// keeps no state, so any split gives the same bits. Long calls look for Ctrl+C (a pending
// signal) every few tens of milliseconds and stop with the handler's exception.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <future>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "zeltra5/bounded_text.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/refrigeration_cycle.hpp"
#include "zeltra5/tabulated_state.hpp"
#include "zeltra5/value_range.hpp"

namespace py = pybind11;
using namespace zeltra5;

namespace {

// Joins texts (append, not operator+: see the project's notes on GCC 12).
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (const std::string_view p : parts) {
        s.append(p);
    }
    return s;
}

std::string quoted(const std::string& s) {
    std::string q = "\"";
    q.append(s);
    q.append("\"");
    return q;
}

const ArgPair& pair_named(const std::string& name) {
    const ArgPair* pair = find_arg_pair(name);
    if (pair == nullptr) {
        std::string message = "unknown pair ";
        message.append(quoted(name));
        message.append(" (one of");
        for (const ArgPair& p : ARG_PAIRS) {
            message.append(" ");
            message.append(p.name);
        }
        message.append(")");
        throw py::value_error(message);
    }
    return *pair;
}

std::string units_problem(const std::string& units) {
    return cat({"units: ", quoted(units), " is not a choice of units: give ",
                std::string(units_choices())});
}

// The index in MODELS of a model's name; ValueError naming the choices for an unknown one.
int model_index(const std::string_view name) {
    const int model = find_model_index(name);
    if (model < 0) {
        // As the Python layer says it.
        std::string message = "unknown model '";
        message.append(name);
        message.append("' (known:");
        for (int m = 0; m < MODEL_COUNT; ++m) {
            message.append(m == 0 ? " " : ", ");
            message.append(MODELS[m].name);
        }
        message.append(")");
        throw py::value_error(message);
    }
    return model;
}

const char* model_name(const CalcOptions& options) {
    return is_model_index(options.model) ? MODELS[options.model].name : "";
}

CalcOptions make_options(const std::string& units, const std::string& reference,
                         const bool superheat, const std::string_view model) {
    CalcOptions options;
    options.model = model_index(model);
    if (!parse_units(units, SI_UNITS, options.units)) {
        throw py::value_error(units_problem(units));
    }
    if (!parse_reference_state(reference, options.reference)) {
        std::string message = "reference: ";
        message.append(quoted(reference));
        message.append(" is not one of " + reference_state_names(", ", ", "));
        throw py::value_error(message);
    }
    options.superheat = superheat;
    return options;
}

Units units_named(const std::string& choice) {
    Units units;
    if (!parse_units(choice, SI_UNITS, units)) {
        throw py::value_error(units_problem(choice));
    }
    return units;
}

// A cycle's six inputs given in `from`, in `to`: the two temperatures converted as temperatures,
// superheat and subcooling as differences (kelvin and °C degrees alike, Fahrenheit degrees 1.8
// to a kelvin); efficiency and capacity have no unit. Unchanged when the temperature unit is.
py::tuple cycle_inputs_in(const std::vector<double>& in, const Units& from, const Units& to) {
    if (in.size() != 6) {
        throw py::value_error("cycle: six inputs expected");
    }
    std::vector<double> out = in;
    if (from.temperature != to.temperature) {
        for (int k = 0; k < 2; ++k) {
            out[k] =
                from_base(UnitKind::temperature, to, to_base(UnitKind::temperature, from, in[k]));
        }
        for (int k = 2; k < 4; ++k) {
            out[k] =
                temperature_difference_from_base(to, temperature_difference_to_base(from, in[k]));
        }
    }
    return py::make_tuple(out[0], out[1], out[2], out[3], out[4], out[5]);
}

Language language_named(const std::string& name) {
    Language language;
    if (!parse_language(name, language)) {
        std::string message = "language: ";
        message.append(quoted(name));
        message.append(" is not one of en, ru");
        throw py::value_error(message);
    }
    return language;
}

std::string refusal_words(const StateResult& r, const Language language) {
    if (r.status == STATUS_VALID) {
        return {};
    }
    return whole_text([&](char* text, const std::size_t size) {
        return describe_refusal(r, language, text, size);
    });
}

std::string phase_words(const StateResult& r, const Language language) {
    return r.status == STATUS_VALID
               ? std::string(phase_state_text(r.phase, r.phase_detail, language))
               : std::string();
}

py::dict state_dict(const StateResult& r) {
    py::dict d;
    d["pair"] = r.pair != nullptr ? py::str(r.pair->name) : py::str("");
    d["status"] = r.status;
    d["valid"] = r.status == STATUS_VALID;
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        d[RESULT_FIELDS[k].name] = r.values[k];
    }
    double extended[EXTENDED_FIELD_COUNT];
    calculate_extended(r, extended);
    for (int k = 0; k < EXTENDED_FIELD_COUNT; ++k) {
        d[RESULT_FIELDS[RESULT_VALUE_COUNT + k].name] = extended[k];
    }
    d["phase"] = r.phase;
    d["phase_detail"] = r.phase_detail;
    d["phase_name"] = phase_words(r, Language::english);
    d["error"] = r.status == STATUS_VALID
                     ? py::object(py::none())
                     : py::object(py::str(refusal_words(r, Language::english)));
    return d;
}

// The shortest text of a number, as Python writes the ones that are not finite.
void append_number(std::string& s, const double value) {
    if (std::isnan(value)) {
        s.append("nan");
    } else if (std::isinf(value)) {
        s.append(value < 0 ? "-inf" : "inf");
    } else {
        char digits[SHORTEST_TEXT_SIZE];
        s.append(digits, format_shortest(digits, value));
    }
}

std::string state_repr(const StateResult& r) {
    std::string s = "State(";
    s.append(r.pair != nullptr ? r.pair->name : "?");
    const int count = r.pair != nullptr ? r.pair->value_count : 0;
    for (int i = 0; i < count; ++i) {
        s.append(i == 0 ? " " : ", ");
        append_number(s, r.given[i]);
    }
    if (r.status == STATUS_VALID) {
        s.append(": ");
        s.append(phase_words(r, Language::english));
        for (const int k : {FIELD_PRESSURE, FIELD_TEMPERATURE, FIELD_ENTHALPY, FIELD_DENSITY}) {
            s.append(", ");
            s.append(RESULT_FIELDS[k].symbol);
            s.append("=");
            append_number(s, r.values[k]);
        }
    } else {
        s.append(": not valid, ");
        s.append(refusal_words(r, Language::english));
    }
    // The model when it is not the default, so that a default state's text stays as it was.
    if (r.options.model != DEFAULT_MODEL) {
        s.append(", model=");
        s.append(model_name(r.options));
    }
    s.append(")");
    return s;
}

StateResult saturated_of(const StateResult& of, const int side) {
    StateResult r;
    calculate_saturated(of, side, r);
    return r;
}

// ---- Pickling and equality ----

// A state or cycle as a tuple of plain values: everything the object holds, with each double as
// its bit pattern so that NaN compares equal to itself and every bit comes back. Pickling, ==
// and hash all use it; the leading tag and number say which object and which layout it is.
// Layout 2: "si" in the options means kelvin; layout 1 (version 1.2) wrote "si" for °C.
constexpr int KEY_LAYOUT = 2;
constexpr int KEY_LAYOUT_CELSIUS_SI = 1;

py::int_ bits_of(const double value) {
    return py::int_(std::bit_cast<std::uint64_t>(value));
}

double double_of(const py::handle bits) {
    return std::bit_cast<double>(bits.cast<std::uint64_t>());
}

// The members of the library's record, in its field order.
constexpr double PropertyResult::*RECORD_MEMBERS[RESULT_VALUE_COUNT] = {
    &PropertyResult::relative_enthalpy,
    &PropertyResult::pressure,
    &PropertyResult::temperature,
    &PropertyResult::specific_enthalpy,
    &PropertyResult::mass_density,
    &PropertyResult::specific_volume,
    &PropertyResult::specific_internal_energy,
    &PropertyResult::specific_entropy,
    &PropertyResult::isobaric_heat_capacity,
    &PropertyResult::isochoric_heat_capacity,
    &PropertyResult::isentropic_coefficient,
    &PropertyResult::thermal_conductivity,
    &PropertyResult::kinematic_viscosity,
    &PropertyResult::dynamic_viscosity,
    &PropertyResult::prandtl_number,
    &PropertyResult::speed_of_sound,
    &PropertyResult::surface_tension,
    &PropertyResult::expansion_coefficient,
    &PropertyResult::latent_heat,
};

// Reads a key back in order, refusing one of another shape with ValueError.
class KeyReader {
  public:
    KeyReader(const py::handle key, const char* what) : what_(what) {
        if (!py::isinstance<py::tuple>(key)) {
            fail();
        }
        items_ = py::reinterpret_borrow<py::tuple>(key);
    }

    py::handle next() {
        if (at_ >= items_.size()) {
            fail();
        }
        return items_[at_++];
    }
    int integer() { return checked<int>(); }
    double number() { return double_of(checked_handle<py::int_>()); }
    std::string text() { return checked<std::string>(); }
    py::handle tuple() { return checked_handle<py::tuple>(); }
    bool more() const { return at_ < items_.size(); }
    void finish() const {
        if (at_ != items_.size()) {
            fail();
        }
    }
    [[noreturn]] void fail() const {
        throw py::value_error(cat({"not a pickled ", what_, " of this version of zeltra5"}));
    }

  private:
    template <class T>
    T checked() {
        try {
            return next().cast<T>();
        } catch (const py::cast_error&) {
            fail();
        }
    }
    template <class T>
    py::handle checked_handle() {
        const py::handle h = next();
        if (!py::isinstance<T>(h)) {
            fail();
        }
        return h;
    }

    const char* what_;
    py::tuple items_;
    std::size_t at_ = 0;
};

void append_options(py::list& key, const CalcOptions& o) {
    key.append(units_name(o.units).c_str());
    key.append(reference_state_name(o.reference));
    key.append(o.superheat);
}

CalcOptions read_options(KeyReader& in, const int layout) {
    CalcOptions o;
    std::string units = in.text();
    if (layout == KEY_LAYOUT_CELSIUS_SI && units == "si") {
        units = "si-celsius";
    }
    if (!parse_units(units, SI_UNITS, o.units) || !parse_reference_state(in.text(), o.reference)) {
        in.fail();
    }
    o.superheat = in.next().cast<bool>();
    return o;
}

// The model, after everything else, only when it is not the default: a default result's key
// stays as version 1.4 wrote it, and a key of another model does not read as the default's.
void append_model(py::list& key, const CalcOptions& o) {
    if (o.model != DEFAULT_MODEL) {
        key.append(model_name(o));
    }
}

void read_model(KeyReader& in, CalcOptions& o) {
    if (in.more()) {
        o.model = find_model_index(in.text());
        if (o.model < 0) {
            in.fail();
        }
    }
}

py::tuple state_key(const StateResult& r) {
    py::list key;
    key.append("zeltra5.State");
    key.append(KEY_LAYOUT);
    key.append(r.pair != nullptr ? r.pair->name : "");
    key.append(r.status);
    key.append(r.phase);
    key.append(r.phase_detail);
    for (const double v : r.values) {
        key.append(bits_of(v));
    }
    key.append(bits_of(r.given[0]));
    key.append(bits_of(r.given[1]));
    append_options(key, r.options);
    key.append(r.request.mode);
    key.append(r.request.side);
    key.append(bits_of(r.request.first_value));
    key.append(bits_of(r.request.second_value));
    for (const auto member : RECORD_MEMBERS) {
        key.append(bits_of(r.record.*member));
    }
    key.append(r.record.phase);
    key.append(r.record.phase_detail);
    key.append(static_cast<int>(r.refusal.reason));
    key.append(r.refusal.input);
    key.append(r.refusal.field);
    key.append(bits_of(r.refusal.value));
    key.append(bits_of(r.refusal.limit));
    key.append(bits_of(r.refusal.edge_pressure));
    key.append(bits_of(r.refusal.edge_temperature));
    append_model(key, r.options);
    return py::tuple(key);
}

StateResult state_from_key(const py::handle key) {
    KeyReader in(key, "State");
    if (in.text() != "zeltra5.State") {
        in.fail();
    }
    const int layout = in.integer();
    if (layout != KEY_LAYOUT && layout != KEY_LAYOUT_CELSIUS_SI) {
        in.fail();
    }
    StateResult r;
    const std::string pair = in.text();
    if (!pair.empty()) {
        r.pair = find_arg_pair(pair);
        if (r.pair == nullptr) {
            in.fail();
        }
    }
    r.status = in.integer();
    r.phase = in.integer();
    r.phase_detail = in.integer();
    for (double& v : r.values) {
        v = in.number();
    }
    r.given[0] = in.number();
    r.given[1] = in.number();
    r.options = read_options(in, layout);
    r.request.mode = in.integer();
    r.request.side = in.integer();
    r.request.first_value = in.number();
    r.request.second_value = in.number();
    for (const auto member : RECORD_MEMBERS) {
        r.record.*member = in.number();
    }
    r.record.phase = in.integer();
    r.record.phase_detail = in.integer();
    r.refusal.reason = static_cast<RefusalReason>(in.integer());
    r.refusal.input = in.integer();
    r.refusal.field = in.integer();
    r.refusal.value = in.number();
    r.refusal.limit = in.number();
    r.refusal.edge_pressure = in.number();
    r.refusal.edge_temperature = in.number();
    read_model(in, r.options);
    in.finish();
    return r;
}

py::tuple cycle_key(const CycleResult& c) {
    py::list key;
    key.append("zeltra5.Cycle");
    key.append(KEY_LAYOUT);
    key.append(c.status);
    key.append(static_cast<int>(c.refusal));
    key.append(c.state);
    for (const double v :
         {c.input.evaporating_temperature, c.input.condensing_temperature, c.input.superheat,
          c.input.subcooling, c.input.efficiency, c.input.capacity}) {
        key.append(bits_of(v));
    }
    append_options(key, c.options);
    for (const StateResult& s : c.states) {
        key.append(state_key(s));
    }
    key.append(state_key(c.isentropic_discharge));
    for (const double v : c.figures) {
        key.append(bits_of(v));
    }
    append_model(key, c.options);
    return py::tuple(key);
}

CycleResult cycle_from_key(const py::handle key) {
    KeyReader in(key, "Cycle");
    if (in.text() != "zeltra5.Cycle") {
        in.fail();
    }
    const int layout = in.integer();
    if (layout != KEY_LAYOUT && layout != KEY_LAYOUT_CELSIUS_SI) {
        in.fail();
    }
    CycleResult c;
    c.status = in.integer();
    c.refusal = static_cast<CycleRefusal>(in.integer());
    c.state = in.integer();
    for (double* v :
         {&c.input.evaporating_temperature, &c.input.condensing_temperature, &c.input.superheat,
          &c.input.subcooling, &c.input.efficiency, &c.input.capacity}) {
        *v = in.number();
    }
    c.options = read_options(in, layout);
    for (StateResult& s : c.states) {
        s = state_from_key(in.tuple());
    }
    c.isentropic_discharge = state_from_key(in.tuple());
    for (double& v : c.figures) {
        v = in.number();
    }
    read_model(in, c.options);
    in.finish();
    return c;
}

// A field of a state by its name or symbol (state["p"], state["pressure"]).
double state_field(StateResult& r, const std::string& name) {
    const int k = find_field(name);
    if (k < 0) {
        throw py::key_error(cat({"no field ", quoted(name),
                                 " (a name of zeltra5.FIELDS or zeltra5.EXTENDED_FIELDS or its "
                                 "symbol)"}));
    }
    if (k < RESULT_VALUE_COUNT) {
        return r.values[k];
    }
    keep_extended(r);
    double extended[EXTENDED_FIELD_COUNT];
    calculate_extended(r, extended);
    return extended[k - RESULT_VALUE_COUNT];
}

using InArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The extended fields of every point of a calculation over arrays (n x EXTENDED_FIELD_COUNT):
// the states calculated again, only for a caller that asks for these fields.
py::array_t<double> extended_arrays(const std::string& pair_name, const InArray& first,
                                    const py::object& second_object, const bool superheat,
                                    const std::string& units, const std::string& reference,
                                    const std::string& model) {
    const ArgPair* pair = find_arg_pair(pair_name);
    if (pair == nullptr) {
        throw py::value_error(cat({"unknown pair ", quoted(pair_name)}));
    }
    CalcOptions options = make_options(units, reference, superheat, model);
    options.extended_fields = true;
    const auto n = static_cast<std::size_t>(first.shape(0));
    InArray second;
    const double* second_data = nullptr;
    if (!second_object.is_none()) {
        second = second_object.cast<InArray>();
        if (static_cast<std::size_t>(second.shape(0)) != n) {
            throw py::value_error("first and second must have the same length here");
        }
        second_data = second.data();
    }
    py::array_t<double> out(
        {static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(EXTENDED_FIELD_COUNT)});
    double* values = out.mutable_data();
    const double* first_data = first.data();
    {
        py::gil_scoped_release release;
        StateResult state;
        for (std::size_t i = 0; i < n; ++i) {
            calculate_state(*pair, first_data[i], second_data != nullptr ? second_data[i] : 0.0,
                            options, state);
            double extended[EXTENDED_FIELD_COUNT];
            calculate_extended(state, extended);
            std::memcpy(values + i * EXTENDED_FIELD_COUNT, extended, sizeof extended);
        }
    }
    return out;
}

// A model's constants by name (SI, temperatures in K).
py::dict model_constants(const std::string& name) {
    const ModelInfo* model = find_model(name);
    if (model == nullptr) {
        std::string known;
        for (const ModelInfo& m : MODELS) {
            known += known.empty() ? "" : ", ";
            known += m.name;
        }
        throw py::value_error(cat({"unknown model ", quoted(name), " (known: ", known, ")"}));
    }
    const ModelSummary summary = model_summary(*model);
    py::dict d;
    for (const ModelSummaryItem& item : MODEL_SUMMARY_ITEMS) {
        d[item.name] = summary.*item.member;
    }
    return d;
}

// ---- Interrupts ----

// The interpreter runs signal handlers only on its main thread: that thread's identity, asked
// once, when the module is imported.
unsigned long main_thread_ident() {
    static const auto ident =
        py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
    return ident;
}

// Looks, from a thread that has released the interpreter's lock, for a signal that arrived
// during a long call. Only on the main thread: elsewhere the handlers cannot run.
class InterruptCheck {
  public:
    static constexpr std::chrono::milliseconds INTERVAL{40};

    // With the interpreter's lock held.
    InterruptCheck() : enabled_(PyThread_get_thread_ident() == main_thread_ident()) {}

    bool enabled() const { return enabled_; }

    // Takes the lock and runs the pending handlers now; true when one raised (Ctrl+C:
    // KeyboardInterrupt), its exception then set.
    bool raised() const {
        if (!enabled_) {
            return false;
        }
        py::gil_scoped_acquire acquire;
        return PyErr_CheckSignals() != 0;
    }

    // As raised(), at most once per INTERVAL: cheap enough to call after every few points.
    bool raised_by_now() {
        if (!enabled_) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) {
            return false;
        }
        next_ = now + INTERVAL;
        return raised();
    }

  private:
    bool enabled_;
    std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + INTERVAL;
};

// Runs `work(cancel)` (a library call that stops when *cancel becomes true) on a thread of its
// own while this one, without the interpreter's lock, looks for interrupts; false when one
// raised (its exception set): the work was stopped and its result is to be dropped. Work that
// is known to be `short_work` (milliseconds: not worth a thread's start), work where interrupts
// cannot be seen, or work for which no thread can be started runs here to its end.
template <class Work>
bool run_interruptible(Work&& work, const bool short_work = false) {
    InterruptCheck interrupt;
    py::gil_scoped_release release;
    std::atomic<bool> cancel{false};
    if (short_work || !interrupt.enabled()) {
        work(&cancel);
        return true;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                work(&cancel);
                done.set_value();
            } catch (...) {
                done.set_exception(std::current_exception());
            }
        });
    } catch (const std::system_error&) {
        work(&cancel);
        return true;
    }
    // Looked at at once and then every few milliseconds: a signal that came before or early in
    // short work (tens of milliseconds) is seen while the work still runs.
    constexpr std::chrono::milliseconds WAIT{5};
    bool interrupted = false;
    do {
        if (interrupt.raised()) {
            cancel.store(true, std::memory_order_relaxed);
            interrupted = true;
            break;
        }
    } while (finished.wait_for(WAIT) != std::future_status::ready);
    worker.join();
    finished.get();  // the work's own exception, if any (std::bad_alloc)
    return !interrupted;
}

// ---- Vectorised calculation ----

constexpr std::size_t MAX_THREADS_PER_CALL = static_cast<std::size_t>(zeltra5::MAX_THREADS);
// Points per share of the work: small enough that an interrupt is seen within milliseconds,
// large enough that taking a share costs nothing beside computing it.
constexpr std::size_t CHUNK = 256;

struct Outputs {
    std::int8_t* status;
    std::int8_t* phase;
    std::int8_t* phase_detail;
    double* values;  // RESULT_VALUE_COUNT per point
};

// side 0: the state itself; SIDE_LIQUID or SIDE_VAPOUR: the saturated state at its pressure.
// `table` not null: the states of that table (its pair) instead of the equation's.
void run_part(const ArgPair& pair, const tabulated::Table* table, const double* first,
              const double* second, const CalcOptions& options, const int side,
              const std::size_t begin, const std::size_t end, const Outputs& out) {
    StateResult state;
    StateResult saturated;
    for (std::size_t i = begin; i < end; ++i) {
        const double b = second != nullptr ? second[i] : 0.0;
        if (table != nullptr) {
            tabulated::calculate_state(*table, first[i], b, options, state);
        } else {
            calculate_state(pair, first[i], b, options, state);
        }
        const StateResult* r = &state;
        if (side != SIDE_NONE) {
            calculate_saturated(state, side, saturated);
            r = &saturated;
        }
        out.status[i] = static_cast<std::int8_t>(r->status);
        out.phase[i] = static_cast<std::int8_t>(r->phase);
        out.phase_detail[i] = static_cast<std::int8_t>(r->phase_detail);
        std::memcpy(out.values + i * RESULT_VALUE_COUNT, r->values, sizeof r->values);
    }
}

// The points of one call, handed out in chunks to whichever thread is free.
struct Batch {
    const ArgPair& pair;
    const tabulated::Table* table;  // null: the equation
    const double* first;
    const double* second;
    const CalcOptions& options;
    int side;
    std::size_t n;
    Outputs out;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
};

// Computes the next chunk; false when none is left or the batch was stopped.
bool run_chunk(Batch& b) {
    if (b.stop.load(std::memory_order_relaxed)) {
        return false;
    }
    const std::size_t begin = b.next.fetch_add(CHUNK, std::memory_order_relaxed);
    if (begin >= b.n) {
        return false;
    }
    run_part(b.pair, b.table, b.first, b.second, b.options, b.side, begin,
             std::min(b.n, begin + CHUNK), b.out);
    return true;
}

void run_chunks(Batch& b) {
    while (run_chunk(b)) {
    }
}

// Runs the batch on this thread and up to threads - 1 more; false when an interrupt raised (its
// exception set) and the batch was stopped. Called without the interpreter's lock.
bool run_all(Batch& b, const int threads, InterruptCheck& interrupt) {
    const std::size_t chunks = (b.n + CHUNK - 1) / CHUNK;
    const std::size_t parts =
        std::min<std::size_t>({static_cast<std::size_t>(std::max(threads, 1)),
                               std::max<std::size_t>(chunks, 1), MAX_THREADS_PER_CALL});
    std::vector<std::thread> workers;
    for (std::size_t p = 1; p < parts; ++p) {
        try {
            workers.emplace_back(run_chunks, std::ref(b));
        } catch (const std::system_error&) {
            break;  // no more threads: those running take the rest
        }
    }
    bool interrupted = false;
    while (run_chunk(b)) {
        if (interrupt.raised_by_now()) {
            b.stop.store(true, std::memory_order_relaxed);
            interrupted = true;
        }
    }
    for (std::thread& w : workers) {
        w.join();
    }
    return !interrupted;
}

using InArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::tuple calculate_arrays(const std::string& pair_name, const InArray& first,
                           const py::object& second_object, const bool superheat,
                           const std::string& units, const std::string& reference,
                           const std::string& model, const int threads, const int side) {
    const ArgPair& pair = pair_named(pair_name);
    const CalcOptions options = make_options(units, reference, superheat, model);
    if (threads < 1) {
        throw py::value_error("threads must be 1 or more");
    }
    if (first.ndim() != 1) {
        throw py::value_error("first must be one-dimensional here");
    }
    const auto n = static_cast<std::size_t>(first.shape(0));
    InArray second;
    const double* second_data = nullptr;
    if (!second_object.is_none()) {
        second = second_object.cast<InArray>();
        if (second.ndim() != 1 || static_cast<std::size_t>(second.shape(0)) != n) {
            throw py::value_error("first and second must have the same length here");
        }
        second_data = second.data();
    } else if (!is_saturation_pair(pair)) {
        throw py::value_error("the pair needs a second value");
    }
    const auto count = static_cast<py::ssize_t>(n);
    py::array_t<std::int8_t> status(count);
    py::array_t<std::int8_t> phase(count);
    py::array_t<std::int8_t> detail(count);
    py::array_t<double> values({count, static_cast<py::ssize_t>(RESULT_VALUE_COUNT)});
    const Outputs out{status.mutable_data(), phase.mutable_data(), detail.mutable_data(),
                      values.mutable_data()};
    Batch batch{pair, nullptr, first.data(), second_data, options, side, n, out};
    InterruptCheck interrupt;
    bool finished = false;
    {
        py::gil_scoped_release release;
        finished = run_all(batch, threads, interrupt);
    }
    if (!finished) {
        throw py::error_already_set();
    }
    return py::make_tuple(status, phase, detail, values);
}

// calculate_one(pair, first, second, superheat, units, reference, model) -> State: the scalar call,
// through CPython's fast calling convention rather than pybind11's general dispatcher, which
// would cost as much again as the Python layer above it.
std::string_view text_argument(PyObject* arg, const char* name) {
    Py_ssize_t size = 0;
    const char* text = PyUnicode_Check(arg) ? PyUnicode_AsUTF8AndSize(arg, &size) : nullptr;
    if (text == nullptr) {
        PyErr_Clear();
        throw py::type_error(cat({name, " must be a str"}));
    }
    return {text, static_cast<std::size_t>(size)};
}

double number_argument(PyObject* arg, const char* name) {
    const double value = PyFloat_AsDouble(arg);
    if (value == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        throw py::type_error(cat({name, " must be a number"}));
    }
    return value;
}

PyObject* calculate_one(PyObject*, PyObject* const* args, const Py_ssize_t nargs) {
    try {
        if (nargs != 7) {
            throw py::type_error(
                "calculate_one takes pair, first, second, superheat, units, reference, model");
        }
        const std::string_view name = text_argument(args[0], "pair");
        const ArgPair* pair = find_arg_pair(name);
        if (pair == nullptr) {
            pair_named(std::string(name));  // raises with the list of pairs
        }
        const double first = number_argument(args[1], "first");
        const double second = number_argument(args[2], "second");
        const int superheat = PyObject_IsTrue(args[3]);
        if (superheat < 0) {
            return nullptr;
        }
        const CalcOptions options = make_options(std::string(text_argument(args[4], "units")),
                                                 std::string(text_argument(args[5], "reference")),
                                                 superheat != 0, text_argument(args[6], "model"));
        StateResult r;
        calculate_state(*pair, first, second, options, r);
        return py::cast(std::move(r)).release().ptr();
    } catch (py::builtin_exception& e) {
        e.set_error();
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    }
    return nullptr;
}

PyMethodDef CALCULATE_ONE = {
    "calculate_one", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&calculate_one)),
    METH_FASTCALL,
    "calculate_one(pair, first, second, superheat, units, reference, model) -> State"};

// ---- Tabulated properties ----

// A table of one model and pair: shared, built at the first use in the process, never freed.
struct TabulatedHandle {
    const tabulated::Table* table;
    const ArgPair* pair;
};

TabulatedHandle tabulated_open(const std::string& pair_name, const std::string& model) {
    const int index = model_index(model);
    const ArgPair* pair = tabulated::find_table_pair(pair_name);
    if (pair == nullptr) {
        pair_named(pair_name);  // an unknown pair raises with the list of pairs
        throw py::value_error(cat({"no table is built for the pair ", quoted(pair_name), " (",
                                   tabulated::table_pair_names(), ")"}));
    }
    const tabulated::Table* table = nullptr;
    {
        py::gil_scoped_release release;  // a build takes seconds
        table = tabulated::shared_table(index, pair->mode);
    }
    if (table == nullptr) {
        throw std::runtime_error("the table could not be built");
    }
    return {table, pair};
}

py::tuple tabulated_arrays(const TabulatedHandle& h, const InArray& first, const InArray& second,
                           const std::string& units, const std::string& reference,
                           const int threads) {
    const CalcOptions options =
        make_options(units, reference, false, MODELS[h.table->model()].name);
    if (threads < 1) {
        throw py::value_error("threads must be 1 or more");
    }
    if (first.ndim() != 1 || second.ndim() != 1 || first.shape(0) != second.shape(0)) {
        throw py::value_error("first and second must be one-dimensional of one length here");
    }
    const auto n = static_cast<std::size_t>(first.shape(0));
    const auto count = static_cast<py::ssize_t>(n);
    py::array_t<std::int8_t> status(count);
    py::array_t<std::int8_t> phase(count);
    py::array_t<std::int8_t> detail(count);
    py::array_t<double> values({count, static_cast<py::ssize_t>(RESULT_VALUE_COUNT)});
    const Outputs out{status.mutable_data(), phase.mutable_data(), detail.mutable_data(),
                      values.mutable_data()};
    Batch batch{*h.pair, h.table, first.data(), second.data(), options, SIDE_NONE, n, out};
    InterruptCheck interrupt;
    bool finished = false;
    {
        py::gil_scoped_release release;
        finished = run_all(batch, threads, interrupt);
    }
    if (!finished) {
        throw py::error_already_set();
    }
    return py::make_tuple(status, phase, detail, values);
}

StateResult tabulated_one(const TabulatedHandle& h, const double first, const double second,
                          const std::string& units, const std::string& reference) {
    const CalcOptions options =
        make_options(units, reference, false, MODELS[h.table->model()].name);
    StateResult r;
    tabulated::calculate_state(*h.table, first, second, options, r);
    return r;
}

// ---- Tables ----

TableKind table_kind_named(const std::string& name) {
    const TableKindInfo* kind = find_table_kind(name, TableKindNaming::core);
    if (kind == nullptr) {
        throw py::value_error(cat({"unknown table kind ", quoted(name)}));
    }
    return kind->kind;
}

std::vector<double> parse_range(const std::string& text) {
    std::vector<double> values;
    const RangeError error = parse_value_range(text, values);
    if (error != RangeError::none) {
        throw py::value_error(describe_range_error(error, text, Language::english));
    }
    return values;
}

// Up to this many values a table takes a few milliseconds at most: built without a thread.
constexpr std::size_t SHORT_TABLE = 64;

py::dict table_arrays(const std::string& kind, const double fixed,
                      const std::vector<double>& values, const bool superheat,
                      const std::string& units, const std::string& reference,
                      const std::string& model) {
    const TableKind table_kind = table_kind_named(kind);
    const CalcOptions options = make_options(units, reference, superheat, model);
    if (values.size() > MAX_RANGE_VALUES) {
        throw py::value_error(cat({"a table takes at most ", std::to_string(MAX_RANGE_VALUES),
                                   " values, not ", std::to_string(values.size())}));
    }
    if (table_fixed_field(table_kind) >= 0 && !std::isfinite(fixed)) {
        throw py::value_error("the value held is not a finite number");
    }
    PropertyTable table;
    if (!run_interruptible(
            [&](const std::atomic<bool>* cancel) {
                table = build_property_table(table_kind, fixed, values, options, cancel);
            },
            values.size() <= SHORT_TABLE)) {
        throw py::error_already_set();
    }
    const auto n = static_cast<py::ssize_t>(table.rows.size());
    py::array_t<std::int8_t> status(n);
    py::array_t<std::int8_t> phase(n);
    py::array_t<std::int8_t> detail(n);
    py::array_t<double> out({n, static_cast<py::ssize_t>(RESULT_VALUE_COUNT)});
    py::array_t<double> value(n);
    py::array_t<bool> inserted(n);
    py::list row_kinds;
    py::list pairs;
    py::list reasons;
    py::list states;
    for (py::ssize_t i = 0; i < n; ++i) {
        const TableRow& row = table.rows[static_cast<std::size_t>(i)];
        status.mutable_at(i) = static_cast<std::int8_t>(row.state.status);
        phase.mutable_at(i) = static_cast<std::int8_t>(row.state.phase);
        detail.mutable_at(i) = static_cast<std::int8_t>(row.state.phase_detail);
        std::memcpy(out.mutable_data(i, 0), row.state.values, sizeof row.state.values);
        value.mutable_at(i) = row.value;
        inserted.mutable_at(i) = row.inserted;
        row_kinds.append(row_kind_name(row.kind));
        pairs.append(row.state.pair != nullptr ? row.state.pair->name : "");
        reasons.append(refusal_words(row.state, Language::english));
        states.append(py::cast(row.state));
    }
    py::dict d;
    d["status"] = status;
    d["phase"] = phase;
    d["phase_detail"] = detail;
    d["values"] = out;
    d["value"] = value;
    d["inserted"] = inserted;
    d["row"] = row_kinds;
    d["pair"] = pairs;
    d["error"] = reasons;
    d["states"] = states;
    d["fixed"] = table.fixed;
    d["varied_field"] = RESULT_FIELDS[table_varied_field(table_kind)].name;
    const int fixed_field = table_fixed_field(table_kind);
    d["fixed_field"] = fixed_field >= 0 ? py::object(py::str(RESULT_FIELDS[fixed_field].name))
                                        : py::object(py::none());
    return d;
}

// ---- Cycle ----

std::string cycle_refusal_words(const CycleResult& c, const Language language) {
    if (c.status == STATUS_VALID) {
        return {};
    }
    return whole_text([&](char* text, const std::size_t size) {
        return describe_cycle_refusal(c, language, text, size);
    });
}

// ---- Chart ----

ChartType chart_type_named(const std::string& name) {
    if (name == "ph") return ChartType::pressure_enthalpy;
    if (name == "ts") return ChartType::temperature_entropy;
    throw py::value_error(cat({"unknown diagram ", quoted(name), " (ph or ts)"}));
}

// lines: {kind name: None (the default), False (none), True (the default values, shown), or a
// list of values}. states: [(pair, first, second, label)]. cycle: None or the six inputs.
py::tuple chart_json(const std::string& type, const std::string& units,
                     const std::string& reference, const std::string& language,
                     const std::vector<double>& x_range, const std::vector<double>& y_range,
                     const py::dict& lines, const py::list& states, const py::object& cycle,
                     const double width, const double height, const double font_size,
                     const std::string& model, const bool with_svg) {
    ChartOptions o;
    o.type = chart_type_named(type);
    o.calc = make_options(units, reference, false, model);
    o.language = language_named(language);
    if (x_range.size() == 2) {
        o.x_min = x_range[0];
        o.x_max = x_range[1];
    }
    if (y_range.size() == 2) {
        o.y_min = y_range[0];
        o.y_max = y_range[1];
    }
    for (const auto& item : lines) {
        const auto name = item.first.cast<std::string>();
        LineKind kind;
        if (!parse_line_kind(name, kind) || kind == LineKind::saturation ||
            kind == LineKind::cycle) {
            throw py::value_error(cat({"unknown line family ", quoted(name)}));
        }
        LineSet& set = o.lines[static_cast<std::size_t>(kind)];
        const py::handle v = item.second;
        if (v.is_none()) {
            set.show = LineSet::Show::by_default;
        } else if (py::isinstance<py::bool_>(v)) {
            set.show = v.cast<bool>() ? LineSet::Show::yes : LineSet::Show::no;
        } else {
            set.show = LineSet::Show::yes;
            set.values = v.cast<std::vector<double>>();
        }
    }
    for (const auto& s : states) {
        const auto t = s.cast<py::tuple>();
        ChartState state;
        state.pair = &pair_named(t[0].cast<std::string>());
        state.first = t[1].cast<double>();
        state.second = t[2].is_none() ? 0.0 : t[2].cast<double>();
        state.label = t[3].is_none() ? std::string() : t[3].cast<std::string>();
        o.states.push_back(state);
    }
    if (!cycle.is_none()) {
        const auto c = cycle.cast<std::vector<double>>();
        if (c.size() != 6) {
            throw py::value_error("cycle: six inputs expected");
        }
        o.cycle = true;
        o.cycle_input = CycleInput{c[0], c[1], c[2], c[3], c[4], c[5]};
    }
    o.width = width;
    o.height = height;
    o.font_size = font_size;
    Chart chart;
    std::string error;
    std::string json;
    std::string svg;
    if (!run_interruptible([&](const std::atomic<bool>* cancel) {
            o.cancel = cancel;
            if (build_chart(o, chart, error) == 0) {
                json = chart_to_json(chart);
                if (with_svg) {
                    svg = chart_to_svg(chart);
                }
            }
        })) {
        throw py::error_already_set();
    }
    if (json.empty()) {
        throw py::value_error(error);
    }
    return py::make_tuple(py::bytes(json),
                          with_svg ? py::object(py::bytes(svg)) : py::object(py::none()));
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled part of zeltra5: use the functions of the zeltra5 package.";
    m.attr("version") = library_version();
    main_thread_ident();
    m.attr("MAX_RANGE_VALUES") = MAX_RANGE_VALUES;
    m.attr("MAX_THREADS") = MAX_THREADS;

    py::list field_names;
    py::list field_symbols;
    py::list extended_names;
    py::list extended_symbols;
    for (int k = 0; k < FIELD_COUNT; ++k) {
        (k < RESULT_VALUE_COUNT ? field_names : extended_names).append(RESULT_FIELDS[k].name);
        (k < RESULT_VALUE_COUNT ? field_symbols : extended_symbols).append(RESULT_FIELDS[k].symbol);
    }
    m.attr("FIELDS") = py::tuple(field_names);
    m.attr("SYMBOLS") = py::tuple(field_symbols);
    m.attr("EXTENDED_FIELDS") = py::tuple(extended_names);
    m.attr("EXTENDED_SYMBOLS") = py::tuple(extended_symbols);
    // (name, first field's symbol, second field's symbol or None) of every pair, for props().
    py::list pair_fields;
    for (const ArgPair& p : ARG_PAIRS) {
        pair_fields.append(py::make_tuple(
            p.name, RESULT_FIELDS[p.first_field].symbol,
            p.second_field >= 0 ? py::object(py::str(RESULT_FIELDS[p.second_field].symbol))
                                : py::object(py::none())));
    }
    m.attr("PAIR_FIELDS") = py::tuple(pair_fields);
    py::list model_names;
    for (const ModelInfo& mi : MODELS) {
        model_names.append(mi.name);
    }
    m.attr("MODELS") = py::tuple(model_names);
    py::list pair_names;
    for (const ArgPair& p : ARG_PAIRS) {
        pair_names.append(py::make_tuple(p.name, p.value_count));
    }
    m.attr("PAIRS") = py::tuple(pair_names);
    py::list figure_names;
    for (const CycleFigureInfo& f : CYCLE_FIGURES) {
        figure_names.append(f.name);
    }
    m.attr("CYCLE_FIGURES") = py::tuple(figure_names);
    // (name, module's name, argument held or None, argument varied) of every kind of table.
    py::list table_kinds;
    for (const TableKindInfo& k : TABLE_KINDS) {
        table_kinds.append(py::make_tuple(
            k.name, k.core_name, k.fixed != nullptr ? py::object(py::str(k.fixed)) : py::none(),
            k.varied));
    }
    m.attr("TABLE_KINDS") = py::tuple(table_kinds);
    py::list reference_names;
    for (const ReferenceStateInfo& r : REFERENCE_STATES) {
        reference_names.append(r.name);
    }
    m.attr("REFERENCES") = py::tuple(reference_names);

    m.def(
        "field_unit",
        [](const std::string& field, const std::string& units, const std::string& language) {
            const int k = find_field(field);
            if (k < 0) {
                throw py::value_error(cat({"unknown field ", quoted(field)}));
            }
            return std::string(
                unit_text(RESULT_FIELDS[k].unit, units_named(units), language_named(language)));
        },
        py::arg("field"), py::arg("units") = "si", py::arg("language") = "en");
    m.def(
        "units_name",
        [](const std::string& choice) { return std::string(units_name(units_named(choice))); },
        py::arg("choice"), "The canonical name of a choice of units (\"p=kPa\" -> \"si,p=kPa\").");
    m.def(
        "cycle_inputs_in",
        [](const std::vector<double>& inputs, const std::string& from, const std::string& to) {
            return cycle_inputs_in(inputs, units_named(from), units_named(to));
        },
        py::arg("inputs"), py::arg("from_units"), py::arg("to_units"),
        "A cycle's six inputs in other units (for a chart in units of its own).");
    m.def(
        "phase_name",
        [](const int phase, const int detail, const std::string& language) {
            return std::string(phase_state_text(phase, detail, language_named(language)));
        },
        py::arg("phase"), py::arg("phase_detail"), py::arg("language") = "en");

    py::class_<StateResult> state(m, "State", "One calculated state.");
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        state.def_property_readonly(
            RESULT_FIELDS[k].name, [k](const StateResult& r) { return r.values[k]; },
            "The field in the call's units and reference; NaN where undefined or not valid.");
    }
    for (int k = RESULT_VALUE_COUNT; k < FIELD_COUNT; ++k) {
        state.def_property_readonly(
            RESULT_FIELDS[k].name,
            [k](StateResult& r) {
                keep_extended(r);  // formed on the first read, kept for the next
                double extended[EXTENDED_FIELD_COUNT];
                calculate_extended(r, extended);
                return extended[k - RESULT_VALUE_COUNT];
            },
            "The field in the call's units and reference, computed when asked for; NaN where "
            "undefined or not valid.");
    }
    state.def_property_readonly("status", [](const StateResult& r) { return r.status; })
        .def_property_readonly("valid", [](const StateResult& r) { return r.status == 0; })
        .def_property_readonly("phase", [](const StateResult& r) { return r.phase; })
        .def_property_readonly("phase_detail", [](const StateResult& r) { return r.phase_detail; })
        .def_property_readonly(
            "phase_name", [](const StateResult& r) { return phase_words(r, Language::english); })
        .def_property_readonly(
            "pair",
            [](const StateResult& r) { return std::string(r.pair != nullptr ? r.pair->name : ""); })
        .def_property_readonly("given",
                               [](const StateResult& r) {
                                   if (r.pair != nullptr && r.pair->value_count == 1) {
                                       return py::make_tuple(r.given[0]);
                                   }
                                   return py::make_tuple(r.given[0], r.given[1]);
                               })
        .def_property_readonly(
            "units", [](const StateResult& r) { return std::string(units_name(r.options.units)); })
        .def_property_readonly(
            "reference",
            [](const StateResult& r) { return reference_state_name(r.options.reference); })
        .def_property_readonly("superheat",
                               [](const StateResult& r) { return r.options.superheat; })
        .def_property_readonly("model", [](const StateResult& r) { return model_name(r.options); })
        .def_property_readonly("error",
                               [](const StateResult& r) -> py::object {
                                   if (r.status == STATUS_VALID) {
                                       return py::none();
                                   }
                                   return py::str(refusal_words(r, Language::english));
                               })
        .def(
            "explain",
            [](const StateResult& r, const std::string& language) {
                return refusal_words(r, language_named(language));
            },
            py::arg("language") = "en",
            "Why the state is not valid, in words (\"en\" or \"ru\"); \"\" when it is.")
        .def(
            "phase_text",
            [](const StateResult& r, const std::string& language) {
                return phase_words(r, language_named(language));
            },
            py::arg("language") = "en", "The phase state's name in \"en\" or \"ru\".")
        .def_property_readonly("saturated_liquid",
                               [](const StateResult& r) { return saturated_of(r, SIDE_LIQUID); })
        .def_property_readonly("saturated_vapour",
                               [](const StateResult& r) { return saturated_of(r, SIDE_VAPOUR); })
        .def(
            "given_in",
            [](const StateResult& r, const std::string& units, const std::string& reference) {
                // The request behind the result (SI, the program's reference) in other units and
                // on another reference.
                const CalcOptions o = make_options(units, reference, false, model_name(r.options));
                const double request[2] = {r.request.first_value, r.request.second_value};
                const int fields[2] = {r.pair != nullptr ? r.pair->first_field : -1,
                                       r.pair != nullptr ? r.pair->second_field : -1};
                double out[2] = {NAN, NAN};
                for (int i = 0; i < 2; ++i) {
                    if (fields[i] < 0) {
                        out[i] = request[i];
                        continue;
                    }
                    out[i] = from_base(
                        RESULT_FIELDS[fields[i]].unit, o.units,
                        request[i] + reference_shift(o.reference, r.options.model, fields[i]));
                }
                return py::make_tuple(out[0], out[1]);
            },
            py::arg("units"), py::arg("reference"),
            "The given values in other units and on another reference (for a chart's states).")
        .def("to_dict", &state_dict,
             "pair, status, valid, the nineteen fields and the extended ones, phase, "
             "phase_detail, phase_name and error as a dict.")
        .def("__repr__", &state_repr)
        .def("__getitem__", &state_field, py::arg("field"),
             "A field by its name or symbol: state[\"p\"] is state.pressure.")
        .def("__eq__",
             [](const StateResult& r, const py::object& other) -> py::object {
                 if (!py::isinstance<StateResult>(other)) {
                     return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 }
                 return py::bool_(state_key(r).equal(state_key(other.cast<const StateResult&>())));
             })
        .def("__hash__", [](const StateResult& r) { return py::hash(state_key(r)); })
        .def(py::pickle([](const StateResult& r) { return state_key(r); },
                        [](const py::tuple& key) { return state_from_key(key); }));

    m.attr("calculate_one") =
        py::reinterpret_steal<py::object>(PyCFunction_NewEx(&CALCULATE_ONE, nullptr, m.ptr()));
    m.def("calculate_arrays", &calculate_arrays, py::arg("pair"), py::arg("first"),
          py::arg("second"), py::arg("superheat"), py::arg("units"), py::arg("reference"),
          py::arg("model"), py::arg("threads"), py::arg("side"));

    py::class_<TabulatedHandle>(m, "TabulatedTable", "A table of one model and pair.")
        .def_property_readonly(
            "model", [](const TabulatedHandle& h) { return MODELS[h.table->model()].name; })
        .def_property_readonly("pair", [](const TabulatedHandle& h) { return h.pair->name; })
        .def_property_readonly("statistics",
                               [](const TabulatedHandle& h) {
                                   const tabulated::TableStatistics& s = h.table->statistics();
                                   py::dict d;
                                   d["bytes"] = s.bytes;
                                   d["nodes"] = s.nodes;
                                   d["segments"] = s.segments;
                                   d["saturation_error"] = s.saturation_error;
                                   d["build_seconds"] = s.build_seconds;
                                   return d;
                               })
        .def("arrays", &tabulated_arrays, py::arg("first"), py::arg("second"), py::arg("units"),
             py::arg("reference"), py::arg("threads"))
        .def("one", &tabulated_one, py::arg("first"), py::arg("second"), py::arg("units"),
             py::arg("reference"));
    m.def("tabulated_open", &tabulated_open, py::arg("pair"), py::arg("model"));

    m.def("extended_arrays", &extended_arrays, py::arg("pair"), py::arg("first"), py::arg("second"),
          py::arg("superheat"), py::arg("units"), py::arg("reference"), py::arg("model"));
    m.def("constants", &model_constants, py::arg("model"));

    m.def("parse_range", &parse_range, py::arg("text"));
    m.def("table", &table_arrays, py::arg("kind"), py::arg("fixed"), py::arg("values"),
          py::arg("superheat"), py::arg("units"), py::arg("reference"), py::arg("model"));

    py::class_<CycleResult> cycle(m, "Cycle", "A single-stage vapour-compression cycle.");
    for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
        cycle.def_property_readonly(
            CYCLE_FIGURES[k].name, [k](const CycleResult& c) { return c.figures[k]; },
            CYCLE_FIGURES[k].english);
    }
    cycle.def_property_readonly("status", [](const CycleResult& c) { return c.status; })
        .def_property_readonly("valid", [](const CycleResult& c) { return c.status == 0; })
        .def_property_readonly("error",
                               [](const CycleResult& c) -> py::object {
                                   if (c.status == STATUS_VALID) {
                                       return py::none();
                                   }
                                   return py::str(cycle_refusal_words(c, Language::english));
                               })
        .def(
            "explain",
            [](const CycleResult& c, const std::string& language) {
                return cycle_refusal_words(c, language_named(language));
            },
            py::arg("language") = "en",
            "Why the cycle was refused, in words (\"en\" or \"ru\"); \"\" when valid.")
        .def_property_readonly("states",
                               [](const CycleResult& c) {
                                   py::list l;
                                   for (const StateResult& s : c.states) {
                                       l.append(py::cast(s));
                                   }
                                   return l;
                               })
        .def_property_readonly("isentropic_discharge",
                               [](const CycleResult& c) { return c.isentropic_discharge; })
        .def_property_readonly(
            "units", [](const CycleResult& c) { return std::string(units_name(c.options.units)); })
        .def_property_readonly(
            "reference",
            [](const CycleResult& c) { return reference_state_name(c.options.reference); })
        .def_property_readonly("model", [](const CycleResult& c) { return model_name(c.options); })
        .def_property_readonly("figure_units",
                               [](const CycleResult& c) {
                                   py::dict d;
                                   for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
                                       d[CYCLE_FIGURES[k].name] = std::string(cycle_figure_unit(
                                           k, c.options.units, Language::english));
                                   }
                                   return d;
                               })
        .def_property_readonly("inputs",
                               [](const CycleResult& c) {
                                   return py::make_tuple(c.input.evaporating_temperature,
                                                         c.input.condensing_temperature,
                                                         c.input.superheat, c.input.subcooling,
                                                         c.input.efficiency, c.input.capacity);
                               })
        .def("__eq__",
             [](const CycleResult& c, const py::object& other) -> py::object {
                 if (!py::isinstance<CycleResult>(other)) {
                     return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 }
                 return py::bool_(cycle_key(c).equal(cycle_key(other.cast<const CycleResult&>())));
             })
        .def("__hash__", [](const CycleResult& c) { return py::hash(cycle_key(c)); })
        .def(py::pickle([](const CycleResult& c) { return cycle_key(c); },
                        [](const py::tuple& key) { return cycle_from_key(key); }));
    m.def(
        "cycle",
        [](const double t0, const double tc, const double superheat, const double subcooling,
           const double efficiency, const double capacity, const std::string& units,
           const std::string& reference, const std::string& model) {
            CycleResult c;
            calculate_cycle(CycleInput{t0, tc, superheat, subcooling, efficiency, capacity},
                            make_options(units, reference, false, model), c);
            return c;
        },
        py::arg("evaporating"), py::arg("condensing"), py::arg("superheat"), py::arg("subcooling"),
        py::arg("efficiency"), py::arg("capacity"), py::arg("units"), py::arg("reference"),
        py::arg("model"));

    m.def("chart_json", &chart_json, py::arg("type"), py::arg("units"), py::arg("reference"),
          py::arg("language"), py::arg("x_range"), py::arg("y_range"), py::arg("lines"),
          py::arg("states"), py::arg("cycle"), py::arg("width"), py::arg("height"),
          py::arg("font_size"), py::arg("model") = MODELS[DEFAULT_MODEL].name,
          py::arg("svg") = false);
}

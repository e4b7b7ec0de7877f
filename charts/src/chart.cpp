// The log p-h and T-s diagrams: axes, the lines of every family through calculate_state, the
// cycle and the marked states, and the labels.

#include "zeltra5/chart.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>

#include "chart_internal.hpp"
#include "zeltra5/decimal_rounding.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {

using chart_detail::Frame;
using chart_detail::LabelRequest;
using chart_detail::number_text;
using chart_detail::phase_bit;
using chart_detail::Piece;
using chart_detail::Sampler;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

constexpr const char* KIND_NAMES[LINE_KIND_COUNT] = {
    "saturation", "isotherm", "isobar", "isentrope", "isenthalp", "isochore", "quality", "cycle"};

const ArgPair& pair(const char* name) {
    return *find_arg_pair(name);
}

bool is_set(const double v) {
    return !is_chart_default(v);
}

// The chart's view of the fluid: states on its options, the domain in its units, and the top
// of the saturation line (the highest pressure where both saturated states are found).
struct Fluid {
    CalcOptions options;
    double p_lo;  // the domain's pressures, chart units
    double p_hi;
    double p_top;
    double t_top;
    StateResult top_liquid;
    StateResult top_vapour;

    StateResult state(const char* name, const double a, const double b = 0.0) const {
        StateResult r;
        calculate_state(pair(name), a, b, options, r);
        return r;
    }

    double pressure(const double pa) const {
        return from_base(UnitKind::pressure, options.units, pa);
    }
    // A temperature given in °C, in the chart's units.
    double temperature(const double celsius) const {
        return from_base(UnitKind::temperature, options.units, celsius);
    }
    // A round pressure (10 bar, 1e6 Pa) in the chart's units without the conversion's last-digit
    // noise: 200, not 200.00000000000003.
    double round_pressure(const double pa) const {
        return round_to_significant_digits(pressure(pa), 15);
    }
};

// The constants of the options' model; the default model's for an index that is not one (the
// calculation refuses such options).
const ModelConstants& model_constants(const CalcOptions& options) {
    return is_model_index(options.model) ? *MODELS[options.model].constants : DEFAULT_CONSTANTS;
}

// `text` with the temperature between its parenthesis and " °C)" replaced by `celsius` to three
// decimals (trailing zeros dropped), with the language's decimal sign and a minus sign.
std::string with_triple_point(const std::string& text, const double celsius,
                              const Language language) {
    const std::size_t open = text.rfind('(');
    const std::size_t close = text.rfind(" °C)");
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return text;
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.3f", std::abs(celsius));
    std::string number = digits;
    while (number.back() == '0') {
        number.pop_back();
    }
    if (number.back() == '.') {
        number.pop_back();
    }
    if (language != Language::english) {
        std::replace(number.begin(), number.end(), '.', ',');
    }
    return text.substr(0, open + 1) + (celsius < 0.0 ? "−" : "") + number + text.substr(close);
}

}  // namespace

std::string chart_model_note(const int model, const Language language) {
    if (!is_model_index(model)) {
        return {};
    }
    return std::string(language == Language::english ? "; model " : "; модель ") +
           MODELS[model].name;
}

namespace {

Fluid make_fluid(const CalcOptions& options) {
    Fluid f;
    const ModelConstants& constants = model_constants(options);
    f.options = options;
    f.options.superheat = false;
    f.p_lo = f.pressure(constants.domain.min_pressure);
    f.p_hi = f.pressure(constants.domain.max_pressure);
    // Bisection between a pressure where the saturated states are found and the critical one.
    double good = f.state("ts-liquid", f.temperature(130.0)).values[FIELD_PRESSURE];
    double bad = f.pressure(constants.critical_pressure);
    for (int i = 0; i < 40; ++i) {
        const double m = 0.5 * (good + bad);
        const bool ok = f.state("ps-liquid", m).status == STATUS_VALID &&
                        f.state("ps-vapour", m).status == STATUS_VALID;
        (ok ? good : bad) = m;
    }
    f.p_top = good;
    f.top_liquid = f.state("ps-liquid", good);
    f.top_vapour = f.state("ps-vapour", good);
    f.t_top = f.top_liquid.values[FIELD_TEMPERATURE];
    return f;
}

// Where a monotonic saturation property crosses `target`: the parameter of the saturated state
// `name` between lo and hi (on a logarithmic scale when `log`) whose `field` is `target`, by
// regula falsi with the Illinois modification (a few states, not fifty halvings).
double saturation_crossing(const Fluid& f, const char* name, const int field, const double target,
                           const double lo, const double hi, const bool log) {
    const auto to_u = [&](const double v) { return log ? std::log(v) : v; };
    const auto from_u = [&](const double u) { return log ? std::exp(u) : u; };
    const auto g = [&](const double u) {
        const StateResult s = f.state(name, from_u(u));
        return s.status == STATUS_VALID ? s.values[field] - target : NaN;
    };
    double a = to_u(lo);
    double b = to_u(hi);
    double ga = g(a);
    double gb = g(b);
    if (!(ga * gb < 0.0)) {
        return std::fabs(ga) < std::fabs(gb) ? lo : hi;
    }
    // a is the end kept from before; b the newest estimate.
    for (int i = 0; i < 60; ++i) {
        double c = b - gb * (b - a) / (gb - ga);
        double gc = g(c);
        if (std::isnan(gc)) {
            c = 0.5 * (a + b);
            gc = g(c);
            if (std::isnan(gc)) {
                break;
            }
        }
        const double moved = std::fabs(c - b);
        if (gc * gb < 0.0) {
            a = b;
            ga = gb;
        } else {
            ga *= 0.5;
        }
        b = c;
        gb = gc;
        if (gc == 0.0 || moved <= 1e-14 * (1.0 + std::fabs(c))) {
            break;
        }
    }
    return from_u(b);
}

struct Range {
    double lo, hi;
};

// ---- Axes ----

double nice_step(const double span, const double count) {
    const double raw = span / count;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * decade >= raw) {
            return m * decade;
        }
    }
    return 10.0 * decade;
}

// A multiple of a step with its decimal noise removed (0.30000000000000004 -> 0.3): the value
// of its text to nine decimals when that is as near as a billionth of the step.
double tidy_multiple(const long long k, const double step) {
    const double v = static_cast<double>(k) * step;
    const double exact = round_to_decimal_places(v, 9);
    return std::fabs(exact - v) <= 1e-9 * std::fabs(step) ? exact : v;
}

void linear_ticks(ChartAxis& axis) {
    const double step = nice_step(axis.max - axis.min, 9.0);
    // 64 bits: on a narrow axis far from zero the multiples of the step are beyond 2^31.
    const auto first = static_cast<long long>(std::ceil(axis.min / step * 2.0 - 1e-9));
    const auto last = static_cast<long long>(std::floor(axis.max / step * 2.0 + 1e-9));
    for (long long k = first; k <= last; ++k) {
        const bool major = k % 2 == 0;
        const double v = tidy_multiple(k, step / 2.0);
        axis.ticks.push_back({v, major ? number_text(v) : std::string(), major});
    }
}

void log_ticks(ChartAxis& axis) {
    const int first = static_cast<int>(std::floor(std::log10(axis.min)));
    const int last = static_cast<int>(std::ceil(std::log10(axis.max)));
    // Over many decades only the decades, every `every`-th labelled: about a dozen labels.
    const int decades = last - first;
    const int every = decades > 12 ? (decades + 11) / 12 : 1;
    for (int e = first; e <= last; ++e) {
        for (int m = 1; m <= (every > 1 ? 1 : 9); ++m) {
            // The value as read from its text: 0.2, not 2 x 0.1.
            char text[16] = {static_cast<char>('0' + m), 'e'};
            const char* end = std::to_chars(text + 2, text + sizeof text, e).ptr;
            double exact = 0.0;
            std::from_chars(text, end, exact);
            if (exact < axis.min * (1 - 1e-12) || exact > axis.max * (1 + 1e-12)) {
                continue;
            }
            const bool labelled = every > 1 ? e % every == 0 : m == 1 || m == 2 || m == 5;
            axis.ticks.push_back({exact, labelled ? number_text(exact) : std::string(), m == 1});
        }
    }
    // A range narrower than these ticks can mark (a zoomed axis) gets the linear ticks, which
    // are as good where a logarithm hardly bends.
    const auto labelled = std::count_if(axis.ticks.begin(), axis.ticks.end(),
                                        [](const AxisTick& t) { return !t.label.empty(); });
    if (labelled < 3) {
        axis.ticks.clear();
        linear_ticks(axis);
    }
}

std::string axis_title(const int field, const Units& units, const Language language) {
    std::string t(table_row_name(RESULT_FIELDS[field].table_row, language));
    t += ' ';
    t += field == FIELD_TEMPERATURE ? "t" : RESULT_FIELDS[field].symbol;
    t += ", ";
    t.append(unit_text(RESULT_FIELDS[field].unit, units, language));
    return t;
}

ChartAxis make_axis(const int field, const double lo, const double hi, const bool log,
                    const Units& units, const Language language) {
    ChartAxis a;
    a.field = field;
    a.title = axis_title(field, units, language);
    a.unit = std::string(unit_text(RESULT_FIELDS[field].unit, units, language));
    a.min = lo;
    a.max = hi;
    a.logarithmic = log;
    if (log) {
        log_ticks(a);
    } else {
        linear_ticks(a);
    }
    return a;
}

// ---- Texts ----

struct Words {
    const char* title_ph;
    const char* title_ts;
    const char* reference[4];
    const char* legend[LINE_KIND_COUNT];
};

constexpr Words ENGLISH = {
    "Ammonia (R717): log p-h diagram",
    "Ammonia (R717): T-s diagram",
    {"h = s = 0 for the saturated liquid at the triple point (−77.655 °C)",
     "h = 200 kJ/kg, s = 1 kJ/(kg·K) for the saturated liquid at 0 °C",
     "h = s = 0 for the saturated liquid at −40 °C",
     "h = s = 0 for the saturated liquid at the normal boiling point (1.01325 bar)"},
    {"Saturation line", "Isotherms", "Isobars", "Isentropes", "Isenthalps", "Isochores",
     "Vapour quality", "Cycle"},
};

constexpr Words RUSSIAN = {
    "Аммиак (R717): диаграмма lg p-h",
    "Аммиак (R717): диаграмма T-s",
    {"h = s = 0 для насыщенной жидкости в тройной точке (−77,655 °C)",
     "h = 200 кДж/кг, s = 1 кДж/(кг·К) для насыщенной жидкости при 0 °C",
     "h = s = 0 для насыщенной жидкости при −40 °C",
     "h = s = 0 для насыщенной жидкости при нормальной температуре кипения (1,01325 бар)"},
    {"Пограничные кривые", "Изотермы", "Изобары", "Изоэнтропы", "Изоэнтальпы", "Изохоры",
     "Степень сухости", "Цикл"},
};

const Words& words(const Language language) {
    return language == Language::english ? ENGLISH : RUSSIAN;
}

// The field a family holds, for its unit in the legend and in labels.
int held_field(const LineKind kind) {
    switch (kind) {
        case LineKind::isotherm:
            return FIELD_TEMPERATURE;
        case LineKind::isobar:
            return FIELD_PRESSURE;
        case LineKind::isentrope:
            return FIELD_ENTROPY;
        case LineKind::isenthalp:
            return FIELD_ENTHALPY;
        case LineKind::isochore:
            return FIELD_DENSITY;
        case LineKind::quality:
            return FIELD_RELATIVE_ENTHALPY;
        default:
            return -1;
    }
}

const char* held_symbol(const LineKind kind) {
    switch (kind) {
        case LineKind::isotherm:
            return "t";
        case LineKind::isobar:
            return "p";
        case LineKind::isentrope:
            return "s";
        case LineKind::isenthalp:
            return "h";
        case LineKind::isochore:
            return "ρ";
        default:
            return "x";
    }
}

std::string unit_of(const LineKind kind, const CalcOptions& options, const Language language) {
    const int field = held_field(kind);
    return field < 0 ? std::string()
                     : std::string(unit_text(RESULT_FIELDS[field].unit, options.units, language));
}

std::string line_label(const LineKind kind, const double value, const CalcOptions& options,
                       const Language language) {
    switch (kind) {
        case LineKind::isotherm:
        case LineKind::isobar:
            return number_text(value) + " " + unit_of(kind, options, language);
        default:
            return std::string(held_symbol(kind)) + " = " + number_text(value);
    }
}

std::string legend_text(const LineKind kind, const CalcOptions& options, const Language language) {
    std::string t = words(language).legend[static_cast<int>(kind)];
    if (kind != LineKind::saturation && kind != LineKind::cycle) {
        t += ' ';
        t += held_symbol(kind);
        const std::string unit = unit_of(kind, options, language);
        if (!unit.empty()) {
            t += ", " + unit;
        }
    }
    return t;
}

// "p = 10 bar, t = 25 °C"
std::string state_label(const ArgPair& p, const double first, const double second,
                        const CalcOptions& options, const Language language) {
    std::string t;
    const int fields[2] = {p.first_field, p.second_field};
    const double values[2] = {first, second};
    for (int i = 0; i < p.value_count; ++i) {
        const int field = fields[i];
        if (i > 0) {
            t += ", ";
        }
        const bool quality = is_quality_value(p, i);
        t += quality ? "x" : field == FIELD_DENSITY ? "ρ" : RESULT_FIELDS[field].symbol;
        t += " = " + number_text(values[i]);
        const std::string_view unit =
            quality ? std::string_view()
                    : unit_text(RESULT_FIELDS[field].unit, options.units, language);
        if (!unit.empty()) {
            t += ' ';
            t.append(unit);
        }
    }
    if (is_saturation_pair(p)) {
        t += p.side == SIDE_LIQUID ? ", x = 0" : ", x = 1";
    }
    return t;
}

// ---- Lines ----

struct Builder {
    const ChartOptions& opt;
    Chart& chart;
    Fluid fluid;
    Frame frame;
    Sampler sampler;
    Range p_range;  // pressures worth computing: the visible ones on p-h, the domain on T-s
    Range t_range;
    std::vector<LabelRequest> labels;

    Builder(const ChartOptions& o, Chart& c, const Fluid& f, const Frame& fr)
        : opt(o),
          chart(c),
          fluid(f),
          frame(fr),
          sampler(fr, f.options, c.x.field, c.y.field, o.tolerance) {
        const bool ph = o.type == ChartType::pressure_enthalpy;
        p_range = ph ? Range{std::max(f.p_lo, c.y.min / 1.1), std::min(f.p_hi, c.y.max * 1.1)}
                     : Range{f.p_lo, f.round_pressure(2.2e7)};
        const double margin = ph ? 0.0 : 0.05 * (c.y.max - c.y.min);
        const ModelConstants& constants = model_constants(f.options);
        const double t_min = f.temperature(constants.domain.min_temperature);
        const double t_max = f.temperature(constants.domain.max_temperature);
        t_range = ph ? Range{t_min, t_max}
                     : Range{std::max(t_min, c.y.min - margin), std::min(t_max, c.y.max + margin)};
    }

    Piece piece(const char* name, const bool param_first, const double fixed, const double u0,
                const double u1, const bool log, const unsigned phases) const {
        Piece p;
        p.pair = &pair(name);
        p.param_first = param_first;
        p.fixed = fixed;
        p.u0 = u0;
        p.u1 = u1;
        p.log = log;
        p.phases = phases;
        return p;
    }

    // Samples a piece and appends its thinned points.
    void add(const Piece& p, std::vector<ChartPoint>& out) {
        std::vector<ChartPoint> pts;
        sampler.add(p, pts);
        sampler.thin(pts);
        out.insert(out.end(), pts.begin(), pts.end());
    }

    // The budget: the saturation line and the cycle may take a line's whole share, the other
    // lines share what is left evenly (what one leaves goes to those after it).
    long pool = CHART_POINT_BUDGET;
    long reserve = 0;  // kept for the cycle
    long lines_left = 0;
    long line_start = 0;

    void begin_line(const bool first_class) {
        const long left = pool - (first_class ? 0 : reserve);
        const long share = first_class || lines_left <= 0 ? left : left / lines_left;
        line_start = sampler.evaluations();
        sampler.set_budget(std::min(CHART_LINE_POINT_BUDGET, share));
    }

    void end_line(const bool first_class) {
        pool -= sampler.evaluations() - line_start;
        if (!first_class) {
            --lines_left;
        }
    }

    ChartLine& new_line(const LineKind kind, const double value, std::string label) {
        chart.lines.push_back({kind, value, std::move(label), {}});
        return chart.lines.back();
    }

    // The frame point where the line first reaches frame height `fy` (or width `fx`) within
    // [first, last), else its last visible point.
    chart_detail::LabelRequest request(const int line, std::string text, const std::size_t first,
                                       const std::size_t last, const double fx, const double fy) {
        const std::vector<ChartPoint>& pts = chart.lines[static_cast<std::size_t>(line)].points;
        double ax = NaN;
        double ay = NaN;
        double lx = NaN;
        double ly = NaN;
        for (std::size_t i = first; i < last && i < pts.size(); ++i) {
            if (std::isnan(pts[i].x)) {
                continue;
            }
            const double x = frame.fx(pts[i].x);
            const double y = frame.fy(pts[i].y);
            if (x >= 0 && x <= frame.width && y >= 0 && y <= frame.height) {
                lx = x;
                ly = y;
            }
            if (i > first && !std::isnan(pts[i - 1].x)) {
                const double px = frame.fx(pts[i - 1].x);
                const double py = frame.fy(pts[i - 1].y);
                const bool hit =
                    !std::isnan(fy) ? (py - fy) * (y - fy) <= 0.0 : (px - fx) * (x - fx) <= 0.0;
                if (hit && std::isnan(ax)) {
                    const double f = !std::isnan(fy) ? (y != py ? (fy - py) / (y - py) : 0.0)
                                                     : (x != px ? (fx - px) / (x - px) : 0.0);
                    ax = px + f * (x - px);
                    ay = py + f * (y - py);
                }
            }
        }
        if (std::isnan(ax)) {
            ax = std::isnan(lx) ? frame.width / 2 : lx;
            ay = std::isnan(ly) ? frame.height / 2 : ly;
        }
        return {line, std::move(text), first, last, ax, ay};
    }

    void saturation() {
        const double lo = opt.type == ChartType::pressure_enthalpy ? p_range.lo : fluid.p_lo;
        ChartLine& line = new_line(LineKind::saturation, NaN, std::string());
        Piece liquid =
            piece("ps-liquid", true, 0.0, lo, fluid.p_top, true, chart_detail::PHASES_ALL);
        liquid.end = &fluid.top_liquid;
        add(liquid, line.points);
        const std::size_t split = line.points.size();
        Piece vapour =
            piece("ps-vapour", true, 0.0, fluid.p_top, lo, true, chart_detail::PHASES_ALL);
        vapour.start = &fluid.top_vapour;
        add(vapour, line.points);
        std::size_t half = split;
        sampler.clip(line.points, &half);
        const int index = static_cast<int>(chart.lines.size()) - 1;
        const std::size_t n = chart.lines.back().points.size();
        const bool ph = opt.type == ChartType::pressure_enthalpy;
        labels.push_back(request(index, "x = 0", 0, half, NaN, (ph ? 0.3 : 0.6) * frame.height));
        labels.push_back(request(index, "x = 1", half, n, NaN, (ph ? 0.2 : 0.3) * frame.height));
    }

    // An isotherm (param p, (p, t) states) or an isobar (param t): through the saturation line
    // as the saturated states joined by the two-phase segment.
    void isoline_through_dome(const LineKind kind, const double value) {
        const bool isotherm = kind == LineKind::isotherm;
        const Range r = isotherm ? p_range : t_range;
        StateResult liquid = fluid.state(isotherm ? "ts-liquid" : "ps-liquid", value);
        StateResult vapour = fluid.state(isotherm ? "ts-vapour" : "ps-vapour", value);
        const bool crossing = liquid.status == STATUS_VALID && vapour.status == STATUS_VALID;
        ChartLine& line =
            new_line(kind, value, line_label(kind, value, fluid.options, opt.language));
        const int index = static_cast<int>(chart.lines.size()) - 1;
        // Isotherm: rising pressure, vapour then liquid; isobar: rising temperature, liquid then
        // vapour. The first stretch is labelled near the saturation line.
        std::size_t first_end = 0;
        const int field = isotherm ? FIELD_PRESSURE : FIELD_TEMPERATURE;
        const bool param_first = isotherm;
        if (crossing) {
            StateResult& first = isotherm ? vapour : liquid;
            StateResult& second = isotherm ? liquid : vapour;
            const double s1 = first.values[field];
            const double s2 = second.values[field];
            // Above the critical pressure the compressed liquid is a supercritical fluid.
            const unsigned ph1 =
                phase_bit(isotherm ? PHASE_VAPOUR : PHASE_LIQUID) | phase_bit(PHASE_SUPERCRITICAL);
            const unsigned ph2 =
                phase_bit(isotherm ? PHASE_LIQUID : PHASE_VAPOUR) | phase_bit(PHASE_SUPERCRITICAL);
            if (s1 > r.lo) {
                Piece p = piece("p-t", param_first, value, r.lo, std::min(s1, r.hi), isotherm, ph1);
                if (s1 <= r.hi) {
                    p.end = &first;
                }
                add(p, line.points);
            }
            first_end = line.points.size();
            if (s2 < r.hi) {
                Piece p = piece("p-t", param_first, value, std::max(s2, r.lo), r.hi, isotherm, ph2);
                if (s2 >= r.lo) {
                    p.start = &second;
                }
                add(p, line.points);
            }
        } else {
            add(piece("p-t", param_first, value, r.lo, r.hi, isotherm, chart_detail::PHASES_ALL),
                line.points);
        }
        sampler.clip(line.points, &first_end);
        if (line.points.empty()) {
            chart.lines.pop_back();
            return;
        }
        const std::size_t n = line.points.size();
        std::string text = line.label;
        const bool ph = opt.type == ChartType::pressure_enthalpy;
        if (crossing && isotherm && ph) {
            // Label on the vapour stretch just below the saturation line (its last point kept).
            const std::vector<ChartPoint>& pts = chart.lines.back().points;
            std::size_t last = std::min(first_end, n);
            while (last > 0 && std::isnan(pts[last - 1].x)) {
                --last;
            }
            LabelRequest q = request(index, text, 0, std::min(first_end + 1, n), NaN, NaN);
            if (last > 0) {
                q.anchor_x = frame.fx(pts[last - 1].x) + 30.0;
                q.anchor_y = frame.fy(pts[last - 1].y) - 30.0;
            }
            labels.push_back(q);
            // And on the compressed liquid near the top, where the steep lines stand apart.
            if (first_end < n) {
                labels.push_back(request(index, text, first_end, n, NaN, 0.93 * frame.height));
            }
        } else if (crossing && !isotherm && !ph) {
            // An isobar on T-s: on its vapour stretch, above the saturation line.
            labels.push_back(request(index, text, first_end, n, 0.8 * frame.width, NaN));
        } else {
            labels.push_back(request(index, text, 0, n, NaN, 0.9 * frame.height));
        }
    }

    void isentrope(const double s) {
        const StateResult lo_vapour = fluid.state("ps-vapour", std::max(p_range.lo, fluid.p_lo));
        const double s_lo =
            lo_vapour.status == STATUS_VALID ? lo_vapour.values[FIELD_ENTROPY] : NaN;
        const double s_top_v = fluid.top_vapour.values[FIELD_ENTROPY];
        const double s_top_l = fluid.top_liquid.values[FIELD_ENTROPY];
        double start = p_range.lo;
        if (s >= s_top_v && !(s >= s_lo)) {
            start = saturation_crossing(fluid, "ps-vapour", FIELD_ENTROPY, s, p_range.lo,
                                        fluid.p_top, true);
        } else if (s < s_top_v && s >= s_top_l) {
            start = fluid.p_top;
        } else if (s < s_top_l) {
            const StateResult lo_liquid =
                fluid.state("ps-liquid", std::max(p_range.lo, fluid.p_lo));
            if (lo_liquid.status == STATUS_VALID && s > lo_liquid.values[FIELD_ENTROPY]) {
                start = saturation_crossing(fluid, "ps-liquid", FIELD_ENTROPY, s, p_range.lo,
                                            fluid.p_top, true);
            }
        }
        single(LineKind::isentrope, s,
               piece("p-s", true, s, std::max(start, p_range.lo), p_range.hi, true,
                     chart_detail::PHASES_ALL),
               NaN, 0.88 * frame.height);
    }

    void isochore(const double rho) {
        const double t_lo = std::max(
            t_range.lo, fluid.temperature(model_constants(fluid.options).domain.min_temperature));
        const StateResult lo_vapour = fluid.state("ts-vapour", t_lo);
        const StateResult lo_liquid = fluid.state("ts-liquid", t_lo);
        const double r_top_v = fluid.top_vapour.values[FIELD_DENSITY];
        const double r_top_l = fluid.top_liquid.values[FIELD_DENSITY];
        double start = t_lo;
        if (rho > lo_vapour.values[FIELD_DENSITY] && rho <= r_top_v) {
            start = saturation_crossing(fluid, "ts-vapour", FIELD_DENSITY, rho, t_lo, fluid.t_top,
                                        false);
        } else if (rho > r_top_v && rho < r_top_l) {
            start = fluid.t_top;
        } else if (rho >= r_top_l && rho < lo_liquid.values[FIELD_DENSITY]) {
            start = saturation_crossing(fluid, "ts-liquid", FIELD_DENSITY, rho, t_lo, fluid.t_top,
                                        false);
        }
        const bool ph = opt.type == ChartType::pressure_enthalpy;
        single(LineKind::isochore, rho,
               piece("t-rho", true, rho, start, t_range.hi, false, chart_detail::PHASES_ALL),
               ph ? 0.9 * frame.width : NaN, ph ? NaN : 0.9 * frame.height);
    }

    void isenthalp(const double h) {
        single(LineKind::isenthalp, h,
               piece("p-h", true, h, p_range.lo, p_range.hi, true, chart_detail::PHASES_ALL), NaN,
               0.25 * frame.height);
    }

    void quality(const double x) {
        single(LineKind::quality, x,
               piece("p-x", true, x, std::max(p_range.lo, fluid.p_lo), fluid.p_top, true,
                     phase_bit(PHASE_TWO_PHASE)),
               NaN, (opt.type == ChartType::pressure_enthalpy ? 0.1 : 0.12) * frame.height);
    }

    void single(const LineKind kind, const double value, const Piece& p, const double fx,
                const double fy) {
        if (!(p.u0 < p.u1) && !(p.u0 > p.u1)) {
            return;
        }
        ChartLine& line =
            new_line(kind, value, line_label(kind, value, fluid.options, opt.language));
        add(p, line.points);
        sampler.clip(line.points);
        if (line.points.size() < 2) {
            chart.lines.pop_back();
            return;
        }
        const int index = static_cast<int>(chart.lines.size()) - 1;
        labels.push_back(request(index, line.label, 0, line.points.size(), fx, fy));
    }

    // The cycle: compression as a straight segment from 1 to 2, the isobar pc from 2 to 3, the
    // isenthalp from 3 to 4 and the isobar p0 from 4 to 1.
    void cycle(const CycleResult& c) {
        const StateResult& s1 = c.states[CYCLE_SUCTION];
        const StateResult& s2 = c.states[CYCLE_DISCHARGE];
        const StateResult& s3 = c.states[CYCLE_LIQUID];
        const StateResult& s4 = c.states[CYCLE_EVAPORATOR_INLET];
        const double p0 = s1.values[FIELD_PRESSURE];
        const double pc = s3.values[FIELD_PRESSURE];
        const int xf = chart.x.field;
        const int yf = chart.y.field;
        const auto point = [&](const StateResult& s) {
            return ChartPoint{s.values[xf], s.values[yf]};
        };
        ChartLine& line = new_line(LineKind::cycle, NaN, std::string());
        std::vector<ChartPoint>& pts = line.points;
        const StateResult c_vapour = fluid.state("ps-vapour", pc);
        const StateResult c_liquid = fluid.state("ps-liquid", pc);
        const StateResult e_vapour = fluid.state("ps-vapour", p0);
        const StateResult e_liquid = fluid.state("ps-liquid", p0);
        const unsigned all = chart_detail::PHASES_ALL;
        pts.push_back(point(s1));
        // 2 -> saturated vapour -> saturated liquid -> 3 at pc.
        Piece desuperheat =
            piece("p-t", false, pc, s2.values[FIELD_TEMPERATURE],
                  c_vapour.values[FIELD_TEMPERATURE], false, phase_bit(PHASE_VAPOUR));
        desuperheat.start = &s2;
        desuperheat.end = &c_vapour;
        add(desuperheat, pts);
        if (c.input.subcooling > 0.0) {
            Piece subcool = piece("p-t", false, pc, c_liquid.values[FIELD_TEMPERATURE],
                                  s3.values[FIELD_TEMPERATURE], false, phase_bit(PHASE_LIQUID));
            subcool.start = &c_liquid;
            subcool.end = &s3;
            add(subcool, pts);
        } else {
            pts.push_back(point(s3));
        }
        // 3 -> 4 at h3.
        Piece throttle = piece("p-h", true, s3.values[FIELD_ENTHALPY], pc, p0, true, all);
        throttle.start = &s3;
        throttle.end = &s4;
        add(throttle, pts);
        if (s4.phase == PHASE_LIQUID) {
            Piece heat = piece("p-t", false, p0, s4.values[FIELD_TEMPERATURE],
                               e_liquid.values[FIELD_TEMPERATURE], false, phase_bit(PHASE_LIQUID));
            heat.start = &s4;
            heat.end = &e_liquid;
            add(heat, pts);
        }
        // 4 -> saturated vapour -> 1 at p0.
        if (c.input.superheat > 0.0) {
            Piece superheat = piece("p-t", false, p0, e_vapour.values[FIELD_TEMPERATURE],
                                    s1.values[FIELD_TEMPERATURE], false, phase_bit(PHASE_VAPOUR));
            superheat.start = &e_vapour;
            superheat.end = &s1;
            add(superheat, pts);
        } else {
            pts.push_back(point(s1));
        }
        sampler.clip(pts);
        // The four points, their labels pushed away from the cycle's middle.
        double cx = 0.0;
        double cy = 0.0;
        for (const StateResult* s : {&s1, &s2, &s3, &s4}) {
            cx += 0.25 * frame.fx(s->values[xf]);
            cy += 0.25 * frame.fy(s->values[yf]);
        }
        const char* names[] = {"1", "2", "3", "4"};
        const StateResult* states[] = {&s1, &s2, &s3, &s4};
        for (int i = 0; i < 4; ++i) {
            const ChartPoint p = point(*states[i]);
            chart.markers.push_back({MarkerKind::cycle_point, names[i], p.x, p.y,
                                     frame.fx(p.x) - cx, frame.fy(p.y) - cy});
        }
    }
};

Range default_x_range(const ChartOptions& o, const Fluid& f, const double y_min) {
    const bool ph = o.type == ChartType::pressure_enthalpy;
    const int field = ph ? FIELD_ENTHALPY : FIELD_ENTROPY;
    const double step = from_base(RESULT_FIELDS[field].unit, o.calc.units, ph ? 100e3 : 500.0);
    const double lo =
        f.state("ts-liquid", f.temperature(model_constants(f.options).domain.min_temperature))
            .values[field];
    // The lowest pressure shown, within the domain (an axis above it takes its top).
    const double p_low = ph ? std::clamp(y_min, f.p_lo, f.p_hi) : f.round_pressure(1e4);
    double hi = f.state("p-t", p_low, f.temperature(200.0)).values[field];
    if (!(hi > lo)) {
        hi = f.state("p-t", f.p_lo, f.temperature(200.0)).values[field];
    }
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step};
}

// A value in a message: its text, or what kind of non-finite number it is.
std::string value_text(const double v) {
    if (std::isnan(v)) {
        return "NaN";
    }
    return std::isinf(v) ? (v > 0 ? "∞" : "−∞") : number_text(v);
}

// Why an axis range cannot be drawn; empty when it can.
std::string axis_problem(const double lo, const double hi, const bool log, const bool horizontal,
                         const bool en) {
    const char* axis = en ? (horizontal ? "the horizontal axis" : "the vertical axis")
                          : (horizontal ? "горизонтальная ось" : "вертикальная ось");
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        return std::string(axis) + ": " + value_text(lo) + (en ? " to " : " … ") + value_text(hi) +
               (en ? ", its ends must be finite numbers"
                   : ", её концы должны быть конечными числами");
    }
    if (!(lo < hi)) {
        return en ? (horizontal ? "the horizontal axis needs a range from a lower to a higher value"
                                : "the vertical axis needs a range from a lower to a higher value")
                  : (horizontal
                         ? "для горизонтальной оси нужен диапазон от меньшего значения к большему"
                         : "для вертикальной оси нужен диапазон от меньшего значения к большему");
    }
    if (!std::isfinite(hi - lo)) {
        return std::string(axis) + ": " + value_text(lo) + (en ? " to " : " … ") + value_text(hi) +
               (en ? " spans more than a double holds" : ": диапазон шире, чем вмещает double");
    }
    if (log && !(lo > 0.0)) {
        return en ? "the logarithmic pressure axis needs values above zero"
                  : "логарифмической оси давления нужны значения больше нуля";
    }
    return {};
}

// Why a size, font size or tolerance cannot be drawn; empty when it can.
std::string size_problem(const ChartOptions& o, const bool en) {
    struct Limit {
        const char* en;
        const char* ru;
        double value;
        double lo;
        double hi;
    };
    const Limit limits[] = {
        {"the plot's width", "ширина графика", o.width, CHART_MIN_SIZE, CHART_MAX_SIZE},
        {"the plot's height", "высота графика", o.height, CHART_MIN_SIZE, CHART_MAX_SIZE},
        {"the font size", "размер шрифта", o.font_size, CHART_MIN_FONT_SIZE, CHART_MAX_FONT_SIZE},
        {"the tolerance", "допуск", o.tolerance, CHART_MIN_TOLERANCE, CHART_MAX_TOLERANCE},
    };
    for (const Limit& l : limits) {
        if (!(l.value >= l.lo && l.value <= l.hi)) {
            return std::string(en ? l.en : l.ru) + " " + value_text(l.value) +
                   (en ? " is outside " : " вне пределов от ") + number_text(l.lo) +
                   (en ? " to " : " до ") + number_text(l.hi) +
                   (en ? " drawing units" : " единиц чертежа");
        }
    }
    return {};
}

// Why the lines or states asked for cannot be drawn; empty when they can.
std::string lines_problem(const ChartOptions& o, const bool en) {
    for (int k = 0; k < LINE_KIND_COUNT; ++k) {
        const LineSet& set = o.lines[static_cast<std::size_t>(k)];
        const std::string family = words(o.language).legend[k];
        if (set.values.size() > CHART_MAX_LINE_VALUES) {
            return family + ": " + std::to_string(set.values.size()) +
                   (en ? " values, at most " : " значений, не больше ") +
                   std::to_string(CHART_MAX_LINE_VALUES);
        }
        for (const double v : set.values) {
            if (!std::isfinite(v)) {
                return family + ": " + value_text(v) +
                       (en ? " is not a finite number" : " не конечное число");
            }
        }
    }
    if (o.states.size() > CHART_MAX_STATES) {
        return std::to_string(o.states.size()) +
               (en ? " states to mark, at most " : " состояний для отметки, не больше ") +
               std::to_string(CHART_MAX_STATES);
    }
    return {};
}

}  // namespace

bool is_chart_default(const double value) {
    return std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(CHART_DEFAULT);
}

const char* line_kind_name(const LineKind kind) {
    const int k = static_cast<int>(kind);
    return k >= 0 && k < LINE_KIND_COUNT ? KIND_NAMES[k] : "";
}

bool parse_line_kind(const std::string& name, LineKind& kind) {
    for (int k = 0; k < LINE_KIND_COUNT; ++k) {
        if (name == KIND_NAMES[k]) {
            kind = static_cast<LineKind>(k);
            return true;
        }
    }
    return false;
}

const char* chart_type_name(const ChartType type) {
    return type == ChartType::temperature_entropy ? "ts" : "ph";
}

bool line_kind_shown_by_default(const ChartType type, const LineKind kind) {
    const bool ph = type == ChartType::pressure_enthalpy;
    switch (kind) {
        case LineKind::isotherm:
        case LineKind::isentrope:
            return ph;
        case LineKind::isobar:
        case LineKind::isenthalp:
            return !ph;
        case LineKind::isochore:
        case LineKind::quality:
        case LineKind::saturation:
            return true;
        default:
            return false;
    }
}

std::vector<double> default_line_values(const ChartType type, const LineKind kind,
                                        const CalcOptions& options) {
    (void)type;
    std::vector<double> v;
    CalcOptions o = options;
    o.superheat = false;
    const auto state = [&](const char* name, const double a, const double b) {
        StateResult r;
        calculate_state(pair(name), a, b, o, r);
        return r;
    };
    // Nice multiples of `step` (SI) between two values in the chart's units.
    const auto multiples = [&](const int field, const double lo, const double hi,
                               const double step_si) {
        const double step = from_base(RESULT_FIELDS[field].unit, o.units, step_si);
        for (long long k = static_cast<long long>(std::ceil(lo / step)); k * step <= hi; ++k) {
            v.push_back(tidy_multiple(k, step));
        }
    };
    const double pressures[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200};  // bar
    const double low_p =
        round_to_significant_digits(from_base(UnitKind::pressure, o.units, 1e4), 15);
    const auto temperature = [&](const double celsius) {
        return from_base(UnitKind::temperature, o.units, celsius);
    };
    switch (kind) {
        case LineKind::isotherm: {
            // Every 20 degrees (40 in Fahrenheit) from -60 to 200 °C: -60, -40, ... in °C,
            // 220, 240, ... in kelvin.
            const double step = o.units.temperature == Unit::fahrenheit ? 40.0 : 20.0;
            const double lo = temperature(-60.0);
            const double hi = temperature(200.0);
            for (auto k = static_cast<long long>(std::ceil(lo / step)); k * step <= hi; ++k) {
                v.push_back(static_cast<double>(k) * step);
            }
            break;
        }
        case LineKind::isobar:
            for (const double p : pressures) {
                v.push_back(round_to_significant_digits(
                    from_base(UnitKind::pressure, o.units, p * 1e5), 15));
            }
            break;
        case LineKind::isentrope: {
            const double lo = state("ts-vapour", temperature(130.0), 0.0).values[FIELD_ENTROPY];
            const double hi = state("p-t", low_p, temperature(200.0)).values[FIELD_ENTROPY];
            multiples(FIELD_ENTROPY, lo, hi, 500.0);
            break;
        }
        case LineKind::isenthalp: {
            const double lo = state("ts-liquid", temperature(-60.0), 0.0).values[FIELD_ENTHALPY];
            const double hi = state("p-t", low_p, temperature(200.0)).values[FIELD_ENTHALPY];
            multiples(FIELD_ENTHALPY, lo, hi, 200e3);
            break;
        }
        case LineKind::isochore:
            v = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100};
            break;
        case LineKind::quality:
            v = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
            break;
        default:
            break;
    }
    return v;
}

int build_chart(const ChartOptions& o, Chart& chart, std::string& error) {
    chart = Chart{};
    error.clear();
    const bool ph = o.type == ChartType::pressure_enthalpy;
    chart.type = o.type;
    chart.options = o.calc;
    chart.options.superheat = false;
    chart.language = o.language;
    chart.width = o.width;
    chart.height = o.height;
    chart.font_size = o.font_size;
    const Words& w = words(o.language);
    chart.title = ph ? w.title_ph : w.title_ts;
    chart.subtitle = w.reference[static_cast<int>(o.calc.reference)];
    if (o.calc.model != DEFAULT_MODEL && is_model_index(o.calc.model)) {
        if (o.calc.reference == ReferenceState::program) {
            // The words give the default model's triple point; another model's is its lowest
            // temperature.
            chart.subtitle = with_triple_point(
                chart.subtitle, MODELS[o.calc.model].constants->domain.min_temperature, o.language);
        }
        chart.subtitle += chart_model_note(o.calc.model, o.language);
    }

    const Fluid fluid = make_fluid(chart.options);
    const Units& units = chart.options.units;
    const bool en = o.language == Language::english;
    error = size_problem(o, en);
    if (error.empty()) {
        error = lines_problem(o, en);
    }
    // The T-s chart's temperatures from -80 to 200 °C, widened to multiples of ten degrees.
    const double y_min = is_set(o.y_min) ? o.y_min
                         : ph            ? fluid.round_pressure(1e4)
                                         : std::floor(fluid.temperature(-80.0) / 10.0) * 10.0;
    const double y_max = is_set(o.y_max) ? o.y_max
                         : ph            ? fluid.round_pressure(2e7)
                                         : std::ceil(fluid.temperature(200.0) / 10.0) * 10.0;
    if (error.empty()) {
        error = axis_problem(y_min, y_max, ph, false, en);
    }
    if (!error.empty()) {
        return STATUS_BAD_ARGUMENT;
    }
    const Range xr = default_x_range(o, fluid, y_min);
    const double x_min = is_set(o.x_min) ? o.x_min : xr.lo;
    const double x_max = is_set(o.x_max) ? o.x_max : xr.hi;
    error = axis_problem(x_min, x_max, false, true, en);
    if (!error.empty()) {
        return STATUS_BAD_ARGUMENT;
    }
    chart.x =
        make_axis(ph ? FIELD_ENTHALPY : FIELD_ENTROPY, x_min, x_max, false, units, o.language);
    chart.y =
        make_axis(ph ? FIELD_PRESSURE : FIELD_TEMPERATURE, y_min, y_max, ph, units, o.language);

    // The cycle and the states first: a refusal costs no lines.
    CycleResult cycle;
    if (o.cycle && calculate_cycle(o.cycle_input, chart.options, cycle) != STATUS_VALID) {
        char text[600];
        describe_cycle_refusal(cycle, o.language, text, sizeof text);
        error = text;
        return STATUS_OUTSIDE_DOMAIN;
    }
    std::vector<StateResult> states(o.states.size());
    for (std::size_t i = 0; i < o.states.size(); ++i) {
        const ChartState& s = o.states[i];
        if (s.pair == nullptr) {
            error = en ? "a state without an argument pair" : "состояние без пары аргументов";
            return STATUS_BAD_ARGUMENT;
        }
        if (calculate_state(*s.pair, s.first, s.second, chart.options, states[i]) != STATUS_VALID) {
            char text[600];
            describe_refusal(states[i], o.language, text, sizeof text);
            error = std::string(s.pair->name) + " " + number_text(s.first) +
                    (s.pair->value_count > 1 ? " " + number_text(s.second) : std::string()) + ": " +
                    text;
            return states[i].status;
        }
    }

    const auto add_markers = [&] {
        for (std::size_t i = 0; i < o.states.size(); ++i) {
            const ChartState& s = o.states[i];
            const StateResult& r = states[i];
            chart.markers.push_back({MarkerKind::state,
                                     s.label.empty() ? state_label(*s.pair, s.first, s.second,
                                                                   chart.options, o.language)
                                                     : s.label,
                                     r.values[chart.x.field], r.values[chart.y.field], 1.0, 1.0});
        }
    };
    if (!o.draw_lines) {
        add_markers();
        return STATUS_VALID;
    }

    const auto cancelled = [&o] {
        return o.cancel != nullptr && o.cancel->load(std::memory_order_relaxed);
    };
    const auto stop = [&] {
        error = en ? "cancelled" : "прервано";
        return STATUS_BAD_ARGUMENT;
    };
    Builder b(o, chart, fluid, chart_detail::make_frame(chart));
    const LineKind families[] = {LineKind::quality,   LineKind::isotherm, LineKind::isobar,
                                 LineKind::isentrope, LineKind::isochore, LineKind::isenthalp};
    std::vector<double> values[LINE_KIND_COUNT];
    for (const LineKind kind : families) {
        const LineSet& set = o.lines[static_cast<int>(kind)];
        const bool show =
            set.show == LineSet::Show::yes ||
            (set.show == LineSet::Show::by_default && line_kind_shown_by_default(o.type, kind));
        if (show) {
            values[static_cast<int>(kind)] =
                set.values.empty() ? default_line_values(o.type, kind, chart.options) : set.values;
            b.lines_left += static_cast<long>(values[static_cast<int>(kind)].size());
        }
    }
    b.reserve = o.cycle ? CHART_LINE_POINT_BUDGET : 0;
    b.begin_line(true);
    b.saturation();
    b.end_line(true);
    for (const LineKind kind : families) {
        const LineSet& set = o.lines[static_cast<int>(kind)];
        const bool show =
            set.show == LineSet::Show::yes ||
            (set.show == LineSet::Show::by_default && line_kind_shown_by_default(o.type, kind));
        if (!show) {
            continue;
        }
        for (const double v : values[static_cast<int>(kind)]) {
            if (cancelled()) {
                return stop();
            }
            b.begin_line(false);
            switch (kind) {
                case LineKind::isotherm:
                case LineKind::isobar:
                    b.isoline_through_dome(kind, v);
                    break;
                case LineKind::isentrope:
                    b.isentrope(v);
                    break;
                case LineKind::isochore:
                    b.isochore(v);
                    break;
                case LineKind::isenthalp:
                    b.isenthalp(v);
                    break;
                case LineKind::quality:
                    b.quality(v);
                    break;
                default:
                    break;
            }
            b.end_line(false);
        }
        chart.legend.push_back({kind, legend_text(kind, chart.options, o.language)});
    }
    chart.legend.insert(
        chart.legend.begin(),
        {LineKind::saturation, legend_text(LineKind::saturation, chart.options, o.language)});
    if (o.cycle) {
        b.begin_line(true);
        b.cycle(cycle);
        b.end_line(true);
        std::string text = legend_text(LineKind::cycle, chart.options, o.language);
        const std::string degrees(unit_text(UnitKind::temperature, units, o.language));
        text += ": t0 = " + number_text(o.cycle_input.evaporating_temperature) + " " + degrees +
                ", tc = " + number_text(o.cycle_input.condensing_temperature) + " " + degrees +
                ", COP = ";
        char cop[32];
        const auto [end, ec] = std::to_chars(cop, cop + sizeof cop, cycle.figures[CYCLE_COP],
                                             std::chars_format::fixed, 2);
        text.append(cop, ec == std::errc{} ? end : cop);
        chart.legend.push_back({LineKind::cycle, text});
    }
    add_markers();
    // Labels: the saturation line's, then by family in the order above.
    chart_detail::place_labels(b.frame, o.font_size, chart.lines, b.labels, chart.markers,
                               chart.labels, o.cancel);
    return cancelled() ? stop() : STATUS_VALID;
}

}  // namespace zeltra5

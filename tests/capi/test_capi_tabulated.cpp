// The tabulated properties through the C interface: a handle per model and pair, one state or an
// array, against zeltra5_calculate on random (p, h) states of both models (the same status and
// phase, the fields within the table's accuracy outside the critical box, the same refusals in
// the same words), and every malformed call refused without a crash.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "zeltra5.h"

namespace {

constexpr int N = ZELTRA5_FIELD_COUNT;

std::string explain_calculate(double p, double h) {
    char text[300];
    zeltra5_explain("p-h", p, h, nullptr, text, sizeof text);
    return text;
}

std::string explain_tabulated(const zeltra5_tabulated* t, double p, double h) {
    char text[300];
    zeltra5_tabulated_explain(t, p, h, text, sizeof text);
    return text;
}

std::string explain_open(const char* model, const char* pair) {
    char text[300];
    zeltra5_tabulated_explain_open(model, pair, text, sizeof text);
    return text;
}

struct Constants {
    double Tc, pc, p_min, p_max, T_min, T_max;
};

Constants constants_of(const char* model) {
    double c[16];
    EXPECT_EQ(zeltra5_model_constants(model, c, zeltra5_model_constant_count()), ZELTRA5_VALID);
    // critical_temperature 2, critical_pressure 3, triple point temperature 5 (K).
    const bool gao = std::string(model) == "gao2023";
    return {c[2], c[3], gao ? 6.06e3 : 6.418e3, gao ? 1e9 : 8.447e7, c[5], gao ? 725.0 : 723.15};
}

// Where the table is held to its targets: outside the critical box and the zones its README
// section names (the near-critical ridge; gao2023's melting-line kink).
bool in_target_region(const Constants& c, double p, double T_K, bool gao) {
    const double tr = T_K / c.Tc, pr = p / c.pc;
    if (pr > 0.97 && pr < 3.0 && tr > 0.98 && tr < 1.2) {
        return false;
    }
    if (gao && p > 2.4e8 && p < 4.2e8 && T_K < 333.15) {
        return false;
    }
    return true;
}

struct FieldTolerance {
    int field;
    double relative;
    double scale;  // the magnitude below which the error is taken as absolute against it
};

// The table's targets: 1e-6 in rho, v, h, u, s, cp, cv, w and eta, h and u against at least
// R Tc (some 200 kJ/kg), s against R; the fields formed from them (x, kappa, nu, sigma, beta, r)
// to 1e-5; the conductivity and the Prandtl number to the table's own 1e-2 (README).
const FieldTolerance TOLERANCES[] = {
    {0, 1e-5, 1.0},   {1, 1e-12, 0.0},  {3, 1e-6, 2e5},  {4, 1e-6, 0.0},  {5, 1e-6, 0.0},
    {6, 1e-6, 2e5},   {7, 1e-6, 488.0}, {8, 1e-6, 0.0},  {9, 1e-6, 0.0},  {10, 1e-5, 0.0},
    {11, 1e-2, 0.0},  {12, 1e-5, 0.0},  {13, 1e-6, 0.0}, {14, 1e-2, 0.0}, {15, 1e-6, 0.0},
    {16, 1e-5, 1e-3}, {17, 1e-5, 0.0},  {18, 1e-5, 1e4},
};

class Tabulated : public ::testing::TestWithParam<const char*> {};

TEST_P(Tabulated, MatchesCalculateOnRandomStates) {
    const char* model = GetParam();
    const bool gao = std::string(model) == "gao2023";
    const Constants c = constants_of(model);
    zeltra5_tabulated* t = nullptr;
    ASSERT_EQ(zeltra5_tabulated_open(model, "p-h", &t), ZELTRA5_VALID)
        << explain_open(model, "p-h");
    const std::string options = std::string("model=") + model;
    std::mt19937_64 random(gao ? 2023 : 1993);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int compared = 0, refused = 0, mixtures = 0;
    for (int i = 0; i < 3000; ++i) {
        // A state of the domain by (p, T) or (p, x), its enthalpy nudged now and then beyond it.
        const double p = c.p_min * std::pow(c.p_max / c.p_min, unit(random));
        double v[N];
        int status = ZELTRA5_OUTSIDE_DOMAIN;
        if (i % 4 == 0) {
            status =
                zeltra5_calculate("p-x", p, unit(random), options.c_str(), v, N, nullptr, nullptr);
        } else {
            const double T = c.T_min + (c.T_max - c.T_min) * unit(random);
            status = zeltra5_calculate("p-t", p, T, options.c_str(), v, N, nullptr, nullptr);
        }
        if (status != ZELTRA5_VALID) {
            continue;
        }
        // Every 10th enthalpy pushed by up to 60 %: some beyond the domain's band.
        const double h = v[3] * (i % 10 == 0 ? 1.0 + 1.2 * (unit(random) - 0.5) : 1.0);
        double full[N], table[N];
        int full_phase = 0, full_detail = 0, table_phase = 0, table_detail = 0;
        const int full_status =
            zeltra5_calculate("p-h", p, h, options.c_str(), full, N, &full_phase, &full_detail);
        const int table_status =
            zeltra5_tabulated_calculate(t, p, h, table, N, &table_phase, &table_detail);
        ASSERT_EQ(table_status, full_status) << model << " p " << p << " h " << h;
        if (full_status != ZELTRA5_VALID) {
            ++refused;
            char text[300];
            zeltra5_explain("p-h", p, h, options.c_str(), text, sizeof text);
            EXPECT_EQ(explain_tabulated(t, p, h), text);
            continue;
        }
        EXPECT_EQ(explain_tabulated(t, p, h), "");
        ASSERT_EQ(table_phase, full_phase) << model << " p " << p << " h " << h;
        ASSERT_EQ(table_detail, full_detail);
        mixtures += full_phase == ZELTRA5_PHASE_TWO_PHASE;
        if (!in_target_region(c, p, full[2], gao)) {
            continue;
        }
        ++compared;
        EXPECT_NEAR(table[2], full[2], 1e-3) << model << " T at p " << p << " h " << h;
        for (const FieldTolerance& f : TOLERANCES) {
            const double a = table[f.field], b = full[f.field];
            ASSERT_EQ(std::isnan(a), std::isnan(b)) << model << " field " << f.field;
            if (!std::isnan(b)) {
                EXPECT_LE(std::fabs(a - b), f.relative * std::max(std::fabs(b), f.scale))
                    << model << " field " << f.field << " at p " << p << " h " << h << ": " << a
                    << " vs " << b;
            }
        }
    }
    EXPECT_GT(compared, 1500);
    EXPECT_GT(refused, 10);
    EXPECT_GT(mixtures, 100);
    EXPECT_EQ(zeltra5_tabulated_close(t), ZELTRA5_VALID);
}

TEST_P(Tabulated, ArrayIsEachPointsCall) {
    const char* model = GetParam();
    zeltra5_tabulated* t = nullptr;
    ASSERT_EQ(zeltra5_tabulated_open(model, "p-h", &t), ZELTRA5_VALID);
    const std::vector<double> p = {1e5, 1e6, 2e7, 1e6, 1e6, 1e3, NAN};
    const std::vector<double> h = {1.5e6, 1.2e6, 5e5, 1e8, -1e6, 1.5e6, 1e6};
    const int n = static_cast<int>(p.size());
    std::vector<double> values(static_cast<std::size_t>(n) * N);
    std::vector<int> phases(n), details(n), statuses(n);
    EXPECT_EQ(zeltra5_tabulated_calculate_array(t, n, p.data(), h.data(), values.data(), n * N,
                                                phases.data(), details.data(), statuses.data()),
              ZELTRA5_OUTSIDE_DOMAIN);
    for (int i = 0; i < n; ++i) {
        double one[N];
        int phase = 0, detail = 0;
        EXPECT_EQ(statuses[i], zeltra5_tabulated_calculate(t, p[i], h[i], one, N, &phase, &detail));
        EXPECT_EQ(phases[i], phase);
        EXPECT_EQ(details[i], detail);
        for (int k = 0; k < N; ++k) {
            const double a = values[static_cast<std::size_t>(i) * N + k];
            EXPECT_TRUE(a == one[k] || (std::isnan(a) && std::isnan(one[k])));
        }
    }
    EXPECT_EQ(statuses[6], ZELTRA5_BAD_ARGUMENT);  // NaN given
    // Every point valid, and the optional outputs left out.
    EXPECT_EQ(zeltra5_tabulated_calculate_array(t, 3, p.data(), h.data(), values.data(), 3 * N,
                                                nullptr, nullptr, nullptr),
              ZELTRA5_VALID);
    EXPECT_EQ(zeltra5_tabulated_calculate_array(t, 0, nullptr, nullptr, nullptr, 0, nullptr,
                                                nullptr, nullptr),
              ZELTRA5_VALID);
    EXPECT_EQ(zeltra5_tabulated_close(t), ZELTRA5_VALID);
}

TEST_P(Tabulated, ManyThreadsGetTheAnswersOfOne) {
    zeltra5_tabulated* t = nullptr;
    ASSERT_EQ(zeltra5_tabulated_open(GetParam(), "p-h", &t), ZELTRA5_VALID);
    std::vector<double> p, h, expected;
    for (int i = 0; i < 400; ++i) {
        p.push_back(1e5 * std::pow(1.02, i % 200));
        h.push_back(2e5 + 4e3 * i);
    }
    const int n = static_cast<int>(p.size());
    expected.resize(static_cast<std::size_t>(n) * N);
    zeltra5_tabulated_calculate_array(t, n, p.data(), h.data(), expected.data(), n * N, nullptr,
                                      nullptr, nullptr);
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int k = 0; k < 4; ++k) {
        threads.emplace_back([&, k] {
            zeltra5_tabulated* own = nullptr;  // a handle of its own as well as the shared one
            zeltra5_tabulated_open(GetParam(), "p-h", &own);
            for (int i = 0; i < n; ++i) {
                double v[N];
                zeltra5_tabulated_calculate(k % 2 == 0 ? t : own, p[i], h[i], v, N, nullptr,
                                            nullptr);
                for (int f = 0; f < N; ++f) {
                    const double e = expected[static_cast<std::size_t>(i) * N + f];
                    mismatches[k] += !(v[f] == e || (std::isnan(v[f]) && std::isnan(e)));
                }
            }
            zeltra5_tabulated_close(own);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
    EXPECT_EQ(zeltra5_tabulated_close(t), ZELTRA5_VALID);
}

INSTANTIATE_TEST_SUITE_P(Models, Tabulated, ::testing::Values("tr1993", "gao2023"));

struct OpenCase {
    const char* model;
    const char* pair;
    const char* explanation;
};

const OpenCase BAD_OPENS[] = {
    {nullptr, "p-h", "no model given"},
    {"tr1994", "p-h", "unknown model \"tr1994\" (tr1993, gao2023)"},
    {"tr1993", nullptr, "no argument pair given"},
    {"tr1993", "p-q", "unknown argument pair \"p-q\""},
    {"gao2023", "p-t", "no table is built for the pair \"p-t\" (p-h)"},
};

TEST(TabulatedOpen, BadModelsAndPairsAreRefusedAndExplained) {
    for (const OpenCase& c : BAD_OPENS) {
        zeltra5_tabulated* t = reinterpret_cast<zeltra5_tabulated*>(&t);  // overwritten with null
        EXPECT_EQ(zeltra5_tabulated_open(c.model, c.pair, &t), ZELTRA5_BAD_ARGUMENT)
            << c.explanation;
        EXPECT_EQ(t, nullptr);
        EXPECT_EQ(explain_open(c.model, c.pair), c.explanation);
    }
    EXPECT_EQ(explain_open("tr1993", "p-h"), "");
    EXPECT_EQ(zeltra5_tabulated_open("tr1993", "p-h", nullptr), ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(explain_open("tr1993", "p-h"), "\"handle\" is a null pointer");
    EXPECT_EQ(zeltra5_tabulated_explain_open("tr1993", "p-h", nullptr, 5), -1);
}

TEST(TabulatedHandle, NullClosedAndForeignHandlesAreRefused) {
    zeltra5_tabulated* t = nullptr;
    ASSERT_EQ(zeltra5_tabulated_open("tr1993", "p-h", &t), ZELTRA5_VALID);
    double v[N];
    int phase = 7;
    // Room for 18 values: refused, nothing written, explained on this thread.
    v[0] = 42.0;
    EXPECT_EQ(zeltra5_tabulated_calculate(t, 1e6, 1.5e6, v, N - 1, &phase, nullptr),
              ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(v[0], 42.0);
    EXPECT_EQ(phase, ZELTRA5_NO_PHASE);
    EXPECT_EQ(explain_tabulated(t, 1e6, 1.5e6), "room for 18 values in \"values\", 19 needed");
    EXPECT_EQ(zeltra5_tabulated_calculate(t, 1e6, 1.5e6, nullptr, N, nullptr, nullptr),
              ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(zeltra5_tabulated_calculate(t, 1e6, INFINITY, v, N, nullptr, nullptr),
              ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(explain_tabulated(t, 1e6, INFINITY), explain_calculate(1e6, INFINITY));
    double s[ZELTRA5_TABULATED_STATISTIC_COUNT];
    EXPECT_EQ(zeltra5_tabulated_statistics(t, s, ZELTRA5_TABULATED_STATISTIC_COUNT), ZELTRA5_VALID);
    EXPECT_GT(s[0], 1e6);  // bytes
    EXPECT_LT(s[0], 1e7);  // the 10 MB a table may hold
    EXPECT_GT(s[1], 1e4);  // nodes
    EXPECT_GT(s[4], 0.0);  // build seconds
    EXPECT_EQ(zeltra5_tabulated_statistics(t, s, 4), ZELTRA5_BAD_ARGUMENT);
    const double p[2] = {1e6, 1e6}, h[2] = {1.5e6, 1.6e6};
    double out[2 * N];
    EXPECT_EQ(
        zeltra5_tabulated_calculate_array(t, 2, p, h, out, 2 * N - 1, nullptr, nullptr, nullptr),
        ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(zeltra5_tabulated_calculate_array(t, -1, p, h, out, 2 * N, nullptr, nullptr, nullptr),
              ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(
        zeltra5_tabulated_calculate_array(t, 2, p, nullptr, out, 2 * N, nullptr, nullptr, nullptr),
        ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(zeltra5_tabulated_close(t), ZELTRA5_VALID);

    // Closed, null, or never opened (an address that is no handle): refused, never read.
    zeltra5_tabulated* foreign = reinterpret_cast<zeltra5_tabulated*>(v);
    for (zeltra5_tabulated* bad : {t, static_cast<zeltra5_tabulated*>(nullptr), foreign}) {
        EXPECT_EQ(zeltra5_tabulated_calculate(bad, 1e6, 1.5e6, v, N, &phase, nullptr),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(
            zeltra5_tabulated_calculate_array(bad, 2, p, h, out, 2 * N, nullptr, nullptr, nullptr),
            ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(zeltra5_tabulated_statistics(bad, s, ZELTRA5_TABULATED_STATISTIC_COUNT),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(zeltra5_tabulated_close(bad), ZELTRA5_BAD_ARGUMENT);
    }
    EXPECT_EQ(explain_tabulated(t, 1e6, 1.5e6),
              "the handle is not an open table (never opened, or closed)");
    EXPECT_EQ(explain_tabulated(nullptr, 1e6, 1.5e6), "\"handle\" is a null pointer");
}

// A closed handle stays closed whatever is opened after it: it never answers for, nor closes,
// a later handle (handles are not addresses that a later open could be given again).
TEST(TabulatedHandle, AClosedHandleNeverStandsForALaterOne) {
    for (int round = 0; round < 50; ++round) {
        zeltra5_tabulated* first = nullptr;
        ASSERT_EQ(zeltra5_tabulated_open("tr1993", "p-h", &first), ZELTRA5_VALID);
        ASSERT_EQ(zeltra5_tabulated_close(first), ZELTRA5_VALID);
        zeltra5_tabulated* second = nullptr;
        ASSERT_EQ(zeltra5_tabulated_open("gao2023", "p-h", &second), ZELTRA5_VALID);
        EXPECT_NE(first, second);
        double v[N];
        EXPECT_EQ(zeltra5_tabulated_calculate(first, 1e6, 1.5e6, v, N, nullptr, nullptr),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(zeltra5_tabulated_close(first), ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(zeltra5_tabulated_calculate(second, 1e6, 1.5e6, v, N, nullptr, nullptr),
                  ZELTRA5_VALID);
        EXPECT_EQ(zeltra5_tabulated_close(second), ZELTRA5_VALID);
    }
}

}  // namespace

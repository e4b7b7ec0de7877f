#pragma once
// Optional per-thread counts of the expensive calls, for tests and the soak run that bound the
// work one request may do. Compiled in only with ZELTRA5_EVALUATION_COUNTERS defined (the CMake
// option of that name); otherwise every count stays zero and the macro costs nothing.

namespace zeltra5 {

struct EvaluationCounters {
    unsigned long long evaluate_state;
    unsigned long long pressure_at;
    unsigned long long saturation_by_temperature;
    unsigned long long saturation_by_pressure;
    unsigned long long density_solver;
};

#ifdef ZELTRA5_EVALUATION_COUNTERS
inline constexpr bool EVALUATION_COUNTERS_ENABLED = true;
inline EvaluationCounters& evaluation_counters() {
    thread_local EvaluationCounters counters{};
    return counters;
}
#define ZELTRA5_COUNT(field) (++::zeltra5::evaluation_counters().field)
#else
inline constexpr bool EVALUATION_COUNTERS_ENABLED = false;
inline EvaluationCounters& evaluation_counters() {
    thread_local EvaluationCounters counters{};
    return counters;
}
#define ZELTRA5_COUNT(field) ((void)0)
#endif

inline void reset_evaluation_counters() {
    evaluation_counters() = EvaluationCounters{};
}

}  // namespace zeltra5

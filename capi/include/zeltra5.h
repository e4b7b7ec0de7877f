/*
 * zeltra5.h - the C interface of zeltra5, the thermophysical properties of ammonia.
 *
 * Plain C (C89 and later, and C++), one shared library: libzeltra5.so.1 on Linux, zeltra5.dll on
 * 64-bit Windows. Every function takes and returns plain values; text goes in as NUL-terminated
 * ASCII and comes out as UTF-8, either as a pointer to a constant string that lives as long as the
 * library (never freed by the caller) or into the caller's buffer, bounded by its size and always
 * terminated.
 *
 * Thread safety: the library keeps no state between calls. Every function may be called from
 * several threads at once, and gives the same answer as from one.
 *
 * A state is asked for as on the command line: an argument pair by name and one or two values.
 *   pair      "p-x", "ps-liquid", "ps-vapour", "ts-liquid", "ts-vapour", "p-t", "p-h", "p-u",
 *             "p-s", "p-rho", "t-rho". The ps-* and ts-* pairs (saturated liquid or vapour at a
 *             pressure or a temperature) take only `first`; `second` is then not read.
 *   options   NULL or "" for the defaults, or "key=value" items separated by ';' (blanks around
 *             keys and values allowed, each key at most once; anything else is a bad argument):
 *               units=si|display      si (default): Pa, degC, J/kg, J/(kg K), kg/m3, ...;
 *                                     display: the Windows program's bar, degC, kJ/kg,
 *                                     kJ/(kg degC), every other quantity as in si
 *               reference=default|iir|ashrae|nbp   the reference state of h, u and s (given h, u,
 *                                     s are read on it too): default h = s = 0 for the saturated
 *                                     liquid at the triple point; iir h = 200 kJ/kg,
 *                                     s = 1 kJ/(kg K) at 0 degC; ashrae h = s = 0 at -40 degC;
 *                                     nbp h = s = 0 at the normal boiling point
 *               superheat=0|1         1: the superheated (metastable) liquid instead of the
 *                                     stable state; not with the ps-* and ts-* pairs
 *               lang=en|ru            language of the texts (units, phase names, explanations)
 *   first, second   the values of the pair in the options' units, temperatures in degC; they must
 *             be finite numbers.
 *
 * Status of a calculation: ZELTRA5_VALID, ZELTRA5_OUTSIDE_DOMAIN (no valid state: the values lie
 * outside the domain of the equation of state or no state reproduces them; never a plausible
 * number instead) or ZELTRA5_BAD_ARGUMENT (the request itself is malformed: a null pointer, an
 * unknown name or option, a value that is not a finite number, storage too small).
 */
#ifndef ZELTRA5_H
#define ZELTRA5_H

#define ZELTRA5_VERSION_MAJOR 1
#define ZELTRA5_VERSION_MINOR 0
#define ZELTRA5_VERSION_PATCH 0
#define ZELTRA5_VERSION_STRING "1.0.0"

#if defined(_WIN32)
#if defined(ZELTRA5_BUILDING_LIBRARY)
#define ZELTRA5_API __declspec(dllexport)
#else
#define ZELTRA5_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define ZELTRA5_API __attribute__((visibility("default")))
#else
#define ZELTRA5_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status of a calculation. */
#define ZELTRA5_VALID 0
#define ZELTRA5_OUTSIDE_DOMAIN 1
#define ZELTRA5_BAD_ARGUMENT 2

/* The fields of a result, in the order of zeltra5_calculate's values and of the command line's
 * JSON and CSV output: machine name, short symbol, unit in si / display units.
 *  0 relative_enthalpy         x      -                       quality in the two-phase region
 *  1 pressure                  p      Pa / bar
 *  2 temperature               t      degC
 *  3 specific_enthalpy         h      J/kg / kJ/kg
 *  4 mass_density              rho    kg/m3
 *  5 specific_volume           v      m3/kg
 *  6 specific_internal_energy  u      J/kg / kJ/kg
 *  7 specific_entropy          s      J/(kg K) / kJ/(kg degC)
 *  8 isobaric_heat_capacity    cp     J/(kg K) / kJ/(kg degC)
 *  9 isochoric_heat_capacity   cv     J/(kg K) / kJ/(kg degC)
 * 10 isentropic_coefficient    kappa  -
 * 11 thermal_conductivity      lambda W/(m K)
 * 12 kinematic_viscosity       nu     m2/s
 * 13 dynamic_viscosity         eta    Pa s
 * 14 prandtl_number            pr     -
 * 15 speed_of_sound            w      m/s
 * 16 surface_tension           sigma  N/m
 * 17 expansion_coefficient     beta   1/K
 * 18 latent_heat               r      J/kg / kJ/kg
 * A field the result table leaves blank for the state's phase (the heat capacities of a
 * two-phase mixture, the latent heat of a single-phase state, ...) is NaN: undefined, not zero.
 */
#define ZELTRA5_FIELD_COUNT 19

/* Phase of a valid result (phase) and its detail (phase_detail); ZELTRA5_NO_PHASE for both when
 * the result is not valid. */
#define ZELTRA5_PHASE_TWO_PHASE 0
#define ZELTRA5_PHASE_LIQUID 1
#define ZELTRA5_PHASE_VAPOUR 2
#define ZELTRA5_PHASE_SUPERCRITICAL 3
#define ZELTRA5_DETAIL_SUBCOOLED (-1)
#define ZELTRA5_DETAIL_SATURATED 0
#define ZELTRA5_DETAIL_SUPERHEATED 1
#define ZELTRA5_DETAIL_SUPERCRITICAL 3
#define ZELTRA5_NO_PHASE (-2)

/* The side of zeltra5_saturated. */
#define ZELTRA5_LIQUID 1
#define ZELTRA5_VAPOUR 2

/* The library's version, "1.0.0": compare with ZELTRA5_VERSION_STRING to catch a header and a
 * library of different releases. */
ZELTRA5_API const char* zeltra5_version(void);

/* One property of one state, for a spreadsheet cell: `property` is a field's machine name
 * ("specific_enthalpy") or its symbol ("h"), see the table above. Answers NaN when the state is
 * outside the domain, when the field is undefined for the state's phase and for a bad argument;
 * zeltra5_calculate tells these apart. */
ZELTRA5_API double zeltra5_property(const char* property, const char* pair, double first,
                                    double second, const char* options);

/* The whole result: the ZELTRA5_FIELD_COUNT fields in the table's order into values[0..count-1]
 * (count at least ZELTRA5_FIELD_COUNT; NaN where undefined, every field NaN when not valid), the
 * phase and its detail into *phase and *phase_detail (ZELTRA5_NO_PHASE when not valid; either
 * pointer may be null when not wanted). Answers the status. values null or count too small is a
 * bad argument, and then nothing is written into values. */
ZELTRA5_API int zeltra5_calculate(const char* pair, double first, double second,
                                  const char* options, double* values, int count, int* phase,
                                  int* phase_detail);

/* The saturated liquid (side ZELTRA5_LIQUID) or vapour (ZELTRA5_VAPOUR) at the pressure of the
 * state zeltra5_calculate gives for the same arguments, as the Windows program shows them beside
 * it; outputs and status as there. Outside the domain also when that state is supercritical. */
ZELTRA5_API int zeltra5_saturated(const char* pair, double first, double second,
                                  const char* options, int side, double* values, int count,
                                  int* phase, int* phase_detail);

/* Why the same arguments give no valid result, in words that name the value and the limit it
 * broke ("temperature 500 degC is above 450 degC"), in the options' units, reference and
 * language; the empty text for a valid result. Writes at most `size` bytes into `buffer`, always
 * terminated when size > 0 (a longer text is cut at a whole UTF-8 character), and answers the
 * length in bytes of the whole text without the terminator, as snprintf does: a result >= size
 * means it was cut. buffer may be null when size is 0. Answers -1, and writes nothing, when size
 * is negative or buffer is null with size > 0. */
ZELTRA5_API int zeltra5_explain(const char* pair, double first, double second, const char* options,
                                char* buffer, int size);

/* The same for zeltra5_saturated. */
ZELTRA5_API int zeltra5_explain_saturated(const char* pair, double first, double second,
                                          const char* options, int side, char* buffer, int size);

/* The fields without a copy of the table: their number (ZELTRA5_FIELD_COUNT), a field's machine
 * name and symbol (null outside 0 to count - 1), the field of a name or symbol (exact; -1 when
 * there is none), and the unit in the options' units and language ("bar", "kJ/kg", the degree
 * sign and "C", "" for a dimensionless field; null outside 0 to count - 1 or for bad options). */
ZELTRA5_API int zeltra5_field_count(void);
ZELTRA5_API const char* zeltra5_field_name(int field);
ZELTRA5_API const char* zeltra5_field_symbol(int field);
ZELTRA5_API int zeltra5_field_index(const char* name);
ZELTRA5_API const char* zeltra5_field_unit(int field, const char* options);

/* 1 when a state of this phase and detail has a value in `field`, else 0 (the rule behind the
 * NaN of undefined fields). */
ZELTRA5_API int zeltra5_field_defined(int phase, int phase_detail, int field);

/* The name of a phase and detail in the options' language ("Superheated vapour"); "" for a pair
 * that names none, null for bad options. */
ZELTRA5_API const char* zeltra5_phase_name(int phase, int phase_detail, const char* options);

/* The argument pairs: their number (11) and names in the Windows program's menu order (null
 * outside 0 to count - 1), and how many values a pair takes (1 or 2; 0 for an unknown name). */
ZELTRA5_API int zeltra5_pair_count(void);
ZELTRA5_API const char* zeltra5_pair_name(int index);
ZELTRA5_API int zeltra5_pair_value_count(const char* pair);

#ifdef __cplusplus
}
#endif

#endif /* ZELTRA5_H */

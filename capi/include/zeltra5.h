/*
 * zeltra5.h - the C interface of zeltra5, the thermophysical properties of ammonia.
 *
 * Plain C (C89 and later, and C++), one shared library: libzeltra5.so.1 on Linux, zeltra5.dll on
 * 64-bit Windows. Every function takes and returns plain values; text goes in as NUL-terminated
 * ASCII and comes out as UTF-8, either as a pointer to a constant string that lives as long as the
 * library (never freed by the caller) or into the caller's buffer, bounded by its size and always
 * terminated.
 *
 * Thread safety: every function may be called from several threads at once, and gives the same
 * answer as from one. The library keeps nothing between calls but, for each thread on its own,
 * the reason of that thread's last refusal that the explaining functions could not see in their
 * own arguments (storage too small, an unknown property name; see zeltra5_explain): a call never
 * sees another thread's calls.
 *
 * A state is asked for as on the command line: an argument pair by name and one or two values.
 *   pair      "p-x", "ps-liquid", "ps-vapour", "ts-liquid", "ts-vapour", "p-t", "p-h", "p-u",
 *             "p-s", "p-rho", "t-rho", "t-x", "t-h", "t-s", "t-u", "rho-h", "rho-s", "rho-u",
 *             "h-s". The ps-* and ts-* pairs (saturated liquid or vapour at a pressure or a
 *             temperature) take only `first`; `second` is then not read.
 *   options   NULL or "" for the defaults, or "key=value" items separated by ';' (blanks around
 *             keys and values allowed, each key at most once; anything else is a bad argument):
 *               units=U               si (default): Pa, K, J/kg, J/(kg K), kg/m3, ...;
 *                                     si-celsius: si with degC (what si meant up to 1.2);
 *                                     display: the Windows program's bar, degC, kJ/kg,
 *                                     kJ/(kg degC), every other quantity as in si;
 *                                     then, or alone (on si), a unit per quantity, items
 *                                     separated by commas: p=Pa|kPa|MPa|bar|psi,
 *                                     t=K|degC|degF, h=J/kg|kJ/kg (also u and r),
 *                                     s=J/(kg*K)|kJ/(kg*K) (also cp and cv):
 *                                     "units=p=kPa,t=degC", "units=display,t=K"
 *               reference=default|iir|ashrae|nbp   the reference state of h, u and s (given h, u,
 *                                     s are read on it too): default h = s = 0 for the saturated
 *                                     liquid at the triple point; iir h = 200 kJ/kg,
 *                                     s = 1 kJ/(kg K) for the saturated liquid at 0 degC;
 *                                     ashrae h = s = 0 for the saturated liquid at -40 degC;
 *                                     nbp h = s = 0 for the saturated liquid at the normal
 *                                     boiling point, 101325 Pa
 *               superheat=0|1         1: the superheated (metastable) liquid instead of the
 *                                     stable state; not with the ps-* and ts-* pairs
 *               lang=en|ru            language of the texts (units, phase names, explanations)
 *               model=tr1993|gao2023  the equation of state (zeltra5_model_name): tr1993 (the
 *                                     default) the equation of 1993, gao2023 the reference
 *                                     equation of 2023 (Gao et al.) with the transport
 *                                     correlations of 2018; every result, table, cycle and
 *                                     diagram of these options is the model's, and the
 *                                     reference states are each model's own saturated liquid
 *   first, second   the values of the pair in the options' units; they must be finite numbers.
 *
 * Status of a calculation: ZELTRA5_VALID, ZELTRA5_OUTSIDE_DOMAIN (no valid state: the values lie
 * outside the domain of the equation of state or no state reproduces them; never a plausible
 * number instead) or ZELTRA5_BAD_ARGUMENT (the request itself is malformed: a null pointer, an
 * unknown name or option, a value that is not a finite number, storage too small);
 * zeltra5_property_v2 adds ZELTRA5_UNDEFINED (a valid state without a value of that field).
 */
#ifndef ZELTRA5_H
#define ZELTRA5_H

#define ZELTRA5_VERSION_MAJOR 1
#define ZELTRA5_VERSION_MINOR 8
#define ZELTRA5_VERSION_PATCH 0
#define ZELTRA5_VERSION_STRING "1.8.0"
/* The version as one number, MAJOR * 10000 + MINOR * 100 + PATCH (10800 for 1.8.0), for
 * comparisons in the preprocessor and against zeltra5_version_number(). */
#define ZELTRA5_VERSION_NUMBER \
    (ZELTRA5_VERSION_MAJOR * 10000 + ZELTRA5_VERSION_MINOR * 100 + ZELTRA5_VERSION_PATCH)

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
/* zeltra5_property_v2 only: the state is valid, but the field has no value for its phase (the
 * heat capacities of a two-phase mixture, the latent heat of a single-phase state, ...). */
#define ZELTRA5_UNDEFINED 3

/* The fields of a result, in the order of zeltra5_calculate's values and of the command line's
 * JSON and CSV output: machine name, short symbol, unit in si / display units.
 *  0 relative_enthalpy         x      -                       quality in the two-phase region
 *  1 pressure                  p      Pa / bar
 *  2 temperature               t      K / degC
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

/* The library's version, "1.8.0": compare with ZELTRA5_VERSION_STRING to catch a header and a
 * library of different releases. */
ZELTRA5_API const char* zeltra5_version(void);

/* The library's version as one number, MAJOR * 10000 + MINOR * 100 + PATCH (10800 for 1.8.0):
 * compare with ZELTRA5_VERSION_NUMBER. A library of the same major version keeps every function
 * and contract of an older minor version. */
ZELTRA5_API int zeltra5_version_number(void);

/* One property of one state, for a spreadsheet cell: `property` is a field's machine name
 * ("specific_enthalpy") or its symbol ("h"), see the table above. Answers NaN when the state is
 * outside the domain, when the field is undefined for the state's phase and for a bad argument;
 * zeltra5_calculate and zeltra5_property_v2 tell these apart. */
ZELTRA5_API double zeltra5_property(const char* property, const char* pair, double first,
                                    double second, const char* options);

/* The same value as zeltra5_property, with the reason of a NaN into *status (when status is not
 * null): ZELTRA5_VALID (the value is a number), ZELTRA5_OUTSIDE_DOMAIN (no valid state),
 * ZELTRA5_UNDEFINED (a valid state, but the field has no value for its phase) or
 * ZELTRA5_BAD_ARGUMENT (an unknown property name or a malformed state request). zeltra5_explain
 * with the same pair, values and options says why, in words. */
ZELTRA5_API double zeltra5_property_v2(const char* property, const char* pair, double first,
                                       double second, const char* options, int* status);

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
 * language; the empty text for a valid result. When these arguments are well-formed and valid,
 * but this thread's last call to zeltra5_calculate, zeltra5_property or zeltra5_property_v2 had
 * the same pair, values and options and was refused for an argument that explain does not take
 * (values null or count too small, an unknown property name; a field undefined for the phase
 * with zeltra5_property_v2 only), that refusal is explained instead; the explaining functions
 * below do the same for the calls they explain. Writes at most `size` bytes into `buffer`, always
 * terminated when size > 0 (a longer text is cut at a whole UTF-8 character), and answers the
 * length in bytes of the whole text without the terminator, as snprintf does: a result >= size
 * means it was cut. buffer may be null when size is 0. Answers -1, and writes nothing, when size
 * is negative or buffer is null with size > 0. */
ZELTRA5_API int zeltra5_explain(const char* pair, double first, double second, const char* options,
                                char* buffer, int size);

/* The same for zeltra5_saturated (side included in the same arguments). */
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

/* Version 2 of the fields: the nineteen above, then the outputs computed on request, after them
 * in this order (machine name, symbol, unit in si / display units):
 * 19 compressibility_factor            Z        -                 p / (rho R T)
 * 20 joule_thomson_coefficient         mu_jt    K/Pa / K/bar      (dT/dp)_h
 * 21 isothermal_compressibility        kappa_t  1/Pa / 1/bar      (1/rho) (drho/dp)_T
 * 22 specific_gibbs_energy             g        J/kg / kJ/kg      h - T s, on the reference state
 * 23 specific_helmholtz_energy         a        J/kg / kJ/kg      u - T s, on the reference state
 * 24 fugacity                          f        Pa / bar
 * 25 fugacity_coefficient              phi      -                 f / p
 * 26 ideal_gas_isobaric_heat_capacity  cp0      J/(kg K) / kJ/(kg degC)
 * 27 second_virial_coefficient         B        m3/kg
 * 28 third_virial_coefficient          C        m6/kg2
 * 29 saturation_pressure_slope         dpsat_dt Pa/K / bar/K      dp/dT along saturation
 * 30 pressure_temperature_derivative   dp_dt    Pa/K / bar/K      (dp/dT)_rho
 * 31 pressure_density_derivative       dp_drho  Pa/(kg/m3) / bar/(kg/m3)   (dp/drho)_T
 * 32 phase_identification_parameter    pip      -                 > 1 liquid-like, < 1 vapour-like
 * Temperature differences are in degF-degrees when temperatures are in degF (t=degF). A two-phase
 * mixture has Z, g, a, f, phi, cp0, B, C and the saturation slope; the slope is defined for
 * two-phase and saturated states only; undefined fields are NaN. */
#define ZELTRA5_FIELD_COUNT_V2 33

/* zeltra5_field_count and its neighbours for every field of version 2 (ZELTRA5_FIELD_COUNT_V2):
 * the first ZELTRA5_FIELD_COUNT are those of version 1. */
ZELTRA5_API int zeltra5_field_count_v2(void);
ZELTRA5_API const char* zeltra5_field_name_v2(int field);
ZELTRA5_API const char* zeltra5_field_symbol_v2(int field);
ZELTRA5_API int zeltra5_field_index_v2(const char* name);
ZELTRA5_API const char* zeltra5_field_unit_v2(int field, const char* options);
ZELTRA5_API int zeltra5_field_defined_v2(int phase, int phase_detail, int field);

/* The chosen fields of one state: `fields` names them, comma-separated, by machine name or symbol
 * ("h,Z,mu_jt"), or is null or "" for all ZELTRA5_FIELD_COUNT_V2 in order; their values go into
 * values[0..n-1] in the list's order (count at least n; NaN where undefined, all NaN when not
 * valid), phase and detail as zeltra5_calculate writes them. Answers the status. An unknown name,
 * an empty item, values null or count too small is a bad argument (zeltra5_explain with the same
 * pair, values and options says which), and then nothing is written into values. The outputs
 * after the nineteen cost one more evaluation of the equation and are computed only when the
 * list asks for one of them. */
ZELTRA5_API int zeltra5_calculate_fields(const char* pair, double first, double second,
                                         const char* options, const char* fields, double* values,
                                         int count, int* phase, int* phase_detail);

/* The constants of an equation of state (a name of zeltra5_model_name, or null or "" for the
 * default), SI with temperatures in K, into values[0..count-1] (count at least
 * zeltra5_model_constant_count()): molar_mass kg/mol, gas_constant J/(kg K),
 * critical_temperature K, critical_pressure Pa, critical_density kg/m3,
 * triple_point_temperature K (the model's lowest temperature), triple_point_pressure Pa,
 * triple_point_liquid_density and triple_point_vapour_density kg/m3 (the model's own phase
 * equilibrium there). Answers ZELTRA5_VALID, or ZELTRA5_BAD_ARGUMENT for
 * an unknown model or too little room (nothing written). Names and units by index (null outside
 * 0 to count - 1). */
ZELTRA5_API int zeltra5_model_constant_count(void);
ZELTRA5_API const char* zeltra5_model_constant_name(int index);
ZELTRA5_API const char* zeltra5_model_constant_unit(int index);
ZELTRA5_API int zeltra5_model_constants(const char* model, double* values, int count);

/* The equations of state: their number (2 since 1.5), a model's name by index ("tr1993", the
 * default, then "gao2023"; null outside 0 to count - 1), as the option model= and
 * zeltra5_model_constants take it; and the model whose results the options give: the name in
 * their model= item, the default's for options without one (null or ""), null for bad options.
 * Every result, table, cycle and diagram of these options is that model's. */
ZELTRA5_API int zeltra5_model_count(void);
ZELTRA5_API const char* zeltra5_model_name(int index);
ZELTRA5_API const char* zeltra5_options_model(const char* options);

/* The name of a phase and detail in the options' language ("Superheated vapour"); "" for a pair
 * that names none, null for bad options. */
ZELTRA5_API const char* zeltra5_phase_name(int phase, int phase_detail, const char* options);

/* The argument pairs: their number (11) and names in the Windows program's menu order (null
 * outside 0 to count - 1), and how many values a pair takes (1 or 2; 0 for an unknown name). */
ZELTRA5_API int zeltra5_pair_count(void);
ZELTRA5_API const char* zeltra5_pair_name(int index);
ZELTRA5_API int zeltra5_pair_value_count(const char* pair);
/* Every pair the library calculates (19 since 1.4): the eleven above in the same order, then
 * "t-x", "t-h", "t-s", "t-u", "rho-h", "rho-s", "rho-u", "h-s". */
ZELTRA5_API int zeltra5_pair_count_v2(void);
ZELTRA5_API const char* zeltra5_pair_name_v2(int index);

/* ---- The Windows program's result table ----
 * Its rows: their number (ZELTRA5_TABLE_ROW_COUNT, 20), the field a row shows (-1 for row 0,
 * the phase, and outside 0 to count - 1) and the row's name in the options' language ("Pressure";
 * null outside 0 to count - 1 or for bad options). */
#define ZELTRA5_TABLE_ROW_COUNT 20
ZELTRA5_API int zeltra5_table_row_count(void);
ZELTRA5_API int zeltra5_table_row_field(int row);
ZELTRA5_API const char* zeltra5_table_row_name(int row, const char* options);

/* ---- Property tables ----
 * kind      "saturation-t" (the saturated liquid and vapour at each temperature),
 *           "saturation-p" (the saturated liquid and vapour at each pressure), "isotherm" (p-t
 *           at each pressure, `fixed` the temperature), "isobar" (p-t at each temperature,
 *           `fixed` the pressure), "isochore" (t-rho at each temperature, `fixed` the
 *           density). Where an isotherm or isobar
 *           crosses the saturation line, the saturated liquid and vapour rows are inserted.
 * fixed     the value held, in the options' units; not read for the saturation tables, else a
 *           finite number.
 * values    the varied values as the command line takes them: "FROM:TO:STEP" ("-70:130:5"),
 *           "FROM:TO:*FACTOR" ("1:100:*1.5") or a list ("1,2,5"); at most 10000 values.
 * options   as above; superheat=1 applies to isotherms, isobars and isochores only.
 * A row outside the domain stays in the table with its status (never a plausible number).
 *
 * zeltra5_table_csv writes exactly the CSV that `zeltra5-calc table ... --csv` prints for the
 * same request and options (UTF-8, lines ended by '\n'), with the snprintf contract of
 * zeltra5_explain: at most `size` bytes, always terminated when size > 0 (cut at a whole UTF-8
 * character), answering the length of the whole text. Answers -1, and writes only the
 * terminator, for a bad argument (a malformed kind, range or options; a buffer null with
 * size > 0; size negative); zeltra5_explain_table says why. */
ZELTRA5_API int zeltra5_table_csv(const char* kind, double fixed, const char* values,
                                  const char* options, char* buffer, int size);

/* Why the same arguments are a bad argument ("range \"0:10:0\": the step is zero"); the empty text
 * for a well-formed request, unless this thread's last call to zeltra5_table_values or
 * zeltra5_table_csv with the same kind, fixed value, range and options was refused for its
 * storage (out, capacity, buffer, size): then that. Buffer contract and -1 as zeltra5_explain. */
ZELTRA5_API int zeltra5_explain_table(const char* kind, double fixed, const char* values,
                                      const char* options, char* buffer, int size);

/* The table as numbers, for a spreadsheet range: ZELTRA5_TABLE_COLUMNS doubles per row, row after
 * row, into out[0 .. rows * ZELTRA5_TABLE_COLUMNS - 1]:
 *   0  row kind: ZELTRA5_ROW_POINT (a state at one of the values), ZELTRA5_ROW_LIQUID or
 *      ZELTRA5_ROW_VAPOUR (a saturated state: a saturation table's rows, or inserted where an
 *      isotherm or isobar crosses the saturation line)
 *  1  status of the row: ZELTRA5_VALID or ZELTRA5_OUTSIDE_DOMAIN
 *  2  the varied value of the row, in the options' units (for an inserted row the saturation
 *     pressure or temperature of its state)
 *  3  phase, 4 phase detail (ZELTRA5_NO_PHASE when the row is not valid)
 *  5 .. 23  the ZELTRA5_FIELD_COUNT fields in the order of zeltra5_calculate (NaN where undefined,
 *     all NaN for a row that is not valid)
 * *rows (when rows is not null) receives the number of rows of the table, also when out is too
 * small (0 for a bad argument). Answers ZELTRA5_VALID when a row is valid, ZELTRA5_OUTSIDE_DOMAIN
 * when every row is outside the domain, ZELTRA5_BAD_ARGUMENT for a malformed request or when
 * capacity (in doubles) is below rows * ZELTRA5_TABLE_COLUMNS; out is then not written (out may
 * be null with capacity 0 to learn the number of rows). */
#define ZELTRA5_TABLE_COLUMNS 24
#define ZELTRA5_TABLE_FIELD_COLUMN 5
#define ZELTRA5_ROW_POINT 0
#define ZELTRA5_ROW_LIQUID 1
#define ZELTRA5_ROW_VAPOUR 2
ZELTRA5_API int zeltra5_table_values(const char* kind, double fixed, const char* values,
                                     const char* options, double* out, int capacity, int* rows);

/* ---- The refrigeration cycle ----
 * The single-stage vapour-compression cycle: evaporation at `evaporating`, compression with
 * the isentropic `efficiency` (in (0, 1]), condensation at `condensing` (temperatures in the
 * options' units), expansion through a valve; `superheat` of the suction vapour and `subcooling`
 * of the liquid in K (in degrees Fahrenheit with t=degF; 0 for saturated states), `capacity` the refrigerating capacity in kW (0 when not given: the figures that need
 * it are then NaN). Its states in order: 0 suction, 1 discharge, 2 liquid before the valve,
 * 3 evaporator inlet, each a full result in the options' units and reference (superheat=1 is a
 * bad argument here).
 * figures   ZELTRA5_CYCLE_FIGURE_COUNT doubles (figure_count at least that), in this order:
 *             0 cop, 1 refrigerating_effect q0, 2 compressor_work w, 3 heat_rejected qc,
 *             4 discharge_temperature, 5 isentropic_discharge_temperature,
 *             6 evaporating_pressure, 7 condensing_pressure, 8 pressure_ratio,
 *             9 volumetric_capacity q0 rho1, 10 mass_flow, 11 displacement (m3/h at suction),
 *             12 compressor_power, 13 condenser_duty (the last four for a capacity);
 *           units by zeltra5_cycle_figure_unit.
 * states    the 4 states' ZELTRA5_FIELD_COUNT fields, state after state (state_count at least
 *           ZELTRA5_CYCLE_STATE_VALUES); null with state_count 0 when not wanted.
 * Answers the status: ZELTRA5_OUTSIDE_DOMAIN when the cycle cannot run (a state outside the
 * domain, the evaporation not below the condensation, an efficiency outside (0, 1], a negative
 * superheat, subcooling or capacity, ...; zeltra5_explain_cycle says which), every figure and
 * state value then NaN; ZELTRA5_BAD_ARGUMENT for a value that is not a finite number, bad options
 * or storage too small, and then nothing is written. */
#define ZELTRA5_CYCLE_FIGURE_COUNT 14
#define ZELTRA5_CYCLE_STATE_COUNT 4
#define ZELTRA5_CYCLE_STATE_VALUES 76
ZELTRA5_API int zeltra5_cycle(double evaporating, double condensing, double superheat,
                              double subcooling, double efficiency, double capacity,
                              const char* options, double* figures, int figure_count,
                              double* states, int state_count);

/* Why the same arguments give no valid cycle ("condensing temperature 140 degC is not below the
 * critical temperature ..."); the empty text for a valid one, unless this thread's last call to
 * zeltra5_cycle with the same arguments was refused for its storage (figures, states and their
 * counts): then that. Buffer contract as zeltra5_explain. */
ZELTRA5_API int zeltra5_explain_cycle(double evaporating, double condensing, double superheat,
                                      double subcooling, double efficiency, double capacity,
                                      const char* options, char* buffer, int size);

/* The figures: their number, a figure's machine name ("cop", "refrigerating_effect"; null outside
 * 0 to count - 1) and its unit in the options' units and language ("kJ/kg", "" for the COP; null
 * outside 0 to count - 1 or for bad options). */
ZELTRA5_API int zeltra5_cycle_figure_count(void);
ZELTRA5_API const char* zeltra5_cycle_figure_name(int figure);
ZELTRA5_API const char* zeltra5_cycle_figure_unit(int figure, const char* options);

/* ---- Diagrams ----
 * type      "ph" (log p-h) or "ts" (T-s): the default diagram in the options' units, reference
 *           and language (superheat=1 is a bad argument here).
 * pair, first, second   a state to mark, as for zeltra5_calculate; pair null or "" for none.
 * zeltra5_diagram_svg writes the SVG document exactly as `zeltra5-calc diagram TYPE --state PAIR
 * FIRST [SECOND]` writes it with the same options (UTF-8), with the snprintf contract of
 * zeltra5_table_csv; -1 also when the state is outside the domain (no diagram then);
 * zeltra5_explain_diagram says why. */
ZELTRA5_API int zeltra5_diagram_svg(const char* type, const char* pair, double first, double second,
                                    const char* options, char* buffer, int size);

/* Where the state's marker sits in that SVG document, in its user units (viewBox, y downwards),
 * unrounded (the document writes it to 0.01), so that a page can move a marker without drawing
 * again; fast, the lines are not drawn. Answers the status: ZELTRA5_OUTSIDE_DOMAIN also when the
 * state lies outside the diagram's axes; *x and *y are NaN unless valid. pair null or "" is a bad
 * argument here; x and y must not be null. */
ZELTRA5_API int zeltra5_diagram_point(const char* type, const char* pair, double first,
                                      double second, const char* options, double* x, double* y);

/* The default diagram with the refrigeration cycle of zeltra5_cycle's arguments drawn on it (its
 * lines and points 1 to 4, the COP in the legend), exactly as `zeltra5-calc diagram TYPE --cycle
 * --evaporating T0 --condensing TC --superheat K --subcooling K --efficiency ETA` writes it with
 * the same options; contract as zeltra5_diagram_svg. -1 also for a cycle that cannot run:
 * zeltra5_explain_cycle says why (capacity 0), zeltra5_explain_diagram with pair null for a
 * malformed type or options. */
ZELTRA5_API int zeltra5_diagram_cycle_svg(const char* type, double evaporating, double condensing,
                                          double superheat, double subcooling, double efficiency,
                                          const char* options, char* buffer, int size);

/* Why zeltra5_diagram_point (or, for pair null or "", zeltra5_diagram_svg) gives nothing for the
 * same arguments (a state beside the axes is explained, though the SVG draws it); the empty text
 * otherwise, unless this thread's last call to zeltra5_diagram_point or zeltra5_diagram_svg with
 * the same arguments was refused for its storage (x or y null; buffer null with size > 0 or size
 * negative): then that. Buffer contract as zeltra5_explain. */
ZELTRA5_API int zeltra5_explain_diagram(const char* type, const char* pair, double first,
                                        double second, const char* options, char* buffer, int size);

/* ---- Tabulated properties ----
 * A table of one model's states for one argument pair, built once from the equation of state and
 * then answered without it (see the README, "Tabulated properties"): the same record, status and
 * refusals as zeltra5_calculate with the same pair, values and no options (si units: Pa, K, J/kg,
 * J/(kg K), ...; the default reference state), the fields within 1e-6 relative of the equation's
 * (the thermal conductivity and the Prandtl number within 4e-3) and the temperature within 1 mK.
 * Where the table would miss that, the equation itself answers: the critical box
 * |T/Tc - 1| < 0.5 %, |p/pc - 1| < 2 %, the near-critical fluid 0.97 < p/pc < 3 with
 * 0.98 < T/Tc < 1.2, and 240 to 420 MPa below 60 degC; as it does at the domain's edges and for
 * every refusal.
 * Pairs: "p-h" (ZELTRA5_TABULATED_PAIRS lists them).
 *
 * zeltra5_tabulated_open   builds the table at the first open of its model and pair in the
 *                          process (1.5 to 4 s, about 9 MB; later opens share it) and gives a
 *                          handle to it in *handle. Answers ZELTRA5_VALID, or
 *                          ZELTRA5_BAD_ARGUMENT with *handle null: a null model, pair or handle,
 *                          an unknown model or pair, a pair without a table, a table that could
 *                          not be built; zeltra5_tabulated_explain_open says which.
 * zeltra5_tabulated_close  releases a handle: ZELTRA5_VALID, or ZELTRA5_BAD_ARGUMENT for null or
 *                          a handle that is not open (closed already); never reads one that is
 *                          not. Every function below refuses such a handle as a bad argument.
 * A handle may be used from several threads at once; closing it while another thread uses it is
 * the caller's error (that call may then be refused), never a crash. */
#define ZELTRA5_TABULATED_PAIRS "p-h"
typedef struct zeltra5_tabulated zeltra5_tabulated;

ZELTRA5_API int zeltra5_tabulated_open(const char* model, const char* pair,
                                       zeltra5_tabulated** handle);
ZELTRA5_API int zeltra5_tabulated_close(zeltra5_tabulated* handle);

/* Why zeltra5_tabulated_open refuses the same model and pair ("unknown model \"x\" (tr1993,
 * gao2023)", "no table is built for the pair \"p-t\" (p-h)"), or, when they are good and this
 * thread's last open with them was refused for a null handle, that; the empty text otherwise.
 * Buffer contract and -1 as zeltra5_explain. */
ZELTRA5_API int zeltra5_tabulated_explain_open(const char* model, const char* pair, char* buffer,
                                               int size);

/* One state of the table's pair: outputs, status and contract as zeltra5_calculate's for the
 * same pair and values with options NULL (values[0..18] in si units, temperatures in K; NaN
 * where undefined; ZELTRA5_BAD_ARGUMENT, nothing written into values, for a handle that is not
 * open, values null or count below ZELTRA5_FIELD_COUNT; ZELTRA5_BAD_ARGUMENT with every value
 * NaN for a value that is not a finite number, as zeltra5_calculate).
 * No allocation. */
ZELTRA5_API int zeltra5_tabulated_calculate(const zeltra5_tabulated* handle, double first,
                                            double second, double* values, int count, int* phase,
                                            int* phase_detail);

/* n states at once: point i from first[i] and second[i], its ZELTRA5_FIELD_COUNT fields into
 * values[i * ZELTRA5_FIELD_COUNT ...] (count, the room in doubles, at least
 * n * ZELTRA5_FIELD_COUNT), its phase, detail and status into phases[i], phase_details[i] and
 * statuses[i] (each of these three may be null when not wanted), each as
 * zeltra5_tabulated_calculate writes them. Answers ZELTRA5_VALID when every point is valid,
 * ZELTRA5_OUTSIDE_DOMAIN when one or more is not (statuses say which: a point with a value that
 * is not a finite number has ZELTRA5_BAD_ARGUMENT), ZELTRA5_BAD_ARGUMENT when the call itself is
 * malformed (a handle that is not open, n negative, first, second or values null with n > 0,
 * count too small): then nothing is written. */
ZELTRA5_API int zeltra5_tabulated_calculate_array(const zeltra5_tabulated* handle, int n,
                                                  const double* first, const double* second,
                                                  double* values, int count, int* phases,
                                                  int* phase_details, int* statuses);

/* Why zeltra5_tabulated_calculate gives no valid result for the same handle and values: the
 * text of zeltra5_explain for the same pair and values with options NULL, or the handle's
 * problem, or (as zeltra5_explain does) this thread's last refusal of the same call for its
 * storage. Buffer contract and -1 as zeltra5_explain. */
ZELTRA5_API int zeltra5_tabulated_explain(const zeltra5_tabulated* handle, double first,
                                          double second, char* buffer, int size);

/* The table's figures into values[0..4] (count at least ZELTRA5_TABULATED_STATISTIC_COUNT): the
 * bytes it holds, its interpolation nodes, the segments of its saturation line, the largest
 * relative error of those at their check points, and the seconds its build took. Answers
 * ZELTRA5_VALID or ZELTRA5_BAD_ARGUMENT (nothing written). */
#define ZELTRA5_TABULATED_STATISTIC_COUNT 5
ZELTRA5_API int zeltra5_tabulated_statistics(const zeltra5_tabulated* handle, double* values,
                                             int count);

#ifdef __cplusplus
}
#endif

#endif /* ZELTRA5_H */

/* zeltra5.dll as Excel uses it: loaded at run time by its full path (the folder of this program,
 * as the Excel module takes the workbook's), every function looked up by name, and called with
 * exactly the types the module's Declare lines give it (String ByVal: an ANSI pointer; Double
 * ByVal; ByRef: a pointer to the variable or to an array's first element; Long: a 32-bit int;
 * LongPtr: a pointer-sized int), on the Microsoft x64 calling convention of VBA and of mingw.
 *
 *   capi_dll_loader grid si|display     the grid of requests as zeltra5-calc --batch lines
 *   capi_dll_loader compare ITEM...     reads zeltra5-calc --batch's answers to that grid on
 *                                       standard input and calls the DLL for each line with the
 *                                       options ITEM;ITEM... (units=display reference=iir);
 *                                       every value must be the same double, bit for bit
 * Exits 0 when everything agrees. */
#define __USE_MINGW_ANSI_STDIO 1 /* strtod: mingw's correctly rounded one, not msvcrt's */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef int32_t Long;
typedef intptr_t LongPtr;

/* zeltra5.bas's declarations, argument for argument. */
typedef LongPtr (*Version)(void);
typedef Long (*Calculate)(const char* pair, double first, double second, const char* options,
                          double* values, Long count, Long* phase, Long* phaseDetail);
typedef Long (*Saturated)(const char* pair, double first, double second, const char* options,
                          Long side, double* values, Long count, Long* phase, Long* phaseDetail);
typedef Long (*Explain)(const char* pair, double first, double second, const char* options,
                        unsigned char* buffer, Long size);
typedef Long (*ExplainSaturated)(const char* pair, double first, double second, const char* options,
                                 Long side, unsigned char* buffer, Long size);
typedef Long (*FieldCount)(void);
typedef Long (*FieldIndex)(const char* fieldName);
typedef LongPtr (*FieldUnit)(Long field, const char* options);
typedef Long (*FieldDefined)(Long phase, Long phaseDetail, Long field);
typedef LongPtr (*PhaseName)(Long phase, Long phaseDetail, const char* options);
typedef Long (*PairValueCount)(const char* pair);
/* The functions the module does not declare, as zeltra5.h gives them. */
typedef double (*Property)(const char* property, const char* pair, double first, double second,
                           const char* options);
typedef const char* (*FieldText)(int field);
typedef int (*PairCount)(void);
typedef const char* (*PairName)(int index);

#define FIELDS 19

static struct {
    Version version;
    Calculate calculate;
    Saturated saturated;
    Explain explain;
    ExplainSaturated explain_saturated;
    FieldCount field_count;
    FieldIndex field_index;
    FieldUnit field_unit;
    FieldDefined field_defined;
    PhaseName phase_name;
    PairValueCount pair_value_count;
    Property property;
    FieldText field_name;
    FieldText field_symbol;
    PairCount pair_count;
    PairName pair_name;
} dll;

static int failures = 0;

static void fail(int line, const char* what, const char* detail) {
    if (failures < 40) {
        fprintf(stderr, "line %d: %s%s%s\n", line, what, detail ? ": " : "", detail ? detail : "");
    }
    ++failures;
}

/* ---- The library ---- */

static FARPROC lookup(HMODULE module, const char* name) {
    FARPROC f = GetProcAddress(module, name);
    if (f == NULL) {
        fprintf(stderr, "zeltra5.dll exports no %s\n", name);
        exit(1);
    }
    return f;
}

/* zeltra5.dll from this program's folder, by its full path. */
static void load(void) {
    wchar_t path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    HMODULE module;
    while (n > 0 && path[n - 1] != L'\\') {
        --n;
    }
    wcscpy(path + n, L"zeltra5.dll");
    module = LoadLibraryW(path);
    if (module == NULL) {
        fprintf(stderr, "LoadLibraryW(%ls) failed: error %lu\n", path, GetLastError());
        exit(1);
    }
#define LOOKUP(member, type, name) dll.member = (type)(void*)lookup(module, name)
    LOOKUP(version, Version, "zeltra5_version");
    LOOKUP(calculate, Calculate, "zeltra5_calculate");
    LOOKUP(saturated, Saturated, "zeltra5_saturated");
    LOOKUP(explain, Explain, "zeltra5_explain");
    LOOKUP(explain_saturated, ExplainSaturated, "zeltra5_explain_saturated");
    LOOKUP(field_count, FieldCount, "zeltra5_field_count");
    LOOKUP(field_index, FieldIndex, "zeltra5_field_index");
    LOOKUP(field_unit, FieldUnit, "zeltra5_field_unit");
    LOOKUP(field_defined, FieldDefined, "zeltra5_field_defined");
    LOOKUP(phase_name, PhaseName, "zeltra5_phase_name");
    LOOKUP(pair_value_count, PairValueCount, "zeltra5_pair_value_count");
    LOOKUP(property, Property, "zeltra5_property");
    LOOKUP(field_name, FieldText, "zeltra5_field_name");
    LOOKUP(field_symbol, FieldText, "zeltra5_field_symbol");
    LOOKUP(pair_count, PairCount, "zeltra5_pair_count");
    LOOKUP(pair_name, PairName, "zeltra5_pair_name");
#undef LOOKUP
}

/* ---- The grid ---- */

/* The requests: every argument pair over its range and beyond it, the superheated liquid, the
 * critical region; values in display units (bar, degC, kJ/kg, kJ/(kg degC), kg/m3). */
struct Axis {
    const char* pair;
    int mode;
    int side;
    double first[10];
    double second[10];
};

#define END 1e300
static const struct Axis AXES[] = {
    {"p-x", 0, 0, {0.05, 0.5, 10, 60, 113, 120, END}, {-0.1, 0, 0.3, 1, 1.2, END}},
    {"ps-liquid", 1, 1, {0.06, 0.07, 1.01325, 10, 113.3, 113.4, END}, {0, END}},
    {"ps-vapour", 1, 2, {0.5, 25, 113, END}, {0, END}},
    {"ts-liquid", 2, 1, {-78, -77, -33.3, 0, 132, 132.5, END}, {0, END}},
    {"ts-vapour", 2, 2, {-50, 25, 130, END}, {0, END}},
    {"p-t",
     3,
     0,
     {0.05, 0.5, 10, 50, 113.5, 300, 900, END},
     {-80, -50, 0, 25, 132.4, 200, 460, END}},
    {"p-t", 3, 1, {1, 10, END}, {-30, 20, 40, 60, END}},
    {"p-h", 4, 0, {0.5, 10, 113.34, 200, END}, {-100, 0, 500, 1200, 1500, 1700, 2500, 5000, END}},
    {"p-u", 5, 0, {2, 40, END}, {100, 900, 1500, END}},
    {"p-s", 6, 0, {0.5, 10, 150, END}, {0, 1, 3, 5, 6, 8, 12, END}},
    {"p-rho", 7, 0, {1, 10, 120, END}, {0.5, 5, 50, 300, 600, 700, END}},
    {"t-rho", 8, 0, {-60, 0, 132.3, 300, END}, {0.1, 8, 235, 400, 650, 800, END}},
};
#define AXIS_COUNT (sizeof AXES / sizeof AXES[0])

struct Request {
    const struct Axis* axis;
    char first[32];
    char second[32];
};

/* The value's text in the grid's units: SI multiplies bar by 100000 and kJ by 1000. */
static void value_text(char* text, double display, int si, int is_pressure, int is_kilo) {
    double v = display;
    if (si && is_pressure) {
        v *= 100000.0;
    } else if (si && is_kilo) {
        v *= 1000.0;
    }
    sprintf(text, "%.10g", v);
}

/* The n-th request; 0 past the end. */
static int request(int n, int si, struct Request* out) {
    size_t a;
    int i, j;
    for (a = 0; a < AXIS_COUNT; ++a) {
        const struct Axis* axis = &AXES[a];
        const int pressure_first = axis->mode != 2 && axis->mode != 8;
        const int kilo_second = axis->mode >= 4 && axis->mode <= 6;
        for (i = 0; axis->first[i] != END; ++i) {
            for (j = 0; axis->second[j] != END; ++j) {
                if (n-- == 0) {
                    out->axis = axis;
                    value_text(out->first, axis->first[i], si, pressure_first, 0);
                    value_text(out->second, axis->second[j], si, 0, kilo_second);
                    return 1;
                }
            }
        }
    }
    return 0;
}

/* ---- Reading zeltra5-calc's CSV ---- */

#define MAX_COLUMNS 64
#define MAX_LINE 4096

/* Splits a CSV line in place (quoted cells with "" inside allowed); answers the cell count. */
static int split(char* line, char** cells) {
    int n = 0;
    char* in = line;
    line[strcspn(line, "\r\n")] = '\0';
    while (n < MAX_COLUMNS) {
        char* out = in;
        cells[n++] = in;
        if (*in == '"') {
            ++in;
            for (;;) {
                if (*in == '\0') {
                    break;
                }
                if (*in == '"' && in[1] == '"') {
                    *out++ = '"';
                    in += 2;
                } else if (*in == '"') {
                    ++in;
                    break;
                } else {
                    *out++ = *in++;
                }
            }
        } else {
            while (*in != ',' && *in != '\0') {
                *out++ = *in++;
            }
        }
        if (*in != ',') {
            *out = '\0';
            break;
        }
        ++in;
        *out = '\0';
    }
    return n;
}

static int column(char** header, int count, const char* name) {
    int i;
    for (i = 0; i < count; ++i) {
        if (strcmp(header[i], name) == 0) {
            return i;
        }
    }
    return -1;
}

static int same_double(double a, double b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

/* A library text (a LongPtr result) as C text. */
static const char* text_at(LongPtr p) {
    return (const char*)p;
}

/* ---- The comparison ---- */

static void compare_line(int line, const struct Request* q, const char* options, char** cells,
                         int count, const int* field_column, int status_column, int phase_column,
                         int detail_column, int error_column, int name_column) {
    char opts[256];
    double a = strtod(q->first, NULL);
    double b = strtod(q->second, NULL);
    double values[FIELDS + 1];
    double saturated[FIELDS];
    Long phase = -99, detail = -99, sat_phase, sat_detail;
    Long status, expected_status;
    unsigned char text[512];
    Long length;
    int k;
    Long side;

    /* Side 1 of a two-value pair asks for the superheated liquid. */
    snprintf(opts, sizeof opts, "%s%s", options,
             q->axis->side == 1 && q->axis->mode != 1 && q->axis->mode != 2 ? ";superheat=1" : "");
    values[FIELDS] = -1.0; /* beyond count: must stay */
    status = dll.calculate(q->axis->pair, a, b, opts, values, FIELDS, &phase, &detail);
    expected_status = atoi(cells[status_column]);
    if (status != expected_status) {
        fail(line, "status differs", cells[status_column]);
        return;
    }
    if (values[FIELDS] != -1.0) {
        fail(line, "zeltra5_calculate wrote past count", NULL);
    }
    if (status == 0 &&
        (phase != atoi(cells[phase_column]) || detail != atoi(cells[detail_column]))) {
        fail(line, "phase differs", cells[phase_column]);
    }
    for (k = 0; k < FIELDS; ++k) {
        const char* cell = field_column[k] < count ? cells[field_column[k]] : "";
        const double expected = *cell == '\0' ? NAN : strtod(cell, NULL);
        const double one = dll.property(dll.field_symbol(k), q->axis->pair, a, b, opts);
        if (isnan(expected) ? !isnan(values[k]) : !same_double(values[k], expected)) {
            char detail_text[128];
            snprintf(detail_text, sizeof detail_text, "%s: %.17g, zeltra5-calc %s",
                     dll.field_name(k), values[k], cell);
            fail(line, "value differs", detail_text);
        }
        if (isnan(expected) ? !isnan(one) : !same_double(one, expected)) {
            fail(line, "zeltra5_property differs", dll.field_name(k));
        }
        if (dll.field_index(dll.field_symbol(k)) != k || dll.field_index(dll.field_name(k)) != k) {
            fail(line, "zeltra5_field_index", dll.field_name(k));
        }
        if (status == 0 && dll.field_defined(phase, detail, k) != !isnan(expected)) {
            fail(line, "zeltra5_field_defined differs from the empty cells", dll.field_name(k));
        }
        if (dll.field_unit(k, opts) == 0) {
            fail(line, "zeltra5_field_unit", dll.field_name(k));
        }
    }

    length = dll.explain(q->axis->pair, a, b, opts, text, (Long)sizeof text);
    if (length != (Long)strlen((const char*)text)) {
        fail(line, "zeltra5_explain's length", (const char*)text);
    }
    if (error_column >= 0) {
        /* The command line names its own option where the library's text names superheat=1. */
        const char* cli = "with --superheat: ";
        char expected[600];
        if (strncmp(cells[error_column], cli, strlen(cli)) == 0) {
            snprintf(expected, sizeof expected, "with superheat=1: %s",
                     cells[error_column] + strlen(cli));
        } else {
            snprintf(expected, sizeof expected, "%s", cells[error_column]);
        }
        if (strcmp((const char*)text, expected) != 0) {
            fail(line, "explanation differs", (const char*)text);
        }
    }
    if ((status == 0) != (length == 0)) {
        fail(line, "explanation of a valid state", (const char*)text);
    }
    if (status == 0 && name_column >= 0) {
        char ru[300];
        snprintf(ru, sizeof ru, "%s;lang=ru", options);
        if (strcmp(text_at(dll.phase_name(phase, detail, ru)), cells[name_column]) != 0) {
            fail(line, "phase name differs", cells[name_column]);
        }
    }

    for (side = 1; side <= 2; ++side) {
        const Long s = dll.saturated(q->axis->pair, a, b, opts, side, saturated, FIELDS, &sat_phase,
                                     &sat_detail);
        const int expected_valid = status == 0 && phase != 3;
        length = dll.explain_saturated(q->axis->pair, a, b, opts, side, text, (Long)sizeof text);
        if ((s == 0) != expected_valid || (s == 0) != (length == 0)) {
            fail(line, "zeltra5_saturated's status", (const char*)text);
        } else if (s == 0 && (sat_phase != side || sat_detail != 0)) {
            fail(line, "zeltra5_saturated's phase", NULL);
        }
    }
    if (dll.pair_value_count(q->axis->pair) != (q->axis->mode == 1 || q->axis->mode == 2 ? 1 : 2)) {
        fail(line, "zeltra5_pair_value_count", q->axis->pair);
    }
}

static int compare(const char* options) {
    static char line[MAX_LINE];
    char* header[MAX_COLUMNS];
    char* cells[MAX_COLUMNS];
    int field_column[FIELDS];
    int columns, status_column, phase_column, detail_column, error_column, name_column;
    int n = 0, valid = 0, k, i;
    struct Request q;

    load();
    if (strcmp(text_at(dll.version()), "1.8.0") != 0 || dll.field_count() != FIELDS) {
        fprintf(stderr, "zeltra5_version %s, zeltra5_field_count %d\n", text_at(dll.version()),
                (int)dll.field_count());
        return 1;
    }
    for (i = 0; i < dll.pair_count(); ++i) {
        if (dll.pair_value_count(dll.pair_name(i)) == 0) {
            fail(0, "zeltra5_pair_name", dll.pair_name(i));
        }
    }
    if (fgets(line, sizeof line, stdin) == NULL) {
        fprintf(stderr, "no header line on standard input\n");
        return 1;
    }
    columns = split(line, header);
    status_column = column(header, columns, "status");
    phase_column = column(header, columns, "phase");
    detail_column = column(header, columns, "phase_detail");
    error_column = column(header, columns, "error");
    name_column = column(header, columns, "phase_name");
    for (k = 0; k < FIELDS; ++k) {
        field_column[k] = column(header, columns, dll.field_name(k));
        if (field_column[k] < 0) {
            fprintf(stderr, "no column %s\n", dll.field_name(k));
            return 1;
        }
    }
    if (status_column < 0 || phase_column < 0 || detail_column < 0) {
        fprintf(stderr, "no status, phase or phase_detail column\n");
        return 1;
    }
    /* The line of units, as zeltra5_field_unit gives them. */
    if (fgets(line, sizeof line, stdin) == NULL || split(line, cells) != columns ||
        strcmp(cells[status_column], "units") != 0) {
        fprintf(stderr, "no line of units after the header\n");
        return 1;
    }
    for (k = 0; k < FIELDS; ++k) {
        if (strcmp(text_at(dll.field_unit(k, options)), cells[field_column[k]]) != 0) {
            fail(2, "unit differs", dll.field_name(k));
        }
    }
    /* Each line after them is the answer to the request of the same number. */
    while (fgets(line, sizeof line, stdin) != NULL) {
        const int count = split(line, cells);
        if (!request(n, strstr(options, "units=display") == NULL, &q)) {
            fail(n + 3, "more lines than requests", NULL);
            break;
        }
        if (count != columns) {
            fail(n + 3, "cell count differs from the header's", NULL);
        } else {
            compare_line(n + 3, &q, options, cells, count, field_column, status_column,
                         phase_column, detail_column, error_column, name_column);
            valid += atoi(cells[status_column]) == 0;
        }
        ++n;
    }
    if (request(n, 0, &q)) {
        fail(n + 3, "fewer lines than requests", NULL);
    }
    printf("%d states (%d valid) compared with zeltra5-calc, options \"%s\": %s\n", n, valid,
           options, failures == 0 ? "bit for bit the same" : "DIFFERENT");
    return failures == 0 && n > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "grid") == 0) {
        struct Request q;
        int n;
        for (n = 0; request(n, strcmp(argv[2], "si") == 0, &q); ++n) {
            printf("%d,%d,%s,%s\n", q.axis->mode, q.axis->side, q.first, q.second);
        }
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "compare") == 0) {
        char options[256] = "";
        int i;
        for (i = 2; i < argc; ++i) {
            if (strlen(options) + strlen(argv[i]) + 2 > sizeof options) {
                return 2;
            }
            if (i > 2) {
                strcat(options, ";");
            }
            strcat(options, argv[i]);
        }
        return compare(options);
    }
    fprintf(stderr, "usage: capi_dll_loader grid si|display | compare ITEM... < answers.csv\n");
    return 2;
}

/* A C89 program using zeltra5.h as a C caller would: the header must compile with -std=c89
 * -pedantic -Werror, and the library must answer through it. Exits 0 when every answer is
 * right. */
#include <stdio.h>
#include <string.h>

#include "zeltra5.h"

static int failures = 0;

static void expect(int ok, const char* what) {
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    double values[ZELTRA5_FIELD_COUNT];
    int phase = 0;
    int detail = 0;
    int status;
    int length;
    char text[64];
    double h;
    double cp;

    expect(strcmp(zeltra5_version(), ZELTRA5_VERSION_STRING) == 0, "version");
    expect(zeltra5_field_count() == ZELTRA5_FIELD_COUNT, "field count");
    expect(zeltra5_version_number() == ZELTRA5_VERSION_NUMBER, "version number");
#if ZELTRA5_VERSION_NUMBER < 10800
#error "the version number is the version's"
#endif

    h = zeltra5_property("h", "p-t", 10.0, 25.0, "units=display");
    expect(h > 1626.84 && h < 1626.85, "h at 10 bar and 25 degC");

    status = zeltra5_calculate("p-x", 500000.0, 0.25, NULL, values, ZELTRA5_FIELD_COUNT, &phase,
                               &detail);
    expect(status == ZELTRA5_VALID, "p-x status");
    expect(phase == ZELTRA5_PHASE_TWO_PHASE, "p-x phase");
    expect(values[0] == 0.25 && values[1] == 500000.0, "p-x given values");
    expect(values[8] != values[8], "no cp in the mixture (NaN)");
    expect(strcmp(zeltra5_field_name(3), "specific_enthalpy") == 0, "field name");

    status = zeltra5_calculate("p-t", 10.0, 500.0, "units=display", values, ZELTRA5_FIELD_COUNT,
                               &phase, &detail);
    expect(status == ZELTRA5_OUTSIDE_DOMAIN && phase == ZELTRA5_NO_PHASE, "outside the domain");
    length = zeltra5_explain("p-t", 10.0, 500.0, "units=display", text, (int)sizeof text);
    expect(length == (int)strlen(text) && strstr(text, "above 450") != NULL, "explanation");
    length = zeltra5_explain("p-t", 10.0, 500.0, "units=display", text, 8);
    expect(length > 8 && strlen(text) == 7, "cut explanation");

    cp = zeltra5_property_v2("cp", "p-x", 5.0, 0.25, "units=display", &status);
    expect(status == ZELTRA5_UNDEFINED && cp != cp, "cp of the mixture undefined");
    h = zeltra5_property_v2("h", "p-x", 5.0, 0.25, "units=display", NULL);
    expect(h > 0.0, "h of the mixture");

    expect(zeltra5_calculate("p-t", 10.0, 25.0, "units=display", values, 5, &phase, &detail) ==
               ZELTRA5_BAD_ARGUMENT,
           "room for 5 values");
    zeltra5_explain("p-t", 10.0, 25.0, "units=display", text, (int)sizeof text);
    expect(strcmp(text, "room for 5 values in \"values\", 19 needed") == 0, "storage explained");

    expect(zeltra5_calculate("p-t", 10.0, 25.0, "units=furlong", values, ZELTRA5_FIELD_COUNT,
                             &phase, &detail) == ZELTRA5_BAD_ARGUMENT,
           "bad options");

    /* The model: the default without model=, the 2023 equation's other numbers with it. */
    expect(zeltra5_model_count() >= 2 && strcmp(zeltra5_model_name(0), "tr1993") == 0,
           "models");
    expect(strcmp(zeltra5_options_model("units=display"), "tr1993") == 0, "default model");
    expect(strcmp(zeltra5_options_model("units=display;model=gao2023"), "gao2023") == 0,
           "model of the options");
    h = zeltra5_property("h", "p-t", 10.0, 25.0, "units=display;model=gao2023");
    expect(h > 1626.0 && h < 1640.0 && !(h > 1626.84 && h < 1626.85), "h of gao2023");
    expect(zeltra5_calculate("p-t", 10.0, 25.0, "model=gao", values, ZELTRA5_FIELD_COUNT, &phase,
                             &detail) == ZELTRA5_BAD_ARGUMENT,
           "unknown model");

    printf("%s %s\n", zeltra5_version(), failures == 0 ? "ok" : "FAILED");
    return failures == 0 ? 0 : 1;
}

/* Uses the installed C library the way a C program would: zeltra5.h and libzeltra5.so through
 * the CMake package's zeltra5::zeltra5_c, or through pkg-config's flags. Exits 0 only when every
 * call answers sensibly. */
#include <stdio.h>
#include <string.h>
#include <zeltra5.h>

int main(void) {
    double values[ZELTRA5_FIELD_COUNT];
    int phase = 0;
    int detail = 0;
    char reason[200];
    int failures = 0;
    const double h = zeltra5_property("h", "p-t", 10.0, 25.0, "units=display");

    if (strcmp(zeltra5_version(), ZELTRA5_VERSION_STRING) != 0) {
        printf("FAILED: library %s, header %s\n", zeltra5_version(), ZELTRA5_VERSION_STRING);
        ++failures;
    }
    if (zeltra5_version_number() != ZELTRA5_VERSION_NUMBER) {
        printf("FAILED: library %d, header %d\n", zeltra5_version_number(), ZELTRA5_VERSION_NUMBER);
        ++failures;
    }
    if (!(h > 1626.84 && h < 1626.85)) {
        printf("FAILED: h at 10 bar and 25 degC is %.17g\n", h);
        ++failures;
    }
    /* SI by default: 10 bar and 25 degC as 1e6 Pa and 298.15 K. */
    if (zeltra5_calculate("p-t", 1e6, 298.15, NULL, values, ZELTRA5_FIELD_COUNT, &phase, &detail) !=
            ZELTRA5_VALID ||
        phase != ZELTRA5_PHASE_VAPOUR || values[1] != 1e6 || values[2] != 298.15 ||
        !(values[3] > 1626840.0 && values[3] < 1626850.0)) {
        printf("FAILED: zeltra5_calculate p-t 1e6 Pa 298.15 K\n");
        ++failures;
    }
    zeltra5_explain("p-t", 10.0, 500.0, "units=display", reason, (int)sizeof reason);
    if (strcmp(reason,
               "temperature 500 \xC2\xB0"
               "C is above 450 \xC2\xB0"
               "C") != 0) {
        printf("FAILED: explanation \"%s\"\n", reason);
        ++failures;
    }
    printf("%s\n", failures == 0 ? "C consumer ok" : "C consumer FAILED");
    return failures == 0 ? 0 : 1;
}

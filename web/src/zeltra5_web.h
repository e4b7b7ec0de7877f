/*
 * zeltra5_web.h - functions the web page needs beside zeltra5.h, built into its WebAssembly
 * module only (web/CMakeLists.txt exports every ZELTRA5_API line of both headers).
 */
#ifndef ZELTRA5_WEB_H
#define ZELTRA5_WEB_H

#include "zeltra5.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The values of a field typed in one choice of units, rewritten in another: `values` is one
 * number or a range as zeltra5_table_csv takes it ("FROM:TO:STEP", "FROM:TO:*FACTOR", a list),
 * `from_units` and `to_units` are choices as the options' units= takes them ("display",
 * "si,t=degC", "p=kPa"). A range keeps its form where the units allow: FROM and TO converted,
 * STEP converted as a difference ("-70:130:10" degC is "-94:266:18" degF); a factor stays where
 * both units are proportional (pressures), else the range becomes the list of its values. The
 * numbers are written with 15 significant digits. Buffer contract as zeltra5_explain; -1, and
 * only the terminator written, for a field outside 0 to ZELTRA5_FIELD_COUNT - 1, a choice of
 * units the options would refuse or values the table would refuse (the library's own message
 * then says why when they are used). */
ZELTRA5_API int zeltra5_convert_values(int field, const char* values, const char* from_units,
                                       const char* to_units, char* buffer, int size);

/* The equations of state the options' model= names (zeltra5_model_count and zeltra5_model_name
 * of the library): each one's one-line English description by index (null outside 0 to count -
 * 1), and the index of the one options without model= get. */
ZELTRA5_API const char* zeltra5_web_model_description(int index);
ZELTRA5_API int zeltra5_web_default_model(void);

/* The published source of the model of that index (authors, journal, year), as the page cites
 * it; null outside 0 to count - 1, "" for a model the web build has no citation of. */
ZELTRA5_API const char* zeltra5_web_model_citation(int index);

#ifdef __cplusplus
}
#endif

#endif

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

/* The kinds of property table zeltra5_table_csv takes, for the page's table form: their number
 * (5), a kind's name as zeltra5_table_csv takes it ("saturation-t", ..., "isochore"; null
 * outside 0 to count - 1), its title in a language ("ru" or "en": "Изобара", "Isobar"; null for
 * another language or outside the count), and the fields (0 to ZELTRA5_FIELD_COUNT - 1) of the
 * value it holds (-1 for the saturation tables) and of the values it runs over (-1 outside the
 * count). */
ZELTRA5_API int zeltra5_web_table_kind_count(void);
ZELTRA5_API const char* zeltra5_web_table_kind_name(int index);
ZELTRA5_API const char* zeltra5_web_table_kind_title(int index, const char* lang);
ZELTRA5_API int zeltra5_web_table_kind_fixed_field(int index);
ZELTRA5_API int zeltra5_web_table_kind_varied_field(int index);

/* The number of values of a range as zeltra5_table_csv reads it ("-70:130:10" gives 21), before
 * any state is calculated; -1 for a range the table would refuse (zeltra5_explain_table says
 * why). */
ZELTRA5_API int zeltra5_web_range_size(const char* values);

/* The page's diagram workbench: a window of the diagram of zeltra5_diagram_svg. type "ph" or
 * "ts"; x_min, x_max (h or s) and y_min, y_max (p or t) the window in the options' units, NaN
 * for an axis's default end; width and height the plot frame in drawing units, both 0 for the
 * default (1072 x 660). options as zeltra5_diagram_svg takes them (superheat=1 refused).
 * zeltra5_web_diagram_svg writes the diagram of that window, its lines and labels sampled for
 * it, with the state of pair, first, second marked (pair null or "" for none); snprintf
 * contract; -1 (the empty text) for a malformed request, a window the diagram cannot draw or a
 * state outside the domain. */
ZELTRA5_API int zeltra5_web_diagram_svg(const char* type, const char* pair, double first,
                                        double second, double x_min, double x_max, double y_min,
                                        double y_max, double width, double height,
                                        const char* options, char* buffer, int size);
/* Where the state's marker sits in that window's SVG, as zeltra5_diagram_point: the status,
 * ZELTRA5_OUTSIDE_DOMAIN also for a state beside the window; *x, *y NaN unless valid. */
ZELTRA5_API int zeltra5_web_diagram_point(const char* type, const char* pair, double first,
                                          double second, double x_min, double x_max, double y_min,
                                          double y_max, double width, double height,
                                          const char* options, double* x, double* y);
/* The window after a zoom by `factor` (2: twice as close) about the drawing's point (centre_x,
 * centre_y) in SVG user units, then a pan by (shift_x, shift_y) user units (the drawing moves
 * with the pointer), into ends[0..3]: x_min, x_max, y_min, y_max in the options' units (a
 * logarithmic axis zooms and pans in its logarithm). factor 1 and no shift give the window's
 * own ends (the defaults resolved). ZELTRA5_OUTSIDE_DOMAIN (ends NaN) for a new window the
 * diagram cannot draw, ZELTRA5_BAD_ARGUMENT for a malformed request. */
ZELTRA5_API int zeltra5_web_diagram_view(const char* type, double x_min, double x_max, double y_min,
                                         double y_max, double width, double height,
                                         const char* options, double centre_x, double centre_y,
                                         double factor, double shift_x, double shift_y,
                                         double* ends);
/* The data coordinates (h and p, or s and t, in the options' units) under the point (svg_x,
 * svg_y) of that window's SVG; ZELTRA5_OUTSIDE_DOMAIN (*x, *y NaN) outside the plot frame. */
ZELTRA5_API int zeltra5_web_diagram_locate(const char* type, double x_min, double x_max,
                                           double y_min, double y_max, double width, double height,
                                           const char* options, double svg_x, double svg_y,
                                           double* x, double* y);

/* The refrigeration cycle's words in a language ("ru" or "en"), for the page's cycle view: the
 * title of a figure of zeltra5_cycle ("Compressor work w"; null outside 0 to
 * ZELTRA5_CYCLE_FIGURE_COUNT - 1 or for another language) and the name of one of its four states
 * ("suction", ..., "evaporator inlet"; null outside 0 to ZELTRA5_CYCLE_STATE_COUNT - 1 or for
 * another language). */
ZELTRA5_API const char* zeltra5_web_cycle_figure_title(int figure, const char* lang);
ZELTRA5_API const char* zeltra5_web_cycle_state_name(int state, const char* lang);

#ifdef __cplusplus
}
#endif

#endif

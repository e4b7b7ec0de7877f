#pragma once
// The tabulated properties as the interfaces offer them: a state of a Table in the options' units
// and on their reference state, the same StateResult that calculate_state gives for the table's
// pair, with the record from the table instead of the equation.

#include "zeltra5/calculation.hpp"
#include "zeltra5/tabulated.hpp"

namespace zeltra5::tabulated {

// The pair a table of `mode` answers ("p-h" for MODE_PRESSURE_ENTHALPY), or nullptr when no table
// is built for the mode.
const ArgPair* table_pair(int mode);

// The pair of that name when a table is built for it; nullptr for another or an unknown name.
const ArgPair* find_table_pair(std::string_view name);

// The names of the pairs tables are built for, for messages: "p-h".
const char* table_pair_names();

// As calculate_state(table's pair, first, second, options, result) with the record from `table`:
// the same status, phase, fields (within the table's accuracy) and refusals. options.model must
// be the table's model and options.superheat false (the table holds the stable states): else a
// bad argument, refused as calculate_state refuses a bad request. No allocation; thread-safe.
int calculate_state(const Table& table, double first, double second, const CalcOptions& options,
                    StateResult& result);

}  // namespace zeltra5::tabulated

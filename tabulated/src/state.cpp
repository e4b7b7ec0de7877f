// A state of a table in the interfaces' units: calculate_state with the table as the record's
// source.

#include "zeltra5/tabulated_state.hpp"

namespace zeltra5::tabulated {
namespace {

int evaluate_table(const void* context, const CalcRequest& request, PropertyResult& result,
                   Refusal& why) {
    const Table& table = *static_cast<const Table*>(context);
    if (request.mode != table.mode() || request.side != SIDE_NONE) {
        why = Refusal{};
        why.reason = RefusalReason::bad_request;
        return 1;
    }
    return table.evaluate(request.first_value, request.second_value, result, why);
}

}  // namespace

const ArgPair* table_pair(const int mode) {
    return mode == MODE_PRESSURE_ENTHALPY ? find_arg_pair(mode, SIDE_NONE) : nullptr;
}

const ArgPair* find_table_pair(const std::string_view name) {
    const ArgPair* pair = find_arg_pair(name);
    return pair != nullptr && table_pair(pair->mode) == pair ? pair : nullptr;
}

const char* table_pair_names() {
    return "p-h";
}

int calculate_state(const Table& table, const double first, const double second,
                    const CalcOptions& options, StateResult& result) {
    const ArgPair* pair = table_pair(table.mode());
    if (pair == nullptr || !table.valid()) {
        // No pair to name: refused as a request of no known pair.
        result = StateResult{};
        result.refusal.reason = RefusalReason::bad_request;
        return result.status = STATUS_BAD_ARGUMENT;
    }
    CalcOptions own = options;
    if (options.model != table.model() || options.superheat) {
        own.model = -1;  // refused by calculate_state as a bad request
        own.superheat = false;
    }
    return zeltra5::calculate_state(*pair, first, second, own, result,
                                    RecordSource{evaluate_table, &table});
}

}  // namespace zeltra5::tabulated

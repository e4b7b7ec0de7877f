// The kinds of property table and the size of a range, for the page's table form (see
// zeltra5_web.h).

#include <string_view>
#include <vector>

#include "zeltra5/property_table.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/value_range.hpp"
#include "zeltra5_web.h"

namespace {

bool is_kind(const int index) {
    return index >= 0 && index < zeltra5::TABLE_KIND_COUNT;
}

}  // namespace

extern "C" int zeltra5_web_table_kind_count(void) {
    return zeltra5::TABLE_KIND_COUNT;
}

extern "C" const char* zeltra5_web_table_kind_name(const int index) {
    return is_kind(index) ? zeltra5::TABLE_KINDS[index].c_name : nullptr;
}

extern "C" const char* zeltra5_web_table_kind_title(const int index, const char* lang) {
    zeltra5::Language language = zeltra5::Language::russian;
    if (!is_kind(index) || lang == nullptr || !zeltra5::parse_language(lang, language)) {
        return nullptr;
    }
    return zeltra5::TABLE_KINDS[index].title[static_cast<int>(language)];
}

extern "C" int zeltra5_web_table_kind_fixed_field(const int index) {
    return is_kind(index) ? zeltra5::TABLE_KINDS[index].fixed_field : -1;
}

extern "C" int zeltra5_web_table_kind_varied_field(const int index) {
    return is_kind(index) ? zeltra5::TABLE_KINDS[index].varied_field : -1;
}

extern "C" int zeltra5_web_range_size(const char* values) {
    std::vector<double> list;
    if (values == nullptr ||
        zeltra5::parse_value_range(values, list) != zeltra5::RangeError::none) {
        return -1;
    }
    return static_cast<int>(list.size());
}

#include "zeltra5/panel_layout.hpp"

#include <algorithm>

#include "zeltra5/result_table.hpp"

namespace zeltra5 {

int list_shortfall(const int item_height, const int client_height) {
    return std::max(0, RESULT_ROWS * item_height - client_height);
}

PanelBox after_list_growth(PanelBox box, const int lists_bottom, const int growth) {
    if (box.top >= lists_bottom) {
        box.top += growth;
        box.bottom += growth;
    } else if (box.bottom >= lists_bottom) {
        box.bottom += growth;
    }
    return box;
}

}  // namespace zeltra5

#pragma once
// The part of the results panel's layout that depends on the font: the three lists show every
// row of the table whatever the height of a list item, so that no list can scroll.

namespace zeltra5 {

// A control's rectangle in pixels, in the panel's client coordinates.
struct PanelBox {
    int left;
    int top;
    int right;
    int bottom;
};

// Pixels the lists' client area, `client_height` high, lacks for RESULT_ROWS items of
// `item_height`; 0 when they all fit.
int list_shortfall(int item_height, int client_height);

// Where a box goes when the lists, whose bottom edge is at `lists_bottom`, grow by `growth`: a
// box that starts at or below that edge (the check box, the buttons) moves down by it; one that
// reaches down to it (the lists, the frame around them, the panel itself) grows by it; one
// wholly above it stays.
PanelBox after_list_growth(PanelBox box, int lists_bottom, int growth);

}  // namespace zeltra5

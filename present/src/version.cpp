#include "zeltra5/calculation.hpp"

namespace zeltra5 {

const char* library_version() {
    return ZELTRA5_VERSION_TEXT;
}

}  // namespace zeltra5

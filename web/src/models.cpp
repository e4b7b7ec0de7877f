// The registry's equations of state for the page's model choice (see zeltra5_web.h).

#include "zeltra5/models.hpp"

#include "zeltra5_web.h"

extern "C" const char* zeltra5_web_model_description(const int index) {
    return zeltra5::is_model_index(index) ? zeltra5::MODELS[index].description : nullptr;
}

extern "C" int zeltra5_web_default_model(void) {
    return zeltra5::DEFAULT_MODEL;
}

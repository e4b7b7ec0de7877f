// The registry's equations of state for the page's model choice (see zeltra5_web.h).

#include "zeltra5/models.hpp"

#include <string_view>

#include "zeltra5_web.h"

extern "C" const char* zeltra5_web_model_description(const int index) {
    return zeltra5::is_model_index(index) ? zeltra5::MODELS[index].description : nullptr;
}

extern "C" int zeltra5_web_default_model(void) {
    return zeltra5::DEFAULT_MODEL;
}

// The registry's descriptions name each equation; the page names its source too, by the
// registry's names.
extern "C" const char* zeltra5_web_model_citation(const int index) {
    if (!zeltra5::is_model_index(index)) {
        return nullptr;
    }
    const std::string_view name = zeltra5::MODELS[index].name;
    if (name == "tr1993") {
        return "R. Tillner-Roth, F. Harms-Watzenberg, H. D. Baehr, Eine neue Fundamentalgleichung "
               "f\u00fcr Ammoniak, DKV-Tagungsbericht 20 (1993) 167-181";
    }
    if (name == "gao2023") {
        return "K. Gao, J. Wu, I. H. Bell, A. H. Harvey, E. W. Lemmon, J. Phys. Chem. Ref. Data "
               "52, 013102 (2023); transport: S. A. Monogenidou, M. J. Assael, M. L. Huber, "
               "J. Phys. Chem. Ref. Data 47, 023102 and 043101 (2018)";
    }
    return "";
}

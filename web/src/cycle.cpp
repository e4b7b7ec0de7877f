// The refrigeration cycle's words for the page's cycle view (see zeltra5_web.h): the figures'
// and the states' names in a language, as the library's text reports write them.

#include "zeltra5/quantities.hpp"
#include "zeltra5/refrigeration_cycle.hpp"
#include "zeltra5_web.h"

namespace {

bool read_language(const char* lang, zeltra5::Language& language) {
    return lang != nullptr && zeltra5::parse_language(lang, language);
}

}  // namespace

extern "C" const char* zeltra5_web_cycle_figure_title(const int figure, const char* lang) {
    zeltra5::Language language = zeltra5::Language::russian;
    if (figure < 0 || figure >= zeltra5::CYCLE_FIGURE_COUNT || !read_language(lang, language)) {
        return nullptr;
    }
    const zeltra5::CycleFigureInfo& info = zeltra5::CYCLE_FIGURES[figure];
    return language == zeltra5::Language::english ? info.english : info.russian;
}

extern "C" const char* zeltra5_web_cycle_state_name(const int state, const char* lang) {
    zeltra5::Language language = zeltra5::Language::russian;
    if (state < 0 || state >= zeltra5::CYCLE_STATE_COUNT || !read_language(lang, language)) {
        return nullptr;
    }
    return zeltra5::cycle_state_name(state, language);
}

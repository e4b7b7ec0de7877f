#pragma once
// Switches LC_NUMERIC to a locale whose decimal point is a comma for the life of the object, and
// back afterwards; `available` says whether one was installed.

#include <clocale>
#include <string>

namespace zeltra5::testing_support {

class CommaDecimalLocale {
  public:
    CommaDecimalLocale() {
        const char* const previous = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = previous != nullptr ? previous : "C";
        for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8", "ru_RU.CP1251"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr &&
                std::localeconv()->decimal_point[0] == ',') {
                available = true;
                return;
            }
        }
        std::setlocale(LC_NUMERIC, saved_.c_str());
    }
    ~CommaDecimalLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool available = false;

  private:
    std::string saved_;
};

}  // namespace zeltra5::testing_support

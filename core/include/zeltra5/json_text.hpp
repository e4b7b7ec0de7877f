#pragma once
// JSON values as text: the pieces every JSON the programs write is made of (the command line's
// results, tables and cycles, the charts' model).

#include <string>
#include <string_view>

#include "zeltra5/format_shortest.hpp"

namespace zeltra5 {

// `text` in quotes as a JSON string: '"' and '\' escaped, control characters below U+0020 as
// \u00XX, everything else as it is; a byte that begins no well-formed UTF-8 sequence becomes
// U+FFFD, so that the JSON is always valid UTF-8.
void append_json_string(std::string& out, std::string_view text);
std::string json_string(std::string_view text);

// The shortest text that reads back as `value` (format_number in `style`), or null when the
// value is not finite (a NaN for an undefined field).
void append_json_number(std::string& out, double value, NumberStyle style = NumberStyle::plain);
std::string json_number(double value, NumberStyle style = NumberStyle::plain);

// A JSON text built piece by piece; the caller lays out the structure with raw().
class JsonText {
  public:
    explicit JsonText(NumberStyle numbers = NumberStyle::plain) : numbers_(numbers) {}

    JsonText& raw(std::string_view s) {
        out_ += s;
        return *this;
    }
    JsonText& string(std::string_view s) {
        append_json_string(out_, s);
        return *this;
    }
    JsonText& number(double v) {
        append_json_number(out_, v, numbers_);
        return *this;
    }
    JsonText& boolean(bool b) { return raw(b ? "true" : "false"); }
    // A member's name and the colon after it, with no space: "name":
    JsonText& key(std::string_view name) { return string(name).raw(":"); }

    std::string str() && { return std::move(out_); }

  private:
    NumberStyle numbers_;
    std::string out_;
};

}  // namespace zeltra5

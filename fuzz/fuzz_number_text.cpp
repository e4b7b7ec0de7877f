// libFuzzer target: the number reader of the input dialog and the command-line tool, with any
// bytes of any length. It must accept exactly the texts the reference reading accepts, with the
// same value to the bit, answer "empty" only for no text, and leave the value alone otherwise.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "reference_number.hpp"
#include "zeltra5/number_text.hpp"

namespace {

[[noreturn]] void fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "number reader: %s for a text of %zu bytes: \"%.*s\"\n", what, text.size(),
                 static_cast<int>(text.size() < 200 ? text.size() : 200), text.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zeltra5::fuzz::ReferenceNumber expected = zeltra5::fuzz::reference_number(text);

    constexpr double untouched = -7.25e-301;
    double value = untouched;
    const zeltra5::NumberText status = zeltra5::read_number_text(text, value);
    switch (status) {
        case zeltra5::NumberText::empty:
            if (!expected.empty) {
                fail("answered empty", text);
            }
            break;
        case zeltra5::NumberText::ok:
            if (!expected.accepted) {
                fail("accepted a text outside the grammar or range", text);
            }
            if (std::memcmp(&value, &expected.value, sizeof value) != 0) {
                fail("read a different value", text);
            }
            break;
        case zeltra5::NumberText::bad_format:
            if (expected.accepted || expected.empty) {
                fail("refused a valid text", text);
            }
            break;
        default:
            fail("answered no known status", text);
    }
    if (status != zeltra5::NumberText::ok && std::memcmp(&value, &untouched, sizeof value) != 0) {
        fail("wrote the value of a refused text", text);
    }
    return 0;
}

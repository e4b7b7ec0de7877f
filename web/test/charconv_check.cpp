// Prints std::to_chars and std::from_chars of double on chosen and pseudo-random values, in every
// form the sources use: built natively and for the web (with web/compat/charconv_compat.hpp),
// the two outputs must be the same bytes.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

int main() {
    const double vs[] = {0.0,
                         -0.0,
                         1.0,
                         100.0,
                         1e15,
                         1e16,
                         1e17,
                         123456789012345678.0,
                         1e21,
                         1e22,
                         1e23,
                         1e-4,
                         1e-5,
                         1.5e-5,
                         0.0001234,
                         0.1,
                         0.3,
                         2.0 / 3,
                         -1234.5678,
                         5e-324,
                         1.7976931348623157e308,
                         1e300,
                         1e-300,
                         12345.0,
                         1.2345e-7,
                         0.000123456789,
                         9.999999999999999e22,
                         4.35e15,
                         299792458.0,
                         1e10,
                         123e10,
                         NAN,
                         INFINITY,
                         -INFINITY};
    char buf[2000];
    for (double v : vs) {
        auto out = [&](const char* tag, std::to_chars_result r) {
            if (r.ec != std::errc{}) {
                printf("%s ERR\n", tag);
                return;
            }
            *r.ptr = 0;
            printf("%s %s\n", tag, buf);
        };
        out("plain", std::to_chars(buf, buf + sizeof buf, v));
        out("general", std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general));
        out("fixed", std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed));
        out("sci", std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific));
        out("g15", std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15));
        out("f9", std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 9));
        out("small", std::to_chars(buf, buf + 3, v));
    }
    // Doubles of every magnitude from their bits (a fixed linear congruential sequence).
    std::uint64_t x = 88172645463325252u;
    for (int i = 0; i < 20000; ++i) {
        x = x * 6364136223846793005u + 1442695040888963407u;
        double v;
        const std::uint64_t bits =
            (x >> 12) | (static_cast<std::uint64_t>(900 + (x >> 52) % 250) << 52);
        std::memcpy(&v, &bits, sizeof v);
        if (i % 3 == 0) v = -v;
        char a[64], b[64], c[64], d[400];
        *std::to_chars(a, a + 64, v).ptr = 0;
        *std::to_chars(b, b + 64, v, std::chars_format::general, 15).ptr = 0;
        *std::to_chars(c, c + 64, v, std::chars_format::general).ptr = 0;
        *std::to_chars(d, d + 400, v, std::chars_format::fixed, 2).ptr = 0;
        double back = 0;
        std::from_chars(a, a + std::strlen(a), back);
        printf("%s %s %s %s %d\n", a, b, c, d, back == v);
    }
    const char* texts[] = {"1.5",   "-2e3", "+1",    " 1",       "0x10",  "1e",      "1e+",
                           ".5",    "5.",   "inf",   "-nan",     "1e400", "1e-400",  "abc",
                           "12abc", "-",    "1.2.3", "infinity", "InF",   "nan(123)"};
    for (const char* t : texts) {
        double d = -99;
        auto r = std::from_chars(t, t + strlen(t), d);
        const char* ec = r.ec == std::errc{}                      ? "ok"
                         : r.ec == std::errc::invalid_argument    ? "invalid"
                         : r.ec == std::errc::result_out_of_range ? "range"
                                                                  : "other";
        printf("from %s -> %s used=%d value=%.17g\n", t, ec, (int)(r.ptr - t), d);
    }
}

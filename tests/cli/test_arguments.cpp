// The command line's arguments given carelessly: options twice, blanks around numbers, and
// hostile text that the messages and the batch repeat.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "run_in_process.hpp"

namespace zeltra5::cli {
namespace {

struct Repeated {
    std::vector<const char*> args;
    const char* message;  // nullptr: taken
};

class RepeatedOption : public ::testing::TestWithParam<Repeated> {};

// An option with a value may be given once, in every command; a flag says the same again.
TEST_P(RepeatedOption, RefusedByNameOrTaken) {
    const Repeated& c = GetParam();
    const Outcome r = run(c.args);
    if (c.message == nullptr) {
        EXPECT_EQ(r.code, EXIT_VALID) << r.err;
    } else {
        EXPECT_EQ(r.code, EXIT_USAGE);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RepeatedOption,
    ::testing::Values(
        Repeated{{"p-t", "10", "25", "--lang", "en", "--lang", "ru"}, "--lang given twice"},
        Repeated{{"p-t", "10", "25", "--lang=en", "--lang=en"}, "--lang given twice"},
        Repeated{{"p-t", "10", "25", "--units", "si", "--units=display"}, "--units given twice"},
        Repeated{{"p-t", "10", "25", "--si", "--units", "display"}, "--si and --units exclude"},
        Repeated{{"p-t", "10", "25", "--units", "si", "--si"}, "--si and --units exclude"},
        Repeated{{"p-t", "10", "25", "--reference", "iir", "--reference", "nbp"},
                 "--reference given twice"},
        Repeated{{"p-t", "10", "25", "--table", "all", "--table", "liquid"}, "--table given twice"},
        Repeated{{"p-t", "10", "25", "--csv", "--json"}, "--json and --csv exclude"},
        Repeated{{"--batch", "--threads", "2", "--threads", "1"}, "--threads given twice"},
        Repeated{{"table", "isobar", "p=10", "t=0:10:1", "--lang", "en", "--lang=en"},
                 "--lang given twice"},
        Repeated{{"table", "isobar", "p=10", "t=0:10:1", "--json", "--csv"}, "exclude"},
        Repeated{{"cycle", "--evaporating", "-10", "--condensing", "35", "--evaporating", "-5"},
                 "--evaporating given twice"},
        Repeated{{"cycle", "--evaporating", "-10", "--condensing", "35", "--efficiency", "0.7",
                  "--efficiency=0.8"},
                 "--efficiency given twice"},
        Repeated{{"diagram", "ph", "--isotherms", "0:50:10", "--isotherms", "none"},
                 "--isotherms given twice"},
        Repeated{{"diagram", "ph", "--x", "100:2000", "--x", "200:1500"}, "--x given twice"},
        Repeated{{"diagram", "ph", "--out", "-", "--out=-"}, "--out given twice"},
        Repeated{{"diagram", "ph", "--cycle", "--evaporating", "-10", "--condensing", "35",
                  "--condensing", "30"},
                 "--condensing given twice"},
        // Flags: the same thing said again.
        Repeated{{"p-t", "1", "-30", "--superheat", "--superheat"}, nullptr},
        Repeated{{"p-t", "1e6", "298.15", "--si", "--si"}, nullptr},
        Repeated{{"p-t", "10", "25", "--json", "--json"}, nullptr},
        Repeated{{"--batch", "--batch"}, nullptr},
        Repeated{
            {"diagram", "ph", "--csv", "--state", "p-t", "10", "25", "--state", "p-t", "5", "25"},
            nullptr}));

// Blanks around a number are read alike on either side, as the batch reads its fields.
TEST(Arguments, BlanksAroundNumbersOnEitherSide) {
    const Outcome plain = run({"p-t", "10", "25", "--json"});
    ASSERT_EQ(plain.code, EXIT_VALID);
    for (const std::vector<const char*>& args :
         {std::vector<const char*>{"p-t", " 10", "25", "--json"},
          {"p-t", "10 ", "25", "--json"},
          {"p-t", "\t10\t", " 25 ", "--json"},
          {"p-t", "10\r\n", "25", "--json"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, EXIT_VALID) << r.err;
        EXPECT_EQ(r.out, plain.out);
    }
    const Outcome cycle = run({"cycle", "--evaporating", "-10", "--condensing", "35"});
    EXPECT_EQ(run({"cycle", "--evaporating", "-10 ", "--condensing", " 35"}).out, cycle.out);
    const Outcome table = run({"table", "isobar", "p=10", "t=0:20:10"});
    EXPECT_EQ(run({"table", "isobar", "p=10 ", "t=0:20:10"}).out, table.out);
    for (const char* blank : {"", " ", "\t", "1 0", "10 x"}) {
        const Outcome r = run({"p-t", blank, "25"});
        EXPECT_EQ(r.code, EXIT_USAGE) << blank;
        EXPECT_NE(r.err.find("is not a number"), std::string::npos);
    }
}

struct Echoed {
    std::vector<std::string> args;
    std::string shown;  // as the message shows the hostile part
};

class EchoedArgument : public ::testing::TestWithParam<Echoed> {};

// Every message that repeats an argument repeats it cut and cleaned, never raw.
TEST_P(EchoedArgument, CutAndCleaned) {
    std::vector<const char*> args;
    for (const std::string& a : GetParam().args) {
        args.push_back(a.c_str());
    }
    const Outcome r = run(args);
    EXPECT_EQ(r.code, EXIT_USAGE);
    EXPECT_NE(r.err.find(GetParam().shown), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 2000u);
    for (const char c : r.err) {
        const unsigned char u = static_cast<unsigned char>(c);
        EXPECT_TRUE(u >= 0x20 || c == '\n') << static_cast<int>(u);
    }
}

const std::string huge(1 << 20, '9');

INSTANTIATE_TEST_SUITE_P(
    Arguments, EchoedArgument,
    ::testing::Values(Echoed{{"table", "saturation", "t=" + huge + ":x"},
                             "range \"" + huge.substr(0, 40) + "...\""},
                      Echoed{{"table", "saturation", "t=1:\xFF\x1B[2J:1"}, "range \"1:??[2J:1\""},
                      Echoed{{"table", "isobar", "p=\xC0\x80", "t=1:2:1"},
                             "p: \"??\" is not a number"},
                      Echoed{{"table", "\x01kind"}, "unknown kind of table \"?kind\""},
                      Echoed{{"diagram", "ph", "--isotherms", "0:\x7F:1"}, "range \"0:?:1\""},
                      Echoed{{"diagram", "ph", "--state", "p-t",
                              "\xE2\x80\xAE"
                              "10",
                              "25"},
                             "\"?10\" is not"},
                      Echoed{{"diagram", "x\ny"}, "unknown kind of diagram \"x?y\""},
                      Echoed{{"cycle", "--evaporating", "-10", "--condensing", "35", huge},
                             "unexpected argument \"" + huge.substr(0, 40) + "...\""},
                      Echoed{{"p-t", "1\x01", "25"}, "pressure: \"1?\" is not"},
                      Echoed{{"p\xFFt", "10", "25"}, "unknown argument pair \"p?t\""},
                      Echoed{{"p-t", "10", "25", "--\x1B]0;x\x07"}, "unknown option --?]0;x?"},
                      Echoed{{"p-t", "Пар\x01", "25"}, "pressure: \"Пар?\" is not a number"}));

// The batch repeats a malformed line's fields as the messages do: a NUL, a control character or
// a broken UTF-8 sequence never reaches the CSV, and a long field is cut.
TEST(Arguments, BatchEchoesMalformedFieldsClean) {
    const std::string input = std::string("3,0,1\0", 6) + "2,25\n" + "\x1B[31m,0,10,25\n" + "3,0," +
                              std::string(500, '7') + "x,25\n" + "Пар,0,\xD0,1\n";
    const Outcome r = run({"--batch"}, input);
    EXPECT_EQ(r.code, EXIT_USAGE);
    const std::vector<std::string> got = lines_of(r.out);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_NE(got[2].find(",3,0,1?2,25,"), std::string::npos) << got[2];
    EXPECT_NE(got[3].find(",?[31m,0,10,25,"), std::string::npos) << got[3];
    EXPECT_NE(got[4].find(",3,0," + std::string(40, '7') + "...,25,"), std::string::npos);
    EXPECT_NE(got[5].find(",Пар,0,?,1,"), std::string::npos) << got[5];
    for (const char c : r.out) {
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n');
    }
}

}  // namespace
}  // namespace zeltra5::cli

// The command line under failing input and output, in process: an output that fails after some
// bytes, an input that fails after some lines, exceptions from the streams, and the files that
// diagram --out writes whole or not at all.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ios>
#include <istream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include "run_in_process.hpp"

namespace zeltra5::cli {
namespace {

// Takes `limit` bytes, then fails every write, as a full disk does.
class FailingOutput : public std::streambuf {
  public:
    explicit FailingOutput(const std::size_t limit) : limit_(limit) {}
    std::string taken;

  protected:
    int_type overflow(const int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (taken.size() >= limit_) {
            return traits_type::eof();
        }
        taken += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* s, const std::streamsize n) override {
        const std::size_t room = limit_ - std::min(limit_, taken.size());
        const std::size_t k = std::min(room, static_cast<std::size_t>(n));
        taken.append(s, k);
        return static_cast<std::streamsize>(k);
    }

  private:
    std::size_t limit_;
};

std::string many_lines(const int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += "3,0," + std::to_string(1 + i % 50) + ",25\n";
    }
    return s;
}

struct Command {
    std::vector<const char*> args;
    std::string input;
};

const std::vector<Command>& every_command() {
    static const std::vector<Command> commands = {
        {{"p-t", "10", "25"}, ""},
        {{"p-t", "10", "25", "--json"}, ""},
        {{"p-x", "5", "0.3", "--csv", "--table", "all"}, ""},
        {{"p-t", "10", "500", "--json"}, ""},  // outside the domain, yet written
        {{"--batch"}, many_lines(20000)},
        {{"--batch", "--threads", "2"}, many_lines(20000)},
        {{"--batch"}, "3,0,10,25\nbad\n"},  // an input error, yet written
        {{"table", "saturation", "t=-70:130:1"}, ""},
        {{"table", "isobar", "p=10", "t=-50:200:1", "--csv"}, ""},
        {{"table", "isotherm", "t=25", "p=1:100:*1.5", "--json"}, ""},
        {{"cycle", "--evaporating", "-10", "--condensing", "35"}, ""},
        {{"cycle", "--evaporating", "-10", "--condensing", "35", "--json"}, ""},
        {{"cycle", "--evaporating", "-10", "--condensing", "35", "--csv"}, ""},
        {{"diagram", "ph"}, ""},
        {{"diagram", "ts", "--json"}, ""},
        {{"diagram", "ph", "--csv"}, ""},
        {{"--help"}, ""},
        {{"table", "--help"}, ""},
        {{"--version"}, ""},
    };
    return commands;
}

// Whatever the command and wherever the output fails (at once, mid-line, near the end), the
// status says so and the message names the output.
TEST(OutputFailure, EveryCommandReportsAWriteThatFails) {
    for (const Command& c : every_command()) {
        const std::size_t size = run(c.args, c.input).out.size();
        ASSERT_GT(size, 2u);
        for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, size / 2, size - 1}) {
            SCOPED_TRACE(std::string(c.args[0]) + " limit " + std::to_string(limit));
            FailingOutput buffer(limit);
            std::ostream out(&buffer);
            std::istringstream in(c.input);
            std::ostringstream err;
            const int code =
                run_command_line(static_cast<int>(c.args.size()), c.args.data(), in, out, err);
            EXPECT_EQ(code, EXIT_IO);
            EXPECT_NE(err.str().find("zeltra5-calc: cannot write standard output"),
                      std::string::npos)
                << err.str();
            EXPECT_LE(buffer.taken.size(), limit);
        }
    }
}

TEST(OutputFailure, BatchStopsReadingAtTheFirstFailedWrite) {
    FailingOutput buffer(100);
    std::ostream out(&buffer);
    const std::string input = many_lines(100000);
    std::istringstream in(input);
    std::ostringstream err;
    const char* args[] = {"--batch"};
    EXPECT_EQ(run_command_line(1, args, in, out, err), EXIT_IO);
    // A few blocks at most were read past the failure, not the whole input.
    EXPECT_GT(in.rdbuf()->in_avail(), static_cast<std::streamsize>(input.size() / 2));
}

// Gives `text`, then fails as a read from a broken device does.
class FailingInput : public std::streambuf {
  public:
    explicit FailingInput(std::string text) : text_(std::move(text)) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

  protected:
    int_type underflow() override {
        throw std::ios_base::failure("read error", std::error_code(EIO, std::generic_category()));
    }

  private:
    std::string text_;
};

TEST(InputFailure, AnswersWhatWasReadThenReportsTheError) {
    for (const int threads : {1, 2}) {
        // The last line, cut by the failure, would read as a valid request at 2 degC.
        FailingInput buffer("3,0,10,25\n3,0,10,900\np-t,0,1,2");
        std::istream in(&buffer);
        std::ostringstream out;
        std::ostringstream err;
        const std::string t = std::to_string(threads);
        const char* args[] = {"--batch", "--threads", t.c_str()};
        EXPECT_EQ(run_command_line(3, args, in, out, err), EXIT_IO);
        EXPECT_EQ(err.str(), "zeltra5-calc: cannot read standard input: Input/output error\n");
        std::vector<std::string> got;
        for (const std::string& line : lines_of(out.str())) {
            got.push_back(line.substr(0, 2));
        }
        // The headers, both whole lines, and the part before the failure as an input error.
        EXPECT_EQ(got, (std::vector<std::string>{"st", "un", "0,", "1,", "2,"}));
        EXPECT_NE(out.str().find("2,line cut short by a read error,"), std::string::npos)
            << out.str();
    }
}

// An exception out of a stream, whatever it is, becomes a message and a status, never an abort.
class ThrowingOutput : public std::streambuf {
  public:
    explicit ThrowingOutput(const bool memory) : memory_(memory) {}

  protected:
    int_type overflow(int_type) override {
        if (memory_) {
            throw std::bad_alloc();
        }
        throw std::runtime_error("broken \x01 stream");
    }
    std::streamsize xsputn(const char*, std::streamsize) override { return overflow(0); }

  private:
    bool memory_;
};

TEST(Exceptions, BecomeAMessageAndStatusFour) {
    for (const bool memory : {true, false}) {
        for (const std::vector<const char*>& args :
             {std::vector<const char*>{"p-t", "10", "25"}, {"--batch"}, {"diagram", "ph"}}) {
            ThrowingOutput buffer(memory);
            std::ostream out(&buffer);
            out.exceptions(std::ios_base::badbit);
            std::istringstream in("3,0,10,25\n");
            std::ostringstream err;
            EXPECT_EQ(run_command_line(static_cast<int>(args.size()), args.data(), in, out, err),
                      EXIT_INTERNAL);
            EXPECT_EQ(err.str(), memory ? "zeltra5-calc: out of memory\n"
                                        : "zeltra5-calc: failed: broken ? stream\n");
        }
    }
}

struct OutCase {
    std::string path;
    int code;
    const char* message;  // in the message, when the write fails
};

// The diagram's file: written whole, nothing left beside it; a failure is status 3 with the
// reason, and leaves no file behind.
TEST(DiagramOut, WholeOrNotAtAll) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("zeltra5-out-" + std::to_string(::getpid()));  // apart from other builds' runs
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string good = (dir / "ph.svg").string();
    {
        std::ofstream old(good);
        old << "an older, longer file that the diagram replaces entirely ...............";
    }
    const OutCase cases[] = {
        {good, EXIT_VALID, nullptr},
        {(dir / "missing" / "ph.svg").string(), EXIT_IO, "No such file or directory"},
        {dir.string(), EXIT_IO, "cannot write"},
        {"/dev/full", EXIT_IO, "No space left on device"},
    };
    for (const OutCase& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.path == "/dev/full" && !std::filesystem::exists(c.path)) {
            continue;
        }
        const Outcome r = run({"diagram", "ph", "--out", c.path.c_str()});
        EXPECT_EQ(r.code, c.code);
        if (c.message != nullptr) {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
            EXPECT_EQ(r.err.rfind("zeltra5-calc diagram: cannot write ", 0), 0u);
        }
    }
    std::string svg;
    {
        std::ifstream written(good);  // closed before the folder goes (Windows keeps open files)
        svg.assign(std::istreambuf_iterator<char>(written), {});
    }
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full") ||
                !std::filesystem::exists("/dev/full"));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"ph.svg"});
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zeltra5::cli

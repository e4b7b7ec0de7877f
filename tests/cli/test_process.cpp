// zeltra5-calc as a process: standard output on a full device, standard input that cannot be
// read, and the batch as a coprocess that writes one line and waits for its answer.

#include <gtest/gtest.h>

#if !defined(_WIN32) && defined(ZELTRA5_CALC_PATH)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

struct Finished {
    int code;  // the exit status, or -signal
    std::string out;
    std::string err;
};

std::string read_all(const int fd) {
    std::string s;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
        s.append(buf, static_cast<std::size_t>(n));
    }
    return s;
}

int wait_for(const pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs the tool with `args`: standard input from `in_path` (nullptr: closed), standard output to
// `out_path` (nullptr: a pipe), within `memory` bytes of address space (0: no limit).
Finished run(const std::vector<const char*>& args, const char* in_path, const char* out_path,
             const rlim_t memory = 0) {
    int out_pipe[2];
    int err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        return {-1000, "", "pipe"};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (memory != 0) {
            const rlimit limit{memory, memory};
            setrlimit(RLIMIT_AS, &limit);
        }
        close(0);
        if (in_path != nullptr) {
            open(in_path, O_RDONLY);  // the lowest free descriptor: 0
        }
        if (out_path != nullptr) {
            const int out = open(out_path, O_WRONLY);
            dup2(out, 1);
            close(out);
        } else {
            dup2(out_pipe[1], 1);
        }
        dup2(err_pipe[1], 2);
        close(out_pipe[0]);
        close(out_pipe[1]);
        close(err_pipe[0]);
        close(err_pipe[1]);
        std::vector<char*> argv{const_cast<char*>(ZELTRA5_CALC_PATH)};
        for (const char* a : args) {
            argv.push_back(const_cast<char*>(a));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    Finished r;
    r.out = read_all(out_pipe[0]);  // first: only standard output may be large
    r.err = read_all(err_pipe[0]);
    close(out_pipe[0]);
    close(err_pipe[0]);
    r.code = wait_for(pid);
    return r;
}

// Every command and format writing to a full device: status 3 and the reason, never 0.
TEST(Process, FullDeviceIsAnErrorForEveryCommand) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    const std::vector<std::vector<const char*>> commands = {
        {"p-t", "10", "25"},
        {"p-t", "10", "25", "--json"},
        {"p-t", "10", "25", "--csv"},
        {"--batch"},
        {"table", "saturation", "t=-70:130:5"},
        {"table", "saturation", "t=-70:130:5", "--json"},
        {"table", "isobar", "p=10", "t=-50:200:10", "--csv"},
        {"cycle", "--evaporating", "-10", "--condensing", "35"},
        {"cycle", "--evaporating", "-10", "--condensing", "35", "--json"},
        {"cycle", "--evaporating", "-10", "--condensing", "35", "--csv"},
        {"diagram", "ph"},
        {"diagram", "ts", "--json"},
        {"diagram", "ph", "--csv"},
        {"diagram", "ph", "--out", "/dev/full"},
        {"--help"},
        {"cycle", "--help"},
        {"--version"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + std::string(" ") + (args.size() > 1 ? args[1] : ""));
        const Finished r = run(args, "/dev/null", "/dev/full");
        EXPECT_EQ(r.code, 3) << r.err;
        EXPECT_NE(r.err.find("cannot write "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(": No space left on device\n"), std::string::npos) << r.err;
    }
}

TEST(Process, UnreadableStandardInputIsReportedNotAnAbort) {
    const struct {
        const char* input;
        const char* reason;
    } cases[] = {{nullptr, "Bad file descriptor"}, {"/", "Is a directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        for (const char* threads : {"1", "3"}) {
            const Finished r = run({"--batch", "--threads", threads}, c.input, nullptr);
            EXPECT_EQ(r.code, 3);
            EXPECT_EQ(r.err,
                      std::string("zeltra5-calc: cannot read standard input: ") + c.reason + "\n");
            EXPECT_EQ(r.out.rfind("status,error,mode,side,", 0), 0u);  // the headers first
        }
    }
}

// Reads one line from `fd` within `seconds`; "<timeout>" when none came.
std::string read_line(const int fd, std::string& pending, const int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (pending.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return "<timeout>";
        }
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) {
            return "<end>";
        }
        pending.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t nl = pending.find('\n');
    std::string line = pending.substr(0, nl);
    pending.erase(0, nl + 1);
    return line;
}

// A script that writes a line and waits for its answer gets it before it writes the next.
TEST(Process, BatchAnswersEachLineAsItComes) {
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        int to_child[2];
        int from_child[2];
        ASSERT_EQ(pipe(to_child), 0);
        ASSERT_EQ(pipe(from_child), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(to_child[0], 0);
            dup2(from_child[1], 1);
            close(to_child[0]);
            close(to_child[1]);
            close(from_child[0]);
            close(from_child[1]);
            execl(ZELTRA5_CALC_PATH, ZELTRA5_CALC_PATH, "--batch", "--threads", threads,
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(to_child[0]);
        close(from_child[1]);
        std::string pending;
        const auto send = [&](const std::string& line) {
            ASSERT_EQ(write(to_child[1], line.data(), line.size()),
                      static_cast<ssize_t>(line.size()));
        };
        send("mode,side,first_value,second_value\n3,0,10,25\n");
        EXPECT_EQ(read_line(from_child[0], pending, 10).rfind("status,", 0), 0u);
        EXPECT_EQ(read_line(from_child[0], pending, 10).rfind("units,", 0), 0u);
        EXPECT_EQ(read_line(from_child[0], pending, 10).rfind("0,,3,0,10,25,", 0), 0u);
        send("3,0,10,900\n");
        EXPECT_EQ(read_line(from_child[0], pending, 10).rfind("1,temperature 900", 0), 0u);
        send("p-t,0,");  // half a line: answered once it is whole
        send("1,25\n");
        EXPECT_EQ(read_line(from_child[0], pending, 10).rfind("0,,p-t,0,1,25,", 0), 0u);
        close(to_child[1]);
        EXPECT_EQ(read_line(from_child[0], pending, 10), "<end>");
        close(from_child[0]);
        EXPECT_EQ(wait_for(pid), 0);
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Under a limit on the address space (ulimit -v), many threads cannot all have their stacks and
// memory pools: the batch goes on with fewer, or says it ran out of memory, never aborts.
TEST(Process, ManyThreadsUnderAMemoryLimit) {
    char path[] = "/tmp/zeltra5-threads-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string input;
    for (int i = 0; i < 30000; ++i) {
        input += "3,0," + std::to_string(1 + i % 50) + "," + std::to_string(-50 + i % 300) + "\n";
    }
    ASSERT_EQ(write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(fd);
    const auto batch = [&](const char* threads) {
        return run({"--batch", "--threads", threads}, path, nullptr, rlim_t{256} << 20);
    };
    const Finished one = batch("1");
    ASSERT_EQ(one.code, 0);
    for (const char* threads : {"2", "8", "32", "256"}) {
        SCOPED_TRACE(threads);
        const Finished r = batch(threads);
        EXPECT_TRUE(r.code == 0 || r.code == 4) << r.code;
        if (r.code == 0) {
            EXPECT_EQ(r.out, one.out);
        }
    }
    unlink(path);
}
#endif

}  // namespace

#endif

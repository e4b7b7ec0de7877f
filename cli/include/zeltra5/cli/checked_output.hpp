#pragma once
// Output whose every write is checked. The tool writes its results through it (standard output,
// and the files it is asked to write), so that a full disk or another failed write is an error
// with its reason, never a cut or empty result reported as success. (A closed pipe ends the
// program by SIGPIPE before a write can fail, as for any Unix tool: `| head` stays quiet.)

#include <cstdio>
#include <iosfwd>
#include <streambuf>
#include <string>
#include <string_view>

namespace zeltra5::cli {

// A buffer in front of a C stream. The first failed write or flush keeps its error number and
// fails every later write, so that the std::ostream over it turns bad.
class CheckedOutput : public std::streambuf {
  public:
    // `name` names the output in messages: "standard output", or the file's name.
    CheckedOutput(std::FILE* file, std::string name);
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;
    ~CheckedOutput() override;

    // Writes what is buffered and flushes the C stream; false when that or an earlier write failed.
    bool finish();
    // The error number of the first failure; 0 while every write succeeded.
    int error() const { return error_; }
    const std::string& name() const { return name_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

  private:
    bool put(const char* data, std::size_t size);
    bool drain();

    std::FILE* file_;
    std::string name_;
    int error_ = 0;
    char buffer_[1 << 16];
};

// Why `out` failed: "cannot write standard output: No space left on device" (the name and the
// reason from a CheckedOutput under it, otherwise `name` and a general reason); empty while `out`
// is good.
std::string output_failure(const std::ostream& out, std::string_view name);

// Writes `text` to the file `path` whole or not at all: into a new file beside it, renamed over
// `path` once written and closed; removed again on any failure. Answers an empty text or the
// reason ("cannot write ph.svg: Permission denied").
std::string write_file_whole(const std::string& path, std::string_view text);

}  // namespace zeltra5::cli

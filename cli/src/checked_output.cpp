#include "zeltra5/cli/checked_output.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <utility>

#include "zeltra5/echo_text.hpp"

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zeltra5::cli {
namespace {

// errno after a failed C stream call; EIO where the library did not set it.
int last_error() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

CheckedOutput::CheckedOutput(std::FILE* file, std::string name)
    : file_(file), name_(std::move(name)) {
    setp(buffer_, buffer_ + sizeof buffer_);
}

CheckedOutput::~CheckedOutput() {
    drain();
}

bool CheckedOutput::put(const char* data, const std::size_t size) {
    if (error_ != 0) {
        return false;
    }
    errno = 0;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        error_ = last_error();
        return false;
    }
    return true;
}

bool CheckedOutput::drain() {
    const bool ok = put(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    return ok;
}

CheckedOutput::int_type CheckedOutput::overflow(const int_type c) {
    if (!drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize CheckedOutput::xsputn(const char* data, const std::streamsize size) {
    const std::size_t n = static_cast<std::size_t>(size);
    // Small texts are gathered; a large one (the batch writes tens of kilobytes at a time) is not
    // copied but written as it is, after what is buffered.
    if (n < sizeof buffer_ / 8 && n <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), data, n);
        pbump(static_cast<int>(n));
        return size;
    }
    if (!drain() || !put(data, n)) {
        return 0;
    }
    return size;
}

int CheckedOutput::sync() {
    if (!drain()) {
        return -1;
    }
    errno = 0;
    if (std::fflush(file_) != 0) {
        error_ = last_error();
        return -1;
    }
    return 0;
}

bool CheckedOutput::finish() {
    return sync() == 0;
}

std::string output_failure(const std::ostream& out, const std::string_view name) {
    if (out.good()) {
        return {};
    }
    const auto* checked = dynamic_cast<const CheckedOutput*>(out.rdbuf());
    std::string message = "cannot write ";
    if (checked != nullptr) {
        message += checked->name();
        message += ": ";
        message += std::strerror(checked->error() != 0 ? checked->error() : EIO);
    } else {
        message += name;
        message += ": write error";
    }
    return message;
}

namespace {

// Opens `path` for writing; `fresh`: only when no file of that name is there (no link followed,
// nothing of another's truncated).
std::FILE* open_for_writing(const std::string& path, const bool fresh) {
#ifdef _WIN32
    (void)fresh;  // the name of a part is this process's own
    return std::fopen(path.c_str(), "wb");
#else
    if (!fresh) {
        return std::fopen(path.c_str(), "wb");
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
#endif
}

// Writes `text` to the file `path`; answers the error number of a failure, or 0.
int write_file(const std::string& path, const std::string_view text, const bool fresh) {
    errno = 0;
    std::FILE* file = open_for_writing(path, fresh);
    if (file == nullptr) {
        return last_error();
    }
    int error = 0;
    {
        CheckedOutput output(file, path);
        std::ostream stream(&output);
        stream.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!output.finish()) {
            error = output.error();
        }
    }
    errno = 0;
    if (std::fclose(file) != 0 && error == 0) {
        error = last_error();
    }
    return error;
}

}  // namespace

std::string write_file_whole(const std::string& path, const std::string_view text) {
    // Only a plain file is replaced through a new one: a device, a pipe or a link is written as
    // it is, since a rename would put a plain file in its place.
    std::error_code status_error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, status_error);
    if (!status_error && status.type() != std::filesystem::file_type::regular &&
        status.type() != std::filesystem::file_type::not_found) {
        const int error = write_file(path, text, false);
        return error == 0 ? std::string()
                          : "cannot write " + echo_text(path) + ": " + std::strerror(error);
    }
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = static_cast<int>(getpid());
#endif
    const std::string part = path + ".part-" + std::to_string(pid);
    const auto failure = [&](const std::string& reason) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        return "cannot write " + echo_text(path) + ": " + reason;
    };
    if (const int error = write_file(part, text, true); error != 0) {
        return failure(std::strerror(error));
    }
    if (status.type() == std::filesystem::file_type::regular) {
        // The file replaced keeps its permissions.
        std::error_code ignored;
        std::filesystem::permissions(part, status.permissions(), ignored);
    }
    std::error_code renamed;
    std::filesystem::rename(part, path, renamed);
    if (renamed) {
        return failure(renamed.message());
    }
    return {};
}

}  // namespace zeltra5::cli

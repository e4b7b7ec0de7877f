#include "zeltra5/cli/batch.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <streambuf>
#include <system_error>
#include <thread>
#include <vector>

#include "zeltra5/cli/output.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/number_text.hpp"

namespace zeltra5::cli {

const char* const BATCH_RESULT_HEADER =
    "status,error,mode,side,first_value,second_value,relative_enthalpy,pressure,temperature,"
    "specific_enthalpy,mass_density,specific_volume,specific_internal_energy,specific_entropy,"
    "isobaric_heat_capacity,isochoric_heat_capacity,isentropic_coefficient,thermal_conductivity,"
    "kinematic_viscosity,dynamic_viscosity,prandtl_number,speed_of_sound,surface_tension,"
    "expansion_coefficient,latent_heat,phase,phase_detail,phase_name"
#define ZELTRA5_EXTENDED_FIELD(id, name, symbol, unit, row, phases) "," name
#include "zeltra5/fields.inc"
#undef ZELTRA5_EXTENDED_FIELD
    ;

namespace {

constexpr int INPUT_FIELDS = 4;
// Lines read, calculated and written together. Bounds the memory: at most three blocks, input
// and output, are held at a time.
constexpr std::size_t BLOCK_LINES = 8192;
// Lines a thread takes at a time: small enough that the threads finish a block together even
// when one of them also reads and writes.
constexpr std::size_t CHUNK_LINES = 64;
constexpr std::size_t BLOCK_CHUNKS = BLOCK_LINES / CHUNK_LINES;

bool is_space(const char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_space(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && is_space(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// A small integer field: an optional sign and decimal digits (blanks already trimmed).
bool parse_int(std::string_view text, std::int32_t& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    }
    std::int32_t parsed = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc{} || ptr != text.data() + text.size() || text.empty()) {
        return false;
    }
    value = parsed;
    return true;
}

// Splits a line at its commas into at most INPUT_FIELDS trimmed fields; answers how many there
// are (INPUT_FIELDS + 1 when there are more).
int split_fields(const std::string_view line, std::string_view (&fields)[INPUT_FIELDS]) {
    int count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        if (count == INPUT_FIELDS) {
            return INPUT_FIELDS + 1;
        }
        fields[count++] = trim(line.substr(start, end - start));
        if (comma == std::string_view::npos) {
            return count;
        }
        start = comma + 1;
    }
}

const char* read_value(const std::string_view text, double& value, const char* missing,
                       const char* bad) {
    switch (read_number_text(text, value)) {
        case NumberText::ok:
            return nullptr;
        case NumberText::empty:
            return missing;
        default:
            return bad;
    }
}

}  // namespace

// "unknown mode (0 to 8, or p-x, ..., h-s)": formed once, from the pairs' registry.
const char* unknown_mode_message() {
    static const std::string message = "unknown mode (0 to 8, or " + arg_pair_names() + ")";
    return message.c_str();
}

const char* parse_batch_line(const std::string_view line, BatchRequest& request) {
    if (trim(line).empty()) {
        return "empty line";
    }
    std::string_view fields[INPUT_FIELDS];
    if (split_fields(line, fields) != INPUT_FIELDS) {
        return "expected 4 fields: mode,side,first_value,second_value";
    }
    BatchRequest parsed{};
    std::int32_t mode = -1;
    const bool numeric_mode = parse_int(fields[0], mode);
    const ArgPair* named = numeric_mode ? nullptr : find_arg_pair(fields[0]);
    if (!numeric_mode && named == nullptr) {
        return unknown_mode_message();
    }
    if (numeric_mode && (mode < MODE_PRESSURE_QUALITY || mode > MODE_TEMPERATURE_DENSITY)) {
        return unknown_mode_message();
    }
    std::int32_t side = -1;
    if (!parse_int(fields[1], side) || side < SIDE_NONE || side > SIDE_VAPOUR) {
        return "side must be 0, 1 or 2";
    }
    if (named != nullptr) {
        if (is_saturation_pair(*named) && side != SIDE_NONE && side != named->side) {
            return "the side of a saturation pair's name must be 0 or its own";
        }
        parsed.pair = named;
    } else {
        const bool saturation =
            mode == MODE_SATURATION_PRESSURE || mode == MODE_SATURATION_TEMPERATURE;
        if (saturation && side == SIDE_NONE) {
            return "modes 1 and 2 need side 1 (liquid) or 2 (vapour)";
        }
        parsed.pair = find_arg_pair(mode, side);
    }
    parsed.superheat = !is_saturation_pair(*parsed.pair) && side == SIDE_LIQUID;
    if (const char* reason = read_value(fields[2], parsed.first, "missing first_value",
                                        "first_value is not a number")) {
        return reason;
    }
    if (const char* reason = read_value(fields[3], parsed.second, "missing second_value",
                                        "second_value is not a number")) {
        return reason;
    }
    request = parsed;
    return nullptr;
}

void format_batch_line(const std::string_view line, const char* const defect,
                       const BatchOptions& options, std::string& out, BatchSummary& summary) {
    ++summary.lines;
    std::string_view fields[INPUT_FIELDS];
    const int count = defect != nullptr ? 0 : split_fields(line, fields);
    const char* error = defect;
    BatchRequest request{};
    if (error == nullptr) {
        error = parse_batch_line(line, request);
    }
    StateResult result;
    if (error == nullptr) {
        // Every line shows the extended fields: formed in the same calculation.
        const CalcOptions calc{options.units, options.reference, request.superheat, options.model,
                               true};
        calculate_state(*request.pair, request.first, request.second, calc, result);
        // A request the calculation itself calls malformed (the superheat option of t-x) is an
        // input error as its status 2 says, not a state outside the domain.
        ++(result.status == STATUS_VALID          ? summary.valid
           : result.status == STATUS_BAD_ARGUMENT ? summary.errors
                                                  : summary.domain);
    } else {
        ++summary.errors;
    }

    out += error != nullptr ? '2' : static_cast<char>('0' + result.status);
    out += ',';
    if (error != nullptr) {
        out += csv_cell(error);
    } else if (result.status != STATUS_VALID) {
        out += csv_cell(refusal_text(result));
    }
    // The inputs as given: a request's fields passed its grammar and are written whole; those of
    // a line refused as malformed may hold anything and are echoed as every message echoes input.
    for (int i = 0; i < INPUT_FIELDS; ++i) {
        out += ',';
        if (i < count && count <= INPUT_FIELDS) {
            out += error == nullptr ? csv_cell(fields[i]) : csv_cell(echo_text(fields[i]));
        }
    }
    out += ',';
    if (error == nullptr) {
        write_csv_result(result, options.language, out, true);
    } else {
        out.append(static_cast<std::size_t>(BATCH_COLUMNS - 7), ',');
    }
    if (options.model_column) {
        out += ',';
        out += MODELS[options.model].name;
    }
}

namespace {

struct Line {
    std::size_t offset;
    std::size_t length;
    const char* defect;  // why the line is not read as a request, or nullptr
};

constexpr const char* LINE_TOO_LONG = "line too long";
constexpr const char* LINE_CUT = "line cut short by a read error";

// A block of input lines and, after the calculation, their output text in one piece per chunk
// of CHUNK_LINES lines; next_chunk hands the chunks out to the threads, done marks those finished.
struct Block {
    std::string text;
    std::vector<Line> lines;
    std::vector<std::string> out = std::vector<std::string>(BLOCK_CHUNKS);
    std::vector<BatchSummary> summaries = std::vector<BatchSummary>(BLOCK_CHUNKS);
    std::vector<char> done = std::vector<char>(BLOCK_CHUNKS);
    std::atomic<std::size_t> next_chunk{0};

    std::size_t chunks() const { return (lines.size() + CHUNK_LINES - 1) / CHUNK_LINES; }
};

// Why reading failed, from the exception the stream buffer threw.
std::string read_failure(const std::exception& e) {
    if (const auto* failure = dynamic_cast<const std::system_error*>(&e)) {
        const std::error_category& category = failure->code().category();
        if ((category == std::generic_category() || category == std::system_category()) &&
            failure->code().value() != 0) {
            return failure->code().message();
        }
    }
    return echo_text(e.what());
}

class LineReader {
  public:
    explicit LineReader(std::streambuf* sb) : sb_(sb) {}

    // Reads up to BLOCK_LINES lines into `block`, waiting for the first but taking more only while
    // input is waiting; answers false when there were none left. The first line of the input is
    // dropped when it is a header.
    bool read(Block& block) {
        block.text.clear();
        block.lines.clear();
        while (block.lines.size() < BLOCK_LINES && sb_ != nullptr &&
               (block.lines.empty() || waiting())) {
            const std::size_t start = block.text.size();
            bool too_long = false;
            bool cut = false;
            if (!read_line(block.text, too_long, cut)) {
                break;
            }
            std::string_view view(block.text.data() + start, block.text.size() - start);
            if (!too_long && !view.empty() && view.back() == '\r') {
                view.remove_suffix(1);
            }
            std::size_t offset = start;
            if (first_) {
                first_ = false;
                if (view.substr(0, 3) == "\xEF\xBB\xBF") {
                    view.remove_prefix(3);
                    offset += 3;
                }
                if (view.substr(0, 4) == "mode") {
                    block.text.resize(start);
                    continue;
                }
            }
            block.lines.push_back(
                {offset, view.size(), too_long ? LINE_TOO_LONG : (cut ? LINE_CUT : nullptr)});
        }
        return !block.lines.empty();
    }

    // Whether input can be read without waiting for it (the end of the input counts as no).
    bool waiting() {
        if (sb_ == nullptr) {
            return false;
        }
        try {
            return sb_->in_avail() > 0;
        } catch (const std::exception& e) {
            fail(e);
            return false;
        }
    }

    const std::string& error() const { return error_; }

  private:
    // The next character, or the end of the input, also when reading fails.
    int next() {
        try {
            return sb_->sbumpc();
        } catch (const std::exception& e) {
            fail(e);
            return std::char_traits<char>::eof();
        }
    }

    void fail(const std::exception& e) {
        error_ = read_failure(e);
        sb_ = nullptr;
    }

    // Appends one line (without its '\n', at most BATCH_LINE_LIMIT characters) to `text`; `cut`
    // when a read error ended it before its end (its request may be cut short: 25 read as 2).
    bool read_line(std::string& text, bool& too_long, bool& cut) {
        int c = next();
        if (c == std::char_traits<char>::eof()) {
            sb_ = nullptr;
            return false;
        }
        std::size_t len = 0;
        while (c != std::char_traits<char>::eof() && c != '\n') {
            if (len < BATCH_LINE_LIMIT) {
                text += static_cast<char>(c);
                ++len;
            } else {
                too_long = true;
            }
            c = next();
        }
        if (c == std::char_traits<char>::eof()) {
            sb_ = nullptr;
            cut = !error_.empty();
        }
        return true;
    }

    std::streambuf* sb_;
    bool first_ = true;
    std::string error_;
};

void calculate_chunk(Block& block, const std::size_t chunk, const BatchOptions& options) {
    const std::size_t begin = chunk * CHUNK_LINES;
    const std::size_t end = std::min(block.lines.size(), begin + CHUNK_LINES);
    // The text and the counts are built in locals, not in the block's neighbouring records,
    // which other threads write at the same time (false sharing); the string is swapped in and
    // out so that its storage is kept from block to block.
    std::string out;
    out.swap(block.out[chunk]);
    out.clear();
    BatchSummary summary{};
    for (std::size_t i = begin; i < end; ++i) {
        const Line& line = block.lines[i];
        format_batch_line(std::string_view(block.text.data() + line.offset, line.length),
                          line.defect, options, out, summary);
        out += '\n';
    }
    block.out[chunk].swap(out);
    block.summaries[chunk] = summary;
    block.done[chunk] = 1;
}

// Calculates the block's chunks not yet taken by another thread.
void calculate_chunks(Block& block, const BatchOptions& options) {
    const std::size_t chunks = block.chunks();
    for (;;) {
        const std::size_t chunk = block.next_chunk.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= chunks) {
            return;
        }
        calculate_chunk(block, chunk, options);
    }
}

// The threads that help with one block. A helper that fails (out of memory) stops and leaves the
// chunk it held undone; a thread that cannot be started leaves its share to the others. Joined at
// the latest when the set goes, so that no thread outlives the block, an exception included.
class Helpers {
  public:
    Helpers(std::vector<std::thread>& threads, Block& block, const BatchOptions& options,
            const int count)
        : threads_(threads) {
        threads_.clear();
        for (int t = 0; t < count; ++t) {
            try {
                threads_.emplace_back(work, std::ref(block), std::cref(options), std::ref(failed_));
            } catch (const std::exception&) {
                failed_ = true;  // no more threads to be had: those running, and this one, do it
                break;
            }
        }
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;
    ~Helpers() { join(); }

    void join() {
        for (std::thread& t : threads_) {
            if (t.joinable()) {
                t.join();
            }
        }
    }
    // Whether a helper failed or could not be started.
    bool failed() const { return failed_.load(); }
    int started() const { return static_cast<int>(threads_.size()); }

  private:
    static void work(Block& block, const BatchOptions& options,
                     std::atomic<bool>& failed) noexcept {
        try {
            calculate_chunks(block, options);
        } catch (...) {
            failed = true;
        }
    }

    std::vector<std::thread>& threads_;
    std::atomic<bool> failed_{false};
};

void write_block(const Block& block, std::ostream& out, BatchSummary& total) {
    const std::size_t chunks = block.chunks();
    for (std::size_t i = 0; i < chunks; ++i) {
        out.write(block.out[i].data(), static_cast<std::streamsize>(block.out[i].size()));
        total.lines += block.summaries[i].lines;
        total.valid += block.summaries[i].valid;
        total.domain += block.summaries[i].domain;
        total.errors += block.summaries[i].errors;
    }
}

}  // namespace

BatchSummary run_batch(std::istream& in, std::ostream& out, const BatchOptions& options) {
    BatchSummary total{};
    out << BATCH_RESULT_HEADER << (options.model_column ? ",model\n" : "\n") << "units,,,,,,"
        << csv_result_units(options.units, true) << (options.model_column ? ",\n" : "\n");
    int threads = std::clamp(options.threads, 1, MAX_THREADS);
    LineReader reader(in.rdbuf());
    Block blocks[3];
    // The blocks' room taken before any thread starts, when memory is surely there, so that
    // reading usually allocates nothing while the helpers run.
    for (Block& block : blocks) {
        block.text.reserve(BLOCK_LINES * 32);
        block.lines.reserve(BLOCK_LINES);
    }
    std::vector<std::thread> threads_of_block;
    threads_of_block.reserve(static_cast<std::size_t>(threads - 1));
    // Three blocks in turn: while the helpers calculate one, this thread writes the one before it
    // and reads the one after it, then takes its share of the chunks left (on one thread, all).
    // When no input is waiting, the block is written as soon as it is calculated, before a read
    // that would wait.
    int current = 0;
    Block* calculated = nullptr;
    if (!reader.waiting()) {
        out.flush();  // the header lines, before the first wait
    }
    bool more = out.good() && reader.read(blocks[current]);
    while (more) {
        Block& block = blocks[current];
        Block& next = blocks[(current + 1) % 3];
        block.next_chunk = 0;
        std::fill(block.done.begin(), block.done.end(), 0);
        bool waiting = false;
        {
            // No more helpers than chunks beside this thread's: a streamed block is often a line.
            Helpers helpers(threads_of_block, block, options,
                            std::min(threads - 1, static_cast<int>(block.chunks()) - 1));
            if (calculated != nullptr) {
                write_block(*calculated, out, total);
                // Out before the read below, which waits when only part of a line is there.
                out.flush();
                calculated = nullptr;
            }
            waiting = reader.waiting();
            if (waiting) {
                more = reader.read(next);
            }
            bool failed = false;
            try {
                calculate_chunks(block, options);
            } catch (const std::bad_alloc&) {
                failed = true;  // the chunk is done again below, once the helpers' memory is free
            }
            helpers.join();
            if (failed || helpers.failed()) {
                threads = std::max(1, std::min(helpers.started() + 1, threads) / 2);
            }
        }
        // The chunks a failed thread left undone.
        for (std::size_t chunk = 0; chunk < block.chunks(); ++chunk) {
            if (!block.done[chunk]) {
                calculate_chunk(block, chunk, options);
            }
        }
        if (waiting) {
            calculated = &block;
        } else {
            write_block(block, out, total);
            out.flush();
            more = out.good() && reader.read(next);
        }
        if (!out.good()) {
            break;
        }
        current = (current + 1) % 3;
    }
    if (calculated != nullptr && out.good()) {
        write_block(*calculated, out, total);
    }
    out.flush();
    total.read_error = reader.error();
    return total;
}

}  // namespace zeltra5::cli

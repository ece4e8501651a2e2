// rows_compare - compares the rows a Pd test patch wrote with the morvkit command's rows for the
// same file and settings.
//   rows_compare <pd.wav> <morvkit.csv> <samplerate> <shift> <tolerance>
// The patch writes a 32-bit float WAV, one frame per row: channel 0 the row's time in samples
// since the sound began, then the object's outputs, in the order of the command's columns after
// `time`.  A command row at t seconds is matched with the Pd row at t * samplerate + shift
// samples (the command dates a spectral frame by its centre, the patch by its end); Pd's rows at
// other times (frames of the silence before and after the sound) are not compared.  Every
// command row must have its Pd row.  With tolerance 0 each value must be the command's value
// narrowed to a 32-bit float, bit for bit (NaN matching NaN); otherwise within that relative
// difference.  Prints the count and the largest difference; exits 1 on any mismatch.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Row = std::vector<double>;

std::vector<Row> read_csv(const char *path) {
    std::ifstream in(path);
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        Row row;
        std::stringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) {
            row.push_back(std::strtod(cell.c_str(), nullptr));
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<float>> read_pd_rows(const char *path) {
    SF_INFO info{};
    SNDFILE *file = sf_open(path, SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "rows_compare: %s: %s\n", path, sf_strerror(nullptr));
        std::exit(1);
    }
    std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    std::vector<std::vector<float>> rows;
    for (sf_count_t i = 0; i < info.frames; ++i) {
        const float *first = samples.data() + i * info.channels;
        rows.emplace_back(first, first + info.channels);
    }
    return rows;
}

bool same_float(double expected, float actual) {
    const auto narrowed = static_cast<float>(expected);
    return std::isnan(narrowed) ? std::isnan(actual)
                                : std::memcmp(&narrowed, &actual, sizeof actual) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: rows_compare <pd.wav> <morvkit.csv> <samplerate> <shift> "
                     "<tolerance>\n");
        return 2;
    }
    const auto pd_rows = read_pd_rows(argv[1]);
    const auto command_rows = read_csv(argv[2]);
    const double rate = std::atof(argv[3]);
    const double shift = std::atof(argv[4]);
    const double tolerance = std::atof(argv[5]);

    std::map<long, const std::vector<float> *> pd_by_time;
    for (const auto &row : pd_rows) {
        pd_by_time[std::lround(row[0])] = &row;
    }
    long matched = 0, failed = 0;
    double largest = 0.0;
    for (const Row &row : command_rows) {
        const long time = std::lround(row[0] * rate + shift);
        const auto found = pd_by_time.find(time);
        if (found == pd_by_time.end() || found->second->size() != row.size()) {
            if (failed++ < 5) {
                std::fprintf(stderr, "no Pd row at %ld samples (the command's at %.9g s)\n", time,
                             row[0]);
            }
            continue;
        }
        const std::vector<float> &pd = *found->second;
        bool same = true;
        for (size_t c = 1; c < row.size(); ++c) {
            const double difference =
                row[c] == 0.0 ? std::fabs(pd[c]) : std::fabs(pd[c] - row[c]) / std::fabs(row[c]);
            if (!std::isnan(difference) && difference > largest) {
                largest = difference;
            }
            same = same && (tolerance == 0.0 ? same_float(row[c], pd[c]) : difference <= tolerance);
        }
        if (!same && failed++ < 5) {
            std::fprintf(stderr, "row at %ld samples differs:", time);
            for (size_t c = 1; c < row.size(); ++c) {
                std::fprintf(stderr, " %.9g/%.9g", row[c], static_cast<double>(pd[c]));
            }
            std::fprintf(stderr, " (command/Pd)\n");
        }
        matched += same ? 1 : 0;
    }
    std::printf(
        "%ld of %zu command rows matched by Pd's rows (%zu written) %s; largest relative "
        "difference %.3g\n",
        matched, command_rows.size(), pd_rows.size(),
        tolerance == 0.0 ? "bit for bit as 32-bit floats" : "within the tolerance", largest);
    return failed == 0 && !command_rows.empty() ? 0 : 1;
}

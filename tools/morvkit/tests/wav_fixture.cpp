#include "wav_fixture.hpp"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace morvkit::testing {

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvkit-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void write_wav(const std::filesystem::path &file, double samplerate,
               const std::vector<std::vector<double>> &channels, int format) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(samplerate);
    info.channels = static_cast<int>(channels.size());
    info.format = format ? format : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    const std::size_t frames = channels.empty() ? 0 : channels[0].size();
    std::vector<double> interleaved(frames * channels.size());
    for (std::size_t i = 0; i < frames; ++i)
        for (std::size_t c = 0; c < channels.size(); ++c)
            interleaved[i * channels.size() + c] = channels[c][i];
    sf_writef_double(out, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(out);
}

std::vector<double> sine(double frequency, double samplerate, double seconds, double amplitude) {
    std::vector<double> samples(static_cast<std::size_t>(std::lround(seconds * samplerate)));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * std::sin(2 * std::numbers::pi * frequency *
                                          static_cast<double>(i) / samplerate);
    return samples;
}

std::string read_text(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text(const std::filesystem::path &file, const std::string &text) {
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace morvkit::testing

// wav_fixture.hpp - test helpers: scratch folders and WAV files written with libsndfile.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvkit::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Writes a 32-bit float WAV, or the libsndfile format code `format` (FLAC, AIFF, ...);
// `channels[c][i]` is sample i of channel c (all of equal length).
void write_wav(const std::filesystem::path &file, double samplerate,
               const std::vector<std::vector<double>> &channels, int format = 0);
std::vector<double> sine(double frequency, double samplerate, double seconds,
                         double amplitude = 0.5);
std::string read_text(const std::filesystem::path &file);
void write_text(const std::filesystem::path &file, const std::string &text);

}  // namespace morvkit::testing

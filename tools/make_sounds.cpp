// Synthesises the two default sounds, the alarm bell "nl.mp3" and the hourly
// chime "zd.mp3", and writes them as MP3 into the folder given (default: ".").
//
// Everything is computed from fixed numbers, so every run writes the same files.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A bell's partials: ratio to the struck note, loudness, and how fast each dies away (seconds to 1/e).
struct Partial {
  double ratio, gain, decay;
};
// A low hum, the strike note and the brighter, quicker upper partials.
constexpr Partial kBell[] = {{0.5, 0.18, 2.2}, {1.0, 1.00, 1.30}, {2.0, 0.45, 0.80}, {2.76, 0.22, 0.50},
                             {4.07, 0.10, 0.30}, {5.40, 0.05, 0.20}};

// Adds one strike of the bell at `start` seconds.
void Strike(std::vector<double>& out, double start, double freq, double gain, double ringFor) {
  const size_t first = static_cast<size_t>(start * kRate);
  const size_t count = std::min(out.size() - std::min(out.size(), first), static_cast<size_t>(ringFor * kRate));
  for (size_t i = 0; i < count; ++i) {
    double t = static_cast<double>(i) / kRate;
    // A 6 ms rise keeps the strike from clicking; the tail fades to nothing over the last 0.3 s.
    double envelope = std::min(1.0, t / 0.006) * std::min(1.0, (ringFor - t) / 0.3);
    double v = 0;
    for (const Partial& p : kBell)
      if (freq * p.ratio < kRate / 2.0) v += p.gain * std::exp(-t / p.decay) * std::sin(2 * kPi * freq * p.ratio * t);
    out[first + i] += gain * envelope * v;
  }
}

// Scales the peak to -1.5 dBFS, so the encoder's ripple cannot clip, and fades the last `fade` seconds.
void Finish(std::vector<double>& samples, double fade) {
  double peak = 0;
  for (double s : samples) peak = std::max(peak, std::abs(s));
  double scale = peak > 0 ? std::pow(10.0, -1.5 / 20) / peak : 1;
  const size_t fadeFrames = static_cast<size_t>(fade * kRate);
  for (size_t i = 0; i < samples.size(); ++i) {
    size_t left = samples.size() - i;
    double f = left < fadeFrames ? 0.5 - 0.5 * std::cos(kPi * static_cast<double>(left) / fadeFrames) : 1;
    samples[i] *= scale * f;
  }
}

// The alarm: a "ding-dong" pair every 1.2 s for 10.8 s, each pair louder than the last.
std::vector<double> Alarm() {
  std::vector<double> out(static_cast<size_t>(10.8 * kRate), 0.0);
  const double high = 880.00, low = 659.25;  // A5 and E5
  const int pairs = 9;
  for (int n = 0; n < pairs; ++n) {
    double volume = 0.35 + 0.65 * n / (pairs - 1);
    double at = 0.05 + 1.2 * n;
    Strike(out, at, high, volume, 1.6);
    Strike(out, at + 0.3, low, volume * 0.9, 1.6);
  }
  Finish(out, 0.6);
  return out;
}

// The chime: the first quarter of the Westminster tune, G#4 F#4 E4 B3, the last note left to ring.
std::vector<double> Chime() {
  std::vector<double> out(static_cast<size_t>(5.2 * kRate), 0.0);
  const double notes[] = {415.30, 369.99, 329.63, 246.94};
  for (int n = 0; n < 4; ++n) Strike(out, 0.05 + 0.75 * n, notes[n], 0.8, n == 3 ? 2.9 : 1.8);
  Finish(out, 0.8);
  return out;
}

bool WriteMp3(const std::string& path, const std::vector<double>& samples) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "make_sounds: %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  // A constant, modest bit rate: a bell needs little, and the files stay small.
  int mode = SF_BITRATE_MODE_CONSTANT;
  sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
  double level = 0.75;
  sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
  sf_count_t written = sf_writef_double(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  if (written != static_cast<sf_count_t>(samples.size())) {
    std::fprintf(stderr, "make_sounds: %s: short write\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : ".";
  bool ok = WriteMp3(dir + "/nl.mp3", Alarm());
  ok = WriteMp3(dir + "/zd.mp3", Chime()) && ok;
  return ok ? 0 : 1;
}

// The sounds as the game's decoder reads them: format, length, level, and a clean loop.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <vector>

#include "MediaFixture.h"

using mediatest::SourcePath;

namespace {

struct Decoded {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<float> samples;  // first channel

    double Seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0.0; }
    float Peak() const
    {
        float peak = 0.0f;
        for (float s : samples)
            peak = std::max(peak, std::fabs(s));
        return peak;
    }
};

Decoded Decode(const std::string& path)
{
    Decoded d;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return d;
    const vorbis_info* info = ov_info(&vf, -1);
    d.channels = info->channels;
    d.rate = info->rate;
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        const long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return d;
        }
        if (n == 0)
            break;
        d.samples.insert(d.samples.end(), pcm[0], pcm[0] + n);
    }
    d.ok = static_cast<ogg_int64_t>(d.samples.size()) == ov_pcm_total(&vf, -1);
    ov_clear(&vf);
    return d;
}

// Share of the signal's energy between two frequencies, from one FFT over its start.
double EnergyShare(const std::vector<float>& samples, long rate, double low, double high)
{
    size_t n = 1;
    while (n * 2 <= samples.size())
        n *= 2;
    std::vector<std::complex<double>> a(samples.begin(), samples.begin() + static_cast<long>(n));
    for (size_t i = 1, j = 0; i < n; ++i) {  // iterative radix-2 FFT
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2.0 * M_PI / len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
    double inside = 0.0, total = 0.0;
    for (size_t k = 1; k < n / 2; ++k) {
        const double f = static_cast<double>(k) * rate / n, e = std::norm(a[k]);
        total += e;
        if (f >= low && f <= high)
            inside += e;
    }
    return total > 0.0 ? inside / total : 0.0;
}

struct SoundCase {
    const char* file;
    double minSeconds, maxSeconds;
    float minPeak;
};
const SoundCase kSounds[] = {{"media/slow_engine1.ogg", 1.0, 3.0, 0.3f},
                             {"media/fire1.ogg", 0.15, 0.4, 0.5f},
                             {"media/die_2.ogg", 0.7, 0.9, 0.5f},
                             {"media/menu_hover.ogg", 0.03, 0.15, 0.1f}};

}  // namespace

TEST(Sounds, AreMonoVorbisOfTheirLengthAndUnclipped)
{
    for (const SoundCase& sound : kSounds) {
        SCOPED_TRACE(sound.file);
        const Decoded d = Decode(SourcePath(sound.file));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.channels, 1);
        EXPECT_TRUE(d.rate == 22050 || d.rate == 44100) << d.rate;
        EXPECT_GE(d.Seconds(), sound.minSeconds);
        EXPECT_LE(d.Seconds(), sound.maxSeconds);
        EXPECT_GE(d.Peak(), sound.minPeak);
        EXPECT_LT(d.Peak(), 0.97f) << "too close to clipping";
    }
}

TEST(EngineSound, LoopsWithoutAClickAtTheSeam)
{
    const Decoded d = Decode(SourcePath("media/slow_engine1.ogg"));
    ASSERT_TRUE(d.ok);
    ASSERT_GT(d.samples.size(), 1000u);
    std::vector<float> steps;
    for (size_t i = 1; i < d.samples.size(); ++i)
        steps.push_back(std::fabs(d.samples[i] - d.samples[i - 1]));
    const double meanStep = std::accumulate(steps.begin(), steps.end(), 0.0) / steps.size();
    const float seam = std::fabs(d.samples.front() - d.samples.back());
    EXPECT_LT(seam, 3.0 * meanStep) << "seam " << seam << ", typical step " << meanStep;
    // The signal is at full level on both sides of the seam, not faded to hide it.
    float nearEnd = 0.0f, nearStart = 0.0f;
    for (size_t i = 0; i < 2000; ++i) {
        nearStart = std::max(nearStart, std::fabs(d.samples[i]));
        nearEnd = std::max(nearEnd, std::fabs(d.samples[d.samples.size() - 1 - i]));
    }
    EXPECT_GT(nearStart, 0.25f * d.Peak());
    EXPECT_GT(nearEnd, 0.25f * d.Peak());
}

TEST(EngineSound, StaysAnEngineAcrossTheGamesPitchRange)
{
    const Decoded d = Decode(SourcePath("media/slow_engine1.ogg"));
    ASSERT_TRUE(d.ok);
    // Played at rate r, a frequency f in the file sounds at r * f. At both ends of the
    // range most of the energy must land where an engine is heard: 60 Hz to 2.5 kHz,
    // neither a sub-bass hum at idle nor a hiss at full speed.
    for (double rate : {0.85, 2.85}) {
        SCOPED_TRACE(rate);
        EXPECT_GT(EnergyShare(d.samples, d.rate, 60.0 / rate, 2500.0 / rate), 0.6);
    }
}

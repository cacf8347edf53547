#include "sounds/SoundEffects.h"

#include <cmath>

#include "sounds/Synth.h"

namespace sounds {
namespace {

const double kTwoPi = 2.0 * M_PI;

size_t Samples(long rate, double seconds)
{
    return static_cast<size_t>(std::lround(rate * seconds));
}

}  // namespace

std::vector<float> EngineIdle(long rate)
{
    // 1.5 s holding 60 firing strokes (40 a second) and 30 turns of a 20 Hz crank rumble:
    // every part repeats exactly within the loop, so the end runs on into the start.
    const size_t length = Samples(rate, 1.5);
    const int strokes = 60;
    std::vector<float> loop(length, 0.0f);
    Noise noise(0x0E561DE);

    // Firing strokes: a damped low bark with a puff of noise, cylinders of uneven
    // strength, a touch of timing jitter. Strokes near the end wrap round to the start.
    const float cylinder[4] = {1.0f, 0.78f, 0.9f, 0.7f};
    const size_t strokeLength = Samples(rate, 0.03);
    for (int k = 0; k < strokes; ++k) {
        const double jitter = 0.0004 * rate * noise.Next();
        const long start = std::lround(static_cast<double>(k) * length / strokes + jitter);
        const float strength = cylinder[k % 4] * (0.9f + 0.1f * noise.Unit());
        for (size_t n = 0; n < strokeLength; ++n) {
            const double t = static_cast<double>(n) / rate;
            const double body = (1.0 - std::exp(-t / 0.0006)) * std::exp(-t / 0.0065) *
                                (std::sin(kTwoPi * 85.0 * t) + 0.45 * std::sin(kTwoPi * 170.0 * t + 0.7) +
                                 0.25 * std::sin(kTwoPi * 255.0 * t + 1.3));
            const double puff = 0.5 * noise.Next() * std::exp(-t / 0.0025);
            const size_t at = static_cast<size_t>((start + static_cast<long>(n) + static_cast<long>(length)) %
                                                  static_cast<long>(length));
            loop[at] += strength * static_cast<float>(body + puff);
        }
    }

    // The exhaust pipe rings along with the strokes.
    std::vector<float> pipe = loop;
    FilterLoop(pipe, Biquad::BandPass(rate, 130.0, 2.0));

    // Mechanical clatter: band-limited noise pulsing with the strokes.
    std::vector<float> clatter(length);
    for (float& s : clatter)
        s = noise.Next();
    FilterLoop(clatter, Biquad::BandPass(rate, 1400.0, 1.5));

    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double rumble = 0.12 * std::sin(kTwoPi * 20.0 * t);
        const double pulse = 0.6 + 0.4 * std::cos(kTwoPi * 40.0 * t);
        loop[i] += static_cast<float>(0.6 * pipe[i] + rumble + 0.5 * pulse * clatter[i]);
    }
    FilterLoop(loop, Biquad::LowPass(rate, 3000.0, 0.707));
    FilterLoop(loop, Biquad::HighPass(rate, 25.0, 0.707));
    Normalize(loop, 0.7f);
    return loop;
}

std::vector<float> Fire(long rate)
{
    const size_t length = Samples(rate, 0.35);
    std::vector<float> out(length);
    Noise noise(0xF17E);
    Biquad crackFilter = Biquad::HighPass(rate, 1500.0, 0.707);
    Biquad bodyFilter = Biquad::LowPass(rate, 700.0, 0.707);
    double phase = 0.0;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double attack = 1.0 - std::exp(-t / 0.0004);
        const double crack = crackFilter.Process(noise.Next()) * std::exp(-t / 0.018);
        const double body = 3.0 * bodyFilter.Process(noise.Next()) * std::exp(-t / 0.07);
        phase += kTwoPi * (45.0 + 110.0 * std::exp(-t / 0.04)) / rate;  // thump falling in pitch
        const double thump = std::sin(phase) * std::exp(-t / 0.09);
        out[i] = static_cast<float>(attack * (0.8 * crack + 1.2 * body + 0.9 * thump));
    }
    FadeOut(out, Samples(rate, 0.06));
    Normalize(out, 0.85f);
    return out;
}

std::vector<float> Explosion(long rate)
{
    const size_t length = Samples(rate, 0.8);
    std::vector<float> out(length);
    Noise noise(0xB00B);
    Biquad blastFilter = Biquad::LowPass(rate, 3000.0, 0.707);
    Biquad rumbleA = Biquad::LowPass(rate, 200.0, 0.707);
    Biquad rumbleB = Biquad::LowPass(rate, 200.0, 0.707);
    Biquad crackleFilter = Biquad::HighPass(rate, 2000.0, 0.707);
    double phase = 0.0;
    size_t crackleLeft = 0;
    float crackleLevel = 0.0f;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double blast = blastFilter.Process(noise.Next()) * std::exp(-t / 0.05);
        const double rumble = 8.0 * rumbleB.Process(rumbleA.Process(noise.Next())) * (1.0 - std::exp(-t / 0.01)) *
                              std::exp(-t / 0.28);
        phase += kTwoPi * (30.0 + 70.0 * std::exp(-t / 0.12)) / rate;
        const double boom = std::sin(phase) * std::exp(-t / 0.22);
        // Debris: short bursts of crackle, thinning out as the blast dies away.
        if (crackleLeft == 0 && t > 0.03 && t < 0.55 && noise.Unit() < 0.004 * std::exp(-t / 0.2) * 44100.0 / rate) {
            crackleLeft = Samples(rate, 0.0015 + 0.003 * noise.Unit());
            crackleLevel = static_cast<float>((0.3 + 0.5 * noise.Unit()) * std::exp(-t / 0.25));
        }
        double crackle = 0.0;
        const double hiss = crackleFilter.Process(noise.Next());
        if (crackleLeft > 0) {
            crackle = crackleLevel * hiss;
            --crackleLeft;
        }
        out[i] = static_cast<float>((1.0 - std::exp(-t / 0.0005)) * (0.9 * blast + rumble + 0.8 * boom + crackle));
    }
    FadeOut(out, Samples(rate, 0.2));
    Normalize(out, 0.85f);
    return out;
}

std::vector<float> MenuHover(long rate)
{
    const double duration = 0.09;
    const size_t length = Samples(rate, duration);
    std::vector<float> out(length);
    double phase = 0.0;
    const size_t attack = Samples(rate, 0.004);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += kTwoPi * 1046.5 * (1.0 + 0.26 * t / duration) / rate;  // C6 gliding up to E6
        double level = std::exp(-t / 0.035);
        if (i < attack)
            level *= 0.5 * (1.0 - std::cos(M_PI * i / attack));
        out[i] = static_cast<float>(level * (std::sin(phase) + 0.15 * std::sin(2.0 * phase)));
    }
    FadeOut(out, Samples(rate, 0.02));
    Normalize(out, 0.35f);
    return out;
}

const std::vector<SoundFile>& AllSounds()
{
    static const std::vector<SoundFile> sounds = {
        {"slow_engine1.ogg", 44100, 0.4f, EngineIdle},
        {"fire1.ogg", 44100, 0.4f, Fire},
        {"die_2.ogg", 44100, 0.4f, Explosion},
        {"menu_hover.ogg", 44100, 0.4f, MenuHover},
    };
    return sounds;
}

}  // namespace sounds

#include "sounds/Synth.h"

#include <algorithm>
#include <cmath>

namespace sounds {

float Noise::Next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
}

namespace {

struct Coefficients {
    double b0, b1, b2, a0, a1, a2;
};

}  // namespace

// Coefficients after the well-known "Audio EQ Cookbook" formulas.
Biquad Biquad::LowPass(double rate, double cutoff, double q)
{
    const double w = 2.0 * M_PI * cutoff / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    Biquad f;
    const double a0 = 1.0 + alpha;
    f.b0_ = (1.0 - c) / 2.0 / a0;
    f.b1_ = (1.0 - c) / a0;
    f.b2_ = f.b0_;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

Biquad Biquad::HighPass(double rate, double cutoff, double q)
{
    const double w = 2.0 * M_PI * cutoff / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    Biquad f;
    const double a0 = 1.0 + alpha;
    f.b0_ = (1.0 + c) / 2.0 / a0;
    f.b1_ = -(1.0 + c) / a0;
    f.b2_ = f.b0_;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

Biquad Biquad::BandPass(double rate, double centre, double q)
{
    const double w = 2.0 * M_PI * centre / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    Biquad f;
    const double a0 = 1.0 + alpha;
    f.b0_ = alpha / a0;
    f.b1_ = 0.0;
    f.b2_ = -alpha / a0;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

float Biquad::Process(float x)
{
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
}

void FilterLoop(std::vector<float>& loop, Biquad filter, int rounds)
{
    filter.Reset();
    std::vector<float> out(loop.size());
    for (int r = 0; r < rounds; ++r)
        for (size_t i = 0; i < loop.size(); ++i)
            out[i] = filter.Process(loop[i]);
    loop = out;
}

void Normalize(std::vector<float>& samples, float peak)
{
    float largest = 0.0f;
    for (float s : samples)
        largest = std::max(largest, std::fabs(s));
    if (largest <= 0.0f)
        return;
    for (float& s : samples)
        s *= peak / largest;
}

void FadeOut(std::vector<float>& samples, size_t count)
{
    count = std::min(count, samples.size());
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i + 1) / count;  // reaches silence on the last sample
        samples[samples.size() - count + i] *= static_cast<float>(0.5 * (1.0 + std::cos(M_PI * t)));
    }
}

}  // namespace sounds

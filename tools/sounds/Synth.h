// Small building blocks for synthesizing sound effects: noise, filters, envelopes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sounds {

// Deterministic noise source (xorshift32), the same on every machine.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1u) {}
    // Uniform in [-1, 1).
    float Next();
    // Uniform in [0, 1).
    float Unit() { return 0.5f * (Next() + 1.0f); }

private:
    uint32_t state_;
};

// Second-order filter (the usual audio biquads).
class Biquad {
public:
    static Biquad LowPass(double rate, double cutoff, double q);
    static Biquad HighPass(double rate, double cutoff, double q);
    static Biquad BandPass(double rate, double centre, double q);
    float Process(float x);
    void Reset() { x1_ = x2_ = y1_ = y2_ = 0.0; }

private:
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Filters a loop as if it had been playing forever: the filter runs round it until its
// state has settled, so the output joins up with itself at the seam.
void FilterLoop(std::vector<float>& loop, Biquad filter, int rounds = 3);

// Scales so that the largest magnitude is `peak`.
void Normalize(std::vector<float>& samples, float peak);

// Raised-cosine fade from full level to silence over the last `count` samples.
void FadeOut(std::vector<float>& samples, size_t count);

}  // namespace sounds

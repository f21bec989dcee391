#pragma once
#include <cstdint>
#include <random>

// The program's one pseudo-random generator. The main window seeds it from the clock once;
// tests seed it themselves to replay a game.
class Random {
public:
    void Seed(uint32_t seed) { engine_.seed(seed); }
    // A uniform integer in 0..range-1 (range >= 1).
    int Next(int range) { return std::uniform_int_distribution<int>(0, range - 1)(engine_); }

private:
    std::mt19937 engine_{5489u};
};

inline Random& ProgramRandom() {
    static Random random;
    return random;
}

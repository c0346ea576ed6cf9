// Random numbers from a fixed seed, the same on every platform: the engine's own
// output, no distributions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace TestSupport {

class Dice {
public:
    std::uint32_t Below(std::size_t limit) {
        return limit ? static_cast<std::uint32_t>(engine_() % limit) : 0;
    }
    bool OneIn(std::uint32_t chances) { return Below(chances) == 0; }
    std::uint32_t Next() { return engine_(); }

private:
    std::mt19937 engine_{20261207};
};

} // namespace TestSupport

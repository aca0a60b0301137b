// The program's one random source: a linear congruential generator over 32 bits.
#pragma once

#include <cstdint>

namespace marulex {

class RandomSource {
 public:
  explicit RandomSource(std::uint32_t seed = 0) : state_(seed) {}

  // One draw: a value from 0 to 32767.
  std::int32_t Draw() {
    state_ = state_ * 22695477u + 1u;
    return static_cast<std::int32_t>((state_ >> 16) & 32767u);
  }

  std::uint32_t State() const { return state_; }

 private:
  std::uint32_t state_;
};

}  // namespace marulex

#include "scene/damage.h"

#include <algorithm>

namespace marulex {

namespace {

constexpr std::int32_t kShift = 3;  // log2 of the tile size
static_assert(Damage::kTile == 1 << kShift);

std::int32_t TilesFor(std::int32_t pixels) {
  return pixels <= 0 ? 0 : ((pixels - 1) >> kShift) + 1;
}

std::size_t WordsFor(std::int32_t bits) {
  return (static_cast<std::size_t>(bits) + 63) / 64;
}

// Bits first to last (inclusive, both within one 64-bit word).
std::uint64_t Bits(unsigned first, unsigned last) {
  const std::uint64_t upto_last =
      last == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (last + 1)) - 1;
  return upto_last & ~((std::uint64_t{1} << first) - 1);
}

}  // namespace

Damage::Damage(std::int32_t width, std::int32_t height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      columns_(TilesFor(width)),
      rows_(TilesFor(height)),
      words_per_row_(WordsFor(columns_)),
      whole_cost_(std::int64_t{width_} * height_) {
  for (Marks* marks : {&now_, &last_}) {
    marks->tiles.assign(words_per_row_ * static_cast<std::size_t>(rows_), 0);
    marks->rows.assign(WordsFor(rows_), 0);
  }
}

void Damage::Add(const Rect& area) {
  const Rect on = Intersect(area, {0, 0, width_, height_});
  if (on.Empty()) return;
  now_.cost += kRectCost + std::int64_t{on.width} * on.height;
  // Past the cost of the whole, the frame is presented and wiped whole: marks are not needed.
  if (now_.cost > whole_cost_) return;
  const auto first_column = static_cast<std::size_t>(on.x >> kShift);
  const auto last_column = static_cast<std::size_t>((on.x + on.width - 1) >> kShift);
  const auto first_row = static_cast<std::size_t>(on.y >> kShift);
  const auto last_row = static_cast<std::size_t>((on.y + on.height - 1) >> kShift);
  const std::size_t first_word = first_column / 64;
  const std::size_t last_word = last_column / 64;
  for (std::size_t row = first_row; row <= last_row; ++row) {
    now_.rows[row / 64] |= std::uint64_t{1} << (row % 64);
    std::uint64_t* words = &now_.tiles[row * words_per_row_];
    // A sprite is at most a few tiles wide, so nearly always within one word.
    for (std::size_t word = first_word; word <= last_word; ++word) {
      const unsigned first_bit = word == first_word ? first_column % 64 : 0;
      const unsigned last_bit = word == last_word ? last_column % 64 : 63;
      words[word] |= Bits(first_bit, last_bit);
    }
  }
}

void Damage::CoverWithBlocks() {
  constexpr int kTilesPerBlock = kBlock / kTile;
  static_assert(kTilesPerBlock == 4, "blocks are 4 x 4 tiles: 16 of them in a word of tiles");
  rects_.clear();
  const std::size_t block_rows =
      (static_cast<std::size_t>(rows_) + kTilesPerBlock - 1) / kTilesPerBlock;
  for (std::size_t block_row = 0; block_row < block_rows; ++block_row) {
    // Only block rows holding a marked tile row: 16 block rows to a word of row marks.
    const std::size_t row_word = block_row / 16;
    const unsigned shift = static_cast<unsigned>(block_row % 16) * kTilesPerBlock;
    if ((((now_.rows[row_word] | last_.rows[row_word]) >> shift) & 0xF) == 0) continue;
    // The marks of the block row's tile rows, together; each block is 4 neighbouring bits.
    std::int32_t run_start = -1;
    const auto flush = [&](std::int32_t end_block) {
      if (run_start < 0) return;
      rects_.push_back(Intersect({run_start * kBlock, static_cast<std::int32_t>(block_row) * kBlock,
                                  (end_block - run_start) * kBlock, kBlock},
                                 {0, 0, width_, height_}));
      run_start = -1;
    };
    const std::size_t first_row = block_row * kTilesPerBlock;
    const std::size_t end_row =
        std::min(first_row + kTilesPerBlock, static_cast<std::size_t>(rows_));
    for (std::size_t w = 0; w < words_per_row_; ++w) {
      std::uint64_t bits = 0;
      for (std::size_t r = first_row; r < end_row; ++r) {
        bits |= now_.tiles[r * words_per_row_ + w] | last_.tiles[r * words_per_row_ + w];
      }
      for (int block = 0; block < 16; ++block) {
        const auto at = static_cast<std::int32_t>(w * 16) + block;
        if ((bits >> (block * kTilesPerBlock)) & 0xF) {
          if (run_start < 0) run_start = at;
        } else {
          flush(at);
        }
      }
    }
    flush(static_cast<std::int32_t>(words_per_row_ * 16));
  }
}

void Damage::Finish() {
  rects_.clear();
  if (all_ || now_.cost + last_.cost > whole_cost_) {
    if (width_ > 0 && height_ > 0) rects_.push_back({0, 0, width_, height_});
  } else {
    ScanRuns(now_, &last_, [&](const Rect& run) { rects_.push_back(run); });
    if (rects_.size() > kMostPieces) CoverWithBlocks();
  }
  // The older frame's marks are spent; this frame's become the previous frame's.
  for (std::size_t row_word = 0; row_word < last_.rows.size(); ++row_word) {
    for (std::uint64_t rows = last_.rows[row_word]; rows != 0; rows &= rows - 1) {
      const std::size_t row = row_word * 64 + static_cast<std::size_t>(std::countr_zero(rows));
      std::fill_n(last_.tiles.begin() + static_cast<std::ptrdiff_t>(row * words_per_row_),
                  words_per_row_, 0);
    }
    last_.rows[row_word] = 0;
  }
  last_.cost = 0;
  std::swap(now_, last_);
  all_ = false;
}

}  // namespace marulex

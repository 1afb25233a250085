#pragma once

// The unfilter stage: reverses the five PNG row filters in place.

#include <cstddef>
#include <cstdint>

namespace pellimore::png {

enum FilterTypes : uint8_t { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAverage = 3, kFilterPaeth = 4 };

// Reverses the filter of one row in place. `prior` is the previous row of the
// same image or pass, already unfiltered, or a row of zeros for the first
// row; both hold `rowBytes` bytes. `bytesPerPixel` is the filters' look-back
// distance (1 to 8). False for a filter type above 4.
bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel);

// Reverses the filters of `count` consecutive rows in place: each row is its
// filter byte followed by `rowBytes` bytes, `stride` bytes apart; `prior` is
// the unfiltered row above the first (or zeros). False at the first filter
// type above 4 (rows before it are done).
bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel);

// The builds behind the two functions above, for tests: `baseline` runs on
// any processor of the target; `sse41` and `avx2` exist on x86-64 and may be
// called only when Sse41FiltersAvailable() and Avx2FiltersAvailable() say so.
namespace baseline {
bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel);
bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel);
}  // namespace baseline
namespace sse41 {
bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel);
bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel);
}  // namespace sse41
namespace avx2 {
bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel);
bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel);
}  // namespace avx2
bool Sse41FiltersAvailable();
bool Avx2FiltersAvailable();

}  // namespace pellimore::png

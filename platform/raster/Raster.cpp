#include "platform/raster/Raster.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>

namespace pellimore {

namespace {

// Keeps a helper thread off the CPU its creator runs on, when the creator may
// use others. A scheduler that starts it there can time-slice the two busy
// threads on one CPU for tens of milliseconds while another CPU idles.
void KeepOffCreatorsCpu(std::thread &thread)
{
    const int cpu = sched_getcpu();
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (cpu < 0 || cpu >= CPU_SETSIZE || sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return;
    CPU_CLR(cpu, &allowed);
    if (CPU_COUNT(&allowed) > 0)
        pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
}

// Clamps a 64-bit value into int range (positions far outside any bitmap).
int ClampToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

// Applies a ternary raster operation row by row. Rows and columns run
// backwards when source and destination are the same bitmap and the
// destination lies below or to the right, so overlapping blocks behave like
// memmove.
template <typename Op>
void BlitRows(Bitmap &dst, int x, int y, int w, int h, const Bitmap *src, int sx, int sy, Op op)
{
    const bool same = src == &dst;
    const bool rowsBackwards = same && y > sy;
    const bool colsBackwards = same && y == sy && x > sx;
    for (int i = 0; i < h; ++i) {
        const int r = rowsBackwards ? h - 1 - i : i;
        Pixel *d = dst.Row(y + r) + x;
        const Pixel *s = src ? src->Row(sy + r) + sx : nullptr;
        if (colsBackwards) {
            for (int c = w - 1; c >= 0; --c)
                d[c] = op(d[c], s ? s[c] : 0);
        } else {
            for (int c = 0; c < w; ++c)
                d[c] = op(d[c], s ? s[c] : 0);
        }
    }
}

bool RopUsesSource(uint32_t rop)
{
    return rop != kBlackness && rop != kWhiteness && rop != kDstInvert;
}

// Calls f with the functor of a supported rop.
template <typename F>
void WithRop(uint32_t rop, F &&f)
{
    switch (rop) {
    case kSrcCopy: f([](Pixel, Pixel s) { return s; }); break;
    case kSrcPaint: f([](Pixel d, Pixel s) { return d | s; }); break;
    case kSrcAnd: f([](Pixel d, Pixel s) { return d & s; }); break;
    case kSrcInvert: f([](Pixel d, Pixel s) { return d ^ s; }); break;
    case kDstAndNotSrc: f([](Pixel d, Pixel s) { return d & ~s; }); break;
    case kNotSrcCopy: f([](Pixel, Pixel s) { return ~s; }); break;
    case kDstInvert: f([](Pixel d, Pixel) { return ~d; }); break;
    case kBlackness: f([](Pixel, Pixel) { return Pixel(0); }); break;
    case kWhiteness: f([](Pixel, Pixel) { return Pixel(0xFFFFFFFFu); }); break;
    default: break;
    }
}

// Exact x / 255 rounded, for x up to 255 * 255.
inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

}  // namespace

bool IsSupportedRop(uint32_t rop)
{
    switch (rop) {
    case kSrcCopy: case kSrcPaint: case kSrcAnd: case kSrcInvert: case kDstAndNotSrc:
    case kNotSrcCopy: case kDstInvert: case kBlackness: case kWhiteness:
        return true;
    default:
        return false;
    }
}

bool BitBlt(Bitmap &dst, int x, int y, int w, int h, const Bitmap &src, int sx, int sy, uint32_t rop)
{
    if (!IsSupportedRop(rop))
        return false;
    const bool usesSource = RopUsesSource(rop);
    // Clip in 64 bits so that far-off positions cannot overflow.
    int64_t X = x, Y = y, W = w, H = h, SX = sx, SY = sy;
    auto clipLow = [](int64_t &a, int64_t &b, int64_t &len) {
        if (a < 0) {
            b -= a;
            len += a;
            a = 0;
        }
    };
    clipLow(X, SX, W);
    clipLow(Y, SY, H);
    if (usesSource) {
        clipLow(SX, X, W);
        clipLow(SY, Y, H);
        W = std::min(W, int64_t(src.Width()) - SX);
        H = std::min(H, int64_t(src.Height()) - SY);
    }
    W = std::min(W, int64_t(dst.Width()) - X);
    H = std::min(H, int64_t(dst.Height()) - Y);
    if (W <= 0 || H <= 0)
        return true;
    const Bitmap *source = usesSource ? &src : nullptr;
    if (rop == kSrcCopy) {
        const bool rowsBackwards = &src == &dst && Y > SY;
        for (int64_t i = 0; i < H; ++i) {
            const int64_t r = rowsBackwards ? H - 1 - i : i;
            std::memmove(dst.Row(int(Y + r)) + X, src.Row(int(SY + r)) + SX, std::size_t(W) * sizeof(Pixel));
        }
        return true;
    }
    WithRop(rop, [&](auto op) { BlitRows(dst, int(X), int(Y), int(W), int(H), source, int(SX), int(SY), op); });
    return true;
}

// ---------------------------------------------------------------------------
// StretchBlt

namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// Filter taps of one axis: for each destination index of the clipped range,
// the source indexes (already clamped to the bitmap) and their weights, which
// add up to kWeightOne.
struct AxisTaps {
    std::vector<int> first;  // per destination index; first[k + 1] ends it
    std::vector<int> index;
    std::vector<int> weight;
};

// destFrom..destTo: clipped destination range relative to the rectangle's
// start; n: destination extent; srcStart, s: source start and extent;
// limit: source bitmap extent.
AxisTaps BuildTaps(int destFrom, int destTo, int n, bool flip, int srcStart, int s, int limit, bool halftone)
{
    AxisTaps taps;
    taps.first.reserve(std::size_t(destTo - destFrom) + 1);
    auto clampIndex = [&](int64_t j) { return int(std::clamp<int64_t>(srcStart + j, 0, limit - 1)); };
    for (int k = destFrom; k < destTo; ++k) {
        const int i = flip ? n - 1 - k : k;
        taps.first.push_back(int(taps.index.size()));
        if (!halftone) {
            const int64_t j = (int64_t(2 * int64_t(i) + 1) * s) / (2 * int64_t(n));
            taps.index.push_back(clampIndex(j));
            taps.weight.push_back(kWeightOne);
        } else if (n < s) {
            // Area average: destination pixel i covers [i*s/n, (i+1)*s/n).
            const double scale = double(s) / n;
            const double lo = i * scale, hi = (i + 1) * scale;
            const int64_t j0 = int64_t(lo), j1 = std::min<int64_t>(int64_t(hi - 1e-9), s - 1);
            const std::size_t start = taps.index.size();
            int sum = 0, best = -1, bestWeight = -1;
            for (int64_t j = j0; j <= j1; ++j) {
                const double overlap = std::min(hi, double(j + 1)) - std::max(lo, double(j));
                const int wgt = int(overlap / scale * kWeightOne + 0.5);
                if (wgt <= 0)
                    continue;
                taps.index.push_back(clampIndex(j));
                taps.weight.push_back(wgt);
                sum += wgt;
                if (wgt > bestWeight) {
                    bestWeight = wgt;
                    best = int(taps.index.size() - 1);
                }
            }
            if (best < 0) {
                taps.index.push_back(clampIndex(j0));
                taps.weight.push_back(kWeightOne);
            } else {
                taps.weight[std::size_t(best)] += kWeightOne - sum;
            }
            (void)start;
        } else {
            // Bilinear between pixel centres.
            double u = (i + 0.5) * double(s) / n - 0.5;
            u = std::clamp(u, 0.0, double(s - 1));
            const int64_t j = int64_t(u);
            const int frac = int((u - double(j)) * kWeightOne + 0.5);
            taps.index.push_back(clampIndex(j));
            taps.weight.push_back(kWeightOne - frac);
            if (frac > 0) {
                taps.index.push_back(clampIndex(std::min<int64_t>(j + 1, s - 1)));
                taps.weight.push_back(frac);
            }
        }
    }
    taps.first.push_back(int(taps.index.size()));
    return taps;
}

// Normalises a possibly negative extent: start becomes the lowest covered
// index, the extent positive, and flip toggles when it was negative.
void Normalise(int64_t &start, int64_t &extent, bool &flip)
{
    if (extent < 0) {
        start = start + extent + 1;
        extent = -extent;
        flip = !flip;
    }
}

template <typename Op>
void StretchNearest(Bitmap &dst, int x0, int x1, int y0, int y1, const Bitmap &src, const AxisTaps &cols,
                    const AxisTaps &rows, Op op)
{
    for (int y = y0; y < y1; ++y) {
        const Pixel *s = src.Row(rows.index[std::size_t(y - y0)]);
        Pixel *d = dst.Row(y);
        for (int x = x0; x < x1; ++x)
            d[x] = op(d[x], s[cols.index[std::size_t(x - x0)]]);
    }
}

// Horizontal taps laid out densely, taps per pixel fixed (short ones padded
// with weight 0), offsets already in acc units, for a branch-free inner loop.
struct DenseTaps {
    int perPixel = 1;
    std::vector<uint32_t> offset;
    std::vector<uint32_t> weight;
};

DenseTaps Densify(const AxisTaps &taps, int base)
{
    DenseTaps dense;
    const std::size_t n = taps.first.size() - 1;
    for (std::size_t i = 0; i < n; ++i)
        dense.perPixel = std::max(dense.perPixel, taps.first[i + 1] - taps.first[i]);
    dense.offset.assign(n * std::size_t(dense.perPixel), 0);
    dense.weight.assign(n * std::size_t(dense.perPixel), 0);
    for (std::size_t i = 0; i < n; ++i) {
        for (int t = taps.first[i], k = 0; t < taps.first[i + 1]; ++t, ++k) {
            dense.offset[i * std::size_t(dense.perPixel) + std::size_t(k)] = uint32_t(taps.index[std::size_t(t)] - base) * 4;
            dense.weight[i * std::size_t(dense.perPixel) + std::size_t(k)] = uint32_t(taps.weight[std::size_t(t)]);
        }
    }
    return dense;
}

// One destination row from the vertically filtered source row acc. T is the
// number of taps per pixel when known at compile time (0: dense.perPixel).
template <int T, typename Op>
void FilterRow(Pixel *d, int x0, int x1, const uint32_t *acc, const DenseTaps &dense, Op op)
{
    const int taps = T > 0 ? T : dense.perPixel;
    const uint32_t *offset = dense.offset.data();
    const uint32_t *weight = dense.weight.data();
    constexpr int shift = kWeightBits + 8;
    constexpr uint32_t half = 1u << (shift - 1);
    for (int x = x0; x < x1; ++x, offset += taps, weight += taps) {
        uint32_t b = half, g = half, r = half, a = half;
        for (int t = 0; t < taps; ++t) {
            const uint32_t *p = acc + offset[t];
            const uint32_t w = weight[t];
            b += w * p[0];
            g += w * p[1];
            r += w * p[2];
            a += w * p[3];
        }
        const Pixel out = std::min<uint32_t>(b >> shift, 255) | (std::min<uint32_t>(g >> shift, 255) << 8) |
                          (std::min<uint32_t>(r >> shift, 255) << 16) | (std::min<uint32_t>(a >> shift, 255) << 24);
        d[x] = op(d[x], out);
    }
}

// Column range of the horizontal taps, and the taps laid out for FilterRow.
struct ColumnFilter {
    int cMin = 0;
    int span = 0;
    DenseTaps dense;
};

ColumnFilter MakeColumnFilter(const AxisTaps &cols)
{
    int cMin = INT32_MAX, cMax = -1;
    for (int idx : cols.index) {
        cMin = std::min(cMin, idx);
        cMax = std::max(cMax, idx);
    }
    return {cMin, cMax - cMin + 1, Densify(cols, cMin)};
}

// Destination row d (columns x0..x1) from the source rows its vertical taps
// `ry` name; rowAt(i) gives source row i. acc holds span * 4 values.
template <typename Op, typename RowAt>
void FilterDestinationRow(Pixel *d, int x0, int x1, std::size_t ry, const AxisTaps &rows, RowAt rowAt,
                          const ColumnFilter &filter, std::vector<uint32_t> &acc, Op op)
{
    // Vertically filtered source row, 4 channels, in units of 1/256.
    // Local bounds and unaliased pointers, so that the loops vectorise.
    const std::size_t n = std::size_t(filter.span) * 4;
    uint32_t *__restrict a = acc.data();
    std::fill(a, a + n, 0u);
    for (int t = rows.first[ry]; t < rows.first[ry + 1]; ++t) {
        const uint32_t wgt = uint32_t(rows.weight[std::size_t(t)]);
        const uint8_t *__restrict s = reinterpret_cast<const uint8_t *>(rowAt(rows.index[std::size_t(t)]) + filter.cMin);
        for (std::size_t c = 0; c < n; ++c)
            a[c] += wgt * s[c];
    }
    for (std::size_t c = 0; c < n; ++c)
        a[c] = (a[c] + 32) >> 6;
    switch (filter.dense.perPixel) {
    case 1: FilterRow<1>(d, x0, x1, acc.data(), filter.dense, op); break;
    case 2: FilterRow<2>(d, x0, x1, acc.data(), filter.dense, op); break;
    case 3: FilterRow<3>(d, x0, x1, acc.data(), filter.dense, op); break;
    default: FilterRow<0>(d, x0, x1, acc.data(), filter.dense, op); break;
    }
}

template <typename Op>
void StretchFiltered(Bitmap &dst, int x0, int x1, int y0, int y1, const Bitmap &src, const AxisTaps &cols,
                     const AxisTaps &rows, Op op)
{
    const ColumnFilter filter = MakeColumnFilter(cols);
    // The bands write rows of dst side by side: its pixels must be its own
    // before they start, not copied by whichever band writes first.
    dst.Detach();
    // Each destination row depends on its source rows alone, so bands of
    // rows can be filtered side by side.
    const auto filterRows = [&](int yBegin, int yEnd) {
        std::vector<uint32_t> acc(std::size_t(filter.span) * 4);
        const auto rowAt = [&src](int i) { return src.Row(i); };
        for (int y = yBegin; y < yEnd; ++y)
            FilterDestinationRow(dst.Row(y), x0, x1, std::size_t(y - y0), rows, rowAt, filter, acc, op);
    };
    // Small pictures are not worth a thread; big ones use the cores there are.
    constexpr int64_t kPixelsPerThread = 1 << 20;
    const int64_t pixels = int64_t(y1 - y0) * (x1 - x0);
    const int64_t cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    const int bands = int(std::clamp<int64_t>(pixels / kPixelsPerThread, 1, cores));
    if (bands == 1) {
        filterRows(y0, y1);
        return;
    }
    const int step = (y1 - y0 + bands - 1) / bands;
    std::vector<std::thread> workers;
    for (int band = 1; band < bands; ++band) {
        const int begin = y0 + band * step;
        const int end = std::min(y1, begin + step);
        if (begin < end) {
            workers.emplace_back(filterRows, begin, end);
            KeepOffCreatorsCpu(workers.back());
        }
    }
    filterRows(y0, std::min(y1, y0 + step));
    for (std::thread &worker : workers)
        worker.join();
}

}  // namespace

bool StretchBlt(Bitmap &dst, int dx, int dy, int dw, int dh, const Bitmap &src, int sx, int sy, int sw, int sh,
                StretchMode mode, uint32_t rop)
{
    if (!IsSupportedRop(rop) || dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return false;
    if (!RopUsesSource(rop))
        return BitBlt(dst, std::min(dx, dx + dw + 1), std::min(dy, dy + dh + 1), std::abs(dw), std::abs(dh), dst, 0,
                      0, rop);
    if (src.IsNull())
        return false;
    if (dst.IsNull())
        return true;
    if (&src == &dst) {
        const Bitmap copy = src;
        return StretchBlt(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, mode, rop);
    }
    // The same size both ways, unmirrored and inside the source: every mode
    // takes each pixel as it is (one tap of full weight), so it is a copy.
    if (dw == sw && dh == sh && dw > 0 && dh > 0 && sx >= 0 && sy >= 0 && int64_t(sx) + sw <= src.Width() &&
        int64_t(sy) + sh <= src.Height())
        return BitBlt(dst, dx, dy, dw, dh, src, sx, sy, rop);
    bool flipX = false, flipY = false;
    int64_t DX = dx, DY = dy, DW = dw, DH = dh, SX = sx, SY = sy, SW = sw, SH = sh;
    Normalise(DX, DW, flipX);
    Normalise(DY, DH, flipY);
    Normalise(SX, SW, flipX);
    Normalise(SY, SH, flipY);
    // Clipped destination range.
    const int64_t x0 = std::max<int64_t>(DX, 0), x1 = std::min<int64_t>(DX + DW, dst.Width());
    const int64_t y0 = std::max<int64_t>(DY, 0), y1 = std::min<int64_t>(DY + DH, dst.Height());
    if (x0 >= x1 || y0 >= y1)
        return true;
    if (DW > INT32_MAX / 4 || DH > INT32_MAX / 4 || SW > INT32_MAX / 4 || SH > INT32_MAX / 4)
        return false;
    const bool halftone = mode == StretchMode::Halftone;
    const AxisTaps cols = BuildTaps(int(x0 - DX), int(x1 - DX), int(DW), flipX, ClampToInt(SX), int(SW), src.Width(),
                                    halftone);
    const AxisTaps rows = BuildTaps(int(y0 - DY), int(y1 - DY), int(DH), flipY, ClampToInt(SY), int(SH), src.Height(),
                                    halftone);
    WithRop(rop, [&](auto op) {
        if (halftone)
            StretchFiltered(dst, int(x0), int(x1), int(y0), int(y1), src, cols, rows, op);
        else
            StretchNearest(dst, int(x0), int(x1), int(y0), int(y1), src, cols, rows, op);
    });
    return true;
}

// ---------------------------------------------------------------------------
// StreamingHalftone

struct StreamingHalftone::State {
    AxisTaps rows;
    ColumnFilter filter;
    // Per destination row: the first and the last source row it needs.
    std::vector<int> firstRow;
    std::vector<int> lastRow;
    std::vector<Pixel> ring;  // the source rows still needed, row i at slot i % ringRows
    int ringRows = 1;
    int sourceWidth = 0;
    std::vector<uint32_t> acc;

    // Rows given and destination rows finished. With a worker filtering
    // beside the decoder each side waits on the other's counter, and wakes
    // it only when it sleeps (a flag it raises first), so that passing rows
    // costs no system call while both keep up.
    std::atomic<int> received = 0;
    std::atomic<int> nextRow = 0;
    std::atomic<bool> workerSleeps = false;
    std::atomic<bool> decoderSleeps = false;
    std::atomic<bool> stop = false;
    std::thread worker;

    Pixel *Slot(int row) { return ring.data() + std::size_t(row % ringRows) * std::size_t(sourceWidth); }
};

namespace {

// Destination rows of at least this many pixels in all are filtered on a
// second core while the decoder makes the next source rows.
constexpr int64_t kStreamingWorkerPixels = int64_t(1) << 20;
// Source rows the ring holds beyond what one destination row needs, so that
// the decoder seldom waits for the worker.
constexpr int kWorkerSlackRows = 16;

}  // namespace

StreamingHalftone::StreamingHalftone(Bitmap &dst, int sourceWidth, int sourceHeight)
    : StreamingHalftone(dst, QRect(0, 0, dst.Width(), dst.Height()), sourceWidth, sourceHeight)
{
}

StreamingHalftone::StreamingHalftone(Bitmap &dst, const QRect &target, int sourceWidth, int sourceHeight)
    : dst_(dst), target_(target.intersected(QRect(0, 0, dst.Width(), dst.Height())))
{
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return;
    auto state = std::make_unique<State>();
    state->sourceWidth = sourceWidth;
    if (target_.isEmpty()) {
        // Nothing to draw: rows are taken and dropped.
        state->ring.resize(std::size_t(sourceWidth));
        state_ = std::move(state);
        return;
    }
    const int width = target_.width(), height = target_.height();
    const AxisTaps cols = BuildTaps(0, width, width, false, 0, sourceWidth, sourceWidth, true);
    state->rows = BuildTaps(0, height, height, false, 0, sourceHeight, sourceHeight, true);
    state->filter = MakeColumnFilter(cols);
    const AxisTaps &rows = state->rows;
    state->firstRow.resize(std::size_t(height));
    state->lastRow.resize(std::size_t(height));
    for (std::size_t y = 0; y < state->lastRow.size(); ++y) {
        int lo = INT32_MAX, hi = -1;
        for (int t = rows.first[y]; t < rows.first[y + 1]; ++t) {
            lo = std::min(lo, rows.index[std::size_t(t)]);
            hi = std::max(hi, rows.index[std::size_t(t)]);
        }
        // Later destination rows never need earlier source rows.
        state->firstRow[y] = y > 0 ? std::max(lo, state->firstRow[y - 1]) : lo;
        state->lastRow[y] = hi;
        state->ringRows = std::max(state->ringRows, hi - lo + 1);
    }
    const bool threaded = int64_t(width) * height >= kStreamingWorkerPixels && std::thread::hardware_concurrency() > 1;
    if (threaded)
        state->ringRows = std::min(sourceHeight, state->ringRows + kWorkerSlackRows);
    state->ring.resize(std::size_t(state->ringRows) * std::size_t(sourceWidth));
    state->acc.resize(std::size_t(state->filter.span) * 4);
    dst_.Detach();
    state_ = std::move(state);
    if (threaded) {
        try {
            state_->worker = std::thread([this] { FilterRowsAsTheyCome(); });
            KeepOffCreatorsCpu(state_->worker);
        } catch (const std::system_error &) {
            // No thread to be had: the rows are filtered as they come, here.
        }
    }
}

StreamingHalftone::~StreamingHalftone()
{
    if (!state_ || !state_->worker.joinable())
        return;
    // The rows the source rows given allow are finished; then the worker,
    // which may wait for rows that never come, is told to stop.
    Done();
    State &s = *state_;
    s.stop.store(true);
    s.received.fetch_add(1);
    s.received.notify_all();
    s.worker.join();
}

void StreamingHalftone::FilterRow(int y)
{
    State &s = *state_;
    const auto copy = [](Pixel, Pixel source) { return source; };
    FilterDestinationRow(dst_.Row(target_.y() + y) + target_.x(), 0, target_.width(), std::size_t(y), s.rows,
                         [&s](int i) { return s.Slot(i); }, s.filter, s.acc, copy);
}

namespace {

// Waits until ready() holds, sleeping on counter (which the other side
// changes, and wakes it through when sleeps is raised).
template <typename Ready>
void WaitFor(std::atomic<int> &counter, std::atomic<bool> &sleeps, Ready ready)
{
    // The other side usually moves on within microseconds: a short spin
    // first spares the sleep and the wake-up.
    for (int spin = 0; spin < 4000 && !ready(); ++spin) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    while (!ready()) {
        const int seen = counter.load();
        sleeps.store(true);
        if (!ready() && counter.load() == seen)
            counter.wait(seen);
        sleeps.store(false);
    }
}

// Moves the counter on and wakes the other side when it sleeps.
void Advance(std::atomic<int> &counter, std::atomic<bool> &sleeps, int value)
{
    counter.store(value);
    if (sleeps.load())
        counter.notify_one();
}

}  // namespace

void StreamingHalftone::FilterRowsAsTheyCome()
{
    State &s = *state_;
    for (int y = 0; y < target_.height(); ++y) {
        const int needs = s.lastRow[std::size_t(y)];
        WaitFor(s.received, s.workerSleeps, [&] { return s.stop.load() || s.received.load() > needs; });
        if (s.stop.load())
            return;
        // The rows it reads have arrived, and the decoder does not overwrite
        // them before nextRow has moved past every row that needs them.
        FilterRow(y);
        Advance(s.nextRow, s.decoderSleeps, y + 1);
    }
}

Pixel *StreamingHalftone::NextRow()
{
    if (!state_)
        return nullptr;
    State &s = *state_;
    const int row = s.received.load();
    if (s.worker.joinable()) {
        // The slot's earlier row must be of no more use to the worker.
        const int height = target_.height();
        WaitFor(s.nextRow, s.decoderSleeps, [&] {
            const int next = s.nextRow.load();
            return next >= height || row - s.ringRows < s.firstRow[std::size_t(next)];
        });
    }
    return s.Slot(row);
}

void StreamingHalftone::RowDone()
{
    if (!state_)
        return;
    State &s = *state_;
    const int arrived = s.received.load();
    if (s.worker.joinable()) {
        Advance(s.received, s.workerSleeps, arrived + 1);
        return;
    }
    s.received.store(arrived + 1);
    int next = s.nextRow.load();
    while (next < target_.height() && s.lastRow[std::size_t(next)] <= arrived)
        FilterRow(next++);
    s.nextRow.store(next);
}

bool StreamingHalftone::Done()
{
    if (!state_)
        return true;
    State &s = *state_;
    const int height = target_.height();
    if (s.worker.joinable() && !s.stop.load()) {
        // Every destination row the rows given so far allow is finished first.
        const int received = s.received.load();
        WaitFor(s.nextRow, s.decoderSleeps, [&] {
            const int next = s.nextRow.load();
            return next >= height || s.lastRow[std::size_t(next)] >= received;
        });
    }
    return s.nextRow.load() >= height;
}

void FillCanvasMargin(Bitmap &bitmap, const ShownCanvas &canvas)
{
    const QRect block = canvas.picture.intersected(QRect(0, 0, bitmap.Width(), bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        Pixel *row = bitmap.Row(y);
        if (y < block.top() || y > block.bottom()) {
            std::fill_n(row, bitmap.Width(), canvas.fill);
        } else {
            std::fill_n(row, block.left(), canvas.fill);
            std::fill(row + block.right() + 1, row + bitmap.Width(), canvas.fill);
        }
    }
}

// ---------------------------------------------------------------------------
// AlphaBlend

bool AlphaBlend(Bitmap &dst, int dx, int dy, int dw, int dh, const Bitmap &src, int sx, int sy, int sw, int sh,
                uint8_t constantAlpha, bool perPixelAlpha)
{
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || sx < 0 || sy < 0 || int64_t(sx) + sw > src.Width() ||
        int64_t(sy) + sh > src.Height())
        return false;
    if (&src == &dst) {
        const Bitmap copy = src;
        return AlphaBlend(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, constantAlpha, perPixelAlpha);
    }
    const int64_t x0 = std::max<int64_t>(dx, 0), x1 = std::min<int64_t>(int64_t(dx) + dw, dst.Width());
    const int64_t y0 = std::max<int64_t>(dy, 0), y1 = std::min<int64_t>(int64_t(dy) + dh, dst.Height());
    if (x0 >= x1 || y0 >= y1)
        return true;
    const AxisTaps cols = BuildTaps(int(x0 - dx), int(x1 - dx), dw, false, sx, sw, src.Width(), false);
    const uint32_t ca = constantAlpha;
    for (int64_t y = y0; y < y1; ++y) {
        const int64_t sourceRow = sy + ((2 * (y - dy) + 1) * sh) / (2 * int64_t(dh));
        const Pixel *s = src.Row(int(sourceRow));
        Pixel *d = dst.Row(int(y));
        for (int64_t x = x0; x < x1; ++x) {
            Pixel sp = s[cols.index[std::size_t(x - x0)]];
            uint32_t sc[4] = {sp & 0xFF, (sp >> 8) & 0xFF, (sp >> 16) & 0xFF, sp >> 24};
            if (ca != 255) {
                for (auto &c : sc)
                    c = Div255(c * ca);
            }
            const uint32_t inverse = 255 - (perPixelAlpha ? sc[3] : ca);
            const Pixel dp = d[x];
            Pixel out = 0;
            for (int c = 0; c < 4; ++c) {
                const uint32_t dc = (dp >> (8 * c)) & 0xFF;
                out |= std::min<uint32_t>(sc[c] + Div255(dc * inverse), 255) << (8 * c);
            }
            d[x] = out;
        }
    }
    return true;
}

}  // namespace pellimore

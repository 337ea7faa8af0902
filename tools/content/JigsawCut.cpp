#include "tools/content/JigsawCut.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/content/Canvas.h"
#include "tools/content/ContentRandom.h"

namespace Content {

namespace {

const float kTwoPi = 6.2831853f;
// How far from a cut the outline still shows (pixels).
const float kLineReach = 1.4f;

// Union of two distance fields with the seam rounded over k.
float SmoothMin(float a, float b, float k)
{
    const float h = std::max(k - std::fabs(a - b), 0.0f) / k;
    return std::min(a, b) - h * h * k * 0.25f;
}

float Box(float u, float v, float halfU, float halfV)
{
    const float qu = std::fabs(u) - halfU, qv = std::fabs(v) - halfV;
    const float outside = std::hypot(std::max(qu, 0.0f), std::max(qv, 0.0f));
    return outside + std::min(std::max(qu, qv), 0.0f);
}

} // namespace

void JigsawCut::GridFor(int pieces, int width, int height, int& cols, int& rows)
{
    cols = pieces;
    rows = 1;
    float best = 1e9f;
    for (int c = 1; c <= pieces; ++c) {
        if (pieces % c)
            continue;
        const int r = pieces / c;
        const float aspect = (float(width) / c) / (float(height) / r);
        const float off = std::fabs(std::log(aspect));
        if (off < best) {
            best = off;
            cols = c;
            rows = r;
        }
    }
}

JigsawCut::JigsawCut(int width, int height, int cols, int rows, const CutStyle& style, uint32_t seed)
    : width_(width), height_(height), cols_(cols), rows_(rows), style_(style)
{
    ContentRandom rnd(seed);
    cellWidth_ = float(width) / cols;
    cellHeight_ = float(height) / rows;
    const float m = std::min(cellWidth_, cellHeight_);
    fillet_ = std::max(0.5f, style.fillet * m);
    wave_ = style.wave * m;

    for (int k = 1; k < cols; ++k) {
        Line l;
        l.base = k * cellWidth_ + rnd.Range(-0.04f, 0.04f) * cellWidth_;
        l.phase1 = rnd.Range(0, kTwoPi);
        l.phase2 = rnd.Range(0, kTwoPi);
        columnGrid_.push_back(l);
    }
    for (int j = 1; j < rows; ++j) {
        Line l;
        l.base = j * cellHeight_ + rnd.Range(-0.04f, 0.04f) * cellHeight_;
        l.phase1 = rnd.Range(0, kTwoPi);
        l.phase2 = rnd.Range(0, kTwoPi);
        rowGrid_.push_back(l);
    }
    columnLines_.resize(columnGrid_.size() * height);
    for (size_t k = 0; k < columnGrid_.size(); ++k)
        for (int y = 0; y < height; ++y)
            columnLines_[k * height + y] = LineAt(columnGrid_[k], y + 0.5f, cellHeight_);
    rowLines_.resize(rowGrid_.size() * width);
    for (size_t j = 0; j < rowGrid_.size(); ++j)
        for (int x = 0; x < width; ++x)
            rowLines_[j * width + x] = LineAt(rowGrid_[j], x + 0.5f, cellWidth_);

    auto makeTab = [&](const Line& line, float middle, float edgeLength, float cell) {
        Tab t;
        t.centre = middle + rnd.Range(-1, 1) * style.shift * edgeLength;
        t.line = LineAt(line, t.centre, cell);
        t.side = rnd.Chance(0.5f) ? 1.0f : -1.0f;
        t.skew = rnd.Range(-1, 1) * style.skew * m;
        t.headRadius = style.headRadius * m * rnd.Range(0.92f, 1.06f);
        t.reach = style.reach * m * rnd.Range(0.94f, 1.04f);
        t.neck = style.neck * m * rnd.Range(0.9f, 1.1f);
        return t;
    };
    for (int k = 0; k < cols - 1; ++k)
        for (int r = 0; r < rows; ++r)
            verticalTabs_.push_back(makeTab(columnGrid_[k], (r + 0.5f) * cellHeight_, cellHeight_, cellHeight_));
    for (int j = 0; j < rows - 1; ++j)
        for (int c = 0; c < cols; ++c)
            horizontalTabs_.push_back(makeTab(rowGrid_[j], (c + 0.5f) * cellWidth_, cellWidth_, cellWidth_));

    // Past this offset from its line no tab reaches (with its fillet).
    float tabReach = kLineReach;
    for (const std::vector<Tab>* tabs : {&verticalTabs_, &horizontalTabs_})
        for (const Tab& t : *tabs)
            tabReach = std::max(tabReach, t.reach + t.headRadius + 2 * fillet_ + 2);

    labels_.resize(size_t(width) * height);
    outline_.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            // The cell by the grid lines alone, then the tabs of its four
            // edges may hand the pixel to a neighbour.
            int c0 = 0, r0 = 0;
            while (c0 < cols - 1 && px > columnLines_[size_t(c0) * height + y])
                ++c0;
            while (r0 < rows - 1 && py > rowLines_[size_t(r0) * width + x])
                ++r0;
            int c = c0, r = r0;
            float nearest = 1e9f;
            // Most pixels lie too far from an edge for its tab or its line
            // to matter: the plain offset from the line answers for them.
            // Away from an edge's tab the field is the plain offset, and its
            // distance that over the line's slope.
            auto plainLine = [&](float plain, const float* line, int at, int count) {
                if (std::fabs(plain) < kLineReach) {
                    const float slope = (line[std::min(count - 1, at + 1)] - line[std::max(0, at - 1)]) * 0.5f;
                    nearest = std::min(nearest, std::fabs(plain) / std::sqrt(1 + slope * slope));
                }
                return plain;
            };
            auto column = [&](int k) {
                const float* line = &columnLines_[size_t(k) * height];
                const float plain = px - line[y];
                const Tab& tab = verticalTabs_[size_t(k) * rows + r0];
                if (std::fabs(plain) > tabReach || !NearTab(tab, py))
                    return plainLine(plain, line, y, height);
                auto field = [&](float fx, float fy) { return ColumnField(k, r0, fx, fy); };
                const float f = field(px, py);
                nearest = std::min(nearest, Distance(field, px, py, f));
                return f;
            };
            auto row = [&](int j) {
                const float* line = &rowLines_[size_t(j) * width];
                const float plain = py - line[x];
                const Tab& tab = horizontalTabs_[size_t(j) * cols + c0];
                if (std::fabs(plain) > tabReach || !NearTab(tab, px))
                    return plainLine(plain, line, x, width);
                auto field = [&](float fx, float fy) { return RowField(j, c0, fx, fy); };
                const float f = field(px, py);
                nearest = std::min(nearest, Distance(field, px, py, f));
                return f;
            };
            if (c0 > 0 && column(c0 - 1) < 0)
                c = c0 - 1;
            if (c0 < cols - 1 && column(c0) > 0)
                c = c0 + 1;
            if (r0 > 0 && row(r0 - 1) < 0)
                r = r0 - 1;
            if (r0 < rows - 1 && row(r0) > 0)
                r = r0 + 1;
            // Knobs of two edges never meet with the styles' sizes; should
            // they, the pixel stays in its own row rather than going to a
            // piece diagonally across.
            if (c != c0 && r != r0)
                r = r0;
            labels_[size_t(y) * width + x] = uint16_t(r * cols + c);
            // A line a little over a pixel wide, soft at both sides.
            outline_[size_t(y) * width + x] = uint8_t(std::lround(255.0f * Clamp01(kLineReach - nearest)));
        }
    // A stray part a few pixels wide goes over from its rim inwards.
    for (int pass = 0; pass < 8 && JoinStrayPixels(); ++pass) {
    }
    // Where the blended fields only come close to zero without a change of
    // piece (under a fillet, along a line a knob covers), no line is drawn:
    // the outline stays next to the pixels that do border another piece.
    std::vector<uint8_t> border(labels_.size(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * width + x;
            if ((x + 1 < width && labels_[at + 1] != labels_[at]) || (y + 1 < height && labels_[at + width] != labels_[at]))
                border[at] = 1;
            if ((x + 1 < width && labels_[at + 1] != labels_[at]))
                border[at + 1] = 1;
            if (y + 1 < height && labels_[at + width] != labels_[at])
                border[at + width] = 1;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool near = false;
            for (int v = std::max(0, y - 1); v <= std::min(height - 1, y + 1) && !near; ++v)
                for (int u = std::max(0, x - 1); u <= std::min(width - 1, x + 1) && !near; ++u)
                    near = border[size_t(v) * width + u] != 0;
            if (!near)
                outline_[size_t(y) * width + x] = 0;
        }
}

float JigsawCut::LineAt(const Line& line, float along, float cell) const
{
    const float k = kTwoPi * style_.waves / cell;
    return line.base + wave_ * std::sin(along * k + line.phase1) + 0.5f * wave_ * std::sin(along * k * 2.3f + line.phase2);
}

float JigsawCut::ColumnField(int k, int r, float x, float y) const
{
    return EdgeField(verticalTabs_[size_t(k) * rows_ + r], x, LineAt(columnGrid_[k], y, cellHeight_), y);
}

float JigsawCut::RowField(int j, int c, float x, float y) const
{
    return EdgeField(horizontalTabs_[size_t(j) * cols_ + c], y, LineAt(rowGrid_[j], x, cellWidth_), x);
}

template <class F> float JigsawCut::Distance(F field, float x, float y, float value)
{
    // The slope only ever lengthens the distance, so a value past the
    // line's reach is answer enough.
    if (std::fabs(value) >= kLineReach)
        return std::fabs(value);
    const float h = 0.5f;
    const float gx = (field(x + h, y) - field(x - h, y)) / (2 * h);
    const float gy = (field(x, y + h) - field(x, y - h)) / (2 * h);
    // Only a slope below 1 corrects the value (where blended parts flatten
    // it); above 1 it comes from two parts blended inside the piece, where
    // the value itself is the better guess and a line must not show.
    return std::fabs(value) / Clamp01(std::max(0.25f, std::sqrt(gx * gx + gy * gy)));
}

bool JigsawCut::JoinStrayPixels()
{
    // Each piece's pixels in 4-connected parts; all but its largest part go
    // to the neighbour they touch most.
    const int n = PieceCount();
    std::vector<int> part(labels_.size(), -1);
    std::vector<size_t> partSize, stack;
    std::vector<int> partLabel;
    for (size_t start = 0; start < labels_.size(); ++start) {
        if (part[start] >= 0)
            continue;
        const int id = int(partSize.size());
        const uint16_t l = labels_[start];
        size_t count = 0;
        stack.assign(1, start);
        part[start] = id;
        while (!stack.empty()) {
            const size_t at = stack.back();
            stack.pop_back();
            ++count;
            const int x = int(at % width_), y = int(at / width_);
            const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
            for (int d = 0; d < 4; ++d) {
                if (nx[d] < 0 || ny[d] < 0 || nx[d] >= width_ || ny[d] >= height_)
                    continue;
                const size_t to = size_t(ny[d]) * width_ + nx[d];
                if (part[to] < 0 && labels_[to] == l) {
                    part[to] = id;
                    stack.push_back(to);
                }
            }
        }
        partSize.push_back(count);
        partLabel.push_back(l);
    }
    std::vector<int> largest(n, -1);
    bool changed = false;
    for (size_t id = 0; id < partSize.size(); ++id) {
        int& best = largest[partLabel[id]];
        if (best < 0 || partSize[id] > partSize[best])
            best = int(id);
    }
    for (size_t at = 0; at < labels_.size(); ++at) {
        if (part[at] == largest[labels_[at]])
            continue;
        const int x = int(at % width_), y = int(at / width_);
        const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
        int votes[4] = {0, 0, 0, 0};
        uint16_t names[4] = {0, 0, 0, 0};
        int kinds = 0;
        for (int d = 0; d < 4; ++d) {
            if (nx[d] < 0 || ny[d] < 0 || nx[d] >= width_ || ny[d] >= height_)
                continue;
            const size_t to = size_t(ny[d]) * width_ + nx[d];
            if (labels_[to] == labels_[at] || part[to] != largest[labels_[to]])
                continue;
            int k = 0;
            while (k < kinds && names[k] != labels_[to])
                ++k;
            if (k == kinds)
                names[kinds++] = labels_[to];
            ++votes[k];
        }
        int best = -1;
        for (int k = 0; k < kinds; ++k)
            if (best < 0 || votes[k] > votes[best])
                best = k;
        if (best >= 0) {
            labels_[at] = names[best];
            changed = true;
        }
    }
    return changed;
}

bool JigsawCut::NearTab(const Tab& tab, float along) const
{
    return std::fabs(along - tab.centre) <= tab.headRadius + std::fabs(tab.skew) + 2 * fillet_ + 2;
}

float JigsawCut::EdgeField(const Tab& tab, float across, float line, float along) const
{
    const float plain = across - line;
    const float u = along - tab.centre;
    // Far enough along that knob and neck cannot change the result: the
    // line alone (exactly, so the field has no seam there).
    if (std::fabs(u) - std::fabs(tab.skew) - tab.headRadius > std::fabs(plain) + 1.5f * fillet_ + 1)
        return plain;
    // Across towards the neighbour that receives the tab; the knob is drawn
    // from the line's place at the tab, so it stays round.
    const float v = plain * tab.side;
    const float t = (across - tab.line) * tab.side;
    const float head = std::hypot(u - tab.skew, t - tab.reach) - tab.headRadius;
    // The neck reaches as far back into the owner as forward to the knob,
    // so it meets the line wherever the line wanders.
    const float neck = Box(u, t, tab.neck, tab.reach);
    const float owner = SmoothMin(v, SmoothMin(head, neck, fillet_), fillet_);
    return tab.side > 0 ? owner : -owner;
}

ContentTools::PuzzleFile JigsawCut::ToPuzzleFile() const
{
    const int n = PieceCount();
    std::vector<int> x0(n, width_), y0(n, height_), x1(n, -1), y1(n, -1);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const int l = LabelAt(x, y);
            x0[l] = std::min(x0[l], x);
            y0[l] = std::min(y0[l], y);
            x1[l] = std::max(x1[l], x);
            y1[l] = std::max(y1[l], y);
        }
    ContentTools::PuzzleFile file;
    file.boardWidth = float(width_);
    file.boardHeight = float(height_);
    for (int l = 0; l < n; ++l) {
        ContentTools::PuzzlePiece p;
        p.x = x0[l];
        p.y = y0[l];
        p.w = x1[l] - x0[l] + 1;
        p.h = y1[l] - y0[l] + 1;
        std::vector<uint8_t> flags(size_t(p.w) * p.h);
        for (int j = 0; j < p.h; ++j)
            for (int i = 0; i < p.w; ++i)
                flags[size_t(j) * p.w + i] = LabelAt(p.x + i, p.y + j) == l;
        p.shape = ContentTools::PackShapeBits(flags);
        file.pieces.push_back(std::move(p));
    }
    file.outline = outline_;
    return file;
}

} // namespace Content

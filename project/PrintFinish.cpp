#include "project/PrintFinish.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "project/PageGeometry.h"

namespace korvel {

namespace {

// A mark being laid out: from start along the unit vector dir for length.
struct Candidate {
    PrintMark::Kind kind;
    int piece;
    QPointF start;
    QPointF dir;
    double length;

    QPointF end(double shortenedBy = 0) const { return start + dir * std::max(0.0, length - shortenedBy); }
};

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

double pointToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = dot(ab, ab);
    const double t = len2 > 0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + ab * t);
    return std::sqrt(dot(d, d));
}

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

// The distance between two segments' centre lines (0 where they cross).
double segmentDistance(QPointF a0, QPointF a1, QPointF b0, QPointF b1)
{
    const QPointF r = a1 - a0, s = b1 - b0;
    const double denominator = cross(r, s);
    if (denominator != 0) {
        const double t = cross(b0 - a0, s) / denominator, u = cross(b0 - a0, r) / denominator;
        if (t >= 0 && t <= 1 && u >= 0 && u <= 1)
            return 0;
    }
    return std::min({pointToSegment(a0, b0, b1), pointToSegment(a1, b0, b1), pointToSegment(b0, a0, a1),
                     pointToSegment(b1, a0, a1)});
}

// Where a ray from start along dir is inside rect: [enter, leave], or enter > leave
// when it never is.
std::pair<double, double> rayThrough(QPointF start, QPointF dir, const QRectF &rect)
{
    double enter = -std::numeric_limits<double>::infinity(), leave = std::numeric_limits<double>::infinity();
    const double from[2] = {start.x(), start.y()}, along[2] = {dir.x(), dir.y()};
    const double low[2] = {rect.left(), rect.top()}, high[2] = {rect.right(), rect.bottom()};
    for (int axis = 0; axis < 2; ++axis) {
        if (along[axis] == 0) {
            if (from[axis] < low[axis] || from[axis] > high[axis])
                return {1, 0};
            continue;
        }
        double t0 = (low[axis] - from[axis]) / along[axis], t1 = (high[axis] - from[axis]) / along[axis];
        if (t0 > t1)
            std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
    }
    return {enter, leave};
}

// The largest shortening in [0, most] after which fits() holds, or -1 when even the
// most does not do. fits() only gets truer as the shortening grows.
template <typename Fits>
double leastShortening(double most, Fits fits)
{
    if (fits(0.0))
        return 0;
    if (!fits(most))
        return -1;
    double low = 0, high = most;
    for (int i = 0; i < 48; ++i) {
        const double mid = (low + high) / 2;
        (fits(mid) ? high : low) = mid;
    }
    return high;
}

} // namespace

Shape PrintFinish::grown(const Shape &shape, double amount)
{
    Shape s = shape;
    s.left -= amount;
    s.top -= amount;
    s.width = std::max(0.0, s.width + 2 * amount);
    s.height = std::max(0.0, s.height + 2 * amount);
    if (s.kind == Shape::Kind::Disc)
        s.hole = std::max(0.0, s.hole - 2 * amount);
    return s;
}

QRectF PrintFinish::bledRect(const SheetLayout &layout, ElementId id, const QRectF &rect, const TrimSettings &trim)
{
    if (!id.valid() || (trim.bleed == 0 && trim.outlines))
        return rect;
    const unsigned edges = layout.element(id).bleeds;
    const int piece = layout.pieceOf(id);
    if (edges == 0 || piece < 0)
        return rect;
    const PieceSpec &p = layout.pieces[std::size_t(piece)];
    const QRectF box = bleedShape(p, trim.bleed).rect();
    QRectF r = rect;
    if (!trim.outlines) {
        // Without the outlines, the pictures and bands that an outline kept apart at a
        // fold meet on it, rather than leave a white line where the outline was.
        for (const FoldLine &fold : p.folds) {
            if (fold.x1 == fold.x2) {
                if (std::abs(r.right() - fold.x1) <= kTenthMmPerPixel)
                    r.setRight(fold.x1);
                if (std::abs(r.left() - fold.x1) <= kTenthMmPerPixel)
                    r.setLeft(fold.x1);
            } else if (fold.y1 == fold.y2) {
                if (std::abs(r.bottom() - fold.y1) <= kTenthMmPerPixel)
                    r.setBottom(fold.y1);
                if (std::abs(r.top() - fold.y1) <= kTenthMmPerPixel)
                    r.setTop(fold.y1);
            }
        }
    }
    if (edges & EdgeLeft)
        r.setLeft(box.left());
    if (edges & EdgeTop)
        r.setTop(box.top());
    if (edges & EdgeRight)
        r.setRight(box.right());
    if (edges & EdgeBottom)
        r.setBottom(box.bottom());
    return r;
}

std::vector<PrintMark> PrintFinish::marks(const SheetLayout &layout, const TrimSettings &trim)
{
    std::vector<PrintMark> result;
    if (!trim.hasMarks())
        return result;
    const double offset = std::max(kMarkOffset, double(trim.bleed));
    const double half = kMarkWidth / 2;

    std::vector<Candidate> marks;
    for (std::size_t p = 0; p < layout.pieces.size(); ++p) {
        const PieceSpec &piece = layout.pieces[p];
        const QRectF cut = piece.cut.rect();
        if (trim.cropMarks) {
            const double xs[2] = {cut.left(), cut.right()}, ys[2] = {cut.top(), cut.bottom()};
            for (int row = 0; row < 2; ++row)
                for (int column = 0; column < 2; ++column) {
                    const QPointF corner(xs[column], ys[row]);
                    const QPointF outX(column ? 1 : -1, 0), outY(0, row ? 1 : -1);
                    // Across: the horizontal edge continued; then down: the vertical one.
                    marks.push_back({PrintMark::Kind::Crop, int(p), corner + outX * offset, outX, kMarkLength});
                    marks.push_back({PrintMark::Kind::Crop, int(p), corner + outY * offset, outY, kMarkLength});
                }
        }
        if (trim.foldMarks)
            for (const FoldLine &fold : piece.folds) {
                const QPointF a(fold.x1, fold.y1), b(fold.x2, fold.y2);
                const double length = std::sqrt(dot(b - a, b - a));
                if (length <= 0)
                    continue;
                const QPointF dir = (b - a) / length;
                marks.push_back({PrintMark::Kind::Fold, int(p), a - dir * offset, -dir, kMarkLength});
                marks.push_back({PrintMark::Kind::Fold, int(p), b + dir * offset, dir, kMarkLength});
            }
    }

    // Inside the page's printable area, the stroke's width included.
    const QRectF printable = QRectF(0, 0, layout.paperWidth, layout.paperHeight)
                                 .adjusted(kMargin + half, kMargin + half, -kMargin - half, -kMargin - half);
    // Clear of every other piece: its bleed and a gap, and never nearer than the clearance.
    const double clearance = std::max(trim.bleed + kMarkGap, kPieceClearance) + half;
    for (Candidate &m : marks) {
        const auto [enter, leave] = rayThrough(m.start, m.dir, printable);
        m.length = enter <= 0 && leave >= 0 ? std::min(m.length, leave) : 0;
        for (std::size_t q = 0; q < layout.pieces.size(); ++q) {
            if (int(q) == m.piece)
                continue;
            const QRectF keepOut = layout.pieces[q].cut.rect().adjusted(-clearance, -clearance, clearance, clearance);
            const auto [in, out] = rayThrough(m.start, m.dir, keepOut);
            if (in > out || out < 0)
                continue;
            m.length = in <= 0 ? 0 : std::min(m.length, in);
        }
    }

    // Clear of each other. Shortening a mark only moves it away from all the others,
    // so one pass over the pairs settles them: of shortening both alike (two marks
    // that run at each other share the paper between them), only the one or only the
    // other, the way that keeps the most of both is taken; when none does, the later
    // mark is left out.
    const double apart = kMarkGap + kMarkWidth;
    for (std::size_t i = 0; i < marks.size(); ++i)
        for (std::size_t j = i + 1; j < marks.size(); ++j) {
            Candidate &a = marks[i], &b = marks[j];
            if (a.length <= 0 || b.length <= 0)
                continue;
            auto distance = [&](double cutA, double cutB) {
                return segmentDistance(a.start, a.end(cutA), b.start, b.end(cutB));
            };
            if (distance(0, 0) >= apart)
                continue;
            const double both = leastShortening(std::max(a.length, b.length), [&](double d) { return distance(d, d) >= apart; });
            const double onlyA = leastShortening(a.length, [&](double d) { return distance(d, 0) >= apart; });
            const double onlyB = leastShortening(b.length, [&](double d) { return distance(0, d) >= apart; });
            // What each way leaves of the two marks together.
            const double keepBoth = both < 0 ? -1 : std::max(0.0, a.length - both) + std::max(0.0, b.length - both);
            const double keepA = onlyA < 0 ? -1 : a.length - onlyA + b.length;
            const double keepB = onlyB < 0 ? -1 : a.length + b.length - onlyB;
            if (keepBoth >= keepA && keepBoth >= keepB && keepBoth >= 0) {
                a.length = std::max(0.0, a.length - both);
                b.length = std::max(0.0, b.length - both);
            } else if (keepA >= keepB && keepA >= 0) {
                a.length -= onlyA;
            } else if (keepB >= 0) {
                b.length -= onlyB;
            } else {
                b.length = 0;
            }
        }

    for (const Candidate &m : marks)
        if (m.length >= kShortestMark)
            result.push_back({m.kind, QLineF(m.start, m.end())});
    return result;
}

} // namespace korvel

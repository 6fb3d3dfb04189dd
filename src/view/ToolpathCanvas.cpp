#include "ToolpathCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int PickDistance = 6;   // pixels
constexpr int SettleMs = 120;

const QColor Background(250, 250, 247);
const QColor FeedColour(20, 60, 160);
const QColor RapidColour(230, 120, 20);
const QColor RejectedColour(220, 0, 0);
const QColor HighlightColour(255, 0, 200);
const QColor HoleColour(0, 130, 60);
const QColor ToolChangeColour(120, 0, 160);
const QColor ReferenceColour(90, 90, 90);

// How many straight pieces an arc needs so that no chord lies more than half
// a pixel from the arc.
int arcPieces(double radiusPixels, double sweep)
{
    if (radiusPixels <= 0.5)
        return 1;
    const double step = 2 * std::acos(std::max(-1.0, 1 - 0.5 / radiusPixels));
    return std::clamp(int(std::ceil(std::fabs(sweep) / step)), 1, 4096);
}

} // namespace

ToolpathCanvas::ToolpathCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ToolpathCanvas"));
    setMinimumSize(120, 120);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_cache = QImage();
        update();
    });
}

void ToolpathCanvas::setPath(std::shared_ptr<const Toolpath> path, bool fit)
{
    m_path = std::move(path);
    if (fit)
        fitToPath();
    invalidate();
}

void ToolpathCanvas::setMessage(const QString &message)
{
    m_message = message;
    update();
}

void ToolpathCanvas::setView(View view)
{
    m_view = view;
    m_camera.view = view;
    fitToPath();
    invalidate();
}

void ToolpathCanvas::invalidate()
{
    m_cache = QImage();
    update();
}

ToolpathCanvas::View ToolpathCanvas::suggestedView(const Toolpath &path)
{
    const ToolpathExtents &e = path.extents;
    const bool flatInY = !e.known[1] || e.max[1] - e.min[1] <= 0;
    if (!flatInY || !e.known[0] || !e.known[2])
        return View::Top;
    for (const ToolpathArc &arc : path.arcs)
        if (arc.plane == Plane::ZX)
            return View::Lathe;
    return View::Front;
}

void ToolpathCanvas::viewCoordinates(const Camera &camera, const double p[3], double &u, double &v)
{
    switch (camera.view) {
    case View::Top: u = p[0]; v = p[1]; return;
    case View::Front: u = p[0]; v = p[2]; return;
    case View::Side: u = p[1]; v = p[2]; return;
    case View::Lathe: u = p[2]; v = p[0]; return;
    case View::Iso: {
        const double c = std::cos(camera.yaw), s = std::sin(camera.yaw);
        const double x = p[0] * c - p[1] * s;
        const double y = p[0] * s + p[1] * c;
        u = x;
        v = y * std::cos(camera.pitch) + p[2] * std::sin(camera.pitch);
        return;
    }
    }
}

QPointF ToolpathCanvas::projectWith(const Camera &camera, const QSize &size, const double p[3])
{
    double u, v;
    viewCoordinates(camera, p, u, v);
    return QPointF(size.width() / 2.0 + (u - camera.centreU) * camera.scale,
                   size.height() / 2.0 - (v - camera.centreV) * camera.scale);
}

QPointF ToolpathCanvas::project(const double point[3]) const { return projectWith(m_camera, size(), point); }

void ToolpathCanvas::fitToPath()
{
    m_camera.view = m_view;
    if (!m_path || m_path->segments.empty())
        return;
    // The view-space box of the segment ends and the arc extremes (the extents)
    // and of the drawn start, so that nothing drawn falls outside.
    double minU = 1e300, maxU = -1e300, minV = 1e300, maxV = -1e300;
    const auto add = [&](const double p[3]) {
        double u, v;
        viewCoordinates(m_camera, p, u, v);
        minU = std::min(minU, u); maxU = std::max(maxU, u);
        minV = std::min(minV, v); maxV = std::max(maxV, v);
    };
    const ToolpathExtents &e = m_path->extents;
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = e.known[a] ? e.min[a] : m_path->start[a];
        hi[a] = e.known[a] ? e.max[a] : m_path->start[a];
    }
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1], corner & 4 ? hi[2] : lo[2]};
        add(p);
    }
    const double w = std::max(maxU - minU, 1e-6), h = std::max(maxV - minV, 1e-6);
    const double margin = 0.92;
    m_camera.scale = std::min(width() * margin / w, height() * margin / h);
    if (!std::isfinite(m_camera.scale) || m_camera.scale <= 0)
        m_camera.scale = 1;
    m_camera.centreU = (minU + maxU) / 2;
    m_camera.centreV = (minV + maxV) / 2;
    invalidate();
}

void ToolpathCanvas::setHighlightLine(int line)
{
    if (line == m_highlightLine)
        return;
    m_highlightLine = line;
    update(); // the cache holds no highlight
}

void ToolpathCanvas::drawSegment(QPainter &painter, const Camera &camera, const QSize &size, size_t index) const
{
    const Toolpath &path = *m_path;
    const ToolpathSegment &s = path.segments[index];
    const QPointF a = projectWith(camera, size, path.segmentStart(index).x);
    if (s.arc < 0) {
        painter.drawLine(a, projectWith(camera, size, path.segmentEnd(index).x));
        return;
    }
    const int pieces = arcPieces(arcStartRadius(path, index) * camera.scale, path.arcs[size_t(s.arc)].sweep);
    QPointF previous = a;
    for (int i = 1; i <= pieces; ++i) {
        double p[3];
        segmentPoint(path, index, double(i) / pieces, p);
        const QPointF next = projectWith(camera, size, p);
        painter.drawLine(previous, next);
        previous = next;
    }
}

void ToolpathCanvas::tracePath(const Camera &camera, const QSize &size, const PolylineSink &polylineOut,
                               const MarkerSink &markerOut) const
{
    const Toolpath &path = *m_path;
    // Consecutive segments of one style go out as one polyline, with the
    // points that fall on the pixel of the point before left out: the shape
    // is kept to the pixel, however many segments share it.
    QVector<QPointF> polyline;
    polyline.reserve(4096);
    int style = -1;
    int lastX = INT32_MIN, lastY = INT32_MIN;
    const auto emitPolyline = [&] {
        if (polyline.size() >= 2)
            polylineOut(Style(style), polyline.constData(), int(polyline.size()));
        const QPointF last = polyline.isEmpty() ? QPointF() : polyline.last();
        polyline.clear();
        polyline.append(last);
    };
    const auto addPoint = [&](const QPointF &p) {
        const int x = int(std::floor(p.x())), y = int(std::floor(p.y()));
        if (x == lastX && y == lastY)
            return;
        lastX = x;
        lastY = y;
        polyline.append(p);
        if (polyline.size() >= 8192)
            emitPolyline();
    };
    const double w = size.width(), h = size.height();
    for (size_t i = 0; i < path.segments.size(); ++i) {
        const ToolpathSegment &s = path.segments[i];
        const int segmentStyle = (s.flags & ToolpathSegment::Rejected) ? RejectedStyle
                                 : s.kind == ToolpathSegment::Rapid    ? RapidStyle
                                                                       : FeedStyle;
        if (segmentStyle != style) {
            if (style >= 0)
                emitPolyline();
            else
                polyline.append(projectWith(camera, size, path.segmentStart(i).x));
            style = segmentStyle;
            lastX = lastY = INT32_MIN;
        }
        if (s.arc < 0) {
            addPoint(projectWith(camera, size, path.segmentEnd(i).x));
            continue;
        }
        double radiusPixels = arcStartRadius(path, i) * camera.scale;
        const QPointF probe = projectWith(camera, size, path.segmentEnd(i).x);
        // Arcs far off screen need no detail.
        if (probe.x() < -radiusPixels * 3 - w || probe.x() > 2 * w + radiusPixels * 3
            || probe.y() < -radiusPixels * 3 - h || probe.y() > 2 * h + radiusPixels * 3)
            radiusPixels = 1;
        const int pieces = arcPieces(radiusPixels, path.arcs[size_t(s.arc)].sweep);
        for (int k = 1; k <= pieces; ++k) {
            double p[3];
            segmentPoint(path, i, double(k) / pieces, p);
            addPoint(projectWith(camera, size, p));
        }
    }
    if (style >= 0 && polyline.size() >= 2)
        polylineOut(Style(style), polyline.constData(), int(polyline.size()));
    for (const ToolpathMarker &m : path.markers) {
        const QPointF p = projectWith(camera, size, m.position);
        if (p.x() < -10 || p.y() < -10 || p.x() > w + 10 || p.y() > h + 10)
            continue;
        markerOut(m.kind, p);
    }
}

void ToolpathCanvas::drawPath(QPainter &painter, const Camera &camera, const QSize &size) const
{
    const QPen pens[3] = {QPen(FeedColour, 1), QPen(RapidColour, 1, Qt::DashLine), QPen(RejectedColour, 2)};
    painter.setBrush(Qt::NoBrush);
    tracePath(
        camera, size,
        [&](Style style, const QPointF *points, int count) {
            painter.setPen(pens[style]);
            painter.drawPolyline(points, count);
        },
        [&](ToolpathMarker::Kind kind, const QPointF &p) {
            // Holes as circles, tool changes as triangles, reference and
            // machine positions as squares.
            switch (kind) {
            case ToolpathMarker::Hole:
                painter.setPen(QPen(HoleColour, 1));
                painter.drawEllipse(p, 3, 3);
                break;
            case ToolpathMarker::ToolChange: {
                painter.setPen(QPen(ToolChangeColour, 1));
                const QPointF t[3] = {p + QPointF(0, -6), p + QPointF(5, 4), p + QPointF(-5, 4)};
                painter.drawPolygon(t, 3);
                break;
            }
            case ToolpathMarker::ReferenceReturn:
            case ToolpathMarker::MachineCoordinates:
                painter.setPen(QPen(ReferenceColour, 1));
                painter.drawRect(QRectF(p - QPointF(4, 4), QSizeF(8, 8)));
                break;
            }
        });
}

QByteArray ToolpathCanvas::renderSvg(const QSize &size) const
{
    QByteArray svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
           + QByteArray::number(size.width()) + "\" height=\"" + QByteArray::number(size.height()) + "\" viewBox=\"0 0 "
           + QByteArray::number(size.width()) + ' ' + QByteArray::number(size.height()) + "\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"" + Background.name().toLatin1() + "\"/>\n";
    if (!m_path || m_path->segments.empty())
        return svg + "</svg>\n";
    const auto colour = [](const QColor &c) { return c.name().toLatin1(); };
    const QByteArray strokes[3] = {
        "fill=\"none\" stroke=\"" + colour(FeedColour) + "\" stroke-width=\"1\"",
        "fill=\"none\" stroke=\"" + colour(RapidColour) + "\" stroke-width=\"1\" stroke-dasharray=\"4 2\"",
        "fill=\"none\" stroke=\"" + colour(RejectedColour) + "\" stroke-width=\"2\""};
    const auto coordinate = [](double v) { return QByteArray::number(v, 'f', 2); };
    tracePath(
        m_camera, size,
        [&](Style style, const QPointF *points, int count) {
            svg += "<polyline " + strokes[style] + " points=\"";
            for (int i = 0; i < count; ++i) {
                if (i)
                    svg += ' ';
                svg += coordinate(points[i].x()) + ',' + coordinate(points[i].y());
            }
            svg += "\"/>\n";
        },
        [&](ToolpathMarker::Kind kind, const QPointF &p) {
            const QByteArray x = coordinate(p.x()), y = coordinate(p.y());
            switch (kind) {
            case ToolpathMarker::Hole:
                svg += "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"3\" fill=\"none\" stroke=\"" + colour(HoleColour) + "\"/>\n";
                break;
            case ToolpathMarker::ToolChange:
                svg += "<polygon points=\"" + x + ',' + coordinate(p.y() - 6) + ' ' + coordinate(p.x() + 5) + ','
                       + coordinate(p.y() + 4) + ' ' + coordinate(p.x() - 5) + ',' + coordinate(p.y() + 4)
                       + "\" fill=\"none\" stroke=\"" + colour(ToolChangeColour) + "\"/>\n";
                break;
            case ToolpathMarker::ReferenceReturn:
            case ToolpathMarker::MachineCoordinates:
                svg += "<rect x=\"" + coordinate(p.x() - 4) + "\" y=\"" + coordinate(p.y() - 4)
                       + "\" width=\"8\" height=\"8\" fill=\"none\" stroke=\"" + colour(ReferenceColour) + "\"/>\n";
                break;
            }
        });
    return svg + "</svg>\n";
}

QImage ToolpathCanvas::renderImage(const QSize &size) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Background);
    if (m_path && !m_path->segments.empty()) {
        QPainter painter(&image);
        drawPath(painter, m_camera, size);
    }
    return image;
}

void ToolpathCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_path || m_path->segments.empty()) {
        painter.fillRect(rect(), Background);
        painter.setPen(QColor(80, 80, 80));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    const bool sameTurn = m_cacheCamera.view == m_camera.view && m_cacheCamera.yaw == m_camera.yaw
                          && m_cacheCamera.pitch == m_camera.pitch;
    if (m_cache.isNull() || m_cache.size() != size() || !sameTurn) {
        m_cache = renderImage(size());
        m_cacheCamera = m_camera;
    }
    if (m_cacheCamera.scale == m_camera.scale && m_cacheCamera.centreU == m_camera.centreU
        && m_cacheCamera.centreV == m_camera.centreV) {
        painter.drawImage(0, 0, m_cache);
    } else {
        // While the user drags or zooms: the last drawing moved and scaled.
        painter.fillRect(rect(), Background);
        const double k = m_camera.scale / m_cacheCamera.scale;
        painter.save();
        painter.translate(width() / 2.0 + (m_cacheCamera.centreU - m_camera.centreU) * m_camera.scale,
                          height() / 2.0 - (m_cacheCamera.centreV - m_camera.centreV) * m_camera.scale);
        painter.scale(k, k);
        painter.translate(-width() / 2.0, -height() / 2.0);
        painter.drawImage(0, 0, m_cache);
        painter.restore();
    }
    if (!m_message.isEmpty()) {
        painter.setPen(RejectedColour);
        painter.drawText(rect().adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_message);
    }
    if (m_highlightLine > 0) {
        const auto [first, last] = m_path->segmentsOfLine(m_highlightLine);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(HighlightColour, 3, Qt::SolidLine, Qt::RoundCap));
        for (size_t i = first; i < last && i < first + 10000; ++i)
            drawSegment(painter, m_camera, size(), i);
        // The position after the line: where the tool stands.
        const size_t at = last > first ? last - 1 : (first > 0 ? first - 1 : 0);
        if (at < m_path->segments.size()) {
            const QPointF p = project(m_path->segmentEnd(at).x);
            painter.setPen(QPen(Qt::black, 1.5));
            painter.setBrush(QColor(255, 230, 0));
            painter.drawEllipse(p, 5, 5);
        }
    }
}

void ToolpathCanvas::resizeEvent(QResizeEvent *)
{
    if (m_path && !m_path->segments.empty() && m_cache.isNull())
        fitToPath();
    m_cache = QImage();
}

void ToolpathCanvas::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const double factor = std::pow(1.25, steps);
    // The model point under the cursor stays under it.
    const QPointF at = event->position();
    const double u = m_camera.centreU + (at.x() - width() / 2.0) / m_camera.scale;
    const double v = m_camera.centreV - (at.y() - height() / 2.0) / m_camera.scale;
    m_camera.scale *= factor;
    m_camera.centreU = u - (at.x() - width() / 2.0) / m_camera.scale;
    m_camera.centreV = v + (at.y() - height() / 2.0) / m_camera.scale;
    m_settle.start();
    update();
    event->accept();
}

void ToolpathCanvas::mousePressEvent(QMouseEvent *event)
{
    m_pressPos = m_lastPos = event->position().toPoint();
    m_dragButton = event->button();
    m_dragged = false;
}

void ToolpathCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if ((pos - m_pressPos).manhattanLength() > 3)
        m_dragged = true;
    const QPoint delta = pos - m_lastPos;
    m_lastPos = pos;
    if (!m_dragged)
        return;
    if (m_dragButton == Qt::RightButton && m_view == View::Iso) {
        m_camera.yaw += delta.x() * 0.01;
        m_camera.pitch = std::clamp(m_camera.pitch + delta.y() * 0.01, -Pi / 2, Pi / 2);
        m_cache = QImage();
    } else if (m_dragButton == Qt::LeftButton) {
        m_camera.centreU -= delta.x() / m_camera.scale;
        m_camera.centreV += delta.y() / m_camera.scale;
        m_settle.start();
    }
    update();
}

void ToolpathCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragged && event->button() == Qt::LeftButton) {
        const int line = lineAt(event->position());
        if (line > 0)
            emit lineClicked(line);
    } else if (m_dragged) {
        m_settle.start();
    }
    m_dragButton = Qt::NoButton;
}

int ToolpathCanvas::lineAt(const QPointF &point) const
{
    if (!m_path)
        return 0;
    const Toolpath &path = *m_path;
    double best = PickDistance * PickDistance + 1e-9;
    int bestLine = 0;
    const auto consider = [&](const QPointF &a, const QPointF &b, int line) {
        const QPointF d = b - a;
        const double length2 = d.x() * d.x() + d.y() * d.y();
        double t = length2 > 0 ? ((point.x() - a.x()) * d.x() + (point.y() - a.y()) * d.y()) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const QPointF nearest = a + d * t;
        const double dx = nearest.x() - point.x(), dy = nearest.y() - point.y();
        const double distance2 = dx * dx + dy * dy;
        // Ties go to the later segment: it is drawn on top.
        if (distance2 <= best) {
            best = distance2;
            bestLine = line;
        }
    };
    for (size_t i = 0; i < path.segments.size(); ++i) {
        const ToolpathSegment &s = path.segments[i];
        QPointF previous = project(path.segmentStart(i).x);
        if (s.arc < 0) {
            consider(previous, project(path.segmentEnd(i).x), s.line);
            continue;
        }
        const int pieces = arcPieces(arcStartRadius(path, i) * m_camera.scale, path.arcs[size_t(s.arc)].sweep);
        for (int k = 1; k <= pieces; ++k) {
            double p[3];
            segmentPoint(path, i, double(k) / pieces, p);
            const QPointF next = project(p);
            consider(previous, next, s.line);
            previous = next;
        }
    }
    return bestLine;
}

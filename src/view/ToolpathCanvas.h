#pragma once

#include "Toolpath.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Draws a toolpath: rapids dashed, feed moves solid, arcs flattened to the
// pixel, rejected arcs in red, markers for holes, tool changes and reference
// returns, the caret line's segments highlighted. Wheel zoom about the
// cursor, pan by dragging with the left button, rotate the 3-D view with the
// right one; a click without a drag asks for the line of the segment under
// the mouse.
class ToolpathCanvas : public QWidget
{
    Q_OBJECT

public:
    // Lathe: Z across, X up (the turning drawing's convention).
    enum class View { Top, Front, Side, Iso, Lathe };
    // The view a new program opens in: the lathe view for a path in the ZX
    // plane (no Y movement, arcs in G18), the front view for other paths
    // without Y movement, the top view otherwise.
    static View suggestedView(const Toolpath &path);

    explicit ToolpathCanvas(QWidget *parent = nullptr);

    // A new path; `fit` frames it whole, otherwise the view stays.
    void setPath(std::shared_ptr<const Toolpath> path, bool fit);
    const std::shared_ptr<const Toolpath> &path() const { return m_path; }
    // What the view shows instead of a path (why it is empty).
    void setMessage(const QString &message);
    QString message() const { return m_message; }

    void setView(View view);
    View view() const { return m_view; }
    void fitToPath();

    // The segments of this line (1-based, 0 for none) are highlighted.
    void setHighlightLine(int line);
    int highlightLine() const { return m_highlightLine; }

    // The line of the segment nearest to a point of the widget, within a few
    // pixels; 0 when none is that near.
    int lineAt(const QPointF &point) const;
    // Where a model point is drawn.
    QPointF project(const double point[3]) const;

    // The full drawing at a size (what the cache holds, and the export), and
    // the same drawing as an SVG picture.
    QImage renderImage(const QSize &size) const;
    QByteArray renderSvg(const QSize &size) const;

signals:
    void lineClicked(int line);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Camera
    {
        View view = View::Top;
        double yaw = -0.7853981633974483, pitch = 1.0;
        double scale = 1;      // pixels per unit
        double centreU = 0, centreV = 0;
    };
    static void viewCoordinates(const Camera &camera, const double p[3], double &u, double &v);
    static QPointF projectWith(const Camera &camera, const QSize &size, const double p[3]);
    enum Style { FeedStyle, RapidStyle, RejectedStyle };
    using PolylineSink = std::function<void(Style, const QPointF *, int)>;
    using MarkerSink = std::function<void(ToolpathMarker::Kind, const QPointF &)>;
    // The drawing as polylines of one style each and markers, in pixels.
    void tracePath(const Camera &camera, const QSize &size, const PolylineSink &polyline,
                   const MarkerSink &marker) const;
    void drawPath(QPainter &painter, const Camera &camera, const QSize &size) const;
    void drawSegment(QPainter &painter, const Camera &camera, const QSize &size, size_t index) const;
    void invalidate();

    std::shared_ptr<const Toolpath> m_path;
    QString m_message;
    View m_view = View::Top;
    Camera m_camera;
    int m_highlightLine = 0;

    // The last full drawing, and the camera it was drawn with: moved and
    // scaled while the user drags or turns the wheel, drawn again once the
    // mouse rests.
    QImage m_cache;
    Camera m_cacheCamera;
    QTimer m_settle;

    QPoint m_pressPos, m_lastPos;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    bool m_dragged = false;
};

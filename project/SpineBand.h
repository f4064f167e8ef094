#pragma once
#include <QRectF>
#include <QString>
#include <functional>

#include "project/Colors.h"
#include "project/ItemFont.h"
#include "picture/Picture.h"

class QPainter;

namespace korvel {

enum class BackImageMode { pbmStretch, pbmTile };

// The two-colour vertical gradient behind a spine title. The pairing is crossed on
// purpose: the user's first colour is kept as EndColor (top edge) and the last as
// StartColor (bottom edge); the project file relies on it.
struct SpineGradient {
    bool Visible = true;
    ColorRef StartColor = clWhite;
    ColorRef EndColor = clSilver;
};

// One spine band of the back inlay (CDL or CDR): a title written down the band
// over the gradient or a picture. Composed on a 23 x 440 logical canvas and scaled
// to whatever rectangle it is given, so it looks the same at every zoom and on paper.
class SpineBand {
public:
    static constexpr int kCanvasWidth = 23;
    static constexpr int kCanvasHeight = 440;

    SpineBand();

    // Everything the band shows, as a value: undo steps and a refused open restore it.
    struct State {
        QString caption;
        ItemFont font;
        SpineGradient gradient;
        Picture backImage;
        BackImageMode mode = BackImageMode::pbmStretch;
        bool operator==(const State &other) const;
    };
    State state() const;
    void setState(const State &state);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

    const ItemFont &titleFont() const { return m_font; }
    void setTitleFont(const ItemFont &font);

    const SpineGradient &gradient() const { return m_gradient; }
    void setGradientVisible(bool visible);
    void setStartColor(ColorRef color);
    void setEndColor(ColorRef color);

    const Picture &backImage() const { return m_backImage; }
    void setBackImage(const Picture &picture);
    void clearBackImage();

    BackImageMode backImageMode() const { return m_mode; }
    void setBackImageMode(BackImageMode mode);

    // Paints the band into target (painter coordinates); its picture goes through
    // photos, if given (Picture::draw). With a background rectangle around target (a
    // band that runs into the bleed), the gradient and a stretched picture are
    // stretched over it and a tiled picture tiled on across it, while the title stays
    // where it is in target.
    void paint(QPainter &painter, const QRectF &target, DrawTarget where, PhotoPassThrough *photos = nullptr,
               const QRectF &background = QRectF()) const;

    // The gradient colour of step i of n, and the rows it covers on a canvas of
    // height h: [top, bottom). Exposed for tests of the rounding rule.
    static QColor gradientStepColor(const QColor &start, const QColor &end, int i, int n);
    static std::pair<int, int> gradientStepRows(int i, int n, int h);

    void setOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }

private:
    void changed();

    QString m_caption;
    ItemFont m_font;
    SpineGradient m_gradient;
    Picture m_backImage;
    BackImageMode m_mode = BackImageMode::pbmStretch;
    std::function<void()> m_onChanged;
};

} // namespace korvel

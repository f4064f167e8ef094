#pragma once
#include <QImage>
#include <QObject>

#include "project/Colors.h"

class QPainter;

namespace korvel {

// How a texture picture covers the surface.
enum TKivImageStyle { isTile, isCenter, isStretched };

// Settings of a picture background. Every setter fires OnChange, even with an
// equal value.
class TKivTexture : public QObject {
Q_OBJECT
public:
    explicit TKivTexture(QObject *parent = nullptr);

    // The picture is kept as an opaque bitmap of its own: a later change of the
    // caller's image does not reach it.
    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    TKivImageStyle imageStyle() const { return m_imageStyle; }
    void setImageStyle(TKivImageStyle style);
    ColorRef transparentColor() const { return m_transparentColor; }
    void setTransparentColor(ColorRef c);
    ColorRef transparentBackground() const { return m_transparentBackground; }
    void setTransparentBackground(ColorRef c);

    void assign(const TKivTexture &other);

    // Paints the picture over (0, 0)-(width, height) of the surface; a centred
    // picture leaves the rest of the surface as it was. An empty picture paints
    // nothing. backgroundColor is the surface colour set for a centred picture.
    void paint(QPainter &canvas, int width, int height, ColorRef backgroundColor) const;

    // The picture as it is copied: with TransparentColor replaced by
    // TransparentBackground unless TransparentColor is clNone.
    QImage tile() const;

signals:
    void OnChange();

private:
    QImage m_image;
    TKivImageStyle m_imageStyle = isTile;
    ColorRef m_transparentColor = clNone;
    ColorRef m_transparentBackground = clBtnFace;
};

} // namespace korvel

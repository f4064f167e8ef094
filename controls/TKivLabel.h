#pragma once
#include <QWidget>

#include "controls/BackgroundLink.h"
#include "controls/TKivFont3D.h"
#include "controls/TKivFrame.h"
#include "project/Colors.h"

namespace korvel {

// A windowless label that paints an optional background, its caption with 3D
// effects (or filled with a background as a text fill) and a frame around its
// area. The caption is drawn at the top; '&' marks an accelerator character.
class TKivLabel : public QWidget {
Q_OBJECT
public:
    explicit TKivLabel(QWidget *parent = nullptr);
    ~TKivLabel() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // Horizontal alignment only: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    // A transparent label paints neither its Color nor its Background.
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    ColorRef color() const { return m_color; }
    void setColor(ColorRef c);
    ColorRef fontColor() const { return m_fontColor; }
    void setFontColor(ColorRef c);

    TKivFont3D *font3D() const { return m_font3D; }
    TKivFrame *frame() const { return m_frame; }
    TKivBackground *fontBackground() const { return m_fontBackground.get(); }
    void setFontBackground(TKivBackground *background);
    TKivBackground *background() const { return m_background.get(); }
    void setBackground(TKivBackground *background);

    // The rectangle the caption is laid out in, and the text-drawing flags.
    QRect textRect() const;
    int textFlags() const;

    // Paints the label's look onto canvas, with the label's top-left at the
    // canvas origin. A text fill reads the canvas back, so canvas should draw on
    // an image when FontBackground is set.
    void paintTo(QPainter &canvas);

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_wordWrap = false;
    bool m_transparent = false;
    ColorRef m_color = clBtnFace;
    ColorRef m_fontColor = clWindowText;
    TKivFont3D *m_font3D;
    BackgroundLink m_fontBackground{this};
    BackgroundLink m_background{this};
    TKivFrame *m_frame;
};

} // namespace korvel

#pragma once
#include <QKeySequence>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QFrame;
class QPlainTextEdit;
class QToolButton;

namespace korvel {

class CoverPage;
class TextItem;

// The multi-line editor for the two list items of the back inlay, the contents
// list BTo and the information text BTit, and for the disc label's lower text DTdt
// (on the label's sheet). A tool window that stays above the main
// window (not above every window of the desktop, nor above the program's questions)
// and does not block it; every change goes straight into the item on
// the page, so closing it (by "Vložit text" or the close box) only hides it.
//
// Each window has a target of its own: a window left open from an earlier opening
// keeps editing the item it was opened for, whatever newer windows edit.
class TFrmEdit : public QWidget {
    Q_OBJECT
public:
    // Targets of WhatEdit.
    static constexpr int kTargetNone = 0;
    static constexpr int kTargetContents = 1; // BTo
    static constexpr int kTargetInfo = 2;     // BTit
    static constexpr int kTargetLabel = 3;    // DTdt, the disc label's lower text

    TFrmEdit(CoverPage &page, QWidget *owner);
    ~TFrmEdit() override;

    // Chooses the item this window edits: 1 = BTo, 2 = BTit, 3 = DTdt, any other value none
    // (the window then edits only its own box). Set before the window is shown.
    void WhatEdit(int target);
    int target() const { return m_target; }

    QPlainTextEdit *Text() const { return m_text; }
    QFrame *Panel1() const { return m_panel; }
    QToolButton *SpeedButton1() const { return m_buttons[0]; }
    QToolButton *SpeedButton2() const { return m_buttons[1]; }
    QToolButton *SpeedButton3() const { return m_buttons[2]; }
    QToolButton *SpeedButton4() const { return m_buttons[3]; }
    // "Načíst skladby…", shown only while the window edits the contents list.
    QToolButton *ReadTracksButton() const { return m_readTracks; }

    // The lines of Text as it displays them: every line Text wraps arrives as the
    // pieces it shows, broken where it breaks them; an empty last line is dropped.
    QStringList displayedLines() const;

    // Where the window's position is remembered between runs.
    static QString placementKey();

    // Shows the target's lines as the page holds them now, writing nothing back:
    // after New, Open, clearing the texts or an undo, so that what this window
    // writes at its next keystroke is what the user sees.
    void refreshFromPage();

signals:
    // The user changed the item: the main window turns its unsaved-changes flag on.
    void changed();
    // A short note for the status line (characters a project file cannot hold).
    void notice(const QString &text);
    // The text is about to be written into the item: typing, for undo.
    void typing();
    // The user asks for the contents list from music ("Načíst skladby…").
    void readTracks();

public slots:
    void FormShow();
    void TextChange();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TextItem *targetItem() const;
    // Makes the document's line layout follow the width Text wraps at, even while
    // the window has never been shown and Text has had no resize event yet.
    void syncWrapWidth() const;
    void dropUnstorableCharacters();
    void showAlignment();
    void savePlacement() const;

    QPointer<CoverPage> m_page;
    int m_target = kTargetNone;
    QPlainTextEdit *m_text;
    QFrame *m_panel;
    QToolButton *m_buttons[4];
    QToolButton *m_readTracks;
    QList<std::pair<QKeySequence, QToolButton *>> m_alignmentKeys;
    bool m_placed = false;
};

} // namespace korvel

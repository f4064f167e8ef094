#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>

#include "dialogs/FileDialogFilters.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace korvel {

class CoverPage;
class SpineBand;
class SpinePictureState;
class TKivBackground;
class TKivFillBackground;

// The spine title dialog ("Název CD"): the title of both spine bands, its font,
// the two gradient colours and the band picture with its fitting. The two bands
// always carry the same settings, so every change is applied to both and every
// value shown is read from the left band, CDL.
//
// A tool window that stays above the main window (not above every window of the
// desktop, nor above the program's questions) and does not block it; every
// change takes effect at once, so " OK" and the close box only hide it. Every
// instance shows and changes the one spine picture state of the main window (the
// picture switch Obr and the stretch choice Roz/Vdl), so two open windows never
// disagree.
class TFrmNzvCD : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kSavedShown = "Obrázek je uložen, zobrazen";
    static constexpr const char *kSavedHidden = "Obrázek je uložen, nezobrazen";
    static constexpr const char *kNotSaved = "Obrázek není uložen";

    TFrmNzvCD(CoverPage &page, SpinePictureState &state, QWidget *owner);
    ~TFrmNzvCD() override;

    SpinePictureState &state() const { return *m_state; }

    QLineEdit *Edt() const { return m_edt; }
    QLabel *txt() const { return m_txt; }
    QLabel *txtimg() const { return m_txtimg; }
    QCheckBox *Obr() const { return m_obr; }
    QRadioButton *Roz() const { return m_roz; }
    QRadioButton *Vdl() const { return m_vdl; }
    TKivBackground *Grd() const { return m_grd; }
    TKivFillBackground *Prw() const { return m_prw; }
    QToolButton *button(int number) const; // RxSpeedButton1 ... RxSpeedButton5

    // The open-picture dialog (replaceable, for tests): returns the chosen file or
    // an empty string.
    using OpenPictureDialog = std::function<QString(QWidget *parent)>;
    void setOpenPictureDialog(OpenPictureDialog dialog) { m_openPicture = std::move(dialog); }
    // The filters of OpenPicture1, in their order.
    static NameFilters openPictureFilters();

    static QString placementKey();

    // Shows what the page and the state hold now, without writing anything back:
    // after New, Open, clearing the texts, an undo, or a change in another window.
    void refreshFromPage();

signals:
    // The user changed the spine: the main window turns its unsaved-changes flag on.
    void changed();
    // A short note for the status line (characters a project file cannot hold).
    void notice(const QString &text);
    // The title is being typed: one undo step per run.
    void typing();

public slots:
    void FormShow();
    void EdtChange();
    void RxSpeedButton1Click();
    void RxSpeedButton2Click();
    void RxSpeedButton3Click();
    void RxSpeedButton4Click();
    void RxSpeedButton5Click();
    void ObrClick();
    void RozClick();
    void VdlClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    SpineBand &CDL() const;
    SpineBand &CDR() const;
    void buildControls();
    // The status line after a run of the switch procedure.
    void switchProcedureRan(bool pictureMode, const QString &base, bool completed);
    void chooseColor(bool first);
    void showTitleFont();

    QPointer<CoverPage> m_page;
    SpinePictureState *m_state;
    QLineEdit *m_edt;
    QLabel *m_txt;
    QLabel *m_txtimg;
    QCheckBox *m_obr;
    QRadioButton *m_roz;
    QRadioButton *m_vdl;
    QToolButton *m_buttons[5];
    TKivBackground *m_grd;
    TKivFillBackground *m_prw;
    OpenPictureDialog m_openPicture;
    bool m_placed = false;
};

} // namespace korvel

#pragma once
#include <QObject>
#include <QString>
#include <functional>

namespace korvel {

class CoverPage;
class SpineBand;
class TKivRegEntry;

// What decides between the spine gradient and the spine picture, and where that
// picture comes from: the picture switch ("Zobrazovat obrázek"), the stretch choice
// ("Roztáhnout" or "Vedle sebe") and the remembered picture in the per-user values
// ImgLR and ImgLRName (key \Software\TORVA\Korvel, subkey Temp).
//
// The spine title dialogs show this state in their controls, all of them the one
// state of the main window; the project file reads and sets it. The most recently
// created instance is the current one.
class SpinePictureState : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kArea = "\\Software\\TORVA\\Korvel";
    static constexpr const char *kSection = "Temp";
    static constexpr const char *kNone = "[none]";

    explicit SpinePictureState(CoverPage &page, QObject *parent = nullptr);
    ~SpinePictureState() override;

    static SpinePictureState *current();

    // Picture switch: yes shows the picture on both bands, no the gradient. Setting
    // it to a new state runs the switch procedure; setting the state it already has
    // does nothing. A spine picture that cannot be loaded throws PictureError
    // after the switch has changed; the bands keep their previous pictures.
    bool pictureSwitch() const { return m_switch; }
    void setPictureSwitch(bool on);

    // Stretch choice: true stretches the spine picture, false tiles it. Loading a
    // project does not touch it; the dialog brings it in line with the bands.
    bool stretchChoice() const { return m_stretch; }
    void setStretchChoice(bool stretch);

    // The bands get the picture of this file, which becomes the remembered one, and
    // the switch goes to picture mode. Throws PictureError when the file cannot be
    // loaded; nothing changes then.
    void choosePicture(const QString &path);

    // Puts the switch and the choice back as they were (an undo, a refused open),
    // without running the switch procedure: the bands are restored with the page.
    void restore(bool pictureSwitch, bool stretch);

    // The registry entry of this state (Area and Section set as above).
    TKivRegEntry &Reg() { return *m_reg; }

    CoverPage &page() { return m_page; }

signals:
    // After every run of the switch procedure (the dialog updates its status line):
    // the new state of the switch, the side-file base the procedure read from
    // ImgLRName (empty when it did not get that far) and whether it went through
    // without an error.
    void switchProcedureRan(bool pictureMode, const QString &base, bool completed);
    void stretchChoiceChanged(bool stretch);
    // After restore(): every window that shows the state follows.
    void restored(bool pictureSwitch, bool stretch);

private:
    void runSwitchProcedure();
    void runSwitchProcedure(SpineBand &cdl, SpineBand &cdr, QString &base);

    CoverPage &m_page;
    TKivRegEntry *m_reg;
    bool m_switch = false;
    bool m_stretch = true;
};

// Remembered-picture values: writes value to ImgLR and then to ImgLRName.
void writeRememberedSpinePicture(TKivRegEntry &reg, const QString &value);

} // namespace korvel

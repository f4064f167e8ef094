#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

#include "picture/Picture.h"

namespace korvel {

class CoverPage;
class SpineBand;
class TKivRegEntry;

// What decides between the spine gradient and the spine picture, and where that
// picture comes from: the picture switch ("Zobrazovat obrázek"), the stretch choice
// ("Roztáhnout" or "Vedle sebe") and the remembered picture, ImgLR and ImgLRName.
//
// The remembered picture belongs to the cover: it is part of every undo step and of
// the recovery copy, and the picture it names is read once, when it is chosen or the
// project is opened, and then kept. Switching the picture off and on again, undoing a
// choice or saving the project elsewhere never reads a file that may have changed or
// gone since. The designer's own state also copies every change of the two values to
// the per-user values of the same names (key \Software\TORVA\Korvel, subkey Temp).
//
// The spine title dialogs show this state in their controls. The most recently
// created instance still alive is the current one.
class SpinePictureState : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kArea = "\\Software\\TORVA\\Korvel";
    static constexpr const char *kSection = "Temp";
    static constexpr const char *kNone = "[none]";

    explicit SpinePictureState(CoverPage &page, QObject *parent = nullptr);
    ~SpinePictureState() override;

    static SpinePictureState *current();

    // Copies every change of ImgLR and ImgLRName to the per-user values from now on,
    // after taking their present values (the designer's own state does this once).
    void mirrorToRegistry();
    TKivRegEntry *registry() const { return m_reg; }

    // The folder a remembered side-file base without a folder ("album") lies in: the
    // project's own folder, whichever folder the program was started in.
    const QString &folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }
    // A remembered name as a path: a name without a folder is taken in folder().
    QString resolve(const QString &name) const;

    // Picture switch: yes shows the picture on both bands, no the gradient. Setting
    // it to a new state runs the switch procedure; setting the state it already has
    // does nothing. A spine picture that cannot be loaded throws PictureError
    // after the switch has changed; the bands keep their previous pictures.
    bool pictureSwitch() const { return m_switch; }
    void setPictureSwitch(bool on);
    // Sets the switch and runs its procedure whatever state it was in (a project
    // read: the bands follow the file's flag and the remembered picture).
    void applyPictureSwitch(bool on);

    // Stretch choice: true stretches the spine picture, false tiles it. Loading a
    // project does not touch it; the dialog brings it in line with the bands.
    bool stretchChoice() const { return m_stretch; }
    void setStretchChoice(bool stretch);

    // The bands get the picture of this file, which becomes the remembered one, and
    // the switch goes to picture mode. Throws PictureError when the file cannot be
    // loaded; nothing changes then.
    void choosePicture(const QString &path);

    // The remembered picture: both values, and the picture they name once it has
    // been read (pictureFor is the ImgLRName it was read for).
    struct Remembered {
        QString imgLR;
        QString imgLRName;
        Picture picture;
        QString pictureFor;
        bool operator==(const Remembered &other) const;
    };
    const Remembered &remembered() const { return m_remembered; }
    // Sets both values (ImgLR, then ImgLRName); the picture is read when next needed.
    void remember(const QString &value);
    // Sets ImgLR alone (the dialog's repair of a missing value): not a change of the
    // cover, so no signal.
    void rememberPath(const QString &value);
    // Sets both values together with the picture they name, already read: a
    // project's side-file base and what its ".im3" held (none when it had none), or
    // a picture file just chosen.
    void rememberSideFile(const QString &base, const Picture &picture);
    // The picture the remembered values name, read now if it has not been yet. An
    // empty picture for "[none]", a missing value or a side-file base without its
    // side file. Throws PictureError when a remembered file cannot be loaded.
    Picture rememberedPicture();
    // Whether the remembered name's ".im3" side file is on disk (the dialog's status).
    bool rememberedSideFileExists() const;

    // Puts the switch, the choice and the remembered picture back as they were (an
    // undo, a refused open), without running the switch procedure: the bands are
    // restored with the page.
    void restore(bool pictureSwitch, bool stretch, const Remembered &remembered);

    CoverPage &page() { return m_page; }

signals:
    // After every run of the switch procedure (the dialog updates its status line):
    // the new state of the switch, the remembered ImgLRName the procedure used (empty
    // when it did not get that far) and whether it went through without an error.
    void switchProcedureRan(bool pictureMode, const QString &base, bool completed);
    void stretchChoiceChanged(bool stretch);
    // The remembered values changed (the dialog's status line follows).
    void rememberedChanged();
    // After restore(): every window that shows the state follows.
    void restored(bool pictureSwitch, bool stretch);

private:
    void runSwitchProcedure();
    void runSwitchProcedure(SpineBand &cdl, SpineBand &cdr, QString &base);
    void mirror(bool both);

    CoverPage &m_page;
    // The state that was current before this one, current again when this one goes.
    QPointer<SpinePictureState> m_previous;
    TKivRegEntry *m_reg = nullptr;
    QString m_folder;
    Remembered m_remembered;
    bool m_switch = false;
    bool m_stretch = true;
};

} // namespace korvel

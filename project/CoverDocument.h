#pragma once
#include <QObject>
#include <QString>
#include <memory>

#include "project/DocumentSnapshot.h"
#include "project/RecoverySource.h"
#include "project/layouts/DiscLabel.h"

class QUndoStack;

namespace korvel {

class CoverPage;
class DocumentHistory;
class RecoveryWriter;
class SpinePictureState;

// The cover as one document: the page, the spine picture state, the project's file
// and folder, whether Save writes without asking (named), the undo history and the
// recovery copy of unsaved work. The windows show it and change it; they observe it
// through its signals and keep nothing of it themselves: a change made through one
// window's controls shows in that window at once, and the others follow the page's
// changes and the document's replaced, applied and rewritten, which say that the
// cover changed past every window.
//
// "Unsaved" is exactly "the history is not where it was when the project was last
// saved or opened": undoing back to the saved state makes the cover saved again, and
// nothing else switches it.
//
// Folders are values here: the project's side files lie in the project's own folder,
// and the folder the program was started in is given, never read from the process.
class CoverDocument : public QObject, public RecoverySource {
    Q_OBJECT
public:
    static constexpr const char *kUnsavedCaption = "Lurdan CD 1.0 - druhé vydání - Neuložen";

    // startFolder: where the program was started (the template "default.kvd" is read
    // from there), also the folder of a cover that has no file yet.
    explicit CoverDocument(QString startFolder, QObject *parent = nullptr);
    ~CoverDocument() override;

    // The document's sheets: the cover's page, then the disc label.
    const QList<CoverPage *> &sheets() const { return m_sheets; }
    CoverPage &page() { return *m_page; }
    const CoverPage &page() const { return *m_page; }
    // The disc label's sheet and its choices. Its title and artist follow the cover's
    // until the user writes their own, and its picture is the front's until it has
    // one of its own.
    CoverPage &label() { return *m_label; }
    const CoverPage &label() const { return *m_label; }
    const DiscChoices &disc() const { return m_disc; }
    SpinePictureState &spine() { return *m_spine; }
    DocumentHistory &history() { return *m_history; }
    QUndoStack *undoStack() const;

    const QString &startFolder() const { return m_startFolder; }
    // The project's file (absolute), or empty while the cover has none.
    const QString &path() const override { return m_path; }
    // The project's folder, or the start folder while the cover has no file.
    QString folder() const;
    // Whether Save writes to path() without a dialog.
    bool isNamed() const override { return m_named; }
    QString caption() const;
    bool isModified() const override;

    // Whether the edit box of item index (page order) is empty while the page prints
    // the item's text as a sample (the template's texts after New).
    bool isSample(int index) const { return m_samples.value(index); }
    // The user typed into the edit box of a single-line item: the item takes the text
    // and it is a sample no more.
    void setTextFromBox(int index, const QString &text);
    // A text from elsewhere than the item's box (the tracks read from music): the item
    // takes it and is a sample no more. Its edit box shows it when the main window next
    // shows the whole cover.
    void setText(int index, const QString &text) { setTextFromBox(index, text); }
    // Clears every text of the cover, both spine titles and the label's texts included
    // (one step, and the windows show the cover anew: rewritten).
    void clearTexts();

    // The label's size, sheet and text paths (brought within their ranges).
    void setDiscGeometry(const DiscGeometry &geometry);
    // The user wrote a label text (disc::kArtist ...): it follows the cover no more.
    void setLabelText(int text, const QString &value);
    // A label text follows the cover's again (it shows the cover's text at once), or
    // keeps what it shows as its own.
    void setLabelFollows(int text, bool follows);
    // The label's picture: the front's ("Stejný jako přední strana"), or its own,
    // which starts as a copy of what it shows.
    void setLabelOwnPicture(bool own);
    // Puts the picture of the file at path on the label as its own. Throws
    // PictureError when the file cannot be read: the label keeps its picture then.
    void loadLabelPicture(const QString &path);

    DocumentSnapshot snapshot() const override;
    // Moves with every recorded change and every undo or redo (DocumentHistory).
    quint64 generation() const override;
    // Puts a whole cover in place (the page repaints, the tool windows follow).
    void apply(const DocumentSnapshot &snapshot);

    // Start-up: reads the template of the start folder (or the program's own) once;
    // then opens argument when it names an existing project. An argument naming no
    // file yet gives the template under that name, so the first Save creates it.
    // Throws CommandError when the argument cannot be opened (the template is shown);
    // returns what could not be read of it, as open() does.
    QStringList start(const QString &argument);
    // A new cover from the template read at start: unnamed, no pictures, boxes empty.
    void newFromTemplate();
    // Opens a project: it is read into a cover of its own and put in place only when
    // that succeeded, so a file that is no project, or one that fails part-way,
    // changes nothing here (no step, no recovery copy). Throws CommandError with a
    // Czech message naming the file. Returns what it went on without: a picture side
    // file that is there but damaged, one Czech message each.
    QStringList open(const QString &path);
    // Saves to path as one unit (saveProjectFiles). named: Save writes there from now
    // on without a dialog. Throws CommandError; the cover stays unsaved then.
    void save(const QString &path, bool named);
    // Restored work: the cover of an abandoned recovery copy, under its project's
    // file (or none), saved nowhere yet. keptSideFiles: the project's side files that
    // the copied cover could not read (DocumentSnapshot::keptSideFiles).
    void restore(const QString &copyPath, const QString &projectPath, bool named,
                 const QStringList &keptSideFiles = {});

    // Puts the picture of the file at path (absolute) on the front or back, keeping
    // how the picture lies. Throws PictureError when the file cannot be read: the
    // element keeps its picture then.
    void loadPicture(bool front, const QString &path);
    // Takes the front or back picture away (the popup menu's command): the next save
    // removes its side file, also one that was there but could not be read.
    void removePicture(bool front);
    // Whether there is a front or back picture to take away: one on the page, or a
    // side file the program could not read.
    bool hasPictureToRemove(bool front) const;
    // The same for the label: it is left with no picture, its own.
    void removeLabelPicture();
    bool hasLabelPictureToRemove() const;

    // The zoom the page is shown at on a screen (the designer's window), or 0 while it
    // is shown on none: the photos of a project opened then are decoded for that zoom
    // first, whole in the background; without a screen they are decoded whole as
    // they are read.
    void setScreenZoom(int zoom) { m_screenZoom = zoom; }

    // Undo and redo in one place, for the windows' typing.
    void nextChangeIsTyping(int key);
    // The changes this event is about to make are one undo step of this name: a
    // command that changes many places at once ("Načtení skladeb"). Once the step is
    // recorded (at the end of the event, or at history().recordNow()) the windows
    // show the cover anew (rewritten).
    void nameNextChange(const QString &label);

    // The recovery copy of unsaved work (none until enabled): a writer made for this
    // document, which it tells when the cover becomes saved or unsaved.
    void enableRecovery(std::unique_ptr<RecoveryWriter> writer);
    RecoveryWriter *recovery() const { return m_recovery.get(); }

signals:
    void modifiedChanged(bool modified);
    void captionChanged(const QString &caption);
    // The whole cover was replaced (New, Open, restored work): every window shows it anew.
    void replaced();
    // An undo or redo put a state back.
    void applied();
    // A command changed many places at once, past the windows' own controls (every
    // text cleared, tracks read from music).
    void rewritten();

private:
    DocumentSnapshot read(const QString &path, const DocumentSnapshot &from, QStringList *problems,
                          bool keepUnreadable = false) const;
    void setPath(const QString &path, bool named);
    void replaceWith(const DocumentSnapshot &snapshot);
    void updateModified();
    void spineFolderFollows();
    // The label's following texts and its picture take the cover's.
    void labelFollows();
    void applyDisc(const DiscChoices &choices);
    void removeKeptSideFile(const char *extension);

    QString m_startFolder;
    CoverPage *m_page; // the cover's sheet
    DiscLayout m_discLayout;
    CoverPage *m_label; // the disc label's sheet
    DiscChoices m_disc;
    QList<CoverPage *> m_sheets;
    SpinePictureState *m_spine;
    DocumentHistory *m_history;
    std::unique_ptr<RecoveryWriter> m_recovery;
    DocumentSnapshot m_template;
    QList<bool> m_samples = QList<bool>(qsizetype(kJewelCase.texts.size()), false);
    QString m_path;
    // DocumentSnapshot::keptSideFiles of the cover shown.
    QStringList m_keptSideFiles;
    bool m_named = false;
    bool m_modified = false;
    bool m_applying = false;
    int m_screenZoom = 0;
};

} // namespace korvel

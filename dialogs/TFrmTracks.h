#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "tracks/TextEncoding.h"
#include "project/TrackImport.h"
#include "tracks/TrackList.h"

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QResizeEvent;
class QShowEvent;
class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace korvel {

class CoverDocument;
class CoverPage;
class TrackReader;

// "Načíst skladby": reads the tracks of a folder of music, a CUE sheet or a playlist
// (on a thread of its own, with progress) and shows the contents list they make
// exactly as the page will print it, with what else they fill: the title, the
// headings, the spine and the front picture. "Použít" puts it all on the cover as one
// undo step; "Zrušit" changes nothing.
//
// The window blocks nothing: the cover stays editable meanwhile (what the window
// shows follows it), and a folder, sheet or playlist dropped on the page or on the
// window is read here. It is never wider than its screen: texts from tags that
// would make it so are shortened, in full in their tool tips. The format chosen
// last is remembered per user.
class TFrmTracks : public QDialog {
    Q_OBJECT
public:
    TFrmTracks(CoverDocument &document, QWidget *parent = nullptr);
    ~TFrmTracks() override;

    // Reads a folder, a .cue or an .m3u/.m3u8 file.
    void readSource(const QString &path);
    bool isReading() const;

    // Where "Složka…" and "Soubor…" ask (replaceable, for tests): the chosen folder or
    // file, or empty.
    using SourceDialog = std::function<QString(QWidget *parent, bool folder)>;
    void setSourceDialog(SourceDialog dialog) { m_sourceDialog = std::move(dialog); }

    const TrackList &tracks() const { return m_list; }
    TrackReader *reader() const { return m_reader; }
    TrackChoices choices() const;
    const TrackPlan &plan() const { return m_plan; }
    // The page the preview is painted from.
    const CoverPage *previewPage() const { return m_preview.get(); }

public slots:
    // Applies what the window shows, worked out anew from the cover as it is now.
    void accept() override;
    // Returns at once, a reading under way or not.
    void reject() override;
    // "Zmenšit písmo, aby se vešlo".
    void fitFont();

signals:
    // The tracks were put on the cover; problems: what could not be done.
    void applied(const QStringList &problems);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void build();
    void setFormat(const TrackFormat &format);
    void scheduleRefresh();
    void fitToScreen();
    // The widest a text from tags may show, in pixels, on this window's screen.
    int textWidth() const;
    // Shows text shortened to textWidth(), in full in the tool tip when shortened.
    void showShortened(QCheckBox *box, const QString &text);
    void showShortened(QLabel *label, const QString &text, Qt::TextElideMode mode);
    void chooseSource(bool folder);
    void readDone(const TrackList &list, TextEncoding used);
    void refresh();
    void showFillChoice(QCheckBox *box, const QString &what, const QString &value, bool fills);

    CoverDocument &m_document;
    TrackReader *m_reader;
    SourceDialog m_sourceDialog;
    QString m_source;
    std::optional<TextEncoding> m_encoding;
    TrackList m_list;
    TrackPlan m_plan;
    std::unique_ptr<CoverPage> m_preview;
    int m_fontSize = 0;
    bool m_updating = false;
    bool m_refreshPending = false;

    QLabel *m_sourceLabel;
    QProgressBar *m_progress;
    QComboBox *m_format;
    QComboBox *m_encodingBox;
    QCheckBox *m_leadingZeros;
    QCheckBox *m_durations;
    QCheckBox *m_total;
    QCheckBox *m_discHeadings;
    QCheckBox *m_discNumbers;
    QCheckBox *m_dotLeader;
    QLabel *m_sample;
    QCheckBox *m_fillContents;
    QCheckBox *m_fillTitle;
    QCheckBox *m_fillHeading;
    QCheckBox *m_fillSpine;
    QCheckBox *m_fillYear;
    QCheckBox *m_fillCover;
    QLabel *m_thumbnail;
    QCheckBox *m_overwrite;
    QLabel *m_fit;
    QPushButton *m_fitButton;
    QLabel *m_problems;
    QWidget *m_previewWidget;
    QDialogButtonBox *m_buttons;
};

} // namespace korvel

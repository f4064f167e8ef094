#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "project/tracks/TextEncoding.h"
#include "project/tracks/TrackImport.h"
#include "project/tracks/TrackList.h"

class QCheckBox;
class QComboBox;
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
    void accept() override;
    // Returns at once, a reading under way or not.
    void reject() override;
    // "Zmenšit písmo, aby se vešlo".
    void fitFont();

signals:
    // The tracks were put on the cover; problems: what could not be done.
    void applied(const QStringList &problems);

private:
    void build();
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

    QLabel *m_sourceLabel;
    QProgressBar *m_progress;
    QComboBox *m_format;
    QComboBox *m_encodingBox;
    QCheckBox *m_leadingZeros;
    QCheckBox *m_durations;
    QCheckBox *m_total;
    QCheckBox *m_discHeadings;
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

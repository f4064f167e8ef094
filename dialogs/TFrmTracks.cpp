#include "dialogs/TFrmTracks.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/tracks/TrackReader.h"

namespace korvel {

namespace {

const QString kContents = QStringLiteral("BTo");

// "1 řádek", "3 řádky", "7 řádků".
QString count(int n, const char *one, const char *few, const char *many)
{
    const char *word = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

// The contents list's box as the page prints it, painted by the page itself.
class TrackPreview : public QWidget {
public:
    explicit TrackPreview(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("Preview"));
        setMinimumSize(box().size() + QSize(2 * kMargin, 2 * kMargin));
    }
    void setPage(const CoverPage *page)
    {
        m_page = page;
        update();
    }
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        const QRect r = box();
        const QRect target(QPoint(kMargin, kMargin), r.size());
        painter.fillRect(target, Qt::white);
        if (m_page) {
            painter.save();
            painter.setClipRect(target);
            painter.translate(target.topLeft() - r.topLeft());
            PageRenderOptions options = PageRenderOptions::forScreen(100);
            options.screenExtras = false; // what prints, nothing else
            m_page->paint(painter, options);
            painter.restore();
        }
        painter.setPen(QColor(160, 160, 160));
        painter.drawRect(target.adjusted(-1, -1, 0, 0));
    }

private:
    static constexpr int kMargin = 6;
    QRect box() const
    {
        if (m_page)
            return m_page->elementPixelRect("BTo", 100);
        static const CoverPage blank;
        return blank.elementPixelRect("BTo", 100);
    }
    const CoverPage *m_page = nullptr;
};

} // namespace

TFrmTracks::TFrmTracks(CoverDocument &document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_reader(new TrackReader(this))
{
    setObjectName(QStringLiteral("FrmTracks"));
    setWindowTitle(QStringLiteral("Načíst skladby"));
    m_sourceDialog = [](QWidget *parent, bool folder) {
        if (folder)
            return QFileDialog::getExistingDirectory(parent, QStringLiteral("Složka s hudbou"));
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Soubor CUE nebo seznam skladeb"), QString(),
                                            QStringLiteral("CUE a seznamy skladeb (*.cue *.m3u *.m3u8);;Všechny soubory (*)"));
    };
    build();
    connect(m_reader, &TrackReader::progress, this, [this](int done, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
        m_progress->setFormat(QStringLiteral("Čtu soubor %1 z %2").arg(done).arg(total));
    });
    connect(m_reader, &TrackReader::finished, this, &TFrmTracks::readDone);
    refresh();
}

TFrmTracks::~TFrmTracks()
{
    // The reading under way is abandoned, never waited for: what it still finds is
    // dropped with the reader.
    delete m_reader;
}

void TFrmTracks::build()
{
    auto *layout = new QVBoxLayout(this);

    auto *sourceRow = new QHBoxLayout;
    m_sourceLabel = new QLabel(QStringLiteral("Vyberte složku s hudbou, soubor CUE nebo seznam skladeb (M3U)."), this);
    m_sourceLabel->setObjectName(QStringLiteral("Source"));
    m_sourceLabel->setWordWrap(true);
    auto *folder = new QPushButton(QStringLiteral("Složka…"), this);
    folder->setObjectName(QStringLiteral("ChooseFolder"));
    auto *file = new QPushButton(QStringLiteral("Soubor…"), this);
    file->setObjectName(QStringLiteral("ChooseFile"));
    connect(folder, &QPushButton::clicked, this, [this] { chooseSource(true); });
    connect(file, &QPushButton::clicked, this, [this] { chooseSource(false); });
    sourceRow->addWidget(m_sourceLabel, 1);
    sourceRow->addWidget(folder);
    sourceRow->addWidget(file);
    layout->addLayout(sourceRow);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setTextVisible(true);
    m_progress->hide();
    layout->addWidget(m_progress);

    auto *columns = new QHBoxLayout;
    layout->addLayout(columns, 1);
    auto *left = new QVBoxLayout;
    columns->addLayout(left);

    auto *formatBox = new QGroupBox(QStringLiteral("Řádky obsahu"), this);
    auto *form = new QFormLayout(formatBox);
    m_format = new QComboBox(formatBox);
    m_format->setObjectName(QStringLiteral("Format"));
    for (TrackFormat::Style style : kTrackStyles)
        m_format->addItem(styleName(style), int(style));
    form->addRow(QStringLiteral("Tvar:"), m_format);
    m_leadingZeros = new QCheckBox(QStringLiteral("Čísla s nulami na začátku (01, 02…)"), formatBox);
    m_leadingZeros->setObjectName(QStringLiteral("LeadingZeros"));
    m_durations = new QCheckBox(QStringLiteral("Délky skladeb"), formatBox);
    m_durations->setObjectName(QStringLiteral("Durations"));
    m_durations->setChecked(true);
    m_total = new QCheckBox(QStringLiteral("Na konci celková délka (Celkem 47:12)"), formatBox);
    m_total->setObjectName(QStringLiteral("Total"));
    m_discHeadings = new QCheckBox(QStringLiteral("Před každým diskem nadpis (CD 1, CD 2)"), formatBox);
    m_discHeadings->setObjectName(QStringLiteral("DiscHeadings"));
    m_discHeadings->setChecked(true);
    for (QCheckBox *box : {m_leadingZeros, m_durations, m_total, m_discHeadings})
        form->addRow(box);
    m_encodingBox = new QComboBox(formatBox);
    m_encodingBox->setObjectName(QStringLiteral("Encoding"));
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Windows1250, TextEncoding::Windows1252})
        m_encodingBox->addItem(encodingName(e), int(e));
    m_encodingBox->setEnabled(false);
    form->addRow(QStringLiteral("Kódování textu:"), m_encodingBox);
    m_sample = new QLabel(formatBox);
    m_sample->setObjectName(QStringLiteral("Sample"));
    form->addRow(QStringLiteral("Ukázka:"), m_sample);
    left->addWidget(formatBox);

    auto *fillBox = new QGroupBox(QStringLiteral("Vyplnit"), this);
    auto *fill = new QVBoxLayout(fillBox);
    auto addFill = [&](QCheckBox *&box, const char *name) {
        box = new QCheckBox(fillBox);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(true);
        fill->addWidget(box);
    };
    addFill(m_fillContents, "FillContents");
    addFill(m_fillTitle, "FillTitle");
    addFill(m_fillHeading, "FillHeading");
    addFill(m_fillSpine, "FillSpine");
    addFill(m_fillYear, "FillYear");
    auto *coverRow = new QHBoxLayout;
    m_fillCover = new QCheckBox(fillBox);
    m_fillCover->setObjectName(QStringLiteral("FillCover"));
    m_thumbnail = new QLabel(fillBox);
    m_thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    m_thumbnail->setFixedSize(48, 48);
    m_thumbnail->setAlignment(Qt::AlignCenter);
    coverRow->addWidget(m_fillCover, 1);
    coverRow->addWidget(m_thumbnail);
    fill->addLayout(coverRow);
    m_overwrite = new QCheckBox(QStringLiteral("Přepsat vyplněné texty"), fillBox);
    m_overwrite->setObjectName(QStringLiteral("Overwrite"));
    fill->addWidget(m_overwrite);
    left->addWidget(fillBox);

    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("Problems"));
    m_problems->setWordWrap(true);
    m_problems->setTextFormat(Qt::PlainText);
    m_problems->setMaximumWidth(360);
    left->addWidget(m_problems);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    columns->addLayout(right);
    right->addWidget(new QLabel(QStringLiteral("Obsah, jak se vytiskne:"), this));
    auto *preview = new TrackPreview(this);
    m_previewWidget = preview;
    right->addWidget(m_previewWidget);
    m_fit = new QLabel(this);
    m_fit->setObjectName(QStringLiteral("Fit"));
    m_fit->setWordWrap(true);
    right->addWidget(m_fit);
    m_fitButton = new QPushButton(QStringLiteral("Zmenšit písmo, aby se vešlo"), this);
    m_fitButton->setObjectName(QStringLiteral("FitButton"));
    connect(m_fitButton, &QPushButton::clicked, this, &TFrmTracks::fitFont);
    right->addWidget(m_fitButton);
    right->addStretch(1);

    m_buttons = new QDialogButtonBox(this);
    QPushButton *apply = m_buttons->addButton(QStringLiteral("Použít"), QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("Apply"));
    QPushButton *cancel = m_buttons->addButton(QStringLiteral("Zrušit"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &TFrmTracks::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &TFrmTracks::reject);
    layout->addWidget(m_buttons);

    // Every choice shows at once in the sample and the preview.
    connect(m_format, &QComboBox::currentIndexChanged, this, &TFrmTracks::refresh);
    for (QCheckBox *box : {m_leadingZeros, m_durations, m_total, m_discHeadings, m_fillContents, m_fillTitle,
                           m_fillHeading, m_fillSpine, m_fillYear, m_fillCover, m_overwrite})
        connect(box, &QCheckBox::toggled, this, &TFrmTracks::refresh);
    connect(m_encodingBox, &QComboBox::currentIndexChanged, this, [this] {
        if (m_updating || m_source.isEmpty())
            return;
        m_encoding = TextEncoding(m_encodingBox->currentData().toInt());
        m_reader->read(m_source, m_encoding);
        refresh();
    });
}

void TFrmTracks::chooseSource(bool folder)
{
    const QString path = m_sourceDialog ? m_sourceDialog(this, folder) : QString();
    if (!path.isEmpty())
        readSource(path);
}

void TFrmTracks::readSource(const QString &path)
{
    m_source = path;
    m_encoding.reset();
    m_list = TrackList();
    m_fontSize = 0;
    const TrackReader::Kind kind = TrackReader::kindOf(path);
    m_sourceLabel->setText(QDir::toNativeSeparators(path));
    m_encodingBox->setEnabled(kind == TrackReader::Kind::CueSheet || kind == TrackReader::Kind::Playlist);
    m_progress->setRange(0, 0); // busy until the files are counted
    m_progress->setFormat(QStringLiteral("Čtu…"));
    m_progress->show();
    m_reader->read(path);
    refresh();
}

bool TFrmTracks::isReading() const
{
    return m_reader->isReading();
}

void TFrmTracks::readDone(const TrackList &list, TextEncoding used)
{
    const bool first = m_list.tracks.isEmpty() && !m_encoding;
    m_list = list;
    m_progress->hide();
    {
        const QSignalBlocker quietEncoding(m_encodingBox);
        m_updating = true;
        m_encodingBox->setCurrentIndex(m_encodingBox->findData(int(used)));
        if (first) {
            // A compilation names each track's artist; the cover is offered ticked
            // only where the front has no picture yet.
            m_format->setCurrentIndex(m_format->findData(int(suggestedFormat(list).style)));
            m_fillCover->setChecked(m_document.page().MainImg().picture().isEmpty());
        }
        m_updating = false;
    }
    QPixmap thumbnail;
    if (!list.cover.isEmpty())
        thumbnail = QPixmap::fromImage(QImage::fromData(list.cover.bytes).scaled(m_thumbnail->size(), Qt::KeepAspectRatio,
                                                                                   Qt::SmoothTransformation));
    m_thumbnail->setPixmap(thumbnail);
    refresh();
}

TrackChoices TFrmTracks::choices() const
{
    TrackChoices c;
    c.format.style = TrackFormat::Style(m_format->currentData().toInt());
    c.format.leadingZeros = m_leadingZeros->isChecked();
    c.format.durations = m_durations->isChecked();
    c.format.total = m_total->isChecked();
    c.format.discHeadings = m_discHeadings->isChecked();
    c.contents = m_fillContents->isChecked();
    c.title = m_fillTitle->isChecked();
    c.heading = m_fillHeading->isChecked();
    c.spine = m_fillSpine->isChecked();
    c.year = m_fillYear->isChecked();
    c.cover = m_fillCover->isChecked();
    c.overwrite = m_overwrite->isChecked();
    c.fontSize = m_fontSize;
    return c;
}

void TFrmTracks::showFillChoice(QCheckBox *box, const QString &what, const QString &value, bool fills)
{
    QString text = value.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, value);
    if (!value.isEmpty() && box->isChecked() && !fills)
        text += QStringLiteral(" (vyplněno, ponechá se)");
    box->setText(text);
    box->setEnabled(!value.isEmpty());
}

void TFrmTracks::refresh()
{
    if (m_updating)
        return;
    const bool reading = m_reader->isReading();
    m_plan = planTracks(m_document, m_list, choices());
    m_preview = korvel::previewPage(m_document, m_plan);
    if (!m_plan.fillContents)
        m_preview->item(kContents).setLines(m_document.page().item(kContents).lines());
    static_cast<TrackPreview *>(m_previewWidget)->setPage(m_preview.get());

    // The first track as its line will read.
    QString sample;
    for (const QString &line : m_plan.lines)
        if (!line.startsWith(QLatin1String("CD ")) || m_list.discCount() < 2) {
            sample = line;
            break;
        }
    sample.replace(QLatin1Char('\t'), QStringLiteral("    "));
    m_sample->setText(sample.isEmpty() ? QStringLiteral("—") : sample);

    const int tracks = int(m_list.tracks.size());
    showFillChoice(m_fillContents, QStringLiteral("Obsah"), tracks ? count(tracks, "skladba", "skladby", "skladeb") : QString(),
                   m_plan.fillContents);
    showFillChoice(m_fillTitle, QStringLiteral("Nadpis"), m_plan.album, m_plan.fillTitle);
    showFillChoice(m_fillHeading, QStringLiteral("Horní nadpis"), m_plan.artist, m_plan.fillHeading);
    showFillChoice(m_fillSpine, QStringLiteral("Hřbet"), m_plan.spine, m_plan.fillSpine);
    showFillChoice(m_fillYear, QStringLiteral("Dolní nadpis"), m_plan.year, m_plan.fillYear);
    showFillChoice(m_fillCover, QStringLiteral("Obrázek přední strany"), m_list.cover.source, m_plan.fillCover);

    const int size = m_plan.font.size();
    if (!m_plan.fillContents)
        m_fit->setText(QString());
    else if (m_plan.hiddenLines > 0)
        m_fit->setText(QStringLiteral("Při písmu %1 b se %2 nevytiskne.")
                           .arg(size)
                           .arg(count(m_plan.hiddenLines, "řádek", "řádky", "řádků")));
    else
        m_fit->setText(QStringLiteral("Při písmu %1 b se vytiskne celý obsah.").arg(size));
    m_fitButton->setEnabled(m_plan.fillContents && m_plan.hiddenLines > 0 && size > kSmallestFittingSize);

    QStringList problems;
    if (!m_list.unreadable.isEmpty())
        problems << QStringLiteral("Nelze přečíst (vynechány): %1").arg(m_list.unreadable.join(QStringLiteral(", ")));
    if (!m_list.missing.isEmpty())
        problems << QStringLiteral("Nenalezeny: %1").arg(m_list.missing.join(QStringLiteral(", ")));
    if (!m_plan.dropped.isEmpty())
        problems << QStringLiteral("Tyto znaky projekt neuloží, vynechají se: %1").arg(m_plan.dropped);
    if (!m_list.error.isEmpty())
        problems << m_list.error;
    else if (!reading && !m_source.isEmpty() && m_list.tracks.isEmpty())
        problems << QStringLiteral("Nenalezena žádná skladba.");
    m_problems->setText(problems.join(QLatin1Char('\n')));
    if (QPushButton *apply = findChild<QPushButton *>(QStringLiteral("Apply")))
        apply->setEnabled(!reading && !m_list.tracks.isEmpty());
}

void TFrmTracks::fitFont()
{
    m_fontSize = fittingSize(m_document, m_plan);
    refresh();
}

void TFrmTracks::reject()
{
    m_reader->cancel();
    QDialog::reject();
}

void TFrmTracks::accept()
{
    if (m_reader->isReading() || m_list.tracks.isEmpty())
        return;
    const QStringList problems = applyTracks(m_document, m_list, m_plan);
    emit applied(problems);
    QDialog::accept();
}

} // namespace korvel

#include "dialogs/TFrmTracks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "project/SheetView.h"
#include "tracks/TrackFormatMemory.h"
#include "tracks/TrackReader.h"

namespace korvel {

namespace {

const QString kContents = QStringLiteral("BTo");

// "1 řádek", "3 řádky", "7 řádků".
QString count(int n, const char *one, const char *few, const char *many)
{
    const char *word = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

// A check box takes "&" for the mark of its shortcut letter: "Čáp & Řeřicha" would
// lose it and underline the space.
QString literal(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// A tool tip of text as it is, whatever it holds ("<", "&").
QString plainToolTip(const QString &text)
{
    return text.isEmpty() ? QString() : QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
}

// The single local path of a drag, when it is a source of tracks; empty otherwise.
QString trackSource(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile())
        return QString();
    const QString path = mime->urls().first().toLocalFile();
    return TrackReader::kindOf(path) == TrackReader::Kind::None ? QString() : path;
}

// The contents list's box as the page prints it, painted by the page itself: its
// lines as laid out for paper, scaled down where the window has no room for the box
// at its full size.
class TrackPreview : public QWidget {
public:
    explicit TrackPreview(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("Preview"));
        const QSize full = box().size();
        setMinimumSize(QSize(full.width() * 3 / 5, full.height() * 3 / 5) + QSize(2 * kMargin, 2 * kMargin));
    }
    void setPage(const CoverPage *page)
    {
        m_page = page;
        update();
    }
    QSize sizeHint() const override { return box().size() + QSize(2 * kMargin, 2 * kMargin); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        const QSize full = box().size();
        const qreal f = std::min({1.0, (width() - 2.0 * kMargin) / full.width(), (height() - 2.0 * kMargin) / full.height()});
        const QRect target(kMargin, kMargin, int(std::lround(full.width() * f)), int(std::lround(full.height() * f)));
        painter.fillRect(target, Qt::white);
        if (m_page) {
            painter.save();
            painter.setClipRect(target);
            // What prints, nothing else: the renderer alone, without a view's marks.
            PageRenderOptions options = PageRenderOptions::forScreen(100);
            options.scale *= f;
            const QRectF r = page().elementRect("BTo"); // tenths of a millimetre
            painter.translate(QPointF(target.topLeft()) - QPointF(std::round(r.left() * options.scale),
                                                                  std::round(r.top() * options.scale)));
            SheetRenderer::paint(*m_page, painter, options);
            painter.restore();
        }
        painter.setPen(QColor(160, 160, 160));
        painter.drawRect(target.adjusted(-1, -1, 0, 0));
    }

private:
    static constexpr int kMargin = 6;
    const CoverPage &page() const
    {
        static const CoverPage blank;
        return m_page ? *m_page : blank;
    }
    QRect box() const { return SheetView::pixelRect(page().elementRect("BTo"), 100); }
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
    setAcceptDrops(true);
    m_sourceDialog = [](QWidget *parent, bool folder) {
        if (folder)
            return QFileDialog::getExistingDirectory(parent, QStringLiteral("Složka s hudbou"));
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Soubor CUE nebo seznam skladeb"), QString(),
                                            QStringLiteral("CUE a seznamy skladeb (*.cue *.m3u *.m3u8);;Všechny soubory (*)"));
    };
    build();
    setFormat(rememberedTrackFormat());
    connect(m_reader, &TrackReader::progress, this, [this](int done, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
        m_progress->setFormat(QStringLiteral("Čtu soubor %1 z %2").arg(done).arg(total));
    });
    connect(m_reader, &TrackReader::finished, this, &TFrmTracks::readDone);
    // The cover stays editable while the window is open: what it would fill and
    // keep follows every change.
    connect(&m_document.page(), &CoverPage::changed, this, &TFrmTracks::scheduleRefresh);
    connect(&m_document, &CoverDocument::replaced, this, &TFrmTracks::scheduleRefresh);
    connect(&m_document, &CoverDocument::applied, this, &TFrmTracks::scheduleRefresh);
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
    m_sourceLabel = new QLabel(this);
    m_sourceLabel->setObjectName(QStringLiteral("Source"));
    m_sourceLabel->setTextFormat(Qt::PlainText);
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
    showShortened(m_sourceLabel, QStringLiteral("Vyberte složku s hudbou, soubor CUE nebo seznam skladeb (M3U)."),
                  Qt::ElideRight);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setTextVisible(true);
    // Its place is kept while it is hidden: nothing below jumps when a reading
    // starts or ends.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
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
    m_dotLeader = new QCheckBox(QStringLiteral("K délkám tečky (Název . . . 3:45)"), formatBox);
    m_dotLeader->setObjectName(QStringLiteral("DotLeader"));
    m_total = new QCheckBox(QStringLiteral("Na konci celková délka (Celkem 47:12)"), formatBox);
    m_total->setObjectName(QStringLiteral("Total"));
    m_discHeadings = new QCheckBox(QStringLiteral("Před každým diskem nadpis (CD 1, CD 2)"), formatBox);
    m_discHeadings->setObjectName(QStringLiteral("DiscHeadings"));
    m_discNumbers = new QCheckBox(QStringLiteral("Čísla s diskem (1-01, 2-01…)"), formatBox);
    m_discNumbers->setObjectName(QStringLiteral("DiscNumbers"));
    for (QCheckBox *box : {m_leadingZeros, m_durations, m_dotLeader, m_total, m_discHeadings, m_discNumbers})
        form->addRow(box);
    m_encodingBox = new QComboBox(formatBox);
    m_encodingBox->setObjectName(QStringLiteral("Encoding"));
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Windows1250, TextEncoding::Windows1252})
        m_encodingBox->addItem(encodingName(e), int(e));
    m_encodingBox->setEnabled(false);
    form->addRow(QStringLiteral("Kódování textu:"), m_encodingBox);
    m_sample = new QLabel(formatBox);
    m_sample->setObjectName(QStringLiteral("Sample"));
    m_sample->setTextFormat(Qt::PlainText);
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
    m_problems->setMaximumWidth(textWidth());
    left->addWidget(m_problems);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    columns->addLayout(right, 1);
    right->addWidget(new QLabel(QStringLiteral("Obsah, jak se vytiskne:"), this));
    auto *preview = new TrackPreview(this);
    m_previewWidget = preview;
    right->addWidget(m_previewWidget, 1);
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
    for (QCheckBox *box : {m_leadingZeros, m_durations, m_dotLeader, m_total, m_discHeadings, m_discNumbers,
                           m_fillContents, m_fillTitle, m_fillHeading, m_fillSpine, m_fillYear, m_fillCover, m_overwrite})
        connect(box, &QCheckBox::toggled, this, &TFrmTracks::refresh);
    connect(m_encodingBox, &QComboBox::currentIndexChanged, this, [this] {
        if (m_updating || m_source.isEmpty())
            return;
        m_encoding = TextEncoding(m_encodingBox->currentData().toInt());
        m_progress->show();
        m_reader->read(m_source, m_encoding);
        refresh();
    });
}

void TFrmTracks::setFormat(const TrackFormat &format)
{
    m_updating = true;
    m_format->setCurrentIndex(std::max(0, m_format->findData(int(format.style))));
    m_leadingZeros->setChecked(format.leadingZeros);
    m_durations->setChecked(format.durations);
    m_dotLeader->setChecked(format.dotLeader);
    m_total->setChecked(format.total);
    m_discHeadings->setChecked(format.discHeadings);
    m_discNumbers->setChecked(format.discNumbers);
    m_updating = false;
}

int TFrmTracks::textWidth() const
{
    // Half the screen at most, less the box's margins: the preview and the buttons
    // always keep their room beside it.
    const QScreen *s = screen();
    const int available = s ? s->availableGeometry().width() : 1024;
    return std::clamp(available / 2 - 80, 160, 400);
}

void TFrmTracks::showShortened(QCheckBox *box, const QString &text)
{
    const QString shown = box->fontMetrics().elidedText(text, Qt::ElideRight, textWidth());
    box->setText(literal(shown));
    box->setToolTip(shown == text ? QString() : plainToolTip(text));
}

void TFrmTracks::showShortened(QLabel *label, const QString &text, Qt::TextElideMode mode)
{
    const QString shown = label->fontMetrics().elidedText(text, mode, textWidth());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : plainToolTip(text));
}

void TFrmTracks::fitToScreen()
{
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect available = s->availableGeometry();
    const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
    setMaximumSize(available.size() - frame);
    if (isVisible()) {
        // Whole on its screen, title bar included.
        QRect where = frameGeometry();
        where.moveLeft(std::clamp(where.left(), available.left(), std::max(available.left(), available.right() + 1 - where.width())));
        where.moveTop(std::clamp(where.top(), available.top(), std::max(available.top(), available.bottom() + 1 - where.height())));
        if (where.topLeft() != frameGeometry().topLeft())
            move(where.topLeft());
    }
}

void TFrmTracks::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen();
}

void TFrmTracks::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // Grown for what was read: still whole on the screen.
    if (isVisible())
        fitToScreen();
}

void TFrmTracks::dragEnterEvent(QDragEnterEvent *event)
{
    if (!trackSource(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFrmTracks::dropEvent(QDropEvent *event)
{
    const QString path = trackSource(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    readSource(path);
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
    showShortened(m_sourceLabel, QDir::toNativeSeparators(path), Qt::ElideMiddle);
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
            // A compilation names each track's artist: the plain numbered style
            // becomes the one with artists (which on one artist's album is the same).
            if (list.isCompilation() && m_format->currentData().toInt() == int(TrackFormat::Style::Dotted))
                m_format->setCurrentIndex(m_format->findData(int(TrackFormat::Style::WithArtist)));
            // The cover is offered ticked only where the front has no picture yet.
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
    c.format.dotLeader = m_dotLeader->isChecked();
    c.format.total = m_total->isChecked();
    c.format.discHeadings = m_discHeadings->isChecked();
    c.format.discNumbers = m_discNumbers->isChecked();
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
    showShortened(box, text);
    box->setEnabled(!value.isEmpty());
}

void TFrmTracks::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void TFrmTracks::refresh()
{
    if (m_updating)
        return;
    const bool reading = m_reader->isReading();
    const TrackChoices chosen = choices();
    m_plan = planTracks(m_document, m_list, chosen);
    m_preview = korvel::previewPage(m_document, m_plan);
    if (!m_plan.fillContents)
        m_preview->item(kContents).setLines(m_document.page().item(kContents).lines());
    static_cast<TrackPreview *>(m_previewWidget)->setPage(m_preview.get());
    m_dotLeader->setEnabled(chosen.format.style == TrackFormat::Style::Column && chosen.format.durations);

    // The first track as its line will read.
    QString sample;
    for (const QString &line : m_plan.lines)
        if (!line.startsWith(QLatin1String("CD ")) || m_list.discCount() < 2) {
            sample = line;
            break;
        }
    sample.replace(QStringLiteral("…\t"), QStringLiteral(" . . . . "));
    sample.replace(QLatin1Char('\t'), QStringLiteral("    "));
    showShortened(m_sample, sample.isEmpty() ? QStringLiteral("—") : sample, Qt::ElideRight);

    // The contents list is what the window is for: ticked from the start, and what
    // it replaces that the user typed is said before it goes.
    const int tracks = int(m_list.tracks.size());
    QString contents = tracks ? count(tracks, "skladba", "skladby", "skladeb") : QString();
    int own = 0;
    if (!isFillable(m_document, Role::Contents))
        for (const QString &line : m_document.page().item(kContents).lines())
            own += line.trimmed().isEmpty() ? 0 : 1;
    if (tracks && own > 0 && m_fillContents->isChecked())
        contents += QStringLiteral(", nahradí %1").arg(count(own, "vlastní řádek", "vlastní řádky", "vlastních řádků"));
    showFillChoice(m_fillContents, QStringLiteral("Obsah"), contents, m_plan.fillContents);
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
    // The cover may have changed since the window last showed it.
    const TrackChoices chosen = choices();
    m_plan = planTracks(m_document, m_list, chosen);
    const QStringList problems = applyTracks(m_document, m_list, m_plan);
    rememberTrackFormat(chosen.format);
    emit applied(problems);
    QDialog::accept();
}

} // namespace korvel

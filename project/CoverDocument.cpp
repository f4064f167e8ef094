#include "project/CoverDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoStack>
#include <algorithm>
#include <utility>

#include "project/CoverPage.h"
#include "project/DocumentHistory.h"
#include "project/ProjectError.h"
#include "project/ProjectFile.h"
#include "project/RecoveryWriter.h"
#include "project/SpinePictureState.h"
#include "picture/PictureError.h"
#include "settings/SettingsError.h"

// The built-in template lives in this static library, so it is registered by hand.
static void initTemplateResource()
{
    Q_INIT_RESOURCE(template);
}

namespace korvel {

CoverDocument::CoverDocument(QString startFolder, QObject *parent)
    : QObject(parent)
    , m_startFolder(QDir(startFolder).absolutePath())
    , m_page(new CoverPage(this))
    , m_discLayout(DiscGeometry())
    , m_label(new CoverPage(m_discLayout.layout(), this))
    , m_sheets{m_page, m_label}
    , m_spine(new SpinePictureState(*m_page, this))
{
    initTemplateResource();
    m_label->setState(untouchedLabel(m_page->state()));
    connect(m_page, &CoverPage::changed, this, &CoverDocument::labelFollows);
    m_spine->setFolder(m_startFolder);
    m_history = new DocumentHistory([this] { return snapshot(); },
                                    [this](const DocumentSnapshot &s) { apply(s); }, this);
    for (CoverPage *sheet : std::as_const(m_sheets))
        connect(sheet, &CoverPage::changed, m_history, &DocumentHistory::changed);
    connect(m_spine, &SpinePictureState::stretchChoiceChanged, m_history, &DocumentHistory::changed);
    connect(m_spine, &SpinePictureState::switchProcedureRan, m_history, &DocumentHistory::changed);
    connect(m_spine, &SpinePictureState::rememberedChanged, m_history, &DocumentHistory::changed);
    connect(m_history, &DocumentHistory::applied, this, &CoverDocument::applied);
    connect(m_history, &DocumentHistory::commandRecorded, this, &CoverDocument::rewritten);
    connect(m_history, &DocumentHistory::cleanStateMayHaveChanged, this, &CoverDocument::updateModified);
    m_template = snapshot();
}

CoverDocument::~CoverDocument()
{
    // The writer's thread must not outlive the cover it copies.
    m_recovery.reset();
}

QUndoStack *CoverDocument::undoStack() const
{
    return m_history->stack();
}

QString CoverDocument::folder() const
{
    return m_path.isEmpty() ? m_startFolder : QFileInfo(m_path).absolutePath();
}

QString CoverDocument::caption() const
{
    return m_path.isEmpty() ? QString::fromUtf8(kUnsavedCaption) : projectCaption(m_path);
}

quint64 CoverDocument::generation() const
{
    return m_history->generation();
}

bool CoverDocument::isModified() const
{
    return !m_history->isClean();
}

void CoverDocument::updateModified()
{
    const bool modified = isModified();
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void CoverDocument::setTextFromBox(int index, const QString &text)
{
    if (index < 0 || index >= m_samples.size())
        return;
    const bool wasSample = m_samples[index];
    m_samples[index] = false;
    m_page->items()[std::size_t(index)].setText(text);
    if (wasSample)
        m_history->changed(); // the box's state is part of the cover even when the text is not new
}

void CoverDocument::clearTexts()
{
    nameNextChange(QStringLiteral("Vymazání textů"));
    for (TextItem &item : m_page->items())
        item.clearLines();
    for (TextItem &item : m_label->items())
        item.clearLines();
    m_page->CDL().setCaption(QString());
    m_page->CDR().setCaption(QString());
    m_samples.fill(false);
    // Clearing is a change even when every text was empty already.
    m_history->changed();
    m_history->recordNow();
}

DocumentSnapshot CoverDocument::snapshot() const
{
    DocumentSnapshot s = DocumentSnapshot::of(*m_page, *m_spine);
    s.sheets.clear();
    for (const CoverPage *sheet : m_sheets)
        s.sheets.append(sheet->state());
    s.disc = m_disc;
    s.samples = m_samples;
    s.keptSideFiles = m_keptSideFiles;
    return s;
}

void CoverDocument::apply(const DocumentSnapshot &s)
{
    m_samples = s.samples;
    m_keptSideFiles = s.keptSideFiles;
    // The label's choices, then the sheets: the sheets as the snapshot has them, not
    // as the label would follow the cover meanwhile. The spine windows that follow the
    // restored switch read the page.
    m_applying = true;
    applyDisc(s.disc);
    for (qsizetype i = 0; i < m_sheets.size() && i < s.sheets.size(); ++i)
        m_sheets[i]->setState(s.sheets[i]);
    m_applying = false;
    m_spine->restore(s.pictureSwitch, s.stretch, s.remembered);
}

void CoverDocument::applyDisc(const DiscChoices &choices)
{
    const bool relaid = !(choices.geometry == m_disc.geometry);
    m_disc = choices;
    if (relaid) {
        m_discLayout.setGeometry(m_disc.geometry);
        m_disc.geometry = m_discLayout.geometry();
        m_label->relayout();
    }
}

void CoverDocument::labelFollows()
{
    if (m_applying)
        return;
    for (int text = 0; text < disc::kTextCount; ++text) {
        const int followed = followedText(text);
        if (!m_disc.follows[std::size_t(text)] || followed < 0)
            continue;
        TextItem &item = m_label->items()[std::size_t(text)];
        const QStringList &lines = m_page->items()[std::size_t(followed)].lines();
        if (item.lines() != lines)
            item.setLines(lines);
    }
    if (!m_disc.ownPicture) {
        PictureElement &picture = m_label->picture(m_label->layout().withRole(Role::LabelPicture));
        if (!picture.picture().sameAs(m_page->MainImg().picture()))
            picture.setPicture(m_page->MainImg().picture());
    }
}

void CoverDocument::setDiscGeometry(const DiscGeometry &geometry)
{
    DiscChoices choices = m_disc;
    choices.geometry = geometry.bounded();
    if (choices == m_disc)
        return;
    applyDisc(choices);
    m_history->changed();
}

void CoverDocument::setLabelText(int text, const QString &value)
{
    if (text < 0 || text >= disc::kTextCount)
        return;
    const bool followed = std::exchange(m_disc.follows[std::size_t(text)], false);
    m_label->items()[std::size_t(text)].setText(value);
    if (followed)
        m_history->changed(); // its own now, even when it reads the same
}

void CoverDocument::setLabelFollows(int text, bool follows)
{
    if (text < 0 || text >= disc::kTextCount || followedText(text) < 0 || m_disc.follows[std::size_t(text)] == follows)
        return;
    m_disc.follows[std::size_t(text)] = follows;
    labelFollows();
    m_history->changed();
}

void CoverDocument::setLabelOwnPicture(bool own)
{
    if (m_disc.ownPicture == own)
        return;
    m_disc.ownPicture = own;
    if (!own)
        removeKeptSideFile(".im4"); // the front's from now on
    labelFollows();
    m_history->changed();
}

void CoverDocument::loadLabelPicture(const QString &path)
{
    QString error;
    PictureElement &element = m_label->picture(m_label->layout().withRole(Role::LabelPicture));
    Picture picture;
    if (!picture.loadFromFile(path, &error))
        throw PictureError(error);
    m_disc.ownPicture = true;
    element.setPicture(picture);
    m_history->changed();
}

bool CoverDocument::hasLabelPictureToRemove() const
{
    const PictureElement &element = m_label->picture(m_label->layout().withRole(Role::LabelPicture));
    return !element.picture().isEmpty()
        || std::any_of(m_keptSideFiles.cbegin(), m_keptSideFiles.cend(),
                       [](const QString &path) { return path.endsWith(QLatin1String(".im4"), Qt::CaseInsensitive); });
}

void CoverDocument::removeLabelPicture()
{
    removeKeptSideFile(".im4");
    m_disc.ownPicture = true;
    m_label->picture(m_label->layout().withRole(Role::LabelPicture)).clear();
    m_history->changed();
}

void CoverDocument::removeKeptSideFile(const char *extension)
{
    m_keptSideFiles.removeIf(
        [extension](const QString &path) { return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive); });
}

void CoverDocument::setPath(const QString &path, bool named)
{
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    m_named = named;
    spineFolderFollows();
    emit captionChanged(caption());
}

void CoverDocument::spineFolderFollows()
{
    m_spine->setFolder(folder());
}

void CoverDocument::replaceWith(const DocumentSnapshot &snapshot)
{
    apply(snapshot);
    m_history->reset();
    emit replaced();
}

DocumentSnapshot CoverDocument::read(const QString &path, const DocumentSnapshot &from, QStringList *problems,
                                      bool keepUnreadable) const
{
    ProjectReading reading = readProjectFile(path, from, m_screenZoom);
    if (problems)
        *problems = reading.problems;
    if (keepUnreadable)
        reading.snapshot.keptSideFiles = reading.unreadable;
    return reading.snapshot;
}

QStringList CoverDocument::start(const QString &argument)
{
    // The template: the creation defaults with empty lists, then default.kvd of the
    // start folder read over them, or the program's own.
    DocumentSnapshot base = snapshot();
    for (qsizetype i = 0; i < base.cover().items.size(); ++i)
        if (m_page->layout().texts[std::size_t(i)].multiLine)
            base.cover().items[i].lines.clear();
    const QString own = QDir(m_startFolder).filePath(QStringLiteral("default.kvd"));
    bool haveTemplate = false;
    if (QFile::exists(own)) {
        try {
            m_template = read(own, base, nullptr);
            haveTemplate = true;
        } catch (const CommandError &) {
            // A template that is no project: the program's own takes its place.
        }
    }
    if (!haveTemplate) {
        // The program's own, read from its resources as the file would be.
        QFile builtIn(QStringLiteral(":/default.kvd"));
        const QByteArray content = builtIn.open(QIODevice::ReadOnly) ? builtIn.readAll() : QByteArray();
        m_template = isProjectText(content)
                         ? readProject(content, projectSideFileBase(QStringLiteral("default.kvd")), {}, base)
                         : base;
    }
    // The template's texts show as samples while the boxes are empty.
    m_template.samples.fill(true);

    if (!argument.isEmpty()) {
        const QString path = QDir(m_startFolder).absoluteFilePath(argument);
        if (QFile::exists(path)) {
            try {
                return open(path);
            } catch (const CommandError &) {
                newFromTemplate();
                throw;
            }
        }
        // A project that does not exist yet: the template under that name, so that
        // the first Save creates it.
        replaceWith(m_template);
        setPath(path, true);
        return {};
    }
    newFromTemplate();
    return {};
}

void CoverDocument::newFromTemplate()
{
    replaceWith(m_template);
    setPath(QString(), false);
}

QStringList CoverDocument::open(const QString &path)
{
    const QString absolute = QDir(m_startFolder).absoluteFilePath(path);
    // A file that is no project at all is refused by the reading, before anything
    // changes here.
    QStringList problems;
    DocumentSnapshot opened = read(absolute, snapshot(), &problems, true);
    replaceWith(opened);
    setPath(absolute, true);
    removeSaveLeftovers(absolute);
    return problems;
}

void CoverDocument::save(const QString &path, bool named)
{
    const QString absolute = QDir(folder()).absoluteFilePath(path);
    m_history->recordNow();
    // The spine side file holds the remembered picture while the gradient shows: read
    // it now if it has not been yet.
    if (m_page->CDL().gradient().Visible) {
        try {
            m_spine->rememberedPicture();
        } catch (const CommandError &) {
            // A remembered file that is gone: the project's side file is left as it is.
        }
    }
    try {
        saveProjectFiles(snapshot(), absolute);
    } catch (const SettingsError &e) {
        throw CommandError(e.message()); // what the file cannot hold, named as the user sees it
    }
    m_history->setClean();
    setPath(absolute, named || m_named);
    updateModified();
}

void CoverDocument::restore(const QString &copyPath, const QString &projectPath, bool named,
                            const QStringList &keptSideFiles)
{
    DocumentSnapshot restored = read(copyPath, snapshot(), nullptr);
    // The copy's own side files are not the project's; the project's unreadable ones
    // were noted beside the copy.
    restored.keptSideFiles = keptSideFiles;
    replaceWith(restored);
    setPath(projectPath, named);
    // Restored work is saved nowhere yet, not even where undo stops.
    m_history->setUnsavedEverywhere();
    updateModified();
}

namespace {

bool isSideFileOf(const QString &path, bool front)
{
    return path.endsWith(QLatin1String(front ? ".im2" : ".im1"), Qt::CaseInsensitive);
}

} // namespace

void CoverDocument::loadPicture(bool front, const QString &path)
{
    QString error;
    // On failure the element keeps its picture.
    if (!(front ? m_page->MainImg() : m_page->BckImg()).loadFromFile(path, &error))
        throw PictureError(error);
}

bool CoverDocument::hasPictureToRemove(bool front) const
{
    const PictureElement &element = front ? m_page->MainImg() : m_page->BckImg();
    return !element.picture().isEmpty()
        || std::any_of(m_keptSideFiles.cbegin(), m_keptSideFiles.cend(),
                       [front](const QString &path) { return isSideFileOf(path, front); });
}

void CoverDocument::removePicture(bool front)
{
    PictureElement &element = front ? m_page->MainImg() : m_page->BckImg();
    const qsizetype kept = m_keptSideFiles.removeIf([front](const QString &path) { return isSideFileOf(path, front); });
    if (!element.picture().isEmpty())
        element.clear();
    else if (kept > 0)
        m_history->changed(); // only the damaged side file goes: a step of its own all the same
}

void CoverDocument::nextChangeIsTyping(int key)
{
    m_history->nextChangeIsTyping(key);
}

void CoverDocument::nameNextChange(const QString &label)
{
    m_history->nameNextStep(label);
}

void CoverDocument::enableRecovery(std::unique_ptr<RecoveryWriter> writer)
{
    m_recovery = std::move(writer);
    connect(this, &CoverDocument::modifiedChanged, m_recovery.get(), &RecoveryWriter::modifiedChanged);
}

} // namespace korvel

#include "project/PageHistory.h"

#include <QTimer>
#include <QUndoStack>

#include "project/SpinePictureState.h"

namespace korvel {

class PageHistory::Step : public QUndoCommand {
public:
    Step(PageHistory &history, Snapshot before, Snapshot after, int key)
        : QUndoCommand(key >= 0 ? QStringLiteral("psaní") : QStringLiteral("úprava"))
        , m_history(history)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_key(key)
    {
    }

    // The change is already on the page when the step is pushed.
    void redo() override
    {
        if (m_pushed)
            m_history.apply(m_after);
        m_pushed = true;
    }
    void undo() override { m_history.apply(m_before); }
    int id() const override { return m_key; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *step = static_cast<const Step *>(other);
        if (step->m_key != m_key)
            return false;
        m_after = step->m_after;
        return true;
    }

private:
    PageHistory &m_history;
    Snapshot m_before;
    Snapshot m_after;
    int m_key;
    bool m_pushed = false;
};

PageHistory::PageHistory(CoverPage &page, SpinePictureState &spine, QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_spine(spine)
    , m_stack(new QUndoStack(this))
{
    m_stack->setObjectName(QStringLiteral("UndoStack"));
    m_current = take();
    connect(&m_page, &CoverPage::changed, this, &PageHistory::pageChanged);
    connect(&m_spine, &SpinePictureState::stretchChoiceChanged, this, &PageHistory::pageChanged);
    connect(&m_spine, &SpinePictureState::switchProcedureRan, this, &PageHistory::pageChanged);
}

PageHistory::~PageHistory() = default;

PageHistory::Snapshot PageHistory::take() const
{
    return Snapshot{m_page.state(), m_spine.pictureSwitch(), m_spine.stretchChoice()};
}

void PageHistory::nextChangeIsTyping(int key)
{
    m_typingKey = key;
    pageChanged();
}

void PageHistory::pageChanged()
{
    if (m_applying || m_recordScheduled)
        return;
    // Everything one event changes (clearing every text at once) makes one step.
    m_recordScheduled = true;
    QTimer::singleShot(0, this, &PageHistory::recordNow);
}

void PageHistory::recordNow()
{
    const int key = m_typingKey;
    m_recordScheduled = false;
    m_typingKey = -1;
    Snapshot now = take();
    if (now == m_current)
        return;
    Snapshot before = std::move(m_current);
    m_current = now;
    m_stack->push(new Step(*this, std::move(before), std::move(now), key));
}

void PageHistory::reset()
{
    m_stack->clear();
    m_recordScheduled = false;
    m_typingKey = -1;
    m_current = take();
}

void PageHistory::apply(const Snapshot &snapshot)
{
    m_applying = true;
    m_page.setState(snapshot.page);
    m_spine.restore(snapshot.pictureSwitch, snapshot.stretch);
    m_current = snapshot;
    m_applying = false;
    emit applied();
}

} // namespace korvel

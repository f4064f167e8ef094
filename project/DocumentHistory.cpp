#include "project/DocumentHistory.h"

#include <QTimer>
#include <QUndoStack>
#include <utility>

#include "project/ChangeLabel.h"

namespace korvel {

class DocumentHistory::Step : public QUndoCommand {
public:
    Step(DocumentHistory &history, DocumentSnapshot before, DocumentSnapshot after, int key, const QString &label)
        : QUndoCommand(label)
        , m_history(history)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_key(key)
    {
    }

    // The change is already in the cover when the step is pushed.
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
        // The run keeps the name of its first step: the same place, the same kind.
        m_after = step->m_after;
        // Typing that ends where it began changed nothing: no step at all.
        setObsolete(m_after == m_before);
        return true;
    }

private:
    DocumentHistory &m_history;
    DocumentSnapshot m_before;
    DocumentSnapshot m_after;
    int m_key;
    bool m_pushed = false;
};

DocumentHistory::DocumentHistory(Take take, Apply apply, QObject *parent)
    : QObject(parent)
    , m_take(std::move(take))
    , m_apply(std::move(apply))
    , m_stack(new QUndoStack(this))
{
    m_stack->setObjectName(QStringLiteral("UndoStack"));
    m_current = m_take().stored();
    connect(m_stack, &QUndoStack::cleanChanged, this, &DocumentHistory::cleanStateMayHaveChanged);
}

DocumentHistory::~DocumentHistory() = default;

void DocumentHistory::nextChangeIsTyping(int key)
{
    m_typingKey = key;
    changed();
}

void DocumentHistory::beginGesture()
{
    recordNow();
    m_inGesture = true;
}

void DocumentHistory::endGesture()
{
    m_inGesture = false;
    m_recordScheduled = true;
    recordNow();
}

void DocumentHistory::changed()
{
    if (m_applying || m_recordScheduled)
        return;
    if (m_inGesture) {
        emit cleanStateMayHaveChanged();
        return;
    }
    // Everything one event changes (clearing every text at once) makes one step.
    m_recordScheduled = true;
    QTimer::singleShot(0, this, &DocumentHistory::recordNow);
    emit cleanStateMayHaveChanged();
}

void DocumentHistory::recordNow()
{
    if (!m_recordScheduled)
        return;
    const int key = m_typingKey;
    const QString named = std::exchange(m_nextLabel, QString());
    m_recordScheduled = false;
    m_typingKey = -1;
    DocumentSnapshot now = m_take().stored();
    if (now == m_current) {
        emit cleanStateMayHaveChanged();
        return;
    }
    const QString label = named.isEmpty() ? changeLabel(m_current, now) : named;
    DocumentSnapshot before = std::move(m_current);
    m_current = now;
    ++m_generation;
    m_stack->push(new Step(*this, std::move(before), std::move(now), key, label));
    emit cleanStateMayHaveChanged();
    if (!named.isEmpty())
        emit commandRecorded();
}

void DocumentHistory::nameNextStep(const QString &label)
{
    recordNow(); // what was changed before is a step of its own
    m_nextLabel = label;
    // The name is this event's: its changes are recorded under it once the event is
    // over, and a command that changed nothing leaves no name for the next change.
    QTimer::singleShot(0, this, [this] {
        recordNow();
        m_nextLabel.clear();
    });
}

void DocumentHistory::reset()
{
    m_stack->clear();
    m_recordScheduled = false;
    m_typingKey = -1;
    m_nextLabel.clear();
    m_current = m_take().stored();
    ++m_generation;
    m_stack->setClean();
    emit cleanStateMayHaveChanged();
}

void DocumentHistory::setClean()
{
    recordNow();
    m_stack->setClean();
    emit cleanStateMayHaveChanged();
}

void DocumentHistory::setUnsavedEverywhere()
{
    recordNow();
    m_stack->resetClean();
    emit cleanStateMayHaveChanged();
}

bool DocumentHistory::isClean() const
{
    return !m_recordScheduled && !m_inGesture && m_stack->isClean();
}

void DocumentHistory::apply(const DocumentSnapshot &snapshot)
{
    m_applying = true;
    m_apply(snapshot);
    m_current = snapshot;
    m_applying = false;
    ++m_generation;
    emit applied();
}

} // namespace korvel

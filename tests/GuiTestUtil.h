#pragma once
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace korvel::test {

// Runs f on the next modal window of type T as soon as it is open. With a context,
// the watch ends when the context goes (a test's own object), so it never fires into
// a later test run in the same process.
template <typename T>
void whenModal(const std::function<void(T *)> &f, int attempts = 100, QObject *context = nullptr)
{
    QTimer::singleShot(20, context ? context : qApp, [f, attempts, context] {
        T *w = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!w)
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *candidate = qobject_cast<T *>(top); candidate && candidate->isVisible())
                    w = candidate;
        if (w) {
            f(w);
            return;
        }
        if (attempts > 0)
            whenModal<T>(f, attempts - 1, context);
    });
}

// Answers the next question window with "Ano" or "Ne", recording its caption.
inline void answerNextQuestion(bool yes, QString *caption = nullptr)
{
    whenModal<QDialog>([yes, caption](QDialog *d) {
        if (caption)
            *caption = d->windowTitle();
        if (auto *b = d->findChild<QPushButton *>(yes ? QStringLiteral("BtAno") : QStringLiteral("BtNe")))
            b->click();
    });
}

} // namespace korvel::test

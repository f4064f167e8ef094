#pragma once
#include <QValidator>

namespace korvel {

// Single-line boxes whose text goes into a project file take only what the file can
// hold: text in code page Windows-1250 and no line breaks. Rather than refuse a whole
// paste for one such character, the box keeps everything it can: line breaks become
// spaces, characters the code page cannot hold are dropped, and dropped() names them
// so the window can say so.
class Cp1250Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;

signals:
    void dropped(const QString &characters) const;
};

// The one short line that tells the user what was dropped, in Czech.
QString droppedCharactersNotice(const QString &characters);

} // namespace korvel

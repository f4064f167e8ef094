#pragma once
#include <QValidator>

namespace korvel {

// Single-line boxes whose text goes into a project file take only what the file can
// hold: text in code page Windows-1250 (anything else would be lost on saving) and
// no line breaks.
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace korvel

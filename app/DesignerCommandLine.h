#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace korvel {

// The designer's command line: one optional project path, further arguments
// ignored. -h, --help (and --help-all) and -v, --version are answered on standard
// output without opening a window, so they work without a display. Any other
// argument that starts with a dash is refused with a short usage on standard error
// and exit code 2: a mistyped option must not start an empty project named after
// it. A project whose name starts with a dash is given after "--".
class DesignerCommandLine {
public:
    enum class Action { Start, Help, Version, Refuse };
    struct Parsed {
        Action action = Action::Start;
        QString project; // Start: the project to open, empty for none
        QString option;  // Refuse: the option the designer does not know
    };

    // Reads the arguments as main gets them, the program's own name first.
    static Parsed parse(const QStringList &arguments);

    // The exit code when the command line was answered (help, version, refusal),
    // nothing when the designer is to start; *project is then the project to open,
    // empty for none.
    static std::optional<int> answer(int argc, char **argv, QString *project);
};

} // namespace korvel

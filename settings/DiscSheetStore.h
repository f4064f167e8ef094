#pragma once
#include <QList>
#include <QString>

namespace korvel {

// A sheet of sticker labels as the user measured it: the labels' size and the two
// centres on the A4 page, in tenths of a millimetre. Products differ, so the user
// keeps those of the sheets they buy under names of their own.
struct OwnDiscSheet {
    QString name;
    int outer = 1170, hole = 410;
    int centreX = 1050, firstY = 799, secondY = 2033;
    bool operator==(const OwnDiscSheet &) const = default;
};

// The user's own choices for disc labels, in a file of the user's configuration
// folder, never in a project: whether the cut circles print (they belong to how this
// user cuts, as a printer's calibration belongs to the printer), and the user's own
// sheets of labels, offered for every project.
class DiscSheetStore {
public:
    // "korvel/disc-label.ini" in the user's configuration folder.
    static QString storePath();

    // Whether the cut circles print; off until the user turns them on.
    static bool cutCircles();
    // Returns false, with a Czech message in *error, when the file cannot be written.
    static bool setCutCircles(bool print, QString *error);

    // The user's own sheets, by name in the order they were first saved. Entries whose
    // numbers are not numbers (a file edited by hand) are left out.
    static QList<OwnDiscSheet> sheets();
    // Keeps a sheet, replacing one of the same name.
    static bool saveSheet(const OwnDiscSheet &sheet, QString *error);
    static bool removeSheet(const QString &name, QString *error);
};

} // namespace korvel

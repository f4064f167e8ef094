#pragma once
#include <QString>

namespace korvel {

// How the cover is finished for cutting ("Ořez"): crop marks outside the cut, fold
// marks at the folds, a bleed that runs the pictures past the cut, and the outlines
// on the cut itself. The defaults print the page as it always was: outlines, no
// marks, no bleed.
struct TrimSettings {
    bool cropMarks = false;
    bool foldMarks = false;
    int bleed = 0; // tenths of a millimetre, 0 to kMaxBleed in steps of kBleedStep
    bool outlines = true;

    static constexpr int kMaxBleed = 30;
    static constexpr int kBleedStep = 5;
    // What a print shop's PDF gets when nobody says otherwise.
    static constexpr int kShopBleed = 30;

    bool isValid() const { return bleed >= 0 && bleed <= kMaxBleed && bleed % kBleedStep == 0; }
    bool hasMarks() const { return cropMarks || foldMarks; }
    bool operator==(const TrimSettings &) const = default;

    // A bleed typed by a person, in millimetres ("2", "1.5", "1,5"), as tenths of a
    // millimetre; -1 when it is no allowed value.
    static int parseBleed(const QString &millimetres);
    // A bleed in millimetres as the Czech user reads it: "0", "1,5", "3".
    static QString bleedText(int tenths);
};

// The user's trim settings, in a file of the user's own configuration folder. Never
// in a project: how a page is cut is the user's business at the printer, not the
// cover's.
class TrimSettingsStore {
public:
    // "korvel/trim.ini" in the user's configuration folder.
    static QString storePath();
    // The stored settings; none stored (or values edited into nonsense) are the defaults.
    static TrimSettings load();
    // Returns false, with a Czech message in *error, when the file cannot be written.
    static bool save(const TrimSettings &settings, QString *error);
};

} // namespace korvel

#pragma once
#include "settings/TKivComponent.h"

#include <QString>

namespace korvel {

// Typed access to single values in one section of one INI file.
//
// Nothing is cached: every call opens the file, does exactly one read or one write
// and closes it again, so a change of Filename or Section takes effect with the next
// call and a value written is what the next read sees. A load or save of many
// values is that many independent calls.
//
// Every call follows the same frame:
//  1. With an empty Section or an empty Filename, the message
//     "Please specify both Filename and Section for TINIEntry" is shown once (see
//     SettingsMessages.h) and the call returns its neutral result: "" for
//     ReadString, NeutralInteger (-11037) for ReadInteger, false for ReadBool; writes
//     do nothing.
//  2. With an empty value name the call returns the same neutral result silently.
//  3. Otherwise the value is read or written in Section.
//  4. ReadString and ReadInteger call OnError once, with this entry as sender, when
//     the result equals their sentinel (MissingString "ERROR", MissingInteger
//     -11073), which is also what a missing file, section or value gives. A value
//     actually stored as "ERROR" or "-11073" cannot be told from a missing one.
//
// Names of sections and values are matched without regard to ASCII letter case; the
// file format is described in IniFile.h.
//
// Errors: a write that the file system refuses throws SettingsError with the
// message "Unable to write to <Filename>", leaving the file as it was. Text that
// cannot be stored as given (a CR or LF in a name or value, characters outside code
// page Windows-1250, a value name with "=" or starting with "[") throws SettingsError
// before the file is touched. Reads never throw.
//
// Typical use, as for the project file:
//     TKivINIEntry ini(form);
//     ini.SetSection(QStringLiteral("SecCD"));
//     ini.SetFilename(projectPath);                    // before each load or save
//     ini.WriteInteger(QStringLiteral("MTN-Sz"), 48);  // may throw SettingsError
//     const int size = ini.ReadInteger(QStringLiteral("MTn-Sz")); // -11073 if missing
class TKivINIEntry : public TKivComponent {
public:
    static constexpr int NeutralInteger = -11037;
    static constexpr int MissingInteger = -11073;
    static constexpr qsizetype MaxValueLength = 1023;
    static QString MissingString() { return QStringLiteral("ERROR"); }

    // Filename "FILE.INI" (relative to the working directory), Section "ENTRY1".
    explicit TKivINIEntry(QObject *owner = nullptr);

    const QString &Filename() const { return m_filename; }
    // Only stores the path; the file is neither checked nor touched.
    void SetFilename(const QString &filename) { m_filename = filename; }

    const QString &Section() const { return m_section; }
    void SetSection(const QString &section) { m_section = section; }

    const TNotifyEvent &OnError() const { return m_onError; }
    void SetOnError(TNotifyEvent handler) { m_onError = std::move(handler); }

    // The value's text, at most MaxValueLength characters (longer values are cut);
    // MissingString() when there is none.
    QString ReadString(const QString &name);
    // Stores the text unchanged; creates the file, section and line as needed.
    void WriteString(const QString &name, const QString &value);
    // Many values at once, in this order, as one replacement of the file: the file
    // ends up exactly as that many WriteString calls would leave it.
    void WriteStrings(const QList<std::pair<QString, QString>> &values);

    // The value converted by strToIntDef (IntegerText.h); MissingInteger when it is
    // missing, empty or not a number.
    int ReadInteger(const QString &name);
    // Stores signed decimal text ("-5").
    void WriteInteger(const QString &name, int value);

    // True when the value reads as a non-zero integer (as ReadInteger does, with 0
    // for a missing or unreadable value). Never calls OnError.
    bool ReadBool(const QString &name);
    // Stores "1" or "0".
    void WriteBool(const QString &name, bool value);

private:
    bool configured() const;

    QString m_filename;
    TNotifyEvent m_onError;
    QString m_section;
};

} // namespace korvel

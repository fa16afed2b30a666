// The application's start-up before any window: it finds the scrambled skin archive
// Skin.dat (beside the program, else in the installed data folder), writes its plain copy
// as tmp.98457512 in the temporary folder and loads that into the skin engine. Any failure
// stops start-up with one line saying why; the program then ends with status 1 and shows
// no window.
#pragma once

#include <QString>
#include <QStringList>

class COstvikApp {
public:
    static constexpr unsigned kTemporarySkinNumber = 98457512;

    // The start-up; false when the program must end, ErrorText() then says why.
    bool InitInstance();
    QString ErrorText() const { return m_error; }

    QString ProgramFolder() const { return m_programFolder; }
    QString SkinArchivePath() const { return m_skinArchive; }
    QString TemporarySkinPath() const { return m_temporarySkin; }

    // TEMP, else TMP, else the program folder; a program folder the user cannot write to
    // (an installed program) gives way to a folder of the user's own: XDG_RUNTIME_DIR when
    // it is a private folder of the user's, else the user's cache folder for the player,
    // made private (0700). Empty when there is none. An empty variable counts as unset.
    static QString TemporaryFolder(const QString& programFolder);
    // Where Skin.dat is looked for, in order.
    static QStringList SkinArchiveCandidates(const QString& programFolder);

    // Reads the archive whole, descrambles it and writes the plain copy to `plainPath`,
    // replacing what is there. False with ErrorText() set when either side fails or the
    // archive is not a regular file of at most 64 MiB.
    bool PrepareSkin(const QString& archive, const QString& plainPath);

private:
    bool Fail(const QString& text);

    QString m_programFolder;
    QString m_skinArchive;
    QString m_temporarySkin;
    QString m_error;
};

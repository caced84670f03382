#pragma once

#include "presets/presettable.h"

#include <QString>
#include <array>

// The nine labels of one searchlight: element k - 1 is the label of preset k.
using PresetLabels = std::array<QString, presettable::kPresetCount>;

// What a load came to. ok false: error is the whole operator message (presettexts::failure)
// for a "提示信息" box, and labels are nine empty texts.
struct PresetLoad
{
    bool ok = false;
    QString error;
    PresetLabels labels;
};

// What a save came to. ok false: error is the whole operator message, and the file is as it
// was before the save.
struct PresetSave
{
    bool ok = false;
    QString error;
};

// The preset labels of every searchlight, kept in an SQLite file. Each load and each save opens
// the file, works and closes it again, so another program may change the file in between.
//
// - The key is the searchlight text as the selector shows it: "7" and "07" are different rows.
//   It is always bound as a value, never written into SQL text, so any text is a safe key.
// - Load: a missing file or table, or a searchlight without a row, gives nine empty labels and
//   creates nothing; a NULL column gives an empty label. Where several rows share the key, the
//   first (lowest rowid) is read.
// - Save: creates the folder, the file, the table and the row as needed; otherwise writes all
//   nine labels into the first row of the key, in one transaction. Empty labels are stored as
//   empty texts. Other rows and other columns are never touched.
// - A key or label that SQLite cannot keep as it is is refused: a lone surrogate (SQLite joins it
//   with the next character), U+FEFF at the start (dropped as a byte-order mark), U+FFFE and
//   U+FFFF (read back as U+FFFD). Load finds no row for such a key, and save fails with
//   presettexts::kUnstorableText and writes nothing.
// - A lock held by someone else is waited for about 2 s before the operation fails.
// - A fallback file, when given, stands in while the store's own file does not exist: a load reads
//   it, and the first save copies it to the store's own place before writing there, so that no
//   other searchlight's labels are left behind. The fallback itself is never written.
// - Failures never throw and never end the program; they come back as ok false with a message.
class PresetStore
{
public:
    // The console passes presettable::filePathIn(data directory) and, where the data directory
    // is not the program directory, presettable::filePathIn(program directory) as the fallback.
    explicit PresetStore(QString filePath, QString fallbackPath = {});

    const QString &filePath() const { return m_filePath; }
    // The file a load reads now: the store's own, or the fallback while the own one is missing.
    QString sourcePath() const;

    PresetLoad load(const QString &searchlight) const;
    PresetSave save(const QString &searchlight, const PresetLabels &labels) const;

private:
    QString m_filePath;
    QString m_fallbackPath;
};

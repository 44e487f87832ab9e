#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace mv::test {

// A temporary folder removed with its contents when the test ends, with small helpers to lay out files.
class TempDir {
public:
    TempDir();

    QString path() const { return m_dir.path(); }
    // Absolute path of `relative` inside the folder.
    QString filePath(const QString& relative) const;
    // Writes `bytes` to `relative`, creating the folders above it; returns the absolute path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    // Creates the folder `relative` and those above it; returns the absolute path.
    QString mkdir(const QString& relative) const;
    static QByteArray read(const QString& absolutePath);

private:
    QTemporaryDir m_dir;
};

// A temporary support folder: MARROWVALE_SUPPORT_DIR points at it for the fixture's life.
class TempSupportDir : public TempDir {
public:
    TempSupportDir();
    ~TempSupportDir();

private:
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

} // namespace mv::test

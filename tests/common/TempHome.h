#pragma once
// A fresh temporary home folder for one test, made the program's home for
// the test's lifetime and removed afterwards.
#include <QString>
#include <QTemporaryDir>

namespace qx::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    // Writes text (UTF-8, as given) to a file of the home folder.
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace qx::test

#pragma once
// The one door through which the program writes its files. A save is whole
// or nothing: the bytes go to a temporary file beside the target, written
// unbuffered so that a full disk shows at the write and not at a flush
// after it, synced, and checked for their size on disk before the file
// takes the target's name. Until then the earlier file stays as it was.
//
// Appends (run logs, error logs) are not whole-file saves, but their write
// errors are reported too, and a line left torn by an earlier failure or a
// crash is cut off before the next one goes on.
//
// Every function returns whether it succeeded and, on failure, puts the
// reason (the system's words, e.g. "No space left on device") in *reason.
// Callers log the failure and tell the user when the user asked for the save.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace qx::savefile {

// Replaces the file at path (made when missing; a link is followed to its
// target) with bytes.
bool replace(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

// Writes bytes to a new file, never over an existing one: when path is
// taken (by another program instance, or an earlier save in the same
// second), "-2", "-3", ... go before the extension ("a.csv", "a-2.csv").
// Returns the path written, or an empty string. A file system that can
// neither rename without replacing nor link gets the bytes written into an
// exclusively created file of the free name; a failure there removes it,
// but a kill in that moment leaves it short.
QString createNew(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

// Moves the file at path to the first free name of kept ("-2", "-3", ...
// before the extension as for createNew), never over an existing file:
// renamed without replacing, else linked and the old name removed, else (a
// file system with neither) its bytes saved as by createNew and the old
// name removed. Returns the path it now has, or an empty string (the file
// stays where it was).
QString keepAside(const QString &path, const QString &kept, QString *reason = nullptr);

// What append does with a file whose last line has no line end.
enum class Tail {
    CutTornLine, // text: the torn line is cut off first
    Keep,        // pieces of one binary file: appended as they come
};

// Appends bytes to the file at path (made when missing). A failed append may
// leave part of bytes behind as a torn last line, never more.
bool append(const QString &path, const QByteArray &bytes, QString *reason = nullptr, Tail tail = Tail::CutTornLine);

// Appends to one file at a time, kept open between appends: for a file
// that takes a line many times a second (a run log), where opening it and
// reading its last byte back for every line would cost more than the line.
// It guarantees what append does: each append is one unbuffered write (on
// the disk in whole lines however the program ends), a torn last line is cut
// off before the next append, a failure is reported with its reason. The
// file's tail is read back only when the file is (re)opened or someone else
// changed its size. The appends follow the name, not the file: when the
// file at the name is no longer the one held (removed, replaced by a new
// run's header, or moved aside by the user or a backup tool), the name is
// opened anew and the file moved aside keeps what it had. After a failure
// the next append starts afresh.
class Appender {
public:
    Appender() = default;
    ~Appender() { close(); }
    Appender(const Appender &) = delete;
    Appender &operator=(const Appender &) = delete;

    // Appends bytes to the file at path (made when missing); another path
    // than the last one's closes that file first.
    bool append(const QString &path, const QByteArray &bytes, QString *reason = nullptr);
    // Closes the file (the next append opens it again).
    void close();

private:
    QString path_;
    QByteArray name_;     // path_ as the system takes it
    int fd_ = -1;
    long long size_ = -1; // the file's size after the last append
    std::uint64_t dev_ = 0, ino_ = 0; // which file fd_ is
};

namespace detail {
// The calls createNew finds missing, as on a file system without them
// (tests): they fail as such a file system's do. Returns the previous set.
enum Missing : unsigned { NoRenameNoReplace = 1, NoLink = 2 };
unsigned setMissing(unsigned calls);
// Called when createNew, on such a file system, has made the file under its
// final name and is about to write it (tests: the disk fills then); an
// empty function removes the hook.
void setBeforeRewrite(std::function<void()> hook);
} // namespace detail

} // namespace qx::savefile

#include "app/CommandLine.h"

#include "platform/AppVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace qx::app {

namespace {

constexpr int ExitUsage = 2;

struct Parser {
    QCommandLineParser p;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption home{QStringLiteral("home"),
                            QStringLiteral("Keep qx.ini, Data and Log in <folder> (default: $QX_HOME, "
                                           "else the program's folder when writable, else "
                                           "~/.local/share/qx-tester)."),
                            QStringLiteral("folder")};

    Parser()
    {
        // Qt's own options are single-dash words (-platform, -reverse): read
        // every option as a long name so that none of them is taken apart
        // into letters such as -v.
        p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        p.setApplicationDescription(programTitle() + QStringLiteral(
            ": drives programmable electronic loads, battery chargers and USB testers on serial ports.\n"
            "Qt's own options (-platform, -style, ...) are accepted as well."));
        p.addOption(help);
        p.addOption(version);
        p.addOption(home);
    }
};

QString programName(const QString &argv0)
{
    const QString n = QFileInfo(argv0).fileName();
    return n.isEmpty() ? QStringLiteral("qx-tester") : n;
}

QString usage(Parser &ps, const QString &argv0)
{
    // helpText() names the program from the application object, which the
    // first look does not have yet: put the name in ourselves.
    QString text = ps.p.helpText();
    const int eol = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: ") + programName(argv0) + QStringLiteral(" [options]") + text.mid(eol);
}

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

int refuse(Parser &ps, const QString &argv0, const QString &why)
{
    print(stderr, programName(argv0) + QStringLiteral(": ") + why + QStringLiteral("\n\n") + usage(ps, argv0));
    return ExitUsage;
}

// A folder named like an option is taken for a forgotten value.
bool missingFolder(const QString &value) { return value.isEmpty() || value.startsWith(QLatin1Char('-')); }

} // namespace

std::optional<int> preflightCommandLine(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        args << QStringLiteral("qx-tester");
    Parser ps;
    // Options Qt itself takes are still here and unknown to us; they are
    // judged in the second look, once QApplication has removed its own.
    const bool parsed = ps.p.parse(args);
    if (ps.p.isSet(ps.help)) {
        print(stdout, usage(ps, args.first()));
        return 0;
    }
    if (ps.p.isSet(ps.version)) {
        print(stdout, programTitle() + QLatin1Char(' ') + versionNumbers() + QLatin1Char('\n'));
        return 0;
    }
    if (!parsed && args.contains(QStringLiteral("--home")) && args.last() == QStringLiteral("--home"))
        return refuse(ps, args.first(), QStringLiteral("--home needs a folder."));
    if (ps.p.isSet(ps.home) && missingFolder(ps.p.value(ps.home)))
        return refuse(ps, args.first(), QStringLiteral("--home needs a folder."));
    return std::nullopt;
}

std::optional<int> parseCommandLine(const QStringList &args, QString &home)
{
    Parser ps;
    const QString argv0 = args.isEmpty() ? QString() : args.first();
    if (!ps.p.parse(args))
        return refuse(ps, argv0, ps.p.errorText());
    if (!ps.p.positionalArguments().isEmpty())
        return refuse(ps, argv0, QStringLiteral("Unknown argument '%1'.").arg(ps.p.positionalArguments().first()));
    if (ps.p.isSet(ps.home) && missingFolder(ps.p.value(ps.home)))
        return refuse(ps, argv0, QStringLiteral("--home needs a folder."));
    home = ps.p.value(ps.home);
    return std::nullopt;
}

} // namespace qx::app

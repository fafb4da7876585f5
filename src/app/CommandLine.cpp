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
            "Qt's own options (-platform, -style, -geometry, ...) are accepted as well."));
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

// The options QApplication (with QGuiApplication, QCoreApplication and the
// X11 platform plugin) takes out of the arguments in Qt 6.
struct QtOption {
    const char *name;
    bool value;      // the next argument is its value
    bool doubleDash; // "--name" is taken as well as "-name"
};
constexpr QtOption QtOptions[] = {
    // The application object.
    {"-platform", true, true},
    {"-platformpluginpath", true, true},
    {"-platformtheme", true, true},
    {"-plugin", true, true},
    {"-qwindowgeometry", true, true},
    {"-qwindowtitle", true, true},
    {"-qwindowicon", true, true},
    {"-geometry", true, true},
    {"-title", true, true},
    {"-icon", true, true},
    {"-session", true, true},
    {"-reverse", false, true},
    {"-testability", false, true},
    {"-style", true, true},
    {"-stylesheet", true, true},
    {"-widgetcount", false, true},
    {"-qdevel", false, true},
    {"-qdebug", false, true},
    {"-qmljsdebugger", true, true},
    // The X11 platform plugin, which takes the single-dash form only.
    {"-display", true, false},
    {"-name", true, false},
    {"-visual", true, false},
    {"-nograb", false, false},
    {"-dograb", false, false},
};
// Options that also take their value after "=" in the same argument.
constexpr const char *QtJoinedOptions[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};

const QtOption *qtOption(const QString &arg)
{
    const QString single = arg.startsWith(QLatin1String("--")) ? arg.mid(1) : arg;
    for (const QtOption &o : QtOptions)
        if (arg == QLatin1String(o.name) || (o.doubleDash && single == QLatin1String(o.name)))
            return &o;
    return nullptr;
}

bool qtJoinedOption(const QString &arg)
{
    const QString single = arg.startsWith(QLatin1String("--")) ? arg.mid(1) : arg;
    for (const char *o : QtJoinedOptions)
        if (single.startsWith(QLatin1String(o)))
            return true;
    return false;
}

// The arguments without Qt's own options and their values; the first one
// (the program) stays. A Qt option that needs a value and is the last
// argument is named in *missing.
QStringList withoutQtOptions(const QStringList &args, QString *missing)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i == 0 || !a.startsWith(QLatin1Char('-'))) {
            rest << a;
            continue;
        }
        if (qtJoinedOption(a))
            continue;
        const QtOption *o = qtOption(a);
        if (!o) {
            rest << a;
            continue;
        }
        if (o->value) {
            if (i + 1 == args.size()) {
                if (missing)
                    *missing = a;
                continue;
            }
            ++i;
        }
    }
    return rest;
}

} // namespace

std::optional<int> parseCommandLine(int argc, char *argv[], QString &home)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        args << QStringLiteral("qx-tester");
    const QString &argv0 = args.first();
    QString missing;
    const QStringList ours = withoutQtOptions(args, &missing);
    Parser ps;
    const bool parsed = ps.p.parse(ours);
    if (ps.p.isSet(ps.help)) {
        print(stdout, usage(ps, argv0));
        return 0;
    }
    if (ps.p.isSet(ps.version)) {
        print(stdout, programTitle() + QLatin1Char(' ') + versionNumbers() + QLatin1Char('\n'));
        return 0;
    }
    if (!missing.isEmpty())
        return refuse(ps, argv0, QStringLiteral("Missing value after '%1'.").arg(missing));
    if (!parsed && ours.last() == QLatin1String("--home"))
        return refuse(ps, argv0, QStringLiteral("--home needs a folder."));
    if (!parsed)
        return refuse(ps, argv0, ps.p.errorText());
    if (!ps.p.positionalArguments().isEmpty())
        return refuse(ps, argv0, QStringLiteral("Unknown argument '%1'.").arg(ps.p.positionalArguments().first()));
    if (ps.p.isSet(ps.home) && missingFolder(ps.p.value(ps.home)))
        return refuse(ps, argv0, QStringLiteral("--home needs a folder."));
    home = ps.p.value(ps.home);
    return std::nullopt;
}

} // namespace qx::app

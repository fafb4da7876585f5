#pragma once
// The program's title and version as the windows show them.
#include <QString>

namespace qx::app {

inline QString programTitle() { return QStringLiteral("QX Tester Software"); }

// major.minor.revision, each a plain number ("1.8.9").
inline QString versionNumbers()
{
    return QStringLiteral("%1.%2.%3").arg(QX_VERSION_MAJOR).arg(QX_VERSION_MINOR).arg(QX_VERSION_PATCH);
}

// The build text of the About box: "Build" and the build date.
inline QString buildText() { return QStringLiteral("Build ") + QStringLiteral(__DATE__).simplified(); }

// Maker's name on the splash and in the caption.
inline QString makerName() { return QStringLiteral("VELTRIX"); }

// The address that the splash's and the About box's link open.
inline QString webAddress() { return QStringLiteral("https://example.com/qx-tester"); }

// The address of the hidden partner entry of the Help menu.
inline QString partnerAddress() { return QStringLiteral("https://example.org/"); }

} // namespace qx::app

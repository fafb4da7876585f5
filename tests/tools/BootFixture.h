#pragma once
// A simulated boot loader linked as COM3 of a fresh home folder (with a Log
// folder, so that failures reach the error log), and helpers to read what
// went over the wire and into the log.
#include "common/FakeUi.h"
#include "common/TempHome.h"
#include "services/ErrLog.h"

#include "SimBootLoader.h"

#include <QDate>
#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <vector>

// Readable texts in failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace qx::test {

using Bytes = std::vector<uint8_t>;

// Byte strings joined: cat({0x11, 0xEE}, block, {0x7F}).
inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes repeat(const Bytes &unit, int times)
{
    Bytes all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), unit.begin(), unit.end());
    return all;
}

// The wire as alternating chunks: host, device, host, ...
inline std::vector<Bytes> chunks(const std::vector<sim::BootChunk> &t, bool fromHost)
{
    std::vector<Bytes> out;
    for (const sim::BootChunk &c : t)
        if (c.fromHost == fromHost)
            out.push_back(c.bytes);
    return out;
}

struct BootFixture : ::testing::Test {
    explicit BootFixture(sim::BootSimOptions o = {})
        : boot((o.home = home.path(), o))
    {
        QDir(home.path()).mkdir(QStringLiteral("Log"));
    }
    void SetUp() override { ASSERT_TRUE(boot.start()) << boot.error().toStdString(); }

    // The tags of the error log's lines, in order.
    QStringList logTags() const
    {
        QStringList tags;
        const QString text = QString::fromUtf8(home.read(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())));
        for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const qsizetype a = line.indexOf(QLatin1String(":[")), b = line.indexOf(QLatin1Char(']'), a);
            if (a >= 0 && b > a)
                tags << line.mid(a + 2, b - a - 2);
        }
        return tags;
    }

    TempHome home;
    FakeUi ui;
    sim::SimBootLoader boot;
};

} // namespace qx::test

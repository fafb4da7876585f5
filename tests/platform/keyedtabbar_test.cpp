#include "platform/KeyedTabBar.h"
#include "common/ErrorCode.h"
#include "platform/QxError.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

using qx::KeyedTabBar;

namespace {

void click(KeyedTabBar &bar, int pos)
{
    const QPoint p = bar.tabRect(pos - 1).center();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), QPointF(bar.mapToGlobal(p)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), QPointF(bar.mapToGlobal(p)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &press);
    QApplication::sendEvent(&bar, &release);
}
} // namespace

TEST(KeyedTabBar, AddsAtPositionsWithKeysAndRaisesNothing)
{
    KeyedTabBar bar;
    int clicks = 0;
    QObject::connect(&bar, &KeyedTabBar::Click, [&] { ++clicks; });
    bar.Add(1, "key1", "Single Test");
    bar.Add(2, "key3", "Cycle Test");
    bar.Add(2, "key2", "Auto Test");
    EXPECT_EQ(bar.Count(), 3);
    EXPECT_EQ(bar.Key(2), "key2");
    EXPECT_EQ(bar.Caption(3), "Cycle Test");
    EXPECT_EQ(bar.IndexOfKey("key3"), 3);
    EXPECT_EQ(bar.IndexOfKey("nope"), 0);
    EXPECT_EQ(bar.SelectedIndex(), 1) << "the first tab added is selected";
    EXPECT_EQ(bar.SelectedKey(), "key1");

    EXPECT_EQ(qx::test::errorCode([&] { bar.Add(0, "a", "x"); }), qx::ErrSubscript);
    EXPECT_EQ(qx::test::errorCode([&] { bar.Add(5, "a", "x"); }), qx::ErrSubscript);
    EXPECT_EQ(qx::test::errorCode([&] { bar.Add(4, "key2", "x"); }), KeyedTabBar::ErrDuplicateKey);
    EXPECT_EQ(qx::test::errorCode([&] { bar.Key(4); }), qx::ErrSubscript);
    EXPECT_EQ(bar.Count(), 3);

    bar.Clear();
    EXPECT_EQ(bar.Count(), 0);
    EXPECT_EQ(bar.SelectedIndex(), 0);
    EXPECT_EQ(bar.SelectedKey(), "");
    EXPECT_EQ(clicks, 0);
}

TEST(KeyedTabBar, EverySelectionRaisesClickOnce)
{
    KeyedTabBar bar;
    bar.Add(1, "dev1", "Device1");
    bar.Add(2, "dev2", "Device2");
    bar.resize(300, 30);
    bar.show();
    QApplication::processEvents();
    std::vector<QString> seen;
    QObject::connect(&bar, &KeyedTabBar::Click, [&] { seen.push_back(bar.SelectedKey()); });

    bar.set_SelectedIndex(2);
    bar.set_SelectedIndex(2);
    click(bar, 1);
    click(bar, 1);
    EXPECT_EQ(seen, (std::vector<QString>{"dev2", "dev2", "dev1", "dev1"}));
    EXPECT_EQ(qx::test::errorCode([&] { bar.set_SelectedIndex(3); }), qx::ErrSubscript);
}

#pragma once
// What a user does to a list and a field: picks an entry of a drop-down
// list (its activated signal raised as a click does), and types a text into
// a field and leaves it (a focus-out as the Tab key gives).
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace qx::test {

inline void choose(QComboBox *c, const QString &text)
{
    const int i = c->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    c->setCurrentIndex(i);
    Q_EMIT c->activated(i);
}

inline void type(QLineEdit *e, const QString &text)
{
    e->setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(e, &out);
}

} // namespace qx::test

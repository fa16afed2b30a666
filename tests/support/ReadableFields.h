// Checks that a dialog of the platform's making stays readable under the skin's dark sheet.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

// The skin's sheet as it reaches a dialog: light text on dark views.
inline const char kDarkSkinSheet[] =
    "QWidget { color: #c8ccd4; } QDialog, QListView { background: #16171b; }";

// Under the dark sheet, every view and field of `dialog` keeps its text and ground apart in
// lightness by more than half the range.
inline void ExpectReadableFields(QWidget& dialog) {
    qApp->setStyleSheet(QLatin1String(kDarkSkinSheet));
    dialog.show();
    std::vector<QWidget*> fields;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QLineEdit*>(widget)) {
            fields.push_back(widget);
        }
    }
    ASSERT_FALSE(fields.empty());
    for (QWidget* field : fields) {
        const QPalette colours = field->palette();
        EXPECT_GT(std::abs(colours.color(QPalette::Text).lightness() -
                           colours.color(QPalette::Base).lightness()),
                  128)
            << field->metaObject()->className();
    }
    dialog.hide();
    qApp->setStyleSheet(QString());
}

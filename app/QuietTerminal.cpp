#include "app/QuietTerminal.h"

#include <QLoggingCategory>

void QuietTerminal::Apply() {
    // Rules set here rank below QT_LOGGING_CONF and QT_LOGGING_RULES.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

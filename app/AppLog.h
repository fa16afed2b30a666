// The wiring's logging category, silent unless enabled (QT_LOGGING_RULES).
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

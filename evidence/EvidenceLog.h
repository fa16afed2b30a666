// The evidence folder's logging category: its warnings (a failed excerpt and why) reach
// standard error by default.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcEvidence)

#include "app/AppLog.h"

Q_LOGGING_CATEGORY(lcApp, "ostvik.app", QtWarningMsg)

#include "skin/SkinLog.h"

Q_LOGGING_CATEGORY(lcSkin, "ostvik.skin", QtWarningMsg)

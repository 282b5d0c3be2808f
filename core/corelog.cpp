#include "core/corelog.h"

Q_LOGGING_CATEGORY(lumaroCore, "lumaro.core", QtWarningMsg)

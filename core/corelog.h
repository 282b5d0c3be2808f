#pragma once
// Failures that the program deliberately does not show to the user (a date not copied, a folder
// not created, a file time not set, a source not deleted): they are logged in the category
// "lumaro.core" at the info level, off unless asked for with
// QT_LOGGING_RULES="lumaro.core.info=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lumaroCore)

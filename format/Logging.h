#pragma once

#include <QLoggingCategory>

// The diagnostics of each layer, so that QT_LOGGING_RULES can turn them on and off one
// layer at a time ("voranth.content.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcFormat)
Q_DECLARE_LOGGING_CATEGORY(lcConfig)
Q_DECLARE_LOGGING_CATEGORY(lcContent)
Q_DECLARE_LOGGING_CATEGORY(lcServer)
Q_DECLARE_LOGGING_CATEGORY(lcRcon)
Q_DECLARE_LOGGING_CATEGORY(lcApp)

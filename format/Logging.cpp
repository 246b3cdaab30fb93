#include "format/Logging.h"

Q_LOGGING_CATEGORY(lcFormat, "voranth.format", QtInfoMsg)
Q_LOGGING_CATEGORY(lcConfig, "voranth.config", QtInfoMsg)
Q_LOGGING_CATEGORY(lcContent, "voranth.content", QtInfoMsg)
Q_LOGGING_CATEGORY(lcServer, "voranth.server", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRcon, "voranth.rcon", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "voranth.app", QtInfoMsg)

#pragma once

#include <QString>

// The user settings' key strings, exactly as they are stored.
inline const QString KZXUseDefaultMasterServersKey = QStringLiteral("Use Default Game Servers");
inline const QString KZXGameMasterServKey = QStringLiteral("Game Master Server Array");
inline const QString KZXQGameRootDir = QStringLiteral("QGame Root Directory");
inline const QString KZXDedicatedAppName = QStringLiteral("Q3 Dedicated App Name");
inline const QString KZXPreserveServerNameKey = QStringLiteral("Preserve Server Name");
inline const QString KZXPreserveWelcomeTextKey = QStringLiteral("Preserve Welcome Text");
inline const QString KZXPreserveNetIPAddressKey = QStringLiteral("Preserve Net IP Address");
inline const QString KZXPreserveNetPortKey = QStringLiteral("Preserve Net Port");
inline const QString KZXPreservePrivateClientsPasswordKey =
    QStringLiteral("Preserve Private Clients Password");
inline const QString KZXRconPasswordGenerationTypeStringKey =
    QStringLiteral("Rcon Password Generation Type String");
inline const QString KZXRconPasswordGenerationType =
    QStringLiteral("Rcon Password Generation Type");
inline const QString KZXEnablePunkBusterByDefaultKey =
    QStringLiteral("Enable PunkBuster By Default");
inline const QString KZXPutTerminalBackKey = QStringLiteral("Put Terminal Back Flag");
inline const QString KZXMapImageLoadingKey = QStringLiteral("Map Image Loading Method");
inline const QString KZXMapImageCacheSizeKey = QStringLiteral("Map Image Cache Size");
inline const QString KZXDedicatedAppType = QStringLiteral("Q3 Dedicated App Type");
inline const QString KZXCustomDedicatedAppname = QStringLiteral("Custom Dedicated App Name");
inline const QString KZXGamePaksInfoKey = QStringLiteral("Game Paks Info Array");
inline const QString KZXPaksInfoVersion = QStringLiteral("Paks Info Version");
// Which terminal emulator runs the server: "automatic", "none" or a program.
inline const QString KZXTerminalEmulatorKey = QStringLiteral("Terminal Emulator");
// How a server is hosted: "terminal" (the default) or "service" (the user's service manager).
inline const QString KZXServerHostingKey = QStringLiteral("Server Hosting");

#pragma once

#include <QString>

namespace lumox::identity {

// The name the program gives itself: window title, application name, page caption.
inline const QString programTitle = QStringLiteral("Lumox 2000");
inline const QString executableName = QStringLiteral("Lumox2k");
inline const QString projectName = QStringLiteral("Lumox2000");
inline const QString description = QStringLiteral("Speed up you 'Net connection!");
// The version as the program shows it, and as the four numbers of the version record.
inline const QString version = QStringLiteral("1.00.0004");
inline const QString numericVersion = QStringLiteral("1.0.0.4");
inline const QString organizationDomain = QStringLiteral("example.com");

} // namespace lumox::identity

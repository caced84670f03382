#pragma once

#include <QString>

// Captions of the main window that are not owned by one of the panels.
namespace apptexts {

inline const QString kWindowTitle = QStringLiteral("CorvaneV1.0");
inline const QString kLogoPath = QStringLiteral("/123/Chinese&English.jpg");
inline const QString kAboutPicturePath = QStringLiteral("/123/BQ.jpg");

} // namespace apptexts

// The program's identity: title, version and company, shared by the window title and the error log.
#pragma once

#include <QString>

namespace velmaro {

inline constexpr int kVersionMajor = VELMARO_VERSION_MAJOR;
inline constexpr int kVersionMinor = VELMARO_VERSION_MINOR;
inline constexpr int kVersionRevision = VELMARO_VERSION_PATCH;

inline constexpr char kAppTitle[] = "Velmaro";
// With its final period: support staff know the company by this exact text.
inline constexpr char kCompanyName[] = "Norvikta, Inc.";

// "major.minor.revision", plain decimals without leading zeros.
QString versionText(int major = kVersionMajor, int minor = kVersionMinor,
                    int revision = kVersionRevision);

// The window title: application title, " v", then the version.
QString windowTitle(int major = kVersionMajor, int minor = kVersionMinor,
                    int revision = kVersionRevision);

}  // namespace velmaro

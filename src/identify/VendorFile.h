// The vendor file in use, and replacing it with a fresh IEEE registry: the per-user copy
// is written whole to a temporary file and renamed into place, so a refused or failed
// import leaves the file in use as it was.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "identify/VendorRegistry.h"
#include "support/DoctorLine.h"

namespace velmaro {

class AppPaths;

struct VendorFileInUse {
  QString path;  // the file the look-up reads
  bool exists = false;
  int entries = 0;
  QDate date;  // the registry's date when the file names it, else the file's own
  bool registryDated = false;
};

VendorFileInUse DescribeVendorFile(const AppPaths& paths);

struct VendorImport {
  std::optional<RegistryFailure> refusal;  // the registry file was refused
  QString error;        // reading or writing failed (the file in use is untouched)
  int entries = 0;      // entries written
  int newPrefixes = 0;  // prefixes the file in use before did not have
  QString writtenPath;
  QString inUse;  // the file the look-up reads afterwards
};

// Reads `registryFile` (the IEEE's oui.txt or oui.csv), and writes the program's vendor
// file to the per-user data folder, dated with the registry file's modification day.
VendorImport ImportVendorRegistry(const QString& registryFile, const AppPaths& paths);

// The doctor's line for the vendor file.
DoctorLine CheckVendorFile(const VendorFileInUse& file);

}  // namespace velmaro

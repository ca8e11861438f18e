// The start of the IEEE's MA-L registry as it publishes oui.txt (UTF-8, CR LF): its header
// and the first entry up to its first address line.
#pragma once

#include <QByteArray>

namespace velmaro::test {

inline const QByteArray kRegistryStart =
    "OUI/MA-L                                                    Organization\r\n"
    "company_id                                                  Organization\r\n"
    "                                                            Address\r\n"
    "\r\n"
    "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.\r\n"
    "002272     (base 16)\t\tAmerican Micro-Fuel Device Corp.\r\n"
    "\t\t\t\t2181 Buchanan Loop\r\n";

}  // namespace velmaro::test

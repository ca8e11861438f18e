// The three ways velmaro-cli prints the list, and the reading back of its JSON for an
// update run. Pure functions over the records and over bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <variant>
#include <vector>

#include "cli/Options.h"
#include "cli/Rows.h"
#include "support/DoctorLine.h"

namespace velmaro::cli {

// The list's column captions as the header and aligned columns; a row's change mark as
// "+" or "-" in a column of its own before the address, when any row carries one. Control
// characters a unit put in its reply are shown as "?", so nothing reaches the terminal
// that it would act on.
// --wide adds the columns "interface" and "unreachable" (empty for rows without a card).
QString FormatTable(const std::vector<RowRecord>& rows, bool wide = false);

// RFC 4180: header ip,httpport,ping,mac,mfg,name,icon, CR LF line ends, a field quoted
// when it holds a quote, a comma, CR or LF.
QString FormatCsv(const std::vector<RowRecord>& rows, bool wide = false);

// An array of objects with the keys ip, httpport, ping, mac, mfg, name and icon in that
// order, every value a string; one object a line. A row of a scan on every card adds
// interface and unreachable (the fix, or "").
QString FormatJson(const std::vector<RowRecord>& rows);

// The doctor's lines: the table is "check  text" a line; CSV and JSON carry the check, its
// status ("ok", "fix", "not checked"), whether it blocks a scan, and the text.
QString FormatDoctor(const std::vector<DoctorLine>& lines, OutputFormat format);

// An earlier JSON result: an array of objects whose known keys hold strings ("ip" is
// required, "icon" is "", "add" or "remove"); other keys are ignored. The records, or
// what is wrong, as one line.
std::variant<std::vector<RowRecord>, QString> ParseJsonRows(QByteArrayView json);

}  // namespace velmaro::cli

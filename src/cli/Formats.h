// The ways velmaro-cli prints the list and the doctor's lines, one table of them, and the
// reading back of its JSON for an update run. Pure functions over the records and over bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <span>
#include <variant>
#include <vector>

#include "cli/HostDiff.h"
#include "cli/Rows.h"
#include "support/DoctorLine.h"

namespace velmaro::cli {

// One value of --format: its name and its printers of the list and of the doctor's lines.
// `wide`: the list with the columns "interface", "unreachable", "seen" and "conflict" (JSON
// names them anyway; lists as words between spaces).
// The doctor's table is "check  text" a line; CSV and JSON carry the check, its status
// ("ok", "fix", "not checked"), whether it blocks a scan, and the text.
// The changes of diff: change, ip, mac, mfg, name, before, after (a table under captions,
// CSV with that header, JSON objects with those keys).
struct OutputFormat {
  const char* name;
  QString (*rows)(const std::vector<RowRecord>& rows, bool wide);
  QString (*doctor)(const std::vector<DoctorLine>& lines);
  QString (*diff)(const std::vector<HostChange>& changes);
};

// Every format, the default first.
std::span<const OutputFormat> OutputFormats();
// The format of that name, or null.
const OutputFormat* FindOutputFormat(QStringView name);
// The formats' names between separators: "table|csv|json" for the usage lines.
QString OutputFormatNames(QStringView separator);

// The list's column captions as the header and aligned columns; a row's change mark as
// "+" or "-" in a column of its own before the address, when any row carries one. Control
// characters a unit put in its reply are shown as "?", so nothing reaches the terminal
// that it would act on.
// --wide adds the columns "interface" and "unreachable" (empty for rows without a card),
// "seen" and "conflict".
QString FormatTable(const std::vector<RowRecord>& rows, bool wide = false);

// RFC 4180: header ip,httpport,ping,mac,mfg,name,icon, CR LF line ends, a field quoted
// when it holds a quote, a comma, CR or LF. Control characters other than TAB, CR and LF
// are shown as "?", and a cell a spreadsheet would take for a formula (one starting with
// =, +, -, @, TAB or CR, but for the "---" of nothing found) starts with a "'".
QString FormatCsv(const std::vector<RowRecord>& rows, bool wide = false);

// An array of objects with the keys ip, httpport, ping, mac, mfg, name and icon in that
// order, every value a string, control characters (DEL and U+0080-U+009F too) as \u00XX;
// one object a line. A row of a scan on every card adds
// interface and unreachable (the fix, or ""); every row then has "seen", an array of what
// answered for it ("query", "echo", "neighbours", "page"), and a row whose address another
// host claims "conflict", an array of the other MACs.
QString FormatJson(const std::vector<RowRecord>& rows);

// A JSON string of the text: quotes and backslashes escaped, control characters (DEL and
// U+0080-U+009F too) and lone surrogates as \u00XX, so it reads back as it was.
QString JsonString(const QString& text);

// An earlier JSON result: an array of objects whose known keys hold strings ("ip" is
// required and a dotted IPv4 address as the program writes it, since the name stage sends
// a request to it; "icon" is "", "add" or "remove"; "seen" and "conflict", where present,
// arrays of strings, as older files lack them); other keys are ignored. The records, or
// what is wrong, as one line naming the line of the file.
std::variant<std::vector<RowRecord>, QString> ParseJsonRows(QByteArrayView json);

}  // namespace velmaro::cli

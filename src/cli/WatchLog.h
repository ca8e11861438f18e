// The files diff compares, read as lists of hosts: a result of scan or ping (the JSON
// array the program writes), or a watch log (one event object a line) folded to the state
// it ends in. Pure functions over bytes, for files from anywhere.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <variant>
#include <vector>

#include "cli/Rows.h"

namespace velmaro::cli {

// A watch log: one JSON object a line (blank lines skipped, CR LF taken), with "event" one
// of "new", "moved", "conflict", "gone", "back", "ip" a dotted address, and "mac", "mfg",
// "name", "previous_ip", "time" strings and "macs" an array of strings where present. The
// hosts present after the last line, as records with ip, mac, mfg and name, in the order
// they were first seen. A host is its MAC (its address when the event names none); "new",
// "moved" and "back" put it at the event's address with the fields the event carries,
// "conflict" puts every MAC it names there, "gone" takes it away until it is back.
// What is wrong, as "line N: ...", when a line is not such an event or a limit is passed.
std::variant<std::vector<RowRecord>, QString> ParseWatchLog(QByteArrayView log);

// A result or a watch log, told apart by the first character that is not white space.
std::variant<std::vector<RowRecord>, QString> ParseHostFile(QByteArrayView file);

}  // namespace velmaro::cli

// How a click of "PING" or "SCAN" ended, as a value: a front end that has no message box
// (the command line) reports it without reading the texts the window shows. The window
// shows its boxes and logs as it always did and ignores these.
#pragma once

namespace velmaro {

enum class ScanOutcome {
  Completed,         // ran to its end, whatever it found
  Busy,              // a sweep was already running; this click did nothing
  BadRange,          // the range message was shown; nothing was swept
  TimeoutTooLarge,   // the time-out box overflows the engine's limits; nothing was pinged
  EchoNotPermitted,  // this user may open no ICMP echo socket; nothing was pinged
  NoEchoSocket,      // the system offers no ICMP echo socket at all
  ReplyPortHeld,     // the reply port could not be bound, usually because another program holds it
  QueryNotSent,      // the discovery query did not go out
};

}  // namespace velmaro

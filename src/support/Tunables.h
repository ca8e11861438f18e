// Every fixed number of the program in one place, each with the reason it has its value.
#pragma once

#include <cstdint>

namespace velmaro::tunables {

// Broadcast discovery: the units listen for the query on 69 and answer to 2860.
inline constexpr std::uint16_t kQueryPort = 69;
inline constexpr std::uint16_t kReplyPort = 2860;
inline constexpr char kQueryText[] = "getdeviceinfo";
// A UDP payload cannot exceed this; anything the socket claims beyond it is not a datagram.
inline constexpr int kMaxDatagram = 65535;

// Echo engine.
inline constexpr std::int32_t kDefaultParallel = 500;  // block size of a new engine
inline constexpr std::int32_t kSweepParallel = 1000;   // the sweep's block: a /24 in one block
inline constexpr char kListEchoData[] = "PINGDATAMESSAGE";
inline constexpr char kSingleEchoData[] = "TESTMESSAGE";
inline constexpr int kSingleTimeoutMs = 1000;     // single ping: request and wait limit
inline constexpr int kMaxRepliesPerWake = 256;    // then window events get a turn
inline constexpr int kEchoReceiveBuffer = 2048;   // past our echo; longer packets are not ours
inline constexpr int kMaxSkippedPerReceive = 64;  // foreign packets read per receive() call
inline constexpr int kMaxDrainedPerOpen = 4096;   // stale packets dropped from a kept raw socket

// Ping sweep.
inline constexpr double kMinPingTimeoutMs = 100;  // the time-out box never goes lower

// The command line's fast sweep. Every silent address on the local link costs an ARP
// broadcast that reaches every host there, and an unresolved neighbour entry that the
// kernel keeps about 3 s (three probes a second apart); Linux's table holds 1024 entries
// by default (gc_thresh3) before it drops new ones. The first 256 requests go out at once,
// as the window's sweep sends its /24; after them 250 a second keep the unresolved
// entries under that limit and the broadcasts to a rate a Wi-Fi network carries.
inline constexpr int kDefaultEchoRate = 250;
inline constexpr int kEchoBurst = 256;
inline constexpr int kMaxEchoRate = 100000;  // beyond what a gigabit link carries
// Page connections open at once: a slow host never holds up the others, and the program
// never holds more sockets than a desktop allows by far.
inline constexpr int kFastPageConnections = 32;

// Enrichment and identification waits.
inline constexpr int kArpSettleMs = 2000;     // let the neighbour table fill after a sweep
inline constexpr int kPerRowWaitMs = 50;      // keeps the window fluid between rows
inline constexpr int kArpCaptureSeconds = 5;  // the neighbour listing command's time-out
inline constexpr int kArpReadPauseMs = 200;   // the load's pause after the listing command

// Window geometry.
inline constexpr int kTwipsPerPixel96 = 15;  // layout lengths are twips; 15 per pixel at 96 dpi

// Vendor-prefix file: a registry entry is well under 200 characters; a longer line is
// damage, not an entry, and is skipped without being held in memory.
inline constexpr int kMaxOuiLine = 1024;
// Broadcast replies handled in one go when the socket signals data; more wait for the
// next signal, so a flood cannot hold the window.
inline constexpr int kMaxRepliesPerEvent = 1024;

// Waiting for a started program: how long starting it may take at most.
inline constexpr int kShellStartLimitMs = 10000;
// Neighbour listings: the most of a captured listing that is read (tens of thousands of
// entries), and the longest line taken as an entry; anything beyond is damage.
inline constexpr std::int64_t kMaxArpListingBytes = 8 * 1024 * 1024;
inline constexpr int kMaxArpLine = 1024;

// Field diagnostics. The limited broadcast address, where every query goes.
inline constexpr std::uint32_t kLimitedBroadcast = 0xFFFF'FFFFu;
// The kernel answers a route question at once; a second means it never will.
inline constexpr int kRouteAnswerLimitMs = 1000;
inline constexpr int kRouteAnswerBytes = 8192;  // one route message with its attributes
// Kernel text files read for facts (ping_group_range, status): a few hundred bytes each.
inline constexpr std::int64_t kMaxProcFileBytes = 64 * 1024;
// A vendor registry from the IEEE is about 6 MB as text; anything far beyond is not one.
inline constexpr std::int64_t kMaxRegistryBytes = 64 * 1024 * 1024;
inline constexpr int kMaxRegistryLine = 4096;  // longest address line seen is ~200 bytes
// An address suggested to a technician for a unit's subnet: the top of a /24, where a
// unit's factory address rarely sits.
inline constexpr int kSuggestedHostOctet = 253;
// Units assumed to sit in a /24 when nothing tells their mask; link-local is a /16.
inline constexpr int kAssumedUnitPrefix = 24;
// An echo request refused because the system's queue is full is tried again when the
// socket says it can take it, and otherwise this often: a queue drains in milliseconds,
// and trying faster only burns the processor.
inline constexpr int kEchoRetryPauseMs = 10;

// Reading the units' web pages.
inline constexpr int kHttpSettleMs = 50;  // a pause before each request, as the units expect
// The most of a page that is kept: identification pages are a few hundred bytes, so a body
// past 1 MiB is a misbehaving server; what came so far is taken as the page.
inline constexpr std::int64_t kMaxPageBytes = 1024 * 1024;
// What the socket may hold unread for one request before it stops reading from the system.
inline constexpr std::int64_t kPageReadBufferBytes = 64 * 1024;
// Bytes handed to the answer's reader in one step: a few steps per buffer, then other events.
inline constexpr int kPageReadPiece = 16 * 1024;
// An answer's head. Real heads have a dozen lines well under 1 KiB each; a head that grows
// past these is a server that never ends it, and the fetch ends at once without a page.
inline constexpr int kMaxResponseLine = 8 * 1024;        // one status or header line
inline constexpr int kMaxResponseHeadBytes = 64 * 1024;  // every head line of the answer
inline constexpr int kMaxResponseHeadLines = 100;        // embedded servers send about ten
inline constexpr int kMaxInterimHeads = 4;               // "100 Continue" comes once if at all
inline constexpr int kMaxChunkSizeLine = 256;            // hex digits and a short extension

// The command line front end. The units answer the discovery query within a second on
// any LAN; two give a slow one its chance.
inline constexpr int kDefaultListenMs = 2000;
// An hour: a longer listen is a typing slip, and every wait must end by itself.
inline constexpr int kMaxListenMs = 3'600'000;
// No command takes more than a dozen words; more is not a command line someone typed.
inline constexpr int kMaxArguments = 64;
// The longest path Linux accepts; no option value needs more.
inline constexpr int kMaxArgumentLength = 4096;
// An earlier result read back: a list of 10,000 rows is about 2 MB of JSON.
inline constexpr std::int64_t kMaxResultFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxResultRows = 65536;
// A watch log's event is one line of a few hundred bytes; a longer line is damage.
inline constexpr int kMaxWatchLogLine = 64 * 1024;

// The reply socket's receive buffer: room for a second of a 10 MB/s flood, so answers that
// arrive while the window is busy wait instead of being dropped (the system may cap it).
inline constexpr int kReplySocketBufferBytes = 4 * 1024 * 1024;

// Window size limits: the main window's outer width is fixed and its height has a floor.
inline constexpr int kFormOuterWidthTwips = 12870;  // 858 pixels at 96 dpi, frame included
inline constexpr int kFormMinOuterHeightTwips =
    4920;  // 328 pixels at 96 dpi: inputs and a few rows
// A limit given as 0 stands for these (twips) or for the screen's own size.
inline constexpr int kDefaultMinWidthTwips = 2000;
inline constexpr int kDefaultMinHeightTwips = 1000;
// No hooked window can be dragged smaller than this, in pixels, whatever its limits say.
inline constexpr int kMinTrackWidth = 150;
inline constexpr int kMinTrackHeight = 100;
// Room kept right of the "Title" column for the list's vertical scroll bar.
inline constexpr int kScrollBarRoomTwips = 350;
// The "Title" column never shrinks away: when the other columns take the whole list, it
// keeps this width (about 80 pixels at 96 dpi) and the list scrolls sideways.
inline constexpr int kTitleMinWidthTwips = 1200;

// Vendor-prefix file: read in blocks this large, a few dozen for the whole IEEE registry.
inline constexpr int kOuiReadChunk = 64 * 1024;
// A vendor file modified this recently is read again at the next look-up: two writes within
// one tick of a file system's clock (up to 2 s on some) leave the same time behind.
inline constexpr std::int64_t kOuiSettledMs = 2000;

// watch: the query every this many seconds by default, never more often than every second;
// a query's replies counted until the next query or this long, whichever comes first; a
// unit that misses this many queries in a row is gone.
inline constexpr int kDefaultWatchIntervalS = 2;
inline constexpr int kMinWatchIntervalS = 1;
inline constexpr int kMaxWatchIntervalS = 86400;
inline constexpr int kWatchReplyWindowMs = 1000;
inline constexpr int kWatchMissesForGone = 3;
// Hosts a watch keeps in mind at once: past this, the one heard from longest ago is
// forgotten, so memory stays flat on any LAN.
inline constexpr int kMaxWatchHosts = 4096;
// Host names waiting for their pages: more than this many new hosts at once are named
// "---" rather than queued without end.
inline constexpr int kMaxWatchNameQueue = 256;
// One read of neighbour notifications: the kernel sends at most a page's worth per datagram.
inline constexpr int kNeighbourDatagramBytes = 64 * 1024;
}  // namespace velmaro::tunables

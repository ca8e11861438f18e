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
inline constexpr std::int32_t kDefaultParallel = 500;   // block size of a new engine
inline constexpr std::int32_t kSweepParallel = 1000;    // the sweep's block: a /24 in one block
inline constexpr char kListEchoData[] = "PINGDATAMESSAGE";
inline constexpr char kSingleEchoData[] = "TESTMESSAGE";
inline constexpr int kSingleTimeoutMs = 1000;           // single ping: request and wait limit

// Ping sweep.
inline constexpr double kMinPingTimeoutMs = 100;        // the time-out box never goes lower

// Enrichment and identification waits.
inline constexpr int kArpSettleMs = 2000;    // let the neighbour table fill after a sweep
inline constexpr int kPerRowWaitMs = 50;     // keeps the window fluid between rows
inline constexpr int kArpCaptureSeconds = 5; // the neighbour listing command's time-out
inline constexpr int kArpReadPauseMs = 200;  // let the listing reach the disk

// Window geometry.
inline constexpr int kTwipsPerPixel96 = 15;  // layout lengths are twips; 15 per pixel at 96 dpi

}  // namespace velmaro::tunables

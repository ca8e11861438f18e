// The virtual LAN lab's hosts as tests expect to find them: addresses, MACs, what each answers.
#pragma once

#include <array>
#include <string_view>

namespace velmaro::lab {

inline constexpr std::string_view kSubnetPrefix = "198.18.7";  // the first three octets
inline constexpr std::string_view kClientIp = "198.18.7.2";    // where the tests run
inline constexpr std::string_view kLinkName = "vlab0";         // each lab host's one interface
inline constexpr std::string_view kSilentIp = "198.18.7.99";   // no host: never answers
inline constexpr int kSilentOctet = 99;

// A maker's unit: answers the discovery query (except where said) and ping.
struct LabUnit {
  std::string_view key;  // host key for plug/unplug: "u1" ...
  int octet;             // last octet of the address
  std::string_view ip;
  std::string_view mac;       // as the reply and the neighbour table write it: "00-0A-2B-01-80-01"
  std::string_view name;      // reply line 1 without NUL filler
  std::string_view freeText;  // reply line 3
  std::string_view portLine;  // reply line 4, empty when the reply has three lines
  std::string_view httpPortCell;  // what the "httpport" cell shows: "80", "8080", "N/A"
  bool wellFormed;                // false: the reply must add no row
  int httpPort;                   // the port the web server really listens on, 0 = none
  std::string_view idName;        // the name id.htm gives ("" when there is no id.htm)
  bool idHasMeta;                 // id.htm carries <meta name=...> and <meta mac=...>
  std::string_view homeTitle;     // title of index.htm ("" when there is no home page)
  bool hasIndexHtml;              // index.html exists too
  std::string_view manufacturer;  // the maker-prefix rule's answer for the MAC
};

inline constexpr LabUnit kU1{"u1",
                             21,
                             "198.18.7.21",
                             "00-0A-2B-01-80-01",
                             "NV-CAM-1000",
                             "Front door",
                             "50",
                             "80",
                             true,
                             80,
                             "NV-CAM-1000 Front door",
                             true,
                             "",
                             false,
                             "Norvikta, Inc"};
inline constexpr LabUnit kU2{"u2",
                             22,
                             "198.18.7.22",
                             "00-0A-2B-01-FF-FF",
                             "NV-ENC-2200",
                             "Lab bench",
                             "1F90",
                             "8080",
                             true,
                             8080,
                             "NV-ENC-2200 Lab bench",
                             false,
                             "",
                             false,
                             "Norvikta, Inc"};
inline constexpr LabUnit kU3{
    "u3", 23, "198.18.7.23", "00-0A-2B-02-00-00",   "NV-OLD-0100", "Storage",   "", "N/A", true,
    80,   "", false,         "NV-OLD-0100 Storage", false,         "Etherstuff"};
// Lines joined by LF alone: a reader that splits at CR LF sees one line and adds no row.
inline constexpr LabUnit kU4{"u4",
                             24,
                             "198.18.7.24",
                             "00-0A-2B-01-90-00",
                             "NV-BAD-0000",
                             "Malformed reply",
                             "50",
                             "",
                             false,
                             0,
                             "",
                             false,
                             "",
                             false,
                             "Norvikta, Inc"};
// Claims port 80 in its reply but runs no web server at all.
inline constexpr LabUnit kU5{
    "u5",  25, "198.18.7.25", "00-0A-2B-01-A0-00", "NV-IO-0400", "No web", "50", "80", true, 0, "",
    false, "", false,         "Norvikta, Inc"};

inline constexpr std::array<LabUnit, 5> kUnits{kU1, kU2, kU3, kU4, kU5};

// A host that is not the maker's: answers ping (the kernel), never the discovery query.
struct LabHost {
  std::string_view key;
  int octet;
  std::string_view ip;
  std::string_view mac;           // "00-1B-21-00-00-31"
  std::string_view manufacturer;  // its vendor in the shipped oui.txt
  std::string_view homeTitle;     // "" when it serves no web page
};

inline constexpr LabHost kH1{"h1", 31, "198.18.7.31", "00-1B-21-00-00-31", "Intel Corporate", ""};
inline constexpr LabHost kH2{"h2", 32, "198.18.7.32", "00-00-0C-00-00-32", "Cisco Systems, Inc",
                             ""};
// Serves index.htm and index.html on port 80, both titled "Lab Web Host".
inline constexpr LabHost kH3{
    "h3", 33, "198.18.7.33", "00-16-3E-00-00-33", "Xensource, Inc.", "Lab Web Host"};

inline constexpr std::array<LabHost, 3> kPlainHosts{kH1, kH2, kH3};

// A spare plain host that starts unplugged: silent until a test plugs it in.
inline constexpr LabHost kSpare{"x1", 40, "198.18.7.40", "00-1B-21-00-00-40", "Intel Corporate",
                                ""};

// Web hosts: each answers ping and serves port 80 in one of the ways readers of unit pages
// must cope with; none answers the discovery query. Their MACs carry the maker's prefix.
struct LabWebHost {
  std::string_view key;
  int octet;
  std::string_view ip;
  std::string_view mac;
  std::string_view what;
  std::string_view name;             // "name" after reading the product-ID page alone
  std::string_view nameWithGeneric;  // "name" when the home pages are read too
  bool macFromPage;                  // a product-ID page with meta entries sets "mac"
  std::string_view macOnPage;        // what it sets it to ("" when the entry is missing)
};

inline constexpr LabWebHost kW1{"w1",
                                51,
                                "198.18.7.51",
                                "00-0A-2B-01-B0-51",
                                "meta name without mac",
                                "NV-DIO-0800 Pump room",
                                "NV-DIO-0800 Pump room",
                                true,
                                ""};
inline constexpr LabWebHost kW2{"w2",
                                52,
                                "198.18.7.52",
                                "00-0A-2B-01-B0-52",
                                "product-ID title in other letter case",
                                "---",
                                "Gateway home",
                                false,
                                ""};
inline constexpr LabWebHost kW3{
    "w3", 53, "198.18.7.53", "00-0A-2B-01-B0-53", "body tag with attributes", "", "", false, ""};
// An error page is no answer: index.html names the host.
inline constexpr LabWebHost kW4{"w4",
                                54,
                                "198.18.7.54",
                                "00-0A-2B-01-B0-54",
                                "index.htm error page File Not Found, index.html present",
                                "---",
                                "Monitor",
                                false,
                                ""};
inline constexpr LabWebHost kW5{"w5",
                                55,
                                "198.18.7.55",
                                "00-0A-2B-01-B0-55",
                                "index.htm empty, index.html present",
                                "---",
                                "NV-MON-0500 Lobby",
                                false,
                                ""};
inline constexpr LabWebHost kW6{
    "w6",  56, "198.18.7.56", "00-0A-2B-01-B0-56", "accepts and never answers", "---", "---",
    false, ""};
inline constexpr LabWebHost kW7{"w7",
                                57,
                                "198.18.7.57",
                                "00-0A-2B-01-B0-57",
                                "product-ID page without end",
                                "NV-STR-9000 Endless feed",
                                "NV-STR-9000 Endless feed",
                                true,
                                "00-0A-2B-01-B0-57"};
inline constexpr LabWebHost kW8{
    "w8",  58, "198.18.7.58", "00-0A-2B-01-B0-58", "redirects every page to u1", "---", "Moved",
    false, ""};

inline constexpr std::array<LabWebHost, 8> kWebHosts{kW1, kW2, kW3, kW4, kW5, kW6, kW7, kW8};

// Every address that answers ping while the lab is as "up" made it, in address order.
inline constexpr std::array<std::string_view, 16> kLiveIps{
    "198.18.7.21", "198.18.7.22", "198.18.7.23", "198.18.7.24", "198.18.7.25", "198.18.7.31",
    "198.18.7.32", "198.18.7.33",
    // the web hosts
    "198.18.7.51", "198.18.7.52", "198.18.7.53", "198.18.7.54", "198.18.7.55", "198.18.7.56",
    "198.18.7.57", "198.18.7.58"};

// ---- The second segment (br1): the client's second card and the field-diagnostics hosts.
inline constexpr std::string_view kSecondLink = "vlab1";  // the client's card there
inline constexpr std::string_view kClientIpB = "198.18.8.2";
// A unit on segment B whose address the client can reach, and two it cannot: one on
// another subnet and one at a link-local address, all three on the same bridge.
inline constexpr LabUnit kB1{"b1",
                             26,
                             "198.18.8.26",
                             "00-0A-2B-01-B0-01",
                             "NV-CAM-3100",
                             "Second segment",
                             "50",
                             "80",
                             true,
                             0,
                             "",
                             false,
                             "",
                             false,
                             "Norvikta, Inc"};
inline constexpr LabUnit kB2{"b2",
                             27,
                             "198.18.9.27",
                             "00-0A-2B-01-B0-02",
                             "NV-CAM-3200",
                             "Other subnet",
                             "50",
                             "80",
                             true,
                             0,
                             "",
                             false,
                             "",
                             false,
                             "Norvikta, Inc"};
inline constexpr LabUnit kB3{"b3",
                             28,
                             "169.254.7.28",
                             "00-0A-2B-01-B0-03",
                             "NV-CAM-3300",
                             "Link-local",
                             "50",
                             "80",
                             true,
                             0,
                             "",
                             false,
                             "",
                             false,
                             "Norvikta, Inc"};
inline constexpr std::array<LabUnit, 3> kSegmentBUnits{kB1, kB2, kB3};
// The second client on segment B: default ping_group_range, no route for the limited
// broadcast, and a firewall rule that drops every datagram to UDP 2860.
inline constexpr std::string_view kSecondClientKey = "cl2";
inline constexpr std::string_view kSecondClientIp = "198.18.8.3";

// --- Hostile hosts -------------------------------------------------------------------
// Units that misbehave on purpose. They start unplugged, so they are in no list above;
// a test plugs one in with PluggedHost (support/LabGuard.h).
struct LabHostileHost {
  std::string_view key;
  std::string_view ip;
  std::string_view what;
};
// Floods the sender of "flood PORT" (to UDP port kFloodCommandPort) with 20,000 datagrams.
inline constexpr LabHostileHost kFlooder{"f1", "198.18.7.61", "flood of discovery answers"};
inline constexpr int kFloodCommandPort = 7070;
// Answers every echo request with forged ICMP about kSilentIp, and stale replies later.
inline constexpr LabHostileHost kNoisy{"n1", "198.18.7.62", "forged ICMP"};
inline constexpr LabHostileHost kHugePage{"g1", "198.18.7.71", "a 100 MB page"};
inline constexpr LabHostileHost kDrippingHead{"g2", "198.18.7.72", "the head a byte a second"};
inline constexpr LabHostileHost kCutBody{"g3", "198.18.7.73", "the body cut off halfway"};
inline constexpr LabHostileHost kBadChunks{"g4", "198.18.7.74", "invalid chunked encoding"};
// Heads that never end, at full speed, and a 401 asking for a Kerberos log-in.
inline constexpr LabHostileHost kEndlessHeaderLine{"g5", "198.18.7.75", "endless header line"};
inline constexpr LabHostileHost kEndlessHeaders{"g6", "198.18.7.76", "endless header lines"};
inline constexpr LabHostileHost kEndlessContinue{"g7", "198.18.7.77", "endless 100 Continue"};
inline constexpr LabHostileHost kEndlessChunkSize{"g8", "198.18.7.78", "endless chunk-size line"};
inline constexpr LabHostileHost kNegotiate{"g9", "198.18.7.79", "401 Negotiate"};
// Every hostile host, so that a check of the lab's layout sees a new one too.
inline constexpr std::array<LabHostileHost, 11> kHostileHosts{
    kFlooder,           kNoisy,          kHugePage,        kDrippingHead,     kCutBody,  kBadChunks,
    kEndlessHeaderLine, kEndlessHeaders, kEndlessContinue, kEndlessChunkSize, kNegotiate};

}  // namespace velmaro::lab

// The guard every test that sends beyond loopback relies on, and the small tools lab suites share:
// where the lab's state and script are, taking a host off the switch, and a bounded ping.
#pragma once

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

namespace velmaro::lab {

// True only inside a lab namespace: no interface but lo and the lab's links, no default
// route, no route outside the lab's subnets (198.18.0.0/15, 169.254.0.0/16). Otherwise false,
// with the reason in *why (when given).
bool InLabNamespace(QString* why = nullptr);

// For a test body or fixture: a fatal test failure when not in a lab namespace.
// Use as ASSERT_NO_FATAL_FAILURE(RequireLab()); or rely on LabEnvironment.
void RequireLab();

// Installed in every lab suite: refuses to run any test outside a lab namespace.
class LabEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
};

// VELMARO_LAB_STATE and VELMARO_LAB_SCRIPT as the lab test registration sets them (empty if unset).
QString LabStatePath();
QString LabScriptPath();

// Plugs a lab host's cable in or pulls it (its switch port up or down), by host key ("u1", "h2",
// "x1"...). Runs the lab script, bounded to 15 s. False with the reason when it did not work.
bool SetHostPlugged(std::string_view hostKey, bool plugged, QString* why = nullptr);

// Runs `command` inside a lab host's namespace ("u5": its card is vlab0), through the lab
// script, bounded to 15 s. False with the reason when it did not work.
bool RunInLabHost(std::string_view hostKey, const QStringList& command, QString* why = nullptr);

// Gives a lab host's card another IPv4 address (the cable stays in, the simulator keeps
// running and answers from it) for the lifetime of the object, and its own one afterwards.
class ReaddressedHost {
 public:
  ReaddressedHost(std::string_view hostKey, const QString& ownCidr, const QString& otherCidr);
  ~ReaddressedHost();
  ReaddressedHost(const ReaddressedHost&) = delete;
  ReaddressedHost& operator=(const ReaddressedHost&) = delete;
  bool ok() const { return m_ok; }
  const QString& error() const { return m_error; }

 private:
  std::string_view m_key;
  QString m_own;
  QString m_other;
  bool m_ok = false;
  QString m_error;
};

// Sets a host's cable (plugged in or pulled) for the lifetime of the object and turns it
// the other way afterwards.
class HostCable {
 public:
  HostCable(std::string_view hostKey, bool plugged);
  ~HostCable();
  HostCable(const HostCable&) = delete;
  HostCable& operator=(const HostCable&) = delete;
  bool ok() const { return m_ok; }
  const QString& error() const { return m_error; }

 private:
  std::string_view m_key;
  bool m_plugged;
  bool m_ok = false;
  QString m_error;
};

// Pulls a host's cable for the lifetime of the object and plugs it back in afterwards.
class UnpluggedHost : public HostCable {
 public:
  explicit UnpluggedHost(std::string_view hostKey) : HostCable(hostKey, false) {}
};

// Plugs a host in for the lifetime of the object and pulls it out again afterwards (the
// hostile hosts start unplugged).
class PluggedHost : public HostCable {
 public:
  explicit PluggedHost(std::string_view hostKey) : HostCable(hostKey, true) {}
};

// One ICMP echo to a lab address (refused outside a lab namespace and for addresses outside
// 198.18.7.0/24): the round-trip time in ms, or nothing when no answer came within timeoutMs.
std::optional<int> LabPing(std::string_view ip, int timeoutMs = 1000, QString* why = nullptr);

}  // namespace velmaro::lab

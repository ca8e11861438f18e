// What answered for a result row: the discovery query, an echo, the neighbour table (its MAC
// came from there), a web page. Kept per row beside the cells; the window shows none of it.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace velmaro {

enum class Evidence : quint8 { Query, Echo, Neighbours, Page };

// In the order a record lists them.
inline constexpr std::array<Evidence, 4> kEvidence{Evidence::Query, Evidence::Echo,
                                                   Evidence::Neighbours, Evidence::Page};

// "query", "echo", "neighbours", "page".
QString evidenceKey(Evidence evidence);

// A set of evidence, a small value.
class EvidenceSet {
 public:
  constexpr EvidenceSet() = default;
  constexpr EvidenceSet(std::initializer_list<Evidence> items) {
    for (Evidence e : items) add(e);
  }
  constexpr void add(Evidence e) { m_bits = static_cast<quint8>(m_bits | bit(e)); }
  constexpr void remove(Evidence e) { m_bits = static_cast<quint8>(m_bits & ~bit(e)); }
  constexpr bool has(Evidence e) const { return (m_bits & bit(e)) != 0; }
  constexpr bool empty() const { return m_bits == 0; }

  // The keys in the order of kEvidence.
  QStringList keys() const;
  // Adds the evidence a key names; false when the key names none.
  bool addKey(QStringView key);

  friend constexpr bool operator==(EvidenceSet, EvidenceSet) = default;

 private:
  static constexpr quint8 bit(Evidence e) { return static_cast<quint8>(1u << static_cast<int>(e)); }
  quint8 m_bits = 0;
};

}  // namespace velmaro
